// The render manager's frame in a small level, read back: passes in order
// through the world view (a mirror's reflection first, objects by render
// type, layers, the shadow of a caster drawn in a layer, effects last),
// fog states set only with fog on and the clear in the fog colour, a failed
// begin update that still unhooks the visibility set and releases the
// mirrors' rasters; and the twin timer.
#include <memory>

#include "game/render/models/atomic_ro.h"
#include "game/render/models/lightmap.h"
#include "game/render/effects/mirror.h"
#include "game/render/effects/projected_shadows.h"
#include "game/render/scene/render_state.h"
#include "game/render/twin_timer.h"
#include "game/render/scene/wg_world_view.h"
#include "tests/game/render/level_fixture.h"

namespace {

class LoggingAtomicRO : public cAtomicRO {
 public:
  LoggingAtomicRO(std::vector<LoggingObject::Entry>* log, u8 layer) : cAtomicRO(1.0f, layer), mLog(log) {}
  void Render(cCamera* camera) override {
    mLog->push_back(LoggingObject::Entry{"layer", camera, 0});
    if (onRender) {
      onRender();
    }
  }
  std::function<void()> onRender;

 private:
  std::vector<LoggingObject::Entry>* mLog;
};

class FrameTest : public LevelTest {
 protected:
  FrameTest() { floor_ = true; }

  void SetUp() override {
    LevelTest::SetUp();
    if (!HasFatalFailure()) {
      ResetMirrors(scene_.get());
    }
  }
  void TearDown() override {
    for (LoggingObject* object : objects_) {
      object->Unlink();
      delete object;
    }
    ShutdownProjectedShadows();
    if (casterClump_ != nullptr) {
      RpClumpDestroy(casterClump_);
    }
    DestroyMirrors();
    ResetMirrors(nullptr);
    LevelTest::TearDown();
  }

  LoggingObject* AddObject(const char* name, u32 type) {
    LoggingObject* object = new LoggingObject(&log_, name, type);
    objects_.push_back(object);
    Manager().AddRO(object);
    return object;
  }

  // A 1 x 2 x 1 box standing on the floor at (x, z), not drawn itself: its
  // caster is marked drawn by whatever calls MarkCaster.
  cShadowCaster* StandCaster(f32 x, f32 z) {
    ForgePart body;
    body.size = {1.0f, 2.0f, 1.0f};
    casterClump_ = ForgeClumpCreate({body});
    const RwV3d at = {x, -1.0f, z};
    RwFrameTranslate(RpClumpGetFrame(casterClump_), &at, kRwCombineReplace);
    cShadowCaster* caster = new cShadowCaster;
    caster->Setup(world_, worldObject_.get(), casterClump_, RwV3d{1.0f, 1.0f, 1.0f}, 0);
    for (u32 map = 0; map < kLightmapCount; map++) {
      lightmap_.AllocateMap(map, 16);
      lightmap_.GetPalette(map)[0] = tLightmapColour{128, 128, 128};
    }
    lightmap_.SetSize(4, 4);
    lightmap_.SetOrigin(2, 2);
    lightmap_.SetScale(0.05f);
    InitProjectedShadows(0, &lightmap_, 30, 20.0f);
    return caster;
  }

  std::vector<std::string> Names(cCamera* camera) const {
    std::vector<std::string> names;
    for (const LoggingObject::Entry& entry : log_) {
      if (entry.camera == camera) {
        names.push_back(entry.name);
      }
    }
    return names;
  }

  static int Blue(int x, int y) { return static_cast<int>(BackBufferPixel(x, y) & 0xFF); }

  std::vector<LoggingObject::Entry> log_;
  std::vector<LoggingObject*> objects_;
  RpClump* casterClump_ = nullptr;
  cLightmap lightmap_;
};

TEST_F(FrameTest, PassesRunInOrderThroughTheWorldView) {
  cWgWorldView view(scene_.get(), 0);
  view.Layout(RwRect{0, 0, kWidth, kHeight}, screen_);
  // Registered against their order: arrays are drawn by type.
  for (const char* name : {"3", "2", "1", "0"}) {
    AddObject(name, static_cast<u32>(name[0] - '0'));
  }
  LoggingAtomicRO layered(&log_, 2);
  const RwV3d ahead = {0.0f, 0.0f, 5.0f};
  RwFrameTranslate(layered.GetFrame(), &ahead, kRwCombineReplace);
  RpWorldAddAtomic(world_, layered.GetAtomic());
  // The caster is drawn only in the layers: its shadow needs the flags
  // cleared before them and the shadow pass after them.
  cShadowCaster* caster = StandCaster(0.0f, 5.0f);
  layered.onRender = [caster] { caster->MarkDrawn(); };
  // A mirror ahead to the left (world +x is screen left) reflects a red wall
  // behind the camera.
  AddQuad(RwV3d{0.0f, 0.0f, -5.0f}, 60.0f, RwRGBA{255, 0, 0, 255}, true);
  RpClump* mirrorQuad = AddTexturedQuad(RwV3d{6.0f, 2.0f, 10.0f}, 4.0f, kMirrorTextureName);
  RpAtomic* mirrorAtomic = nullptr;
  RpClumpForAllAtomics(
      mirrorQuad,
      [](RpAtomic* atomic, void* data) {
        *static_cast<RpAtomic**>(data) = atomic;
        return atomic;
      },
      &mirrorAtomic);
  cMirror* mirror = new cMirror(mirrorAtomic, 1);

  view.Render();
  // The layered atomic is out of the reflection's view.
  EXPECT_EQ(std::vector<std::string>({"0", "1", "2", "3"}), Names(&mirror->GetCamera()));
  EXPECT_EQ(std::vector<std::string>({"0", "1", "2", "3", "layer"}), Names(camera_.get()));
  ASSERT_FALSE(log_.empty());
  EXPECT_EQ(&mirror->GetCamera(), log_.front().camera) << "the reflection comes first";
  // The floor is white but under the caster (5 ahead, 2 down: 128 pixels
  // below the centre), darkest in the middle of the shadow.
  EXPECT_EQ(255, Blue(100, 400));
  EXPECT_LT(Blue(320, 368), 128);
  EXPECT_LT(Blue(320, 368), Blue(360, 368));
  EXPECT_EQ(255, Blue(420, 368));
  // The mirror is drawn with its reflection, not its own white texture.
  EXPECT_EQ(0xF00000u, BackBufferPixel(128, 176) & 0xF0F0F0u);

  // The overlay covers everything drawn before it, from its second frame.
  Manager().GetEffects().overlay = 1;
  Manager().GetEffects().overlayColour = RwRGBA{0, 255, 0, 255};
  view.Render();
  EXPECT_NE(0x00FF00u, BackBufferPixel(100, 400));
  view.Render();
  EXPECT_EQ(0x00FF00u, BackBufferPixel(100, 400));
  EXPECT_EQ(0x00FF00u, BackBufferPixel(320, 368));
  EXPECT_EQ(0x00FF00u, BackBufferPixel(128, 176));
}

TEST_F(FrameTest, FogStatesAreSetOnlyWithFogOn) {
  AddObject("object", kRoTypeOpaque);
  auto fogStates = [this](RwInt32* type, RwInt32* colour) {
    cCamera camera;
    ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
    *type = GetRenderState(kRwRenderStateFogType);
    *colour = GetRenderState(kRwRenderStateFogColor);
    camera.EndUpdate();
  };
  {
    cCamera camera;
    ASSERT_NE(nullptr, camera.BeginUpdate(screen_, 0));
    SetRenderState(kRwRenderStateFogType, kRwFogTypeExponential2);
    SetRenderState(kRwRenderStateFogColor, 0x12345678);
    camera.EndUpdate();
  }
  // Fog off: the frame is still cleared with the fog colour, and no fog
  // state changes.
  Manager().SetFogColour(RwRGBA{0, 0, 255, 255});
  RenderFrame();
  EXPECT_EQ(0x0000FFu, BackBufferPixel(320, 50));
  ASSERT_EQ(1u, log_.size());
  EXPECT_EQ(0, log_[0].fog);
  RwInt32 type = 0;
  RwInt32 colour = 0;
  fogStates(&type, &colour);
  EXPECT_EQ(kRwFogTypeExponential2, type);
  EXPECT_EQ(0x12345678, colour);

  // Fog on: on while the scene is drawn, off afterwards, linear, in the
  // fog colour.
  Manager().SetFog(1);
  RenderFrame();
  ASSERT_EQ(2u, log_.size());
  EXPECT_EQ(1, log_[1].fog);
  fogStates(&type, &colour);
  EXPECT_EQ(kRwFogTypeLinear, type);
  EXPECT_EQ(static_cast<RwInt32>(0xFF0000FFu), colour);
  // The floor far ahead is tinted towards the fog colour.
  EXPECT_GT(Blue(320, 250), static_cast<int>((BackBufferPixel(320, 250) >> 16) & 0xFF));
}

// A world with visibility data: the set is hooked during the frame and
// unhooked after it, also when the camera's update cannot begin.
class VisibleFrameTest : public FrameTest {
 protected:
  VisibleFrameTest() { options_.hooks.push_back(ForgeVisibilityHook({})); }
};

TEST_F(VisibleFrameTest, FailedBeginUpdateSkipsToTheUnhook) {
  ASSERT_NE(0, RpPVSWorldHasData(world_));
  scene_->SetPvsFlag(1);
  const RpWorldSectorCallBackRender own = RpWorldGetSectorRenderCallBack(world_);
  RpWorldSectorCallBackRender during = nullptr;
  AddObject("object", kRoTypeOpaque)->onRender = [this, &during] { during = RpWorldGetSectorRenderCallBack(world_); };
  RpClump* mirrorQuad = AddTexturedQuad(RwV3d{0.0f, 0.0f, 10.0f}, 4.0f, kMirrorTextureName);
  RpAtomic* mirrorAtomic = nullptr;
  RpClumpForAllAtomics(
      mirrorQuad,
      [](RpAtomic* atomic, void* data) {
        *static_cast<RpAtomic**>(data) = atomic;
        return atomic;
      },
      &mirrorAtomic);
  cMirror* mirror = new cMirror(mirrorAtomic, 1);
  RwRaster* mirrorOwn = mirror->GetMaterial()->texture->raster;

  RenderFrame();
  EXPECT_NE(own, during);
  EXPECT_EQ(own, RpWorldGetSectorRenderCallBack(world_));

  log_.clear();
  cRenderTarget empty;
  Manager().RenderFrame(camera_.get(), empty);
  EXPECT_EQ(1u, log_.size()) << "only the mirror's reflection drew the object";
  EXPECT_EQ(&mirror->GetCamera(), log_[0].camera);
  EXPECT_EQ(own, RpWorldGetSectorRenderCallBack(world_));
  EXPECT_EQ(mirrorOwn, mirror->GetMaterial()->texture->raster);
  EXPECT_EQ(nullptr, mirror->GetReflection());
}

TEST(TwinTimerTest, TimersRunPastTheirDurationAndStopWhenDisabled) {
  cTwinTimer timer;
  timer.StartFirst(1.0f);
  timer.StartSecond(0.25f);
  EXPECT_FALSE(timer.Update(0.5f));
  EXPECT_EQ(1u, timer.IsRunning(0));
  EXPECT_EQ(0u, timer.IsRunning(1)) << "0.5 is past 0.25";
  EXPECT_FALSE(timer.Update(0.5f));
  EXPECT_EQ(1.0f, timer.GetElapsed(0));
  EXPECT_EQ(1u, timer.IsRunning(0)) << "exactly the duration keeps running";
  timer.Update(0.0f);
  EXPECT_EQ(1u, timer.IsRunning(0));
  timer.Update(0.01f);
  EXPECT_EQ(0u, timer.IsRunning(0));

  timer.StartFirst(5.0f);
  timer.SetDisabled(1);
  EXPECT_EQ(0u, timer.IsRunning(0));
  timer.StartSecond(5.0f);
  EXPECT_EQ(0u, timer.IsRunning(1)) << "a disabled timer does not start";
  timer.SetDisabled(0);
  timer.StartSecond(5.0f);
  timer.Stop();
  EXPECT_EQ(0u, timer.IsRunning(1));
}

}  // namespace
