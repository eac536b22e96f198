// The demo's data folder: a placeholder's mark lasts until a later file
// replaces it at the same path.
#include "tools/demo/data_folder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(DataFolderTest, PlaceholderMarkFollowsTheLastWriteOfAPath) {
  struct Row {
    const char* what;
    std::vector<std::pair<bool, const char*>> writes;  // (placeholder, path) in order
    std::set<std::string> marked;
  };
  const Row rows[] = {
      {"a placeholder is marked, a drawn picture not", {{true, "a"}, {false, "b"}}, {"a"}},
      {"a drawn picture over a placeholder clears its mark", {{true, "a"}, {false, "a"}}, {}},
      {"a placeholder over a drawn picture is marked", {{false, "a"}, {true, "a"}}, {"a"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    demo::DataFolder data;
    for (const auto& write : row.writes) {
      if (write.first) {
        data.WritePlaceholder(write.second, {1});
      } else {
        data.Write(write.second, {2});
      }
    }
    EXPECT_EQ(row.marked, data.Placeholders());
  }
}

}  // namespace
