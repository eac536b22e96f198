// cMan: the men's factory, their static data, placing a man into the level,
// moving him on the ground, his fall and his checkpoint state.
#include "game/characters/man.h"

#include <cmath>
#include <cstring>

#include "game/characters/dorva_holo_man.h"
#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/foundation/fatal_error.h"
#include "game/render/collision/collision_volume.h"
#include "game/render/collision/segment3d.h"
#include "game/render/collision/world_collision.h"
#include "game/render/effects/projected_shadows.h"
#include "game/render/effects/shock_effect.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/world/qx_world.h"

namespace {

const char* const kTypeNames[kManTypeCount] = {"dorvaman", "dorvaholoman", "civilian", "guard", "gangster"};
const char* const kBodyNames[kManBodyCount] = {"dorvaman",  "dorvaholoman", "civilian", "civilian1", "civilian2",
                                               "civilian3", "civilian4",    "guard",    "guard1",    "guard2",
                                               "guard3",    "guard4",       "gangster"};
const char* const kFootstepNames[kFootstepGroupCount] = {"sfx/mv_run_l",  "sfx/mv_run_r",   "sfx/mv_walk_l",
                                                         "sfx/mv_walk_r", "sfx/mv_sneak_l", "sfx/mv_sneak_r"};
// The type whose group the NPC types read their used animations from.
const char* const kEnemyGroup = "enemy";
const RwV3d kUp = {0.0f, 1.0f, 0.0f};
const RwV3d kRight = {1.0f, 0.0f, 0.0f};

cUsedAnimList sUsedAnims[kManTypeCount];
cAnimModel* sBodyModels[kManBodyCount];
f32 sCapsuleRadius = 0.0f;

// The value of the key; fatal with tag when it is missing.
cString RequiredString(const cPropertyGroup* group, const char* key, const char* tag) {
  const cProperty* property = group->FindProperty(cString(key));
  if (property == nullptr) {
    FatalPropertyNotFound(tag, group, key);
  }
  return property->GetStringFatal();
}

f32 RequiredF32(const cPropertyGroup* group, const char* key, const char* tag) {
  const cProperty* property = group->FindProperty(cString(key));
  if (property == nullptr) {
    FatalPropertyNotFound(tag, group, key);
  }
  return property->GetF32Fatal();
}

// The index of the text in the table (exact bytes); count when none.
u32 IndexOf(const cString& text, const char* const* table, u32 count) {
  for (u32 i = 0; i < count; i++) {
    if (text == cString(table[i])) {
      return i;
    }
  }
  return count;
}

// The prototype of the body, made on first use; a new model copied from it.
cAnimModel* GetBodyModel(u32 body, cQXWorld* world) {
  if (sBodyModels[body] == nullptr) {
    const cString path = cString("data/man/") + cString(kBodyNames[body]) + cString("/body.dff");
    const cPropertyGroup* group = world->GetMenFile().FindGroup(cString(kBodyNames[body]));
    sBodyModels[body] =
        new cAnimModel(path.CStr(), &world->GetLightmap(), world->GetDirectionalLightAngle(),
                       static_cast<f32>(world->GetDirectionalLightAdd()), ManAnimData().GetTable(), group);
  }
  return new cAnimModel(*sBodyModels[body]);
}

RwV3d FramePosition(RwFrame* frame) { return RwFrameGetMatrix(frame)->pos; }

void SetFramePosition(RwFrame* frame, const RwV3d& position) {
  RwFrameGetMatrix(frame)->pos = position;
  RwMatrixUpdate(RwFrameGetMatrix(frame));
  RwFrameMarkDirty(frame);
}

RpGeometry* FirstGeometry(cAnimModel* model) {
  RpAtomic* atomic = model->GetClumpObject() != nullptr ? model->GetClumpObject()->GetFirstAtomic() : nullptr;
  return atomic != nullptr ? RpAtomicGetGeometry(atomic) : nullptr;
}

}  // namespace

cMan::cMan(u32 kind, u32 typeIndex)
    : cManBody(kind),
      mShock(nullptr),
      mSearchableBody(0),
      mWorld(nullptr),
      mModel(nullptr),
      mBodyPoint{0.0f, 0.0f},
      mCollisionVolume(nullptr),
      mReferencePosition{0.0f, 0.0f, 0.0f},
      mSlideSide(0),
      mTypeIndex(typeIndex),
      mBodyIndex(0),
      mTurnRate(0.0f) {
  char name[32];
  for (u32 group = 0; group < kFootstepGroupCount; group++) {
    for (u32 variant = 0; variant < kFootstepVariants; variant++) {
      std::snprintf(name, sizeof(name), "%s%02u", kFootstepNames[group], variant);
      mFootsteps[group][variant].Create(name);
    }
  }
}

cMan::~cMan() {
  delete mCollisionVolume;
  delete mShock;
  delete mModel;
  GetBodyLink().Unlink();
  Unlink();
}

void cMan::ReadUsedAnims(const cPropertyFile* file, const char* groupName, cUsedAnimList* usedList) {
  const cPropertyGroup* group = file->FindGroup(cString(groupName));
  if (group == nullptr) {
    FatalGroupNotFound("cMan::ReadUsedAnims : group not found in file: manTypeName", file, groupName);
  }
  cString list;
  const u32 count = RequiredString(group, "USED_ANIMS", "cMan::ReadUsedAnims : property not found (USED_ANIMS)")
                        .FindArray(&list, '[', ']');
  usedList->Allocate(count);
  for (u32 i = 0; i < count; i++) {
    cString element;
    list.SliceNextElement(&element);
    element.TrimLeft();
    element.TrimRight();
    const s32 slot = TextToS32(element);
    if (slot < 0 || slot >= static_cast<s32>(kManAnimCount)) {
      FatalInGroup(group, "cDorvaMan::ReadStaticProperties :not valid animation index :%d", slot);
    }
    usedList->Set(i, static_cast<u32>(slot));
    ManAnimData().MarkUsed(static_cast<u32>(slot));
  }
}

void cMan::LoadStaticData(const cPropertyFile* menFile) {
  ReadUsedAnims(menFile, kTypeNames[kManTypePlayer], &sUsedAnims[kManTypePlayer]);
  cDorvaMan::ReadStaticProperties(menFile);
  for (u32 type = kManTypeCivilian; type < kManTypeCount; type++) {
    ReadUsedAnims(menFile, kEnemyGroup, &sUsedAnims[type]);
    cNpc::ReadSettings(menFile);
  }
  ManAnimData().LoadAnims(menFile);
}

void cMan::ReleaseStaticData() {
  for (u32 body = 0; body < kManBodyCount; body++) {
    delete sBodyModels[body];
    sBodyModels[body] = nullptr;
  }
  ManAnimData().ReleaseAnims();
}

const cUsedAnimList& cMan::GetUsedAnims(u32 type) { return sUsedAnims[type]; }

cAnimModel* cMan::GetBodyPrototype(u32 body) { return sBodyModels[body]; }

f32 cMan::GetSharedCapsuleRadius() { return sCapsuleRadius; }

cMan* cMan::Create(const cPropertyGroup* group, cQXWorld* world) {
  const cString type = RequiredString(group, "TYPE", "cMan::Create");
  const u32 typeIndex = IndexOf(type, kTypeNames, kManTypeCount);
  cMan* man = nullptr;
  switch (typeIndex) {
    case kManTypePlayer:
      man = new cDorvaMan();
      break;
    case kManTypeHologram:
      man = new cDorvaHoloMan();
      break;
    case kManTypeCivilian:
      man = new cNpcCivilian(typeIndex, world);
      break;
    case kManTypeGuard:
    case kManTypeGangster:
      man = new cNpcGuard(typeIndex, world);
      break;
    default:
      FatalInGroup(group, "cMan::Create : unkonwn type (%s)", QuoteForMessage(type.CStr()).text);
  }
  const cString body = RequiredString(group, "BODY", "cMan::Create");
  const u32 bodyIndex = IndexOf(body, kBodyNames, kManBodyCount);
  if (bodyIndex == kManBodyCount) {
    FatalInGroup(group, "cMan::Create : unkonwn body (%s)", QuoteForMessage(body.CStr()).text);
  }
  man->SetModel(GetBodyModel(bodyIndex, world), bodyIndex);
  if (typeIndex >= kManTypeCivilian) {
    static_cast<cNpc*>(man)->SetBoss(bodyIndex == kManBodyBoss);
  }
  man->SetName(group->GetName());
  return man;
}

void cMan::AddToWorld(cQXWorld* world) {
  mWorld = world;
  world->GetUpdateList().Append(this);
  world->GetUpdateList().Append(mModel);
  world->AddClump(mModel->GetClumpObject());
  world->GetBodies().Append(&GetBodyLink());
  const cPropertyGroup* group = world->GetMenFile().FindGroup(cString("CollisionCapsule"));
  if (group == nullptr) {
    FatalGroupNotFound("cMan::AddToWorld", &world->GetMenFile(), "CollisionCapsule");
  }
  const f32 p0 = RequiredF32(group, "P0", "ColliP0");
  const f32 p1 = RequiredF32(group, "P1", "ColliP1");
  const f32 radius = RequiredF32(group, "RADIUS", "ColliRadius");
  sCapsuleRadius = radius;
  const tCollisionShapeRecord records[2] = {
      {kCollisionCapsule, {0.0f, 0.0f, 0.0f}, radius, {0.0f, p0, 0.0f}, {0.0f, p1, 0.0f}},
      {-1, {0.0f, 0.0f, 0.0f}, 0.0f, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
  };
  delete mCollisionVolume;
  mCollisionVolume = BuildCollisionShapes(records, GetFrame());
}

RwFrame* cMan::GetFrame() const { return mModel != nullptr ? mModel->GetFrame() : nullptr; }

bool cMan::Update(f32 dt) {
  SnapToGround(false);
  Turn(mTurnRate * dt);
  PlayFootsteps();
  return false;
}

void cMan::SnapToGround(bool flag) {
  RwFrame* frame = GetFrame();
  cWorldCollision* collision = mWorld != nullptr ? mWorld->GetWorldObject() : nullptr;
  if (frame == nullptr || collision == nullptr) {
    return;
  }
  const RwV3d p = FramePosition(frame);
  const RwV3d top = {p.x, p.y + kGroundSearchLift, p.z};
  const RwV3d bottom = {p.x, top.y - kGroundSearchLength, p.z};
  RwV3d hit = p;
  RwV3d normal = kUp;
  if (collision->IntersectSegment(tSegment3d(top, bottom), &hit, &normal, nullptr, true, false, 0, flag)) {
    const RwV3d step = {0.0f, hit.y - p.y, 0.0f};
    RwFrameTranslate(frame, &step, kRwCombinePostConcat);
  }
}

void cMan::SetHeading(f32 radians) {
  RwFrame* frame = GetFrame();
  if (frame == nullptr) {
    return;
  }
  const RwV3d position = FramePosition(frame);
  RwFrameRotate(frame, &kUp, radians * kRadiansToDegrees, kRwCombineReplace);
  RwFrameTranslate(frame, &position, kRwCombinePostConcat);
}

void cMan::Turn(f32 radians) {
  RwFrame* frame = GetFrame();
  if (frame != nullptr && radians != 0.0f) {
    RwFrameRotate(frame, &kUp, radians * kRadiansToDegrees, kRwCombinePreConcat);
  }
}

void cMan::SlideAlongObstacle(cCollisionVolume* volume) {
  RwFrame* frame = GetFrame();
  cWorldCollision* collision = mWorld != nullptr ? mWorld->GetWorldObject() : nullptr;
  if (frame == nullptr || collision == nullptr) {
    return;
  }
  const RwV3d& r = mReferencePosition;
  const RwV3d p = FramePosition(frame);
  const RwV3d d = {p.x - r.x, p.y - r.y, p.z - r.z};
  const f32 length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  const f32 minimum = length * kSlideMinimumShare;
  RwV3d u = {0.0f, 0.0f, 0.0f};
  if (length > 0.0f) {
    u = RwV3d{d.x / length, d.y / length, d.z / length};
  }
  RwV3d v = u;
  RwMatrix left;
  RwMatrix right;
  RwMatrixRotate(&left, &kUp, kSlideStepDegrees, kRwCombineReplace);
  RwMatrixRotate(&right, &kUp, -kSlideStepDegrees, kRwCombineReplace);
  // Moves along the turned direction and tells whether the volume is free.
  const auto tryStep = [&](RwV3d* direction, const RwMatrix& turn) {
    RwV3dTransformVectors(direction, direction, 1, &turn);
    f32 s = direction->x * d.x + direction->y * d.y + direction->z * d.z;
    if (s < minimum) {
      s = minimum;
    }
    SetFramePosition(frame, RwV3d{r.x + s * direction->x, r.y + s * direction->y, r.z + s * direction->z});
    return collision->CollideVolume(volume, true, 0) == 0;
  };
  for (u32 i = 0; i < kSlideTries; i++) {
    if (mSlideSide >= 0 && tryStep(&u, left)) {
      mSlideSide = 1;
      return;
    }
    if (mSlideSide <= 0 && tryStep(&v, right)) {
      mSlideSide = -1;
      return;
    }
  }
  SetFramePosition(frame, r);
}

cMan* cMan::OtherPlayer() const {
  if (mWorld == nullptr || mWorld->GetMen().GetCount() == 0) {
    return nullptr;
  }
  cMan* player = static_cast<cMan*>(mWorld->GetMen().Get(0));
  return player != this ? player : nullptr;
}

void cMan::Die() {
  const f32 side = (RpRandomNext() & 1) != 0 ? 1.0f : -1.0f;
  if (mTypeIndex == kManTypePlayer) {
    FallAsPlayer();
  } else {
    u32 fall = kManAnimCollapse;
    f32 chosen = 0.0f;
    if (CanFallToSide(side)) {
      chosen = side;
    } else if (CanFallToSide(-side)) {
      chosen = -side;
    }
    if (chosen > 0.0f) {
      fall = (RpRandomNext() & 1) != 0 ? kManAnimFallForward2 : kManAnimFallForward;
    } else if (chosen < 0.0f) {
      fall = kManAnimFallBackward;
    }
    if (fall != kManAnimCollapse) {
      mModel->WidenBounds();
    }
    mModel->BlendToAnim(fall, false, 0.0f, -1.0f);
  }
  if (mModel->GetShadowCaster() != nullptr) {
    mModel->GetShadowCaster()->SwitchOff();
  }
}

bool cMan::CanFallToSide(f32 side) {
  RwFrame* frame = GetFrame();
  cWorldCollision* collision = mWorld != nullptr ? mWorld->GetWorldObject() : nullptr;
  if (frame == nullptr || collision == nullptr || mCollisionVolume == nullptr) {
    return false;
  }
  const RwMatrix* ltm = RwFrameGetLTM(frame);
  if (const cMan* player = OtherPlayer()) {
    const RwV3d& there = RwFrameGetLTM(player->GetFrame())->pos;
    const RwV3d to = {there.x - ltm->pos.x, there.y - ltm->pos.y, there.z - ltm->pos.z};
    const f32 distance = std::sqrt(to.x * to.x + to.y * to.y + to.z * to.z);
    if (distance < kFallPlayerDistance && distance > 0.0f &&
        (to.x * ltm->at.x + to.y * ltm->at.y + to.z * ltm->at.z) * side / distance > kFallPlayerCosine) {
      return false;
    }
  }
  // The man laid down on that side, lifted by the capsule's radius, and put
  // back exactly as he stood.
  const RwMatrix standing = *RwFrameGetMatrix(frame);
  RwFrameRotate(frame, &kRight, side * 90.0f, kRwCombinePreConcat);
  const RwV3d lift = {0.0f, sCapsuleRadius, 0.0f};
  RwFrameTranslate(frame, &lift, kRwCombinePostConcat);
  const bool blocked = collision->CollideVolume(mCollisionVolume, true, 0) > 0;
  *RwFrameGetMatrix(frame) = standing;
  RwFrameMarkDirty(frame);
  return !blocked;
}

void cMan::SettleBody() {
  RwFrame* frame = GetFrame();
  if (frame == nullptr) {
    return;
  }
  RwMatrix* matrix = RwFrameGetMatrix(frame);
  const f32 length = std::sqrt(matrix->at.x * matrix->at.x + matrix->at.y * matrix->at.y + matrix->at.z * matrix->at.z);
  if (length > 0.0f) {
    matrix->at = RwV3d{matrix->at.x / length, matrix->at.y / length, matrix->at.z / length};
  }
  const RwV2d at = {matrix->at.x, matrix->at.z};
  const RwV2d position = {matrix->pos.x, matrix->pos.z};
  mBodyPoint = at;
  switch (mModel->GetCurrentIndex()) {
    case kManAnimCollapse:
      mModel->SetAnim(kManAnimLieCollapsed, 0.0f);
      mBodyPoint = position;
      break;
    case kManAnimFallBackward:
      mBodyPoint = RwV2d{position.x - at.x, position.y - at.y};
      mModel->SetAnim(kManAnimLieBackward, 0.0f);
      break;
    case kManAnimFallForward:
      mBodyPoint = RwV2d{position.x + at.x, position.y + at.y};
      mModel->SetAnim(kManAnimLieForward, 0.0f);
      break;
    case kManAnimFallForward2:
      mBodyPoint = RwV2d{position.x + at.x, position.y + at.y};
      mModel->SetAnim(kManAnimLieForward2, 0.0f);
      break;
    default:
      break;
  }
}

void cMan::SaveState() {
  mCheckpoint.capsuleRadius = sCapsuleRadius;
  mCheckpoint.referencePosition = mReferencePosition;
  mCheckpoint.slideSide = mSlideSide;
  mCheckpoint.searchableBody = mSearchableBody;
  mCheckpoint.turnRate = mTurnRate;
  if (GetFrame() != nullptr) {
    mCheckpoint.matrix = *RwFrameGetMatrix(GetFrame());
  }
}

void cMan::RestoreState() {
  sCapsuleRadius = mCheckpoint.capsuleRadius;
  mReferencePosition = mCheckpoint.referencePosition;
  mSlideSide = mCheckpoint.slideSide;
  mSearchableBody = mCheckpoint.searchableBody;
  mTurnRate = mCheckpoint.turnRate;
  if (RwFrame* frame = GetFrame()) {
    *RwFrameGetMatrix(frame) = mCheckpoint.matrix;
    RwMatrixOptimize(RwFrameGetMatrix(frame), nullptr);
    RwFrameMarkDirty(frame);
  }
}

void cMan::StartShock(f32 seconds) {
  delete mShock;
  mShock = nullptr;
  if (mWorld != nullptr && mModel != nullptr) {
    mShock = new cShockEffect(mModel, &mShock, mWorld, seconds);
  }
}

void cMan::EnableMaterialColour() {
  if (RpGeometry* geometry = FirstGeometry(mModel)) {
    RpGeometrySetFlags(geometry, RpGeometryGetFlags(geometry) | rpGEOMETRYMODULATEMATERIALCOLOR);
  }
}

void cMan::SetMaterialColour(u8 alpha, u8 red, u8 green, u8 blue) {
  RpGeometry* geometry = FirstGeometry(mModel);
  if (geometry == nullptr) {
    return;
  }
  RwRGBA colour = {red, green, blue, alpha};
  RpGeometryForAllMaterials(
      geometry,
      [](RpMaterial* material, void* data) {
        RpMaterialSetColor(material, static_cast<const RwRGBA*>(data));
        return material;
      },
      &colour);
}
