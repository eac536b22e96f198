// Forged levels for the men's tests: the world's test engine with the
// animation and skin plugins, the demo men's bodies and animations in the
// scratch folder, and a room with a floor, a ledge and two walls given to a
// level world whose men file the test writes.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "game/characters/dorva_holo_man.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/anim_model.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/support/anim_engine.h"
#include "tools/demo/men/men.h"

// The ledge stands 1 high over x 4..8, z -2..2; the walls face each other
// across z 5 (0.7 either side) over x -8..-2.
constexpr f32 kLedgeHeight = 1.0f;
const RwV3d kBetweenWalls = {-5.0f, 0.0f, 5.0f};
const RwV3d kOpenFloor = {-5.0f, 0.0f, -5.0f};

class MenTest : public WorldTest {
 protected:
  MenTest() {
    attach_ = [] {
      return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() && RpPVSPluginAttach() &&
             RpLODAtomicPluginAttach() && RpRandomPluginAttach() && AttachAnimationPlugins() && RpSkinPluginAttach() &&
             RegisterAtomicPlugin();
    };
  }
  void SetUp() override {
    WorldTest::SetUp();
    RpRandomSeed(7);
    static demo::DataFolder* files = nullptr;
    if (files == nullptr) {
      files = new demo::DataFolder;
      ASSERT_TRUE(demo::men::WriteMen(*files));
    }
    for (const auto& file : files->Files()) {
      std::ofstream(Folder(file.first), std::ios::binary)
          .write(reinterpret_cast<const char*>(file.second.data()), static_cast<std::streamsize>(file.second.size()));
    }
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    ForgeAddBox(&soup, RwV3d{-10.0f, -1.0f, -10.0f}, RwV3d{10.0f, 0.0f, 10.0f}, 0);
    ForgeAddBox(&soup, RwV3d{4.0f, 0.0f, -2.0f}, RwV3d{8.0f, kLedgeHeight, 2.0f}, 0);
    ForgeAddBox(&soup, RwV3d{-8.0f, 0.0f, 5.7f}, RwV3d{-2.0f, 3.0f, 6.0f}, 0);
    ForgeAddBox(&soup, RwV3d{-8.0f, 0.0f, 4.0f}, RwV3d{-2.0f, 3.0f, 4.3f}, 0);
    mRoom = ForgeWorldCreate(soup, ForgeWorldOptions());
    ASSERT_NE(nullptr, mRoom);
    mCollision = new cWorldCollision(mRoom, mRoom, 0);
    mLevel = MakeWorld("");
    mLevel->SetWorldObject(mCollision);
    mLevel->GetRenderManager().SetScene(mLevel, 0);
  }
  void TearDown() override {
    for (cMan* man : mMen) {
      delete man;
    }
    mMen.clear();
    mGroups.clear();
    mLevel->GetMen().SetCount(0);
    cMan::ReleaseStaticData();
    mWorld.reset();
    delete mCollision;
    if (mRoom != nullptr) {
      RpWorldDestroy(mRoom);
    }
    WorldTest::TearDown();
  }

  // The men file: the used animations, the demo's animation table, the
  // capsule, then the extra text (which may replace whole groups: the first
  // group of a name counts).
  void LoadMenFile(const std::string& extra = "", const std::string& animData = demo::men::AnimDataGroup()) {
    std::string all = "[";
    for (int slot = 0; slot < demo::men::kAnimationCount; slot++) {
      all += (slot == 0 ? "" : ", ") + std::to_string(slot);
    }
    all += "]";
    const std::string text = extra + "\n[dorvaman]\nUSED_ANIMS = " + all + "\n[enemy]\nUSED_ANIMS = " + all + "\n" +
                             animData + "\n[CollisionCapsule]\nP0 = 0.4\nP1 = 1.4\nRADIUS = 0.4\n" +
                             demo::men::BodyGroups({});
    mLevel->GetMenFile().ParseText(cString(text.c_str()));
    cMan::LoadStaticData(&mLevel->GetMenFile());
  }
  // A double of the body standing at the position facing +z.
  cMan* AddMan(const char* body, const RwV3d& position) {
    const std::string name = "man" + std::to_string(mMen.size());
    const std::string text = "[" + name + "]\nTYPE = dorvaholoman\nBODY = " + body + "\nPOSITION = (" +
                             std::to_string(position.x) + "," + std::to_string(position.y) + "," +
                             std::to_string(position.z) + ")\n";
    mGroups.emplace_back(new cPropertyFile);
    mGroups.back()->ParseText(cString(text.c_str()));
    const cPropertyGroup* group = mGroups.back()->FindGroup(cString(name.c_str()));
    cMan* man = cMan::Create(group, mLevel);
    man->AddToWorld(mLevel);
    man->ReadProperties(group);
    mMen.push_back(man);
    return man;
  }
  static RwV3d Position(cMan* man) { return RwFrameGetLTM(man->GetFrame())->pos; }
  // The man's model advanced by steps of dt.
  static void Advance(cMan* man, f32 seconds, f32 dt = 0.02f) {
    for (f32 t = 0.0f; t < seconds - 1e-4f; t += dt) {
      man->Update(dt);
      man->GetModel()->Update(dt);
    }
  }

  RpWorld* mRoom = nullptr;
  cWorldCollision* mCollision = nullptr;
  cQXWorld* mLevel = nullptr;
  std::vector<cMan*> mMen;
  std::vector<std::unique_ptr<cPropertyFile>> mGroups;
};
