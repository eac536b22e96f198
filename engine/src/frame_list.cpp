// Frame lists: a hierarchy flattened in stream order, and the frame list
// chunk that carries it (a struct chunk with each frame's modelling matrix
// and parent index, then one extension chunk per frame).
#include <cstring>

#include "engine/src/frame.h"
#include "engine/src/frame_internal.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/matrix_internal.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/plugin_registry_internal.h"
#include "engine/src/plcore/stream.h"

namespace {

constexpr RwUInt32 kCountFieldSize = 4;
constexpr RwReal kReadTolerance = 0.01f;
constexpr RwReal kReadMinimumDeterminant = 0.99f;
// The array of a list being read starts at this many entries and doubles, so
// a corrupt count cannot claim memory that the stream does not back.
constexpr RwInt32 kReadInitialCapacity = 64;
// Frame records are read from the stream this many at a time.
constexpr RwInt32 kRecordsPerRead = 64;

void RaiseCore(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(code)); }

RwReal Dot(const RwV3d& a, const RwV3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

RwReal SquaredLengthError(const RwV3d& v) {
  const RwReal e = Dot(v, v) - 1.0f;
  return e * e;
}

// Flags of a matrix read from a stream: ortho-normal when it is one within
// the read tolerances (and not a reflection), never the identity. The terms
// of RwMatrixNormalError, RwMatrixOrthogonalError and RwMatrixDeterminant,
// taken in their order here where the compiler sees them whole, as frames
// are read by the thousand.
RwUInt32 DeriveReadFlags(const RwMatrix* m) {
  const RwReal normalError = SquaredLengthError(m->right) + SquaredLengthError(m->up) + SquaredLengthError(m->at);
  const RwReal ru = Dot(m->right, m->up);
  const RwReal ra = Dot(m->right, m->at);
  const RwReal ua = Dot(m->up, m->at);
  const RwReal orthogonalError = ru * ru + ra * ra + ua * ua;
  const RwV3d upAt = {m->up.y * m->at.z - m->up.z * m->at.y, m->up.z * m->at.x - m->up.x * m->at.z,
                      m->up.x * m->at.y - m->up.y * m->at.x};
  const RwReal determinant = Dot(m->right, upAt);
  const bool orthonormal =
      (normalError <= kReadTolerance) & (orthogonalError <= kReadTolerance) & (determinant >= kReadMinimumDeterminant);
  return orthonormal ? kRwMatrixTypeOrthonormal : 0;
}

// Destroys the frames read so far, children (later entries) first.
void DestroyRead(RwFrame** frames, RwInt32 count) {
  for (RwInt32 i = count - 1; i >= 0; --i) {
    RwFrameDestroy(frames[i]);
  }
  EngineFree(frames);
}

// Sets up the frame record frames[index] from one 56-byte frame record and
// hangs it on its parent. False when the record is bad or a plugin
// constructor fails; the frame record is then not set up.
RwBool ReadFrame(const RwUInt8* record, RwFrame** frames, RwInt32 index) {
  const RwInt32 parentIndex = RwReadLittleEndianInt32(record + 48);
  if (parentIndex < -1 || parentIndex >= index) {
    RaiseCore(kRwErrRead);  // a parent must come earlier in the list
    return FALSE;
  }
  RwMatrix m = {};
  _rwMatrixReadAxes(record, &m);
  m.flags = DeriveReadFlags(&m);  // the stored flags word is not trusted
  RwFrame* frame = _rwFrameInitAt(frames[index], &m);
  if (frame == nullptr) {
    return FALSE;
  }
  // A frame read stands where its matrix puts it: its LTM is computed at the
  // next update, as after any move.
  if (parentIndex >= 0) {
    _rwFrameAddNewChild(frames[parentIndex], frame);  // marks it dirty
  } else {
    RwFrameMarkDirty(frame);
  }
  return TRUE;
}

// Makes frames first to first + batch - 1 of a list being read from their
// records; on failure the frames made so far are destroyed with the array.
RwBool ReadBatch(const RwUInt8* records, RwFrame** frames, RwInt32 first, RwInt32 batch) {
  if (!_rwFrameAllocateRecords(frames + first, batch)) {
    DestroyRead(frames, first);
    return FALSE;
  }
  for (RwInt32 k = 0; k < batch; ++k) {
    if (!ReadFrame(records + static_cast<size_t>(k) * kRwFrameStreamRecordSize, frames, first + k)) {
      _rwFrameFreeRecords(frames + first + k, batch - k);
      DestroyRead(frames, first + k);
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

RwFrameList* RwFrameListInitialize(RwFrameList* list, RwFrame* root) {
  const RwInt32 count = RwFrameCount(root);
  list->numFrames = 0;
  list->frames = static_cast<RwFrame**>(RwMalloc(sizeof(RwFrame*) * static_cast<size_t>(count)));
  RwFrame** pending = static_cast<RwFrame**>(RwMalloc(sizeof(RwFrame*) * static_cast<size_t>(count)));
  if (list->frames == nullptr || pending == nullptr) {
    EngineFree(list->frames);
    EngineFree(pending);
    list->frames = nullptr;
    RaiseCore(kRwErrOutOfMemory);
    return nullptr;
  }
  // Each frame, then its next siblings' sub-trees, then its own children: a
  // frame's siblings come before its children. The root's own siblings are
  // not part of its hierarchy.
  RwInt32 top = 0;
  pending[top++] = root;
  while (top > 0) {
    RwFrame* frame = pending[--top];
    list->frames[list->numFrames++] = frame;
    if (frame->child != nullptr) {
      pending[top++] = frame->child;
    }
    if (frame != root && frame->next != nullptr) {
      pending[top++] = frame->next;
    }
  }
  EngineFree(pending);
  return list;
}

RwBool RwFrameListFindFrame(const RwFrameList* list, const RwFrame* frame, RwInt32* index) {
  for (RwInt32 i = 0; i < list->numFrames; ++i) {
    if (list->frames[i] == frame) {
      *index = i;
      return TRUE;
    }
  }
  return FALSE;
}

RwFrameList* RwFrameListDeinitialize(RwFrameList* list) {
  EngineFree(list->frames);
  list->frames = nullptr;
  list->numFrames = 0;
  return list;
}

RwInt32 RwFrameListStreamGetSize(const RwFrameList* list) {
  RwInt32 size = static_cast<RwInt32>(kRwChunkHeaderSize + kCountFieldSize) +
                 static_cast<RwInt32>(kRwFrameStreamRecordSize) * list->numFrames;
  for (RwInt32 i = 0; i < list->numFrames; ++i) {
    size += static_cast<RwInt32>(kRwChunkHeaderSize) + RwPluginRegistryGetSize(_rwFrameGetRegistry(), list->frames[i]);
  }
  return size;
}

const RwFrameList* RwFrameListStreamWrite(const RwFrameList* list, RwStream* stream) {
  const RwUInt32 structSize = kCountFieldSize + kRwFrameStreamRecordSize * static_cast<RwUInt32>(list->numFrames);
  if (!RwStreamWriteVersionedChunkHeader(stream, kRwChunkFrameList,
                                         static_cast<RwUInt32>(RwFrameListStreamGetSize(list)), kRwLibraryVersion,
                                         kRwLibraryBuild) ||
      !RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, structSize, kRwLibraryVersion, kRwLibraryBuild)) {
    return nullptr;
  }
  RwUInt8 count[kCountFieldSize];
  RwWriteLittleEndianUInt32(count, static_cast<RwUInt32>(list->numFrames));
  if (!RwStreamWrite(stream, count, kCountFieldSize)) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < list->numFrames; ++i) {
    const RwFrame* frame = list->frames[i];
    RwInt32 parentIndex = -1;
    const RwFrame* parent = RwFrameGetParent(frame);
    if (parent != nullptr && !RwFrameListFindFrame(list, parent, &parentIndex)) {
      RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrInvalidValue));
      return nullptr;
    }
    RwUInt8 record[kRwFrameStreamRecordSize];
    _rwMatrixWriteAxes(record, &frame->modelling);
    RwWriteLittleEndianUInt32(record + 48, static_cast<RwUInt32>(parentIndex));
    RwWriteLittleEndianUInt32(record + 52, frame->modelling.flags);
    if (!RwStreamWrite(stream, record, kRwFrameStreamRecordSize)) {
      return nullptr;
    }
  }
  for (RwInt32 i = 0; i < list->numFrames; ++i) {
    if (!RwPluginRegistryWriteDataChunks(_rwFrameGetRegistry(), stream, list->frames[i])) {
      return nullptr;
    }
  }
  return list;
}

RwFrameList* RwFrameListStreamRead(RwStream* stream, RwFrameList* list) {
  RwUInt32 length = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, nullptr)) {
    return nullptr;
  }
  RwUInt8 countField[kCountFieldSize];
  if (length < kCountFieldSize || !RwStreamReadExact(stream, countField, kCountFieldSize)) {
    RaiseCore(kRwErrRead);
    return nullptr;
  }
  const RwInt32 count = RwReadLittleEndianInt32(countField);
  const RwUInt32 records = length - kCountFieldSize;
  if (count < 0 || static_cast<RwUInt32>(count) > records / kRwFrameStreamRecordSize) {
    RaiseCore(kRwErrRead);  // the struct body cannot hold that many frames
    return nullptr;
  }
  RwInt32 capacity = count < kReadInitialCapacity ? count : kReadInitialCapacity;
  RwFrame** frames =
      static_cast<RwFrame**>(RwMalloc(sizeof(RwFrame*) * static_cast<size_t>(capacity > 0 ? capacity : 1)));
  if (frames == nullptr) {
    RaiseCore(kRwErrOutOfMemory);
    return nullptr;
  }
  RwUInt8 batchBytes[kRecordsPerRead * kRwFrameStreamRecordSize];
  for (RwInt32 i = 0; i < count; i += kRecordsPerRead) {
    const RwInt32 batch = count - i < kRecordsPerRead ? count - i : kRecordsPerRead;
    // Records of a stream held in memory are decoded where they lie.
    const RwUInt8* records =
        _rwStreamReadInPlace(stream, batchBytes, static_cast<RwUInt32>(batch) * kRwFrameStreamRecordSize);
    if (records == nullptr) {
      DestroyRead(frames, i);
      return nullptr;
    }
    if (i + batch > capacity) {
      capacity = capacity * 2 < count ? capacity * 2 : count;
      RwFrame** grown = static_cast<RwFrame**>(RwRealloc(frames, sizeof(RwFrame*) * static_cast<size_t>(capacity)));
      if (grown == nullptr) {
        RaiseCore(kRwErrOutOfMemory);
        DestroyRead(frames, i);
        return nullptr;
      }
      frames = grown;
    }
    if (!ReadBatch(records, frames, i, batch)) {
      return nullptr;
    }
  }
  // Whatever a newer writer put after the records is not ours.
  const RwUInt32 extra = records - static_cast<RwUInt32>(count) * kRwFrameStreamRecordSize;
  if (RwStreamSkip(stream, extra) == nullptr) {
    DestroyRead(frames, count);
    return nullptr;
  }
  const RwPluginRegistry* registry = _rwFrameGetRegistry();
  for (RwInt32 i = 0; i < count;) {
    i += _rwPluginRegistryTakeEmptyDataChunks(registry, stream, count - i);
    if (i < count && !RwPluginRegistryReadDataChunks(registry, stream, frames[i++])) {
      DestroyRead(frames, count);
      return nullptr;
    }
  }
  list->frames = frames;
  list->numFrames = count;
  return list;
}
