// cReference and cRefPtr.
#include "game/foundation/reference.h"

#include "game/foundation/fatal_error.h"

cReference::cReference(bool selfDestruct) : mRefCount(0), mSelfDestruct(selfDestruct ? 1 : 0) {}

cReference::~cReference() {
  if (mSelfDestruct != 0 && mRefCount != 0) {
    FatalError("~cReference(): still referenced SelfDestruct object (cannot be deleted!)");
  }
}

cRefPtr::cRefPtr(cReference* p) : mPointee(nullptr) {
  if (p != nullptr) {
    Assign(p);
  }
}

cRefPtr::cRefPtr(const cRefPtr& other) : mPointee(nullptr) { Assign(other.mPointee); }

cRefPtr::~cRefPtr() {
  if (mPointee != nullptr) {
    Assign(nullptr);
  }
}

cRefPtr& cRefPtr::operator=(const cRefPtr& other) {
  Assign(other.mPointee);
  return *this;
}

void cRefPtr::Assign(cReference* p) {
  if (p == mPointee) {
    return;
  }
  // Count the new pointee before releasing the old one, so that an old
  // pointee that owns the new one cannot take it down with it.
  if (p != nullptr) {
    p->mRefCount++;
  }
  cReference* old = mPointee;
  mPointee = p;
  if (old != nullptr) {
    old->mRefCount--;
    if (old->mRefCount == 0 && old->mSelfDestruct != 0) {
      delete old;
    }
  }
}
