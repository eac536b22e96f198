// The demo font read back through the game's font loader on the Direct3D 8
// window: every printable ASCII character (the charset's and the braces, bar and
// tilde after them) and the German letters measured, the page's glyph cells laid out.
#include <gtest/gtest.h>

#include <string>

#include "game/app/pak_file.h"
#include "game/render/text/font.h"
#include "tests/support/screen_engine.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

class DemoFontTest : public ScreenEngineTest {};

TEST_F(DemoFontTest, Gothic13LoadsWithEveryCharsetCharacter) {
  demo::DataFolder data;
  demo::WriteFonts(data);
  std::vector<uint8_t> pack;
  std::string error;
  ASSERT_TRUE(demo::PackBytes(data, &pack, &error)) << error;
  const std::string path = ScratchPath("demo_font.pak");
  ASSERT_TRUE(WriteWholeFile(path, std::string(pack.begin(), pack.end())));
  cPakFile::MountDefault(path.c_str(), "");
  MakeScreenStack();
  cFont font;
  ASSERT_TRUE(font.Load("data/font/", "gothic13", 0.05f));
  EXPECT_FLOAT_EQ(15.0f, Rt2dFontGetHeight(font.GetFont()));
  std::string letters;
  for (char c = ' ' + 1; c <= '~'; c++) {
    letters += c;
  }
  // The German letters, in Windows-1252.
  letters += "\304\326\334\337\344\366\374";
  for (const char c : letters) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c)));
    EXPECT_GT(Rt2dFontGetStringWidth(font.GetFont(), std::string(1, c).c_str(), 15.0f), 0.0f);
  }
  font.Release();
  std::remove(path.c_str());
}

}  // namespace
