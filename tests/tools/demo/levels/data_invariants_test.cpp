// The demo data's invariants: rules that every file, or every level loaded
// whole through the level world, keeps; one row a rule. A rule answers with
// what breaks it, one line each, or nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "game/characters/player/dorva_man.h"
#include "game/foundation/property.h"
#include "game/render/collision/collision_volume.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/static_lit_clump_ro.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/door.h"
#include "game/world/devices/searchable.h"
#include "game/world/devices/timer_device.h"
#include "game/world/navigation/waypoint_graph.h"
#include "game/world/sensors/sensor_kinds.h"
#include "tests/game/characters/world_fixture.h"
#include "tests/tools/demo/levels/ground_spot.h"
#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/level01/map_plan.h"

namespace {

using tBreaks = std::vector<std::string>;

const char* const kInvariantLevels[] = {"level01", "level02", "level03", "level04", "level05"};

// The longest an effect keeps emitting: a laser's cut.
constexpr f32 kLongestEmission = 3.0f;
// The search bag's items: a level's searchables draw one each.
constexpr u32 kSearchBagItems = 15;
// The objective a search's mission item completes: the second.
constexpr s32 kBagObjective = 1;
// Nobody starts nearer than this to where the player starts or comes back.
constexpr f32 kClearAround = 3.0f;
// Where a player stands to use a thing: this near and far from its use point
// across the floor, within kReachAside of a side it is used from (all round
// for a thing used from every side), facing it.
constexpr f32 kReachNear = 0.6f;
constexpr f32 kReachFar = 1.0f;
constexpr f32 kReachAside = 30.0f * 3.14159265f / 180.0f;
// Nobody faces a thing exactly: the player may look this far to either side.
constexpr f32 kFacingSlack = 10.0f * 3.14159265f / 180.0f;

std::string ValueOf(const cPropertyGroup& group, const char* key) {
  const cProperty* property = group.FindProperty(cString(key));
  return property != nullptr ? property->GetValue().CStr() : std::string();
}

// When an envelope's last key lies, in seconds: 0 for a rate of nothing, a
// constant rate never ends.
f32 EnvelopeEnd(const std::string& text) {
  if (text.find('{') == std::string::npos) {
    return std::strtof(text.c_str(), nullptr) == 0.0f ? 0.0f : std::numeric_limits<f32>::infinity();
  }
  f32 end = 0.0f;
  for (size_t at = text.find('{'); at != std::string::npos; at = text.find('{', at + 1)) {
    end = std::max(end, std::strtof(text.c_str() + at + 1, nullptr));
  }
  return end;
}

bool IsHitImpactOrBlock(const std::string& path) {
  return path.find("hit") != std::string::npos || path.find("impact") != std::string::npos ||
         path.find("block") != std::string::npos;
}

// Calls back with every element group of every particle file.
void ForEachParticleElement(const std::function<void(const std::string&, const cPropertyGroup&)>& visit) {
  for (const std::string& path : demo::ParticleFileNames()) {
    cPropertyFile file;
    if (!file.Load(cString(path.c_str()))) {
      visit(path, cPropertyGroup());
      continue;
    }
    for (u32 g = 0; g < file.GetCount(); g++) {
      if (file.GetGroup(g).GetName() != cString("init")) {
        visit(path, file.GetGroup(g));
      }
    }
  }
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Where(const tSpot& at) {
  char text[48];
  std::snprintf(text, sizeof text, "(%.1f, %.1f)", static_cast<double>(at.x), static_cast<double>(at.z));
  return text;
}

// Where the player starts and where he comes back: the checkpoints.
std::vector<tSpot> StartAndCheckpoints(cQXWorld* world) {
  std::vector<tSpot> spots = {SpotOf(world->GetPlayer()->GetFrame())};
  ForEachClone<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas), [&](cSpecialArea* area) {
    if (area->GetType() == kAreaCheckpoint) {
      spots.push_back(SpotOf(area->GetFrame()));
    }
  });
  return spots;
}

// The device that the HUD's sign shows, and Space uses, for a player whose
// use ray starts at point along direction: as the player's hint picks it.
cDevice* SignedDevice(cQXWorld* world, const RwV3d& point, const RwV3d& direction) {
  cDevice* device = world->FindUsableDevice(point, direction, kTriggerNone);
  device = device != nullptr ? device : world->FindUsableDeviceOfType(point, direction, false);
  return device != nullptr ? device : world->FindUsableDeviceOfType(point, direction, true);
}

// The player can stand at the spot: a floor under him, his volume touching
// nothing.
bool CanStand(cQXWorld* world, const tSpot& spot) {
  cWorldCollision* collision = world->GetWorldObject();
  RwV3d point, normal;
  if (!collision->IntersectSegment(tSegment3d(RwV3d{spot.x, 0.5f, spot.z}, RwV3d{spot.x, -0.5f, spot.z}), &point,
                                   &normal, nullptr, true, false, 0, false) ||
      std::fabs(point.y) > 0.05f) {
    return false;
  }
  cDorvaMan* player = world->GetPlayer();
  const RwV3d at = {spot.x, 0.0f, spot.z};
  RwFrameTranslate(player->GetFrame(), &at, kRwCombineReplace);
  return collision->CollideVolume(player->GetCollisionVolume(), true, 0) == 0;
}

// A spot in front of a side of a device, and that side's use point.
struct tReach {
  tSpot spot;
  RwV3d use;
};

// The spots in front of each side of the device that it is used from; those
// where nobody can stand are left out.
std::vector<tReach> ReachSpots(cQXWorld* world, const cDevice& device) {
  std::vector<tReach> spots;
  const bool allRound = device.GetUseCosine() < -0.99f;
  for (const bool back : {false, true}) {
    if (!device.IsTwoSided() && device.IsOtherSide() != back) {
      continue;
    }
    RwV3d use, facing;
    device.GetUsePoint(&use, back);
    device.GetUseDirection(&facing, back);
    const f32 heading = std::atan2(facing.x, facing.z);
    const int steps = allRound ? 12 : 5;
    for (int step = 0; step < steps; step++) {
      const f32 angle = allRound ? heading + (f32(step) + 0.5f) * 3.14159265f / 6.0f
                                 : heading + kReachAside * (f32(step) / 2.0f - 1.0f);
      for (const f32 distance : {kReachNear, 0.5f * (kReachNear + kReachFar), kReachFar}) {
        const tSpot spot = {use.x + distance * std::sin(angle), use.z + distance * std::cos(angle)};
        if (CanStand(world, spot)) {
          spots.push_back({spot, use});
        }
      }
    }
  }
  return spots;
}

// How wide a door's leaf is along its frame's right axis, from its model's
// vertices: the doorway it closes, whichever way it opens.
RpAtomic* WidenByAtomic(RpAtomic* atomic, void* data) {
  f32* span = static_cast<f32*>(data);
  const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
  const RpMorphTarget* target = geometry != nullptr ? RpGeometryGetMorphTarget(geometry, 0) : nullptr;
  for (RwInt32 i = 0; target != nullptr && target->verts != nullptr && i < geometry->numVertices; i++) {
    span[0] = std::min(span[0], target->verts[i].x);
    span[1] = std::max(span[1], target->verts[i].x);
  }
  return atomic;
}

// The doorway across the opening on the ground plane, lifting doors
// included (the graph's own segment of a lifting door has no length).
tSegment2d LeafDoorway(cDoor* door) {
  f32 span[2] = {std::numeric_limits<f32>::max(), -std::numeric_limits<f32>::max()};
  RpClumpForAllAtomics(door->GetModel()->GetClump(), WidenByAtomic, span);
  const RwV3d& use = door->GetUsePointLocal();
  const RwV3d& rest = door->GetRestPosition();
  RwV3d right;
  V3dNormalized(&RwFrameGetLTM(door->GetFrame())->right, &right);
  const f32 half = span[1] > span[0] ? (span[1] - span[0]) * 0.5f : 0.0f;
  const RwV2d centre = {rest.x + use.x, rest.z + use.z};
  return tSegment2d(RwV2d{centre.x - right.x * half, centre.y - right.z * half},
                    RwV2d{centre.x + right.x * half, centre.y + right.z * half});
}

// The rules on the files as written.
struct tFileRule {
  const char* rule;
  std::function<tBreaks()> check;
};

// The rules on a level loaded whole.
struct tLevelRule {
  const char* rule;
  std::function<tBreaks(const std::string& level, cQXWorld* world)> check;
};

const std::vector<tFileRule>& FileRules() {
  static const std::vector<tFileRule> rules = {
      {"every particle effect stops emitting within three seconds of its start",
       [] {
         tBreaks breaks;
         ForEachParticleElement([&](const std::string& path, const cPropertyGroup& element) {
           const f32 end = EnvelopeEnd(ValueOf(element, "RATE"));
           if (element.GetCount() == 0 || !(end <= kLongestEmission)) {
             breaks.push_back(path + " " + element.GetName().CStr() + " emits until " + std::to_string(end) + " s");
           }
         });
         return breaks;
       }},
      {"the effect of a hit, an impact or a block is one burst",
       [] {
         tBreaks breaks;
         ForEachParticleElement([&](const std::string& path, const cPropertyGroup& element) {
           if (IsHitImpactOrBlock(path) &&
               (EnvelopeEnd(ValueOf(element, "RATE")) != 0.0f || std::atoi(ValueOf(element, "BURST").c_str()) <= 0)) {
             breaks.push_back(path + " " + element.GetName().CStr());
           }
         });
         return breaks;
       }},
      // The in-game options write nothing when left; only the main menu's
      // options save. Both show the left-right footer.
      {"the options' left-right footer tells what Esc does and promises no save",
       [] {
         tBreaks breaks;
         for (const char* path : {"data/menu/text_eng.txt", "data/menu/text_d.txt"}) {
           cPropertyFile file;
           const cPropertyGroup* text = file.Load(cString(path)) ? file.FindGroup(cString("text")) : nullptr;
           const std::string footer = text != nullptr ? Lower(ValueOf(*text, "OPTION_FOOTER_LEFT_RIGHT")) : "";
           if (footer.find("esc") == std::string::npos || footer.find("save") != std::string::npos ||
               footer.find("speicher") != std::string::npos) {
             breaks.push_back(std::string(path) + ": \"" + footer + "\"");
           }
         }
         return breaks;
       }},
      // A menu whose items are chosen says so: its footer names the key.
      {"every menu with items names Enter in its footer",
       [] {
         tBreaks breaks;
         for (const char* path : {"data/menu/text_eng.txt", "data/menu/text_d.txt"}) {
           cPropertyFile file;
           const cPropertyGroup* text = file.Load(cString(path)) ? file.FindGroup(cString("text")) : nullptr;
           if (text == nullptr) {
             breaks.push_back(std::string(path) + ": no texts");
             continue;
           }
           for (u32 i = 0; i < text->GetCount(); i++) {
             const std::string key = text->GetProperty(i).GetName().CStr();
             const size_t item = key.size() - std::min<size_t>(key.size(), 7);  // a menu's first item
             const std::string footer = key.compare(item, 7, "_ITEM00") == 0
                                            ? ValueOf(*text, (key.substr(0, item) + "_FOOTER").c_str())
                                            : "Enter";
             if (footer.find("Enter") == std::string::npos) {
               breaks.push_back(std::string(path) + ": " + key + " \"" + footer + "\"");
             }
           }
         }
         return breaks;
       }},
      // The full map draws a plan seen from below (map_plan.h); half a turn
      // shows it from above, east to the right, as the README describes it.
      {"every level's full map turns its plan half round",
       [] {
         tBreaks breaks;
         cPropertyFile config;
         config.Load(cString("data/config.txt"));
         for (const char* level : kInvariantLevels) {
           const cPropertyGroup* group = config.FindGroup(cString(level));
           if (group == nullptr || std::atoi(ValueOf(*group, "MAP_ANGLE").c_str()) != demo::kMapAngle) {
             breaks.push_back(level);
           }
         }
         return breaks;
       }},
  };
  return rules;
}

const std::vector<tLevelRule>& LevelRules() {
  static const std::vector<tLevelRule> rules = {
      {"no man starts within 3 m of the player's start or of a checkpoint",
       [](const std::string&, cQXWorld* world) {
         const std::vector<tSpot> clear = StartAndCheckpoints(world);
         tBreaks breaks;
         for (u32 i = 2; i < world->GetMen().GetCount(); i++) {  // after the player and his double
           cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
           for (const tSpot& spot : clear) {
             if (Apart(SpotOf(man->GetFrame()), spot) < kClearAround) {
               breaks.push_back(std::string(man->GetName().CStr()) + " starts beside " + Where(spot));
             }
           }
         }
         return breaks;
       }},
      // A civilian who panics runs to the graph's first waypoint and stays
      // there a while: not where the player starts or comes back.
      {"a panicking civilian's refuge lies 3 m or more from the start and the checkpoints",
       [](const std::string&, cQXWorld* world) {
         const cWaypointGraph::tNode& refuge = world->GetWaypointGraph()->GetNode(0);
         const std::vector<tSpot> clear = StartAndCheckpoints(world);
         tBreaks breaks;
         for (const tSpot& spot : clear) {
           if (Apart({refuge.x, refuge.z}, spot) < kClearAround) {
             breaks.push_back("the refuge " + Where({refuge.x, refuge.z}) + " beside " + Where(spot));
           }
         }
         return breaks;
       }},
      // A man walks through a closed door on an edge the graph holds no door
      // on: he neither opens it nor collides with it.
      {"no waypoint edge crosses a doorway the graph does not hold as that door's",
       [](const std::string&, cQXWorld* world) {
         const cWaypointGraph* graph = world->GetWaypointGraph();
         tBreaks breaks;
         ForEachClone<cDoor>(world->GetObjectSets(kSetDoors), [&](cDoor* door) {
           const tSegment2d doorway = LeafDoorway(door);
           for (u32 i = 0; i < graph->GetEdgeCount(); i++) {
             const cWaypointGraph::tEdge& edge = graph->GetEdge(i);
             const cWaypointGraph::tNode& a = graph->GetNode(edge.a);
             const cWaypointGraph::tNode& b = graph->GetNode(edge.b);
             const tSegment2d span(RwV2d{a.x, a.z}, RwV2d{b.x, b.z});
             if (span.CrossesWithin(doorway) && doorway.CrossesWithin(span) &&
                 graph->FindEdge(edge.a, edge.b) != door) {
               breaks.push_back("waypoints " + std::to_string(edge.a + 1) + "-" + std::to_string(edge.b + 1) +
                                " through " + door->GetName().CStr());
             }
           }
         });
         return breaks;
       }},
      // A sixteenth search would draw from an empty bag.
      {"a level holds at most the search bag's fifteen searchables",
       [](const std::string&, cQXWorld* world) {
         u32 count = 0;
         ForEachClone<cSearchable>(world->GetObjectSets(kSetSearchables), [&](cSearchable*) { count++; });
         return count <= kSearchBagItems ? tBreaks() : tBreaks{std::to_string(count) + " searchables"};
       }},
      // The README sends the player to room A's furniture for the plans, the
      // bag's mission item: a search of all of it must give it.
      {"level01's room A holds its whole search bag",
       [](const std::string& level, cQXWorld* world) {
         if (level != "level01") {
           return tBreaks();
         }
         const demo::level01::Area& room = demo::level01::Spaces()[1];
         tBreaks breaks;
         u32 inside = 0;
         ForEachClone<cSearchable>(world->GetObjectSets(kSetSearchables), [&](cSearchable* searchable) {
           const tSpot at = SpotOf(searchable->GetFrame());
           const bool in = at.x > room.x0 && at.x < room.x1 && at.z > room.z0 && at.z < room.z1;
           inside += in ? 1 : 0;
           if (!in) {
             breaks.push_back(std::string(searchable->GetName().CStr()) + " at " + Where(at));
           }
         });
         if (inside != kSearchBagItems) {
           breaks.push_back(std::to_string(inside) + " searchables in " + room.name);
         }
         return breaks;
       }},
      // A lucky search must not take an objective that a device or a place
      // gives; and an objective that only luck gives cannot be counted on.
      {"a search completes only the second objective, its own, which a search of every searchable gives",
       [](const std::string&, cQXWorld* world) {
         u32 searchables = 0;
         ForEachClone<cSearchable>(world->GetObjectSets(kSetSearchables), [&](cSearchable*) { searchables++; });
         tBreaks breaks;
         if (searchables == 0) {
           return breaks;
         }
         for (cListNode* node = world->GetUsableDevices().First(); node != nullptr; node = cList::Next(node)) {
           const cDevice* device = cDevice::FromLink(node);
           if (device->GetMission() == kBagObjective) {
             breaks.push_back(std::string(device->GetName().CStr()) + " completes it too");
           }
         }
         ForEachClone<cSpecialArea>(world->GetObjectSets(kSetSpecialAreas), [&](cSpecialArea* area) {
           if (area->GetMission() == kBagObjective) {
             breaks.push_back(std::string(area->GetName().CStr()) + " completes it too");
           }
         });
         if (world->GetMissionFlags().GetCount() > u32(kBagObjective) && searchables != kSearchBagItems) {
           breaks.push_back(std::to_string(searchables) + " searchables hold it by luck");
         }
         return breaks;
       }},
      // A search shows only what it finds: a searchable's own messages,
      // objective and lists mislead whoever reads the level's data.
      {"no searchable carries a message, an objective or a list its use ignores",
       [](const std::string&, cQXWorld* world) {
         tBreaks breaks;
         ForEachClone<cSearchable>(world->GetObjectSets(kSetSearchables), [&](cSearchable* s) {
           if (s->GetMessage() >= 0 || s->GetPartialMessage() >= 0 || s->GetMission() >= 0 ||
               s->GetDoors().GetCount() + s->GetSecurity().GetCount() + s->GetDevices().GetCount() != 0) {
             breaks.push_back(s->GetName().CStr());
           }
         });
         return breaks;
       }},
      // A player who walks up to a thing and faces it uses it without a
      // search for the one spot it answers from. A pickup below the floor
      // is given by a body's search, not taken.
      {"every device, panel and pickup is used from wherever a player stands 0.6 to 1 m in front of it, facing it",
       [](const std::string&, cQXWorld* world) {
         tBreaks breaks;
         const RwV3d start = RwFrameGetLTM(world->GetPlayer()->GetFrame())->pos;
         for (cListNode* node = world->GetUsableDevices().First(); node != nullptr; node = cList::Next(node)) {
           cDevice* device = cDevice::FromLink(node);
           RwV3d use;
           device->GetUsePoint(&use, false);
           if (use.y < 0.0f) {
             continue;
           }
           const std::string name = device->GetName().CStr();
           const std::vector<tReach> spots = ReachSpots(world, *device);
           if (spots.empty()) {
             breaks.push_back(name + ": nowhere to stand");
           }
           for (const tReach& reach : spots) {
             const RwV3d eye = {reach.spot.x, kUseReferenceHeight, reach.spot.z};
             const f32 toward = std::atan2(reach.use.x - reach.spot.x, reach.use.z - reach.spot.z);
             for (const f32 slack : {-kFacingSlack, 0.0f, kFacingSlack}) {
               const RwV3d facing = {std::sin(toward + slack), 0.0f, std::cos(toward + slack)};
               if (SignedDevice(world, eye, facing) != device) {
                 breaks.push_back(name + ": not from " + Where(reach.spot));
                 break;
               }
             }
           }
         }
         RwFrameTranslate(world->GetPlayer()->GetFrame(), &start, kRwCombineReplace);
         return breaks;
       }},
      // What runs from the load speaks before the player has done anything;
      // only the opening radio call may.
      {"a timer that runs from the level's start shows nothing but a radio call",
       [](const std::string&, cQXWorld* world) {
         tBreaks breaks;
         const cPtrArray& timers = world->GetTimerDevices();
         for (u32 i = 0; i < timers.GetCount(); i++) {
           const cTimerDevice* timer = static_cast<const cTimerDevice*>(timers.Get(i));
           const s32 stopped = timer->GetStoppedMessage();
           if (timer->IsRunning() && stopped >= 0 && world->GetMessageDialogues()[u32(stopped)] < 0) {
             breaks.push_back(std::string(timer->GetName().CStr()) + " shows \"" +
                              world->GetMessageText(u32(stopped)).CStr() + "\"");
           }
         }
         return breaks;
       }},
  };
  return rules;
}

class DemoInvariantsTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    MakeScreenStack();
    ASSERT_TRUE(WriteDemoData());
  }
};

TEST_F(DemoInvariantsTest, EveryFileKeepsEveryRule) {
  gGameOptions->SetLanguage(1);  // English messages
  for (const tFileRule& rule : FileRules()) {
    SCOPED_TRACE(rule.rule);
    EXPECT_EQ(tBreaks(), rule.check());
  }
  for (const char* level : kInvariantLevels) {
    cQXWorld* world = LoadWorld(level);
    ASSERT_TRUE(world != nullptr && world->GetPlayer() != nullptr);
    for (const tLevelRule& rule : LevelRules()) {
      SCOPED_TRACE(std::string(level) + ": " + rule.rule);
      EXPECT_EQ(tBreaks(), rule.check(level, world));
    }
  }
}

}  // namespace
