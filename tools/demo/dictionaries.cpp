// Texture dictionary caches: the bitmaps laid out in a scratch folder, read
// through the game's texture reader and written with the engine's
// dictionary writer.
#include "tools/demo/dictionaries.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/engine.h"
#include "game/render/models/texture_files.h"
#include "game/world/cached_textures.h"
#include "tools/forge/forge_bytes.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Menu(const std::vector<std::string>& names) {
  std::vector<std::string> paths;
  for (const std::string& name : names) {
    paths.push_back("data/menu/" + name);
  }
  return paths;
}

// Runs in a folder of its own: the game reads textures relative to its
// working folder.
class ScratchWorkingFolder {
 public:
  ScratchWorkingFolder() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/demo_txd_XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
      return;
    }
    folder_ = pattern;
    std::error_code code;
    previous_ = fs::current_path(code);
    if (code) {
      return;
    }
    fs::current_path(folder_, code);
    entered_ = !code;
  }
  ~ScratchWorkingFolder() {
    std::error_code code;
    if (entered_) {
      fs::current_path(previous_, code);
    }
    if (!folder_.empty()) {
      fs::remove_all(folder_, code);
    }
  }
  ScratchWorkingFolder(const ScratchWorkingFolder&) = delete;
  ScratchWorkingFolder& operator=(const ScratchWorkingFolder&) = delete;

  bool Entered() const { return entered_; }

 private:
  std::string folder_;
  fs::path previous_;
  bool entered_ = false;
};

bool WriteBitmap(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code code;
  fs::create_directories(fs::path(path).parent_path(), code);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !code && file.good();
}

// Reads the textures into a new current dictionary and writes it.
bool BuildDictionary(const DictionaryContents& contents, std::vector<RwUInt8>* bytes, std::string* error) {
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  if (dictionary == nullptr) {
    *error = "cannot create a dictionary for " + contents.path;
    return false;
  }
  RwTexDictionary* previous = RwTexDictionaryGetCurrent();
  RwTexDictionarySetCurrent(dictionary);
  bool ok = true;
  for (const std::string& name : contents.textures) {
    if (ReadTexture(name.c_str(), false) == nullptr) {
      *error = "cannot read the texture " + name + " for " + contents.path;
      ok = false;
      break;
    }
  }
  ok = ok &&
       ForgeEngineWritten(
           [dictionary](RwStream* stream) { return RwTexDictionaryStreamWrite(dictionary, stream) != nullptr; }, bytes);
  if (ok && bytes->empty()) {
    *error = "cannot write " + contents.path;
    ok = false;
  }
  RwTexDictionarySetCurrent(previous);
  RwTexDictionaryDestroy(dictionary);
  return ok;
}

}  // namespace

const std::vector<DictionaryContents>& Dictionaries() {
  static const std::vector<DictionaryContents> dictionaries = {
      // The intro's extras.
      {"data/texdicts/logos.txd", Menu({"zid_logo", "vux_logo", "engine_logo", "window_background"})},
      // The main menu's extras.
      {"data/texdicts/menu.txd",
       Menu({"window_background", "PIRENA_background", "TESKLO_background", "CONCEPT_background",
             "CONCEPT01_background", "CONCEPT02_background", "CONCEPT03_background", "CONCEPT04_background",
             "CONCEPT05_background", "CONCEPT06_background", "ORDAN_background", "HALDO_background",
             "VOSTEK_background", "SALVERN_background", "KUMB_background"})},
      // What the loading screen shows: the level picture and the bar.
      {"data/texdicts/loading.txd", {"data/screens/level00", "data/screens/barpiece"}},
      // The level loader's own.
      {"data/texdicts/level01.txd", std::vector<std::string>(kLevelCachedTextures, kLevelCachedTextures + kLevelCachedTextureCount)},
  };
  return dictionaries;
}

bool WriteDictionaries(DataFolder& data, std::string* error) {
  std::vector<std::pair<std::string, std::vector<RwUInt8>>> written;
  {
    ScratchWorkingFolder folder;
    if (!folder.Entered()) {
      *error = "cannot make a scratch folder for the texture dictionaries";
      return false;
    }
    for (const auto& file : data.Files()) {
      if (file.first.size() > 4 && file.first.compare(file.first.size() - 4, 4, ".bmp") == 0 &&
          !WriteBitmap(file.first, file.second)) {
        *error = "cannot lay out " + file.first;
        return false;
      }
    }
    RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr);
    for (const DictionaryContents& contents : Dictionaries()) {
      std::vector<RwUInt8> bytes;
      if (!BuildDictionary(contents, &bytes, error)) {
        return false;
      }
      written.push_back({contents.path, bytes});
    }
  }
  for (auto& dictionary : written) {
    data.Write(dictionary.first, std::move(dictionary.second));
  }
  return true;
}

}  // namespace demo
