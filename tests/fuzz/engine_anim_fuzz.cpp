// Reads animation chunks (0x1B) from arbitrary bytes and plays whatever
// reads: binding over one node and over as many nodes as the keys allow,
// stepping forward past the end, back past the start, blending, and making
// the keys relative.
#include <cstdint>
#include <vector>

#include "tests/fuzz/anim_fuzz_engine.h"

namespace {

// Interpolators beyond this many nodes add nothing but time.
constexpr RwInt32 kMaxNodes = 64;

void Play(RtAnimAnimation* animation, RwInt32 nodes) {
  RtAnimInterpolator* player = RtAnimInterpolatorCreate(nodes, sizeof(RpHAnimStdKeyFrame));
  RtAnimInterpolator* other = RtAnimInterpolatorCreate(nodes, sizeof(RpHAnimStdKeyFrame));
  if (player != nullptr && other != nullptr && RtAnimInterpolatorSetCurrentAnim(player, animation) &&
      RtAnimInterpolatorSetCurrentAnim(other, animation)) {
    const RwReal duration = animation->duration;
    RtAnimInterpolatorAddTime(player, duration * 0.3f);
    RtAnimInterpolatorAddTime(player, duration * 2.5f);
    RtAnimInterpolatorSubtractTime(player, duration * 0.4f);
    RtAnimInterpolatorSubtractTime(player, duration * 1.7f);
    RtAnimInterpolatorSetCurrentTime(other, duration);
    RtAnimInterpolatorBlend(player, player, other, 0.5f);
    RtAnimInterpolatorAddTogether(other, player, other);
    RtAnimInterpolatorAddTime(player, 0.01f);
  }
  if (player != nullptr) {
    RtAnimInterpolatorDestroy(player);
  }
  if (other != nullptr) {
    RtAnimInterpolatorDestroy(other);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = fakedevice::StartWithAnimation();
  std::vector<RwUInt8> copy;
  RwStream* stream = started ? fakedevice::OpenChunk(data, size, kRwChunkAnimAnimation, &copy) : nullptr;
  if (stream == nullptr) {
    return 0;
  }
  RtAnimAnimation* animation = RtAnimAnimationStreamRead(stream);
  RwStreamClose(stream, nullptr);
  if (animation != nullptr) {
    const RwInt32 most = animation->numFrames / 2 < kMaxNodes ? animation->numFrames / 2 : kMaxNodes;
    Play(animation, 1);
    Play(animation, most);
    RtAnimAnimationMakeRelative(animation, most, animation->duration * 0.5f);
    RtAnimAnimationDestroy(animation);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
