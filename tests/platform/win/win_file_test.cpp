// MoveFileExA: renames that replace only when asked, leave both files alone
// when refused, and resolve names as the Windows file system would.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/win/win32.h"
#include "tests/support/scratch_path.h"

namespace {

static_assert(MOVEFILE_REPLACE_EXISTING == 1 && MOVEFILE_COPY_ALLOWED == 2 && MOVEFILE_WRITE_THROUGH == 8,
              "move flags");
static_assert(ERROR_FILE_NOT_FOUND == 2 && ERROR_PATH_NOT_FOUND == 3 && ERROR_ACCESS_DENIED == 5 &&
                  ERROR_NOT_SAME_DEVICE == 17,
              "file errors");

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return "<missing>";
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(WinFileTest, MoveFileExReplacesOnlyWhenAsked) {
  struct Row {
    const char* what;
    const char* from;    // created with "new" unless null
    bool targetExists;   // "to" created with "old"
    const char* source;  // the name passed
    const char* target;
    DWORD flags;
    BOOL answer;
    DWORD error;
    const char* fromAfter;
    const char* toAfter;
  };
  const DWORD replace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  const Row rows[] = {
      {"replace", "from", true, "from", "to", replace, TRUE, ERROR_SUCCESS, "<missing>", "new"},
      {"new name", "from", false, "from", "to", MOVEFILE_WRITE_THROUGH, TRUE, ERROR_SUCCESS, "<missing>", "new"},
      {"refused without the flag", "from", true, "from", "to", 0, FALSE, ERROR_ALREADY_EXISTS, "new", "old"},
      {"missing source", nullptr, true, "from", "to", replace, FALSE, ERROR_FILE_NOT_FOUND, "<missing>", "old"},
      {"other case, backslash", "from", true, ".\\FROM", "TO", replace, TRUE, ERROR_SUCCESS, "<missing>", "new"},
      {"unknown flag", "from", true, "from", "to", 0x10, FALSE, ERROR_INVALID_PARAMETER, "new", "old"},
      {"empty name", "from", true, "from", "", replace, FALSE, ERROR_INVALID_PARAMETER, "new", "old"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchFolder folder("move");
    ASSERT_FALSE(folder.Path().empty());
    if (row.from != nullptr) {
      ASSERT_TRUE(WriteWholeFile(folder.File(row.from), "new"));
    }
    if (row.targetExists) {
      ASSERT_TRUE(WriteWholeFile(folder.File("to"), "old"));
    }
    const std::string source = folder.Path() + "/" + row.source;
    const std::string target = row.target[0] != '\0' ? folder.Path() + "/" + row.target : "";
    SetLastError(ERROR_NOT_OWNER);
    EXPECT_EQ(row.answer, MoveFileExA(source.c_str(), target.c_str(), row.flags));
    EXPECT_EQ(row.error, GetLastError());
    EXPECT_EQ(row.fromAfter, Contents(folder.File("from")));
    EXPECT_EQ(row.toAfter, Contents(folder.File("to")));
  }
}

TEST(WinFileTest, MoveFileExKeepsFoldersOutOfIt) {
  ScratchFolder folder("move_folders");
  ASSERT_FALSE(folder.Path().empty());
  ASSERT_EQ(0, mkdir(folder.File("dir").c_str(), 0700));
  ASSERT_TRUE(WriteWholeFile(folder.File("file"), "data"));
  EXPECT_FALSE(MoveFileExA(folder.File("dir").c_str(), folder.File("x").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_FALSE(MoveFileExA(folder.File("file").c_str(), folder.File("dir").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_EQ("data", Contents(folder.File("file")));
}
