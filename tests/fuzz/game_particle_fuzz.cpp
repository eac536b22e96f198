// Fuzz target for particle property files: any bytes as an effect's file,
// loaded by cMultiParticleSystem::Load through a scene's property-file cache
// and simulated and built for a few frames. A bad file ends the game through
// FatalError, which is the answer to it and no finding
// (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>

#include "game/render/models/atomic_plugin.h"
#include "game/render/particles/particle_instancer.h"
#include "game/render/particles/particle_system.h"
#include "game/render/scene/scene.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/memory_files.h"

namespace {

constexpr char kGamePath[] = "data/particles/fuzz.txt";
constexpr char kEnginePath[] = "data\\particles\\fuzz.txt";
constexpr int kFrames = 4;
constexpr f32 kFrameTime = 0.04f;  // seconds
// Each element may ask for buffers of megabytes: a short file keeps a run
// within the memory limit.
constexpr size_t kMaxInput = 4096;

class FuzzScene : public cScene {
 public:
  cCamera* GetCamera(u32) override { return nullptr; }
};

bool Start() {
  if (!fakedevice::Init(nullptr, 0) || !RpWorldPluginAttach() || !RpRandomPluginAttach() || !RegisterAtomicPlugin() ||
      !fakedevice::OpenAndStart()) {
    return false;
  }
  memoryfiles::Install();
  return true;
}

void Simulate(cMultiParticleSystem* effect) {
  RwMatrix identity;
  RwMatrixSetIdentity(&identity);
  for (int frame = 0; frame < kFrames; frame++) {
    for (u32 i = 0; i < effect->GetCount(); i++) {
      effect->GetSystem(i)->Update(kFrameTime);
      if (effect->GetInstancer(i)->BuildVertices(&identity) > effect->GetSystem(i)->GetLive().Count()) {
        __builtin_trap();
      }
    }
  }
  const RwV3d position = {1.0f, 2.0f, 3.0f};
  const RwV3d up = {0.0f, 1.0f, 0.0f};
  effect->SetPosition(position, up);
  effect->MoveEmitter(0, position);
  effect->RemoveFromWorld();
  if (!effect->IsFinished() || !effect->IsOutOfWorld()) {
    __builtin_trap();
  }
}

FuzzScene* Scene() {
  static FuzzScene* scene = new FuzzScene();
  return scene;
}

cMultiParticleSystem* gEffect = nullptr;

void LoadEffect(const uint8_t* bytes, size_t size) {
  // The same random numbers for every read of an input: the worker and
  // this process must come to the same end.
  RpRandomSeed(1);
  memoryfiles::Serve(kEnginePath, bytes, size);
  gEffect = new cMultiParticleSystem();
  const RwV3d origin = {0.0f, 0.0f, 0.0f};
  const RwV3d along = {0.0f, 0.0f, 1.0f};
  gEffect->Load(Scene(), kGamePath, origin, along);
  Simulate(gEffect);
}

// The effect goes; each input is a new file of the same name, and an effect
// whose load ended fatally may not have left the update list.
void DeleteEffect() {
  delete gEffect;
  gEffect = nullptr;
  Scene()->GetPropertyFileCache()->Clear();
  Scene()->GetUpdateList().Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const bool started = Start();
  return fatalworker::TestOneInput(started, bytes, size, kMaxInput, LoadEffect, DeleteEffect);
}
