// Growable arrays of plain records (values, placements), their storage from
// operator new: filled with copies of one record, or resized keeping the
// common part and filling the rest.
#pragma once

#include "game/foundation/types.h"

template <typename T>
class cRecordArray {
 public:
  cRecordArray() : mData(nullptr), mCount(0) {}
  ~cRecordArray() { delete[] mData; }

  cRecordArray(const cRecordArray&) = delete;
  cRecordArray& operator=(const cRecordArray&) = delete;

  // count copies of value in place of the former records.
  void Fill(u32 count, const T& value) {
    delete[] mData;
    mData = count == 0 ? nullptr : new T[count];
    mCount = count;
    for (u32 i = 0; i < count; i++) {
      mData[i] = value;
    }
  }

  // count records: the first min(old, new) kept, the new ones set to fill.
  void Resize(u32 count, const T& fill) {
    T* data = count == 0 ? nullptr : new T[count];
    for (u32 i = 0; i < count; i++) {
      data[i] = i < mCount ? mData[i] : fill;
    }
    delete[] mData;
    mData = data;
    mCount = count;
  }

  T& operator[](u32 index) { return mData[index]; }
  const T& operator[](u32 index) const { return mData[index]; }
  u32 GetCount() const { return mCount; }

 private:
  T* mData;
  u32 mCount;
};
