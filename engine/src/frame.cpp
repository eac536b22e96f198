// Frames and their hierarchies: parenting, lazy LTM and object
// synchronisation through the engine's dirty-frame list, cloning, and the
// frame list chunk. Every walk over a hierarchy is iterative, so the depth of
// a hierarchy (which a stream decides) never reaches the call stack.
#include "engine/src/frame.h"

#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/frame_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/memory_internal.h"
#include "engine/src/plcore/stream.h"

namespace {

constexpr RwUInt32 kFramesPerBlock = 50;
constexpr RwUInt32 kFrameAlignment = 16;

static_assert(sizeof(RwFrameModule) <= kRwFrameModuleDataSize, "frame module data exceeds its engine plugin block");

RwPluginRegistry sFrameRegistry = RwPluginRegistryInitializer(sizeof(RwFrame));

// The module's data in the started engine; null while no engine is started.
RwFrameModule* gFrameModule = nullptr;

// Counts RwFrameMarkDirty calls, so a synchronisation pass can tell whether
// its callbacks marked anything.
RwUInt32 sDirtyMarks = 0;

void RaiseCore(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(code)); }

RwFrame* ParentOf(const RwFrame* frame) { return static_cast<RwFrame*>(frame->object.parent); }

void SetSubtreeRoot(RwFrame* top, RwFrame* root) {
  for (RwFrame* f = top; f != nullptr; f = _rwFrameNextInSubtree(f, top)) {
    f->root = root;
  }
}

void PropagateLTMDirty(RwFrame* frame) {
  for (RwFrame* c = frame->child; c != nullptr; c = c->next) {
    c->object.privateFlags |= kRwFrameSubtreeLTMDirty;
  }
}

void SyncObjects(RwFrame* frame) {
  RwLLLink* terminator = rwLinkListGetTerminator(&frame->objectList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&frame->objectList); link != terminator;) {
    RwLLLink* next = link->next;
    RwObjectHasFrame* object = rwLLLinkGetData(link, RwObjectHasFrame, lFrame);
    if (object->sync != nullptr) {
      object->sync(object);
    }
    link = next;
  }
}

// Detaches every object still hung on a frame that is going away.
void ReleaseObjects(RwFrame* frame) {
  while (!rwLinkListEmpty(&frame->objectList)) {
    RwLLLink* link = rwLinkListGetFirstLLLink(&frame->objectList);
    RwObjectHasFrame* object = rwLLLinkGetData(link, RwObjectHasFrame, lFrame);
    rwLLLinkRemove(link);
    object->object.parent = nullptr;
  }
}

void TakeOffDirtyList(RwFrame* frame) {
  if ((frame->object.privateFlags & kRwFrameHierarchyDirty) != 0) {
    rwLLLinkRemove(&frame->inDirtyListLink);
    frame->object.privateFlags &= static_cast<RwUInt8>(~kRwFrameHierarchyDirty);
  }
}

// Unlinks the frame from its parent's child list; it keeps its sub-tree.
void UnlinkFromParent(RwFrame* child) {
  RwFrame* parent = ParentOf(child);
  if (parent->child == child) {
    parent->child = child->next;
  } else {
    RwFrame* previous = parent->child;
    while (previous != nullptr && previous->next != child) {
      previous = previous->next;
    }
    if (previous != nullptr) {
      previous->next = child->next;
    }
  }
  child->object.parent = nullptr;
  child->next = nullptr;
}

// Off the dirty list, objects detached, record freed (plugin destructors
// have run).
void ReleaseFrame(RwFrame* frame) {
  TakeOffDirtyList(frame);
  ReleaseObjects(frame);
  RwFreeListEntryFree(gFrameModule->frameFreeList, frame);
}

// Plugin destructors, then the release.
void FreeFrame(RwFrame* frame) {
  RwPluginRegistryDeInitObject(&sFrameRegistry, frame);
  ReleaseFrame(frame);
}

RwFrame* AllocateFrame() {
  if (gFrameModule == nullptr) {
    return nullptr;  // no engine started
  }
  RwFrame* frame = static_cast<RwFrame*>(RwFreeListEntryAlloc(gFrameModule->frameFreeList));
  if (frame == nullptr) {
    RaiseCore(kRwErrOutOfMemory);
  }
  return frame;
}

const RwMatrix kIdentity = {
    {1.0f, 0.0f, 0.0f}, kRwMatrixIdentityFlags, {0.0f, 1.0f, 0.0f}, 0, {0.0f, 0.0f, 1.0f}, 0, {0.0f, 0.0f, 0.0f}, 0};

// Sets every field once, without clearing the record first: frames are made
// by the thousand when models and levels load.
void InitFrameFields(RwFrame* frame, const RwMatrix& modelling) {
  frame->object = {kRwFrameObjectType, 0, 0, 0, nullptr};
  rwLLLinkInitialize(&frame->inDirtyListLink);
  frame->modelling = modelling;
  frame->ltm = kIdentity;
  rwLinkListInitialize(&frame->objectList);
  frame->child = nullptr;
  frame->next = nullptr;
  frame->root = frame;
}

// A copy of one frame: header bytes and modelling matrix, no links, its LTM
// to be recomputed; plugin constructors then copiers run on it.
RwFrame* CloneFrame(const RwFrame* source, RwFrame* root) {
  RwFrame* copy = AllocateFrame();
  if (copy == nullptr) {
    return nullptr;
  }
  InitFrameFields(copy, source->modelling);
  copy->object.type = source->object.type;
  copy->object.subType = source->object.subType;
  copy->object.flags = source->object.flags;
  copy->object.privateFlags = source->object.privateFlags & static_cast<RwUInt8>(~kRwFrameHierarchyDirty);
  copy->root = root != nullptr ? root : copy;
  if (RwPluginRegistryInitObject(&sFrameRegistry, copy) == nullptr) {
    RwFreeListEntryFree(gFrameModule->frameFreeList, copy);
    return nullptr;
  }
  RwPluginRegistryCopyObject(&sFrameRegistry, copy, source);
  return copy;
}

// Puts the clone at the head of the parent clone's child list.
void AttachClone(RwFrame* parent, RwFrame* child) {
  child->object.parent = parent;
  child->next = parent->child;
  parent->child = child;
}

// Moves the engine's dirty list into a local head and empties it, so that
// frames dirtied by sync callbacks wait for the next pass.
void TakeDirtyList(RwLinkList* local) {
  RwLinkList* dirty = &RwEngineInstance->dirtyFrameList;
  rwLinkListInitialize(local);
  if (rwLinkListEmpty(dirty)) {
    return;
  }
  local->link.next = dirty->link.next;
  local->link.prev = dirty->link.prev;
  local->link.next->prev = &local->link;
  local->link.prev->next = &local->link;
  rwLinkListInitialize(dirty);
}

bool SubtreeHasDirtyFrame(RwFrame* root) {
  for (RwFrame* f = root; f != nullptr; f = _rwFrameNextInSubtree(f, root)) {
    if ((f->object.privateFlags & kRwFrameSubtreeDirty) != 0) {
      return true;
    }
  }
  return false;
}

// Each frame's own dirty bits are cleared before its objects' sync callbacks
// run, while the root keeps its hierarchy bits until the end, so a callback
// can still ask for an up-to-date LTM anywhere in the hierarchy. A callback
// that moves a frame of the hierarchy after that frame was synchronised
// leaves its bits set; the root then goes back on the dirty list for the next
// pass instead of the move being forgotten.
void SyncHierarchy(RwFrame* root) {
  const RwUInt32 marksBefore = sDirtyMarks;
  if ((root->object.privateFlags & kRwFrameHierarchyLTMDirty) != 0) {
    if ((root->object.privateFlags & kRwFrameSubtreeLTMDirty) != 0) {
      root->ltm = root->modelling;
      PropagateLTMDirty(root);
    }
    root->object.privateFlags &= static_cast<RwUInt8>(~kRwFrameSubtreeDirty);
    SyncObjects(root);
    for (RwFrame* f = _rwFrameNextInSubtree(root, root); f != nullptr; f = _rwFrameNextInSubtree(f, root)) {
      if ((f->object.privateFlags & kRwFrameSubtreeLTMDirty) != 0) {
        RwMatrixMultiply(&f->ltm, &f->modelling, &ParentOf(f)->ltm);
        PropagateLTMDirty(f);
      }
      f->object.privateFlags &= static_cast<RwUInt8>(~kRwFrameSubtreeDirty);
      SyncObjects(f);
    }
  } else {
    for (RwFrame* f = root; f != nullptr; f = _rwFrameNextInSubtree(f, root)) {
      f->object.privateFlags &= static_cast<RwUInt8>(~kRwFrameSubtreeObjectsDirty);
      SyncObjects(f);
    }
  }
  root->object.privateFlags &= static_cast<RwUInt8>(~kRwFrameHierarchyDirty);
  if (sDirtyMarks != marksBefore && SubtreeHasDirtyFrame(root)) {
    rwLinkListAddLLLink(&RwEngineInstance->dirtyFrameList, &root->inDirtyListLink);
    root->object.privateFlags |= kRwFrameHierarchyDirty;
  }
}

}  // namespace

RwPluginRegistry* _rwFrameGetRegistry(void) { return &sFrameRegistry; }

RwFrame* RwFrameInit(RwFrame* frame) { return _rwFrameInitAt(frame, &kIdentity); }

RwFrame* _rwFrameInitAt(RwFrame* frame, const RwMatrix* modelling) {
  InitFrameFields(frame, *modelling);
  if (sFrameRegistry.firstRegEntry != nullptr && RwPluginRegistryInitObject(&sFrameRegistry, frame) == nullptr) {
    return nullptr;
  }
  return frame;
}

RwBool _rwFrameAllocateRecords(RwFrame** frames, RwInt32 count) {
  if (gFrameModule == nullptr) {
    return FALSE;  // no engine started
  }
  RwFreeList* list = gFrameModule->frameFreeList;
  RwInt32 made = 0;
  while (made < count) {
    RwUInt32 taken = 0;
    RwUInt8* run = static_cast<RwUInt8*>(_rwFreeListEntryAllocRun(list, static_cast<RwUInt32>(count - made), &taken));
    if (run == nullptr) {
      _rwFrameFreeRecords(frames, made);
      RaiseCore(kRwErrOutOfMemory);
      return FALSE;
    }
    for (RwUInt32 k = 0; k < taken; ++k) {
      frames[made++] = reinterpret_cast<RwFrame*>(run + static_cast<size_t>(k) * list->entrySize);
    }
  }
  return TRUE;
}

void _rwFrameFreeRecords(RwFrame** frames, RwInt32 count) {
  for (RwInt32 i = count - 1; i >= 0; --i) {
    RwFreeListEntryFree(gFrameModule->frameFreeList, frames[i]);
  }
}

void _rwFrameAddNewChild(RwFrame* parent, RwFrame* child) {
  child->next = parent->child;
  parent->child = child;
  child->object.parent = parent;
  child->root = parent->root;
  RwFrameMarkDirty(child);
}

RwFrame* RwFrameCreate(void) {
  RwFrame* frame = AllocateFrame();
  if (frame == nullptr) {
    return nullptr;
  }
  if (RwFrameInit(frame) == nullptr) {
    RwFreeListEntryFree(gFrameModule->frameFreeList, frame);
    return nullptr;
  }
  return frame;
}

RwBool RwFrameDestroy(RwFrame* frame) {
  if (frame == nullptr) {
    return TRUE;
  }
  RwPluginRegistryDeInitObject(&sFrameRegistry, frame);
  if (ParentOf(frame) != nullptr) {
    UnlinkFromParent(frame);
  }
  // Each child becomes the root of its own hierarchy.
  for (RwFrame* c = frame->child; c != nullptr;) {
    RwFrame* next = c->next;
    c->object.parent = nullptr;
    c->next = nullptr;
    SetSubtreeRoot(c, c);
    RwFrameMarkDirty(c);
    c = next;
  }
  frame->child = nullptr;
  ReleaseFrame(frame);
  return TRUE;
}

RwBool RwFrameDestroyHierarchy(RwFrame* frame) {
  if (frame == nullptr) {
    return TRUE;
  }
  if (ParentOf(frame) != nullptr) {
    UnlinkFromParent(frame);
  }
  // Children before their parents, resuming at the parent after each leaf.
  RwFrame* f = frame;
  for (;;) {
    while (f->child != nullptr) {
      f = f->child;
    }
    if (f == frame) {
      FreeFrame(frame);
      return TRUE;
    }
    RwFrame* parent = ParentOf(f);
    parent->child = f->next;
    FreeFrame(f);
    f = parent;
  }
}

RwFrame* RwFrameCloneHierarchy(RwFrame* root) { return _rwFrameCloneHierarchyPaired(root, nullptr); }

RwFrame* _rwFrameCloneHierarchyPaired(RwFrame* root, RwFrame** copies) {
  RwFrame* copy = CloneFrame(root, nullptr);
  if (copy == nullptr) {
    return nullptr;
  }
  RwInt32 made = 0;
  if (copies != nullptr) {
    copies[made++] = copy;
  }
  // Walk the source in pre-order, keeping the matching clone in step.
  RwFrame* source = root;
  RwFrame* clone = copy;
  for (;;) {
    RwFrame* nextSource;
    RwFrame* cloneParent;
    if (source->child != nullptr) {
      nextSource = source->child;
      cloneParent = clone;
    } else {
      while (source != root && source->next == nullptr) {
        source = ParentOf(source);
        clone = ParentOf(clone);
      }
      if (source == root) {
        break;
      }
      nextSource = source->next;
      cloneParent = ParentOf(clone);
    }
    RwFrame* next = CloneFrame(nextSource, copy);
    if (next == nullptr) {
      RwFrameDestroyHierarchy(copy);
      return nullptr;
    }
    AttachClone(cloneParent, next);
    if (copies != nullptr) {
      copies[made++] = next;
    }
    source = nextSource;
    clone = next;
  }
  RwFrameMarkDirty(copy);
  return copy;
}

RwFrame* RwFrameAddChild(RwFrame* parent, RwFrame* child) {
  // The child would become its own ancestor. Only a child with children of
  // its own can lie above the parent, so adding leaves costs nothing here.
  bool cycle = parent == child;
  if (child->child != nullptr) {
    for (const RwFrame* f = parent; f != nullptr && !cycle; f = ParentOf(f)) {
      cycle = f == child;
    }
  }
  if (cycle) {
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrInvalidValue));
    return nullptr;
  }
  if (ParentOf(child) != nullptr) {
    RwFrameRemoveChild(child);
  }
  child->next = parent->child;
  parent->child = child;
  child->object.parent = parent;
  SetSubtreeRoot(child, parent->root);
  TakeOffDirtyList(child);
  RwFrameMarkDirty(child);
  return parent;
}

RwFrame* RwFrameRemoveChild(RwFrame* child) {
  if (ParentOf(child) == nullptr) {
    return child;
  }
  UnlinkFromParent(child);
  SetSubtreeRoot(child, child);
  RwFrameMarkDirty(child);
  return child;
}

RwFrame* RwFrameForAllChildren(RwFrame* frame, RwFrameCallBack callBack, void* data) {
  for (RwFrame* c = frame->child; c != nullptr;) {
    RwFrame* next = c->next;
    if (callBack(c, data) == nullptr) {
      break;
    }
    c = next;
  }
  return frame;
}

RwFrame* RwFrameForAllObjects(RwFrame* frame, RwObjectCallBack callBack, void* data) {
  RwLLLink* terminator = rwLinkListGetTerminator(&frame->objectList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&frame->objectList); link != terminator;) {
    RwLLLink* next = link->next;
    if (callBack(&rwLLLinkGetData(link, RwObjectHasFrame, lFrame)->object, data) == nullptr) {
      break;
    }
    link = next;
  }
  return frame;
}

RwInt32 RwFrameCount(RwFrame* frame) {
  RwInt32 count = 0;
  for (RwFrame* f = frame; f != nullptr; f = _rwFrameNextInSubtree(f, frame)) {
    ++count;
  }
  return count;
}

RwFrame* RwFrameMarkDirty(RwFrame* frame) {
  ++sDirtyMarks;
  RwFrame* root = frame->root;
  if ((root->object.privateFlags & kRwFrameHierarchyDirty) == 0) {
    rwLinkListAddLLLink(&RwEngineInstance->dirtyFrameList, &root->inDirtyListLink);
  }
  root->object.privateFlags |= kRwFrameHierarchyDirty;
  frame->object.privateFlags |= kRwFrameSubtreeDirty;
  return frame;
}

RwBool RwFrameIsDirty(const RwFrame* frame) {
  return (frame->root->object.privateFlags & kRwFrameHierarchyDirty) != 0 ? TRUE : FALSE;
}

RwMatrix* RwFrameGetLTM(RwFrame* frame) {
  RwFrame* root = frame->root;
  if ((root->object.privateFlags & kRwFrameHierarchyLTMDirty) != 0) {
    if ((root->object.privateFlags & kRwFrameSubtreeLTMDirty) != 0) {
      root->ltm = root->modelling;
      PropagateLTMDirty(root);
    }
    for (RwFrame* f = _rwFrameNextInSubtree(root, root); f != nullptr; f = _rwFrameNextInSubtree(f, root)) {
      if ((f->object.privateFlags & kRwFrameSubtreeLTMDirty) != 0) {
        RwMatrixMultiply(&f->ltm, &f->modelling, &ParentOf(f)->ltm);
        PropagateLTMDirty(f);
        f->object.privateFlags &= static_cast<RwUInt8>(~kRwFrameSubtreeLTMDirty);
      }
    }
    // The root stays on the dirty list until its objects are synchronised.
    root->object.privateFlags &= static_cast<RwUInt8>(~(kRwFrameHierarchyLTMDirty | kRwFrameSubtreeLTMDirty));
  }
  return &frame->ltm;
}

RwMatrix* RwFrameGetMatrix(RwFrame* frame) { return &frame->modelling; }

RwFrame* RwFrameGetParent(const RwFrame* frame) { return ParentOf(frame); }

RwFrame* RwFrameGetRoot(const RwFrame* frame) { return frame->root; }

RwFrame* RwFrameTranslate(RwFrame* frame, const RwV3d* translation, RwInt32 combine) {
  if (RwMatrixTranslate(&frame->modelling, translation, combine) == nullptr) {
    return nullptr;
  }
  return RwFrameMarkDirty(frame);
}

RwFrame* RwFrameScale(RwFrame* frame, const RwV3d* scale, RwInt32 combine) {
  if (RwMatrixScale(&frame->modelling, scale, combine) == nullptr) {
    return nullptr;
  }
  return RwFrameMarkDirty(frame);
}

RwFrame* RwFrameRotate(RwFrame* frame, const RwV3d* axis, RwReal angle, RwInt32 combine) {
  if (RwMatrixRotate(&frame->modelling, axis, angle, combine) == nullptr) {
    return nullptr;
  }
  return RwFrameMarkDirty(frame);
}

RwFrame* RwFrameSetIdentity(RwFrame* frame) {
  RwMatrixSetIdentity(&frame->modelling);
  return RwFrameMarkDirty(frame);
}

RwBool RwFrameSyncDirty(void) {
  if (gFrameModule == nullptr) {
    return TRUE;  // no engine started: no frames
  }
  RwLinkList pending;
  TakeDirtyList(&pending);
  while (!rwLinkListEmpty(&pending)) {
    RwLLLink* link = rwLinkListGetFirstLLLink(&pending);
    rwLLLinkRemove(link);
    SyncHierarchy(rwLLLinkGetData(link, RwFrame, inDirtyListLink));
  }
  return TRUE;
}

RwInt32 RwFrameRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                              RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&sFrameRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RwFrameRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                    RwPluginDataChunkWriteCallBack writeCB,
                                    RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&sFrameRegistry, pluginID, readCB, writeCB, getSizeCB);
}

RwInt32 RwFrameSetStreamAlwaysCallBack(RwUInt32 pluginID, RwPluginDataChunkAlwaysCallBack alwaysCB) {
  return RwPluginRegistryAddPluginStreamAlwaysCB(&sFrameRegistry, pluginID, alwaysCB);
}

RwInt32 RwFrameGetPluginOffset(RwUInt32 pluginID) { return RwPluginRegistryGetPluginOffset(&sFrameRegistry, pluginID); }

RwFrame* RwObjectHasFrameSetFrame(RwObjectHasFrame* object, RwFrame* frame) {
  if (object->object.parent != nullptr) {
    rwLLLinkRemove(&object->lFrame);
  }
  object->object.parent = frame;
  if (frame != nullptr) {
    rwLinkListAddLLLink(&frame->objectList, &object->lFrame);
    RwFrameMarkDirty(frame);
  }
  return frame;
}

void RwObjectHasFrameReleaseFrame(RwObjectHasFrame* object) {
  if (object->object.parent != nullptr) {
    rwLLLinkRemove(&object->lFrame);
    object->object.parent = nullptr;
  }
}

void* _rwFrameOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwFrameModule* module = RwPluginDataGet(RwFrameModule, instance, offset);
  module->frameFreeList =
      RwFreeListCreate(static_cast<RwUInt32>(sFrameRegistry.sizeOfStruct), kFramesPerBlock, kFrameAlignment);
  if (module->frameFreeList == nullptr) {
    return nullptr;
  }
  rwLinkListInitialize(&static_cast<RwEngineRecord*>(instance)->dirtyFrameList);
  gFrameModule = module;
  return instance;
}

void* _rwFrameClose(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwFrameModule* module = RwPluginDataGet(RwFrameModule, instance, offset);
  if (module->frameFreeList != nullptr) {
    RwFreeListDestroy(module->frameFreeList);
    module->frameFreeList = nullptr;
  }
  rwLinkListInitialize(&static_cast<RwEngineRecord*>(instance)->dirtyFrameList);
  gFrameModule = nullptr;
  return instance;
}

// The frame after f in a pre-order walk of top's sub-tree (children in
// sibling order, each child before its own children), or null at the end.
RwFrame* _rwFrameNextInSubtree(RwFrame* f, const RwFrame* top) {
  if (f->child != nullptr) {
    return f->child;
  }
  while (f != top) {
    if (f->next != nullptr) {
      return f->next;
    }
    f = ParentOf(f);
  }
  return nullptr;
}
