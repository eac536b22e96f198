// Builders of plugin sub-chunk bodies that no engine function creates, for
// the plugin tests and the fuzz seeds.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/chunk_bytes.h"

// Appends one delta target of a delta-morph body: the name's bytes (with
// their terminator; empty for none), the kinds, lock flags for the vertices,
// the control bytes and k deltas, delta j being position (1 + j, 2, 0),
// normal (0, 0, 1), colour {20, 3, 255, 0} and coordinates (0.5, 0) for the
// kinds flagged; then the sphere (1, 2, 3) radius 4.
ChunkBytes& AddDeltaTarget(ChunkBytes& body, const std::vector<uint8_t>& name, uint32_t kinds,
                           const std::vector<uint8_t>& control, uint32_t k);
