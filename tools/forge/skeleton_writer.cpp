// The skeleton writer: bones as frames with node ids, the hierarchy of their
// nodes on the root frame, written as a clump through the engine's clump
// writer; and the bone chain with the animation that bends it.
#include <cmath>

#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

// The bone's matrix relative to its parent: its rotation, then its translation.
RwMatrix LocalMatrix(const ForgeBone& bone) {
  const double x = bone.rotation.imag.x;
  const double y = bone.rotation.imag.y;
  const double z = bone.rotation.imag.z;
  const double w = bone.rotation.real;
  RwMatrix m;
  RwMatrixSetIdentity(&m);
  // Row vectors: each row is the image of an axis.
  m.right = {static_cast<RwReal>(1 - 2 * (y * y + z * z)), static_cast<RwReal>(2 * (x * y + w * z)),
             static_cast<RwReal>(2 * (x * z - w * y))};
  m.up = {static_cast<RwReal>(2 * (x * y - w * z)), static_cast<RwReal>(1 - 2 * (x * x + z * z)),
          static_cast<RwReal>(2 * (y * z + w * x))};
  m.at = {static_cast<RwReal>(2 * (x * z + w * y)), static_cast<RwReal>(2 * (y * z - w * x)),
          static_cast<RwReal>(1 - 2 * (x * x + y * y))};
  m.pos = bone.translation;
  m.flags = kRwMatrixTypeOrthonormal;
  return m;
}

// Whether bone a is an ancestor of bone b (or b itself).
bool Contains(const ForgeSkeleton& skeleton, RwInt32 a, RwInt32 b) {
  for (RwInt32 i = b; i >= 0; i = skeleton.bones[static_cast<size_t>(i)].parent) {
    if (i == a) {
      return true;
    }
  }
  return false;
}

bool HasChild(const ForgeSkeleton& skeleton, size_t index) {
  return index + 1 < skeleton.bones.size() && skeleton.bones[index + 1].parent == static_cast<RwInt32>(index);
}

// Whether a later bone shares the bone's parent.
bool HasLaterSibling(const ForgeSkeleton& skeleton, size_t index) {
  for (size_t i = index + 1; i < skeleton.bones.size(); i++) {
    if (skeleton.bones[i].parent == skeleton.bones[index].parent) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool ForgeSkeletonValid(const ForgeSkeleton& skeleton) {
  if (skeleton.bones.empty() || skeleton.bones[0].parent != -1) {
    return false;
  }
  // Depth first: each bone's parent is the bone before it or one of that
  // bone's ancestors.
  for (size_t i = 1; i < skeleton.bones.size(); i++) {
    const RwInt32 parent = skeleton.bones[i].parent;
    if (parent < 0 || parent >= static_cast<RwInt32>(i) || !Contains(skeleton, parent, static_cast<RwInt32>(i) - 1)) {
      return false;
    }
  }
  return true;
}

std::vector<RwUInt32> ForgeSkeletonNodeFlags(const ForgeSkeleton& skeleton) {
  std::vector<RwUInt32> flags(skeleton.bones.size(), 0);
  for (size_t i = 0; i < skeleton.bones.size(); i++) {
    // A later sibling needs the parent again: push it. A leaf hands the
    // next bone the parent off the stack (or, pushed and popped, its own).
    if (HasLaterSibling(skeleton, i)) {
      flags[i] |= kRpHAnimPush;
    }
    if (!HasChild(skeleton, i)) {
      flags[i] |= kRpHAnimPop;
    }
  }
  return flags;
}

std::vector<RwMatrix> ForgeSkeletonBindPose(const ForgeSkeleton& skeleton) {
  std::vector<RwMatrix> pose(skeleton.bones.size());
  for (size_t i = 0; i < skeleton.bones.size(); i++) {
    const RwMatrix local = LocalMatrix(skeleton.bones[i]);
    const RwInt32 parent = skeleton.bones[i].parent;
    if (parent < 0) {
      pose[i] = local;
    } else {
      RwMatrixMultiply(&pose[i], &local, &pose[static_cast<size_t>(parent)]);
    }
  }
  return pose;
}

RwFrame* ForgeSkeletonCreate(const ForgeSkeleton& skeleton) {
  if (!ForgeSkeletonValid(skeleton)) {
    return nullptr;
  }
  std::vector<RwFrame*> frames;
  std::vector<RwInt32> ids;
  for (const ForgeBone& bone : skeleton.bones) {
    RwFrame* frame = RwFrameCreate();
    if (frame == nullptr) {
      if (!frames.empty()) {
        RwFrameDestroyHierarchy(frames[0]);
      }
      return nullptr;
    }
    frame->modelling = LocalMatrix(bone);
    RpHAnimFrameSetID(frame, bone.id);
    if (bone.parent >= 0) {
      RwFrameAddChild(frames[static_cast<size_t>(bone.parent)], frame);
    }
    RwFrameMarkDirty(frame);
    frames.push_back(frame);
    ids.push_back(bone.id);
  }
  const std::vector<RwUInt32> flags = ForgeSkeletonNodeFlags(skeleton);
  RpHAnimHierarchy* hierarchy =
      RpHAnimHierarchyCreate(static_cast<RwInt32>(ids.size()), flags.data(), ids.data(), skeleton.hierarchyFlags,
                             static_cast<RwInt32>(sizeof(RpHAnimStdKeyFrame)));
  if (hierarchy == nullptr) {
    RwFrameDestroyHierarchy(frames[0]);
    return nullptr;
  }
  RpHAnimFrameSetHierarchy(frames[0], hierarchy);
  return frames[0];
}

RpClump* ForgeSkeletonClumpCreate(const ForgeSkeleton& skeleton) {
  RwFrame* root = ForgeSkeletonCreate(skeleton);
  RpClump* clump = root != nullptr ? RpClumpCreate() : nullptr;
  if (clump == nullptr) {
    if (root != nullptr) {
      RwFrameDestroyHierarchy(root);
    }
    return nullptr;
  }
  RpClumpSetFrame(clump, root);
  return clump;
}

bool ForgeWriteSkeleton(RwStream* stream, const ForgeSkeleton& skeleton) {
  return ForgeWriteAndDestroyClump(stream, ForgeSkeletonClumpCreate(skeleton));
}

bool ForgeWriteSkeletonFile(const RwChar* path, const ForgeSkeleton& skeleton) {
  return ForgeWriteFile(path, [&skeleton](RwStream* stream) { return ForgeWriteSkeleton(stream, skeleton); });
}

ForgeSkeleton ForgeBoneChain(RwInt32 count, RwReal boneLength) {
  ForgeSkeleton skeleton;
  for (RwInt32 i = 0; i < count; i++) {
    const RwReal step = i == 0 ? 0.0f : boneLength;
    skeleton.bones.push_back({i + 1, i - 1, {0.0f, step, 0.0f}, {{0.0f, 0.0f, 0.0f}, 1.0f}});
  }
  return skeleton;
}

ForgeAnimation ForgeBendAnimation(RwInt32 count, RwReal boneLength, RwReal degrees, RwReal duration) {
  const double half = degrees * M_PI / 360.0;
  const RtQuat bent = {{0.0f, 0.0f, static_cast<RwReal>(std::sin(half))}, static_cast<RwReal>(std::cos(half))};
  const RtQuat rest = {{0.0f, 0.0f, 0.0f}, 1.0f};
  ForgeAnimation animation;
  animation.duration = duration;
  for (const ForgeBone& bone : ForgeBoneChain(count, boneLength).bones) {
    const bool turns = bone.parent >= 0;
    const RtQuat end = turns ? bent : rest;
    animation.nodes.push_back(
        {{0.0f, rest, bone.translation}, {duration * 0.5f, end, bone.translation}, {duration, end, bone.translation}});
  }
  return animation;
}
