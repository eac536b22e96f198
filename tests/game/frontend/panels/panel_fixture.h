// Panels on the devices' forged room: the menu font, the panel titles and
// the panels' textures (in colours of their own) served from a pack, a menu
// screen on the screen stack standing in for the in-game screen, the level
// group's hacking settings, sixty level messages and two objectives.
#pragma once

#include <string>

#include "game/characters/player/dorva_man.h"
#include "game/frontend/menus/screen_menu.h"
#include "game/frontend/panels/panel_host.h"
#include "game/frontend/panels/wg_use_hack.h"
#include "tests/game/world/devices/device_fixture.h"

class PanelTest : public DeviceTest {
 protected:
  static constexpr uint32_t kPieceColour = 0x0000FF;
  static constexpr uint32_t kBorderColour = 0x404040;
  static constexpr uint32_t kBlinkColour = 0x00FF00;
  static constexpr uint32_t kKeyColours[kHackKeyKinds] = {0xFF0000, 0xFF8000, 0xFFFF00, 0xFF00FF};

  void SetUp() override {
    DeviceTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    PackWriter pack;
    AddFont(pack);
    pack.Add("data/menu/text_d.txt", "[text]\nHACKING = HACK\nSEARCHING = SEARCH\n");
    pack.Add("data/hack/panelBorder.bmp", PlainBitmap(kBorderColour));
    pack.Add("data/hack/panelBlink.bmp", PlainBitmap(kBlinkColour));
    for (u32 i = 0; i < 6; i++) {
      pack.Add("data/textures/keret0" + std::to_string(i + 1) + ".bmp", PlainBitmap(kPieceColour));
      pack.Add("data/hack/key" + std::to_string(i) + ".bmp", PlainBitmap(i < kHackKeyKinds ? kKeyColours[i] : 0));
    }
    ASSERT_TRUE(pack.WriteFile(mPackPath));
    cPakFile::MountDefault(mPackPath.c_str(), "");
    MakeScreenStack();
    sHost = new cScreen_Menu;
    gScreenStack->Push(sHost);
    gScreenStack->Sync();
    SetPanelScreenFinder([] { return sHost; });
    SetHackSettings(3);
    const u32 count = 60;
    mLevel->GetMessages().SetCount(count);
    mLevel->GetMessageMarkers().Fill(count, -1);
    mLevel->GetMessageDialogues().Fill(count, -1);
    mLevel->GetMessageDisplayValues().Fill(count, 0);
    for (u32 i = 0; i < count; i++) {
      mLevel->GetMessages().Set(i, new cString("message"));
    }
    mLevel->GetMissionFlags().Resize(2, 0);
    mLevel->SetInputLock(0);
    LoadMenFile();
  }
  void TearDown() override {
    // The men's panels leave the host, whose font goes before the stack.
    for (cMan* man : mMen) {
      delete man;
    }
    mMen.clear();
    gScreenStack->Push(nullptr);
    gScreenStack->Sync();
    delete sHost;
    SetPanelScreenFinder(nullptr);
    DeviceTest::TearDown();
  }

  // The level group with that default key count, 1.5 s a key, alpha 60.
  void SetHackSettings(s32 keys) {
    mConfig.ParseText(cString(("[level01]\nHACK_DEFAULT_KEY_NUMBER = " + std::to_string(keys) +
                               "\nHACK_KEY_TIME = 1.5\nHACK_ICON_ALPHA_VALUE = 60\n"
                               "[implants]\nTASER_RANGE = 6\nTASER_USE_ANGLE = 45\n")
                                  .c_str()));
  }
  // A player-kind man at the position facing heading degrees, one of the
  // world's men, bound to the level unless it is to lie there as a body.
  cDorvaMan* AddPlayer(const RwV3d& at, f32 heading, bool bind = true) {
    const std::string text = "[p]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (" + std::to_string(at.x) + "," +
                             std::to_string(at.y) + "," + std::to_string(at.z) +
                             ")\nANGLE = " + std::to_string(heading);
    mGroups.emplace_back(new cPropertyFile);
    mGroups.back()->ParseText(cString(text.c_str()));
    const cPropertyGroup* group = mGroups.back()->FindGroup(cString("p"));
    cDorvaMan* player = static_cast<cDorvaMan*>(cMan::Create(group, mLevel));
    player->AddToWorld(mLevel);
    player->ReadProperties(group);
    mMen.push_back(player);
    AppendPointer(&mLevel->GetMen(), player);
    if (bind) {
      player->BindToWorld();
    }
    return player;
  }
  // A tick of dt seconds, or a key event of the code.
  static bool Send(cWgWidget* widget, u32 type, f32 dt, u32 code = 0, u8 pressed = 1) {
    tEvent event;
    event.type = type;
    event.tick = tTickEvent{dt};
    if (type == kEventKey) {
      event.key = tKeyEvent{0, code, pressed};
    }
    return widget->OnEvent(&event);
  }

  static inline cScreen_Menu* sHost = nullptr;
  std::string mPackPath = "panels.pak";  // in the scratch folder
};
