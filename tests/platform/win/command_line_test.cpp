// GetCommandLineA: the arguments quoted as a Windows program receives them,
// and split back by the plain rule of blanks outside double quotes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/win32.h"
#include "platform/win/win_testing.h"

namespace {

// Characters below 33 outside quotes separate; a quote toggles quoting.
std::vector<std::string> SplitPlain(const char* text) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  bool inArgument = false;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (static_cast<unsigned char>(*c) < 33 && !quoted) {
      if (inArgument) {
        arguments.push_back(current);
      }
      current.clear();
      inArgument = false;
    } else {
      current += *c;
      inArgument = true;
    }
  }
  if (inArgument) {
    arguments.push_back(current);
  }
  return arguments;
}

struct QuotingCase {
  std::vector<const char*> arguments;
  const char* expected;
};

void PrintTo(const QuotingCase& quoting, std::ostream* out) { *out << quoting.expected; }

class CommandLineTest : public testing::TestWithParam<QuotingCase> {};

TEST_P(CommandLineTest, QuotesWhatNeedsIt) {
  const QuotingCase& quoting = GetParam();
  WinTestSetArguments(static_cast<int>(quoting.arguments.size()), quoting.arguments.data());
  EXPECT_STREQ(GetCommandLineA(), quoting.expected);
  bool plain = true;
  for (const char* argument : quoting.arguments) {
    plain = plain && std::string(argument).find_first_of("\"\\") == std::string::npos;
  }
  if (plain) {
    EXPECT_EQ(SplitPlain(GetCommandLineA()),
              std::vector<std::string>(quoting.arguments.begin(), quoting.arguments.end()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    testing::Values(QuotingCase{{"/usr/games/tessarak"}, "/usr/games/tessarak"},
                    QuotingCase{{"/opt/my games/tessarak", "-low"}, "\"/opt/my games/tessarak\" -low"},
                    QuotingCase{{"game", "-SelectScreen", "level one.txt", "x"},
                                "game -SelectScreen \"level one.txt\" x"},
                    QuotingCase{{"game", "tab\there"}, "game \"tab\there\""}, QuotingCase{{"game", ""}, "game \"\""},
                    QuotingCase{{"game", "C:\\dir\\file"}, "game C:\\dir\\file"},
                    QuotingCase{{"game", "say \"hi\""}, "game \"say \\\"hi\\\"\""},
                    QuotingCase{{"game", "end slash\\"}, "game \"end slash\\\\\""}),
    [](const testing::TestParamInfo<QuotingCase>& info) { return "Case" + std::to_string(info.index); });

TEST(CommandLine, NoArgumentsGiveAnEmptyLine) {
  WinTestSetArguments(0, nullptr);
  EXPECT_STREQ(GetCommandLineA(), "");
}

TEST(CommandLine, WithoutArgumentsFromMainTheProcessArgumentsAreUsed) {
  WinTestSetArguments(-1, nullptr);
  std::string line = GetCommandLineA();
  EXPECT_NE(line.find("test_platform_win"), std::string::npos) << line;
}

}  // namespace
