// Seeds of the world module's fuzz targets: geometry chunks with lists and
// strips, pre-lit colours, normals, one to three coordinate sets, morph
// targets and a shared and a textured material, an empty geometry; and light
// chunks of every type; clumps with a hierarchy, shared and own geometries,
// lights and cameras, an empty clump and an old clump with an inline
// geometry; and a geometry and a clump carrying every plugin's sub-chunks.
// From the engine's own writers and the chunk builder.
#include <string>

#include "engine/engine.h"
#include "tests/fuzz/seeds/plugin_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/clump_builder.h"

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

std::vector<uint8_t> GeometryBytes(RpGeometry* geometry) {
  std::vector<uint8_t> bytes =
      EngineWritten([geometry](RwStream* stream) { return RpGeometryStreamWrite(geometry, stream) != nullptr; });
  RpGeometryDestroy(geometry);
  return bytes;
}

// A material with a texture of the name, which reading looks up by name.
RpMaterial* TexturedMaterial(const char* name) {
  RpMaterial* material = RpMaterialCreate();
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, name);
  RpMaterialSetTexture(material, texture);
  RwTextureDestroy(texture);
  return material;
}

// A root with two children, the second with a child of its own.
RpClump* FramedClump(RwFrame** frames) {
  RpClump* clump = RpClumpCreate();
  for (RwInt32 i = 0; i < 4; ++i) {
    frames[i] = RwFrameCreate();
    const RwV3d offset = {static_cast<RwReal>(i), 1.0f, 0.0f};
    RwFrameTranslate(frames[i], &offset, kRwCombineReplace);
  }
  RwFrameAddChild(frames[0], frames[1]);
  RwFrameAddChild(frames[0], frames[2]);
  RwFrameAddChild(frames[2], frames[3]);
  RpClumpSetFrame(clump, frames[0]);
  return clump;
}

std::vector<uint8_t> ClumpBytes(RpClump* clump) {
  std::vector<uint8_t> bytes =
      EngineWritten([clump](RwStream* stream) { return RpClumpStreamWrite(clump, stream) != nullptr; });
  RpClumpDestroy(clump);
  return bytes;
}

// Two atomics share a textured geometry, a third has its own morphing one; a
// spot light and a camera hang on frames below the root.
std::vector<uint8_t> ModelBytes(RpMaterial* plain, RpMaterial* textured) {
  RwFrame* frames[4];
  RpClump* clump = FramedClump(frames);
  RpGeometry* shared = Geometry(rpGEOMETRYTEXTURED | rpGEOMETRYNORMALS, 1, plain, textured);
  RpGeometry* morphing = Geometry(rpGEOMETRYPRELIT, 2, textured, plain);
  AddClumpAtomic(clump, frames[0], shared, rpATOMICRENDER | rpATOMICCOLLISIONTEST);
  AddClumpAtomic(clump, frames[3], shared, 0xE4);
  AddClumpAtomic(clump, frames[1], morphing, rpATOMICRENDER);
  RpGeometryDestroy(shared);
  RpGeometryDestroy(morphing);
  RpLight* light = RpLightCreate(rpLIGHTSPOT);
  RpLightSetRadius(light, 8.0f);
  RpLightSetFrame(light, frames[2]);
  RpClumpAddLight(clump, light);
  RwCamera* camera = RwCameraCreate();
  RwCameraSetFrame(camera, frames[3]);
  RpClumpAddCamera(clump, camera);
  return ClumpBytes(clump);
}

std::vector<uint8_t> OldClumpBytes() {
  RwFrame* frame = RwFrameCreate();
  RwFrameList frames;
  RwFrameListInitialize(&frames, frame);
  const std::vector<uint8_t> frameList =
      EngineWritten([&frames](RwStream* stream) { return RwFrameListStreamWrite(&frames, stream) != nullptr; });
  RwFrameListDeinitialize(&frames);
  RwFrameDestroy(frame);
  const ChunkBytes body = OldClumpBody(frameList, GeometryBytes(RpGeometryCreateEmpty(2.0f)));
  return ChunkBytes().Header(kRwChunkClump, static_cast<uint32_t>(body.size())).Bytes(body.bytes()).bytes();
}

}  // namespace

TK_FUZZ_SEEDS(engine_geometry_fuzz) {
  StartSeedEngine();
  RpMaterial* plain = RpMaterialCreate();
  RpMaterial* textured = TexturedMaterial("stone");
  const RwRGBA translucent = {10, 20, 30, 128};
  RpMaterialSetColor(textured, &translucent);

  const RwUInt32 strips = rpGEOMETRYTRISTRIP | rpGEOMETRYPRELIT | rpGEOMETRYNORMALS;
  seeds.Add("strips.bin", GeometryBytes(Geometry(strips, 1, plain, textured)));
  seeds.Add("lists.bin", GeometryBytes(Geometry(rpGEOMETRYTEXTURED | rpGEOMETRYLIGHT, 2, plain, textured)));
  seeds.Add("sets.bin", GeometryBytes(Geometry(0x00030000 | rpGEOMETRYNORMALS, 3, textured, plain)));
  seeds.Add("empty.bin", GeometryBytes(RpGeometryCreateEmpty(1.0f)));
  seeds.Add("plugins.bin", PluginGeometryBytes());
  RpMaterialDestroy(plain);
  RpMaterialDestroy(textured);
}

TK_FUZZ_SEEDS(engine_light_fuzz) {
  StartSeedEngine();
  const RwInt32 types[] = {rpLIGHTDIRECTIONAL, rpLIGHTAMBIENT, rpLIGHTPOINT, rpLIGHTSPOT, rpLIGHTSPOTSOFT};
  const RwRGBAReal color = {0.5f, 0.25f, 1.0f, 1.0f};
  for (RwInt32 type : types) {
    RpLight* light = RpLightCreate(type);
    RpLightSetColor(light, &color);
    RpLightSetRadius(light, 10.0f);
    RpLightSetConeAngle(light, 0.5f);
    seeds.Add("light" + std::to_string(type) + ".bin",
              EngineWritten([light](RwStream* stream) { return RpLightStreamWrite(light, stream) != nullptr; }));
    RpLightDestroy(light);
  }
}

TK_FUZZ_SEEDS(engine_clump_fuzz) {
  StartSeedEngine();
  RpMaterial* plain = RpMaterialCreate();
  RpMaterial* textured = TexturedMaterial("skin");
  seeds.Add("model.bin", ModelBytes(plain, textured));
  RpMaterialDestroy(plain);
  RpMaterialDestroy(textured);

  RwFrame* frames[4];
  RpClump* empty = FramedClump(frames);
  seeds.Add("empty.bin", ClumpBytes(empty));
  RpClump* single = FramedClump(frames);
  RpGeometry* geometry = RpGeometryCreateEmpty(1.0f);
  AddClumpAtomic(single, frames[2], geometry, rpATOMICRENDER);
  RpGeometryDestroy(geometry);
  seeds.Add("single.bin", ClumpBytes(single));
  seeds.Add("old_inline.bin", OldClumpBytes());
  seeds.Add("plugins.bin", PluginClumpBytes());
}
