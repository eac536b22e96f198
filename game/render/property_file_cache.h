// The scene's cache of loaded property files: each file is read once per
// name and kept until the cache is cleared (particle systems of one kind
// share their file).
#pragma once

#include "game/foundation/property.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"

class cPropertyFileCache {
 public:
  cPropertyFileCache() : mFiles(nullptr), mCount(0) {}
  ~cPropertyFileCache() { Clear(); }

  cPropertyFileCache(const cPropertyFileCache&) = delete;
  cPropertyFileCache& operator=(const cPropertyFileCache&) = delete;

  // The first cached file of exactly this name, else the file loaded and
  // appended; null (nothing cached) when it does not load.
  cPropertyFile* Get(const cString& name);
  // Destroys every cached file.
  void Clear();

  u32 GetCount() const { return mCount; }

 private:
  cPropertyFile** mFiles;
  u32 mCount;
};
