// A fixture for the game's screens and render services: the engine started
// on the Direct3D 8 stand-in with a 640 x 480 window, the BMP reader, the
// charset toolkit, and screen textures and a font served from a scratch pack; helpers
// to clear a target, draw a sprite and read back pixels; a screen target.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "game/app/pak_file.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/startup/engine_start.h"
#include "game/render/scene/camera.h"
#include "game/render/scene/render_target.h"
#include "game/render/text/font.h"
#include "game/render/text/sprite2d.h"
#include "tests/support/d3d8_engine_window.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/bmp_writer.h"
#include "tools/forge/files/font_writer.h"
#include "tools/forge/files/pack_writer.h"

class ScreenEngineTest : public D3D8EngineWindowTest {
 protected:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;
  // The colours of the generated screen textures, 0xRRGGBB.
  static constexpr uint32_t kPictureColour = 0x2040C0;
  static constexpr uint32_t kBarColour = 0x30E050;

  ScreenEngineTest() : ScreenEngineTest(kWidth, kHeight) {}
  // A window and screen target of another size.
  ScreenEngineTest(int width, int height)
      : D3D8EngineWindowTest("screens", width, height, 1 << 22), screenWidth_(width), screenHeight_(height) {}

  void SetUp() override {
    D3D8EngineWindowTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    StartEngine();
    if (HasFatalFailure()) {
      return;
    }
    ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr));
    ASSERT_TRUE(RtCharsetOpen());
    packPath_ = ScratchPath("screens.pak");
    ASSERT_TRUE(screen_.CreateScreen(tTargetSize{static_cast<u32>(screenWidth_), static_cast<u32>(screenHeight_)}));
    ClearTarget(screen_);
  }

  void TearDown() override {
    delete gScreenStack;
    gScreenStack = nullptr;
    screen_.Release();
    if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus == kRwEngineStatusStarted) {
      DestroyAllTexDictionaries();
      RtCharsetClose();
    }
    cPakFile::Shutdown();
    std::remove(packPath_.c_str());
    D3D8EngineWindowTest::TearDown();
  }

  // An 8 x 8 bitmap of one colour.
  static std::string PlainBitmap(uint32_t colour) {
    forge::BmpDescription bmp;
    bmp.width = 8;
    bmp.height = 8;
    bmp.pixels.assign(64, colour);
    const std::vector<uint8_t> bytes = forge::WriteBmp(bmp);
    return std::string(bytes.begin(), bytes.end());
  }

  // The font "data/font/gothic13": characters ' ' to 'z', each a cell of
  // kGlyphWidth x kGlyphHeight pixels inked but for its last two columns
  // (the space not at all).
  static constexpr int kGlyphWidth = 8;
  static constexpr int kGlyphHeight = 16;
  static void AddFont(PackWriter& pack) {
    std::vector<forge::RectGlyph> cells;
    std::vector<forge::RectGlyph> ink;
    for (int code = ' '; code <= 'z'; code++) {
      const int x = (code - ' ') % 16 * kGlyphWidth;
      const int y = (code - ' ') / 16 * kGlyphHeight;
      cells.push_back({code, x, y, x + kGlyphWidth, y + kGlyphHeight});
      if (code != ' ') {
        ink.push_back({code, x, y, x + kGlyphWidth - 2, y + kGlyphHeight});
      }
    }
    pack.Add("data/font/gothic13.met", forge::Metrics1Text("gothic13.bmp", "", 4, cells));
    const std::vector<uint8_t> page = forge::WriteBmp(forge::RectPageImage(128, 128, ink));
    pack.Add("data/font/gothic13.bmp", std::string(page.begin(), page.end()));
  }

  // The font "data/font/dots" as {path, bytes} files to mount: cells of
  // kGlyphWidth x kDotsCellHeight pixels in the German texts' encoding, every
  // letter a body of rows 5 to 10 over columns 1 to 5, the i and the umlauts
  // (0xE4, 0xF6, 0xFC) with their one-pixel dots on row kDotsDotRow over
  // columns 3 (the i) or 1 and 5, one clear row above the body; the space
  // empty. Its mask is the page itself, so that only the ink is opaque.
  static constexpr int kDotsCellHeight = 15;
  static constexpr int kDotsDescent = 3;
  static constexpr int kDotsDotRow = 3;
  static std::vector<std::pair<std::string, std::string>> DottedFontFiles() {
    constexpr int kBodyTop = 5;
    constexpr int kBodyBottom = 11;
    constexpr int kRowPitch = 32;  // clear rows between the glyph rows
    std::vector<int> codes;
    for (int code = ' '; code <= 'z'; code++) {
      codes.push_back(code);
    }
    codes.insert(codes.end(), {0xE4, 0xF6, 0xFC});
    std::vector<forge::RectGlyph> cells;
    std::vector<forge::RectGlyph> ink;
    for (size_t i = 0; i < codes.size(); i++) {
      const int code = codes[i];
      const int x = static_cast<int>(i % 16) * (kGlyphWidth + 2);
      const int y = static_cast<int>(i / 16) * kRowPitch;
      cells.push_back({code, x, y, x + kGlyphWidth, y + kDotsCellHeight});
      if (code == ' ') {
        continue;
      }
      const bool dotted = code == 'i' || code >= 0x80;
      const int left = code == 'i' ? 3 : 1;
      const int right = code == 'i' ? 4 : 6;
      ink.push_back({code, x + left, y + kBodyTop, x + right, y + kBodyBottom});
      if (dotted) {
        const int dots[2] = {code == 'i' ? 3 : 1, code == 'i' ? 3 : 5};
        for (int dot : dots) {
          ink.push_back({code, x + dot, y + kDotsDotRow, x + dot + 1, y + kDotsDotRow + 1});
        }
      }
    }
    const std::vector<uint8_t> page = forge::WriteBmp(forge::RectPageImage(256, 256, ink));
    const std::string pageBytes(page.begin(), page.end());
    return {{"data/font/dots.met", forge::Metrics1Text("dots.bmp", "", kDotsDescent, cells)},
            {"data/font/dots.bmp", pageBytes},
            {"data/font/mdots.bmp", pageBytes}};
  }

  // Serves "<name>.bmp" for each {name, colour}, the loading screen's two
  // textures, the font and each {path, bytes} of files (paths of their own).
  void MountTextures(const std::vector<std::pair<std::string, uint32_t>>& extra = {},
                     const std::vector<std::pair<std::string, std::string>>& files = {}) {
    PackWriter pack;
    pack.Add("data/screens/level00.bmp", PlainBitmap(kPictureColour));
    pack.Add("data/screens/barpiece.bmp", PlainBitmap(kBarColour));
    AddFont(pack);
    for (const auto& texture : extra) {
      pack.Add(texture.first + ".bmp", PlainBitmap(texture.second));
    }
    for (const auto& file : files) {
      pack.Add(file.first, file.second);
    }
    ASSERT_TRUE(pack.WriteFile(packPath_));
    cPakFile::MountDefault(packPath_.c_str(), "");
    ASSERT_NE(nullptr, cPakFile::GetMounted());
  }

  // Clears the target's colour and depth.
  static void ClearTarget(const cRenderTarget& target, RwRGBA colour = RwRGBA{0, 0, 0, 255}) {
    cCamera camera;
    camera.Clear(target, colour, 1, 1, 0);
  }

  // The global screen stack on the window, 640 x 480, presented once: the
  // first present with the vertical retrace switches the swap effect, which
  // resets the device, here rather than in the frames under test.
  void MakeScreenStack() {
    gScreenStack = new cScreenStack(&window_);
    gScreenStack->SetScreenSize(tTargetSize{static_cast<u32>(screenWidth_), static_cast<u32>(screenHeight_)});
    gScreenStack->Present();
    ClearTarget(gScreenStack->GetTarget());
  }

  // Draws the sprite through a widget camera on the target.
  static void DrawSprite(cSprite2D& sprite, const cRenderTarget& target) {
    cCamera camera;
    camera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
    ASSERT_NE(nullptr, camera.BeginUpdate(target, 1));
    sprite.Render();
    camera.EndUpdate();
  }

  // The fraction (0..1 of the window) as a pixel column or row.
  static int PixelX(float fraction) { return static_cast<int>(fraction * kWidth); }
  static int PixelY(float fraction) { return static_cast<int>(fraction * kHeight); }

  // Pixels of back-buffer row y that are not black.
  static int RowWidth(int y) {
    int count = 0;
    for (int x = 0; x < kWidth; x++) {
      count += BackBufferPixel(x, y) != 0 ? 1 : 0;
    }
    return count;
  }

  // The window's size.
  int screenWidth_;
  int screenHeight_;
  // A screen target of the window's size, cleared to black.
  cRenderTarget screen_;

 private:
  std::string packPath_;
};

// A screen fixture (ScreenEngineTest or one built on it) with the screen
// textures and the font served, the screen stack made and the font
// "gothic13" loaded.
template <typename Base>
class WithScreenText : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    if (this->HasFatalFailure()) {
      return;
    }
    this->MountTextures();
    this->MakeScreenStack();
    ASSERT_TRUE(font_.Load("data/font/", "gothic13", 0.0f));
  }
  void TearDown() override {
    font_.Release();
    Base::TearDown();
  }

  cFont font_;
};

using ScreenTextTest = WithScreenText<ScreenEngineTest>;
