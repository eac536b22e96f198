// The engine pointer, the template it uses while no engine is open, and the
// open count.
#include "engine/src/plcore/engine_instance.h"

#include "engine/src/engine_internal.h"

RwEngineRecord _rwEngineTemplate = {};
RwEngineRecord* RwEngineInstance = nullptr;
RwInt32 _rwEngineOpenCount = 0;
