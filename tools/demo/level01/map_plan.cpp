// The plan models of the map views and their marker textures.
#include "tools/demo/level01/map_plan.h"

#include <algorithm>
#include <string>

#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/picture.h"
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace demo {

namespace {

constexpr RwUInt32 kPlanFormat = rpGEOMETRYPOSITIONS | rpGEOMETRYPRELIT;
constexpr float kLayerStep = 0.01f;  // height between one quad and the next
constexpr RwInt32 kCornersPerQuad = 4;
constexpr RwInt32 kTrianglesPerQuad = 4;  // two a side

RpGeometry* PlanGeometry(const std::vector<PlanQuad>& quads) {
  const RwInt32 count = static_cast<RwInt32>(quads.size());
  RpGeometry* geometry = RpGeometryCreate(count * kCornersPerQuad, count * kTrianglesPerQuad, kPlanFormat);
  RpMaterial* material = geometry != nullptr ? RpMaterialCreate() : nullptr;
  if (material == nullptr) {
    if (geometry != nullptr) {
      RpGeometryDestroy(geometry);
    }
    return nullptr;
  }
  RpMaterialListAppendMaterial(&geometry->matList, material);
  RpMaterialDestroy(material);
  RpMorphTarget& target = geometry->morphTarget[0];
  RwBBox box = {};
  for (RwInt32 q = 0; q < count; q++) {
    const PlanQuad& quad = quads[static_cast<size_t>(q)];
    const float y = static_cast<float>(q) * kLayerStep;
    const RwV3d corners[kCornersPerQuad] = {
        {quad.x0, y, quad.z0}, {quad.x1, y, quad.z0}, {quad.x1, y, quad.z1}, {quad.x0, y, quad.z1}};
    for (RwInt32 c = 0; c < kCornersPerQuad; c++) {
      const RwInt32 v = q * kCornersPerQuad + c;
      target.verts[v] = corners[c];
      geometry->preLitLum[v] = quad.colour;
      if (v == 0) {
        RwBBoxInitialize(&box, &corners[c]);
      }
      RwBBoxAddPoint(&box, &corners[c]);
    }
    const RwUInt16 b = static_cast<RwUInt16>(q * kCornersPerQuad);
    const RwUInt16 order[kTrianglesPerQuad][3] = {{0, 1, 2}, {0, 2, 3}, {0, 2, 1}, {0, 3, 2}};
    for (RwInt32 t = 0; t < kTrianglesPerQuad; t++) {
      geometry->triangles[q * kTrianglesPerQuad + t] = {
          {static_cast<RwUInt16>(b + order[t][0]), static_cast<RwUInt16>(b + order[t][1]),
           static_cast<RwUInt16>(b + order[t][2])},
          0};
    }
  }
  RwSphere& sphere = target.boundingSphere;
  sphere.center = {(box.inf.x + box.sup.x) * 0.5f, (box.inf.y + box.sup.y) * 0.5f, (box.inf.z + box.sup.z) * 0.5f};
  const RwV3d half = {box.sup.x - sphere.center.x, box.sup.y - sphere.center.y, box.sup.z - sphere.center.z};
  sphere.radius = RwSqrt(half.x * half.x + half.y * half.y + half.z * half.z);
  return RpGeometryUnlock(geometry);
}

}  // namespace

RpClump* PlanClumpCreate(const std::vector<PlanQuad>& quads) {
  if (quads.empty()) {
    return nullptr;
  }
  RpGeometry* geometry = PlanGeometry(quads);
  RpClump* clump = geometry != nullptr ? RpClumpCreate() : nullptr;
  RwFrame* root = clump != nullptr ? RwFrameCreate() : nullptr;
  RpAtomic* atomic = root != nullptr ? RpAtomicCreate() : nullptr;
  if (atomic == nullptr) {
    if (root != nullptr) {
      RwFrameDestroy(root);
    }
    if (clump != nullptr) {
      RpClumpDestroy(clump);
    }
    if (geometry != nullptr) {
      RpGeometryDestroy(geometry);
    }
    return nullptr;
  }
  RpClumpSetFrame(clump, root);
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpGeometryDestroy(geometry);  // the atomic holds its own reference
  RpAtomicSetFrame(atomic, root);
  RpClumpAddAtomic(clump, atomic);
  return clump;
}

bool PlanBytes(const std::vector<PlanQuad>& quads, std::vector<uint8_t>* bytes) {
  return ForgeEngineWritten(
      [&quads](RwStream* stream) { return ForgeWriteAndDestroyClump(stream, PlanClumpCreate(quads)); }, bytes);
}

namespace level01 {

namespace {

// A white wedge, its point at the bottom middle: what a man or a camera
// sees, tinted by the map. The sprite draws it with the picture's own alpha,
// so the ground around the wedge is clear (the PNG twin, found before the
// bitmap); the bitmap holds the same wedge on black.
Picture ConePicture(int size) {
  Picture cone(size, size, 0);
  for (int y = 0; y < size; y++) {
    const int half = (size - y) / 2;  // the wedge narrows downwards
    for (int x = size / 2 - half; x < size / 2 + half; x++) {
      cone.Set(x, y, 0xFFFFFF);
    }
  }
  return cone;
}

}  // namespace

bool WriteMapData(DataFolder& data) {
  // The ground under everything first: its sphere bounds the panning.
  float x0 = 0.0f, z0 = 0.0f, x1 = 0.0f, z1 = 0.0f;
  for (const Area& s : Spaces()) {
    x0 = std::min(x0, s.x0);
    z0 = std::min(z0, s.z0);
    x1 = std::max(x1, s.x1);
    z1 = std::max(z1, s.z1);
  }
  std::vector<PlanQuad> quads = {{x0 - 1.0f, z0 - 1.0f, x1 + 1.0f, z1 + 1.0f, {25, 35, 50, 255}}};
  for (const Area& s : Spaces()) {
    quads.push_back({s.x0, s.z0, s.x1, s.z1, {120, 145, 170, 255}});
  }
  const float door = kDoorwayWidth * 0.5f;
  const float wall = kWallThickness * 0.5f + 0.05f;
  for (const Doorway& d : Doorways()) {
    quads.push_back({d.x - door, d.z - wall, d.x + door, d.z + wall, {200, 120, 60, 255}});
  }
  std::vector<uint8_t> bytes;
  if (!PlanBytes(quads, &bytes)) {
    return false;
  }
  data.Write(kMapPath, std::move(bytes));
  const Picture cone = ConePicture(32);
  data.Write("data/textures/cone.bmp", BmpFile(cone));
  data.Write("data/textures/cone.png", PngFile(cone, cone));
  data.Write("data/textures/seccam.bmp", GlowBitmap(16, 0xE0E0E0));
  return true;
}

}  // namespace level01
}  // namespace demo
