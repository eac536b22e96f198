// Every name the game opens on the generated set, walked along the level
// chain (both branches), exists and loads through the game's own readers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "game/foundation/property.h"
#include "game/render/models/atomic_plugin.h"
#include "game/render/models/clump_ro.h"
#include "game/render/models/locator_file.h"
#include "game/render/models/model_files.h"
#include "game/world/lightmap_bitmap.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/demo/check/opened_names.h"
#include "tools/demo/demo.h"
#include "tools/demo/men/men.h"
#include "tools/demo/output.h"

namespace {

using demo::OpenedKind;

bool AttachLevelPlugins() {
  return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach() && RpUserDataPluginAttach() &&
         RpMatFXPluginAttach() && RpSkinPluginAttach() && RpHAnimPluginAttach() && RpRandomPluginAttach() &&
         RegisterAtomicPlugin();
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Loads(const demo::OpenedName& name, const cPropertyFile& config) {
  const char* path = name.path.c_str();
  switch (name.kind) {
    case OpenedKind::kFile:
      return access(path, R_OK) == 0;
    case OpenedKind::kPropertyFile: {
      cPropertyFile file;
      return file.Load(cString(path)) && file.GetCount() > 0;
    }
    case OpenedKind::kStandaloneGroup: {
      cPropertyGroup group;
      group.ParseStandalone(cString(Bytes(path).c_str()));
      return group.GetCount() > 0;
    }
    case OpenedKind::kConfigGroup:
      return config.FindGroup(cString(path)) != nullptr;
    case OpenedKind::kWorld: {
      RpWorld* world = LoadWorldFile(path, nullptr);
      return world != nullptr && RpWorldDestroy(world);
    }
    case OpenedKind::kModel: {
      RpClump* clump = LoadClumpFile(path, false, nullptr, false);
      const bool loaded = clump != nullptr && RpClumpGetNumAtomics(clump) > 0;
      return clump != nullptr && RpClumpDestroy(clump) && loaded;
    }
    case OpenedKind::kLocator: {
      cLocatorFile file;
      return file.Open(path);
    }
    case OpenedKind::kPicture: {
      RwImageSetPath("");  // a model read before leaves its texture folder as the path
      RwImage* image = RwImageRead(path);
      return image != nullptr && RwImageDestroy(image);
    }
    case OpenedKind::kLightmap: {
      const std::string bytes = Bytes(path);
      cLightmap lightmap;
      return DecodeLightmapBitmap(reinterpret_cast<const u8*>(bytes.data()), u32(bytes.size()), &lightmap, 0);
    }
  }
  return false;
}

class GeneratedDataTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine(AttachLevelPlugins);
    ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr));
    std::string error;
    ASSERT_TRUE(demo::WriteDataSet(data_) && demo::WriteOutput(data_, folder_.Path(), {}, &error)) << error;
    ASSERT_TRUE(getcwd(previous_, sizeof previous_) != nullptr && chdir(folder_.Path().c_str()) == 0);
  }
  void TearDown() override {
    EXPECT_EQ(0, chdir(previous_));
    StartedEngineTest::TearDown();
  }
  demo::DataFolder data_;
  ScratchFolder folder_{"generated_data"};
  char previous_[4096] = {};
};

TEST_F(GeneratedDataTest, EveryNameTheGameOpensExistsAndLoads) {
  cPropertyFile config;
  ASSERT_TRUE(config.Load(cString("data/config.txt")));
  std::vector<std::string> levels;
  const std::vector<demo::OpenedName> names = demo::OpenedNames(data_, &levels);
  // The chain from level01, then the levels only Continue starts; "level99"
  // ends the game unloaded.
  EXPECT_EQ((std::vector<std::string>{"level01", "level02", "level03", "level04", "level05"}), levels);
  EXPECT_EQ("", demo::FirstMissingName(data_));
  for (const demo::OpenedName& name : names) {
    SCOPED_TRACE(name.path);
    EXPECT_TRUE(Loads(name, config));
  }
}

// The engine finds a texture by name before it reads one: bodies loaded side
// by side, as a level loads its men, keep their own clothes and skin.
TEST_F(GeneratedDataTest, EveryBodyWearsItsOwnTextures) {
  RwTextureSetReadCallBack(  // textures without pixels: the fake driver holds none
      [](const RwChar* name, const RwChar*) { return RwTextureSetName(RwTextureCreate(nullptr), name); });
  std::vector<RpClump*> bodies;
  std::set<const RwTexture*> textures;
  for (const std::string& body : demo::men::BodyNames()) {
    RpClump* clump = LoadClumpFile(demo::men::BodyPath(body).c_str(), false, nullptr, false);
    const RpGeometry* geometry = clump != nullptr ? RpAtomicGetGeometry(ClumpFirstAtomic(clump)) : nullptr;
    for (RwInt32 i = 0; geometry != nullptr && i < geometry->matList.numMaterials; i++) {
      EXPECT_TRUE(textures.insert(geometry->matList.materials[i]->texture).second) << body << " material " << i;
    }
    bodies.push_back(clump);
  }
  EXPECT_EQ(2 * bodies.size(), textures.size());
  for (RpClump* clump : bodies) {
    EXPECT_TRUE(clump != nullptr && RpClumpDestroy(clump));
  }
  RwTextureSetReadCallBack(nullptr);
}

}  // namespace
