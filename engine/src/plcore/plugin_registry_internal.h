// Plugin registry internals shared by the registry's own files.
#pragma once

#include "engine/src/plcore/plugin_registry.h"

// The entry registered under pluginID, or null.
RwPluginRegEntry* _rwPluginRegistryFindEntry(const RwPluginRegistry* registry, RwUInt32 pluginID);

// For a plugin's sub-chunk window: the stream it reads from, with the bytes
// left in the window in *left. Null for any other stream.
const RwStream* _rwBoundedStreamOuter(const RwStream* stream, RwUInt32* left);
