// cPtrArray, cByteArray and cStringArray.
#include "game/foundation/array.h"

#include <cstring>

cPtrArray::cPtrArray(const cPtrArray& other) : mData(nullptr), mCount(0) { *this = other; }

cPtrArray::~cPtrArray() { delete[] mData; }

cPtrArray& cPtrArray::operator=(const cPtrArray& other) {
  if (this == &other) {
    return *this;
  }
  if (mCount != other.mCount) {
    delete[] mData;
    mData = other.mCount == 0 ? nullptr : new void*[other.mCount];
    mCount = other.mCount;
  }
  if (mCount != 0) {
    memcpy(mData, other.mData, mCount * sizeof(void*));
  }
  return *this;
}

void cPtrArray::Fill(u32 first, u32 count, void* value) {
  if (first >= mCount) {
    return;
  }
  if (count > mCount - first) {
    count = mCount - first;
  }
  for (u32 i = 0; i < count; i++) {
    mData[first + i] = value;
  }
}

void cPtrArray::SetCount(u32 count) {
  void** data = count == 0 ? nullptr : new void*[count]();
  u32 keep = count < mCount ? count : mCount;
  if (keep != 0) {
    memcpy(data, mData, keep * sizeof(void*));
  }
  delete[] mData;
  mData = data;
  mCount = count;
}

cByteArray::~cByteArray() { delete[] mData; }

void cByteArray::Resize(u32 count, u8 fill) {
  u8* data = count == 0 ? nullptr : new u8[count];
  u32 keep = count < mCount ? count : mCount;
  if (keep != 0) {
    memcpy(data, mData, keep);
  }
  if (count > keep) {
    memset(data + keep, fill, count - keep);
  }
  delete[] mData;
  mData = data;
  mCount = count;
}

cStringArray::~cStringArray() { cString::DeleteArray(mData); }

void cStringArray::Allocate(u32 count) {
  cString::DeleteArray(mData);
  mData = count == 0 ? nullptr : new cString[count];
  mCount = count;
}

void cRootKeyArray::Allocate(u32 count) {
  delete[] mData;
  mData = count == 0 ? nullptr : new tRootKey[count];
  mCount = count;
}

void cAnimSlotArray::Allocate(u32 count) {
  Release();
  mData = count == 0 ? nullptr : new tAnimSlot[count];
  mCount = count;
}

void cAnimSlotArray::Release() {
  delete[] mData;
  mData = nullptr;
  mCount = 0;
}
