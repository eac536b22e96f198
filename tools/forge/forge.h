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
