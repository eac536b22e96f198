// Builds native texture struct chunks (the body of chunk 0x15) byte by byte
// for the native texture reader tests and fuzz seeds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/chunk_bytes.h"

struct NativeTextureDescription {
  uint32_t platform = 8;
  uint32_t filterAddressing = 0x1102;
  std::string name = "wall";
  std::string mask;
  uint32_t format = 0x0500;  // 8888
  uint32_t hasAlpha = 1;
  uint16_t width = 4;
  uint16_t height = 4;
  uint8_t depth = 32;
  uint8_t levels = 1;
  uint8_t type = 4;
  uint8_t compression = 0;
  uint32_t stamp = kTestStamp;
  int32_t structSlack = 0;                       // added to the struct length written
  int32_t chunkSlack = 0;                        // added to the native chunk length written
  std::vector<uint8_t> palette;                  // written as given (128 or 1024 bytes for palettised formats)
  std::vector<std::vector<uint8_t>> levelBytes;  // each preceded by its size
};

// The struct chunk (header and body) of the described texture.
ChunkBytes NativeTextureStruct(const NativeTextureDescription& description);
// A whole native texture chunk: header 0x15, the struct and an empty extension.
ChunkBytes NativeTextureChunk(const NativeTextureDescription& description);
// A texture dictionary chunk body (after its header) holding the textures.
ChunkBytes TexDictionaryBody(const std::vector<NativeTextureDescription>& textures);
