// Whole-inside tests of spheres and boxes against a camera's frustum planes:
// a cube from -1 to 1 with outward normals stands in for the frustum.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/src/camera.h"

namespace {

class FrustumTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&camera_, 0, sizeof camera_);
    const RwV3d normals[kRwFrustumPlaneCount] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (int i = 0; i < kRwFrustumPlaneCount; i++) {
      RwFrustumPlane& plane = camera_.frustumPlanes[i];
      plane.plane.normal = normals[i];
      plane.plane.distance = 1.0f;
      plane.closestX = normals[i].x < 0 ? 0 : 1;
      plane.closestY = normals[i].y < 0 ? 0 : 1;
      plane.closestZ = normals[i].z < 0 ? 0 : 1;
    }
  }
  RwCamera camera_;
};

TEST_F(FrustumTest, SphereMustClearEveryPlane) {
  struct Case {
    RwSphere sphere;
    RwBool inside;
  };
  const Case cases[] = {
      {{{0, 0, 0}, 0.5f}, TRUE},      {{{0.4f, 0, 0}, 0.5f}, TRUE},
      {{{0.6f, 0, 0}, 0.5f}, FALSE},   // touches the +x plane
      {{{0, 0, -0.7f}, 0.5f}, FALSE},  // crosses the near plane
      {{{0, 0, 0}, 1.0f}, TRUE},       // touching the planes counts as inside
      {{{0, 0, 0}, 1.5f}, FALSE},     {{{5, 5, 5}, 0.1f}, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sphere.center.x << "," << c.sphere.center.z << " r " << c.sphere.radius);
    EXPECT_EQ(RwD3D8CameraIsSphereFullyInsideFrustum(&camera_, &c.sphere), c.inside);
  }
}

TEST_F(FrustumTest, BoxMustHaveEveryCornerInside) {
  struct Case {
    RwBBox box;  // sup, inf
    RwBool inside;
  };
  const Case cases[] = {
      {{{0.5f, 0.5f, 0.5f}, {-0.5f, -0.5f, -0.5f}}, TRUE},
      {{{1, 1, 1}, {-1, -1, -1}}, TRUE},  // on the planes counts as inside
      {{{1.5f, 0.5f, 0.5f}, {0, 0, 0}}, FALSE},
      {{{0, 0, 0}, {-0.5f, -1.5f, 0}}, FALSE},
      {{{0.5f, 0.5f, 0.5f}, {0, 0, -1.2f}}, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.box.sup.x << "," << c.box.sup.y << "," << c.box.inf.y << "," << c.box.inf.z);
    EXPECT_EQ(RwD3D8CameraIsBBoxFullyInsideFrustum(&camera_, &c.box), c.inside);
  }
}

}  // namespace
