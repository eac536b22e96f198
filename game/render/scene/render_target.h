// A render target: the colour raster and the depth raster that a camera
// draws into. The main screen, a texture of a given size, or a clipped
// rectangle of another target.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

struct tTargetSize {
  u32 width;  // pixels
  u32 height;
};

class cRenderTarget {
 public:
  cRenderTarget() : mColour(nullptr), mDepth(nullptr) {}
  ~cRenderTarget() { Release(); }

  cRenderTarget(const cRenderTarget&) = delete;
  cRenderTarget& operator=(const cRenderTarget&) = delete;

  // The colour raster's size; 0 x 0 without one.
  tTargetSize GetSize() const;
  // Destroys each raster that is set.
  void Release();
  // A camera raster and a depth raster of that size (the screen).
  bool CreateScreen(const tTargetSize& size);
  // A camera-texture raster, usable as a texture, and a depth raster.
  bool Create(const tTargetSize& size);
  // Sub-rasters of the parent's rasters over the rectangle clipped to the
  // parent; a rectangle wholly outside gives an empty target (0 x 0).
  bool CreateSubTarget(const cRenderTarget& parent, const RwRect& rect);

  // The raster is owned from then on; the one held before is left alone.
  void SetColourRaster(RwRaster* raster) { mColour = raster; }
  void SetDepthRaster(RwRaster* raster) { mDepth = raster; }
  RwRaster* GetColourRaster() const { return mColour; }
  RwRaster* GetDepthRaster() const { return mDepth; }

 private:
  bool CreateSized(const tTargetSize& size, RwUInt32 colourType);

  RwRaster* mColour;
  RwRaster* mDepth;
};

// The rectangle clipped to a parent of width x height: a negative x is
// added to the width and x becomes 0 (likewise y), a width reaching past the
// parent is cut; never of negative size.
RwRect ClipRectToParent(const RwRect& rect, s32 width, s32 height);
