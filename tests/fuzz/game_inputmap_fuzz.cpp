// Fuzz target for "data/inputmap.txt": any bytes as the file, read by the
// input map, which enables its devices and binds the game's actions by
// name; then every key, mouse button, mouse movement, pad button and stick
// event goes through it, each to the actions bound to its input. An input
// that names nothing ends the game through FatalError, which is the answer
// to it and no finding (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/app/event.h"
#include "game/app/input/event_device.h"
#include "game/app/input/input_action.h"
#include "game/app/input/input_map.h"
#include "game/app/input/key_codes.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/game_fuzz_engine.h"

namespace {

constexpr size_t kMaxInput = 8192;
constexpr char kInputMapFile[] = "data/inputmap.txt";

// The actions the player, the info view and the map view bind.
const char* const kActionNames[] = {"FORWARD",     "BACKWARD",       "LEFT",
                                    "RIGHT",       "TURNLEFT",       "TURNRIGHT",
                                    "TURN",        "LOOKUP",         "LOOKDOWN",
                                    "LOOK",        "CENTER_VIEW",    "RUN",
                                    "SNEAK",       "SNEAKTOGGLE",    "SEARCH",
                                    "USEITEM",     "USEIMPLANT",     "USEBIONICEYE",
                                    "ZOOMIN",      "ZOOMOUT",        "NEXTIMPLANT",
                                    "PREVIMPLANT", "VIEWINFO",       "VIEWMAP",
                                    "VIEWMISSION", "DELETEDIALOGUE", "DELETEDIALOGUEALL",
                                    "QUITAPP"};

// An action that counts what reaches it; only events of the input types may.
class CountingAction : public cInputAction {
 public:
  explicit CountingAction(const char* name) : cInputAction(cString(name)) {}
  bool OnEvent(const tEvent* event) override {
    if (event->type < kEventKey || event->type > kEventPadStick) {
      __builtin_trap();
    }
    mCount++;
    return cInputAction::OnEvent(event);
  }
  u32 mCount = 0;
};

void Feed(cInputMap* map, const tEvent& event) { map->OnEvent(&event); }

void SendEverything(cInputMap* map) {
  tEvent event;
  for (u32 code = 0; code < kKeyCodeCount + 2; code++) {
    for (u8 pressed : {u8{1}, u8{0}}) {
      event.type = kEventKey;
      event.key = tKeyEvent{0, code, pressed};
      Feed(map, event);
    }
  }
  for (u32 button = 0; button < kMouseButtonSlotCount + 2; button++) {
    event.type = kEventMouseButton;
    event.mouseButton = tMouseButtonEvent{button, 1};
    Feed(map, event);
  }
  event.type = kEventMouseMove;
  event.mouseMove = tMouseMoveEvent{10.0f, 20.0f, -3.0f, 4.0f};
  Feed(map, event);
  for (u32 bit = 0; bit < 32; bit++) {
    event.type = kEventPadButton;
    event.padButton = tPadButtonEvent{0, 1u << bit, 1};
    Feed(map, event);
  }
  for (u8 stick = 0; stick < kPadStickSlotCount + 2; stick++) {
    event.type = kEventPadStick;
    event.padStick = tPadStickEvent{0, stick, 0.5f, -0.5f};
    Feed(map, event);
  }
}

void ReadInputMap(const uint8_t* bytes, size_t size) {
  gamefuzz::Serve(kInputMapFile, bytes, size);
  cInputMap map{cString(kInputMapFile)};
  std::vector<std::unique_ptr<CountingAction>> actions;
  for (const char* name : kActionNames) {
    actions.push_back(std::make_unique<CountingAction>(name));
    map.BindHandler(actions.back().get());
  }
  gInputLatch = 1;
  SendEverything(&map);
}

void Nothing() {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  return fatalworker::TestOneInput(gamefuzz::StartWithoutData(), bytes, size, kMaxInput, ReadInputMap, Nothing);
}
