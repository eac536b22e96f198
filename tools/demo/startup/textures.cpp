// The textures the front end, the loader screens, the HUD and the level
// loader read by name, each from its drawer; a name no drawer makes gets a
// labelled placeholder, marked as such in the data set.
#include <string>
#include <vector>

#include "tools/demo/demo.h"
#include "tools/demo/picture.h"

namespace demo {
namespace {

struct TextureKind {
  const char* folder;
  int size;   // square side in pixels
  bool mask;  // drawn with alpha: a "_mask" companion
  std::vector<std::string> names;
};

std::vector<std::string> Numbered(const std::string& stem, int first, int last, const std::string& tail) {
  std::vector<std::string> names;
  for (int i = first; i <= last; i++) {
    names.push_back(stem + std::to_string(i) + tail);
  }
  return names;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<TextureKind>& Kinds() {
  static const std::vector<TextureKind> kinds = {
      // Full-screen pictures: logos, menu backgrounds, loader and end screens.
      {"data/menu/", 128, false,
       Joined({"zid_logo", "vux_logo", "engine_logo", "window_background", "MENU_background", "PIRENA_background",
               "TESKLO_background", "CONCEPT_background", "ORDAN_background", "HALDO_background", "VOSTEK_background",
               "SALVERN_background", "KUMB_background"},
              {"CONCEPT01_background", "CONCEPT02_background", "CONCEPT03_background", "CONCEPT04_background",
               "CONCEPT05_background", "CONCEPT06_background"})},
      {"data/screens/", 128, false, {"level00", "endscreen1", "endscreen2", "endscreen3", "creditscreen"}},
      {"data/screens/", 32, true, {"barpiece"}},
      // HUD sprites, icons and markers.
      {"data/textures/", 32, true,
       Joined(Joined({"crosshair",
                      "civil",
                      "dorvaman",
                      "enemy",
                      "healthicon",
                      "noiseicon",
                      "shieldicon",
                      "mission_no",
                      "mission_yes",
                      "diskerror",
                      "alert",
                      "dalert",
                      "galert",
                      "malert",
                      "info",
                      "txtdelicon",
                      "ba1",
                      "ba2",
                      "bf",
                      "ja1",
                      "ja2",
                      "kot1",
                      "kot2",
                      "iconscard",
                      "iconsclosedoor",
                      "iconsdiy",
                      "iconseds",
                      "iconshacking",
                      "iconshock",
                      "iconskey",
                      "iconslaser",
                      "iconsopenabledoor",
                      "iconssearch",
                      "implantsel3",
                      "implantsel4"},
                     Numbered("implant", 0, 6, "")),
              Numbered("inventory", 0, 9, ""))},
      // The hacking panel and the implants' effects.
      {"data/hack/",
       64,
       true,
       {"frame", "key0", "key1", "key2", "key3", "panelBackground", "panelBorder", "panelBlink", "blue"}},
      {"data/implants/", 64, true, {"lightning"}},
      {"data/implants/prc/",
       32,
       true,
       {"prc_alert", "prc_bluecloud", "prc_code1", "prc_code2", "prc_code3", "prc_elctro", "prc_fire", "prc_fire1",
        "prc_greencloud", "prc_hack", "prc_info", "prc_lightfx_blue", "prc_redtwist", "prc_shinebit", "prc_smoke",
        "prc_star"}},
  };
  return kinds;
}

}  // namespace

const std::vector<std::string>& TextureNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const TextureKind& kind : Kinds()) {
      for (const std::string& name : kind.names) {
        all.push_back(kind.folder + name);
      }
    }
    return all;
  }();
  return names;
}

const std::vector<std::string>& MaskedTextureNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> masked;
    for (const TextureKind& kind : Kinds()) {
      for (const std::string& name : kind.names) {
        if (kind.mask) {
          masked.push_back(kind.folder + name);
        }
      }
    }
    return masked;
  }();
  return names;
}

void WriteTextures(DataFolder& data) {
  for (const TextureKind& kind : Kinds()) {
    for (const std::string& name : kind.names) {
      const std::string path = kind.folder + name;
      Picture picture(0, 0, 0);
      Picture alpha(0, 0, 0);
      if (ParticlePicture(path, &picture)) {
        alpha = picture;
      } else if (!FrontEndPicture(path, &picture) && !HackPicture(path, &picture, &alpha)) {
        // A picture no drawer makes yet: marked, so that the set's checks
        // find it wherever the game shows it.
        data.WritePlaceholder(path + ".bmp", BmpFile(Placeholder(path, kind.size, kind.size)));
        if (kind.mask) {
          data.WritePlaceholder(path + "_mask.bmp", BmpFile(PlaceholderMask(kind.size, kind.size)));
        }
        continue;
      }
      data.Write(path + ".bmp", BmpFile(picture));
      if (alpha.width > 0) {
        // Found before the bitmap: its alpha clears the quad around the shape.
        data.Write(path + ".png", PngFile(picture, alpha));
      }
      if (kind.mask) {
        data.Write(path + "_mask.bmp", BmpFile(alpha.width > 0 ? alpha : PlaceholderMask(kind.size, kind.size)));
      }
    }
  }
}

}  // namespace demo
