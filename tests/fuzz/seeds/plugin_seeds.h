// Seeds carrying the plugins' sub-chunks, for the world module's targets.
#pragma once

#include <cstdint>
#include <vector>

// A geometry chunk with user data of every format, a morph chain and delta
// targets of every kind.
std::vector<uint8_t> PluginGeometryBytes();
// A clump chunk whose atomics carry that geometry and LOD levels, and whose
// frames, light, camera, material and texture carry user data.
std::vector<uint8_t> PluginClumpBytes();
