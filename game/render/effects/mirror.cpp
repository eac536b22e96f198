// Mirror set-up from the mirror triangle, the reflection render and its
// softening, the per-frame rasters, and the list of the level's mirrors.
#include "game/render/effects/mirror.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "game/foundation/vector_helpers.h"
#include "game/render/scene/render_manager.h"
#include "game/render/scene/scene.h"
#include "game/render/scene/texture_camera.h"

namespace {

// Texture coordinates closer than this share an edge of the mirror.
constexpr f32 kSameCoordinate = 0.1f;
// The view window is half the mirror's size over the depth.
constexpr f32 kHalfUnitPerPixel = 0.5f / kMirrorPixelsPerUnit;
// A camera exactly in the mirror's plane still renders, from just in front.
constexpr f32 kMinimumDepth = 0.001f;

std::vector<cMirror*> sMirrors;
cScene* sScene = nullptr;

RpMaterial* FindMirrorMaterial(const RpGeometry* geometry) {
  for (RwInt32 i = 0; i < geometry->matList.numMaterials; i++) {
    RpMaterial* material = geometry->matList.materials[i];
    if (material != nullptr && material->texture != nullptr &&
        std::strcmp(material->texture->name, kMirrorTextureName) == 0) {
      return material;
    }
  }
  return nullptr;
}

// The first triangle drawn with the material; triangle 0 when none is.
const RpTriangle& MirrorTriangle(const RpGeometry* geometry, const RpMaterial* material) {
  for (RwInt32 i = 0; i < geometry->numTriangles; i++) {
    if (RpGeometryTriangleGetMaterial(geometry, &geometry->triangles[i]) == material) {
      return geometry->triangles[i];
    }
  }
  return geometry->triangles[0];
}

RwV3d Normalised(const RwV3d& v) {
  RwV3d out = {0.0f, 0.0f, 0.0f};
  const f32 length = RwV3dLength(&v);
  if (length > 0.0f) {
    RwV3dScale(&out, &v, 1.0f / length);
  }
  return out;
}

u32 PixelLength(const RwV3d& a, const RwV3d& b) {
  RwV3d d;
  RwV3dSub(&d, &a, &b);
  const u32 pixels = static_cast<u32>(RwV3dLength(&d) * kMirrorPixelsPerUnit);
  return pixels == 0 ? 1 : pixels;
}

}  // namespace

u32 MirrorRasterSide(u32 pixels, s32 sizeShift) {
  u32 side = 1;
  for (u32 bit = 0; bit < 32; bit++) {
    if ((pixels & (1u << bit)) != 0) {
      side = 1u << bit;
    }
  }
  side = side > kMirrorMaximumRasterSize ? kMirrorMaximumRasterSize : side;
  if (sizeShift > 1) {
    side >>= static_cast<u32>(sizeShift - 1) < 32 ? static_cast<u32>(sizeShift - 1) : 31;
  }
  return side == 0 ? 1 : side;
}

cMirror::cMirror(RpAtomic* atomic, s32 sizeShift)
    : mFrame(nullptr),
      mPixelWidth(1),
      mPixelHeight(1),
      mRasterWidth(1),
      mRasterHeight(1),
      mFirstFrame(0),
      mSavedRaster(nullptr),
      mBlurCamera(nullptr),
      mBlurDepth(nullptr),
      mWork{nullptr, nullptr},
      mAtomic(nullptr),
      mMaterial(nullptr),
      mTexture(nullptr) {
  mFrame = mCamera.GetFrame();
  RpGeometry* geometry = RpAtomicGetGeometry(atomic);
  // A geometry without triangles or positions has no plane to mirror in.
  if (geometry == nullptr || geometry->numTriangles == 0 || geometry->morphTarget[0].verts == nullptr) {
    return;
  }
  RpMaterial* material = FindMirrorMaterial(geometry);
  if (material == nullptr) {
    return;
  }
  mAtomic = atomic;
  mMaterial = material;
  mTexture = material->texture;
  Setup(sizeShift);
  sMirrors.push_back(this);
}

cMirror::~cMirror() {
  ReleaseFrameRasters();
  LeaveWorld();
  DestroyTextureCamera(mBlurCamera, mBlurDepth);
}

void cMirror::Setup(s32 sizeShift) {
  const RpGeometry* geometry = mAtomic->geometry;
  const RpTriangle& triangle = MirrorTriangle(geometry, mMaterial);
  const RwV3d* positions = geometry->morphTarget[0].verts;
  const RwTexCoords* uv = geometry->texCoords[0];
  const RwV3d corner[3] = {positions[triangle.vertIndex[0]], positions[triangle.vertIndex[1]],
                           positions[triangle.vertIndex[2]]};
  RwV3d edge1;
  RwV3d edge2;
  RwV3d normal;
  RwV3dSub(&edge1, &corner[1], &corner[0]);
  RwV3dSub(&edge2, &corner[2], &corner[0]);
  RwV3dCrossProduct(&normal, &edge1, &edge2);
  const RwMatrix* ltm = RwFrameGetLTM(RpAtomicGetFrame(mAtomic));
  RwV3dTransformVectors(&normal, &normal, 1, ltm);

  // A and B share (within 0.1) the texture coordinate u, A the upper one.
  int a = 0;
  int b = 1;
  int c = 2;
  auto u = [&](int i) { return uv != nullptr ? uv[triangle.vertIndex[i]].u : 0.0f; };
  auto v = [&](int i) { return uv != nullptr ? uv[triangle.vertIndex[i]].v : 0.0f; };
  if (std::fabs(u(0) - u(1)) > kSameCoordinate) {
    b = 2;
    c = 1;
    if (std::fabs(u(0) - u(2)) > kSameCoordinate) {
      a = 1;
      b = 2;
      c = 0;
    }
  }
  if (v(a) > v(b)) {
    std::swap(a, b);
  }
  mPixelHeight = PixelLength(corner[a], corner[b]);
  mPixelWidth = PixelLength(corner[b], corner[c]);

  RwMatrix* matrix = RwFrameGetMatrix(mFrame);
  matrix->at = Normalised(normal);
  RwV3d up;
  RwV3dSub(&up, &corner[a], &corner[b]);
  RwV3dTransformVectors(&up, &up, 1, ltm);
  matrix->up = Normalised(up);
  RwV3dCrossProduct(&matrix->right, &matrix->up, &matrix->at);
  RwMatrixOptimize(matrix, nullptr);
  RwFrameMarkDirty(mFrame);

  mSavedRaster = mTexture->raster;
  RwTextureSetFilterMode(mTexture, kRwFilterLinear);
  mRasterWidth = MirrorRasterSide(mPixelWidth, sizeShift);
  mRasterHeight = MirrorRasterSide(mPixelHeight, sizeShift);
  const RwInt32 width = static_cast<RwInt32>(mRasterWidth);
  const RwInt32 height = static_cast<RwInt32>(mRasterHeight);
  mTarget.SetDepthRaster(RwRasterCreate(width, height, 0, rwRASTERTYPEZBUFFER));
  mBlurCamera = CreateTextureCamera(width, height, &mBlurDepth);
  mFirstFrame = 1;
}

void cMirror::LeaveWorld() {
  RwCamera* camera = mCamera.GetCamera();
  RpWorld* world = RwCameraGetWorld(camera);
  if (world != nullptr) {
    RpWorldRemoveCamera(world, camera);
  }
}

bool cMirror::IsVisible(RwCamera* mainCamera) const {
  const RwSphere* sphere = RpAtomicGetWorldBoundingSphere(mAtomic);
  if (RwCameraFrustumTestSphere(mainCamera, sphere) == kRwSphereOutside) {
    return false;
  }
  if (sScene != nullptr && sScene->GetPvsFlag() != 0 && !RpPVSAtomicVisible(mAtomic)) {
    return false;
  }
  const f32 far = RwCameraGetFarClipPlane(mainCamera);
  return V3dDistanceSquared(&sphere->center, &RwFrameGetLTM(RwCameraGetFrame(mainCamera))->pos) <= far * far;
}

void cMirror::RenderReflection(cCamera* mainCamera) {
  RwCamera* main = mainCamera->GetCamera();
  if (mMaterial == nullptr || (mFirstFrame == 0 && !IsVisible(main))) {
    return;
  }
  RwMatrix* matrix = RwFrameGetMatrix(mFrame);
  const RwV3d eye = RwFrameGetLTM(RwCameraGetFrame(main))->pos;
  RwV3d d;
  RwV3dSub(&d, &RpAtomicGetWorldBoundingSphere(mAtomic)->center, &eye);
  // The main camera's distance in front of the mirror's plane.
  f32 depth = -RwV3dDotProduct(&matrix->at, &d);
  if (depth < 0.0f) {
    return;
  }
  mFirstFrame = 0;
  depth = depth < kMinimumDepth ? kMinimumDepth : depth;

  RwCamera* camera = mCamera.GetCamera();
  const RwV2d window = {static_cast<f32>(mPixelWidth) * kHalfUnitPerPixel / depth,
                        static_cast<f32>(mPixelHeight) * kHalfUnitPerPixel / depth};
  const RwV2d offset = {RwV3dDotProduct(&matrix->right, &d) / depth, -RwV3dDotProduct(&matrix->up, &d) / depth};
  RwCameraSetViewWindow(camera, &window);
  RwCameraSetViewOffset(camera, &offset);
  mCamera.SetClipPlanes(depth, RwCameraGetFarClipPlane(main) + depth);
  // The eye mirrored in the plane, looking out of the mirror.
  RwV3d back;
  RwV3dScale(&back, &matrix->at, 2.0f * depth);
  RwV3dSub(&matrix->pos, &eye, &back);
  RwMatrixOptimize(matrix, nullptr);
  RwFrameMarkDirty(mFrame);

  // The camera lists the sectors it sees only in the mirror's world.
  RpClump* clump = RpAtomicGetClump(mAtomic);
  RpWorld* world = RpAtomicGetWorld(mAtomic);
  if (world != nullptr && RwCameraGetWorld(camera) != world) {
    LeaveWorld();
    RpWorldAddCamera(world, camera);
  }
  // The mirror must not draw itself into its own reflection.
  if (clump != nullptr && world != nullptr) {
    RpWorldRemoveClump(world, clump);
  }
  const RwInt32 width = static_cast<RwInt32>(mRasterWidth);
  const RwInt32 height = static_cast<RwInt32>(mRasterHeight);
  ReleaseFrameRasters();
  RwRaster* reflection = RwRasterCreate(width, height, 0, rwRASTERTYPECAMERATEXTURE);
  mWork[0] = RwRasterCreate(width, height, 0, rwRASTERTYPECAMERATEXTURE);
  mWork[1] = RwRasterCreate(width, height, 0, rwRASTERTYPECAMERATEXTURE);
  mTarget.SetColourRaster(reflection);
  if (reflection != nullptr) {
    RwTextureSetRaster(mTexture, reflection);
    if (sScene != nullptr) {
      sScene->GetRenderManager().RenderMirrorFrame(&mCamera, mTarget);
    }
    Soften();
  }
  if (clump != nullptr && world != nullptr) {
    RpWorldAddClump(world, clump);
  }
}

// A copy into work raster 1, then a [1 2 1] spread through work raster 2
// back into the reflection.
void cMirror::Soften() {
  if (mBlurCamera == nullptr || mWork[0] == nullptr || mWork[1] == nullptr) {
    return;
  }
  const f32 texel = 1.0f / static_cast<f32>(mRasterWidth);
  RwRaster* reflection = mTarget.GetColourRaster();
  DrawRasterInto(mBlurCamera, reflection, mWork[0], 0.5f * texel);
  DrawRasterInto(mBlurCamera, mWork[0], mWork[1], texel);
  DrawRasterInto(mBlurCamera, mWork[1], reflection, 0.0f);
}

void cMirror::ReleaseFrameRasters() {
  RwRaster* reflection = mTarget.GetColourRaster();
  if (reflection != nullptr) {
    RwTextureSetRaster(mTexture, mSavedRaster);
    RwRasterDestroy(reflection);
    mTarget.SetColourRaster(nullptr);
  }
  for (RwRaster*& work : mWork) {
    if (work != nullptr) {
      RwRasterDestroy(work);
      work = nullptr;
    }
  }
}

void UnregisterMirror(RpAtomic* atomic) {
  for (cMirror*& mirror : sMirrors) {
    if (mirror != nullptr && mirror->GetAtomic() == atomic) {
      delete mirror;
      mirror = nullptr;
    }
  }
}

void DestroyMirrors() {
  for (cMirror*& mirror : sMirrors) {
    delete mirror;
    mirror = nullptr;
  }
}

void ResetMirrors(cScene* scene) {
  sScene = scene;
  DestroyMirrors();
  sMirrors.clear();
  sMirrors.shrink_to_fit();
}

void RenderMirrors(cCamera* mainCamera) {
  for (size_t i = 0; i < sMirrors.size(); i++) {
    if (sMirrors[i] != nullptr) {
      sMirrors[i]->RenderReflection(mainCamera);
    }
  }
}

void ReleaseMirrorRasters() {
  for (cMirror* mirror : sMirrors) {
    if (mirror != nullptr) {
      mirror->ReleaseFrameRasters();
    }
  }
}

u32 GetMirrorCount() { return static_cast<u32>(sMirrors.size()); }

cMirror* GetMirror(u32 index) { return index < sMirrors.size() ? sMirrors[index] : nullptr; }
