// Builds the bodies of skin sub-chunks (0x116) in the forms the engine reads
// but no longer writes: the older geometry form, the atomic's oldest form and
// the native form. Bone i's inverse matrix is the translation BoneOffset(i).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/engine.h"

// The translation of bone i's inverse matrix in these bodies.
RwV3d SkinBytesBoneOffset(uint32_t bone);
// Older geometry form: bone count, no used bones, one bone word and four
// weights a vertex, matrices each after 4 skipped bytes.
std::vector<uint8_t> OlderSkinBody(uint8_t numBones, const std::vector<uint32_t>& indices,
                                   const std::vector<float>& weights);
// Atomic form: bone count, a skipped word, the vertex data, matrices each
// after 12 skipped bytes.
std::vector<uint8_t> OldestSkinBody(uint32_t numBones, const std::vector<uint32_t>& indices,
                                    const std::vector<float>& weights);
// Native form: a struct chunk of the stamp with the platform and bone count.
std::vector<uint8_t> NativeSkinBody(uint32_t platform, uint32_t numBones, uint32_t stamp);
