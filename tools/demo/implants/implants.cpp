// The implants' models, settings and messages.
#include "tools/demo/implants/implants.h"

#include <cstdio>
#include <vector>

#include "tools/demo/level01/level01_parts.h"
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace demo {

namespace {

ForgeUserData Int(const char* name, RwInt32 value) {
  ForgeUserData data;
  data.name = name;
  data.format = rpINTUSERDATA;
  data.ints = {value};
  return data;
}

// An untextured box, left out of every collision test; a beam is not lit.
ForgePart Box(RwV3d size, RwV3d offset, RwRGBA colour, bool lit) {
  ForgePart part;
  part.size = size;
  part.offset = offset;
  part.material.color = colour;
  part.userData = {Int("collision.collision", 0)};
  if (!lit) {
    part.userData.push_back(Int("nolight.nolight", 0));
  }
  return part;
}

struct Model {
  const char* path;
  std::vector<ForgePart> parts;
};

// Each model runs along +z from its frame's origin.
std::vector<Model> Models() {
  return {
      {"data/implants/laser/laserimplant.dff",
       {Box({0.05f, 0.05f, 0.12f}, {0.0f, 0.0f, 0.06f}, {150, 150, 160, 255}, true),
        Box({0.02f, 0.02f, 0.02f}, {0.0f, 0.0f, 0.13f}, {220, 30, 30, 255}, false)}},
      {"data/implants/laser/laserbeam.dff", {Box({0.15f, 0.15f, 1.0f}, {0.0f, 0.0f, 0.5f}, {255, 40, 40, 255}, false)}},
      {"data/implants/taser/taser.dff",
       {Box({0.06f, 0.04f, 0.1f}, {0.0f, 0.0f, 0.05f}, {60, 70, 110, 255}, true),
        Box({0.015f, 0.015f, 0.03f}, {0.0f, 0.0f, 0.11f}, {120, 170, 255, 255}, false)}},
      {"data/implants/bluebeam/laserbeams.dff",
       {Box({0.06f, 0.06f, 0.1f}, {0.0f, 0.0f, 0.05f}, {60, 120, 255, 255}, false)}},
  };
}

struct Message {
  const char* key;  // the settings' key prefix
  const char* english;
  const char* german;  // Windows-1252
};

const Message kMessages[] = {
    {"LASER", "Not enough energy for the laser.", "Zu wenig Energie f\xFCr den Laser."},
    {"EDS", "Not enough energy for the EDS.", "Zu wenig Energie f\xFCr den EDS."},
    {"TASER", "Not enough energy for a shock.", "Zu wenig Energie f\xFCr einen Schock."},
    {"HOLOGRAM", "Not enough energy for the hologram.", "Zu wenig Energie f\xFCr das Hologramm."},
    {"DART", "Not enough energy for a dart.", "Zu wenig Energie f\xFCr einen Pfeil."},
    {"ULTRA", "Not enough energy for Ultra.", "Zu wenig Energie f\xFCr Ultra."},
    {"MAGNETIC", "Not enough energy for the shield.", "Zu wenig Energie f\xFCr den Schild."},
};

}  // namespace

bool WriteImplantModels(DataFolder& data) {
  for (const Model& model : Models()) {
    std::vector<uint8_t> bytes;
    if (!ForgeEngineWritten([&model](RwStream* stream) { return ForgeWriteClump(stream, model.parts); }, &bytes)) {
      return false;
    }
    data.Write(model.path, std::move(bytes));
  }
  return WriteDartModels(data);
}

int FirstImplantMessage(int count) { return count + 1; }

std::string ImplantsConfigGroup() {
  const char* costs[] = {"0.2", "0.2", "0.1", "0.2", "0.2", "0.03", "0.02"};
  std::string text = "[implants]\n";
  int number = FirstImplantMessage(level01::kMessageCount);
  for (size_t i = 0; i < sizeof(kMessages) / sizeof(kMessages[0]); i++) {
    text += std::string(kMessages[i].key) + "_ENERGY = " + costs[i] + "\n";
    text += std::string(kMessages[i].key) + "_MESSAGE = " + std::to_string(number++) + "\n";
  }
  return text + "TASER_RANGE = 6.0\nTASER_USE_ANGLE = 45\n\n";
}

std::string ImplantMessageLines(bool english, int count) {
  std::string text;
  char key[32];
  int index = count;
  for (const Message& message : kMessages) {
    std::snprintf(key, sizeof key, "MESSAGE%02d", index++);
    text += std::string(key) + " = \"" + (english ? message.english : message.german) + "\"\n";
  }
  return text;
}

}  // namespace demo
