// Model user data read when a model is loaded, on the fake driver: each key
// to its bit, geometry flag or field of the owning object, first key in
// order wins, and a geometry without user data left as the file gave it.
#include "game/render/models/model_user_data.h"

#include "game/render/models/clump_ro.h"
#include "tests/game/render/models/model_fixture.h"
#include "tests/support/quad_model.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/forge.h"

namespace {

ForgeUserData Int(const char* name, RwInt32 value) {
  ForgeUserData data;
  data.name = name;
  data.ints = {value};
  return data;
}

class ModelUserDataTest : public ModelEngineTest {
 protected:
  void TearDown() override {
    mObject.reset();  // before the engine stops
    ModelEngineTest::TearDown();
  }

  // The object's atomics, in the order the quads were given, each with its
  // quad's user data.
  std::vector<RpAtomic*> Load(const std::vector<std::vector<ForgeUserData>>& arrays, const tTestQuad& quad = {}) {
    const std::string path = mFolder.File("model.dff");
    std::vector<tTestQuad> quads(arrays.size(), quad);
    EXPECT_TRUE(WriteQuadModel(
        path, quads, [&](RpGeometry* geometry, size_t i) { EXPECT_TRUE(ForgeAddUserData(geometry, arrays[i])); }));
    mObject = std::make_unique<cClumpRO>(path.c_str(), nullptr);
    std::vector<RpAtomic*> atomics;
    RpClumpForAllAtomics(
        mObject->GetClump(),
        [](RpAtomic* atomic, void* data) {
          static_cast<std::vector<RpAtomic*>*>(data)->push_back(atomic);
          return atomic;
        },
        &atomics);
    return atomics;
  }

  ScratchFolder mFolder{"user_data"};
  std::unique_ptr<cClumpRO> mObject;
};

TEST_F(ModelUserDataTest, KeysSetFlagsGeometryFlagsAndObjectFields) {
  ForgeUserData name;
  name.name = "name.name";
  name.format = rpSTRINGUSERDATA;
  name.strings = {"door01"};
  ForgeUserData lod;
  lod.name = "lod.lod";
  lod.format = rpREALUSERDATA;
  lod.reals = {12.5f};
  tTestQuad quad;
  quad.atomicFlags = kAtomicFlagRender | kAtomicFlagCollision;
  const std::vector<RpAtomic*> atomics = Load(
      {
          {Int("priority.priority", 10), Int("twosided.twosided", 1), Int("nohear.nohear", 1), name},
          {Int("priority.priority", 3), Int("priority.priority", -1), Int("collision.collision", 0), lod},
          {Int("nolight.nolight", 0), Int("mirror.mirror", 3), Int("Priority.priority", 1)},
          {},
      },
      quad);
  ASSERT_EQ(4u, atomics.size());
  {
    SCOPED_TRACE("priority 10 keeps its low three bits; two-sided and no-hear set");
    EXPECT_EQ(2u, GetAtomicRenderPriority(atomics[0]));
    EXPECT_EQ(0x40u | kAtomicFlagRender | kAtomicFlagCollision | kAtomicFlagTwoSided | kAtomicFlagNoHear,
              RpAtomicGetFlags(atomics[0]));
  }
  {
    SCOPED_TRACE("-1 clears the render bit and keeps the priority; collision 0 clears its bit");
    EXPECT_EQ(3u, GetAtomicRenderPriority(atomics[1]));
    EXPECT_EQ(0u, RpAtomicGetFlags(atomics[1]) & (kAtomicFlagRender | kAtomicFlagCollision));
  }
  {
    SCOPED_TRACE("no-light with the value 0 still clears the lit flag; names match exactly");
    EXPECT_EQ(0u, RpGeometryGetFlags(RpAtomicGetGeometry(atomics[2])) & rpGEOMETRYLIGHT);
    EXPECT_EQ(0u, GetAtomicRenderPriority(atomics[2]));
  }
  {
    SCOPED_TRACE("without user data the flags stay as the file gave them");
    EXPECT_EQ(0u + kAtomicFlagRender + kAtomicFlagCollision, RpAtomicGetFlags(atomics[3]));
    EXPECT_NE(0u, RpGeometryGetFlags(RpAtomicGetGeometry(atomics[3])) & rpGEOMETRYLIGHT);
  }
  EXPECT_EQ(cString("door01"), mObject->GetModelName());
  EXPECT_EQ(cString("door01"), mObject->GetName());
  EXPECT_EQ(3, mObject->GetMirrorFlag());
  EXPECT_FLOAT_EQ(12.5f, mObject->GetLodDistance());
}

}  // namespace
