// Turning a hierarchy's interpolated keys into node matrices: each node's
// key matrix times its parent's matrix, the parent following the nodes'
// push and pop markers, and on request the results written into frames.
#include "engine/plugin/hanim/hanim_internal.h"
#include "engine/plugin/hanim/rphanim.h"
#include "engine/src/plcore/engine_instance.h"

namespace {

RwFrame* ParentOf(const RwFrame* frame) { return static_cast<RwFrame*>(frame->object.parent); }

// The local (key) matrix of a node. The standard key is converted inline
// rather than through the callback.
void LocalMatrix(const RtAnimInterpolator* interpolator, RwInt32 node, RwMatrix* out) {
  void* slot = RtAnimInterpolatorGetSlot(interpolator, node);
  if (interpolator->keyFrameApplyCB == RpHAnimKeyFrameApply) {
    _rpHAnimStdKeyFrameToMatrix(out, static_cast<const RpHAnimStdKeyFrame*>(slot));
  } else if (interpolator->keyFrameApplyCB != nullptr) {
    interpolator->keyFrameApplyCB(out, slot);
  } else {
    RwMatrixSetIdentity(out);  // no key type yet: the rest pose
  }
}

// The world matrix of frame's parent. While the hierarchy waits for a sync
// the LTMs may be stale, so the modelling matrices up to the root are
// multiplied instead (without syncing anything).
void ParentWorldMatrix(RwFrame* frame, RwMatrix* out) {
  RwFrame* parent = frame != nullptr ? ParentOf(frame) : nullptr;
  if (parent == nullptr) {
    RwMatrixSetIdentity(out);
    return;
  }
  if (!RwFrameIsDirty(frame)) {
    *out = *RwFrameGetLTM(parent);
    return;
  }
  *out = parent->modelling;
  for (RwFrame* ancestor = ParentOf(parent); ancestor != nullptr; ancestor = ParentOf(ancestor)) {
    RwMatrix product;
    RwMatrixMultiply(&product, out, &ancestor->modelling);
    *out = product;
  }
}

// Under kRpHAnimUpdateLTMs the frames' matrices are written here, but their
// objects still need syncing: the root goes on the dirty list with only its
// objects-dirty bit.
void QueueObjectSync(RwFrame* rootFrame) {
  if (rootFrame == nullptr) {
    return;
  }
  RwFrame* root = rootFrame->root;
  if ((root->object.privateFlags & kRwFrameHierarchyDirty) == 0) {
    rwLinkListAddLLLink(&RwEngineInstance->dirtyFrameList, &root->inDirtyListLink);
    root->object.privateFlags |= kRwFrameHierarchyObjectsDirty;
  }
}

void WriteFrame(RwUInt32 flags, RwFrame* frame, const RwMatrix* local, const RwMatrix* world) {
  if (frame == nullptr) {
    return;
  }
  if (flags & kRpHAnimUpdateModelling) {
    frame->modelling = *local;
    if ((flags & kRpHAnimUpdateLTMs) == 0) {
      RwFrameMarkDirty(frame);
    }
  }
  if (flags & kRpHAnimUpdateLTMs) {
    frame->ltm = *world;
    frame->object.privateFlags =
        static_cast<RwUInt8>((frame->object.privateFlags & ~kRwFrameSubtreeLTMDirty) | kRwFrameSubtreeObjectsDirty);
  }
}

// Without a matrix array: the parent stack holds matrix copies.
RwBool UpdateWithoutArray(RpHAnimHierarchy* hierarchy, RwMatrix* stack) {
  RwMatrix base;
  ParentWorldMatrix(hierarchy->parentFrame, &base);
  if (hierarchy->flags & kRpHAnimUpdateLTMs) {
    QueueObjectSync(hierarchy->parentFrame);
  }
  RwMatrix parent = base;
  RwInt32 depth = 0;
  for (RwInt32 i = 0; i < hierarchy->numNodes; i++) {
    const RpHAnimNodeInfo& node = hierarchy->pNodeInfo[i];
    RwMatrix local;
    RwMatrix result;
    LocalMatrix(hierarchy->currentAnim, i, &local);
    RwMatrixMultiply(&result, &local, &parent);
    WriteFrame(hierarchy->flags, node.pFrame, &local, &result);
    switch (node.flags & (kRpHAnimPush | kRpHAnimPop)) {
      case 0:
        parent = result;
        break;
      case kRpHAnimPop:
        parent = depth > 0 ? stack[--depth] : base;  // an empty stack yields the base
        break;
      case kRpHAnimPush:
        stack[depth++] = parent;
        parent = result;
        break;
      default:
        break;  // push and pop: the next node is a sibling
    }
  }
  return TRUE;
}

// The frame whose parent's world matrix is the world base: the root frame,
// for a sub-hierarchy its parent hierarchy's.
RwFrame* WorldBaseFrame(const RpHAnimHierarchy* hierarchy) {
  if (hierarchy->flags & kRpHAnimSubHierarchy) {
    return hierarchy->parentHierarchy->parentFrame;
  }
  return hierarchy->parentFrame;
}

// A sub-hierarchy's base: its parent's matrix of the root node, when there is one.
bool SubHierarchyBase(const RpHAnimHierarchy* hierarchy, RwMatrix* base) {
  const RpHAnimHierarchy* parent = hierarchy->parentHierarchy;
  const RwInt32 index = hierarchy->rootParentOffset;
  if ((hierarchy->flags & kRpHAnimSubHierarchy) == 0 || parent == hierarchy || parent->pMatrixArray == nullptr ||
      index < 0 || index >= parent->numNodes) {
    return false;
  }
  *base = parent->pMatrixArray[index];
  return true;
}

// With a matrix array: the parent stack holds pointers into it.
RwBool UpdateWithArray(RpHAnimHierarchy* hierarchy, const RwMatrix** stack) {
  const RwUInt32 flags = hierarchy->flags;
  // A copy: a sub-hierarchy's array may share storage with its parent's.
  RwMatrix base;
  if (!SubHierarchyBase(hierarchy, &base)) {
    if (flags & kRpHAnimLocalSpace) {
      RwMatrixSetIdentity(&base);
    } else {
      ParentWorldMatrix(hierarchy->parentFrame, &base);
    }
  }
  RwMatrix worldBase;
  const bool relative = (flags & kRpHAnimUpdateLTMs) && (flags & kRpHAnimLocalSpace);
  if (relative) {
    ParentWorldMatrix(WorldBaseFrame(hierarchy), &worldBase);
  }
  if (flags & kRpHAnimUpdateLTMs) {
    QueueObjectSync(hierarchy->parentFrame);
  }
  RwMatrix* matrices = hierarchy->pMatrixArray;
  const RwMatrix* parent = &base;
  RwInt32 depth = 0;
  for (RwInt32 i = 0; i < hierarchy->numNodes; i++) {
    const RpHAnimNodeInfo& node = hierarchy->pNodeInfo[i];
    RwMatrix local;
    LocalMatrix(hierarchy->currentAnim, i, &local);
    RwMatrixMultiply(&matrices[i], &local, parent);
    if (relative && node.pFrame != nullptr) {
      RwMatrix world;
      RwMatrixMultiply(&world, &matrices[i], &worldBase);
      WriteFrame(flags, node.pFrame, &local, &world);
    } else {
      WriteFrame(flags, node.pFrame, &local, &matrices[i]);
    }
    switch (node.flags & (kRpHAnimPush | kRpHAnimPop)) {
      case 0:
        parent = &matrices[i];
        break;
      case kRpHAnimPop:
        parent = depth > 0 ? stack[--depth] : &base;
        break;
      case kRpHAnimPush:
        stack[depth++] = parent;
        parent = &matrices[i];
        break;
      default:
        break;
    }
  }
  return TRUE;
}

}  // namespace

RwBool RpHAnimHierarchyUpdateMatrices(RpHAnimHierarchy* hierarchy) {
  RwMatrix* copies;
  const RwMatrix** pointers;
  // Every push takes a node, so numNodes entries never overflow; the stacks
  // grew to fit when the hierarchy was made.
  if (_rpHAnimStacks(&copies, &pointers) < hierarchy->numNodes || hierarchy->currentAnim == nullptr ||
      hierarchy->currentAnim->numNodes < hierarchy->numNodes) {
    return FALSE;
  }
  if ((hierarchy->flags & kRpHAnimNoMatrices) != 0 || hierarchy->pMatrixArray == nullptr) {
    return UpdateWithoutArray(hierarchy, copies);
  }
  return UpdateWithArray(hierarchy, pointers);
}
