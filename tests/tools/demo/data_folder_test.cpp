// The demo's data folder: a placeholder's mark lasts until a later file
// replaces it at the same path.
#include "tools/demo/data_folder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

TEST(DataFolderTest, PlaceholderMarkFollowsTheLastWriteOfAPath) {
  struct Step {
    bool placeholder;
    const char* path;
  };
  struct Row {
    const char* what;
    std::vector<Step> steps;
    std::set<std::string> marked;
  };
  const Row rows[] = {
      {"a drawn picture is not marked", {{false, "a.bmp"}}, {}},
      {"a placeholder is marked", {{true, "a.bmp"}}, {"a.bmp"}},
      {"a drawn picture written over a placeholder clears its mark", {{true, "a.bmp"}, {false, "a.bmp"}}, {}},
      {"a placeholder written over a drawn picture is marked", {{false, "a.bmp"}, {true, "a.bmp"}}, {"a.bmp"}},
      {"marks are kept by path", {{true, "a.bmp"}, {true, "b.bmp"}, {false, "b.bmp"}}, {"a.bmp"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    demo::DataFolder data;
    for (const Step& step : row.steps) {
      const std::vector<uint8_t> bytes = {step.placeholder ? uint8_t{1} : uint8_t{2}};
      if (step.placeholder) {
        data.WritePlaceholder(step.path, bytes);
      } else {
        data.Write(step.path, bytes);
      }
    }
    EXPECT_EQ(row.marked, data.Placeholders());
    const Step& last = row.steps.back();
    EXPECT_EQ(last.placeholder ? 1 : 2, (*data.Find(last.path))[0]);
  }
}

}  // namespace
