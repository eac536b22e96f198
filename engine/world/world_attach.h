// Attaching the world module: the first plugin attach the game makes.
#pragma once

#include "engine/src/plcore/base_types.h"

// Registers the world module's engine plugins and object extensions; must run
// between RwEngineInit and RwEngineOpen. False when any registration fails.
RwBool RpWorldPluginAttach(void);
