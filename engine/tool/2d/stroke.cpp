// Stroking: each subpath becomes one triangle strip, two vertices a point
// offset sideways along the point's miter vector, drawn through
// immediate-mode 3D in batches from the brush module's vertex buffer.
#include <cstdint>

#include "engine/driver/d3d8/d3d8_im2d.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/tool/2d/rt2d_internal.h"

namespace {

// Two vertices a point; a batch ends after 127 points and the next begins
// with the last of them, so that the strip goes on.
constexpr RwInt32 kStrokeBatchVertices = 254;

void* StateValue(RwUInt32 value) { return reinterpret_cast<void*>(static_cast<uintptr_t>(value)); }

void SetTextureStates(const RwTexture* texture) {
  if (texture == nullptr) {
    RwRenderStateSet(kRwRenderStateTextureRaster, nullptr);
    return;
  }
  const RwUInt32 addressU = RwTextureGetAddressingU(texture);
  const RwUInt32 addressV = RwTextureGetAddressingV(texture);
  RwRenderStateSet(kRwRenderStateTextureRaster, texture->raster);
  RwRenderStateSet(kRwRenderStateTextureFilter, StateValue(texture->filterAddressing & kRwTextureFilterMask));
  RwRenderStateSet(kRwRenderStateTextureAddress, StateValue(addressU == addressV ? addressU : 0));
}

void Submit(RwIm3DVertex* vertices, RwInt32 count, RwMatrix* matrix, RwUInt32 flags) {
  if (RwIm3DTransform(vertices, static_cast<RwUInt32>(count), matrix, flags) != nullptr) {
    RwIm3DRenderIndexedPrimitive(kRwPrimTypeTriStrip, _rt2dGStateStripIndices(), static_cast<RwUInt32>(count));
    RwIm3DEnd();
  }
}

// The vertex on the left-hand (top) or right-hand (bottom) side of a point.
RwIm3DVertex SideVertex(const Rt2dBrush* brush, const Rt2dPathPoint& point, RwReal offset, RwBool topEdge, RwReal t) {
  RwIm3DVertex vertex = {};
  vertex.objVertex = {point.x + point.normalX * offset, point.y + point.normalY * offset, _rt2dGStateLayerDepth()};
  vertex.color = _rt2dBrushColour(brush, topEdge, t);
  // Coordinates that do not vary are the start corners' own: corner 3 on
  // the left-hand side, corner 0 on the right-hand side.
  _rt2dBrushUV(brush, topEdge, (brush->flags & kRt2dBrushUVsVary) != 0 ? t : 0.0f, &vertex.u, &vertex.v);
  return vertex;
}

void StrokeSubpath(const Rt2dPath* subpath, const Rt2dBrush* brush) {
  RwMatrix* matrix = Rt2dGStateGetWorldMatrix();
  RwIm3DVertex* vertices = _rt2dBrushVertexBuffer();
  if (vertices == nullptr) {
    return;
  }
  const Rt2dPath* source = subpath->flat ? subpath : _rt2dPathFlattenToScratch(subpath);
  if (source == nullptr) {
    return;
  }
  SetTextureStates(brush->texture);
  const RwUInt32 flags = brush->texture != nullptr ? static_cast<RwUInt32>(kRwIm3DVertexUV) : 0u;
  RwInt32 count = 0;
  const Rt2dPathPoint* points = _rt2dPathGetPoints(source, &count);
  if (count == 0) {
    return;
  }
  const RwReal length = points[count - 1].distance;
  const RwReal left = -(brush->halfWidth + subpath->inset);
  const RwReal right = brush->halfWidth - subpath->inset;
  RwInt32 pending = 0;
  for (RwInt32 i = 0; i < count; i++) {
    // A subpath without length has its colours' start everywhere.
    const RwReal t = length > 0.0f ? points[i].distance / length : 0.0f;
    vertices[pending++] = SideVertex(brush, points[i], left, TRUE, t);
    vertices[pending++] = SideVertex(brush, points[i], right, FALSE, t);
    if (pending == kStrokeBatchVertices) {
      Submit(vertices, pending, matrix, flags);
      vertices[0] = vertices[pending - 2];
      vertices[1] = vertices[pending - 1];
      pending = 2;
    }
  }
  // A lone point, or the point a full batch ended with, makes no triangle.
  if (pending > 2) {
    Submit(vertices, pending, matrix, flags);
  }
}

}  // namespace

Rt2dPath* Rt2dPathStroke(Rt2dPath* path, Rt2dBrush* brush) {
  if (path == nullptr || brush == nullptr) {
    return nullptr;
  }
  for (const Rt2dPath* subpath = path; subpath != nullptr; subpath = subpath->next) {
    StrokeSubpath(subpath, brush);
  }
  return path;
}
