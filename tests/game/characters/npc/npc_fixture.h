// Forged levels for the NPCs' tests: the devices' room with a waypoint
// graph, a camera the test moves, lightmaps filled in memory, the player as
// the first man and NPCs made from men groups the test writes.
#pragma once

#include <memory>
#include <string>

#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/scene/camera.h"
#include "game/world/navigation/waypoint_graph.h"
#include "tests/game/world/devices/device_fixture.h"

// A level whose camera the test holds.
class cCameraWorld : public cQXWorld {
 public:
  cCameraWorld(cPropertyFile* config, const cString& name) : cQXWorld(config, name) {}
  cCamera* GetCamera(u32) override { return camera; }
  cCamera* camera = nullptr;
};

// Waypoints 1..7 on the open floor: a square 1-2-3-4 round x -8..-2,
// z -8..-2, a spur 4-5-6 north along x = -8 to z 8, and 7 joined to none.
constexpr char kGraphEdges[] = "[1,2, 2,3, 3,4, 4,1, 4,5, 5,6]";
constexpr u32 kWaypointCount = 7;
const RwV2d kWaypoints[kWaypointCount] = {{-8, -8}, {-2, -8}, {-2, -2}, {-8, -2}, {-8, 2}, {-8, 8}, {9, 9}};

class NpcTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    LocatorWriter writer;
    writer.headerValue = kWaypointCount;
    for (u32 i = 0; i < kWaypointCount; i++) {
      writer.Add("wp" + std::to_string(i + 1), "", kWaypoints[i].x, 0.0f, kWaypoints[i].y);
    }
    ASSERT_TRUE(writer.WriteFile(Folder("data/level01/graph.xrf")));
    mConfig.ParseText(cString(
        (std::string("[level01]\nGRAPH = data/level01/graph\nEDGES = ") + kGraphEdges + "\nAI_DO_DISTANCE = 30\n")
            .c_str()));
    auto* world = new cCameraWorld(&mConfig, cString("level01"));
    mWorld.reset(world);
    mLevel = world;
    mLevel->SetWorldObject(mCollision);
    mLevel->GetRenderManager().SetScene(mLevel, 0);
    mLevel->LoadWaypointGraph();
    mCamera = std::make_unique<cCamera>();
    world->camera = mCamera.get();
    MoveCamera(RwV3d{0.0f, 30.0f, 0.0f}, RwV3d{0.0f, -1.0f, 0.0f});
    SetLight(255);
  }
  void TearDown() override {
    cNpc::SetPlayerHooks(tNpcPlayerHooks());
    static_cast<cCameraWorld*>(mLevel)->camera = nullptr;
    mCamera.reset();
    DeviceTest::TearDown();
  }

  // The men file with the enemy group's extra keys, then the player at the
  // position (by default out of every NPC's sight) facing +z.
  cDorvaMan* LoadPlayer(const std::string& enemyKeys = "", RwV3d at = {200.0f, 0.0f, 200.0f}) {
    std::string all = "[0";
    for (int slot = 1; slot < demo::men::kAnimationCount; slot++) {
      all += ", " + std::to_string(slot);
    }
    LoadMenFile("[enemy]\nUSED_ANIMS = " + all + "]\n" + enemyKeys);
    cDorvaMan* player = static_cast<cDorvaMan*>(MakeMan("player", "TYPE = dorvaman\nBODY = dorvaman\n"));
    AppendPointer(&mLevel->GetMen(), player);
    Place(player, at);
    return player;
  }
  cMan* MakeMan(const std::string& name, const std::string& keys) {
    mGroups.emplace_back(new cPropertyFile);
    mGroups.back()->ParseText(cString(("[" + name + "]\n" + keys).c_str()));
    const cPropertyGroup* group = mGroups.back()->FindGroup(cString(name.c_str()));
    cMan* man = cMan::Create(group, mLevel);
    man->AddToWorld(mLevel);
    man->ReadProperties(group);
    mMen.push_back(man);
    return man;
  }
  cNpc* MakeNpc(const char* type, const std::string& keys, const char* body = nullptr) {
    const std::string b = body != nullptr ? body : std::string(type) == "civilian" ? "civilian1" : type;
    return static_cast<cNpc*>(
        MakeMan("npc" + std::to_string(mMen.size()), "TYPE = " + std::string(type) + "\nBODY = " + b + "\n" + keys));
  }
  // Deletes the man made last.
  void DropLast() {
    delete mMen.back();
    mMen.pop_back();
  }
  static void Place(cMan* man, RwV3d at, f32 heading = 0.0f) {
    RwFrameTranslate(man->GetFrame(), &at, kRwCombineReplace);
    man->SetHeading(heading);
  }
  void MoveCamera(const RwV3d& at, const RwV3d& look) {
    RwFrame* frame = mCamera->GetFrame();
    RwMatrix* m = RwFrameGetMatrix(frame);
    MatrixSetDirection(m, &look);
    m->pos = at;
    RwMatrixUpdate(m);
    RwFrameMarkDirty(frame);
    RwFrameSyncDirty();
  }
  // Every lightmap one grey over 40 units round the origin.
  void SetLight(u8 grey) {
    cLightmap& lightmap = mLevel->GetLightmap();
    for (u32 map = 0; map < kLightmapCount; map++) {
      ASSERT_TRUE(lightmap.AllocateMap(map, 16));
      lightmap.GetPalette(map)[0] = tLightmapColour{grey, grey, grey};
    }
    lightmap.SetSize(4, 4);
    lightmap.SetOrigin(2, 2);
    lightmap.SetScale(0.1f);
  }
  // Frames of the NPC and its model.
  static void Frames(cNpc* npc, int count, f32 dt = 0.02f) {
    for (int i = 0; i < count; i++) {
      npc->Update(dt);
      npc->GetModel()->Update(dt);
      RwFrameSyncDirty();
    }
  }
  // Frames (the shot clock's too) until the NPC leaves the state, at most
  // limit; how many it took.
  static int FramesIn(cNpc* npc, u32 state, int limit) {
    int frames = 0;
    for (; frames < limit && npc->GetState() == state; frames++) {
      Frames(npc, 1);
      npc->GetShotClock().Update(0.02f);
    }
    return frames;
  }
  static RwV2d Ground(cMan* man) {
    const RwV3d& p = RwFrameGetLTM(man->GetFrame())->pos;
    return RwV2d{p.x, p.z};
  }

  std::unique_ptr<cCamera> mCamera;
};
