// Reading textures by game path.
#include "game/render/texture.h"

#include <cstdio>
#include <cstring>

#include "game/foundation/native_path.h"

namespace {

constexpr char kDefaultTextureFolder[] = "textures/";
constexpr char kMaskSuffix[] = "_mask";
// Longest folder or mask name handled, terminator included.
constexpr size_t kTexturePathSize = 260;

void SetImagePath(const char* path) {
  char* native = MakeNativePath(path);
  if (native == nullptr) {
    return;
  }
  RwImageSetPath(native);
  EngineFree(native);
}

}  // namespace

void SetTexturePathFromName(const char* name) {
  const char* slash = strrchr(name, '/');
  if (slash == nullptr) {
    SetImagePath(kDefaultTextureFolder);
    return;
  }
  const size_t length = static_cast<size_t>(slash - name) + 1;
  if (length >= kTexturePathSize) {
    return;
  }
  char folder[kTexturePathSize];
  memcpy(folder, name, length);
  folder[length] = '\0';
  SetImagePath(folder);
}

RwTexture* ReadTexture(const char* name, bool withMask) {
  if (name == nullptr) {
    return nullptr;
  }
  SetTexturePathFromName(name);
  const char* slash = strrchr(name, '/');
  const char* file = slash != nullptr ? slash + 1 : name;
  if (!withMask) {
    return RwTextureRead(file, nullptr);
  }
  char mask[kTexturePathSize];
  const int written = snprintf(mask, sizeof mask, "%s%s", file, kMaskSuffix);
  if (written < 0 || static_cast<size_t>(written) >= sizeof mask) {
    return nullptr;
  }
  return RwTextureRead(file, mask);
}
