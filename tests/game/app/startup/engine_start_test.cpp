// Engine open and close on the fake display driver: the video mode chosen
// from the options, the fall-back boxes, the device dialog, failures that
// leave no engine behind, and the global services of engine initialise.
#include "game/app/startup/engine_start.h"

#include <gtest/gtest.h>

#include "engine/plugin/spline/spline_internal.h"
#include "engine/tool/charse/charset_internal.h"
#include "game/app/application.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/small_block_pool.h"
#include "game/app/startup/device_dialog.h"
#include "game/foundation/memory.h"
#include "tests/game/app/app_fixture.h"
#include "tests/support/fake_driver.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/bmp_writer.h"

namespace {

class EngineStartTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    FakeDriverInstall();
    SetDisplayDriverInstall(FakeDriverInstallHooks);
    GameInitialise();
  }
  void TearDown() override {
    WinTestSetDialogHook(nullptr, nullptr);
    if (GetEngineOpenFlag()) {
      CloseEngine();
    }
    FakeEngineShutdown();
    SetDisplayDriverInstall(nullptr);
    FakeDriverUninstall();
    AppTest::TearDown();
  }
};

TEST_F(EngineStartTest, OpenAndCloseLeaveNoEngineBehind) {
  ASSERT_TRUE(OpenEngine(nullptr));
  EXPECT_EQ(kRwEngineStatusStarted, FakeEngineStatus());
  EXPECT_TRUE(GetEngineOpenFlag());
  EXPECT_TRUE(ArePoolsSetUp());
  EXPECT_EQ(InstallMemoryHooks()->rwmalloc, RwEngineInstance->memoryFunctions.rwmalloc);
  // Default: the full-screen 1024 x 768 mode of the fake driver.
  EXPECT_EQ(2, FakeDriver().currentMode);
  EXPECT_EQ(1024u, gAppConfig.width);
  EXPECT_EQ(768u, gAppConfig.height);
  EXPECT_EQ(1u, gAppWindow.fullScreen);
  EXPECT_TRUE(sBoxes.empty());

  EXPECT_TRUE(CloseEngine());
  EXPECT_FALSE(GetEngineOpenFlag());
  EXPECT_FALSE(ArePoolsSetUp());
  EXPECT_EQ(kRwEngineStatusIdle, FakeEngineStatus());
  // Late allocations go to the C runtime.
  int* late = new int(7);
  delete late;
}

TEST_F(EngineStartTest, AttachesTheGamesPlugins) {
  ASSERT_TRUE(OpenEngine(nullptr));
  EXPECT_GE(RwEngineGetPluginOffset(kRpCollisionPluginId), 0);
  EXPECT_GE(RpGeometryGetPluginOffset(kRpCollisionPluginId), 0);
}

TEST_F(EngineStartTest, ImageReadersAreRegisteredAfterStart) {
  forge::BmpDescription bitmap;
  bitmap.width = 2;
  bitmap.height = 1;
  bitmap.pixels = {0xFF0000, 0x00FF00};
  const std::string path = ScratchPath("app_reader_check.bmp");
  ASSERT_TRUE(forge::WriteFileBytes(path, forge::WriteBmp(bitmap)));
  ASSERT_TRUE(OpenEngine(nullptr));
  RwImage* image = RwImageRead(path.c_str());
  ASSERT_NE(nullptr, image);
  EXPECT_EQ(2, image->width);
  RwImageDestroy(image);
  remove(path.c_str());
}

TEST_F(EngineStartTest, AnimationAndSkinPluginsAreAttached) {
  ASSERT_TRUE(OpenEngine(nullptr));
  EXPECT_GT(RwEngineGetPluginOffset(kRtAnimPluginId), 0);
  EXPECT_GT(RwEngineGetPluginOffset(kRpHAnimPluginId), 0);
  EXPECT_GT(RwEngineGetPluginOffset(kRpSkinPluginId), 0);
  EXPECT_GE(RpGeometryGetPluginOffset(kRpSkinPluginId), 0);
  EXPECT_NE(RtAnimGetKeyFrameType(kRpHAnimStdKeyFrameTypeId), nullptr);
  RwFrame* frame = RwFrameCreate();
  EXPECT_EQ(RpHAnimFrameGetID(frame), -1);
  RwFrameDestroy(frame);
}

TEST_F(EngineStartTest, WindowedModeKeepsTheConfiguredSize) {
  gOptionLow = 1;
  ASSERT_TRUE(OpenEngine(nullptr));
  EXPECT_EQ(0, FakeDriver().currentMode);
  EXPECT_EQ(640u, gAppConfig.width);
  EXPECT_EQ(480u, gAppConfig.height);
  EXPECT_EQ(0u, gAppWindow.fullScreen);
}

TEST_F(EngineStartTest, MissingModeWarnsAndFallsBackTo640) {
  FakeDriver().modes = {{1024, 768, 16, kRwVideoModeExclusive}, {640, 480, 32, kRwVideoModeExclusive}};
  ASSERT_TRUE(OpenEngine(nullptr));
  ASSERT_EQ(1u, sBoxes.size());
  EXPECT_EQ("The resolution you have selected does not exist! Trying 640x480@32 ", sBoxes[0].text);
  EXPECT_EQ("Resolution not found!", sBoxes[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK), sBoxes[0].type);
  EXPECT_EQ(1, FakeDriver().currentMode);
  EXPECT_EQ(640u, gAppConfig.width);
}

TEST_F(EngineStartTest, Missing640EndsTheProgram) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  FakeDriver().modes = {{1024, 768, 16, 0}};
  EXPECT_DEATH(OpenEngine(nullptr), "The minimal resolution 640x480@32 not exist! Exiting...");
}

RwTexDictionary* CountDictionaryCB(RwTexDictionary* dictionary, void* data) {
  ++*static_cast<int*>(data);
  return dictionary;
}

int CountTexDictionaries() {
  int count = 0;
  RwTexDictionaryForAll(CountDictionaryCB, &count);
  return count;
}

TEST_F(EngineStartTest, CharsetIsOpenWhileTheEngineRunsAndDictionariesGoAtClose) {
  ASSERT_TRUE(OpenEngine(nullptr));
  // Text can be printed from the first frame on: the batching buffers exist.
  EXPECT_TRUE(_rtCharsetModule.open);
  EXPECT_NE(nullptr, _rtCharsetModule.vertices);

  ASSERT_NE(nullptr, RwTexDictionaryCreate());
  ASSERT_NE(nullptr, RwTexDictionaryCreate());
  EXPECT_GE(CountTexDictionaries(), 2);
  DestroyAllTexDictionaries();
  EXPECT_EQ(0, CountTexDictionaries());

  ASSERT_NE(nullptr, RwTexDictionaryCreate());
  EXPECT_TRUE(CloseEngine());
  EXPECT_FALSE(_rtCharsetModule.open);
  EXPECT_EQ(nullptr, _rtCharsetModule.vertices);
}

TEST_F(EngineStartTest, EnginePluginsAreAttachedInOrder) {
  ASSERT_TRUE(OpenEngine(nullptr));
  // Engine plugin blocks are laid out in registration order.
  const RwInt32 world = RwEngineGetPluginOffset(kRpPluginIdMaterialModule);
  const RwInt32 matfx = RwEngineGetPluginOffset(kRpMatFXPluginId);
  const RwInt32 random = RwEngineGetPluginOffset(kRpRandomPluginId);
  const RwInt32 spline = RwEngineGetPluginOffset(kRpSplinePluginId);
  EXPECT_GT(world, 0);
  // Material effects keep no data in the engine: its block is empty.
  EXPECT_GT(matfx, world);
  EXPECT_EQ(random, matfx);
  EXPECT_GT(spline, random);
  // Plugins without engine data show their order in the geometry's registry.
  const RwInt32 userData = RpGeometryGetPluginOffset(kRpUserDataPluginId);
  const RwInt32 morph = RpGeometryGetPluginOffset(kRpMorphPluginId);
  const RwInt32 deltaMorph = RpGeometryGetPluginOffset(kRpDMorphPluginId);
  EXPECT_GT(userData, 0);
  EXPECT_GT(morph, userData);
  EXPECT_GT(deltaMorph, morph);
  EXPECT_GT(RpWorldGetPluginOffset(kRpPVSPluginId), 0);
  const RwInt32 levels = RpAtomicGetPluginOffset(kRpLODAtomicPluginId);
  EXPECT_GT(levels, 0);
  EXPECT_GT(RpAtomicGetPluginOffset(kRpMorphPluginId), levels);
  EXPECT_GT(RpAtomicGetPluginOffset(kRpDMorphPluginId), RpAtomicGetPluginOffset(kRpMorphPluginId));
  // Each was constructed at start.
  RpMaterial* material = RpMaterialCreate();
  EXPECT_NE(nullptr, material);
  EXPECT_EQ(material, RpMatFXMaterialSetEffects(material, kRpMatFXEffectEnvMap));
  RpMaterialDestroy(material);
  EXPECT_NE(0u, RpRandomNext());
  EXPECT_NE(nullptr, _rpSplineTable(0));
}

TEST_F(EngineStartTest, RefusedDeviceStepsFailWithoutAnEngine) {
  const RwInt32 refusals[] = {kRwDeviceOpen, kRwDeviceUseMode, kRwDeviceStart, kRwDeviceGetNumSubSystems};
  for (RwInt32 request : refusals) {
    SCOPED_TRACE(request);
    FakeDriverInstall();
    FakeDriver().refused.insert(request);
    if (request == kRwDeviceGetNumSubSystems) {
      FakeDriver().subSystemCount = 0;
      FakeDriver().refused.clear();
    }
    EXPECT_FALSE(OpenEngine(nullptr));
    EXPECT_EQ(kRwEngineStatusIdle, FakeEngineStatus());
    EXPECT_FALSE(GetEngineOpenFlag());
    EXPECT_FALSE(ArePoolsSetUp());
  }
}

TEST_F(EngineStartTest, EngineInitialiseCreatesAndTerminateDeletesTheServices) {
  EXPECT_EQ(1u, AppEventHandler(kAppEventEngineInitialise, 0));
  ASSERT_NE(nullptr, gEventDevice);
  ASSERT_NE(nullptr, gTimeScaleListener);
  ASSERT_NE(nullptr, gScreenStack);
  // The time-scale listener is the device's first handler, the screen stack
  // its second.
  ASSERT_EQ(2u, gEventDevice->GetHandlers().Count());
  const cListNode* second = cList::Next(gEventDevice->GetHandlers().First());
  EXPECT_EQ(static_cast<cInputListener*>(gScreenStack), static_cast<const cListLink*>(second)->GetObject());
  // The holder keeps the music table and has pushed its (not yet built)
  // game; reads through the engine report to it.
  ASSERT_NE(nullptr, gApplication);
  EXPECT_EQ(1, MusicEngine::GetReferenceCount());
  EXPECT_EQ(1u, gScreenStack->GetTopIndex());
  EXPECT_EQ(1u, AppEventHandler(kAppEventEngineTerminate, 0));
  EXPECT_EQ(nullptr, gApplication);
  EXPECT_EQ(0, MusicEngine::GetReferenceCount());
  EXPECT_EQ(nullptr, gScreenStack);
  EXPECT_EQ(nullptr, gEventDevice);
  EXPECT_EQ(nullptr, gTimeScaleListener);
  EXPECT_EQ(kRwEngineStatusIdle, FakeEngineStatus());
}

TEST_F(EngineStartTest, FailedEngineInitialiseShowsTheStartupError) {
  FakeDriver().refused.insert(kRwDeviceStart);
  gAppConfig.title = "Tessarak Volde";
  EXPECT_EQ(0u, AppEventHandler(kAppEventEngineInitialise, 0));
  ASSERT_EQ(1u, sBoxes.size());
  EXPECT_EQ("Error initializing the render engine.", sBoxes[0].text);
  EXPECT_EQ("Tessarak Volde", sBoxes[0].caption);
  EXPECT_EQ(nullptr, gEventDevice);
}

// The dialog's driver: looks at the first selection, then acts.
struct tDialogScript {
  LRESULT firstModeData = -2;
  LRESULT firstAdapterData = -2;
  int pickAdapter = -1;  // item to select in the adapter list, or -1
  int button = kDeviceDialogOk;
};

void DriveDialog(HWND dialog, int pass, void* user) {
  if (pass != 0) {
    return;
  }
  tDialogScript* script = static_cast<tDialogScript*>(user);
  const LRESULT mode = SendDlgItemMessageA(dialog, kDeviceDialogModeList, LB_GETCURSEL, 0, 0);
  script->firstModeData = mode < 0 ? -1 : SendDlgItemMessageA(dialog, kDeviceDialogModeList, LB_GETITEMDATA, mode, 0);
  const LRESULT adapter = SendDlgItemMessageA(dialog, kDeviceDialogAdapterList, LB_GETCURSEL, 0, 0);
  script->firstAdapterData =
      adapter < 0 ? -1 : SendDlgItemMessageA(dialog, kDeviceDialogAdapterList, LB_GETITEMDATA, adapter, 0);
  if (script->pickAdapter >= 0) {
    SendDlgItemMessageA(dialog, kDeviceDialogAdapterList, LB_SETCURSEL, script->pickAdapter, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kDeviceDialogAdapterList, LBN_SELCHANGE), 0);
  }
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(script->button, BN_CLICKED), 0);
}

TEST_F(EngineStartTest, DeviceDialogPreselectsTheWindowed640Mode) {
  gOptionSelectScreen = 1;
  FakeDriver().modes = {{1024, 768, 32, kRwVideoModeExclusive}, {640, 480, 32, 0}, {800, 600, 32, 0}};
  tDialogScript script;
  WinTestSetDialogHook(DriveDialog, &script);
  ASSERT_TRUE(OpenEngine(nullptr));
  EXPECT_EQ(1, script.firstModeData);
  EXPECT_EQ(0, script.firstAdapterData);
  EXPECT_EQ(1, FakeDriver().currentMode);
  EXPECT_EQ(640u, gAppConfig.width);
  EXPECT_EQ(0u, gAppWindow.fullScreen);
}

TEST_F(EngineStartTest, DeviceDialogAdapterChangeAndCancel) {
  gOptionSelectScreen = 1;
  tDialogScript script;
  script.pickAdapter = 1;
  WinTestSetDialogHook(DriveDialog, &script);
  ASSERT_TRUE(OpenEngine(nullptr));
  EXPECT_EQ(1, gCurrentAdapter);
  EXPECT_EQ(1, FakeDriver().currentSubSystem);
  ASSERT_TRUE(CloseEngine());

  ResetAppGlobals();
  gOptionSelectScreen = 1;
  script = tDialogScript();
  script.button = kDeviceDialogCancel;
  EXPECT_FALSE(OpenEngine(nullptr));
  EXPECT_EQ(kRwEngineStatusIdle, FakeEngineStatus());
}

}  // namespace
