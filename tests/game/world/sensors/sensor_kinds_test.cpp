// Listeners, special areas and photocells on the devices' forged room, with
// a player body double for the perceptors and a hologram double's capsule
// for the photocell's ray.
#include "game/world/sensors/sensor_kinds.h"

#include <gtest/gtest.h>

#include <string>

#include "game/characters/man_body.h"
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

 private:
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
  f32 health = 0.0f;
  f32 energy = 0.0f;
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

TEST_F(SensorKindsTest, ListenersHearWithinNoisePlusRange) {
  auto* listener = PlaceSensor<cListener>(kSetListeners, "listener", "ear", RwV3d{0, 1, -5});
  SetUpListeners(mLevel, mProps);
  EXPECT_FLOAT_EQ(1.0f, listener->GetPerceptor().mHearingRange);
  struct Row {
    const char* what;
    f32 distance, noise;
    s32 state;
  };
  const Row rows[] = {{"noise 0 close by", 0.25f, 0.0f, 1}, {"at equality", 1.5f, 0.5f, 1},
                      {"inside", 1.25f, 0.5f, 2},           {"kept", 1.25f, 0.5f, 2},
                      {"gone quiet", 1.25f, 0.0f, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    mPlayer->MoveTo(RwV3d{0, 1, -5 + row.distance});
    mPlayer->SetNoise(row.noise);
    listener->Update(0.1f);
    EXPECT_EQ(row.state, listener->GetState());
  }
  EXPECT_EQ(3, mLevel->GetShownAlertLevel());
}

TEST_F(SensorKindsTest, SpecialAreasActByType) {
  Props("[mag]\nRANGE = 2\n[mat]\nTYPE = matter\nRANGE = 2\n[cap]\nTYPE = Matter\nMISSION = 1\n"
        "[spec]\nTYPE = special\nMISSION = 1\nRANGE = 2\n");
  struct Row {
    const char* name;
    s32 type, mission;
    f32 energy, health;
    s32 alert;
  };
  const Row rows[] = {{"mag", kAreaMagnetic, -1, -0.1f, 0.0f, 1},
                      {"mat", kAreaMatter, -1, 0.0f, -0.1f, 2},
                      {"cap", kAreaMagnetic, 0, -0.1f, 0.0f, 1},
                      {"spec", kAreaSpecial, 0, 0.0f, 0.0f, -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto* area = PlaceSensor<Recording<cSpecialArea>>(kSetSpecialAreas, "specarea", row.name, RwV3d{0, 1, 0});
    const cPropertyGroup* group = mProps.FindGroup(cString(row.name));
    area->ReadProperties(group, mLevel->GetSensors(), mLevel->GetTimerDevices());
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
  struct Row {
    const char* what;
    bool inRay;
    s32 state, flag;
    f32 health;
  };
  const Row rows[] = {{"broken", true, 2, 0, -0.05f},      {"still broken", true, 2, 0, -0.1f},
                      {"clear", false, 1, 0, -0.1f},       {"clear again", false, 1, 1, -0.1f},
                      {"broken anew", true, 2, 1, -0.15f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    RwV3d at{row.inRay ? 0.0f : 3.0f, 0.0f, 3.0f};
    RwFrameTranslate(player->GetFrame(), &at, kRwCombineReplace);
    cell->Update(0.1f);
    EXPECT_EQ(row.state, cell->GetState());
    EXPECT_EQ(row.flag, cell->GetMessageFlag());
    EXPECT_NEAR(row.health, cell->health, 1e-5f);
  }
  EXPECT_EQ(3, mLevel->GetShownAlertLevel());
}

}  // namespace
