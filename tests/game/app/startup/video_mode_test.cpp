// The video-mode choice over plain mode tables, the device dialog's first
// selection and its mode lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/app/startup/device_dialog.h"
#include "game/app/startup/engine_start.h"

namespace {

constexpr RwUInt32 kFull = kRwVideoModeExclusive;

const RwVideoMode k640 = {640, 480, 32, 0};
const RwVideoMode k640Full = {640, 480, 32, kFull};
const RwVideoMode k800 = {800, 600, 32, kFull};
const RwVideoMode k1024 = {1024, 768, 32, kFull};
const RwVideoMode k1024x16 = {1024, 768, 16, kFull};

tVideoModeChoice Choose(const std::vector<RwVideoMode>& modes, bool low, bool medium) {
  return ChooseVideoMode(cVideoModeArray(modes.data(), static_cast<s32>(modes.size())), low, medium);
}

TEST(VideoModeChoiceTest, OptionsPickTheirModes) {
  const std::vector<RwVideoMode> all = {k640, k1024x16, k800, k1024};
  struct tCase {
    const char* name;
    bool low;
    bool medium;
    s32 mode;
  };
  const tCase cases[] = {
      {"default", false, false, 3},
      {"-medium", false, true, 2},
      {"-low", true, false, 0},
      {"-low -medium", true, true, 0},
  };
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.name);
    const tVideoModeChoice choice = Choose(all, test.low, test.medium);
    EXPECT_EQ(test.mode, choice.mode);
    EXPECT_FALSE(choice.warnNotFound);
    EXPECT_FALSE(choice.minimalNotFound);
  }
}

// A match at index 0 is a match, not "missing".
TEST(VideoModeChoiceTest, ModeAtIndexZeroIsFound) {
  const std::vector<RwVideoMode> modes = {k1024, k640};
  const tVideoModeChoice choice = Choose(modes, false, false);
  EXPECT_EQ(0, choice.mode);
  EXPECT_FALSE(choice.warnNotFound);
  EXPECT_EQ(0, FindModeInTable(cVideoModeArray(modes.data(), 2), 1024, 768, 32));
  EXPECT_EQ(-1, FindModeInTable(cVideoModeArray(modes.data(), 2), 800, 600, 32));
  EXPECT_EQ(-1, FindModeInTable(cVideoModeArray(nullptr, 0), 640, 480, 32));
  // The windowed desktop mode comes first: a full-screen one of its size wins.
  const std::vector<RwVideoMode> desktop = {{1024, 768, 32, 0}, k640Full, k1024};
  EXPECT_EQ(2, Choose(desktop, false, false).mode);
  EXPECT_EQ(0, FindModeInTable(cVideoModeArray(desktop.data(), 2), 1024, 768, 32));
}

TEST(VideoModeChoiceTest, MissingModesFallBackTo640WithAWarning) {
  const std::vector<RwVideoMode> small = {k1024x16, k640Full};
  {
    SCOPED_TRACE("default without 1024 and 800");
    const tVideoModeChoice choice = Choose(small, false, false);
    EXPECT_EQ(1, choice.mode);
    EXPECT_TRUE(choice.warnNotFound);
    EXPECT_FALSE(choice.minimalNotFound);
  }
  {
    SCOPED_TRACE("-medium without 800");
    const std::vector<RwVideoMode> no800 = {k1024, k640};
    const tVideoModeChoice choice = Choose(no800, false, true);
    EXPECT_EQ(1, choice.mode);
    EXPECT_TRUE(choice.warnNotFound);
  }
  {
    SCOPED_TRACE("-low never warns");
    const tVideoModeChoice choice = Choose(small, true, true);
    EXPECT_EQ(1, choice.mode);
    EXPECT_FALSE(choice.warnNotFound);
  }
  {
    SCOPED_TRACE("only 800 without the 1024 mode");
    const std::vector<RwVideoMode> only800 = {k640, k800};
    const tVideoModeChoice choice = Choose(only800, false, false);
    EXPECT_EQ(1, choice.mode);
    EXPECT_FALSE(choice.warnNotFound);
  }
}

TEST(VideoModeChoiceTest, Missing640EndsTheChoice) {
  const std::vector<RwVideoMode> none = {k1024x16, {640, 480, 16, 0}};
  tVideoModeChoice choice = Choose(none, false, false);
  EXPECT_EQ(-1, choice.mode);
  EXPECT_TRUE(choice.warnNotFound);
  EXPECT_TRUE(choice.minimalNotFound);

  const std::vector<RwVideoMode> big = {k1024, k800};
  choice = Choose(big, true, false);
  EXPECT_EQ(-1, choice.mode);
  EXPECT_FALSE(choice.warnNotFound);
  EXPECT_TRUE(choice.minimalNotFound);
}

TEST(DeviceDialogTest, FirstSelectionIsTheWindowed640Mode) {
  const std::vector<RwVideoMode> modes = {k1024, k640Full, k800, k640};
  EXPECT_EQ(3, FindDialogDefaultMode(cVideoModeArray(modes.data(), 4)));
  const std::vector<RwVideoMode> fullOnly = {k640Full, k1024};
  EXPECT_EQ(-1, FindDialogDefaultMode(cVideoModeArray(fullOnly.data(), 2)));
}

TEST(DeviceDialogTest, ModeLines) {
  char line[96];
  FormatVideoModeLine(k640, line, sizeof(line));
  EXPECT_STREQ("640 x 480 x 32 ", line);
  FormatVideoModeLine(k1024, line, sizeof(line));
  EXPECT_STREQ("1024 x 768 x 32 (Fullscreen)", line);
}

}  // namespace
