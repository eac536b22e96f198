// Seeds of the world module's fuzz targets: geometry chunks with lists and
// strips, pre-lit colours, normals, one to three coordinate sets, morph
// targets and a shared and a textured material, an empty geometry; and light
// chunks of every type; clumps with a hierarchy, shared and own geometries,
// lights and cameras, an empty clump and an old clump with an inline
// geometry; a geometry and a clump carrying every plugin's sub-chunks; and
// geometries and forged worlds carrying collision trees. From the engine's
// own writers, the forge and the chunk builder.
#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "tests/fuzz/seeds/level01_seeds.h"
#include "tests/fuzz/seeds/plugin_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/clump_builder.h"
#include "tools/forge/forge.h"

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
  AddLevel01Seeds(seeds, ".dff");
}

// Geometries carrying collision trees (a single leaf, a soup split into many
// leaves, a strip whose triangles share their vertices) and forged worlds
// whose sectors carry them, with separate and with single plane values.
TK_FUZZ_SEEDS(engine_collision_fuzz) {
  StartSeedEngine();
  const RwInt32 counts[] = {2, 40, 120};
  for (RwInt32 count : counts) {
    const bool strip = count == 120;
    const RwInt32 numVertices = strip ? count + 2 : 3 * count;
    RpGeometry* geometry = RpGeometryCreate(numVertices, count, 0);
    for (RwInt32 i = 0; i < numVertices; ++i) {
      const auto f = static_cast<RwReal>(i);
      geometry->morphTarget[0].verts[i] = {f * 0.37f - 7.0f, (i % 7) * 1.3f, (i % 5) * 0.9f + (i % 2)};
    }
    for (RwInt32 t = 0; t < count; ++t) {
      const auto first = static_cast<RwUInt16>(strip ? t : 3 * t);
      geometry->triangles[t] = {{first, static_cast<RwUInt16>(first + 1), static_cast<RwUInt16>(first + 2)}, 0};
    }
    geometry = RpGeometryUnlock(geometry);
    if (geometry == nullptr || RpCollisionGeometryBuildData(geometry) == nullptr) {
      std::abort();
    }
    seeds.Add("trees" + std::to_string(count) + ".bin", GeometryBytes(geometry));
  }
  ForgeSoup soup;
  soup.materials.resize(1);
  ForgeAddGrid(&soup, {-20.0f, 0.0f, -20.0f}, 40.0f, 4, 0);
  ForgeAddBox(&soup, {-5.0f, 0.0f, -5.0f}, {5.0f, 10.0f, 5.0f}, 0);
  ForgeAddBox(&soup, {10.0f, 2.0f, 10.0f}, {14.0f, 6.0f, 18.0f}, 0);
  ForgeWorldOptions options;
  options.maxSectorTriangles = 12;
  seeds.Add("world_separate.bsp", ForgeWorldBytes(soup, options));
  options.flags = 0;
  seeds.Add("world_single.bsp", ForgeWorldBytes(soup, options));
}
