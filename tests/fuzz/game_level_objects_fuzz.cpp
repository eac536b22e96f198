// Fuzz target for the level object loader: any bytes as an OBJECTS group's
// text, up to the first zero byte, and a PROPS file, after it up to a second
// zero byte, loaded over the first demo level's models and locator files,
// then released. Bytes after the second zero byte stand for the doors' model
// file, the model a level's devices are cloned from. A bad list, text or
// model ends the game through FatalError, which is the answer to it and no
// finding (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/render/models/atomic_plugin.h"
#include "game/world/qx_world.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/memory_files.h"
#include "tools/demo/level01/level01_parts.h"

namespace {

// Each name of a list loads a model: a short text keeps a run quick (the
// first level's two files and its doors' model take 7.7 KB).
constexpr size_t kMaxInput = 12288;

// The model the input's third part replaces, under both its names.
const std::string kFuzzedModel = std::string(demo::level01::kModelFolder) + "door.dff";
std::vector<uint8_t> sModelBytes;  // the demo's own

// The files of the fuzzed model's two names.
std::vector<memoryfiles::File*> FuzzedModelFiles() {
  std::vector<memoryfiles::File*> files;
  std::string native = kFuzzedModel;
  for (char& c : native) {
    c = c == '/' ? '\\' : c;
  }
  for (memoryfiles::File& file : memoryfiles::Files()) {
    if (file.name == kFuzzedModel || file.name == native) {
      files.push_back(&file);
    }
  }
  return files;
}

bool Start() {
  // The plugins as the game attaches them, which the demo models use.
  if (!fakedevice::Init(nullptr, 0) || !RpWorldPluginAttach() || !RtAnimPluginAttach() || !RpHAnimPluginAttach() ||
      !RpCollisionPluginAttach() || !RpSkinPluginAttach() || !RpMatFXPluginAttach() || !RpRandomPluginAttach() ||
      !RpUserDataPluginAttach() || !RegisterAtomicPlugin() || !fakedevice::OpenAndStart()) {
    return false;
  }
  // The models and the locator files of the first demo level.
  demo::DataFolder data;
  if (!demo::level01::WriteModels(data)) {
    return false;
  }
  demo::level01::WriteObjects(data);
  memoryfiles::Install();
  memoryfiles::Files().clear();
  for (const auto& file : data.Files()) {
    std::string name = file.first;
    memoryfiles::Files().push_back({name, file.second});
    for (char& c : name) {
      c = c == '/' ? '\\' : c;
    }
    memoryfiles::Files().push_back({name, file.second});
  }
  const std::vector<memoryfiles::File*> model = FuzzedModelFiles();
  if (model.empty()) {
    return false;
  }
  sModelBytes = model.front()->data;
  return true;
}

cQXWorld* World() {
  static cPropertyFile config;
  static cQXWorld* world = new cQXWorld(&config, cString("fuzz"));
  return world;
}

// Both texts are parsed here: deep brackets in either end fatally.
void LoadObjects(const uint8_t* bytes, size_t size) {
  RpRandomSeed(1);
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  const size_t split = text.find('\0');
  cPropertyFile objects;
  objects.ParseText(cString(("[OBJECTS]\n" + text.substr(0, split)).c_str()));
  cPropertyFile props;
  if (split != std::string::npos) {
    const size_t modelSplit = text.find('\0', split + 1);
    props.ParseText(cString(text.substr(split + 1, modelSplit - (split + 1)).c_str()));
    if (modelSplit != std::string::npos) {
      for (memoryfiles::File* file : FuzzedModelFiles()) {
        file->data.assign(bytes + modelSplit + 1, bytes + size);
      }
    }
  }
  const cPropertyGroup* group = objects.FindGroup(cString("OBJECTS"));
  World()->LoadObjects(group, props, cString(demo::level01::kModelFolder), cString(demo::level01::kLocatorFolder));
  World()->LoadStaticModels(group, cString(demo::level01::kModelFolder));
}

void ReleaseObjects() {
  cQXWorld* world = World();
  world->ReleaseObjects();
  world->ReleaseStaticModels();
  // What a fatal end left linked belongs to no set any more.
  world->GetUsableDevices().Clear();
  world->GetSensors().Clear();
  world->GetUpdateList().Clear();
  for (memoryfiles::File* file : FuzzedModelFiles()) {
    file->data = sModelBytes;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const bool started = Start();
  return fatalworker::TestOneInput(started, bytes, size, kMaxInput, LoadObjects, ReleaseObjects);
}
