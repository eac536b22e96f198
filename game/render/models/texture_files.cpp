// Texture search paths, texture reads and texture dictionary files.
#include "game/render/models/texture_files.h"

#include <cstring>

#include "game/foundation/fatal_error.h"
#include "game/foundation/native_path.h"
#include "game/render/engine_file.h"

namespace {

constexpr char kTextureFolder[] = "/textures/";
constexpr char kDefaultTextureFolder[] = "textures/";
constexpr char kMaskSuffix[] = "_mask";

// The first headLength bytes of head followed by tail, in an engine block
// (freed with EngineFree); null when the allocation fails.
char* Join(const char* head, size_t headLength, const char* tail) {
  const size_t tailLength = strlen(tail);
  char* joined = static_cast<char*>(RwMalloc(headLength + tailLength + 1));
  if (joined == nullptr) {
    return nullptr;
  }
  memcpy(joined, head, headLength);
  memcpy(joined + headLength, tail, tailLength + 1);
  return joined;
}

// Hands the native form of the path to the engine.
void SetImagePath(const char* path) {
  char* native = MakeNativePath(path);
  if (native == nullptr) {
    DebugTrace("SetTexturePath : no memory for %s\n", path);
    return;
  }
  RwImageSetPath(native);
  EngineFree(native);
}

// Sets the search path to head's first headLength bytes followed by tail.
void SetJoinedImagePath(const char* head, size_t headLength, const char* tail) {
  char* path = Join(head, headLength, tail);
  if (path == nullptr) {
    DebugTrace("SetTexturePath : no memory for the texture path\n");
    return;
  }
  SetImagePath(path);
  EngineFree(path);
}

RwTexture* TraceTexture(RwTexture* texture, void*) {
  const RwRaster* raster = texture->raster;
  const RwInt32 width = raster != nullptr ? raster->width : 0;
  const RwInt32 height = raster != nullptr ? raster->height : 0;
  const RwInt32 depth = raster != nullptr ? raster->depth : 0;
  DebugTrace("Texture: %-32s Size: %7d Width: %7d Height: %7d Depth: %7d\n", texture->name, width * height * depth / 8,
             width, height, depth);
  return texture;
}

}  // namespace

void SetTexturePath(const char* filePath, const char* textureFolder) {
  if (textureFolder != nullptr) {
    SetImagePath(textureFolder);
    return;
  }
  const char* separator = strrchr(filePath, '\\');
  if (separator == nullptr) {
    separator = strrchr(filePath, '/');
  }
  const size_t folderLength = separator != nullptr ? static_cast<size_t>(separator - filePath) : 0;
  SetJoinedImagePath(filePath, folderLength, kTextureFolder);
}

void SetTexturePathFromName(const char* name) {
  const char* separator = strrchr(name, '/');
  if (separator == nullptr) {
    SetImagePath(kDefaultTextureFolder);
    return;
  }
  SetJoinedImagePath(name, static_cast<size_t>(separator - name) + 1, "");
}

RwTexture* ReadTexture(const char* name, bool withMask) {
  SetTexturePathFromName(name);
  const char* separator = strrchr(name, '/');
  const char* filePart = separator != nullptr ? separator + 1 : name;
  if (!withMask) {
    return RwTextureRead(filePart, nullptr);
  }
  char* maskName = Join(filePart, strlen(filePart), kMaskSuffix);
  if (maskName == nullptr) {
    return nullptr;
  }
  RwTexture* texture = RwTextureRead(filePart, maskName);
  EngineFree(maskName);
  return texture;
}

RwTexDictionary* LoadTextureDictionary(const char* path) {
  RwStream* stream = OpenEngineFile(path, kRwStreamRead);
  if (stream == nullptr) {
    return nullptr;
  }
  return ReadChunkAndClose(stream, kRwChunkTexDictionary, RwTexDictionaryStreamRead);
}

bool SaveTextureDictionary(const char* path) {
  DebugTrace("\n\n\n\n\nTexture dictionary: %s\n\n", path);
  RwTexDictionary* dictionary = RwTexDictionaryGetCurrent();
  if (dictionary == nullptr) {
    DebugTrace("SaveTextureDictionary : no current dictionary, %s is not written\n", path);
    return false;
  }
  RwTexDictionaryForAllTextures(dictionary, TraceTexture, nullptr);
  RwMemory memory = {nullptr, 0};
  if (!WriteChunkToMemory<RwTexDictionary>(dictionary, RwTexDictionaryStreamWrite, &memory)) {
    DebugTrace("SaveTextureDictionary : the dictionary cannot be written, %s is not written\n", path);
    return false;
  }
  const bool written = WriteEngineFile(path, memory);
  RwFree(memory.start);
  if (!written) {
    DebugTrace("SaveTextureDictionary : cannot write %s\n", path);
  }
  return written;
}
