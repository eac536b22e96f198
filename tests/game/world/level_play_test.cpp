// The level's own files and play state, on the demo's first level (with
// hologram doubles for men) and on forged files: lightmaps, lights, texts,
// men, messages, the info view, the alert display, checkpoint and restart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "game/app/audio/sound_engine.h"
#include "game/characters/man.h"
#include "game/render/models/anim_model.h"
#include "game/render/text/font.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

class LevelTest : public WorldTest {
 protected:
  LevelTest() {
    attach_ = [] {
      return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() && RpPVSPluginAttach() &&
             RpLODAtomicPluginAttach() && RpRandomPluginAttach() && AttachAnimationPlugins() && RpSkinPluginAttach() &&
             RegisterAtomicPlugin();
    };
  }
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
  }
  cQXWorld* DemoLevel() {
    static demo::DataFolder* data = nullptr;
    if (data == nullptr) {
      EXPECT_TRUE(demo::WriteDataSet(*(data = new demo::DataFolder)));
    }
    std::string error;
    EXPECT_TRUE(demo::WriteOutput(*data, mFolder.Path(), {}, &error)) << error;
    EXPECT_TRUE(WriteLevelFile("data/level01/men.txt", HologramMenFile("holo0, holo1", 2)));
    EXPECT_TRUE(mConfig.Load(cString("data/config.txt")));
    mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"));
    for (int step = 0; step < 20; step++) {
      mWorld->Load();
    }
    return mWorld.get();
  }
  // A world with its HUD and the texts, unlocked.
  cQXWorld* TextWorld(const std::string& texts, const std::string& level = "level01") {
    EXPECT_TRUE(WriteLevelFile("data/level01/texts_d.txt", "[TEXTS]\n" + texts));
    cQXWorld* world = MakeWorld("", level.c_str());
    mConfig.ParseText(cString(("[" + level + "]\nTEXTS = data/level01/texts\n").c_str()));
    world->CreateHud();
    world->LoadTexts();
    world->SetInputLock(0);
    return world;
  }
  static std::vector<s32> Tables(cQXWorld* world) {
    std::vector<s32> values;
    for (u32 i = 0; i < world->GetMessageCount(); i++) {
      values.insert(values.end(), {world->GetMessageDialogues()[i], world->GetMessageMarkers()[i]});
    }
    return values;
  }
  static cMan* Man(cQXWorld* world, u32 i) { return static_cast<cMan*>(world->GetMen().Get(i)); }
};

using LevelDeathTest = LevelTest;

// An 8-bit bitmap: palette entry i is {blue i, green 2i, red 3i}.
std::string Bitmap(u32 width, u32 height, const std::string& pixels) {
  std::string bytes(54 + 1024, '\0');
  bytes[10] = static_cast<char>((54 + 1024) & 0xFF);
  bytes[11] = static_cast<char>((54 + 1024) >> 8);
  bytes[18] = static_cast<char>(width), bytes[19] = static_cast<char>(width >> 8);
  bytes[22] = static_cast<char>(height), bytes[23] = static_cast<char>(height >> 8);
  for (u32 i = 0; i < 256; i++) {
    bytes[54 + i * 4] = static_cast<char>(i), bytes[55 + i * 4] = static_cast<char>(i * 2);
    bytes[56 + i * 4] = static_cast<char>(i * 3);
  }
  return bytes + pixels;
}

// German by default, bytes kept; men in list order, each with its shadow.
TEST_F(LevelTest, TheDemoLevelLoadsItsOwnFiles) {
  cQXWorld* world = DemoLevel();
  const cLightmap& maps = world->GetLightmap();
  EXPECT_TRUE(maps.GetImage(0) && maps.GetImage(1) && maps.GetImage(2) && maps.GetImage(3));
  EXPECT_EQ(
      (std::vector<f32>{64, 48, 8, 24, 2, 0.1f, 55}),
      (std::vector<f32>{f32(maps.GetWidth()), f32(maps.GetHeight()), f32(maps.GetOriginX()), f32(maps.GetOriginZ()),
                        maps.GetScale(), maps.GetDirectionalAddition(), f32(maps.GetDirectionalAngle())}));
  std::vector<int> lights;
  for (u32 i = 0; i < world->GetLights().GetCount(); i++) {
    RpLight* light = static_cast<cLight*>(world->GetLights().Get(i))->GetLight();
    lights.push_back(RpLightGetWorld(light) == world->GetEngineWorld() ? RpLightGetType(light) : -1);
  }
  EXPECT_EQ((std::vector<int>{rpLIGHTAMBIENT, rpLIGHTDIRECTIONAL, rpLIGHTPOINT, rpLIGHTSPOT, rpLIGHTSPOTSOFT}), lights);
  ASSERT_EQ(56u, world->GetMessageCount());
  EXPECT_STREQ("Die T\xFCr gleitet auf.", world->GetMessageText(0).CStr());
  EXPECT_STREQ("Zentrale: H\xF6rst du mich? Bleib im Schatten.", world->GetMessageText(40).CStr());
  EXPECT_EQ(world->GetMessageText(39), world->GetMainMissionText());
  EXPECT_EQ(3u, world->GetMissionFlags().GetCount());
  ASSERT_EQ(2u, world->GetMen().GetCount());
  for (u32 i = 0; i < 2; i++) {
    EXPECT_FLOAT_EQ(f32(i), RwFrameGetLTM(Man(world, i)->GetFrame())->pos.x);
    EXPECT_NE(nullptr, Man(world, i)->GetModel()->GetShadowCaster());
  }
  EXPECT_TRUE(world->GetHudFont()->IsLoaded());
}

TEST_F(LevelTest, TextsOfTheFile) {
  struct Row {
    const char* keys;
    std::vector<s32> tables;  // dialogue and marker per message
    u32 objectives;
    const char *main, *first;
  };
  const Row rows[] = {
      {"MESSAGE00 = a\nMESSAGE01 = \"b@c\"\nMESSAGE03 = d\nMISSION00 = x\nMISSION_OBJECTIVES = 2\nMAINMISSIONTEXT = "
       "2\n",
       {-1, -1, -1, 1},
       2,
       "b@c",
       "a"},
      {"MESSAGE00 = \"$07word\"\nMESSAGE01 = $3\nMISSION00 = \"@05Reach it\"\nMAINMISSIONTEXT = 0\n",
       {7, -1, 3, -1},
       0,
       " Reach it",
       "word"},
      {"MESSAGE00 = x\nMISSION00 = first\nMAINMISSIONTEXT = 9\nMISSION_OBJECTIVES = -4\n", {-1, -1}, 0, "first", "x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    cQXWorld* world = TextWorld(row.keys);
    EXPECT_EQ(row.tables, Tables(world));
    EXPECT_EQ(row.objectives, world->GetMissionFlags().GetCount());
    EXPECT_STREQ(row.main, world->GetMainMissionText().CStr());
    EXPECT_STREQ(row.first, world->GetMessageText(0).CStr());
    world->CompleteMissionObjective(row.objectives);  // out of range
    const u8* flags = world->GetMissionFlags().GetData();
    EXPECT_EQ(std::vector<u8>(row.objectives, 0), std::vector<u8>(flags, flags + row.objectives));
  }
}

// Applied in order: POS, then LOOKATPOS from there, whatever the file's.
TEST_F(LevelTest, LightsOfTheirGroups) {
  const f32 r = std::sqrt(0.5f);
  const char* rows[] = {"TYPE = AMBIENT",
                        "TYPE = SPOT\nCOLOR = (0.5,0.25,1,1)\nLOOKATPOS = (0,0,0)\nPOS = (2,2,0)\nRADIUS = 3\n"
                        "CONEANGLE = 45"};
  const std::vector<f32> want[] = {{2, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1, 0},
                                   {129, 0.5f, 0.25f, 1, 1, 2, 2, 0, -r, -r, 0, 3, 0.785398f}};
  for (int i = 0; i < 2; i++) {
    SCOPED_TRACE(rows[i]);
    MakeWorld(std::string("LIGHT = [ lamp ]\n[lamp]\n") + rows[i] + "\n")->LoadLights();
    ASSERT_EQ(1u, mWorld->GetLights().GetCount());
    const cLight* light = static_cast<cLight*>(mWorld->GetLights().Get(0));
    const RwRGBAReal& c = light->GetColour();
    const RwMatrix* m = RwFrameGetMatrix(light->GetFrame());
    std::vector<f32> got = {f32(RpLightGetType(light->GetLight())),
                            c.red,
                            c.green,
                            c.blue,
                            c.alpha,
                            m->pos.x,
                            m->pos.y,
                            m->pos.z,
                            m->at.x,
                            m->at.y,
                            m->at.z,
                            RpLightGetRadius(light->GetLight())};
    if (i == 1) {
      got.push_back(RpLightGetConeAngle(light->GetLight()));
    }
    ASSERT_EQ(want[i].size(), got.size());
    for (size_t k = 0; k < got.size(); k++) {
      EXPECT_NEAR(want[i][k], got[k], 1e-4f) << k;
    }
  }
}

TEST_F(LevelDeathTest, LightsAndMenThatCannotBeMadeAreFatal) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_DEATH(MakeWorld("LIGHT = [lamp]\n[lamp]\nTYPE = ambient\n")->LoadLights(),
               "cLight::Create : unknown type \\(valid types: DIRECTIONAL, AMBIENT, POINT, SPOT, SPOTSOFT\\)");
  EXPECT_DEATH(MakeWorld("LIGHT = [lamp]\n")->LoadLights(), "cQXWorld::Load : PropertyGroup not found! \\(lamp\\)");
  const char* men[][2] = {{"[Men]\nMEN = [absent]\n", "cQXWorld::LoadMen : PropertyGroup not found! \\(absent\\)"},
                          {"[Men]\nMEN = [ ]\n", "cQXWorld::LoadMen : no men in MEN"}};
  for (const auto& row : men) {
    cPropertyFile file;
    file.ParseText(cString(row[0]));
    EXPECT_DEATH(MakeWorld("")->LoadMen(&file), row[1]);
  }
}

// The last map read sets the size; padded rows are read as pixels; index
// 255 has no palette entry; an image larger than its file stays absent.
TEST_F(LevelTest, LightmapFiles) {
  struct Row {
    std::vector<std::pair<const char*, std::string>> files;
    std::vector<u8> present;
    u32 width, height;
  };
  const Row rows[] = {
      {{{"north", Bitmap(2, 2, "\x01\x02\x03\xFF")}}, {1, 0, 0, 0}, 2, 2},
      {{{"north", Bitmap(4, 1, "abcd")}, {"west", Bitmap(2, 3, "abcdef")}}, {1, 0, 1, 0}, 2, 3},
      {{{"south", Bitmap(3, 2, std::string("\x01\x02\x03\x00\xFF\x05\x06\x00", 8))}, {"east", Bitmap(4000, 4000, "")}},
       {0, 1, 0, 0},
       3,
       2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.files[0].second.size());
    std::filesystem::remove_all("data/lm");
    for (const auto& file : row.files) {
      ASSERT_TRUE(WriteLevelFile(std::string("data/lm/m_") + file.first + ".bmp", file.second));
    }
    MakeWorld("LIGHTMAP = data/lm/m_\n")->LoadLightmaps();
    const cLightmap& maps = mWorld->GetLightmap();
    std::vector<u8> present;
    for (u32 map = 0; map < kLightmapCount; map++) {
      present.push_back(maps.GetImage(map) != nullptr);
    }
    EXPECT_EQ(row.present, present);
    EXPECT_EQ((std::vector<u32>{row.width, row.height}), (std::vector<u32>{maps.GetWidth(), maps.GetHeight()}));
  }
  const cLightmap& maps = mWorld->GetLightmap();
  EXPECT_EQ(0, std::memcmp("\x01\x02\x03\x00\xFF\x05", maps.GetImage(1), 6));
  const tLightmapColour* palette = maps.GetPalette(1);
  EXPECT_EQ((std::vector<u8>{9, 6, 3, 0, 0, 0}),
            (std::vector<u8>{palette[3].red, palette[3].green, palette[3].blue, palette[255].red, palette[255].green,
                             palette[255].blue}));
}

// 0: 50 characters; 1: empty; 2: "two"; 3: dialogue 3 (follow-up 2);
// 4: dialogue 0 (none); 5 to 34 plain.
std::string MessageKeys() {
  std::string text = "MESSAGE00 = " + std::string(50, 'x') + "\nMESSAGE01 = \"\"\nMESSAGE02 = two\n" +
                     "MESSAGE03 = $03three\nMESSAGE04 = $00four\n";
  for (u32 i = 5; i <= 34; i++) {
    text += (i < 10 ? "MESSAGE0" : "MESSAGE") + std::to_string(i) + " = m\n";
  }
  return text;
}

// A plain message stays 0.08 s a character; a dialogue freezes the game,
// outlasts any time and message, and goes only with force, then showing
// its follow-up unless told not to.
TEST_F(LevelTest, MessagesAndDialogues) {
  struct Row {
    u32 index;
    f32 seconds;
    s32 shown;  // after the update
    bool noFollowUp;
    s32 next;  // after the forced hide
  };
  const Row rows[] = {{0, 3.99f, 0, false, kNoPendingMessage},
                      {0, 4.0f, kNoPendingMessage, false, kNoPendingMessage},
                      {1, 0.0f, kNoPendingMessage, false, kNoPendingMessage},
                      {3, 1e6f, 3, false, 2},
                      {3, 1e6f, 3, true, kNoPendingMessage},
                      {4, 1e6f, 4, false, kNoPendingMessage}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index * 10 + row.noFollowUp);
    cQXWorld* world = TextWorld(MessageKeys());
    world->ShowMessage(row.index);
    if (row.index >= 3) {
      world->ShowMessage(2);  // replaces no dialogue
    }
    world->Update(row.seconds);
    EXPECT_EQ(row.shown, world->GetCurrentMessage());
    EXPECT_EQ(row.index >= 3 ? kTimeScalePaused : kTimeScaleNormal, gTimeScaleIndex);
    world->HideMessage(false, false, false);  // a dialogue stays
    world->HideMessage(true, row.noFollowUp, false);
    EXPECT_EQ(row.next, world->GetCurrentMessage());
    EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
  }
}

// Ignored while locked, out of range, or already shown (its clock runs on).
// On level 5, message 33 becomes 34 for a completed count of exactly 8 on
// normal or 9 on hard.
TEST_F(LevelTest, MessagesIgnoredOrSwapped) {
  struct Row {
    const char* level;
    u8 lock;
    u32 hard, count, index;
    s32 shown;
  };
  const Row rows[] = {{"level01", 1, 0, 0, 2, kNoPendingMessage},
                      {"level01", 0, 0, 0, 35, kNoPendingMessage},
                      {"level05", 0, 0, 8, 33, 34},
                      {"level05", 0, 0, 9, 33, 33},
                      {"level05", 0, 1, 9, 33, 34},
                      {"level05", 0, 1, 8, 33, 33},
                      {"level04", 0, 0, 8, 33, 33}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.level) + " " + std::to_string(row.count));
    gSaveProfiles->SetHard(row.hard);
    gSaveProfiles->GetSlot(0).count = row.count;
    cQXWorld* world = TextWorld(MessageKeys(), row.level);
    world->SetInputLock(row.lock);
    world->ShowMessage(row.index);
    EXPECT_EQ(row.shown, world->GetCurrentMessage());
  }
  cQXWorld* world = TextWorld(MessageKeys());
  world->ShowMessage(0);
  world->Update(3.0f);
  world->ShowMessage(0);
  world->Update(1.0f);
  EXPECT_EQ(kNoPendingMessage, world->GetCurrentMessage());
}

// The info view pauses; closing resumes once the HUD exists. A message
// hidden with remembering comes back once.
TEST_F(LevelTest, InfoViewAndRememberedMessage) {
  cQXWorld* world = MakeWorld("");
  world->OpenInfoView();
  world->CloseInfoView(true);
  EXPECT_EQ((std::vector<u32>{1, kTimeScalePaused}), (std::vector<u32>{world->IsInfoViewOpen(), gTimeScaleIndex}));
  world->CreateHud();
  world->CloseInfoView(true);
  EXPECT_EQ((std::vector<u32>{0, kTimeScaleNormal}), (std::vector<u32>{world->IsInfoViewOpen(), gTimeScaleIndex}));
  world = TextWorld(MessageKeys());
  world->ShowMessage(2);
  world->HideMessage(false, false, true);
  EXPECT_EQ(kNoPendingMessage, world->GetCurrentMessage());
  world->ShowRememberedMessage();
  world->ShowRememberedMessage();
  EXPECT_EQ((std::vector<s32>{2, kNoRememberedMessage}),
            (std::vector<s32>{world->GetCurrentMessage(), world->GetRememberedMessage()}));
}

// Only a higher level (0 to 4) replaces the shown one, with its sound: 0
// "sfx/al_1", 4 "sfx/al_3", others "sfx/al_2". Suppressed, nothing until
// the display ends.
TEST_F(LevelTest, AlertLevelAndItsSounds) {
  const s32 kEnd = -10, kSuppress = -20;
  const s32 rows[][3] = {{3, 3, 1},
                         {2, 3, -1},
                         {3, 3, -1},
                         {4, 4, 2},
                         {kEnd, -1, -1},
                         {0, 0, 0},
                         {5, 0, -1},
                         {kSuppress, kAlertSuppressed, -1},
                         {4, kAlertSuppressed, -1},
                         {kEnd, -1, -1},
                         {-1, -1, -1}};
  cQXWorld* world = DemoLevel();
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    for (u32 i = 0; i < kAlertSoundCount; i++) {
      world->GetAlertSound(i).Stop();
    }
    CSoundEngine::UpdateNow(true);
    if (row[0] == kEnd) {
      world->EndAlertDisplay();
    } else if (row[0] == kSuppress) {
      world->SuppressAlertDisplay();
    } else {
      world->RaiseAlertLevel(row[0]);
    }
    CSoundEngine::UpdateNow(true);
    EXPECT_EQ(row[1], world->GetShownAlertLevel());
    for (s32 i = 0; i < s32(kAlertSoundCount); i++) {
      EXPECT_EQ(i == row[2], world->GetAlertSound(u32(i)).IsPlaying()) << i;
    }
  }
}

// An objective done after the checkpoint is undone by a restore, one done
// before it kept; without a checkpoint a restore restarts; a restart clears
// the objectives and the checkpoint. The men go back either way.
TEST_F(LevelTest, CheckpointRestoreAndRestart) {
  struct Row {
    bool store, restart;
    std::vector<u8> objectives;
    u8 stored;
  };
  const Row rows[] = {{true, false, {1, 0, 0}, 1}, {false, false, {0, 0, 0}, 0}, {true, true, {0, 0, 0}, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.store * 2 + row.restart);
    cQXWorld* world = DemoLevel();
    world->CompleteMissionObjective(0);
    if (row.store) {
      world->StoreCheckpoint();
    }
    world->CompleteMissionObjective(1);
    const RwV3d away = {5.0f, 0.0f, 5.0f};
    RwFrameTranslate(Man(world, 1)->GetFrame(), &away, kRwCombineReplace);
    world->RaiseAlertLevel(2);
    row.restart ? world->RestartLevel() : world->RestoreCheckpoint();
    const u8* flags = world->GetMissionFlags().GetData();
    EXPECT_EQ(row.objectives, std::vector<u8>(flags, flags + world->GetMissionFlags().GetCount()));
    EXPECT_EQ((std::vector<s32>{row.stored, kAlertNone}),
              (std::vector<s32>{world->IsCheckpointStored(), world->GetShownAlertLevel()}));
    EXPECT_FLOAT_EQ(1.0f, RwFrameGetLTM(Man(world, 1)->GetFrame())->pos.x);
  }
}

}  // namespace
