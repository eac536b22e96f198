// Panels on the devices' forged room: the menu font, the panel titles and
// the panels' textures (in colours of their own) served from a pack, a menu
// screen on the screen stack standing in for the in-game screen, the level
// group's hacking settings, sixty level messages and one mission objective.
#pragma once

#include <string>

#include "game/characters/player/dorva_man.h"
#include "game/frontend/menus/screen_menu.h"
#include "game/frontend/panels/panel_host.h"
#include "game/frontend/panels/wg_use_hack.h"
#include "tests/game/world/devices/device_fixture.h"

class PanelTest : public DeviceTest {
 protected:
  static constexpr uint32_t kBackgroundColour = 0x202020;
  static constexpr uint32_t kPieceColour = 0x0000FF;
  static constexpr uint32_t kBorderColour = 0x404040;
  static constexpr uint32_t kBlinkColour = 0x00FF00;
  static constexpr uint32_t kKeyColours[kHackKeyKinds] = {0xFF0000, 0xFF8000, 0xFFFF00, 0xFF00FF};
  static constexpr u32 kMessageCount = 60;

  void SetUp() override {
    DeviceTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    PackWriter pack;
    AddFont(pack);
    pack.Add("data/menu/text_d.txt", "[text]\nHACKING = HACK\nSEARCHING = SEARCH\n");
    const std::pair<std::string, uint32_t> textures[] = {
        {"data/hack/panelBackground", kBackgroundColour},
        {"data/hack/panelBorder", kBorderColour},
        {"data/hack/panelBlink", kBlinkColour},
        {"data/hack/blue", 0x0000C0},
        {"data/screens/barpiece", kBarColour},
    };
    for (const auto& texture : textures) {
      pack.Add(texture.first + ".bmp", PlainBitmap(texture.second));
    }
    for (u32 i = 0; i < kHackKeyKinds; i++) {
      pack.Add("data/hack/key" + std::to_string(i) + ".bmp", PlainBitmap(kKeyColours[i]));
    }
    for (int piece = 1; piece <= 6; piece++) {
      pack.Add("data/textures/keret0" + std::to_string(piece) + ".bmp", PlainBitmap(kPieceColour));
    }
    ASSERT_TRUE(pack.WriteFile(mPackPath));
    cPakFile::MountDefault(mPackPath.c_str(), "");
    MakeScreenStack();
    sHost = new cScreen_Menu;
    gScreenStack->Push(sHost);
    gScreenStack->Sync();
    SetPanelScreenFinder([] { return sHost; });
    SetHackSettings(3);
    mLevel->GetMessages().SetCount(kMessageCount);
    mLevel->GetMessageMarkers().Fill(kMessageCount, -1);
    mLevel->GetMessageDialogues().Fill(kMessageCount, -1);
    mLevel->GetMessageDisplayValues().Fill(kMessageCount, 0);
    for (u32 i = 0; i < kMessageCount; i++) {
      mLevel->GetMessages().Set(i, new cString(("message " + std::to_string(i)).c_str()));
    }
    mLevel->GetMissionFlags().Resize(2, 0);
    mLevel->SetInputLock(0);
    LoadMenFile();
  }
  void TearDown() override {
    // The men's panels leave the host first; the host goes before the engine.
    for (cMan* man : mMen) {
      delete man;
    }
    mMen.clear();
    // The host's font goes before the stack closes the 2D toolkit.
    gScreenStack->Push(nullptr);
    gScreenStack->Sync();
    delete sHost;
    sHost = nullptr;
    SetPanelScreenFinder(nullptr);
    DeviceTest::TearDown();
    std::remove(mPackPath.c_str());
  }

  // The level group with that default key count, 1.5 s a key, alpha 60.
  void SetHackSettings(s32 keys) {
    mConfig.ParseText(cString(("[level01]\nHACK_DEFAULT_KEY_NUMBER = " + std::to_string(keys) +
                               "\nHACK_KEY_TIME = 1.5\nHACK_ICON_ALPHA_VALUE = 60\n")
                                  .c_str()));
  }
  // A player-kind man at the position facing heading degrees, bound to the
  // level unless it is to lie there as a body.
  cDorvaMan* AddPlayer(const RwV3d& at, f32 heading, bool bind = true) {
    const std::string text = "[player]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (" + std::to_string(at.x) + "," +
                             std::to_string(at.y) + "," + std::to_string(at.z) +
                             ")\nANGLE = " + std::to_string(heading) + "\n";
    mGroups.emplace_back(new cPropertyFile);
    mGroups.back()->ParseText(cString(text.c_str()));
    const cPropertyGroup* group = mGroups.back()->FindGroup(cString("player"));
    cMan* man = cMan::Create(group, mLevel);
    man->AddToWorld(mLevel);
    man->ReadProperties(group);
    mMen.push_back(man);
    AppendPointer(&mLevel->GetMen(), man);
    cDorvaMan* player = static_cast<cDorvaMan*>(man);
    if (bind) {
      player->BindToWorld();
    }
    return player;
  }
  static cScreen_Menu* Host() { return sHost; }
  static u32 HostChildren() {
    u32 count = 0;
    for (cTreeNode* child = sHost->FirstChild(); child != nullptr; child = cTreeNode::NextSibling(child)) {
      count++;
    }
    return count;
  }
  static bool Tick(cWgWidget* widget, f32 dt) {
    tEvent event;
    event.type = kEventTick;
    event.tick = tTickEvent{dt};
    return widget->OnEvent(&event);
  }
  static bool Key(cWgWidget* widget, u32 code, u8 pressed = 1) {
    tEvent event;
    event.type = kEventKey;
    event.key = tKeyEvent{0, code, pressed};
    return widget->OnEvent(&event);
  }

  static inline cScreen_Menu* sHost = nullptr;
  std::string mPackPath = ScratchPath("panels.pak");
};
