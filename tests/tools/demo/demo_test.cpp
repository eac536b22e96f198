// The demo data set: deterministic, laid out and packed as the game reads it,
// and every file read back through the engine's or the game's own reader.
#include "tools/demo/demo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
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
// ground around it clear, for the sprites that read a picture alone.
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
      EXPECT_EQ((std::set<int>{0, 255}), alphas);
    }
    RwImageDestroy(image);
  }
}

// A pixel of a picture read through the engine, whose readers give 32 bits
// a pixel: red, green, blue, alpha.
struct PictureRgba {
  int r, g, b, a;
  bool operator==(const PictureRgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

PictureRgba PixelOf(const RwImage* image, int x, int y) {
  const RwUInt8* p = image->pixels + y * image->stride + 4 * x;
  return PictureRgba{p[0], p[1], p[2], p[3]};
}

// Pixels this far (or less) from the picture's nearest edge.
int EdgeDistance(const RwImage* image, int x, int y) {
  return std::min(std::min(x, y), std::min(image->width - 1 - x, image->height - 1 - y));
}

// Each row: pictures and what each must show.
struct PictureCase {
  const char* what;
  std::vector<std::string> paths;
  std::function<void(const std::string& path, const RwImage* image)> check;
};

TEST_F(DemoDataTest, PicturesShowWhatTheScreensNeed) {
  std::vector<std::string> cells;
  for (const char* cell : {"!", "dot", "bsp", "end"}) {
    cells.push_back(std::string("data/menu/fonts/") + cell + ".bmp");
  }
  for (char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
    cells.push_back(std::string("data/menu/fonts/") + c + ".bmp");
  }
  const std::vector<PictureCase> cases = {
      {"the map's cone is clear around its wedge, which is opaque",
       {"data/textures/cone.png"},
       [](const std::string&, const RwImage* image) {
         int wrong = 0;
         for (int y = 0; y < image->height; y++) {
           for (int x = 0; x < image->width; x++) {
             const PictureRgba p = PixelOf(image, x, y);
             const bool inked = p.r + p.g + p.b > 0;
             wrong += p.a != (inked ? 255 : 0) ? 1 : 0;
           }
         }
         EXPECT_EQ(0, wrong);
         // The wedge's point lies at the bottom middle, its wide end along
         // the top.
         EXPECT_EQ(255, PixelOf(image, image->width / 2, image->height / 2).a);
         EXPECT_EQ(255, PixelOf(image, 0, 0).a);
         for (int y : {image->height / 2, image->height - 1}) {
           for (int x : {0, image->width - 1}) {
             EXPECT_EQ(0, PixelOf(image, x, y).a) << x << ", " << y;
           }
         }
       }},
      {"the loading screen, its bar and the map's men are drawn, not labelled placeholders",
       {"data/screens/level00.bmp", "data/screens/barpiece.bmp", "data/textures/dorvaman.bmp",
        "data/textures/civil.bmp", "data/textures/enemy.bmp"},
       [this](const std::string& path, const RwImage* image) {
         const std::string name = path.substr(0, path.size() - 4);
         const std::vector<uint8_t> placeholder = demo::BmpFile(demo::Placeholder(name, image->width, image->height));
         EXPECT_FALSE(*data_.Find(path) == placeholder);
         std::set<int> colours;
         for (int y = 0; y < image->height; y++) {
           for (int x = 0; x < image->width; x++) {
             const PictureRgba p = PixelOf(image, x, y);
             colours.insert(p.r << 16 | p.g << 8 | p.b);
           }
         }
         EXPECT_GT(colours.size(), 1u);
       }},
      // The window menus write their footer a tenth of the height from the
      // bottom, and its descenders come down to a fiftieth of the height.
      {"the window's frame keeps clear of the footer's rows",
       {"data/menu/window_background.bmp"},
       [](const std::string&, const RwImage* image) {
         const int w = image->width;
         const int h = image->height;
         const int margin = static_cast<int>(std::ceil(0.012 * w));
         for (int d = static_cast<int>(std::ceil(0.012 * h)); d <= h / 10; d++) {
           const int y = h - 1 - d;
           int lined = 0;
           for (int x = margin; x < w - margin; x++) {
             lined += PixelOf(image, x, y) == PixelOf(image, w / 2, y) ? 0 : 1;
           }
           EXPECT_EQ(0, lined) << "row " << y;
         }
       }},
      {"the name cells keep a two-pixel frame on every side, their ink inside it", cells,
       [](const std::string&, const RwImage* image) {
         const PictureRgba frame = PixelOf(image, 0, 0);
         const PictureRgba tile = PixelOf(image, 2, 2);
         EXPECT_FALSE(frame == tile);
         int wrong = 0;
         for (int y = 0; y < image->height; y++) {
           for (int x = 0; x < image->width; x++) {
             const int edge = EdgeDistance(image, x, y);
             if (edge < 2) {
               wrong += PixelOf(image, x, y) == frame ? 0 : 1;
             } else if (edge == 2) {
               wrong += PixelOf(image, x, y) == tile ? 0 : 1;
             }
           }
         }
         EXPECT_EQ(0, wrong);
       }},
      // The tab panel lays its pieces out in fractions of the screen's width
      // about the middle row; the briefing and mission texts begin 82 pixels
      // into a 438-pixel square 5 pixels above the middle, 8 pixels in from
      // its left edge 16 pixels left of the middle.
      {"the panel's top border pieces are clear where its texts' first line runs",
       {"data/textures/keret01.png", "data/textures/keret02.png"},
       [](const std::string& path, const RwImage* image) {
         const double pieceX = path.find("keret01") != std::string::npos ? 0.11875 : 0.51875;
         const double pieceY = 0.2;
         const double pieceW = 0.4;
         const double pieceH = 0.1;
         const int screens[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
         for (const auto& screen : screens) {
           SCOPED_TRACE(screen[0]);
           const double w = screen[0];
           const double h = screen[1];
           const double left = (w - 438) / 2 - 16 + 8;
           const double top = (h - 438) / 2 - 5 + 82;
           for (double y = top; y < top + 15; y++) {
             const double v = ((y + 0.5 + (w - h) / 2) / w - pieceY) / pieceH;
             if (v < 0 || v >= 1) {
               continue;
             }
             for (double x = left; x < left + 418; x++) {
               const double u = ((x + 0.5) / w - pieceX) / pieceW;
               if (u >= 0 && u < 1) {
                 const int row = static_cast<int>(v * image->height);
                 const int column = static_cast<int>(u * image->width);
                 ASSERT_EQ(0, PixelOf(image, column, row).a) << "at " << x << ", " << y;
               }
             }
           }
         }
       }},
  };
  ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr));
  ASSERT_TRUE(RwImageRegisterImageFormat("png", RtPNGImageRead, nullptr));
  MountPack();
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::string& path : c.paths) {
      SCOPED_TRACE(path);
      RwImage* image = data_.Has(path) ? RwImageRead(path.c_str()) : nullptr;
      if (image == nullptr) {
        ADD_FAILURE() << "no picture";
        continue;
      }
      if (image->depth == 32) {
        c.check(path, image);
      } else {
        ADD_FAILURE() << image->depth << " bits a pixel";
      }
      RwImageDestroy(image);
    }
  }
}

// A level's group "TEXTS" in one language, quotes taken off its values.
std::string LevelText(const cPropertyFile& file, const char* key) {
  const cPropertyGroup* group = file.FindGroup(cString("TEXTS"));
  const cProperty* property = group != nullptr ? group->FindProperty(cString(key)) : nullptr;
  if (property == nullptr) {
    return std::string();
  }
  std::string value = property->GetValue().CStr();
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return text;
}

// The profile lines name a profile's level by the level item of its level
// index, the level the game then starts: "level01" for item 0 on.
TEST_F(DemoDataTest, LevelItemsNameTheLevelsAsTheirBriefingsDo) {
  MountPack();
  int named = 0;
  for (const char* language : {"d", "eng"}) {
    SCOPED_TRACE(language);
    cPropertyFile menu;
    ASSERT_TRUE(menu.Load(cString((std::string("data/menu/text_") + language + ".txt").c_str())));
    const cPropertyGroup* words = menu.FindGroup(cString("text"));
    ASSERT_NE(nullptr, words);
    for (int item = 0; item < 6; item++) {
      char key[16];
      char level[16];
      std::snprintf(key, sizeof key, "LEVEL_ITEM%02d", item);
      std::snprintf(level, sizeof level, "level%02d", item + 1);
      SCOPED_TRACE(key);
      const cProperty* name = words->FindProperty(cString(key));
      ASSERT_NE(nullptr, name);
      const std::string texts = std::string("data/") + level + "/texts_" + language + ".txt";
      if (!data_.Has(texts)) {
        continue;
      }
      cPropertyFile file;
      ASSERT_TRUE(file.Load(cString(texts.c_str())));
      const std::string briefing = LevelText(file, "BRIEFING");
      EXPECT_NE(std::string::npos, Lower(briefing).find(Lower(name->GetValue().CStr())))
          << name->GetValue().CStr() << " / " << briefing;
      named++;
    }
  }
  EXPECT_EQ(6, named);  // three numbered levels in two languages
}

// The mission list writes an objective ("@NN text") from its second digit
// on, turned into a blank, beside its check box, which covers the first
// blank: a second one keeps the text's first letter clear of the box.
TEST_F(DemoDataTest, ObjectiveLinesLeaveABlankAfterTheirNumber) {
  MountPack();
  int objectives = 0;
  for (const auto& file : data_.Files()) {
    if (file.first.find("/texts_") == std::string::npos) {
      continue;
    }
    SCOPED_TRACE(file.first);
    cPropertyFile texts;
    ASSERT_TRUE(texts.Load(cString(file.first.c_str())));
    for (int n = 0; n < 100; n++) {
      char key[16];
      std::snprintf(key, sizeof key, "MISSION%02d", n);
      const std::string line = LevelText(texts, key);
      if (line.empty() || line[0] != '@') {
        continue;
      }
      SCOPED_TRACE(line);
      objectives++;
      ASSERT_GT(line.size(), 4u);
      EXPECT_EQ(' ', line[3]);
      EXPECT_NE(' ', line[4]);
    }
  }
  EXPECT_GT(objectives, 8);
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
