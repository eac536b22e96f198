// Feeds arbitrary bytes to the collision sub-chunk reader through geometry
// and world chunks with the collision plugin attached. A geometry that reads
// is written back, queried through an atomic, gets its data rebuilt from its
// own (unchecked) triangles and is destroyed; a world that reads is queried
// by a line, a sphere and a box, and destroyed.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/world_fuzz_engine.h"

namespace {

RpIntersectionPrimitive* KeepGoing(RpIntersectionPrimitive* primitive, RpCollisionTriangle*, RwReal, void*) {
  return primitive;
}

RpIntersectionPrimitive* KeepGoingInWorld(RpIntersectionPrimitive* primitive, RpWorldSector*, RpCollisionTriangle*,
                                          RwReal, void*) {
  return primitive;
}

// A long diagonal line, a large sphere and a box about the origin.
void Primitives(RpIntersectionPrimitive out[3]) {
  out[0] = {};
  out[0].type = rpINTERSECTLINE;
  out[0].t.line = {{-100.0f, -90.0f, -80.0f}, {100.0f, 95.0f, 90.0f}};
  out[1] = {};
  out[1].type = rpINTERSECTSPHERE;
  out[1].t.sphere = {{1.0f, 2.0f, 3.0f}, 50.0f};
  out[2] = {};
  out[2].type = rpINTERSECTBOX;
  out[2].t.box = {{20.0f, 20.0f, 20.0f}, {-20.0f, -20.0f, -20.0f}};
}

void QueryGeometry(RpGeometry* geometry) {
  RpAtomic* atomic = RpAtomicCreate();
  if (atomic == nullptr) {
    return;
  }
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpIntersectionPrimitive primitives[3];
  Primitives(primitives);
  RpCollisionGeometryForAllIntersections(atomic, &primitives[0], KeepGoing, nullptr);
  RpCollisionGeometryForAllIntersections(atomic, &primitives[1], KeepGoing, nullptr);
  RpAtomicDestroy(atomic);
}

void ReadGeometry(RwStream* stream) {
  RpGeometry* geometry = RpGeometryStreamRead(stream);
  if (geometry == nullptr) {
    return;
  }
  RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  if (out != nullptr) {
    RpGeometryStreamWrite(geometry, out);
    RwStreamClose(out, nullptr);
  }
  QueryGeometry(geometry);
  RpCollisionGeometryBuildData(geometry);
  QueryGeometry(geometry);
  RpGeometryDestroy(geometry);
}

void ReadWorld(RwStream* stream) {
  RpWorld* world = RpWorldStreamRead(stream);
  if (world == nullptr) {
    return;
  }
  RpIntersectionPrimitive primitives[3];
  Primitives(primitives);
  for (RpIntersectionPrimitive& primitive : primitives) {
    RpCollisionWorldForAllIntersections(world, &primitive, KeepGoingInWorld, nullptr);
  }
  RpWorldDestroy(world);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = worldfuzz::StartEngine();
  if (!started) {
    std::abort();
  }
  RwMemory memory = {const_cast<RwUInt8*>(data), static_cast<RwUInt32>(size)};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  if (stream == nullptr) {
    return 0;
  }
  RwUInt32 type = 0;
  RwUInt32 length = 0;
  if (RwStreamReadChunkHeader(stream, &type, &length, nullptr, nullptr)) {
    if (type == kRwChunkGeometry) {
      ReadGeometry(stream);
    } else if (type == kRwChunkWorld) {
      ReadWorld(stream);
    }
  }
  RwStreamClose(stream, nullptr);
  RwErrorRecord error;
  RwErrorGet(&error);
  return 0;
}
