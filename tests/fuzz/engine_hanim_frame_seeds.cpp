// Writes the seed corpus of engine_hanim_frame_fuzz into the folder given:
// frame lists of skeletons built in code, with their hierarchies under the
// update flags, and of frames carrying node ids only.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/fuzz/anim_fuzz_engine.h"

namespace {

// A skeleton of nodes frames, each the child of the frame before it except
// every third, which hangs on the root; the hierarchy sits on the root.
RwFrame* Skeleton(int nodes, RwUInt32 flags, RwInt32 keyFrameSize) {
  std::vector<RwFrame*> frames;
  std::vector<RwInt32> ids;
  std::vector<RwUInt32> nodeFlags;
  for (int i = 0; i < nodes; i++) {
    RwFrame* frame = RwFrameCreate();
    RpHAnimFrameSetID(frame, 10 + i);
    if (i > 0) {
      RwFrameAddChild(i % 3 == 0 ? frames[0] : frames[i - 1], frame);
    }
    frames.push_back(frame);
    ids.push_back(10 + i);
    nodeFlags.push_back(i % 3 == 2 ? kRpHAnimPop : (i % 3 == 0 ? kRpHAnimPush : 0));
  }
  if (flags != 0xFFFFFFFF) {
    RpHAnimFrameSetHierarchy(frames[0],
                             RpHAnimHierarchyCreate(nodes, nodeFlags.data(), ids.data(), flags, keyFrameSize));
  }
  return frames[0];
}

bool WriteFrames(RwFrame* root, const std::string& path) {
  RwFrameList list;
  if (RwFrameListInitialize(&list, root) == nullptr) {
    return false;
  }
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamWrite, path.c_str());
  const bool written = stream != nullptr && RwFrameListStreamWrite(&list, stream) != nullptr;
  if (stream != nullptr) {
    RwStreamClose(stream, nullptr);
  }
  RwFrameListDeinitialize(&list);
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || !fakedevice::StartWithAnimation()) {
    return 1;
  }
  const struct {
    int nodes;
    RwUInt32 flags;  // 0xFFFFFFFF: no hierarchy
    RwInt32 keyFrameSize;
  } seeds[] = {{1, 0xFFFFFFFF, 0},
               {3, 0, sizeof(RpHAnimStdKeyFrame)},
               {5, kRpHAnimUpdateModelling | kRpHAnimUpdateLTMs, sizeof(RpHAnimStdKeyFrame)},
               {4, kRpHAnimNoMatrices | kRpHAnimUpdateLTMs, 64},
               {6, kRpHAnimLocalSpace | kRpHAnimUpdateLTMs, sizeof(RpHAnimStdKeyFrame)}};
  int written = 0;
  for (const auto& seed : seeds) {
    RwFrame* root = Skeleton(seed.nodes, seed.flags, seed.keyFrameSize);
    const std::string path = std::string(argv[1]) + "/frames_" + std::to_string(written) + ".dff";
    const bool ok = WriteFrames(root, path);
    RwFrameDestroyHierarchy(root);
    if (!ok) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    written++;
  }
  fakedevice::Shutdown();
  return 0;
}
