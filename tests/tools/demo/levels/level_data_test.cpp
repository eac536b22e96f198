// The names the game opens on the generated data, walked from
// "data/config.txt" along the level chain (both branches): each level's
// groups and files, its models and locators, men and camera, texts, and the
// start-up files; every one exists and loads through the game's readers.
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
#include "game/render/models/locator_file.h"
#include "game/render/models/model_files.h"
#include "game/world/lightmap_bitmap.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/demo/demo.h"
#include "tools/demo/men/men.h"
#include "tools/demo/output.h"

namespace {

enum Kind { kFile, kPropertyFile, kStandaloneGroup, kConfigGroup, kWorld, kModel, kLocator, kPicture, kLightmap };

struct Name {
  Kind kind;
  std::string path;  // a config group's name for kConfigGroup
};

bool AttachPlugins() {
  return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach() && RpUserDataPluginAttach() &&
         RpMatFXPluginAttach() && RpSkinPluginAttach() && RpHAnimPluginAttach() && RpRandomPluginAttach() &&
         RegisterAtomicPlugin();
}

std::vector<std::string> ListOf(const cProperty* property) {
  std::vector<std::string> names;
  cString list, element;
  if (property == nullptr || property->GetValue().FindArray(&list, '[', ']') == 0) {
    return names;
  }
  while (list.SliceNextElement(&element)) {
    element.Trim();
    if (!element.IsEmpty()) {
      names.push_back(element.CStr());
    }
  }
  return names;
}

std::string ValueOf(const cPropertyGroup& group, const char* key) {
  const cProperty* property = group.FindProperty(cString(key));
  return property != nullptr ? property->GetValue().CStr() : "";
}

// The names one level opens: its config keys' files, the models and
// locators its objects file lists, its men's bodies, camera and texts.
void AddLevelNames(const std::string& level, const cPropertyGroup& group, std::vector<Name>* names) {
  const std::string bsp = ValueOf(group, "BSP");
  names->push_back({kWorld, bsp});
  names->push_back({kWorld, MakeCollisionPath(bsp.c_str()).CStr()});
  const std::string dff = ValueOf(group, "DFFPATH"), xrf = ValueOf(group, "XRFPATH");
  const std::string objects = ValueOf(group, "OBJECTS") + ".txt";
  names->push_back({kPropertyFile, objects});
  cPropertyFile objectsFile;
  if (objectsFile.Load(cString(objects.c_str()))) {
    const cPropertyGroup* lists = objectsFile.FindGroup(cString("OBJECTS"));
    for (u32 i = 0; lists != nullptr && i < lists->GetCount(); i++) {
      const cProperty& list = lists->GetProperty(i);
      for (const std::string& model : ListOf(&list)) {
        names->push_back({kModel, dff + model + ".dff"});
        if (list.GetName() != cString("DFF")) {
          names->push_back({kLocator, xrf + model + ".xrf"});
        }
      }
    }
  }
  names->push_back({kPropertyFile, ValueOf(group, "PROPS") + ".txt"});
  names->push_back({kLocator, ValueOf(group, "GRAPH") + ".xrf"});
  names->push_back({kModel, ValueOf(group, "SKY") + ".dff"});
  names->push_back({kModel, ValueOf(group, "MAP")});
  for (const char* side : {"north", "south", "west", "east"}) {
    names->push_back({kLightmap, ValueOf(group, "LIGHTMAP") + side + ".bmp"});
  }
  for (const char* language : {"_eng.txt", "_d.txt"}) {
    names->push_back({kPropertyFile, ValueOf(group, "TEXTS") + language});
  }
  for (const std::string& light : ListOf(group.FindProperty(cString("LIGHT")))) {
    names->push_back({kConfigGroup, light});
  }
  for (const std::string& particles : ListOf(group.FindProperty(cString("PARTICLES")))) {
    names->push_back({kLocator, "data/" + level + "/" + particles + ".xrf"});
  }
  const std::string men = "data/" + level + "/men.txt";
  names->push_back({kPropertyFile, men});
  names->push_back({kStandaloneGroup, "data/" + level + "/camera.txt"});
  cPropertyFile menFile;
  const cPropertyGroup* list = menFile.Load(cString(men.c_str())) ? menFile.FindGroup(cString("Men")) : nullptr;
  for (const std::string& man : ListOf(list != nullptr ? list->FindProperty(cString("MEN")) : nullptr)) {
    const cPropertyGroup* manGroup = menFile.FindGroup(cString(man.c_str()));
    names->push_back({kModel, demo::men::BodyPath(manGroup != nullptr ? ValueOf(*manGroup, "BODY") : man)});
  }
}

bool Loads(const Name& name, const cPropertyFile& config) {
  switch (name.kind) {
    case kFile:
      return access(name.path.c_str(), R_OK) == 0;
    case kPropertyFile: {
      cPropertyFile file;
      return file.Load(cString(name.path.c_str())) && file.GetCount() > 0;
    }
    case kStandaloneGroup: {
      std::ifstream in(name.path, std::ios::binary);
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      cPropertyGroup group;
      if (text.empty()) {
        return false;
      }
      group.ParseStandalone(cString(text.c_str()));
      return group.GetCount() > 0;
    }
    case kConfigGroup:
      return config.FindGroup(cString(name.path.c_str())) != nullptr;
    case kWorld: {
      RpWorld* world = LoadWorldFile(name.path.c_str(), nullptr);
      const bool loaded = world != nullptr;
      if (world != nullptr) {
        RpWorldDestroy(world);
      }
      return loaded;
    }
    case kModel: {
      RpClump* clump = LoadClumpFile(name.path.c_str(), false, nullptr, false);
      const bool loaded = clump != nullptr && RpClumpGetNumAtomics(clump) > 0;
      if (clump != nullptr) {
        RpClumpDestroy(clump);
      }
      return loaded;
    }
    case kLocator: {
      cLocatorFile file;
      return file.Open(name.path.c_str());
    }
    case kLightmap: {
      std::ifstream in(name.path, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      cLightmap lightmap;
      return DecodeLightmapBitmap(reinterpret_cast<const u8*>(bytes.data()), static_cast<u32>(bytes.size()), &lightmap,
                                  0);
    }
    case kPicture: {
      RwImage* image = RwImageRead(name.path.c_str());
      if (image != nullptr) {
        RwImageDestroy(image);
      }
      return image != nullptr;
    }
  }
  return false;
}

class GeneratedDataTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine(AttachPlugins);
    ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr));
    demo::DataFolder data;
    std::string error;
    ASSERT_TRUE(demo::WriteDataSet(data) && demo::WriteOutput(data, folder_.Path(), {}, &error)) << error;
    ASSERT_TRUE(getcwd(previous_, sizeof previous_) != nullptr && chdir(folder_.Path().c_str()) == 0);
  }
  void TearDown() override {
    EXPECT_EQ(0, chdir(previous_));
    StartedEngineTest::TearDown();
  }
  ScratchFolder folder_{"generated_data"};
  char previous_[4096] = {};
};

TEST_F(GeneratedDataTest, EveryNameTheGameOpensExistsAndLoads) {
  cPropertyFile config;
  ASSERT_TRUE(config.Load(cString("data/config.txt")));
  std::vector<Name> names = {{kStandaloneGroup, "data/inputmap.txt"},
                             {kConfigGroup, "Init"},
                             {kConfigGroup, "end_texts"},
                             {kConfigGroup, "credit_list"},
                             {kConfigGroup, "implants"},
                             {kFile, "data/font/gothic13.met"},
                             {kPicture, "data/font/gothic13.bmp"},
                             {kPicture, "data/font/mgothic13.bmp"}};
  for (const char* language : {"_eng.txt", "_d.txt"}) {
    for (const char* text : {"data/menu/text", "data/endtexts", "data/credits"}) {
      names.push_back({kPropertyFile, text + std::string(language)});
    }
  }
  for (const std::string& path : demo::ParticleFileNames()) {
    names.push_back({kPropertyFile, path});
  }
  for (const std::string& texture : demo::TextureNames()) {
    names.push_back({kPicture, texture + ".bmp"});
  }
  for (const std::string& sound : demo::SoundNames()) {
    names.push_back({kFile, "data/media/" + sound + ".wav"});
  }
  for (const std::string& track : demo::MusicNames()) {
    names.push_back({kFile, "data/media/music/" + track + ".ogg"});
  }
  for (const std::string& movie : demo::MovieNames()) {
    names.push_back({kFile, "data/movies/" + movie + ".avi"});
  }
  // The chain from the first level, by NEXTSTAGE and NEXTSTAGEHARD.
  std::vector<std::string> pending = {"level01"};
  std::set<std::string> levels;
  while (!pending.empty()) {
    const std::string level = pending.back();
    pending.pop_back();
    if (!levels.insert(level).second) {
      continue;
    }
    names.push_back({kConfigGroup, level});
    const cPropertyGroup* group = config.FindGroup(cString(level.c_str()));
    if (group == nullptr) {
      continue;
    }
    AddLevelNames(level, *group, &names);
    for (const char* key : {"NEXTSTAGE", "NEXTSTAGEHARD"}) {
      if (!ValueOf(*group, key).empty()) {
        pending.push_back(ValueOf(*group, key));
      }
    }
  }
  EXPECT_EQ((std::set<std::string>{"level01", "level02", "level03", "level99"}), levels);
  for (const Name& name : names) {
    SCOPED_TRACE(name.path);
    EXPECT_TRUE(Loads(name, config));
  }
}

}  // namespace
