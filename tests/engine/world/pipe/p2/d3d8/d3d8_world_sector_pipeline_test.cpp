// The world-sector pipeline on forged worlds: sector vertices laid out by the
// world's flags, the default sector pipeline, native sector data, and the
// pictures of a forged level with a forged clump textured from a forged
// dictionary: the world's lights on walls and clump against hand-computed
// shades, pre-lit walls, black mode, and the same picture after a lost
// device, under both caps profiles.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/world/pipe/p2/d3d8/pipe_fixture.h"
#include "tests/support/chunk_bytes.h"
#include "tools/forge/forge.h"

namespace pipe_test {
namespace {

constexpr RwReal kWallZ = 10.0f;
constexpr RwReal kHalf = 4.0f;  // half the wall's side

class WorldSectorTest : public WorldPipeTest {
 protected:
  void TearDown() override {
    if (world_ != nullptr) {
      RpWorldRemoveCamera(world_, camera_);
      if (clump_ != nullptr) {
        RpWorldRemoveClump(world_, clump_);
      }
      for (RpLight* light : lights_) {
        RpWorldRemoveLight(world_, light);
      }
      RpWorldDestroy(world_);
    }
    for (RpLight* light : lights_) {
      RwFrame* frame = RpLightGetFrame(light);
      RpLightSetFrame(light, nullptr);
      RwFrameDestroy(frame);
      RpLightDestroy(light);
    }
    if (clump_ != nullptr) {
      RpClumpDestroy(clump_);
    }
    if (dictionary_ != nullptr) {
      RwTexDictionarySetCurrent(nullptr);
      RwTexDictionaryDestroy(dictionary_);
    }
    WorldPipeTest::TearDown();
  }

  // A wall 8 units square facing the camera 10 units ahead (normals
  // towards it) and a floor 4 units below the camera reaching back to it
  // (so that the world's box holds the space in front of the camera), all
  // pre-lit green, as one sector of a world with the flags; the camera
  // joins the world.
  void Wall(RwUInt32 flags, RwInt32 texCoordSets = 0) {
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    auto add = [&soup](RwV3d position, RwV3d normal) {
      ForgeVertex vertex;
      vertex.position = position;
      vertex.normal = normal;
      vertex.prelight = {10, 200, 30, 255};
      soup.vertices.push_back(vertex);
    };
    for (RwReal y : {kHalf, -kHalf}) {
      for (RwReal x : {-kHalf, kHalf}) {
        add({x, y, kWallZ}, {0.0f, 0.0f, -1.0f});
      }
    }
    for (RwReal z : {kWallZ, 0.0f}) {
      for (RwReal x : {-kHalf, kHalf}) {
        add({x, -kHalf, z}, {0.0f, 1.0f, 0.0f});
      }
    }
    soup.triangles = {{{0, 1, 2}, 0}, {{2, 1, 3}, 0}, {{4, 5, 6}, 0}, {{6, 5, 7}, 0}};
    ForgeWorldOptions options;
    options.flags |= flags;
    options.texCoordSets = texCoordSets;
    world_ = ForgeWorldCreate(soup, options);
    ASSERT_NE(world_, nullptr);
    RpWorldAddCamera(world_, camera_);
  }

  RpWorldSector* FirstSector() {
    RpWorldSector* first = nullptr;
    RpWorldForAllWorldSectors(
        world_,
        [](RpWorldSector* sector, void* data) -> RpWorldSector* {
          *static_cast<RpWorldSector**>(data) = sector;
          return nullptr;
        },
        &first);
    return first;
  }

  RpLight* AddLight(RwInt32 type, RwRGBAReal color, RwV3d position, RwUInt32 flags) {
    cacheBlocks_ = 1;  // the driver's record of sent lights
    RpLight* light = RpLightCreate(type);
    RwFrame* frame = RwFrameCreate();
    RwFrameTranslate(frame, &position, kRwCombineReplace);
    RpLightSetFrame(light, frame);
    RpLightSetColor(light, &color);
    RpLightSetRadius(light, 10.0f);
    RpLightSetFlags(light, flags);
    RpWorldAddLight(world_, light);
    lights_.push_back(light);
    return light;
  }

  // A forged box clump 5 units ahead, its material's texture "solid" read
  // from a forged dictionary with the clump.
  void TexturedClump(RwRGBA texel) {
    ForgeTexture texture;
    texture.name = "solid";
    texture.pattern = kForgePatternSolid;
    texture.colors[0] = texel;
    std::vector<uint8_t> dictionaryBytes;
    ASSERT_TRUE(WriteToMemory([&texture](RwStream* stream) { return ForgeWriteTexDictionary(stream, {texture}); },
                              &dictionaryBytes));
    RwStream* stream = OpenMemoryRead(dictionaryBytes);
    ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkTexDictionary, nullptr, nullptr));
    dictionary_ = RwTexDictionaryStreamRead(stream);
    RwStreamClose(stream, nullptr);
    ASSERT_NE(dictionary_, nullptr);
    RwTexDictionarySetCurrent(dictionary_);

    ForgePart part;
    part.size = {2.0f, 2.0f, 2.0f};
    part.offset = {0.0f, 0.0f, 5.0f};
    part.material.texture = "solid";
    std::vector<uint8_t> clumpBytes;
    ASSERT_TRUE(WriteToMemory([&part](RwStream* out) { return ForgeWriteClump(out, {part}); }, &clumpBytes));
    stream = OpenMemoryRead(clumpBytes);
    ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkClump, nullptr, nullptr));
    clump_ = RpClumpStreamRead(stream);
    RwStreamClose(stream, nullptr);
    ASSERT_NE(clump_, nullptr);
    RpWorldAddClump(world_, clump_);
  }

  bool Frame() {
    return DrawFrame(kClear, [this] { return RpWorldRender(world_) != nullptr; });
  }

  // The wall's pixel beside the clump. At the wall's depth a unit is 8
  // pixels across and 6 down; the clump's face covers 20 and 15 pixels
  // about the centre.
  static uint32_t WallPixel() { return BackBufferPixel(kCentreX + 26, kCentreY - 18); }

  RpWorld* world_ = nullptr;
  RpClump* clump_ = nullptr;
  RwTexDictionary* dictionary_ = nullptr;
  std::vector<RpLight*> lights_;
};

TEST_F(WorldSectorTest, SectorVerticesFollowTheWorldFlags) {
  Start();
  Wall(rpWORLDNORMALS | rpWORLDPRELIT, 1);
  RpWorldSector* sector = FirstSector();
  ASSERT_NE(sector, nullptr);
  // A normal of signed bytes (127, 0, -128).
  sector->normals[0] = {127, 0, -128, 0};
  Record();
  ASSERT_TRUE(Frame());
  ASSERT_NE(sector->repEntry, nullptr);
  const RpD3D8InstanceData& record = RpD3D8InstanceDataGetRecords(sector->repEntry)[0];
  EXPECT_EQ(record.vertexShader, 0x152u);
  EXPECT_EQ(record.stride, 36u);
  EXPECT_TRUE(record.managed);
  ASSERT_EQ(record.minVert, 0u);
  const std::vector<uint8_t> bytes = VertexBytes(record);
  const float* normal = reinterpret_cast<const float*>(bytes.data() + 12);
  EXPECT_EQ(normal[0], 0.9921875f);
  EXPECT_EQ(normal[1], 0.0f);
  EXPECT_EQ(normal[2], -1.0f);
  // The sector's box reaches behind the camera: clipped. A second frame
  // keeps the data.
  EXPECT_EQ(LastSent(D3DRS_CLIPPING), 1u);
  RwResEntry* entry = sector->repEntry;
  ASSERT_TRUE(Frame());
  EXPECT_EQ(sector->repEntry, entry);

  // Null restores the all-in-one sector pipeline.
  RwPipelineGlobals* globals = RwPipelineGetGlobals();
  RwPipeline* other = RwPipelineCreate();
  RpWorldSetDefaultSectorPipeline(other);
  EXPECT_EQ(globals->defaultWorldSectorPipeline, other);
  RpWorldSetDefaultSectorPipeline(nullptr);
  EXPECT_EQ(globals->defaultWorldSectorPipeline, globals->d3d8WorldSectorAllInOnePipeline);
  RwPipelineDestroy(other);
}

TEST_F(WorldSectorTest, NativeSectorDataRoundTrips) {
  Start();
  Wall(rpWORLDNORMALS | rpWORLDPRELIT);
  RpWorldSector* sector = FirstSector();
  ASSERT_TRUE(Frame());
  // Not native: nothing to write.
  EXPECT_EQ(RpD3D8WorldSectorNativeSize(sector), 0);
  world_->flags |= rpWORLDNATIVE;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(WriteToMemory(
      [sector](RwStream* stream) { return RpD3D8WorldSectorNativeWrite(stream, sector) == stream; }, &bytes));
  EXPECT_EQ(bytes.size(), 12u + RpD3D8WorldSectorNativeSize(sector));
  const RpD3D8InstanceData before = RpD3D8InstanceDataGetRecords(sector->repEntry)[0];
  const std::vector<uint8_t> vertices = VertexBytes(before);
  const std::vector<RwUInt16> indices = IndexBufferContents(before.indexBuffer, before.numIndices);
  RwResourcesFreeResEntry(sector->repEntry);
  RwStream* stream = OpenMemoryRead(bytes);
  ASSERT_EQ(RpD3D8WorldSectorNativeRead(stream, sector), sector);
  RwStreamClose(stream, nullptr);
  const RpD3D8InstanceData& after = RpD3D8InstanceDataGetRecords(sector->repEntry)[0];
  EXPECT_EQ(after.material, before.material);
  EXPECT_EQ(VertexBytes(after), vertices);
  EXPECT_EQ(IndexBufferContents(after.indexBuffer, after.numIndices), indices);
  // A native world draws what was read.
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(ShadeNear(WallPixel(), 10, 200, 30));
}

class ForgedLevelTest : public WorldSectorTest, public ::testing::WithParamInterface<d3d8test::CapsProfile> {};

TEST_P(ForgedLevelTest, WallsTakeTheWorldsLights) {
  Start(GetParam());
  Wall(rpWORLDNORMALS | rpWORLDLIGHT);
  // No light reaches the lit wall: lighting goes off and it draws black.
  ASSERT_TRUE(Frame());
  EXPECT_EQ(WallPixel(), 0x000000u);
  // A directional light along the view: the shade is its colour.
  RpLight* directional = AddLight(rpLIGHTDIRECTIONAL, {0.5f, 0.25f, 1.0f, 1.0f}, {0, 0, 0}, rpLIGHTLIGHTWORLD);
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(ShadeNear(WallPixel(), 128, 64, 255));
  // Replaced by a white point light 4 units in front of the wall, radius 10:
  // at each of the wall's corners (distance sqrt 48) attenuation
  // 1 / (1 + 0.05 x 48) and N.L = 4 / sqrt 48, 0.170 of full.
  RpLightSetFlags(directional, 0);
  AddLight(rpLIGHTPOINT, {1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, kWallZ - 4.0f}, rpLIGHTLIGHTWORLD);
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(ShadeNear(WallPixel(), 43, 43, 43));
}

TEST_P(ForgedLevelTest, ClumpsInTheWorldTakeItsLightsAndTextures) {
  Start(GetParam());
  Wall(rpWORLDPRELIT);
  TexturedClump({200, 100, 50, 255});
  // A directional light of 0.5 for atomics only: the clump's face is half
  // its texel and the pre-lit wall keeps its colours; with an ambient light
  // of 0.25 three quarters.
  AddLight(rpLIGHTDIRECTIONAL, {0.5f, 0.5f, 0.5f, 1.0f}, {0, 0, 0}, rpLIGHTLIGHTATOMICS);
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(ShadeNear(BackBufferPixel(kCentreX, kCentreY), 100, 50, 25));
  EXPECT_TRUE(ShadeNear(WallPixel(), 10, 200, 30));
  AddLight(rpLIGHTAMBIENT, {0.25f, 0.25f, 0.25f, 1.0f}, {0, 0, 0}, rpLIGHTLIGHTATOMICS);
  ASSERT_TRUE(Frame());
  EXPECT_TRUE(ShadeNear(BackBufferPixel(kCentreX, kCentreY), 150, 75, 38));

  // A point light tied to the wall's sector but too far to reach the clump
  // leaves it unlit.
  for (RpLight* light : lights_) {
    RpLightSetFlags(light, 0);
  }
  AddLight(rpLIGHTPOINT, {1.0f, 1.0f, 1.0f, 1.0f}, {3.5f, 3.5f, kWallZ}, rpLIGHTLIGHTATOMICS);
  RpLightSetRadius(lights_.back(), 0.5f);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(BackBufferPixel(kCentreX, kCentreY), 0x000000u);
}

TEST_P(ForgedLevelTest, TheSamePictureAfterTheDeviceIsLost) {
  Start(GetParam());
  Wall(rpWORLDNORMALS | rpWORLDLIGHT | rpWORLDPRELIT);
  TexturedClump({30, 60, 90, 255});
  AddLight(rpLIGHTDIRECTIONAL, {0.5f, 0.75f, 1.0f, 1.0f}, {0, 0, 0}, rpLIGHTLIGHTATOMICS | rpLIGHTLIGHTWORLD);
  ASSERT_TRUE(Frame());
  auto picture = [] {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kHeight; y += 6) {
      for (int x = 0; x < kWidth; x += 6) {
        pixels.push_back(BackBufferPixel(x, y));
      }
    }
    return pixels;
  };
  const std::vector<uint32_t> before = picture();
  EXPECT_NE(std::count(before.begin(), before.end(), kClearPixel), long(before.size()));
  d3d8test::InjectDeviceLoss(Device(), true);
  EXPECT_EQ(RwRasterShowRaster(camera_->frameBuffer, &window_, 0), nullptr);
  ASSERT_EQ(Device()->TestCooperativeLevel(), D3D_OK);
  ASSERT_TRUE(Frame());
  EXPECT_EQ(picture(), before);
}

INSTANTIATE_TEST_SUITE_P(Profiles, ForgedLevelTest,
                         ::testing::Values(d3d8test::CapsProfile::Full,
                                           d3d8test::CapsProfile::SoftwareVertexProcessing));

}  // namespace
}  // namespace pipe_test
