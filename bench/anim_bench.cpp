// Skeletal animation costs per frame: a crowd of 100 characters of 64 nodes
// each stepping its animation and turning keys into node matrices, and the
// cross-fade blend of two players of one skeleton.
#include <benchmark/benchmark.h>

#include <vector>

#include "tests/fuzz/anim_fuzz_engine.h"
#include "tools/forge/forge.h"

namespace {

constexpr int kNodes = 64;
constexpr int kCharacters = 100;
constexpr int kKeysPerNode = 31;  // 30 keys a second over one second
constexpr RwReal kDuration = 1.0f;
constexpr RwReal kFrameTime = 1.0f / 60.0f;

class AnimEngine {
 public:
  AnimEngine() { started_ = fakedevice::StartWithAnimation(); }
  ~AnimEngine() {
    if (started_) {
      fakedevice::Shutdown();
    }
  }
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

// Every node turns back and forth about its own axis and sways.
ForgeAnimation Sway() {
  ForgeAnimation animation;
  animation.duration = kDuration;
  for (int node = 0; node < kNodes; node++) {
    std::vector<ForgeKey> keys;
    for (int k = 0; k < kKeysPerNode; k++) {
      const RwReal time = kDuration * static_cast<RwReal>(k) / (kKeysPerNode - 1);
      const RwReal s = 0.2f * static_cast<RwReal>((k * 7 + node) % 11) / 11.0f;
      const RtQuat q = {{node % 3 == 0 ? s : 0.0f, node % 3 == 1 ? s : 0.0f, node % 3 == 2 ? s : 0.0f},
                        1.0f - s * s / 2.0f};
      keys.push_back({time, q, {0.0f, 0.1f * static_cast<RwReal>(node % 5), s}});
    }
    animation.nodes.push_back(keys);
  }
  return animation;
}

// Limbs of four nodes off a spine: push at a limb's start, pop at its end.
std::vector<RwUInt32> SkeletonFlags() {
  std::vector<RwUInt32> flags(kNodes, 0);
  for (int i = 0; i < kNodes; i++) {
    if (i % 4 == 1) {
      flags[i] = kRpHAnimPush;
    } else if (i % 4 == 3) {
      flags[i] = kRpHAnimPop;
    }
  }
  return flags;
}

struct Crowd {
  RtAnimAnimation* animation = nullptr;
  std::vector<RpHAnimHierarchy*> characters;

  bool Make(int count) {
    animation = ForgeAnimationCreate(Sway());
    if (animation == nullptr) {
      return false;
    }
    const std::vector<RwUInt32> flags = SkeletonFlags();
    for (int i = 0; i < count; i++) {
      RpHAnimHierarchy* hierarchy =
          RpHAnimHierarchyCreate(kNodes, flags.data(), nullptr, 0, sizeof(RpHAnimStdKeyFrame));
      if (hierarchy == nullptr || !RtAnimInterpolatorSetCurrentAnim(hierarchy->currentAnim, animation)) {
        return false;
      }
      // Each character at its own phase.
      RtAnimInterpolatorAddTime(hierarchy->currentAnim, kDuration * static_cast<RwReal>(i) / count);
      characters.push_back(hierarchy);
    }
    return true;
  }

  ~Crowd() {
    for (RpHAnimHierarchy* hierarchy : characters) {
      RpHAnimHierarchyDestroy(hierarchy);
    }
    if (animation != nullptr) {
      RtAnimAnimationDestroy(animation);
    }
  }
};

void BM_AddTimeAndUpdateMatrices(benchmark::State& state) {
  AnimEngine engine;
  Crowd crowd;
  if (!engine.started() || !crowd.Make(kCharacters)) {
    state.SkipWithError("no animation engine");
    return;
  }
  for (auto _ : state) {
    for (RpHAnimHierarchy* hierarchy : crowd.characters) {
      RtAnimInterpolatorAddTime(hierarchy->currentAnim, kFrameTime);
      RpHAnimHierarchyUpdateMatrices(hierarchy);
    }
    benchmark::DoNotOptimize(crowd.characters.back()->pMatrixArray[kNodes - 1].pos.x);
  }
  state.SetItemsProcessed(state.iterations() * kCharacters);
}
BENCHMARK(BM_AddTimeAndUpdateMatrices);

void BM_BlendTwoPlayers(benchmark::State& state) {
  AnimEngine engine;
  Crowd crowd;
  if (!engine.started() || !crowd.Make(3)) {
    state.SkipWithError("no animation engine");
    return;
  }
  RtAnimInterpolator* out = crowd.characters[0]->currentAnim;
  RtAnimInterpolator* from = crowd.characters[1]->currentAnim;
  RtAnimInterpolator* to = crowd.characters[2]->currentAnim;
  RwReal alpha = 0.0f;
  for (auto _ : state) {
    RtAnimInterpolatorBlend(out, from, to, alpha);
    alpha = alpha < 1.0f ? alpha + 0.01f : 0.0f;
    benchmark::DoNotOptimize(RtAnimInterpolatorGetSlot(out, kNodes - 1));
  }
  state.SetItemsProcessed(state.iterations() * kNodes);
}
BENCHMARK(BM_BlendTwoPlayers);

}  // namespace
