// Plain growable arrays whose storage comes from operator new.
#pragma once

#include "engine/engine.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"

// Array of pointer-sized elements (pointers, or ids stored as pointers).
class cPtrArray {
 public:
  cPtrArray() : mData(nullptr), mCount(0) {}
  cPtrArray(const cPtrArray& other);
  ~cPtrArray();

  // New storage when the counts differ, then every element copied.
  cPtrArray& operator=(const cPtrArray& other);
  // Elements first .. first + count - 1 (clamped to the array) become value.
  void Fill(u32 first, u32 count, void* value);
  // New storage for count elements, the first min(old, new) kept; further
  // elements are null.
  void SetCount(u32 count);

  void* Get(u32 index) const { return mData[index]; }
  void Set(u32 index, void* value) { mData[index] = value; }
  void** GetData() const { return mData; }
  u32 GetCount() const { return mCount; }

 private:
  void** mData;
  u32 mCount;
};

class cByteArray {
 public:
  cByteArray() : mData(nullptr), mCount(0) {}
  ~cByteArray();

  cByteArray(const cByteArray&) = delete;
  cByteArray& operator=(const cByteArray&) = delete;

  // New storage of count bytes, the first min(old, new) kept, new bytes fill.
  void Resize(u32 count, u8 fill);

  u8* GetData() const { return mData; }
  u32 GetCount() const { return mCount; }

 private:
  u8* mData;
  u32 mCount;
};

class cStringArray {
 public:
  cStringArray() : mData(nullptr), mCount(0) {}
  ~cStringArray();

  cStringArray(const cStringArray&) = delete;
  cStringArray& operator=(const cStringArray&) = delete;

  // count empty strings (none for 0); the former strings are released.
  void Allocate(u32 count);

  cString& operator[](u32 index) { return mData[index]; }
  const cString& operator[](u32 index) const { return mData[index]; }
  u32 GetCount() const { return mCount; }

 private:
  cString* mData;
  u32 mCount;
};

// A root-motion key of an animation: position and time.
struct tRootKey {
  f32 x;
  f32 y;
  f32 z;
  f32 time;
};

class cRootKeyArray {
 public:
  cRootKeyArray() : mData(nullptr), mCount(0) {}
  ~cRootKeyArray() { delete[] mData; }

  cRootKeyArray(const cRootKeyArray&) = delete;
  cRootKeyArray& operator=(const cRootKeyArray&) = delete;

  // count keys, not set (none for 0); former keys are released.
  void Allocate(u32 count);

  tRootKey& operator[](u32 index) { return mData[index]; }
  const tRootKey& operator[](u32 index) const { return mData[index]; }
  u32 GetCount() const { return mCount; }

 private:
  tRootKey* mData;
  u32 mCount;
};

// One animation of an animated model's table, with the root motion taken
// out of it when the first model of the table is built.
struct tAnimSlot {
  tAnimSlot() : animation(nullptr), rootVelocity{0.0f, 0.0f, 0.0f} {}

  RtAnimAnimation* animation;  // not owned; none leaves the slot unplayable
  cRootKeyArray rootKeys;      // the root's path; empty until extracted
  RwV3d rootVelocity;          // world units per second
};

class cAnimSlotArray {
 public:
  cAnimSlotArray() : mData(nullptr), mCount(0) {}
  ~cAnimSlotArray() { Release(); }

  cAnimSlotArray(const cAnimSlotArray&) = delete;
  cAnimSlotArray& operator=(const cAnimSlotArray&) = delete;

  // count slots with empty key arrays (none for 0); former slots are released.
  void Allocate(u32 count);
  void Release();

  tAnimSlot& operator[](u32 index) { return mData[index]; }
  const tAnimSlot& operator[](u32 index) const { return mData[index]; }
  u32 GetCount() const { return mCount; }

 private:
  tAnimSlot* mData;
  u32 mCount;
};
