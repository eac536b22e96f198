// Plugin registry internals shared by the registry's own files.
#pragma once

#include "engine/src/plcore/plugin_registry.h"

// The entry registered under pluginID, or null.
RwPluginRegEntry* _rwPluginRegistryFindEntry(const RwPluginRegistry* registry, RwUInt32 pluginID);
