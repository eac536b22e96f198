// Builds native geometry data (the struct chunk of plugin chunk 0x510) byte
// by byte for the native data reader tests and fuzz seeds.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/chunk_bytes.h"

struct NativeMeshDescription {
  uint32_t minVert = 0;
  uint32_t stride = 12;
  uint32_t numVertices = 3;
  uint32_t numIndices = 3;
  uint32_t material = 0;
  uint32_t fvf = 0x2;     // positions only
  uint32_t primType = 4;  // triangle list
  uint32_t baseIndex = 0;
  uint8_t vertexAlpha = 0;
  uint8_t remapped = 0;
  std::vector<uint16_t> indices;  // written as given
  std::vector<uint8_t> vertices;  // written as given
};

struct NativeGeometryDescription {
  uint32_t platform = 8;
  uint16_t serialNumber = 1;
  int32_t bodySizeSlack = 0;    // added to the body size S written
  int32_t lengthSlack = 0;      // added to the struct chunk's length L written
  uint32_t stamp = kTestStamp;  // of the struct chunk
  std::vector<NativeMeshDescription> meshes;
};

// A mesh of count vertices at (i, 0, 0) drawn as a fan of triangles 0, i, i + 1.
NativeMeshDescription NativePositionsMesh(uint32_t count);
// The struct chunk (header and body) of the described native data.
ChunkBytes NativeGeometryStruct(const NativeGeometryDescription& description);
