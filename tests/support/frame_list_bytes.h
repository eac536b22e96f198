// Frame list chunks in memory for tests: written from a hierarchy of frames
// and read back through the engine's frame list reader.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"

// Writes the frame list chunk of the hierarchy below root.
std::vector<uint8_t> WriteFrameList(RwFrame* root);
// Reads a frame list chunk; null when the reader refused it.
RwFrameList* ReadFrameList(const std::vector<uint8_t>& bytes, RwFrameList* list);
