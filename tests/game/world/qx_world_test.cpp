// The level world on forged levels: the staged load, its fatal messages, the
// running level and its end, the level music and the teardown at any step.
#include "game/world/qx_world.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "game/app/audio/sound_engine.h"
#include "game/app/input/event_device.h"
#include "game/app/time_scale.h"
#include "game/frontend/save/save_profiles.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/clump_ro.h"
#include "game/render/particles/particle_pool.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tests/support/particle_file_text.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"
#include "tools/forge/files/locator_writer.h"
#include "tools/forge/files/ogg_writer.h"
#include "tools/forge/files/wav_writer.h"
#include "tools/forge/forge.h"

namespace {

class QXWorldTest : public WorldTest {
 protected:
  // A 20 x 5 x 20 room at the path; its collision twin adds a pillar at x 2 to 4.
  static void WriteLevelWorlds(const std::string& bsp) {
    const std::string folder = bsp.substr(0, bsp.find_last_of('/') + 1);
    for (const std::string& path : {bsp, folder + "collision/" + bsp.substr(folder.size())}) {
      ForgeSoup soup;
      soup.materials.push_back(ForgeMaterial());
      ForgeAddBox(&soup, RwV3d{-10.0f, 0.0f, -10.0f}, RwV3d{10.0f, 5.0f, 10.0f}, 0);
      if (path != bsp) {
        ForgeAddBox(&soup, RwV3d{2.0f, 0.0f, -1.0f}, RwV3d{4.0f, 5.0f, 1.0f}, 0);
      }
      ASSERT_TRUE(ForgeWriteWorldFile(Folder(path).c_str(), soup, ForgeWorldOptions()));
    }
  }
  std::vector<f32> Load(int calls) {
    std::vector<f32> progress;
    while (calls-- > 0) {
      progress.push_back(mWorld->Load());
    }
    return progress;
  }
  // A tick of value seconds, or a key event pressed when value is 1.
  static void Feed(cInputListener* listener, u32 type, f32 value) {
    tEvent event;
    event.type = type;
    if (type == kEventTick) {
      event.tick.frameTime = value;
    } else {
      event.key = tKeyEvent{0, 0, static_cast<u8>(value)};
    }
    listener->OnEvent(&event);
  }

  // Unlocked, with the objectives and a profile of the completed count.
  cQXWorld* PlayingWorld(const std::vector<u8>& objectives, u32 count = 0) {
    gSaveProfiles->GetSlot(0) = tProfileSlot{"A", 0, 0, 0, count, 0};
    gTimeScaleIndex = kTimeScaleNormal;
    cQXWorld* world = MakeWorld("", "level03");
    world->SetInputLock(0);
    world->GetMissionFlags().Resize(static_cast<u32>(objectives.size()), 0);
    std::copy(objectives.begin(), objectives.end(), world->GetMissionFlags().GetData());
    return world;
  }
};

constexpr char kBsp[] = "BSP = data/level01/level.bsp\n";

// The demo data's first level through every load step the world has:
// events wait for step 18, and only the first load writes its dictionary.
TEST_F(QXWorldTest, TheDemoLevelLoads) {
  ASSERT_TRUE(WriteDemoData());
  ASSERT_TRUE(WriteLevelFile("data/level01/men.txt", HologramMenFile("holo0", 1)));
  const std::string dictionary = Folder("data/texdicts/level01.txd");
  const auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
  for (int load = 0; load < 2; load++) {
    mWorld.reset();
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"));
    // Steps 0 to 17 take eighteen calls; the nineteenth runs step 18.
    std::vector<f32> progress = Load(18);
    Feed(mWorld.get(), kEventTick, 0.04f);
    EXPECT_EQ(0u, mWorld->GetTickCount());
    for (f32 value : Load(3)) {
      progress.push_back(value);
    }
    EXPECT_EQ((std::vector<f32>{0.0f, 0.1f,  0.2f, 0.3f,  0.4f,  0.5f,  0.55f, 0.59f, 0.6f, 0.7f, 0.78f,
                                0.8f, 0.85f, 0.9f, 0.91f, 0.95f, 0.96f, 0.97f, 0.98f, 1.0f, 1.0f}),
              progress);
    Feed(mWorld.get(), kEventTick, 0.04f);
    EXPECT_EQ(1u, mWorld->GetTickCount());
    const RwRGBA fog = mWorld->GetRenderManager().GetFogColour();
    EXPECT_EQ((std::vector<f32>{1, 20, 22, 28, 255, 40.0f, 40.0f}),
              (std::vector<f32>{static_cast<f32>(mWorld->GetRenderManager().GetFog()), static_cast<f32>(fog.red),
                                static_cast<f32>(fog.green), static_cast<f32>(fog.blue), static_cast<f32>(fog.alpha),
                                mWorld->GetFogDistance(), mWorld->GetAiDistance()}));
    EXPECT_EQ(mWorld->GetEngineWorld(), RpClumpGetWorld(mWorld->GetSky()->GetClump()));
    EXPECT_LT(0u, mWorld->GetParticlePools().GetCount());
    EXPECT_EQ(load == 0 ? 1 : 0, mWorld->IsDictionaryCreated());
    if (load == 0) {
      std::filesystem::last_write_time(dictionary, stamp);
    }
    EXPECT_EQ(stamp, std::filesystem::last_write_time(dictionary));
  }
}

// Forged levels: the collision twin of a BSP with or without a folder, fog
// colours, hidden mode, and pools of locators holding all, some or none.
TEST_F(QXWorldTest, ForgedLevelsLoad) {
  auto writeEffect = [](const std::string& name, u32 declared, u32 present) {
    LocatorWriter writer;
    writer.headerValue = declared;
    for (u32 p = 0; p < present; p++) {
      writer.Add("p", "", static_cast<float>(p), 1.0f, 0.0f);
    }
    return writer.WriteFile(Folder("data/level01/" + name + ".xrf")) &&
           WriteWholeFile(Folder("data/implants/" + name + ".txt"), ParticleFileText({{"g", {{"TYPE", "SPRITE"}}}}));
  };
  ASSERT_TRUE(writeEffect("glow", 7, 7) && writeEffect("spark", 9, 2) && writeEffect("none", 0, 0));
  ASSERT_TRUE(WriteLevelFiles("[TEXTS]\n", HologramMenFile("holo0", 1)));
  struct Row {
    const char *bsp, *fogColour, *profile;
    RwRGBA colour;
    u8 hidden;
  };
  const Row rows[] = {{"data/level01/level.bsp", "[10, 20, 30, 256]", "VORNKAPL", {10, 20, 30, 0}, 1},
                      {"level.bsp", "[1, 2, 3]", "vornkapl", {0, 0, 0, 0}, 0},
                      {"data/level.bsp", "[256, 2, 3, 4]", "VORNKAPLX", {0, 2, 3, 4}, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bsp);
    WriteLevelWorlds(row.bsp);
    std::strcpy(gSaveProfiles->GetSlot(0).name, row.profile);
    cQXWorld* world = MakeWorld(std::string("BSP = ") + row.bsp + "\nFOGCOLOR = " + row.fogColour +
                                "\nPARTICLES = [glow, spark, none, absent]\n" + kLevelFileKeys);
    Load(20);
    // The drawn room is empty up to its wall at x 10; the twin's pillar at x 2.
    RwV3d hit[2] = {};
    const tSegment3d segment(RwV3d{0.0f, 1.0f, 0.0f}, RwV3d{8.0f, 1.0f, 0.0f});
    ASSERT_TRUE(world->GetWorldCollision()->IntersectSegment(segment, &hit[0], &hit[1], nullptr, true, false, 0, true));
    EXPECT_NEAR(2.0f, hit[0].x, 1e-4f);
    EXPECT_EQ(0, std::memcmp(&row.colour, &world->GetRenderManager().GetFogColour(), sizeof(RwRGBA)));
    EXPECT_EQ(row.hidden, world->IsHiddenMode());
    // Pools of the glow and spark placements: instances, placements.
    std::vector<u32> pools;
    for (u32 i = 0; i < world->GetParticlePools().GetCount(); i++) {
      const cParticlePool* pool = static_cast<cParticlePool*>(world->GetParticlePools().Get(i));
      pools.insert(pools.end(), {pool->GetInstanceCount(), pool->GetPlacementCount()});
    }
    EXPECT_EQ((std::vector<u32>{5, 7, 2, 2}), pools);
  }
}

using WorldDeathTest = QXWorldTest;

TEST_F(WorldDeathTest, LevelsThatCannotBeBuiltAreFatal) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  WriteLevelWorlds("data/level01/level.bsp");
  std::filesystem::remove("data/level01/collision/level.bsp");
  const char* rows[][3] = {// group, level, message
                           {kBsp, "level07", "cQXWorld::Load : PropertyGroup not found! \\(level07\\)"},
                           {"FOG = 1", "level01", "cQXWorld : property not found \\(BSP\\)"},
                           {"BSP = data/level01/none.bsp", "level01", "Missing file: data/level01/none.bsp"},
                           {kBsp, "level01", "Missing file: data/level01/collision/level.bsp"}};
  for (const auto& row : rows) {
    EXPECT_DEATH(Load((MakeWorld(row[0], row[1]), 4)), row[2]);
  }
  // A world that is there but cannot be read is no missing file: the
  // message names it and says what is wrong (each reason: ClumpROTest).
  WriteLevelWorlds("data/level01/level.bsp");
  std::ifstream in(Folder("data/level01/level.bsp"), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_TRUE(WriteWholeFile(Folder("data/level01/level.bsp"), bytes.substr(0, 300)));
  EXPECT_DEATH(Load((MakeWorld(kBsp, "level01"), 4)),
               "Damaged file: data/level01/level.bsp \\(it ends early: 300 of the [0-9]+ bytes its world declares\\)");
  // The first man of the men file must be the player.
  WriteLevelWorlds("data/level01/level.bsp");
  std::string hologramFirst = HologramMenFile("holo0", 1);
  hologramFirst.replace(hologramFirst.find("player, "), 8, "");
  ASSERT_TRUE(WriteLevelFiles("[TEXTS]\n", hologramFirst));
  EXPECT_DEATH(Load((MakeWorld(std::string(kBsp) + kLevelFileKeys), 20)),
               "the first man is not the player \\(holo0\\)");
}

// Each update pushes its frame time; a released key opens the input lock.
TEST_F(QXWorldTest, FrameTimesAndKeyRelease) {
  ASSERT_TRUE(WriteWholeFile(Folder("data/inputmap.txt"), "INPUTDEVICES = KEYBOARD\r\n"));
  gInputLatch = 1;
  cQXWorld* world = MakeWorld("");
  Feed(&world->GetInputMap(), kEventKey, 1);
  world->StartKeyRelease();
  for (u32 frame = 1; frame <= kFrameTimeRingSize + 2; frame++) {
    sNow += frame;
    world->Update(0.04f);
  }
  const tFrameTimeRing& ring = world->GetFrameTimes();
  EXPECT_EQ((std::vector<u32>{2, 31, 32, 3}),
            (std::vector<u32>{ring.position, ring.samples[0], ring.samples[1], ring.samples[2]}));
  EXPECT_EQ(1, world->IsInputLocked());
  Feed(&world->GetInputMap(), kEventKey, 0);
  world->Update(0.04f);
  EXPECT_EQ(0, world->IsInputLocked());
  gInputLatch = 0;
}

TEST_F(QXWorldTest, TheFirstObjectiveEndsAnUnlockedLevelOnce) {
  struct Row {
    std::vector<u8> objectives;
    u8 lock;
    bool ends;
  };
  const Row rows[] = {{{}, 0, false}, {{0, 1}, 0, false}, {{1}, 1, false}, {{1, 0}, 0, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.objectives.size() + row.lock);
    cQXWorld* world = PlayingWorld(row.objectives);
    world->SetInputLock(row.lock);
    world->Update(0.04f);
    world->Update(0.04f);
    EXPECT_EQ(row.ends ? kLevelStatisticsShown : kLevelPlaying, world->GetLevelEndState());
    EXPECT_EQ(row.ends ? 1u : 0u, gSaveProfiles->GetCurrent().levelIndex);
    EXPECT_EQ(row.ends ? kTimeScalePaused : kTimeScaleNormal, gTimeScaleIndex);
    EXPECT_EQ(row.ends, gGameOptions->IsLevelCompleted(2));
  }
}

TEST_F(QXWorldTest, StatisticsOfTheLevelEnd) {
  struct Row {
    u32 language, count;
    const char *labels, *progress;
  };
  const Row rows[] = {{1, 7, "\nElapsed time:\n", "100%"},
                      {2, 2, "\nGesamtverarbeitungszeit:\n\nKamera Alarme:\nFeindliche Alarme:\n\nBeschl\xE4", "44%"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.progress);
    gGameOptions->SetLanguage(row.language);
    cQXWorld* world = PlayingWorld({1, 0, 1}, row.count);
    world->RunLevelEnd(tLevelEndFigures{1000.0f, 126900.0f, 3, 4, 5, 6});
    EXPECT_EQ(0u, std::string(world->GetStatisticsLabels().CStr()).rfind(row.labels, 0));
    EXPECT_EQ(std::string("\n2 : 05\n\n3\n4\n\n5\n6\n\n2\n") + row.progress, world->GetStatisticsValues().CStr());
    const tProfileSlot& slot = gSaveProfiles->GetCurrent();
    EXPECT_EQ((std::vector<u32>{4, 125, row.count + 2}), (std::vector<u32>{slot.total, slot.lastTime, slot.count}));
  }
}

// Each row writes only the track it expects, so a wrong name plays silence.
TEST_F(QXWorldTest, LevelMusicByLevelNumberUnlessSwitchedOff) {
  const std::string bytes = OggWriter::Vorbis(2, 22050, ToneSamples(22050, 2, 440.0, 8000.0)).Build();
  const char* rows[][2] = {
      {"level01", "INGAME01"}, {"level09", "INGAME09"}, {"level12", "INTRO"}, {"levelxx", "INTRO"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    std::filesystem::remove_all("data/media/music");
    ASSERT_TRUE(WriteWholeFile(Folder(std::string("data/media/music/") + row[1] + ".ogg"), bytes));
    MusicEngine* music = MakeWorld("", row[0])->GetMusic();
    gGameOptions->SetMusic(false);
    mWorld->SetLevelMusic(true);
    EXPECT_EQ(kNoMusicTrack, music->GetCurrentTrack());
    gGameOptions->SetMusic(true);
    mWorld->SetLevelMusic(true);
    ASSERT_NE(kNoMusicTrack, music->GetCurrentTrack());
    EXPECT_FALSE(MusicEngine::GetTrack(music->GetCurrentTrack())->IsSilent());
  }
}

TEST_F(QXWorldTest, TeardownAfterAnyNumberOfLoadCalls) {
  WriteLevelWorlds("data/level01/level.bsp");
  ASSERT_TRUE(WriteLevelFiles("[TEXTS]\n", HologramMenFile("holo0, holo1", 2)));
  for (int calls = 0; calls <= 21; calls++) {
    SCOPED_TRACE(calls);
    cQXWorld* world = MakeWorld(std::string(kBsp) + kLevelFileKeys);
    // The twin timer and this client leak unless the teardown deletes them.
    world->GetUpdateList().Append(new cTimer);
    Load(calls);
    Feed(world, kEventTick, 0.04f);
    mWorld.reset();
    gEventDevice->Dispatch();
    EXPECT_TRUE(gEventDevice->GetHandlers().IsEmpty());
  }
}

}  // namespace
