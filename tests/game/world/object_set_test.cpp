// Object sets cloned from forged locator files: the clones' names, places
// and colour tables, and files missing, empty, short or with texts too long.
#include "game/world/object_set.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/forge/files/locator_writer.h"

namespace {

// A level object whose model is a bare frame, or none.
class FrameObject : public cLevelObject {
 public:
  explicit FrameObject(bool withFrame) : mFrame(withFrame ? RwFrameCreate() : nullptr) {}
  FrameObject(const FrameObject& other) : cLevelObject(other), mFrame(other.mFrame ? RwFrameCreate() : nullptr) {}
  ~FrameObject() override { RwFrameDestroy(mFrame); }
  cLevelObject* Clone() override { return new FrameObject(*this); }
  void SetColourTable(const char* text) override { colours = text; }
  RwFrame* GetFrame() const { return mFrame; }

  std::string colours;
  RwFrame* mFrame;
};

using ObjectSetTest = StartedEngineTest;

TEST_F(ObjectSetTest, ClonesOfTheEntriesPresent) {
  ScratchFolder folder("object_set");
  struct Row {
    u32 header, clones;  // header 0xFF: no file
    std::vector<std::string> names;
    bool withFrame = true;
  };
  const Row rows[] = {{0xFF, 0, {}},
                      {0, 0, {}},
                      {3, 3, {"a", "b", "c"}},
                      {5, 2, {"a", "b"}},
                      {0xFFFFFFFF, 1, {"a"}},
                      {3, 1, {"a", std::string(kObjectNameSize, 'n'), "c"}},
                      {2, 2, {"a", "b"}, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.header << " " << row.names.size() << " " << row.clones);
    const std::string path = folder.File("set.xrf");
    std::remove(path.c_str());
    LocatorWriter writer;
    writer.headerValue = row.header;
    for (size_t i = 0; i < row.names.size(); i++) {
      writer.Add(row.names[i], std::to_string(i), static_cast<float>(i + 1), 0.5f, 0.0f);
    }
    ASSERT_TRUE(row.header == 0xFF || writer.WriteFile(path));
    tObjectSet<FrameObject> set(row.withFrame);
    set.InstantiateDevices(path.c_str());
    ASSERT_EQ(row.clones, set.GetCount());
    for (u32 i = 0; i < set.GetCount(); i++) {
      const FrameObject* clone = set.GetClone(i);
      EXPECT_EQ(row.names[i], clone->GetName().CStr());
      EXPECT_EQ(std::to_string(i), clone->colours);
      EXPECT_EQ(row.withFrame ? static_cast<float>(i + 1) : 0.0f,
                row.withFrame ? RwFrameGetLTM(clone->GetFrame())->pos.x : 0.0f);
    }
    EXPECT_TRUE(set.GetPrototype().GetName().IsEmpty());
  }
}

}  // namespace
