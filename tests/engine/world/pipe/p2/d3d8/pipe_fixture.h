// The engine started on the Direct3D 8 stand-in with the world module
// attached and counting memory, geometries built in code, and a plain
// instance callback (positions and a colour per vertex in a pool range) for
// the instancing tests that need no atomic.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/world/world_internal.h"
#include "tests/support/counting_memory.h"
#include "tests/support/d3d8_camera_engine.h"

namespace pipe_test {

// Vertices the plain instance callback writes.
struct PlainVertex {
  RwV3d position;
  RwUInt32 color;
};
constexpr RwUInt32 kPlainFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr RwUInt32 kPlainColor = 0xFF336699;

// Counts calls of PlainInstance and fails the one numbered failAt (1-based).
struct PlainInstanceLog {
  int calls = 0;
  int reinstances = 0;
  int failAt = 0;
};

inline PlainInstanceLog& InstanceLog() {
  static PlainInstanceLog log;
  return log;
}

// The object is the geometry; its morph target 0 gives the positions.
inline RwBool PlainInstance(void* object, RpD3D8InstanceData* record, RwBool reinstance) {
  PlainInstanceLog& log = InstanceLog();
  log.calls++;
  log.reinstances += reinstance ? 1 : 0;
  if (log.calls == log.failAt) {
    return FALSE;
  }
  const RpGeometry* geometry = static_cast<const RpGeometry*>(object);
  record->stride = sizeof(PlainVertex);
  record->vertexShader = kPlainFvf;
  if (!reinstance) {
    record->managed = 1;
    if (!RpD3D8VertexBufferManagerCreate(kPlainFvf, record->stride * record->numVertices, &record->vertexBuffer,
                                         &record->baseIndex)) {
      return FALSE;
    }
  }
  BYTE* locked = nullptr;
  if (FAILED(record->vertexBuffer->Lock(record->baseIndex * record->stride, record->stride * record->numVertices,
                                        &locked, D3DLOCK_NOSYSLOCK))) {
    return FALSE;
  }
  PlainVertex* out = reinterpret_cast<PlainVertex*>(locked);
  for (RwUInt32 i = 0; i < record->numVertices; i++) {
    out[i] = {geometry->morphTarget[0].verts[record->minVert + i], kPlainColor};
  }
  record->vertexBuffer->Unlock();
  return TRUE;
}

// The pictures' clear colour (and its back-buffer pixel) and the centre of
// the 160 x 120 frame.
constexpr RwRGBA kClear = {40, 80, 120, 255};
constexpr uint32_t kClearPixel = 0x285078;
constexpr int kCentreX = 80;
constexpr int kCentreY = 60;
// One pixel step of the read-back may differ from the computed shade.
constexpr int kTolerance = 3;

inline ::testing::AssertionResult ShadeNear(uint32_t actual, int red, int green, int blue) {
  const int got[3] = {int(actual >> 16) & 0xFF, int(actual >> 8) & 0xFF, int(actual) & 0xFF};
  const int want[3] = {red, green, blue};
  for (int i = 0; i < 3; i++) {
    if (std::abs(got[i] - want[i]) > kTolerance) {
      return ::testing::AssertionFailure() << "pixel (" << got[0] << ", " << got[1] << ", " << got[2]
                                           << "), wanted about (" << red << ", " << green << ", " << blue << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

// A camera looking along +z from the origin (CameraDriverTest) over a
// 160 x 120 frame.
class WorldPipeTest : public CameraDriverTest {
 protected:
  static constexpr RwUInt32 kArenaSize = 1 << 22;

  void SetUp() override {
    CameraDriverTest::SetUp();
    InstanceLog() = PlainInstanceLog();
  }

  void TearDown() override {
    for (RpGeometry* geometry : geometries_) {
      RpGeometryDestroy(geometry);
    }
    for (RpMaterial* material : materials_) {
      RpMaterialDestroy(material);
    }
    geometries_.clear();
    materials_.clear();
    // The light state keeps its lists until the engine stops; closed here
    // they are not counted as left behind.
    RpD3D8LightsClose();
    if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus == kRwEngineStatusStarted) {
      EXPECT_EQ(LiveBlocks(), startBlocks_ + cacheBlocks_) << "engine blocks left behind";
    }
    CameraDriverTest::TearDown();
  }

  // Init with counting memory, the world module (which opens the world
  // pipelines at start), open, windowed, start, and a camera.
  void Start(d3d8test::CapsProfile profile = d3d8test::CapsProfile::Full) {
    d3d8test::SetCapsProfile(profile);
    CountingMemoryReset();
    ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, kArenaSize));
    ASSERT_TRUE(RpWorldPluginAttach());
    RwEngineOpenParams params = {&window_};
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineSetVideoMode(0));
    ASSERT_TRUE(RwEngineStart());
    camera_ = MakeCamera(kRwRasterTypeCameraFlags);
    ASSERT_NE(camera_, nullptr);
    TakeError();
    startBlocks_ = LiveBlocks();
  }

  static int LiveBlocks() { return CountingMemoryLiveBlocks(); }

  RpMaterial* Material(RwRGBA color = {255, 255, 255, 255}) {
    RpMaterial* material = RpMaterialCreate();
    RpMaterialSetColor(material, &color);
    materials_.push_back(material);
    return material;
  }

  // A geometry of the vertices (morph target 0) and triangles (three indices
  // each, all of material 0), with its mesh header built; kept until the
  // test ends.
  RpGeometry* Geometry(const std::vector<RwV3d>& vertices, const std::vector<RwUInt16>& indices, RwUInt32 flags = 0,
                       RpMaterial* material = nullptr) {
    const RwInt32 numTriangles = static_cast<RwInt32>(indices.size() / 3);
    RpGeometry* geometry = RpGeometryCreate(static_cast<RwInt32>(vertices.size()), numTriangles, flags);
    if (geometry == nullptr) {
      return nullptr;
    }
    std::memcpy(geometry->morphTarget[0].verts, vertices.data(), vertices.size() * sizeof(RwV3d));
    RpMaterialListAppendMaterial(&geometry->matList, material != nullptr ? material : Material());
    for (RwInt32 t = 0; t < numTriangles; t++) {
      geometry->triangles[t] = {{indices[3 * t], indices[3 * t + 1], indices[3 * t + 2]}, 0};
    }
    geometries_.push_back(geometry);
    return RpGeometryUnlock(geometry);
  }

  // n vertices along x.
  static std::vector<RwV3d> Row(int n) {
    std::vector<RwV3d> vertices;
    for (int i = 0; i < n; i++) {
      vertices.push_back({static_cast<RwReal>(i), 0.0f, 0.0f});
    }
    return vertices;
  }

  // A mesh header of the meshes' index lists (material of the geometry's
  // list entry 0), replacing the geometry's own.
  static RpMeshHeader* SetMeshes(RpGeometry* geometry, const std::vector<std::vector<RwUInt16>>& meshes,
                                 RwUInt32 flags = kRpMeshHeaderTriList) {
    RwUInt32 total = 0;
    for (const auto& mesh : meshes) {
      total += static_cast<RwUInt32>(mesh.size());
    }
    const RwBool indexed = (flags & kRpMeshHeaderUnindexed) == 0;
    RpMeshHeader* header = _rpMeshHeaderCreate(static_cast<RwUInt32>(meshes.size()), total, indexed, flags);
    if (header == nullptr) {
      return nullptr;
    }
    RpMesh* mesh = RpMeshHeaderGetFirstMesh(header);
    RwUInt16* indices = reinterpret_cast<RwUInt16*>(mesh + meshes.size());
    for (const auto& list : meshes) {
      mesh->numIndices = static_cast<RwUInt32>(list.size());
      mesh->material = RpMaterialListGetMaterial(&geometry->matList, 0);
      if (indexed) {
        mesh->indices = indices;
        std::memcpy(indices, list.data(), list.size() * sizeof(RwUInt16));
        indices += list.size();
      }
      mesh++;
    }
    if (geometry->mesh != nullptr) {
      RpMeshHeaderDestroy(geometry->mesh);
    }
    geometry->mesh = header;
    return header;
  }

  // Instance data of the geometry through the plain callback.
  static RwResEntry* Instance(RpGeometry* geometry, RwBool persistent = FALSE) {
    return RpD3D8InstanceDataCreate(geometry, geometry, &geometry->repEntry, geometry->mesh, PlainInstance, persistent);
  }

  static std::vector<RwUInt16> IndexBufferContents(IDirect3DIndexBuffer8* indexBuffer, RwUInt32 count) {
    std::vector<RwUInt16> indices(count);
    BYTE* locked = nullptr;
    if (indexBuffer != nullptr && SUCCEEDED(indexBuffer->Lock(0, 0, &locked, D3DLOCK_READONLY))) {
      std::memcpy(indices.data(), locked, count * sizeof(RwUInt16));
      indexBuffer->Unlock();
    }
    return indices;
  }

  static std::vector<uint8_t> VertexBytes(const RpD3D8InstanceData& record) {
    std::vector<uint8_t> bytes(record.stride * record.numVertices);
    BYTE* locked = nullptr;
    if (record.vertexBuffer != nullptr &&
        SUCCEEDED(record.vertexBuffer->Lock(record.baseIndex * record.stride, static_cast<UINT>(bytes.size()), &locked,
                                            D3DLOCK_READONLY))) {
      std::memcpy(bytes.data(), locked, bytes.size());
      record.vertexBuffer->Unlock();
    }
    return bytes;
  }

  // The value last sent to the device for a render state (all ones when
  // none was sent while recording).
  static uint64_t LastSent(D3DRENDERSTATETYPE state) {
    uint64_t value = ~0ull;
    for (const std::vector<uint64_t>& args : d3d8test::AllArgs(Device(), "SetRenderState")) {
      if (args.size() >= 2 && args[0] == uint64_t(state)) {
        value = args[1];
      }
    }
    return value;
  }

  std::vector<RpGeometry*> geometries_;
  std::vector<RpMaterial*> materials_;
  // Blocks the driver keeps until the engine stops (its record of sent
  // lights), made while a test ran.
  int cacheBlocks_ = 0;

 private:
  int startBlocks_ = 0;
};

}  // namespace pipe_test
