// Colour quantiser. Every colour added lands in a leaf of a 16-way tree of
// depth 5 keyed by the 5-bit red, green, blue and alpha values; a leaf keeps
// its weight and weighted sums. Resolving gives each leaf its own entry when
// they fit, otherwise cuts the colour space into boxes, always splitting the
// box of largest variance where the split explains the most of it.
#include "engine/driver/d3d8/palquant.h"

#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"

namespace {

constexpr RwInt32 kAxes = 4;  // red, green, blue, alpha
constexpr RwInt32 kCells = 1 << kRwPalQuantChannelBits;
constexpr RwInt32 kNodesPerBlock = 64;
constexpr RwUInt32 kNodeAlignment = 8;
constexpr RwUInt8 kNoIndex = 0xFF;
constexpr RwInt32 kChannelShift = 8 - kRwPalQuantChannelBits;
constexpr double kResolveScale = 255.9999;

struct RwPalQuantLeaf {
  RwReal weight;
  RwReal sums[kAxes];  // channel / 255 times the weight
  RwReal sumSquares;   // weight times the sum of the squared channels / 255
  RwUInt8 index;
};

}  // namespace

struct RwPalQuantNode {
  union {
    RwPalQuantNode* children[kRwPalQuantChildren];
    RwPalQuantLeaf leaf;
  };
};

namespace {

// A leaf with its 5-bit coordinates, gathered for cutting boxes.
struct LeafCell {
  RwPalQuantLeaf* leaf;
  RwUInt8 cell[kAxes];
};

struct BoxStats {
  double weight;
  double sums[kAxes];
  double sumSquares;
};

void RaiseOutOfMemory() { RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrOutOfMemory)); }

RwPalQuantNode* NewNode(RwPalQuant* quantiser) {
  RwPalQuantNode* node = static_cast<RwPalQuantNode*>(RwFreeListEntryAlloc(quantiser->nodeFreeList));
  if (node == nullptr) {
    RaiseOutOfMemory();
    return nullptr;
  }
  std::memset(node, 0, sizeof(*node));
  return node;
}

RwUInt32 Key(const RwPalQuant* quantiser, const RwUInt8* colour) {
  return (quantiser->spread[colour[0] >> kChannelShift] << 3) | (quantiser->spread[colour[1] >> kChannelShift] << 2) |
         (quantiser->spread[colour[2] >> kChannelShift] << 1) | quantiser->spread[colour[3] >> kChannelShift];
}

// Adds one colour; false when a node cannot be allocated.
RwBool AddColour(RwPalQuant* quantiser, const RwUInt8* colour, RwReal weight) {
  RwUInt32 key = Key(quantiser, colour);
  RwPalQuantNode* node = quantiser->root;
  for (RwInt32 level = 0; level < kRwPalQuantLevels; ++level) {
    RwPalQuantNode*& child = node->children[key & 0xF];
    if (child == nullptr) {
      child = NewNode(quantiser);
      if (child == nullptr) {
        return FALSE;
      }
      if (level == kRwPalQuantLevels - 1) {
        child->leaf.index = kNoIndex;
      }
    }
    node = child;
    key >>= 4;
  }
  RwPalQuantLeaf& leaf = node->leaf;
  RwReal squares = 0.0f;
  leaf.weight += weight;
  for (RwInt32 axis = 0; axis < kAxes; ++axis) {
    const RwReal channel = colour[axis] / 255.0f;
    leaf.sums[axis] += channel * weight;
    squares += channel * channel;
  }
  leaf.sumSquares += weight * squares;
  return TRUE;
}

const RwPalQuantLeaf* FindLeaf(const RwPalQuant* quantiser, const RwUInt8* colour) {
  RwUInt32 key = Key(quantiser, colour);
  const RwPalQuantNode* node = quantiser->root;
  for (RwInt32 level = 0; level < kRwPalQuantLevels && node != nullptr; ++level) {
    node = node->children[key & 0xF];
    key >>= 4;
  }
  return node == nullptr ? nullptr : &node->leaf;
}

void FreeTree(RwPalQuant* quantiser, RwPalQuantNode* node, RwInt32 level) {
  if (level < kRwPalQuantLevels) {
    for (RwPalQuantNode* child : node->children) {
      if (child != nullptr) {
        FreeTree(quantiser, child, level + 1);
      }
    }
  }
  RwFreeListEntryFree(quantiser->nodeFreeList, node);
}

// Visits the leaves in tree order (children 0..15 at every level, depth
// first), handing each its 5-bit coordinates.
template <typename Visit>
void ForAllLeaves(RwPalQuantNode* node, RwInt32 level, RwUInt8 cell[kAxes], Visit& visit) {
  if (level == kRwPalQuantLevels) {
    visit(&node->leaf, cell);
    return;
  }
  const RwInt32 bit = kRwPalQuantLevels - 1 - level;
  for (RwInt32 child = 0; child < kRwPalQuantChildren; ++child) {
    if (node->children[child] == nullptr) {
      continue;
    }
    RwUInt8 childCell[kAxes];
    for (RwInt32 axis = 0; axis < kAxes; ++axis) {
      const RwInt32 axisBit = (child >> (kAxes - 1 - axis)) & 1;
      childCell[axis] = static_cast<RwUInt8>(cell[axis] | (axisBit << bit));
    }
    ForAllLeaves(node->children[child], level + 1, childCell, visit);
  }
}

void WriteEntry(RwUInt8* entry, const double sums[kAxes], double weight) {
  for (RwInt32 axis = 0; axis < kAxes; ++axis) {
    if (weight == 0.0) {
      entry[axis] = 0;
      continue;
    }
    const double value = sums[axis] * kResolveScale / weight;
    entry[axis] = value >= 255.0 ? 255 : (value <= 0.0 ? 0 : static_cast<RwUInt8>(value));
  }
}

bool Inside(const RwPalQuantBox& box, const RwUInt8 cell[kAxes]) {
  for (RwInt32 axis = 0; axis < kAxes; ++axis) {
    if (cell[axis] < box.low[axis] || cell[axis] >= box.high[axis]) {
      return false;
    }
  }
  return true;
}

void AddLeafStats(BoxStats* stats, const RwPalQuantLeaf* leaf) {
  stats->weight += leaf->weight;
  for (RwInt32 axis = 0; axis < kAxes; ++axis) {
    stats->sums[axis] += leaf->sums[axis];
  }
  stats->sumSquares += leaf->sumSquares;
}

BoxStats StatsOf(const RwPalQuantBox& box, const LeafCell* leaves, RwInt32 count) {
  BoxStats stats = {};
  for (RwInt32 i = 0; i < count; ++i) {
    if (Inside(box, leaves[i].cell)) {
      AddLeafStats(&stats, leaves[i].leaf);
    }
  }
  return stats;
}

double SquaredLength(const double sums[kAxes]) {
  double total = 0.0;
  for (RwInt32 axis = 0; axis < kAxes; ++axis) {
    total += sums[axis] * sums[axis];
  }
  return total;
}

RwReal VarianceOf(const RwPalQuantBox& box, const LeafCell* leaves, RwInt32 count) {
  const BoxStats stats = StatsOf(box, leaves, count);
  if (stats.weight <= 0.0) {
    return 0.0f;
  }
  return static_cast<RwReal>(stats.sumSquares - SquaredLength(stats.sums) / stats.weight);
}

// The best cut of the box along one axis given the axis's histogram; the
// score is 0 when no cut leaves weight on both sides.
double BestCut(const RwPalQuantBox& box, RwInt32 axis, const BoxStats histogram[kCells], RwInt32* cut) {
  BoxStats total = {};
  for (RwInt32 c = box.low[axis]; c < box.high[axis]; ++c) {
    total.weight += histogram[c].weight;
    for (RwInt32 a = 0; a < kAxes; ++a) {
      total.sums[a] += histogram[c].sums[a];
    }
  }
  double best = 0.0;
  BoxStats lower = {};
  for (RwInt32 c = box.low[axis] + 1; c < box.high[axis]; ++c) {
    lower.weight += histogram[c - 1].weight;
    double upperSums[kAxes];
    for (RwInt32 a = 0; a < kAxes; ++a) {
      lower.sums[a] += histogram[c - 1].sums[a];
      upperSums[a] = total.sums[a] - lower.sums[a];
    }
    const double upperWeight = total.weight - lower.weight;
    if (lower.weight <= 0.0 || upperWeight <= 0.0) {
      continue;
    }
    const double score = SquaredLength(lower.sums) / lower.weight + SquaredLength(upperSums) / upperWeight;
    if (score > best) {
      best = score;
      *cut = c;
    }
  }
  return best;
}

// Splits the box in two; false when no axis offers a cut.
bool CutBox(RwPalQuant* quantiser, RwInt32 boxIndex, RwInt32 newIndex, const LeafCell* leaves, RwInt32 count) {
  RwPalQuantBox& box = quantiser->boxes[boxIndex];
  BoxStats histograms[kAxes][kCells] = {};
  for (RwInt32 i = 0; i < count; ++i) {
    if (!Inside(box, leaves[i].cell)) {
      continue;
    }
    for (RwInt32 axis = 0; axis < kAxes; ++axis) {
      AddLeafStats(&histograms[axis][leaves[i].cell[axis]], leaves[i].leaf);
    }
  }
  double bestScore = 0.0;
  RwInt32 bestAxis = -1;
  RwInt32 bestCut = 0;
  for (RwInt32 axis = 0; axis < kAxes; ++axis) {
    RwInt32 cut = 0;
    const double score = BestCut(box, axis, histograms[axis], &cut);
    if (score > bestScore) {
      bestScore = score;
      bestAxis = axis;
      bestCut = cut;
    }
  }
  if (bestAxis < 0) {
    return false;
  }
  RwPalQuantBox& upper = quantiser->boxes[newIndex];
  upper = box;
  upper.low[bestAxis] = static_cast<RwUInt8>(bestCut);
  box.high[bestAxis] = static_cast<RwUInt8>(bestCut);
  quantiser->variances[boxIndex] = VarianceOf(box, leaves, count);
  quantiser->variances[newIndex] = VarianceOf(upper, leaves, count);
  return true;
}

RwInt32 LargestVarianceBox(const RwPalQuant* quantiser, RwInt32 boxCount) {
  RwInt32 chosen = -1;
  RwReal largest = 0.0f;
  for (RwInt32 i = 0; i < boxCount; ++i) {
    if (quantiser->variances[i] > largest) {
      largest = quantiser->variances[i];
      chosen = i;
    }
  }
  return chosen;
}

// Box cutting for more leaves than entries.
RwInt32 ResolveByBoxes(RwUInt8* palette, RwInt32 entries, RwPalQuant* quantiser, RwInt32 leafCount) {
  LeafCell* leaves = static_cast<LeafCell*>(RwMalloc(sizeof(LeafCell) * static_cast<size_t>(leafCount)));
  if (leaves == nullptr) {
    RaiseOutOfMemory();
    return 0;
  }
  RwInt32 count = 0;
  auto gather = [&](RwPalQuantLeaf* leaf, const RwUInt8* cell) {
    leaves[count].leaf = leaf;
    std::memcpy(leaves[count].cell, cell, kAxes);
    count++;
  };
  RwUInt8 origin[kAxes] = {0, 0, 0, 0};
  ForAllLeaves(quantiser->root, 0, origin, gather);

  std::memset(quantiser->boxes, 0, sizeof(RwPalQuantBox) * kRwPalQuantMaxEntries);
  std::memset(quantiser->variances, 0, sizeof(RwReal) * kRwPalQuantMaxEntries);
  for (RwInt32 axis = 0; axis < kAxes; ++axis) {
    quantiser->boxes[0].high[axis] = kCells;
  }
  quantiser->variances[0] = VarianceOf(quantiser->boxes[0], leaves, count);
  RwInt32 boxCount = 1;
  while (boxCount < entries) {
    const RwInt32 chosen = LargestVarianceBox(quantiser, boxCount);
    if (chosen < 0) {
      break;
    }
    if (CutBox(quantiser, chosen, boxCount, leaves, count)) {
      boxCount++;
    } else {
      quantiser->variances[chosen] = 0.0f;
    }
  }
  for (RwInt32 i = 0; i < entries; ++i) {
    BoxStats stats = {};
    if (i < boxCount) {
      for (RwInt32 l = 0; l < count; ++l) {
        if (Inside(quantiser->boxes[i], leaves[l].cell)) {
          leaves[l].leaf->index = static_cast<RwUInt8>(i);
          AddLeafStats(&stats, leaves[l].leaf);
        }
      }
    }
    WriteEntry(palette + 4 * i, stats.sums, stats.weight);
  }
  RwFree(leaves);
  return entries;
}

}  // namespace

RwBool RwPalQuantInit(RwPalQuant* quantiser) {
  std::memset(quantiser, 0, sizeof(*quantiser));
  for (RwUInt32 v = 0; v < kCells; ++v) {
    RwUInt32 spread = 0;
    for (RwInt32 i = 0; i < kRwPalQuantChannelBits; ++i) {
      spread |= ((v >> i) & 1u) << (16 - 4 * i);
    }
    quantiser->spread[v] = spread;
  }
  quantiser->boxes = static_cast<RwPalQuantBox*>(RwCalloc(kRwPalQuantMaxEntries, sizeof(RwPalQuantBox)));
  quantiser->variances = static_cast<RwReal*>(RwCalloc(kRwPalQuantMaxEntries, sizeof(RwReal)));
  if (quantiser->boxes != nullptr && quantiser->variances != nullptr) {
    quantiser->nodeFreeList = RwFreeListCreate(sizeof(RwPalQuantNode), kNodesPerBlock, kNodeAlignment);
  }
  if (quantiser->nodeFreeList != nullptr) {
    quantiser->root = NewNode(quantiser);
    if (quantiser->root != nullptr) {
      return TRUE;
    }
  } else {
    RaiseOutOfMemory();
  }
  RwPalQuantTerm(quantiser);
  return FALSE;
}

RwBool RwPalQuantAddImage(RwPalQuant* quantiser, const RwImage* image, RwReal weight) {
  if (quantiser->root == nullptr) {
    return FALSE;
  }
  if (image->pixels == nullptr) {
    return TRUE;
  }
  const bool indexed = image->depth == 4 || image->depth == 8;
  if (!indexed && image->depth != 32) {
    return TRUE;
  }
  if (indexed && image->palette == nullptr) {
    return TRUE;
  }
  const RwInt32 lastIndex = indexed ? (1 << image->depth) - 1 : 0;
  for (RwInt32 y = 0; y < image->height; ++y) {
    const RwUInt8* row = image->pixels + static_cast<size_t>(y) * image->stride;
    for (RwInt32 x = 0; x < image->width; ++x) {
      const RwUInt8* colour = indexed ? image->palette + 4 * (row[x] & lastIndex) : row + 4 * static_cast<size_t>(x);
      if (!AddColour(quantiser, colour, weight)) {
        return FALSE;
      }
    }
  }
  return TRUE;
}

RwInt32 RwPalQuantResolvePalette(RwUInt8* palette, RwInt32 entries, RwPalQuant* quantiser) {
  if (entries > kRwPalQuantMaxEntries) {
    entries = kRwPalQuantMaxEntries;
  }
  if (entries <= 0) {
    return 0;
  }
  std::memset(palette, 0, 4 * static_cast<size_t>(entries));
  if (quantiser->root == nullptr) {
    return 0;
  }
  RwInt32 leafCount = 0;
  auto countLeaves = [&](RwPalQuantLeaf*, const RwUInt8*) { leafCount++; };
  RwUInt8 origin[kAxes] = {0, 0, 0, 0};
  ForAllLeaves(quantiser->root, 0, origin, countLeaves);
  if (leafCount > entries) {
    return ResolveByBoxes(palette, entries, quantiser, leafCount);
  }
  RwInt32 next = 0;
  auto ownEntry = [&](RwPalQuantLeaf* leaf, const RwUInt8*) {
    const double sums[kAxes] = {leaf->sums[0], leaf->sums[1], leaf->sums[2], leaf->sums[3]};
    WriteEntry(palette + 4 * next, sums, leaf->weight);
    leaf->index = static_cast<RwUInt8>(next);
    next++;
  };
  ForAllLeaves(quantiser->root, 0, origin, ownEntry);
  return leafCount;
}

void RwPalQuantMatchImage(RwUInt8* indices, RwInt32 stride, RwInt32 depth, RwInt32 flag, const RwPalQuant* quantiser,
                          const RwImage* image) {
  const bool indexed = image->depth == 4 || image->depth == 8;
  if (image->pixels == nullptr || (indexed && image->palette == nullptr) || (!indexed && image->depth != 32)) {
    return;
  }
  const bool packed = depth == 4 && flag != 0;
  const RwInt32 lastIndex = indexed ? (1 << image->depth) - 1 : 0;
  for (RwInt32 y = 0; y < image->height; ++y) {
    const RwUInt8* row = image->pixels + static_cast<size_t>(y) * image->stride;
    RwUInt8* out = indices + static_cast<size_t>(y) * stride;
    for (RwInt32 x = 0; x < image->width; ++x) {
      const RwUInt8* colour = indexed ? image->palette + 4 * (row[x] & lastIndex) : row + 4 * static_cast<size_t>(x);
      const RwPalQuantLeaf* leaf = quantiser->root != nullptr ? FindLeaf(quantiser, colour) : nullptr;
      const RwUInt8 index = leaf != nullptr ? leaf->index : 0;
      if (!packed) {
        out[x] = index;
      } else if ((x & 1) == 0) {
        out[x / 2] = static_cast<RwUInt8>(index << 4);
      } else {
        out[x / 2] = static_cast<RwUInt8>(out[x / 2] | (index & 0xF));
      }
    }
  }
}

void RwPalQuantTerm(RwPalQuant* quantiser) {
  if (quantiser->root != nullptr) {
    FreeTree(quantiser, quantiser->root, 0);
    quantiser->root = nullptr;
  }
  if (quantiser->nodeFreeList != nullptr) {
    RwFreeListDestroy(quantiser->nodeFreeList);
    quantiser->nodeFreeList = nullptr;
  }
  EngineFree(quantiser->boxes);
  EngineFree(quantiser->variances);
  quantiser->boxes = nullptr;
  quantiser->variances = nullptr;
}
