// The first level: writes its parts and gives "data/config.txt" the level's
// group and its light groups.
#include "tools/demo/level01/level01.h"

#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/level01/map_plan.h"
#include "tools/demo/level01/objects.h"

namespace demo {

namespace {

// The map markers that the devices' ICON keys name ("data/textures/iconN"),
// unless the data set has them already: doors green, controls yellow,
// things to take blue, the way out magenta.
void WriteIcons(DataFolder& data) {
  const uint32_t colours[level01::kIconCount] = {0x40C040, 0xE0C020, 0x40A0F0, 0xE040E0};
  for (int n = 1; n <= level01::kIconCount; ++n) {
    const std::string path = "data/textures/icon" + std::to_string(n) + ".bmp";
    if (!data.Has(path)) {
      data.Write(path, level01::GlowBitmap(16, colours[n - 1]));
    }
  }
}

}  // namespace

bool WriteLevel01(DataFolder& data) {
  using namespace level01;
  if (!WriteGeometry(data) || !WriteModels(data)) {
    return false;
  }
  WriteObjects(data);
  WriteTexts(data);
  WriteMen(data);
  WriteIcons(data);
  return WriteMapData(data);
}

std::string Level01ConfigGroups() { return level01::ConfigGroups(); }

namespace level01 {

std::string ConfigGroups() {
  std::string edges;
  for (int number : Edges()) {
    edges += (edges.empty() ? "" : ", ") + std::to_string(number);
  }
  std::string text = "[level01]\n";
  text += "NEXTSTAGE = level02\nNEXTSTAGEHARD = level02\n";
  text += "AI_DO_DISTANCE = 40.0\n";
  text += "BSP = " + std::string(kBspPath) + "\n";
  text += "FOG = 1\nFOGDISTANCE = 40.0\nFOGCOLOR = [20, 22, 28, 255]\n";
  text += "DFFPATH = " + std::string(kModelFolder) + "\nXRFPATH = " + std::string(kLocatorFolder) + "\n";
  text += "OBJECTS = " + std::string(kObjectsPath) + "\nPROPS = " + std::string(kPropsPath) + "\n";
  text += "TIMERDEVICES = [timer_1, timer_2]\n";
  // The small map reaches guard_1's whole round from the start; the full
  // map turns the plan half round (see kMapAngle).
  text += "MAPDIST = 16.0\nFLASHICON = " + std::to_string(kFlashIcon) + "\nMAP = " + std::string(kMapPath) +
          "\nMAP_ANGLE = " + std::to_string(kMapAngle) + "\n";
  text += "GRAPH = " + std::string(kGraphPath) + "\nEDGES = [" + edges + "]\n";
  text += "SKY = " + std::string(kSkyPath) + "\n";
  text += "PARTICLES = " + ListText(ParticleNames()) + "\n";
  text += "LIGHT = [level01_ambient, level01_sun, level01_lamp, level01_spot, level01_softspot]\n";
  text += LightmapKeys();
  text += "DIRLIGHTADD = 0.1\nDIRLIGHTANGLE = 55\n";
  text += "TEXTS = " + std::string(kTextsPrefix) + "\n";
  // A hack's time runs from the panel's opening: 2.5 s a key leaves a
  // newcomer time to read the row before the first press.
  text += "HACK_DEFAULT_KEY_NUMBER = 3\nHACK_KEY_TIME = 2.5\nHACK_ICON_ALPHA_VALUE = 128\n";

  // The level's ambient light and sun light every man besides the camera's
  // lights and the light his lightmaps give him: kept dim, so that the men
  // stay below their full colour, where the brightness option and the
  // shield's tint still show on them.
  text += "\n[level01_ambient]\nTYPE = AMBIENT\nCOLOR = (0.1,0.1,0.12,1.0)\n";
  text +=
      "\n[level01_sun]\nTYPE = DIRECTIONAL\nCOLOR = (0.3,0.29,0.25,1.0)\nPOS = (12.0,10.0,4.0)\n"
      "LOOKATPOS = (12.0,0.0,0.0)\n";
  text += "\n[level01_lamp]\nTYPE = POINT\nCOLOR = (1.0,0.9,0.7,1.0)\nPOS = (12.0,2.7,0.0)\nRADIUS = 8.0\n";
  text +=
      "\n[level01_spot]\nTYPE = SPOT\nCOLOR = (0.9,0.9,1.0,1.0)\nPOS = (4.0,2.7,5.7)\nLOOKATPOS = (4.0,0.0,5.7)\n"
      "RADIUS = 6.0\nCONEANGLE = 40\n";
  text +=
      "\n[level01_softspot]\nTYPE = SPOTSOFT\nCOLOR = (1.0,0.8,0.6,1.0)\nPOS = (20.0,2.7,5.7)\n"
      "LOOKATPOS = (20.0,0.0,5.7)\nRADIUS = 6.0\nCONEANGLE = 50\n";
  return text;
}

}  // namespace level01
}  // namespace demo
