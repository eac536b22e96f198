// The texture module: texture and dictionary records, the engine's list of
// dictionaries and its current one, lookups by name and the texture read
// that falls back on the module's read function (image files by default).
#include "engine/src/texture.h"

#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/texture_internal.h"

namespace {

static_assert(sizeof(RwTextureGlobals) <= kRwTextureModuleDataSize, "module data must fit its engine plugin block");

constexpr RwUInt32 kTexturesPerBlock = 128;
constexpr RwUInt32 kDictionariesPerBlock = 5;
constexpr RwUInt32 kRecordAlignment = 8;

RwInt32 textureModuleOffset = -1;
RwInt32 textureModuleOpenCount = 0;
RwTexDictionary* defaultDictionary = nullptr;
RwFreeList textureFreeListRecord;
RwFreeList dictFreeListRecord;
RwPluginRegistry textureRegistry = RwPluginRegistryInitializer(sizeof(RwTexture));
RwPluginRegistry dictRegistry = RwPluginRegistryInitializer(sizeof(RwTexDictionary));

RwTextureGlobals* Globals() { return RwPluginDataGet(RwTextureGlobals, RwEngineInstance, textureModuleOffset); }

RwTexture* TextureFromLink(RwLLLink* link) { return rwLLLinkGetData(link, RwTexture, lInDictionary); }

RwTexDictionary* DictionaryFromLink(RwLLLink* link) { return rwLLLinkGetData(link, RwTexDictionary, lInInstance); }

RwChar FoldCase(RwChar c) { return (c >= 'a' && c <= 'z') ? static_cast<RwChar>(c - 'a' + 'A') : c; }

// Names match when they agree character by character with a..z folded to
// A..Z and end together.
RwBool NamesMatch(const RwChar* a, const RwChar* b) {
  while (*a != '\0' && FoldCase(*a) == FoldCase(*b)) {
    ++a;
    ++b;
  }
  return FoldCase(*a) == FoldCase(*b);
}

RwTexture* FindInAllDictionaries(const RwChar* name) {
  RwTextureGlobals* globals = Globals();
  RwLLLink* end = rwLinkListGetTerminator(&globals->texDictList);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&globals->texDictList); link != end; link = link->next) {
    RwTexture* found = RwTexDictionaryFindNamedTexture(DictionaryFromLink(link), name);
    if (found != nullptr) {
      return found;
    }
  }
  return nullptr;
}

// Returns the texture record to the free list after its plugins are gone.
void FreeTextureRecord(RwTexture* texture) { RwFreeListEntryFree(Globals()->textureFreeList, texture); }

void DestroyDictionaryRecord(RwTexDictionary* dictionary) {
  RwTextureGlobals* globals = Globals();
  if (globals->currentTexDict == dictionary) {
    globals->currentTexDict = nullptr;
  }
  RwLLLink* end = rwLinkListGetTerminator(&dictionary->texturesInDict);
  RwLLLink* link = rwLinkListGetFirstLLLink(&dictionary->texturesInDict);
  while (link != end) {
    RwLLLink* next = link->next;
    RwTexture* texture = TextureFromLink(link);
    const RwBool lastReference = texture->refCount <= 1;
    RwTextureDestroy(texture);
    if (!lastReference) {
      // Still held elsewhere (by a material, say): it must not point back
      // at a dictionary that is about to go.
      RwTexDictionaryRemoveTexture(texture);
    }
    link = next;
  }
  RwPluginRegistryDeInitObject(&dictRegistry, dictionary);
  rwLLLinkRemove(&dictionary->lInInstance);
  RwFreeListEntryFree(globals->dictFreeList, dictionary);
}

}  // namespace

void _rwTextureCopyName(RwChar* buffer, const RwChar* name, RwInt32 size) {
  const size_t length = std::strlen(name);
  if (length >= static_cast<size_t>(size)) {
    RwErrorRaise(kRwPluginIdCore, kRwErrTextureNameTooLong);
    std::memcpy(buffer, name, static_cast<size_t>(size) - 1);
    buffer[size - 1] = '\0';
    return;
  }
  std::memcpy(buffer, name, length + 1);
}

RwTextureGlobals* _rwTextureGlobals(void) { return Globals(); }

const RwPluginRegistry* _rwTextureRegistry(void) { return &textureRegistry; }

const RwPluginRegistry* _rwTexDictionaryRegistry(void) { return &dictRegistry; }

RwTexDictionary* RwTexDictionaryCreate(void) {
  RwTextureGlobals* globals = Globals();
  RwTexDictionary* dictionary = static_cast<RwTexDictionary*>(RwFreeListEntryAlloc(globals->dictFreeList));
  if (dictionary == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return nullptr;
  }
  dictionary->type = kRwTexDictionaryObjectType;
  dictionary->subType = 0;
  dictionary->flags = 0;
  dictionary->privateFlags = 0;
  dictionary->parent = nullptr;
  rwLinkListInitialize(&dictionary->texturesInDict);
  rwLinkListAddLLLink(&globals->texDictList, &dictionary->lInInstance);
  if (RwPluginRegistryInitObject(&dictRegistry, dictionary) == nullptr) {
    rwLLLinkRemove(&dictionary->lInInstance);
    RwFreeListEntryFree(globals->dictFreeList, dictionary);
    return nullptr;
  }
  return dictionary;
}

RwBool RwTexDictionaryDestroy(RwTexDictionary* dictionary) {
  if (dictionary == defaultDictionary) {
    defaultDictionary = nullptr;
  }
  DestroyDictionaryRecord(dictionary);
  return TRUE;
}

RwTexture* RwTexDictionaryAddTexture(RwTexDictionary* dictionary, RwTexture* texture) {
  if (texture->dictionary != nullptr) {
    rwLLLinkRemove(&texture->lInDictionary);
  }
  rwLinkListAddLLLink(&dictionary->texturesInDict, &texture->lInDictionary);
  texture->dictionary = dictionary;
  return texture;
}

RwTexture* RwTexDictionaryRemoveTexture(RwTexture* texture) {
  if (texture->dictionary != nullptr) {
    rwLLLinkRemove(&texture->lInDictionary);
    texture->dictionary = nullptr;
  }
  return texture;
}

RwTexture* RwTexDictionaryFindNamedTexture(RwTexDictionary* dictionary, const RwChar* name) {
  RwLLLink* end = rwLinkListGetTerminator(&dictionary->texturesInDict);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&dictionary->texturesInDict); link != end; link = link->next) {
    RwTexture* texture = TextureFromLink(link);
    if (NamesMatch(texture->name, name)) {
      return texture;
    }
  }
  return nullptr;
}

RwTexDictionary* RwTexDictionaryForAllTextures(RwTexDictionary* dictionary, RwTextureCallBack callBack, void* data) {
  RwLLLink* end = rwLinkListGetTerminator(&dictionary->texturesInDict);
  RwLLLink* link = rwLinkListGetFirstLLLink(&dictionary->texturesInDict);
  while (link != end) {
    RwLLLink* next = link->next;  // the callback may destroy the texture
    if (callBack(TextureFromLink(link), data) == nullptr) {
      break;
    }
    link = next;
  }
  return dictionary;
}

RwBool RwTexDictionaryForAll(RwTexDictionaryCallBack callBack, void* data) {
  RwTextureGlobals* globals = Globals();
  RwLLLink* end = rwLinkListGetTerminator(&globals->texDictList);
  RwLLLink* link = rwLinkListGetFirstLLLink(&globals->texDictList);
  while (link != end) {
    RwLLLink* next = link->next;
    if (callBack(DictionaryFromLink(link), data) == nullptr) {
      break;
    }
    link = next;
  }
  return TRUE;
}

RwTexDictionary* RwTexDictionarySetCurrent(RwTexDictionary* dictionary) {
  Globals()->currentTexDict = dictionary;
  return dictionary;
}

RwTexDictionary* RwTexDictionaryGetCurrent(void) { return Globals()->currentTexDict; }

RwInt32 RwTexDictionaryRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                      RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&dictRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RwTexDictionaryGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&dictRegistry, pluginID);
}

RwTexture* RwTextureCreate(RwRaster* raster) {
  RwTexture* texture = static_cast<RwTexture*>(RwFreeListEntryAlloc(Globals()->textureFreeList));
  if (texture == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return nullptr;
  }
  texture->raster = raster;
  texture->dictionary = nullptr;
  rwLLLinkInitialize(&texture->lInDictionary);
  std::memset(texture->name, 0, sizeof(texture->name));
  std::memset(texture->mask, 0, sizeof(texture->mask));
  texture->filterAddressing = kRwTextureDefaultFilterAddressing;
  texture->refCount = 1;
  if (RwPluginRegistryInitObject(&textureRegistry, texture) == nullptr) {
    FreeTextureRecord(texture);
    return nullptr;
  }
  return texture;
}

RwBool RwTextureDestroy(RwTexture* texture) {
  texture->refCount -= 1;
  if (texture->refCount > 0) {
    return TRUE;
  }
  texture->refCount = 1;  // plugin destructors see a live texture
  RwPluginRegistryDeInitObject(&textureRegistry, texture);
  RwTexDictionaryRemoveTexture(texture);
  if (texture->raster != nullptr) {
    RwRasterDestroy(texture->raster);
    texture->raster = nullptr;
  }
  texture->refCount = 0;
  FreeTextureRecord(texture);
  return TRUE;
}

RwTexture* RwTextureAddRef(RwTexture* texture) {
  texture->refCount += 1;
  return texture;
}

RwTexture* RwTextureSetRaster(RwTexture* texture, RwRaster* raster) {
  if (raster == nullptr) {
    texture->raster = nullptr;
    return texture;
  }
  if (!RwEngineInstance->standardFunctions[kRwStdTextureSetRaster](texture, raster, 0)) {
    return nullptr;
  }
  return texture;
}

RwTexture* RwTextureSetName(RwTexture* texture, const RwChar* name) {
  _rwTextureCopyName(texture->name, name, kRwTextureNameLength);
  return texture;
}

RwTexture* RwTextureSetMaskName(RwTexture* texture, const RwChar* maskName) {
  _rwTextureCopyName(texture->mask, maskName, kRwTextureNameLength);
  return texture;
}

RwTexture* RwTextureSetFilterMode(RwTexture* texture, RwUInt32 filter) {
  texture->filterAddressing = (texture->filterAddressing & ~kRwTextureFilterMask) | (filter & kRwTextureFilterMask);
  return texture;
}

RwUInt32 RwTextureGetFilterMode(const RwTexture* texture) { return texture->filterAddressing & kRwTextureFilterMask; }

RwTexture* RwTextureSetAddressingU(RwTexture* texture, RwUInt32 addressing) {
  texture->filterAddressing = (texture->filterAddressing & ~(kRwTextureAddressMask << kRwTextureAddressUShift)) |
                              ((addressing & kRwTextureAddressMask) << kRwTextureAddressUShift);
  return texture;
}

RwTexture* RwTextureSetAddressingV(RwTexture* texture, RwUInt32 addressing) {
  texture->filterAddressing = (texture->filterAddressing & ~(kRwTextureAddressMask << kRwTextureAddressVShift)) |
                              ((addressing & kRwTextureAddressMask) << kRwTextureAddressVShift);
  return texture;
}

RwUInt32 RwTextureGetAddressingU(const RwTexture* texture) {
  return (texture->filterAddressing >> kRwTextureAddressUShift) & kRwTextureAddressMask;
}

RwUInt32 RwTextureGetAddressingV(const RwTexture* texture) {
  return (texture->filterAddressing >> kRwTextureAddressVShift) & kRwTextureAddressMask;
}

RwTexture* RwTextureRead(const RwChar* name, const RwChar* maskName) {
  RwTextureGlobals* globals = Globals();
  RwTexture* texture = globals->currentTexDict != nullptr
                           ? RwTexDictionaryFindNamedTexture(globals->currentTexDict, name)
                           : FindInAllDictionaries(name);
  if (texture != nullptr) {
    return RwTextureAddRef(texture);
  }
  texture = globals->textureReadFunc(name, maskName);
  if (texture == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrTextureReadFailed);
    return nullptr;
  }
  if (globals->currentTexDict != nullptr) {
    RwTexDictionaryAddTexture(globals->currentTexDict, texture);
  }
  return texture;
}

RwBool RwTextureSetMipmapping(RwBool enable) {
  Globals()->haveTexMipmaps = enable;
  return TRUE;
}

RwBool RwTextureGetMipmapping(void) { return Globals()->haveTexMipmaps; }

RwBool RwTextureSetAutoMipmapping(RwBool enable) {
  Globals()->generateTexMipmaps = enable;
  return TRUE;
}

RwBool RwTextureGetAutoMipmapping(void) { return Globals()->generateTexMipmaps; }

RwBool RwTextureRasterGenerateMipmaps(RwRaster* raster, RwImage* image) {
  return Globals()->mipmapGenerationFunc(raster, image) != nullptr;
}

RwBool RwTextureSetReadCallBack(RwTextureCallBackRead callBack) {
  Globals()->textureReadFunc = callBack != nullptr ? callBack : RwTextureDefaultRead;
  return TRUE;
}

RwTextureCallBackRead RwTextureGetReadCallBack(void) { return Globals()->textureReadFunc; }

RwBool RwTextureSetMipmapGenerationCallBack(RwTextureCallBackMipmapGeneration callBack) {
  Globals()->mipmapGenerationFunc = callBack != nullptr ? callBack : RwTextureGenerateMipmapsDefault;
  return TRUE;
}

RwBool RwTextureSetMipmapNameCallBack(RwTextureCallBackMipmapName callBack) {
  Globals()->mipmapNameFunc = callBack != nullptr ? callBack : RwTextureGenerateMipmapName;
  return TRUE;
}

RwInt32 RwTextureRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                                RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&textureRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RwTextureGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&textureRegistry, pluginID);
}

void* RwTextureOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  textureModuleOffset = offset;
  RwTextureGlobals* globals = Globals();
  std::memset(globals, 0, sizeof(*globals));
  defaultDictionary = nullptr;
  rwLinkListInitialize(&globals->texDictList);
  globals->textureReadFunc = RwTextureDefaultRead;
  globals->mipmapGenerationFunc = RwTextureGenerateMipmapsDefault;
  globals->mipmapNameFunc = RwTextureGenerateMipmapName;
  globals->textureFreeList =
      RwFreeListCreateAndPreallocate(static_cast<RwUInt32>(textureRegistry.sizeOfStruct), kTexturesPerBlock,
                                     kRecordAlignment, 1, &textureFreeListRecord);
  globals->dictFreeList =
      RwFreeListCreateAndPreallocate(static_cast<RwUInt32>(dictRegistry.sizeOfStruct), kDictionariesPerBlock,
                                     kRecordAlignment, 0, &dictFreeListRecord);
  if (globals->textureFreeList != nullptr && globals->dictFreeList != nullptr) {
    defaultDictionary = RwTexDictionaryCreate();
  } else {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
  }
  if (defaultDictionary == nullptr) {
    if (globals->textureFreeList != nullptr) {
      RwFreeListDestroy(globals->textureFreeList);
    }
    if (globals->dictFreeList != nullptr) {
      RwFreeListDestroy(globals->dictFreeList);
    }
    globals->textureFreeList = nullptr;
    globals->dictFreeList = nullptr;
    return nullptr;
  }
  textureModuleOpenCount += 1;
  globals->currentTexDict = defaultDictionary;
  return instance;
}

void* RwTextureClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  RwTextureGlobals* globals = Globals();
  if (defaultDictionary != nullptr) {
    RwTexDictionaryDestroy(defaultDictionary);
    defaultDictionary = nullptr;
  }
  if (globals->textureFreeList != nullptr) {
    RwFreeListDestroy(globals->textureFreeList);
    globals->textureFreeList = nullptr;
  }
  if (globals->dictFreeList != nullptr) {
    RwFreeListDestroy(globals->dictFreeList);
    globals->dictFreeList = nullptr;
  }
  globals->currentTexDict = nullptr;
  textureModuleOpenCount -= 1;
  return instance;
}
