// Placeholder pictures: name colours, charset text and bitmap files.
#include "tools/demo/picture.h"

#include <algorithm>

#include <png.h>

#include "engine/engine.h"
#include "engine/tool/charse/charset_internal.h"
#include "tools/forge/files/bmp_writer.h"

namespace demo {

void Picture::Set(int x, int y, uint32_t colour) {
  if (x >= 0 && y >= 0 && x < width && y < height) {
    pixels[static_cast<size_t>(y) * width + x] = colour;
  }
}

uint32_t NameHash(const std::string& name) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : name) {
    hash = (hash ^ c) * 16777619u;
  }
  return hash;
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double from = (a >> shift) & 0xFF;
    const double to = (b >> shift) & 0xFF;
    out |= static_cast<uint32_t>(from + (to - from) * t + 0.5) << shift;
  }
  return out;
}

uint32_t NameColour(const std::string& name) {
  const uint32_t hash = NameHash(name);
  // Each channel between 64 and 255, so that black text on it stays legible.
  const uint32_t r = 64 + (hash & 0xFF) * 3 / 4;
  const uint32_t g = 64 + ((hash >> 8) & 0xFF) * 3 / 4;
  const uint32_t b = 64 + ((hash >> 16) & 0xFF) * 3 / 4;
  return (r << 16) | (g << 8) | b;
}

bool GlyphInk(char c, int x, int y) {
  if (x < 0 || x >= kRtCharsetGlyphWidth || y < 0 || y >= kRtCharsetGlyphRows) {
    return false;
  }
  const RwUInt8* rows = _rtCharsetFontGlyph(static_cast<unsigned char>(c) - 32);
  return rows != nullptr && ((rows[y] >> x) & 1) != 0;
}

void DrawText(Picture& picture, int x, int y, const std::string& text, uint32_t colour, int scale) {
  for (size_t i = 0; i < text.size(); i++) {
    for (int gy = 0; gy < kRtCharsetGlyphRows; gy++) {
      for (int gx = 0; gx < kRtCharsetGlyphWidth; gx++) {
        if (!GlyphInk(text[i], gx, gy)) {
          continue;
        }
        const int left = x + (static_cast<int>(i) * kRtCharsetGlyphWidth + gx) * scale;
        for (int sy = 0; sy < scale; sy++) {
          for (int sx = 0; sx < scale; sx++) {
            picture.Set(left + sx, y + gy * scale + sy, colour);
          }
        }
      }
    }
  }
}

Picture Placeholder(const std::string& name, int width, int height) {
  const uint32_t colour = NameColour(name);
  const uint32_t dark = (colour >> 1) & 0x7F7F7F;
  Picture picture(width, height, colour);
  const int band = 4 + static_cast<int>(NameHash(name) % 8);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      if (((x + y) / band) % 2 == 1) {
        picture.Set(x, y, dark);
      }
    }
  }
  const std::string label = name.substr(name.find_last_of('/') + 1);
  const int scale = width >= 256 ? 2 : 1;
  const int lineHeight = kRtCharsetGlyphRows * scale;
  const size_t fits = static_cast<size_t>(std::max(1, width / (kRtCharsetGlyphWidth * scale)));
  // As many lines as the label needs and the picture holds, centred.
  const int lines = std::min(static_cast<int>((label.size() + fits - 1) / fits), height / lineHeight);
  for (int line = 0; line < lines; line++) {
    const std::string part = label.substr(line * fits, fits);
    const int top = (height - lines * lineHeight) / 2 + line * lineHeight;
    DrawText(picture, 1, top + 1, part, 0x000000, scale);
    DrawText(picture, 0, top, part, 0xFFFFFF, scale);
  }
  return picture;
}

Picture PlaceholderMask(int width, int height) {
  Picture mask(width, height, 0);
  const int edge = std::max(1, std::min(width, height) / 8);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      const int inside = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
      const uint32_t level = static_cast<uint32_t>(std::min(255, inside * 255 / edge));
      mask.Set(x, y, (level << 16) | (level << 8) | level);
    }
  }
  return mask;
}

std::vector<uint8_t> BmpFile(const Picture& picture) {
  forge::BmpDescription description;
  description.width = picture.width;
  description.height = picture.height;
  description.bitCount = 24;
  description.pixels = picture.pixels;
  return forge::WriteBmp(description);
}

std::vector<uint8_t> PngFile(const Picture& picture, const Picture& alpha) {
  std::vector<uint8_t> rgba(picture.pixels.size() * 4);
  for (size_t i = 0; i < picture.pixels.size(); i++) {
    const uint32_t pixel = picture.pixels[i];
    rgba[4 * i] = static_cast<uint8_t>(pixel >> 16);
    rgba[4 * i + 1] = static_cast<uint8_t>(pixel >> 8);
    rgba[4 * i + 2] = static_cast<uint8_t>(pixel);
    rgba[4 * i + 3] = i < alpha.pixels.size() ? static_cast<uint8_t>(alpha.pixels[i]) : 0xFF;
  }
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) {
    return {};
  }
  std::vector<uint8_t> file(size);
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, rgba.data(), 0, nullptr)) {
    return {};
  }
  file.resize(size);
  return file;
}

}  // namespace demo
