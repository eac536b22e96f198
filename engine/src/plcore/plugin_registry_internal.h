// Plugin registry internals shared by the registry's own files.
#pragma once

#include "engine/src/plcore/plugin_registry.h"

// The entry registered under pluginID, or null.
RwPluginRegEntry* _rwPluginRegistryFindEntry(const RwPluginRegistry* registry, RwUInt32 pluginID);

// For a plugin's sub-chunk window: the stream it reads from, with the bytes
// left in the window in *left. Null for any other stream.
const RwStream* _rwBoundedStreamOuter(const RwStream* stream, RwUInt32* left);

// For the objects of a list read in a row: takes up to count empty extension
// chunks in a row from a stream held in memory and returns how many. Such a
// chunk leaves an object as it is unless a plugin has an always-callback;
// then, and for other streams, it takes none.
RwInt32 _rwPluginRegistryTakeEmptyDataChunks(const RwPluginRegistry* registry, RwStream* stream, RwInt32 count);
