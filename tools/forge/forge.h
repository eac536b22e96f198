// The forge: writers of the engine's data files, used for test fixtures, fuzz
// seed corpora and data. Writers need a started engine with the plugins whose
// data they write attached.
#pragma once

#include <vector>

#include "engine/engine.h"

// One key of a node: its pose at a time.
struct ForgeKey {
  RwReal time;      // seconds
  RtQuat rotation;  // unit length
  RwV3d translation;
};

// An animation as one key list a node, each in time order from 0 to the duration.
struct ForgeAnimation {
  RwReal duration = 0.0f;
  RwUInt32 flags = 0;
  std::vector<std::vector<ForgeKey>> nodes;
};

// A key by its node and its place in the node's list.
struct ForgeKeyRef {
  RwInt32 node;
  RwInt32 key;
};

// The order the player needs the keys in: the first key of every node, then
// the second key of every node, then every further key by the time of its
// previous key, ties by node.
std::vector<ForgeKeyRef> ForgeAnimationKeyOrder(const ForgeAnimation& animation);
// Whether the player can play it: a positive duration, every node with at
// least two keys, the first at 0, times rising, the last at the duration.
bool ForgeAnimationPlayable(const ForgeAnimation& animation);
// Writes the animation chunk (0x1B) with standard keys (type 1) in player
// order; false for an unplayable animation or a failed write.
bool ForgeWriteAnimation(RwStream* stream, const ForgeAnimation& animation);
bool ForgeWriteAnimationFile(const RwChar* path, const ForgeAnimation& animation);
// The animation as the engine reads it back from a forged chunk; null on failure.
RtAnimAnimation* ForgeAnimationCreate(const ForgeAnimation& animation);

// ---- Skeletons and skins ------------------------------------------------

// A bone: a frame with a node id, placed from its parent by a rotation and
// then a translation.
struct ForgeBone {
  RwInt32 id;         // node id
  RwInt32 parent;     // index of the parent bone; -1 for the root alone
  RwV3d translation;  // from the parent's origin
  RtQuat rotation;    // unit length
};

// Bones depth first (every parent before its children, each bone's subtree
// in one run); bone i is node i of the hierarchy on the root.
struct ForgeSkeleton {
  std::vector<ForgeBone> bones;
  RwUInt32 hierarchyFlags = 0;
};

// Writes the clump through the engine's clump writer and destroys it; false
// for no clump or a failed write.
bool ForgeWriteAndDestroyClump(RwStream* stream, RpClump* clump);

// Whether the bones can form a hierarchy: one root first, depth first.
bool ForgeSkeletonValid(const ForgeSkeleton& skeleton);
// Node flags (push and pop) of the bones as the hierarchy walks them.
std::vector<RwUInt32> ForgeSkeletonNodeFlags(const ForgeSkeleton& skeleton);
// Each bone's bind-pose matrix relative to the skeleton root's parent.
std::vector<RwMatrix> ForgeSkeletonBindPose(const ForgeSkeleton& skeleton);
// The frames of the bones with their node ids and the hierarchy on the root
// (standard keys); the root frame, or null for an invalid skeleton.
RwFrame* ForgeSkeletonCreate(const ForgeSkeleton& skeleton);
// A clump whose frame is the skeleton's root, without atomics.
RpClump* ForgeSkeletonClumpCreate(const ForgeSkeleton& skeleton);
// Writes that clump through the engine's clump writer.
bool ForgeWriteSkeleton(RwStream* stream, const ForgeSkeleton& skeleton);
bool ForgeWriteSkeletonFile(const RwChar* path, const ForgeSkeleton& skeleton);
// A chain of bones along +y, boneLength apart, ids 1 to count, root at the origin.
ForgeSkeleton ForgeBoneChain(RwInt32 count, RwReal boneLength);
// The chain bending about +z: every bone but the root turns from the rest
// pose at 0 to degrees at half the duration, and holds that to the end.
ForgeAnimation ForgeBendAnimation(RwInt32 count, RwReal boneLength, RwReal degrees, RwReal duration);

// A tube along +y around a bone chain, skinned: each ring of vertices is
// weighted between the two bones whose middles it lies between.
struct ForgeTube {
  RwInt32 bones = 4;
  RwReal length = 4.0f;
  RwReal radius = 0.5f;
  RwInt32 sides = 12;
  RwInt32 rings = 17;  // at least 2, the first at y = 0 and the last at y = length
  RwUInt32 geometryFlags = rpGEOMETRYNORMALS | rpGEOMETRYPRELIT;
  RwRGBA color = {255, 255, 255, 255};  // the material's and the pre-lit colours
};

// The tube's bone chain.
ForgeSkeleton ForgeTubeSkeleton(const ForgeTube& tube);
// The tube's geometry with its skin; null for a bad tube or on failure.
RpGeometry* ForgeTubeGeometryCreate(const ForgeTube& tube);
// A clump: a root frame, the tube's skeleton under it, and one atomic of the
// tube geometry on the root frame. Null on failure.
RpClump* ForgeSkinnedTubeCreate(const ForgeTube& tube);
// Writes that clump through the engine's clump writer.
bool ForgeWriteSkinnedTube(RwStream* stream, const ForgeTube& tube);
bool ForgeWriteSkinnedTubeFile(const RwChar* path, const ForgeTube& tube);
