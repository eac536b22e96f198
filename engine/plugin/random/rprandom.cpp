// The random-number plugin. The table is seeded by a linear congruential
// recurrence and then mixed by discarding draws; each draw adds the rear word
// into the front word, the two cursors staying three words apart cyclically.
#include "engine/plugin/random/rprandom.h"

#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"

namespace {

constexpr RwInt32 kTableWords = 31;
constexpr RwInt32 kLag = 3;  // words between the rear and the front cursor
constexpr RwInt32 kMixingDraws = 310;
constexpr RwUInt32 kSeedMultiplier = 1103515245u;
constexpr RwUInt32 kSeedIncrement = 12345u;

// The plugin's block in the engine instance.
struct RpRandomGlobals {
  RwUInt32* table;  // kTableWords words, allocated at start
  RwUInt32* front;
  RwUInt32* rear;
  RwUInt32* end;  // just past the table's last word
};

RwInt32 sRandomOffset = -1;

// The generator of the started engine, or null.
RpRandomGlobals* Globals() {
  if (sRandomOffset < 0 || RwEngineInstance == nullptr || RwEngineInstance->engineStatus != kRwEngineStatusStarted) {
    return nullptr;
  }
  return RwPluginDataGet(RpRandomGlobals, RwEngineInstance, sRandomOffset);
}

RwUInt32* Advance(const RpRandomGlobals* globals, RwUInt32* cursor) {
  ++cursor;
  return cursor >= globals->end ? globals->table : cursor;
}

RwUInt32 Draw(RpRandomGlobals* globals) {
  *globals->front += *globals->rear;
  const RwUInt32 result = *globals->front >> 1;
  globals->front = Advance(globals, globals->front);
  globals->rear = Advance(globals, globals->rear);
  return result;
}

RwUInt32 Seed(RpRandomGlobals* globals, RwUInt32 seed) {
  RwUInt32* table = globals->table;
  table[0] = seed;
  for (RwInt32 i = 1; i < kTableWords; i++) {
    table[i] = table[i - 1] * kSeedMultiplier + kSeedIncrement;
  }
  globals->front = table + kLag;
  globals->rear = table;
  RwUInt32 last = 0;
  for (RwInt32 i = 0; i < kMixingDraws; i++) {
    last = Draw(globals);
  }
  return last;
}

void* RandomOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RpRandomGlobals* globals = RwPluginDataGet(RpRandomGlobals, instance, offset);
  globals->table = static_cast<RwUInt32*>(RwMalloc(sizeof(RwUInt32) * kTableWords));
  if (globals->table == nullptr) {
    RwErrorRaise(kRpRandomPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  globals->end = globals->table + kTableWords;
  Seed(globals, kRpRandomDefaultSeed);
  return instance;
}

void* RandomClose(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RpRandomGlobals* globals = RwPluginDataGet(RpRandomGlobals, instance, offset);
  RwFree(globals->table);
  *globals = RpRandomGlobals{};
  return instance;
}

}  // namespace

RwBool RpRandomPluginAttach(void) {
  sRandomOffset = RwEngineRegisterPlugin(sizeof(RpRandomGlobals), kRpRandomPluginId, RandomOpen, RandomClose);
  return sRandomOffset >= 0;
}

RwUInt32 RpRandomSeed(RwUInt32 seed) {
  RpRandomGlobals* globals = Globals();
  return globals == nullptr ? 0 : Seed(globals, seed);
}

RwUInt32 RpRandomNext(void) {
  RpRandomGlobals* globals = Globals();
  return globals == nullptr ? 0 : Draw(globals);
}
