// Writes 2D toolkit fonts for tests and data: metrics files (".met") of the three
// formats as text, and the BMP page images they name, with glyph rectangles
// or marked glyph cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/forge/files/bmp_writer.h"

namespace forge {

// A METRICS1 glyph: its code and its rectangle in image pixels.
struct RectGlyph {
  int code;
  int x0;  // left
  int y0;  // top
  int x1;  // right
  int y1;  // bottom
};

// "METRICS1": the image line (with the mask name when one is given), the
// descent in pixels and a line per glyph.
std::string Metrics1Text(const std::string& image, const std::string& mask, int descent,
                         const std::vector<RectGlyph>& glyphs);
// A 24-bit page of background with every glyph's rectangle filled with ink.
BmpDescription RectPageImage(int width, int height, const std::vector<RectGlyph>& glyphs, uint32_t ink = 0xFFFFFF,
                             uint32_t background = 0x000000);

// The colour of the markers that frame METRICS2 cells.
constexpr uint32_t kCellMarker = 0xFF00FF;

// A METRICS2 page: bands of cells cellHeight rows apart, each cell framed by
// markers in its band's top row.
struct MarkedPage {
  std::string image;
  std::string mask;  // empty: none
  int descent = 0;
  int width = 0;
  int height = 0;
  int cellHeight = 0;
  // Per band, the distances from marker to marker starting at x = 0; a
  // distance of 1 puts two markers side by side. Two markers side by side
  // follow the last distance when the row has room.
  std::vector<std::vector<int>> bands;
  std::string characters;  // the character line, without its end
};

// Markers down column 0 at every band's top and along each band's top row;
// the inside of every cell (two pixels in from its markers) filled with ink.
BmpDescription MarkedPageImage(const MarkedPage& page, uint32_t ink = 0xFFFFFF, uint32_t background = 0x000000);
// "METRICS2": per page the image line, the descent and the character line.
std::string Metrics2Text(const std::vector<MarkedPage>& pages);

// A METRICS3 character: its path commands ("moveto 0 0", "closepath").
struct OutlineGlyph {
  char code;
  std::vector<std::string> commands;
};

// "METRICS3": the name line, then per character "'c'", "begin", the commands
// and "end".
std::string Metrics3Text(const std::string& name, const std::vector<OutlineGlyph>& glyphs);

}  // namespace forge
