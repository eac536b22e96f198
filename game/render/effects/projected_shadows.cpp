// The shadow renderer's cameras and rasters, the casters' placement by the
// lightmaps, the shadow image (silhouette, inversion, down-sampling, blur)
// and its projection onto world sectors and atomics.
#include "game/render/effects/projected_shadows.h"

#include <algorithm>
#include <cmath>

#include "game/foundation/vector_helpers.h"
#include "game/render/scene/camera.h"
#include "game/render/models/lightmap.h"
#include "game/render/scene/render_state.h"
#include "game/render/effects/screen_quad.h"
#include "game/render/scene/texture_camera.h"

namespace {

constexpr f32 kInitialTiltDegrees = 15.0f;  // about x, before the first placement
constexpr f32 kFullSampleSum = 765.0f;      // R + G + B of white
constexpr f32 kSectorNormalScale = 1.0f / 128.0f;
constexpr u32 kBlurPasses = 2;
constexpr RwUInt32 kOpaqueBlack = 0;
const RwRGBA kShadowClearColour = {255, 255, 255, 0};
const RwRGBA kSilhouetteColour = {0, 0, 0, 255};

tShadowRenderer sRenderer;

void DestroyRaster(RwRaster** raster) {
  if (*raster != nullptr) {
    RwRasterDestroy(*raster);
    *raster = nullptr;
  }
}

}  // namespace

// One white quad with the source factor 1 - destination and nothing of the
// destination.
void InvertShadowImage() {
  RwCamera* camera = sRenderer.shadowCamera;
  if (RwCameraBeginUpdate(camera) == nullptr) {
    return;
  }
  SetTextureRaster(nullptr);
  SetRenderState(kRwRenderStateZTestEnable, 0);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 1);
  SetRenderState(kRwRenderStateSrcBlend, kBlendInvDestColour);
  SetRenderState(kRwRenderStateDestBlend, kBlendZero);
  const f32 size = static_cast<f32>(kShadowImageSize);
  DrawScreenQuad(0.0f, 0.0f, size, size, RwIm2DGetNearScreenZ(), 1.0f / RwCameraGetNearClipPlane(camera), 0.0f);
  SetRenderState(kRwRenderStateZTestEnable, 1);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 0);
  SetRenderState(kRwRenderStateSrcBlend, kBlendSrcAlpha);
  SetRenderState(kRwRenderStateDestBlend, kBlendInvSrcAlpha);
  RwCameraEndUpdate(camera);
}

// Each pass spreads a texel [1 2 1] over its neighbours: B into A samples
// between texels i and i + 1, A into B between i - 1 and i.
void DownSampleAndBlur() {
  const f32 texel = 1.0f / static_cast<f32>(kShadowBlurSize);
  DrawRasterInto(sRenderer.smallCamera, sRenderer.image, sRenderer.blurB, 0.5f * texel);
  for (u32 pass = 0; pass < kBlurPasses; pass++) {
    DrawRasterInto(sRenderer.smallCamera, sRenderer.blurB, sRenderer.blurA, texel);
    DrawRasterInto(sRenderer.smallCamera, sRenderer.blurA, sRenderer.blurB, 0.0f);
  }
}

namespace {

// 255 up to half the maximum distance, then falling linearly to 0 at it.
f32 ShadowIntensity(f32 distance, f32 maximumDistance) {
  const f32 half = maximumDistance * 0.5f;
  if (distance < half) {
    return 255.0f;
  }
  return 255.0f * (1.0f - (distance - half) / half);
}

f32 SampleSum(const cLightmap& lightmap, u32 map, f32 x, f32 z) {
  u8 colour[3];
  lightmap.Sample(colour, map, x, z);
  return static_cast<f32>(colour[0]) + static_cast<f32>(colour[1]) + static_cast<f32>(colour[2]);
}

RwV3d FramePosition(RwFrame* frame) { return RwFrameGetLTM(frame)->pos; }

f32 Distance(const RwV3d& a, const RwV3d& b) {
  RwV3d d;
  RwV3dSub(&d, &a, &b);
  return RwV3dLength(&d);
}

RwIm3DVertex* ShadowVertices() { return sRenderer.vertices; }

RwV3d AtVector() { return RwFrameGetMatrix(RwCameraGetFrame(sRenderer.shadowCamera))->at; }

struct tProjectionWalk {
  cShadowCaster* caster;
  RwCamera* mainCamera;
  RpIntersectionPrimitive sphere;
};

RpIntersectionPrimitive* AddSectorTriangle(RpIntersectionPrimitive* intersection, RpWorldSector* sector,
                                           RpCollisionTriangle* triangle, RwReal /*distance*/, void* data) {
  cShadowCaster* caster = static_cast<tProjectionWalk*>(data)->caster;
  const RpPolygon& polygon = sector->polygons[triangle->index];
  RwV3d corners[3];
  RwV3d normals[3];
  for (int i = 0; i < 3; i++) {
    corners[i] = sector->vertices[polygon.vertIndex[i]];
    if (sector->normals != nullptr) {
      const RpVertexNormal& n = sector->normals[polygon.vertIndex[i]];
      normals[i] = {n.x * kSectorNormalScale, n.y * kSectorNormalScale, n.z * kSectorNormalScale};
    }
  }
  caster->AddShadowTriangle(corners, sector->normals != nullptr ? normals : nullptr, triangle->normal);
  return intersection;
}

struct tAtomicWalk {
  cShadowCaster* caster;
  RwMatrix* ltm;
  RpAtomic* atomic;
};

RpIntersectionPrimitive* AddAtomicTriangle(RpIntersectionPrimitive* intersection, RpCollisionTriangle* triangle,
                                           RwReal /*distance*/, void* data) {
  tAtomicWalk* walk = static_cast<tAtomicWalk*>(data);
  const RpGeometry* geometry = walk->atomic->geometry;
  const RpTriangle& source = geometry->triangles[triangle->index];
  const RwV3d* modelNormals = geometry->morphTarget[0].normals;
  RwV3d corners[3];
  RwV3d normals[3];
  for (int i = 0; i < 3; i++) {
    RwV3dTransformPoints(&corners[i], triangle->vertices[i], 1, walk->ltm);
    if (modelNormals != nullptr) {
      RwV3dTransformVectors(&normals[i], &modelNormals[source.vertIndex[i]], 1, walk->ltm);
    }
  }
  RwV3d faceNormal;
  RwV3dTransformVectors(&faceNormal, &triangle->normal, 1, walk->ltm);
  walk->caster->AddShadowTriangle(corners, modelNormals != nullptr ? normals : nullptr, faceNormal);
  return intersection;
}

RpAtomic* ProjectOntoAtomic(RpIntersectionPrimitive* /*intersection*/, RpWorldSector* /*sector*/, RpAtomic* atomic,
                            RwReal /*distance*/, void* data) {
  tProjectionWalk* walk = static_cast<tProjectionWalk*>(data);
  if (RwCameraFrustumTestSphere(walk->mainCamera, RpAtomicGetWorldBoundingSphere(atomic)) == kRwSphereOutside) {
    return atomic;
  }
  if (sRenderer.visibilityFlag != 0 && !RpPVSAtomicVisible(atomic)) {
    return atomic;
  }
  if (atomic->geometry == nullptr || atomic->geometry->triangles == nullptr) {
    return atomic;
  }
  tAtomicWalk atomicWalk = {walk->caster, RwFrameGetLTM(RpAtomicGetFrame(atomic)), atomic};
  RpCollisionGeometryForAllIntersections(atomic, &walk->sphere, AddAtomicTriangle, &atomicWalk);
  return atomic;
}

RpAtomic* CollectAtomic(RpAtomic* atomic, void* data) {
  static_cast<std::vector<RpAtomic*>*>(data)->push_back(atomic);
  return atomic;
}

// The atomic's local sphere, re-interpolated first when marked stale.
const RwSphere& LocalSphere(RpAtomic* atomic) {
  if ((atomic->interpolator.flags & rpINTERPOLATORDIRTYSPHERE) != 0) {
    RpAtomicInterpolateBoundingSphere(atomic);
  }
  return atomic->boundingSphere;
}

}  // namespace

tShadowRenderer& GetShadowRenderer() { return sRenderer; }

void InitProjectedShadows(u8 visibilityFlag, cLightmap* lightmap, s32 tiltDegrees, f32 maximumDistance) {
  sRenderer.visibilityFlag = visibilityFlag;
  sRenderer.lightmap = lightmap;
  sRenderer.tiltDegrees = tiltDegrees;
  sRenderer.maximumDistance = maximumDistance;
  sRenderer.shadowCamera = CreateTextureCamera(kShadowImageSize, kShadowImageSize, &sRenderer.shadowDepth);
  if (sRenderer.shadowCamera == nullptr) {
    return;
  }
  const RwV3d xAxis = {1.0f, 0.0f, 0.0f};
  RwFrameRotate(RwCameraGetFrame(sRenderer.shadowCamera), &xAxis, kInitialTiltDegrees, kRwCombinePreConcat);
  sRenderer.image = RwRasterCreate(kShadowImageSize, kShadowImageSize, 0, rwRASTERTYPECAMERATEXTURE);
  sRenderer.blurA = RwRasterCreate(kShadowBlurSize, kShadowBlurSize, 0, rwRASTERTYPECAMERATEXTURE);
  sRenderer.blurB = RwRasterCreate(kShadowBlurSize, kShadowBlurSize, 0, rwRASTERTYPECAMERATEXTURE);
  sRenderer.smallCamera = CreateTextureCamera(kShadowBlurSize, kShadowBlurSize, &sRenderer.smallDepth);
  RwCameraSetRaster(sRenderer.shadowCamera, sRenderer.image);
  if (sRenderer.world != nullptr) {
    RpWorldAddCamera(sRenderer.world, sRenderer.shadowCamera);
  }
}

void ShutdownProjectedShadows() {
  // Casters exist before the set-up (a level's men come before it), so a
  // level torn down between the two still has some. Each caster's
  // destructor takes it out of the list.
  while (!sRenderer.casters.empty()) {
    delete sRenderer.casters.back();
  }
  sRenderer.casters.shrink_to_fit();
  if (sRenderer.shadowCamera == nullptr) {
    return;
  }
  if (sRenderer.world != nullptr) {
    RpWorldRemoveCamera(sRenderer.world, sRenderer.shadowCamera);
  }
  DestroyTextureCamera(sRenderer.shadowCamera, sRenderer.shadowDepth);
  DestroyTextureCamera(sRenderer.smallCamera, sRenderer.smallDepth);
  sRenderer.shadowCamera = nullptr;
  sRenderer.shadowDepth = nullptr;
  sRenderer.smallCamera = nullptr;
  sRenderer.smallDepth = nullptr;
  DestroyRaster(&sRenderer.image);
  DestroyRaster(&sRenderer.blurA);
  DestroyRaster(&sRenderer.blurB);
  sRenderer.visibilityFlag = 0;
  sRenderer.world = nullptr;
  sRenderer.lightmap = nullptr;
}

void ClearShadowCasterFlags() {
  for (cShadowCaster* caster : sRenderer.casters) {
    caster->ClearDrawn();
  }
}

RwCamera* RenderProjectedShadows(RpWorld* world, cCamera* mainCamera) {
  sRenderer.frameOk = 1;
  for (size_t i = 0; i < sRenderer.casters.size(); i++) {
    cShadowCaster* caster = sRenderer.casters[i];
    if (caster->RenderShadowImage(mainCamera) && sRenderer.frameOk != 0) {
      caster->ProjectShadow(world, mainCamera);
    }
  }
  return sRenderer.frameOk != 0 ? mainCamera->GetCamera() : nullptr;
}

void FlushShadowVertices() {
  if (sRenderer.vertexCount == 0) {
    return;
  }
  if (RwIm3DTransform(ShadowVertices(), sRenderer.vertexCount, nullptr, kIm3DTexturedFlags) != nullptr) {
    RwIm3DRenderPrimitive(kRwPrimTypeTriList);
    RwIm3DEnd();
  }
  sRenderer.vertexCount = 0;
}

cShadowCaster::cShadowCaster()
    : mSphere{{0.0f, 0.0f, 0.0f}, 0.0f},
      mWorldCentre{0.0f, 0.0f, 0.0f},
      mProjection{},
      mShadowLength(0.0f),
      mClump(nullptr),
      mSetUp(0),
      mSkip(1),
      mDrawn(0),
      mImageReady(0),
      mWorldObject(nullptr),
      mExtent{0.0f, 0.0f, 0.0f} {
  sRenderer.casters.push_back(this);
}

cShadowCaster::~cShadowCaster() {
  std::vector<cShadowCaster*>& casters = sRenderer.casters;
  casters.erase(std::remove(casters.begin(), casters.end(), this), casters.end());
}

void cShadowCaster::Setup(RpWorld* world, cWorldCollision* worldObject, RpClump* clump, const RwV3d& extent,
                          u8 /*lightFlag*/) {
  sRenderer.world = world;
  mWorldObject = worldObject;
  mClump = clump;
  mExtent = extent;
  mSetUp = 1;
  mAtomics.clear();
  RpClumpForAllAtomics(clump, CollectAtomic, &mAtomics);
  mShadowLength = kShadowLength;
  ComputeBoundingSphere();
}

// Each further sphere widens the running one to hold both: the new sphere
// spans the two far points along the line of the centres.
void cShadowCaster::ComputeBoundingSphere() {
  if (mAtomics.empty()) {
    return;
  }
  mSphere = LocalSphere(mAtomics[0]);
  for (size_t i = 1; i < mAtomics.size(); i++) {
    const RwSphere& next = LocalSphere(mAtomics[i]);
    RwV3d between;
    RwV3dSub(&between, &next.center, &mSphere.center);
    const f32 d = RwV3dLength(&between);
    if (std::fabs(mSphere.radius - next.radius) >= d) {
      // One holds the other: the larger stays.
      if (next.radius > mSphere.radius) {
        mSphere = next;
      }
      continue;
    }
    RwV3d n = {0.0f, 0.0f, 0.0f};
    if (d > 0.0f) {
      RwV3dScale(&n, &between, 1.0f / d);
    }
    RwV3d p1;
    RwV3d p2;
    RwV3d step;
    RwV3dScale(&step, &n, mSphere.radius);
    RwV3dSub(&p1, &mSphere.center, &step);
    RwV3dScale(&step, &n, next.radius);
    RwV3dAdd(&p2, &next.center, &step);
    RwV3dAdd(&mSphere.center, &p1, &p2);
    RwV3dScale(&mSphere.center, &mSphere.center, 0.5f);
    mSphere.radius = 0.5f * Distance(p1, p2);
  }
}

bool cShadowCaster::HasVisibleAtomic(RwCamera* mainCamera) const {
  for (RpAtomic* atomic : mAtomics) {
    if (RwCameraFrustumTestSphere(mainCamera, RpAtomicGetWorldBoundingSphere(atomic)) == kRwSphereOutside) {
      continue;
    }
    if (sRenderer.visibilityFlag != 0 && !RpPVSAtomicVisible(atomic)) {
      continue;
    }
    return true;
  }
  return false;
}

void cShadowCaster::PlaceShadowCamera(RwCamera* mainCamera) {
  RwFrame* clumpFrame = RpClumpGetFrame(mClump);
  const RwV3d position = FramePosition(clumpFrame);
  const f32 distance = Distance(position, FramePosition(RwCameraGetFrame(mainCamera)));
  sRenderer.lastCasterDistance = distance;
  if (distance >= sRenderer.maximumDistance || !HasVisibleAtomic(mainCamera)) {
    mSkip = 1;
    return;
  }
  // The shadow leans away from the brighter map of each pair: north (0)
  // against south (1) about x, west (2) against east (3) about z.
  const cLightmap& lightmap = *sRenderer.lightmap;
  const f32 tilt = static_cast<f32>(sRenderer.tiltDegrees);
  const f32 a = -(SampleSum(lightmap, 0, position.x, position.z) - SampleSum(lightmap, 1, position.x, position.z)) *
                tilt / kFullSampleSum;
  const f32 b = (SampleSum(lightmap, 2, position.x, position.z) - SampleSum(lightmap, 3, position.x, position.z)) *
                tilt / kFullSampleSum;
  RwMatrix lean;
  RwMatrixSetIdentity(&lean);
  const RwV3d xAxis = {1.0f, 0.0f, 0.0f};
  const RwV3d zAxis = {0.0f, 0.0f, 1.0f};
  RwMatrixRotate(&lean, &xAxis, a, kRwCombineReplace);
  RwMatrixRotate(&lean, &zAxis, b, kRwCombinePreConcat);
  const RwV3d down = {0.0f, -1.0f, 0.0f};
  RwV3d direction;
  RwV3dTransformVectors(&direction, &down, 1, &lean);

  RwV3dTransformPoints(&mWorldCentre, &mSphere.center, 1, RwFrameGetLTM(clumpFrame));
  RwFrame* frame = RwCameraGetFrame(sRenderer.shadowCamera);
  RwMatrix* matrix = RwFrameGetMatrix(frame);
  RwV3d back;
  RwV3dScale(&back, &direction, kShadowCameraDistance);
  RwV3dSub(&matrix->pos, &mWorldCentre, &back);
  MatrixLookAt(matrix, &mWorldCentre);
  RwFrameMarkDirty(frame);
  mSkip = 0;
}

void cShadowCaster::DrawSilhouette() {
  for (RpAtomic* atomic : mAtomics) {
    RpGeometry* geometry = atomic->geometry;
    if (geometry == nullptr) {
      continue;
    }
    const RwUInt32 flags = RpGeometryGetFlags(geometry);
    RpGeometrySetFlags(geometry, flags | rpGEOMETRYMODULATEMATERIALCOLOR);
    std::vector<RwRGBA> colours(static_cast<size_t>(geometry->matList.numMaterials));
    for (RwInt32 i = 0; i < geometry->matList.numMaterials; i++) {
      colours[i] = geometry->matList.materials[i]->color;
      geometry->matList.materials[i]->color = kSilhouetteColour;
    }
    // The engine's own callback: the game's would defer the model or mark
    // it drawn.
    if (RwCameraBeginUpdate(sRenderer.shadowCamera) != nullptr) {
      RpAtomicDefaultRenderCallBack(atomic);
      RwCameraEndUpdate(sRenderer.shadowCamera);
    }
    for (RwInt32 i = 0; i < geometry->matList.numMaterials; i++) {
      geometry->matList.materials[i]->color = colours[i];
    }
    RpGeometrySetFlags(geometry, flags);
  }
}

bool cShadowCaster::RenderShadowImage(cCamera* mainCamera) {
  if (mSetUp == 0 || mDrawn == 0 || sRenderer.lightmap == nullptr) {
    return false;
  }
  PlaceShadowCamera(mainCamera->GetCamera());
  if (mSkip != 0) {
    return false;
  }
  RwCamera* camera = sRenderer.shadowCamera;
  RwCameraSetFarClipPlane(camera, kShadowCameraFarClip);
  RwCameraSetNearClipPlane(camera, kShadowCameraNearClip);
  const f32 window = kShadowViewWindowPerRadius * mSphere.radius;
  const RwV2d viewWindow = {window, window};
  RwCameraSetViewWindow(camera, &viewWindow);
  mImageReady = 1;
  if (sRenderer.frameOk != 0) {
    mainCamera->EndUpdateOnly();
  }
  RwCameraClear(camera, &kShadowClearColour, kRwCameraClearImage | kRwCameraClearZ | kRwCameraClearStencil);
  DrawSilhouette();
  InvertShadowImage();
  DownSampleAndBlur();
  sRenderer.frameOk = mainCamera->BeginUpdateOnly() != nullptr ? 1 : 0;
  sRenderer.intensity = ShadowIntensity(sRenderer.lastCasterDistance, sRenderer.maximumDistance);
  return true;
}

void cShadowCaster::ProjectShadow(RpWorld* world, cCamera* mainCamera) {
  if (mDrawn == 0 || mImageReady == 0) {
    return;
  }
  mImageReady = 0;
  if (world == nullptr) {
    return;
  }
  RwV3d reach;
  const RwV3d at = AtVector();
  RwV3dScale(&reach, &at, mShadowLength);
  RwBBox box;
  const f32 centre[3] = {mWorldCentre.x, mWorldCentre.y, mWorldCentre.z};
  const f32 extent[3] = {mExtent.x * mSphere.radius, mExtent.y * mSphere.radius, mExtent.z * mSphere.radius};
  const f32 push[3] = {reach.x, reach.y, reach.z};
  f32* sup[3] = {&box.sup.x, &box.sup.y, &box.sup.z};
  f32* inf[3] = {&box.inf.x, &box.inf.y, &box.inf.z};
  for (int axis = 0; axis < 3; axis++) {
    *sup[axis] = centre[axis] + extent[axis];
    *inf[axis] = centre[axis] - extent[axis];
    // The box reaches along the projection as far as the shadow does.
    if (push[axis] > 0.0f) {
      *sup[axis] += push[axis];
    } else {
      *inf[axis] += push[axis];
    }
  }
  ProjectOntoWorld(world, box, mainCamera->GetCamera());
}

void cShadowCaster::ProjectOntoWorld(RpWorld* world, const RwBBox& box, RwCamera* mainCamera) {
  // destination x (1 - texture x vertex colour)
  SetTextureRaster(sRenderer.blurB);
  SetRenderState(kRwRenderStateTextureAddress, kRwTextureAddressClamp);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 1);
  SetRenderState(kRwRenderStateTextureFilter, kRwFilterLinear);
  SetRenderState(kRwRenderStateSrcBlend, kBlendZero);
  SetRenderState(kRwRenderStateDestBlend, kBlendInvSrcColour);

  // World space to the shadow camera's space, then x and y across the view
  // window to 0..1 as the camera maps them, and depth to 0..1 over the
  // window's width and the shadow's length.
  RwMatrixInvert(&mProjection, RwFrameGetMatrix(RwCameraGetFrame(sRenderer.shadowCamera)));
  const f32 w = RwCameraGetViewWindow(sRenderer.shadowCamera)->x;
  const RwV3d scale = {-0.5f / w, -0.5f / w, 1.0f / (w + mShadowLength)};
  const RwV3d shift = {0.5f, 0.5f, 0.0f};
  RwMatrixScale(&mProjection, &scale, kRwCombinePostConcat);
  RwMatrixTranslate(&mProjection, &shift, kRwCombinePostConcat);

  sRenderer.vertexCount = 0;
  tProjectionWalk walk;
  walk.caster = this;
  walk.mainCamera = mainCamera;
  RpIntersectionPrimitive boxPrimitive;
  boxPrimitive.type = rpINTERSECTBOX;
  boxPrimitive.t.box = box;
  RpCollisionWorldForAllIntersections(world, &boxPrimitive, AddSectorTriangle, &walk);
  // World atomics near the box: a sphere through its corners.
  walk.sphere.type = rpINTERSECTSPHERE;
  RwV3dAdd(&walk.sphere.t.sphere.center, &box.sup, &box.inf);
  RwV3dScale(&walk.sphere.t.sphere.center, &walk.sphere.t.sphere.center, 0.5f);
  walk.sphere.t.sphere.radius = 0.5f * Distance(box.sup, box.inf);
  RpWorldForAllAtomicIntersections(world, &walk.sphere, ProjectOntoAtomic, &walk);
  FlushShadowVertices();

  SetTextureRaster(nullptr);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 0);
  SetRenderState(kRwRenderStateTextureAddress, kRwTextureAddressWrap);
  SetRenderState(kRwRenderStateDestBlend, kBlendInvSrcAlpha);
  SetRenderState(kRwRenderStateSrcBlend, kBlendSrcAlpha);
}

void cShadowCaster::AddShadowTriangle(const RwV3d corners[3], const RwV3d* normals, const RwV3d& faceNormal) {
  const RwV3d at = AtVector();
  if (RwV3dDotProduct(&faceNormal, &at) > 0.0f) {
    return;
  }
  RwV3d projected[3];
  RwV3dTransformPoints(projected, corners, 3, &mProjection);
  auto all = [&projected](auto test) { return test(projected[0]) && test(projected[1]) && test(projected[2]); };
  if (all([](const RwV3d& p) { return p.z < 0.0f; }) || all([](const RwV3d& p) { return p.x < 0.0f; }) ||
      all([](const RwV3d& p) { return p.x > 1.0f; }) || all([](const RwV3d& p) { return p.y < 0.0f; }) ||
      all([](const RwV3d& p) { return p.y > 1.0f; })) {
    return;
  }
  if (sRenderer.vertexCount > kShadowVertexCapacity - 3) {
    FlushShadowVertices();
  }
  for (int i = 0; i < 3; i++) {
    RwIm3DVertex& vertex = sRenderer.vertices[sRenderer.vertexCount++];
    vertex.objVertex = corners[i];
    if (normals != nullptr) {
      RwV3d lift;
      RwV3dScale(&lift, &normals[i], kShadowSurfaceOffset);
      RwV3dAdd(&vertex.objVertex, &vertex.objVertex, &lift);
    }
    vertex.objNormal = normals != nullptr ? normals[i] : RwV3d{0.0f, 0.0f, 0.0f};
    vertex.u = projected[i].x;
    vertex.v = projected[i].y;
    const f32 fade = 1.0f - projected[i].z * projected[i].z;
    const RwUInt32 c = fade > 0.0f ? static_cast<RwUInt32>(fade * sRenderer.intensity) : kOpaqueBlack;
    vertex.color = (c << 24) | (c << 16) | (c << 8) | c;
  }
}
