// Engine lifecycle against the fake driver: state rules, failed opens,
// device requests with the core's defaults, engine plugins and the error
// record's span.
#include "engine/engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/src/engine_internal.h"
#include "tests/support/counting_memory.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_driver.h"

namespace {

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeDriverInstall();
    CountingMemoryReset();
  }
  void TearDown() override {
    FakeEngineShutdown();
    FakeDriverUninstall();
  }

  bool InitOpen() { return RwEngineInit(nullptr, 0, 4194304) && RwEngineOpen(&params_); }
  bool InitOpenStart() { return InitOpen() && RwEngineStart(); }

  RwEngineOpenParams params_ = {reinterpret_cast<void*>(0x1234)};
};

void ExpectError(const RwErrorRecord& e, RwInt32 plugin, RwInt32 code) {
  EXPECT_EQ(e.pluginID, plugin);
  EXPECT_EQ(e.errorCode, code);
}

TEST_F(EngineTest, LifecycleSendsRequestsInOrderAndCountsOpens) {
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 4194304));
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusInitialised);
  EXPECT_EQ(RwEngineInstance, &_rwEngineTemplate);
  EXPECT_EQ(RwEngineInstance->resourceArenaSize, 4194304u);

  ASSERT_TRUE(RwEngineOpen(&params_));
  EXPECT_NE(RwEngineInstance, &_rwEngineTemplate);
  EXPECT_EQ(RwEngineGetOpenCount(), 1);
  EXPECT_EQ(FakeDriver().openParameter, &params_);
  EXPECT_EQ(RwEngineInstance->device.fpSystem, FakeDriverDeviceRecord()->fpSystem);
  EXPECT_FLOAT_EQ(RwEngineInstance->device.zBufferFar, 1.0f);
  for (RwInt32 slot = 0; slot < kRwStandardFunctionCount; slot++) {
    SCOPED_TRACE(slot);
    ASSERT_NE(RwEngineInstance->standardFunctions[slot], nullptr);
    EXPECT_FALSE(RwEngineInstance->standardFunctions[slot](nullptr, nullptr, 0));
  }

  ASSERT_TRUE(RwEngineStart());
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusStarted);
  ASSERT_TRUE(RwEngineStop());
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusOpened);
  ASSERT_TRUE(RwEngineClose());
  EXPECT_EQ(RwEngineInstance, &_rwEngineTemplate);
  EXPECT_EQ(RwEngineGetOpenCount(), 0);
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusInitialised);
  ASSERT_TRUE(RwEngineTerm());
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusIdle);

  const std::vector<RwInt32> expected = {kRwDeviceGetRecord, kRwDeviceOpen,        kRwDeviceStandardFunctions,
                                         kRwDeviceStart,     kRwDeviceFinishStart, kRwDeviceBeforeStop,
                                         kRwDeviceStop,      kRwDeviceClose};
  EXPECT_EQ(FakeDriver().requests, expected);
}

TEST_F(EngineTest, CallsInTheWrongStateFail) {
  {
    SCOPED_TRACE("nothing before init");
    EXPECT_FALSE(RwEngineOpen(&params_));
    EXPECT_FALSE(RwEngineStart());
    EXPECT_FALSE(RwEngineTerm());
  }
  ASSERT_TRUE(InitOpen());
  {
    SCOPED_TRACE("opened");
    EXPECT_FALSE(RwEngineStop());
    EXPECT_FALSE(RwEngineTerm());
    EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusOpened);
  }
  ASSERT_TRUE(RwEngineStart());
  {
    SCOPED_TRACE("started");
    EXPECT_FALSE(RwEngineOpen(&params_));
    ExpectError(TakeError(), 0, kRwErrWrongEngineState);
    EXPECT_FALSE(RwEngineStart());
    EXPECT_FALSE(RwEngineClose());
    EXPECT_FALSE(RwEngineTerm());
    EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusStarted);
    EXPECT_EQ(RwEngineGetOpenCount(), 1);
  }
}

TEST_F(EngineTest, SecondInitWhileOpenChangesNothing) {
  ASSERT_TRUE(InitOpenStart());
  RwEngineRecord* const instance = RwEngineInstance;
  const auto allocBefore = RwEngineInstance->freeListEntryAlloc;

  EXPECT_FALSE(RwEngineInit(CountingMemoryFunctions(), kRwEngineNoFreeLists, 1));

  EXPECT_EQ(RwEngineInstance, instance);
  EXPECT_EQ(RwEngineInstance->freeListEntryAlloc, allocBefore);
  EXPECT_EQ(RwEngineInstance->resourceArenaSize, 4194304u);
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusStarted);
  // Free lists still preallocate: a new list owns a block from the start.
  RwFreeList* list = RwFreeListCreate(16, 4, 8);
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(rwLinkListEmpty(&list->blockList));
  RwFreeListDestroy(list);
}

TEST_F(EngineTest, OpenWithNullParameterKeepsInitialisedState) {
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
  EXPECT_FALSE(RwEngineOpen(nullptr));
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusInitialised);
  EXPECT_EQ(RwEngineGetOpenCount(), 0);
  EXPECT_TRUE(FakeDriver().requests.empty());
}

TEST_F(EngineTest, FailedOpenRestoresTheTemplateAndFreesTheInstance) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  FakeDriver().refused.insert(kRwDeviceOpen);
  const CountingMemory before = CountingMemoryState();

  EXPECT_FALSE(RwEngineOpen(&params_));
  EXPECT_EQ(RwEngineInstance, &_rwEngineTemplate);
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusInitialised);
  EXPECT_EQ(RwEngineGetOpenCount(), 0);
  EXPECT_EQ(CountingMemoryState().mallocs - before.mallocs, CountingMemoryState().frees - before.frees);
  EXPECT_EQ(RwEngineInstance->memoryFunctions.rwmalloc, CountingMemoryFunctions()->rwmalloc);

  FakeDriver().refused.clear();
  EXPECT_TRUE(RwEngineOpen(&params_));
}

TEST_F(EngineTest, OpenOutOfMemoryLeavesTheTemplateUntouched) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  const RwEngineRecord templateBefore = _rwEngineTemplate;
  CountingMemoryState().failMallocNumber = CountingMemoryState().mallocAttempts + 1;

  EXPECT_FALSE(RwEngineOpen(&params_));
  EXPECT_EQ(RwEngineInstance, &_rwEngineTemplate);
  EXPECT_EQ(std::memcmp(&templateBefore, &_rwEngineTemplate, sizeof(RwEngineRecord)), 0);
  EXPECT_TRUE(FakeDriver().requests.empty());
}

TEST_F(EngineTest, OpenWithoutADriverFailsCleanly) {
  const RwDriverHooks emptyTable = {nullptr, nullptr};
  for (const RwDriverHooks* hooks : {&emptyTable, static_cast<const RwDriverHooks*>(nullptr)}) {
    SCOPED_TRACE(hooks == nullptr ? "no table" : "empty table");
    _rwEngineSetDriverHooks(hooks);
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    EXPECT_FALSE(RwEngineOpen(&params_));
    EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusInitialised);
    EXPECT_EQ(RwEngineInstance, &_rwEngineTemplate);
    EXPECT_TRUE(RwEngineTerm());
  }
}

TEST_F(EngineTest, InstalledModulesRegisterAtTheirPlaceInTheModuleOrder) {
  // FakeDriverInstall installed the pipeline and immediate-mode 3D modules.
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
  const RwUInt32 order[] = {kRwPluginIdTextureModule, kRwPluginIdPipelineModule, kRwPluginIdIm3DModule,
                            kRwPluginIdResourcesModule};
  RwInt32 previous = -1;
  for (RwUInt32 id : order) {
    SCOPED_TRACE(id);
    const RwInt32 offset = RwEngineGetPluginOffset(id);
    EXPECT_GT(offset, previous);
    previous = offset;
  }

  // Slots are filled before init only, and only the modules above the core have one.
  const RwEngineModule late = {8, kRwPluginIdPipelineModule, [](void* o, RwInt32, RwInt32) { return o; },
                               [](void* o, RwInt32, RwInt32) { return o; }};
  EXPECT_FALSE(_rwEngineInstallModule(&late));
  EXPECT_TRUE(RwEngineTerm());
  RwEngineModule core = late;
  core.pluginID = kRwPluginIdFrameModule;
  EXPECT_FALSE(_rwEngineInstallModule(&core));
  EXPECT_FALSE(_rwEngineInstallModule(nullptr));
}

TEST_F(EngineTest, DriverThatRefusesItsRecordFailsTheOpen) {
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
  FakeDriver().refused.insert(kRwDeviceGetRecord);
  EXPECT_FALSE(RwEngineOpen(&params_));
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusInitialised);
  EXPECT_FALSE(FakeDriver().opened);
}

TEST_F(EngineTest, InitRefusesAPartialMemoryTable) {
  RwMemoryFunctions partial = *CountingMemoryFunctions();
  partial.rwcalloc = nullptr;
  EXPECT_FALSE(RwEngineInit(&partial, 0, 0));
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusIdle);
  EXPECT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
}

TEST_F(EngineTest, FailedDriverAttachUndoesTheInit) {
  FakeDriver().failPluginAttach = true;
  EXPECT_FALSE(RwEngineInit(nullptr, 0, 0));
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusIdle);
  FakeDriver().failPluginAttach = false;
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
  // The core modules registered again from scratch.
  EXPECT_GE(RwEngineGetPluginOffset(kRwPluginIdErrorModule), static_cast<RwInt32>(sizeof(RwEngineRecord)));
}

TEST_F(EngineTest, FunctionsInstalledAtInitSurviveCloseAndReopen) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  const RwEngineRecord templateBefore = _rwEngineTemplate;
  ASSERT_TRUE(RwEngineOpen(&params_));
  ASSERT_TRUE(RwEngineClose());
  ASSERT_TRUE(RwEngineOpen(&params_));
  EXPECT_EQ(RwEngineInstance->memoryFunctions.rwmalloc, CountingMemoryFunctions()->rwmalloc);
  EXPECT_EQ(RwEngineInstance->memoryFunctions.rwfree, CountingMemoryFunctions()->rwfree);
  EXPECT_EQ(std::memcmp(&RwEngineInstance->fileFunctions, &templateBefore.fileFunctions, sizeof(RwFileFunctions)), 0);
  EXPECT_EQ(std::memcmp(&RwEngineInstance->stringFunctions, &templateBefore.stringFunctions, sizeof(RwStringFunctions)),
            0);
}

TEST_F(EngineTest, SubSystemsFallBackToTheCoreDefaults) {
  ASSERT_TRUE(InitOpenStart());
  FakeDriver().refused = {kRwDeviceGetNumSubSystems, kRwDeviceGetSubSystemInfo, kRwDeviceGetCurrentSubSystem,
                          kRwDeviceSetSubSystem};
  EXPECT_EQ(RwEngineGetNumSubSystems(), 1);
  RwSubSystemInfo info = {};
  EXPECT_EQ(RwEngineGetSubSystemInfo(&info, 0), &info);
  EXPECT_STREQ(info.name, "Only rendering sub system");
  EXPECT_EQ(RwEngineGetCurrentSubSystem(), 0);
  EXPECT_TRUE(RwEngineSetSubSystem(0));
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);

  EXPECT_EQ(RwEngineGetSubSystemInfo(&info, 1), nullptr);
  ExpectError(TakeError(), kRwPluginIdCore, kRwErrDeviceRequestRefused);
  EXPECT_FALSE(RwEngineSetSubSystem(1));
  ExpectError(TakeError(), kRwPluginIdCore, kRwErrDeviceRequestRefused);
}

TEST_F(EngineTest, SubSystemsAndVideoModesComeFromTheDriver) {
  ASSERT_TRUE(InitOpen());
  EXPECT_EQ(RwEngineGetNumSubSystems(), 2);
  RwSubSystemInfo info = {};
  ASSERT_NE(RwEngineGetSubSystemInfo(&info, 1), nullptr);
  EXPECT_STREQ(info.name, "Fake adapter 1");
  EXPECT_TRUE(RwEngineSetSubSystem(1));
  EXPECT_EQ(RwEngineGetCurrentSubSystem(), 1);

  EXPECT_EQ(RwEngineGetNumVideoModes(), 3);
  RwVideoMode mode = {};
  ASSERT_EQ(RwEngineGetVideoModeInfo(&mode, 2), &mode);
  EXPECT_EQ(mode.width, 1024);
  EXPECT_EQ(mode.height, 768);
  EXPECT_EQ(mode.flags, kRwVideoModeExclusive);
  EXPECT_EQ(RwEngineGetVideoModeInfo(&mode, 3), nullptr);
  EXPECT_TRUE(RwEngineSetVideoMode(2));
  EXPECT_EQ(RwEngineGetCurrentVideoMode(), 2);

  FakeDriver().refused = {kRwDeviceGetNumModes, kRwDeviceGetMode};
  EXPECT_EQ(RwEngineGetNumVideoModes(), -1);
  EXPECT_EQ(RwEngineGetCurrentVideoMode(), -1);
}

TEST_F(EngineTest, PluginRegistrationIsRefusedWhileOpen) {
  ASSERT_TRUE(InitOpenStart());
  EXPECT_EQ(RwEngineRegisterPlugin(16, 0x7777, nullptr, nullptr), -1);
  ExpectError(TakeError(), 0, kRwErrPluginRefused);
  EXPECT_EQ(RwEngineGetPluginOffset(0x7777), -1);
}

// Engine plugins of the tests record the order of their constructor and
// destructor calls.
std::vector<int> sPluginCalls;
bool sFailSecondConstructor = false;

void* FirstOpen(void* instance, RwInt32 offset, RwInt32 size) {
  sPluginCalls.push_back(1);
  std::memset(RwPluginDataGet(RwUInt8, instance, offset), 0xAB, static_cast<size_t>(size));
  return instance;
}
void* FirstClose(void* instance, RwInt32, RwInt32) {
  sPluginCalls.push_back(-1);
  return instance;
}
void* SecondOpen(void* instance, RwInt32, RwInt32) {
  sPluginCalls.push_back(2);
  return sFailSecondConstructor ? nullptr : instance;
}
void* SecondClose(void* instance, RwInt32, RwInt32) {
  sPluginCalls.push_back(-2);
  return instance;
}

TEST_F(EngineTest, EnginePluginsRunAtStartAndStop) {
  sPluginCalls.clear();
  sFailSecondConstructor = false;
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
  const RwInt32 first = RwEngineRegisterPlugin(12, 0x7001, FirstOpen, FirstClose);
  const RwInt32 second = RwEngineRegisterPlugin(4, 0x7002, SecondOpen, SecondClose);
  ASSERT_GT(first, 0);
  EXPECT_EQ(second, first + 16);
  EXPECT_EQ(first % 8, 0);
  EXPECT_EQ(RwEngineGetPluginOffset(0x7002), second);

  ASSERT_TRUE(RwEngineOpen(&params_));
  ASSERT_TRUE(RwEngineStart());
  EXPECT_EQ(*RwPluginDataGet(RwUInt8, RwEngineInstance, first + 11), 0xAB);
  ASSERT_TRUE(RwEngineStop());
  EXPECT_EQ(sPluginCalls, (std::vector<int>{1, 2, -2, -1}));

  sPluginCalls.clear();
  sFailSecondConstructor = true;
  FakeDriver().requests.clear();
  EXPECT_FALSE(RwEngineStart());
  EXPECT_EQ(sPluginCalls, (std::vector<int>{1, 2, -1}));
  EXPECT_EQ(FakeDriver().requests, (std::vector<RwInt32>{kRwDeviceStart, kRwDeviceStop}));
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusOpened);
  EXPECT_FALSE(FakeDriver().started);
}

TEST_F(EngineTest, RefusedDeviceStopStillEndsTheStartedEngine) {
  sPluginCalls.clear();
  sFailSecondConstructor = false;
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
  ASSERT_GT(RwEngineRegisterPlugin(4, 0x7001, FirstOpen, FirstClose), 0);
  ASSERT_TRUE(RwEngineOpen(&params_));
  ASSERT_TRUE(RwEngineStart());
  FakeDriver().refused.insert(kRwDeviceStop);
  EXPECT_FALSE(RwEngineStop());  // the refusal is reported
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusOpened);
  EXPECT_FALSE(RwEngineStop());  // and the plugins are not destroyed twice
  EXPECT_EQ(sPluginCalls, (std::vector<int>{1, -1}));
  EXPECT_TRUE(RwEngineClose());
  EXPECT_TRUE(RwEngineTerm());
}

TEST_F(EngineTest, StartFailsWhenTheDeviceDoesNotStart) {
  ASSERT_TRUE(InitOpen());
  FakeDriver().refused.insert(kRwDeviceStart);
  EXPECT_FALSE(RwEngineStart());
  EXPECT_EQ(FakeEngineStatus(), kRwEngineStatusOpened);
}

TEST_F(EngineTest, ErrorRecordKeepsTheFirstErrorWhileTheEngineLives) {
  ASSERT_TRUE(InitOpen());
  {
    SCOPED_TRACE("not recorded before the first start");
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    ASSERT_TRUE(RwEngineStart());
    EXPECT_EQ(TakeError().errorCode, kRwErrNoError);
  }
  {
    SCOPED_TRACE("the first of two errors wins, and reading clears it");
    RwErrorRaise(kRwPluginIdCore, kRwErrEndOfStream);
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    ExpectError(TakeError(), kRwPluginIdCore, kRwErrEndOfStream);
    ExpectError(TakeError(), 0, kRwErrNoError);
  }
  {
    SCOPED_TRACE("core codes are stored with plugin id 0");
    RwErrorRaise(7, kRwErrOutOfMemory);
    ExpectError(TakeError(), 0, kRwErrOutOfMemory);
    const RwErrorRecord mine = {285, 3};
    EXPECT_EQ(RwErrorSet(&mine), &mine);
    ExpectError(TakeError(), 285, 3);
  }
  {
    SCOPED_TRACE("still recorded after stop, gone after close");
    ASSERT_TRUE(RwEngineStop());
    RwErrorRaise(kRwPluginIdCore, kRwErrWrite);
    ExpectError(TakeError(), 0, kRwErrWrite);
    ASSERT_TRUE(RwEngineClose());
    RwErrorRaise(kRwPluginIdCore, kRwErrWrite);
    ExpectError(TakeError(), 0, kRwErrNoError);
  }
  {
    SCOPED_TRACE("a reopened engine starts without a stale record");
    ASSERT_TRUE(RwEngineOpen(&params_));
    RwErrorRaise(kRwPluginIdCore, kRwErrWrite);
    ASSERT_TRUE(RwEngineStart());
    ExpectError(TakeError(), 0, kRwErrNoError);
  }
}

TEST_F(EngineTest, PlainAllocationModeAllocatesEntriesOneByOne) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), kRwEngineNoFreeLists, 0));
  RwFreeList* list = RwFreeListCreate(24, 10, 8);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(rwLinkListEmpty(&list->blockList));
  const int mallocsBefore = CountingMemoryState().mallocs;
  void* entry = RwFreeListEntryAlloc(list);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(CountingMemoryState().mallocs, mallocsBefore + 1);
  EXPECT_EQ(CountingMemoryState().lastMallocSize, 24);
  EXPECT_TRUE(rwLinkListEmpty(&list->blockList));
  const int freesBefore = CountingMemoryState().frees;
  EXPECT_EQ(RwFreeListEntryFree(list, entry), list);
  EXPECT_EQ(CountingMemoryState().frees, freesBefore + 1);
  RwFreeListDestroy(list);

  // The whole lifecycle works in this mode too, and term frees everything.
  ASSERT_TRUE(RwEngineOpen(&params_));
  ASSERT_TRUE(RwEngineStart());
  ASSERT_TRUE(RwEngineStop());
  ASSERT_TRUE(RwEngineClose());
  ASSERT_TRUE(RwEngineTerm());
  EXPECT_EQ(CountingMemoryLiveBlocks(), 0);
}

TEST_F(EngineTest, TermReleasesEverythingInit) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  ASSERT_TRUE(RwEngineOpen(&params_));
  ASSERT_TRUE(RwEngineStart());
  ASSERT_TRUE(RwEngineStop());
  ASSERT_TRUE(RwEngineClose());
  ASSERT_TRUE(RwEngineTerm());
  EXPECT_GT(CountingMemoryState().mallocs, 0);
  EXPECT_EQ(CountingMemoryLiveBlocks(), 0);
}

}  // namespace
