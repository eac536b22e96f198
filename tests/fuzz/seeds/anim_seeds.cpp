// Seeds of the animation fuzz targets: animations forged over one to eight
// nodes, and frame lists of skeletons built in code, with their hierarchies
// under the update flags, written by the engine's frame list writer.
#include <vector>

#include "tests/fuzz/seeds/seed_corpus.h"
#include "tools/forge/forge.h"

namespace {

// Stands for "no hierarchy on the skeleton's root".
constexpr RwUInt32 kNoHierarchy = 0xFFFFFFFF;

// Every node turns a little about x and rises with time.
ForgeAnimation Walk(int nodes, int keysPerNode, RwReal duration) {
  ForgeAnimation animation;
  animation.duration = duration;
  for (int node = 0; node < nodes; node++) {
    std::vector<ForgeKey> keys;
    for (int k = 0; k < keysPerNode; k++) {
      const RwReal time = duration * static_cast<RwReal>(k) / static_cast<RwReal>(keysPerNode - 1);
      const RwReal turn = 0.1f * static_cast<RwReal>((node + k) % 5);
      keys.push_back({time, {{turn, 0.0f, 0.0f}, 1.0f - turn * turn / 2.0f}, {0.0f, static_cast<RwReal>(node), time}});
    }
    animation.nodes.push_back(keys);
  }
  return animation;
}

std::vector<uint8_t> AnimationBytes(const ForgeAnimation& animation) {
  return EngineWritten([&animation](RwStream* stream) { return ForgeWriteAnimation(stream, animation); });
}

// A skeleton of count frames, each the child of the one before except every
// third, which hangs on the root; the hierarchy (unless kNoHierarchy) sits on
// the root.
std::vector<uint8_t> SkeletonBytes(int count, RwUInt32 flags, RwInt32 keyFrameSize) {
  std::vector<RwFrame*> frames;
  std::vector<RwInt32> ids;
  std::vector<RwUInt32> nodeFlags;
  for (int i = 0; i < count; i++) {
    RwFrame* frame = RwFrameCreate();
    RpHAnimFrameSetID(frame, 10 + i);
    if (i > 0) {
      RwFrameAddChild(i % 3 == 0 ? frames[0] : frames[i - 1], frame);
    }
    frames.push_back(frame);
    ids.push_back(10 + i);
    nodeFlags.push_back(i % 3 == 2 ? kRpHAnimPop : (i % 3 == 0 ? kRpHAnimPush : 0));
  }
  if (flags != kNoHierarchy) {
    RpHAnimFrameSetHierarchy(frames[0],
                             RpHAnimHierarchyCreate(count, nodeFlags.data(), ids.data(), flags, keyFrameSize));
  }
  RwFrameList list;
  RwFrameListInitialize(&list, frames[0]);
  const std::vector<uint8_t> bytes =
      EngineWritten([&list](RwStream* stream) { return RwFrameListStreamWrite(&list, stream); });
  RwFrameListDeinitialize(&list);
  RwFrameDestroyHierarchy(frames[0]);
  return bytes;
}

}  // namespace

TK_FUZZ_SEEDS(engine_anim_fuzz) {
  StartSeedEngine();
  seeds.Add("one_node.anm", AnimationBytes(Walk(1, 2, 1.0f)));
  seeds.Add("three_nodes.anm", AnimationBytes(Walk(3, 3, 2.0f)));
  seeds.Add("eight_nodes.anm", AnimationBytes(Walk(8, 4, 0.5f)));
  seeds.Add("many_keys.anm", AnimationBytes(Walk(2, 7, 3.0f)));
}

TK_FUZZ_SEEDS(engine_hanim_frame_fuzz) {
  StartSeedEngine();
  const RwInt32 standard = sizeof(RpHAnimStdKeyFrame);
  seeds.Add("node_id_only.dff", SkeletonBytes(1, kNoHierarchy, 0));
  seeds.Add("skeleton.dff", SkeletonBytes(3, 0, standard));
  seeds.Add("frame_matrices.dff", SkeletonBytes(5, kRpHAnimUpdateModelling | kRpHAnimUpdateLTMs, standard));
  seeds.Add("no_matrices.dff", SkeletonBytes(4, kRpHAnimNoMatrices | kRpHAnimUpdateLTMs, 64));
  seeds.Add("local_space.dff", SkeletonBytes(6, kRpHAnimLocalSpace | kRpHAnimUpdateLTMs, standard));
}
