// cWgMapView: construction, loading, the show operation and the render.
#include "game/frontend/map/wg_map_view.h"

#include <cmath>
#include <cstdio>

#include "game/app/frame_tick.h"
#include "game/app/input/input_map.h"
#include "game/app/screens/screen_stack.h"
#include "game/foundation/fatal_error.h"
#include "game/render/models/model_files.h"
#include "game/render/models/texture_files.h"

namespace {

const char* const kLoadTag = "cQXWorld::Load";
const char* const kConeTexture = "data/textures/cone";
const char* const kSecurityCameraTexture = "data/textures/seccam";
// Icon n is "data/textures/icon0" with its last character replaced by n.
const char* const kIconStem = "data/textures/icon";
// The list stops here at the latest.
constexpr u32 kMaxIconCount = 999;

constexpr f32 kPi = 3.14159265f;
constexpr f32 kDegreesPerRadian = 57.295776f;
constexpr f32 kReferenceWidth = 640.0f;
constexpr f32 kNearClip = 0.99f;
constexpr f32 kFarClipMargin = 0.1f;

const RwRGBA kBorderColour = {50, 127, 165, 255};
const RwRGBA kSecurityConeColour = {227, 89, 89, 128};
// Cone colours of men by alert stage: calm (and 1), 2, 3, 4.
const RwRGBA kConeCalm = {13, 153, 33, 128};
const RwRGBA kConeStage2 = {240, 229, 74, 128};
const RwRGBA kConeStage3 = {227, 89, 89, 128};
const RwRGBA kConeStage4 = {242, 2, 13, 128};

constexpr f32 kMarkerSize = 0.1f;
constexpr f32 kFullManMarkerSize = 0.05f;
constexpr f32 kFullManMarkerPixels = 32.0f;
constexpr f32 kFullDeviceMarkerPixels = 22.4f;
constexpr f32 kHudDeviceOffset = 0.95f;
constexpr f32 kFullDeviceOffset = 0.75f;
constexpr f32 kHudCameraSize = 0.12f;
constexpr f32 kFullCameraSize = 0.05f;
constexpr f32 kConeSize = 0.3f;
// A cone's centre lies this far (over the unit) ahead of its marker.
constexpr f32 kCameraConeReach = 11.0f;
constexpr f32 kManConeReach = 5.0f;

const RwV3d kViewAxis = {0.0f, 0.0f, 1.0f};
const RwV3d kPlanTiltAxis = {1.0f, 0.0f, 0.0f};
constexpr f32 kPlanTilt = -90.0f;

RwRGBA ConeColour(u32 stage) {
  switch (stage) {
    case 2:
      return kConeStage2;
    case 3:
      return kConeStage3;
    case 4:
      return kConeStage4;
    default:
      return kConeCalm;
  }
}

cSprite2D* NewMarker(f32 size, RwTexture* texture) {
  cSprite2D* marker = new cSprite2D(tSpriteSize{size, size});
  if (texture != nullptr) {
    marker->SetOverrideRaster(texture->raster, 1);
  }
  return marker;
}

// The screen stack's width: the chosen video mode.
f32 ScreenWidth() {
  const u32 width = gScreenStack != nullptr ? gScreenStack->GetTarget().GetSize().width : 0;
  return width > 0 ? static_cast<f32>(width) : kReferenceWidth;
}

RpAtomic* KeepFirstAtomic(RpAtomic* atomic, void* data) {
  *static_cast<RpAtomic**>(data) = atomic;
  return nullptr;
}

// The plan's first atomic's sphere in the plan's own coordinates (below its
// root frame).
bool PlanBounds(RpClump* plan, RwV3d* centre, f32* radius) {
  RpAtomic* first = nullptr;
  RpClumpForAllAtomics(plan, KeepFirstAtomic, &first);
  if (first == nullptr) {
    return false;
  }
  RpAtomicInterpolateBoundingSphere(first);
  RwV3d point = first->boundingSphere.center;
  const RwFrame* root = RpClumpGetFrame(plan);
  for (RwFrame* frame = RpAtomicGetFrame(first); frame != nullptr && frame != root; frame = RwFrameGetParent(frame)) {
    RwV3dTransformPoints(&point, &point, 1, RwFrameGetMatrix(frame));
  }
  *centre = point;
  *radius = first->boundingSphere.radius;
  return true;
}

}  // namespace

cWgMapView::cWgMapView(const tWgPlacement& placement, bool fullMap)
    : cWgHudWidget(placement),
      mWorld(nullptr),
      mEngineWorld(nullptr),
      mViewDistance(kMapHudViewDistance),
      mLastTime(GetTimeMs()),
      mBlinkAlpha(0),
      mBlinkStep(0),
      mBlinkRising(1),
      mPlan(nullptr),
      mPlayerTexture(nullptr),
      mCivilTexture(nullptr),
      mEnemyTexture(nullptr),
      mShown(fullMap ? 0 : 1),
      mFullMap(fullMap ? 1 : 0),
      mPlayerFrame(nullptr),
      mCentreFrame(nullptr),
      mOwnFrame(nullptr),
      mStickX(0.0f),
      mStickY(0.0f),
      mKeyX(0.0f),
      mKeyY(0.0f),
      mMoveX(0.0f),
      mMoveY(0.0f),
      mMapAngle(0.0f),
      mFlashIcon(-1),
      mStickDeadZone(kMapStickDeadZone),
      mScreenWidth(ScreenWidth()),
      mLastConeColour{0, 0, 0, 0},
      mPlacingCentre{0.0f, 0.0f, 0.0f} {
  if (fullMap) {
    mViewDistance = mScreenWidth * kMapFullUnitsPer640 / kReferenceWidth;
    mOwnFrame = RwFrameCreate();
  } else {
    const struct {
      f32 x, y, width, height;
    } borders[kMapBorderCount] = {{0.0f, 0.0f, 1.0f, 0.005f},
                                  {0.0f, 0.99f, 1.0f, 0.005f},
                                  {0.0f, 0.03f, 0.005f, 0.97f},
                                  {0.99f, 0.0f, 0.005f, 1.0f}};
    for (u32 i = 0; i < kMapBorderCount; i++) {
      SetSpriteRect(mBorder[i], borders[i].x, borders[i].y, borders[i].width, borders[i].height);
      SetSpriteColour(mBorder[i], kBorderColour);
    }
    // A V from the top corners to the centre: the player's field of view.
    const f32 turns[kMapViewLineCount] = {-kPi / 4.0f, kPi / 4.0f};
    const f32 xs[kMapViewLineCount] = {0.25f, 0.75f};
    for (u32 i = 0; i < kMapViewLineCount; i++) {
      mViewLines[i].SetSize(tSpriteSize{0.707f, 0.01f});
      mViewLines[i].SetPosition(RwV2d{xs[i], 0.25f}, 1);
      mViewLines[i].SetRotation(&turns[i]);
    }
  }
  mCamera.SetClipPlanes(kNearClip, mViewDistance + kFarClipMargin);
  mForward.SetTarget(this);
  mBackward.SetTarget(this);
  mLeft.SetTarget(this);
  mRight.SetTarget(this);
}

cWgMapView::~cWgMapView() {
  Release();
  if (mPlan != nullptr) {
    RpClumpDestroy(mPlan);
    mPlan = nullptr;
    DeleteSprites(&mManMarkers);
    DeleteSprites(&mDeviceMarkers);
    for (u32 i = 0; i < mIconTextures.GetCount(); i++) {
      RwTextureDestroy(GetIconTexture(i));
    }
    mIconTextures.SetCount(0);
    RwTexture* textures[] = {mPlayerTexture, mCivilTexture, mEnemyTexture};
    for (RwTexture* texture : textures) {
      if (texture != nullptr) {
        RwTextureDestroy(texture);
      }
    }
  }
  if (mOwnFrame != nullptr) {
    RwFrameDestroy(mOwnFrame);
  }
}

void cWgMapView::DeleteSprites(cPtrArray* sprites) {
  for (u32 i = 0; i < sprites->GetCount(); i++) {
    delete static_cast<cSprite2D*>(sprites->Get(i));
  }
  sprites->SetCount(0);
}

namespace {

// One marker a device, in the order the devices come; each device keeps
// the index of its marker.
void AddDeviceMarker(const tMapDevice& device, void* context) {
  cPtrArray* markers = static_cast<cPtrArray*>(context);
  const u32 index = markers->GetCount();
  markers->SetCount(index + 1);
  markers->Set(index, NewMarker(kMarkerSize, nullptr));
  if (device.marker != nullptr) {
    *device.marker = index;
  }
}

}  // namespace

void cWgMapView::Load(const cPropertyGroup* level, cMapWorld* world, const char* enemyTexture, const char* civilTexture,
                      const char* playerTexture) {
  mWorld = world;
  mEngineWorld = world->GetMapEngineWorld();
  if (mEngineWorld != nullptr) {
    RpWorldAddCamera(mEngineWorld, mCamera.GetCamera());
  }
  const cProperty* map = level->FindProperty(cString("MAP"));
  if (map == nullptr) {
    FatalPropertyNotFound(kLoadTag, level, "MAP");
  }
  if (mPlan != nullptr) {
    RpClumpDestroy(mPlan);
  }
  mPlan = LoadClumpFile(map->GetValue().CStr(), false, nullptr, true);
  const cProperty* angle = level->FindProperty(cString("MAP_ANGLE"));
  if (angle != nullptr) {
    mMapAngle = TextToF32(angle->GetValue());
  }
  mCone.SetTexture(kConeTexture);
  mCone.SetSize(tSpriteSize{1.0f, 0.01f});
  mSecurityCamera.SetTexture(kSecurityCameraTexture);
  mSecurityCamera.SetSize(tSpriteSize{1.0f, 0.01f});
  mPlayerTexture = ReadTexture(playerTexture, false);
  mCivilTexture = ReadTexture(civilTexture, false);
  mEnemyTexture = ReadTexture(enemyTexture, false);

  char name[64];
  for (u32 n = 1; n <= kMaxIconCount; n++) {
    std::snprintf(name, sizeof(name), "%s%u", kIconStem, n);
    RwTexture* icon = ReadTexture(name, false);
    if (icon == nullptr) {
      break;
    }
    mIconTextures.SetCount(n);
    mIconTextures.Set(n - 1, icon);
  }

  const u32 men = world->GetMapManCount();
  mManMarkers.SetCount(men);
  mManDrawn.Resize(men, 0);
  for (u32 i = 0; i < men; i++) {
    const tMapMan man = world->GetMapMan(i);
    RwTexture* texture = mEnemyTexture;
    if (i == 0) {
      texture = mPlayerTexture;
    } else if (man.kind == kMapManCivilian || man.kind == kMapManHologram) {
      texture = mCivilTexture;
    }
    mManMarkers.Set(i, NewMarker(mFullMap ? kFullManMarkerSize : kMarkerSize, texture));
  }
  mPlayerFrame = men > 0 ? world->GetMapMan(0).frame : nullptr;
  mCentreFrame = mFullMap ? mOwnFrame : mPlayerFrame;

  world->ForEachMapDevice(AddDeviceMarker, &mDeviceMarkers);
  mDeviceDrawn.Resize(mDeviceMarkers.GetCount(), 0);
}

void cWgMapView::Init(cInputMap* inputMap, f32 distance, s32 flashIcon) {
  mFlashIcon = flashIcon;
  if (!mFullMap) {
    if (distance != 0.0f) {
      mViewDistance = distance;
      mCamera.SetClipPlanes(kNearClip, distance + kFarClipMargin);
    }
    return;
  }
  mStickDeadZone = kMapStickDeadZone;
  if (inputMap != nullptr) {
    inputMap->BindHandler(&mForward);
    inputMap->BindHandler(&mBackward);
    inputMap->BindHandler(&mLeft);
    inputMap->BindHandler(&mRight);
    inputMap->BindHandler(&mQuitApp);
  }
}

void cWgMapView::Release() {
  RwCamera* camera = mCamera.GetCamera();
  if (mEngineWorld != nullptr && RwCameraGetWorld(camera) == mEngineWorld) {
    RpWorldRemoveCamera(mEngineWorld, camera);
  }
  mEngineWorld = nullptr;
}

void cWgMapView::SetVisible(bool shown) {
  mShown = shown ? 1 : 0;
  if (mFullMap && mPlayerFrame != nullptr && mOwnFrame != nullptr) {
    RwMatrix* modelling = RwFrameGetMatrix(mOwnFrame);
    *modelling = *RwFrameGetLTM(mPlayerFrame);
    RwMatrixOptimize(modelling, nullptr);
    RwFrameMarkDirty(mOwnFrame);
    RwMatrixOptimize(RwFrameGetLTM(mOwnFrame), nullptr);
  }
  mLastTime = GetTimeMs();
}

void cWgMapView::ResetMotion() { mStickX = mStickY = mKeyX = mKeyY = mMoveX = mMoveY = 0.0f; }

RwV2d cWgMapView::Project(const RwV3d& centre, const RwV3d& point) const {
  const f32 span = 2.0f * mViewDistance;
  return RwV2d{(centre.x - point.x) / span + 0.5f, (centre.z - point.z) / span + 0.5f};
}

f32 cWgMapView::Heading(RwFrame* frame) {
  const RwV3d& at = RwFrameGetLTM(frame)->at;
  return std::atan2(-at.z, at.x) + kPi / 2.0f;
}

bool cWgMapView::IsDrawable(const RwV2d& position) const {
  return position.x >= kMapDrawableMin && position.x <= kMapDrawableMax && position.y >= kMapDrawableMin &&
         position.y <= kMapDrawableMax;
}

RwTexture* cWgMapView::IconTexture(s32 icon) const {
  if (icon < 1 || static_cast<u32>(icon) > mIconTextures.GetCount()) {
    return nullptr;
  }
  return GetIconTexture(static_cast<u32>(icon) - 1);
}

void cWgMapView::StepBlink(u32 now) {
  mBlinkStep = static_cast<s32>((now - mLastTime) / kMapBlinkStepMs);
  mLastTime = now;
  if (mBlinkAlpha + mBlinkStep > kMapBlinkTop) {
    mBlinkRising = 0;
  }
  if (mBlinkAlpha - mBlinkStep < 0) {
    mBlinkRising = 1;
  }
  mBlinkAlpha += mBlinkRising ? mBlinkStep : -mBlinkStep;
  // A step longer than the whole range (a long frame) leaves the alpha at
  // the end it ran past.
  if (mBlinkAlpha > kMapBlinkTop) {
    mBlinkAlpha = kMapBlinkTop;
  } else if (mBlinkAlpha < 0) {
    mBlinkAlpha = 0;
  }
}

void cWgMapView::TurnCamera(f32 degrees) {
  RwFrame* frame = mCamera.GetFrame();
  RwFrameRotate(frame, &kViewAxis, degrees, kRwCombineReplace);
}

void cWgMapView::Pan() {
  mMoveX = 0.0f;
  mMoveY = 0.0f;
  if (mStickX == 1.0f || mKeyX == 1.0f) {
    mMoveX = 1.0f;
  }
  if (mStickX == -1.0f || mKeyX == -1.0f) {
    mMoveX = -1.0f;
  }
  if (mStickY == 1.0f || mKeyY == 1.0f) {
    mMoveY = 1.0f;
  }
  if (mStickY == -1.0f || mKeyY == -1.0f) {
    mMoveY = -1.0f;
  }
  RwV3d sphereCentre;
  f32 radius = 0.0f;
  if ((mMoveX != 0.0f || mMoveY != 0.0f) && mOwnFrame != nullptr && PlanBounds(mPlan, &sphereCentre, &radius)) {
    // The camera's right and up axes lie in the map's plane, whose x and y
    // are the ground's x and z: right pans sideways, up to the map's top.
    const RwMatrix* turn = RwFrameGetMatrix(mCamera.GetFrame());
    RwV3d move = {mMoveX * turn->right.x + mMoveY * turn->up.x, 0.0f, mMoveX * turn->right.y + mMoveY * turn->up.y};
    const RwV3d centre = RwFrameGetLTM(mOwnFrame)->pos;
    const f32 reach = kMapPanBound * radius;
    if ((move.x > 0.0f && centre.x > sphereCentre.x + reach) || (move.x < 0.0f && centre.x < sphereCentre.x - reach)) {
      move.x = 0.0f;
    }
    if ((move.z > 0.0f && centre.z > sphereCentre.z + reach) || (move.z < 0.0f && centre.z < sphereCentre.z - reach)) {
      move.z = 0.0f;
    }
    RwFrameTranslate(mOwnFrame, &move, kRwCombinePostConcat);
  }
  mStickX = mStickY = mMoveX = mMoveY = 0.0f;
}

void cWgMapView::PlaceManMarkers(const RwV3d& centre) {
  const u32 count = mManMarkers.GetCount();
  for (u32 i = 0; i < count && i < mWorld->GetMapManCount(); i++) {
    mManDrawn.GetData()[i] = 0;
    const tMapMan man = mWorld->GetMapMan(i);
    if ((i == 0 && !mFullMap) || !man.present || man.frame == nullptr) {
      continue;
    }
    cSprite2D* marker = static_cast<cSprite2D*>(mManMarkers.Get(i));
    const RwV2d position = Project(centre, RwFrameGetLTM(man.frame)->pos);
    marker->SetPosition(position, 1);
    if (!IsDrawable(position)) {
      continue;
    }
    const f32 heading = Heading(man.frame);
    marker->SetRotation(&heading);
    if (mFullMap) {
      const f32 size = kFullManMarkerPixels / mScreenWidth;
      marker->SetSize(tSpriteSize{size, size});
    }
    // What each kind shows: the player only on the full map, the others
    // only on the HUD map, the double on both.
    const bool shows = man.kind == kMapManHologram || (man.kind == kMapManPlayer) == (mFullMap != 0);
    mManDrawn.GetData()[i] = shows ? 1 : 0;
  }
}

void cWgMapView::PlaceDeviceMarkers(const RwV3d& centre) {
  for (u32 i = 0; i < mDeviceDrawn.GetCount(); i++) {
    mDeviceDrawn.GetData()[i] = 0;
  }
  struct tVisit {
    static void Place(const tMapDevice& device, void* context) {
      cWgMapView* view = static_cast<cWgMapView*>(context);
      view->PlaceDeviceMarker(device);
    }
  };
  mPlacingCentre = centre;
  mWorld->ForEachMapDevice(tVisit::Place, this);
}

void cWgMapView::PlaceDeviceMarker(const tMapDevice& device) {
  if (device.icon == 0 || device.marker == nullptr || *device.marker >= mDeviceMarkers.GetCount() ||
      device.frame == nullptr) {
    return;
  }
  const u32 index = *device.marker;
  cSprite2D* marker = static_cast<cSprite2D*>(mDeviceMarkers.Get(index));
  const RwTexture* texture = IconTexture(device.icon);
  if (texture == nullptr) {
    return;  // an icon beyond the textures loaded has no picture
  }
  marker->SetOverrideRaster(texture->raster, 1);
  if (device.icon == mFlashIcon) {
    marker->SetColour(255, 255, 255, static_cast<u8>(mBlinkAlpha));
  } else {
    marker->SetColour(255, 255, 255, 255);
  }
  const RwMatrix* ltm = RwFrameGetLTM(device.frame);
  RwV3d at = ltm->at;
  if (!device.stateFlag) {
    at = RwV3d{-at.x, -at.y, -at.z};
  }
  const f32 k = mFullMap ? kFullDeviceOffset : kHudDeviceOffset;
  const RwV3d point = {ltm->pos.x - k * at.x, ltm->pos.y - k * at.y, ltm->pos.z - k * at.z};
  const RwV2d position = Project(mPlacingCentre, point);
  marker->SetPosition(position, 1);
  if (!IsDrawable(position)) {
    return;
  }
  const f32 rotation = kPi / 2.0f - std::atan2(-at.z, at.x);
  marker->SetRotation(&rotation);
  if (mFullMap) {
    const f32 size = kFullDeviceMarkerPixels / mScreenWidth;
    marker->SetSize(tSpriteSize{size, size});
  }
  mDeviceDrawn.GetData()[index] = 1;
}

void cWgMapView::Render() {
  if (!mShown) {
    return;
  }
  const u32 now = GetTimeMs();
  StepBlink(now);
  if (mPlan == nullptr || mWorld == nullptr || mCentreFrame == nullptr) {
    return;
  }
  const RwV3d centre = RwFrameGetLTM(mCentreFrame)->pos;
  if (!mFullMap) {
    TurnCamera(-Heading(mCentreFrame) * kDegreesPerRadian);
  } else {
    if (mMapAngle != 0.0f) {
      TurnCamera(mMapAngle);
    }
    Pan();
  }
  // The plan's ground (x, z) on the view plane, its height as depth.
  RwFrame* plan = RpClumpGetFrame(mPlan);
  const RwV3d shift = {-centre.x, -centre.z, mViewDistance};
  RwFrameTranslate(plan, &shift, kRwCombineReplace);
  const f32 scale = mFullMap ? kReferenceWidth / (mScreenWidth * kMapFullUnitsPer640) : 1.0f / mViewDistance;
  const RwV3d scales = {scale, scale, 1.0f};
  RwFrameScale(plan, &scales, kRwCombinePostConcat);
  RwFrameRotate(plan, &kPlanTiltAxis, kPlanTilt, kRwCombinePreConcat);
  PlaceManMarkers(centre);
  PlaceDeviceMarkers(centre);
  mLastTime = now;

  // Sprites lie on the plane z = 1, where both projections agree, so that
  // everything is drawn in the plan's parallel projection.
  RwCamera* camera = mCamera.GetCamera();
  RwCameraSetProjection(camera, kRwCameraParallel);
  if (BeginDraw()) {
    const RwRGBA none = {0, 0, 0, 0};
    RwCameraClear(camera, &none, kRwCameraClearZ | kRwCameraClearStencil);
    RpClumpRender(mPlan);
    DrawSecurityCameras(centre);
    DrawMen();
    DrawDevices();
    EndDraw();
  }
  RwCameraSetProjection(camera, kRwCameraPerspective);
  if (!mFullMap) {
    DrawFrame();
  }
}

void cWgMapView::DrawCone(const cSprite2D& under, f32 rotation, f32 reach, const RwRGBA& colour) {
  RwV2d position;
  under.GetPosition(&position);
  mCone.SetPosition(RwV2d{position.x - std::sin(rotation) / reach, position.y - std::cos(rotation) / reach}, 1);
  mCone.SetSize(tSpriteSize{kConeSize, kConeSize});
  mCone.SetRotation(&rotation);
  SetSpriteColour(mCone, colour);
  mLastConeColour = colour;
  mCone.Render();
}

void cWgMapView::DrawSecurityCameras(const RwV3d& centre) {
  struct tVisit {
    static void Draw(const tMapCamera& camera, void* context) {
      static_cast<cWgMapView*>(context)->DrawSecurityCamera(camera);
    }
  };
  mPlacingCentre = centre;
  mWorld->ForEachMapCamera(tVisit::Draw, this);
}

void cWgMapView::DrawSecurityCamera(const tMapCamera& camera) {
  if (camera.frame == nullptr) {
    return;
  }
  const RwV2d position = Project(mPlacingCentre, RwFrameGetLTM(camera.frame)->pos);
  mSecurityCamera.SetPosition(position, 1);
  if (!IsDrawable(position)) {
    return;
  }
  const f32 rotation = Heading(camera.frame);
  const f32 size = mFullMap ? kFullCameraSize : kHudCameraSize;
  mSecurityCamera.SetRotation(&rotation);
  mSecurityCamera.SetSize(tSpriteSize{size, size});
  mSecurityCamera.Render();
  if (!mFullMap && camera.active) {
    DrawCone(mSecurityCamera, rotation, kCameraConeReach, kSecurityConeColour);
  }
}

void cWgMapView::DrawMen() {
  for (u32 i = 0; i < mManMarkers.GetCount() && i < mWorld->GetMapManCount(); i++) {
    if (mManDrawn.GetData()[i] == 0) {
      continue;
    }
    cSprite2D* marker = static_cast<cSprite2D*>(mManMarkers.Get(i));
    marker->Render();
    const tMapMan man = mWorld->GetMapMan(i);
    if (man.kind == kMapManGuard || man.kind == kMapManCivilian) {
      DrawCone(*marker, *marker->GetRotation(), kManConeReach, ConeColour(man.alertStage));
    }
  }
}

void cWgMapView::DrawDevices() {
  for (u32 i = 0; i < mDeviceMarkers.GetCount(); i++) {
    if (mDeviceDrawn.GetData()[i] != 0) {
      static_cast<cSprite2D*>(mDeviceMarkers.Get(i))->Render();
    }
  }
}

// The border and the view lines stay put while the plan turns under them.
void cWgMapView::DrawFrame() {
  RwFrameSetIdentity(mCamera.GetFrame());
  if (!BeginDraw()) {
    return;
  }
  for (cSprite2D& border : mBorder) {
    border.Render();
  }
  for (cSprite2D& line : mViewLines) {
    line.Render();
  }
  EndDraw();
}
