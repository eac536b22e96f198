// Plugin registries: one per extensible object type. Plugins register blocks
// of data that follow the object's own fields, with constructors, destructors,
// copiers and optional stream callbacks that carry the data as sub-chunks of
// the object's extension chunk.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwStream;

typedef void* (*RwPluginObjectConstructor)(void* object, RwInt32 offset, RwInt32 size);
typedef void* (*RwPluginObjectDestructor)(void* object, RwInt32 offset, RwInt32 size);
typedef void* (*RwPluginObjectCopy)(void* destination, const void* source, RwInt32 offset, RwInt32 size);
typedef RwStream* (*RwPluginDataChunkReadCallBack)(RwStream* stream, RwInt32 length, void* object, RwInt32 offset,
                                                   RwInt32 size);
typedef RwStream* (*RwPluginDataChunkWriteCallBack)(RwStream* stream, RwInt32 length, const void* object,
                                                    RwInt32 offset, RwInt32 size);
// Bytes the plugin will write for the object; 0 or less writes nothing.
typedef RwInt32 (*RwPluginDataChunkGetSizeCallBack)(const void* object, RwInt32 offset, RwInt32 size);
// Runs after every read of the object's extension chunk; nonzero on success.
typedef RwBool (*RwPluginDataChunkAlwaysCallBack)(void* object, RwInt32 offset, RwInt32 size);
// Runs for the right-to-render chunk; positive on success.
typedef RwInt32 (*RwPluginDataChunkRightsCallBack)(void* object, RwInt32 offset, RwInt32 size, RwUInt32 extraData);

struct RwPluginRegistry;

struct RwPluginRegEntry {
  RwInt32 offset;  // of the plugin's block within the object
  RwInt32 size;    // as requested
  RwUInt32 pluginID;
  RwPluginDataChunkReadCallBack readCB;
  RwPluginDataChunkWriteCallBack writeCB;
  RwPluginDataChunkGetSizeCallBack getSizeCB;
  RwPluginDataChunkAlwaysCallBack alwaysCB;
  RwPluginDataChunkRightsCallBack rightsCB;
  RwPluginObjectConstructor constructCB;
  RwPluginObjectDestructor destructCB;
  RwPluginObjectCopy copyCB;
  RwPluginRegEntry* nextRegEntry;
  RwPluginRegEntry* prevRegEntry;
  RwPluginRegistry* parentRegistry;
};

// One static record per object type; initialise as RwPluginRegistryInitializer(sizeof(type)).
struct RwPluginRegistry {
  RwInt32 sizeOfStruct;      // own size plus every plugin block: the allocation size
  RwInt32 origSizeOfStruct;  // own size without plugins
  RwInt32 maxSizeOfStruct;   // 0: no limit
  RwPluginRegEntry* firstRegEntry;
  RwPluginRegEntry* lastRegEntry;
};

// Plugin blocks start at multiples of this, so pointers and doubles in them are aligned.
constexpr RwInt32 kRwPluginDataAlignment = 8;

constexpr RwInt32 RwPluginRegistryAlignSize(RwInt32 size) {
  return (size + kRwPluginDataAlignment - 1) & ~(kRwPluginDataAlignment - 1);
}

#define RwPluginRegistryInitializer(ownSize) \
  { RwPluginRegistryAlignSize(ownSize), RwPluginRegistryAlignSize(ownSize), 0, nullptr, nullptr }

// Chunk types of the plugin streams.
constexpr RwUInt32 kRwChunkExtension = 3;
constexpr RwUInt32 kRwChunkRightToRender = 0x1F;

RwInt32 RwPluginRegistryAddPlugin(RwPluginRegistry* registry, RwInt32 size, RwUInt32 pluginID,
                                  RwPluginObjectConstructor constructCB, RwPluginObjectDestructor destructCB,
                                  RwPluginObjectCopy copyCB);
RwInt32 RwPluginRegistryGetPluginOffset(const RwPluginRegistry* registry, RwUInt32 pluginID);
const RwPluginRegistry* RwPluginRegistryInitObject(const RwPluginRegistry* registry, void* object);
const RwPluginRegistry* RwPluginRegistryDeInitObject(const RwPluginRegistry* registry, void* object);
const RwPluginRegistry* RwPluginRegistryCopyObject(const RwPluginRegistry* registry, void* destination,
                                                   const void* source);

RwInt32 RwPluginRegistryAddPluginStream(RwPluginRegistry* registry, RwUInt32 pluginID,
                                        RwPluginDataChunkReadCallBack readCB, RwPluginDataChunkWriteCallBack writeCB,
                                        RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RwPluginRegistryAddPluginStreamAlwaysCB(RwPluginRegistry* registry, RwUInt32 pluginID,
                                                RwPluginDataChunkAlwaysCallBack alwaysCB);
RwInt32 RwPluginRegistryAddPluginStreamRightsCB(RwPluginRegistry* registry, RwUInt32 pluginID,
                                                RwPluginDataChunkRightsCallBack rightsCB);
const RwPluginRegistry* RwPluginRegistryWriteDataChunks(const RwPluginRegistry* registry, RwStream* stream,
                                                        const void* object);
const RwPluginRegistry* RwPluginRegistryReadDataChunks(const RwPluginRegistry* registry, RwStream* stream,
                                                       void* object);
const RwPluginRegistry* RwPluginRegistrySkipDataChunks(const RwPluginRegistry* registry, RwStream* stream);
// Bytes of all plugin sub-chunks, headers included, without the extension chunk's own header.
RwInt32 RwPluginRegistryGetSize(const RwPluginRegistry* registry, const void* object);
const RwPluginRegistry* RwPluginRegistryInvokeRights(const RwPluginRegistry* registry, RwUInt32 pluginID, void* object,
                                                     RwUInt32 extraData);

RwBool RwPluginRegistryOpen(void);
RwBool RwPluginRegistryClose(void);
