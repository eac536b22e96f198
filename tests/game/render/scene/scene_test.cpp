// The scene on the fake driver: ticks run both update passes over clients
// that delete themselves and each other, and the property-file cache loads
// each name once.
#include "game/render/scene/scene.h"

#include <string>
#include <vector>

#include "game/app/event.h"
#include "game/foundation/updatable.h"
#include "tests/game/render/models/model_fixture.h"
#include "tests/support/scratch_path.h"

namespace {

using Log = std::vector<std::string>;

class TestScene : public cScene {
 public:
  cCamera* GetCamera(u32) override { return nullptr; }
};

// A client that logs its calls; it asks to be deleted, or deletes another
// client, in the pass and at the call given.
class Client : public cUpdatable {
 public:
  Client(Log* log, const char* name) : mLog(log), mName(name) {}
  ~Client() override { mLog->push_back(mName + " deleted"); }

  bool Update(f32 dt) override { return Call("update", dt, mDieInUpdate); }
  bool PostUpdate(f32 dt) override { return Call("post", dt, false); }

  bool mDieInUpdate = false;
  Client* mVictim = nullptr;

 private:
  bool Call(const char* pass, f32 dt, bool die) {
    mLog->push_back(mName + " " + pass + " " + std::to_string(dt));
    if (mVictim != nullptr) {
      Client* victim = mVictim;
      mVictim = nullptr;
      delete victim;
    }
    return die;
  }

  Log* mLog;
  std::string mName;
};

class SceneTest : public ModelEngineTest {};

void SetTick(tEvent* event, f32 frameTime) {
  event->type = kEventTick;
  event->tick.frameTime = frameTime;
}

TEST_F(SceneTest, TicksRunBothPassesAndClientsMayDeleteThemselvesOrOthers) {
  Log log;
  TestScene scene;
  Client* a = new Client(&log, "a");
  Client* b = new Client(&log, "b");
  Client* c = new Client(&log, "c");
  Client* d = new Client(&log, "d");
  for (Client* client : {a, b, c, d}) {
    scene.GetUpdateList().Append(client);
  }
  b->mDieInUpdate = true;  // deleted in the first pass, not called in the second
  c->mVictim = d;          // deletes its successor in mid-walk

  tEvent tick;
  SetTick(&tick, 0.0f);
  scene.OnEvent(&tick);
  EXPECT_EQ((Log{"a update 0.000000", "b update 0.000000", "b deleted", "c update 0.000000", "d deleted",
                 "a post 0.000000", "c post 0.000000"}),
            log);
  EXPECT_EQ(1u, scene.GetTickCount());
  EXPECT_EQ(2u, scene.GetUpdateList().Count());

  // Other events are not ticks.
  log.clear();
  tEvent key;
  SetTick(&key, 1.0f);
  key.type = kEventKey;
  scene.OnEvent(&key);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(1u, scene.GetTickCount());
  delete a;
  delete c;
}

TEST_F(SceneTest, PropertyFilesAreLoadedOncePerExactName) {
  const std::string path = ScratchPath("cached.txt");
  ASSERT_TRUE(WriteWholeFile(path, "[init]\nELEMENTS = [spark]\n"));
  TestScene scene;
  cPropertyFileCache* cache = scene.GetPropertyFileCache();
  ASSERT_NE(nullptr, cache);
  cPropertyFile* file = cache->Get(cString(path.c_str()));
  ASSERT_NE(nullptr, file);
  EXPECT_NE(nullptr, file->FindGroup(cString("init")));
  // Changed on disk: the cached file is still the one answered.
  ASSERT_TRUE(WriteWholeFile(path, "[other]\n"));
  EXPECT_EQ(file, cache->Get(cString(path.c_str())));
  EXPECT_EQ(1u, cache->GetCount());
  EXPECT_EQ(nullptr, cache->Get(cString((path + ".missing").c_str())));
  EXPECT_EQ(1u, cache->GetCount());

  cache->Clear();
  EXPECT_EQ(0u, cache->GetCount());
  file = cache->Get(cString(path.c_str()));
  ASSERT_NE(nullptr, file);
  EXPECT_NE(nullptr, file->FindGroup(cString("other")));
  std::remove(path.c_str());
}

}  // namespace
