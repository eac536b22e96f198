// The forge's procedural clumps: boxes and grids as geometries with normals,
// one texture-coordinate set and one material each, every one an atomic on a
// frame of its own below the clump's root frame, written through the
// engine's clump writer. Parts may carry user data on their geometries and
// further levels of detail.
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

constexpr RwUInt32 kPartFormat =
    rpGEOMETRYPOSITIONS | rpGEOMETRYNORMALS | rpGEOMETRYTEXTURED | rpGEOMETRYLIGHT | rpGEOMETRYMODULATEMATERIALCOLOR;

// The part's shape as a soup, in its frame's space.
ForgeSoup PartSoup(const ForgePart& part) {
  ForgeSoup soup;
  if (part.shape == kForgeShapeGrid) {
    ForgeAddGrid(&soup, {0.0f, 0.0f, 0.0f}, part.size.x, part.cells, 0);
  } else {
    const RwV3d half = {part.size.x * 0.5f, part.size.y * 0.5f, part.size.z * 0.5f};
    ForgeAddBox(&soup, {-half.x, -half.y, -half.z}, half, 0);
  }
  return soup;
}

RwSphere BoundingSphere(const ForgeSoup& soup) {
  RwBBox box = {};
  RwBBoxInitialize(&box, &soup.vertices[0].position);
  for (const ForgeVertex& vertex : soup.vertices) {
    RwBBoxAddPoint(&box, &vertex.position);
  }
  RwSphere sphere;
  sphere.center = {(box.inf.x + box.sup.x) * 0.5f, (box.inf.y + box.sup.y) * 0.5f, (box.inf.z + box.sup.z) * 0.5f};
  const RwV3d half = {box.sup.x - sphere.center.x, box.sup.y - sphere.center.y, box.sup.z - sphere.center.z};
  sphere.radius = RwSqrt(half.x * half.x + half.y * half.y + half.z * half.z);
  return sphere;
}

RpGeometry* PartGeometry(const ForgePart& part) {
  const ForgeSoup soup = PartSoup(part);
  if (soup.vertices.empty()) {
    return nullptr;
  }
  RpGeometry* geometry = RpGeometryCreate(static_cast<RwInt32>(soup.vertices.size()),
                                          static_cast<RwInt32>(soup.triangles.size()), kPartFormat);
  RpMaterial* material = geometry != nullptr ? ForgeMaterialCreate(part.material) : nullptr;
  if (material == nullptr) {
    if (geometry != nullptr) {
      RpGeometryDestroy(geometry);
    }
    return nullptr;
  }
  RpMaterialListAppendMaterial(&geometry->matList, material);
  RpMaterialDestroy(material);
  RpMorphTarget& target = geometry->morphTarget[0];
  for (size_t i = 0; i < soup.vertices.size(); ++i) {
    target.verts[i] = soup.vertices[i].position;
    target.normals[i] = soup.vertices[i].normal;
    geometry->texCoords[0][i] = soup.vertices[i].uv[0];
  }
  for (size_t i = 0; i < soup.triangles.size(); ++i) {
    const ForgeTriangle& t = soup.triangles[i];
    geometry->triangles[i] = {
        {static_cast<RwUInt16>(t.vertex[0]), static_cast<RwUInt16>(t.vertex[1]), static_cast<RwUInt16>(t.vertex[2])},
        0};
  }
  target.boundingSphere = BoundingSphere(soup);
  return RpGeometryUnlock(geometry);
}

// Gives the atomic the part's further levels and range.
bool AddLevels(RpAtomic* atomic, const ForgePart& part) {
  if (part.levels.empty() && part.lodRange == 0.0f) {
    return true;
  }
  for (const ForgeLevel& level : part.levels) {
    ForgePart shape = part;
    shape.shape = level.shape;
    shape.size = level.size;
    shape.cells = level.cells;
    RpGeometry* geometry = level.level > 0 ? PartGeometry(shape) : nullptr;
    const bool set = geometry != nullptr && RpLODAtomicSetGeometry(atomic, level.level, geometry) != nullptr;
    if (geometry != nullptr) {
      RpGeometryDestroy(geometry);  // the level holds its own reference
    }
    if (!set) {
      return false;
    }
  }
  return RpLODAtomicSetRange(atomic, part.lodRange) != nullptr;
}

bool AddPart(RpClump* clump, const ForgePart& part, RwFrame* parent, RwFrame** frame) {
  RpGeometry* geometry = PartGeometry(part);
  if (geometry != nullptr && (!ForgeAddUserData(geometry, part.userData) ||
                              (part.collisionData && RpCollisionGeometryBuildData(geometry) == nullptr))) {
    RpGeometryDestroy(geometry);
    geometry = nullptr;
  }
  *frame = geometry != nullptr ? RwFrameCreate() : nullptr;
  RpAtomic* atomic = *frame != nullptr ? RpAtomicCreate() : nullptr;
  if (atomic == nullptr) {
    if (*frame != nullptr) {
      RwFrameDestroy(*frame);
    }
    if (geometry != nullptr) {
      RpGeometryDestroy(geometry);
    }
    return false;
  }
  RwFrameTranslate(*frame, &part.offset, kRwCombineReplace);
  RwFrameAddChild(parent, *frame);
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpGeometryDestroy(geometry);  // the atomic holds its own reference
  RpAtomicSetFrame(atomic, *frame);
  if (part.material.effects.effects != kRpMatFXEffectNull) {
    RpMatFXAtomicEnableEffects(atomic);
  }
  RpClumpAddAtomic(clump, atomic);
  return AddLevels(atomic, part);
}

}  // namespace

RpClump* ForgeClumpCreate(const std::vector<ForgePart>& parts) {
  RpClump* clump = RpClumpCreate();
  RwFrame* root = clump != nullptr ? RwFrameCreate() : nullptr;
  if (root == nullptr) {
    if (clump != nullptr) {
      RpClumpDestroy(clump);
    }
    return nullptr;
  }
  RpClumpSetFrame(clump, root);
  std::vector<RwFrame*> frames;
  for (size_t i = 0; i < parts.size(); ++i) {
    const RwInt32 parent = parts[i].parent;
    RwFrame* frame = nullptr;
    if (parent >= static_cast<RwInt32>(i) || parent < -1 ||
        !AddPart(clump, parts[i], parent < 0 ? root : frames[static_cast<size_t>(parent)], &frame)) {
      RpClumpDestroy(clump);
      return nullptr;
    }
    frames.push_back(frame);
  }
  return clump;
}

bool ForgeWriteAndDestroyClump(RwStream* stream, RpClump* clump) {
  if (clump == nullptr) {
    return false;
  }
  const bool written = RpClumpStreamWrite(clump, stream) != nullptr;
  RpClumpDestroy(clump);
  return written;
}

bool ForgeWriteClump(RwStream* stream, const std::vector<ForgePart>& parts) {
  return ForgeWriteAndDestroyClump(stream, ForgeClumpCreate(parts));
}

bool ForgeWriteClumpFile(const RwChar* path, const std::vector<ForgePart>& parts) {
  return ForgeWriteFile(path, [&parts](RwStream* stream) { return ForgeWriteClump(stream, parts); });
}
