// Reads frame list chunks (0xE) from arbitrary bytes, which carries the
// hierarchical animation sub-chunk (0x11E) of every frame, then binds and
// updates every hierarchy read, clones and writes the frames, and destroys
// them.
#include <cstdint>
#include <vector>

#include "tests/fuzz/anim_fuzz_engine.h"

namespace {

void Exercise(RwFrameList* list) {
  for (RwInt32 i = 0; i < list->numFrames; i++) {
    RpHAnimHierarchy* hierarchy = RpHAnimFrameGetHierarchy(list->frames[i]);
    if (hierarchy != nullptr) {
      RpHAnimHierarchyAttach(hierarchy);
      RtAnimInterpolatorSetKeyFrameCallBacks(hierarchy->currentAnim, kRpHAnimStdKeyFrameTypeId);
      RpHAnimHierarchyUpdateMatrices(hierarchy);
    }
  }
  RwFrame* root = RwFrameGetRoot(list->frames[0]);
  RwFrameDestroyHierarchy(RwFrameCloneHierarchy(root));
  RwFrameList whole;
  if (RwFrameListInitialize(&whole, root) != nullptr) {
    RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
    if (out != nullptr) {
      RwFrameListStreamWrite(&whole, out);
      RwStreamClose(out, nullptr);
    }
    RwFrameListDeinitialize(&whole);
  }
  RwFrameSyncDirty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = fakedevice::StartWithAnimation();
  std::vector<RwUInt8> copy;
  RwStream* stream = started ? fakedevice::OpenChunk(data, size, kRwChunkFrameList, &copy) : nullptr;
  if (stream == nullptr) {
    return 0;
  }
  RwFrameList list = {nullptr, 0};
  RwFrameList* read = RwFrameListStreamRead(stream, &list);
  RwStreamClose(stream, nullptr);
  if (read != nullptr) {
    if (list.numFrames > 0) {
      Exercise(&list);
    }
    // Every frame without a parent is the root of what the list made; all
    // are found before any is destroyed.
    std::vector<RwFrame*> roots;
    for (RwInt32 i = 0; i < list.numFrames; i++) {
      if (RwFrameGetParent(list.frames[i]) == nullptr) {
        roots.push_back(list.frames[i]);
      }
    }
    RwFrameListDeinitialize(&list);
    for (RwFrame* root : roots) {
      RwFrameDestroyHierarchy(root);
    }
  }
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
