// Geometries: create requests and their flags, morph targets keeping their
// data as they are added, references, lock and unlock rebuilding the meshes,
// and triangles' materials.
#include "engine/world/geometry.h"

#include <gtest/gtest.h>

#include "tests/engine/world/world_fixture.h"

namespace {

using world_test::WorldTest;

class GeometryTest : public WorldTest {
 protected:
  // Four vertices, two triangles with materials a and b.
  static RpGeometry* TwoTriangles(RpMaterial* a, RpMaterial* b, RwUInt32 format) {
    RpGeometry* geometry = RpGeometryCreate(4, 2, format);
    RpMaterialListAppendMaterial(&geometry->matList, a);
    RpMaterialListAppendMaterial(&geometry->matList, b);
    geometry->triangles[0] = {{0, 1, 2}, 0};
    geometry->triangles[1] = {{2, 1, 3}, 1};
    return RpGeometryUnlock(geometry);
  }

  static RpMaterial* MeshMaterial(const RpGeometry* geometry, int index) {
    return RpMeshHeaderGetFirstMesh(geometry->mesh)[index].material;
  }
};

TEST_F(GeometryTest, CreateRequests) {
  struct Case {
    const char* name;
    RwInt32 vertices;
    RwUInt32 format;
    RwInt32 sets;
    RwUInt32 flags;  // stored flags; ignored when the request fails
    RwInt32 error;   // the error a failed request records, 0 for success
  };
  const Case cases[] = {
      {"largest vertex count", 0xFFFF, rpGEOMETRYPRELIT, 0, rpGEOMETRYPRELIT, 0},
      {"too many vertices", 0x10000, 0, 0, 0, kRpErrGeometryTooManyVertices},
      {"negative vertex count", -1, 0, 0, 0, kRwErrInvalidValue},
      {"flag 0x80 is two sets", 3, 0x80, 2, 0x80, 0},
      {"flag 0x4 is one set", 3, 0x4 | rpGEOMETRYNORMALS, 1, 0x4 | rpGEOMETRYNORMALS, 0},
      {"bits 16-23 count the sets", 3, 0x00030004, 3, 0x80, 0},
      {"eight sets", 3, 0x00080000, 8, 0x80, 0},
      {"nine sets", 3, 0x00090000, 0, 0, kRwErrInvalidValue},
      {"native keeps bits 24-27", 3, 0x0F000000 | 0x100, 0, 0x0F000000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RpGeometry* geometry = RpGeometryCreate(c.vertices, 1, c.format);
    if (c.error != 0) {
      EXPECT_EQ(geometry, nullptr);
      ExpectError(c.error == kRpErrGeometryTooManyVertices ? kRwPluginIdWorld : kRwPluginIdNone, c.error);
      continue;
    }
    ASSERT_NE(geometry, nullptr);
    EXPECT_EQ(geometry->numTexCoordSets, c.sets);
    EXPECT_EQ(RpGeometryGetFlags(geometry), c.flags);
    EXPECT_EQ(geometry->numMorphTargets, 1);
    EXPECT_EQ(geometry->triangles != nullptr, (c.format & rpGEOMETRYNATIVE) == 0);
    for (int i = 0; i < kRpGeometryMaxTexCoordSets; ++i) {
      EXPECT_EQ(geometry->texCoords[i] != nullptr, i < c.sets);
    }
    if (geometry->triangles != nullptr) {
      EXPECT_EQ(geometry->triangles[0].matIndex, kRpTriangleNoMaterial);
    }
    RpGeometryDestroy(geometry);
  }
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(GeometryTest, MorphTargetsKeepTheirDataAsTheyGrow) {
  RpGeometry* geometry = RpGeometryCreate(3, 1, rpGEOMETRYNORMALS);
  RpMorphTarget* first = RpGeometryGetMorphTarget(geometry, 0);
  first->verts[2] = {1.0f, 2.0f, 3.0f};
  first->normals[1] = {0.0f, 1.0f, 0.0f};
  first->boundingSphere.radius = 5.0f;
  ASSERT_EQ(RpGeometryAddMorphTargets(geometry, 2), 1);
  ASSERT_EQ(geometry->numMorphTargets, 3);
  first = RpGeometryGetMorphTarget(geometry, 0);
  EXPECT_EQ(first->verts[2].z, 3.0f);
  EXPECT_EQ(first->normals[1].y, 1.0f);
  EXPECT_EQ(first->boundingSphere.radius, 5.0f);
  const RpMorphTarget* last = RpGeometryGetMorphTarget(geometry, 2);
  EXPECT_EQ(last->parentGeom, geometry);
  EXPECT_EQ(last->verts[2].x, 0.0f);
  EXPECT_NE(last->verts, first->verts);
  EXPECT_EQ(last->normals, last->verts + 3);
  EXPECT_EQ(RpGeometryGetMorphTarget(geometry, 3), nullptr);

  RpGeometry* empty = RpGeometryCreateEmpty(2.5f);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(RpGeometryGetMorphTarget(empty, 0)->boundingSphere.radius, 2.5f);
  EXPECT_EQ(RpGeometryGetMorphTarget(empty, 0)->verts, nullptr);
  EXPECT_EQ(empty->mesh->numMeshes, 0);
  RpGeometryDestroy(empty);
  RpGeometryDestroy(geometry);
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(GeometryTest, LockingTrianglesRebuildsTheMeshes) {
  RpMaterial* a = Material();
  RpMaterial* b = Material();
  RpGeometry* geometry = TwoTriangles(a, b, 0);
  ASSERT_NE(geometry->mesh, nullptr);
  ASSERT_EQ(geometry->mesh->numMeshes, 2);

  RpGeometryLock(geometry, rpGEOMETRYLOCKVERTICES);
  EXPECT_NE(geometry->mesh, nullptr);
  geometry->triangles[1].matIndex = 0;
  RpGeometryLock(geometry, rpGEOMETRYLOCKPOLYGONS);
  EXPECT_EQ(geometry->mesh, nullptr);
  EXPECT_EQ(geometry->lockedSinceLastInst, rpGEOMETRYLOCKVERTICES | rpGEOMETRYLOCKPOLYGONS);
  ASSERT_EQ(RpGeometryUnlock(geometry), geometry);
  ASSERT_EQ(geometry->mesh->numMeshes, 1);
  EXPECT_EQ(MeshMaterial(geometry, 0), a);
  EXPECT_EQ(geometry->mesh->totalIndicesInMesh, 6u);

  // Strips when the geometry asks for them.
  RpGeometrySetFlags(geometry, RpGeometryGetFlags(geometry) | rpGEOMETRYTRISTRIP);
  RpGeometryLock(geometry, rpGEOMETRYLOCKPOLYGONS);
  RpGeometryUnlock(geometry);
  EXPECT_EQ(geometry->mesh->flags, kRpMeshHeaderTriStrip);
  EXPECT_EQ(geometry->mesh->totalIndicesInMesh, 4u);

  RpGeometryAddRef(geometry);
  RpGeometryDestroy(geometry);
  EXPECT_EQ(geometry->refCount, 1);
  EXPECT_EQ(a->refCount, 2);  // still in the surviving geometry's list
  RpGeometryDestroy(geometry);
  EXPECT_EQ(a->refCount, 1);
  RpMaterialDestroy(a);
  RpMaterialDestroy(b);
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(GeometryTest, TrianglesOutsideTheListHaveNoMaterial) {
  RpMaterial* a = Material();
  RpGeometry* geometry = RpGeometryCreate(4, 3, 0);
  RpMaterialListAppendMaterial(&geometry->matList, a);
  geometry->triangles[0] = {{0, 1, 2}, 0};
  geometry->triangles[1] = {{1, 2, 3}, kRpTriangleNoMaterial};
  geometry->triangles[2] = {{2, 3, 0}, 1};  // beyond the list's one entry
  EXPECT_EQ(RpGeometryTriangleGetMaterial(geometry, &geometry->triangles[0]), a);
  EXPECT_EQ(RpGeometryTriangleGetMaterial(geometry, &geometry->triangles[1]), nullptr);
  EXPECT_EQ(RpGeometryTriangleGetMaterial(geometry, &geometry->triangles[2]), nullptr);
  RpGeometryUnlock(geometry);
  ASSERT_EQ(geometry->mesh->numMeshes, 2);  // no material (address 0) sorts first
  EXPECT_EQ(RpMeshHeaderGetFirstMesh(geometry->mesh)[0].numIndices, 6u);
  RpGeometryDestroy(geometry);
  RpMaterialDestroy(a);
}

}  // namespace
