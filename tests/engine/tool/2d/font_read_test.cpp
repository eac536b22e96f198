// Reading fonts: glyph rectangles and masks (METRICS1), marked cells on
// several pages (METRICS2), outline glyphs (METRICS3), the font folders, and
// corrupt or missing files, all written by the test font writer.
#include <unistd.h>

#include <string>

#include "tests/engine/tool/2d/twod_fixture.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/font_writer.h"

namespace {

using forge::MarkedPage;
using forge::RectGlyph;
using twod_test::FolderOf;
using twod_test::Near;
using twod_test::TwoDTest;
using twod_test::WriteScratch;

// Names the file interface was asked about, by open (fonts) or exists (images).
std::vector<std::string>& Lookups() {
  static std::vector<std::string> lookups;
  return lookups;
}

RwFileOpenFunction gOpen = nullptr;
RwFileExistsFunction gExists = nullptr;

void* RecordOpen(const RwChar* name, const RwChar* mode) {
  Lookups().push_back(name);
  return gOpen(name, mode);
}

RwBool RecordExists(const RwChar* name) {
  Lookups().push_back(name);
  return gExists(name);
}

bool Looked(const std::string& name) {
  for (const std::string& lookup : Lookups()) {
    if (lookup == name) {
      return true;
    }
  }
  return false;
}

class FontReadTest : public TwoDTest {
 protected:
  void SetUp() override {
    TwoDTest::SetUp();
    ASSERT_TRUE(!folder_.Path().empty());
    RwFileFunctions* files = RwEngineGetFileInterface();
    gOpen = files->rwfopen;
    gExists = files->rwfexist;
    files->rwfopen = RecordOpen;
    files->rwfexist = RecordExists;
    Lookups().clear();
    Rt2dFontSetPath(FolderOf(folder_).c_str());
  }

  void TearDown() override {
    if (font_ != nullptr) {
      EXPECT_TRUE(Rt2dFontDestroy(font_));
    }
    TwoDTest::TearDown();
  }

  Rt2dFont* Read(const char* name) {
    font_ = Rt2dFontRead(name);
    return font_;
  }

  void ExpectGlyph(RwChar code, RwReal advance, RwReal left, RwReal top, RwReal right, RwReal bottom) {
    SCOPED_TRACE(code);
    const Rt2dGlyph& glyph = font_->glyphs[static_cast<RwUInt8>(code)];
    EXPECT_TRUE(Near(glyph.advance, advance)) << glyph.advance;
    EXPECT_TRUE(Near(glyph.left, left) && Near(glyph.top, top)) << glyph.left << ", " << glyph.top;
    EXPECT_TRUE(Near(glyph.right, right) && Near(glyph.bottom, bottom)) << glyph.right << ", " << glyph.bottom;
  }

  RwRaster* PageRaster(const char* letter) {
    RwTexture* texture = RwTexDictionaryFindNamedTexture(font_->texDictionary, letter);
    return texture != nullptr ? texture->raster : nullptr;
  }

  ScratchFolder folder_{"font_read"};
  Rt2dFont* font_ = nullptr;
};

// A METRICS1 font "one" on a 64 x 64 page: 'A', 'B' and code 200, and lines
// the reader skips.
void WriteMetrics1(ScratchFolder& folder, int pageHeight) {
  const std::vector<RectGlyph> glyphs = {{'A', 0, 0, 16, 32}, {'B', 16, 0, 48, 32}, {200, 48, 0, 64, 32}};
  std::string text = forge::Metrics1Text("page.bmp", "", 8, glyphs);
  text += "67 0 5 10 5\n67 1 2 3\n300 0 0 8 8\n";
  ASSERT_TRUE(WriteScratch(folder, "one.met", text));
  ASSERT_TRUE(WriteScratch(folder, "page.bmp", forge::WriteBmp(forge::RectPageImage(64, pageHeight, glyphs))));
}

MarkedPage Page(const char* image, int width, int height, int cellHeight, std::vector<std::vector<int>> bands,
                const char* characters) {
  MarkedPage page;
  page.image = image;
  page.width = width;
  page.height = height;
  page.cellHeight = cellHeight;
  page.bands = bands;
  page.characters = characters;
  return page;
}

// The METRICS2 file and its page images.
void WriteMetrics2(ScratchFolder& folder, const char* name, const std::vector<MarkedPage>& pages) {
  ASSERT_TRUE(WriteScratch(folder, std::string(name) + ".met", forge::Metrics2Text(pages)));
  for (const MarkedPage& page : pages) {
    ASSERT_TRUE(WriteScratch(folder, page.image, forge::WriteBmp(forge::MarkedPageImage(page))));
  }
}

TEST_F(FontReadTest, Metrics1GlyphsComeFromTheirRectangles) {
  WriteMetrics1(folder_, 64);
  ASSERT_NE(Read("one"), nullptr);
  EXPECT_EQ(font_->outline, 0);
  EXPECT_EQ(font_->size, 32.0f);
  EXPECT_EQ(font_->baseline, 0.25f);
  EXPECT_EQ(font_->render, Rt2dFontBitmapRender);
  RwRaster* page = PageRaster("a");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(font_->glyphs['A'].raster, page);
  // Mipmapped with levels the driver generates.
  EXPECT_EQ((static_cast<RwUInt32>(page->format) << 8) & (rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP),
            rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP);
  ExpectGlyph('A', 0.5f, 0.0f, 0.0f, 0.25f, 0.5f);
  ExpectGlyph('B', 1.0f, 0.25f, 0.0f, 0.75f, 0.5f);
  ExpectGlyph(static_cast<RwChar>(200), 0.5f, 0.75f, 0.0f, 1.0f, 0.5f);
  EXPECT_EQ(font_->pageMap['B'], 'a');
  EXPECT_EQ(font_->glyphs['C'].raster, nullptr);  // a glyph without height is skipped
  EXPECT_EQ(font_->pageMap['C'], 0);
  // The mask is looked for as "m" and the image's name, and not needed.
  EXPECT_TRUE(Looked(FolderOf(folder_) + "mpage.bmp"));
  // The image search path stays on the font folders.
  EXPECT_STREQ(RwImageGetPath(), FolderOf(folder_).c_str());
}

TEST_F(FontReadTest, Metrics2CellsAreFoundBetweenMarkersOnEachPage) {
  // The first page's second band ends at its adjacent markers.
  MarkedPage first = Page("p0.bmp", 64, 32, 16, {{10, 12}, {8, 1, 8}}, "ABC");
  first.descent = 3;
  MarkedPage second = Page("p1.bmp", 32, 32, 8, {{6}}, "Z");
  second.mask = "m1.bmp";
  second.descent = 1;
  WriteMetrics2(folder_, "two", {first, second});
  ASSERT_NE(Read("two"), nullptr);
  EXPECT_EQ(font_->outline, 0);
  ExpectGlyph('A', 6.0f / 14.0f, 2.0f / 64.0f, 2.0f / 32.0f, 8.0f / 64.0f, 14.0f / 32.0f);
  ExpectGlyph('B', 8.0f / 14.0f, 12.0f / 64.0f, 2.0f / 32.0f, 20.0f / 64.0f, 14.0f / 32.0f);
  ExpectGlyph('C', 4.0f / 14.0f, 2.0f / 64.0f, 18.0f / 32.0f, 6.0f / 64.0f, 30.0f / 32.0f);
  ExpectGlyph('Z', 2.0f / 6.0f, 2.0f / 32.0f, 2.0f / 32.0f, 4.0f / 32.0f, 6.0f / 32.0f);
  EXPECT_EQ(font_->glyphs['A'].raster, PageRaster("a"));
  EXPECT_EQ(font_->glyphs['Z'].raster, PageRaster("b"));
  EXPECT_EQ(font_->pageMap['Z'], 'b');
  // Size and baseline are the last page's.
  EXPECT_EQ(font_->size, 6.0f);
  EXPECT_TRUE(Near(font_->baseline, 1.0f / 6.0f));
  EXPECT_TRUE(Looked(FolderOf(folder_) + "m1.bmp"));
}

TEST_F(FontReadTest, Metrics2PageWhoseCharacterLineEndsEarlyStopsThere) {
  // The first page has three cells and two characters.
  WriteMetrics2(folder_, "short",
                {Page("p0.bmp", 64, 16, 8, {{8, 8, 8}}, "AB"), Page("p1.bmp", 64, 16, 8, {{8, 8, 8}}, "XYZ")});
  ASSERT_NE(Read("short"), nullptr);
  EXPECT_EQ(font_->pageMap['B'], 'a');
  EXPECT_EQ(font_->pageMap['\n'], 0);
  EXPECT_EQ(font_->pageMap['X'], 'b');
  EXPECT_EQ(font_->pageMap['Z'], 'b');
}

// Pages the driver cannot take at their size are enlarged to a square and
// the glyphs' coordinates follow.
class SquareTextureFontReadTest : public FontReadTest {
 protected:
  void SetUp() override {
    d3d8test::SetCapsProfile(d3d8test::CapsProfile::Minimal);
    FontReadTest::SetUp();
  }
};

TEST_F(SquareTextureFontReadTest, NonSquarePagesBecomeSquareRasters) {
  WriteMetrics1(folder_, 32);
  ASSERT_NE(Read("one"), nullptr);
  ASSERT_EQ(PageRaster("a")->height, 64);
  ExpectGlyph('A', 0.5f, 0.0f, 0.0f, 0.25f, 0.5f);

  WriteMetrics2(folder_, "two", {Page("p0.bmp", 64, 32, 16, {{10}}, "A")});
  Rt2dFontDestroy(font_);
  ASSERT_NE(Read("two"), nullptr);
  ExpectGlyph('A', 6.0f / 14.0f, 2.0f / 64.0f, 2.0f / 64.0f, 8.0f / 64.0f, 14.0f / 64.0f);
}

TEST_F(FontReadTest, Metrics3GlyphsAreFlatUnlockedOutlines) {
  const std::vector<forge::OutlineGlyph> glyphs = {
      {'L', {"moveto 0.1 1", "lineto 0.1 0", "lineto 0.6 0", "moveto 0.7 0"}},
      {'O', {"moveto 0 0.5", "curveto 0 1 0.6 1 0.6 0.5", "curveto 0.6 0 0 0 0 0.5", "closepath", "moveto 0.8 0"}},
      {'L', {"moveto 0.1 1", "lineto 0.1 0", "lineto 0.6 0", "moveto 0.65 0"}},  // replaces the first
  };
  std::string text = forge::Metrics3Text("Outline", glyphs);
  text += "'X'\nbegin\nmoveto 0 0\nlineto 1 1\n";  // left open at the end
  ASSERT_TRUE(WriteScratch(folder_, "three.met", text));
  ASSERT_NE(Read("three"), nullptr);
  EXPECT_EQ(font_->outline, 1);
  EXPECT_EQ(font_->render, Rt2dFontOutlineRender);
  EXPECT_EQ(font_->texDictionary, nullptr);
  const Rt2dGlyph& l = font_->glyphs['L'];
  ASSERT_NE(l.path, nullptr);
  EXPECT_TRUE(Near(l.advance, 0.65f));
  EXPECT_EQ(l.path->list, nullptr);
  EXPECT_EQ(l.path->numPoints, 3);
  EXPECT_EQ(l.path->next, nullptr);  // the lone closing moveto is pruned
  const Rt2dGlyph& o = font_->glyphs['O'];
  ASSERT_NE(o.path, nullptr);
  EXPECT_TRUE(Near(o.advance, 0.8f));
  EXPECT_EQ(o.path->flat, 1);
  EXPECT_EQ(o.path->closed, 1);
  for (RwInt32 i = 0; i < o.path->numPoints; i++) {
    EXPECT_NE(o.path->points[i].kind, kRt2dPathCurve) << i;
  }
  EXPECT_EQ(font_->glyphs['X'].path, nullptr);
}

TEST_F(FontReadTest, FoldersAreSearchedInOrder) {
  ASSERT_TRUE(WriteScratch(folder_, "second/one.met", "METRICS3\nName\n"));
  const std::string folders = FolderOf(folder_) + "first/;" + FolderOf(folder_) + "second/";
  Rt2dFontSetPath(folders.c_str());
  ASSERT_NE(Read("one"), nullptr);
  ASSERT_GE(Lookups().size(), 2u);
  EXPECT_EQ(Lookups()[0], FolderOf(folder_) + "first/one.met");
  EXPECT_EQ(Lookups()[1], FolderOf(folder_) + "second/one.met");
  EXPECT_EQ(Rt2dFontSetPath(nullptr), nullptr);
  const std::string longPath(200, 'x');
  Rt2dFontSetPath(longPath.c_str());
  EXPECT_EQ(std::string(_rt2dFontGetPath()), longPath.substr(0, 127));
}

TEST_F(FontReadTest, TheDefaultFolderIsFontsBelowTheWorkingFolder) {
  ASSERT_TRUE(WriteScratch(folder_, "fonts/plain.met", "METRICS3\nName\n"));
  Reopen(camera_);
  EXPECT_STREQ(_rt2dFontGetPath(), "fonts\\");
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(FolderOf(folder_).c_str()), 0);
  Read("plain");
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_NE(font_, nullptr);
}

TEST_F(FontReadTest, MissingAndCorruptFilesFailOrGiveNoGlyphs) {
  const std::string longName(255, 'n');
  const struct {
    const char* what;
    std::string text;
    bool fails;
  } cases[] = {
      {"unknown format", "METRICS9\npage.bmp\n", false},
      {"empty file", "", false},
      {"no image name", "METRICS1\n\n", false},
      {"missing image", "METRICS1\nnothing.bmp\n0\n65 0 0 8 8\n", true},
      {"no mask name room", "METRICS1\n" + longName + "\n", true},
      {"missing page", "METRICS2\nnothing.bmp\n0\nA\n", true},
      {"cells too low", "METRICS2\nlow.bmp\n0\nA\n", true},
      {"no cell marker", "METRICS2\nunmarked.bmp\n0\nA\n", true},
      {"line before moveto", "METRICS3\nName\n'a'\nbegin\nlineto 1 1\nend\n", true},
      {"no name line", "METRICS3\n", false},
  };
  ASSERT_TRUE(
      WriteScratch(folder_, "low.bmp", forge::WriteBmp(forge::MarkedPageImage(Page("", 16, 16, 2, {{8}}, "")))));
  ASSERT_TRUE(WriteScratch(folder_, "plain.bmp", forge::WriteBmp(forge::RectPageImage(16, 16, {}))));
  // A white marker at (0, 0) that no other pixel repeats.
  ASSERT_TRUE(
      WriteScratch(folder_, "unmarked.bmp", forge::WriteBmp(forge::RectPageImage(16, 16, {{0, 0, 0, 1, 1}}))));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteScratch(folder_, "bad.met", c.text));
    Rt2dFont* font = Rt2dFontRead("bad");
    TakeError();
    if (c.fails) {
      EXPECT_EQ(font, nullptr);
      continue;
    }
    ASSERT_NE(font, nullptr);
    for (const Rt2dGlyph& glyph : font->glyphs) {
      EXPECT_TRUE(glyph.raster == nullptr && glyph.path == nullptr && glyph.advance == 0.0f);
    }
    Rt2dFontDestroy(font);
  }
  EXPECT_EQ(Rt2dFontRead("absent"), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrFileOpen);
  {
    SCOPED_TRACE("no glyph lines: no baseline");
    ASSERT_TRUE(WriteScratch(folder_, "bare.met", "METRICS1\nplain.bmp\n4\n"));
    ASSERT_NE(Read("bare"), nullptr);
    EXPECT_EQ(font_->baseline, 0.0f);
  }
}

}  // namespace
