// The forge's world writer: the BSP's limits and refusals, the two struct
// layouts, and hooks that reorder polygons; the forge command on a scene
// file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/forge_soup.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/forge/forge.h"

namespace {

bool AttachWorldPlugin() { return RpWorldPluginAttach() != FALSE; }

class ForgeWorldTest : public StartedEngineTest {
 protected:
  void SetUp() override { StartEngine(AttachWorldPlugin); }

  static RpWorld* Read(const std::vector<RwUInt8>& bytes) {
    RwMemory memory = {const_cast<RwUInt8*>(bytes.data()), static_cast<RwUInt32>(bytes.size())};
    RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
    RpWorld* world = RwStreamFindChunk(stream, kRwChunkWorld, nullptr, nullptr) ? RpWorldStreamRead(stream) : nullptr;
    RwStreamClose(stream, nullptr);
    return world;
  }
};

RwInt32 Depth(const ForgeWorldLayout& layout, ForgeNode node) {
  if (node.atomic) {
    return 0;
  }
  const ForgePlane& plane = layout.planes[static_cast<size_t>(node.index)];
  return 1 + std::max(Depth(layout, plane.left), Depth(layout, plane.right));
}

TEST_F(ForgeWorldTest, LeavesKeepToTheirLimits) {
  const ForgeSoup soup = forge_test::RandomSoup(3, 3000, 2);
  for (RwInt32 maxDepth : {0, 3, 32}) {
    SCOPED_TRACE(maxDepth);
    ForgeWorldOptions options;
    options.maxDepth = maxDepth;
    options.maxSectorTriangles = 100;
    ForgeWorldLayout layout;
    ASSERT_TRUE(ForgeLayoutWorld(soup, options, &layout));
    EXPECT_LE(Depth(layout, layout.root), maxDepth);
    EXPECT_EQ(layout.planes.size() + 1, layout.sectors.size());
    size_t polygons = 0;
    for (const ForgeSector& sector : layout.sectors) {
      polygons += sector.polygons.size();
      if (Depth(layout, layout.root) < maxDepth) {
        EXPECT_LE(sector.polygons.size(), 100u);
      }
    }
    EXPECT_EQ(polygons, soup.triangles.size());
  }
}

TEST_F(ForgeWorldTest, SoupsAndOptionsOutOfRangeAreRefused) {
  const ForgeSoup good = forge_test::RandomSoup(4, 10, 2);
  struct Case {
    const char* what;
    ForgeSoup soup;
    ForgeWorldOptions options;
  };
  std::vector<Case> cases(6, {"", good, ForgeWorldOptions()});
  cases[0].what = "a vertex past the list";
  cases[0].soup.triangles[3].vertex[1] = static_cast<RwUInt32>(good.vertices.size());
  cases[1].what = "a material past the list";
  cases[1].soup.triangles[0].material = 2;
  cases[2].what = "no materials";
  cases[2].soup.materials.clear();
  cases[3].what = "nine coordinate sets";
  cases[3].options.texCoordSets = 9;
  cases[4].what = "native data";
  cases[4].options.flags = rpWORLDNATIVE;
  cases[5].what = "a tree deeper than the reader takes";
  cases[5].options.maxDepth = 64;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_TRUE(ForgeWorldBytes(c.soup, c.options, &error).empty());
    EXPECT_FALSE(error.empty());
  }

  SCOPED_TRACE("a sector of 65536 polygons or more");
  ForgeSoup crowd;
  crowd.materials.push_back(ForgeMaterial());
  crowd.vertices.resize(3);
  crowd.vertices[1].position = {1.0f, 0.0f, 0.0f};
  crowd.vertices[2].position = {0.0f, 1.0f, 0.0f};
  crowd.triangles.assign(0x10000, ForgeTriangle{{0, 1, 2}, 0});
  ForgeWorldOptions single;
  single.flags = 0;
  ForgeWorldLayout layout;
  std::string error;
  EXPECT_FALSE(ForgeLayoutWorld(crowd, single, &layout, &error));
  EXPECT_NE(error.find("65535"), std::string::npos) << error;
}

TEST_F(ForgeWorldTest, StructLayoutsFollowTheVersion) {
  ForgeSoup soup;
  soup.materials.push_back(ForgeMaterial());
  ForgeAddBox(&soup, {0.0f, 0.0f, 0.0f}, {1.0f, 2.0f, 3.0f}, 0);
  for (RwUInt32 version : {0x33002u, 0x34001u, kRwLibraryVersion}) {
    SCOPED_TRACE(version);
    ForgeWorldOptions options;
    options.version = version;
    options.origin = {5.0f, 6.0f, 7.0f};
    const std::vector<RwUInt8> bytes = ForgeWorldBytes(soup, options);
    ASSERT_FALSE(bytes.empty());
    const RwUInt32 structLength = RwReadLittleEndianUInt32(bytes.data() + 16);
    EXPECT_EQ(structLength, version < 0x34001 ? 52u : 64u);
    RpWorld* world = Read(bytes);
    ASSERT_NE(world, nullptr);
    EXPECT_FLOAT_EQ(world->worldOrigin.z, 7.0f);
    EXPECT_FLOAT_EQ(RpWorldGetBBox(world)->sup.y, 2.0f);
    RpWorldDestroy(world);
  }
}

TEST_F(ForgeWorldTest, AnArrangingHookOrdersEachSectorsPolygons) {
  const ForgeSoup soup = forge_test::RandomSoup(8, 200, 3);
  ForgeWorldOptions options;
  options.maxSectorTriangles = 30;
  ForgeWorldHook hook;
  hook.arrange = [](ForgeWorldLayout* layout) {
    for (ForgeSector& sector : layout->sectors) {
      std::reverse(sector.polygons.begin(), sector.polygons.end());
    }
  };
  ForgeWorldLayout layout;
  ASSERT_TRUE(ForgeLayoutWorld(soup, options, &layout));
  options.hooks = {hook};
  RpWorld* world = ForgeWorldCreate(soup, options);
  ASSERT_NE(world, nullptr);
  struct Check {
    const ForgeWorldLayout* layout;
    size_t index;
  } check = {&layout, 0};
  RpWorldForAllWorldSectors(
      world,
      [](RpWorldSector* sector, void* data) {
        auto* check = static_cast<Check*>(data);
        const ForgeSector& source = check->layout->sectors[check->index++];
        const RpPolygon& last = source.polygons.back();
        EXPECT_EQ(sector->polygons[0].vertIndex[2], last.vertIndex[2]);
        EXPECT_EQ(sector->polygons[0].matIndex, last.matIndex);
        return sector;
      },
      &check);
  EXPECT_EQ(check.index, layout.sectors.size());
  RpWorldDestroy(world);
}

#ifdef TK_FORGE_PATH
std::string ReadWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST_F(ForgeWorldTest, TheCommandForgesAndListsAScene) {
  ScratchFolder folder("forge_command");
  ASSERT_FALSE(folder.Path().empty());
  ASSERT_TRUE(WriteWholeFile(folder.File("scene.txt"),
                             "# a floor and a box\nnormals\ntexcoords 1\nsector 16\n"
                             "material 200 200 200 255 texture floor\nmaterial 255 0 0 255\n"
                             "grid -20 0 -20 40 8 0\nbox 0 0 0 2 2 2 1\n"));
  ASSERT_TRUE(WriteWholeFile(folder.File("bad.txt"), "material 1 2 3\n"));
  const std::string forge = TK_FORGE_PATH;
  const std::string world = forge + " world " + folder.File("scene.txt") + " " + folder.File("out.bsp") + " > " +
                            folder.File("world.log") + " 2>&1";
  ASSERT_EQ(std::system(world.c_str()), 0) << ReadWhole(folder.File("world.log"));
  const std::string bytes = ReadWhole(folder.File("out.bsp"));
  RpWorld* read = Read(std::vector<RwUInt8>(bytes.begin(), bytes.end()));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->matList.numMaterials, 2);
  EXPECT_EQ(read->numTexCoordSets, 1);
  RpWorldDestroy(read);

  const std::string dump = forge + " dump " + folder.File("out.bsp") + " > " + folder.File("dump.log");
  ASSERT_EQ(std::system(dump.c_str()), 0);
  const std::string listing = ReadWhole(folder.File("dump.log"));
  EXPECT_EQ(listing.rfind("0xB world", 0), 0u) << listing;
  EXPECT_NE(listing.find("  0x9 atomic sector"), std::string::npos);
  EXPECT_NE(listing.find("  0xA plane sector"), std::string::npos);

  const std::string bad =
      forge + " world " + folder.File("bad.txt") + " " + folder.File("bad.bsp") + " 2> " + folder.File("bad.log");
  EXPECT_NE(std::system(bad.c_str()), 0);
  EXPECT_NE(ReadWhole(folder.File("bad.log")).find("line 1:"), std::string::npos);
}

TEST_F(ForgeWorldTest, TheExampleForgesAndListsAndTextIsNoChunkFile) {
  ScratchFolder folder("forge_example");
  const std::string example = std::string(TK_FORGE_EXAMPLES) + "/room.txt";
  const struct {
    std::string arguments;
    int status;
    std::string said;
  } cases[] = {
      {"world " + example + " " + folder.File("room.bsp"), 0, "574 triangles in"},
      {"dump " + folder.File("room.bsp"), 0, "    0x11D collision, "},
      {"dump " + example, 1, example + " is not a file of chunks"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const std::string log = folder.File("out.log");
    const int status = std::system((std::string(TK_FORGE_PATH) + " " + c.arguments + " > " + log + " 2>&1").c_str());
    EXPECT_EQ(c.status, WEXITSTATUS(status));
    EXPECT_NE(ReadWhole(log).find(c.said), std::string::npos) << ReadWhole(log);
  }
}
#endif

}  // namespace
