// The game's camera: one engine camera on its own frame, a field of view
// from which the view window follows the target at each begin-update, a
// target given per call, and an extra list of render objects that the
// camera's owner draws.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/reference.h"
#include "game/foundation/types.h"
#include "game/render/scene/render_target.h"

class cRenderObject;

constexpr f32 kCameraNearClip = 1.0f;
constexpr f32 kCameraFarClip = 1000.0f;
constexpr f32 kCameraFieldOfView = 1.5707964f;  // radians, 90 degrees
// Widget cameras: the plane z = 1 spans the target with a 1 x 1 view window.
constexpr f32 kWidgetNearClip = 0.99f;
constexpr f32 kWidgetFarClip = 1.1f;

// An element of a camera's extra list: a counted reference to an object.
class cRenderObjectLink : public cListNode {
 public:
  explicit cRenderObjectLink(cRenderObject* object);

  cRenderObject* GetObject() const;

 private:
  cRefPtr mObject;
};

class cCamera {
 public:
  // Fatal "RwCameraSetFrame Error" when the engine camera cannot be made.
  cCamera();
  virtual ~cCamera();

  cCamera(const cCamera&) = delete;
  cCamera& operator=(const cCamera&) = delete;

  // Binds the target, clears what the flags select, unbinds.
  void Clear(const cRenderTarget& target, const RwRGBA& colour, u8 clearColour, u8 clearDepth, u8 clearStencil);
  // The view window from the field of view (unless keepView), the target's
  // rasters bound and the engine update begun with back faces culled; null
  // (nothing begun) for a target without colour raster or of zero size.
  RwCamera* BeginUpdate(const cRenderTarget& target, u8 keepView);
  // Ends the engine update and unbinds both rasters.
  RwCamera* EndUpdate();
  // Ends the engine update, leaving the rasters bound (a frame interrupted).
  void EndUpdateOnly();
  // Begins the engine update on the rasters already bound.
  RwCamera* BeginUpdateOnly();
  // Appends a counted reference unless one to the object is already held.
  void AddRenderObject(cRenderObject* object);

  void SetClipPlanes(f32 nearClip, f32 farClip);
  void SetFieldOfView(f32 radians) { mFieldOfView = radians; }
  f32 GetFieldOfView() const { return mFieldOfView; }
  // Owned from then on: destroyed with the camera.
  void SetTexture(RwTexture* texture) { mTexture = texture; }
  RwTexture* GetTexture() const { return mTexture; }
  f32 GetZoom() const { return mZoom; }
  void SetZoom(f32 zoom) { mZoom = zoom; }

  RwCamera* GetCamera() const { return mCamera; }
  RwFrame* GetFrame() const { return mFrame; }
  cList& GetExtraList() { return mExtraList; }

 private:
  void BindRasters(RwRaster* colour, RwRaster* depth);

  RwCamera* mCamera;
  RwFrame* mFrame;
  cList mExtraList;
  f32 mZoom;
  u32 mReserved[2];
  RwTexture* mTexture;
  f32 mFieldOfView;  // radians
};
