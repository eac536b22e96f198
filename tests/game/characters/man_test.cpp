// The men on a forged level with the demo men's files: the factory's and
// loaders' fatal messages, the shared bodies, the ground, the slide, the
// falls, the settled body, footsteps, gaits, checkpoints and the double.
#include "game/characters/man.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "game/render/collision/collision_volume.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "tests/game/characters/men_fixture.h"

namespace {

// The demo's table with its ANM list cut to the first count names or grown by one.
std::string AnimDataWithNames(int count) {
  std::string names = "[";
  for (int i = 0; i < count; i++) {
    names += (i == 0 ? "" : ", ") + demo::men::AnimationNames()[static_cast<size_t>(i % 42)];
  }
  const std::string group = demo::men::AnimDataGroup();
  const size_t begin = group.find("ANM = ") + 6;
  return group.substr(0, begin) + names + "]" + group.substr(group.find('\n', begin));
}

}  // namespace

TEST_F(MenTest, BadMenFilesEndWithTheirMessages) {
  struct Case {
    const char* name;
    std::string extra;
    std::string animData;
    const char* group;  // the man made after loading; null: loading alone
    const char* message;
  };
  const std::string table = demo::men::AnimDataGroup();
  const Case cases[] = {
      {"type in other case", "[m]\nTYPE = Dorvaholoman\nBODY = guard\n", table, "m",
       "cMan::Create : unkonwn type \\(Dorvaholoman\\)"},
      {"unknown body", "[m]\nTYPE = dorvaholoman\nBODY = guard5\n", table, "m",
       "cMan::Create : unkonwn body \\(guard5\\)"},
      {"no type", "[m]\nBODY = guard\n", table, "m", "cMan::Create : Property not found! \\(TYPE\\)"},
      {"41 animations", "", AnimDataWithNames(41), nullptr, "Animation Number doesn't match with enum!!!"},
      {"43 animations", "", AnimDataWithNames(43), nullptr, "Animation Number doesn't match with enum!!!"},
      {"index 42", "[dorvaman]\nUSED_ANIMS = [0, 42]\n", table, nullptr,
       "cDorvaMan::ReadStaticProperties :not valid animation index :42"},
      {"no table", "", "", nullptr, "cManAnimData : group not found in file \\(AnimData\\)"},
      {"no capsule radius", "[CollisionCapsule]\nP0 = 0.4\nP1 = 1.4\n[m]\nTYPE = dorvaholoman\nBODY = guard\n", table,
       "m", "ColliRadius : Property not found! \\(RADIUS\\)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DEATH(
        {
          LoadMenFile(c.extra, c.animData);
          if (c.group != nullptr) {
            const cPropertyGroup* group = mLevel->GetMenFile().FindGroup(cString(c.group));
            cMan::Create(group, mLevel)->AddToWorld(mLevel);
          }
        },
        c.message);
  }
}

TEST_F(MenTest, GeneratedMenLoadWithEveryAnimation) {
  std::remove("data/man/anims/hit_front.anm");
  LoadMenFile();
  cAnimTable* table = ManAnimData().GetTable();
  for (u32 slot = 0; slot < kManAnimCount; slot++) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(slot != kManAnimHitFront, (*table)[slot].animation != nullptr);
  }
  for (u32 body = 0; body < kManBodyCount; body++) {
    SCOPED_TRACE(body);
    cMan* man = AddMan(demo::men::BodyNames()[body].c_str(), kOpenFloor);
    EXPECT_EQ(static_cast<RwInt32>(kManNodeCount), man->GetModel()->GetHierarchy()->numNodes);
  }
  EXPECT_NEAR(demo::men::kWalkSpeed, (*table)[kManAnimWalk].rootVelocity.z, 0.05f);
  EXPECT_NEAR(demo::men::kRunSpeed, (*table)[kManAnimRun].rootVelocity.z, 0.1f);
  // A missing hit reaction is an empty slot that the model passes over.
  mMen[0]->GetModel()->StartTransition(kManAnimHitFront);
  EXPECT_EQ(kManAnimStand, mMen[0]->GetModel()->GetCurrentIndex());
}

TEST_F(MenTest, MenOfOneBodyShareItsLoadedModel) {
  LoadMenFile();
  cMan* first = AddMan("guard", kOpenFloor);
  cAnimModel* prototype = cMan::GetBodyPrototype(7);
  cMan* second = AddMan("guard", kBetweenWalls);
  EXPECT_EQ(prototype, cMan::GetBodyPrototype(7));
  EXPECT_NE(first->GetModel(), second->GetModel());
  EXPECT_NE(first->GetFrame(), second->GetFrame());
  EXPECT_EQ(RpAtomicGetGeometry(first->GetModel()->GetClumpObject()->GetFirstAtomic()),
            RpAtomicGetGeometry(second->GetModel()->GetClumpObject()->GetFirstAtomic()));
  EXPECT_EQ(nullptr, cMan::GetBodyPrototype(8));
  // Each man is updated before his model.
  EXPECT_EQ(static_cast<cListNode*>(second), cList::Next(first->GetModel()));
  EXPECT_EQ(static_cast<cListNode*>(second->GetModel()), cList::Next(second));
}

TEST_F(MenTest, ANewShockReplacesTheRunningOne) {
  LoadMenFile();
  cMan* man = AddMan("guard", kOpenFloor);
  const u32 clients = mLevel->GetUpdateList().Count();
  man->StartShock(0.5f);
  man->StartShock(0.5f);
  EXPECT_NE(nullptr, man->GetShock());
  EXPECT_EQ(clients + 1, mLevel->GetUpdateList().Count());
  // The ended shock is deleted by the list and lets go of the man.
  for (int frame = 0; frame < 30; frame++) {
    mLevel->cScene::Update(0.02f);
  }
  EXPECT_EQ(nullptr, man->GetShock());
  EXPECT_EQ(clients, mLevel->GetUpdateList().Count());
}

TEST_F(MenTest, MenStandOnTheGroundWithinReach) {
  LoadMenFile();
  struct Case {
    RwV3d start;
    f32 height;
  };
  const Case cases[] = {
      {{0.0f, 0.3f, 0.0f}, 0.0f},         {{6.0f, 1.3f, 0.0f}, kLedgeHeight},
      {{6.0f, 0.8f, 0.0f}, kLedgeHeight},                              // within the lift above the feet
      {{0.0f, 4.4f, 0.0f}, 0.0f},         {{0.0f, 4.6f, 0.0f}, 4.6f},  // the ground lies out of reach
  };
  cMan* man = AddMan("guard", kOpenFloor);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start.y);
    RwFrameTranslate(man->GetFrame(), &c.start, kRwCombineReplace);
    man->SnapToGround(false);
    EXPECT_NEAR(c.height, Position(man).y, 1e-3f);
  }
}

TEST_F(MenTest, SlidingTriesTheSideThatWasFree) {
  LoadMenFile();
  // A wall ahead at z 2 to 3: the man steps 0.8 from z 1 into it.
  struct Case {
    s32 side;
    s32 sideAfter;
  };
  const Case cases[] = {{0, 1}, {1, 1}, {-1, -1}};
  cMan* man = AddMan("guard", kOpenFloor);
  ForgeSoup soup;
  soup.materials.push_back(ForgeMaterial());
  ForgeAddBox(&soup, RwV3d{-10.0f, 0.0f, 2.0f}, RwV3d{10.0f, 3.0f, 3.0f}, 0);
  RpWorld* wall = ForgeWorldCreate(soup, ForgeWorldOptions());
  cWorldCollision collision(wall, wall, 0);
  mLevel->SetWorldObject(&collision);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.side);
    man->SetReferencePosition(RwV3d{0.0f, 0.0f, 1.0f});
    const RwV3d into = {0.0f, 0.0f, 1.8f};
    RwFrameTranslate(man->GetFrame(), &into, kRwCombineReplace);
    man->SetSlideSide(c.side);
    man->SlideAlongObstacle(man->GetCollisionVolume());
    EXPECT_EQ(c.sideAfter, man->GetSlideSide());
    EXPECT_EQ(0u, collision.CollideVolume(man->GetCollisionVolume(), true, 0));
    EXPECT_GT(Position(man).x * static_cast<f32>(c.sideAfter), 0.1f);
    EXPECT_GT(Position(man).z, 1.0f);
  }
  mLevel->SetWorldObject(mCollision);
  RpWorldDestroy(wall);
}

TEST_F(MenTest, FallsAvoidWallsAndThePlayer) {
  LoadMenFile();
  struct Case {
    const char* name;
    RwV3d at;
    f32 playerOffsetZ;  // 0: no player
    u32 forward;        // 1 forward, 0 backward, 2 collapse
  };
  const Case cases[] = {
      {"walls on both sides", kBetweenWalls, 0.0f, 2},
      {"player in front", kOpenFloor, 2.0f, 0},
      {"player behind", kOpenFloor, -2.0f, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (u32 seed = 1; seed <= 4; seed++) {
      RpRandomSeed(seed);
      cMan* player = AddMan("dorvaman", RwV3d{c.at.x, 0.0f, c.at.z + c.playerOffsetZ});
      mLevel->GetMen().SetCount(1);
      mLevel->GetMen().Set(0, c.playerOffsetZ != 0.0f ? player : nullptr);
      cMan* man = AddMan("guard", c.at);
      man->Die();
      const u32 fall = man->GetModel()->GetTargetIndex();
      EXPECT_EQ(c.forward == 2, fall == kManAnimCollapse) << fall;
      EXPECT_EQ(c.forward == 1, fall == kManAnimFallForward || fall == kManAnimFallForward2) << fall;
      EXPECT_EQ(c.forward == 0, fall == kManAnimFallBackward) << fall;
    }
  }
}

TEST_F(MenTest, SettledBodiesLieWhereTheyFell) {
  LoadMenFile();
  struct Case {
    u32 fall;
    u32 lying;
    RwV2d point;
  };
  // Standing at (1, 2) facing +z.
  const Case cases[] = {{kManAnimCollapse, kManAnimLieCollapsed, {1.0f, 2.0f}},
                        {kManAnimFallBackward, kManAnimLieBackward, {1.0f, 1.0f}},
                        {kManAnimFallForward, kManAnimLieForward, {1.0f, 3.0f}},
                        {kManAnimFallForward2, kManAnimLieForward2, {1.0f, 3.0f}},
                        {kManAnimStand, kManAnimStand, {0.0f, 1.0f}}};
  cMan* man = AddMan("guard", RwV3d{1.0f, 0.0f, 2.0f});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fall);
    man->GetModel()->SetAnim(c.fall, 0.0f);
    man->SettleBody();
    EXPECT_EQ(c.lying, man->GetModel()->GetCurrentIndex());
    EXPECT_NEAR(c.point.x, man->GetBodyPoint().x, 1e-4f);
    EXPECT_NEAR(c.point.y, man->GetBodyPoint().y, 1e-4f);
  }
}

TEST_F(MenTest, FootstepsSoundOncePerCrossing) {
  struct Case {
    const char* name;
    u32 slot;
    int leftTimes;  // elements of LEFT_FOOT_TOUCH kept; -1 all
    u32 steps;      // over two cycles
  };
  const Case cases[] = {{"walking", kManAnimWalk, -1, 4},
                        {"running", kManAnimRun, -1, 4},
                        {"standing", kManAnimStand, -1, 0},
                        {"left list too short", kManAnimWalk, 5, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string table = demo::men::AnimDataGroup();
    if (c.leftTimes >= 0) {
      const size_t begin = table.find("LEFT_FOOT_TOUCH = [") + 19;
      size_t end = begin;
      for (int i = 0; i < c.leftTimes; i++) {
        end = table.find(',', end) + 1;
      }
      table.replace(end - 1, table.find(']', begin) - end + 1, "");
    }
    LoadMenFile("", table);
    cMan* man = AddMan("guard", kOpenFloor);
    man->GetModel()->SetAnim(c.slot, 0.0f);
    const f32 cycle = (*ManAnimData().GetTable())[c.slot].animation->duration;
    u32 steps = 0;
    for (f32 t = 0.0f; t < 2.0f * cycle - 1e-4f; t += 0.01f) {
      man->GetModel()->Update(0.01f);
      steps += man->PlayFootsteps();
    }
    EXPECT_EQ(c.steps, steps);
    delete man;
    mMen.clear();
    cMan::ReleaseStaticData();
  }
}

TEST_F(MenTest, GaitsKeepTheirPhaseAndWalkByRootMotion) {
  LoadMenFile();
  cMan* man = AddMan("guard", kOpenFloor);
  man->GetModel()->SetAnim(kManAnimRun, 0.0f);
  man->GetModel()->Update(0.3f);  // half the run
  man->Walk();
  EXPECT_NEAR(0.5f, man->GetModel()->GetTargetTime() / 1.0f, 1e-3f);
  man->GetModel()->SetAnim(kManAnimStand, 0.0f);
  man->GetModel()->Update(0.5f);
  man->Walk();
  EXPECT_EQ(0.0f, man->GetModel()->GetTargetTime());
  // Walking on: the root carries the man along his facing, on the floor.
  Advance(man, 1.0f);
  const RwV3d before = Position(man);
  Advance(man, 2.0f);
  EXPECT_NEAR(2.0f * demo::men::kWalkSpeed, Position(man).z - before.z, 0.1f);
  EXPECT_NEAR(0.0f, Position(man).y, 1e-3f);
}

TEST_F(MenTest, CheckpointsRestoreWhatTheyKept) {
  LoadMenFile();
  cMan* man = AddMan("guard", kOpenFloor);
  man->SetHeading(0.5f);
  man->SetTurnRate(0.25f);
  man->SetSlideSide(-1);
  man->SetSearchableBody(1);
  man->SetReferencePosition(RwV3d{1.0f, 2.0f, 3.0f});
  man->SaveState();
  const RwMatrix kept = *RwFrameGetMatrix(man->GetFrame());
  man->Turn(1.0f);
  man->SetTurnRate(0.0f);
  man->SetSlideSide(1);
  man->SetSearchableBody(0);
  man->SetReferencePosition(RwV3d{0.0f, 0.0f, 0.0f});
  Advance(man, 0.5f);
  man->RestoreState();
  const RwMatrix& back = *RwFrameGetMatrix(man->GetFrame());
  EXPECT_EQ(0, std::memcmp(&kept.right, &back.right, sizeof(RwV3d)));
  EXPECT_EQ(0, std::memcmp(&kept.pos, &back.pos, sizeof(RwV3d)));
  EXPECT_EQ(0.25f, man->GetTurnRate());
  EXPECT_EQ(-1, man->GetSlideSide());
  EXPECT_FALSE(man->IsSearchableBody());  // the double never is
  EXPECT_EQ(3.0f, man->GetReferencePosition().z);
  EXPECT_EQ(0.4f, cMan::GetSharedCapsuleRadius());
}

TEST_F(MenTest, TheDoubleWaitsOutOfTheSceneAndIsReadAgain) {
  LoadMenFile("[far]\nTYPE = dorvaholoman\nBODY = dorvaholoman\n");
  const cPropertyGroup* group = mLevel->GetMenFile().FindGroup(cString("far"));
  cDorvaHoloMan* double_ = static_cast<cDorvaHoloMan*>(cMan::Create(group, mLevel));
  mMen.push_back(double_);
  double_->AddToWorld(mLevel);
  double_->ReadProperties(group);
  const tPerceptionAnchor* anchor = double_->GetPerceptionAnchor();
  EXPECT_EQ(RwFrameGetMatrix(double_->GetFrame()), anchor->matrix);
  EXPECT_EQ(nullptr, double_->GetModel()->GetClumpObject()->GetScene());
  EXPECT_EQ(1000.0f, Position(double_).y);
  EXPECT_FALSE(double_->IsNotHologram());
  // The implant tints the double through its materials.
  double_->EnableMaterialColour();
  double_->SetMaterialColour(90, 10, 20, 30);
  const RpGeometry* geometry = RpAtomicGetGeometry(double_->GetModel()->GetClumpObject()->GetFirstAtomic());
  EXPECT_NE(0u, RpGeometryGetFlags(geometry) & rpGEOMETRYMODULATEMATERIALCOLOR);
  for (RwInt32 i = 0; i < geometry->matList.numMaterials; i++) {
    const RwRGBA* colour = RpMaterialGetColor(geometry->matList.materials[i]);
    EXPECT_EQ(10, colour->red);
    EXPECT_EQ(90, colour->alpha);
  }
  // A restart reads the group again: the same anchor, nothing removed twice.
  double_->SetHeading(1.0f);
  double_->ReadProperties(group);
  EXPECT_EQ(anchor, double_->GetPerceptionAnchor());
  EXPECT_EQ(1.0f, RwFrameGetMatrix(double_->GetFrame())->right.x);
}
