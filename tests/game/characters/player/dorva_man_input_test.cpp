// The player's input actions: SDL keys, mouse movement, buttons and the
// wheel through the DirectInput stand-in, and pad codes through the pad
// handler, all dispatched through the demo's input map to the player.
#include "game/characters/player/dorva_man_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/app/input/input_map.h"
#include "tests/game/app/input/input_window.h"
#include "tests/game/characters/player/player_fixture.h"
#include "tests/game/world/devices/device_fixture.h"
#include "tools/demo/demo.h"

namespace {

constexpr f32 kInputDegrees = 0.0174532925f;

// The demo's map, with the pad and its sticks and one button added.
std::string PadInputMap() {
  demo::DataFolder data;
  demo::WriteStartupTexts(data);
  const auto& bytes = data.Files().at("data/inputmap.txt");
  std::string text(bytes.begin(), bytes.end());
  // Pairs of the text to find and the inputs to add after it.
  const char* const additions[] = {"KEYBOARD, MOUSE",  ", PAD",
                                   "= KEY_W",          ", PADSTICK_LEFT",
                                   "= KEY_S",          ", PADSTICK_LEFT",
                                   "= KEY_A",          ", PADSTICK_LEFT",
                                   "= KEY_D",          ", PADSTICK_LEFT",
                                   "TURN = MOUSEMOVE", ", PADSTICK_RIGHT",
                                   "LOOK = MOUSEMOVE", ", PADSTICK_RIGHT",
                                   "MOUSEBTN_LEFT",    ", PADBTN_1"};
  for (size_t i = 0; i < sizeof(additions) / sizeof(additions[0]); i += 2) {
    const size_t at = text.find(additions[i]);
    EXPECT_NE(std::string::npos, at) << additions[i];
    text.insert(at + std::strlen(additions[i]), additions[i + 1]);
  }
  return text;
}

// The demo's sounds come with the device tests' files.
class PlayerInputTest : public PlayerCameraTestOn<DeviceTest> {
 protected:
  void SetUp() override {
    PlayerCameraTestOn<DeviceTest>::SetUp();
    std::ofstream(Folder("data/inputmap.txt")) << PadInputMap();
    mWindow = std::make_unique<cInputWindow>();
    mMap = std::make_unique<cInputMap>(cString("data/inputmap.txt"));
    gEventDevice->AddEventHandler(mMap.get());
    gInputEnabled = 1;
  }
  void TearDown() override {
    gInputEnabled = 0;
    gEventDevice->RemoveEventHandler(mMap.get());
    mWindow.reset();
    mMap.reset();
    PlayerCameraTestOn<DeviceTest>::TearDown();
  }

  void Key(SDL_Scancode key, bool down) { mWindow->PushKey(key, down); }
  // A movement of the mouse by counts from the window's centre.
  void Move(int dx, int dy) {
    mWindow->PushMotion(cInputWindow::kWidth / 2 + dx, cInputWindow::kHeight / 2 + dy, dx, dy);
  }
  static void Stick(u32 code, f32 x, f32 y) {
    tPadStickData stick = {x, y};
    PadHandler(code, &stick);
  }
  // Whether the sound was started since the last look.
  static bool Started(cSndEngWin& sound) {
    sNow += 40;
    cSndEngWin::UpdateAll();
    const bool playing = sound.IsPlaying();
    sound.Stop();
    return playing;
  }

  std::unique_ptr<cInputWindow> mWindow;
  std::unique_ptr<cInputMap> mMap;
};

TEST_F(PlayerInputTest, EventsReachThePlayersFlagsThroughTheMap) {
  cDorvaMan* player = AddPlayer(kOpenFloor);
  player->GetActions().Bind(player, mMap.get());
  mLevel->SetInputLock(0);
  cSndEngWin& select = mLevel->GetSound(kSoundSelect);
  cSndEngWin& textOut = mLevel->GetSound(kSoundTextOut);
  select.Create("sfx/pl_select");
  textOut.Create("sfx/pl_textout");
  cDorvaCam* camera = Camera();
  tPlayerInput& in = player->Input();
  auto* dialogue = static_cast<cDorvaManAction_Dialogue*>(player->GetActions().Get(24));
  // What a row looks at, as one number.
  // clang-format off
  enum { kForward, kTurnSum, kHeading, kHolds, kLook, kLookInput, kSelection, kDialogue, kImplant, kFired, kUse,
         kStick };
  // clang-format on
  const std::function<f32()> probes[] = {
      [&] { return f32(in.forwardKey); },
      [&] { return player->GetKeyTurnSum() * 10 + in.turnLeftKey + in.turnRightKey; },
      [&] { return std::asin(RwFrameGetLTM(player->GetFrame())->at.x) / kInputDegrees; },
      [&] { return f32(player->MouseTurnLeftFrames() * 10 + player->MouseTurnRightFrames()); },
      [&] { return player->GetLookAngle(); },
      [&] { return f32(player->GetLookInput()); },
      [&] { return f32(player->GetSelectedImplant() * 10 + Started(select)); },
      [&] { return f32(dialogue->IsArmed() * 10 + Started(textOut)); },
      [&] { return f32(in.useImplant * 100 + in.hologramUse * 10 + in.implantKeyReleased); },
      // The shock asked for, or already under way.
      [&] {
        return f32((player->GetActionState() == kStateImplant) * 1000 + in.useImplant * 100 + in.implantKeyReleased);
      },
      [&] { return f32(in.useItem * 10 + player->IsUseReleased()); },
      [&] { return f32(in.forwardPad * 1000 + in.backwardPad * 100 + in.strafeLeftPad * 10 + in.strafeRightPad); },
  };
  // What a row sets up first.
  // clang-format off
  enum { kNone, kAiming, kInverted, kZoomed, kBusy, kRunning, kSkip, kAtSix, kAtZero, kHologram, kShield, kTicked,
         kMenuEnter, kMenuHeld };
  // clang-format on
  // A menu holding the level takes the key, closes as the menus close it,
  // and the game goes on a frame.
  const auto menu = [&](SDL_Scancode key) {
    mLevel->SetSuspended(1);
    Key(key, true);
    cInputWindow::PollEvents();
    mLevel->SetSuspended(0);
    player->SetSkipNextImplantKey(1);
    player->Update(0.04f);
  };
  const std::function<void()> setups[] = {
      [] {},
      [&] { camera->StartAiming(); },
      [&] { camera->StartAiming(), gGameOptions->SetAxisInversion(true); },
      [&] { camera->SetFieldOfView(45.0f * kInputDegrees); },
      [&] { player->SetBusy(1); },
      [&] { player->SetActionState(kStateRun); },
      [&] { player->SetSkipNextImplantKey(1); },
      [&] { player->SetSelectedImplant(6); },
      [&] { player->SetSelectedImplant(0); },
      [&] { player->SetSelectedImplant(3); },
      [&] { in.shieldOn = 1; },
      [&] { player->Update(0.04f); },
      [&] { menu(SDL_SCANCODE_RETURN); },
      [&] { menu(SDL_SCANCODE_R); },
  };
  auto keys = [&](std::vector<std::pair<SDL_Scancode, bool>> list) {
    return [this, list] {
      for (const auto& key : list) {
        Key(key.first, key.second);
      }
    };
  };
  tPadButtonData padButton1 = {0, 1u << 6};
  const SDL_Scancode w = SDL_SCANCODE_W, q = SDL_SCANCODE_Q, e = SDL_SCANCODE_E, r = SDL_SCANCODE_R;
  const SDL_Scancode up = SDL_SCANCODE_PAGEUP, down = SDL_SCANCODE_PAGEDOWN, enter = SDL_SCANCODE_RETURN;
  const struct {
    const char* name;
    int setup;
    std::function<void()> input;
    int probe;
    f32 expected;
  } rows[] = {
      {"W held", kNone, keys({{w, true}}), kForward, 1},
      {"both turn keys", kNone, keys({{q, true}, {e, true}}), kTurnSum, 2},
      {"turn right released", kNone, keys({{q, true}, {e, true}, {e, false}}), kTurnSum, 11},
      {"mouse turn", kNone, [&] { Move(3, 0); }, kHeading, -1.5f},
      {"mouse turn limited", kNone, [&] { Move(-10, 0); }, kHeading, 2.0f},
      {"mouse turn zoomed", kZoomed, [&] { Move(3, 0); }, kHeading, -0.75f},
      {"mouse turn busy", kBusy, [&] { Move(3, 0); }, kHeading, 0.0f},
      {"mouse turn holds", kNone, [&] { Move(-3, 0); }, kHolds, 30},
      {"mouse turn holds right", kNone, [&] { Move(-3, 0), Move(2, 0); }, kHolds, 3},
      {"mouse look", kNone, [&] { Move(0, -4); }, kLook, 4.0f},
      {"mouse look aiming", kAiming, [&] { Move(0, -4); }, kLook, -4.0f},
      {"mouse look aiming inverted", kInverted, [&] { Move(0, -4); }, kLook, 4.0f},
      {"look key", kNone, keys({{up, true}}), kLookInput, -1},
      {"look key released", kNone, keys({{down, true}, {down, false}}), kLookInput, 0},
      {"look key aiming", kAiming, keys({{up, true}}), kLookInput, 1},
      {"look key aiming inverted", kInverted, keys({{down, true}}), kLookInput, 1},
      {"wheel forward", kNone, [&] { mWindow->PushWheel(1); }, kSelection, 31},
      {"wheel backward", kNone, [&] { mWindow->PushWheel(-1); }, kSelection, 11},
      {"next at the end", kAtSix, [&] { mWindow->PushWheel(1); }, kSelection, 60},
      {"previous at the start", kAtZero, keys({{SDL_SCANCODE_Z, true}}), kSelection, 0},
      {"selection while the shield runs", kShield, keys({{SDL_SCANCODE_X, true}}), kSelection, 20},
      {"dialogue pressed", kNone, keys({{enter, true}}), kDialogue, 10},
      {"dialogue released", kNone, keys({{enter, false}}), kDialogue, 1},
      {"dialogue released again", kNone, keys({{enter, false}}), kDialogue, 0},
      {"implant key skipped", kSkip, keys({{r, true}}), kImplant, 0},
      {"implant key after the skip", kSkip, keys({{r, true}, {r, false}, {r, true}}), kImplant, 101},
      {"implant button ignores the skip", kSkip, [&] { mWindow->PushButton(SDL_BUTTON_RIGHT, true); }, kImplant, 101},
      {"implant key after a menu closed with Enter", kMenuEnter, keys({{r, true}}), kFired, 101},
      {"implant key held through a menu's close", kMenuHeld, [] {}, kFired, 0},
      {"implant key pressed again after the held one", kMenuHeld, keys({{r, false}, {r, true}}), kFired, 101},
      {"hologram", kHologram, keys({{r, true}, {r, false}}), kImplant, 111},
      {"use item", kNone, keys({{SDL_SCANCODE_SPACE, true}}), kUse, 10},
      {"use pad button", kNone, [&] { PadHandler(kPadButtonsDown, &padButton1); }, kUse, 10},
      {"stick forward", kNone, [&] { Stick(kPadLeftStick, 0.1f, -0.9f); }, kStick, 1000},
      {"stick forward aside", kNone, [&] { Stick(kPadLeftStick, 0.9f, -0.5f); }, kStick, 10},
      {"stick forward aside running", kRunning, [&] { Stick(kPadLeftStick, 0.9f, -0.5f); }, kStick, 1010},
      {"stick back and right", kNone, [&] { Stick(kPadLeftStick, -0.6f, 0.6f); }, kStick, 101},
      {"stick turn", kTicked, [&] { Stick(kPadRightStick, -0.5f, 0.0f); }, kHeading, -1.5f},
      {"stick look", kTicked, [&] { Stick(kPadRightStick, 0.0f, 0.5f); }, kLook, -4.0f},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    in = tPlayerInput{};
    player->SetKeyTurnSum(0.0f);
    player->MouseTurnLeftFrames() = player->MouseTurnRightFrames() = 0;
    player->SetLookInput(0);
    player->AddLookAngle(-player->GetLookAngle());
    player->SetHeading(0.0f);
    player->SetBusy(0);
    player->SetActionState(kStateStand);
    player->SetSelectedImplant(2);
    player->SetSkipNextImplantKey(0);
    player->SetEnergy(1.0f);
    camera->SetFollowMode();
    gGameOptions->SetAxisInversion(false);
    setups[row.setup]();
    row.input();
    cInputWindow::PollEvents();
    EXPECT_NEAR(row.expected, probes[row.probe](), 1e-3f);
  }
}

}  // namespace
