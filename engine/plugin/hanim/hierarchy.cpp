// Hierarchies: creation with their node array, matrix array and interpolator,
// copies over the same skeleton, destruction, and binding nodes to frames.
#include <cstring>

#include "engine/plugin/hanim/hanim_internal.h"
#include "engine/plugin/hanim/rphanim.h"
#include "engine/src/frame_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"

namespace {

constexpr size_t kMatrixAlignment = 16;

void Raise(RwInt32 code) { RwErrorRaise(static_cast<RwInt32>(kRpHAnimPluginId), code); }

// A hierarchy owns its arrays unless it is a sub-hierarchy sharing another's.
bool OwnsArrays(const RpHAnimHierarchy* hierarchy) {
  return (hierarchy->flags & kRpHAnimSubHierarchy) == 0 || hierarchy->parentHierarchy == hierarchy;
}

bool MakeArrays(RpHAnimHierarchy* hierarchy) {
  const size_t nodes = static_cast<size_t>(hierarchy->numNodes);
  if ((hierarchy->flags & kRpHAnimNoMatrices) == 0) {
    void* block = RwMalloc(nodes * sizeof(RwMatrix) + kMatrixAlignment - 1);
    if (block == nullptr) {
      return false;
    }
    hierarchy->pMatrixArrayUnaligned = block;
    const uintptr_t address = reinterpret_cast<uintptr_t>(block);
    hierarchy->pMatrixArray =
        reinterpret_cast<RwMatrix*>((address + kMatrixAlignment - 1) & ~static_cast<uintptr_t>(kMatrixAlignment - 1));
    for (size_t i = 0; i < nodes; i++) {
      RwMatrixSetIdentity(&hierarchy->pMatrixArray[i]);
    }
  }
  hierarchy->pNodeInfo = static_cast<RpHAnimNodeInfo*>(RwMalloc(nodes * sizeof(RpHAnimNodeInfo)));
  return hierarchy->pNodeInfo != nullptr;
}

void FreeArrays(RpHAnimHierarchy* hierarchy) {
  if (OwnsArrays(hierarchy)) {
    EngineFree(hierarchy->pMatrixArrayUnaligned);
    EngineFree(hierarchy->pNodeInfo);
  }
  hierarchy->pMatrixArray = nullptr;
  hierarchy->pMatrixArrayUnaligned = nullptr;
  hierarchy->pNodeInfo = nullptr;
}

}  // namespace

RpHAnimHierarchy* RpHAnimHierarchyCreate(RwInt32 numNodes, const RwUInt32* nodeFlags, const RwInt32* nodeIDs,
                                         RwUInt32 flags, RwInt32 keyFrameSize) {
  RwFreeList* list = _rpHAnimHierarchyFreeList();
  if (list == nullptr) {
    Raise(kRwErrWrongEngineState);
    return nullptr;
  }
  if (numNodes < 1) {
    Raise(kRwErrInvalidValue);
    return nullptr;
  }
  if (!_rpHAnimReserveStacks(numNodes)) {
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  RpHAnimHierarchy* hierarchy = static_cast<RpHAnimHierarchy*>(RwFreeListEntryAlloc(list));
  if (hierarchy == nullptr) {
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(hierarchy, 0, sizeof(*hierarchy));
  hierarchy->flags = flags;
  hierarchy->numNodes = numNodes;
  hierarchy->parentHierarchy = hierarchy;
  hierarchy->rootParentOffset = -1;
  hierarchy->currentAnim = RtAnimInterpolatorCreate(numNodes, keyFrameSize);
  if (hierarchy->currentAnim == nullptr || !MakeArrays(hierarchy)) {
    if (hierarchy->currentAnim == nullptr) {
      Raise(kRwErrOutOfMemory);
    }
    RpHAnimHierarchyDestroy(hierarchy);
    return nullptr;
  }
  for (RwInt32 i = 0; i < numNodes; i++) {
    RpHAnimNodeInfo& node = hierarchy->pNodeInfo[i];
    node.nodeID = nodeIDs != nullptr ? nodeIDs[i] : 0;
    node.nodeIndex = i;
    node.flags = nodeFlags != nullptr ? nodeFlags[i] : 0;
    node.pFrame = nullptr;
  }
  return hierarchy;
}

RpHAnimHierarchy* RpHAnimHierarchyCreateFromHierarchy(RpHAnimHierarchy* source, RwUInt32 flags, RwInt32 keyFrameSize) {
  RpHAnimHierarchy* hierarchy = RpHAnimHierarchyCreate(source->numNodes, nullptr, nullptr, flags, keyFrameSize);
  if (hierarchy == nullptr) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < source->numNodes; i++) {
    hierarchy->pNodeInfo[i] = source->pNodeInfo[i];
    hierarchy->pNodeInfo[i].pFrame = nullptr;
  }
  return hierarchy;
}

RpHAnimHierarchy* RpHAnimHierarchyDestroy(RpHAnimHierarchy* hierarchy) {
  FreeArrays(hierarchy);
  if (hierarchy->currentAnim != nullptr) {
    RtAnimInterpolatorDestroy(hierarchy->currentAnim);
    hierarchy->currentAnim = nullptr;
  }
  RwFrame* root = hierarchy->parentFrame;
  if (root != nullptr && RpHAnimFrameGetHierarchy(root) == hierarchy) {
    RpHAnimFrameSetHierarchy(root, nullptr);
  }
  RwFreeListEntryFree(_rpHAnimHierarchyFreeList(), hierarchy);
  return nullptr;
}

RpHAnimHierarchy* RpHAnimHierarchyAttach(RpHAnimHierarchy* hierarchy) {
  RwFrame* root = hierarchy->parentFrame;
  for (RwFrame* frame = root; frame != nullptr; frame = _rwFrameNextInSubtree(frame, root)) {
    const RwInt32 id = RpHAnimFrameGetID(frame);
    for (RwInt32 i = 0; i < hierarchy->numNodes; i++) {
      if (hierarchy->pNodeInfo[i].nodeID == id) {
        hierarchy->pNodeInfo[i].pFrame = frame;
      }
    }
    RwFrameMarkDirty(frame);
  }
  return hierarchy;
}
