// The first level's files read back through the engine's and the game's
// own readers: the worlds with their visibility and collision data, the
// models as the game loads them, the property files with their required
// keys, and the references between them.
#include "tools/demo/level01/level01.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "game/foundation/property.h"
#include "game/frontend/panels/wg_use_hack.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/atomic_plugin.h"
#include "game/render/models/clump_ro.h"
#include "game/render/models/locator_file.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/demo/level01/level01_parts.h"
#include "tools/demo/level01/models.h"
#include "tools/demo/level01/objects.h"

namespace {

using demo::level01::Placed;

class Level01Test : public StartedEngineTest {
 protected:
  static bool Attach() {
    return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() && RpPVSPluginAttach() &&
           RpLODAtomicPluginAttach() && RegisterAtomicPlugin();
  }

  void SetUp() override {
    StartEngine(Attach);
    ASSERT_TRUE(demo::WriteLevel01(mData));
  }

  std::string Text(const std::string& path) const {
    const std::vector<uint8_t>* bytes = mData.Find(path);
    return bytes != nullptr ? std::string(bytes->begin(), bytes->end()) : std::string();
  }

  RpWorld* ReadWorld(const std::string& path) const {
    const std::vector<uint8_t>* bytes = mData.Find(path);
    if (bytes == nullptr) {
      return nullptr;
    }
    RwMemory memory = {const_cast<RwUInt8*>(bytes->data()), static_cast<RwUInt32>(bytes->size())};
    RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
    RpWorld* world = RwStreamFindChunk(stream, kRwChunkWorld, nullptr, nullptr) ? RpWorldStreamRead(stream) : nullptr;
    RwStreamClose(stream, nullptr);
    return world;
  }

  // Lays the folder out under the scratch folder.
  void LayOut() const {
    for (const auto& file : mData.Files()) {
      const std::filesystem::path path = mScratch.File(file.first);
      std::filesystem::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(file.second.data()), static_cast<std::streamsize>(file.second.size()));
    }
  }

  demo::DataFolder mData;
  ScratchFolder mScratch{"level01"};
};

// A property file parsed from its text.
struct Parsed {
  explicit Parsed(const std::string& text) { file.ParseText(cString(text.c_str())); }
  const cPropertyGroup* Group(const std::string& name) const { return file.FindGroup(cString(name.c_str())); }
  cPropertyFile file;
};

std::string Value(const cPropertyGroup* group, const char* key) {
  const cProperty* property = group != nullptr ? group->FindProperty(cString(key)) : nullptr;
  return property != nullptr ? std::string(property->GetValue().CStr()) : std::string();
}

bool Has(const cPropertyGroup* group, const char* key) { return group != nullptr && group->FindProperty(cString(key)); }

// The trimmed elements of "[a, b]".
std::vector<std::string> Elements(const std::string& list) {
  std::vector<std::string> elements;
  const size_t open = list.find('['), close = list.rfind(']');
  if (open == std::string::npos || close == std::string::npos) {
    return elements;
  }
  std::string element;
  for (size_t i = open + 1; i <= close; ++i) {
    if (i == close || list[i] == ',') {
      const size_t first = element.find_first_not_of(" \t"), last = element.find_last_not_of(" \t");
      if (first != std::string::npos) {
        elements.push_back(element.substr(first, last - first + 1));
      }
      element.clear();
    } else {
      element += list[i];
    }
  }
  return elements;
}

TEST_F(Level01Test, TwoRunsWriteTheSameBytes) {
  demo::DataFolder again;
  ASSERT_TRUE(demo::WriteLevel01(again));
  EXPECT_EQ(mData.Files(), again.Files());
  EXPECT_EQ(demo::Level01ConfigGroups(), demo::Level01ConfigGroups());
  size_t total = 0;
  for (const auto& file : mData.Files()) {
    total += file.second.size();
  }
  EXPECT_LT(total, 4u << 20);
}

TEST_F(Level01Test, DrawnWorldCarriesVisibilityThatKeepsRoomsAAndBApart) {
  RpWorld* world = ReadWorld("data/level01/level01.bsp");
  ASSERT_NE(nullptr, world);
  EXPECT_TRUE(RpPVSWorldHasData(world));
  // Seen from the middle of room A, a box in room B is hidden, one in the
  // corridor is not.
  const auto visibleFrom = [world](RwV3d eye, RwV3d target) {
    ForgePart part;
    part.size = {0.2f, 0.2f, 0.2f};
    RpClump* clump = ForgeClumpCreate({part});
    RwFrameTranslate(RpClumpGetFrame(clump), &target, kRwCombineReplace);
    RpWorldAddClump(world, clump);
    RwFrameSyncDirty();  // ties the atomic to the sectors it stands in
    RpPVSSetViewPosition(world, &eye);
    RpAtomic* atomic = nullptr;
    RpClumpForAllAtomics(
        clump,
        [](RpAtomic* first, void* data) {
          *static_cast<RpAtomic**>(data) = first;
          return first;
        },
        &atomic);
    const bool visible = RpPVSAtomicVisible(atomic) != 0;
    RpWorldRemoveClump(world, clump);
    RpClumpDestroy(clump);
    return visible;
  };
  EXPECT_FALSE(visibleFrom({4.0f, 1.5f, 6.0f}, {20.0f, 1.0f, 6.0f}));
  EXPECT_TRUE(visibleFrom({4.0f, 1.5f, 6.0f}, {12.0f, 1.0f, 0.0f}));
  EXPECT_TRUE(visibleFrom({4.0f, 1.5f, 6.0f}, {12.0f, 1.0f, -6.0f}));
  RpWorldDestroy(world);
}

TEST_F(Level01Test, TwinWallsAnswerLineQueriesFromInsideOnly) {
  RpWorld* twin = ReadWorld("data/level01/collision/level01.bsp");
  ASSERT_NE(nullptr, twin);
  cWorldCollision collision(twin, twin, 0);
  const struct {
    const char* what;
    RwV3d from, to;
    bool hits;
    float hitZ;  // or x for walls across x
    bool alongZ;
  } rows[] = {
      {"room A's north wall", {4.0f, 1.5f, 6.0f}, {4.0f, 1.5f, 12.0f}, true, 9.7f, true},
      {"room C's south wall", {12.0f, 1.5f, -6.0f}, {12.0f, 1.5f, -12.0f}, true, -9.7f, true},
      {"the corridor's east end", {20.0f, 1.5f, 0.0f}, {30.0f, 1.5f, 0.0f}, true, 24.0f, false},
      {"room A's north wall from outside", {4.0f, 1.5f, 12.0f}, {4.0f, 1.5f, 9.0f}, false, 0.0f, true},
      {"through door A's doorway", {4.0f, 1.2f, 6.0f}, {4.0f, 1.2f, 0.0f}, false, 0.0f, true},
      {"the lintel above it", {4.0f, 2.7f, 6.0f}, {4.0f, 2.7f, 0.0f}, true, demo::level01::kRoomNear, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    RwV3d point = {0.0f, 0.0f, 0.0f}, normal = {0.0f, 0.0f, 0.0f};
    const bool hit =
        collision.IntersectSegment(tSegment3d(row.from, row.to), &point, &normal, nullptr, true, false, 0, true);
    EXPECT_EQ(row.hits, hit);
    if (hit && row.hits) {
      EXPECT_NEAR(row.hitZ, row.alongZ ? point.z : point.x, 0.01f);
    }
  }
  // Every sector carries its tree: a box round the level meets every polygon.
  int polygons = 0, met = 0;
  RpWorldForAllWorldSectors(
      twin,
      [](RpWorldSector* sector, void* data) {
        *static_cast<int*>(data) += sector->numPolygons;
        return sector;
      },
      &polygons);
  RpIntersectionPrimitive everything;
  everything.type = rpINTERSECTBOX;
  everything.t.box = {{30.0f, 10.0f, 20.0f}, {-10.0f, -10.0f, -20.0f}};
  RpCollisionWorldForAllIntersections(
      twin, &everything,
      [](RpIntersectionPrimitive* primitive, RpWorldSector*, RpCollisionTriangle*, RwReal, void* data) {
        ++*static_cast<int*>(data);
        return primitive;
      },
      &met);
  EXPECT_GT(polygons, 0);
  EXPECT_EQ(polygons, met);
  RpWorldDestroy(twin);
}

// The names the engine asks its texture reader for while it reads.
std::vector<std::string>* gTextureNames = nullptr;

RwTexture* RecordTextureName(const RwChar* name, const RwChar* maskName) {
  gTextureNames->push_back(name);
  if (maskName != nullptr && maskName[0] != '\0') {
    gTextureNames->push_back(maskName);
  }
  return nullptr;
}

TEST_F(Level01Test, EveryTextureTheWorldsAndModelsNameLiesInTheirTexturesFolder) {
  std::vector<std::string> names;
  gTextureNames = &names;
  const RwTextureCallBackRead reader = RwTextureGetReadCallBack();
  RwTextureSetReadCallBack(RecordTextureName);
  size_t asked = 0;
  const struct {
    std::string file;
    std::string folder;
  } rows[] = {
      {"data/level01/level01.bsp", "data/level01/textures/"},
      {"data/level01/collision/level01.bsp", "data/level01/collision/textures/"},
  };
  for (const auto& row : rows) {
    RpWorld* world = ReadWorld(row.file);
    ASSERT_NE(nullptr, world);
    RpWorldDestroy(world);
    for (const std::string& name : names) {
      EXPECT_TRUE(mData.Has(row.folder + name + ".bmp")) << row.file << ": " << name;
    }
    asked += names.size();
    names.clear();
  }
  for (const auto& file : mData.Files()) {
    const std::vector<uint8_t>& bytes = file.second;
    if (file.first.size() < 4 || file.first.compare(file.first.size() - 4, 4, ".dff") != 0) {
      continue;
    }
    RwMemory memory = {const_cast<RwUInt8*>(bytes.data()), static_cast<RwUInt32>(bytes.size())};
    RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
    ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkClump, nullptr, nullptr));
    RpClump* clump = RpClumpStreamRead(stream);
    RwStreamClose(stream, nullptr);
    ASSERT_NE(nullptr, clump) << file.first;
    RpClumpDestroy(clump);
    const std::string folder = file.first.substr(0, file.first.rfind('/') + 1) + "textures/";
    for (const std::string& name : names) {
      EXPECT_TRUE(mData.Has(folder + name + ".bmp")) << file.first << ": " << name;
    }
    asked += names.size();
    names.clear();
  }
  RwTextureSetReadCallBack(reader);
  EXPECT_GT(asked, 10u);
}

TEST_F(Level01Test, ModelsLoadAsTheGameLoadsThemAndAreNeverRewritten) {
  LayOut();
  for (const demo::level01::ModelSpec& model : demo::level01::Models()) {
    SCOPED_TRACE(model.name);
    const std::string path = mScratch.File("data/level01/models/" + model.name + ".dff");
    const std::vector<uint8_t> before = *mData.Find("data/level01/models/" + model.name + ".dff");
    {
      cClumpRO object(path.c_str(), nullptr);
      ASSERT_NE(nullptr, object.GetClump());
      EXPECT_STREQ(model.name.c_str(), object.GetName().CStr());
    }
    if (model.twin) {
      const std::string twinPath = mScratch.File("data/level01/models/collision/" + model.name + ".dff");
      cClumpRO twin(twinPath.c_str(), nullptr);
      ASSERT_NE(nullptr, twin.GetFirstAtomic());
      EXPECT_TRUE(RpCollisionGeometryQueryData(RpAtomicGetGeometry(twin.GetFirstAtomic())));
      EXPECT_NE(0, RpAtomicGetFlags(twin.GetFirstAtomic()) & rpATOMICCOLLISIONTEST);
    }
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(before, std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {}));
  }
}

TEST_F(Level01Test, PropertyFilesHoldTheirRequiredKeys) {
  const Parsed config(demo::Level01ConfigGroups());
  const Parsed men(Text("data/level01/men.txt"));
  const Parsed english(Text("data/level01/texts_eng.txt"));
  const Parsed german(Text("data/level01/texts_d.txt"));
  cPropertyGroup camera;
  camera.ParseStandalone(cString(Text("data/level01/camera.txt").c_str()));
  const struct {
    const char* what;
    const cPropertyGroup* group;
    std::vector<const char*> keys;
  } rows[] = {
      {"level",
       config.Group("level01"),
       {"NEXTSTAGE",
        "AI_DO_DISTANCE",
        "BSP",
        "FOG",
        "FOGDISTANCE",
        "FOGCOLOR",
        "DFFPATH",
        "XRFPATH",
        "OBJECTS",
        "PROPS",
        "MAPDIST",
        "FLASHICON",
        "TIMERDEVICES",
        "GRAPH",
        "EDGES",
        "SKY",
        "PARTICLES",
        "LIGHT",
        "LIGHTMAP",
        "LIGHTMAP_ORIGX",
        "LIGHTMAP_ORIGY",
        "LIGHTMAP_METRIC",
        "DIRLIGHTADD",
        "DIRLIGHTANGLE",
        "TEXTS",
        "MAP",
        "HACK_DEFAULT_KEY_NUMBER",
        "HACK_KEY_TIME",
        "HACK_ICON_ALPHA_VALUE"}},
      {"men", men.Group("Men"), {"MEN"}},
      {"player", men.Group("dorvaman"), {"TYPE", "BODY", "USED_ANIMS", "SEARCH_SPEED"}},
      {"enemy", men.Group("enemy"), {"USED_ANIMS"}},
      {"animations", men.Group("animdata"), {"ANM", "LEFT_FOOT_TOUCH", "RIGHT_FOOT_TOUCH"}},
      {"capsule", men.Group("CollisionCapsule"), {"P0", "P1", "RADIUS"}},
      {"camera",
       &camera,
       {"CLIP", "FOV", "MINZOOMFOV", "MAXZOOMFOV", "ZOOMSPEED", "RELATIVE_POSITION", "LOOK_AT_RELATIVE_POSITION",
        "LIGHTCOLOR", "LIGHT_DIRECTION"}},
      {"english",
       english.Group("TEXTS"),
       {"MESSAGE53", "MISSION00", "MISSION_OBJECTIVES", "BRIEFING", "MAINMISSIONTEXT"}},
      {"german",
       german.Group("TEXTS"),
       {"MESSAGE53", "MISSION00", "MISSION_OBJECTIVES", "BRIEFING", "MAINMISSIONTEXT"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_NE(nullptr, row.group);
    for (const char* key : row.keys) {
      EXPECT_TRUE(Has(row.group, key)) << key;
    }
  }
  // Every man has a type and a body; the player first, its double second.
  const std::vector<std::string> names = Elements(Value(men.Group("Men"), "MEN"));
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ("dorvaman", Value(men.Group(names[0]), "TYPE"));
  EXPECT_EQ("dorvaholoman", Value(men.Group(names[1]), "TYPE"));
  for (const std::string& name : names) {
    EXPECT_TRUE(Has(men.Group(name), "TYPE") && Has(men.Group(name), "BODY")) << name;
  }
  EXPECT_GT(std::stof(Value(men.Group("dorvaman"), "SEARCH_SPEED")), 0.0f);
  EXPECT_EQ(42u, Elements(Value(men.Group("animdata"), "ANM")).size());
  // The lights cover the five types.
  std::set<std::string> types;
  for (const std::string& light : Elements(Value(config.Group("level01"), "LIGHT"))) {
    types.insert(Value(config.Group(light), "TYPE"));
  }
  EXPECT_EQ((std::set<std::string>{"AMBIENT", "DIRECTIONAL", "POINT", "SPOT", "SPOTSOFT"}), types);
}

// The hacking game closes a loss and a win with the messages of fixed
// indexes: the texts there are a panel's, and no object names them.
TEST_F(Level01Test, TheHackMessagesAreThePanelsAndNoOneElses) {
  const Parsed english(Text("data/level01/texts_eng.txt"));
  for (const u32 index : {kHackLostMessage, kHackWonMessage}) {
    SCOPED_TRACE(index);
    const std::string key = "MESSAGE" + std::to_string(index);
    EXPECT_NE(std::string::npos, Value(english.Group("TEXTS"), key.c_str()).find("panel"));
    for (const Placed& object : demo::level01::PlacedObjects()) {
      for (const auto& named : object.keys) {
        EXPECT_FALSE(named.first.find("MESSAGE") != std::string::npos && named.second == std::to_string(index + 1))
            << object.name << " " << named.first;
      }
    }
  }
}

// The men walk their rounds without meeting the static objects: each edge
// of the waypoint graph keeps a man's width clear of them.
TEST_F(Level01Test, TheMensWaysKeepClearOfTheStaticObjects) {
  const auto& at = demo::level01::Waypoints();
  const std::vector<int>& edges = demo::level01::Edges();
  for (const Placed& object : demo::level01::PlacedObjects()) {
    for (size_t i = 0; object.key == "XRF" && i + 1 < edges.size(); i += 2) {
      const auto& a = at[edges[i] - 1];
      const auto& b = at[edges[i + 1] - 1];
      const float dx = b.x - a.x, dz = b.z - a.z;
      const float along = ((object.x - a.x) * dx + (object.z - a.z) * dz) / (dx * dx + dz * dz);
      const float t = std::max(0.0f, std::min(1.0f, along));
      EXPECT_GT(std::hypot(object.x - a.x - t * dx, object.z - a.z - t * dz), 0.8f) << object.name << " " << edges[i];
    }
  }
}

TEST_F(Level01Test, ReferencesNameWhatExists) {
  const Parsed config(demo::Level01ConfigGroups());
  const cPropertyGroup* level = config.Group("level01");
  const Parsed objects(Text(Value(level, "OBJECTS") + ".txt"));
  const Parsed props(Text(Value(level, "PROPS") + ".txt"));
  const Parsed men(Text("data/level01/men.txt"));
  const Parsed texts(Text(Value(level, "TEXTS") + "_eng.txt"));

  // Each model named by the objects file has its file, its twin and its locator.
  std::set<std::string> names = {"timer_1", "timer_2"};
  for (const std::string& key : demo::level01::ObjectKeys()) {
    for (const std::string& model : Elements(Value(objects.Group("OBJECTS"), key.c_str()))) {
      SCOPED_TRACE(model);
      EXPECT_TRUE(mData.Has(Value(level, "DFFPATH") + model + ".dff"));
      EXPECT_TRUE(mData.Has(Value(level, "DFFPATH") + "collision/" + model + ".dff"));
      EXPECT_TRUE(mData.Has(Value(level, "XRFPATH") + model + ".xrf"));
    }
  }
  for (const Placed& object : demo::level01::PlacedObjects()) {
    names.insert(object.name);
  }
  for (const std::string& man : Elements(Value(men.Group("Men"), "MEN"))) {
    names.insert(man);
  }
  // Lists name objects, timers or men; numbers name messages and objectives.
  int messages = 0;
  while (Has(texts.Group("TEXTS"),
             (std::string("MESSAGE") + (messages < 10 ? "0" : "") + std::to_string(messages)).c_str())) {
    ++messages;
  }
  EXPECT_GE(messages, 54);
  const int objectives = std::stoi(Value(texts.Group("TEXTS"), "MISSION_OBJECTIVES"));
  for (u32 g = 0; g < props.file.GetCount(); ++g) {
    const cPropertyGroup& group = props.file.GetGroup(g);
    SCOPED_TRACE(group.GetName().CStr());
    for (u32 p = 0; p < group.GetCount(); ++p) {
      const std::string key = group.GetProperty(p).GetName().CStr();
      const std::string value = group.GetProperty(p).GetValue().CStr();
      if (value.front() == '[' && key != "USEPOINT") {
        const std::vector<std::string> members = Elements(value);
        for (const std::string& element : members) {
          EXPECT_EQ(1u, names.count(element)) << key << " " << element;
        }
        EXPECT_LE(members.size(), 10u) << key;  // at most 9 left to go after a press
      } else if (key.find("MESSAGE") != std::string::npos) {
        EXPECT_LE(std::stoi(value), messages) << key;
      } else if (key == "MISSION") {
        EXPECT_LE(std::stoi(value), objectives);
      } else if (key == "GLOW") {
        EXPECT_TRUE(mData.Has("data/textures/" + value + ".bmp") && mData.Has("data/textures/" + value + "_mask.bmp"));
      }
    }
  }
  // Edges join waypoints of the graph; sky, map, particles and lightmaps are there.
  const size_t waypoints = demo::level01::Waypoints().size();
  for (const std::string& number : Elements(Value(level, "EDGES"))) {
    EXPECT_LE(static_cast<size_t>(std::stoi(number)), waypoints);
  }
  EXPECT_TRUE(mData.Has(Value(level, "GRAPH") + ".xrf"));
  EXPECT_TRUE(mData.Has(Value(level, "SKY") + ".dff"));
  EXPECT_TRUE(mData.Has(Value(level, "MAP")));
  for (const std::string& particles : Elements(Value(level, "PARTICLES"))) {
    EXPECT_TRUE(mData.Has("data/level01/" + particles + ".xrf"));
  }
  for (const char* direction : {"north", "south", "west", "east"}) {
    const std::vector<uint8_t>* bitmap = mData.Find(Value(level, "LIGHTMAP") + direction + ".bmp");
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(8, (*bitmap)[28]);                             // bits per pixel
    EXPECT_EQ(0, ((*bitmap)[18] | (*bitmap)[19] << 8) % 4);  // width
  }
}

TEST_F(Level01Test, LocatorEntriesKeepToTheReadersBuffers) {
  LayOut();
  size_t entries = 0;
  for (const auto& file : mData.Files()) {
    if (file.first.size() < 4 || file.first.compare(file.first.size() - 4, 4, ".xrf") != 0) {
      continue;
    }
    SCOPED_TRACE(file.first);
    cLocatorFile locator;
    ASSERT_TRUE(locator.Open(mScratch.File(file.first).c_str()));
    char name[32];
    static char data[10240];
    RwMatrix matrix;
    size_t count = 0;
    while (locator.ReadEntry(name, sizeof name, data, sizeof data, &matrix)) {
      ++count;
    }
    EXPECT_GT(count, 0u);
    entries += count;
  }
  size_t expected = demo::level01::Waypoints().size() + 3;  // and the particle placements
  for (const Placed& object : demo::level01::PlacedObjects()) {
    expected += object.key.empty() ? 0 : 1;
  }
  EXPECT_EQ(expected, entries);
}

}  // namespace
