// Plugin registries: offsets, constructor/destructor/copier order, rights
// callbacks, and the reset of every registry when the engine terminates.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "tests/support/counting_memory.h"
#include "tests/support/fake_driver.h"

namespace {

struct TestObject {
  RwInt32 own[5];  // 20 bytes of the object's own fields
};

RwPluginRegistry sRegistry = RwPluginRegistryInitializer(sizeof(TestObject));
RwPluginRegistry sOtherRegistry = RwPluginRegistryInitializer(sizeof(TestObject));

std::vector<int> sCalls;
int sFailingConstructor = 0;

template <int N>
void* Construct(void* object, RwInt32 offset, RwInt32 size) {
  sCalls.push_back(N);
  if (sFailingConstructor == N) {
    return nullptr;
  }
  std::memset(static_cast<RwUInt8*>(object) + offset, N, static_cast<size_t>(size));
  return object;
}

template <int N>
void* Destruct(void* object, RwInt32, RwInt32) {
  sCalls.push_back(-N);
  return object;
}

template <int N>
void* Copy(void* destination, const void* source, RwInt32 offset, RwInt32 size) {
  sCalls.push_back(100 + N);
  std::memcpy(static_cast<RwUInt8*>(destination) + offset, static_cast<const RwUInt8*>(source) + offset,
              static_cast<size_t>(size));
  return destination;
}

class PluginRegistryTest : public ::testing::TestWithParam<RwUInt32> {
 protected:
  void SetUp() override {
    FakeDriverInstall();
    CountingMemoryReset();
    sCalls.clear();
    sFailingConstructor = 0;
    ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), GetParam(), 0));
  }
  void TearDown() override {
    FakeEngineShutdown();
    FakeDriverUninstall();
    EXPECT_EQ(CountingMemoryState().mallocs, CountingMemoryState().frees);
  }
};

INSTANTIATE_TEST_SUITE_P(AllocationModes, PluginRegistryTest, ::testing::Values(0u, kRwEngineNoFreeLists));

TEST_P(PluginRegistryTest, OffsetsFollowTheOwnFieldsAlignedToEightBytes) {
  EXPECT_EQ(sRegistry.origSizeOfStruct, 24);
  const RwInt32 a = RwPluginRegistryAddPlugin(&sRegistry, 5, 0x101, nullptr, nullptr, nullptr);
  const RwInt32 b = RwPluginRegistryAddPlugin(&sRegistry, 0, 0x102, nullptr, nullptr, nullptr);
  const RwInt32 c = RwPluginRegistryAddPlugin(&sRegistry, 16, 0x103, nullptr, nullptr, nullptr);
  EXPECT_EQ(a, 24);
  EXPECT_EQ(b, 32);  // a plugin of 5 bytes moves the next one by 8
  EXPECT_EQ(c, 32);  // an empty plugin takes no room
  EXPECT_EQ(sRegistry.sizeOfStruct, 48);
  EXPECT_EQ(RwPluginRegistryGetPluginOffset(&sRegistry, 0x103), 32);
  EXPECT_EQ(RwPluginRegistryGetPluginOffset(&sRegistry, 0x999), -1);
  EXPECT_EQ(RwPluginRegistryGetPluginOffset(&sOtherRegistry, 0x101), -1);

  // A repeated id is refused with the first offset and nothing changes.
  EXPECT_EQ(RwPluginRegistryAddPlugin(&sRegistry, 64, 0x101, nullptr, nullptr, nullptr), a);
  EXPECT_EQ(sRegistry.sizeOfStruct, 48);
  EXPECT_EQ(RwPluginRegistryAddPlugin(&sRegistry, -1, 0x104, nullptr, nullptr, nullptr), -1);
}

TEST_P(PluginRegistryTest, TermResetsEveryRegistry) {
  ASSERT_GE(RwPluginRegistryAddPlugin(&sRegistry, 8, 0x101, nullptr, nullptr, nullptr), 0);
  ASSERT_GE(RwPluginRegistryAddPlugin(&sOtherRegistry, 8, 0x101, nullptr, nullptr, nullptr), 0);
  ASSERT_TRUE(RwEngineTerm());
  for (const RwPluginRegistry* registry : {&sRegistry, &sOtherRegistry}) {
    EXPECT_EQ(registry->sizeOfStruct, registry->origSizeOfStruct);
    EXPECT_EQ(registry->firstRegEntry, nullptr);
    EXPECT_EQ(registry->lastRegEntry, nullptr);
  }
  // Without the registry module nothing registers.
  EXPECT_EQ(RwPluginRegistryAddPlugin(&sRegistry, 8, 0x101, nullptr, nullptr, nullptr), -1);
}

TEST_P(PluginRegistryTest, ConstructorsDestructorsAndCopiersRunInOrder) {
  const RwInt32 one = RwPluginRegistryAddPlugin(&sRegistry, 4, 1, Construct<1>, Destruct<1>, Copy<1>);
  const RwInt32 two = RwPluginRegistryAddPlugin(&sRegistry, 4, 2, nullptr, nullptr, nullptr);
  const RwInt32 three = RwPluginRegistryAddPlugin(&sRegistry, 4, 3, Construct<3>, Destruct<3>, Copy<3>);
  std::vector<RwUInt8> object(static_cast<size_t>(sRegistry.sizeOfStruct), 0);
  std::vector<RwUInt8> copy(object.size(), 0);

  ASSERT_EQ(RwPluginRegistryInitObject(&sRegistry, object.data()), &sRegistry);
  EXPECT_EQ(object[static_cast<size_t>(one)], 1);
  EXPECT_EQ(object[static_cast<size_t>(two)], 0);  // the default constructor leaves the data alone
  EXPECT_EQ(object[static_cast<size_t>(three)], 3);
  RwPluginRegistryCopyObject(&sRegistry, copy.data(), object.data());
  EXPECT_EQ(copy[static_cast<size_t>(three)], 3);
  RwPluginRegistryDeInitObject(&sRegistry, object.data());
  EXPECT_EQ(sCalls, (std::vector<int>{1, 3, 101, 103, -3, -1}));

  // A failing constructor undoes the ones before it, last first.
  sCalls.clear();
  ASSERT_GE(RwPluginRegistryAddPlugin(&sRegistry, 4, 4, Construct<4>, Destruct<4>, nullptr), 0);
  ASSERT_GE(RwPluginRegistryAddPlugin(&sRegistry, 4, 5, Construct<5>, Destruct<5>, nullptr), 0);
  object.resize(static_cast<size_t>(sRegistry.sizeOfStruct));
  sFailingConstructor = 4;
  EXPECT_EQ(RwPluginRegistryInitObject(&sRegistry, object.data()), nullptr);
  EXPECT_EQ(sCalls, (std::vector<int>{1, 3, 4, -3, -1}));
}

RwUInt32 sRightsExtra = 0;

RwInt32 Rights(void*, RwInt32, RwInt32, RwUInt32 extraData) {
  sRightsExtra = extraData;
  return extraData == 0 ? 0 : 1;
}

TEST_P(PluginRegistryTest, RightsCallbackAndStreamCallbacksNeedARegisteredId) {
  ASSERT_GE(RwPluginRegistryAddPlugin(&sRegistry, 4, 0x116, nullptr, nullptr, nullptr), 0);
  ASSERT_GE(RwPluginRegistryAddPlugin(&sRegistry, 4, 0x117, nullptr, nullptr, nullptr), 0);
  TestObject object = {};
  EXPECT_EQ(RwPluginRegistryAddPluginStreamRightsCB(&sRegistry, 0x999, Rights), -1);
  EXPECT_EQ(RwPluginRegistryAddPluginStream(&sRegistry, 0x999, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(RwPluginRegistryAddPluginStreamAlwaysCB(&sRegistry, 0x999, nullptr), -1);
  EXPECT_EQ(RwPluginRegistryAddPluginStreamRightsCB(&sRegistry, 0x116, Rights),
            RwPluginRegistryGetPluginOffset(&sRegistry, 0x116));

  EXPECT_EQ(RwPluginRegistryInvokeRights(&sRegistry, 0x116, &object, 7), &sRegistry);
  EXPECT_EQ(sRightsExtra, 7u);
  EXPECT_EQ(RwPluginRegistryInvokeRights(&sRegistry, 0x116, &object, 0), nullptr);
  EXPECT_EQ(RwPluginRegistryInvokeRights(&sRegistry, 0x117, &object, 7), nullptr);  // no callback
  EXPECT_EQ(RwPluginRegistryInvokeRights(&sRegistry, 0x118, &object, 7), nullptr);  // no entry
}

}  // namespace
