// The second set of implants on the forged room: a camera for the level to
// be seen through, the player with the hologram double behind him in the
// world's men, guards, and helpers to place the view and read colours.
#pragma once

#include <cmath>

#include "game/characters/implants/dart_implant.h"
#include "game/characters/implants/hologram_implant.h"
#include "game/characters/implants/shield_implant.h"
#include "game/characters/implants/ultra_implant.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/scene/camera.h"
#include "tests/game/characters/implants/implant_fixture.h"

class AimTest : public ImplantTest {
 protected:
  void SetUp() override {
    ImplantTest::SetUp();
    mView = new cCamera;  // the world's from now on
    mLevel->SetCamera(mView);
  }

  // The player (first of the world's men), then the double.
  cDorvaMan* AddPlayerAndDouble(const RwV3d& at, f32 heading) {
    cMan* holo = AddMan("dorvaholoman", kHologramFarPosition);
    cDorvaMan* player = AddPlayer(at, heading);
    AppendPointer(&mLevel->GetMen(), holo);
    holo->EnableMaterialColour();
    mDouble = static_cast<cDorvaHoloMan*>(holo);
    return player;
  }
  // The view from the point looking at the target.
  void PlaceView(const RwV3d& from, const RwV3d& target) {
    RwMatrix* matrix = RwFrameGetMatrix(mView->GetFrame());
    matrix->pos = from;
    MatrixLookAt(matrix, &target);
    RwMatrixUpdate(matrix);
    RwFrameMarkDirty(mView->GetFrame());
  }
  static RwRGBA MaterialColour(cMan* man) {
    const RpGeometry* geometry = RpAtomicGetGeometry(ClumpFirstAtomic(man->GetModel()->GetClump()));
    return geometry->matList.materials[0]->color;
  }
  static f32 Length(const RwV3d& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
  static f32 Distance(const RwV3d& a, const RwV3d& b) { return Length(RwV3d{a.x - b.x, a.y - b.y, a.z - b.z}); }

  cCamera* mView = nullptr;
  cDorvaHoloMan* mDouble = nullptr;
};
