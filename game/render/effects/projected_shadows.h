// Soft shadows of the men projected onto the level. Each caster's model is
// drawn as a black silhouette into a 128 x 128 image seen from a parallel
// shadow camera that leans by the level's directional lightmaps; the image
// is inverted, shrunk to 64 x 64 and blurred, then laid over the world
// triangles and atomics under the caster, darkening them multiplicatively.
#pragma once

#include <vector>

#include "engine/engine.h"
#include "game/foundation/types.h"

class cCamera;
class cLightmap;
class cShadowCaster;
class cWorldCollision;

constexpr RwInt32 kShadowImageSize = 128;         // pixels a side
constexpr RwInt32 kShadowBlurSize = 64;           // pixels a side
constexpr u32 kShadowVertexCapacity = 1500;       // projected vertices drawn in one batch
constexpr f32 kShadowLength = 6.0f;               // world units the projection reaches past the caster
constexpr f32 kShadowCameraDistance = 3.0f;       // from the caster's centre, against the shadow direction
constexpr f32 kShadowViewWindowPerRadius = 1.5f;  // view window (both sides) per bounding radius
constexpr f32 kShadowSurfaceOffset = 0.01f;       // along the vertex normal, above the receiving surface
constexpr f32 kShadowCameraFarClip = 20.0f;
constexpr f32 kShadowCameraNearClip = 0.1f;

// The renderer's state, one for the level.
struct tShadowRenderer {
  RwCamera* shadowCamera = nullptr;  // parallel, draws into the image
  RwRaster* shadowDepth = nullptr;
  RwCamera* smallCamera = nullptr;  // parallel, draws into the blur rasters
  RwRaster* smallDepth = nullptr;
  RwRaster* image = nullptr;  // 128 x 128 camera texture: the silhouette
  RwRaster* blurA = nullptr;  // 64 x 64 camera textures
  RwRaster* blurB = nullptr;  // the blurred shadow that is projected
  RpWorld* world = nullptr;
  u8 visibilityFlag = 0;  // the world carries a potentially visible set
  cLightmap* lightmap = nullptr;
  s32 tiltDegrees = 0;  // the lean of the shadow at full difference of two maps
  f32 maximumDistance = 0.0f;
  f32 lastCasterDistance = 0.0f;
  f32 intensity = 0.0f;  // 0..255, of the caster being drawn
  // The main camera's update runs again after the last shadow image.
  u8 frameOk = 0;
  RwIm3DVertex vertices[kShadowVertexCapacity] = {};
  u32 vertexCount = 0;
  std::vector<cShadowCaster*> casters;
};

tShadowRenderer& GetShadowRenderer();

// The cameras and rasters, added to the world of the casters; called once
// the casters exist.
void InitProjectedShadows(u8 visibilityFlag, cLightmap* lightmap, s32 tiltDegrees, f32 maximumDistance);
// Destroys every caster, and the cameras and rasters when they were set up.
void ShutdownProjectedShadows();
// Frame start: no caster has been drawn yet.
void ClearShadowCasterFlags();
// The shadow pass of a frame, inside the main camera's update: the main
// engine camera, or null when its update could not be begun again.
RwCamera* RenderProjectedShadows(RpWorld* world, cCamera* mainCamera);

// Steps of the shadow image: the black silhouette on white becomes white
// on black; the 128 image is averaged 2 x 2 into blur raster B and blurred
// twice through A.
void InvertShadowImage();
void DownSampleAndBlur();

class cShadowCaster {
 public:
  // Appended to the casters; the renderer's state is left alone.
  cShadowCaster();
  // Leaves the casters.
  ~cShadowCaster();

  cShadowCaster(const cShadowCaster&) = delete;
  cShadowCaster& operator=(const cShadowCaster&) = delete;

  // Takes the clump's atomics and their merged bounding sphere; the world
  // also becomes the renderer's.
  void Setup(RpWorld* world, cWorldCollision* worldObject, RpClump* clump, const RwV3d& extent, u8 lightFlag);
  // The caster's model was drawn this frame.
  void MarkDrawn() { mDrawn = 1; }
  void ClearDrawn() { mDrawn = 0; }
  // The renderer passes over a caster that is not set up: a fallen body
  // casts no shadow from now on.
  void SwitchOff() { mSetUp = 0; }

  // Places the shadow camera and draws the blurred shadow image; false when
  // the caster casts no shadow this frame.
  bool RenderShadowImage(cCamera* mainCamera);
  // The shadow camera 3 units from the centre against the shadow direction,
  // which leans by the lightmaps; sets the skip flag when the caster is too
  // far or not visible.
  void PlaceShadowCamera(RwCamera* mainCamera);
  // Lays the shadow image over the world under the caster.
  void ProjectShadow(RpWorld* world, cCamera* mainCamera);
  // One triangle given by world-space corners and vertex normals (null:
  // none) and its face normal; dropped when it faces away or lies wholly
  // outside the image.
  void AddShadowTriangle(const RwV3d corners[3], const RwV3d* normals, const RwV3d& faceNormal);

  const RwSphere& GetBoundingSphere() const { return mSphere; }
  const RwV3d& GetWorldCentre() const { return mWorldCentre; }
  const RwMatrix& GetProjection() const { return mProjection; }
  u32 GetSkip() const { return mSkip; }
  u8 IsSetUp() const { return mSetUp; }
  u8 IsDrawn() const { return mDrawn; }

 private:
  void ComputeBoundingSphere();
  bool HasVisibleAtomic(RwCamera* mainCamera) const;
  void DrawSilhouette();
  void ProjectOntoWorld(RpWorld* world, const RwBBox& box, RwCamera* mainCamera);

  std::vector<RpAtomic*> mAtomics;
  RwSphere mSphere;  // model space
  RwV3d mWorldCentre;
  RwMatrix mProjection;  // world space to (u, v, depth) of the shadow image
  f32 mShadowLength;
  RpClump* mClump;
  u8 mSetUp;
  u32 mSkip;
  u8 mDrawn;
  u8 mImageReady;
  cWorldCollision* mWorldObject;
  RwV3d mExtent;
};

// Draws the queued projected vertices and empties the queue.
void FlushShadowVertices();
