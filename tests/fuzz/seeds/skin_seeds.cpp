// Seeds of the skin fuzz target: forged skinned tubes (one, two and many
// bones, one with split data) written by the engine's clump writer, and
// small clumps carrying the older, oldest and native skin forms.
#include <vector>

#include "engine/plugin/skin2/skin_internal.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/skin_bytes.h"
#include "tools/forge/forge.h"

namespace {

constexpr RwInt32 kVertices = 3;
const std::vector<RwUInt32> kPath = {kRwChunkClump, kRwChunkGeometryList, kRwChunkGeometry, kRwChunkExtension};

std::vector<uint8_t> TubeBytes(const ForgeTube& tube) {
  return EngineWritten([&tube](RwStream* stream) { return ForgeWriteSkinnedTube(stream, tube); });
}

// The tube with split data on its skin.
std::vector<uint8_t> SplitTubeBytes() {
  RpClump* clump = ForgeSkinnedTubeCreate(ForgeTube());
  RpClumpForAllAtomics(
      clump,
      [](RpAtomic* atomic, void*) {
        RpSkin* skin = RpSkinGeometryGetSkin(RpAtomicGetGeometry(atomic));
        if (_rpSkinAllocateSplit(skin, 4, 3, 2)) {
          for (RwUInt32 i = 0; i < _rpSkinSplitBytes(skin); i++) {
            skin->split.boneTable[i] = static_cast<RwUInt8>(i);
          }
        }
        return atomic;
      },
      nullptr);
  std::vector<uint8_t> bytes = EngineWritten([clump](RwStream* stream) { return RpClumpStreamWrite(clump, stream); });
  RpClumpDestroy(clump);
  return bytes;
}

// A clump of one atomic whose geometry (of three vertices unless native)
// has no skin, with the body appended to the extension at the path.
std::vector<uint8_t> ClumpWith(RwUInt32 geometryFlags, const std::vector<RwUInt32>& path,
                               const std::vector<uint8_t>& body) {
  const bool native = (geometryFlags & rpGEOMETRYNATIVE) != 0;
  RpGeometry* geometry = RpGeometryCreate(native ? 0 : kVertices, native ? 0 : 1, geometryFlags);
  if (!native) {
    geometry->triangles[0] = {{0, 1, 2}, kRpTriangleNoMaterial};
  }
  geometry->morphTarget[0].boundingSphere = {{0.0f, 0.0f, 0.0f}, 1.0f};
  RpGeometryUnlock(geometry);
  RpClump* clump = RpClumpCreate();
  RwFrame* frame = RwFrameCreate();
  RpClumpSetFrame(clump, frame);
  RpAtomic* atomic = RpAtomicCreate();
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpGeometryDestroy(geometry);
  RpAtomicSetFrame(atomic, frame);
  RpClumpAddAtomic(clump, atomic);
  std::vector<uint8_t> bytes = EngineWritten([clump](RwStream* stream) { return RpClumpStreamWrite(clump, stream); });
  RpClumpDestroy(clump);
  AppendSubChunk(&bytes, path, kRpSkinPluginId, body);
  return bytes;
}

}  // namespace

TK_FUZZ_SEEDS(engine_skin_fuzz) {
  StartSeedEngine();
  ForgeTube tube;
  seeds.Add("tube.dff", TubeBytes(tube));
  tube.bones = 1;
  seeds.Add("one_bone.dff", TubeBytes(tube));
  tube.bones = 9;
  tube.rings = 10;
  tube.sides = 4;
  seeds.Add("nine_bones.dff", TubeBytes(tube));
  seeds.Add("split.dff", SplitTubeBytes());
  const std::vector<uint32_t> indices = {0x0201, 0x03, 0x030201};
  const std::vector<float> weights = {0.5f, 0.5f, 0, 0, 1, 0, 0, 0, 0.2f, 0.3f, 0.5f, 0};
  seeds.Add("older.dff", ClumpWith(0, kPath, OlderSkinBody(4, indices, weights)));
  seeds.Add("oldest.dff",
            ClumpWith(0, {kRwChunkClump, kRwChunkAtomic, kRwChunkExtension}, OldestSkinBody(4, indices, weights)));
  seeds.Add("native.dff", ClumpWith(rpGEOMETRYNATIVE, kPath, NativeSkinBody(kRpSkinNativePlatform, 5, kTestStamp)));
}
