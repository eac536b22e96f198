// The animation writer: per-node key lists laid out in the order the player
// needs them and written as an animation chunk through the standard
// keyframe's own key writer.
#include <algorithm>

#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

// version, keyframe type id, key count, flags, duration.
constexpr RwUInt32 kAnimationHeaderSize = 20;

bool NodePlayable(const std::vector<ForgeKey>& keys, RwReal duration) {
  if (keys.size() < 2 || keys.front().time != 0.0f || keys.back().time != duration) {
    return false;
  }
  for (size_t i = 1; i < keys.size(); i++) {
    if (!(keys[i].time > keys[i - 1].time)) {
      return false;
    }
  }
  return true;
}

// The key block in player order, each key's previous key pointing into it.
std::vector<RpHAnimStdKeyFrame> LayOut(const ForgeAnimation& animation) {
  const std::vector<ForgeKeyRef> order = ForgeAnimationKeyOrder(animation);
  std::vector<std::vector<RwInt32>> position(animation.nodes.size());
  for (size_t node = 0; node < animation.nodes.size(); node++) {
    position[node].resize(animation.nodes[node].size());
  }
  for (size_t i = 0; i < order.size(); i++) {
    position[order[i].node][order[i].key] = static_cast<RwInt32>(i);
  }
  std::vector<RpHAnimStdKeyFrame> block(order.size());
  for (size_t i = 0; i < order.size(); i++) {
    const ForgeKey& key = animation.nodes[order[i].node][order[i].key];
    RpHAnimStdKeyFrame& out = block[i];
    out.prevFrame = order[i].key > 0 ? &block[position[order[i].node][order[i].key - 1]] : nullptr;
    out.time = key.time;
    out.pad = 0;
    out.q = key.rotation;
    out.t = key.translation;
  }
  return block;
}

}  // namespace

std::vector<ForgeKeyRef> ForgeAnimationKeyOrder(const ForgeAnimation& animation) {
  std::vector<ForgeKeyRef> order;
  const RwInt32 nodes = static_cast<RwInt32>(animation.nodes.size());
  for (RwInt32 key = 0; key < 2; key++) {
    for (RwInt32 node = 0; node < nodes; node++) {
      if (key < static_cast<RwInt32>(animation.nodes[node].size())) {
        order.push_back({node, key});
      }
    }
  }
  std::vector<ForgeKeyRef> later;
  for (RwInt32 node = 0; node < nodes; node++) {
    for (RwInt32 key = 2; key < static_cast<RwInt32>(animation.nodes[node].size()); key++) {
      later.push_back({node, key});
    }
  }
  const auto previousTime = [&animation](const ForgeKeyRef& ref) {
    return animation.nodes[ref.node][ref.key - 1].time;
  };
  // Stable: equal times keep node order.
  std::stable_sort(later.begin(), later.end(), [&previousTime](const ForgeKeyRef& a, const ForgeKeyRef& b) {
    return previousTime(a) < previousTime(b);
  });
  order.insert(order.end(), later.begin(), later.end());
  return order;
}

bool ForgeAnimationPlayable(const ForgeAnimation& animation) {
  if (!(animation.duration > 0.0f) || animation.nodes.empty()) {
    return false;
  }
  for (const std::vector<ForgeKey>& keys : animation.nodes) {
    if (!NodePlayable(keys, animation.duration)) {
      return false;
    }
  }
  return true;
}

bool ForgeWriteAnimation(RwStream* stream, const ForgeAnimation& animation) {
  const RtAnimKeyFrameType* type = RtAnimGetKeyFrameType(kRpHAnimStdKeyFrameTypeId);
  if (type == nullptr || !ForgeAnimationPlayable(animation)) {
    return false;
  }
  std::vector<RpHAnimStdKeyFrame> block = LayOut(animation);
  RtAnimAnimation record = {};
  record.interpInfo = const_cast<RtAnimKeyFrameType*>(type);
  record.numFrames = static_cast<RwInt32>(block.size());
  record.flags = animation.flags;
  record.duration = animation.duration;
  record.pFrames = block.data();
  const RwUInt32 length = kAnimationHeaderSize + static_cast<RwUInt32>(type->keyFrameStreamGetSizeCB(&record));
  RwUInt8 header[kAnimationHeaderSize];
  RwWriteLittleEndianUInt32(header, kRtAnimStreamVersion);
  RwWriteLittleEndianUInt32(header + 4, type->typeID);
  RwWriteLittleEndianUInt32(header + 8, static_cast<RwUInt32>(record.numFrames));
  RwWriteLittleEndianUInt32(header + 12, record.flags);
  RwWriteLittleEndianReal(header + 16, record.duration);
  return RwStreamWriteVersionedChunkHeader(stream, kRwChunkAnimAnimation, length, kRwLibraryVersion, kRwLibraryBuild) !=
             nullptr &&
         RwStreamWrite(stream, header, kAnimationHeaderSize) != nullptr && type->keyFrameStreamWriteCB(&record, stream);
}

bool ForgeWriteAnimationFile(const RwChar* path, const ForgeAnimation& animation) {
  return ForgeWriteFile(path, [&animation](RwStream* stream) { return ForgeWriteAnimation(stream, animation); });
}

RtAnimAnimation* ForgeAnimationCreate(const ForgeAnimation& animation) {
  std::vector<RwUInt8> bytes;
  if (!ForgeEngineWritten([&animation](RwStream* stream) { return ForgeWriteAnimation(stream, animation); }, &bytes)) {
    return nullptr;
  }
  return ForgeReadChunk(bytes, kRwChunkAnimAnimation, RtAnimAnimationStreamRead);
}
