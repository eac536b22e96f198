// Particle systems and the effects loaded from particle property files.
#include "game/render/particles/particle_system.h"

#include "game/foundation/array.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/property.h"
#include "game/render/frame_orientation.h"
#include "game/render/particles/particle.h"
#include "game/render/particles/particle_emitter.h"
#include "game/render/particles/particle_force.h"
#include "game/render/particles/particle_instancer.h"
#include "game/render/scene/scene.h"

namespace {

const char kLoadTag[] = "cMultiParticleSystem Error!";

cRO_PInstancer* AsInstancer(cListNode* node) { return static_cast<cRO_PInstancer*>(static_cast<cListItem*>(node)); }

// The names of a list value, bracketed or not; count only when names is null.
u32 ElementNames(const cString& value, cString* names) {
  cString list = value;
  cString inside;
  if (value.FindArray(&inside, '[', ']') != 0) {
    list = inside;
  }
  u32 count = 0;
  cString element;
  while (list.SliceNextElement(&element)) {
    if (names != nullptr) {
      element.Trim();
      names[count] = element;
    }
    count++;
  }
  return count;
}

// The instancer of the element's TYPE with room for maxNumber particles;
// fatal for another type or a count its 16-bit indices cannot reach.
cRO_PInstancer* CreateInstancer(const cPropertyGroup& group, const cString& type, s32 maxNumber) {
  const bool sprite = type == cString("SPRITE");
  if (!sprite && type != cString("LINE")) {
    FatalInGroup(&group, "Bad Type parameter (SPRITE/LINE)");
  }
  const u32 limit = sprite ? kMaxSpriteCapacity : kMaxLineCapacity;
  if (maxNumber < 0 || static_cast<u32>(maxNumber) > limit) {
    FatalInGroup(&group, "cMultiParticleSystem::Load() : invalid maxnumber");
  }
  const u32 capacity = static_cast<u32>(maxNumber);
  if (sprite) {
    return new cRO_PInstancer_Im3DSprite(capacity);
  }
  return new cRO_PInstancer_Im3DLine(capacity);
}

}  // namespace

cParticleSystem::cParticleSystem(cParticleEmitter* emitter, f32 margin)
    : mEmitter(emitter), mMargin(margin), mDisabled(0) {}

cParticleSystem::~cParticleSystem() {
  Kill();
  while (cListNode* force = mForces.First()) {
    delete static_cast<cParticleForce*>(force);
  }
  mInstancers.Clear();
}

void cParticleSystem::AddInstancer(cRO_PInstancer* instancer) {
  mInstancers.Append(instancer);
  instancer->SetParticles(&mLive);
}

void cParticleSystem::AddForce(cParticleForce* force) { mForces.Append(force); }

void cParticleSystem::Kill() { KillParticles(&mLive); }

bool cParticleSystem::Update(f32 dt) {
  if (mDisabled == 0) {
    for (cListNode* node = mForces.First(); node != nullptr; node = cList::Next(node)) {
      static_cast<cParticleForce*>(node)->Apply(&mLive);
    }
    IntegrateParticles(&mLive, dt);
    ExpireParticles(&mLive);
    mEmitter->Update(dt, &mLive);
    UpdateBounds();
  }
  for (cListNode* node = mInstancers.First(); node != nullptr; node = cList::Next(node)) {
    AsInstancer(node)->CountDownVisibility();
  }
  return false;
}

void cParticleSystem::UpdateBounds() {
  RwV3d centre;
  f32 radius = 0.0f;
  ParticleBounds(mLive, &centre, &radius);
  for (cListNode* node = mInstancers.First(); node != nullptr; node = cList::Next(node)) {
    AsInstancer(node)->SetBoundingSphere(centre, radius + mMargin);
  }
}

cMultiParticleSystem::cMultiParticleSystem()
    : mScene(nullptr), mSystems(nullptr), mInstancers(nullptr), mEmitters(nullptr), mCount(0) {}

cMultiParticleSystem::~cMultiParticleSystem() { Release(); }

void cMultiParticleSystem::Release() {
  for (u32 i = 0; i < mCount; i++) {
    delete mSystems[i];
    delete mInstancers[i];
    delete mEmitters[i];
  }
  delete[] mSystems;
  delete[] mInstancers;
  delete[] mEmitters;
  mSystems = nullptr;
  mInstancers = nullptr;
  mEmitters = nullptr;
  mCount = 0;
}

void cMultiParticleSystem::Load(cScene* scene, const char* fileName, const RwV3d& position, const RwV3d& direction) {
  Release();
  mScene = scene;
  const cPropertyFile* file = scene->GetPropertyFileCache()->Get(cString(fileName));
  if (file == nullptr) {
    FatalError("cMultiParticleSystem property file is missing:%s", fileName);
  }
  const cPropertyGroup* init = file->FindGroup(cString("init"));
  if (init == nullptr) {
    FatalGroupNotFound(kLoadTag, file, "init");
  }
  const cProperty* elements = init->FindProperty(cString("ELEMENTS"));
  if (elements == nullptr) {
    FatalPropertyNotFound(kLoadTag, init, "ELEMENTS");
  }
  const u32 count = ElementNames(elements->GetValue(), nullptr);
  cStringArray names;
  names.Allocate(count);
  if (count > 0) {
    ElementNames(elements->GetValue(), &names[0]);
  }
  mSystems = new cParticleSystem*[count]();
  mInstancers = new cRO_PInstancer*[count]();
  mEmitters = new cParticleEmitter*[count]();
  for (u32 i = 0; i < count; i++) {
    const cPropertyGroup* group = file->FindGroup(names[i]);
    if (group == nullptr) {
      FatalGroupNotFound(kLoadTag, file, names[i].CStr());
    }
    LoadElement(*group, position, direction);
  }
  RpWorld* world = scene->GetRenderManager().GetWorld();
  for (u32 i = 0; i < mCount; i++) {
    scene->GetUpdateList().Append(mSystems[i]);
    if (world != nullptr) {
      scene->GetRenderManager().AddAtomicRO(mInstancers[i]);
    }
  }
}

void cMultiParticleSystem::LoadElement(const cPropertyGroup& group, const RwV3d& position, const RwV3d& direction) {
  const cProperty* type = group.FindProperty(cString("TYPE"));
  if (type == nullptr) {
    FatalPropertyNotFound(kLoadTag, &group, "TYPE");
  }
  const cProperty* maxNumber = group.FindProperty(cString("MAXNUMBER"));
  const s32 capacity = maxNumber != nullptr ? maxNumber->GetS32Fatal() : 1;
  // Each part joins the arrays as soon as it exists, so that the
  // destructor finds it whatever comes after.
  const u32 index = mCount++;
  cParticleEmitter* emitter = new cParticleEmitter_Point();
  mEmitters[index] = emitter;
  RwFrameTranslate(emitter->GetFrame(), &position, kRwCombineReplace);
  RwV3d target;
  RwV3dAdd(&target, &position, &direction);
  SetFrameLookAt(emitter->GetFrame(), &target);
  emitter->Init(group);
  cRO_PInstancer* instancer = CreateInstancer(group, type->GetValue(), capacity);
  mInstancers[index] = instancer;
  instancer->Init(group);
  cParticleSystem* system = new cParticleSystem(emitter, 0.0f);
  mSystems[index] = system;
  if (const cProperty* force = group.FindProperty(cString("FORCE"))) {
    RwV3d acceleration;
    force->GetV3dFatal(&acceleration);
    system->AddForce(new cParticleForce(acceleration));
  }
  system->AddInstancer(instancer);
}

void cMultiParticleSystem::AddToWorld() {
  for (u32 i = 0; i < mCount; i++) {
    mSystems[i]->Kill();
    mSystems[i]->SetDisabled(0);
    mScene->GetRenderManager().AddAtomicRO(mInstancers[i]);
    mEmitters[i]->Restart();
  }
}

void cMultiParticleSystem::RemoveFromWorld() {
  for (u32 i = 0; i < mCount; i++) {
    mSystems[i]->Kill();
    mSystems[i]->SetDisabled(1);
    RpAtomic* atomic = mInstancers[i]->GetAtomic();
    if (RpWorld* world = RpAtomicGetWorld(atomic)) {
      RpWorldRemoveAtomic(world, atomic);
    }
  }
}

bool cMultiParticleSystem::IsOutOfWorld() const {
  return mCount == 0 || RpAtomicGetWorld(mInstancers[0]->GetAtomic()) == nullptr;
}

bool cMultiParticleSystem::IsFinished() const {
  for (u32 i = 0; i < mCount; i++) {
    if (mSystems[i]->HasParticles()) {
      return false;
    }
  }
  return true;
}

void cMultiParticleSystem::SetPosition(const RwV3d& position, const RwV3d& direction) {
  for (u32 i = 0; i < mCount; i++) {
    RwFrameTranslate(mEmitters[i]->GetFrame(), &position, kRwCombineReplace);
    SetFrameDirection(mEmitters[i]->GetFrame(), &direction);
  }
}

void cMultiParticleSystem::MoveEmitter(u32 index, const RwV3d& offset) {
  if (index < mCount) {
    RwFrameTranslate(mEmitters[index]->GetFrame(), &offset, kRwCombinePostConcat);
  }
}
