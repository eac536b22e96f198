// Writes the seed corpus of the font metrics fuzz target into the folder it
// is given: metrics files of the three formats against the target's page.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/fuzz/font_fuzz_page.h"

namespace {

bool WriteText(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const std::vector<tktest::RectGlyph> glyphs = {{'A', 0, 0, 16, 16}, {'B', 16, 0, 40, 16}, {0xE9, 0, 16, 8, 32}};
  tktest::MarkedPage first = fontfuzz::Page();
  tktest::MarkedPage second = fontfuzz::Page();
  second.mask = "mask.bmp";
  second.descent = 4;
  second.characters = "abcdefghijkxy";
  const std::vector<tktest::OutlineGlyph> outlines = {
      {'O', {"moveto 0 0.5", "curveto 0 1 0.6 1 0.6 0.5", "curveto 0.6 0 0 0 0 0.5", "closepath", "moveto 0.7 0"}},
      {'T', {"moveto 0 1", "lineto 0.6 1", "moveto 0.3 1", "lineto 0.3 0", "moveto 0.65 0"}},
  };
  const struct {
    const char* name;
    std::string text;
  } seeds[] = {
      {"metrics1", tktest::Metrics1Text("page.bmp", "", 3, glyphs)},
      {"metrics1_mask", tktest::Metrics1Text("page.bmp", "mpage.bmp", 0, glyphs)},
      {"metrics2", tktest::Metrics2Text({first})},
      {"metrics2_pages", tktest::Metrics2Text({first, second, first, second})},
      {"metrics3", tktest::Metrics3Text("Outline", outlines)},
  };
  for (const auto& seed : seeds) {
    if (!WriteText(folder + seed.name + ".met", seed.text)) {
      std::fprintf(stderr, "cannot write %s%s.met\n", folder.c_str(), seed.name);
      return 1;
    }
  }
  return 0;
}
