// The player on the men's forged room as the level's first man, with the
// level's game camera made by the world from a "camera.txt" the test writes.
#pragma once

#include <fstream>
#include <string>

#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "tests/game/characters/men_fixture.h"
#include "tests/game/world/level_files.h"

template <class Base>
class PlayerCameraTestOn : public Base {
 protected:
  // The player standing at the position facing heading degrees from +z, as
  // the world's first man; the camera of the text made by the world.
  cDorvaMan* AddPlayer(const RwV3d& at, const std::string& camera = kCameraText, f32 heading = 0.0f) {
    this->LoadMenFile();
    const std::string text = "[player]\nTYPE = dorvaman\nBODY = dorvaman\nPOSITION = (" + std::to_string(at.x) + "," +
                             std::to_string(at.y) + "," + std::to_string(at.z) +
                             ")\nANGLE = " + std::to_string(heading) + "\n";
    this->mGroups.emplace_back(new cPropertyFile);
    this->mGroups.back()->ParseText(cString(text.c_str()));
    const cPropertyGroup* group = this->mGroups.back()->FindGroup(cString("player"));
    cMan* man = cMan::Create(group, this->mLevel);
    man->AddToWorld(this->mLevel);
    man->ReadProperties(group);
    this->mMen.push_back(man);
    this->mLevel->GetMen().SetCount(1);
    this->mLevel->GetMen().Set(0, man);
    std::ofstream(this->Folder("data/level01/camera.txt")) << camera;
    this->mLevel->CreateCamera();
    return static_cast<cDorvaMan*>(man);
  }
  cDorvaCam* Camera() const { return this->mLevel->GetGameCamera(); }
  static void MoveTo(cMan* man, const RwV3d& at) { RwFrameTranslate(man->GetFrame(), &at, kRwCombineReplace); }
  RwV3d CameraPosition() const { return RwFrameGetLTM(Camera()->GetFrame())->pos; }
};

using PlayerCameraTest = PlayerCameraTestOn<MenTest>;
