// Fuzz target for the level object loader: any bytes as an OBJECTS group's
// text, up to the first zero byte, and a PROPS file, after it, loaded over
// the first demo level's models and locator files, then released. A bad list
// ends the program through FatalError, which is the answer to it and no
// finding: this target links its own FatalError, which jumps back here. What
// the jump skips is never freed, so leak detection is off for this target.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/foundation/fatal_error.h"
#include "game/render/models/atomic_plugin.h"
#include "game/world/qx_world.h"
#include "tests/fuzz/fake_device_engine.h"
#include "tests/fuzz/memory_files.h"
#include "tools/demo/level01/level01_parts.h"

namespace {

// Each name of a list loads a model: a short text keeps a run quick.
constexpr size_t kMaxInput = 8192;

std::jmp_buf* gFatalJump = nullptr;

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
  return true;
}

}  // namespace

// The game's fatal error and trace, for this target: back to the input's
// start instead of ending the process.
u32 gFatalErrorFlag = 0;

void FatalError(const char*, ...) {
  if (gFatalJump == nullptr) {
    abort();
  }
  std::longjmp(*gFatalJump, 1);
}

void DebugTrace(const char*, ...) {}

// Leaks after a fatal jump are expected.
extern "C" __attribute__((used)) int __lsan_is_turned_off() { return 1; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> arguments(*argv, *argv + *argc);
  static char noLeaks[] = "-detect_leaks=0";
  arguments.push_back(noLeaks);
  *argc = static_cast<int>(arguments.size());
  *argv = arguments.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const bool started = Start();
  if (!started) {
    __builtin_trap();
  }
  if (size > kMaxInput) {
    return 0;
  }
  static cPropertyFile config;
  static cQXWorld* world = new cQXWorld(&config, cString("fuzz"));
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  const size_t split = text.find('\0');
  cPropertyFile objects;
  objects.ParseText(cString(("[OBJECTS]\n" + text.substr(0, split)).c_str()));
  cPropertyFile props;
  if (split != std::string::npos) {
    props.ParseText(cString(text.substr(split + 1).c_str()));
  }
  const cPropertyGroup* group = objects.FindGroup(cString("OBJECTS"));
  std::jmp_buf jump;
  gFatalJump = &jump;
  if (setjmp(jump) == 0) {
    world->LoadObjects(group, props, cString(demo::level01::kModelFolder), cString(demo::level01::kLocatorFolder));
    world->LoadStaticModels(group, cString(demo::level01::kModelFolder));
  }
  gFatalJump = nullptr;
  world->ReleaseObjects();
  world->ReleaseStaticModels();
  // What a jump left linked belongs to no set any more.
  world->GetUsableDevices().Clear();
  world->GetSensors().Clear();
  world->GetUpdateList().Clear();
  return 0;
}
