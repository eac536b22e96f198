// The stream form of collision data (the body of sub-chunk 0x11D): leaf and
// map counts, the nodes in pre-order, the leaves, then the triangle map
// widened to 32-bit words. A read holds record, tree and map in one block and
// refuses any tree the walks could not trust: wrong lengths, kinds or axes,
// indices out of order, runs past the map, entries past the owner's
// triangles, splits deeper than the walks' stacks.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/plugin/collis/collis_internal.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/plcore/stream_internal.h"

namespace {

constexpr RwUInt32 kCountsBytes = 8;  // leaf count and map length
constexpr RwUInt32 kNodeBytes = 16;
constexpr RwUInt32 kLeafBytes = 4;
constexpr RwUInt32 kMapEntryBytes = 4;
// Leaf indices are 16-bit.
constexpr RwInt32 kMaxLeaves = 0x10000;
// Map entries converted per read or write.
constexpr RwInt32 kMapBatch = 1024;
// Bytes of node or leaf records decoded per read.
constexpr RwUInt32 kRecordBatchBytes = 4096;
// Parts of a read block start at multiples of this.
constexpr size_t kBlockAlignment = 8;

size_t AlignBlock(size_t bytes) { return (bytes + kBlockAlignment - 1) & ~(kBlockAlignment - 1); }

bool ValidAxis(RwUInt16 axis) { return axis == 0 || axis == sizeof(RwReal) || axis == 2 * sizeof(RwReal); }

// A right child still to be visited by the shape check.
struct PendingChild {
  RwUInt8 kind;
  RwUInt16 index;
  RwInt32 depth;  // splits above it
};

// Whether every leaf's run lies inside the map.
bool LeafRunsInside(const RpCollisionTree* tree, RwInt32 mapLength) {
  RwInt32 outside = 0;
  for (RwInt32 i = 0; i < tree->numLeaves; ++i) {
    const RpCollisionTreeLeaf& leaf = tree->leaves[i];
    outside |= static_cast<RwInt32>(leaf.firstTriangle) + leaf.numTriangles > mapLength ? 1 : 0;
  }
  return outside == 0;
}

// Whether the nodes and leaves form one tree numbered as the build numbers
// it (nodes in pre-order, leaves left to right), with no split at depth 32
// or deeper and every leaf's run inside the map. The walk takes the nodes in
// index order: from each node it goes left, through the leaves that follow
// (each the next leaf, the way back up taken from the right children
// pending), to the next node, which must be the next in the array.
bool TreeIsWellFormed(const RpCollisionTree* tree, RwInt32 mapLength) {
  const RwUInt32 numNodes = static_cast<RwUInt32>(tree->numLeaves - 1);
  if (numNodes == 0) {
    return LeafRunsInside(tree, mapLength);  // the root is leaf 0
  }
  // Below a split at depth d lie at most d + 1 pending children.
  PendingChild pending[kRpCollisionTreeMaxDepth + 1];
  RwUInt32 numPending = 0;
  RwUInt32 nextLeaf = 0;
  RwInt32 depth = 0;
  for (RwUInt32 i = 0; i < numNodes; ++i) {
    const RpCollisionTreeNode& node = tree->nodes[i];
    if (depth >= kRpCollisionTreeMaxDepth || !ValidAxis(node.axis)) {
      return false;
    }
    pending[numPending++] = {node.rightType, node.rightIndex, depth + 1};
    RwUInt8 kind = node.leftType;
    RwUInt32 index = node.leftIndex;
    depth += 1;
    while (kind == kRpCollisionChildLeaf) {
      if (index != nextLeaf++) {
        return false;
      }
      if (numPending == 0) {
        // The tree ends here: every node and leaf must have been visited.
        return i + 1 == numNodes && nextLeaf == static_cast<RwUInt32>(tree->numLeaves) &&
               LeafRunsInside(tree, mapLength);
      }
      const PendingChild& up = pending[--numPending];
      kind = up.kind;
      index = up.index;
      depth = up.depth;
    }
    if (kind != kRpCollisionChildNode || index != i + 1) {
      return false;
    }
  }
  return false;  // a node past the last one
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
  RwUInt8 buffer[kMapEntryBytes * kMapBatch];
  // Entries are 16-bit in memory.
  const RwUInt32 limit = static_cast<RwUInt32>(numTriangles) < 0x10000u ? static_cast<RwUInt32>(numTriangles) : 0x10000u;
  for (RwInt32 done = 0; done < data->mapLength;) {
    const RwInt32 left = data->mapLength - done;
    const RwInt32 batch = left < kMapBatch ? left : kMapBatch;
    const RwUInt8* words = _rwStreamReadInPlace(stream, buffer, kMapEntryBytes * static_cast<RwUInt32>(batch));
    if (words == nullptr) {
      *shortRead = true;
      return false;
    }
    if (!_rwNarrowWords32(words, data->triangleMap + done, static_cast<RwUInt32>(batch), limit)) {
      return false;
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

// Nodes and leaves are read in batches and decoded from where the stream
// holds them.
RwStream* RpCollisionTreeStreamRead(RpCollisionTree* tree, RwStream* stream) {
  RwUInt8 buffer[kRecordBatchBytes];
  const RwUInt32 numNodes = static_cast<RwUInt32>(tree->numLeaves - 1);
  for (RwUInt32 done = 0; done < numNodes;) {
    const RwUInt32 batch =
        numNodes - done < kRecordBatchBytes / kNodeBytes ? numNodes - done : kRecordBatchBytes / kNodeBytes;
    const RwUInt8* bytes = _rwStreamReadInPlace(stream, buffer, kNodeBytes * batch);
    if (bytes == nullptr) {
      return nullptr;
    }
    for (RwUInt32 i = 0; i < batch; ++i, bytes += kNodeBytes) {
      const RwUInt32 kinds = RwReadLittleEndianUInt32(bytes);
      const RwUInt32 indices = RwReadLittleEndianUInt32(bytes + 4);
      tree->nodes[done + i] = {static_cast<RwUInt16>(kinds >> 16),
                               static_cast<RwUInt8>(kinds >> 8),
                               static_cast<RwUInt8>(kinds),
                               static_cast<RwUInt16>(indices >> 16),
                               static_cast<RwUInt16>(indices & 0xFFFF),
                               RwReadLittleEndianReal(bytes + 8),
                               RwReadLittleEndianReal(bytes + 12)};
    }
    done += batch;
  }
  const RwUInt32 numLeaves = static_cast<RwUInt32>(tree->numLeaves);
  for (RwUInt32 done = 0; done < numLeaves;) {
    const RwUInt32 batch =
        numLeaves - done < kRecordBatchBytes / kLeafBytes ? numLeaves - done : kRecordBatchBytes / kLeafBytes;
    const RwUInt8* bytes = _rwStreamReadInPlace(stream, buffer, kLeafBytes * batch);
    if (bytes == nullptr) {
      return nullptr;
    }
    RwUInt32 i = 0;
#if defined(__SSE2__)
    // Four at a time where the words lie in file order: each record is its
    // word's two halves swapped.
    if (kRwNativeIsLittleEndian) {
      for (; i + 4 <= batch; i += 4) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + kLeafBytes * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(tree->leaves + done + i),
                         _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, 0xB1), 0xB1));
      }
    }
#endif
    for (; i < batch; ++i) {
      const RwUInt32 bits = RwReadLittleEndianUInt32(bytes + kLeafBytes * i);
      tree->leaves[done + i] = {static_cast<RwUInt16>(bits >> 16), static_cast<RwUInt16>(bits & 0xFFFF)};
    }
    done += batch;
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
