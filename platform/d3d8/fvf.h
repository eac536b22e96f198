// Decoding of flexible vertex format codes into the byte layout of one
// vertex: which parts it carries, where each part lies and the stride.
#pragma once

#include <cstdint>

namespace d3d8draw {

constexpr int kMaxTexCoordSets = 8;

struct FvfLayout {
  bool valid = false;
  bool transformed = false;  // XYZRHW: screen x, y, z and 1/w
  int positionOffset = 0;
  int positionSize = 0;      // floats: 3, or 4 with XYZRHW
  int blendWeightCount = 0;  // XYZB1..XYZB5: floats after the position
  int normalOffset = -1;
  int pointSizeOffset = -1;
  int diffuseOffset = -1;
  int specularOffset = -1;
  int texCoordCount = 0;
  int texCoordOffset[kMaxTexCoordSets] = {};
  int texCoordSize[kMaxTexCoordSets] = {};  // floats, 1 to 4
  int stride = 0;
};

// Decodes a flexible vertex format code. Codes with an unknown position
// kind or more than eight texture-coordinate sets give valid = false.
FvfLayout DecodeFvf(uint32_t fvf);

// Bytes per vertex of a code (0 for an invalid code).
int FvfVertexSize(uint32_t fvf);

}  // namespace d3d8draw
