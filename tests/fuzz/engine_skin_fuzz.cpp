// Feeds arbitrary bytes to the clump chunk reader with the skin plugin
// attached: the skin sub-chunks of geometries (newer, older and native
// forms) and of atomics (oldest form). Every skinned atomic read is posed by
// the hierarchy found on the clump's frames and blended; the clump is then
// written back and destroyed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/plugin/skin2/skin_internal.h"
#include "tests/fuzz/world_fuzz_engine.h"
#include "tests/support/skinned_clump.h"

namespace {

// The world module, animation, collision and skins, in the game's order.
bool StartWithSkins() {
  return fakedevice::Init(nullptr, 1u << 20) && RpWorldPluginAttach() && RtAnimPluginAttach() &&
         RpHAnimPluginAttach() && RpCollisionPluginAttach() && RpSkinPluginAttach() && fakedevice::OpenAndStart() &&
         RwTextureSetReadCallBack(worldfuzz::NamedTexture) != FALSE;
}

RpAtomic* Blend(RpAtomic* atomic, void* data) {
  const RpHAnimHierarchy* hierarchy = static_cast<const RpHAnimHierarchy*>(data);
  const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
  const RpSkin* skin = geometry != nullptr ? RpSkinGeometryGetSkin(geometry) : nullptr;
  if (skin == nullptr || geometry->morphTarget == nullptr || geometry->morphTarget[0].verts == nullptr) {
    return atomic;
  }
  const RpSkinBlendMatrix* palette = _rpSkinPrepareMatrices(atomic, skin, hierarchy);
  if (palette != nullptr) {
    std::vector<RwV3d> out(2 * static_cast<size_t>(geometry->numVertices));
    const RpSkinBlendRun run = {0, static_cast<RwUInt32>(geometry->numVertices), nullptr, out.data(),
                                2 * sizeof(RwV3d)};
    _rpSkinBlendVertices(skin, palette, geometry->morphTarget[0].verts, geometry->morphTarget[0].normals, &run);
  }
  return atomic;
}

void Exercise(RpClump* clump) {
  RpHAnimHierarchy* hierarchy = PrepareSkinnedClump(clump);
  if (hierarchy == nullptr) {
    return;
  }
  RpHAnimHierarchyUpdateMatrices(hierarchy);
  RwEngineInstance->renderFrame++;
  RpClumpForAllAtomics(clump, Blend, hierarchy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartWithSkins();
  if (!started) {
    std::abort();
  }
  RpClump* clump = worldfuzz::ReadChunk(data, size, kRwChunkClump, RpClumpStreamRead);
  if (clump != nullptr && RpClumpGetFrame(clump) != nullptr) {
    Exercise(clump);
  }
  worldfuzz::WriteBackAndDestroy(clump, RpClumpStreamWrite, RpClumpDestroy);
  return 0;
}
