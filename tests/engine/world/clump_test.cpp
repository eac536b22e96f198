// Clumps: member lists in reverse order of insertion, walks that let the
// callback destroy its member, members destroyed on their own leaving the
// lists, rendering, cloning and clumps left over when the engine stops.
#include "engine/world/clump.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/engine/world/world_fixture.h"
#include "tests/support/clump_builder.h"

namespace {

using world_test::AtomicTag;
using world_test::ClumpTag;
using world_test::FrameTag;
using world_test::Live;
using world_test::Members;
using world_test::WorldTest;

class ClumpTest : public WorldTest {
 protected:
  // A root frame with a child moved along x by 3, and an atomic on each frame
  // (root's added first) sharing one geometry.
  static RpClump* TwoFrameClump(RpGeometry* geometry) {
    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    RwFrame* child = RwFrameCreate();
    const RwV3d along = {3.0f, 0.0f, 0.0f};
    RwFrameTranslate(child, &along, kRwCombineReplace);
    RwFrameAddChild(root, child);
    RpClumpSetFrame(clump, root);
    for (RwFrame* frame : {root, child}) {
      AddClumpAtomic(clump, frame, geometry, rpATOMICCOLLISIONTEST | rpATOMICRENDER);
    }
    return clump;
  }
};

std::vector<RpAtomic*> gDrawn;
RwReal gDrawnAtX;
RpAtomic* Draw(RpAtomic* atomic) {
  gDrawn.push_back(atomic);
  gDrawnAtX = RpAtomicGetFrame(atomic)->ltm.pos.x;
  return atomic;
}
RpAtomic* DrawAndFail(RpAtomic* atomic) { return Draw(atomic) != nullptr ? nullptr : atomic; }

TEST_F(ClumpTest, MembersWalksAndDestruction) {
  RpClump* clump = RpClumpCreate();
  RpAtomic* first = RpAtomicCreate();
  RpAtomic* second = RpAtomicCreate();
  RpClumpAddAtomic(clump, first);
  RpClumpAddAtomic(clump, second);
  EXPECT_EQ(Members(clump, RpClumpForAllAtomics), (std::vector<RpAtomic*>{second, first}));
  RpLight* point = RpLightCreate(rpLIGHTPOINT);
  for (RpLight* light : {point, RpLightCreate(rpLIGHTAMBIENT), RpLightCreate(rpLIGHTSPOT)}) {
    RpClumpAddLight(clump, light);
  }
  EXPECT_EQ(RpLightGetClump(point), clump);
  RwCamera* camera = RwCameraCreate();
  RpClumpAddCamera(clump, camera);
  EXPECT_EQ(RwCameraGetClump(camera), clump);

  SCOPED_TRACE("a walk stops at null and lets the callback destroy its member");
  int visits = 0;
  const auto upToAmbient = [](RpLight* light, void* data) {
    ++*static_cast<int*>(data);
    return RpLightGetType(light) == rpLIGHTAMBIENT ? nullptr : light;
  };
  RpClumpForAllLights(clump, upToAmbient, &visits);
  EXPECT_EQ(visits, 2);  // spot, then ambient
  const auto destroy = [](RpLight* light, void*) { return RpLightDestroy(light) ? light : nullptr; };
  RpClumpForAllLights(clump, destroy, nullptr);
  EXPECT_TRUE(rwLinkListEmpty(&clump->lightList));  // each left the clump as it went

  SCOPED_TRACE("an atomic destroyed on its own or moved to another clump leaves the first");
  RpAtomicDestroy(second);
  RpClump* other = RpClumpCreate();
  RpClumpAddAtomic(other, first);
  EXPECT_EQ(RpClumpGetNumAtomics(clump), 0);
  RpClumpAddAtomic(clump, first);
  RpClumpDestroy(other);

  RwFrame* root = RwFrameCreate();
  RwFrameAddChild(root, RwFrameCreate());
  RpClumpSetFrame(clump, root);
  RpClumpDestroy(clump);  // with its atomic, camera and frames
  ExpectAllGone();
}

TEST_F(ClumpTest, RenderCallsEveryRenderFlaggedAtomic) {
  RpGeometry* geometry = RpGeometryCreateEmpty(1.0f);
  RpClump* clump = TwoFrameClump(geometry);
  const std::vector<RpAtomic*> atomics = Members(clump, RpClumpForAllAtomics);  // child's, then root's
  RpAtomicSetRenderCallBack(atomics[0], DrawAndFail);
  RpAtomicSetRenderCallBack(atomics[1], Draw);
  gDrawn.clear();
  EXPECT_EQ(RpClumpRender(clump), nullptr);
  EXPECT_EQ(gDrawn, atomics);  // the failure does not stop the render
  RpAtomicSetFlags(atomics[1], rpATOMICCOLLISIONTEST);
  const RwV3d further = {3.0f, 0.0f, 0.0f};
  RwFrameTranslate(RpAtomicGetFrame(atomics[0]), &further, kRwCombinePostConcat);
  RpAtomicSetRenderCallBack(atomics[0], Draw);
  gDrawn.clear();
  EXPECT_EQ(RpClumpRender(clump), clump);
  EXPECT_EQ(gDrawn, std::vector<RpAtomic*>{atomics[0]});
  EXPECT_EQ(gDrawnAtX, 6.0f);  // the frame's world matrix was brought up to date first
  RpClumpDestroy(clump);
  RpGeometryDestroy(geometry);
}

TEST_F(ClumpTest, CloneCopiesTheHierarchyAndSharesGeometry) {
  RpGeometry* geometry = RpGeometryCreateEmpty(1.0f);
  RpClump* clump = TwoFrameClump(geometry);
  RpClumpAddLight(clump, RpLightCreate(rpLIGHTPOINT));
  ClumpTag(clump) = 5;
  FrameTag(RpClumpGetFrame(clump)->child) = 9;
  const std::vector<RpAtomic*> atomics = Members(clump, RpClumpForAllAtomics);
  AtomicTag(atomics[0]) = 3;
  RpAtomicSetFlags(atomics[0], 0xFF);  // the game keeps its own bits there too

  RpClump* clone = RpClumpClone(clump);
  ASSERT_NE(clone, nullptr);
  ExpectNoError();
  EXPECT_EQ(geometry->refCount, 5);  // ours, two atomics and their two clones
  EXPECT_EQ(ClumpTag(clone), 5u);
  EXPECT_TRUE(rwLinkListEmpty(&clone->lightList));
  RwFrame* root = RpClumpGetFrame(clone);
  ASSERT_NE(root, RpClumpGetFrame(clump));
  ASSERT_NE(root->child, nullptr);
  EXPECT_EQ(root->child->modelling.pos.x, 3.0f);
  EXPECT_EQ(FrameTag(root->child), 9u);
  const std::vector<RpAtomic*> clones = Members(clone, RpClumpForAllAtomics);  // reversed: root's, then child's
  ASSERT_EQ(clones.size(), 2u);
  EXPECT_EQ(RpAtomicGetFrame(clones[0]), root);
  EXPECT_EQ(RpAtomicGetFrame(clones[1]), root->child);
  EXPECT_EQ(AtomicTag(clones[1]), 3u);
  EXPECT_EQ(RpAtomicGetFlags(clones[1]), 0xFFu);
  EXPECT_EQ(RpAtomicGetClump(clones[0]), clone);
  RpClumpDestroy(clone);

  SCOPED_TRACE("a source atomic without a frame ends the cloning with error 5");
  RpClumpAddAtomic(clump, RpAtomicCreate());
  RpAtomic* framed = RpAtomicClone(atomics[0]);
  RpAtomicSetFrame(framed, RpClumpGetFrame(clump));
  RpClumpAddAtomic(clump, framed);  // in front: cloned before the one without a frame
  clone = RpClumpClone(clump);
  ASSERT_NE(clone, nullptr);
  ExpectError(kRwPluginIdWorld, kRpErrAtomicWithoutFrame);
  EXPECT_EQ(RpClumpGetNumAtomics(clone), 1);
  RpClumpDestroy(clone);
  RpClumpDestroy(clump);
  RpGeometryDestroy(geometry);
  ExpectAllGone();
  EXPECT_EQ(NewBlocks(), 0);
}

TEST_F(ClumpTest, CloneKeepsEachAtomicOnTheCopyOfItsFrame) {
  // {parent index, place} of frames with an atomic each: siblings under the root and under a child, two deep.
  const std::pair<int, RwV3d> hierarchy[] = {{-1, {0, 0, 5}}, {0, {1, 0, 0}}, {0, {0, 2, 0}},
                                             {1, {0, 0, 3}},  {2, {4, 0, 0}}, {2, {0, 6, 0}}};
  RpGeometry* geometry = RpGeometryCreateEmpty(1.0f);
  RpClump* clump = RpClumpCreate();
  std::vector<RwFrame*> frames;
  for (const auto& [parent, place] : hierarchy) {
    frames.push_back(RwFrameCreate());
    RwFrameTranslate(frames.back(), &place, kRwCombineReplace);
    if (parent >= 0) {
      RwFrameAddChild(frames[static_cast<size_t>(parent)], frames.back());
    }
    AddClumpAtomic(clump, frames.back(), geometry, rpATOMICRENDER);
  }
  RpClumpSetFrame(clump, frames[0]);
  RpClump* clone = RpClumpClone(clump);
  const std::vector<RpAtomic*> atomics = Members(clump, RpClumpForAllAtomics);
  const std::vector<RpAtomic*> clones = Members(clone, RpClumpForAllAtomics);  // reversed
  for (size_t i = 0; i < atomics.size(); ++i) {
    const RwV3d& want = RwFrameGetLTM(RpAtomicGetFrame(atomics[i]))->pos;
    const RwV3d& got = RwFrameGetLTM(RpAtomicGetFrame(clones[clones.size() - 1 - i]))->pos;
    EXPECT_TRUE(got.x == want.x && got.y == want.y && got.z == want.z) << i;
  }
  RpClumpDestroy(clone);
  RpClumpDestroy(clump);
  RpGeometryDestroy(geometry);
}

TEST_F(ClumpTest, StopDestroysClumpsAndAtomicsLeftOver) {
  RpGeometry* geometry = RpGeometryCreateEmpty(1.0f);
  RpClump* clump = TwoFrameClump(geometry);
  RpClumpAddLight(clump, RpLightCreate(rpLIGHTPOINT));
  RpClumpAddCamera(clump, RwCameraCreate());
  RpAtomicSetGeometry(RpAtomicCreate(), geometry, 0);
  RpGeometryDestroy(geometry);
  RwEngineStop();
  ExpectAllGone();
}

}  // namespace
