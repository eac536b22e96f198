// Rasters: the engine's pixel buffers (textures, camera colour and depth
// buffers, off-screen targets, sub-rasters) and the raster context stack.
// Every operation forwards to one of the driver's standard functions.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/plugin_registry.h"

struct RwImage;

// Raster plugins (the driver's extension among them) follow these fields.
struct RwRaster {
  RwRaster* parent;  // the top-level raster that owns the pixels; itself when it owns them
  RwUInt8* pixels;   // pixels of the locked mip level; null while not locked
  RwUInt8* palette;  // while the palette is locked, else null
  RwInt32 width;     // pixels; while locked, those of the locked level
  RwInt32 height;
  RwInt32 depth;           // bits per pixel, set by the driver
  RwInt32 stride;          // bytes per row of the locked level; 0 while not locked
  RwInt16 offsetX;         // left edge within the parent
  RwInt16 offsetY;         // top edge within the parent
  RwUInt8 type;            // RwRasterType
  RwUInt8 flags;           // creation flags bits 3..7
  RwUInt8 privateFlags;    // RwRasterPrivateFlag bits, driver state
  RwUInt8 format;          // RwRasterFormat >> 8
  RwInt32 originalWidth;   // level-0 width, saved by a lock and restored by the unlock
  RwInt32 originalHeight;  // level-0 height, likewise
};

// Raster types: creation flags bits 0..2.
enum RwRasterType : RwUInt32 {
  rwRASTERTYPENORMAL = 0x00,
  rwRASTERTYPEZBUFFER = 0x01,
  rwRASTERTYPECAMERA = 0x02,
  rwRASTERTYPETEXTURE = 0x04,
  rwRASTERTYPECAMERATEXTURE = 0x05,
  rwRASTERTYPEMASK = 0x07,
  rwRASTERDONTALLOCATE = 0x80,  // no pixel storage of its own
};

// Format flags: creation flags bits 8..15. The low nibble is the pixel
// format, the high bits are modifiers.
enum RwRasterFormat : RwUInt32 {
  rwRASTERFORMATDEFAULT = 0x0000,
  rwRASTERFORMAT1555 = 0x0100,
  rwRASTERFORMAT565 = 0x0200,
  rwRASTERFORMAT4444 = 0x0300,
  rwRASTERFORMATLUM8 = 0x0400,
  rwRASTERFORMAT8888 = 0x0500,
  rwRASTERFORMAT888 = 0x0600,
  rwRASTERFORMAT16 = 0x0700,
  rwRASTERFORMAT32 = 0x0900,
  rwRASTERFORMAT555 = 0x0A00,
  rwRASTERFORMATAUTOMIPMAP = 0x1000,
  rwRASTERFORMATPAL8 = 0x2000,
  rwRASTERFORMATPAL4 = 0x4000,
  rwRASTERFORMATMIPMAP = 0x8000,
  rwRASTERFORMATPIXELFORMATMASK = 0x0F00,
  rwRASTERFORMATMASK = 0xFF00,
};

// Driver state bits in RwRaster::privateFlags.
enum RwRasterPrivateFlag : RwUInt8 {
  kRwRasterGammaCorrected = 0x01,  // travels to and from kRwImageGammaCorrected
  kRwRasterPixelLockedRead = 0x02,
  kRwRasterPixelLockedWrite = 0x04,
  kRwRasterPaletteLocked = 0x08,
  kRwRasterPaletteLockedWrite = 0x10,
};

// Lock modes: the low byte of the lock word; the mip level is the next byte.
enum RwRasterLockMode : RwUInt32 {
  rwRASTERLOCKWRITE = 0x01,
  rwRASTERLOCKREAD = 0x02,
};

struct RwRect {
  RwInt32 x;
  RwInt32 y;
  RwInt32 w;
  RwInt32 h;
};

constexpr RwUInt32 kRwRasterPluginId = 0x407;
constexpr RwInt32 kRwRasterContextStackSize = 10;  // the empty raster included

// The module's data in the engine instance (engine plugin kRwRasterPluginId).
struct RwRasterGlobals {
  RwRaster* contextStack[kRwRasterContextStackSize];
  RwInt32 stackTop;            // index of the top entry; entry 0 is the empty raster
  RwRaster emptyRaster;        // all zero but flags rwRASTERDONTALLOCATE
  RwFreeList* rasterFreeList;  // its record is static storage of the module
};

RwRaster* RwRasterCreate(RwInt32 width, RwInt32 height, RwInt32 depth, RwUInt32 flags);
RwBool RwRasterDestroy(RwRaster* raster);
// Attaches a raster created with rwRASTERDONTALLOCATE to a rectangle of parent.
RwRaster* RwRasterSubRaster(RwRaster* subRaster, RwRaster* raster, const RwRect* rect);
RwUInt8* RwRasterLock(RwRaster* raster, RwUInt8 level, RwUInt32 lockMode);
RwRaster* RwRasterUnlock(RwRaster* raster);
RwUInt8* RwRasterLockPalette(RwRaster* raster, RwUInt32 lockMode);
RwRaster* RwRasterUnlockPalette(RwRaster* raster);
// 1 without rwRASTERFORMATMIPMAP; -1 when the driver cannot count the levels.
RwInt32 RwRasterGetNumLevels(RwRaster* raster);
// Null (and nothing pushed) when the stack is full or the driver refuses.
RwRaster* RwRasterPushContext(RwRaster* raster);
// Null when only the empty raster is left, or when the driver refuses the
// raster below (the stack then stays popped).
RwRaster* RwRasterPopContext(void);
RwRaster* RwRasterGetCurrentContext(void);
// Draws the raster into the current context at (x, y), unscaled and
// blended; null when the driver refuses the pair of rasters.
RwRaster* RwRasterRender(RwRaster* raster, RwInt32 x, RwInt32 y);
RwRaster* RwRasterRenderScaled(RwRaster* raster, const RwRect* rect);
// Ages the resource arena, then presents.
RwRaster* RwRasterShowRaster(RwRaster* raster, void* deviceWindow, RwUInt32 flags);

RwInt32 RwRasterRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                               RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RwRasterGetPluginOffset(RwUInt32 pluginID);

RwImage* RwImageSetFromRaster(RwImage* image, RwRaster* raster);
RwRaster* RwRasterSetFromImage(RwRaster* raster, RwImage* image);
// The size, depth and creation flags (type | format) a raster of the given
// type would take for the image.
RwImage* RwImageFindRasterFormat(RwImage* image, RwUInt32 rasterType, RwInt32* width, RwInt32* height, RwInt32* depth,
                                 RwUInt32* format);
