// The map views over a forged plan and a level of stand-in men, devices and
// cameras: where markers stand and which are drawn, the blink, the full
// map's panning under its keys, the cones' colours, the quit key, and the
// HUD map read back from the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "game/app/app_events.h"
#include "game/app/event.h"
#include "game/app/input/event_device.h"
#include "game/app/input/input_map.h"
#include "game/app/startup/app_config.h"
#include "game/frontend/map/wg_map_view.h"
#include "platform/win/win_testing.h"
#include "tests/support/screen_engine.h"
#include "tools/demo/level01/map_plan.h"

namespace {

constexpr uint32_t kPlanColour = 0x3060A0;
constexpr uint32_t kIcon1Colour = 0x20C020;
constexpr uint32_t kIcon2Colour = 0xE0E020;
constexpr f32 kPlanHalf = 20.0f;  // the plan spans -20..20 on x and z

class FakeMapWorld : public cMapWorld {
 public:
  ~FakeMapWorld() override {
    for (RwFrame* frame : frames) {
      RwFrameDestroy(frame);
    }
  }
  RpWorld* GetMapEngineWorld() override { return nullptr; }
  u32 GetMapManCount() override { return static_cast<u32>(men.size()); }
  tMapMan GetMapMan(u32 index) override { return men[index]; }
  void ForEachMapDevice(tDeviceVisit visit, void* context) override {
    for (size_t i = 0; i < devices.size(); i++) {
      devices[i].marker = &markers[i];
      visit(devices[i], context);
    }
  }
  void ForEachMapCamera(tCameraVisit visit, void* context) override {
    for (const tMapCamera& camera : cameras) {
      visit(camera, context);
    }
  }
  // A frame at the position, turned by degrees about y from facing +z.
  RwFrame* Frame(const RwV3d& position, f32 degrees = 0.0f) {
    RwFrame* frame = RwFrameCreate();
    const RwV3d up = {0.0f, 1.0f, 0.0f};
    RwFrameRotate(frame, &up, degrees, kRwCombineReplace);
    RwFrameTranslate(frame, &position, kRwCombinePostConcat);
    frames.push_back(frame);
    return frame;
  }
  void AddMan(u32 kind, const RwV3d& position, bool present = true, u32 stage = 0) {
    men.push_back(tMapMan{Frame(position), kind, present, stage});
  }
  void AddDevice(s32 icon, const RwV3d& position) {
    devices.push_back(tMapDevice{Frame(position), icon, false, nullptr});
    markers.push_back(0);
  }

  std::vector<RwFrame*> frames;
  std::vector<tMapMan> men;
  std::vector<tMapDevice> devices;
  std::vector<u32> markers;
  std::vector<tMapCamera> cameras;
};

class MapViewTest : public ScreenEngineTest {
 protected:
  MapViewTest() {
    attach_ = [] { return RpWorldPluginAttach() != 0; };
  }
  void SetUp() override {
    ScreenEngineTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    WinTestSetClock([](void*) { return sNow; }, nullptr);
    MakeScreenStack();
    std::vector<uint8_t> plan;
    const RwRGBA colour = {kPlanColour >> 16, (kPlanColour >> 8) & 0xFF, kPlanColour & 0xFF, 255};
    ASSERT_TRUE(demo::PlanBytes({{-kPlanHalf, -kPlanHalf, kPlanHalf, kPlanHalf, colour}}, &plan));
    PackWriter pack;
    pack.Add("data/map.dff", std::string(plan.begin(), plan.end()));
    const std::pair<const char*, uint32_t> textures[] = {
        {"cone", 0xFFFFFF},     {"seccam", 0x808080},    {"enemy", 0xFF00FF},    {"civil", 0x00FFFF},
        {"dorvaman", 0xFFFFFF}, {"icon1", kIcon1Colour}, {"icon2", kIcon2Colour}};
    for (const auto& texture : textures) {
      pack.Add(std::string("data/textures/") + texture.first + ".bmp", PlainBitmap(texture.second));
    }
    ASSERT_TRUE(pack.WriteFile(mPack));
    cPakFile::MountDefault(mPack.c_str(), "");
    mConfig.ParseText(cString("[level]\nMAP = data/map.dff\n"));
  }
  void TearDown() override {
    mView.reset();
    mWorld.reset();
    WinTestSetClock(nullptr, nullptr);
    ScreenEngineTest::TearDown();
    std::remove(mPack.c_str());
  }

  // A view of the kind over the world's men and devices (the player first,
  // at the origin facing +z unless the test placed one).
  cWgMapView* MakeView(bool fullMap, f32 distance = 0.0f, s32 flash = 1, cInputMap* input = nullptr) {
    if (mWorld->men.empty()) {
      mWorld->AddMan(kMapManPlayer, RwV3d{0.0f, 0.0f, 0.0f});
    }
    const u32 hud[4] = {9, 9, 150, 150};
    mView = std::make_unique<cWgMapView>(fullMap ? tWgPlacement::Fractions(0, 0, 1, 1) : tWgPlacement(hud, 1, 0, 0, 0),
                                         fullMap);
    mView->Load(mConfig.FindGroup(cString("level")), mWorld.get(), "data/textures/enemy", "data/textures/civil",
                "data/textures/dorvaman");
    mView->Init(input, distance, flash);
    mView->Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
    return mView.get();
  }
  RwV3d Centre() { return RwFrameGetLTM(mView->GetCentreFrame())->pos; }

  static inline DWORD sNow = 50000;
  std::string mPack = ScratchPath("map.pak");
  cPropertyFile mConfig;
  std::unique_ptr<FakeMapWorld> mWorld = std::make_unique<FakeMapWorld>();
  std::unique_ptr<cWgMapView> mView;
};

::testing::AssertionResult MapNear(uint32_t expected, uint32_t actual, int tolerance = 6) {
  for (int shift = 0; shift <= 16; shift += 8) {
    if (std::abs(static_cast<int>((expected >> shift) & 0xFF) - static_cast<int>((actual >> shift) & 0xFF)) >
        tolerance) {
      return ::testing::AssertionFailure() << std::hex << "expected " << expected << ", got " << actual;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(MapViewTest, MarkersStandWhereTheProjectionPutsThemAndFarOnesAreNotDrawn) {
  const struct {
    RwV3d at;
    f32 x, y;
    bool drawn;
  } rows[] = {{{3.0f, 0.0f, 0.0f}, 0.35f, 0.5f, true},
              {{0.0f, 2.0f, -4.0f}, 0.5f, 0.7f, true},
              {{-29.0f, 0.0f, 0.0f}, 1.95f, 0.5f, false},
              {{19.0f, 0.0f, 0.0f}, -0.45f, 0.5f, true},
              {{0.0f, 0.0f, 21.0f}, 0.5f, -0.55f, false}};
  mWorld->AddMan(kMapManPlayer, RwV3d{0.0f, 0.0f, 0.0f});
  for (const auto& row : rows) {
    mWorld->AddMan(kMapManGuard, row.at);
  }
  cWgMapView* view = MakeView(false, 10.0f);
  view->Render();
  for (u32 i = 0; i < sizeof(rows) / sizeof(rows[0]); i++) {
    SCOPED_TRACE(i);
    RwV2d at;
    view->GetManMarker(i + 1)->GetPosition(&at);
    EXPECT_NEAR(rows[i].x, at.x, 1e-4f);
    EXPECT_NEAR(rows[i].y, at.y, 1e-4f);
    EXPECT_EQ(rows[i].drawn, view->IsManMarkerDrawn(i + 1));
  }
}

TEST_F(MapViewTest, EachKindOfManShowsOnItsOwnMap) {
  const struct {
    const char* what;
    u32 kind;
    bool present;
    bool onHud, onFull;
  } rows[] = {
      {"living guard", kMapManGuard, true, true, false},       {"dead guard", kMapManGuard, false, false, false},
      {"living civilian", kMapManCivilian, true, true, false}, {"dead civilian", kMapManCivilian, false, false, false},
      {"shown double", kMapManHologram, true, true, true},     {"hidden double", kMapManHologram, false, false, false}};
  mWorld->AddMan(kMapManPlayer, RwV3d{0.0f, 0.0f, 0.0f});
  for (const auto& row : rows) {
    mWorld->AddMan(row.kind, RwV3d{1.0f, 0.0f, 1.0f}, row.present);
  }
  for (bool full : {false, true}) {
    cWgMapView* view = MakeView(full);
    view->SetVisible(true);
    view->Render();
    EXPECT_EQ(full, view->IsManMarkerDrawn(0)) << "the player";
    for (u32 i = 0; i < sizeof(rows) / sizeof(rows[0]); i++) {
      SCOPED_TRACE(rows[i].what);
      EXPECT_EQ(full ? rows[i].onFull : rows[i].onHud, view->IsManMarkerDrawn(i + 1)) << full;
    }
  }
}

TEST_F(MapViewTest, TheBlinkBouncesBetween0And250AtAStepEvery3Ms) {
  cWgMapView* view = MakeView(false);
  view->SetVisible(true);
  const struct {
    DWORD after;  // ms since the last render
    s32 alpha;
  } rows[] = {{30, 10}, {300, 110}, {300, 210}, {300, 110}, {332, 0}, {2, 0}, {300, 100}, {3000, 250}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.after);
    sNow += row.after;
    view->Render();
    EXPECT_EQ(row.alpha, view->GetBlinkAlpha());
  }
}

TEST_F(MapViewTest, IconTexturesEndAtTheFirstMissingOneAndIconsBeyondThemAreNotDrawn) {
  mWorld->AddDevice(1, RwV3d{2.0f, 0.0f, 0.0f});
  mWorld->AddDevice(2, RwV3d{-2.0f, 0.0f, 0.0f});
  mWorld->AddDevice(3, RwV3d{0.0f, 0.0f, 2.0f});
  mWorld->AddDevice(0, RwV3d{0.0f, 0.0f, -2.0f});
  cWgMapView* view = MakeView(false);
  view->Render();
  EXPECT_EQ(2u, view->GetIconCount());
  const bool drawn[] = {true, true, false, false};
  for (u32 i = 0; i < 4; i++) {
    SCOPED_TRACE(i);
    EXPECT_EQ(i, mWorld->markers[i]);
    EXPECT_EQ(drawn[i], view->IsDeviceMarkerDrawn(i));
  }
}

TEST_F(MapViewTest, TheFullMapPansUnderItsKeysAndTheStick) {
  const std::string path = ScratchPath("inputmap.txt");
  std::ofstream(path) << "INPUTDEVICES = KEYBOARD, PAD\nFORWARD = KEY_UP, PADSTICK_LEFT\n"
                         "BACKWARD = KEY_DOWN, PADSTICK_LEFT\nLEFT = KEY_LEFT, PADSTICK_LEFT\n"
                         "RIGHT = KEY_RIGHT, PADSTICK_LEFT\nQUITAPP = KEY_ESC\n";
  cInputMap input{cString(path.c_str())};
  gInputLatch = 1;
  cWgMapView* view = MakeView(true, 0.0f, 1, &input);
  view->SetVisible(true);
  const auto key = [&](u32 code, u8 pressed) {
    tEvent event{};
    event.type = kEventKey;
    event.key = tKeyEvent{0, code, pressed};
    input.OnEvent(&event);
  };
  const auto stick = [&](f32 x, f32 y) {
    tEvent event{};
    event.type = kEventPadStick;
    event.padStick = tPadStickEvent{0, 0, x, y};
    input.OnEvent(&event);
  };
  const struct {
    const char* what;
    std::function<void()> input;
    int frames;
    f32 dx, dz;
  } rows[] = {
      {"LEFT key held", [&] { key(kKeyLeft, 1); }, 2, 2.0f, 0.0f},
      {"LEFT key released", [&] { key(kKeyLeft, 0); }, 1, 0.0f, 0.0f},
      {"stick left", [&] { stick(-0.5f, 0.0f); }, 2, -1.0f, 0.0f},
      {"stick left within the dead zone", [&] { stick(-0.2f, 0.0f); }, 1, 0.0f, 0.0f},
      {"RIGHT key", [&] { key(kKeyRight, 1); }, 1, -1.0f, 0.0f},
      {"stick right", [&] { key(kKeyRight, 0), stick(0.5f, 0.0f); }, 1, 1.0f, 0.0f},
      {"FORWARD key", [&] { key(kKeyUp, 1); }, 1, 0.0f, 1.0f},
      {"BACKWARD key", [&] { key(kKeyUp, 0), key(kKeyDown, 1); }, 1, 0.0f, -1.0f},
      {"stick forward", [&] { key(kKeyDown, 0), stick(0.0f, -0.5f); }, 1, 0.0f, 1.0f},
      {"stick backward", [&] { stick(0.0f, 0.5f); }, 1, 0.0f, -1.0f},
      {"motion reset", [&] { key(kKeyLeft, 1), view->ResetMotion(); }, 1, 0.0f, 0.0f},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const RwV3d before = Centre();
    row.input();
    for (int frame = 0; frame < row.frames; frame++) {
      view->Render();
    }
    EXPECT_NEAR(row.dx, Centre().x - before.x, 1e-4f);
    EXPECT_NEAR(row.dz, Centre().z - before.z, 1e-4f);
  }
  EXPECT_EQ(0u, gAppConfig.quit);
  key(kKeyEsc, 1);
  EXPECT_EQ(1u, gAppConfig.quit);
  gAppConfig.quit = 0;
  gInputLatch = 0;
}

TEST_F(MapViewTest, TheFullMapOpensOnThePlayerAndPansNoFurtherThanThePlan) {
  const f32 bound = 0.7f * kPlanHalf * std::sqrt(2.0f);
  mWorld->AddMan(kMapManPlayer, RwV3d{bound + 0.5f, 0.0f, -3.0f}, true);
  cWgMapView* view = MakeView(true);
  view->SetVisible(true);
  EXPECT_FLOAT_EQ(bound + 0.5f, Centre().x);
  EXPECT_FLOAT_EQ(-3.0f, Centre().z);
  const struct {
    f32 keyX;
    f32 dx;
  } rows[] = {{1.0f, 0.0f}, {-1.0f, -1.0f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.keyX);
    const RwV3d before = Centre();
    view->SetKeyX(row.keyX);
    view->Render();
    view->ResetMotion();
    EXPECT_NEAR(row.dx, Centre().x - before.x, 1e-4f);
    EXPECT_NEAR(0.0f, Centre().z - before.z, 1e-4f);
  }
}

TEST_F(MapViewTest, ConesTakeTheAlertStageColourAndActiveCamerasARedOne) {
  const struct {
    const char* what;
    u32 stage;
    bool camera, active;
    RwRGBA colour;
  } rows[] = {{"calm", 0, false, false, {13, 153, 33, 128}},       {"stage 1", 1, false, false, {13, 153, 33, 128}},
              {"searching", 2, false, false, {240, 229, 74, 128}}, {"chasing", 3, false, false, {227, 89, 89, 128}},
              {"shooting", 4, false, false, {242, 2, 13, 128}},    {"active camera", 0, true, true, {227, 89, 89, 128}},
              {"inactive camera", 0, true, false, {0, 0, 0, 0}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    mWorld = std::make_unique<FakeMapWorld>();
    mWorld->AddMan(kMapManPlayer, RwV3d{0.0f, 0.0f, 0.0f});
    if (row.camera) {
      mWorld->cameras.push_back(tMapCamera{mWorld->Frame(RwV3d{1.0f, 0.0f, 1.0f}), row.active});
    } else {
      mWorld->AddMan(kMapManGuard, RwV3d{1.0f, 0.0f, 1.0f}, true, row.stage);
    }
    MakeView(false)->Render();
    const RwRGBA got = mView->GetLastConeColour();
    EXPECT_EQ(row.colour.red, got.red);
    EXPECT_EQ(row.colour.green, got.green);
    EXPECT_EQ(row.colour.blue, got.blue);
    EXPECT_EQ(row.colour.alpha, got.alpha);
  }
}

// The HUD map at x 481..630, y 9..158: the plan under a chasing guard's
// cone, the border, and device icons 1 (blinking, alpha 0) and 2.
TEST_F(MapViewTest, TheHudMapShowsThePlanTheBorderARedConeAndTheIcons) {
  mWorld->AddMan(kMapManPlayer, RwV3d{0.0f, 0.0f, 0.0f});
  mWorld->AddMan(kMapManGuard, RwV3d{-4.0f, 0.0f, -4.0f}, true, 3);
  mWorld->AddDevice(2, RwV3d{5.0f, 0.0f, 0.0f});
  mWorld->AddDevice(1, RwV3d{0.0f, 0.0f, 5.0f});
  cWgMapView* view = MakeView(false, 10.0f, 1);
  view->Render();
  const int left = 481, top = 9;
  const uint32_t cone = ((0xE3 + (kPlanColour >> 16)) / 2) << 16 | ((0x59 + ((kPlanColour >> 8) & 0xFF)) / 2) << 8 |
                        (0x59 + (kPlanColour & 0xFF)) / 2;
  const struct {
    const char* what;
    int x, y;
    uint32_t colour;
  } rows[] = {{"plan", 20, 130, kPlanColour},
              {"top border", 75, 0, 0x327FA5},
              {"guard's cone ahead of him", 105, 70, cone},
              {"icon 2 in front of its device", 37, 68, kIcon2Colour},
              {"blinking icon 1 at alpha 0", 75, 30, kPlanColour},
              {"outside the map", -20, 75, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_TRUE(MapNear(row.colour, BackBufferPixel(left + row.x, top + row.y)));
  }
}

}  // namespace

namespace {

// Whichever way the player faces, what lies ahead of him is drawn above the
// middle of the HUD map.
TEST_F(MapViewTest, TheHudMapTurnsSoThatAheadIsUp) {
  for (f32 degrees : {0.0f, 90.0f, -135.0f}) {
    SCOPED_TRACE(degrees);
    mWorld = std::make_unique<FakeMapWorld>();
    mWorld->men.push_back(tMapMan{mWorld->Frame(RwV3d{1.0f, 0.0f, 2.0f}, degrees), kMapManPlayer, true, 0});
    const RwMatrix* player = RwFrameGetLTM(mWorld->men[0].frame);
    const RwV3d ahead = {player->pos.x + 4.0f * player->at.x, 0.0f, player->pos.z + 4.0f * player->at.z};
    mWorld->AddMan(kMapManGuard, ahead, true, 0);
    ClearTarget(screen_);
    MakeView(false, 10.0f)->Render();
    EXPECT_TRUE(MapNear(0xFF00FF, BackBufferPixel(481 + 75, 9 + 45)));
  }
}

}  // namespace
