// The world chunk: forged worlds read back in every layout with every
// triangle once and each sector inside its plane box, the source of the
// world's box by version, plane boxes and plane values, the walks, plugin
// data in the extensions, and corrupt, truncated or too deep worlds, which
// fail with nothing left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

#include "engine/world/world_internal.h"
#include "tests/engine/world/world_fixture.h"
#include "tests/support/forge_soup.h"
#include "tools/forge/forge.h"

namespace {

using forge_test::RandomSoup;
using world_test::Members;
using world_test::PutU32;
using world_test::U32At;
using world_test::WorldTest;

// Offsets in a forged world chunk: its header, the struct's header, the body.
constexpr size_t kStructBody = 24;
constexpr size_t kStructReserved = kStructBody + 32;
constexpr size_t kStructFormat = kStructBody + 36;
constexpr size_t kStructBoxMaxX = kStructBody + 40;
constexpr size_t kStructAtomicSectors = kStructBody + 28;
constexpr size_t kStructPolygons = kStructBody + 16;
constexpr size_t kStructVertices = kStructBody + 20;
// Offsets in a plane sector chunk and an atomic sector chunk from their headers.
constexpr size_t kPlaneType = 24;
constexpr size_t kPlaneLeftValue = 24 + 16;
constexpr size_t kSectorPolygons = 24 + 4;
constexpr size_t kSectorVertices = 24 + 8;
constexpr size_t kSectorArrays = 24 + 44;

std::vector<RpWorldSector*> WorldSectors(RpWorld* world) { return Members(world, RpWorldForAllWorldSectors); }

bool Inside(const RwBBox& box, const RwV3d& p) {
  return p.x >= box.inf.x && p.x <= box.sup.x && p.y >= box.inf.y && p.y <= box.sup.y && p.z >= box.inf.z &&
         p.z <= box.sup.z;
}

// A triangle as positions and material, to match read polygons with soup triangles.
typedef std::tuple<float, float, float, float, float, float, float, float, float, const RpMaterial*> TriangleKey;

TriangleKey KeyOf(const RwV3d& a, const RwV3d& b, const RwV3d& c, const RpMaterial* material) {
  return TriangleKey(a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z, material);
}

// The nth chunk of the type in bytes forged at version.
size_t WorldChunkAt(const std::vector<uint8_t>& bytes, uint32_t type, int nth = 0, uint32_t version = kRwLibraryVersion) {
  const uint32_t stamp = RwChunkStampEncode(version, kRwLibraryBuild);
  for (size_t at = 0; at + 12 <= bytes.size(); ++at) {
    if (U32At(bytes, at) == type && U32At(bytes, at + 8) == stamp && nth-- == 0) {
      return at;
    }
  }
  ADD_FAILURE() << "no chunk " << type;
  return 0;
}

float RealAt(const std::vector<uint8_t>& bytes, size_t at) { return RwReadLittleEndianReal(bytes.data() + at); }
void PutReal(std::vector<uint8_t>* bytes, size_t at, float value) {
  RwWriteLittleEndianReal(bytes->data() + at, value);
}

// Two triangles far apart along y, so that the root plane splits y.
ForgeSoup TwoTriangles() {
  ForgeSoup soup;
  soup.materials.push_back(ForgeMaterial());
  for (float y : {0.0f, 4.0f, 2.0f, 6.0f, 12.0f, 9.0f}) {
    ForgeVertex vertex;
    vertex.position = {y * 0.1f, y, y * 0.2f};
    soup.vertices.push_back(vertex);
  }
  soup.triangles = {{{0, 1, 2}, 0}, {{3, 4, 5}, 0}};
  return soup;
}

ForgeWorldOptions OneTrianglePerSector(RwUInt32 flags = rpWORLDSECTORSOVERLAP) {
  ForgeWorldOptions options;
  options.flags = flags;
  options.maxSectorTriangles = 1;
  return options;
}

class WorldStreamTest : public WorldTest {
 protected:
  static RpWorld* Read(const std::vector<uint8_t>& bytes) { return ReadChunk(bytes, kRwChunkWorld, RpWorldStreamRead); }

  // Reading fails, leaving no block and no material behind.
  void ExpectReadFails(const std::vector<uint8_t>& bytes) {
    const int blocks = NewBlocks();
    EXPECT_EQ(Read(bytes), nullptr);
    EXPECT_EQ(NewBlocks(), blocks);
    ExpectAllGone();
  }
};

struct Layout {
  const char* name;
  RwUInt32 version;
  RwUInt32 flags;
  RwInt32 texCoordSets;
};

class WorldLayoutTest : public WorldStreamTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(WorldLayoutTest, SeededSoupsHoldEveryTriangleOnceInsideTheirPlaneBoxes) {
  const Layout& layout = GetParam();
  for (uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    // Planes that no triangle crosses need gaps between the triangles: a
    // sparse soup without triangles reaching across it.
    const bool overlap = (layout.flags & rpWORLDSECTORSOVERLAP) != 0;
    const ForgeSoup soup = overlap ? RandomSoup(seed, 1500, 5) : RandomSoup(seed, 300, 5, false, 1000.0f);
    ForgeWorldOptions options;
    options.version = layout.version;
    options.flags = layout.flags;
    options.texCoordSets = layout.texCoordSets;
    options.maxSectorTriangles = overlap ? 64 : 16;
    ForgeWorldLayout forged;
    ASSERT_TRUE(ForgeLayoutWorld(soup, options, &forged));
    RpWorld* world = ForgeWorldCreate(soup, options);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(RpWorldGetFlags(world), forged.format);
    EXPECT_EQ(world->numTexCoordSets, layout.texCoordSets);
    EXPECT_EQ(world->renderOrder, static_cast<RwUInt32>(rpWORLDRENDERBACK2FRONT));

    std::map<TriangleKey, int> expected;
    for (const ForgeTriangle& t : soup.triangles) {
      expected[KeyOf(soup.vertices[t.vertex[0]].position, soup.vertices[t.vertex[1]].position,
                     soup.vertices[t.vertex[2]].position, world->matList.materials[t.material])]++;
    }
    const std::vector<RpWorldSector*> sectors = WorldSectors(world);
    ASSERT_EQ(sectors.size(), forged.sectors.size());
    ASSERT_GT(sectors.size(), 8u);
    for (size_t s = 0; s < sectors.size(); ++s) {
      const RpWorldSector* sector = sectors[s];
      const ForgeSector& source = forged.sectors[s];
      ASSERT_EQ(sector->numVertices, source.soupVertex.size());
      ASSERT_EQ(sector->numPolygons, source.polygons.size());
      EXPECT_TRUE(Inside(world->boundingBox, sector->planeBox.inf) && Inside(world->boundingBox, sector->planeBox.sup));
      for (RwUInt16 v = 0; v < sector->numVertices; ++v) {
        const ForgeVertex& original = soup.vertices[source.soupVertex[v]];
        EXPECT_TRUE(Inside(sector->planeBox, sector->vertices[v])) << "sector " << s << " vertex " << v;
        EXPECT_TRUE(Inside(sector->boundingBox, sector->vertices[v]));
        if ((layout.flags & rpWORLDNORMALS) != 0) {
          EXPECT_EQ(sector->normals[v].y, 77);  // 0.6 x 128 rounded
          EXPECT_EQ(sector->normals[v].z, -102);
        }
        if ((layout.flags & rpWORLDPRELIT) != 0) {
          EXPECT_EQ(sector->preLitLum[v].red, original.prelight.red);
        }
        for (RwInt32 set = 0; set < layout.texCoordSets; ++set) {
          EXPECT_EQ(sector->texCoords[set][v].u, original.uv[set].u);
          EXPECT_EQ(sector->texCoords[set][v].v, static_cast<float>(set));
        }
      }
      RwInt32 meshIndices = 0;
      const RpMesh* meshes = RpMeshHeaderGetFirstMesh(sector->mesh);
      for (RwUInt16 m = 0; m < sector->mesh->numMeshes; ++m) {
        meshIndices += static_cast<RwInt32>(meshes[m].numIndices);
      }
      if ((layout.flags & rpWORLDTRISTRIP) == 0) {
        EXPECT_EQ(meshIndices, 3 * sector->numPolygons);
      }
      for (RwUInt16 p = 0; p < sector->numPolygons; ++p) {
        const RpPolygon& polygon = sector->polygons[p];
        const TriangleKey key = KeyOf(sector->vertices[polygon.vertIndex[0]], sector->vertices[polygon.vertIndex[1]],
                                      sector->vertices[polygon.vertIndex[2]],
                                      world->matList.materials[sector->matListWindowBase + polygon.matIndex]);
        EXPECT_GT(expected[key]--, 0) << "a polygon no soup triangle made, or made twice";
      }
    }
    for (const auto& left : expected) {
      EXPECT_EQ(left.second, 0) << "a soup triangle no polygon holds";
    }
    EXPECT_TRUE(RpWorldDestroy(world));
    ExpectAllGone();
    EXPECT_EQ(NewBlocks(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WorldLayoutTest,
    ::testing::Values(Layout{"CurrentOverlap", kRwLibraryVersion, rpWORLDSECTORSOVERLAP, 0},
                      Layout{"CurrentSingleAllArrays", kRwLibraryVersion, rpWORLDNORMALS | rpWORLDPRELIT | rpWORLDLIGHT,
                             2},
                      Layout{"StripsEightSets", 0x34003, rpWORLDSECTORSOVERLAP | rpWORLDTRISTRIP | rpWORLDNORMALS, 8},
                      Layout{"LongStructWithoutBox", 0x34002, rpWORLDSECTORSOVERLAP | rpWORLDPRELIT, 1},
                      Layout{"ShortStruct", 0x33000, rpWORLDSECTORSOVERLAP | rpWORLDNORMALS, 1},
                      Layout{"ShortStructSingle", 0x31000, rpWORLDPRELIT, 3}),
    [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

TEST_F(WorldStreamTest, TheWorldsBoxComesFromTheStructFromVersion34003) {
  for (RwUInt32 version : {0x34002u, 0x34003u, kRwLibraryVersion}) {
    SCOPED_TRACE(version);
    ForgeWorldOptions options = OneTrianglePerSector();
    options.version = version;
    std::vector<uint8_t> bytes = ForgeWorldBytes(TwoTriangles(), options);
    PutReal(&bytes, kStructBoxMaxX, 500.0f);
    RpWorld* world = Read(bytes);
    ASSERT_NE(world, nullptr);
    // The union of the sectors' boxes reaches x 1.2 (the top vertex at y 12).
    EXPECT_FLOAT_EQ(RpWorldGetBBox(world)->sup.x, version >= 0x34003 ? 500.0f : 1.2f);
    EXPECT_FLOAT_EQ(RpWorldGetBBox(world)->inf.y, 0.0f);
    EXPECT_FLOAT_EQ(WorldSectors(world)[1]->planeBox.sup.x, version >= 0x34003 ? 500.0f : 1.2f);
    RpWorldDestroy(world);
  }
}

TEST_F(WorldStreamTest, PlaneValuesGiveTheChildrenTheirPlaneBoxes) {
  std::vector<uint8_t> bytes = ForgeWorldBytes(TwoTriangles(), OneTrianglePerSector());
  const size_t plane = WorldChunkAt(bytes, kRwChunkPlaneSector);
  ASSERT_EQ(U32At(bytes, plane + kPlaneType), static_cast<uint32_t>(rpSECTORPLANEY));
  PutReal(&bytes, plane + kPlaneLeftValue, 10.0f);
  PutReal(&bytes, plane + kPlaneLeftValue + 4, 5.0f);

  SCOPED_TRACE("separate values: the children overlap from y 5 to 10");
  RpWorld* world = Read(bytes);
  ASSERT_NE(world, nullptr);
  std::vector<RpWorldSector*> sectors = WorldSectors(world);
  ASSERT_EQ(sectors.size(), 2u);
  EXPECT_FLOAT_EQ(sectors[0]->planeBox.sup.y, 10.0f);
  EXPECT_FLOAT_EQ(sectors[0]->planeBox.inf.y, 0.0f);
  EXPECT_FLOAT_EQ(sectors[1]->planeBox.inf.y, 5.0f);
  EXPECT_FLOAT_EQ(sectors[1]->planeBox.sup.y, 12.0f);
  EXPECT_FLOAT_EQ(sectors[1]->planeBox.sup.z, 2.4f);
  RpWorldDestroy(world);

  SCOPED_TRACE("without format bit 30 both children take the plane's value");
  PutU32(&bytes, kStructFormat, U32At(bytes, kStructFormat) & ~static_cast<uint32_t>(rpWORLDSECTORSOVERLAP));
  const float value = RealAt(bytes, plane + kPlaneType + 4);
  world = Read(bytes);
  ASSERT_NE(world, nullptr);
  sectors = WorldSectors(world);
  EXPECT_FLOAT_EQ(sectors[0]->planeBox.sup.y, value);
  EXPECT_FLOAT_EQ(sectors[1]->planeBox.inf.y, value);
  RpWorldDestroy(world);
  ExpectAllGone();
}

TEST_F(WorldStreamTest, SinglePlaneValuesSeparateTheTrianglesWithoutCrossing) {
  // Boxes along x: a plane between any two of them crosses no triangle.
  ForgeSoup soup;
  soup.materials.push_back(ForgeMaterial());
  for (int i = 0; i < 8; ++i) {
    ForgeAddBox(&soup, {i * 3.0f, 0.0f, 0.0f}, {i * 3.0f + 2.0f, 1.0f, 1.0f}, 0);
  }
  ForgeWorldOptions options;
  options.flags = 0;
  options.maxSectorTriangles = 12;
  ForgeWorldLayout layout;
  ASSERT_TRUE(ForgeLayoutWorld(soup, options, &layout));
  EXPECT_GE(layout.sectors.size(), 8u);
  for (const ForgePlane& plane : layout.planes) {
    EXPECT_EQ(plane.leftValue, plane.value);
    EXPECT_EQ(plane.rightValue, plane.value);
  }
  RpWorld* world = ForgeWorldCreate(soup, options);
  ASSERT_NE(world, nullptr);
  RwInt32 polygons = 0;
  for (RpWorldSector* sector : WorldSectors(world)) {
    polygons += sector->numPolygons;
    for (RwUInt16 v = 0; v < sector->numVertices; ++v) {
      EXPECT_TRUE(Inside(sector->planeBox, sector->vertices[v]));
    }
  }
  EXPECT_EQ(polygons, 96);
  RpWorldDestroy(world);

  SCOPED_TRACE("triangles that every plane crosses stay in one sector");
  ForgeSoup crossing;
  crossing.materials.push_back(ForgeMaterial());
  for (RwUInt32 i = 0; i < 4; ++i) {
    // Each spans -10 - i to 10 + i on every axis, so each plane through a
    // triangle's largest coordinate crosses the larger triangles.
    const float reach = 10.0f + static_cast<float>(i);
    for (const RwV3d& position : {RwV3d{-reach, -reach, -reach}, RwV3d{reach, reach, reach}, RwV3d{reach, -reach, 0}}) {
      ForgeVertex vertex;
      vertex.position = position;
      crossing.vertices.push_back(vertex);
    }
    crossing.triangles.push_back({{3 * i, 3 * i + 1, 3 * i + 2}, 0});
  }
  options.maxSectorTriangles = 1;
  ASSERT_TRUE(ForgeLayoutWorld(crossing, options, &layout));
  EXPECT_EQ(layout.planes.size(), 0u);
}

TEST_F(WorldStreamTest, WalksVisitLeftBeforeRightAndStopAtNull) {
  SCOPED_TRACE("a root atomic sector is visited once");
  ForgeSoup soup = TwoTriangles();
  RpWorld* world = ForgeWorldCreate(soup, ForgeWorldOptions());
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(WorldSectors(world).size(), 1u);
  EXPECT_EQ(RpWorldSectorGetNumTriangles(WorldSectors(world)[0]), 2);
  RpWorldDestroy(world);

  SCOPED_TRACE("sectors come in the forge's order, and null stops the walk");
  soup = RandomSoup(7, 400, 2);
  ForgeWorldOptions options;
  options.maxSectorTriangles = 16;
  ForgeWorldLayout layout;
  ASSERT_TRUE(ForgeLayoutWorld(soup, options, &layout));
  world = ForgeWorldCreate(soup, options);
  ASSERT_NE(world, nullptr);
  const std::vector<RpWorldSector*> sectors = WorldSectors(world);
  ASSERT_EQ(sectors.size(), layout.sectors.size());
  for (size_t i = 0; i < sectors.size(); ++i) {
    EXPECT_EQ(sectors[i]->boundingBox.inf.x, layout.sectors[i].box.inf.x);
    EXPECT_EQ(RpWorldSectorGetWorld(sectors[i]), world);
  }
  int calls = 0;
  RpWorldForAllWorldSectors(
      world,
      [](RpWorldSector*, void* data) -> RpWorldSector* {
        ++*static_cast<int*>(data);
        return nullptr;
      },
      &calls);
  EXPECT_EQ(calls, 1);

  SCOPED_TRACE("a sector of no world has none; null restores the default render callback");
  RpWorldSector stray = {};
  EXPECT_EQ(RpWorldSectorGetWorld(&stray), nullptr);
  RpWorldSetSectorRenderCallBack(world, [](RpWorldSector* sector) { return sector; });
  RpWorldSetSectorRenderCallBack(world, nullptr);
  EXPECT_EQ(RpWorldGetSectorRenderCallBack(world), RpWorldDefaultSectorRenderCallBack);
  RpWorldDestroy(world);
}

// Plugin data on worlds, sectors and materials that hooks write and the
// registries read back.
struct ExtensionReads {
  std::vector<uint32_t> sectorWords;
  uint32_t worldWord = 0;
  void* rightsObject[2] = {};
  uint32_t rightsData[2] = {};
};
ExtensionReads gReads;
constexpr RwUInt32 kPluginId = 0xFF20;
constexpr RwUInt32 kRightsWorldId = 0xFF21;
constexpr RwUInt32 kRightsSectorId = 0xFF22;

RwStream* ReadSectorWord(RwStream* stream, RwInt32, void*, RwInt32, RwInt32) {
  RwUInt8 word[4];
  if (!RwStreamReadExact(stream, word, 4)) {
    return nullptr;
  }
  gReads.sectorWords.push_back(RwReadLittleEndianUInt32(word));
  return stream;
}
RwStream* ReadWorldWord(RwStream* stream, RwInt32, void*, RwInt32, RwInt32) {
  RwUInt8 word[4];
  if (!RwStreamReadExact(stream, word, 4)) {
    return nullptr;
  }
  gReads.worldWord = RwReadLittleEndianUInt32(word);
  return stream;
}
template <int which>
RwInt32 WorldTakeRights(void* object, RwInt32, RwInt32, RwUInt32 data) {
  gReads.rightsObject[which] = object;
  gReads.rightsData[which] = data;
  return 1;
}

bool AttachExtensions() {
  return RpWorldRegisterPlugin(0, kPluginId, nullptr, nullptr, nullptr) >= 0 &&
         RpWorldRegisterPluginStream(kPluginId, ReadWorldWord, nullptr, nullptr) >= 0 &&
         RpWorldSectorRegisterPlugin(0, kPluginId, nullptr, nullptr, nullptr) >= 0 &&
         RpWorldSectorRegisterPluginStream(kPluginId, ReadSectorWord, nullptr, nullptr) >= 0 &&
         RpWorldRegisterPlugin(0, kRightsWorldId, nullptr, nullptr, nullptr) >= 0 &&
         RpWorldSetStreamRightsCallBack(kRightsWorldId, WorldTakeRights<0>) >= 0 &&
         RpWorldSectorRegisterPlugin(0, kRightsSectorId, nullptr, nullptr, nullptr) >= 0 &&
         RpWorldSectorSetStreamRightsCallBack(kRightsSectorId, WorldTakeRights<1>) >= 0;
}

std::vector<RwUInt8> Word(RwUInt32 value) {
  return {static_cast<RwUInt8>(value), static_cast<RwUInt8>(value >> 8), static_cast<RwUInt8>(value >> 16),
          static_cast<RwUInt8>(value >> 24)};
}

std::vector<RwUInt8> Rights(RwUInt32 plugin, RwUInt32 data) {
  std::vector<RwUInt8> body = Word(plugin);
  const std::vector<RwUInt8> second = Word(data);
  body.insert(body.end(), second.begin(), second.end());
  return body;
}

class WorldExtensionTest : public WorldStreamTest {
 protected:
  void SetUp() override {
    gReads = ExtensionReads();
    Start(AttachExtensions);
  }
};

TEST_F(WorldExtensionTest, HooksReachThePluginsInWalkOrder) {
  const ForgeSoup soup = RandomSoup(11, 300, 3);
  ForgeWorldOptions options;
  options.maxSectorTriangles = 20;
  ForgeWorldHook hook;
  hook.sector = [](const ForgeWorldLayout&, const ForgeSector& sector, ForgeExtension* extension) {
    extension->push_back({kPluginId, Word(1000 + static_cast<RwUInt32>(sector.index))});
    if (sector.index == 2) {
      extension->push_back({kRwChunkRightToRender, Rights(kRightsSectorId, 0x5EC7)});
    }
  };
  hook.world = [](const ForgeWorldLayout& layout, ForgeExtension* extension) {
    extension->push_back({kPluginId, Word(static_cast<RwUInt32>(layout.sectors.size()))});
    extension->push_back({kRwChunkRightToRender, Rights(kRightsWorldId, 0x3011D)});
  };
  hook.material = [](RwInt32 index, RpMaterial* material) {
    const RwRGBA marked = {1, 2, static_cast<RwUInt8>(100 + index), 4};
    RpMaterialSetColor(material, &marked);
  };
  options.hooks = {hook};
  RpWorld* world = ForgeWorldCreate(soup, options);
  ASSERT_NE(world, nullptr);
  const std::vector<RpWorldSector*> sectors = WorldSectors(world);
  ASSERT_EQ(gReads.sectorWords.size(), sectors.size());
  for (size_t i = 0; i < sectors.size(); ++i) {
    EXPECT_EQ(gReads.sectorWords[i], 1000 + i);
  }
  EXPECT_EQ(gReads.worldWord, sectors.size());
  EXPECT_EQ(gReads.rightsObject[0], world);
  EXPECT_EQ(gReads.rightsData[0], 0x3011Du);
  EXPECT_EQ(gReads.rightsObject[1], sectors[2]);
  EXPECT_EQ(gReads.rightsData[1], 0x5EC7u);
  ASSERT_EQ(world->matList.numMaterials, 3);
  EXPECT_EQ(RpMaterialGetColor(world->matList.materials[2])->blue, 102);
  RpWorldDestroy(world);
  ExpectAllGone();
}

TEST_F(WorldStreamTest, CorruptWorldsFailWithNothingLeft) {
  const ForgeSoup soup = RandomSoup(5, 200, 3);
  ForgeWorldOptions options;
  options.maxSectorTriangles = 40;
  const std::vector<uint8_t> bytes = ForgeWorldBytes(soup, options);
  const size_t plane = WorldChunkAt(bytes, kRwChunkPlaneSector);
  const size_t sector = WorldChunkAt(bytes, kRwChunkAtomicSector, 1);
  const uint32_t sectorVertices = U32At(bytes, sector + kSectorVertices);
  const size_t firstPolygon = sector + kSectorArrays + 12 * sectorVertices;
  struct Damage {
    const char* what;
    size_t offset;
    uint32_t value;
    RwInt32 error;
  };
  const Damage damages[] = {
      {"reserved field above 0", kStructReserved, 4, kRwErrBadChunkVersion},
      {"plane type 12", plane + kPlaneType, 12, kRwErrRead},
      {"negative vertex count", kStructVertices, 0xFFFFFFFF, kRwErrRead},
      {"fewer atomic sectors announced than delivered", kStructAtomicSectors, U32At(bytes, kStructAtomicSectors) - 1,
       kRwErrRead},
      {"fewer vertices announced than delivered", kStructVertices, U32At(bytes, kStructVertices) - 1, kRwErrRead},
      {"counts the bytes left cannot back", kStructVertices, 0x7FFFFFFF, kRwErrRead},
      {"polygons the bytes left cannot back", kStructPolygons, 0x01000000, kRwErrRead},
      {"a polygon's vertex past the sector's", firstPolygon + 4, sectorVertices, kRwErrRead},
      {"a sector counting 65536 polygons", sector + kSectorPolygons, 0x10000, kRwErrRead},
      {"polygons without vertices", sector + kSectorVertices, 0, kRwErrRead},
      {"eight coordinate sets too many", kStructFormat, U32At(bytes, kStructFormat) | 0x00090000, kRwErrRead},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    std::vector<uint8_t> broken = bytes;
    PutU32(&broken, damage.offset, damage.value);
    ExpectReadFails(broken);
    ExpectError(kRwPluginIdNone, damage.error);
  }
  SCOPED_TRACE("truncated");
  for (size_t cut = 1; cut < bytes.size() - 12; cut += 97) {
    ExpectReadFails(std::vector<uint8_t>(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut)));
    TakeError();
  }
  SCOPED_TRACE("failed allocations");
  ExpectFailedMallocsLeakNothing(
      [&bytes] {
        RpWorld* world = Read(bytes);
        TakeError();
        return world != nullptr && RpWorldDestroy(world);
      },
      200);
  ExpectAllGone();
}

// Corners at the last vertex read and past it fail, in pairs and an odd last one.
TEST_F(WorldStreamTest, PolygonCornersAreCheckedWhereverTheyStand) {
  ForgeWorldOptions options;
  options.maxSectorTriangles = 40;
  const std::vector<uint8_t> bytes = ForgeWorldBytes(RandomSoup(5, 200, 3), options);
  const size_t sector = WorldChunkAt(bytes, kRwChunkAtomicSector);
  const uint32_t vertices = U32At(bytes, sector + kSectorVertices), polygons = U32At(bytes, sector + kSectorPolygons);
  ASSERT_EQ(polygons % 2, 1u);  // pairs, and one alone
  for (const size_t at : {size_t(0), size_t(8), 8 * size_t(polygons) - 8}) {
    for (const size_t field : {0, 2, 4, 6}) {  // the material index, then the corners
      for (const uint32_t value : {vertices - 1, vertices}) {
        SCOPED_TRACE(testing::Message() << "polygon byte " << at << ", field " << field << ", value " << value);
        std::vector<uint8_t> changed = bytes;
        changed[sector + kSectorArrays + 12 * vertices + at + field] = static_cast<uint8_t>(value);
        changed[sector + kSectorArrays + 12 * vertices + at + field + 1] = static_cast<uint8_t>(value >> 8);
        RpWorld* world = Read(changed);
        EXPECT_EQ(world != nullptr && RpWorldDestroy(world), field == 0 || value < vertices);
        TakeError();
      }
    }
  }
  ExpectAllGone();
}

// The sectors' meshes of a world built on reading, without bin meshes.
ForgeWorldOptions BuiltMeshes() {
  ForgeWorldOptions options;
  options.binMeshes = false;
  return options;
}

TEST_F(WorldStreamTest, MaterialIndicesPastTheListGiveNoMaterial) {
  std::vector<uint8_t> bytes = ForgeWorldBytes(TwoTriangles(), BuiltMeshes());
  const size_t sector = WorldChunkAt(bytes, kRwChunkAtomicSector);
  const size_t polygons = sector + kSectorArrays + 12 * U32At(bytes, sector + kSectorVertices);
  PutU32(&bytes, polygons, 0x00000009);  // the first polygon's material 9 of a list of 1
  RpWorld* world = Read(bytes);
  ASSERT_NE(world, nullptr);
  const RpMeshHeader* mesh = WorldSectors(world)[0]->mesh;
  ASSERT_EQ(mesh->numMeshes, 2);
  const RpMesh* meshes = RpMeshHeaderGetFirstMesh(mesh);
  EXPECT_TRUE(meshes[0].material == nullptr || meshes[1].material == nullptr);
  EXPECT_TRUE(meshes[0].material == world->matList.materials[0] || meshes[1].material == world->matList.materials[0]);
  RpWorldDestroy(world);
  ExpectAllGone();
}

TEST_F(WorldStreamTest, NativeWorldsKeepTheirCountsWithoutArrays) {
  std::vector<uint8_t> bytes = ForgeWorldBytes(RandomSoup(9, 100, 2), BuiltMeshes());
  PutU32(&bytes, kStructFormat, U32At(bytes, kStructFormat) | rpWORLDNATIVE);
  RpWorld* world = Read(bytes);
  ASSERT_NE(world, nullptr);
  RpWorldSector* sector = WorldSectors(world)[0];
  EXPECT_EQ(sector->numPolygons, 100);
  EXPECT_EQ(sector->vertices, nullptr);
  EXPECT_EQ(sector->polygons, nullptr);
  EXPECT_EQ(sector->mesh->numMeshes, 0);
  RpWorldDestroy(world);
  ExpectAllGone();
}

// A world chunk of planes nested depth deep along x, each with an empty
// atomic sector on its left.
std::vector<uint8_t> DeepWorld(int depth) {
  auto chunk = [](uint32_t type, const ChunkBytes& body) {
    ChunkBytes out;
    out.Header(type, static_cast<uint32_t>(body.size())).Bytes(body.bytes());
    return out;
  };
  auto emptySector = [&chunk] {
    ChunkBytes data;
    data.U32(0).U32(0).U32(0);
    for (int i = 0; i < 8; ++i) {
      data.U32(0);
    }
    ChunkBytes body = chunk(kRwChunkStruct, data);
    body.Bytes(chunk(kRwChunkExtension, ChunkBytes()).bytes());
    return chunk(kRwChunkAtomicSector, body);
  };
  ChunkBytes node = emptySector();
  for (int i = depth; i > 0; --i) {
    ChunkBytes data;
    data.U32(rpSECTORPLANEX).Real(static_cast<float>(i)).U32(1).U32(i == depth ? 1 : 0).Real(0).Real(0);
    ChunkBytes body = chunk(kRwChunkStruct, data);
    body.Bytes(emptySector().bytes()).Bytes(node.bytes());
    node = chunk(kRwChunkPlaneSector, body);
  }
  ChunkBytes world;
  world.U32(0)
      .Real(0)
      .Real(0)
      .Real(0)
      .U32(0)
      .U32(0)
      .U32(static_cast<uint32_t>(depth))
      .U32(static_cast<uint32_t>(depth + 1));
  world.U32(0).U32(0);
  for (int i = 0; i < 6; ++i) {
    world.Real(0);
  }
  ChunkBytes materials = chunk(kRwChunkStruct, ChunkBytes().U32(0));
  ChunkBytes body = chunk(kRwChunkStruct, world);
  body.Bytes(chunk(kRwChunkMaterialList, materials).bytes()).Bytes(node.bytes());
  body.Bytes(chunk(kRwChunkExtension, ChunkBytes()).bytes());
  return chunk(kRwChunkWorld, body).bytes();
}

TEST_F(WorldStreamTest, TreesDeeperThan63PlanesAreRefused) {
  RpWorld* world = Read(DeepWorld(kRpWorldMaxPlaneDepth));
  ExpectNoError();
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(WorldSectors(world).size(), static_cast<size_t>(kRpWorldMaxPlaneDepth + 1));
  RpWorldDestroy(world);
  ExpectReadFails(DeepWorld(kRpWorldMaxPlaneDepth + 1));
  ExpectError(kRwPluginIdNone, kRwErrRead);
}

}  // namespace
