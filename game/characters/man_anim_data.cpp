// The men's shared animation table: reading "animdata", loading the used
// slots, and releasing them with the level.
#include "game/characters/man_anim_data.h"

#include "game/foundation/fatal_error.h"

namespace {

const char* const kGroupTag = "cManAnimData : group not found in file (AnimData)";
const char* const kAnmTag = "cManAnimData::LoadAnims: property not found (ANM)";

// The bracketed list of the key; fatal with tag when the key is missing.
u32 RequiredList(const cPropertyGroup* group, const char* key, const char* tag, cString* list) {
  const cProperty* property = group->FindProperty(cString(key));
  if (property == nullptr) {
    FatalPropertyNotFound(tag, group, key);
  }
  return property->GetStringFatal().FindArray(list, '[', ']');
}

// The next element of the list as a foot time; kNoFootTime once the list
// has run out.
f32 NextFootTime(cString* list, u32* left) {
  if (*left == 0) {
    return kNoFootTime;
  }
  (*left)--;
  cString element;
  list->SliceNextElement(&element);
  element.TrimLeft();
  element.TrimRight();
  return TextToF32(element);
}

}  // namespace

void cUsedAnimList::Allocate(u32 count) {
  delete[] mSlots;
  mSlots = count != 0 ? new u32[count] : nullptr;
  mCount = count;
}

cManAnimData::cManAnimData() {
  for (u32 slot = 0; slot < kManAnimCount; slot++) {
    mUsed[slot] = 0;
    mLeftFoot[slot] = kNoFootTime;
    mRightFoot[slot] = kNoFootTime;
  }
}

void cManAnimData::LoadAnims(const cPropertyFile* file) {
  const cPropertyGroup* group = file->FindGroup(cString("animdata"));
  if (group == nullptr) {
    FatalGroupNotFound(kGroupTag, file, "animdata");
  }
  cString path;
  if (const cProperty* property = group->FindProperty(cString("PATH"))) {
    path = property->GetStringFatal();
    path.TrimLeft();
    path.TrimRight();
  }
  cString names;
  if (RequiredList(group, "ANM", kAnmTag, &names) != kManAnimCount) {
    FatalInGroup(group, "Animation Number doesn't match with enum!!!");
  }
  cString lefts;
  cString rights;
  u32 leftCount = RequiredList(group, "LEFT_FOOT_TOUCH", "LEFT_FOOT_TOUCH", &lefts);
  u32 rightCount = RequiredList(group, "RIGHT_FOOT_TOUCH", "RIGHT_FOOT_TOUCH", &rights);
  if (mSlots.GetCount() != kManAnimCount) {
    mSlots.Allocate(kManAnimCount);
  }
  for (u32 slot = 0; slot < kManAnimCount; slot++) {
    cString name;
    names.SliceNextElement(&name);
    name.TrimLeft();
    name.TrimRight();
    const f32 left = NextFootTime(&lefts, &leftCount);
    const f32 right = NextFootTime(&rights, &rightCount);
    if (!IsUsed(slot)) {
      continue;
    }
    // A second load replaces what the slot held.
    const u32 used = mUsed[slot];
    ReleaseSlot(slot);
    mUsed[slot] = used;
    mLeftFoot[slot] = left;
    mRightFoot[slot] = right;
    const cString file = path + name + cString(".anm");
    RtAnimAnimation* animation = LoadAnimation(file.CStr());
    if (animation == nullptr) {
      DebugTrace("cManAnimData::LoadAnims : cannot read %s\n", file.CStr());
      continue;
    }
    if (slot == kManAnimHitFront || slot == kManAnimHitBack) {
      RtAnimAnimationMakeRelative(animation, kManNodeCount, 0.0f);
    }
    mSlots[slot].animation = animation;
  }
}

void cManAnimData::ReleaseSlot(u32 slot) {
  if (slot < mSlots.GetCount()) {
    tAnimSlot& entry = mSlots[slot];
    if (entry.animation != nullptr) {
      RtAnimAnimationDestroy(entry.animation);
    }
    entry.animation = nullptr;
    entry.rootKeys.Allocate(0);
    entry.rootVelocity = RwV3d{0.0f, 0.0f, 0.0f};
  }
  mUsed[slot] = 0;
  mLeftFoot[slot] = kNoFootTime;
  mRightFoot[slot] = kNoFootTime;
}

void cManAnimData::ReleaseAnims() {
  for (u32 slot = 0; slot < kManAnimCount; slot++) {
    if (IsUsed(slot)) {
      ReleaseSlot(slot);
    }
  }
  mSlots.Release();
}

cManAnimData& ManAnimData() {
  static cManAnimData data;
  return data;
}
