// The game camera on the men's forged room: brightness, the blend, the
// follow states at the wall, placing, aiming, the orbit of the dead, the
// look-at moves, the listener and the missing settings; and on the demo's
// first level loaded whole: the player in view, and the camera on his side
// of its doors and walls.
#include "game/characters/camera/dorva_cam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/app/audio/sound.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/clump_ro.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/door.h"
#include "tests/game/characters/player/player_fixture.h"
#include "tests/game/world/level_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

using DorvaCamTest = PlayerCameraTest;
using DorvaCamDeathTest = PlayerCameraTest;

constexpr f32 kDegrees = 0.0174532925f;

void ExpectNear(const RwV3d& expected, const RwV3d& actual, f32 tolerance = 1e-4f) {
  EXPECT_NEAR(expected.x, actual.x, tolerance);
  EXPECT_NEAR(expected.y, actual.y, tolerance);
  EXPECT_NEAR(expected.z, actual.z, tolerance);
}

TEST_F(DorvaCamTest, BrightnessScalesTheAmbientLightOnly) {
  AddPlayer(kOpenFloor);
  const f32 rows[][2] = {{0, 0.5f}, {50, 1.0f}, {51, 1.02f}, {100, 2.0f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    gGameOptions->SetBrightness(static_cast<u32>(row[0]));
    EXPECT_FLOAT_EQ(row[1], cDorvaCam::GetBrightnessFactor());
    Camera()->ApplyBrightness();
    const RwRGBAReal& ambient = Camera()->GetAmbientLight().GetColour();
    EXPECT_FLOAT_EQ(0.7f * row[1], ambient.red);
    EXPECT_FLOAT_EQ(row[1], ambient.alpha);
    EXPECT_FLOAT_EQ(0.7f, Camera()->GetDirectionalLight().GetColour().blue);
  }
  // The light hangs on the camera, turned along its normalised direction.
  const f32 length = std::sqrt(0.09f + 1.0f + 0.16f);
  ExpectNear(RwV3d{0.3f / length, -1.0f / length, 0.4f / length},
             RwFrameGetLTM(Camera()->GetDirectionalLight().GetFrame())->at);
}

TEST_F(DorvaCamTest, BlendStepsAreCappedAndTheBlendSpeedIsFixed) {
  const struct {
    const char* extra;
    f32 dt;
    f32 share;
  } rows[] = {
      {"", 1.0f, 0.4f}, {"BLEND_SPEED = 10\n", 1.0f, 0.4f}, {"BLEND_SPEED = 10\n", 0.1f, 0.2f}, {"", 0.1f, 0.2f}};
  cDorvaMan* player = AddPlayer(kOpenFloor);
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.extra) + std::to_string(row.dt));
    std::ofstream(Folder("data/level02/camera.txt")) << kCameraText << row.extra;
    cDorvaCam camera(player->GetFrame(), mLevel, cString("level02"), nullptr);
    EXPECT_FLOAT_EQ(kCamBlendSpeed, camera.GetBlendSpeed());
    camera.SetCurrentPoints(RwV3d{0, 0, 0}, RwV3d{1, 1, 1});
    camera.SetGoals(RwV3d{10, 0, 0}, RwV3d{1, 1, 1});
    EXPECT_FALSE(camera.ApproachGoal(row.dt));
    EXPECT_FLOAT_EQ(10.0f * row.share, camera.GetCurrentPosition().x);
    camera.SetGoals(camera.GetCurrentPosition(), RwV3d{1, 1, 1.0004f});
    EXPECT_TRUE(camera.ApproachGoal(row.dt));
  }
}

TEST_F(DorvaCamTest, FollowPullsInAtAWallAndMovesOutWhenItRecedes) {
  // The wall's face is at z 6; the line from the head back to the far
  // position meets it 1.2 from the head.
  const f32 z = 6.0f + 1.2f * 3.5f / std::sqrt(3.5f * 3.5f + 0.25f);
  cDorvaMan* player = AddPlayer(RwV3d{-5.0f, 0.0f, z});
  std::vector<s32> states;
  auto run = [&](u32 ticks) {
    for (u32 i = 0; i < ticks; i++) {
      Camera()->Update(0.1f);
      if (states.empty() || states.back() != Camera()->GetFollowState()) {
        states.push_back(Camera()->GetFollowState());
      }
    }
  };
  const struct {
    f32 z;
    std::vector<s32> states;
    f32 lookLimit;
  } rows[] = {{z, {2, 1, 5}, 20.0f}, {8.2f, {4, 3, 0}, 60.0f}, {9.6f, {0}, 60.0f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.z);
    MoveTo(player, RwV3d{-5.0f, 0.0f, row.z});
    states.clear();
    run(200);
    EXPECT_EQ(row.states, states);
    EXPECT_FLOAT_EQ(row.lookLimit, player->GetLookLimit());
  }
  // Clear behind: settled on the far position, looking at the far point.
  ExpectNear(RwV3d{-5.0f, 2.3f, 9.6f - 3.5f}, Camera()->GetCurrentPosition(), 1e-2f);
  ExpectNear(RwV3d{-5.0f, 1.6f, 9.6f + 2.0f}, Camera()->GetCurrentLookAt(), 1e-2f);
  const RwMatrix* camera = RwFrameGetLTM(Camera()->GetFrame());
  EXPECT_GT(camera->at.z, 0.9f);
}

// Seated with the wall face (z 6) 1.2 behind the head, the first frame
// stands in front of the wall even without time passing.
TEST_F(DorvaCamTest, ASeatBehindAWallStartsAtTheWall) {
  AddPlayer(RwV3d{-5.0f, 0.0f, 6.0f + 1.2f * 3.5f / std::sqrt(3.5f * 3.5f + 0.25f)});
  Camera()->Update(0.0f);
  EXPECT_GT(CameraPosition().z, 6.0f);
}

TEST_F(DorvaCamTest, PlacingKeepsOffThePlayersAxis) {
  AddPlayer(kOpenFloor);
  const RwV3d p = kOpenFloor;
  const struct {
    const char* name;
    RwV3d current;
    RwV3d placed;
  } rows[] = {
      {"on the axis", {p.x, 2.0f, p.z}, {p.x, 2.0f, p.z}},
      {"near", {p.x + 0.1f, 2.0f, p.z}, {p.x + 0.5f, 2.0f, p.z}},
      {"far", {p.x, 2.0f, p.z - 3.0f}, {p.x, 2.0f, p.z - 2.9f}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Camera()->SetCurrentPoints(row.current, RwV3d{row.current.x, 2.0f, p.z + 5.0f});
    Camera()->PlaceCamera();
    ExpectNear(row.placed, CameraPosition());
  }
}

TEST_F(DorvaCamTest, AimingZoomsWithinItsRangeAndFollowingRestoresTheView) {
  cDorvaMan* player = AddPlayer(kOpenFloor);
  Camera()->StartAiming();
  EXPECT_EQ(kCamAiming, Camera()->GetMode());
  EXPECT_FLOAT_EQ(50.0f, player->GetLookLimit());
  ExpectNear(RwV3d{kOpenFloor.x, 1.6f, kOpenFloor.z + 1.0f / 3.0f}, CameraPosition());
  const struct {
    u8 zoomIn, zoomOut;
    f32 degrees;
  } rows[] = {{1, 0, 10.0f}, {0, 1, 60.0f}, {0, 0, 60.0f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.degrees);
    player->Input().zoomIn = row.zoomIn;
    player->Input().zoomOut = row.zoomOut;
    for (int i = 0; i < 50; i++) {
      Camera()->Update(0.1f);
      EXPECT_LE(Camera()->GetFieldOfView(), 60.0f * kDegrees + 1e-5f);
      EXPECT_GE(Camera()->GetFieldOfView(), 10.0f * kDegrees - 1e-5f);
    }
    EXPECT_NEAR(row.degrees * kDegrees, Camera()->GetFieldOfView(), 1e-5f);
  }
  ExpectNear(RwV3d{kOpenFloor.x, 1.7f, kOpenFloor.z}, CameraPosition());
  Camera()->SetFollowMode();
  EXPECT_FLOAT_EQ(90.0f * kDegrees, Camera()->GetFieldOfView());
}

TEST_F(DorvaCamTest, TheDeadAreCircledAfterAimingEnds) {
  cDorvaMan* player = AddPlayer(kOpenFloor);
  Camera()->StartAiming();
  Camera()->Update(0.1f);
  Camera()->SetDeathMode();
  EXPECT_EQ(kCamDeath, Camera()->GetMode());
  EXPECT_EQ(0, player->IsAiming());
  EXPECT_FLOAT_EQ(60.0f, player->GetLookLimit());
  EXPECT_FLOAT_EQ(90.0f * kDegrees, Camera()->GetFieldOfView());
  f32 time = 0.0f;
  for (f32 dt : {0.0f, 0.5f, 1.0f}) {
    SCOPED_TRACE(dt);
    time += dt;
    Camera()->Update(dt);
    const f32 a = 1.2f * time;
    ExpectNear(RwV3d{kOpenFloor.x - 2.0f * std::cos(a), 2.3f, kOpenFloor.z + 2.0f * std::sin(a)},
               Camera()->GetCurrentPosition());
    ExpectNear(RwV3d{kOpenFloor.x, 1.2f, kOpenFloor.z}, Camera()->GetCurrentLookAt());
  }
  Camera()->Reset();
  Camera()->SetDeathMode();
  Camera()->Update(0.0f);
  ExpectNear(RwV3d{kOpenFloor.x - 2.0f, 2.3f, kOpenFloor.z}, Camera()->GetCurrentPosition());
}

TEST_F(DorvaCamTest, LookAtMovesBlendBesideThePlayer) {
  AddPlayer(kOpenFloor);
  const RwV3d p = kOpenFloor;
  const struct {
    bool wide;
    RwV3d position;
    RwV3d target;
  } rows[] = {{true, {p.x + 0.3f, 1.8f, p.z + 2.0f}, {p.x + 1.0f, 1.0f, p.z}},
              {false, {p.x + 0.3f, 1.2f, p.z + 0.6f}, {p.x + 2.0f, 1.0f, p.z}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.wide);
    Camera()->StartLookAt(row.wide, p.x + 2.0f, 1.0f, p.z);
    EXPECT_EQ(kCamLookAt, Camera()->GetMode());
    ExpectNear(row.position, Camera()->GetLookAtMovePosition());
    ExpectNear(row.target, Camera()->GetLookAtMoveTarget());
    for (int i = 0; i < 100; i++) {
      Camera()->Update(0.1f);
    }
    EXPECT_EQ(kCamLookAt, Camera()->GetMode());
    ExpectNear(row.position, Camera()->GetCurrentPosition(), 1e-3f);
  }
}

TEST_F(DorvaCamTest, TheListenerFollowsTheCameraWithOrWithoutAPlayer) {
  AddPlayer(kOpenFloor);
  cDorvaCam* camera = Camera();
  // Without the player's frame the camera stays where it was put.
  cDorvaCam still(nullptr, mLevel, cString("level01"), nullptr);
  const RwV3d put = {3.0f, 4.0f, 5.0f};
  RwFrameTranslate(still.GetFrame(), &put, kRwCombineReplace);
  for (cDorvaCam* each : {camera, &still}) {
    SCOPED_TRACE(each == camera);
    for (int i = 0; i < 20; i++) {
      each->Update(0.1f);
    }
    const RwMatrix* matrix = RwFrameGetLTM(each->GetFrame());
    const tSoundListener& listener = cSndEngWin::GetListener();
    ExpectNear(matrix->pos, listener.position);
    ExpectNear(matrix->at, listener.at);
    ExpectNear(matrix->up, listener.up);
  }
  ExpectNear(put, RwFrameGetLTM(still.GetFrame())->pos);
  EXPECT_GT(camera->GetCurrentPosition().y, 2.0f);
}

TEST_F(DorvaCamDeathTest, ACameraWithoutItsSettingsIsFatal) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  AddPlayer(kOpenFloor);
  EXPECT_DEATH(cDorvaCam(nullptr, mLevel, cString("level09"), nullptr), "DorvaCam : Property not found! \\(CLIP\\)");
  std::ofstream(Folder("data/level09/camera.txt")) << "CLIP = (0.1,500)\nFOV = 90\n";
  EXPECT_DEATH(cDorvaCam(nullptr, mLevel, cString("level09"), nullptr),
               "DorvaCam : Property not found! \\(MINZOOMFOV\\)");
}

using DemoCameraTest = WorldTest;

// Pixels of the lower middle of the screen that differ between two frames.
TEST_F(DemoCameraTest, TheLevelStartsWithThePlayerInView) {
  MakeScreenStack();
  cQXWorld* world = LoadDemoLevel01();
  ASSERT_NE(nullptr, world);
  cDorvaCam* camera = world->GetGameCamera();
  ASSERT_TRUE(camera != nullptr && world->GetCamera(0) == camera);
  EXPECT_EQ(world->GetEngineWorld(), RwCameraGetWorld(camera->GetCamera()));
  for (int tick = 0; tick < 25; tick++) {
    world->cScene::Update(0.04f);
  }
  auto frame = [&] {
    world->GetRenderManager().RenderFrame(camera, gScreenStack->GetTarget());
    std::vector<uint32_t> pixels;
    for (int y = PixelY(0.4f); y < PixelY(0.9f); y += 4) {
      for (int x = PixelX(0.4f); x < PixelX(0.6f); x += 4) {
        pixels.push_back(BackBufferPixel(x, y));
      }
    }
    return pixels;
  };
  const std::vector<uint32_t> withPlayer = frame();
  // The player far away; the camera stays where it was.
  const RwV3d away = {0.0f, -100.0f, 0.0f};
  RwFrameTranslate(world->GetPlayer()->GetFrame(), &away, kRwCombinePostConcat);
  const std::vector<uint32_t> without = frame();
  int differing = 0;
  for (size_t i = 0; i < withPlayer.size(); i++) {
    differing += withPlayer[i] != without[i] ? 1 : 0;
  }
  EXPECT_GT(differing, static_cast<int>(withPlayer.size() / 10)) << differing << " of " << withPlayer.size();
}

// Rows: the player walked 1.2 into a room, the camera left in the corridor
// behind the open door, which then closes (door_a and door_c slide across);
// the player dead 0.45 from the corridor's west end, where the
// keep-off would push the orbit past the wall; a wide look-at whose side
// position lies in room A, beyond the corridor's wall. For a whole turn of
// the orbit the line from the head to the camera meets nothing, nor does the
// near plane (the square round the 4:3 picture) reach through a surface.
TEST_F(DemoCameraTest, TheCameraStaysOnThePlayersSideOfDoorsAndWalls) {
  constexpr f32 kFrame = 0.04f;
  const int ticks = static_cast<int>(2.0f * 3.14159265f / kCamDeathSpeed / kFrame) + 1;
  MakeScreenStack();
  cQXWorld* world = LoadDemoLevel01();
  ASSERT_NE(nullptr, world);
  cDorvaMan* player = world->GetPlayer();
  cDorvaCam* camera = world->GetGameCamera();
  const auto place = [&](const RwV3d& at, f32 heading) {
    RwFrameTranslate(player->GetFrame(), &at, kRwCombineReplace);
    player->SetHeading(heading);
    camera->Reset();
  };
  const auto fromPlayer = [&](const RwV3d& point) {
    RwV3d out;
    RwV3dTransformPoints(&out, &point, 1, RwFrameGetLTM(player->GetFrame()));
    return out;
  };
  RpAtomic* object = nullptr;
  const auto meets = [&](const RwV3d& from, const RwV3d& to) {
    RwV3d point, normal;
    return world->GetWorldCollision()->IntersectSegment(tSegment3d(from, to), &point, &normal, &object, true, false, 0,
                                                        false);
  };
  const RwMatrix* view = RwFrameGetLTM(camera->GetFrame());
  const auto blocked = [&] {
    const f32 near = RwCameraGetNearClipPlane(camera->GetCamera());
    const f32 side = near * std::tan(camera->GetFieldOfView() * 0.5f);
    bool cut = meets(fromPlayer(RwV3d{0.0f, kCamHeadHeight, 0.0f}), view->pos);
    for (const f32 across : {-side, side}) {
      for (const f32 up : {-side, side}) {
        const RwV3d corner = {view->pos.x + near * view->at.x + across * view->right.x + up * view->up.x,
                              view->pos.y + near * view->at.y + across * view->right.y + up * view->up.y,
                              view->pos.z + near * view->at.z + across * view->right.z + up * view->up.z};
        cut = cut || meets(view->pos, corner);
      }
    }
    return cut;
  };
  // The player 1.2 into the door's room facing into it, the camera settled
  // in the corridor behind the open door, which then starts to close.
  const auto closeBehind = [&](const char* name) {
    cDoor* door = nullptr;
    ForEachClone<cDoor>(world->GetObjectSets(kSetDoors), [&](cDoor* d) { door = d->GetName() == name ? d : door; });
    const RwV3d leaf = door->GetRestPosition();
    const f32 inward = leaf.z > 0.0f ? 1.0f : -1.0f;
    place(RwV3d{leaf.x, 0.0f, leaf.z + 1.2f * inward}, inward > 0.0f ? 0.0f : 3.14159265f);
    door->Open(world, kTriggerAlways);
    for (int tick = 0; tick < 60; tick++) {
      door->Update(kFrame);
      camera->Update(kFrame);
    }
    EXPECT_LT((view->pos.z - leaf.z) * inward, 0.0f) << "the camera in the corridor";
    EXPECT_TRUE(door->Close());
    return door;
  };
  const struct {
    const char* what;
    std::function<cDoor*()> start;
  } rows[] = {
      {"door_a closes", [&] { return closeBehind("door_a"); }},
      {"door_c closes", [&] { return closeBehind("door_c"); }},
      {"dead by the west end",
       [&] {
         place(RwV3d{-0.55f, 0.0f, 0.0f}, 0.0f);
         camera->SetDeathMode();
         return nullptr;
       }},
      {"looks wide across a wall",
       [&] {
         place(RwV3d{8.0f, 0.0f, 0.0f}, 0.5f * 3.14159265f);
         camera->StartLookAt(true, 14.0f, 1.2f, 0.0f);
         return nullptr;
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    cDoor* door = row.start();
    for (int tick = 0; tick < ticks; tick++) {
      if (door != nullptr) {
        door->Update(kFrame);
      }
      camera->Update(kFrame);
      ASSERT_FALSE(blocked()) << "tick " << tick << ": the camera at " << view->pos.x << "," << view->pos.z;
    }
    if (door != nullptr) {
      // Closed, the door cuts the line from the head to the far position.
      EXPECT_EQ(0, door->GetState());
      EXPECT_TRUE(meets(fromPlayer(RwV3d{0.0f, kCamHeadHeight, 0.0f}), fromPlayer(camera->GetRelativePosition())));
      EXPECT_EQ(door->GetCollisionModel()->GetClump(), object != nullptr ? RpAtomicGetClump(object) : nullptr);
    }
  }
}

// Level01 walked as a player walks it, a frame at a time: into room A, along
// its cupboards and with his back to each of them, out and through every
// other door and back, and with his back to bare walls. Every frame the
// camera stands at least kCamOffHead from the head, and never so near a
// surface that one fills half the picture: of rays through a grid over the
// picture, fewer than half meet the level within kNearSurface.
TEST_F(DemoCameraTest, TheCameraKeepsOffTheHeadAndTheWallsOnLevel01sWalks) {
  constexpr f32 kFrame = 0.04f;
  constexpr f32 kWalkSpeed = 1.5f;  // metres a second
  constexpr f32 kPi = 3.14159265f;
  constexpr f32 kNearSurface = 1.0f;
  constexpr f32 kStand = 1.0f;  // seconds at each stop
  constexpr f32 kOn = NAN;      // the heading walked on
  MakeScreenStack();
  cQXWorld* world = LoadDemoLevel01();
  ASSERT_NE(nullptr, world);
  cDorvaMan* player = world->GetPlayer();
  cDorvaCam* camera = world->GetGameCamera();
  std::vector<cDoor*> doors;
  ForEachClone<cDoor>(world->GetObjectSets(kSetDoors), [&](cDoor* door) {
    door->Open(world, kTriggerAlways);
    door->SetHeldOpen(true);
    doors.push_back(door);
  });
  const RwMatrix* view = RwFrameGetLTM(camera->GetFrame());
  const auto surfaceFills = [&] {
    const f32 side = std::tan(camera->GetFieldOfView() * 0.5f);
    int near = 0, rays = 0;
    for (f32 v = -0.75f; v < 0.8f; v += 0.5f) {     // 4 rows over the 4:3 picture
      for (f32 u = -0.83f; u < 0.9f; u += 0.33f) {  // 6 columns
        RwV3d d = {view->at.x + side * (u * view->right.x + v * view->up.x),
                   view->at.y + side * (u * view->right.y + v * view->up.y),
                   view->at.z + side * (u * view->right.z + v * view->up.z)};
        V3dNormalize(&d);
        const RwV3d end = {view->pos.x + kNearSurface * d.x, view->pos.y + kNearSurface * d.y,
                           view->pos.z + kNearSurface * d.z};
        RwV3d point, normal;
        near += world->GetWorldCollision()->IntersectSegment(tSegment3d(view->pos, end), &point, &normal, nullptr, true,
                                                             false, 0, false)
                    ? 1
                    : 0;
        rays++;
      }
    }
    return 2 * near >= rays;
  };
  RwV3d at = {2.0f, 0.0f, 0.0f};  // the level's start, facing east
  f32 heading = 0.5f * kPi;
  camera->Reset();
  int nearFrames = 0, filledFrames = 0;
  const auto frame = [&] {
    RwFrameTranslate(player->GetFrame(), &at, kRwCombineReplace);
    player->SetHeading(heading);
    for (cDoor* door : doors) {
      door->Update(kFrame);
    }
    camera->Update(kFrame);
    const RwV3d head = {at.x, at.y + kCamHeadHeight, at.z};
    const f32 apart = std::hypot(view->pos.x - head.x, view->pos.y - head.y, view->pos.z - head.z);
    nearFrames += apart < kCamOffHead ? 1 : 0;
    filledFrames += surfaceFills() ? 1 : 0;
  };
  const auto turnTo = [&](f32 goal) {
    const f32 step = kKeyTurnSpeed * kFrame;
    for (f32 left = std::remainder(goal - heading, 2.0f * kPi); std::fabs(left) > step;
         left = std::remainder(goal - heading, 2.0f * kPi)) {
      heading += std::copysign(step, left);
      frame();
    }
    heading = goal;
    frame();
  };
  // Walks to the point, turning first to face it; then faces the heading
  // (degrees from +z) and stays.
  const auto go = [&](f32 x, f32 z, f32 degrees) {
    const RwV3d from = at;
    const f32 length = std::hypot(x - from.x, z - from.z);
    if (length > 0.01f) {
      turnTo(std::atan2(x - from.x, z - from.z));
      const int steps = int(length / (kWalkSpeed * kFrame)) + 1;
      for (int step = 1; step <= steps; step++) {
        at.x = from.x + (x - from.x) * f32(step) / f32(steps);
        at.z = from.z + (z - from.z) * f32(step) / f32(steps);
        frame();
      }
    }
    if (!std::isnan(degrees)) {
      turnTo(degrees * kPi / 180.0f);
    }
    for (f32 t = 0.0f; t < kStand; t += kFrame) {
      frame();
    }
  };
  const struct {
    const char* leg;
    std::function<void()> walk;
  } legs[] = {
      {"into room A and along its west cupboards",
       [&] { go(4.0f, 0.0f, kOn), go(4.0f, 5.0f, kOn), go(1.0f, 4.5f, kOn), go(1.0f, 8.7f, kOn); }},
      // A player's capsule is 0.4 round: his back to a cupboard's front.
      {"the back to each of room A's cupboards",
       [&] {
         for (const f32 z : {8.7f, 7.5f, 6.3f, 5.1f, 3.9f}) {
           go(0.95f, z, 90.0f);
         }
         for (const f32 z : {3.9f, 5.1f, 6.3f, 7.5f, 8.7f}) {
           go(7.05f, z, 270.0f);
         }
         for (const f32 x : {5.3f, 2.7f, 1.5f}) {
           go(x, 8.75f, 180.0f);
         }
       }},
      {"the back to room A's far wall and to the corridor's walls",
       [&] { go(4.0f, 9.3f, 180.0f), go(4.0f, 0.0f, kOn), go(8.0f, 2.35f, 180.0f), go(8.0f, -2.35f, 0.0f); }},
      {"through doors C, B and D and back",
       [&] {
         for (const RwV3d& room : {RwV3d{12.0f, 0.0f, -5.0f}, RwV3d{20.0f, 0.0f, 5.0f}, RwV3d{20.0f, 0.0f, -5.0f}}) {
           go(room.x, 0.0f, kOn), go(room.x, room.z, kOn), go(room.x, 0.0f, kOn);
         }
       }},
  };
  for (const auto& leg : legs) {
    SCOPED_TRACE(leg.leg);
    nearFrames = filledFrames = 0;
    leg.walk();
    EXPECT_EQ(0, nearFrames) << "frames nearer than " << kCamOffHead << " to the head";
    EXPECT_EQ(0, filledFrames) << "frames half filled by a surface";
  }
}

}  // namespace
