// The staged load of forged levels: step order and progress, events held
// back until the last step, the collision twin answering the queries, fog,
// hidden mode, the level's dictionary file, sky, particle pools, and the
// fatal messages of levels that cannot be built.
#include <gtest/gtest.h>

#include <cstring>

#include "game/render/collision/world_collision.h"
#include "game/render/models/clump_ro.h"
#include "game/render/models/texture_files.h"
#include "game/render/particles/particle_pool.h"
#include "tests/game/world/world_fixture.h"
#include "tests/support/locator_writer.h"
#include "tests/support/particle_file_text.h"

namespace {

constexpr char kBsp[] = "BSP = data/level01/level.bsp\n";

// The drawn room is empty up to its wall at x 10; the twin's pillar at x 2.
void ExpectPillarHit(cQXWorld* world) {
  RwV3d point = {0.0f, 0.0f, 0.0f};
  RwV3d normal = point;
  const tSegment3d segment(RwV3d{0.0f, 1.0f, 0.0f}, RwV3d{8.0f, 1.0f, 0.0f});
  ASSERT_TRUE(world->GetWorldCollision()->IntersectSegment(segment, &point, &normal, nullptr, true, false, 0, true));
  EXPECT_NEAR(2.0f, point.x, 1e-4f);
}

using WorldLoaderTest = WorldTest;

TEST_F(WorldLoaderTest, ALevelLoadsStepByStep) {
  WriteLevelWorlds("data/level01/level.bsp");
  ASSERT_TRUE(ForgeWriteClumpFile("data/level01/sky.dff", {ForgePart()}));
  const u32 locators[][2] = {{7, 7}, {9, 2}, {0, 0}};  // declared, present
  const char* effects[] = {"glow", "spark", "none"};
  for (int i = 0; i < 3; i++) {
    LocatorWriter writer;
    writer.headerValue = locators[i][0];
    for (u32 p = 0; p < locators[i][1]; p++) {
      writer.Add("p", "", static_cast<float>(p), 1.0f, 0.0f);
    }
    ASSERT_TRUE(writer.WriteFile(std::string("data/level01/") + effects[i] + ".xrf"));
    ASSERT_TRUE(WriteWholeFile(Folder(std::string("data/implants/") + effects[i] + ".txt"),
                               ParticleFileText({{"glow", {{"TYPE", "SPRITE"}}}})));
  }
  ASSERT_TRUE(WriteWholeFile(Folder("data/textures/diskerror.bmp"), PlainBitmap(0xFF0000)));
  Folder("data/texdicts/");
  cQXWorld* world = MakeWorld(std::string(kBsp) +
                              "SKY = data/level01/sky\nPARTICLES = [glow, spark, none, absent]\nFOG = 1\n"
                              "FOGCOLOR = [10, 20, 30, 40]\nFOGDISTANCE = 35.5\n");
  // Steps 0 to 17 take eighteen calls; events wait for step 18.
  std::vector<f32> progress = Load(18);
  Feed(world, kEventTick, 0.04f);
  EXPECT_EQ(0u, world->GetTickCount());
  for (f32 value : Load(3)) {
    progress.push_back(value);
  }
  EXPECT_EQ((std::vector<f32>{0.0f, 0.1f,  0.2f, 0.3f,  0.4f,  0.5f,  0.55f, 0.59f, 0.6f, 0.7f, 0.78f,
                              0.8f, 0.85f, 0.9f, 0.91f, 0.95f, 0.96f, 0.97f, 0.98f, 1.0f, 1.0f}),
            progress);
  Feed(world, kEventTick, 0.04f);
  EXPECT_EQ(1u, world->GetTickCount());
  EXPECT_EQ(1u, world->GetFrameTimes().position);

  ExpectPillarHit(world);
  EXPECT_EQ(world->GetEngineWorld(), RpClumpGetWorld(world->GetSky()->GetClump()));
  EXPECT_EQ(1, world->GetRenderManager().GetFog());
  EXPECT_EQ(35.5f, world->GetFogDistance());
  ASSERT_EQ(2u, world->GetParticlePools().GetCount());
  for (u32 i = 0; i < 2; i++) {
    const cParticlePool* pool = static_cast<cParticlePool*>(world->GetParticlePools().Get(i));
    EXPECT_EQ(i == 0 ? 5u : 2u, pool->GetInstanceCount());
    EXPECT_EQ(locators[i][1], pool->GetPlacementCount());
  }

  // The first load wrote the dictionary with the cache textures it found;
  // the second reads it and writes nothing.
  const char* file = "data/texdicts/level01.txd";
  EXPECT_EQ(1, world->IsDictionaryCreated());
  RwTexDictionary* written = LoadTextureDictionary(file);
  ASSERT_NE(nullptr, written);
  EXPECT_NE(nullptr, RwTexDictionaryFindNamedTexture(written, "diskerror"));
  const auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
  std::filesystem::last_write_time(file, stamp);
  Load((world = MakeWorld(kBsp), 20));
  EXPECT_EQ(0, world->IsDictionaryCreated());
  EXPECT_EQ(stamp, std::filesystem::last_write_time(file));
}

TEST_F(WorldLoaderTest, GeometryStepKeys) {
  const struct {
    const char* bsp;
    const char* fogColour;
    const char* profile;
    RwRGBA colour;
    u8 hidden;
  } rows[] = {
      {"data/level01/level.bsp", "FOGCOLOR = [256, 2, 3, 4]", "VORNKAPL", {0, 2, 3, 4}, 1},
      {"level.bsp", "FOGCOLOR = [1, 2, 3]", "vornkapl", {0, 0, 0, 0}, 0},
      {"data/level.bsp", "", "VORNKAPLX", {9, 9, 9, 9}, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bsp);
    WriteLevelWorlds(row.bsp);
    gSaveProfiles->SetCurrentSlot(0);
    std::strcpy(gSaveProfiles->GetSlot(0).name, row.profile);
    cQXWorld* world = MakeWorld(std::string("BSP = ") + row.bsp + "\n" + row.fogColour);
    world->GetRenderManager().SetFogColour(RwRGBA{9, 9, 9, 9});
    Load(4);
    ExpectPillarHit(world);
    EXPECT_EQ(0, std::memcmp(&row.colour, &world->GetRenderManager().GetFogColour(), sizeof(RwRGBA)));
    EXPECT_EQ(row.hidden, world->IsHiddenMode());
  }
}

using WorldLoaderDeathTest = WorldTest;

TEST_F(WorldLoaderDeathTest, LevelsThatCannotBeBuiltAreFatal) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  WriteLevelWorlds("data/level01/level.bsp");
  std::filesystem::remove("data/level01/collision/level.bsp");
  const struct {
    const char* group;
    const char* level;
    const char* message;
  } rows[] = {
      {kBsp, "level07", "cQXWorld::Load : PropertyGroup not found! \\(level07\\)"},
      {"FOG = 1", "level01", "cQXWorld : property not found \\(BSP\\)"},
      {"BSP = data/level01/none.bsp", "level01", "Missing file: data/level01/none.bsp"},
      {kBsp, "level01", "Missing file: data/level01/collision/level.bsp"},
  };
  for (const auto& row : rows) {
    EXPECT_DEATH(Load((MakeWorld(row.group, row.level), 4)), row.message);
  }
}

}  // namespace
