// The running level: the frame-time ring, the key release that opens the
// input lock, the level's end and its statistics, the level music, and the
// teardown after any number of load steps.
#include <gtest/gtest.h>

#include "game/render/effects/mirror.h"
#include "game/render/effects/projected_shadows.h"
#include "game/render/twin_timer.h"
#include "tests/game/world/world_fixture.h"
#include "tests/support/ogg_writer.h"
#include "tests/support/wav_writer.h"

namespace {

class WorldUpdateTest : public WorldTest {
 protected:
  // A world with an open input lock, the objectives' flags and a profile
  // whose completed count is count.
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

TEST_F(WorldUpdateTest, FrameTimeRingOverwritesItsOldestSample) {
  tFrameTimeRing ring(kFrameTimeRingSize);
  for (u32 frame = 1; frame <= kFrameTimeRingSize + 2; frame++) {
    ring.Push(sNow += frame);
  }
  EXPECT_EQ(2u, ring.position);
  EXPECT_EQ((std::vector<u32>{31, 32, 3}), std::vector<u32>(ring.samples, ring.samples + 3));
}

TEST_F(WorldUpdateTest, KeyReleaseOpensTheInputLock) {
  ASSERT_TRUE(WriteWholeFile(Folder("data/inputmap.txt"), "INPUTDEVICES = KEYBOARD\r\n"));
  gInputLatch = 1;
  cQXWorld* world = MakeWorld("");
  Feed(&world->GetInputMap(), kEventKey, 1);
  world->StartKeyRelease();
  world->Update(0.04f);
  EXPECT_EQ(1, world->IsInputLocked());
  Feed(&world->GetInputMap(), kEventKey, 0);
  world->Update(0.04f);
  EXPECT_EQ(0, world->IsInputLocked());
  gInputLatch = 0;
}

TEST_F(WorldUpdateTest, TheFirstObjectiveEndsAnUnlockedLevelOnce) {
  const struct {
    std::vector<u8> objectives;
    u8 lock;
    bool ends;
  } rows[] = {{{}, 0, false}, {{0, 1}, 0, false}, {{1}, 1, false}, {{1, 0}, 0, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.objectives.size() + row.lock);
    cQXWorld* world = PlayingWorld(row.objectives);
    world->SetInputLock(row.lock);
    for (int frame = 0; frame < 3; frame++) {
      world->Update(0.04f);
    }
    EXPECT_EQ(row.ends ? kLevelStatisticsShown : kLevelPlaying, world->GetLevelEndState());
    EXPECT_EQ(row.ends ? 1u : 0u, gSaveProfiles->GetCurrent().levelIndex);
    EXPECT_EQ(row.ends ? kTimeScalePaused : kTimeScaleNormal, gTimeScaleIndex);
    EXPECT_EQ(row.ends, gGameOptions->IsLevelCompleted(2));
  }
}

TEST_F(WorldUpdateTest, StatisticsOfTheLevelEnd) {
  const struct {
    u32 language;
    u32 count;
    const char* labels;
    const char* progress;
  } rows[] = {{1, 7, "\nElapsed time:\n", "100%"},
              {0, 2, "\nGesamtverarbeitungszeit:\n\nKamera Alarme:\nFeindliche Alarme:\n\nBeschl\xE4", "44%"},
              {2, 0, "\nGesamtverarbeitungszeit:\n", "22%"}};
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

TEST_F(WorldUpdateTest, ClosedStatisticsSilenceTheTwinTimerWithHitFlash) {
  for (bool hitFlash : {true, false}) {
    gGameOptions->SetHitFlash(hitFlash);
    cQXWorld* world = PlayingWorld({});
    world->SetLevelEndState(kLevelStatisticsClosed);
    world->Update(0.04f);
    EXPECT_EQ(kLevelFadedOut, world->GetLevelEndState());
    EXPECT_EQ(hitFlash ? 1 : 0, world->GetTwinTimer()->IsDisabled());
  }
}

// Each row writes only the track it expects, so a wrong name plays silence.
TEST_F(WorldUpdateTest, LevelMusicByLevelNumberUnlessSwitchedOff) {
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
    gGameOptions->SetMusic(false);
    mWorld->SetLevelMusic(false);
    EXPECT_NE(kNoMusicTrack, music->GetCurrentTrack());
  }
}

// An update client that reports its deletion.
class WatchedClient : public cUpdatable {
 public:
  explicit WatchedClient(bool* deleted) : mDeleted(deleted) {}
  ~WatchedClient() override { *mDeleted = true; }

 private:
  bool* mDeleted;
};

TEST_F(WorldUpdateTest, TeardownAfterAnyNumberOfLoadCalls) {
  WriteLevelWorlds("data/level01/level.bsp");
  ASSERT_TRUE(ForgeWriteClumpFile("data/level01/sky.dff", {ForgePart()}));
  for (int calls = 0; calls <= 21; calls++) {
    SCOPED_TRACE(calls);
    cQXWorld* world = MakeWorld("BSP = data/level01/level.bsp\nSKY = data/level01/sky\n");
    EXPECT_EQ(world->GetTwinTimer(), world->GetUpdateList().First());
    bool deleted = false;
    world->GetUpdateList().Append(new WatchedClient(&deleted));
    Load(calls);
    Feed(world, kEventTick, 0.04f);
    mWorld.reset();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(nullptr, GetShadowRenderer().shadowCamera);
    EXPECT_EQ(0u, GetMirrorCount());
    gEventDevice->Dispatch();
    EXPECT_TRUE(gEventDevice->GetHandlers().IsEmpty());
  }
}

}  // namespace
