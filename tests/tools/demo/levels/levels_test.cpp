// Every generated level after the first loaded whole through the level
// world, the player at its start, and stood in its exit: the level plays on
// until then, and ends there with its statistics, whatever its men do to a
// player kept alive. (The first level's own play test loads it.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "game/characters/camera/dorva_cam.h"
#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/save/game_options.h"
#include "game/render/collision/world_collision.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/door.h"
#include "game/world/devices/opener_device.h"
#include "game/world/devices/searchable.h"
#include "game/world/navigation/waypoint_graph.h"
#include "game/world/sensors/sensor_device.h"
#include "game/world/sensors/sensor_kinds.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/tools/demo/levels/ground_spot.h"
#include "tools/demo/demo.h"
#include "tools/demo/implants/implants.h"
#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/levels/level_plan.h"
#include "tools/demo/output.h"
#include "tools/demo/search_texts.h"

namespace {

// The demo data written and a screen stack made; a level loaded through
// every step of its load.
class GeneratedLevelsTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
    ASSERT_TRUE(WriteDemoData());
  }
  cQXWorld* LoadLevel(const char* name) { return LoadWorld(name); }
  // The player protected, the briefing closed and the input free, as a
  // level is played after its briefing.
  static void StartPlaying(cQXWorld* world) {
    world->GetPlayer()->SetProtected(1);
    world->CloseInfoView(true);
    world->SetInputLock(0);
  }
};

constexpr f32 kFrameSeconds = 0.04f;
// Long enough for the exit's message to run out and the level to end.
constexpr int kMostFrames = 500;

TEST_F(GeneratedLevelsTest, EachLevelLoadsAndEndsAtItsExit) {
  const struct {
    const char* level;
    f32 startX, startZ;
    f32 exitX, exitZ;
    s32 radio;  // the dialogue shown a second after the start (-2: none)
  } rows[] = {{"level02", 2.0f, 0.0f, 16.0f, 7.5f, 57},
              {"level03", 2.0f, 0.0f, 18.0f, -7.5f, 57},
              {"level04", 4.0f, 7.0f, 12.0f, -7.5f, -2},
              {"level05", 4.0f, 7.0f, 12.0f, -7.5f, -2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.level);
    cQXWorld* world = LoadLevel(row.level);
    cDorvaMan* player = world->GetPlayer();
    ASSERT_TRUE(player != nullptr);
    const RwV3d start = RwFrameGetLTM(player->GetFrame())->pos;
    EXPECT_NEAR(row.startX, start.x, 1e-3f);
    EXPECT_NEAR(row.startZ, start.z, 1e-3f);
    ASSERT_GE(world->GetMissionFlags().GetCount(), 1u);
    StartPlaying(world);
    for (int frame = 0; frame < kMostFrames / 10; frame++) {
      world->Update(kFrameSeconds);
    }
    EXPECT_EQ(kLevelPlaying, world->GetLevelEndState());  // not before the exit
    // The dialogue holds the level until it is ended.
    EXPECT_EQ(row.radio, world->GetCurrentMessage());
    world->HideMessage(true, true, false);
    const RwV3d exit = {row.exitX, 0.0f, row.exitZ};
    RwFrameTranslate(player->GetFrame(), &exit, kRwCombineReplace);
    for (int frame = 0; frame < kMostFrames && world->GetLevelEndState() == kLevelPlaying; frame++) {
      world->Update(kFrameSeconds);
    }
    EXPECT_EQ(kLevelStatisticsShown, world->GetLevelEndState());
  }
}

// How far a ground spot lies from a segment.
f32 FromSegment(const tSpot& p, const tSpot& a, const tSpot& b) {
  const f32 dx = b.x - a.x, dz = b.z - a.z;
  const f32 t = std::clamp(((p.x - a.x) * dx + (p.z - a.z) * dz) / (dx * dx + dz * dz), 0.0f, 1.0f);
  return Apart(p, {a.x + t * dx, a.z + t * dz});
}

// Far: the way out lies at least this far from the start, farther than
// every other objective. On the way: a guard's round comes this near the
// way from the start through the way out's door to it.
constexpr f32 kFarFromStart = 12.0f;
constexpr f32 kNearTheWay = 2.0f;
constexpr f32 kEyeHeight = 1.6f;

// Each played level's first objective is a way out far from the start,
// behind its door; a guard's round crosses the way there, and no enemy on
// his round sees a player who waits at the start or one a checkpoint
// brings back. Every objective has its object; level01's plans are the
// search bag's mission item, which a search of every one of its cupboards
// and desks gives.
TEST_F(GeneratedLevelsTest, EachWayOutLiesFarFromTheStartPastAGuard) {
  constexpr u32 kSearchBag = 15;
  const struct {
    const char* level;
    u32 objectives;
    const char* guard;  // the guard on the way
    s32 bagged;         // the objective the search bag gives, -1 none
  } rows[] = {{"level01", 4, "guard_1", 1},
              {"level02", 4, "guard_1", -1},
              {"level03", 5, "guard_1", -1},
              {"level04", 1, "guard_1", -1},
              {"level05", 1, "guard_1", -1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.level);
    cQXWorld* world = LoadLevel(row.level);
    ASSERT_EQ(row.objectives, world->GetMissionFlags().GetCount());
    const tSpot start = SpotOf(world->GetPlayer()->GetFrame());

    // Objective index -> where its objects lie; the way out's area.
    std::multimap<s32, tSpot> objects;
    const cSpecialArea* wayOut = nullptr;
    std::vector<tSpot> unseen = {start};  // the start and the checkpoints
    ForEachClone<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas), [&](cSpecialArea* area) {
      objects.insert({area->GetMission(), SpotOf(area->GetFrame())});
      wayOut = area->GetMission() == 0 ? area : wayOut;
      if (area->GetType() == kAreaCheckpoint) {
        unseen.push_back(SpotOf(area->GetFrame()));
      }
    });
    ForEachClone<cOpenerDevice>(world->GetObjectSets(kSetDevices), [&](cOpenerDevice* device) {
      objects.insert({device->GetMission(), SpotOf(device->GetFrame())});
    });
    ForEachClone<cSearchable>(world->GetObjectSets(kSetSearchables), [&](cSearchable* device) {
      objects.insert({row.bagged >= 0 ? row.bagged : device->GetMission(), SpotOf(device->GetFrame())});
    });
    for (s32 objective = 0; objective < s32(row.objectives); objective++) {
      EXPECT_EQ(objective == row.bagged ? kSearchBag : 1u, objects.count(objective)) << "objective " << objective;
    }
    ASSERT_TRUE(wayOut != nullptr);
    EXPECT_EQ(kAreaSpecial, wayOut->GetType());
    const tSpot exit = SpotOf(wayOut->GetFrame());
    EXPECT_GE(Apart(start, exit), kFarFromStart);
    for (const auto& object : objects) {
      if (object.first > 0) {
        EXPECT_LT(Apart(start, object.second), Apart(start, exit)) << "objective " << object.first;
      }
    }

    // The way: from the start along the corridor to the door nearest the way
    // out, then through it.
    tSpot door = start;
    ForEachClone<cDoor>(world->GetObjectSets(kSetDoors), [&](cDoor* d) {
      door = Apart(SpotOf(d->GetFrame()), exit) < Apart(door, exit) ? SpotOf(d->GetFrame()) : door;
    });
    EXPECT_LT(Apart(door, exit), Apart(start, exit)) << "the way out lies behind a door";
    const tSpot inFront = {door.x, 0.0f};  // on the corridor's middle
    const cWaypointGraph& graph = *world->GetWaypointGraph();
    const auto node = [&graph](u32 index) { return tSpot{graph.GetNode(index).x, graph.GetNode(index).z}; };
    bool guarded = false;
    for (u32 i = 2; i < world->GetMen().GetCount(); i++) {
      cNpc* npc = static_cast<cNpc*>(world->GetMen().Get(i));
      if (npc->GetTypeIndex() == kManTypeCivilian) {
        continue;  // civilians only panic
      }
      SCOPED_TRACE(npc->GetName().CStr());
      // The farthest he reacts to a player seen in full light.
      const f32 sight = std::max(npc->GetPerceptionRange(kRangeSearch), npc->GetPerceptionRange(kRangeChase));
      cRecordArray<u32>& round = npc->GetPatrolList();
      for (u32 k = 0; k < round.GetCount(); k++) {
        const tSpot at = node(round[k]);
        for (const tSpot& spot : unseen) {
          RwV3d point, normal;
          const bool walled = world->GetWorldCollision()->IntersectSegment(
              tSegment3d(RwV3d{at.x, kEyeHeight, at.z}, RwV3d{spot.x, kEyeHeight, spot.z}), &point, &normal, nullptr,
              true, false, 0, true);
          EXPECT_TRUE(walled || Apart(at, spot) > sight)
              << "waypoint " << round[k] + 1 << " sees " << spot.x << "," << spot.z;
        }
        const bool onTheWay = std::min({FromSegment(at, start, inFront), FromSegment(at, inFront, door),
                                        FromSegment(at, door, exit)}) <= kNearTheWay;
        guarded = guarded || (onTheWay && npc->GetName() == row.guard);
      }
    }
    EXPECT_TRUE(guarded);
  }
}

// Where a player stands and which way he faces, on the ground.
struct tStance {
  tSpot at;
  tSpot facing;  // of length 1
};

// Stances every step along the legs of a way, each facing along its leg.
void Walk(const std::vector<tSpot>& way, std::vector<tStance>* stances) {
  constexpr f32 kStep = 0.25f;
  for (size_t i = 1; i < way.size(); i++) {
    const f32 length = Apart(way[i - 1], way[i]);
    if (length < kStep) {
      continue;
    }
    const tSpot facing = {(way[i].x - way[i - 1].x) / length, (way[i].z - way[i - 1].z) / length};
    for (f32 along = 0.0f; along <= length; along += kStep) {
      stances->push_back({{way[i - 1].x + facing.x * along, way[i - 1].z + facing.z * along}, facing});
    }
  }
}

// The camera follows a player from its far position, turned with him, while
// the line to it from his head meets no wall. Every level leaves it that room
// along the player's way from the start to the way out and through each door
// into its room, on the corridor's middle line facing across, and half a
// metre from a corridor wall facing it (the camera reaching back across).
TEST_F(GeneratedLevelsTest, TheCameraKeepsInsideTheLevelWhereThePlayerGoes) {
  constexpr f32 kHeadHeight = 1.8f;
  constexpr f32 kOffTheWall = 0.5f;
  constexpr f32 kBackOffTheWall = 0.42f;  // the player's capsule is 0.4 round
  constexpr f32 kIntoTheRoom = 3.0f;
  std::map<std::string, demo::level01::Area> corridors = {{"level01", demo::level01::Spaces()[0]}};
  for (const demo::levels::LevelPlan& plan : demo::levels::Plans()) {
    corridors[plan.name] = plan.spaces[0];
  }
  for (const auto& [level, corridorOfLevel] : corridors) {
    SCOPED_TRACE(level);
    cQXWorld* world = LoadLevel(level.c_str());
    ASSERT_TRUE(world->GetGameCamera() != nullptr);
    // As the level's camera.txt gives it.
    const RwV3d far = world->GetGameCamera()->GetRelativePosition();
    ASSERT_LT(far.z, 0.0f) << "the camera follows from behind";
    const demo::level01::Area corridor = corridorOfLevel;

    const tSpot start = SpotOf(world->GetPlayer()->GetFrame());
    tSpot exit = start;
    ForEachClone<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas), [&](cSpecialArea* area) {
      exit = area->GetMission() == 0 ? SpotOf(area->GetFrame()) : exit;
    });
    std::vector<tSpot> doors;
    ForEachClone<cDoor>(world->GetObjectSets(kSetDoors), [&](cDoor* d) { doors.push_back(SpotOf(d->GetFrame())); });
    ASSERT_FALSE(doors.empty());
    const auto nearest = [&doors](const tSpot& spot) {
      return *std::min_element(doors.begin(), doors.end(),
                               [&spot](const tSpot& a, const tSpot& b) { return Apart(a, spot) < Apart(b, spot); });
    };

    std::vector<tStance> way, rooms, across, offAWall;
    // The way: out of the start's room when it lies in one, along the
    // corridor's middle, through the way out's door to it.
    std::vector<tSpot> path = {start};
    if (std::fabs(start.z) > corridor.z1) {
      const tSpot door = nearest(start);
      path.push_back(door);
      path.push_back({door.x, 0.0f});
    } else {
      path.push_back({start.x, 0.0f});
    }
    const tSpot exitDoor = nearest(exit);
    path.insert(path.end(), {{exitDoor.x, 0.0f}, exitDoor, exit});
    Walk(path, &way);
    for (const tSpot& door : doors) {
      const f32 inward = door.z > 0.0f ? 1.0f : -1.0f;
      Walk({{door.x, 0.0f}, door, {door.x, door.z + inward * kIntoTheRoom}}, &rooms);
    }
    for (f32 x = corridor.x0 + kOffTheWall; x <= corridor.x1 - kOffTheWall; x += 0.5f) {
      for (const f32 side : {-1.0f, 1.0f}) {
        across.push_back({{x, 0.0f}, {0.0f, side}});
        offAWall.push_back({{x, side * (corridor.z1 - kOffTheWall)}, {0.0f, side}});
      }
    }
    const struct {
      const char* what;
      const std::vector<tStance>& stances;
    } rows[] = {
        {"on the way out", way}, {"into each room", rooms}, {"across the corridor", across}, {"off a wall", offAWall}};

    for (const auto& row : rows) {
      SCOPED_TRACE(row.what);
      ASSERT_FALSE(row.stances.empty());
      for (const tStance& stance : row.stances) {
        // The player frame's right vector, its at vector the facing.
        const tSpot right = {stance.facing.z, -stance.facing.x};
        const RwV3d head = {stance.at.x, kHeadHeight, stance.at.z};
        const RwV3d camera = {stance.at.x + far.x * right.x + far.z * stance.facing.x, far.y,
                              stance.at.z + far.x * right.z + far.z * stance.facing.z};
        RwV3d point = {0.0f, 0.0f, 0.0f}, normal = {0.0f, 0.0f, 0.0f};
        const bool walled = world->GetWorldCollision()->IntersectSegment(tSegment3d(head, camera), &point, &normal,
                                                                         nullptr, true, false, 0, true);
        EXPECT_FALSE(walled) << "a player at " << stance.at.x << "," << stance.at.z << " facing " << stance.facing.x
                             << "," << stance.facing.z << ": a wall at " << point.x << "," << point.y << "," << point.z;
        if (walled) {
          break;  // one a row tells enough
        }
      }
    }

    // With his back to a wall the camera stays at the wall, or, nearer than
    // BLEND_MIN, pulls in to the shoulder point, which no wall may hide.
    cDorvaCam* camera = world->GetGameCamera();
    RwV3d shoulder = {0.0f, 0.0f, 0.0f}, shoulderLookAt = {0.0f, 0.0f, 0.0f};
    camera->ComputeShoulderPoints(&shoulder, &shoulderLookAt);
    const RwV3d& player = RwFrameGetLTM(world->GetPlayer()->GetFrame())->pos;
    const f32 shoulderBehind = std::hypot(shoulder.x - player.x, shoulder.z - player.z);
    const f32 shoulderHeight = shoulder.y - player.y;
    SCOPED_TRACE("back to a wall");
    for (f32 x = corridor.x0 + 1.0f; x <= corridor.x1 - 1.0f; x += 0.5f) {
      for (const f32 side : {-1.0f, 1.0f}) {
        const tSpot at = {x, side * (corridor.z1 - kBackOffTheWall)};
        const RwV3d head = {at.x, kHeadHeight, at.z};
        RwV3d point = {0.0f, 0.0f, 0.0f}, normal = {0.0f, 0.0f, 0.0f};
        // Facing away from the wall: behind him is toward it.
        const RwV3d behind = {at.x, far.y, at.z + side * -far.z};
        if (!world->GetWorldCollision()->IntersectSegment(tSegment3d(head, behind), &point, &normal, nullptr, true,
                                                          false, 0, true)) {
          continue;
        }
        const f32 dist = std::sqrt((point.x - head.x) * (point.x - head.x) + (point.y - head.y) * (point.y - head.y) +
                                   (point.z - head.z) * (point.z - head.z));
        if (dist >= camera->GetBlendMin()) {
          continue;  // the camera stays on the wall's face
        }
        const RwV3d pulledIn = {at.x, shoulderHeight, at.z + side * shoulderBehind};
        const bool hidden = world->GetWorldCollision()->IntersectSegment(tSegment3d(head, pulledIn), &point, &normal,
                                                                         nullptr, true, false, 0, true);
        EXPECT_FALSE(hidden) << "a player at " << at.x << "," << at.z << ": the shoulder point behind a wall at "
                             << point.z;
        if (hidden) {
          return;  // one tells enough
        }
      }
    }
  }
}

// A profile's level index counts its completed levels (after 4 it wraps to
// 0), and Continue starts the level numbered one above it. Finished games
// continued one after another, on either difficulty, start only levels the
// configuration holds, each of whose chains ends the game.
TEST_F(GeneratedLevelsTest, ContinuedFinishedGamesStartOnlyLevelsThereAre) {
  const auto next = [this](const std::string& level, bool hard) {
    const cPropertyGroup* group = mConfig.FindGroup(cString(level.c_str()));
    const cProperty* harder = group != nullptr ? group->FindProperty(cString("NEXTSTAGEHARD")) : nullptr;
    const cProperty* normal = group != nullptr ? group->FindProperty(cString("NEXTSTAGE")) : nullptr;
    const cProperty* taken = hard && harder != nullptr ? harder : normal;
    return taken != nullptr ? std::string(taken->GetValue().CStr()) : std::string();
  };
  const struct {
    bool hard;
    u32 indexAtTheEnd;  // of the first game
  } rows[] = {{false, 2}, {true, 3}};
  const std::set<std::string> everyNumberedLevel = {"level01", "level02", "level03", "level04", "level05"};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.hard ? "hard" : "normal");
    std::set<std::string> started;
    u32 index = 0;
    std::string level = "level01";
    for (int game = 0; game < 8; game++) {
      SCOPED_TRACE("game " + std::to_string(game));
      for (int played = 0; level != "level99"; played++) {
        SCOPED_TRACE(level);
        ASSERT_LT(played, 6) << "the chain ends the game";
        ASSERT_TRUE(mConfig.FindGroup(cString(level.c_str())) != nullptr);
        started.insert(level);
        index = index == 4 ? 0 : index + 1;
        level = next(level, row.hard);
      }
      if (game == 0) {
        EXPECT_EQ(row.indexAtTheEnd, index);
      }
      level = "level0" + std::to_string(index + 1);
    }
    EXPECT_EQ(everyNumberedLevel, started);
  }
  // "level99" ends the game before it is loaded: no level bears the name.
  EXPECT_TRUE(mConfig.FindGroup(cString("level99")) == nullptr);
  EXPECT_NE(0, access("data/level99", F_OK));
}

// The waypoint nearest a ground position.
u32 NearestNode(const cWaypointGraph& graph, const tSpot& at) {
  u32 nearest = 0;
  for (u32 i = 1; i < graph.GetNodeCount(); i++) {
    const tSpot a = {graph.GetNode(i).x, graph.GetNode(i).z}, b = {graph.GetNode(nearest).x, graph.GetNode(nearest).z};
    nearest = Apart(a, at) < Apart(b, at) ? i : nearest;
  }
  return nearest;
}

// Each alarmed place of the level, a sensor or a device with an ALERTED
// list: its name, where it stands and the men the list names.
void ForEachAlarm(cQXWorld* world,
                  const std::function<void(const char*, const tSpot&, const cPtrArray&)>& visit) {
  for (cListNode* node = world->GetSensors().First(); node != nullptr; node = cList::Next(node)) {
    const cSensorDevice* sensor = static_cast<const cSensorDevice*>(static_cast<cListLink*>(node)->GetObject());
    visit(sensor->GetName().CStr(), SpotOf(sensor->GetFrame()), sensor->GetAlerted());
  }
  for (cListNode* node = world->GetUsableDevices().First(); node != nullptr; node = cList::Next(node)) {
    const cDevice* device = cDevice::FromLink(node);
    const eObjectSetKind kind = device->GetKind();
    if (kind == kSetDevices || kind == kSetMultiDevices || kind == kSetLevers || kind == kSetMultiLevers) {
      const cOpenerDevice* opener = static_cast<const cOpenerDevice*>(device);
      visit(opener->GetName().CStr(), SpotOf(opener->GetFrame()), opener->GetAlerted());
    }
  }
}

// A man an alarm calls comes: every man a sensor's or a device's ALERTED
// list names finds a route over the waypoint graph from where he stands to
// the waypoint nearest the alarmed place. Each level's lists name someone.
TEST_F(GeneratedLevelsTest, EveryAlarmedManCanReachTheAlarm) {
  const struct {
    const char* level;
    u32 alerted;  // names in all its lists together
  } rows[] = {{"level01", 7}, {"level02", 2}, {"level03", 4}, {"level04", 1}, {"level05", 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.level);
    cQXWorld* world = LoadLevel(row.level);
    cWaypointGraph& graph = *world->GetWaypointGraph();
    u32 alerted = 0;
    ForEachAlarm(world, [&](const char* alarm, const tSpot& place, const cPtrArray& men) {
      for (u32 i = 0; i < men.GetCount(); i++) {
        cMan* man = static_cast<cMan*>(men.Get(i));
        SCOPED_TRACE(std::string(alarm) + " calls " + man->GetName().CStr());
        cRecordArray<u32> route;
        EXPECT_TRUE(graph.FindRoute(NearestNode(graph, SpotOf(man->GetFrame())), NearestNode(graph, place), &route));
        alerted++;
      }
    });
    EXPECT_EQ(row.alerted, alerted);
  }
}

// An alarm brings the office's men out: the men an alarmed place calls are
// alarmed while the player waits in the corridor in front of it, and the
// office's man among them comes out into the corridor.
TEST_F(GeneratedLevelsTest, AlarmedMenComeOutOfTheOffice) {
  const struct {
    const char* level;
    const char* place;
    const char* man;  // in the office
  } rows[] = {
      {"level02", "seccam_1", "guard_2"}, {"level03", "listener_1", "gangster_1"}, {"level03", "edspanel_1", "boss_1"}};
  constexpr int kAlarmFrames = 750;  // 30 seconds
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.level) + " " + row.place + " " + row.man);
    cQXWorld* world = LoadLevel(row.level);
    StartPlaying(world);
    world->HideMessage(true, true, false);
    tSpot place = {0.0f, 0.0f};
    const cPtrArray* alerted = nullptr;
    ForEachAlarm(world, [&](const char* name, const tSpot& at, const cPtrArray& men) {
      if (std::string(name) == row.place) {
        place = at;
        alerted = &men;
      }
    });
    ASSERT_TRUE(alerted != nullptr);
    const RwV3d waiting = {place.x, 0.0f, 0.0f};
    RwFrameTranslate(world->GetPlayer()->GetFrame(), &waiting, kRwCombineReplace);
    cNpc* man = nullptr;
    for (u32 i = 0; i < alerted->GetCount(); i++) {
      cNpc* npc = static_cast<cNpc*>(alerted->Get(i));
      man = npc->GetName() == cString(row.man) ? npc : man;
      npc->OnAlarm();
    }
    ASSERT_TRUE(man != nullptr) << "not called";
    const f32 corridor = demo::level01::kCorridorHalfWidth;
    EXPECT_GT(std::fabs(SpotOf(man->GetFrame()).z), corridor);  // in the office
    bool out = false;
    for (int frame = 0; frame < kAlarmFrames && !out; frame++) {
      world->Update(kFrameSeconds);
      world->HideMessage(true, true, false);  // the radio dialogue would hold the level
      out = std::fabs(SpotOf(man->GetFrame()).z) < corridor;
    }
    EXPECT_TRUE(out) << "at " << SpotOf(man->GetFrame()).x << "," << SpotOf(man->GetFrame()).z;
  }
}

constexpr f32 kUseAside = 0.3f;  // a player stands this far aside of a device's middle

// Paired devices say what they do, use by use, each used as the player
// uses it, facing it from a step away in the corridor: level02's
// synchronised buttons open the door at the first press, level03's levers
// count those still down and open the door when both are up.
TEST_F(GeneratedLevelsTest, PairedDevicesTellWhatTheyDo) {
  const struct {
    const char* level;
    const char* device;
    const char* text;  // the message shown after the use
    bool opens;        // door_1 opening or open a second later
  } rows[] = {{"level02", "sbutton_2", "Both buttons go down together: the door opens.", true},
              {"level03", "mlever_1", "Levers still down: 1 of 2.", false},
              {"level03", "mlever_2", "Both levers are up: the door opens.", true}};
  gGameOptions->SetLanguage(1);  // English
  std::string loaded;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.level) + " " + row.device);
    if (loaded != row.level) {
      StartPlaying(LoadLevel(row.level));
      loaded = row.level;
    }
    cDevice* wanted = nullptr;
    cDoor* door = nullptr;
    for (cListNode* node = mWorld->GetUsableDevices().First(); node != nullptr; node = cList::Next(node)) {
      cDevice* d = cDevice::FromLink(node);
      wanted = d->GetName() == cString(row.device) ? d : wanted;
      door = d->GetName() == cString("door_1") ? static_cast<cDoor*>(d) : door;
    }
    ASSERT_TRUE(wanted != nullptr && door != nullptr);
    // The wall it hangs on is the nearer of the corridor's two.
    const RwV3d at = RwFrameGetLTM(wanted->GetFrame())->pos;
    const f32 away = at.z > 0.0f ? -1.0f : 1.0f;
    const RwV3d facing = {0.0f, 0.0f, -away};
    cDevice* used = nullptr;
    for (const f32 aside : {-kUseAside, kUseAside, 0.0f}) {  // the other device of a pair stays out of reach
      const RwV3d eye = {at.x + aside, kUseReferenceHeight, at.z + away};
      used = mWorld->FindUsableDevice(eye, facing, kTriggerNone);
      ASSERT_TRUE(used != nullptr) << aside;
      EXPECT_STREQ(row.device, used->GetName().CStr()) << aside;
    }
    mWorld->HideMessage(true, true, false);
    used->Use(mWorld.get(), kTriggerNone);
    ASSERT_GE(mWorld->GetCurrentMessage(), 0);
    EXPECT_STREQ(row.text, mWorld->GetMessageText(u32(mWorld->GetCurrentMessage())).CStr());
    for (int frame = 0; frame < 30; frame++) {  // the lever's swing
      mWorld->Update(kFrameSeconds);
    }
    const s32 state = door->GetState();
    EXPECT_EQ(row.opens, state == kDoorOpening || state == kDoorOpen) << "door state " << state;
  }
  gGameOptions->SetLanguage(0);
}

// What a loaded level holds: its kinds of object set, device types (panels
// by their implant), area types, timers, implant targets, man types, bodies
// and a boss.
void Note(cQXWorld* world, std::set<std::string>* found) {
  for (u32 kind = 0; kind < kObjectSetKindCount; kind++) {
    found->insert(world->GetObjectSets(eObjectSetKind(kind)).GetCount() > 0 ? "set " + std::to_string(kind) : "");
  }
  ForEachClone<cOpenerDevice>(world->GetObjectSets(kSetDevices), [&](cOpenerDevice* device) {
    found->insert("device " + std::to_string(device->GetType()) + (device->ListensTo(kTriggerEds) ? " eds" : ""));
  });
  ForEachClone<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas),
                             [&](cSpecialArea* area) { found->insert("area " + std::to_string(area->GetType())); });
  found->insert(world->GetTimerDevices().GetCount() > 0 ? "timer" : "");
  for (cListNode* node = world->GetUsableDevices().First(); node != nullptr; node = cList::Next(node)) {
    const cDevice* device = static_cast<const cDevice*>(static_cast<cListLink*>(node)->GetObject());
    found->insert(device->ListensTo(kTriggerLaser) ? "laser target" : "");
    found->insert(device->ListensTo(kTriggerEds) ? "eds target" : "");
  }
  for (u32 i = 0; i < world->GetMen().GetCount(); i++) {
    cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
    found->insert("type " + std::to_string(man->GetTypeIndex()));
    found->insert("body " + std::to_string(man->GetBodyIndex()));
    found->insert(man->GetTypeIndex() >= kManTypeCivilian && static_cast<cNpc*>(man)->IsBoss() ? "boss" : "");
  }
}

TEST_F(GeneratedLevelsTest, TogetherTheLevelsHoldEveryKindOfObjectAndMan) {
  std::set<std::string> found;
  std::vector<u32> searchables;  // by level
  for (const char* level : {"level01", "level02", "level03", "level04"}) {
    SCOPED_TRACE(level);
    LoadLevel(level);
    // Every man of its file walks in it; the implants' messages are there.
    cString men;
    EXPECT_EQ(mWorld->GetMenFile()
                  .FindGroup(cString("Men"))
                  ->FindProperty(cString("MEN"))
                  ->GetValue()
                  .FindArray(&men, '[', ']'),
              mWorld->GetMen().GetCount());
    EXPECT_LE(u32(demo::FirstImplantMessage(demo::level01::kMessageCount) + 6), mWorld->GetMessageCount());
    Note(mWorld.get(), &found);
    // The search shows a body's nothing, the memos, health, pizza, energy,
    // a body's card and key by these indexes, in either language.
    for (const u32 language : {0u, 1u}) {
      gGameOptions->SetLanguage(language);
      mWorld->LoadTexts();
      for (const int index : {39, 40, 41, 42, 49, 50, 51, 52, 53}) {
        const demo::LevelText& text = demo::SearchText(index);
        EXPECT_STREQ(language == 0 ? text.german : text.english, mWorld->GetMessageText(u32(index)).CStr()) << index;
      }
    }
    gGameOptions->SetLanguage(0);
    searchables.push_back(0);
    ForEachClone<cSearchable>(mWorld->GetObjectSets(kSetSearchables), [&](cSearchable*) { searchables.back()++; });
  }
  EXPECT_EQ(15u, *std::max_element(searchables.begin(), searchables.end()));  // the most a level holds
  // Panels (2), key, card, disguise, special pickup; the taser and dart aim at guards (type 3).
  std::set<std::string> wanted = {"timer",        "laser target", "eds target", "boss",     "device 1", "device 2",
                                  "device 2 eds", "device 4",     "device 5",   "device 7", "device 8"};
  for (const auto& codes : {std::make_pair("body ", kManBodyCount), std::make_pair("type ", u32(kManTypeCount)),
                            std::make_pair("area ", 4u), std::make_pair("set ", u32(kObjectSetKindCount))}) {
    for (u32 i = 0; i < codes.second; i++) {
      wanted.insert(codes.first + std::to_string(i));
    }
  }
  std::set<std::string> missing;
  std::set_difference(wanted.begin(), wanted.end(), found.begin(), found.end(), std::inserter(missing, missing.end()));
  EXPECT_EQ(std::set<std::string>(), missing);
}

}  // namespace
