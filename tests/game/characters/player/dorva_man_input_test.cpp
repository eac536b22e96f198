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

#include "game/app/input/input_map.h"
#include "tests/game/app/input/input_window.h"
#include "tests/game/characters/player/player_fixture.h"
#include "tools/demo/demo.h"

namespace {

constexpr f32 kDegrees = 0.0174532925f;

// The demo's map, with the pad and its sticks and one button added.
std::string PadInputMap() {
  demo::DataFolder data;
  demo::WriteStartupTexts(data);
  const auto& bytes = data.Files().at("data/inputmap.txt");
  std::string text(bytes.begin(), bytes.end());
  const std::pair<const char*, const char*> additions[] = {
      {"KEYBOARD, MOUSE", ", PAD"},    {"= KEY_W", ", PADSTICK_LEFT"},   {"= KEY_S", ", PADSTICK_LEFT"},
      {"= KEY_A", ", PADSTICK_LEFT"},  {"= KEY_D", ", PADSTICK_LEFT"},   {"TURN = MOUSEMOVE", ", PADSTICK_RIGHT"},
      {"LOOK = MOUSEMOVE", ", PADSTICK_RIGHT"}, {"MOUSEBTN_LEFT", ", PADBTN_1"}};
  for (const auto& addition : additions) {
    const size_t at = text.find(addition.first);
    EXPECT_NE(std::string::npos, at) << addition.first;
    text.insert(at + std::strlen(addition.first), addition.second);
  }
  return text;
}

class PlayerInputTest : public PlayerCameraTest {
 protected:
  void SetUp() override {
    PlayerCameraTest::SetUp();
    demo::DataFolder sounds;
    demo::WriteSounds(sounds);
    for (const auto& file : sounds.Files()) {
      std::ofstream(Folder(file.first), std::ios::binary)
          .write(reinterpret_cast<const char*>(file.second.data()), static_cast<std::streamsize>(file.second.size()));
    }
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
    PlayerCameraTest::TearDown();
  }

  void Key(SDL_Scancode key, bool down) { mWindow->PushKey(key, down); }
  void Tap(SDL_Scancode key) {
    Key(key, true);
    Key(key, false);
  }
  // A movement of the mouse by counts from the window's centre.
  void Move(int dx, int dy) {
    mWindow->PushMotion(cInputWindow::kWidth / 2 + dx, cInputWindow::kHeight / 2 + dy, dx, dy);
  }
  static void Stick(u32 code, f32 x, f32 y) {
    tPadStickData stick = {x, y};
    PadHandler(code, &stick);
  }
  static void PadButton(u32 code, u32 mask) {
    tPadButtonData button = {0, mask};
    PadHandler(code, &button);
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
  auto heading = [player] { return std::asin(RwFrameGetLTM(player->GetFrame())->at.x) / kDegrees; };
  auto dialogue = [player] { return static_cast<cDorvaManAction_Dialogue*>(player->GetActions().Get(24)); };
  using Probe = std::function<f32()>;
  const struct {
    const char* name;
    std::function<void()> before;
    std::function<void()> input;
    Probe probe;
    f32 expected;
  } rows[] = {
      {"W held", [] {}, [&] { Key(SDL_SCANCODE_W, true); }, [&] { return f32(in.forwardKey); }, 1},
      {"W released", [&] { in.forwardKey = 1; }, [&] { Key(SDL_SCANCODE_W, false); },
       [&] { return f32(in.forwardKey); }, 0},
      {"both turn keys", [] {}, [&] { Key(SDL_SCANCODE_Q, true), Key(SDL_SCANCODE_E, true); },
       [&] { return player->GetKeyTurnSum(); }, 0},
      {"turn right released", [] {},
       [&] { Key(SDL_SCANCODE_Q, true), Key(SDL_SCANCODE_E, true), Key(SDL_SCANCODE_E, false); },
       [&] { return player->GetKeyTurnSum() * 10 + in.turnLeftKey + in.turnRightKey; }, 11},
      {"mouse turn", [] {}, [&] { Move(3, 0); }, heading, -1.5f},
      {"mouse turn limited", [] {}, [&] { Move(-10, 0); }, heading, 2.0f},
      {"mouse turn zoomed", [&] { camera->SetFieldOfView(45.0f * kDegrees); }, [&] { Move(3, 0); }, heading, -0.75f},
      {"mouse turn busy", [&] { player->SetBusy(1); }, [&] { Move(3, 0); }, heading, 0.0f},
      {"mouse turn holds", [] {}, [&] { Move(-3, 0); },
       [&] { return f32(player->MouseTurnLeftFrames() * 10 + player->MouseTurnRightFrames()); }, 30},
      {"mouse turn holds right", [] {}, [&] { Move(-3, 0), Move(2, 0); },
       [&] { return f32(player->MouseTurnLeftFrames() * 10 + player->MouseTurnRightFrames()); }, 3},
      {"mouse look", [] {}, [&] { Move(0, -4); }, [&] { return player->GetLookAngle(); }, 4.0f},
      {"mouse look aiming", [&] { camera->StartAiming(); }, [&] { Move(0, -4); },
       [&] { return player->GetLookAngle(); }, -4.0f},
      {"mouse look aiming inverted", [&] { camera->StartAiming(), gGameOptions->SetAxisInversion(true); },
       [&] { Move(0, -4); }, [&] { return player->GetLookAngle(); }, 4.0f},
      {"look key", [] {}, [&] { Key(SDL_SCANCODE_PAGEUP, true); }, [&] { return f32(player->GetLookInput()); }, -1},
      {"look key released", [] {}, [&] { Tap(SDL_SCANCODE_PAGEDOWN); }, [&] { return f32(player->GetLookInput()); },
       0},
      {"look key aiming", [&] { camera->StartAiming(); }, [&] { Key(SDL_SCANCODE_PAGEUP, true); },
       [&] { return f32(player->GetLookInput()); }, 1},
      {"look key aiming inverted", [&] { camera->StartAiming(), gGameOptions->SetAxisInversion(true); },
       [&] { Key(SDL_SCANCODE_PAGEDOWN, true); }, [&] { return f32(player->GetLookInput()); }, 1},
      {"wheel forward", [] {}, [&] { mWindow->PushWheel(1); },
       [&] { return f32(player->GetSelectedImplant() * 10 + Started(select)); }, 31},
      {"wheel backward", [] {}, [&] { mWindow->PushWheel(-1); },
       [&] { return f32(player->GetSelectedImplant() * 10 + Started(select)); }, 11},
      {"next at the end", [&] { player->SetSelectedImplant(6); }, [&] { mWindow->PushWheel(1); },
       [&] { return f32(player->GetSelectedImplant() * 10 + Started(select)); }, 60},
      {"previous at the start", [&] { player->SetSelectedImplant(0); }, [&] { Tap(SDL_SCANCODE_Z); },
       [&] { return f32(player->GetSelectedImplant() * 10 + Started(select)); }, 0},
      {"selection while the shield runs", [&] { in.shieldOn = 1; }, [&] { Tap(SDL_SCANCODE_X); },
       [&] { return f32(player->GetSelectedImplant()); }, 2},
      {"dialogue pressed", [] {}, [&] { Key(SDL_SCANCODE_RETURN, true); },
       [&] { return f32(dialogue()->IsArmed() * 10 + Started(textOut)); }, 10},
      {"dialogue released", [] {}, [&] { Key(SDL_SCANCODE_RETURN, false); },
       [&] { return f32(dialogue()->IsArmed() * 10 + Started(textOut)); }, 1},
      {"dialogue released again", [] {}, [&] { Key(SDL_SCANCODE_RETURN, false); },
       [&] { return f32(dialogue()->IsArmed() * 10 + Started(textOut)); }, 0},
      {"implant key skipped", [&] { player->SetSkipNextImplantKey(1); }, [&] { Key(SDL_SCANCODE_R, true); },
       [&] { return f32(in.useImplant * 10 + player->IsSkipNextImplantKey()); }, 0},
      {"implant key after the skip", [&] { player->SetSkipNextImplantKey(1); },
       [&] { Tap(SDL_SCANCODE_R), Key(SDL_SCANCODE_R, true); }, [&] { return f32(in.useImplant); }, 1},
      {"implant button ignores the skip", [&] { player->SetSkipNextImplantKey(1); },
       [&] { mWindow->PushButton(SDL_BUTTON_RIGHT, true); },
       [&] { return f32(in.useImplant * 10 + player->IsSkipNextImplantKey()); }, 11},
      {"hologram", [&] { player->SetSelectedImplant(3); }, [&] { Tap(SDL_SCANCODE_R); },
       [&] { return f32(in.useImplant * 100 + in.hologramUse * 10 + in.implantKeyReleased); }, 111},
      {"hologram held", [&] { player->SetSelectedImplant(3); }, [&] { Key(SDL_SCANCODE_R, true); },
       [&] { return f32(in.hologramUse * 10 + in.implantKeyReleased); }, 10},
      {"use item", [] {}, [&] { Key(SDL_SCANCODE_SPACE, true); },
       [&] { return f32(in.useItem * 10 + player->IsUseReleased()); }, 10},
      {"use pad button", [] {}, [&] { PadButton(kPadButtonsDown, 1u << 6); },
       [&] { return f32(in.useItem * 10 + player->IsUseReleased()); }, 10},
      {"sneak toggle", [] {}, [&] { Tap(SDL_SCANCODE_C), Tap(SDL_SCANCODE_C), Tap(SDL_SCANCODE_C); },
       [&] { return f32(in.sneakToggle); }, 1},
      {"stick forward", [] {}, [&] { Stick(kPadLeftStick, 0.1f, -0.9f); },
       [&] { return f32(in.forwardPad * 10 + in.strafeLeftPad); }, 10},
      {"stick forward aside", [] {}, [&] { Stick(kPadLeftStick, 0.9f, -0.5f); },
       [&] { return f32(in.forwardPad * 10 + in.strafeLeftPad); }, 1},
      {"stick forward aside running", [&] { player->SetActionState(kStateRun); },
       [&] { Stick(kPadLeftStick, 0.9f, -0.5f); }, [&] { return f32(in.forwardPad * 10 + in.strafeLeftPad); }, 11},
      {"stick back and right", [] {}, [&] { Stick(kPadLeftStick, -0.6f, 0.6f); },
       [&] { return f32(in.backwardPad * 10 + in.strafeRightPad); }, 11},
      {"stick in the dead zone", [] {}, [&] { Stick(kPadLeftStick, 0.2f, -0.25f); },
       [&] { return f32(in.forwardPad + in.backwardPad + in.strafeLeftPad + in.strafeRightPad); }, 0},
      {"stick turn", [] {}, [&] { Stick(kPadRightStick, -0.5f, 0.0f); },
       [&] { return f32(in.turnRightPad * 10 + in.turnLeftPad); }, 10},
      {"stick turn by the frame time", [&] { player->Update(0.04f); }, [&] { Stick(kPadRightStick, -0.5f, 0.0f); },
       heading, -1.5f},
      {"stick look", [&] { player->Update(0.04f); }, [&] { Stick(kPadRightStick, 0.0f, 0.5f); },
       [&] { return player->GetLookAngle(); }, -4.0f},
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
    camera->SetFollowMode();
    gGameOptions->SetAxisInversion(false);
    row.before();
    row.input();
    cInputWindow::PollEvents();
    EXPECT_NEAR(row.expected, row.probe(), 1e-3f);
  }
}

}  // namespace
