// Textures and texture dictionaries: named, reference-counted wrappers around
// texture rasters with their filtering and addressing, the engine's list of
// dictionaries and its current one, and reading textures from image files
// (with masks, mip-level files or generated mip levels, and palettes).
#pragma once

#include "engine/src/image.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/plugin_registry.h"
#include "engine/src/raster.h"

struct RwTexDictionary;

constexpr RwInt32 kRwTextureNameLength = 32;       // bytes of a texture's name and mask fields, NUL included
constexpr RwInt32 kRwTextureReadNameLength = 256;  // name buffers of a texture read, NUL included

// Texture plugins (the user-data plugin's among them) follow these fields.
struct RwTexture {
  RwRaster* raster;             // destroyed with the texture
  RwTexDictionary* dictionary;  // the dictionary that lists the texture, or null
  RwLLLink lInDictionary;       // node in the dictionary's texture list
  RwChar name[kRwTextureNameLength];
  RwChar mask[kRwTextureNameLength];  // empty when the texture has no mask
  RwUInt32 filterAddressing;          // bits 0..7 filter, 8..11 addressing U, 12..15 addressing V
  RwInt32 refCount;
};

constexpr RwUInt8 kRwTexDictionaryObjectType = 6;

// Dictionary plugins follow these fields.
struct RwTexDictionary {
  RwUInt8 type;  // kRwTexDictionaryObjectType
  RwUInt8 subType;
  RwUInt8 flags;
  RwUInt8 privateFlags;
  void* parent;               // null
  RwLinkList texturesInDict;  // newest added first
  RwLLLink lInInstance;       // node in the engine's list of dictionaries
};

// Filter modes are the driver's (RwTextureFilterMode); these sample mip levels.
constexpr RwUInt32 kRwTextureFirstMipFilter = 3;
constexpr RwUInt32 kRwTextureLastMipFilter = 6;

// Addressing modes, handed to the device unchanged.
enum RwTextureAddressMode : RwUInt32 {
  kRwTextureAddressNone = 0,
  kRwTextureAddressWrap = 1,
  kRwTextureAddressMirror = 2,
  kRwTextureAddressClamp = 3,
  kRwTextureAddressBorder = 4,
};

constexpr RwUInt32 kRwTextureFilterMask = 0xFF;
constexpr RwUInt32 kRwTextureAddressUShift = 8;
constexpr RwUInt32 kRwTextureAddressVShift = 12;
constexpr RwUInt32 kRwTextureAddressMask = 0xF;
// Filter mode 1, wrap in U and V.
constexpr RwUInt32 kRwTextureDefaultFilterAddressing = 0x1101;

// Error codes of the module.
constexpr RwInt32 kRwErrTextureNameTooLong = static_cast<RwInt32>(0x8000001Eu);
constexpr RwInt32 kRwErrTextureReadFailed = 0x16;  // reported with the core's plugin id 1

typedef RwTexture* (*RwTextureCallBackRead)(const RwChar* name, const RwChar* maskName);
typedef RwRaster* (*RwTextureCallBackMipmapGeneration)(RwRaster* raster, RwImage* image);
typedef RwBool (*RwTextureCallBackMipmapName)(RwChar* name, RwChar* maskName, RwInt32 mipLevel, RwUInt32 rasterFlags);
typedef RwTexture* (*RwTextureCallBack)(RwTexture* texture, void* data);
typedef RwTexDictionary* (*RwTexDictionaryCallBack)(RwTexDictionary* dictionary, void* data);

// The module's data in the engine instance (engine plugin 0x408).
struct RwTextureGlobals {
  RwLinkList texDictList;  // newest dictionary first
  RwFreeList* textureFreeList;
  RwFreeList* dictFreeList;
  RwTexDictionary* currentTexDict;
  RwTextureCallBackRead textureReadFunc;
  RwBool haveTexMipmaps;
  RwBool generateTexMipmaps;
  RwTextureCallBackMipmapGeneration mipmapGenerationFunc;
  RwTextureCallBackMipmapName mipmapNameFunc;
};

// Dictionaries.
RwTexDictionary* RwTexDictionaryCreate(void);
// Textures that still hold references outside the dictionary stay valid and
// belong to no dictionary afterwards.
RwBool RwTexDictionaryDestroy(RwTexDictionary* dictionary);
RwTexture* RwTexDictionaryAddTexture(RwTexDictionary* dictionary, RwTexture* texture);
// Leaves the texture in no dictionary.
RwTexture* RwTexDictionaryRemoveTexture(RwTexture* texture);
// Names compare ignoring ASCII case; the reference count is not changed.
RwTexture* RwTexDictionaryFindNamedTexture(RwTexDictionary* dictionary, const RwChar* name);
RwTexDictionary* RwTexDictionaryForAllTextures(RwTexDictionary* dictionary, RwTextureCallBack callBack, void* data);
RwBool RwTexDictionaryForAll(RwTexDictionaryCallBack callBack, void* data);
RwTexDictionary* RwTexDictionarySetCurrent(RwTexDictionary* dictionary);
RwTexDictionary* RwTexDictionaryGetCurrent(void);
RwInt32 RwTexDictionaryRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                      RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RwTexDictionaryGetPluginOffset(RwUInt32 pluginID);

// Textures.
RwTexture* RwTextureCreate(RwRaster* raster);
// Drops one reference; the last one destroys the raster and frees the record.
RwBool RwTextureDestroy(RwTexture* texture);
RwTexture* RwTextureAddRef(RwTexture* texture);
RwTexture* RwTextureSetRaster(RwTexture* texture, RwRaster* raster);
// Names of 32 characters or more are cut to 31 and record kRwErrTextureNameTooLong.
RwTexture* RwTextureSetName(RwTexture* texture, const RwChar* name);
RwTexture* RwTextureSetMaskName(RwTexture* texture, const RwChar* maskName);
RwTexture* RwTextureSetFilterMode(RwTexture* texture, RwUInt32 filter);
RwUInt32 RwTextureGetFilterMode(const RwTexture* texture);
RwTexture* RwTextureSetAddressingU(RwTexture* texture, RwUInt32 addressing);
RwTexture* RwTextureSetAddressingV(RwTexture* texture, RwUInt32 addressing);
RwUInt32 RwTextureGetAddressingU(const RwTexture* texture);
RwUInt32 RwTextureGetAddressingV(const RwTexture* texture);

// Looks the name up (current dictionary, or every dictionary when none is
// current), else reads it through the module's texture-read function. The
// caller holds one reference of the result.
RwTexture* RwTextureRead(const RwChar* name, const RwChar* maskName);
RwBool RwTextureSetMipmapping(RwBool enable);
RwBool RwTextureGetMipmapping(void);
RwBool RwTextureSetAutoMipmapping(RwBool enable);
RwBool RwTextureGetAutoMipmapping(void);
RwBool RwTextureRasterGenerateMipmaps(RwRaster* raster, RwImage* image);
RwBool RwTextureSetReadCallBack(RwTextureCallBackRead callBack);
RwTextureCallBackRead RwTextureGetReadCallBack(void);
RwBool RwTextureSetMipmapGenerationCallBack(RwTextureCallBackMipmapGeneration callBack);
RwBool RwTextureSetMipmapNameCallBack(RwTextureCallBackMipmapName callBack);

RwInt32 RwTextureRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RwTextureGetPluginOffset(RwUInt32 pluginID);

// The steps of the default read.
RwTexture* RwTextureDefaultRead(const RwChar* name, const RwChar* maskName);
RwTexture* RwTextureReadMipmapped(const RwChar* name, const RwChar* maskName);
// Reads name (and mask) and fits the image to the raster format; with a
// width or height of 0 the driver chooses size, depth and format.
RwImage* RwTextureReadImage(const RwChar* name, const RwChar* maskName, RwUInt32 rasterFlags, RwInt32* width,
                            RwInt32* height, RwInt32* depth, RwUInt32* format);
// Gives the images one palette of 1 << bits entries in palette (4 << bits
// bytes); replaced images are destroyed unless they are keepImage.
RwBool RwTexturePalettizeImages(RwUInt8* palette, RwImage* keepImage, RwImage** images, RwInt32 count, RwInt32 bits);
// Appends "m" and the level as one hexadecimal digit for levels 1..15.
RwBool RwTextureGenerateMipmapName(RwChar* name, RwChar* maskName, RwInt32 mipLevel, RwUInt32 rasterFlags);
RwRaster* RwTextureGenerateMipmapsDefault(RwRaster* raster, RwImage* image);
