// The map view: the level's plan drawn from above through its own camera in
// parallel projection, with markers for the security cameras, the men and
// the usable devices' icons. The HUD map turns with the player and centres
// on him; the full map of the info view pans under the map keys.
#pragma once

#include "engine/engine.h"
#include "game/app/input/quit_app_action.h"
#include "game/foundation/array.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"
#include "game/frontend/hud/hud_widget.h"
#include "game/frontend/map/map_actions.h"
#include "game/frontend/map/map_world.h"

class cInputMap;

constexpr f32 kMapHudViewDistance = 10.0f;
// The full map shows this many world units per 640 pixels of screen width.
constexpr f32 kMapFullUnitsPer640 = 30.0f;
constexpr f32 kMapStickDeadZone = 0.3f;
// The blink's alpha runs between 0 and this, a step every 3 ms.
constexpr s32 kMapBlinkTop = 250;
constexpr u32 kMapBlinkStepMs = 3;
// The full map's centre stays within this share of the plan's radius.
constexpr f32 kMapPanBound = 0.7f;
// Markers further out than this (in widget fractions) are not drawn.
constexpr f32 kMapDrawableMin = -0.5f;
constexpr f32 kMapDrawableMax = 1.5f;
constexpr u32 kMapBorderCount = 4;
constexpr u32 kMapViewLineCount = 2;

class cWgMapView : public cWgHudWidget {
 public:
  cWgMapView(const tWgPlacement& placement, bool fullMap);
  // Frees the plan, the markers and the textures when a plan was loaded.
  ~cWgMapView() override;

  // The plan of the level group's MAP (fatal when absent or missing), the
  // optional MAP_ANGLE, the marker sprites of the men and the devices, the
  // icon textures "data/textures/icon1", "icon2", ... up to the first
  // missing one. The map camera joins the level's engine world.
  void Load(const cPropertyGroup* level, cMapWorld* world, const char* enemyTexture, const char* civilTexture,
            const char* playerTexture);
  // The flash icon; the HUD map takes a distance other than 0 as its view
  // distance; the full map binds its five keys in the input map.
  void Init(cInputMap* inputMap, f32 distance, s32 flashIcon);
  // The map camera out of the engine world.
  void Release();
  // The show operation: the shown flag; the full map recentres on the
  // player; the blink's clock restarts.
  void SetVisible(bool shown);
  // All six motion rates 0.
  void ResetMotion();
  void Render() override;

  // Motion rates of the full map (-1, 0 or 1), set by the map keys.
  void SetKeyX(f32 rate) { mKeyX = rate; }
  void SetKeyY(f32 rate) { mKeyY = rate; }
  void SetStickX(f32 rate) { mStickX = rate; }
  void SetStickY(f32 rate) { mStickY = rate; }
  f32 GetStickDeadZone() const { return mStickDeadZone; }

  // The widget fractions of a world point on the map centred at centre.
  RwV2d Project(const RwV3d& centre, const RwV3d& point) const;
  // Radians: 0 facing +z, turning towards +x.
  static f32 Heading(RwFrame* frame);

  bool IsFullMap() const { return mFullMap != 0; }
  bool IsShown() const { return mShown != 0; }
  f32 GetViewDistance() const { return mViewDistance; }
  f32 GetMapAngle() const { return mMapAngle; }
  s32 GetFlashIcon() const { return mFlashIcon; }
  s32 GetBlinkAlpha() const { return mBlinkAlpha; }
  u32 GetIconCount() const { return mIconTextures.GetCount(); }
  RwTexture* GetIconTexture(u32 index) const { return static_cast<RwTexture*>(mIconTextures.Get(index)); }
  RpClump* GetPlan() const { return mPlan; }
  RwFrame* GetCentreFrame() const { return mCentreFrame; }
  cCamera& GetMapCamera() { return mCamera; }
  // The markers as the last render placed them, and whether it drew them.
  u32 GetManMarkerCount() const { return mManMarkers.GetCount(); }
  const cSprite2D* GetManMarker(u32 index) const { return static_cast<const cSprite2D*>(mManMarkers.Get(index)); }
  bool IsManMarkerDrawn(u32 index) const { return mManDrawn.GetData()[index] != 0; }
  u32 GetDeviceMarkerCount() const { return mDeviceMarkers.GetCount(); }
  const cSprite2D* GetDeviceMarker(u32 index) const { return static_cast<const cSprite2D*>(mDeviceMarkers.Get(index)); }
  bool IsDeviceMarkerDrawn(u32 index) const { return mDeviceDrawn.GetData()[index] != 0; }
  // The colour of the last cone drawn.
  RwRGBA GetLastConeColour() const { return mLastConeColour; }

 private:
  // The blink's alpha moved by the time since the last render.
  void StepBlink(u32 now);
  // The full map's centre moved by the rates, within the plan's bounds.
  void Pan();
  void PlaceManMarkers(const RwV3d& centre);
  void PlaceDeviceMarkers(const RwV3d& centre);
  void PlaceDeviceMarker(const tMapDevice& device);
  void DrawSecurityCameras(const RwV3d& centre);
  void DrawSecurityCamera(const tMapCamera& camera);
  void DrawMen();
  void DrawDevices();
  void DrawFrame();
  // The cone sprite ahead of the marker by the unit over reach.
  void DrawCone(const cSprite2D& under, f32 rotation, f32 reach, const RwRGBA& colour);
  // The camera frame's matrix: a turn about its view axis, degrees.
  void TurnCamera(f32 degrees);
  bool IsDrawable(const RwV2d& position) const;
  void DeleteSprites(cPtrArray* sprites);
  // The icon texture of an icon number; null for 0 or beyond the list.
  RwTexture* IconTexture(s32 icon) const;

  cMapWorld* mWorld;
  RpWorld* mEngineWorld;
  f32 mViewDistance;  // half the shown width, world units
  u32 mLastTime;      // ms
  s32 mBlinkAlpha;
  s32 mBlinkStep;
  u8 mBlinkRising;
  RpClump* mPlan;
  cPtrArray mManMarkers;     // cSprite2D, one a man
  cByteArray mManDrawn;      // one a man marker
  cPtrArray mDeviceMarkers;  // cSprite2D, one a usable device at load
  cByteArray mDeviceDrawn;
  cPtrArray mIconTextures;  // RwTexture, icon n at n - 1
  RwTexture* mPlayerTexture;
  RwTexture* mCivilTexture;
  RwTexture* mEnemyTexture;
  cSprite2D mBorder[kMapBorderCount];
  cSprite2D mViewLines[kMapViewLineCount];
  cSprite2D mCone;
  cSprite2D mSecurityCamera;
  u8 mShown;
  u8 mFullMap;
  RwFrame* mPlayerFrame;
  RwFrame* mCentreFrame;
  RwFrame* mOwnFrame;  // full map only
  f32 mStickX;
  f32 mStickY;
  f32 mKeyX;
  f32 mKeyY;
  f32 mMoveX;
  f32 mMoveY;
  f32 mMapAngle;  // degrees
  s32 mFlashIcon;
  f32 mStickDeadZone;
  f32 mScreenWidth;  // pixels, at construction
  RwRGBA mLastConeColour;
  RwV3d mPlacingCentre;  // the centre of the render under way
  cMapAction_Forward mForward;
  cMapAction_Backward mBackward;
  cMapAction_Left mLeft;
  cMapAction_Right mRight;
  cMapAction_QuitApp mQuitApp;
};
