// The game's one bitmap font, "gothic13": the engine's 8 x 15 charset glyphs
// at their own size (the HUD's boxes are laid out for a font about 13 pixels
// high) on a page of 16 cells a row, a METRICS1 file listing each glyph's
// rectangle, and the page's mask (white ink). Clear gutters between the cells
// keep a glyph drawn enlarged from picking up its neighbour's edge. The
// braces, the bar and the tilde, which the charset stops short of, and the
// German letters follow the charset's.
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
constexpr int kLastCharsetCode = 122;  // the charset's last glyph ('z')
constexpr int kLastCode = 126;         // '~'
constexpr int kDescent = 3 * kScale;

// Codes 123 to 126 in the charset's manner: rows 2 to 12 of the glyph, '#'
// inked, the other rows empty.
constexpr int kPicturedTop = 2;
constexpr int kPicturedRows = 11;
const char* const kLastGlyphs[kLastCode - kLastCharsetCode][kPicturedRows] = {
    {"....##.", "...#...", "...#...", "...#...", "..#....", ".#.....", "..#....", "...#...", "...#...", "...#...",
     "....##."},
    {"...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...",
     "...#..."},
    {".##....", "...#...", "...#...", "...#...", "....#..", ".....#.", "....#..", "...#...", "...#...", "...#...",
     ".##...."},
    {"", "", "", "", "", ".##...#", "#..###.", "", "", "", ""},
};

bool LastGlyphInk(int code, int x, int y) {
  const int row = y - kPicturedTop;
  if (row < 0 || row >= kPicturedRows || x < 0 || x >= kCellWidth / kScale) {
    return false;
  }
  const char* const line = kLastGlyphs[code - kLastCharsetCode - 1][row];
  for (int i = 0; i <= x; i++) {
    if (line[i] == '\0') {
      return false;
    }
  }
  return line[x] == '#';
}

// The German letters beyond the charset, by their Windows-1252 codes (the
// texts' encoding): umlauts are their base letter with two dots above it,
// on row 0 over a capital and row 3 over a small letter.
struct GermanLetter {
  int code;
  char base;  // 0: drawn from kSharpS
};
const GermanLetter kGermanLetters[] = {{0xC4, 'A'}, {0xD6, 'O'}, {0xDC, 'U'}, {0xDF, 0},
                                       {0xE4, 'a'}, {0xF6, 'o'}, {0xFC, 'u'}};
constexpr int kDotColumns[] = {1, 5};
constexpr int kCapitalDotRow = 0;
constexpr int kSmallDotRow = 3;
// Rows 2 to 10 of the sharp s, as tall as a 'b'.
const char* const kSharpS[] = {".####...", "#....#..", "#....#..", "#...#...", "#.##....",
                               "#...#...", "#....#..", "#....#..", "#.###..."};
constexpr int kSharpSTop = 2;

bool GermanInk(const GermanLetter& letter, int x, int y) {
  if (letter.base == 0) {
    const int row = y - kSharpSTop;
    return row >= 0 && row < static_cast<int>(sizeof(kSharpS) / sizeof(kSharpS[0])) && kSharpS[row][x] == '#';
  }
  const int dotRow = letter.base >= 'a' ? kSmallDotRow : kCapitalDotRow;
  if (y == dotRow && (x == kDotColumns[0] || x == kDotColumns[1])) {
    return true;
  }
  return GlyphInk(letter.base, x, y);
}

// Places the glyph of code in the page's next cell.
void AddCell(Picture& page, std::vector<forge::RectGlyph>& glyphs, int code, bool (*ink)(int, int, int)) {
  const int cell = static_cast<int>(glyphs.size());
  const int x0 = (cell % 16) * kColumnPitch;
  const int y0 = (cell / 16) * kRowPitch;
  glyphs.push_back({code, x0, y0, x0 + kCellWidth, y0 + kCellHeight});
  for (int y = 0; y < kCellHeight; y++) {
    for (int x = 0; x < kCellWidth; x++) {
      if (ink(code, x / kScale, y / kScale)) {
        page.Set(x0 + x, y0 + y, 0xFFFFFF);
      }
    }
  }
}

bool CodeInk(int code, int x, int y) {
  for (const GermanLetter& letter : kGermanLetters) {
    if (letter.code == code) {
      return GermanInk(letter, x, y);
    }
  }
  if (code > kLastCharsetCode && code <= kLastCode) {
    return LastGlyphInk(code, x, y);
  }
  return GlyphInk(static_cast<char>(code), x, y);
}

void WriteFont(DataFolder& data, const std::string& name) {
  Picture page(kPageSize, kPageSize, 0x000000);
  std::vector<forge::RectGlyph> glyphs;
  for (int code = kFirstCode; code <= kLastCode; code++) {
    AddCell(page, glyphs, code, CodeInk);
  }
  for (const GermanLetter& letter : kGermanLetters) {
    AddCell(page, glyphs, letter.code, CodeInk);
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
