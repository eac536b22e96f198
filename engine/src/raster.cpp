// The device-independent raster module: raster records from the raster free
// list, the context stack, and the forwarding to the driver's standard
// functions, which fill in everything device specific.
#include "engine/src/raster.h"

#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/resmem.h"
#include "engine/src/raster_internal.h"

namespace {

static_assert(sizeof(RwRasterGlobals) <= kRwRasterModuleDataSize, "module data must fit its engine plugin block");

constexpr RwUInt32 kRastersPerBlock = 128;
constexpr RwUInt32 kRasterAlignment = 4;
constexpr RwUInt32 kLockLevelShift = 8;

RwInt32 rasterModuleOffset = -1;
RwFreeList rasterFreeListRecord;
RwPluginRegistry rasterRegistry = RwPluginRegistryInitializer(sizeof(RwRaster));

RwRasterGlobals* Globals() { return RwPluginDataGet(RwRasterGlobals, RwEngineInstance, rasterModuleOffset); }

RwBool CallDriver(RwStandardFunctionSlot slot, void* target, void* object, RwInt32 number) {
  return RwEngineInstance->standardFunctions[slot](target, object, number);
}

}  // namespace

RwRaster* RwRasterCreate(RwInt32 width, RwInt32 height, RwInt32 depth, RwUInt32 flags) {
  RwRasterGlobals* globals = Globals();
  RwRaster* raster = static_cast<RwRaster*>(RwFreeListEntryAlloc(globals->rasterFreeList));
  if (raster == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(raster, 0, static_cast<size_t>(rasterRegistry.sizeOfStruct));  // extensions start zeroed for the driver
  raster->parent = raster;
  raster->width = width;
  raster->height = height;
  raster->depth = depth;
  if (!CallDriver(kRwStdRasterCreate, nullptr, raster, static_cast<RwInt32>(flags))) {
    RwFreeListEntryFree(globals->rasterFreeList, raster);
    return nullptr;
  }
  if (RwPluginRegistryInitObject(&rasterRegistry, raster) == nullptr) {
    CallDriver(kRwStdRasterDestroy, nullptr, raster, 0);
    RwFreeListEntryFree(globals->rasterFreeList, raster);
    return nullptr;
  }
  return raster;
}

RwBool RwRasterDestroy(RwRaster* raster) {
  RwPluginRegistryDeInitObject(&rasterRegistry, raster);
  CallDriver(kRwStdRasterDestroy, nullptr, raster, 0);
  RwFreeListEntryFree(Globals()->rasterFreeList, raster);
  return TRUE;
}

RwRaster* RwRasterSubRaster(RwRaster* subRaster, RwRaster* raster, const RwRect* rect) {
  if ((subRaster->flags & rwRASTERDONTALLOCATE) == 0) {
    return nullptr;
  }
  subRaster->width = rect->w;
  subRaster->height = rect->h;
  subRaster->offsetX = static_cast<RwInt16>(raster->offsetX + rect->x);
  subRaster->offsetY = static_cast<RwInt16>(raster->offsetY + rect->y);
  if (!CallDriver(kRwStdRasterSubRaster, subRaster, raster, 0)) {
    return nullptr;
  }
  subRaster->parent = raster->parent;
  return subRaster;
}

RwUInt8* RwRasterLock(RwRaster* raster, RwUInt8 level, RwUInt32 lockMode) {
  RwUInt8* pixels = nullptr;
  const RwUInt32 lockWord = (static_cast<RwUInt32>(level) << kLockLevelShift) | (lockMode & 0xFF);
  if (!CallDriver(kRwStdRasterLock, &pixels, raster, static_cast<RwInt32>(lockWord))) {
    return nullptr;
  }
  return pixels;
}

RwRaster* RwRasterUnlock(RwRaster* raster) {
  CallDriver(kRwStdRasterUnlock, nullptr, raster, 0);
  return raster;
}

RwUInt8* RwRasterLockPalette(RwRaster* raster, RwUInt32 lockMode) {
  RwUInt8* palette = nullptr;
  if (!CallDriver(kRwStdRasterLockPalette, &palette, raster, static_cast<RwInt32>(lockMode))) {
    return nullptr;
  }
  return palette;
}

RwRaster* RwRasterUnlockPalette(RwRaster* raster) {
  CallDriver(kRwStdRasterUnlockPalette, nullptr, raster, 0);
  raster->privateFlags &= static_cast<RwUInt8>(~(kRwRasterPaletteLocked | kRwRasterPaletteLockedWrite));
  return raster;
}

RwInt32 RwRasterGetNumLevels(RwRaster* raster) {
  if (((static_cast<RwUInt32>(raster->format) << 8) & rwRASTERFORMATMIPMAP) == 0) {
    return 1;
  }
  RwInt32 levels = 0;
  if (!CallDriver(kRwStdRasterGetMipLevels, &levels, raster, 0)) {
    return -1;
  }
  return levels;
}

RwRaster* RwRasterPushContext(RwRaster* raster) {
  RwRasterGlobals* globals = Globals();
  if (globals->stackTop >= kRwRasterContextStackSize - 1) {
    RwErrorRaise(kRwPluginIdCore, kRwErrInvalidValue);
    return nullptr;
  }
  if (!CallDriver(kRwStdSetRasterContext, nullptr, raster, 0)) {
    return nullptr;
  }
  globals->stackTop += 1;
  globals->contextStack[globals->stackTop] = raster;
  return raster;
}

RwRaster* RwRasterPopContext(void) {
  RwRasterGlobals* globals = Globals();
  if (globals->stackTop <= 0) {
    RwErrorRaise(kRwPluginIdCore, kRwErrInvalidValue);
    return nullptr;
  }
  RwRaster* popped = globals->contextStack[globals->stackTop];
  globals->stackTop -= 1;
  if (!CallDriver(kRwStdSetRasterContext, nullptr, globals->contextStack[globals->stackTop], 0)) {
    return nullptr;
  }
  return popped;
}

RwRaster* RwRasterGetCurrentContext(void) {
  RwRasterGlobals* globals = Globals();
  return globals->contextStack[globals->stackTop];
}

RwRaster* RwRasterRender(RwRaster* raster, RwInt32 x, RwInt32 y) {
  RwInt32 position[2] = {x, y};  // the driver's point {x, y}
  return CallDriver(kRwStdRasterRender, raster, position, 0) ? raster : nullptr;
}

RwRaster* RwRasterRenderScaled(RwRaster* raster, const RwRect* rect) {
  CallDriver(kRwStdRasterRenderScaled, raster, const_cast<RwRect*>(rect), 0);
  return raster;
}

RwRaster* RwRasterShowRaster(RwRaster* raster, void* deviceWindow, RwUInt32 flags) {
  RwResourcesAgeEntries();
  if (!CallDriver(kRwStdRasterShowRaster, raster, deviceWindow, static_cast<RwInt32>(flags))) {
    return nullptr;
  }
  return raster;
}

RwRaster* _rwRasterAllocateScratch(void) {
  RwRaster* scratch = static_cast<RwRaster*>(RwFreeListEntryAlloc(Globals()->rasterFreeList));
  if (scratch == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(scratch, 0, static_cast<size_t>(rasterRegistry.sizeOfStruct));
  scratch->parent = scratch;
  return scratch;
}

void _rwRasterFreeScratch(RwRaster* scratch) { RwFreeListEntryFree(Globals()->rasterFreeList, scratch); }

RwInt32 RwRasterRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                               RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&rasterRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RwRasterGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&rasterRegistry, pluginID);
}

void* RwRasterOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  rasterModuleOffset = offset;
  RwRasterGlobals* globals = Globals();
  std::memset(globals, 0, sizeof(*globals));
  globals->emptyRaster.flags = rwRASTERDONTALLOCATE;
  globals->stackTop = 0;
  globals->contextStack[0] = &globals->emptyRaster;
  globals->rasterFreeList = RwFreeListCreateAndPreallocate(
      static_cast<RwUInt32>(rasterRegistry.sizeOfStruct), kRastersPerBlock, kRasterAlignment, 1, &rasterFreeListRecord);
  if (globals->rasterFreeList == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return nullptr;
  }
  return instance;
}

void* RwRasterClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  RwRasterGlobals* globals = Globals();
  if (globals->rasterFreeList != nullptr) {
    RwFreeListDestroy(globals->rasterFreeList);
    globals->rasterFreeList = nullptr;
  }
  return instance;
}
