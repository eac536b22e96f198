// The game's atomic plugin: one pointer on every atomic that links it back
// to the game object drawn through it (a clump render object or an atomic
// render object), so that render callbacks find their object.
#pragma once

#include "engine/engine.h"

constexpr RwUInt32 kGameAtomicPluginId = 0x1FF;

// Registers the plugin; between RwEngineInit and RwEngineOpen.
bool RegisterAtomicPlugin();
// False while the plugin is not registered.
bool SetAtomicOwner(RpAtomic* atomic, void* owner);
// Null while the plugin is not registered or no owner was set.
void* GetAtomicOwner(const RpAtomic* atomic);
