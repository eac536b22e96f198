// cPropertyFileCache: a plain array of owned files, searched in order.
#include "game/render/property_file_cache.h"

cPropertyFile* cPropertyFileCache::Get(const cString& name) {
  for (u32 i = 0; i < mCount; i++) {
    if (mFiles[i]->GetFileName() == name) {
      return mFiles[i];
    }
  }
  cPropertyFile* file = new cPropertyFile;
  if (!file->Load(name)) {
    delete file;
    return nullptr;
  }
  cPropertyFile** grown = new cPropertyFile*[mCount + 1];
  for (u32 i = 0; i < mCount; i++) {
    grown[i] = mFiles[i];
  }
  grown[mCount] = file;
  delete[] mFiles;
  mFiles = grown;
  mCount++;
  return file;
}

void cPropertyFileCache::Clear() {
  for (u32 i = 0; i < mCount; i++) {
    delete mFiles[i];
  }
  delete[] mFiles;
  mFiles = nullptr;
  mCount = 0;
}
