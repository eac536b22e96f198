// Morph internals shared by the plugin's files and its tests: the geometry
// and atomic extensions. Nothing in the engine sets an atomic's record but
// the atomic copier, so tests set chains and slots through these.
#pragma once

#include "engine/plugin/morph/rpmorph.h"

struct RpGeometry;

struct RpMorphGeometry {
  RwInt32 numInterpolators;
  RpMorphGeometryCallBack callBack;    // the default callback when constructed
  RpMorphInterpolator* interpolators;  // owned, numInterpolators records
};

struct RpMorphAtomic {
  RpMorphInterpolator* interpolator;  // the current record, or null
  RwReal position;                    // within the current record
  RpGeometry* geometry;               // whose chain the record belongs to
};

// The extensions; null while the plugin is not attached.
RpMorphGeometry* _rpMorphGeometry(const RpGeometry* geometry);
RpMorphAtomic* _rpMorphAtomic(const RpAtomic* atomic);
// Replaces the geometry's records with count zeroed ones, each linking to
// itself; null (out of memory recorded) with the geometry unchanged.
RpMorphGeometry* _rpMorphGeometrySetNumInterpolators(RpGeometry* geometry, RwInt32 count);
