// Seeds carrying the sub-chunks of the user-data, LOD, morph and delta-morph
// plugins, written by the engine's own writers; the delta targets, which no
// engine function creates, are spliced in as bytes and read back first.
#include "tests/fuzz/seeds/plugin_seeds.h"

#include <cstdio>
#include <cstdlib>

#include "engine/engine.h"
#include "engine/plugin/morph/morph_internal.h"
#include "engine/plugin/userdata/userdata_internal.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/clump_builder.h"
#include "tests/support/plugin_chunks.h"

namespace {

constexpr RwUInt32 kAllKinds =
    rpDMORPHDATATYPEPOSITIONS | rpDMORPHDATATYPENORMALS | rpDMORPHDATATYPEPRELITS | rpDMORPHDATATYPETEXCOORDS;

// An integer, a real, a string (one null) and an empty array on the object.
void AddUserData(RwInt32 objectType, void* object) {
  RwInt32 index = _rpUserDataAddArray(objectType, object, "priority.priority", rpINTUSERDATA, 2);
  RpUserDataArraySetInt(&_rpUserDataList(objectType, object)->arrays[index], 1, -1);
  index = _rpUserDataAddArray(objectType, object, "lod.lod", rpREALUSERDATA, 1);
  RpUserDataArraySetFloat(&_rpUserDataList(objectType, object)->arrays[index], 0, 25.0f);
  index = _rpUserDataAddArray(objectType, object, "name.name", rpSTRINGUSERDATA, 2);
  RpUserDataArraySetString(&_rpUserDataList(objectType, object)->arrays[index], 0, "door");
  _rpUserDataAddArray(objectType, object, nullptr, rpINTUSERDATA, 0);
}

// Six vertices of every kind, two morph targets, one triangle.
RpGeometry* MorphingGeometry() {
  const RwUInt32 format = rpGEOMETRYPOSITIONS | rpGEOMETRYNORMALS | rpGEOMETRYPRELIT | rpGEOMETRYTEXTURED;
  RpGeometry* geometry = RpGeometryCreate(6, 1, format);
  RpGeometryAddMorphTargets(geometry, 1);
  geometry->triangles[0] = {{0, 1, 2}, kRpTriangleNoMaterial};
  return RpGeometryUnlock(geometry);
}

// The geometry read back from its bytes with two delta targets added.
RpGeometry* WithDeltaTargets(RpGeometry* geometry) {
  ChunkBytes body;
  body.U32(2);
  AddDeltaTarget(body, {'s', 'm', 'i', 'l', 'e', 0}, kAllKinds, {0x03, 0x82}, 2);
  AddDeltaTarget(body, {}, rpDMORPHDATATYPEPOSITIONS, {0x81}, 0);
  const std::vector<uint8_t> bytes = WithSubChunk(
      EngineWritten([geometry](RwStream* stream) { return RpGeometryStreamWrite(geometry, stream) != nullptr; }),
      kRpDMorphPluginId, body.bytes());
  RpGeometryDestroy(geometry);
  RwStream* stream = OpenMemoryRead(bytes);
  RpGeometry* read =
      RwStreamFindChunk(stream, kRwChunkGeometry, nullptr, nullptr) ? RpGeometryStreamRead(stream) : nullptr;
  RwStreamClose(stream, nullptr);
  if (read == nullptr) {
    std::fprintf(stderr, "fuzz_seeds: the delta targets did not read\n");
    std::abort();
  }
  return read;
}

RpGeometry* PluginGeometry() {
  RpGeometry* geometry = WithDeltaTargets(MorphingGeometry());
  AddUserData(rpUSERDATAGEOMETRY, geometry);
  RpMorphGeometry* chain = _rpMorphGeometrySetNumInterpolators(geometry, 2);
  chain->interpolators[0] = {0, 0, 1, 1.0f, 1.0f, &chain->interpolators[1]};
  chain->interpolators[1] = {0, 1, 0, 2.0f, 0.5f, &chain->interpolators[0]};
  return geometry;
}

}  // namespace

std::vector<uint8_t> PluginGeometryBytes() {
  StartSeedEngine();
  RpGeometry* geometry = PluginGeometry();
  std::vector<uint8_t> bytes =
      EngineWritten([geometry](RwStream* stream) { return RpGeometryStreamWrite(geometry, stream) != nullptr; });
  RpGeometryDestroy(geometry);
  return bytes;
}

std::vector<uint8_t> PluginClumpBytes() {
  StartSeedEngine();
  RpClump* clump = RpClumpCreate();
  RwFrame* root = RwFrameCreate();
  RwFrame* child = RwFrameCreate();
  RwFrameAddChild(root, child);
  RpClumpSetFrame(clump, root);
  AddUserData(rpUSERDATAFRAME, child);

  RpGeometry* geometry = PluginGeometry();
  RpMaterial* material = RpMaterialCreate();
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, "skin");
  RpMaterialSetTexture(material, texture);
  AddUserData(rpUSERDATAMATERIAL, material);
  AddUserData(rpUSERDATATEXTURE, texture);
  RwTextureDestroy(texture);
  RpMaterialListAppendMaterial(&geometry->matList, material);
  RpMaterialDestroy(material);
  RpGeometry* far = RpGeometryCreateEmpty(3.0f);

  RpAtomic* atomic = AddClumpAtomic(clump, child, geometry, rpATOMICRENDER);
  RpLODAtomicSetGeometry(atomic, 2, far);
  RpLODAtomicSetGeometry(atomic, 5, geometry);
  RpLODAtomicSetRange(atomic, 100.0f);
  AddClumpAtomic(clump, root, far, rpATOMICRENDER);
  RpGeometryDestroy(geometry);
  RpGeometryDestroy(far);

  RpLight* light = RpLightCreate(rpLIGHTPOINT);
  RpLightSetFrame(light, child);
  AddUserData(rpUSERDATALIGHT, light);
  RpClumpAddLight(clump, light);
  RwCamera* camera = RwCameraCreate();
  RwCameraSetFrame(camera, root);
  AddUserData(rpUSERDATACAMERA, camera);
  RpClumpAddCamera(clump, camera);

  std::vector<uint8_t> bytes =
      EngineWritten([clump](RwStream* stream) { return RpClumpStreamWrite(clump, stream) != nullptr; });
  RpClumpDestroy(clump);
  return bytes;
}
