// Cutting the command line: separators, quoting, and the one block that holds
// the pointers and the text.
#include "game/app/startup/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const char* text) {
  u32 count = 99;
  char** arguments = SplitCommandLine(text, &count);
  std::vector<std::string> result;
  if (arguments == nullptr) {
    EXPECT_EQ(0u, count);
    return result;
  }
  for (u32 i = 0; i < count; i++) {
    result.push_back(arguments[i]);
  }
  free(arguments);
  return result;
}

using Args = std::vector<std::string>;

TEST(SplitCommandLineTest, SeparatorsAndQuotes) {
  struct tCase {
    const char* text;
    Args expected;
  };
  const tCase cases[] = {
      {"tessarak", {"tessarak"}},
      {"tessarak -low", {"tessarak", "-low"}},
      {"  tessarak \t  -low\t\t-medium   ", {"tessarak", "-low", "-medium"}},
      {"\"C:\\Program Files\\game.exe\" -SelectScreen", {"C:\\Program Files\\game.exe", "-SelectScreen"}},
      {"game \"a  b\"", {"game", "a  b"}},
      {"game \"\" x", {"game", "", "x"}},
      {"game \"tab\tinside\"", {"game", "tab\tinside"}},
      {"game \"unterminated quote", {"game", "unterminated quote"}},
      {"game a\x01\x1f"
       "b",
       {"game", "a", "b"}},
      {"game \"closed\"next", {"game", "closed", "next"}},
      {"", {}},
      {"   \t ", {}},
  };
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.text);
    EXPECT_EQ(test.expected, Split(test.text));
  }
}

TEST(SplitCommandLineTest, NullTextGivesNoArguments) {
  u32 count = 7;
  EXPECT_EQ(nullptr, SplitCommandLine(nullptr, &count));
  EXPECT_EQ(0u, count);
}

// Many one-letter arguments need far more than 4 bytes a pointer; the
// sanitizer catches a block sized for 32-bit pointers.
TEST(SplitCommandLineTest, ManyShortArgumentsFitTheBlock) {
  std::string text = "game";
  for (int i = 0; i < 500; i++) {
    text += " ";
    text += static_cast<char>('a' + i % 26);
  }
  const Args arguments = Split(text.c_str());
  ASSERT_EQ(501u, arguments.size());
  EXPECT_EQ("a", arguments[1]);
  EXPECT_EQ("f", arguments[500]);
}

}  // namespace
