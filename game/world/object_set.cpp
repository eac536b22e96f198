// Cloning a prototype from a locator file, and the clones' release.
#include "game/world/object_set.h"

#include "game/foundation/fatal_error.h"
#include "game/render/models/locator_file.h"

namespace {

// Clone arrays start this large and double as entries turn up, so that a
// header count larger than the file never sizes an allocation.
constexpr u32 kFirstCloneCapacity = 16;

cLevelObject** Grow(cLevelObject** clones, u32 count, u32* capacity, u32 limit) {
  u32 grown = *capacity == 0 ? kFirstCloneCapacity : *capacity * 2;
  if (grown > limit) {
    grown = limit;
  }
  cLevelObject** larger = new cLevelObject*[grown];
  for (u32 i = 0; i < count; i++) {
    larger[i] = clones[i];
  }
  delete[] clones;
  *capacity = grown;
  return larger;
}

}  // namespace

cLevelObject** InstantiateClones(cLevelObject* prototype, const char* locatorPath, tCloneFrame frameOf, u32* count) {
  *count = 0;
  cLocatorFile file;
  if (!file.Open(locatorPath)) {
    return nullptr;
  }
  const u32 declared = file.GetHeaderValue();
  cLevelObject** clones = nullptr;
  u32 capacity = 0;
  char name[kObjectNameSize];
  char* data = new char[kObjectDataSize];
  RwMatrix matrix;
  while (*count < declared && file.ReadEntry(name, kObjectNameSize, data, kObjectDataSize, &matrix)) {
    if (*count == capacity) {
      clones = Grow(clones, *count, &capacity, declared);
    }
    cLevelObject* clone = prototype->Clone();
    RwFrame* frame = frameOf(clone);
    if (frame != nullptr) {
      RwMatrixCopy(RwFrameGetMatrix(frame), &matrix);
      RwFrameMarkDirty(frame);
    }
    clone->SetName(cString(name));
    clone->SetColourTable(data);
    clones[(*count)++] = clone;
  }
  delete[] data;
  if (*count < declared) {
    DebugTrace("InstantiateClones : %s holds %u of its %u entries\n", locatorPath, *count, declared);
  }
  return clones;
}

void DestroyClones(cLevelObject** clones, u32 count) {
  for (u32 i = 0; i < count; i++) {
    delete clones[i];
  }
  delete[] clones;
}
