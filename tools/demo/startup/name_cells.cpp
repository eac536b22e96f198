// The name entry's cells: a glyph (or "<-" and "OK" for backspace and end)
// in white on a dark tile with a two-pixel frame, 32 pixels square.
#include <algorithm>
#include <cstdint>
#include <string>

#include "tools/demo/demo.h"
#include "tools/demo/picture.h"

namespace demo {
namespace {

constexpr int kCellSize = 32;
constexpr int kGlyphWidth = 8;
// Capitals, digits and the marks stand on glyph rows 2 to 10.
constexpr int kInkTop = 2;
constexpr int kInkRows = 9;
// Two pixels: a cell drawn smaller than its picture (640 x 480) samples its
// last row and column only in part, and a one-pixel edge there would fade
// away; the grid's bottom row and right column have no neighbour whose own
// edge stands in.
constexpr int kFrameWidth = 2;
constexpr uint32_t kTile = 0x101C2C;
constexpr uint32_t kFrame = 0x4C78A8;
constexpr uint32_t kInk = 0xFFFFFF;

// The cells in the grid's order: the digits, the letters, "!", "dot", "bsp"
// and "end".
std::string CellName(int cell) {
  if (cell < 10) {
    return std::string(1, static_cast<char>('0' + cell));
  }
  if (cell < 36) {
    return std::string(1, static_cast<char>('A' + cell - 10));
  }
  const char* const rest[] = {"!", "dot", "bsp", "end"};
  return rest[cell - 36];
}

Picture Cell(const std::string& name) {
  Picture picture(kCellSize, kCellSize, kTile);
  for (int y = 0; y < kCellSize; y++) {
    for (int x = 0; x < kCellSize; x++) {
      if (std::min(std::min(x, y), std::min(kCellSize - 1 - x, kCellSize - 1 - y)) < kFrameWidth) {
        picture.Set(x, y, kFrame);
      }
    }
  }
  const std::string glyph = name == "dot" ? "." : name == "bsp" ? "<-" : name == "end" ? "OK" : name;
  const int scale = glyph.size() == 1 ? 2 : 1;
  const int width = static_cast<int>(glyph.size()) * kGlyphWidth * scale;
  // The ink, not the glyph's cell, centred up and down.
  const int top = (kCellSize - kInkRows * scale) / 2 - kInkTop * scale;
  DrawText(picture, (kCellSize - width) / 2, top, glyph, kInk, scale);
  return picture;
}

}  // namespace

void WriteNameCells(DataFolder& data) {
  for (int cell = 0; cell < 40; cell++) {
    const std::string name = CellName(cell);
    data.Write("data/menu/fonts/" + name + ".bmp", BmpFile(Cell(name)));
  }
}

}  // namespace demo
