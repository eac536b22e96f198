// MoveFileExA: renames that replace only when asked and leave both files
// alone when refused; what a name is, and the working folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
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

TEST(WinFileTest, FileAttributesTellFoldersFromFiles) {
  ScratchFolder folder("attributes");
  ASSERT_TRUE(WriteWholeFile(folder.File("pack.bin"), "x"));
  ASSERT_EQ(0, mkdir(folder.File("Data").c_str(), 0700));
  struct Row {
    std::string name;
    DWORD attributes;
    DWORD error;
  };
  const Row rows[] = {
      {folder.File("pack.bin"), FILE_ATTRIBUTE_NORMAL, ERROR_SUCCESS},
      {folder.File("PACK.BIN"), FILE_ATTRIBUTE_NORMAL, ERROR_SUCCESS},
      {folder.File("data"), FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
      {folder.File("DATA\\"), FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
      {folder.File("none"), INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
      {folder.File("pack.bin/inside"), INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
      {"", INVALID_FILE_ATTRIBUTES, ERROR_INVALID_PARAMETER},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.attributes, GetFileAttributesA(row.name.c_str()));
    EXPECT_EQ(row.error, GetLastError());
  }
}

TEST(WinFileTest, CurrentDirectoryAsksForRoomWhenShort) {
  char expected[4096];
  ASSERT_NE(nullptr, getcwd(expected, sizeof(expected)));
  const DWORD length = static_cast<DWORD>(strlen(expected));
  char buffer[4096];
  EXPECT_EQ(length, GetCurrentDirectoryA(sizeof(buffer), buffer));
  EXPECT_STREQ(expected, buffer);
  // One short of the terminator: the size needed, nothing copied.
  buffer[0] = '\0';
  EXPECT_EQ(length + 1, GetCurrentDirectoryA(length, buffer));
  EXPECT_EQ('\0', buffer[0]);
  EXPECT_EQ(length + 1, GetCurrentDirectoryA(0, nullptr));
}
