// The demo data set: deterministic, laid out and packed as the game reads it,
// and every file read back through the engine's or the game's own reader.
#include "tools/demo/demo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "game/app/audio/ogg_decoder.h"
#include "game/app/audio/sound_engine.h"
#include "game/app/input/event_device.h"
#include "game/app/input/input_action.h"
#include "game/app/input/input_map.h"
#include "game/app/input/key_codes.h"
#include "game/app/pak_file.h"
#include "game/foundation/property.h"
#include "game/render/models/atomic_plugin.h"
#include "game/render/particles/particle_system.h"
#include "game/render/scene/scene.h"
#include "platform/dsound/dsound_testing.h"
#include "platform/vfw/vfw.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/demo/dictionaries.h"
#include "tools/demo/output.h"
#include "tools/demo/picture.h"

namespace {

bool AttachPlugins() {
  return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpPVSPluginAttach() && RpUserDataPluginAttach() &&
         RpMatFXPluginAttach() && RpSkinPluginAttach() && RpHAnimPluginAttach() && RpRandomPluginAttach() &&
         RegisterAtomicPlugin();
}

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class DemoDataTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine(AttachPlugins);
    ASSERT_TRUE(demo::WriteDataSet(data_));
  }
  void TearDown() override {
    cPakFile::Shutdown();
    StartedEngineTest::TearDown();
  }

  // Serves the set's packed files through the engine's file interface.
  void MountPack() {
    std::vector<uint8_t> pack;
    std::string error;
    ASSERT_TRUE(demo::PackBytes(data_, &pack, &error)) << error;
    ASSERT_TRUE(WriteWholeFile(folder_.File(demo::kPackName), Text(pack)));
    cPakFile::MountDefault(folder_.File(demo::kPackName).c_str(), "");
    ASSERT_NE(nullptr, cPakFile::GetMounted());
  }

  std::vector<std::string> PathsEndingIn(const std::string& tail) const {
    std::vector<std::string> paths;
    for (const auto& file : data_.Files()) {
      if (EndsWith(file.first, tail)) {
        paths.push_back(file.first);
      }
    }
    return paths;
  }

  demo::DataFolder data_;
  ScratchFolder folder_{"demo_data"};
};

TEST_F(DemoDataTest, TwoRunsGiveTheSameBytes) {
  demo::DataFolder again;
  ASSERT_TRUE(demo::WriteDataSet(again));
  EXPECT_TRUE(again.Files() == data_.Files());
}

TEST_F(DemoDataTest, SetKeepsWithinItsBounds) {
  size_t total = 0;
  for (const auto& file : data_.Files()) {
    SCOPED_TRACE(file.first);
    total += file.second.size();
    const std::string leaf = file.first.substr(file.first.find_last_of('/') + 1);
    EXPECT_LE(leaf.size(), 31u);
    if (demo::IsPacked(file.first)) {
      EXPECT_LE(file.first.size(), demo::kPackNameBytes);
    }
    if (EndsWith(file.first, ".txt")) {
      EXPECT_EQ(std::string::npos, Text(file.second).find('\r'));
    }
  }
  EXPECT_LT(total, 8u << 20);
}

// Every character of every text shown (the files of each language) has a
// glyph in the game's one font, the German letters in Windows-1252 among
// them: none is drawn as a gap.
TEST_F(DemoDataTest, EveryTextCharacterHasAGlyph) {
  const std::vector<uint8_t>* metrics = data_.Find("data/font/gothic13.met");
  ASSERT_NE(nullptr, metrics);
  std::set<int> glyphs = {' ', '\n', '\t'};
  std::istringstream lines(Text(*metrics));
  std::string line;
  while (std::getline(lines, line)) {
    int code = 0;
    int corners[4];
    if (std::sscanf(line.c_str(), "%i %i %i %i %i", &code, &corners[0], &corners[1], &corners[2], &corners[3]) == 5) {
      glyphs.insert(code);
    }
  }
  bool german = false;
  std::vector<std::string> texts = PathsEndingIn("_d.txt");
  const std::vector<std::string> english = PathsEndingIn("_eng.txt");
  texts.insert(texts.end(), english.begin(), english.end());
  for (const std::string& path : texts) {
    SCOPED_TRACE(path);
    for (const uint8_t byte : *data_.Find(path)) {
      EXPECT_EQ(1u, glyphs.count(byte)) << "no glyph for " << static_cast<int>(byte);
      german = german || byte >= 0x80;
    }
  }
  EXPECT_TRUE(german) << "the German texts are written without their letters";
}

TEST_F(DemoDataTest, PackServesEveryFileButTheMoviesByteForByte) {
  MountPack();
  RwFileFunctions* files = RwEngineGetFileInterface();
  for (const auto& file : data_.Files()) {
    SCOPED_TRACE(file.first);
    std::string native = file.first;
    std::replace(native.begin(), native.end(), '/', '\\');
    void* handle = files->rwfopen(native.c_str(), "rb");
    if (!demo::IsPacked(file.first)) {
      EXPECT_EQ(nullptr, handle);
      continue;
    }
    ASSERT_NE(nullptr, handle);
    std::vector<uint8_t> read(file.second.size() + 1);
    EXPECT_EQ(file.second.size(), files->rwfread(read.data(), 1, read.size(), handle));
    read.resize(file.second.size());
    EXPECT_TRUE(read == file.second);
    files->rwfclose(handle);
  }
}

// Each row: a property file, a group and the keys its reader requires.
struct RequiredKeys {
  const char* file;
  const char* group;
  std::vector<const char*> keys;
};

TEST_F(DemoDataTest, PropertyFilesHoldEveryRequiredKey) {
  const std::vector<RequiredKeys> rows = {
      {"data/config.txt", "Init", {"FRAME_LIMIT"}},
      {"data/config.txt", "end_texts", {"ENDTEXTS"}},
      {"data/config.txt", "credit_list", {"CREDITLIST"}},
      {"data/config.txt", "implants", {"TASER_RANGE", "TASER_USE_ANGLE"}},
      {"data/menu/text_d.txt", "text", {"LANGUAGE_TITLE", "LANGUAGE_ITEM00", "LANGUAGE_ITEM01", "LANGUAGE_FOOTER"}},
      {"data/menu/text_eng.txt", "text", {"LANGUAGE_TITLE", "LANGUAGE_ITEM00", "LANGUAGE_ITEM01", "LANGUAGE_FOOTER"}},
      {"data/endtexts_d.txt", "TEXTS", {"MESSAGE01", "MESSAGE02", "MESSAGE03", "MESSAGE04", "MESSAGE05", "MESSAGE06"}},
      {"data/endtexts_eng.txt", "TEXTS", {"MESSAGE01", "MESSAGE06"}},
      {"data/credits_d.txt", "CREDITS", {"CREDITLIST"}},
      {"data/credits_eng.txt", "CREDITS", {"CREDITLIST"}},
  };
  MountPack();
  for (const RequiredKeys& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " [" + row.group + "]");
    cPropertyFile file;
    ASSERT_TRUE(file.Load(cString(row.file)));
    const cPropertyGroup* group = file.FindGroup(cString(row.group));
    ASSERT_NE(nullptr, group);
    for (const char* key : row.keys) {
      EXPECT_NE(nullptr, group->FindProperty(cString(key))) << key;
    }
  }
}

// An action that notes its name when an event reaches it.
class NotingAction : public cInputAction {
 public:
  NotingAction(const char* name, std::string* log) : cInputAction(cString(name)), mLog(log) {}
  bool OnEvent(const tEvent*) override {
    *mLog += std::string(GetName().CStr()) + " ";
    return true;
  }

 private:
  std::string* mLog;
};

TEST_F(DemoDataTest, InputMapBindsEveryActionAndQuitHasAKeyOfItsOwn) {
  const char* const actions[] = {
      "FORWARD",     "BACKWARD", "LEFT",       "RIGHT",        "TURNRIGHT", "TURNLEFT",       "TURN",
      "LOOKUP",      "LOOKDOWN", "LOOK",       "CENTER_VIEW",  "RUN",       "SNEAK",          "SNEAKTOGGLE",
      "SEARCH",      "USEITEM",  "USEIMPLANT", "USEBIONICEYE", "ZOOMIN",    "ZOOMOUT",        "NEXTIMPLANT",
      "PREVIMPLANT", "VIEWINFO", "VIEWMAP",    "VIEWMISSION",  "QUITAPP",   "DELETEDIALOGUE", "DELETEDIALOGUEALL"};
  MountPack();
  cInputMap map(cString("data/inputmap.txt"));
  EXPECT_TRUE(map.IsKeyboardEnabled() && map.IsMouseEnabled());
  EXPECT_FALSE(map.IsPadEnabled());
  cPropertyGroup group;
  ASSERT_TRUE(group.LoadText(cString("data/inputmap.txt")));
  std::string log;
  std::vector<std::unique_ptr<NotingAction>> bound;
  for (const char* action : actions) {
    SCOPED_TRACE(action);
    const cProperty* inputs = group.FindProperty(cString(action));
    ASSERT_NE(nullptr, inputs);
    EXPECT_NE(0u, inputs->GetValue().Length());
    bound.emplace_back(new NotingAction(action, &log));
    map.BindHandler(bound.back().get());  // an input that names nothing is fatal
  }
  gInputLatch = 1;
  tEvent quit = {};
  quit.type = kEventKey;
  quit.key.keyCode = kKeyF12;
  quit.key.pressed = 1;
  map.OnEvent(&quit);
  gInputLatch = 0;
  EXPECT_EQ("QUITAPP ", log);
}

// The PNG twins of the HUD's masked pictures hold their ink opaque and the
// ground around it clear, for the sprites that read a picture alone; the
// particles' and the lightning's twins fade from their shape's middle to a
// clear edge.
TEST_F(DemoDataTest, EveryPictureReadsBackThroughTheEngine) {
  ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr));
  ASSERT_TRUE(RwImageRegisterImageFormat("png", RtPNGImageRead, nullptr));
  MountPack();
  std::vector<std::string> pictures = PathsEndingIn(".bmp");
  const std::vector<std::string> twins = PathsEndingIn(".png");
  ASSERT_FALSE(pictures.empty());
  ASSERT_FALSE(twins.empty());
  pictures.insert(pictures.end(), twins.begin(), twins.end());
  for (const std::string& path : pictures) {
    SCOPED_TRACE(path);
    RwImage* image = RwImageRead(path.c_str());
    ASSERT_NE(nullptr, image);
    EXPECT_GT(image->width, 0);
    if (EndsWith(path, ".png")) {
      std::set<int> alphas;
      for (RwInt32 y = 0; y < image->height; y++) {
        for (RwInt32 x = 0; x < image->width; x++) {
          alphas.insert(image->pixels[y * image->stride + 4 * x + 3]);
        }
      }
      if (path.rfind("data/implants/", 0) == 0) {
        // A particle's sprite and the lightning's strip fade out towards a
        // clear edge.
        EXPECT_EQ(0, *alphas.begin());
        EXPECT_LE(200, *alphas.rbegin());
      } else {
        EXPECT_EQ((std::set<int>{0, 255}), alphas);
      }
    }
    RwImageDestroy(image);
  }
}

// Pixel (x, y) of a picture: 0xRRGGBBAA.
uint32_t Rgba(const RwImage* image, int x, int y) {
  const RwUInt8* p = image->pixels + y * image->stride + 4 * x;
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// The value of a key of a text file's group, its quotes taken off.
std::string TextValue(const std::string& path, const char* group, const std::string& key) {
  cPropertyFile file;
  const cPropertyGroup* found = file.Load(cString(path.c_str())) ? file.FindGroup(cString(group)) : nullptr;
  const cProperty* property = found != nullptr ? found->FindProperty(cString(key.c_str())) : nullptr;
  const std::string value = property != nullptr ? property->GetValue().CStr() : "";
  return value.size() >= 2 && value[0] == '"' ? value.substr(1, value.size() - 2) : value;
}

// Each row: files and a rule, on each pixel of a picture read through the
// engine (true at a fault) or on the file (false at a fault).
struct DataCase {
  const char* what;
  std::vector<std::string> paths;
  std::function<bool(const RwImage*, int, int)> pixelFault;
  std::function<bool(const std::string&)> holds = nullptr;
};

TEST_F(DemoDataTest, PicturesAndTextsShowWhatTheScreensNeed) {
  std::vector<std::string> cells, levelTexts;
  for (const auto& file : data_.Files()) {
    if (file.first.find("/fonts/") != std::string::npos || file.first.find("/texts_") != std::string::npos) {
      (file.first.find("/fonts/") != std::string::npos ? cells : levelTexts).push_back(file.first);
    }
  }
  const auto edge = [](const RwImage* im, int x, int y) {
    return std::min(std::min(x, y), std::min(im->width - 1 - x, im->height - 1 - y));
  };
  // The tab panel lays its top pieces (0.4 x 0.1 at y 0.2) out in fractions
  // of the screen's width about its middle row; at 640 x 480 the briefing's
  // first line runs 98 to 113 pixels down, 93 to 511 across.
  const auto underBriefing = [](double left) {
    return [left](const RwImage* im, int x, int y) {
      const double across = (left + 0.4 * (x + 0.5) / im->width) * 640;
      const double down = 48 + 64 * (y + 0.5) / im->height;
      return down > 98 && down < 113 && across > 93 && across < 511 && (Rgba(im, x, y) & 0xFF) != 0;
    };
  };
  const std::vector<DataCase> cases = {
      {"the map's cone is clear off its wedge and opaque on it",
       {"data/textures/cone.png"},
       [](const RwImage* im, int x, int y) {
         return (Rgba(im, x, y) & 0xFF) != (Rgba(im, x, y) > 0xFF ? 0xFFu : 0u) || Rgba(im, 16, 16) != 0xFFFFFFFF;
       }},
      // The window menus' footer stands a tenth of the height from the
      // bottom; its descenders come down to a fiftieth.
      {"the window's frame keeps clear of the footer's rows",
       {"data/menu/window_background.bmp"},
       [&edge](const RwImage* im, int x, int y) {
         return y > im->height * 9 / 10 && edge(im, x, y) > im->height / 80 &&
                Rgba(im, x, y) != Rgba(im, im->width / 2, y);
       }},
      {"the name cells keep a two-pixel frame, their ink clear of it", cells,
       [&edge](const RwImage* im, int x, int y) {
         const uint32_t ring = edge(im, x, y) < 2 ? Rgba(im, 0, 0) : Rgba(im, 2, 2);
         return Rgba(im, 0, 0) == Rgba(im, 2, 2) || (edge(im, x, y) <= 2 && Rgba(im, x, y) != ring);
       }},
      {"the panel's left top piece is clear under the briefing", {"data/textures/keret01.png"}, underBriefing(0.11875)},
      {"the panel's right top piece is clear under the briefing",
       {"data/textures/keret02.png"},
       underBriefing(0.51875)},
      {"every picture read by name (screens, pages, bars, HUD, panels, particles, lightning) is drawn, "
       "not a labelled placeholder",
       demo::TextureNames(), nullptr,
       [this](const std::string& name) {
         // The generator marks each labelled placeholder it writes.
         return data_.Has(name + ".bmp") && data_.Placeholders().count(name + ".bmp") == 0 &&
                data_.Placeholders().count(name + "_mask.bmp") == 0;
       }},
      // A profile line names its level by the level item of its level index,
      // item 0 "level01" and on, with a capital its briefing does not use.
      {"the level items name the numbered levels as their briefings do",
       {"1_d", "2_d", "3_d", "4_d", "5_d", "1_eng", "2_eng", "3_eng", "4_eng", "5_eng"},
       nullptr,
       [](const std::string& level) {
         const std::string language = level.substr(2);
         const std::string item =
             TextValue("data/menu/text_" + language + ".txt", "text", "LEVEL_ITEM0" + std::to_string(level[0] - '1'));
         const std::string briefing =
             TextValue("data/level0" + level.substr(0, 1) + "/texts_" + language + ".txt", "TEXTS", "BRIEFING");
         return item.size() > 1 && briefing.find(item.substr(1)) != std::string::npos;
       }},
      // The mission list writes an objective ("@NN text") from its second
      // digit on, turned into a blank, beside a check box over that blank.
      {"the objectives leave a blank after their number", levelTexts, nullptr,
       [](const std::string& path) {
         bool blank = true;
         for (int n = 0; n < 10; n++) {
           const std::string line = TextValue(path, "TEXTS", "MISSION0" + std::to_string(n));
           blank = blank && (line[0] != '@' || (line.size() > 4 && line[3] == ' ' && line[4] != ' '));
         }
         return blank;
       }},
  };
  ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr));
  ASSERT_TRUE(RwImageRegisterImageFormat("png", RtPNGImageRead, nullptr));
  MountPack();
  for (const DataCase& c : cases) {
    for (const std::string& path : c.paths) {
      SCOPED_TRACE(std::string(c.what) + ": " + path);
      RwImage* image = c.holds ? nullptr : RwImageRead(path.c_str());
      int faults = c.holds ? !c.holds(path) : image == nullptr || image->depth != 32;
      for (int i = 0; image != nullptr && faults == 0 && i < image->width * image->height; i++) {
        faults += c.pixelFault(image, i % image->width, i / image->width);
      }
      EXPECT_EQ(0, faults);
      if (image != nullptr) {
        RwImageDestroy(image);
      }
    }
  }
}

// The hacking panel asks for key 0 (up), 1 (right), 2 (down) and 3 (left)
// by its tile: the arrow's head, wider than its shaft, lies towards the
// key's side, and the tile's corners are clear round an opaque middle.
TEST_F(DemoDataTest, KeyTilesPointTheirKeysWay) {
  struct Row {
    const char* path;
    int dx, dy;
  };
  const Row rows[] = {
      {"data/hack/key0", 0, -1}, {"data/hack/key1", 1, 0}, {"data/hack/key2", 0, 1}, {"data/hack/key3", -1, 0}};
  const int sides[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
  ASSERT_TRUE(RwImageRegisterImageFormat("png", RtPNGImageRead, nullptr));
  MountPack();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    RwImage* image = RwImageRead((std::string(row.path) + ".png").c_str());
    ASSERT_NE(nullptr, image);
    const int size = image->width;
    ASSERT_EQ(size, image->height);
    // Inked pixels on the line across the tile a third of the way from its
    // middle towards each side.
    const auto inkTowards = [image, size](int dx, int dy) {
      int count = 0;
      for (int along = 0; along < size; along++) {
        const int x = dx != 0 ? size / 2 + dx * size / 6 : along;
        const int y = dy != 0 ? size / 2 + dy * size / 6 : along;
        count += (Rgba(image, x, y) >> 24) > 0xC0 ? 1 : 0;
      }
      return count;
    };
    const int ahead = inkTowards(row.dx, row.dy);
    for (const auto& side : sides) {
      if (side[0] != row.dx || side[1] != row.dy) {
        EXPECT_GT(ahead, inkTowards(side[0], side[1])) << "side " << side[0] << "," << side[1];
      }
    }
    EXPECT_EQ(0u, Rgba(image, 0, 0) & 0xFF);
    EXPECT_EQ(0u, Rgba(image, size - 1, size - 1) & 0xFF);
    EXPECT_EQ(0xFFu, Rgba(image, size / 2, size / 2) & 0xFF);
    RwImageDestroy(image);
  }
}

TEST_F(DemoDataTest, EverySoundLoadsAsMono16BitAt22050Hz) {
  MountPack();
  dsoundtest::SetTestMode(true);
  ASSERT_TRUE(CSoundEngine::Create(22050, 16, 40.0f));
  for (const std::string& name : demo::SoundNames()) {
    SCOPED_TRACE(name);
    tSoundBuffer* buffer = CSoundEngine::LoadWav(name.c_str());
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(1u, buffer->channels);
    EXPECT_EQ(22050u, buffer->sampleRate);
    EXPECT_EQ(16u, buffer->bitsPerSample);
    EXPECT_GT(buffer->sizeBytes, 0u);
  }
  CSoundEngine::Shutdown();
  dsoundtest::SetTestMode(false);
}

TEST_F(DemoDataTest, MusicAndMoviesReadBackFromTheFolder) {
  std::string error;
  ASSERT_TRUE(demo::WriteOutput(data_, folder_.Path(), demo::OutputOptions(), &error)) << error;
  // The folder the game writes its dictionary caches into stands ready.
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(folder_.File("data/texdicts"))));
  std::vector<int16_t> chunk(4096);
  for (const std::string& track : demo::MusicNames()) {
    SCOPED_TRACE(track);
    COggDecoder decoder;
    ASSERT_TRUE(decoder.Open(folder_.File("data/media/music/" + track + ".ogg").c_str(), 4096));
    EXPECT_EQ(1, decoder.GetChannels());
    EXPECT_EQ(22050, decoder.GetSampleRate());
    size_t bytes = 0;
    for (s32 got = 0; got != kOggEndOfStream; got = decoder.Decode(chunk.data())) {
      bytes += static_cast<size_t>(got);
    }
    EXPECT_EQ(2u * 22050u * 2u, bytes);  // two seconds: the loop is whole
  }
  AVIFileInit();
  for (const std::string& movie : demo::MovieNames()) {
    SCOPED_TRACE(movie);
    const std::string path = folder_.File("data/movies/" + movie + ".avi");
    for (DWORD type : {streamtypeVIDEO, streamtypeAUDIO}) {
      PAVISTREAM stream = nullptr;
      ASSERT_EQ(0, AVIStreamOpenFromFileA(&stream, path.c_str(), type, 0, OF_READ, nullptr));
      EXPECT_GT(AVIStreamLength(stream), 0);
      AVIStreamRelease(stream);
    }
  }
  AVIFileExit();
}

class EmptyScene : public cScene {
 public:
  cCamera* GetCamera(u32) override { return nullptr; }
};

TEST_F(DemoDataTest, ParticleFilesLoadThroughTheGameAndTogetherUseEveryKey) {
  ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr));
  MountPack();
  std::set<std::string> used;
  for (const std::string& path : demo::ParticleFileNames()) {
    SCOPED_TRACE(path);
    EmptyScene scene;
    cMultiParticleSystem effect;
    effect.Load(&scene, path.c_str(), RwV3d{0.0f, 0.0f, 0.0f}, RwV3d{0.0f, 0.0f, 1.0f});
    EXPECT_GT(effect.GetCount(), 0u);
    cPropertyFile file;
    ASSERT_TRUE(file.Load(cString(path.c_str())));
    for (u32 g = 0; g < file.GetCount(); g++) {
      for (u32 p = 0; p < file.GetGroup(g).GetCount(); p++) {
        used.insert(file.GetGroup(g).GetProperty(p).GetName().CStr());
      }
    }
  }
  const std::set<std::string> every = {"ELEMENTS", "TYPE",   "MAXNUMBER",    "RATE",    "BURST",     "SPAN",
                                       "SPEED",    "DIST",   "INHERITSPEED", "ANGLE",   "FORCE",     "COLOR",
                                       "SIZE",     "ROTATE", "BLEND",        "TEXTURE", "NUMFRAMES", "LINE_LENGTH"};
  EXPECT_EQ(every, used);
}

TEST_F(DemoDataTest, NamesTheFilesGiveExist) {
  MountPack();
  for (const std::string& path : demo::ParticleFileNames()) {
    SCOPED_TRACE(path);
    cPropertyFile file;
    ASSERT_TRUE(file.Load(cString(path.c_str())));
    for (u32 g = 0; g < file.GetCount(); g++) {
      if (const cProperty* texture = file.GetGroup(g).FindProperty(cString("TEXTURE"))) {
        EXPECT_TRUE(data_.Has(std::string(texture->GetValue().CStr()) + ".bmp")) << texture->GetValue().CStr();
      }
    }
  }
  for (const std::string& name : demo::MaskedTextureNames()) {
    EXPECT_TRUE(data_.Has(name + "_mask.bmp")) << name;
  }
}

// Each row: what the folder holds before a run, and whether the run writes.
struct FolderCase {
  const char* name;
  bool stamped;
  bool savedGame;  // "save.dat" and an empty "data/"
  bool foreignFile;
  bool writes;
};

TEST_F(DemoDataTest, OutputEmptiesOnlyAStampedFolder) {
  const std::vector<FolderCase> cases = {
      {"empty folder", false, false, false, true},
      {"unstamped folder with a saved game and an empty data folder", false, true, false, true},
      {"stamped folder with a former file", true, true, true, true},
      {"unstamped folder with a file", false, false, true, false},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder("demo_out");
    if (c.stamped) {
      ASSERT_TRUE(WriteWholeFile(folder.File(demo::kStampName), "old"));
    }
    if (c.savedGame) {
      ASSERT_TRUE(WriteWholeFile(folder.File("save.dat"), "saved"));
      ASSERT_EQ(0, mkdir(folder.File("data").c_str(), 0755));
    }
    if (c.foreignFile) {
      ASSERT_TRUE(WriteWholeFile(folder.File("former.txt"), "x"));
    }
    demo::OutputOptions packed;
    packed.pack = true;
    std::string error;
    EXPECT_EQ(c.writes, demo::WriteOutput(data_, folder.Path(), packed, &error)) << error;
    EXPECT_EQ(c.foreignFile && !c.writes, std::ifstream(folder.File("former.txt")).good());
    EXPECT_EQ(c.writes, std::ifstream(folder.File(demo::kPackName)).good());
    EXPECT_EQ(c.writes, std::ifstream(folder.File("data/movies/final.avi")).good());
    EXPECT_FALSE(std::ifstream(folder.File("data/config.txt")).good());
    if (c.savedGame) {
      EXPECT_TRUE(std::ifstream(folder.File("save.dat")).good());
    }
  }
}

// The command end to end: packed, with the dictionary caches in the pack,
// the same bytes on a second run into the same (stamped) folder.
TEST(DemoCommandTest, WritesTheSameFilesTwice) {
  ScratchFolder folder("demo_command");
  const std::string command = std::string(TK_DEMO_PATH) + " --pack --dictionaries " + folder.Path() + " > /dev/null";
  const std::vector<std::string> files = {demo::kPackName, "data/movies/final.avi"};
  std::vector<std::string> first;
  for (int run = 0; run < 2; run++) {
    SCOPED_TRACE(run);
    ASSERT_EQ(0, std::system(command.c_str()));
    for (size_t i = 0; i < files.size(); i++) {
      SCOPED_TRACE(files[i]);
      std::ifstream in(folder.File(files[i]), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_FALSE(bytes.empty());
      if (run == 0) {
        first.push_back(bytes);
      } else {
        EXPECT_TRUE(bytes == first[i]);
      }
    }
  }
  for (const auto& dictionary : demo::Dictionaries()) {
    SCOPED_TRACE(dictionary.path);
    EXPECT_NE(std::string::npos, first[0].find(dictionary.path + '\0'));
    EXPECT_FALSE(std::ifstream(folder.File(dictionary.path)).good());
  }
}

}  // namespace
