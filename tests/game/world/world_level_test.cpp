// The level world's own files and play state on the demo level and forged
// files: lightmaps, lights, texts and men as the load fills them; messages,
// dialogues and the info view; the alert display; objectives, checkpoint
// and restart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>

#include "game/app/event.h"
#include "game/render/models/anim_model.h"
#include "game/render/scene/light.h"
#include "game/render/text/font.h"
#include "game/world/lightmap_bitmap.h"
#include "platform/dsound/dsound_testing.h"
#include "tests/game/world/level_fixture.h"

namespace {

using LevelDeathTest = LevelTest;

// An 8-bit bitmap: the fields the lightmap reader takes, palette entry i
// {blue i, green 2i, red 3i}, then the index bytes as given.
std::string Bitmap(u32 width, u32 height, const std::string& pixels) {
  std::string bytes(54 + 1024, '\0');
  auto put16 = [&bytes](size_t at, u32 value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
  };
  put16(10, 54 + 1024);
  put16(18, width);
  put16(22, height);
  for (u32 i = 0; i < 256; i++) {
    bytes[54 + i * 4] = static_cast<char>(i);
    bytes[55 + i * 4] = static_cast<char>(i * 2);
    bytes[56 + i * 4] = static_cast<char>(i * 3);
  }
  return bytes + pixels;
}

// The demo level's load fills the lightmaps, lights, texts (German by
// default, its bytes kept), men in list order with their shadows, and the
// HUD's font; VIEWINFO in the info-view map closes the view.
TEST_F(LevelTest, TheDemoLevelLoadsItsOwnFiles) {
  cQXWorld* world = DemoLevel();
  cLightmap& maps = world->GetLightmap();
  for (u32 map = 0; map < kLightmapCount; map++) {
    EXPECT_NE(nullptr, maps.GetImage(map));
  }
  EXPECT_EQ((std::vector<f32>{64, 48, 8, 24, 2.0f, 0.1f, 55}),
            (std::vector<f32>{static_cast<f32>(maps.GetWidth()), static_cast<f32>(maps.GetHeight()),
                              static_cast<f32>(maps.GetOriginX()), static_cast<f32>(maps.GetOriginZ()), maps.GetScale(),
                              maps.GetDirectionalAddition(), static_cast<f32>(maps.GetDirectionalAngle())}));
  std::vector<int> types;
  for (u32 i = 0; i < world->GetLights().GetCount(); i++) {
    const cLight* light = static_cast<cLight*>(world->GetLights().Get(i));
    types.push_back(RpLightGetType(light->GetLight()));
    EXPECT_EQ(world->GetEngineWorld(), RpLightGetWorld(light->GetLight()));
  }
  EXPECT_EQ((std::vector<int>{rpLIGHTAMBIENT, rpLIGHTDIRECTIONAL, rpLIGHTPOINT, rpLIGHTSPOT, rpLIGHTSPOTSOFT}), types);

  const std::vector<std::string> texts = Messages(world);
  ASSERT_EQ(56u, texts.size());
  EXPECT_EQ("Die T\xFCr gleitet auf.", texts[0]);
  EXPECT_EQ("Zentrale: H\xF6rst du mich? Bleib im Schatten.", texts[40]);
  EXPECT_EQ((std::vector<s32>{-1, 1, 5, -1}),
            (std::vector<s32>{world->GetMessageDialogues()[0], world->GetMessageDialogues()[40],
                              world->GetMessageMarkers()[10], world->GetMessageMarkers()[0]}));
  EXPECT_EQ(3u, world->GetMissionFlags().GetCount());
  EXPECT_EQ(texts[39], world->GetMainMissionText().CStr());
  EXPECT_EQ(0u, std::string(world->GetBriefing().CStr()).rfind("Level 1: die B\xFCros.", 0));

  ASSERT_EQ(2u, world->GetMen().GetCount());
  for (u32 i = 0; i < 2; i++) {
    EXPECT_FLOAT_EQ(static_cast<f32>(i), Position(Man(world, i)).x);
    EXPECT_NE(nullptr, Man(world, i)->GetModel()->GetShadowCaster());
  }
  EXPECT_TRUE(world->GetHudFont() != nullptr && world->GetHudFont()->IsLoaded());
  EXPECT_TRUE(world->GetFpsCounter() != nullptr && world->GetHudLabel() != nullptr && world->GetCrosshair() != nullptr);

  gInputLatch = 1;
  world->OpenInfoView();
  ASSERT_EQ(1, world->IsInfoViewOpen());
  tEvent key;
  key.type = kEventKey;
  key.key = tKeyEvent{0, 'i', 1};
  world->OnEvent(&key);
  EXPECT_EQ(0, world->IsInfoViewOpen());
  EXPECT_EQ(kTimeScaleNormal, gTimeScaleIndex);
}

TEST_F(LevelTest, TextsOfTheFile) {
  struct Row {
    const char* keys;
    std::vector<std::string> messages;
    std::vector<s32> dialogues, markers;
    u32 objectives;
    const char* main;
  };
  const Row rows[] = {
      {"MESSAGE00 = a\nMESSAGE01 = \"b@c\"\nMESSAGE03 = d\nMISSION00 = \"Line\"\nMISSION_OBJECTIVES = 2\n"
       "MAINMISSIONTEXT = 2\n",
       {"a", "b@c"},
       {-1, -1},
       {-1, 1},
       2,
       "b@c"},
      {"MESSAGE00 = \"$07word\"\nMESSAGE01 = $3\nMESSAGE02 = \"\"\nMISSION00 = @05Reach it\nMAINMISSIONTEXT = 0\n",
       {"word", "", ""},
       {7, 3, -1},
       {-1, -1, -1},
       0,
       " Reach it"},
      {"MESSAGE00 = x\nMISSION00 = first\nMISSION01 = second\nMAINMISSIONTEXT = 9\nMISSION_OBJECTIVES = -4\n",
       {"x"},
       {-1},
       {-1},
       0,
       "first"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    cQXWorld* world = TextWorld(std::string("[TEXTS]\n") + row.keys);
    EXPECT_EQ(row.messages, Messages(world));
    std::vector<s32> dialogues, markers;
    for (u32 i = 0; i < world->GetMessageCount(); i++) {
      dialogues.push_back(world->GetMessageDialogues()[i]);
      markers.push_back(world->GetMessageMarkers()[i]);
    }
    EXPECT_EQ(row.dialogues, dialogues);
    EXPECT_EQ(row.markers, markers);
    EXPECT_EQ(row.objectives, world->GetMissionFlags().GetCount());
    EXPECT_STREQ(row.main, world->GetMainMissionText().CStr());
    // Objectives out of range change nothing.
    world->CompleteMissionObjective(row.objectives);
    EXPECT_EQ(0, std::count(world->GetMissionFlags().GetData(),
                            world->GetMissionFlags().GetData() + world->GetMissionFlags().GetCount(), 1));
  }
}

TEST_F(LevelTest, LightsOfTheirGroups) {
  struct Row {
    const char* keys;
    int type;
    RwRGBAReal colour;
    RwV3d position, at;
    f32 radius, cone;
  };
  const f32 r = 1.0f / std::sqrt(2.0f);
  const f32 engineCone = std::acos(-1.0f);  // the engine's own until set
  const Row rows[] = {
      {"TYPE = AMBIENT", rpLIGHTAMBIENT, {1, 1, 1, 1}, {0, 0, 0}, {0, 0, 1}, 0.0f, engineCone},
      {"TYPE = SPOT\nCOLOR = (0.5,0.25,1,1)\nLOOKATPOS = (0,0,0)\nPOS = (2,2,0)\nRADIUS = 3\nCONEANGLE = 45",
       rpLIGHTSPOT,
       {0.5f, 0.25f, 1, 1},
       {2, 2, 0},
       {-r, -r, 0},
       3.0f,
       0.785398f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    MakeWorld(std::string("LIGHT = [ lamp ]\n[lamp]\n") + row.keys + "\n")->LoadLights();
    ASSERT_EQ(1u, mWorld->GetLights().GetCount());
    const cLight* light = static_cast<cLight*>(mWorld->GetLights().Get(0));
    EXPECT_EQ(row.type, RpLightGetType(light->GetLight()));
    EXPECT_EQ(0, std::memcmp(&row.colour, &light->GetColour(), sizeof(RwRGBAReal)));
    const RwMatrix* matrix = RwFrameGetMatrix(light->GetFrame());
    const f32 got[] = {matrix->pos.x,
                       matrix->pos.y,
                       matrix->pos.z,
                       matrix->at.x,
                       matrix->at.y,
                       matrix->at.z,
                       RpLightGetRadius(light->GetLight()),
                       RpLightGetConeAngle(light->GetLight())};
    const f32 want[] = {row.position.x, row.position.y, row.position.z, row.at.x,
                        row.at.y,       row.at.z,       row.radius,     row.cone};
    for (u32 i = 0; i < 8; i++) {
      EXPECT_NEAR(want[i], got[i], 1e-4f) << i;
    }
  }
}

TEST_F(LevelDeathTest, LightsAndMenThatCannotBeMadeAreFatal) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_DEATH(MakeWorld("LIGHT = [lamp]\n[lamp]\nTYPE = ambient\n")->LoadLights(),
               "cLight::Create : unknown type \\(valid types: DIRECTIONAL, AMBIENT, POINT, SPOT, SPOTSOFT\\)");
  EXPECT_DEATH(MakeWorld("LIGHT = [lamp]\n")->LoadLights(), "cQXWorld::Load : PropertyGroup not found! \\(lamp\\)");
  const char* men[][2] = {{"[Men]\nMEN = [absent]\n", "cQXWorld::LoadMen : PropertyGroup not found! \\(absent\\)"},
                          {"[Men]\nMEN = [ ]\n", "cQXWorld::LoadMen : no men in MEN"},
                          {"[Men]\n", "cQXWorld::LoadMen : Property not found! \\(MEN\\)"}};
  for (const auto& row : men) {
    SCOPED_TRACE(row[0]);
    cPropertyFile file;
    file.ParseText(cString(row[0]));
    EXPECT_DEATH(MakeWorld("")->LoadMen(&file), row[1]);
  }
}

// Lightmap files: the last read sets the size; padded rows are read as
// pixels; index 255 has no palette entry; an image larger than its file
// leaves its map absent.
TEST_F(LevelTest, LightmapFiles) {
  struct Row {
    std::map<std::string, std::string> files;
    std::vector<u32> present;
    u32 width, height;
  };
  const std::string padded = Bitmap(3, 2, std::string("\x01\x02\x03\x00\x04\x05\x06\x00", 8));
  const Row rows[] = {
      {{{"north", Bitmap(2, 2, "\x01\x02\x03\xFF")}}, {1, 0, 0, 0}, 2, 2},
      {{{"north", Bitmap(4, 1, "abcd")}, {"west", Bitmap(2, 3, "abcdef")}}, {1, 0, 1, 0}, 2, 3},
      {{{"south", padded}, {"east", Bitmap(4000, 4000, "x")}}, {0, 1, 0, 0}, 3, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.files.begin()->second.size());
    std::filesystem::remove_all("data/lm");
    for (const auto& file : row.files) {
      ASSERT_TRUE(WriteLevelFile("data/lm/m_" + file.first + ".bmp", file.second));
    }
    MakeWorld("LIGHTMAP = data/lm/m_\n")->LoadLightmaps();
    cLightmap& maps = mWorld->GetLightmap();
    std::vector<u32> present;
    for (u32 map = 0; map < kLightmapCount; map++) {
      present.push_back(maps.GetImage(map) != nullptr ? 1 : 0);
    }
    EXPECT_EQ(row.present, present);
    EXPECT_EQ((std::vector<u32>{row.width, row.height}), (std::vector<u32>{maps.GetWidth(), maps.GetHeight()}));
  }
  // The padded rows' first six bytes, padding included, are the image.
  EXPECT_EQ(0, std::memcmp("\x01\x02\x03\x00\x04\x05", mWorld->GetLightmap().GetImage(1), 6));
  const tLightmapColour* palette = mWorld->GetLightmap().GetPalette(1);
  EXPECT_EQ((std::vector<u8>{9, 6, 3, 0, 0, 0}),
            (std::vector<u8>{palette[3].red, palette[3].green, palette[3].blue, palette[255].red, palette[255].green,
                             palette[255].blue}));
}

}  // namespace
