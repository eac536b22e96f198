// Seeds of the font metrics fuzz target: metrics files of the three formats,
// written against the target's fixed page of marked cells.
#include <vector>

#include "tests/fuzz/font_fuzz_page.h"
#include "tests/fuzz/seeds/demo_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"

TK_FUZZ_SEEDS(engine_font_metrics_fuzz) {
  AddDemoSeeds(seeds, {"font/gothic13.met"});
  const std::vector<forge::RectGlyph> glyphs = {{'A', 0, 0, 16, 16}, {'B', 16, 0, 40, 16}, {0xE9, 0, 16, 8, 32}};
  forge::MarkedPage first = fontfuzz::Page();
  forge::MarkedPage second = fontfuzz::Page();
  second.mask = "mask.bmp";
  second.descent = 4;
  second.characters = "abcdefghijkxy";
  const std::vector<forge::OutlineGlyph> outlines = {
      {'O', {"moveto 0 0.5", "curveto 0 1 0.6 1 0.6 0.5", "curveto 0.6 0 0 0 0 0.5", "closepath", "moveto 0.7 0"}},
      {'T', {"moveto 0 1", "lineto 0.6 1", "moveto 0.3 1", "lineto 0.3 0", "moveto 0.65 0"}},
  };
  seeds.Add("metrics1.met", forge::Metrics1Text("page.bmp", "", 3, glyphs));
  seeds.Add("metrics1_mask.met", forge::Metrics1Text("page.bmp", "mask.bmp", 0, glyphs));
  seeds.Add("metrics2.met", forge::Metrics2Text({first}));
  seeds.Add("metrics2_pages.met", forge::Metrics2Text({first, second, first, second}));
  seeds.Add("metrics3.met", forge::Metrics3Text("Outline", outlines));
}
