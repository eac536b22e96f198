// Writes the seed corpus of engine_geometry_fuzz: geometry chunks from the
// engine's writer with lists and strips, pre-lit colours, normals, one to
// three coordinate sets and morph targets, a shared and a textured material,
// and an empty geometry.
#include "tests/fuzz/seeds/world_seeds.h"

namespace {

RpGeometry* Geometry(RwUInt32 format, RwInt32 morphTargets, RpMaterial* a, RpMaterial* b) {
  RpGeometry* geometry = RpGeometryCreate(6, 4, format);
  RpGeometryAddMorphTargets(geometry, morphTargets - 1);
  for (RwInt32 t = 0; t < morphTargets; ++t) {
    for (RwInt32 i = 0; i < 6; ++i) {
      geometry->morphTarget[t].verts[i] = {static_cast<RwReal>(i), static_cast<RwReal>(t), 1.0f};
    }
  }
  RpMaterialListAppendMaterial(&geometry->matList, a);
  RpMaterialListAppendMaterial(&geometry->matList, b);
  RpMaterialListAppendMaterial(&geometry->matList, a);
  geometry->triangles[0] = {{0, 1, 2}, 0};
  geometry->triangles[1] = {{2, 1, 3}, 1};
  geometry->triangles[2] = {{3, 4, 5}, 2};
  geometry->triangles[3] = {{5, 4, 0}, kRpTriangleNoMaterial};
  return RpGeometryUnlock(geometry);
}

void Add(worldseeds::Seeds* seeds, const char* name, RpGeometry* geometry) {
  seeds->push_back({name, worldseeds::Written([geometry](RwStream* stream) {
                      return RpGeometryStreamWrite(geometry, stream) != nullptr;
                    })});
  RpGeometryDestroy(geometry);
}

void Make(worldseeds::Seeds* seeds) {
  RpMaterial* plain = RpMaterialCreate();
  RpMaterial* textured = RpMaterialCreate();
  const RwRGBA translucent = {10, 20, 30, 128};
  RpMaterialSetColor(textured, &translucent);
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, "stone");
  RpMaterialSetTexture(textured, texture);
  RwTextureDestroy(texture);

  Add(seeds, "strips", Geometry(rpGEOMETRYTRISTRIP | rpGEOMETRYPRELIT | rpGEOMETRYNORMALS, 1, plain, textured));
  Add(seeds, "lists", Geometry(rpGEOMETRYTEXTURED | rpGEOMETRYLIGHT, 2, plain, textured));
  Add(seeds, "sets", Geometry(0x00030000 | rpGEOMETRYNORMALS, 3, textured, plain));
  Add(seeds, "empty", RpGeometryCreateEmpty(1.0f));
  RpMaterialDestroy(plain);
  RpMaterialDestroy(textured);
}

}  // namespace

int main(int argc, char** argv) { return worldseeds::WriteCorpus(argc, argv, Make); }
