// Raster functions for the fake display driver: create, destroy, lock,
// palette lock, sub-raster, mip count, context, render and show slots that
// keep their pixels in a raster extension and record what they were asked.
// Also starts and stops an engine on the fake driver for image and raster tests.
#pragma once

#include <vector>

#include "engine/engine.h"

struct FakeRasterState {
  RwInt32 extensionOffset = -1;
  bool failCreate = false;
  bool failSetContext = false;
  bool failShow = false;
  std::vector<RwRaster*> contexts;  // rasters handed to the set-context slot, in order
  std::vector<RwRaster*> shown;
  std::vector<RwRect> scaledRects;
  RwInt32 created = 0;
  RwInt32 destroyed = 0;
};

FakeRasterState& FakeRaster();

// Registers the fake's raster extension; call between RwEngineInit and RwEngineOpen.
bool FakeRasterAttach();
// Points the open engine's raster slots (and image conversion slots) at the fake.
void FakeRasterInstallFunctions();

// Fake driver, engine init with the given memory functions and arena size,
// the raster extension, open, the raster slots and start. False on any failure.
bool FakeImageEngineStart(RwUInt32 arenaSize, const RwMemoryFunctions* memory = nullptr);
// Stop, close and term, whatever state the engine is in.
void FakeImageEngineStop();
