// The plugin itself: the engine plugin whose open makes the hierarchy free
// list and registers the standard keyframe type, the update's parent stacks,
// and the frame extension (node id and hierarchy) with its constructor,
// destructor and copier.
#include "engine/plugin/hanim/rphanim.h"

#include "engine/plugin/hanim/hanim_internal.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/memory.h"

namespace {

constexpr RwUInt32 kHierarchiesPerBlock = 128;
constexpr RwUInt32 kHierarchyAlignment = 8;

const RtAnimKeyFrameType kStdKeyFrameType = {
    kRpHAnimStdKeyFrameTypeId,  sizeof(RpHAnimStdKeyFrame),  RpHAnimKeyFrameApply,    RpHAnimKeyFrameBlend,
    RpHAnimKeyFrameInterpolate, RpHAnimKeyFrameAdd,          RpHAnimKeyFrameMulRecip, RpHAnimKeyFrameStreamRead,
    RpHAnimKeyFrameStreamWrite, RpHAnimKeyFrameStreamGetSize};

RwInt32 sFrameDataOffset = -1;
RwFreeList* sHierarchyFreeList = nullptr;

// The update's parent stacks, sized for the largest hierarchy made so far.
struct ParentStacks {
  RwMatrix* copies;
  const RwMatrix** pointers;
  RwInt32 capacity;
};
ParentStacks sStacks = {nullptr, nullptr, 0};

void FreeStacks() {
  EngineFree(sStacks.copies);
  EngineFree(sStacks.pointers);
  sStacks = {nullptr, nullptr, 0};
}

void* HAnimOpen(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  sHierarchyFreeList =
      RwFreeListCreate(static_cast<RwUInt32>(sizeof(RpHAnimHierarchy)), kHierarchiesPerBlock, kHierarchyAlignment);
  if (sHierarchyFreeList == nullptr) {
    return nullptr;
  }
  // The toolkit empties its registry when it closes; without the toolkit
  // attached the type may still be there from an earlier open.
  if (RtAnimGetKeyFrameType(kRpHAnimStdKeyFrameTypeId) == nullptr) {
    RtAnimRegisterKeyFrameType(&kStdKeyFrameType);
  }
  return instance;
}

void* HAnimClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  if (sHierarchyFreeList != nullptr) {
    RwFreeListDestroy(sHierarchyFreeList);
    sHierarchyFreeList = nullptr;
  }
  FreeStacks();
  return instance;
}

void* FrameDataConstruct(void* object, RwInt32 offset, RwInt32 /*size*/) {
  *RwPluginDataGet(RpHAnimFrameData, object, offset) = {-1, nullptr};
  return object;
}

void* FrameDataDestruct(void* object, RwInt32 offset, RwInt32 /*size*/) {
  RpHAnimFrameData* data = RwPluginDataGet(RpHAnimFrameData, object, offset);
  RpHAnimHierarchy* hierarchy = data->hierarchy;
  if (hierarchy != nullptr) {
    for (RwInt32 i = 0; i < hierarchy->numNodes; i++) {
      hierarchy->pNodeInfo[i].pFrame = nullptr;
    }
    if (hierarchy->parentFrame == object) {
      RpHAnimHierarchyDestroy(hierarchy);
    }
  }
  *data = {-1, nullptr};
  return object;
}

// A cloned frame keeps its node id; a skeleton's root gets a hierarchy of its
// own with the same nodes. Sub-hierarchies stay with their parent.
void* FrameDataCopy(void* destination, const void* source, RwInt32 offset, RwInt32 /*size*/) {
  const RpHAnimFrameData* from = RwPluginDataGetConst(RpHAnimFrameData, source, offset);
  RpHAnimFrameData* to = RwPluginDataGet(RpHAnimFrameData, destination, offset);
  to->id = from->id;
  RpHAnimHierarchy* hierarchy = from->hierarchy;
  if (hierarchy != nullptr && (hierarchy->flags & kRpHAnimSubHierarchy) == 0) {
    RpHAnimHierarchy* copy =
        RpHAnimHierarchyCreateFromHierarchy(hierarchy, hierarchy->flags, hierarchy->currentAnim->maxKeyFrameSize);
    if (copy != nullptr) {
      RpHAnimFrameSetHierarchy(static_cast<RwFrame*>(destination), copy);
    }
  }
  return destination;
}

// Grows one stack to capacity entries of the given size, keeping nothing.
template <typename T>
bool GrowStack(T** stack, RwInt32 capacity) {
  T* grown = static_cast<T*>(RwMalloc(sizeof(T) * static_cast<size_t>(capacity)));
  if (grown == nullptr) {
    return false;
  }
  EngineFree(*stack);
  *stack = grown;
  return true;
}

}  // namespace

RwFreeList* _rpHAnimHierarchyFreeList(void) { return sHierarchyFreeList; }

RwBool _rpHAnimReserveStacks(RwInt32 numNodes) {
  const RwInt32 needed = numNodes + 1;
  if (needed <= sStacks.capacity) {
    return TRUE;
  }
  if (!GrowStack(&sStacks.copies, needed) || !GrowStack(&sStacks.pointers, needed)) {
    FreeStacks();
    return FALSE;
  }
  sStacks.capacity = needed;
  return TRUE;
}

RwInt32 _rpHAnimStacks(RwMatrix** copies, const RwMatrix*** pointers) {
  *copies = sStacks.copies;
  *pointers = sStacks.pointers;
  return sStacks.capacity;
}

RpHAnimFrameData* _rpHAnimFrameData(RwFrame* frame) {
  if (sFrameDataOffset < 0) {
    return nullptr;  // the plugin is not attached
  }
  return RwPluginDataGet(RpHAnimFrameData, frame, sFrameDataOffset);
}

RwBool RpHAnimPluginAttach(void) {
  if (RwEngineRegisterPlugin(0, kRpHAnimPluginId, HAnimOpen, HAnimClose) < 0) {
    return FALSE;
  }
  sFrameDataOffset = RwFrameRegisterPlugin(static_cast<RwInt32>(sizeof(RpHAnimFrameData)), kRpHAnimPluginId,
                                           FrameDataConstruct, FrameDataDestruct, FrameDataCopy);
  if (sFrameDataOffset < 0) {
    return FALSE;
  }
  return _rpHAnimRegisterFrameStream();
}

RpHAnimHierarchy* RpHAnimFrameGetHierarchy(RwFrame* frame) {
  const RpHAnimFrameData* data = _rpHAnimFrameData(frame);
  return data != nullptr ? data->hierarchy : nullptr;
}

RwFrame* RpHAnimFrameSetHierarchy(RwFrame* frame, RpHAnimHierarchy* hierarchy) {
  RpHAnimFrameData* data = _rpHAnimFrameData(frame);
  if (data == nullptr) {
    return nullptr;
  }
  data->hierarchy = hierarchy;
  if (hierarchy != nullptr) {
    hierarchy->parentFrame = frame;
  }
  return frame;
}

RwFrame* RpHAnimFrameSetID(RwFrame* frame, RwInt32 id) {
  RpHAnimFrameData* data = _rpHAnimFrameData(frame);
  if (data == nullptr) {
    return nullptr;
  }
  data->id = id;
  return frame;
}

RwInt32 RpHAnimFrameGetID(RwFrame* frame) {
  const RpHAnimFrameData* data = _rpHAnimFrameData(frame);
  return data != nullptr ? data->id : -1;
}
