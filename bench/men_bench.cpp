// Men costs per frame: 40 men of the demo men on a forged floor, each
// snapping to the ground, turning, walking by root motion and stepping
// audibly, with their models advanced; one frame of the lot.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/bench_folder.h"
#include "game/characters/dorva_holo_man.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/atomic_plugin.h"
#include "game/world/qx_world.h"
#include "tests/fuzz/anim_fuzz_engine.h"
#include "tools/demo/men/men.h"

namespace {

constexpr int kMen = 40;
constexpr f32 kFrameTime = 1.0f / 60.0f;

// The engine, the demo men's files in a scratch folder, a level world on a
// forged floor and its men, walking in a ring.
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
    room_ = ForgeWorldCreate(soup, ForgeWorldOptions());
    collision_ = std::make_unique<cWorldCollision>(room_, room_, 0);
    world_ = std::make_unique<cQXWorld>(&config_, cString("level01"));
    world_->SetWorldObject(collision_.get());
    world_->GetRenderManager().SetScene(world_.get(), 0);
    std::string text = "[dorvaman]\nUSED_ANIMS = [0, 10]\n[enemy]\nUSED_ANIMS = [0, 10]\n" +
                       demo::men::AnimDataGroup() + "[CollisionCapsule]\nP0 = 0.4\nP1 = 1.4\nRADIUS = 0.4\n" +
                       "[m]\nTYPE = dorvaholoman\nBODY = guard\n";
    world_->GetMenFile().ParseText(cString(text.c_str()));
    cMan::LoadStaticData(&world_->GetMenFile());
    const cPropertyGroup* group = world_->GetMenFile().FindGroup(cString("m"));
    for (int i = 0; i < kMen; i++) {
      cMan* man = cMan::Create(group, world_.get());
      man->AddToWorld(world_.get());
      const RwV3d start = {static_cast<f32>(i % 8) * 4.0f - 16.0f, 0.2f, static_cast<f32>(i / 8) * 4.0f - 10.0f};
      RwFrameTranslate(man->GetFrame(), &start, kRwCombineReplace);
      man->SetTurnRate(0.5f);
      man->Walk();
      men_[i] = man;
    }
  }
  ~Level() {
    if (!started_) {
      return;
    }
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
    return true;
  }

  // The run's own files, removed after everything else of the level.
  BenchFolder folder_{"men_bench"};
  bool started_ = false;
  RpWorld* room_ = nullptr;
  std::unique_ptr<cWorldCollision> collision_;
  cPropertyFile config_;
  std::unique_ptr<cQXWorld> world_;
  cMan* men_[kMen] = {};
};

void BM_MenFrame(benchmark::State& state) {
  Level level;
  if (!level.started()) {
    state.SkipWithError("the level could not be built");
    return;
  }
  for (auto _ : state) {
    level.Frame();
  }
  state.SetItemsProcessed(state.iterations() * kMen);
}
BENCHMARK(BM_MenFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
