// cImplant: the table of the seven implants and the "implants" settings.
#include "game/characters/implants/implant.h"

#include <string>

#include "game/foundation/property.h"
#include "game/frontend/save/game_options.h"
#include "game/render/twin_timer.h"
#include "game/world/qx_world.h"

namespace {

struct tImplantDefaults {
  const char* prefix;
  const char* hudName;
  f32 cost;      // a use, or a second for Ultra and the shield
  f32 duration;  // seconds
  u32 triggerId;
};

const tImplantDefaults kDefaults[kImplantIndexCount] = {
    {"LASER", "Laser", 0.2f, 3.0f, 2},      {"EDS", "EDS", 0.2f, 3.0f, 3},    {"TASER", "Shock", 0.1f, 0.0f, 0},
    {"HOLOGRAM", "Holo", 0.2f, 3.0f, 0},    {"DART", "Dart", 0.2f, 30.0f, 0}, {"ULTRA", "Ultra", 0.03f, 30.0f, 0},
    {"MAGNETIC", "Shield", 0.02f, 8.0f, 0},
};

}  // namespace

const char* ImplantHudName(u32 index) { return index < kImplantIndexCount ? kDefaults[index].hudName : nullptr; }

const char* ImplantKeyPrefix(u32 index) { return index < kImplantIndexCount ? kDefaults[index].prefix : nullptr; }

u32 ImplantTriggerId(u32 index) { return index < kImplantIndexCount ? kDefaults[index].triggerId : 0; }

void StartImplantFeedback(cQXWorld* world, f32 seconds) {
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && world != nullptr && world->GetTwinTimer() != nullptr) {
    world->GetTwinTimer()->StartFirst(seconds);
  }
}

cImplant::cImplant()
    : mWorld(nullptr),
      mIndex(0),
      mShotCount(-1),
      mDuration(0.0f),
      mCost(0.0f),
      mProgress(0.0f),
      mTriggerId(0),
      mBlocked(0),
      mMessages(nullptr),
      mMessageCount(0) {}

cImplant::~cImplant() { delete[] mMessages; }

void cImplant::Setup(u32 index) {
  const tImplantDefaults& defaults = kDefaults[index < kImplantIndexCount ? index : 0];
  mIndex = index < kImplantIndexCount ? index : 0;
  mCost = defaults.cost;
  mDuration = defaults.duration;
  mShotCount = mIndex == kImplantIndexDart ? kDartShots : -1;
  mProgress = 0.0f;
  mBlocked = 0;
  mTriggerId = defaults.triggerId;
  delete[] mMessages;
  mMessageCount = kImplantIndexCount;
  mMessages = new s32[mMessageCount];
  for (u32 i = 0; i < mMessageCount; i++) {
    mMessages[i] = kImplantNoMessage;
  }
}

void cImplant::Init(cQXWorld* world) {
  mWorld = world;
  const cPropertyFile* config = world != nullptr ? world->GetConfig() : nullptr;
  const cPropertyGroup* group = config != nullptr ? config->FindGroup(cString("implants")) : nullptr;
  if (group == nullptr) {
    return;
  }
  const std::string prefix = kDefaults[mIndex].prefix;
  if (const cProperty* energy = group->FindProperty(cString((prefix + "_ENERGY").c_str()))) {
    mCost = TextToF32(energy->GetValue());
  }
  if (const cProperty* message = group->FindProperty(cString((prefix + "_MESSAGE").c_str()))) {
    // Counted from 1 in the file; 0 or less becomes no message.
    mMessages[mIndex] = TextToIndex(message->GetValue());
  }
}
