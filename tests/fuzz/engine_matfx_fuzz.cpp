// Feeds arbitrary bytes to the material chunk reader with the material-effects
// plugin attached: the effects kind, slot types, coefficients, blend modes
// and texture chunks. Textures the seeds name are found in the current
// dictionary (without rasters, so bump maps are not rebuilt), others are not
// found; what reads is written back and destroyed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/world_fuzz_engine.h"

namespace {

const char* const kDictionaryNames[] = {"abc", "xy", "axbyc", "chrome", "overlay"};

RwTexture* NoTexture(const RwChar*, const RwChar*) { return nullptr; }

bool StartEngine() {
  // Only the plugin under test: the material's other sub-chunks have their
  // own targets.
  if (!fakedevice::Init(nullptr, 1u << 20) || !RpWorldPluginAttach() || !RpMatFXPluginAttach() ||
      !fakedevice::OpenAndStart() || !RwTextureSetReadCallBack(NoTexture)) {
    return false;
  }
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  if (dictionary == nullptr) {
    return false;
  }
  RwTexDictionarySetCurrent(dictionary);
  for (const char* name : kDictionaryNames) {
    RwTexture* texture = RwTextureCreate(nullptr);
    if (texture == nullptr) {
      return false;
    }
    RwTextureSetName(texture, name);
    RwTexDictionaryAddTexture(dictionary, texture);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartEngine();
  if (!started) {
    std::abort();
  }
  worldfuzz::ReadWriteDestroyStarted(data, size, kRwChunkMaterial, RpMaterialStreamRead, RpMaterialStreamWrite,
                                     RpMaterialDestroy);
  return 0;
}
