// Implants on a forged room: the devices' test level with the implant
// models and effects, a configuration with the "implants" group and six
// level messages, the player bound to the world, laser and EDS panels, and
// stand-in guards that take the taser's knock-down.
#pragma once

#include <fstream>
#include <string>

#include "game/characters/implants/eds_implant.h"
#include "game/characters/implants/laser_implant.h"
#include "game/characters/implants/taser_implant.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "tests/game/world/devices/device_fixture.h"
#include "tools/demo/demo.h"

// A guard for the taser: alarm-ready until knocked down, on a copy of a body.
class StandInGuard : public cMan {
 public:
  StandInGuard(cAnimModel* model, u32 body) : cMan(kManKindGuard, kManTypeGuard) { AdoptModel(model, body); }
  void ReadProperties(const cPropertyGroup*) override {}
  bool IsAlarmReady() const override { return mReady; }
  void KnockDown() override {
    mKnockDowns++;
    mReady = false;
  }
  bool mReady = true;
  int mKnockDowns = 0;
};

class ImplantTest : public DeviceTest {
 protected:
  using DeviceTest::Position;
  using MenTest::Position;

  void SetUp() override {
    DeviceTest::SetUp();
    std::ofstream(Folder("data/level01/texts_d.txt"))
        << "[TEXTS]\nMESSAGE00 = a\nMESSAGE01 = b\nMESSAGE02 = c\nMESSAGE03 = d\nMESSAGE04 = e\nMESSAGE05 = f\n";
    mConfig.ParseText(cString(
        "[level01]\nTEXTS = data/level01/texts\n[implants]\nLASER_MESSAGE = 5\nEDS_MESSAGE = 6\nTASER_RANGE = 6\n"
        "TASER_USE_ANGLE = 45\n"));
    mLevel->LoadTexts();
    mLevel->SetInputLock(0);
    LoadMenFile();
  }

  // The player first among the world's men, bound to it, at the position
  // facing heading degrees.
  cDorvaMan* AddPlayer(const RwV3d& at, f32 heading) {
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
    player->BindToWorld();
    return player;
  }
  // A stand-in guard on a guard's body at the position.
  StandInGuard* AddGuard(const RwV3d& at) {
    if (mBody == nullptr) {
      mBody = AddMan("guard", RwV3d{0.0f, 0.0f, -9.0f});
    }
    const u32 body = mBody->GetBodyIndex();
    StandInGuard* guard = new StandInGuard(new cAnimModel(*cMan::GetBodyPrototype(body)), body);
    guard->AddToWorld(mLevel);
    RwFrameTranslate(guard->GetFrame(), &at, kRwCombineReplace);
    mMen.push_back(guard);
    AppendPointer(&mLevel->GetMen(), guard);
    return guard;
  }
  // A laser (or EDS) panel facing +z with its use point 1.3 up, at x.
  cOpenerDevice* AddPanel(const char* name, bool laser, f32 x) {
    cOpenerDevice* panel = PlaceOpener("wallpanel", name, RwV3d{x, 0.0f, 0.0f}, 180.0f);
    mPanelProps += std::string("[") + name + "]\nTYPE = " + (laser ? "laserpanel" : "edspanel") +
                   "\nUSEPOINT = [0, 1.3]\nUSEDIST = 3\nUSEANG = 90\nUSERANG = 90\n";
    return panel;
  }
  template <class T>
  static T* Implant(cDorvaMan* player, u32 index) {
    return static_cast<T*>(player->GetImplant(index));
  }
  static void Press(cDorvaMan* player, u32 implant) {
    player->SetSelectedImplant(implant);
    player->Input().useImplant = 1;
  }

  cMan* mBody = nullptr;
  std::string mPanelProps;
};
