// Building a collision tree: the triangles are split recursively along the
// axis and value that the cost search finds best, straddling triangles going
// to the side they reach further into and widening that side's bound, until
// a range is small, the depth limit is reached or no split helps. Nodes are
// made in pre-order and leaves left to right, into arrays sized for the worst
// case, then copied into the tree's own block. A triangle's side against a
// value depends only on its least and greatest corner on the axis, so those
// are kept with it and classification never touches the vertices.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "engine/plugin/collis/collis_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/matrix.h"

namespace {

// Ranges of fewer triangles become leaves.
constexpr RwInt32 kLeafTriangles = 4;
// Candidate values evaluated per axis, and buckets across the middle half.
constexpr RwInt32 kCandidateBudget = 50;
constexpr RwReal kCandidateBuckets = 50.0f;
// A middle half narrower than this share of the largest extent tries only the median.
constexpr RwReal kFlatSpread = 0.0001f;
// Axes shorter than this share of the largest are favoured by a weight.
constexpr RwReal kShortAxis = 0.5f;

// Sides of a triangle against a split value.
constexpr RwUInt32 kSideLeft = 1;   // every corner at or below
constexpr RwUInt32 kSideRight = 2;  // every corner at or above

// A vertex the current range uses, as the candidate search sorts it.
struct UsedVertex {
  RwReal key;         // what the sort orders by
  RwReal coordinate;  // on the axis being searched
  RwInt32 vertex;
};

struct BuildTriangle {
  const RpTriangle* triangle;
  RwUInt32 side;
  RwReal least[3];  // per axis, over the three corners
  RwReal greatest[3];
};

// Shared arrays and the current range; children work on copies.
struct BuildContext {
  RwInt32 numVertices;
  const RwV3d* positions;
  RwUInt32* useCounts;  // per vertex: corners of the range's triangles on it
  BuildTriangle* triangles;
  RwInt32 depth;
  RwBBox box;
  RwInt32 count;  // triangles of the range
  RwInt32 first;
  RwInt32 numUsed;  // vertices the range's triangles use
  UsedVertex* used;
};

// Nodes and leaves as they are made, in arrays that fit any tree of the triangles.
struct BuildOutput {
  RpCollisionTreeNode* nodes;
  RwInt32 numNodes;
  RpCollisionTreeLeaf* leaves;
  RwInt32 numLeaves;
};

struct Classification {
  RwInt32 left;
  RwInt32 right;
  RwReal leftValue;
  RwReal rightValue;
};

RwReal Coordinate(const RwV3d& v, RwInt32 axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

RwReal& Coordinate(RwV3d& v, RwInt32 axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

// The range's used vertices, each once (in no particular order: every sort
// of them is total).
void CollectUsedVertices(BuildContext* context) {
  const BuildTriangle* range = context->triangles + context->first;
  for (RwInt32 i = 0; i < context->count; ++i) {
    for (RwUInt16 index : range[i].triangle->vertIndex) {
      context->useCounts[index] = 0;
    }
  }
  context->numUsed = 0;
  for (RwInt32 i = 0; i < context->count; ++i) {
    for (RwUInt16 index : range[i].triangle->vertIndex) {
      if (context->useCounts[index]++ == 0) {
        context->used[context->numUsed++] = {0.0f, 0.0f, index};
      }
    }
  }
}

// Orders by key, ties in vertex order, so that builds repeat exactly.
void SortByKey(UsedVertex* begin, UsedVertex* end) {
  std::sort(begin, end, [](const UsedVertex& a, const UsedVertex& b) {
    return a.key < b.key || (a.key == b.key && a.vertex < b.vertex);
  });
}

// Sets each range triangle's side: left when no corner lies above the value,
// else right when none lies below (a triangle on the plane goes right); a
// straddling triangle goes where it reaches further and widens that side's
// bound. Rounding is monotonic, so the reaches of the extreme corners are
// the greatest of the corners' reaches.
Classification ClassifyTriangles(BuildContext* context, RwInt32 axis, RwReal value) {
  Classification result = {0, 0, value, value};
  RwReal leftAbove = 0.0f;
  RwReal rightBelow = 0.0f;
  BuildTriangle* range = context->triangles + context->first;
  for (RwInt32 i = 0; i < context->count; ++i) {
    const RwReal least = range[i].least[axis];
    const RwReal greatest = range[i].greatest[axis];
    const RwReal above = std::max(0.0f, greatest - value);
    const RwReal below = std::max(0.0f, -(least - value));
    RwUInt32 sides = (greatest <= value ? kSideLeft : 0) | (least >= value ? kSideRight : 0);
    if (sides == 0) {
      if (above > below) {
        sides = kSideRight;
        rightBelow = std::max(rightBelow, below);
      } else {
        sides = kSideLeft;
        leftAbove = std::max(leftAbove, above);
      }
    }
    range[i].side = (sides & kSideRight) != 0 ? kSideRight : kSideLeft;
    if (range[i].side == kSideLeft) {
      result.left++;
    } else {
      result.right++;
    }
  }
  result.leftValue = value + leftAbove;
  result.rightValue = value - rightBelow;
  return result;
}

// Cost weight of a side of k triangles: (b + 2) - 2^(b + 1) / k, b = floor(log2 k).
RwReal SideWeight(RwInt32 k) {
  RwInt32 b = 0;
  while ((k >> (b + 1)) != 0) {
    ++b;
  }
  return static_cast<RwReal>(b + 2) - static_cast<RwReal>(1u << (b + 1)) / static_cast<RwReal>(k);
}

// The cheapest split of the range, from at most kCandidateBudget values per
// axis taken from the middle half of the sorted vertices, nearest the median
// first. False when no candidate leaves triangles on both sides.
bool ChooseSplit(BuildContext* context, RwInt32* axisOut, RwReal* valueOut) {
  const RwV3d extent = {context->box.sup.x - context->box.inf.x, context->box.sup.y - context->box.inf.y,
                        context->box.sup.z - context->box.inf.z};
  RwReal largest = extent.x;
  largest = extent.y > largest ? extent.y : largest;
  largest = extent.z > largest ? extent.z : largest;
  if (!(largest > 0.0f) || context->numUsed == 0) {
    return false;
  }
  RwReal best = FLT_MAX;
  for (RwInt32 axis = 0; axis < 3; ++axis) {
    const RwReal axisExtent = Coordinate(extent, axis);
    if (!(axisExtent > 0.0f)) {
      continue;  // every cost on a flat axis divides by zero and never wins
    }
    const RwReal ratio = axisExtent / largest;
    const RwReal weight = ratio <= kShortAxis ? 1.0f / (ratio + kShortAxis) : 1.0f;
    UsedVertex* used = context->used;
    const RwInt32 n = context->numUsed;
    for (RwInt32 i = 0; i < n; ++i) {
      used[i].coordinate = Coordinate(context->positions[used[i].vertex], axis);
      used[i].key = used[i].coordinate;
    }
    SortByKey(used, used + n);
    const RwInt32 low = n / 4;
    const RwInt32 mid = n / 2;
    const RwInt32 high = n / 4 + n / 2;
    const RwReal median = used[mid].coordinate;
    const RwReal spread = used[high].coordinate - used[low].coordinate;
    RwInt32 firstCandidate = mid;
    RwInt32 lastCandidate = mid;
    RwReal scale = 0.0f;
    if (!(spread < largest * kFlatSpread)) {
      scale = kCandidateBuckets / spread;
      for (RwInt32 i = low; i <= high; ++i) {
        used[i].key = std::fabs(used[i].coordinate - median);
      }
      SortByKey(used + low, used + high + 1);
      firstCandidate = low;
      lastCandidate = high;
    }
    RwReal previousBucket = -1.0f;
    RwInt32 budget = kCandidateBudget;
    for (RwInt32 i = firstCandidate; i <= lastCandidate && budget > 0; ++i) {
      const RwReal value = used[i].coordinate;
      const RwReal bucket = std::trunc(value * scale);
      if (bucket == previousBucket) {
        continue;
      }
      previousBucket = bucket;
      --budget;
      const Classification split = ClassifyTriangles(context, axis, value);
      if (split.left == 0 || split.right == 0) {
        continue;
      }
      const RwReal cost = (SideWeight(split.left) * (split.leftValue - Coordinate(context->box.inf, axis)) +
                           SideWeight(split.right) * (Coordinate(context->box.sup, axis) - split.rightValue)) /
                          axisExtent * weight;
      if (cost < best) {
        best = cost;
        *axisOut = axis;
        *valueOut = value;
      }
    }
  }
  return best < FLT_MAX;
}

// Moves the range's left-side triangles to its front, keeping their order.
void PartitionRange(BuildContext* context) {
  BuildTriangle* range = context->triangles + context->first;
  RwInt32 k = 0;
  for (RwInt32 i = 0; i < context->count; ++i) {
    if (range[i].side == kSideLeft) {
      if (i > k) {
        std::swap(range[k], range[i]);
      }
      ++k;
    }
  }
}

void SplitRange(BuildContext context, BuildOutput* output, RwUInt8* kind, RwUInt16* index) {
  CollectUsedVertices(&context);
  RwInt32 axis = 0;
  RwReal value = 0.0f;
  if (context.depth >= kRpCollisionTreeMaxDepth || context.count < kLeafTriangles ||
      !ChooseSplit(&context, &axis, &value)) {
    *kind = kRpCollisionChildLeaf;
    *index = static_cast<RwUInt16>(output->numLeaves);
    output->leaves[output->numLeaves++] = {static_cast<RwUInt16>(context.count), static_cast<RwUInt16>(context.first)};
    return;
  }
  context.depth++;
  const Classification split = ClassifyTriangles(&context, axis, value);
  PartitionRange(&context);
  *kind = kRpCollisionChildNode;
  *index = static_cast<RwUInt16>(output->numNodes);
  RpCollisionTreeNode* node = &output->nodes[output->numNodes++];
  node->axis = static_cast<RwUInt16>(axis * sizeof(RwReal));
  node->leftValue = split.leftValue;
  node->rightValue = split.rightValue;

  BuildContext left = context;
  left.count = split.left;
  Coordinate(left.box.sup, axis) = split.leftValue;
  SplitRange(left, output, &node->leftType, &node->leftIndex);
  BuildContext right = context;
  right.count = split.right;
  right.first = context.first + split.left;
  Coordinate(right.box.inf, axis) = split.rightValue;
  SplitRange(right, output, &node->rightType, &node->rightIndex);
}

bool InputIsValid(RwInt32 numVertices, const RwV3d* positions, RwInt32 numTriangles, const RpTriangle* triangles) {
  if (numVertices < 1 || numTriangles < 1 || numTriangles > kRpCollisionMaxTriangles || positions == nullptr ||
      triangles == nullptr) {
    return false;
  }
  for (RwInt32 i = 0; i < numTriangles; ++i) {
    for (RwUInt16 index : triangles[i].vertIndex) {
      if (index >= numVertices) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

RwUInt32 _rpCollisionTreeBlockSize(RwInt32 numLeaves) {
  return static_cast<RwUInt32>(sizeof(RpCollisionTree) + sizeof(RpCollisionTreeNode) * (numLeaves - 1) +
                               sizeof(RpCollisionTreeLeaf) * numLeaves);
}

RpCollisionTree* _rpCollisionTreeLayout(void* block, RwInt32 numLeaves) {
  auto* tree = static_cast<RpCollisionTree*>(block);
  auto* nodes = reinterpret_cast<RpCollisionTreeNode*>(tree + 1);
  tree->numLeaves = numLeaves;
  tree->nodes = numLeaves > 1 ? nodes : nullptr;
  tree->leaves = reinterpret_cast<RpCollisionTreeLeaf*>(nodes + (numLeaves - 1));
  return tree;
}

RpCollisionTree* RpCollisionTreeBuild(RwInt32 numVertices, const RwV3d* positions, RwInt32 numTriangles,
                                      const RpTriangle* triangles, RwUInt16* map) {
  if (!InputIsValid(numVertices, positions, numTriangles, triangles) || map == nullptr) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrInvalidValue);
    return nullptr;
  }
  const size_t vertexBytes = sizeof(UsedVertex) * numVertices + sizeof(RwUInt32) * numVertices;
  const size_t triangleBytes = sizeof(BuildTriangle) * numTriangles + sizeof(RpCollisionTreeNode) * numTriangles +
                               sizeof(RpCollisionTreeLeaf) * numTriangles;
  auto* scratch = static_cast<RwUInt8*>(RwMalloc(vertexBytes + triangleBytes));
  if (scratch == nullptr) {
    RwErrorRaise(kRpCollisionPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  BuildContext context = {};
  context.numVertices = numVertices;
  context.positions = positions;
  context.triangles = reinterpret_cast<BuildTriangle*>(scratch);
  context.used = reinterpret_cast<UsedVertex*>(context.triangles + numTriangles);
  context.useCounts = reinterpret_cast<RwUInt32*>(context.used + numVertices);
  BuildOutput output = {};
  output.nodes = reinterpret_cast<RpCollisionTreeNode*>(context.useCounts + numVertices);
  output.leaves = reinterpret_cast<RpCollisionTreeLeaf*>(output.nodes + numTriangles);

  RwBBoxInitialize(&context.box, &positions[0]);
  for (RwInt32 i = 0; i < numVertices; ++i) {
    RwBBoxAddPoint(&context.box, &positions[i]);
  }
  for (RwInt32 i = 0; i < numTriangles; ++i) {
    BuildTriangle& entry = context.triangles[i];
    entry = {&triangles[i], 0, {}, {}};
    for (RwInt32 axis = 0; axis < 3; ++axis) {
      const RwUInt16* corners = triangles[i].vertIndex;
      const RwReal a = Coordinate(positions[corners[0]], axis);
      const RwReal b = Coordinate(positions[corners[1]], axis);
      const RwReal c = Coordinate(positions[corners[2]], axis);
      entry.least[axis] = std::min(a, std::min(b, c));
      entry.greatest[axis] = std::max(a, std::max(b, c));
    }
  }
  context.count = numTriangles;
  RwUInt8 rootKind = 0;
  RwUInt16 rootIndex = 0;
  SplitRange(context, &output, &rootKind, &rootIndex);

  auto* tree = static_cast<RpCollisionTree*>(RwMalloc(_rpCollisionTreeBlockSize(output.numLeaves)));
  if (tree == nullptr) {
    RwFree(scratch);
    RwErrorRaise(kRpCollisionPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  _rpCollisionTreeLayout(tree, output.numLeaves);
  std::copy(output.nodes, output.nodes + output.numNodes, reinterpret_cast<RpCollisionTreeNode*>(tree + 1));
  std::copy(output.leaves, output.leaves + output.numLeaves, tree->leaves);
  for (RwInt32 i = 0; i < numTriangles; ++i) {
    map[i] = static_cast<RwUInt16>(context.triangles[i].triangle - triangles);
  }
  RwFree(scratch);
  return tree;
}
