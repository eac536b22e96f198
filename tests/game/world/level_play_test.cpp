// The level's own files and play state on forged files and the demo's first
// level (hologram doubles for men): files, messages, alerts, checkpoints.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "game/app/audio/sound_engine.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/hud/wg_blink_icon.h"
#include "game/render/models/anim_model.h"
#include "game/render/text/font.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

class LevelTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
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
  static cMan* Man(cQXWorld* world, u32 i) { return static_cast<cMan*>(world->GetMen().Get(i)); }
};

using LevelDeathTest = LevelTest;

// Rows: keys; each message's text, dialogue and marker; objectives; main text.
TEST_F(LevelTest, TextsOfTheFile) {
  const char* keys[] = {
      "MESSAGE00 = a\nMESSAGE01 = \"b@c\"\nMESSAGE03 = d\nMISSION00 = x\nMISSION_OBJECTIVES = 2\nMAINMISSIONTEXT = 2",
      "MESSAGE00 = \"$07word\"\nMESSAGE01 = $3\nMISSION00 = \"@05Reach it\"\nMAINMISSIONTEXT = 0",
      "MESSAGE00 = x\nMISSION00 = first\nMAINMISSIONTEXT = 9\nMISSION_OBJECTIVES = -4",
      // Numbers at their limits: no wrapped index, the objectives at their most.
      "MESSAGE00 = \"$-2147483648\"\nMESSAGE01 = \"$2147483647\"\nMISSION00 = m\nMAINMISSIONTEXT = -2147483648\n"
      "MISSION_OBJECTIVES = 2147483647",
      "MESSAGE00 = a\nMISSION00 = m\nMAINMISSIONTEXT = 2147483647\nMISSION_OBJECTIVES = -2147483648"};
  const char* want[] = {"a -1 -1|b@c -1 1|2|b@c", "word 7 -1| 3 -1|0| Reach it", "x -1 -1|0|first",
                        "147483648 -2147483648 -1|47483647 2147483647 -1|256|m", "a -1 -1|0|m"};
  for (int i = 0; i < 5; i++) {
    SCOPED_TRACE(keys[i]);
    cQXWorld* world = TextWorld(std::string(keys[i]) + "\n");
    std::string got;
    for (u32 m = 0; m < world->GetMessageCount(); m++) {
      got += std::string(world->GetMessageText(m).CStr()) + " " + std::to_string(world->GetMessageDialogues()[m]) +
             " " + std::to_string(world->GetMessageMarkers()[m]) + "|";
    }
    const u32 objectives = world->GetMissionFlags().GetCount();
    EXPECT_EQ(want[i], got + std::to_string(objectives) + "|" + world->GetMainMissionText().CStr());
    world->CompleteMissionObjective(objectives);  // out of range: nothing
    const u8* flags = world->GetMissionFlags().GetData();
    EXPECT_EQ(std::vector<u8>(objectives, 0), std::vector<u8>(flags, flags + objectives));
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

// An 8-bit bitmap: palette entry i is {blue i, green 2i, red 3i}.
std::string Bitmap(u32 width, u32 height, const std::string& pixels) {
  std::string bytes(54 + 1024, '\0');
  for (u32 i = 0; i < 256 * 3; i++) {
    bytes[54 + i / 3 * 4 + i % 3] = static_cast<char>(i / 3 * (i % 3 + 1));
  }
  const char fields[] = {10, 0x36, 0x04, 18, char(width), char(width >> 8), 22, char(height), char(height >> 8)};
  for (u32 f = 0; f < 9; f += 3) {
    bytes[fields[f]] = fields[f + 1], bytes[fields[f] + 1] = fields[f + 2];
  }
  return bytes + pixels;
}

// The last map read sets the size; padded rows are read as pixels; index
// 255 has no palette entry; an image larger than its file stays absent.
TEST_F(LevelTest, LightmapFiles) {
  const std::string padded("\x01\x02\x03\x00\xFF\x05\x06\x00", 8);
  const std::vector<std::pair<const char*, std::string>> rows[] = {
      {{"north", Bitmap(2, 2, "\x01\x02\x03\xFF")}},
      {{"north", Bitmap(4, 1, "abcd")}, {"west", Bitmap(2, 3, "abcdef")}},
      {{"south", Bitmap(3, 2, padded)}, {"east", Bitmap(4000, 4000, "")}}};
  const char* want[] = {"1000 2x2", "1010 2x3", "0100 3x2"};
  for (int r = 0; r < 3; r++) {
    std::filesystem::remove_all("data/lm");
    for (const auto& file : rows[r]) {
      ASSERT_TRUE(WriteLevelFile(std::string("data/lm/m_") + file.first + ".bmp", file.second));
    }
    MakeWorld("LIGHTMAP = data/lm/m_\n")->LoadLightmaps();
    const cLightmap& maps = mWorld->GetLightmap();
    std::string got;
    for (u32 map = 0; map < kLightmapCount; map++) {
      got += maps.GetImage(map) != nullptr ? "1" : "0";
    }
    EXPECT_EQ(want[r], got + " " + std::to_string(maps.GetWidth()) + "x" + std::to_string(maps.GetHeight()));
  }
  const cLightmap& maps = mWorld->GetLightmap();
  EXPECT_EQ(0, std::memcmp(padded.data(), maps.GetImage(1), 6));
  const tLightmapColour* palette = maps.GetPalette(1);
  EXPECT_EQ(0x090603, palette[3].red << 16 | palette[3].green << 8 | palette[3].blue);
  EXPECT_EQ(0, palette[255].red | palette[255].green | palette[255].blue);
}

// 50 characters, empty, "two", dialogue 3 (follow-up 2), dialogue 0, m...
std::string MessageKeys() {
  std::string text = "MESSAGE00 = " + std::string(50, 'x') + "\nMESSAGE01 = \"\"\nMESSAGE02 = two\n" +
                     "MESSAGE03 = $03three\nMESSAGE04 = $00four\n";
  for (u32 i = 5; i <= 34; i++) {
    text += (i < 10 ? "MESSAGE0" : "MESSAGE") + std::to_string(i) + " = m\n";
  }
  return text;
}

// A plain message stays 0.08 s a character; a dialogue freezes the game,
// outlasts any time and is not replaced; it goes only with force, then its
// follow-up shows unless told not to.
TEST_F(LevelTest, MessagesAndDialogues) {
  // index, seconds, shown after them, no follow-up, shown after the hides
  const f32 rows[][5] = {{0, 3.99f, 0, 0, -2}, {0, 4.0f, -2, 0, -2}, {1, 0, -2, 0, -2},
                         {3, 1e6f, 3, 0, 2},   {3, 1e6f, 3, 1, -2},  {4, 1e6f, 4, 0, -2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0] * 10 + row[3]);
    cQXWorld* world = TextWorld(MessageKeys());
    world->ShowMessage(u32(row[0]));
    if (row[0] >= 3) {
      world->ShowMessage(2);
    }
    world->Update(row[1]);
    EXPECT_EQ(s32(row[2]), world->GetCurrentMessage());
    EXPECT_EQ(row[0] >= 3 ? kTimeScalePaused : kTimeScaleNormal, gTimeScaleIndex);
    world->HideMessage(false, false, false);  // a dialogue stays
    world->HideMessage(true, row[3] != 0, false);
    EXPECT_EQ((std::vector<s32>{s32(row[4]), kTimeScaleNormal}),
              (std::vector<s32>{world->GetCurrentMessage(), s32(gTimeScaleIndex)}));
  }
}

// Ignored while locked, out of range, or shown (its clock runs on). Level 5's
// message 33 is 34 for a completed count of exactly 8 (normal) or 9 (hard).
// A remembered message comes back once. The info view pauses the game until
// it closes, which it does only once the HUD exists.
TEST_F(LevelTest, MessagesIgnoredSwappedRememberedAndTheInfoView) {
  // level number, lock, hard, count, index, shown
  const u32 rows[][6] = {{1, 1, 0, 0, 2, 99},  {1, 0, 0, 0, 35, 99}, {5, 0, 0, 8, 33, 34}, {5, 0, 0, 9, 33, 33},
                         {5, 0, 1, 9, 33, 34}, {5, 0, 1, 8, 33, 33}, {4, 0, 0, 8, 33, 33}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0] * 100 + row[3]);
    gSaveProfiles->SetHard(row[2]);
    gSaveProfiles->GetSlot(0).count = row[3];
    cQXWorld* world = TextWorld(MessageKeys(), "level0" + std::to_string(row[0]));
    world->SetInputLock(u8(row[1]));
    world->ShowMessage(row[4]);
    EXPECT_EQ(row[5] == 99 ? kNoPendingMessage : s32(row[5]), world->GetCurrentMessage());
  }
  cQXWorld* world = TextWorld(MessageKeys());
  world->ShowMessage(0);
  world->Update(3.0f);
  world->ShowMessage(0);
  world->Update(1.0f);
  EXPECT_EQ(kNoPendingMessage, world->GetCurrentMessage());
  world->ShowMessage(2);
  world->HideMessage(false, false, true);
  world->ShowRememberedMessage();
  world->ShowRememberedMessage();
  EXPECT_EQ((std::vector<s32>{2, kNoRememberedMessage}),
            (std::vector<s32>{world->GetCurrentMessage(), world->GetRememberedMessage()}));

  world = MakeWorld("");
  world->OpenInfoView();
  world->CloseInfoView(true);
  EXPECT_EQ((std::vector<u32>{1, kTimeScalePaused}), (std::vector<u32>{world->IsInfoViewOpen(), gTimeScaleIndex}));
  world->CreateHud();
  world->CloseInfoView(true);
  EXPECT_EQ((std::vector<u32>{0, kTimeScaleNormal}), (std::vector<u32>{world->IsInfoViewOpen(), gTimeScaleIndex}));
}

// Loaded: lightmaps, lights (the sun moved to POS, then turned to LOOKATPOS),
// German texts with their bytes, men in order with shadows, HUD, VIEWINFO.
// Alerts: only a higher level (0 to 4) shows, with "sfx/al_1" for 0, al_3 for
// 4, al_2 else; nothing while suppressed. Then a restore without checkpoint
// restarts, a restore undoes only what followed the checkpoint, a restart
// clears objectives and checkpoint; the men and the alert display go back.
TEST_F(LevelTest, TheDemoLevelLoadsAndPlays) {
  const s32 kEnd = -10, kSuppress = -20;
  // raised level or operation, shown level, sound playing
  // clang-format off
  const s32 alerts[][3] = {{3, 3, 1}, {2, 3, -1}, {3, 3, -1}, {4, 4, 2}, {kEnd, -1, -1}, {0, 0, 0}, {5, 0, -1},
                           {kSuppress, kAlertSuppressed, -1}, {4, kAlertSuppressed, -1}, {kEnd, -1, -1}, {-1, -1, -1}};
  // clang-format on
  demo::DataFolder data;
  std::string error;
  ASSERT_TRUE(demo::WriteDataSet(data) && demo::WriteOutput(data, mFolder.Path(), {}, &error)) << error;
  ASSERT_TRUE(WriteLevelFile("data/level01/men.txt", HologramMenFile("holo0, holo1", 2)) &&
              mConfig.Load(cString("data/config.txt")));
  cQXWorld* world = (mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"))).get();
  for (int step = 0; step < 20; step++) {
    world->Load();
  }
  const cLightmap& maps = world->GetLightmap();
  EXPECT_TRUE(maps.GetImage(0) && maps.GetImage(1) && maps.GetImage(2) && maps.GetImage(3));
  EXPECT_EQ(
      (std::vector<f32>{64, 48, 8, 24, 2, 0.1f, 55}),
      (std::vector<f32>{f32(maps.GetWidth()), f32(maps.GetHeight()), f32(maps.GetOriginX()), f32(maps.GetOriginZ()),
                        maps.GetScale(), world->GetDirectionalLightAdd(), f32(maps.GetDirectionalAngle())}));
  std::vector<f32> lights;
  for (u32 i = 0; i < world->GetLights().GetCount(); i++) {
    RpLight* light = static_cast<cLight*>(world->GetLights().Get(i))->GetLight();
    lights.push_back(RpLightGetWorld(light) == world->GetEngineWorld() ? RpLightGetType(light) : -1);
  }
  const RwMatrix* matrix = RwFrameGetMatrix(static_cast<cLight*>(world->GetLights().Get(1))->GetFrame());
  lights.insert(lights.end(), {matrix->pos.y, std::round(matrix->at.y * 1e4f), std::round(matrix->at.z * 1e4f)});
  EXPECT_EQ((std::vector<f32>{2, 1, 128, 129, 130, 10, -9285, -3714}), lights);
  // The level's 75 and the implants' seven; the dialogue's first line
  // leads to its second.
  ASSERT_EQ(82u, world->GetMessageCount());
  EXPECT_STREQ("Zentrale: H\xF6rst du mich? Bleib im Schatten.", world->GetMessageText(59).CStr());
  EXPECT_EQ(61, world->GetMessageDialogues()[59]);
  EXPECT_EQ(world->GetMessageText(58), world->GetMainMissionText());
  EXPECT_EQ(4u, world->GetMissionFlags().GetCount());
  ASSERT_EQ(3u, world->GetMen().GetCount());
  EXPECT_FLOAT_EQ(1.0f, RwFrameGetLTM(Man(world, 2)->GetFrame())->pos.x);
  EXPECT_TRUE(Man(world, 0)->GetModel()->GetShadowCaster() && Man(world, 1)->GetModel()->GetShadowCaster() &&
              world->GetHologram() == Man(world, 1) && static_cast<cMan*>(world->GetPlayer()) == Man(world, 0));
  EXPECT_TRUE(world->GetHudFont()->IsLoaded());
  gInputLatch = 1;  // "VIEWINFO" ("KEY_TAB") in the info view's map closes it
  world->OpenInfoView();
  tEvent key;
  key.type = kEventKey, key.key = tKeyEvent{0, kKeyTab, 1};
  world->OnEvent(&key);
  EXPECT_EQ(0, world->IsInfoViewOpen());
  gInputLatch = 0;
  for (const auto& row : alerts) {
    SCOPED_TRACE(row[0]);
    for (u32 i = 0; i < kAlertSoundCount; i++) {
      world->GetAlertSound(i).Stop();
    }
    CSoundEngine::UpdateNow(true);
    row[0] == kEnd ? world->EndAlertDisplay()
                   : (row[0] == kSuppress ? world->SuppressAlertDisplay() : world->RaiseAlertLevel(row[0]));
    CSoundEngine::UpdateNow(true);
    EXPECT_EQ(row[1], world->GetShownAlertLevel());
    for (u32 i = 0; i < kAlertSoundCount; i++) {
      EXPECT_EQ(s32(i) == row[2], world->GetAlertSound(i).IsPlaying()) << i;
    }
  }
  // store, restart; then the objectives and the checkpoint
  const std::vector<u8> turns[] = {{0, 0, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 0, 1}, {1, 1, 0, 0, 0, 0, 0}};
  for (const auto& turn : turns) {
    SCOPED_TRACE(turn[0] * 2 + turn[1]);
    world->CompleteMissionObjective(0);
    if (turn[0] != 0) {
      world->StoreCheckpoint();
    }
    world->CompleteMissionObjective(1);
    const RwV3d away = {5.0f, 0.0f, 5.0f};
    RwFrameTranslate(Man(world, 2)->GetFrame(), &away, kRwCombineReplace);
    world->RaiseAlertLevel(2);
    turn[1] != 0 ? world->RestartLevel() : world->RestoreCheckpoint();
    const u8* flags = world->GetMissionFlags().GetData();
    std::vector<u8> got(flags, flags + world->GetMissionFlags().GetCount());
    got.push_back(world->IsCheckpointStored());
    EXPECT_EQ(std::vector<u8>(turn.begin() + 2, turn.end()), got);
    EXPECT_EQ(kAlertNone, world->GetShownAlertLevel());
    EXPECT_FALSE(world->GetAlertIcon(2)->IsBlinking());
    EXPECT_FLOAT_EQ(1.0f, RwFrameGetLTM(Man(world, 2)->GetFrame())->pos.x);
  }
}

}  // namespace
