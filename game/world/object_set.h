// Object sets: a level object's prototype, built from its model file, and
// the clones that a locator file (".xrf") places, one a named entry. Only
// the clones stand in the level; the prototype is never placed.
#pragma once

#include <utility>

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/world/level_object.h"

// Buffers of one locator entry, terminator included: a longer name or data
// text ends the entries.
constexpr u32 kObjectNameSize = 32;
constexpr u32 kObjectDataSize = 10240;

// The frame whose modelling matrix takes a clone's entry matrix; null when
// the clone's model has no clump (the clone then keeps the prototype's).
typedef RwFrame* (*tCloneFrame)(cLevelObject* clone);

// Clones the prototype once per entry that the locator file holds: the
// clone's name becomes the entry's name, its colour table the entry's data,
// and its frame's matrix the entry's matrix. Entries beyond those present
// (a header count larger than the file) make no clones. The array (null for
// none) and its count are returned; a file that does not open gives none.
cLevelObject** InstantiateClones(cLevelObject* prototype, const char* locatorPath, tCloneFrame frameOf, u32* count);
// Deletes every clone that is not null, then the array.
void DestroyClones(cLevelObject** clones, u32 count);

// The set of one prototype class T (a cLevelObject). Each placement kind
// reaches a clone's frame its own way; the cloning is the same for all.
template <class T>
class tObjectSet {
 public:
  // The prototype is constructed in place from the arguments.
  template <class... Args>
  explicit tObjectSet(Args&&... args) : mClones(nullptr), mCount(0), mPrototype(std::forward<Args>(args)...) {}
  ~tObjectSet() { Destroy(); }

  tObjectSet(const tObjectSet&) = delete;
  tObjectSet& operator=(const tObjectSet&) = delete;

  // Static and glowing models: through the model object's clump.
  void InstantiateStatics(const char* locatorPath) {
    Instantiate(locatorPath, [](cLevelObject* clone) { return static_cast<T*>(clone)->GetModel()->GetFrame(); });
  }
  // Sensors: the frame of their model.
  void InstantiateSensors(const char* locatorPath) {
    Instantiate(locatorPath, [](cLevelObject* clone) { return static_cast<T*>(clone)->GetFrame(); });
  }
  // Devices: the frame of the device's model clump.
  void InstantiateDevices(const char* locatorPath) {
    Instantiate(locatorPath, [](cLevelObject* clone) { return static_cast<T*>(clone)->GetFrame(); });
  }
  // Replaces the clones by those of the locator file.
  void Instantiate(const char* locatorPath, tCloneFrame frameOf) {
    Destroy();
    mClones = InstantiateClones(&mPrototype, locatorPath, frameOf, &mCount);
  }
  void Destroy() {
    DestroyClones(mClones, mCount);
    mClones = nullptr;
    mCount = 0;
  }

  u32 GetCount() const { return mCount; }
  T* GetClone(u32 index) const { return static_cast<T*>(mClones[index]); }
  T& GetPrototype() { return mPrototype; }

 private:
  cLevelObject** mClones;
  u32 mCount;
  T mPrototype;
};
