// Reference counting: cReference is the counted base of shared objects,
// cRefPtr the counted pointer that holds one of them.
#pragma once

#include "game/foundation/types.h"

class cReference {
 public:
  // selfDestruct: delete the object when its last cRefPtr lets go; otherwise
  // the count is only a check and someone else owns the object.
  explicit cReference(bool selfDestruct = false);
  virtual ~cReference();

  cReference(const cReference&) = delete;
  cReference& operator=(const cReference&) = delete;

  u32 GetRefCount() const { return mRefCount; }
  bool IsSelfDestruct() const { return mSelfDestruct != 0; }

 private:
  friend class cRefPtr;

  u32 mRefCount;
  u8 mSelfDestruct;
};

class cRefPtr {
 public:
  cRefPtr() : mPointee(nullptr) {}
  explicit cRefPtr(cReference* p);
  cRefPtr(const cRefPtr& other);
  ~cRefPtr();

  cRefPtr& operator=(const cRefPtr& other);

  // Releases the current pointee (deleting a self-destructing one at count 0)
  // and counts the new one.
  void Assign(cReference* p);

  cReference* Get() const { return mPointee; }

 private:
  cReference* mPointee;
};
