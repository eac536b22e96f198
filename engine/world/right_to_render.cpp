// The right-to-render sub-chunk (0x1F) shared by atomics, worlds and world
// sectors: the plugin id of the pipeline's owner and its data word, written
// only for a pipeline that a plugin owns.
#include "engine/src/pipe/p2/pipeline.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/world_internal.h"

namespace {

// u32 plugin id, then the u32 data word; older files hold the id alone.
constexpr RwUInt32 kIdSize = 4;
constexpr RwUInt32 kSize = 8;

RwBool OwnedByPlugin(const RwPipeline* pipeline) { return pipeline != nullptr && pipeline->ownerTag != 0; }

}  // namespace

RwStream* _rpRightToRenderRead(RwStream* stream, RwInt32 length, RpRightToRender* rights) {
  RwUInt8 words[kSize] = {};
  const RwUInt32 kept = static_cast<RwUInt32>(length) == kSize ? kSize : kIdSize;
  if (!RwStreamReadExact(stream, words, kept)) {
    return nullptr;
  }
  *rights = {TRUE, RwReadLittleEndianUInt32(words), RwReadLittleEndianUInt32(words + kIdSize)};
  return stream;
}

RwInt32 _rpRightToRenderGetSize(const RwPipeline* pipeline) {
  return OwnedByPlugin(pipeline) ? static_cast<RwInt32>(kSize) : 0;
}

RwStream* _rpRightToRenderWrite(RwStream* stream, const RwPipeline* pipeline) {
  RwUInt8 words[kSize];
  RwWriteLittleEndianUInt32(words, pipeline->ownerTag);
  RwWriteLittleEndianUInt32(words + kIdSize, pipeline->pluginData);
  return RwStreamWrite(stream, words, kSize);
}
