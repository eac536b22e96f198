// The skinned tube: a tube of rings around a bone chain, each ring weighted
// between the two bones whose middles it lies between, on an atomic of a
// clump that holds the chain; written through the engine's clump writer.
#include <cmath>

#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

bool TubeValid(const ForgeTube& tube) {
  const RwInt64 vertices = static_cast<RwInt64>(tube.rings) * tube.sides;
  return tube.bones >= 1 && static_cast<RwUInt32>(tube.bones) <= kRpSkinMaxBones && tube.length > 0.0f &&
         tube.radius > 0.0f && tube.sides >= 3 && tube.rings >= 2 && vertices < kRpGeometryMaxVertices;
}

// Weights of a ring at height y between the bones' middles.
void RingWeights(const ForgeTube& tube, RwReal y, RwUInt32* indices, RpSkinVertexWeights* weights) {
  const double boneLength = static_cast<double>(tube.length) / tube.bones;
  const double along = y / boneLength - 0.5;  // in bones, 0 at the first bone's middle
  *weights = {{1.0f, 0.0f, 0.0f, 0.0f}};
  if (along <= 0.0) {
    *indices = 0;
    return;
  }
  if (along >= tube.bones - 1) {
    *indices = static_cast<RwUInt32>(tube.bones - 1);
    return;
  }
  const RwUInt32 bone = static_cast<RwUInt32>(std::floor(along));
  const double share = along - bone;
  *indices = bone | (bone + 1) << 8;
  weights->w[0] = static_cast<RwReal>(1.0 - share);
  weights->w[1] = static_cast<RwReal>(share);
}

RpSkin* TubeSkin(const ForgeTube& tube) {
  std::vector<RwUInt32> indices(static_cast<size_t>(tube.rings * tube.sides));
  std::vector<RpSkinVertexWeights> weights(indices.size());
  for (RwInt32 ring = 0; ring < tube.rings; ring++) {
    const RwReal y = tube.length * static_cast<RwReal>(ring) / static_cast<RwReal>(tube.rings - 1);
    for (RwInt32 side = 0; side < tube.sides; side++) {
      const size_t i = static_cast<size_t>(ring * tube.sides + side);
      RingWeights(tube, y, &indices[i], &weights[i]);
    }
  }
  std::vector<RwMatrix> inverses = ForgeSkeletonBindPose(ForgeTubeSkeleton(tube));
  for (RwMatrix& matrix : inverses) {
    const RwMatrix bind = matrix;
    RwMatrixInvert(&matrix, &bind);
    // The skin writes whole matrices: the padding goes out as well.
    matrix.pad1 = matrix.pad2 = matrix.pad3 = 0;
  }
  return RpSkinCreate(static_cast<RwInt32>(indices.size()), tube.bones, indices.data(), weights.data(),
                      inverses.data());
}

void FillVertices(const ForgeTube& tube, RpGeometry* geometry) {
  RpMorphTarget& target = geometry->morphTarget[0];
  for (RwInt32 ring = 0; ring < tube.rings; ring++) {
    const RwReal y = tube.length * static_cast<RwReal>(ring) / static_cast<RwReal>(tube.rings - 1);
    for (RwInt32 side = 0; side < tube.sides; side++) {
      const double angle = 2.0 * M_PI * side / tube.sides;
      const RwReal c = static_cast<RwReal>(std::cos(angle));
      const RwReal s = static_cast<RwReal>(std::sin(angle));
      const RwInt32 i = ring * tube.sides + side;
      target.verts[i] = {tube.radius * c, y, tube.radius * s};
      if (target.normals != nullptr) {
        target.normals[i] = {c, 0.0f, s};
      }
      if (geometry->preLitLum != nullptr) {
        geometry->preLitLum[i] = tube.color;
      }
    }
  }
  const RwReal half = tube.length * 0.5f;
  target.boundingSphere = {{0.0f, half, 0.0f}, std::sqrt(half * half + tube.radius * tube.radius)};
}

// Two triangles a side between neighbouring rings, facing out.
void FillTriangles(const ForgeTube& tube, RpGeometry* geometry) {
  RwInt32 t = 0;
  for (RwInt32 ring = 0; ring + 1 < tube.rings; ring++) {
    for (RwInt32 side = 0; side < tube.sides; side++) {
      const RwUInt16 a = static_cast<RwUInt16>(ring * tube.sides + side);
      const RwUInt16 b = static_cast<RwUInt16>(ring * tube.sides + (side + 1) % tube.sides);
      const RwUInt16 c = static_cast<RwUInt16>(a + tube.sides);
      const RwUInt16 d = static_cast<RwUInt16>(b + tube.sides);
      geometry->triangles[t++] = {{a, c, b}, 0};
      geometry->triangles[t++] = {{b, c, d}, 0};
    }
  }
}

}  // namespace

ForgeSkeleton ForgeTubeSkeleton(const ForgeTube& tube) {
  return ForgeBoneChain(tube.bones, tube.length / static_cast<RwReal>(tube.bones));
}

RpGeometry* ForgeTubeGeometryCreate(const ForgeTube& tube) {
  if (!TubeValid(tube)) {
    return nullptr;
  }
  const RwInt32 vertices = tube.rings * tube.sides;
  const RwInt32 triangles = 2 * (tube.rings - 1) * tube.sides;
  RpGeometry* geometry = RpGeometryCreate(vertices, triangles, tube.geometryFlags | rpGEOMETRYPOSITIONS);
  RpMaterial* material = geometry != nullptr ? RpMaterialCreate() : nullptr;
  RpSkin* skin = material != nullptr ? TubeSkin(tube) : nullptr;
  if (skin == nullptr) {
    if (material != nullptr) {
      RpMaterialDestroy(material);
    }
    if (geometry != nullptr) {
      RpGeometryDestroy(geometry);
    }
    return nullptr;
  }
  RpMaterialSetColor(material, &tube.color);
  RpMaterialListAppendMaterial(&geometry->matList, material);
  RpMaterialDestroy(material);  // the list holds its own reference
  FillVertices(tube, geometry);
  FillTriangles(tube, geometry);
  RpSkinGeometrySetSkin(geometry, skin);
  if (RpGeometryUnlock(geometry) == nullptr) {
    RpGeometryDestroy(geometry);
    return nullptr;
  }
  return geometry;
}

RpClump* ForgeSkinnedClumpCreate(RpGeometry* geometry, const ForgeSkeleton& skeleton) {
  RpClump* clump = geometry != nullptr ? RpClumpCreate() : nullptr;
  RwFrame* root = clump != nullptr ? RwFrameCreate() : nullptr;
  RwFrame* bones = root != nullptr ? ForgeSkeletonCreate(skeleton) : nullptr;
  RpAtomic* atomic = bones != nullptr ? RpAtomicCreate() : nullptr;
  if (atomic == nullptr) {
    if (bones != nullptr) {
      RwFrameDestroyHierarchy(bones);
    }
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
  RwFrameAddChild(root, bones);
  RpClumpSetFrame(clump, root);
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpGeometryDestroy(geometry);  // the atomic holds its own reference
  RpAtomicSetFrame(atomic, root);
  RpClumpAddAtomic(clump, atomic);
  return clump;
}

RpClump* ForgeSkinnedTubeCreate(const ForgeTube& tube) {
  return ForgeSkinnedClumpCreate(ForgeTubeGeometryCreate(tube), ForgeTubeSkeleton(tube));
}

bool ForgeWriteSkinnedTube(RwStream* stream, const ForgeTube& tube) {
  return ForgeWriteAndDestroyClump(stream, ForgeSkinnedTubeCreate(tube));
}

bool ForgeWriteSkinnedTubeFile(const RwChar* path, const ForgeTube& tube) {
  return ForgeWriteFile(path, [&tube](RwStream* stream) { return ForgeWriteSkinnedTube(stream, tube); });
}
