// Listeners, special areas and photocells on the devices' forged room, with
// a player body double for the perceptors and a hologram double's capsule
// for the photocell's ray.
#include "game/world/sensors/sensor_kinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "game/characters/man_body.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/collision/collision_volume.h"
#include "tests/game/world/devices/device_fixture.h"

namespace {

// The player as the perceptors see it: kind 0 with its own frame.
class PlayerBody : public cManBody {
 public:
  PlayerBody() : cManBody(kManKindPlayer), mFrame(RwFrameCreate()) {}
  ~PlayerBody() override { RwFrameDestroy(mFrame); }
  RwFrame* GetFrame() const override { return mFrame; }
  void MoveTo(const RwV3d& position) { RwFrameTranslate(mFrame, &position, kRwCombineReplace); }
  RwFrame* mFrame;
};

// A kind whose effects on the player are added up.
template <class T>
class Recording : public T {
 public:
  using T::T;
  cLevelObject* Clone() override { return new Recording(*this); }
  void ChangePlayerHealth(f32 amount) override { health += amount; }
  void ChangePlayerEnergy(f32 amount) override { energy += amount; }
  f32 health = 0.0f, energy = 0.0f;
};

class SensorKindsTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    mPlayer = new PlayerBody;
    mLevel->GetBodies().Append(&mPlayer->GetBodyLink());
  }
  void TearDown() override {
    delete mPlayer;
    DeviceTest::TearDown();
  }
  // One sensor of the model at the position facing +z, linked and attached.
  template <class T>
  T* PlaceSensor(eObjectSetKind kind, const char* model, const char* name, RwV3d at, cMan* player = nullptr) {
    const std::string path = std::string(demo::level01::kModelFolder) + model + ".dff";
    auto* set = new tObjectSet<T>(path.c_str(), &mLevel->GetLightmap(), mLevel->GetWorldCollision(),
                                  &mLevel->GetBodies(), player);
    mDestroy.push_back([set] { delete set; });
    LocatorWriter writer;
    writer.headerValue = 1;
    writer.Add(name, "", at.x, at.y, at.z);
    const std::string locator = Folder(std::string("xrf/") + name + ".xrf");
    EXPECT_TRUE(writer.WriteFile(locator));
    set->InstantiateDevices(locator.c_str());
    AppendPointer(&mLevel->GetObjectSets(kind), set);
    T* sensor = set->GetClone(0);
    sensor->LinkToWorld(mLevel);
    sensor->SetWorld(mLevel);
    return sensor;
  }
  void Props(const std::string& text) { mProps.ParseText(cString(text.c_str())); }

  PlayerBody* mPlayer = nullptr;
};

TEST_F(SensorKindsTest, FiringSwitchesTheResolvedSensors) {
  cListener* sensors[3];
  const char* names[] = {"a", "b", "c"};
  for (int i = 0; i < 3; i++) {
    sensors[i] = PlaceSensor<cListener>(kSetListeners, "listener", names[i], RwV3d{0, 1, -5});
  }
  Props("[a]\nACTIVATED = [a, nobody, b, b]\nDEACTIVATED = [c]\n[b]\nDEACTIVATED = [B]\n");
  SetUpListeners(mLevel, mProps);
  EXPECT_EQ(3u, sensors[0]->GetActivated().GetCount());
  EXPECT_EQ(0u, sensors[1]->GetDeactivated().GetCount());
  // Each row: the states before a fires, then after.
  const s32 rows[][6] = {{1, 0, 1, 1, 1, 0}, {2, 2, 0, 2, 2, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    for (int i = 0; i < 3; i++) {
      sensors[i]->SetState(row[i]);
    }
    sensors[0]->Fire();
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(row[3 + i], sensors[i]->GetState()) << i;
      EXPECT_EQ(row[3 + i] != kSensorInactive, sensors[i]->GetModel()->GetScene() != nullptr) << i;
    }
  }
}

TEST_F(SensorKindsTest, ResetPutsTheModelBackOnceAndMessagesFollowTheTarget) {
  cListener* sensor = PlaceSensor<cListener>(kSetListeners, "listener", "a", RwV3d{0, 1, -5});
  Props("[a]\nMESSAGE1 = 2\nMESSAGE2 = 1\n");
  SetUpListeners(mLevel, mProps);
  EXPECT_EQ(1, sensor->GetMessage1());
  EXPECT_EQ(0, sensor->GetMessage2());
  // Each row: whether the target is there, then the flag after.
  const s32 frames[][2] = {{0, -1}, {1, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 1}, {1, 1}};
  for (const auto& frame : frames) {
    frame[0] != 0 ? sensor->Fire() : sensor->NoteTargetAbsent();
    EXPECT_EQ(frame[1], sensor->GetMessageFlag());
  }
  // Deactivated, spent with the model in, active, alarm.
  const s32 rows[][2] = {{kSensorInactive, 1}, {kSensorInactive, 0}, {kSensorActive, 0}, {kSensorAlarm, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0] * 2 + row[1]);
    sensor->Activate();
    if (row[1] != 0) {
      sensor->Deactivate();
    }
    sensor->SetState(row[0]);
    sensor->Reset();
    EXPECT_EQ(kSensorActive, sensor->GetState());
    EXPECT_EQ(kSensorNothingShown, sensor->GetMessageFlag());
    EXPECT_EQ(mLevel, sensor->GetModel()->GetScene());
  }
}

// The sensors' message numbers and a special area's mission count from 1:
// n is kept as n - 1, 0 and below (the limits included) as none.
TEST_F(SensorKindsTest, NumbersCountedFromOneNeverWrap) {
  struct Row {
    const char* text;
    s32 index;
  };
  const Row rows[] = {
      {"2", 1}, {"0", -1}, {"-1", -1}, {"2147483647", 2147483646}, {"-2147483648", -1}, {"-99999999999", -1}};
  std::string props;
  std::vector<cListener*> listeners;
  std::vector<cSpecialArea*> areas;
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; i++) {
    const std::string ear = "ear" + std::to_string(i);
    const std::string area = "area" + std::to_string(i);
    const f32 x = 10.0f * static_cast<f32>(i);
    listeners.push_back(PlaceSensor<cListener>(kSetListeners, "listener", ear.c_str(), RwV3d{x, 1, -5}));
    areas.push_back(PlaceSensor<cSpecialArea>(kSetSpecialAreas, "listener", area.c_str(), RwV3d{x, 1, 5}));
    props += "[" + ear + "]\nMESSAGE1 = " + rows[i].text + "\nMESSAGE2 = " + rows[i].text + "\n[" + area +
             "]\nTYPE = special\nMISSION = " + rows[i].text + "\n";
  }
  Props(props);
  SetUpListeners(mLevel, mProps);
  SetUpSpecialAreas(mLevel, mProps);
  for (size_t i = 0; i < listeners.size(); i++) {
    SCOPED_TRACE(rows[i].text);
    EXPECT_EQ(rows[i].index, listeners[i]->GetMessage1());
    EXPECT_EQ(rows[i].index, listeners[i]->GetMessage2());
    EXPECT_EQ(rows[i].index, areas[i]->GetMission());
  }
}

TEST_F(SensorKindsTest, ListenersHearWithinNoisePlusRange) {
  auto* listener = PlaceSensor<cListener>(kSetListeners, "listener", "ear", RwV3d{0, 1, -5});
  SetUpListeners(mLevel, mProps);
  EXPECT_FLOAT_EQ(1.0f, listener->GetPerceptor().mHearingRange);
  // Each row: distance, noise, state after; noise 0 close by, at equality,
  // inside, kept, gone quiet.
  const f32 rows[][3] = {{0.25f, 0, 1}, {1.5f, 0.5f, 1}, {1.25f, 0.5f, 2}, {1.25f, 0.5f, 2}, {1.25f, 0, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row[0] << " " << row[1]);
    mPlayer->MoveTo(RwV3d{0, 1, -5 + row[0]});
    mPlayer->SetNoise(row[1]);
    listener->Update(0.1f);
    EXPECT_EQ(static_cast<s32>(row[2]), listener->GetState());
  }
  EXPECT_EQ(3, mLevel->GetShownAlertLevel());
}

TEST_F(SensorKindsTest, SpecialAreasActByType) {
  cPropertyFile settings;
  settings.ParseText(cString("[dorvaman]\nMAGNETIC_EFFECT = 0.2\nMATTER_EFFECT = 0.3\n"));
  cDorvaMan::ReadStaticProperties(&settings);
  Props(
      "[mag]\nRANGE = 2\n[mat]\nTYPE = matter\nRANGE = 2\n[cap]\nTYPE = Matter\nMISSION = 1\n"
      "[special]\nTYPE = special\nMISSION = 1\nRANGE = 2\n");
  struct Row {
    const char* name;
    s32 type, mission, alert;
    f32 energy, health;
  };
  const Row rows[] = {{"mag", kAreaMagnetic, -1, 1, -0.2f, 0.0f},
                      {"mat", kAreaMatter, -1, 2, 0.0f, -0.3f},
                      {"cap", kAreaMagnetic, 0, 1, -0.2f, 0.0f},
                      {"special", kAreaSpecial, 0, -1, 0.0f, 0.0f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto* area = PlaceSensor<Recording<cSpecialArea>>(kSetSpecialAreas, "specarea", row.name, RwV3d{0, 1, 0});
    area->ReadProperties(mProps.FindGroup(cString(row.name)), mLevel->GetSensors(), mLevel->GetTimerDevices());
    EXPECT_EQ(row.type, area->GetType());
    EXPECT_EQ(row.mission, area->GetMission());
    mLevel->EndAlertDisplay();
    mPlayer->MoveTo(RwV3d{0.5f, 1, 0});
    for (int frame = 0; frame < 10; frame++) {
      area->Update(0.1f);
    }
    EXPECT_NEAR(row.energy, area->energy, 1e-5f);
    EXPECT_NEAR(row.health, area->health, 1e-5f);
    EXPECT_EQ(row.alert, mLevel->GetShownAlertLevel());
    area->Deactivate();
  }
  settings.ParseText(cString("[dorvaman]\n"));
  cDorvaMan::ReadStaticProperties(&settings);
}

TEST_F(SensorKindsTest, CheckpointFiresOnceAndStaysOffAfterItsRestore) {
  auto* area = PlaceSensor<cSpecialArea>(kSetSpecialAreas, "specarea", "check", RwV3d{0, 1, 0});
  Props("[check]\nTYPE = checkpoint\nRANGE = 2\n");
  SetUpSpecialAreas(mLevel, mProps);
  mPlayer->MoveTo(RwV3d{0, 1, 0.5f});
  area->Update(0.1f);
  EXPECT_EQ(1, mLevel->IsCheckpointStored());
  EXPECT_EQ(kSensorInactive, area->GetState());
  EXPECT_EQ(mLevel, area->GetModel()->GetScene());
  mLevel->RestoreCheckpoint();
  area->Update(0.1f);
  EXPECT_EQ(kSensorInactive, area->GetState());
  ResetAllSensors(mLevel);
  EXPECT_EQ(kSensorActive, area->GetState());
  EXPECT_EQ(mLevel, area->GetModel()->GetScene());
}

TEST_F(SensorKindsTest, PhotocellsHurtEveryBrokenFrame) {
  LoadMenFile();
  cMan* player = AddMan("guard", RwV3d{0, 0, 3});
  auto* cell = PlaceSensor<Recording<cPhotocell>>(kSetPhotocells, "photocell", "eye", RwV3d{0, 0.7f, 0}, player);
  SetUpPhotocells(mLevel, mProps);
  EXPECT_FLOAT_EQ(0.1f, cell->GetPerceptor().mSightRange);
  EXPECT_FALSE(cell->IsBroken(player));
  Props("[eye]\nRAYLENGTH = 5\nHURT = -0.5\nMESSAGE1 = 1\n");
  cell->ReadProperties(mProps.FindGroup(cString("eye")), mLevel->GetSensors(), mLevel->GetTimerDevices(),
                       &mLevel->GetMen());
  // Each row: in the ray, state, message flag, health change so far; the
  // ray broken, still broken, clear, clear again, broken anew.
  const f32 rows[][4] = {{1, 2, 0, -0.05f}, {1, 2, 0, -0.1f}, {0, 1, 0, -0.1f}, {0, 1, 1, -0.1f}, {1, 2, 1, -0.15f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row[0] << " " << row[3]);
    RwV3d at{row[0] != 0 ? 0.0f : 3.0f, 0.0f, 3.0f};
    RwFrameTranslate(player->GetFrame(), &at, kRwCombineReplace);
    cell->Update(0.1f);
    EXPECT_EQ(static_cast<s32>(row[1]), cell->GetState());
    EXPECT_EQ(static_cast<s32>(row[2]), cell->GetMessageFlag());
    EXPECT_NEAR(row[3], cell->health, 1e-5f);
  }
  EXPECT_EQ(3, mLevel->GetShownAlertLevel());
}

TEST_F(SensorKindsTest, PhotocellsHurtTheWorldsPlayer) {
  LoadMenFile();
  cPropertyFile file;
  file.ParseText(cString("[p]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (0,0,3)\n"));
  cMan* man = cMan::Create(file.FindGroup(cString("p")), mLevel);
  man->AddToWorld(mLevel);
  man->ReadProperties(file.FindGroup(cString("p")));
  mMen.push_back(man);
  AppendPointer(&mLevel->GetMen(), man);
  auto* player = static_cast<cDorvaMan*>(man);
  ASSERT_EQ(player, mLevel->GetPlayer());
  auto* cell = PlaceSensor<cPhotocell>(kSetPhotocells, "photocell", "eye", RwV3d{0, 0.7f, 0}, man);
  Props("[eye]\nRAYLENGTH = 5\nHURT = -0.5\n");
  SetUpPhotocells(mLevel, mProps);
  const f32 before = player->GetHealth();
  cell->Update(0.1f);
  EXPECT_NEAR(before - 0.05f, player->GetHealth(), 1e-5f);
}

TEST_F(SensorKindsTest, CamerasSweepSixtyDegreesAndHoldTheAlarmForAlertTime) {
  auto* camera = PlaceSensor<cSecurityCamera>(kSetSecurityCameras, "seccam", "cam", RwV3d{0, 1, -5});
  SetUpSecurityCameras(mLevel, mProps);
  EXPECT_FLOAT_EQ(10.0f, camera->GetPerceptor().mSightRange);
  EXPECT_NEAR(0.9396926f, camera->GetPerceptor().mCosineLimit, 1e-6f);
  mPlayer->MoveTo(RwV3d{0, 1, -30});
  camera->StoreState();
  f32 widest = 0.0f;
  for (int frame = 0; frame < 200; frame++) {
    camera->Update(0.1f);
    const RwV3d& at = RwFrameGetLTM(camera->GetFrame())->at;
    widest = std::max(widest, std::fabs(std::atan2(at.x, at.z)) * 180.0f / 3.1415927f);
  }
  EXPECT_NEAR(61.2f, widest, 1.3f);
  camera->RestoreState();
  // Each row: player's z (-2 seen, -30 gone), dt, state after; the timer
  // reaches ALERTTIME exactly, then beyond it, and is not cleared.
  const f32 rows[][3] = {{-2, 0.1f, 2}, {-30, 1.0f, 2}, {-30, 4.0f, 2}, {-30, 0.5f, 1}, {-2, 0.1f, 2}, {-30, 0.1f, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row[0] << " " << row[1]);
    mPlayer->MoveTo(RwV3d{0, 1, row[0]});
    camera->Update(row[1]);
    EXPECT_EQ(static_cast<s32>(row[2]), camera->GetState());
  }
  EXPECT_FLOAT_EQ(5.6f, camera->GetAlarmTimer());
}

}  // namespace
