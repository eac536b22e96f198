// The forge's scene text: statements into soups and options, and the line
// and reason of what it refuses.
#include <gtest/gtest.h>

#include "tools/forge/forge.h"

namespace {

TEST(ForgeSceneTest, StatementsBuildTheSoupAndTheOptions) {
  const std::string scene =
      "# options\n"
      "version 0x34002\nplanes single\nnormals\nprelit  # trailing comment\ntexcoords 2\n"
      "origin 1 2 3\nsector 10\ndepth 5\n\n"
      "material 10 20 30 40 texture brick mask brickm surface 0.5 0.25 0.75\n"
      "material 1 2 3 4\n"
      "vertex 0 0 0 normal 0 1 0 prelight 9 8 7 6 uv 0.5 1 uv 2 3\n"
      "vertex 1 0 0\nvertex 0 0 1\n"
      "triangle 0 1 2 1\n"
      "box 0 0 0 1 1 1 0\n"
      "grid 0 0 0 4 2 1\n";
  ForgeSoup soup;
  ForgeWorldOptions options;
  std::string error;
  ASSERT_TRUE(ForgeReadScene(scene, &soup, &options, &error)) << error;
  EXPECT_EQ(options.version, 0x34002u);
  EXPECT_EQ(options.flags, static_cast<RwUInt32>(rpWORLDNORMALS | rpWORLDPRELIT));
  EXPECT_EQ(options.texCoordSets, 2);
  EXPECT_FLOAT_EQ(options.origin.z, 3.0f);
  EXPECT_EQ(options.maxSectorTriangles, 10);
  EXPECT_EQ(options.maxDepth, 5);
  ASSERT_EQ(soup.materials.size(), 2u);
  EXPECT_EQ(soup.materials[0].texture, "brick");
  EXPECT_EQ(soup.materials[0].mask, "brickm");
  EXPECT_FLOAT_EQ(soup.materials[0].surface.diffuse, 0.75f);
  EXPECT_EQ(soup.materials[1].color.alpha, 4);
  // Three vertices, a box's 24 and a 2 x 2 grid's 9.
  ASSERT_EQ(soup.vertices.size(), 3u + 24u + 9u);
  EXPECT_EQ(soup.vertices[0].prelight.green, 8);
  EXPECT_FLOAT_EQ(soup.vertices[0].uv[1].v, 3.0f);
  ASSERT_EQ(soup.triangles.size(), 1u + 12u + 8u);
  EXPECT_EQ(soup.triangles[0].material, 1u);
  EXPECT_EQ(soup.triangles.back().material, 1u);
}

TEST(ForgeSceneTest, MaterialEffectsGiveTheirKindAndTheHook) {
  ForgeSoup soup;
  ForgeWorldOptions options;
  std::string error;
  ASSERT_TRUE(ForgeReadScene("material 1 1 1 1\n", &soup, &options, &error)) << error;
  EXPECT_TRUE(options.hooks.empty());
  const std::string scene =
      "material 255 255 255 255 texture stone bumpmap hills 0.5\n"
      "material 255 255 255 255 envmap chrome 0.25\n"
      "material 255 255 255 255 bumpmap hills 1 envmap chrome 1\n"
      "material 255 255 255 255 dual overlay 9 1\n";
  ASSERT_TRUE(ForgeReadScene(scene, &soup, &options, &error)) << error;
  ASSERT_EQ(soup.materials.size(), 5u);
  const RwUInt32 kinds[] = {kRpMatFXEffectNull, kRpMatFXEffectBumpMap, kRpMatFXEffectEnvMap,
                            kRpMatFXEffectBumpEnvMap, kRpMatFXEffectDual};
  for (size_t i = 0; i < soup.materials.size(); i++) {
    EXPECT_EQ(soup.materials[i].effects.effects, kinds[i]) << i;
  }
  EXPECT_EQ(soup.materials[1].effects.bumpSource, "hills");
  EXPECT_FLOAT_EQ(soup.materials[2].effects.envCoefficient, 0.25f);
  EXPECT_EQ(soup.materials[4].effects.dualSrcBlend, 9u);
  EXPECT_EQ(soup.materials[4].effects.dualDestBlend, 1u);
  ASSERT_EQ(options.hooks.size(), 1u);
  EXPECT_TRUE(static_cast<bool>(options.hooks[0].sector));
}

TEST(ForgeSceneTest, RefusalsNameTheLineAndTheReason) {
  const struct {
    const char* scene;
    const char* error;
  } cases[] = {
      {"normals\nfog 1\n", "line 2: unknown statement \"fog\""},
      {"material 1 2 3\n", "line 1: a word is missing"},
      {"material 1 2 3 256\n", "line 1: \"256\" is not a count up to 255"},
      {"vertex 1 nan 2\n", "line 1: \"nan\" is not a finite number"},
      {"vertex 0 0 0 uv 1 1 uv 1 1 uv 1 1 uv 1 1 uv 1 1 uv 1 1 uv 1 1 uv 1 1 uv 1 1\n",
       "line 1: more than 8 coordinate sets"},
      {"\n\ntriangle 0 1 2 0 7\n", "line 3: unexpected \"7\""},
      {"triangle 0 -1 2 0\n", "line 1: \"-1\" is not a count up to 2147483647"},
      {"planes both\n", "line 1: planes are separate or single"},
      {"version 0x30000\n", "line 1: versions start at 0x31000"},
      {"texcoords 9\n", "line 1: \"9\" is not a count up to 8"},
      {"material 1 1 1 1 shiny\n", "line 1: unknown material attribute \"shiny\""},
      {"material 1 1 1 1 dual a 9 1 envmap b 1\n", "line 1: a dual pass takes no bump map or environment map"},
      {"material 1 1 1 1 dual a 9 12\n", "line 1: \"12\" is not a count up to 11"},
      {"vertex 0 0 0\nvertex 1 0 0\nmaterial 1 1 1 1\ntriangle 0 1 5 0\n",
       "line 4: the triangle names vertex 5, and the scene has 2 vertices"},
      {"vertex 0 0 0\n\ntriangle 0 0 0 0\n", "line 3: the triangle names material 0, and the scene has 0 materials"},
      {"material 1 1 1 1\nbox 0 0 0 1 1 1 1\n", "line 2: the box names material 1, and the scene has 1 material"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scene);
    ForgeSoup soup;
    ForgeWorldOptions options;
    std::string error;
    EXPECT_FALSE(ForgeReadScene(c.scene, &soup, &options, &error));
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
