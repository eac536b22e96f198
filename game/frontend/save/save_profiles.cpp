// The save-profile table and the file "save.dat", read and written field by
// field through the engine's file interface.
#include "game/frontend/save/save_profiles.h"

#include <cstring>

#include "engine/engine.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/native_path.h"
#include "platform/win/win32.h"

cSaveProfiles* gSaveProfiles = nullptr;

namespace {

// Offsets within a slot.
constexpr u32 kNameOffset = 0;
constexpr u32 kLevelIndexOffset = 12;
constexpr u32 kTotalOffset = 16;
constexpr u32 kLastTimeOffset = 20;
constexpr u32 kCountOffset = 24;
constexpr u32 kDifficultyOffset = 28;

constexpr DWORD kReplaceFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

void ClearSlot(tProfileSlot* slot) { *slot = tProfileSlot{}; }

void EncodeSlot(const tProfileSlot& slot, u8* bytes) {
  memcpy(bytes + kNameOffset, slot.name, kProfileNameSize);
  RwWriteLittleEndianUInt32(bytes + kLevelIndexOffset, slot.levelIndex);
  RwWriteLittleEndianUInt32(bytes + kTotalOffset, slot.total);
  RwWriteLittleEndianUInt32(bytes + kLastTimeOffset, slot.lastTime);
  RwWriteLittleEndianUInt32(bytes + kCountOffset, slot.count);
  RwWriteLittleEndianUInt32(bytes + kDifficultyOffset, slot.difficulty);
}

// False for a slot that would index past the menus' tables: an
// unterminated name, a level index above 4, a difficulty above 1.
bool DecodeSlot(const u8* bytes, tProfileSlot* slot) {
  const void* end = memchr(bytes + kNameOffset, '\0', kProfileNameSize);
  if (end == nullptr) {
    return false;
  }
  ClearSlot(slot);
  memcpy(slot->name, bytes + kNameOffset, static_cast<const u8*>(end) - (bytes + kNameOffset));
  slot->levelIndex = RwReadLittleEndianUInt32(bytes + kLevelIndexOffset);
  slot->total = RwReadLittleEndianUInt32(bytes + kTotalOffset);
  slot->lastTime = RwReadLittleEndianUInt32(bytes + kLastTimeOffset);
  slot->count = RwReadLittleEndianUInt32(bytes + kCountOffset);
  slot->difficulty = RwReadLittleEndianUInt32(bytes + kDifficultyOffset);
  return slot->levelIndex <= kProfileLastLevelIndex && slot->difficulty <= kProfileHardest;
}

}  // namespace

cSaveProfiles::cSaveProfiles() : mUsedCount(0), mCurrentSlot(0), mOverwritePending(0), mHard(0) {
  for (tProfileSlot& slot : mSlots) {
    ClearSlot(&slot);
  }
}

void cSaveProfiles::NewProfile(const char* name) {
  if (mUsedCount < kProfileSlotCount) {
    mCurrentSlot = mUsedCount;
    mUsedCount++;
  } else {
    mOverwritePending = 0;
  }
  if (mCurrentSlot >= kProfileSlotCount) {
    return;
  }
  tProfileSlot& slot = mSlots[mCurrentSlot];
  memset(slot.name, 0, kProfileNameSize);
  if (name != nullptr) {
    strncpy(slot.name, name, kProfileNameSize - 1);
  }
  slot.difficulty = mHard;
}

void cSaveProfiles::CountUsed() {
  mUsedCount = kProfileSlotCount;
  for (u32 i = 0; i < kProfileSlotCount; i++) {
    if (mSlots[i].name[0] == '\0') {
      mUsedCount = i;
      return;
    }
  }
}

const tProfileSlot& cSaveProfiles::GetCurrent() const {
  static const tProfileSlot kNoSlot = {};
  return mCurrentSlot < kProfileSlotCount ? mSlots[mCurrentSlot] : kNoSlot;
}

bool cSaveProfiles::CompleteLevel(u32 total, u32 seconds, u32 count) {
  if (mCurrentSlot >= kProfileSlotCount) {
    return Write();
  }
  tProfileSlot& slot = mSlots[mCurrentSlot];
  slot.total += total;
  slot.lastTime = seconds;
  slot.count += count;
  slot.levelIndex = slot.levelIndex >= kProfileLastLevelIndex ? 0 : slot.levelIndex + 1;
  return Write();
}

void cSaveProfiles::SetCurrentSlot(u32 slot) {
  if (slot >= kProfileSlotCount) {
    FatalError("cSaveProfiles : no slot %u", slot);
  }
  mCurrentSlot = slot;
}

void cSaveProfiles::Encode(u8* bytes) const {
  if (gGameOptions != nullptr) {
    gGameOptions->WriteStored(bytes);
  } else {
    cGameOptions defaults;
    defaults.WriteStored(bytes);
  }
  for (u32 i = 0; i < kProfileSlotCount; i++) {
    EncodeSlot(mSlots[i], bytes + kStoredOptionsSize + i * kProfileSlotSize);
  }
}

bool cSaveProfiles::Decode(const u8* bytes, u32 size) {
  if (size >= kStoredOptionsSize) {
    if (gGameOptions != nullptr) {
      gGameOptions->ReadStored(bytes);
    }
    u32 kept = 0;
    for (u32 i = 0; i < kProfileSlotCount; i++) {
      const u32 offset = kStoredOptionsSize + i * kProfileSlotSize;
      if (size < offset + kProfileSlotSize) {
        break;
      }
      tProfileSlot slot;
      if (DecodeSlot(bytes + offset, &slot) && slot.name[0] != '\0') {
        mSlots[kept++] = slot;
      }
    }
    for (u32 i = kept; i < kProfileSlotCount; i++) {
      ClearSlot(&mSlots[i]);
    }
  }
  CountUsed();
  return size >= kSaveFileSize;
}

bool cSaveProfiles::Write() const {
  if (RwEngineInstance == nullptr) {
    return false;
  }
  u8 bytes[kSaveFileSize];
  Encode(bytes);
  const RwFileFunctions* files = RwEngineGetFileInterface();
  void* handle = OpenNativeFile(kSaveTempFileName, "w+b");
  if (handle == nullptr) {
    return false;
  }
  bool written = files->rwfwrite(bytes, 1, kSaveFileSize, handle) == kSaveFileSize;
  if (files->rwfflush != nullptr && files->rwfflush(handle) != 0) {
    written = false;
  }
  if (files->rwfclose(handle) != 0) {
    written = false;
  }
  // Only a whole new file replaces the old one.
  if (!written) {
    return false;
  }
  char* from = MakeNativePath(kSaveTempFileName);
  char* to = MakeNativePath(kSaveFileName);
  const bool moved = from != nullptr && to != nullptr && MoveFileExA(from, to, kReplaceFlags) != FALSE;
  EngineFree(from);
  EngineFree(to);
  return moved;
}

bool cSaveProfiles::Read() {
  if (RwEngineInstance == nullptr) {
    return false;
  }
  void* handle = OpenNativeFile(kSaveFileName, "rb");
  if (handle == nullptr) {
    CountUsed();
    return false;
  }
  const RwFileFunctions* files = RwEngineGetFileInterface();
  u8 bytes[kSaveFileSize];
  u32 size = 0;
  if (files->rwfseek(handle, 0, 0) == 0) {
    size = static_cast<u32>(files->rwfread(bytes, 1, kSaveFileSize, handle));
  }
  files->rwfclose(handle);
  return Decode(bytes, size);
}
