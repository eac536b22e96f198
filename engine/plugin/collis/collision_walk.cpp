// Walks over split trees shared by the queries: a line clipped at the split
// planes as it descends, and a box tested against them, each with a fixed
// stack of pending children (a collision tree has no split 32 deep, so 32
// entries always suffice); and the line/triangle test they feed.
#include "engine/plugin/collis/collis_internal.h"
#include "engine/src/plcore/vector.h"

namespace {

// A line test needs more than this determinant: edge-on and back faces are never hit.
constexpr RwReal kLineDeterminantEpsilon = 1e-8f;
// Slack of the barycentric and distance tests, relative to the determinant.
constexpr RwReal kLineTolerance = 1e-5f;

RwReal Component(const RwV3d& v, RwUInt32 axis) { return axis == 0 ? v.x : (axis == 4 ? v.y : v.z); }

RwReal Reciprocal(RwReal d) { return d != 0.0f ? 1.0f / d : 0.0f; }

// The point where the line through start (with the query line's slopes)
// reaches the value on the axis.
RwV3d Crossing(const RwV3d& start, RwUInt32 axis, RwReal value, const RpLineSlopes& slopes) {
  if (axis == 0) {
    const RwReal along = value - start.x;
    return {value, start.y + along * slopes.dydx, start.z + along * slopes.dzdx};
  }
  if (axis == 4) {
    const RwReal along = value - start.y;
    return {start.x + along * slopes.dxdy, value, start.z + along * slopes.dzdy};
  }
  const RwReal along = value - start.z;
  return {start.x + along * slopes.dxdz, start.y + along * slopes.dydz, value};
}

struct PendingLine {
  RwUInt8 kind;
  RwUInt16 index;
  RwLine segment;
};

struct PendingBox {
  RwUInt8 kind;
  RwUInt16 index;
};

RwUInt8 RootKind(const RpCollisionTree* tree) {
  return tree->numLeaves > 1 ? kRpCollisionChildNode : kRpCollisionChildLeaf;
}

// Children waiting to be entered; a tree no deeper than the build and the
// reader allow never fills it.
template <typename Entry>
struct PendingStack {
  Entry entries[kRpCollisionTreeMaxDepth];
  RwInt32 count = 0;

  bool Push(const Entry& entry) {
    if (count == kRpCollisionTreeMaxDepth) {
      return false;
    }
    entries[count++] = entry;
    return true;
  }
};

// Descends from root, descend(node, &current, &pending) choosing the child
// to enter and pushing any other, and hands each leaf reached to the
// callback; null when the callback stopped the walk (or the stack filled).
template <typename Entry, typename Descend>
const RpCollisionTree* ForAllLeaves(const RpCollisionTree* tree, const Entry& root,
                                    RpCollisionTreeLeafCallBack callBack, void* data, Descend descend) {
  PendingStack<Entry> pending;
  Entry current = root;
  for (;;) {
    if (current.kind == kRpCollisionChildNode) {
      if (!descend(tree->nodes[current.index], &current, &pending)) {
        return nullptr;
      }
      continue;
    }
    const RpCollisionTreeLeaf& leaf = tree->leaves[current.index];
    if (!callBack(leaf.numTriangles, leaf.firstTriangle, data)) {
      return nullptr;
    }
    if (pending.count == 0) {
      return tree;
    }
    current = pending.entries[--pending.count];
  }
}

}  // namespace

void _rpLineSlopesCompute(RpLineSlopes* slopes, const RwLine* line) {
  const RwV3d d = {line->end.x - line->start.x, line->end.y - line->start.y, line->end.z - line->start.z};
  const RwReal rx = Reciprocal(d.x);
  const RwReal ry = Reciprocal(d.y);
  const RwReal rz = Reciprocal(d.z);
  *slopes = {d.y * rx, d.z * rx, d.x * ry, d.z * ry, d.x * rz, d.y * rz};
}

void _rpLineSplitStep(RpLineSplitStep* step, RwUInt32 axis, RwReal leftValue, RwReal rightValue, const RwLine* segment,
                      const RpLineSlopes* slopes) {
  const RwV3d& a = segment->start;
  const RwV3d& b = segment->end;
  const RwReal ac = Component(a, axis);
  const RwReal bc = Component(b, axis);
  // Zero counts as not negative: an end on a plane is on its upper side.
  const bool aBelowLeft = ac - leftValue < 0.0f;
  const bool bBelowLeft = bc - leftValue < 0.0f;
  const bool aBelowRight = ac - rightValue < 0.0f;
  const bool bBelowRight = bc - rightValue < 0.0f;
  if (aBelowRight && bBelowRight) {
    *step = {FALSE, *segment, FALSE, {}};
    return;
  }
  if (!aBelowLeft && !bBelowLeft) {
    *step = {TRUE, *segment, FALSE, {}};
    return;
  }
  const bool crossesLeft = aBelowLeft != bBelowLeft;
  const bool crossesRight = aBelowRight != bBelowRight;
  if (!crossesLeft && !crossesRight) {
    // Between the two values, in the children's overlap: both take all of it.
    *step = {ac >= bc, *segment, TRUE, *segment};
    return;
  }
  if (crossesLeft && !crossesRight) {
    const RwV3d x = Crossing(a, axis, leftValue, *slopes);
    if (!aBelowLeft) {
      *step = {TRUE, *segment, TRUE, {x, b}};
    } else {
      *step = {FALSE, {a, x}, TRUE, *segment};
    }
    return;
  }
  if (!crossesLeft && crossesRight) {
    const RwV3d x = Crossing(a, axis, rightValue, *slopes);
    if (!aBelowRight) {
      *step = {TRUE, {a, x}, TRUE, *segment};
    } else {
      *step = {FALSE, *segment, TRUE, {x, b}};
    }
    return;
  }
  const RwV3d xl = Crossing(a, axis, leftValue, *slopes);
  const RwV3d xr = Crossing(a, axis, rightValue, *slopes);
  if (!aBelowLeft) {
    *step = {TRUE, {a, xr}, TRUE, {xl, b}};
  } else {
    *step = {FALSE, {a, xl}, TRUE, {xr, b}};
  }
}

const RpCollisionTree* RpCollisionTreeForAllLineLeaves(const RpCollisionTree* tree, const RwLine* segment,
                                                       const RpLineSlopes* slopes, RpCollisionTreeLeafCallBack callBack,
                                                       void* data) {
  const PendingLine root = {RootKind(tree), 0, *segment};
  return ForAllLeaves(
      tree, root, callBack, data,
      [slopes](const RpCollisionTreeNode& node, PendingLine* current, PendingStack<PendingLine>* pending) {
        RpLineSplitStep step;
        _rpLineSplitStep(&step, node.axis, node.leftValue, node.rightValue, &current->segment, slopes);
        if (step.later &&
            !pending->Push(step.nowRight ? PendingLine{node.leftType, node.leftIndex, step.laterSegment}
                                         : PendingLine{node.rightType, node.rightIndex, step.laterSegment})) {
          return false;
        }
        *current = step.nowRight ? PendingLine{node.rightType, node.rightIndex, step.now}
                                 : PendingLine{node.leftType, node.leftIndex, step.now};
        return true;
      });
}

const RpCollisionTree* RpCollisionTreeForAllBoxLeaves(const RpCollisionTree* tree, const RwBBox* box,
                                                      RpCollisionTreeLeafCallBack callBack, void* data) {
  const PendingBox root = {RootKind(tree), 0};
  return ForAllLeaves(
      tree, root, callBack, data,
      [box](const RpCollisionTreeNode& node, PendingBox* current, PendingStack<PendingBox>* pending) {
        if (Component(box->inf, node.axis) >= node.leftValue) {
          *current = {node.rightType, node.rightIndex};
          return true;
        }
        if (Component(box->sup, node.axis) >= node.rightValue && !pending->Push({node.rightType, node.rightIndex})) {
          return false;
        }
        *current = {node.leftType, node.leftIndex};
        return true;
      });
}

RwBool _rpCollisionLineTriangle(const RwV3d* start, const RwV3d* delta, const RwV3d* p0, const RwV3d* p1,
                                const RwV3d* p2, RwReal* distance, RwV3d* normal) {
  RwV3d e1;
  RwV3d e2;
  RwV3dSub(&e1, p1, p0);
  RwV3dSub(&e2, p2, p0);
  RwV3d p;
  RwV3dCrossProduct(&p, delta, &e2);
  const RwReal det = RwV3dDotProduct(&e1, &p);
  if (!(det > kLineDeterminantEpsilon)) {
    return FALSE;
  }
  const RwReal tolerance = kLineTolerance * det;
  RwV3d s;
  RwV3dSub(&s, start, p0);
  const RwReal u = RwV3dDotProduct(&s, &p);
  if (u < -tolerance || u > det + tolerance) {
    return FALSE;
  }
  RwV3d q;
  RwV3dCrossProduct(&q, &s, &e1);
  const RwReal v = RwV3dDotProduct(delta, &q);
  if (v < -tolerance || u + v > det + tolerance) {
    return FALSE;
  }
  const RwReal t = RwV3dDotProduct(&e2, &q);
  if (t < -tolerance || t > det + tolerance) {
    return FALSE;
  }
  *distance = t / det;
  RwV3d n;
  RwV3dCrossProduct(&n, &e1, &e2);
  RwV3dScale(normal, &n, RwInvSqrt(RwV3dDotProduct(&n, &n)));
  return TRUE;
}

void _rpCollisionSphereBox(RwBBox* box, const RwSphere* sphere) {
  const RwV3d& c = sphere->center;
  const RwReal r = sphere->radius;
  box->sup = {c.x + r, c.y + r, c.z + r};
  box->inf = {c.x - r, c.y - r, c.z - r};
}
