// The walk over the names the game opens, on the set's own property files.
#include "tools/demo/check/opened_names.h"

#include <iterator>
#include <set>

#include "game/foundation/property.h"
#include "game/render/models/model_files.h"
#include "tools/demo/demo.h"
#include "tools/demo/men/men.h"

namespace demo {

namespace {

constexpr char kConfigPath[] = "data/config.txt";
// The levels a game starts at: a new game at the first, Continue at the one
// above a profile's count of completed levels (0 to 4).
constexpr const char* kStartLevels[] = {"level01", "level02", "level03", "level04", "level05"};
// A next level of this name ends the game: it is never loaded.
constexpr char kGameEnd[] = "level99";

bool Parse(const DataFolder& data, const std::string& path, cPropertyFile* file) {
  const std::vector<uint8_t>* bytes = data.Find(path);
  if (bytes == nullptr) {
    return false;
  }
  file->ParseText(cString(std::string(bytes->begin(), bytes->end()).c_str()));
  return true;
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

std::string ValueOf(const cPropertyGroup* group, const char* key) {
  const cProperty* property = group != nullptr ? group->FindProperty(cString(key)) : nullptr;
  return property != nullptr ? property->GetValue().CStr() : "";
}

class NameWalk {
 public:
  explicit NameWalk(const DataFolder& data) : mData(data) {}

  void StartupNames() {
    Add(OpenedKind::kStandaloneGroup, "data/inputmap.txt");
    for (const char* group : {"Init", "end_texts", "credit_list", "implants"}) {
      Add(OpenedKind::kConfigGroup, group);
    }
    Add(OpenedKind::kFile, "data/font/gothic13.met");
    Add(OpenedKind::kPicture, "data/font/gothic13.bmp");
    Add(OpenedKind::kPicture, "data/font/mgothic13.bmp");
    for (const char* language : {"_eng.txt", "_d.txt"}) {
      for (const char* text : {"data/menu/text", "data/endtexts", "data/credits"}) {
        Add(OpenedKind::kPropertyFile, text + std::string(language));
      }
    }
    for (const std::string& path : ParticleFileNames()) {
      Add(OpenedKind::kPropertyFile, path);
    }
    for (const std::string& texture : TextureNames()) {
      Add(OpenedKind::kPicture, texture + ".bmp");
    }
    for (const std::string& sound : SoundNames()) {
      Add(OpenedKind::kFile, "data/media/" + sound + ".wav");
    }
    for (const std::string& track : MusicNames()) {
      Add(OpenedKind::kFile, "data/media/music/" + track + ".ogg");
    }
    for (const std::string& movie : MovieNames()) {
      Add(OpenedKind::kFile, "data/movies/" + movie + ".avi");
    }
  }

  // The chains from the levels a game starts at, the first one's first; a
  // level names its next ones, up to the name that ends the game.
  void LevelNames(std::vector<std::string>* levels) {
    cPropertyFile config;
    Parse(mData, kConfigPath, &config);
    std::vector<std::string> pending(std::rbegin(kStartLevels), std::rend(kStartLevels));
    std::set<std::string> seen;
    while (!pending.empty()) {
      const std::string level = pending.back();
      pending.pop_back();
      if (!seen.insert(level).second) {
        continue;
      }
      levels->push_back(level);
      Add(OpenedKind::kConfigGroup, level);
      const cPropertyGroup* group = config.FindGroup(cString(level.c_str()));
      if (group == nullptr) {
        continue;
      }
      Level(level, group);
      for (const char* key : {"NEXTSTAGE", "NEXTSTAGEHARD"}) {
        const std::string next = ValueOf(group, key);
        if (!next.empty() && next != kGameEnd) {
          pending.push_back(next);
        }
      }
    }
  }

  std::vector<OpenedName>& Names() { return mNames; }

 private:
  void Add(OpenedKind kind, const std::string& path) { mNames.push_back({kind, path}); }

  void Level(const std::string& level, const cPropertyGroup* group) {
    const std::string bsp = ValueOf(group, "BSP");
    Add(OpenedKind::kWorld, bsp);
    Add(OpenedKind::kWorld, MakeCollisionPath(bsp.c_str()).CStr());
    Objects(group);
    Add(OpenedKind::kPropertyFile, ValueOf(group, "PROPS") + ".txt");
    Add(OpenedKind::kLocator, ValueOf(group, "GRAPH") + ".xrf");
    Add(OpenedKind::kModel, ValueOf(group, "SKY") + ".dff");
    Add(OpenedKind::kModel, ValueOf(group, "MAP"));
    for (const char* side : {"north", "south", "west", "east"}) {
      Add(OpenedKind::kLightmap, ValueOf(group, "LIGHTMAP") + side + ".bmp");
    }
    for (const char* language : {"_eng.txt", "_d.txt"}) {
      Add(OpenedKind::kPropertyFile, ValueOf(group, "TEXTS") + language);
    }
    for (const std::string& light : ListOf(group->FindProperty(cString("LIGHT")))) {
      Add(OpenedKind::kConfigGroup, light);
    }
    for (const std::string& particles : ListOf(group->FindProperty(cString("PARTICLES")))) {
      Add(OpenedKind::kLocator, "data/" + level + "/" + particles + ".xrf");
    }
    Men("data/" + level + "/men.txt");
    Add(OpenedKind::kStandaloneGroup, "data/" + level + "/camera.txt");
  }

  // Every model the objects file lists, with its locator file (the DFF
  // list's models stand where their own files put them).
  void Objects(const cPropertyGroup* group) {
    const std::string objects = ValueOf(group, "OBJECTS") + ".txt";
    const std::string dff = ValueOf(group, "DFFPATH"), xrf = ValueOf(group, "XRFPATH");
    Add(OpenedKind::kPropertyFile, objects);
    cPropertyFile file;
    const cPropertyGroup* lists = Parse(mData, objects, &file) ? file.FindGroup(cString("OBJECTS")) : nullptr;
    for (u32 i = 0; lists != nullptr && i < lists->GetCount(); i++) {
      const cProperty& list = lists->GetProperty(i);
      for (const std::string& model : ListOf(&list)) {
        Add(OpenedKind::kModel, dff + model + ".dff");
        if (list.GetName() != cString("DFF")) {
          Add(OpenedKind::kLocator, xrf + model + ".xrf");
        }
      }
    }
  }

  // The men file and the body of each man it lists.
  void Men(const std::string& path) {
    Add(OpenedKind::kPropertyFile, path);
    cPropertyFile file;
    const cPropertyGroup* list = Parse(mData, path, &file) ? file.FindGroup(cString("Men")) : nullptr;
    for (const std::string& man : ListOf(list != nullptr ? list->FindProperty(cString("MEN")) : nullptr)) {
      const std::string body = ValueOf(file.FindGroup(cString(man.c_str())), "BODY");
      Add(OpenedKind::kModel, men::BodyPath(body.empty() ? man : body));
      for (const auto& texture : men::BodyTextures(body.empty() ? man : body)) {
        Add(OpenedKind::kPicture, texture.first);
      }
    }
  }

  const DataFolder& mData;
  std::vector<OpenedName> mNames;
};

}  // namespace

std::vector<OpenedName> OpenedNames(const DataFolder& data, std::vector<std::string>* levels) {
  NameWalk walk(data);
  walk.StartupNames();
  walk.LevelNames(levels);
  return walk.Names();
}

std::string FirstMissingName(const DataFolder& data) {
  std::vector<std::string> levels;
  cPropertyFile config;
  Parse(data, kConfigPath, &config);
  for (const OpenedName& name : OpenedNames(data, &levels)) {
    const bool present = name.kind == OpenedKind::kConfigGroup ? config.FindGroup(cString(name.path.c_str())) != nullptr
                                                               : data.Has(name.path);
    if (!present) {
      return name.path;
    }
  }
  return "";
}

}  // namespace demo
