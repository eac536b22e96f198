// Billboards: textured, coloured unit quads in the world that turn to face
// the camera drawing them. They register with the render manager as render
// objects of type 2, so they are drawn after the world, back to front.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/render/models/render_object.h"

class cScene;

constexpr u32 kSprite3DVertexCount = 4;

// A unit quad in the x-y plane on a frame of its own, white until coloured.
class cSprite3D : public cRenderObject {
 public:
  cSprite3D();
  // Destroys the frame and the texture; leaves the manager's list.
  ~cSprite3D() override;

  // Vertex i takes colour i (tri-strip order: top right, bottom right, top
  // left, bottom left).
  void SetCornerColours(const RwRGBA colours[kSprite3DVertexCount]);
  // Owned from then on.
  void SetTexture(RwTexture* texture);
  RwTexture* GetTexture() const { return mTexture; }
  const RwIm3DVertex* GetVertices() const { return mVertices; }

 protected:
  RwIm3DVertex mVertices[kSprite3DVertexCount];
  RwTexture* mTexture;
  RwFrame* mFrame;
};

class cBillboard : public cSprite3D {
 public:
  cBillboard();

  u32 GetRoType() override { return kRoTypeDistanceSorted; }
  RwFrame* GetFrame() override { return mFrame; }
  // Turns the quad to the drawing camera, scales it and draws it.
  void Render(cCamera* camera) override;

  void SetScale(const RwV3d& scale) { mScale = scale; }
  // Scale by the scale vector.
  void SetScaleFlag(u8 flag) { mScaleFlag = flag; }
  // Scale by the distance to the camera: the apparent size stays.
  void SetDistanceScaleFlag(u8 flag) { mDistanceScaleFlag = flag; }
  void SetDepthTest(u8 flag) { mDepthTest = flag; }
  void SetDepthWrite(u8 flag) { mDepthWrite = flag; }
  // With a scene, drawn only through the scene's camera of that index
  // (-1: through any camera).
  void SetSceneCamera(cScene* scene, s32 cameraIndex) {
    mScene = scene;
    mCameraIndex = cameraIndex;
  }

 private:
  RwV3d mScale;
  u8 mScaleFlag;
  u8 mDistanceScaleFlag;
  u8 mDepthTest;
  u8 mDepthWrite;
  cScene* mScene;
  s32 mCameraIndex;
};
