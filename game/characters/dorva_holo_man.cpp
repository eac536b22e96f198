// cDorvaHoloMan: the double's placement and its perception anchor.
#include "game/characters/dorva_holo_man.h"

#include "game/render/models/anim_model.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/world/qx_world.h"

cDorvaHoloMan::cDorvaHoloMan() : cMan(kManKindHologram, kManTypeHologram), mAnchor(nullptr), mVisible(0) {
  SetPerceivableOffset(RwV3d{0.0f, kPerceivableHeight, 0.0f});
}

cDorvaHoloMan::~cDorvaHoloMan() { delete mAnchor; }

void cDorvaHoloMan::ReadProperties(const cPropertyGroup* group) {
  RwV3d position = kHologramFarPosition;
  if (const cProperty* property = group->FindProperty(cString("POSITION"))) {
    property->GetV3dFatal(&position);
  }
  if (GetWorld() != nullptr) {
    // A scene only removes what it holds: a restart finds the clump gone.
    GetWorld()->RemoveClump(GetModel()->GetClumpObject());
  }
  RwFrame* frame = GetFrame();
  RwFrameTranslate(frame, &position, kRwCombineReplace);
  if (mAnchor == nullptr) {
    mAnchor = new tPerceptionAnchor{RwFrameGetMatrix(frame)};
  }
}
