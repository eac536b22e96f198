// The stream form of collision data (the body of sub-chunk 0x11D): leaf and
// map counts, the nodes in pre-order, the leaves, then the triangle map
// widened to 32-bit words. A read holds record, tree and map in one block and
// refuses any tree the walks could not trust: wrong lengths, kinds or axes,
// indices out of order, runs past the map, entries past the owner's
// triangles, splits deeper than the walks' stacks.
#include "engine/plugin/collis/collis_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"

namespace {

constexpr RwUInt32 kCountsBytes = 8;  // leaf count and map length
constexpr RwUInt32 kNodeBytes = 16;
constexpr RwUInt32 kLeafBytes = 4;
constexpr RwUInt32 kMapEntryBytes = 4;
// Leaf indices are 16-bit.
constexpr RwInt32 kMaxLeaves = 0x10000;
// Map entries converted per read or write.
constexpr RwInt32 kMapBatch = 256;
// Parts of a read block start at multiples of this.
constexpr size_t kBlockAlignment = 8;

size_t AlignBlock(size_t bytes) { return (bytes + kBlockAlignment - 1) & ~(kBlockAlignment - 1); }

bool ValidAxis(RwUInt16 axis) { return axis == 0 || axis == sizeof(RwReal) || axis == 2 * sizeof(RwReal); }

bool ValidKind(RwUInt8 kind) { return kind == kRpCollisionChildLeaf || kind == kRpCollisionChildNode; }

// A child still to be visited by the shape check.
struct PendingChild {
  RwUInt8 kind;
  RwUInt16 index;
  RwInt32 depth;  // splits above it
};

// Whether the nodes and leaves form one tree numbered as the build numbers
// it (nodes in pre-order, leaves left to right), with no split at depth 32
// or deeper and every leaf's run inside the map.
bool TreeIsWellFormed(const RpCollisionTree* tree, RwInt32 mapLength) {
  const RwInt32 numNodes = tree->numLeaves - 1;
  PendingChild pending[kRpCollisionTreeMaxDepth];
  RwInt32 numPending = 0;
  RwInt32 nextNode = 0;
  RwInt32 nextLeaf = 0;
  PendingChild current = {numNodes > 0 ? kRpCollisionChildNode : kRpCollisionChildLeaf, 0, 0};
  for (;;) {
    if (current.kind == kRpCollisionChildNode) {
      if (current.index != nextNode || nextNode >= numNodes || current.depth >= kRpCollisionTreeMaxDepth) {
        return false;
      }
      ++nextNode;
      const RpCollisionTreeNode& node = tree->nodes[current.index];
      if (!ValidAxis(node.axis) || !ValidKind(node.leftType) || !ValidKind(node.rightType)) {
        return false;
      }
      pending[numPending++] = {node.rightType, node.rightIndex, current.depth + 1};
      current = {node.leftType, node.leftIndex, current.depth + 1};
      continue;
    }
    if (current.index != nextLeaf || nextLeaf >= tree->numLeaves) {
      return false;
    }
    ++nextLeaf;
    const RpCollisionTreeLeaf& leaf = tree->leaves[current.index];
    if (static_cast<RwInt32>(leaf.firstTriangle) + leaf.numTriangles > mapLength) {
      return false;
    }
    if (numPending == 0) {
      break;
    }
    current = pending[--numPending];
  }
  return nextNode == numNodes && nextLeaf == tree->numLeaves;
}

RpCollisionData* RefuseRead(void* block) {
  RwFree(block);
  RwErrorRaise(kRpCollisionPluginId, kRwErrRead);
  return nullptr;
}

RwBool WriteMap(const RpCollisionData* data, RwStream* stream) {
  RwInt32 words[kMapBatch];
  for (RwInt32 done = 0; done < data->mapLength;) {
    const RwInt32 left = data->mapLength - done;
    const RwInt32 batch = left < kMapBatch ? left : kMapBatch;
    for (RwInt32 i = 0; i < batch; ++i) {
      words[i] = data->triangleMap[done + i];
    }
    if (RwStreamWriteInt32(stream, words, kMapEntryBytes * batch) == nullptr) {
      return FALSE;
    }
    done += batch;
  }
  return TRUE;
}

// Reads the map; false on a short read (error recorded) or an entry at or
// above numTriangles (nothing recorded).
bool ReadMap(RpCollisionData* data, RwStream* stream, RwInt32 numTriangles, bool* shortRead) {
  RwInt32 words[kMapBatch];
  for (RwInt32 done = 0; done < data->mapLength;) {
    const RwInt32 left = data->mapLength - done;
    const RwInt32 batch = left < kMapBatch ? left : kMapBatch;
    if (RwStreamReadInt32(stream, words, kMapEntryBytes * batch) == nullptr) {
      *shortRead = true;
      return false;
    }
    for (RwInt32 i = 0; i < batch; ++i) {
      const RwUInt32 entry = static_cast<RwUInt32>(words[i]);
      if (entry >= static_cast<RwUInt32>(numTriangles) || entry > 0xFFFFu) {
        return false;
      }
      data->triangleMap[done + i] = static_cast<RwUInt16>(entry);
    }
    done += batch;
  }
  return true;
}

}  // namespace

RwInt32 RpCollisionTreeStreamGetSize(const RpCollisionTree* tree) {
  return static_cast<RwInt32>(kNodeBytes * (tree->numLeaves - 1) + kLeafBytes * tree->numLeaves);
}

RwStream* RpCollisionTreeStreamWrite(const RpCollisionTree* tree, RwStream* stream) {
  for (RwInt32 i = 0; i < tree->numLeaves - 1; ++i) {
    const RpCollisionTreeNode& node = tree->nodes[i];
    const RwUInt32 words[2] = {
        static_cast<RwUInt32>(node.axis) << 16 | static_cast<RwUInt32>(node.leftType) << 8 | node.rightType,
        static_cast<RwUInt32>(node.leftIndex) << 16 | node.rightIndex};
    const RwReal values[2] = {node.leftValue, node.rightValue};
    if (RwStreamWriteInt32(stream, reinterpret_cast<const RwInt32*>(words), sizeof(words)) == nullptr ||
        RwStreamWriteReal(stream, values, sizeof(values)) == nullptr) {
      return nullptr;
    }
  }
  for (RwInt32 i = 0; i < tree->numLeaves; ++i) {
    const RpCollisionTreeLeaf& leaf = tree->leaves[i];
    const RwInt32 word = static_cast<RwInt32>(static_cast<RwUInt32>(leaf.numTriangles) << 16 | leaf.firstTriangle);
    if (RwStreamWriteInt32(stream, &word, sizeof(word)) == nullptr) {
      return nullptr;
    }
  }
  return stream;
}

RwStream* RpCollisionTreeStreamRead(RpCollisionTree* tree, RwStream* stream) {
  for (RwInt32 i = 0; i < tree->numLeaves - 1; ++i) {
    RwInt32 words[2];
    RwReal values[2];
    if (RwStreamReadInt32(stream, words, sizeof(words)) == nullptr ||
        RwStreamReadReal(stream, values, sizeof(values)) == nullptr) {
      return nullptr;
    }
    const RwUInt32 kinds = static_cast<RwUInt32>(words[0]);
    const RwUInt32 indices = static_cast<RwUInt32>(words[1]);
    tree->nodes[i] = {static_cast<RwUInt16>(kinds >> 16),
                      static_cast<RwUInt8>(kinds >> 8),
                      static_cast<RwUInt8>(kinds),
                      static_cast<RwUInt16>(indices >> 16),
                      static_cast<RwUInt16>(indices & 0xFFFF),
                      values[0],
                      values[1]};
  }
  for (RwInt32 i = 0; i < tree->numLeaves; ++i) {
    RwInt32 word;
    if (RwStreamReadInt32(stream, &word, sizeof(word)) == nullptr) {
      return nullptr;
    }
    const RwUInt32 bits = static_cast<RwUInt32>(word);
    tree->leaves[i] = {static_cast<RwUInt16>(bits >> 16), static_cast<RwUInt16>(bits & 0xFFFF)};
  }
  return stream;
}

RwInt32 RpCollisionDataStreamGetSize(const RpCollisionData* data) {
  return static_cast<RwInt32>(kCountsBytes) + RpCollisionTreeStreamGetSize(data->tree) +
         static_cast<RwInt32>(kMapEntryBytes) * data->mapLength;
}

RwStream* RpCollisionDataStreamWrite(const RpCollisionData* data, RwStream* stream) {
  const RwInt32 counts[2] = {data->tree->numLeaves, data->mapLength};
  if (RwStreamWriteInt32(stream, counts, sizeof(counts)) == nullptr ||
      RpCollisionTreeStreamWrite(data->tree, stream) == nullptr || !WriteMap(data, stream)) {
    return nullptr;
  }
  return stream;
}

RpCollisionData* _rpCollisionDataStreamRead(RwStream* stream, RwInt32 length, RwInt32 numTriangles) {
  if (length < static_cast<RwInt32>(kCountsBytes)) {
    return RefuseRead(nullptr);
  }
  RwInt32 counts[2];
  if (RwStreamReadInt32(stream, counts, sizeof(counts)) == nullptr) {
    return nullptr;
  }
  const RwInt32 numLeaves = counts[0];
  const RwInt32 mapLength = counts[1];
  if (numLeaves < 1 || numLeaves > kMaxLeaves || mapLength < 0 || mapLength > kRpCollisionMaxTriangles) {
    return RefuseRead(nullptr);
  }
  const RwInt64 expected = kCountsBytes + static_cast<RwInt64>(kNodeBytes) * (numLeaves - 1) +
                           static_cast<RwInt64>(kLeafBytes) * numLeaves +
                           static_cast<RwInt64>(kMapEntryBytes) * mapLength;
  if (expected != length) {
    return RefuseRead(nullptr);
  }
  const size_t treeOffset = AlignBlock(sizeof(RpCollisionData));
  const size_t mapOffset = treeOffset + AlignBlock(_rpCollisionTreeBlockSize(numLeaves));
  auto* block = static_cast<RwUInt8*>(RwMalloc(mapOffset + sizeof(RwUInt16) * mapLength));
  if (block == nullptr) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  auto* data = reinterpret_cast<RpCollisionData*>(block);
  data->flags = kRpCollisionDataOneBlock;
  data->tree = _rpCollisionTreeLayout(block + treeOffset, numLeaves);
  data->mapLength = mapLength;
  data->triangleMap = reinterpret_cast<RwUInt16*>(block + mapOffset);
  if (RpCollisionTreeStreamRead(data->tree, stream) == nullptr) {
    RwFree(block);
    return nullptr;
  }
  bool shortRead = false;
  if (!ReadMap(data, stream, numTriangles, &shortRead)) {
    if (shortRead) {
      RwFree(block);
      return nullptr;
    }
    return RefuseRead(block);
  }
  if (!TreeIsWellFormed(data->tree, mapLength)) {
    return RefuseRead(block);
  }
  return data;
}
