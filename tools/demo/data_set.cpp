// The whole demo data set.
#include "tools/demo/demo.h"
#include "tools/demo/level01/level01.h"
#include "tools/demo/levels/levels.h"
#include "tools/demo/men/men.h"

namespace demo {

bool WriteDataSet(DataFolder& data) {
  WriteStartupTexts(data);
  WriteFonts(data);
  WriteTextures(data);
  WriteHudTextures(data);
  WriteNameCells(data);
  WriteSounds(data);
  WriteMusic(data);
  WriteMovies(data);
  WriteParticles(data);
  return men::WriteMen(data) && WriteLevel01(data) && WriteLevels(data);
}

}  // namespace demo
