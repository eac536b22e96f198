// MoveFileExA: renames that replace only when asked and leave both files
// alone when refused.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/win/win32.h"
#include "tests/support/scratch_path.h"

static_assert(MOVEFILE_REPLACE_EXISTING == 1 && MOVEFILE_COPY_ALLOWED == 2 && MOVEFILE_WRITE_THROUGH == 8, "flags");
static_assert(ERROR_FILE_NOT_FOUND == 2 && ERROR_PATH_NOT_FOUND == 3 && ERROR_ACCESS_DENIED == 5, "errors");

TEST(WinFileTest, MoveFileExReplacesOnlyWhenAsked) {
  struct Row {
    const char* what;
    const char* source;  // the file "from" holds "new", "to" holds "old"; "dir" is a folder
    const char* target;
    DWORD flags;
    DWORD error;  // ERROR_SUCCESS: moved
  };
  const DWORD replace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  const Row rows[] = {
      {"replace", "from", "to", replace, ERROR_SUCCESS},
      {"other case, backslash", ".\\FROM", "TO", replace, ERROR_SUCCESS},
      {"new name", "from", "new", MOVEFILE_WRITE_THROUGH, ERROR_SUCCESS},
      {"refused without the flag", "from", "to", 0, ERROR_ALREADY_EXISTS},
      {"missing source", "none", "to", replace, ERROR_FILE_NOT_FOUND},
      {"unknown flag", "from", "to", 0x10, ERROR_INVALID_PARAMETER},
      {"folder as source", "dir", "x", replace, ERROR_ACCESS_DENIED},
      {"folder as target", "from", "dir", replace, ERROR_ACCESS_DENIED},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ScratchFolder folder("move");
    ASSERT_TRUE(WriteWholeFile(folder.File("from"), "new") && WriteWholeFile(folder.File("to"), "old"));
    ASSERT_EQ(0, mkdir(folder.File("dir").c_str(), 0700));
    const bool moved = row.error == ERROR_SUCCESS;
    EXPECT_EQ(moved, MoveFileExA(folder.File(row.source).c_str(), folder.File(row.target).c_str(), row.flags) != 0);
    EXPECT_EQ(row.error, GetLastError());
    std::ifstream from(folder.File("from"));
    std::ifstream to(folder.File(row.target == std::string("new") ? "new" : "to"));
    EXPECT_EQ(!moved, from.good());
    EXPECT_EQ(moved ? "new" : "old", std::string(std::istreambuf_iterator<char>(to), {}));
  }
}
