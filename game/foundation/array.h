// Plain growable arrays whose storage comes from operator new.
#pragma once

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
