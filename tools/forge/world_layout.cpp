// The forge's BSP builder: a triangle soup split along the longest axis of
// each node's box into plane sectors and atomic sectors with their own
// vertex lists, in the order the engine walks them.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "tools/forge/forge.h"

namespace {

constexpr RwInt32 kMaxSectorCount = 0xFFFF;  // vertices or polygons a sector can count
constexpr RwInt32 kAxes[3] = {rpSECTORPLANEX, rpSECTORPLANEY, rpSECTORPLANEZ};
// The format flags a forged world may ask for.
constexpr RwUInt32 kOptionFlags = rpWORLDNORMALS | rpWORLDPRELIT | rpWORLDTRISTRIP | rpWORLDLIGHT |
                                  rpWORLDMODULATEMATERIALCOLOR | rpWORLDSECTORSOVERLAP;

// A triangle's extent and centre on each axis.
struct TriangleSpan {
  RwReal inf[3];
  RwReal sup[3];
  RwReal centre[3];
};

struct Split {
  RwInt32 axis;  // 0, 1, 2
  RwReal value;
  RwReal leftValue;
  RwReal rightValue;
  std::vector<RwUInt32> left;
  std::vector<RwUInt32> right;
};

RwReal Component(const RwV3d& v, int axis) { return axis == 0 ? v.x : (axis == 1 ? v.y : v.z); }

class LayoutBuilder {
 public:
  LayoutBuilder(const ForgeSoup& soup, const ForgeWorldOptions& options, ForgeWorldLayout* layout)
      : soup_(soup), options_(options), layout_(layout) {}

  bool Build(std::string* error);

 private:
  bool Fail(const std::string& reason) {
    error_ = reason;
    return false;
  }
  bool Validate();
  RwBBox BoxOf(const std::vector<RwUInt32>& triangles) const;
  bool SplitAtMedian(const std::vector<RwUInt32>& triangles, int axis, Split* split) const;
  bool SplitWithoutCrossing(const std::vector<RwUInt32>& triangles, int axis, Split* split) const;
  bool FindSplit(const std::vector<RwUInt32>& triangles, Split* split) const;
  bool BuildNode(const std::vector<RwUInt32>& triangles, RwInt32 depth, ForgeNode* node);
  bool BuildSector(const std::vector<RwUInt32>& triangles, ForgeNode* node);
  void SetPlaneBoxes(ForgeNode node, RwBBox box);

  const ForgeSoup& soup_;
  const ForgeWorldOptions& options_;
  ForgeWorldLayout* layout_;
  std::vector<TriangleSpan> spans_;
  std::string error_;
};

bool LayoutBuilder::Validate() {
  if (soup_.materials.empty() || soup_.materials.size() > kMaxSectorCount + 1u) {
    return Fail("a world needs 1 to 65536 materials");
  }
  if ((options_.flags & ~kOptionFlags) != 0) {
    return Fail("only the normals, prelit, tristrip, lit, modulate and overlap flags can be forged");
  }
  if (options_.texCoordSets < 0 || options_.texCoordSets > kRpGeometryMaxTexCoordSets) {
    return Fail("texture-coordinate sets must be 0 to 8");
  }
  if (options_.maxDepth < 0 || options_.maxDepth > kRpWorldMaxPlaneDepth || options_.maxSectorTriangles < 1) {
    return Fail("depth must be 0 to 63 planes and sectors hold 1 triangle or more");
  }
  for (const ForgeTriangle& triangle : soup_.triangles) {
    if (triangle.material >= soup_.materials.size()) {
      return Fail("a triangle names a material past the list");
    }
    for (RwUInt32 vertex : triangle.vertex) {
      if (vertex >= soup_.vertices.size()) {
        return Fail("a triangle names a vertex past the list");
      }
    }
  }
  return true;
}

RwBBox LayoutBuilder::BoxOf(const std::vector<RwUInt32>& triangles) const {
  RwBBox box = {};
  bool first = true;
  for (RwUInt32 t : triangles) {
    for (RwUInt32 vertex : soup_.triangles[t].vertex) {
      const RwV3d& p = soup_.vertices[vertex].position;
      if (first) {
        RwBBoxInitialize(&box, &p);
        first = false;
      } else {
        RwBBoxAddPoint(&box, &p);
      }
    }
  }
  return box;
}

// The triangles ordered by centre: the lower half left, the upper right;
// the sides' values are the extents of their triangles.
bool LayoutBuilder::SplitAtMedian(const std::vector<RwUInt32>& triangles, int axis, Split* split) const {
  std::vector<RwUInt32> order = triangles;
  std::stable_sort(order.begin(), order.end(),
                   [&](RwUInt32 a, RwUInt32 b) { return spans_[a].centre[axis] < spans_[b].centre[axis]; });
  const size_t half = order.size() / 2;
  split->axis = axis;
  // The median of the centres (of the two middle ones for an even count).
  const RwReal upper = spans_[order[half]].centre[axis];
  split->value = order.size() % 2 == 0 ? (spans_[order[half - 1]].centre[axis] + upper) * 0.5f : upper;
  split->left.assign(order.begin(), order.begin() + half);
  split->right.assign(order.begin() + half, order.end());
  split->leftValue = spans_[split->left[0]].sup[axis];
  for (RwUInt32 t : split->left) {
    split->leftValue = std::max(split->leftValue, spans_[t].sup[axis]);
  }
  split->rightValue = spans_[split->right[0]].inf[axis];
  for (RwUInt32 t : split->right) {
    split->rightValue = std::min(split->rightValue, spans_[t].inf[axis]);
  }
  return !split->left.empty() && !split->right.empty();
}

// The plane through a triangle's largest coordinate that no triangle
// crosses, nearest the median centre; the triangles up to it go left.
bool LayoutBuilder::SplitWithoutCrossing(const std::vector<RwUInt32>& triangles, int axis, Split* split) const {
  std::vector<RwUInt32> bySup = triangles;
  std::stable_sort(bySup.begin(), bySup.end(),
                   [&](RwUInt32 a, RwUInt32 b) { return spans_[a].sup[axis] < spans_[b].sup[axis]; });
  // The smallest lower extent of the triangles from each position on.
  std::vector<RwReal> suffixInf(bySup.size() + 1, INFINITY);
  for (size_t i = bySup.size(); i-- > 0;) {
    suffixInf[i] = std::min(suffixInf[i + 1], spans_[bySup[i]].inf[axis]);
  }
  std::vector<RwReal> centres;
  for (RwUInt32 t : triangles) {
    centres.push_back(spans_[t].centre[axis]);
  }
  std::nth_element(centres.begin(), centres.begin() + centres.size() / 2, centres.end());
  const RwReal median = centres[centres.size() / 2];
  size_t best = 0;  // the count of triangles left of the best plane; 0: none found
  for (size_t i = 0; i < bySup.size(); ++i) {
    const RwReal value = spans_[bySup[i]].sup[axis];
    size_t end = i + 1;
    while (end < bySup.size() && spans_[bySup[end]].sup[axis] <= value) {
      ++end;
    }
    if (end < bySup.size() && suffixInf[end] >= value &&
        (best == 0 || std::fabs(value - median) < std::fabs(spans_[bySup[best - 1]].sup[axis] - median))) {
      best = end;
    }
    i = end - 1;
  }
  if (best == 0) {
    return false;
  }
  split->axis = axis;
  split->value = spans_[bySup[best - 1]].sup[axis];
  split->leftValue = split->value;
  split->rightValue = split->value;
  split->left.assign(bySup.begin(), bySup.begin() + static_cast<std::ptrdiff_t>(best));
  split->right.assign(bySup.begin() + static_cast<std::ptrdiff_t>(best), bySup.end());
  return true;
}

// The longest axis first, then the others by length.
bool LayoutBuilder::FindSplit(const std::vector<RwUInt32>& triangles, Split* split) const {
  const RwBBox box = BoxOf(triangles);
  int axes[3] = {0, 1, 2};
  std::stable_sort(axes, axes + 3, [&](int a, int b) {
    return Component(box.sup, a) - Component(box.inf, a) > Component(box.sup, b) - Component(box.inf, b);
  });
  const bool separate = (options_.flags & rpWORLDSECTORSOVERLAP) != 0;
  for (int axis : axes) {
    if (separate ? SplitAtMedian(triangles, axis, split) : SplitWithoutCrossing(triangles, axis, split)) {
      return true;
    }
  }
  return false;
}

bool LayoutBuilder::BuildSector(const std::vector<RwUInt32>& triangles, ForgeNode* node) {
  ForgeSector sector;
  sector.index = static_cast<RwInt32>(layout_->sectors.size());
  sector.box = BoxOf(triangles);
  RwUInt32 base = 0;
  RwUInt32 top = 0;
  if (!triangles.empty()) {
    base = top = soup_.triangles[triangles[0]].material;
    for (RwUInt32 t : triangles) {
      base = std::min(base, soup_.triangles[t].material);
      top = std::max(top, soup_.triangles[t].material);
    }
  }
  if (top - base > kMaxSectorCount || triangles.size() > kMaxSectorCount) {
    return Fail("a sector would hold more than 65535 polygons or materials");
  }
  sector.materialBase = static_cast<RwUInt16>(base);
  std::vector<RwInt32> sectorVertex(soup_.vertices.size(), -1);
  for (RwUInt32 t : triangles) {
    const ForgeTriangle& triangle = soup_.triangles[t];
    RpPolygon polygon;
    polygon.matIndex = static_cast<RwUInt16>(triangle.material - base);
    for (int corner = 0; corner < 3; ++corner) {
      RwInt32& index = sectorVertex[triangle.vertex[corner]];
      if (index < 0) {
        index = static_cast<RwInt32>(sector.soupVertex.size());
        sector.soupVertex.push_back(triangle.vertex[corner]);
      }
      polygon.vertIndex[corner] = static_cast<RwUInt16>(index);
    }
    sector.polygons.push_back(polygon);
  }
  if (sector.soupVertex.size() > kMaxSectorCount) {
    return Fail("a sector would hold more than 65535 vertices");
  }
  *node = {true, sector.index};
  layout_->sectors.push_back(std::move(sector));
  return true;
}

// Sectors are numbered as they are made: left subtree before right, as the
// engine's walk visits them.
bool LayoutBuilder::BuildNode(const std::vector<RwUInt32>& triangles, RwInt32 depth, ForgeNode* node) {
  Split split;
  if (static_cast<RwInt32>(triangles.size()) <= options_.maxSectorTriangles || depth >= options_.maxDepth ||
      !FindSplit(triangles, &split)) {
    return BuildSector(triangles, node);
  }
  const RwInt32 index = static_cast<RwInt32>(layout_->planes.size());
  layout_->planes.push_back({kAxes[split.axis], split.value, split.leftValue, split.rightValue, {}, {}});
  *node = {false, index};
  ForgeNode left;
  ForgeNode right;
  if (!BuildNode(split.left, depth + 1, &left) || !BuildNode(split.right, depth + 1, &right)) {
    return false;
  }
  layout_->planes[static_cast<size_t>(index)].left = left;
  layout_->planes[static_cast<size_t>(index)].right = right;
  return true;
}

// As the engine derives them after reading.
void LayoutBuilder::SetPlaneBoxes(ForgeNode node, RwBBox box) {
  if (node.atomic) {
    layout_->sectors[static_cast<size_t>(node.index)].planeBox = box;
    return;
  }
  const ForgePlane& plane = layout_->planes[static_cast<size_t>(node.index)];
  RwBBox left = box;
  RwBBox right = box;
  const int axis = plane.type / 4;
  (axis == 0 ? left.sup.x : (axis == 1 ? left.sup.y : left.sup.z)) = plane.leftValue;
  (axis == 0 ? right.inf.x : (axis == 1 ? right.inf.y : right.inf.z)) = plane.rightValue;
  SetPlaneBoxes(plane.left, left);
  SetPlaneBoxes(plane.right, right);
}

bool LayoutBuilder::Build(std::string* error) {
  *layout_ = ForgeWorldLayout();
  layout_->soup = &soup_;
  if (!Validate()) {
    *error = error_;
    return false;
  }
  for (const ForgeTriangle& triangle : soup_.triangles) {
    TriangleSpan span;
    for (int axis = 0; axis < 3; ++axis) {
      RwReal sum = 0.0f;
      span.inf[axis] = INFINITY;
      span.sup[axis] = -INFINITY;
      for (RwUInt32 vertex : triangle.vertex) {
        const RwReal c = Component(soup_.vertices[vertex].position, axis);
        span.inf[axis] = std::min(span.inf[axis], c);
        span.sup[axis] = std::max(span.sup[axis], c);
        sum += c;
      }
      span.centre[axis] = sum / 3.0f;
    }
    spans_.push_back(span);
  }
  std::vector<RwUInt32> all(soup_.triangles.size());
  std::iota(all.begin(), all.end(), 0u);
  if (!BuildNode(all, 0, &layout_->root)) {
    *error = error_;
    return false;
  }
  layout_->box = BoxOf(all);
  SetPlaneBoxes(layout_->root, layout_->box);
  RwUInt32 format =
      options_.flags | rpWORLDPOSITIONS | (static_cast<RwUInt32>(options_.texCoordSets) << rpGEOMETRYTEXCOORDSETSSHIFT);
  if (options_.texCoordSets == 1) {
    format |= rpWORLDTEXTURED;
  } else if (options_.texCoordSets > 1) {
    format |= rpWORLDTEXTURED2;
  }
  layout_->format = format;
  return true;
}

}  // namespace

bool ForgeLayoutWorld(const ForgeSoup& soup, const ForgeWorldOptions& options, ForgeWorldLayout* layout,
                      std::string* error) {
  std::string reason;
  LayoutBuilder builder(soup, options, layout);
  const bool built = builder.Build(&reason);
  if (!built && error != nullptr) {
    *error = reason;
  }
  return built;
}
