// The forge's texture dictionaries: images of simple patterns made into
// rasters of the driver's format and written through the engine's
// dictionary writer, so that they read back as the game's ".txd" files do.
#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

constexpr RwInt32 kCheckerSquare = 8;  // pixels

RwRGBA PatternPixel(const ForgeTexture& texture, RwInt32 x, RwInt32 y) {
  switch (texture.pattern) {
    case kForgePatternSolid:
      return texture.colors[0];
    case kForgePatternChecker:
      return texture.colors[((x / kCheckerSquare) + (y / kCheckerSquare)) % 2];
    case kForgePatternGradient: {
      const RwInt32 span = texture.height > 1 ? texture.height - 1 : 1;
      const RwRGBA& a = texture.colors[0];
      const RwRGBA& b = texture.colors[1];
      auto mix = [y, span](RwUInt8 from, RwUInt8 to) {
        return static_cast<RwUInt8>(from + (static_cast<RwInt32>(to) - from) * y / span);
      };
      return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue), mix(a.alpha, b.alpha)};
    }
  }
  return texture.colors[0];
}

// A texture of the image's pattern in the driver's format for it, named.
RwTexture* TextureCreate(const ForgeTexture& description) {
  RwImage* image = ForgeImageCreate(description);
  if (image == nullptr) {
    return nullptr;
  }
  RwInt32 width = 0;
  RwInt32 height = 0;
  RwInt32 depth = 0;
  RwUInt32 format = 0;
  RwRaster* raster = nullptr;
  if (RwImageFindRasterFormat(image, rwRASTERTYPETEXTURE, &width, &height, &depth, &format) != nullptr) {
    raster = RwRasterCreate(width, height, depth, format);
  }
  if (raster != nullptr && RwRasterSetFromImage(raster, image) == nullptr) {
    RwRasterDestroy(raster);
    raster = nullptr;
  }
  RwImageDestroy(image);
  RwTexture* texture = raster != nullptr ? RwTextureCreate(raster) : nullptr;
  if (texture == nullptr) {
    if (raster != nullptr) {
      RwRasterDestroy(raster);
    }
    return nullptr;
  }
  RwTextureSetName(texture, description.name.c_str());
  return texture;
}

}  // namespace

RwImage* ForgeImageCreate(const ForgeTexture& texture) {
  RwImage* image = RwImageCreate(texture.width, texture.height, 32);
  if (image == nullptr) {
    return nullptr;
  }
  if (RwImageAllocatePixels(image) == nullptr) {
    RwImageDestroy(image);
    return nullptr;
  }
  for (RwInt32 y = 0; y < texture.height; ++y) {
    RwUInt8* row = image->pixels + y * image->stride;
    for (RwInt32 x = 0; x < texture.width; ++x) {
      const RwRGBA pixel = PatternPixel(texture, x, y);
      row[4 * x + 0] = pixel.red;
      row[4 * x + 1] = pixel.green;
      row[4 * x + 2] = pixel.blue;
      row[4 * x + 3] = pixel.alpha;
    }
  }
  return image;
}

bool ForgeWriteTexDictionary(RwStream* stream, const std::vector<ForgeTexture>& textures) {
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  if (dictionary == nullptr) {
    return false;
  }
  bool made = true;
  for (const ForgeTexture& description : textures) {
    RwTexture* texture = TextureCreate(description);
    made = texture != nullptr && RwTexDictionaryAddTexture(dictionary, texture) != nullptr;
    if (!made) {
      if (texture != nullptr) {
        RwTextureDestroy(texture);
      }
      break;
    }
  }
  const bool written = made && RwTexDictionaryStreamWrite(dictionary, stream) != nullptr;
  RwTexDictionaryDestroy(dictionary);
  return written;
}

bool ForgeWriteTexDictionaryFile(const RwChar* path, const std::vector<ForgeTexture>& textures) {
  return ForgeWriteFile(path, [&textures](RwStream* stream) { return ForgeWriteTexDictionary(stream, textures); });
}
