// The world-object plugin: atomics and lights tied to the sectors they
// reach, each atomic drawn once per camera update, clumps added and removed
// with their members, the cameras' visible sectors in render order, the
// collision walk under removal, and worlds and objects destroyed in either
// order.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "tests/engine/world/world_fixture.h"
#include "tools/forge/forge.h"

namespace {

using world_test::Members;
using world_test::WorldTest;

// What drawing and the driver's hint saw.
struct Drawn {
  std::vector<RpWorldSector*> sectors;
  std::map<RpAtomic*, int> atomics;
  std::vector<RwInt32> hints;
};
Drawn gDrawn;

RpWorldSector* DrawSector(RpWorldSector* sector) {
  gDrawn.sectors.push_back(sector);
  return sector;
}
RpAtomic* DrawAtomic(RpAtomic* atomic) {
  gDrawn.atomics[atomic]++;
  return atomic;
}
RwBool Succeed(void*, void*, RwInt32) { return TRUE; }
RwBool Hint(void*, void*, RwInt32 frontToBack) {
  gDrawn.hints.push_back(frontToBack);
  return FALSE;
}

std::vector<RpWorldSector*> Sectors(RpWorld* world) { return Members(world, RpWorldForAllWorldSectors); }
std::vector<RpWorldSector*> SectorsOf(RpAtomic* atomic) { return Members(atomic, RpAtomicForAllWorldSectors); }
std::vector<RpWorldSector*> Visible(RwCamera* camera) { return Members(camera, RpCameraForAllWorldSectors); }

size_t Count(RwLinkList* list) {
  size_t count = 0;
  for (RwLLLink* link = rwLinkListGetFirstLLLink(list); link != rwLinkListGetTerminator(list); link = link->next) {
    ++count;
  }
  return count;
}

void MoveTo(RwFrame* frame, const RwV3d& position) { RwFrameTranslate(frame, &position, kRwCombineReplace); }

// A clump of one box of the given edge on the root's child frame.
RpClump* BoxClump(RwReal edge) {
  ForgePart part;
  part.size = {edge, edge, edge};
  RpClump* clump = ForgeClumpCreate({part});
  RpClumpForAllAtomics(
      clump, [](RpAtomic* atomic, void*) { return RpAtomicSetRenderCallBack(atomic, DrawAtomic); }, nullptr);
  return clump;
}

RpAtomic* OnlyAtomic(RpClump* clump) { return Members(clump, RpClumpForAllAtomics)[0]; }

class WorldObjectTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    gDrawn = Drawn();
    RwEngineInstance->standardFunctions[kRwStdCameraBeginUpdate] = Succeed;
    RwEngineInstance->standardFunctions[kRwStdCameraEndUpdate] = Succeed;
    RwEngineInstance->standardFunctions[kRwStdSectorsCollectedHint] = Hint;
    // Two boxes on either side of x = 0: the root plane splits x, the left
    // sector reaching to x -10 and the right one from x 10.
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    ForgeAddBox(&soup, {-100.0f, 0.0f, -50.0f}, {-10.0f, 10.0f, 50.0f}, 0);
    ForgeAddBox(&soup, {10.0f, 0.0f, -50.0f}, {100.0f, 10.0f, 50.0f}, 0);
    ForgeWorldOptions options;
    options.maxSectorTriangles = 12;
    world_ = ForgeWorldCreate(soup, options);
    ASSERT_NE(world_, nullptr);
    RpWorldSetSectorRenderCallBack(world_, DrawSector);
    sectors_ = Sectors(world_);
    ASSERT_EQ(sectors_.size(), 2u);
    camera_ = RwCameraCreate();
    cameraFrame_ = RwFrameCreate();
    RwCameraSetFrame(camera_, cameraFrame_);
    RwCameraSetFarClipPlane(camera_, 2000.0f);
    MoveTo(cameraFrame_, {0.0f, 5.0f, -300.0f});
  }

  void TearDown() override {
    if (world_ != nullptr) {
      RpWorldRemoveCamera(world_, camera_);
      RpWorldDestroy(world_);
    }
    RwCameraDestroy(camera_);
    RwFrameDestroy(cameraFrame_);
    WorldTest::TearDown();
  }

  // One camera update that renders the world.
  void RenderFrame() {
    ASSERT_NE(RwCameraBeginUpdate(camera_), nullptr);
    EXPECT_EQ(RwEngineInstance->currentWorld, RwCameraGetWorld(camera_));
    RpWorldRender(world_);
    RwCameraEndUpdate(camera_);
    EXPECT_EQ(RwEngineInstance->currentWorld, nullptr);
  }

  RpWorld* world_ = nullptr;
  std::vector<RpWorldSector*> sectors_;
  RwCamera* camera_ = nullptr;
  RwFrame* cameraFrame_ = nullptr;
};

TEST_F(WorldObjectTest, AnAtomicAcrossThePlaneIsTiedToBothSectorsAndDrawnOncePerUpdate) {
  RpClump* clump = BoxClump(30.0f);
  RpAtomic* atomic = OnlyAtomic(clump);
  ASSERT_EQ(RpWorldAddClump(world_, clump), world_);
  RpWorldAddCamera(world_, camera_);
  EXPECT_EQ(RpAtomicGetWorld(atomic), world_);
  EXPECT_EQ(RpClumpGetWorld(clump), world_);
  RenderFrame();
  EXPECT_EQ(SectorsOf(atomic).size(), 2u);
  EXPECT_EQ(gDrawn.sectors.size(), 2u);
  EXPECT_EQ(gDrawn.atomics[atomic], 1);
  RenderFrame();
  EXPECT_EQ(gDrawn.atomics[atomic], 2);
  EXPECT_EQ(gDrawn.sectors.size(), 4u);

  SCOPED_TRACE("moved to one side, it is tied to that sector alone");
  MoveTo(RwFrameGetParent(RpAtomicGetFrame(atomic)), {-50.0f, 5.0f, 0.0f});
  RenderFrame();
  EXPECT_EQ(SectorsOf(atomic), std::vector<RpWorldSector*>{sectors_[0]});
  EXPECT_EQ(gDrawn.atomics[atomic], 3);

  SCOPED_TRACE("without the render flag, or outside the frustum, it is not drawn");
  RpAtomicSetFlags(atomic, rpATOMICCOLLISIONTEST);
  RenderFrame();
  EXPECT_EQ(gDrawn.atomics[atomic], 3);
  RpAtomicSetFlags(atomic, rpATOMICCOLLISIONTEST | rpATOMICRENDER);
  MoveTo(RwFrameGetParent(RpAtomicGetFrame(atomic)), {-50.0f, 5.0f, -400.0f});  // behind the camera
  RenderFrame();
  EXPECT_EQ(gDrawn.atomics[atomic], 3);

  SCOPED_TRACE("removed, it loses its ties");
  RpWorldRemoveClump(world_, clump);
  EXPECT_TRUE(SectorsOf(atomic).empty());
  EXPECT_EQ(RpAtomicGetWorld(atomic), nullptr);
  RpClumpDestroy(clump);
}

TEST_F(WorldObjectTest, PositionedLightsAreTiedByRadiusAndOthersNever) {
  RpLight* point = RpLightCreate(rpLIGHTPOINT);
  RpLight* ambient = RpLightCreate(rpLIGHTAMBIENT);
  RwFrame* pointFrame = RwFrameCreate();
  RwFrame* ambientFrame = RwFrameCreate();
  RpLightSetFrame(point, pointFrame);
  RpLightSetFrame(ambient, ambientFrame);
  MoveTo(pointFrame, {-50.0f, 5.0f, 0.0f});
  RpLightSetRadius(point, 5.0f);
  RpWorldAddLight(world_, point);
  RpWorldAddLight(world_, ambient);
  RwFrameSyncDirty();
  EXPECT_EQ(Count(&point->WorldSectorsInLight), 1u);
  EXPECT_EQ(Count(&sectors_[0]->lightsInWorldSector), 1u);
  EXPECT_EQ(Count(&ambient->WorldSectorsInLight), 0u);
  EXPECT_EQ(Count(&world_->lightList), 1u);
  EXPECT_EQ(Count(&world_->directionalLightList), 1u);

  SCOPED_TRACE("a wider radius reaches both sectors");
  RpLightSetRadius(point, 100.0f);
  RwFrameSyncDirty();
  EXPECT_EQ(Count(&point->WorldSectorsInLight), 2u);
  EXPECT_EQ(Count(&sectors_[1]->lightsInWorldSector), 1u);

  SCOPED_TRACE("removed, a light leaves its list and its sectors");
  RpWorldRemoveLight(world_, point);
  EXPECT_EQ(RpLightGetWorld(point), nullptr);
  EXPECT_EQ(Count(&world_->lightList), 0u);
  EXPECT_EQ(Count(&sectors_[1]->lightsInWorldSector), 0u);

  SCOPED_TRACE("destroyed while in the world, a light leaves it too");
  RpLightDestroy(ambient);
  EXPECT_EQ(Count(&world_->directionalLightList), 0u);
  RpLightDestroy(point);
  RwFrameDestroy(pointFrame);
  RwFrameDestroy(ambientFrame);
}

TEST_F(WorldObjectTest, ClumpsJoinOnceAndLeaveWithTheirMembers) {
  RpClump* first = BoxClump(2.0f);
  RpClump* second = BoxClump(2.0f);
  RpLight* light = RpLightCreate(rpLIGHTPOINT);
  RpClumpAddLight(second, light);
  RwCamera* camera = RwCameraCreate();
  RpClumpAddCamera(second, camera);
  ASSERT_EQ(RpWorldAddClump(world_, first), world_);
  ASSERT_EQ(RpWorldAddClump(world_, second), world_);
  EXPECT_EQ(RpLightGetWorld(light), world_);
  EXPECT_EQ(RwCameraGetWorld(camera), world_);

  SCOPED_TRACE("a second add is refused and changes nothing");
  EXPECT_EQ(RpWorldAddClump(world_, first), nullptr);
  ExpectError(kRwPluginIdWorld, kRpErrClumpInWorld);
  EXPECT_EQ(world_->numClumpsInWorld, 2);
  EXPECT_EQ(Count(&world_->clumpList), 2u);

  SCOPED_TRACE("removing the clump under the cursor moves it on");
  world_->currentClumpLink = &second->inWorldLink;  // the front of the list
  ASSERT_EQ(RpWorldRemoveClump(world_, second), world_);
  EXPECT_EQ(world_->currentClumpLink, &first->inWorldLink);
  EXPECT_EQ(world_->numClumpsInWorld, 1);
  EXPECT_EQ(RpLightGetWorld(light), nullptr);
  EXPECT_EQ(RwCameraGetWorld(camera), nullptr);
  EXPECT_EQ(RpWorldRemoveClump(world_, second), nullptr);
  ExpectError(kRwPluginIdWorld, kRpErrClumpNotInWorld);

  SCOPED_TRACE("a clone of a clump in a world joins it");
  RpClump* clone = RpClumpClone(first);
  EXPECT_EQ(RpClumpGetWorld(clone), world_);
  EXPECT_EQ(world_->numClumpsInWorld, 2);

  SCOPED_TRACE("a clump destroyed in the world leaves it");
  RpClumpDestroy(clone);
  EXPECT_EQ(world_->numClumpsInWorld, 1);
  EXPECT_EQ(Count(&world_->clumpList), 1u);

  SCOPED_TRACE("a destroyed world lets go of what is still in it");
  RpWorldAddClump(world_, second);
  RwFrameSyncDirty();
  RpWorldRemoveCamera(world_, camera_);
  RpWorldDestroy(world_);
  world_ = nullptr;
  EXPECT_EQ(RpClumpGetWorld(first), nullptr);
  EXPECT_EQ(RpAtomicGetWorld(OnlyAtomic(second)), nullptr);
  EXPECT_EQ(RpLightGetWorld(light), nullptr);
  MoveTo(RpClumpGetFrame(first), {-50.0f, 0.0f, 0.0f});
  RwFrameSyncDirty();  // nothing walks the destroyed world
  RpClumpDestroy(first);
  RpClumpDestroy(second);  // with its light and camera
}

TEST_F(WorldObjectTest, CamerasListTheSectorsTheySeeInRenderOrder) {
  RpWorldAddCamera(world_, camera_);
  MoveTo(cameraFrame_, {-200.0f, 5.0f, -300.0f});
  RenderFrame();
  SCOPED_TRACE("back to front: the far side of the plane first");
  EXPECT_EQ(Visible(camera_), (std::vector<RpWorldSector*>{sectors_[1], sectors_[0]}));
  EXPECT_EQ(gDrawn.sectors, Visible(camera_));
  EXPECT_EQ(gDrawn.hints.back(), 0);

  SCOPED_TRACE("front to back: the near side first");
  world_->renderOrder = rpWORLDRENDERFRONT2BACK;
  RwFrameMarkDirty(cameraFrame_);
  RenderFrame();
  EXPECT_EQ(Visible(camera_), (std::vector<RpWorldSector*>{sectors_[0], sectors_[1]}));
  EXPECT_EQ(gDrawn.hints.back(), 1);

  SCOPED_TRACE("a camera outside the world's box sees nothing and draws nothing");
  MoveTo(cameraFrame_, {5000.0f, 5.0f, 5000.0f});
  gDrawn.sectors.clear();
  RenderFrame();
  EXPECT_TRUE(Visible(camera_).empty());
  EXPECT_TRUE(gDrawn.sectors.empty());

  SCOPED_TRACE("a camera that sees a sector's corner sees the sector");
  MoveTo(cameraFrame_, {300.0f, 5.0f, -200.0f});
  RenderFrame();
  EXPECT_EQ(Visible(camera_), std::vector<RpWorldSector*>{sectors_[1]});

  SCOPED_TRACE("removed, a camera keeps no list");
  EXPECT_EQ(RpWorldRemoveCamera(world_, camera_), world_);
  EXPECT_TRUE(Visible(camera_).empty());
  EXPECT_EQ(RpWorldRemoveCamera(world_, camera_), nullptr);
}

TEST_F(WorldObjectTest, TheCollisionWalkSurvivesTiesRemovedUnderIt) {
  std::vector<RpClump*> clumps;
  for (int i = 0; i < 4; ++i) {
    clumps.push_back(BoxClump(2.0f));
    MoveTo(RpClumpGetFrame(clumps.back()), {-50.0f + static_cast<float>(i), 5.0f, 0.0f});
    RpWorldAddClump(world_, clumps.back());
  }
  RpAtomicSetFlags(OnlyAtomic(clumps[3]), rpATOMICRENDER);  // no collision test
  RwFrameSyncDirty();
  EXPECT_EQ(Count(&sectors_[0]->collAtomicsInWorldSector), 3u);
  EXPECT_EQ(Count(&sectors_[0]->noCollAtomicsInWorldSector), 1u);
  std::vector<RpAtomic*> order;
  RwLinkList* list = &sectors_[0]->collAtomicsInWorldSector;
  for (RwLLLink* link = rwLinkListGetFirstLLLink(list); link != rwLinkListGetTerminator(list); link = link->next) {
    order.push_back(rwLLLinkGetData(link, RpTie, lWorldSector)->apAtom);
  }
  // Each visit removes the atomic visited and the last one of the list.
  struct Walk {
    RpWorld* world;
    RpAtomic* victim;
    std::vector<RpAtomic*> visited;
  } walk = {world_, order.back(), {}};
  RpWorldSectorForAllCollisionAtomics(
      sectors_[0],
      [](RpAtomic* atomic, void* data) {
        auto* walk = static_cast<Walk*>(data);
        walk->visited.push_back(atomic);
        RpWorldRemoveAtomic(walk->world, atomic);
        RpWorldRemoveAtomic(walk->world, walk->victim);
        return atomic;
      },
      &walk);
  EXPECT_EQ(walk.visited, (std::vector<RpAtomic*>{order[0], order[1]}));
  EXPECT_EQ(Count(&sectors_[0]->collAtomicsInWorldSector), 0u);
  for (RpClump* clump : clumps) {
    RpClumpDestroy(clump);
  }
}

TEST_F(WorldObjectTest, ObjectsLeftInAWorldAtEngineStopLeaveNothingBehind) {
  RpClump* clump = BoxClump(30.0f);
  RpWorldAddClump(world_, clump);
  RpLight* light = RpLightCreate(rpLIGHTSPOT);
  RwFrame* frame = RwFrameCreate();
  RpLightSetFrame(light, frame);
  RpLightSetRadius(light, 50.0f);
  RpWorldAddLight(world_, light);
  RpWorldAddCamera(world_, camera_);
  RenderFrame();
  EXPECT_EQ(Count(&light->WorldSectorsInLight), 2u);
  // The world, clump and light stay; stopping the engine must take them apart.
  world_ = nullptr;
}

}  // namespace
