// Front-end tests that read and write "save.dat": the engine started on the
// fake driver, the working folder a scratch folder of the test's own, and
// the two program-wide records made fresh.
#pragma once

#include <unistd.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <string>

#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"

class SaveFolderTest : public StartedEngineTest {
 protected:
  SaveFolderTest() : folder_("save_folder") {}

  void SetUp() override {
    StartedEngineTest::SetUp();
    ASSERT_FALSE(folder_.Path().empty());
    ASSERT_NE(nullptr, getcwd(previous_, sizeof(previous_)));
    ASSERT_EQ(0, chdir(folder_.Path().c_str()));
    gGameOptions = new cGameOptions;
    gSaveProfiles = new cSaveProfiles;
  }
  void TearDown() override {
    delete gSaveProfiles;
    gSaveProfiles = nullptr;
    delete gGameOptions;
    gGameOptions = nullptr;
    EXPECT_EQ(0, chdir(previous_));
    StartedEngineTest::TearDown();
  }

  // The whole file in the scratch folder; empty when it is missing.
  std::string FileBytes(const std::string& name) const {
    std::ifstream in(folder_.File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool PutFile(const std::string& name, const std::string& bytes) const {
    return WriteWholeFile(folder_.File(name), bytes);
  }

  ScratchFolder folder_;

 private:
  char previous_[PATH_MAX] = {};
};
