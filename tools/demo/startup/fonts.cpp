// The game's one bitmap font, "gothic13": the engine's 8 x 15 charset glyphs
// at their own size (the HUD's boxes are laid out for a font about 13 pixels
// high) on a page of 16 cells a row, a METRICS1 file listing each glyph's
// rectangle, and the page's mask (white ink). Clear gutters between the cells
// keep a glyph drawn enlarged from picking up its neighbour's edge.
#include <string>
#include <vector>

#include "tools/demo/demo.h"
#include "tools/demo/picture.h"
#include "tools/forge/files/font_writer.h"

namespace demo {
namespace {

constexpr int kScale = 1;
constexpr int kCellWidth = 8 * kScale;
constexpr int kCellHeight = 15 * kScale;
constexpr int kColumnPitch = kCellWidth + 2;
constexpr int kRowPitch = 32;  // spare pixel rows between glyph rows
constexpr int kPageSize = 256;
constexpr int kFirstCode = 32;
constexpr int kLastCode = 122;  // the charset's last glyph ('z')
constexpr int kDescent = 3 * kScale;

void WriteFont(DataFolder& data, const std::string& name) {
  Picture page(kPageSize, kPageSize, 0x000000);
  std::vector<forge::RectGlyph> glyphs;
  for (int code = kFirstCode; code <= kLastCode; code++) {
    const int cell = code - kFirstCode;
    const int x0 = (cell % 16) * kColumnPitch;
    const int y0 = (cell / 16) * kRowPitch;
    glyphs.push_back({code, x0, y0, x0 + kCellWidth, y0 + kCellHeight});
    DrawText(page, x0, y0, std::string(1, static_cast<char>(code)), 0xFFFFFF, kScale);
  }
  // The page is its own mask: alpha is the brightest channel, so the ink is
  // opaque and the rest clear.
  data.WriteText("data/font/" + name + ".met", forge::Metrics1Text(name + ".bmp", "", kDescent, glyphs));
  data.Write("data/font/" + name + ".bmp", BmpFile(page));
  data.Write("data/font/m" + name + ".bmp", BmpFile(page));
}

}  // namespace

void WriteFonts(DataFolder& data) { WriteFont(data, "gothic13"); }

}  // namespace demo
