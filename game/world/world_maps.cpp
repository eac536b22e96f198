// cQXWorld's map views: the HUD map and the full map, built with the HUD,
// loaded at load step 12 and shown with the HUD and the info view; and the
// level as the maps read it (men, usable devices, security cameras).
#include "game/app/screens/screen_stack.h"
#include "game/characters/dorva_holo_man.h"
#include "game/characters/man.h"
#include "game/frontend/map/wg_map_view.h"
#include "game/render/collision/world_collision.h"
#include "game/render/record_array.h"
#include "game/world/devices/device.h"
#include "game/world/devices/device_passes.h"
#include "game/world/qx_world.h"
#include "game/world/sensors/sensor_kinds.h"

namespace {

const char* const kLoadTag = "cQXWorld::Load";
const char* const kEnemyTexture = "data/textures/enemy";
const char* const kCivilTexture = "data/textures/civil";
const char* const kPlayerTexture = "data/textures/dorvaman";
constexpr s32 kDefaultFlashIcon = 1;

// The HUD map: 150 pixels square, 9 from the top right corner. The full
// map: a share of the screen width, centred.
constexpr s32 kHudMapInset = 9;
constexpr s32 kHudMapSize = 150;
constexpr s32 kFullMapX = -15;
constexpr s32 kFullMapY = -5;
constexpr s32 kFullMapWidth = 439;
constexpr s32 kFullMapHeight = 305;
constexpr s32 kReferenceWidth = 640;

tWgPlacement MapPixels(s32 x, s32 y, s32 width, s32 height, u8 right, u8 centre) {
  const u32 rect[4] = {static_cast<u32>(x), static_cast<u32>(y), static_cast<u32>(width), static_cast<u32>(height)};
  return tWgPlacement(rect, right, 0, centre, centre);
}

}  // namespace

// The level as the map views read it. A device's marker index is its place
// in the devices met at load, kept here.
class cWorldMapSource : public cMapWorld {
 public:
  explicit cWorldMapSource(cQXWorld* world) : mWorld(world) {}

  RpWorld* GetMapEngineWorld() override { return mWorld->GetEngineWorld(); }
  u32 GetMapManCount() override { return mWorld->GetMen().GetCount(); }
  tMapMan GetMapMan(u32 index) override {
    const cMan* man = static_cast<const cMan*>(mWorld->GetMen().Get(index));
    tMapMan record = {man->GetFrame(), man->GetKind(), true, man->GetAlertStage()};
    if (record.kind == kManKindHologram) {
      record.present = static_cast<const cDorvaHoloMan*>(man)->IsVisible() != 0;
    } else if (record.kind == kManKindGuard || record.kind == kManKindCivilian) {
      record.present = man->IsAlarmReady();  // alive
    }
    return record;
  }
  void ForEachMapDevice(tDeviceVisit visit, void* context) override {
    cList& devices = mWorld->GetUsableDevices();
    for (cListNode* node = devices.First(); node != nullptr; node = cList::Next(node)) {
      cDevice* device = cDevice::FromLink(node);
      const tMapDevice record = {device->GetFrame(), device->GetIcon(), device->IsOtherSide(), MarkerOf(device)};
      visit(record, context);
    }
  }
  void ForEachMapCamera(tCameraVisit visit, void* context) override {
    ForEachClone<cSecurityCamera>(mWorld->GetObjectSets(kSetSecurityCameras), [&](cSecurityCamera* camera) {
      visit(tMapCamera{camera->GetFrame(), camera->GetState() != kSensorInactive}, context);
    });
  }

 private:
  // The device's marker slot, a new one for a device not met before.
  u32* MarkerOf(cDevice* device) {
    for (u32 i = 0; i < mDevices.GetCount(); i++) {
      if (mDevices.Get(i) == device) {
        return &mMarkers[i];
      }
    }
    const u32 index = mDevices.GetCount();
    mDevices.SetCount(index + 1);
    mDevices.Set(index, device);
    mMarkers.Resize(index + 1, 0);
    return &mMarkers[index];
  }

  cQXWorld* mWorld;
  cPtrArray mDevices;
  cRecordArray<u32> mMarkers;
};

void cQXWorld::CreateMapViews() {
  if (mHudMap != nullptr) {
    return;
  }
  const s32 w = gScreenStack != nullptr ? static_cast<s32>(gScreenStack->GetTarget().GetSize().width) : 0;
  mHudMap = new cWgMapView(MapPixels(kHudMapInset, kHudMapInset, kHudMapSize, kHudMapSize, 1, 0), false);
  mFullMap = new cWgMapView(MapPixels(w * kFullMapX / kReferenceWidth, w * kFullMapY / kReferenceWidth,
                                      w * kFullMapWidth / kReferenceWidth, w * kFullMapHeight / kReferenceWidth, 0, 1),
                            true);
}

void cQXWorld::LoadMapViews() {
  CreateMapViews();
  const cPropertyGroup* level = FindLevelGroup(kLoadTag);
  const cProperty* distance = level->FindProperty(cString("MAPDIST"));
  const cProperty* flash = level->FindProperty(cString("FLASHICON"));
  const f32 mapDistance = distance != nullptr ? TextToF32(distance->GetValue()) : 0.0f;
  const s32 flashIcon = flash != nullptr ? TextToS32(flash->GetValue()) : kDefaultFlashIcon;
  if (mMapSource == nullptr) {
    mMapSource = new cWorldMapSource(this);
  }
  mHudMap->Load(level, mMapSource, kEnemyTexture, kCivilTexture, kPlayerTexture);
  mHudMap->Init(&mInfoInputMap, mapDistance, flashIcon);
  mFullMap->Load(level, mMapSource, kEnemyTexture, kCivilTexture, kPlayerTexture);
  mFullMap->Init(&mInfoInputMap, 0.0f, flashIcon);
}

void cQXWorld::ReleaseMapViews() {
  if (mHudMap != nullptr) {
    mHudMap->Release();
    mFullMap->Release();
  }
}

void cQXWorld::DeleteMapViews() {
  delete mHudMap;
  delete mFullMap;
  delete mMapSource;
  mHudMap = nullptr;
  mFullMap = nullptr;
  mMapSource = nullptr;
}

void cQXWorld::ShowFullMap(bool shown) {
  if (mFullMap != nullptr) {
    mFullMap->SetVisible(shown);
  }
}

void cQXWorld::ShowHudMap(bool shown) {
  if (mHudMap != nullptr) {
    mHudMap->SetVisible(shown);
  }
}

void cQXWorld::ResetMapMotion() {
  if (mFullMap != nullptr) {
    mFullMap->ResetMotion();
  }
}
