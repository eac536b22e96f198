// The one page image the font metrics fuzz target serves as its page and mask
// images, and its seeds are written against: 64 x 64 pixels of glyph cells
// 16 rows high, marked as METRICS2 pages mark them.
#pragma once

#include "tools/forge/files/font_writer.h"

namespace fontfuzz {

inline forge::MarkedPage Page() {
  forge::MarkedPage page;
  page.image = "page.bmp";
  page.width = 64;
  page.height = 64;
  page.cellHeight = 16;
  page.bands = {{10, 12, 14, 9}, {8, 8, 8, 8, 8}, {20, 1, 6}, {30, 30}};
  page.characters = "ABCDEFGHIJKXY";
  return page;
}

}  // namespace fontfuzz
