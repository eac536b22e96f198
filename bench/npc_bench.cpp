// NPC costs per frame: 30 guards of the demo men patrolling a ring of
// waypoints on a forged floor, each perceiving (sight and hearing line
// queries against the player standing in view beyond every reaction range);
// one frame of the lot, their models included.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/bench_folder.h"
#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/atomic_plugin.h"
#include "game/world/devices/opener_device.h"
#include "game/world/qx_world.h"
#include "tests/fuzz/anim_fuzz_engine.h"
#include "tools/demo/men/men.h"
#include "tools/forge/files/locator_writer.h"

namespace {

constexpr int kGuards = 30;
constexpr int kWaypoints = 12;
constexpr f32 kRingRadius = 20.0f;
constexpr f32 kFrameTime = 1.0f / 60.0f;

class Level {
 public:
  Level() {
    started_ = fakedevice::Init(nullptr, 0) && RpWorldPluginAttach() && RpCollisionPluginAttach() &&
               RpUserDataPluginAttach() && RpRandomPluginAttach() && RtAnimPluginAttach() && RpHAnimPluginAttach() &&
               RpSkinPluginAttach() && RegisterAtomicPlugin() && fakedevice::OpenAndStart();
    if (!started_ || !WriteFiles()) {
      started_ = false;
      return;
    }
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    ForgeAddBox(&soup, RwV3d{-50.0f, -1.0f, -50.0f}, RwV3d{50.0f, 0.0f, 50.0f}, 0);
    ForgeAddBox(&soup, RwV3d{-3.0f, 0.0f, -3.0f}, RwV3d{3.0f, 3.0f, 3.0f}, 0);
    room_ = ForgeWorldCreate(soup, ForgeWorldOptions());
    collision_ = std::make_unique<cWorldCollision>(room_, room_, 0);
    std::string edges = "[";
    for (int i = 0; i < kWaypoints; i++) {
      edges += (i == 0 ? "" : ", ") + std::to_string(i + 1) + ", " + std::to_string((i + 1) % kWaypoints + 1);
    }
    config_.ParseText(cString(("[level01]\nGRAPH = graph\nEDGES = " + edges + "]\n").c_str()));
    world_ = std::make_unique<cQXWorld>(&config_, cString("level01"));
    world_->SetWorldObject(collision_.get());
    world_->GetRenderManager().SetScene(world_.get(), 0);
    world_->LoadWaypointGraph();
    std::string text = "[dorvaman]\nUSED_ANIMS = [0, 10]\n[enemy]\nUSED_ANIMS = [0, 8, 10]\n" +
                       demo::men::AnimDataGroup() + "[CollisionCapsule]\nP0 = 0.4\nP1 = 1.4\nRADIUS = 0.4\n" +
                       "[player]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (0,0,35)\n";
    for (int i = 0; i < kGuards; i++) {
      text += "[g" + std::to_string(i) +
              "]\nTYPE = guard\nBODY = guard\nSTARTPOINT = " + std::to_string(i % kWaypoints + 1) + "\nWAYPOINTS = [" +
              std::to_string((i + 3) % kWaypoints + 1) + ", " + std::to_string((i + 7) % kWaypoints + 1) + "]\n";
    }
    world_->GetMenFile().ParseText(cString(text.c_str()));
    cMan::LoadStaticData(&world_->GetMenFile());
    men_[0] = Make("player");
    AppendPointer(&world_->GetMen(), men_[0]);
    static_cast<cDorvaMan*>(men_[0])->SetNoise(0.5f);
    for (int i = 0; i < kGuards; i++) {
      men_[i + 1] = Make("g" + std::to_string(i));
    }
  }
  ~Level() {
    if (!started_) {
      return;
    }
    world_->GetMen().SetCount(0);
    for (cMan* man : men_) {
      delete man;
    }
    cMan::ReleaseStaticData();
    world_.reset();
    collision_.reset();
    RpWorldDestroy(room_);
    fakedevice::Shutdown();
  }
  bool started() const { return started_; }
  void Frame() { world_->cScene::Update(kFrameTime); }

 private:
  cMan* Make(const std::string& name) {
    const cPropertyGroup* group = world_->GetMenFile().FindGroup(cString(name.c_str()));
    cMan* man = cMan::Create(group, world_.get());
    man->AddToWorld(world_.get());
    man->ReadProperties(group);
    return man;
  }
  bool WriteFiles() {
    if (!folder_.Enter()) {
      return false;
    }
    demo::DataFolder files;
    if (!demo::men::WriteMen(files)) {
      return false;
    }
    for (const auto& file : files.Files()) {
      std::filesystem::create_directories(std::filesystem::path(file.first).parent_path());
      std::ofstream(file.first, std::ios::binary)
          .write(reinterpret_cast<const char*>(file.second.data()), static_cast<std::streamsize>(file.second.size()));
    }
    LocatorWriter graph;
    graph.headerValue = kWaypoints;
    for (int i = 0; i < kWaypoints; i++) {
      const f32 a = 6.2831853f * static_cast<f32>(i) / kWaypoints;
      graph.Add("wp" + std::to_string(i + 1), "", kRingRadius * std::sin(a), 0.0f, kRingRadius * std::cos(a));
    }
    return graph.WriteFile("graph.xrf");
  }

  // The run's own files, removed after everything else of the level.
  BenchFolder folder_{"npc_bench"};
  bool started_ = false;
  RpWorld* room_ = nullptr;
  std::unique_ptr<cWorldCollision> collision_;
  cPropertyFile config_;
  std::unique_ptr<cQXWorld> world_;
  cMan* men_[kGuards + 1] = {};
};

void BM_NpcFrame(benchmark::State& state) {
  Level level;
  if (!level.started()) {
    state.SkipWithError("the level could not be built");
    return;
  }
  for (auto _ : state) {
    level.Frame();
  }
  state.SetItemsProcessed(state.iterations() * kGuards);
}
BENCHMARK(BM_NpcFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
