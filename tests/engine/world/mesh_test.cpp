// Mesh building: the shared empty header, material order, list reordering,
// and strips decoded back into triangles: every input triangle comes back
// exactly once with its winding, and joins add only degenerate triangles.
#include "engine/world/mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <vector>

#include "engine/world/world_internal.h"
#include "tests/engine/world/world_fixture.h"

namespace {

using world_test::WorldTest;

using Triangle = std::array<RwUInt16, 3>;

struct Input {
  Triangle triangle;
  RpMaterial* material;
};

// The triangle turned so that its smallest index leads; winding kept.
Triangle Canonical(Triangle t) {
  while (t[0] > t[1] || t[0] > t[2]) {
    t = {t[1], t[2], t[0]};
  }
  return t;
}

// Non-degenerate triangles a mesh draws, canonical and sorted.
std::vector<Triangle> Decode(const RpMesh& mesh, RwUInt32 flags) {
  std::vector<Triangle> out;
  const RwUInt16* s = mesh.indices;
  if (flags == kRpMeshHeaderTriList) {
    for (RwUInt32 i = 0; i + 2 < mesh.numIndices; i += 3) {
      out.push_back(Canonical({s[i], s[i + 1], s[i + 2]}));
    }
  } else {
    for (RwUInt32 i = 0; i + 2 < mesh.numIndices; ++i) {
      if (s[i] == s[i + 1] || s[i + 1] == s[i + 2] || s[i] == s[i + 2]) {
        continue;
      }
      const Triangle t = (i % 2) == 0 ? Triangle{s[i], s[i + 1], s[i + 2]} : Triangle{s[i + 1], s[i], s[i + 2]};
      out.push_back(Canonical(t));
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

class MeshTest : public WorldTest {
 protected:
  static RpMeshHeader* Build(const std::vector<Input>& input, RwUInt8 flags, RwUInt32 capacity = 0) {
    RpMeshBuilder* builder = RpMeshBuilderCreate(capacity);
    for (const Input& in : input) {
      EXPECT_NE(RpMeshBuilderAddTriangle(builder, in.material, in.triangle[0], in.triangle[1], in.triangle[2]),
                nullptr);
    }
    RpMeshHeader* header = RpMeshBuilderToMeshHeader(builder, flags);
    EXPECT_NE(header, nullptr);
    return header;
  }

  // The meshes hold exactly the input's triangles, one mesh per material.
  static void ExpectCovers(const RpMeshHeader* header, const std::vector<Input>& input) {
    std::map<RpMaterial*, std::vector<Triangle>> expected;
    for (const Input& in : input) {
      expected[in.material].push_back(Canonical(in.triangle));
    }
    ASSERT_EQ(header->numMeshes, expected.size());
    RwUInt32 total = 0;
    const RpMesh* meshes = RpMeshHeaderGetFirstMesh(header);
    for (RwUInt32 m = 0; m < header->numMeshes; ++m) {
      SCOPED_TRACE(m);
      std::vector<Triangle>& want = expected[meshes[m].material];
      std::sort(want.begin(), want.end());
      EXPECT_EQ(Decode(meshes[m], header->flags), want);
      total += meshes[m].numIndices;
    }
    EXPECT_EQ(header->totalIndicesInMesh, total);
  }

  // A grid of quads, each split in two counter-clockwise triangles, listed in
  // a shuffled order and each turned by a random amount.
  static std::vector<Input> Grid(int width, int height, std::mt19937* random, RpMaterial* a, RpMaterial* b) {
    std::vector<Input> input;
    auto at = [width](int x, int y) { return static_cast<RwUInt16>(y * (width + 1) + x); };
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        RpMaterial* material = (x * 7 + y) % 5 == 0 ? b : a;
        input.push_back({{at(x, y), at(x + 1, y), at(x + 1, y + 1)}, material});
        input.push_back({{at(x, y), at(x + 1, y + 1), at(x, y + 1)}, material});
      }
    }
    for (Input& in : input) {
      std::rotate(in.triangle.begin(), in.triangle.begin() + (*random)() % 3, in.triangle.end());
    }
    std::shuffle(input.begin(), input.end(), *random);
    return input;
  }

  // Triangles over a small pool of vertices, so that many share edges either way round.
  static std::vector<Input> Soup(int count, int vertices, std::mt19937* random, RpMaterial* a, RpMaterial* b) {
    std::vector<Input> input;
    std::uniform_int_distribution<int> vertex(0, vertices - 1);
    while (static_cast<int>(input.size()) < count) {
      const Triangle t = {static_cast<RwUInt16>(vertex(*random)), static_cast<RwUInt16>(vertex(*random)),
                          static_cast<RwUInt16>(vertex(*random))};
      if (t[0] != t[1] && t[1] != t[2] && t[0] != t[2]) {
        RpMaterial* materials[] = {a, b, nullptr};
        input.push_back({t, materials[(*random)() % 3]});
      }
    }
    return input;
  }
};

TEST_F(MeshTest, BuilderWithoutTrianglesGivesTheSharedEmptyHeader) {
  RpMeshHeader* first = RpMeshBuilderToMeshHeader(RpMeshBuilderCreate(4), kRpMeshHeaderTriStrip);
  RpMeshHeader* second = RpMeshBuilderToMeshHeader(RpMeshBuilderCreate(0), kRpMeshHeaderTriList);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->numMeshes, 0);
  EXPECT_EQ(first->serialNum, 0);
  const int frees = CountingMemoryState().frees;
  RpMeshHeaderDestroy(first);
  EXPECT_EQ(CountingMemoryState().frees, frees);
}

TEST_F(MeshTest, OpaqueMaterialsComeFirst) {
  RpMaterial* opaque = Material();
  RpMaterial* translucent = Material(128);
  const std::vector<Input> input = {{{0, 1, 2}, translucent}, {{2, 1, 3}, opaque}, {{3, 4, 5}, translucent}};
  for (RwUInt8 flags : {kRpMeshHeaderTriList, kRpMeshHeaderTriStrip}) {
    SCOPED_TRACE(flags);
    RpMeshHeader* header = Build(input, flags);
    ASSERT_EQ(header->numMeshes, 2);
    EXPECT_EQ(RpMeshHeaderGetFirstMesh(header)[0].material, opaque);
    EXPECT_EQ(RpMeshHeaderGetFirstMesh(header)[1].material, translucent);
    ExpectCovers(header, input);
    RpMeshHeaderDestroy(header);
  }
  RpMaterialDestroy(opaque);
  RpMaterialDestroy(translucent);
}

TEST_F(MeshTest, ListsAreReorderedInPassesOfDisjointTriangles) {
  RpMeshHeader* header = Build({{{0, 1, 2}, nullptr}, {{2, 3, 4}, nullptr}, {{5, 6, 7}, nullptr}}, 0, 3);
  const RpMesh& mesh = RpMeshHeaderGetFirstMesh(header)[0];
  ASSERT_EQ(mesh.numIndices, 9u);
  EXPECT_EQ(std::vector<RwUInt16>(mesh.indices, mesh.indices + 9), (std::vector<RwUInt16>{0, 1, 2, 5, 6, 7, 2, 3, 4}));
  EXPECT_EQ(RpMeshHeaderGetPrimitiveType(header), kRwPrimTypeTriList);
  RpMeshHeaderDestroy(header);
}

TEST_F(MeshTest, StripsFollowEdgesSharedTheOtherWayRound) {
  struct Case {
    const char* name;
    std::vector<Input> input;
    std::vector<RwUInt16> strip;  // empty: only the triangles are checked
  };
  const Case cases[] = {
      {"one triangle keeps its order", {{{4, 5, 6}, nullptr}}, {4, 5, 6}},
      {"a shared edge", {{{0, 1, 2}, nullptr}, {{2, 1, 3}, nullptr}}, {}},
      {"an edge run the same way is not shared", {{{0, 1, 2}, nullptr}, {{1, 2, 3}, nullptr}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RpMeshHeader* header = Build(c.input, kRpMeshHeaderTriStrip);
    ASSERT_EQ(header->flags, kRpMeshHeaderTriStrip);
    ExpectCovers(header, c.input);
    const RpMesh& mesh = RpMeshHeaderGetFirstMesh(header)[0];
    if (!c.strip.empty()) {
      EXPECT_EQ(std::vector<RwUInt16>(mesh.indices, mesh.indices + mesh.numIndices), c.strip);
    } else if (c.input[1].triangle[0] == 2) {
      EXPECT_EQ(mesh.numIndices, 4u);
    } else {
      EXPECT_GT(mesh.numIndices, 6u);  // two strips and a join
    }
    RpMeshHeaderDestroy(header);
  }
}

TEST_F(MeshTest, RandomSoupsComeBackExactly) {
  RpMaterial* a = Material();
  RpMaterial* b = Material(100);
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    const std::vector<Input> input = (seed % 2) == 0
                                         ? Grid(3 + seed % 9, 2 + seed % 7, &random, a, b)
                                         : Soup(1 + static_cast<int>(seed) * 7, 6 + seed % 30, &random, a, b);
    for (RwUInt8 flags : {kRpMeshHeaderTriStrip, kRpMeshHeaderTriList}) {
      SCOPED_TRACE(flags);
      RpMeshHeader* header = Build(input, flags, static_cast<RwUInt32>(input.size()));
      ASSERT_NE(header, nullptr);
      ExpectCovers(header, input);
      RpMeshHeaderDestroy(header);
    }
  }
  RpMaterialDestroy(a);
  RpMaterialDestroy(b);
}

// Builders of few materials are grouped by counting, of many by sorting:
// either way the entries come in the order a stable sort by material gives,
// and vertex indices up to the largest a list may name are reordered.
TEST_F(MeshTest, EntriesComeInTheStableSortsOrder) {
  std::vector<RpMaterial*> pool = {nullptr};
  for (int m = 0; m < 24; ++m) {
    pool.push_back(Material(m % 3 == 0 ? 100 : 255));
  }
  for (unsigned seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    const size_t numMaterials = 1 + seed % pool.size();
    std::vector<Input> input;
    for (unsigned i = 0; i < 20 + seed * 13; ++i) {
      const auto first = static_cast<RwUInt16>(seed % 4 == 0 ? 0xFFFD - random() % 8 : random() % 200);
      input.push_back(
          {{first, static_cast<RwUInt16>(first + 1), static_cast<RwUInt16>(first + 2)}, pool[random() % numMaterials]});
    }
    RpMeshBuilder* builder = RpMeshBuilderCreate(static_cast<RwUInt32>(input.size()));
    for (const Input& in : input) {
      RpMeshBuilderAddTriangle(builder, in.material, in.triangle[0], in.triangle[1], in.triangle[2]);
    }
    std::vector<const RpMeshBuilderEntry*> expected;
    for (RwUInt32 i = 0; i < builder->numTriangles; ++i) {
      expected.push_back(&builder->entries[i]);
    }
    std::stable_sort(expected.begin(), expected.end(), [](const RpMeshBuilderEntry* a, const RpMeshBuilderEntry* b) {
      return RpMeshSortMaterialCompare(a->material, b->material) < 0;
    });
    RwUInt32 numGroups = 0;
    const RpMeshBuilderEntry** sorted = _rpMeshBuilderSortEntries(builder, &numGroups);
    ASSERT_NE(sorted, nullptr);
    EXPECT_EQ(std::vector<const RpMeshBuilderEntry*>(sorted, sorted + builder->numTriangles), expected);
    std::vector<RpMaterial*> distinct;
    for (const Input& in : input) {
      distinct.push_back(in.material);
    }
    std::sort(distinct.begin(), distinct.end());
    EXPECT_EQ(numGroups, std::unique(distinct.begin(), distinct.end()) - distinct.begin());
    RwFree(sorted);
    RpMeshHeader* header =
        RpMeshBuilderToMeshHeader(builder, seed % 2 == 0 ? kRpMeshHeaderTriList : kRpMeshHeaderTriStrip);
    ASSERT_NE(header, nullptr);
    ExpectCovers(header, input);
    RpMeshHeaderDestroy(header);
  }
  for (RpMaterial* material : pool) {
    if (material != nullptr) {
      RpMaterialDestroy(material);
    }
  }
}

TEST_F(MeshTest, FailedAllocationsLeaveTheBuilderToTheCaller) {
  std::mt19937 random(7);
  const std::vector<Input> input = Grid(6, 5, &random, nullptr, nullptr);
  for (RwUInt8 flags : {kRpMeshHeaderTriStrip, kRpMeshHeaderTriList}) {
    SCOPED_TRACE(flags);
    ExpectFailedMallocsLeakNothing(
        [&] {
          RpMeshBuilder* builder = RpMeshBuilderCreate(static_cast<RwUInt32>(input.size()));
          if (builder == nullptr) {
            return false;
          }
          for (const Input& in : input) {
            RpMeshBuilderAddTriangle(builder, in.material, in.triangle[0], in.triangle[1], in.triangle[2]);
          }
          RpMeshHeader* header = RpMeshBuilderToMeshHeader(builder, flags);
          if (header == nullptr) {
            RpMeshBuilderDestroy(builder);
            return false;
          }
          RpMeshHeaderDestroy(header);
          return true;
        },
        30);
  }
}

}  // namespace
