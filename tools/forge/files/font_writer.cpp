// Font files of the 2D toolkit; see font_writer.h.
#include "tools/forge/files/font_writer.h"

namespace forge {

namespace {

BmpDescription Blank(int width, int height, uint32_t background) {
  BmpDescription page;
  page.width = width;
  page.height = height;
  page.bitCount = 24;
  page.pixels.assign(static_cast<size_t>(width) * height, background);
  return page;
}

void Fill(BmpDescription& page, int x0, int y0, int x1, int y1, uint32_t colour) {
  for (int y = y0 < 0 ? 0 : y0; y < y1 && y < page.height; y++) {
    for (int x = x0 < 0 ? 0 : x0; x < x1 && x < page.width; x++) {
      page.pixels[static_cast<size_t>(y) * page.width + x] = colour;
    }
  }
}

}  // namespace

std::string Metrics1Text(const std::string& image, const std::string& mask, int descent,
                         const std::vector<RectGlyph>& glyphs) {
  std::string text = "METRICS1\n" + image + (mask.empty() ? "" : " " + mask) + "\n" + std::to_string(descent) + "\n";
  for (const RectGlyph& g : glyphs) {
    text += std::to_string(g.code) + " " + std::to_string(g.x0) + " " + std::to_string(g.y0) + " " +
            std::to_string(g.x1) + " " + std::to_string(g.y1) + "\n";
  }
  return text;
}

BmpDescription RectPageImage(int width, int height, const std::vector<RectGlyph>& glyphs, uint32_t ink,
                             uint32_t background) {
  BmpDescription page = Blank(width, height, background);
  for (const RectGlyph& g : glyphs) {
    Fill(page, g.x0, g.y0, g.x1, g.y1, ink);
  }
  return page;
}

BmpDescription MarkedPageImage(const MarkedPage& page, uint32_t ink, uint32_t background) {
  BmpDescription image = Blank(page.width, page.height, background);
  for (size_t band = 0; band < page.bands.size(); band++) {
    const int top = static_cast<int>(band) * page.cellHeight;
    int x = 0;
    Fill(image, 0, top, 1, top + 1, kCellMarker);
    for (int distance : page.bands[band]) {
      if (distance > 1) {
        const int margin = 2;
        Fill(image, x + margin, top + margin, x + distance - margin, top + page.cellHeight - margin, ink);
      }
      x += distance;
      Fill(image, x, top, x + 1, top + 1, kCellMarker);
    }
    Fill(image, x + 1, top, x + 2, top + 1, kCellMarker);
  }
  // The first band's top row alone cannot tell the cell height.
  if (page.bands.size() < 2) {
    Fill(image, 0, page.cellHeight, 1, page.cellHeight + 1, kCellMarker);
  }
  return image;
}

std::string Metrics2Text(const std::vector<MarkedPage>& pages) {
  std::string text = "METRICS2\n";
  for (const MarkedPage& page : pages) {
    text += page.image + (page.mask.empty() ? "" : " " + page.mask) + "\n" + std::to_string(page.descent) + "\n" +
            page.characters + "\n";
  }
  return text;
}

std::string Metrics3Text(const std::string& name, const std::vector<OutlineGlyph>& glyphs) {
  std::string text = "METRICS3\n" + name + "\n";
  for (const OutlineGlyph& glyph : glyphs) {
    text += std::string("'") + glyph.code + "'\nbegin\n";
    for (const std::string& command : glyph.commands) {
      text += command + "\n";
    }
    text += "end\n";
  }
  return text;
}

}  // namespace forge
