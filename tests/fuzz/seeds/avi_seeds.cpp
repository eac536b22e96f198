// Seeds of platform_avi_fuzz: movies of each layout the AVI reader plays, and
// damaged ones, from the test AVI writer. Small frames keep the seeds small,
// so that mutations reach every part of the file.
#include "tests/fuzz/seeds/demo_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tools/forge/files/avi_writer.h"

TK_FUZZ_SEEDS(platform_avi_fuzz) {
  AddDemoSeeds(seeds, {"movies/final.avi"});
  AviWriter small;
  small.width = 6;
  small.height = 4;
  small.frames = 3;
  small.sampleRate = 600;
  seeds.Add("silent.avi", small.Build());
  AviWriter w = small;
  w.withSound = true;
  seeds.Add("sound.avi", w.Build());
  w.withIndex = false;
  seeds.Add("unindexed.avi", w.Build());
  w = small;
  w.withSound = true;
  w.channels = 2;
  w.bits = 8;
  w.recordLists = true;
  seeds.Add("records.avi", w.Build());
  w = small;
  w.withSound = true;
  w.absoluteIndex = true;
  w.emptyFrames = {1};
  seeds.Add("absolute.avi", w.Build());
  w = small;
  w.width = 5;
  w.badIndexEntry = 1;
  seeds.Add("badindex.avi", w.Build());
  w = small;
  w.videoCompression = 0x47504A4D;
  seeds.Add("compressed.avi", w.Build());
  w = small;
  w.withSound = true;
  w.truncateTo = 300;
  seeds.Add("truncated.avi", w.Build());
}
