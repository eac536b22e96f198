// Reads chunk headers, the chunk search, matrix chunks and frame lists (with a
// frame plugin that streams a word) from arbitrary bytes, through memory and
// callback streams; whatever reads cleanly is synchronised, written back and
// read again, then destroyed.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "engine/src/engine_internal.h"
#include "tests/fuzz/fake_device_engine.h"

namespace {

constexpr RwUInt32 kFramePluginId = 0x1F0;

RwStream* ReadTag(RwStream* stream, RwInt32, void* object, RwInt32 offset, RwInt32) {
  return RwStreamReadInt32(stream, RwPluginDataGet(RwInt32, object, offset), 4);
}

RwStream* WriteTag(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  return RwStreamWriteInt32(stream, RwPluginDataGetConst(RwInt32, object, offset), 4);
}

RwInt32 TagSize(const void* object, RwInt32 offset, RwInt32) {
  return *RwPluginDataGetConst(RwInt32, object, offset) != 0 ? 4 : 0;
}

bool StartEngine() {
  if (!fakedevice::Init(nullptr, 0)) {
    return false;
  }
  RwFrameRegisterPlugin(sizeof(RwInt32), kFramePluginId, nullptr, nullptr, nullptr);
  RwFrameRegisterPluginStream(kFramePluginId, ReadTag, WriteTag, TagSize);
  return fakedevice::OpenAndStart();
}

// A callback stream over the same bytes.
struct Cursor {
  const RwUInt8* data;
  RwUInt32 size;
  RwUInt32 position;
};

RwUInt32 CursorRead(void* d, void* buffer, RwUInt32 length) {
  Cursor* c = static_cast<Cursor*>(d);
  const RwUInt32 count = length < c->size - c->position ? length : c->size - c->position;
  if (count > 0) {  // an empty input has no data pointer at all
    std::memcpy(buffer, c->data + c->position, count);
  }
  c->position += count;
  return count;
}

RwInt32 CursorSkip(void* d, RwUInt32 offset) {
  Cursor* c = static_cast<Cursor*>(d);
  if (offset > c->size - c->position) {
    return 0;
  }
  c->position += offset;
  return 1;
}

void WalkHeaders(RwStream* stream) {
  RwUInt32 type, length, version, build;
  while (RwStreamReadChunkHeader(stream, &type, &length, &version, &build)) {
    if (RwStreamSkip(stream, length) == nullptr) {
      break;
    }
  }
}

void ReadFrames(RwStream* stream) {
  if (!RwStreamFindChunk(stream, kRwChunkFrameList, nullptr, nullptr)) {
    return;
  }
  RwFrameList list;
  if (RwFrameListStreamRead(stream, &list) == nullptr) {
    return;
  }
  RwFrameSyncDirty();
  // Write the first hierarchy back and read it again.
  if (list.numFrames > 0) {
    RwFrameList written;
    if (RwFrameListInitialize(&written, list.frames[0]) != nullptr) {
      RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
      const bool ok = out != nullptr && RwFrameListStreamWrite(&written, out) != nullptr;
      RwMemory memory = {};
      if (out != nullptr) {
        RwStreamClose(out, &memory);
      }
      if (ok) {
        RwStream* in = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
        RwFrameList again;
        if (in != nullptr && RwStreamFindChunk(in, kRwChunkFrameList, nullptr, nullptr) &&
            RwFrameListStreamRead(in, &again) != nullptr) {
          if (again.numFrames != written.numFrames) {
            __builtin_trap();  // a written list must read back whole
          }
          RwFrameDestroyHierarchy(again.frames[0]);
          RwFrameListDeinitialize(&again);
        }
        if (in != nullptr) {
          RwStreamClose(in, nullptr);
        }
      }
      EngineFree(memory.start);
      RwFrameListDeinitialize(&written);
    }
  }
  // Frames of the list without a parent are the roots of its hierarchies.
  for (RwInt32 i = list.numFrames - 1; i >= 0; --i) {
    if (RwFrameGetParent(list.frames[i]) == nullptr) {
      RwFrameDestroyHierarchy(list.frames[i]);
    }
  }
  RwFrameListDeinitialize(&list);
}

void ReadMatrix(RwStream* stream) {
  if (!RwStreamFindChunk(stream, kRwChunkMatrix, nullptr, nullptr)) {
    return;
  }
  RwMatrix* matrix = RwMatrixStreamRead(stream, nullptr);
  if (matrix != nullptr) {
    RwMatrix inverse;
    RwMatrixInvert(&inverse, matrix);
    RwMatrixDestroy(matrix);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = StartEngine();
  if (!started || size > UINT32_MAX) {
    return 0;
  }
  std::vector<RwUInt8> copy(data, data + size);
  RwMemory memory = {copy.data(), static_cast<RwUInt32>(copy.size())};
  void (*readers[])(RwStream*) = {WalkHeaders, ReadFrames, ReadMatrix};
  for (auto reader : readers) {
    RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
    if (stream != nullptr) {
      reader(stream);
      RwStreamClose(stream, nullptr);
    }
  }
  Cursor cursor = {copy.data(), static_cast<RwUInt32>(copy.size()), 0};
  RwStreamCustom custom = {nullptr, CursorRead, nullptr, CursorSkip, &cursor};
  RwStream* stream = RwStreamOpen(kRwStreamCustom, kRwStreamRead, &custom);
  if (stream != nullptr) {
    ReadFrames(stream);
    RwStreamClose(stream, nullptr);
  }
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
