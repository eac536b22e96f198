// Model files for the clump-object tests and fuzz targets, made with the engine's own
// writers: clumps of square quads in the x-y plane, each its own atomic on
// the root frame, facing a camera that looks along +z.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine.h"

struct tTestQuad {
  RwV3d centre = {0.0f, 0.0f, 0.0f};
  float size = 1.0f;
  // One material per colour; triangle 1 takes the last material.
  std::vector<RwRGBA> materials = {{255, 255, 255, 255}};
  RwRGBA prelit = {255, 255, 255, 255};
  RwUInt32 geometryFlags = rpGEOMETRYPOSITIONS | rpGEOMETRYPRELIT | rpGEOMETRYLIGHT;
  RwUInt8 atomicFlags = rpATOMICRENDER;
  bool mirrored = false;  // wound the other way: its front faces along +z
};

// Runs on each quad's geometry before the clump is written (user data).
using tDecorate = std::function<void(RpGeometry* geometry, size_t quad)>;

inline RpGeometry* MakeQuadGeometry(const tTestQuad& quad) {
  RpGeometry* geometry = RpGeometryCreate(4, 2, quad.geometryFlags);
  const float h = quad.size * 0.5f;
  const RwV3d c = quad.centre;
  RwV3d* v = geometry->morphTarget[0].verts;
  // Seen from -z with x growing to the left on screen: wound for back-face
  // culling of a camera looking along +z.
  const float side = quad.mirrored ? h : -h;
  v[0] = {c.x - side, c.y - h, c.z};
  v[1] = {c.x + side, c.y - h, c.z};
  v[2] = {c.x + side, c.y + h, c.z};
  v[3] = {c.x - side, c.y + h, c.z};
  if (geometry->preLitLum != nullptr) {
    for (int i = 0; i < 4; i++) {
      geometry->preLitLum[i] = quad.prelit;
    }
  }
  const RwUInt16 last = static_cast<RwUInt16>(quad.materials.size() - 1);
  geometry->triangles[0] = {{0, 1, 2}, 0};
  geometry->triangles[1] = {{0, 2, 3}, last};
  for (const RwRGBA& colour : quad.materials) {
    RpMaterial* material = RpMaterialCreate();
    RpMaterialSetColor(material, &colour);
    RpMaterialListAppendMaterial(&geometry->matList, material);
    RpMaterialDestroy(material);
  }
  geometry->morphTarget[0].boundingSphere = {c, quad.size};
  RpGeometryUnlock(geometry);
  return geometry;
}

inline RpClump* MakeQuadClump(const std::vector<tTestQuad>& quads, const tDecorate& decorate = nullptr) {
  RpClump* clump = RpClumpCreate();
  RwFrame* root = RwFrameCreate();
  RpClumpSetFrame(clump, root);
  for (size_t i = 0; i < quads.size(); i++) {
    RpGeometry* geometry = MakeQuadGeometry(quads[i]);
    if (decorate) {
      decorate(geometry, i);
    }
    RpAtomic* atomic = RpAtomicCreate();
    RpAtomicSetGeometry(atomic, geometry, 0);
    RpAtomicSetFrame(atomic, root);
    RpAtomicSetFlags(atomic, quads[i].atomicFlags);
    RpClumpAddAtomic(clump, atomic);
    RpGeometryDestroy(geometry);
  }
  return clump;
}

// Writes the clump chunk of the quads as the whole file.
inline bool WriteQuadModel(const std::string& path, const std::vector<tTestQuad>& quads,
                           const tDecorate& decorate = nullptr) {
  RpClump* clump = MakeQuadClump(quads, decorate);
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamWrite, path.c_str());
  const bool written = stream != nullptr && RpClumpStreamWrite(clump, stream) != nullptr;
  if (stream != nullptr) {
    RwStreamClose(stream, nullptr);
  }
  RpClumpDestroy(clump);
  return written;
}

// The clump chunk of the quads as bytes, for a model served from memory;
// empty on failure.
inline std::vector<uint8_t> QuadModelBytes(const std::vector<tTestQuad>& quads, const tDecorate& decorate = nullptr) {
  RpClump* clump = MakeQuadClump(quads, decorate);
  std::vector<uint8_t> bytes;
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  RwMemory memory = {nullptr, 0};
  if (stream != nullptr && RpClumpStreamWrite(clump, stream) != nullptr && RwStreamClose(stream, &memory)) {
    bytes.assign(memory.start, memory.start + memory.length);
    RwFree(memory.start);
  }
  RpClumpDestroy(clump);
  return bytes;
}
