// Writes the seed corpus of engine_light_fuzz: light chunks of every type
// from the engine's writer.
#include "tests/fuzz/seeds/world_seeds.h"

namespace {

void Make(worldseeds::Seeds* seeds) {
  const RwInt32 types[] = {rpLIGHTDIRECTIONAL, rpLIGHTAMBIENT, rpLIGHTPOINT, rpLIGHTSPOT, rpLIGHTSPOTSOFT};
  const RwRGBAReal color = {0.5f, 0.25f, 1.0f, 1.0f};
  for (RwInt32 type : types) {
    RpLight* light = RpLightCreate(type);
    RpLightSetColor(light, &color);
    RpLightSetRadius(light, 10.0f);
    RpLightSetConeAngle(light, 0.5f);
    seeds->push_back({"light" + std::to_string(type), worldseeds::Written([light](RwStream* stream) {
                        return RpLightStreamWrite(light, stream) != nullptr;
                      })});
    RpLightDestroy(light);
  }
}

}  // namespace

int main(int argc, char** argv) { return worldseeds::WriteCorpus(argc, argv, Make); }
