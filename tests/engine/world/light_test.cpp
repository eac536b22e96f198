// Lights: defaults, the cone angle's limits, the grey flag, frames, the light
// chunk in its stored and odd lengths, and lights left over at engine close.
#include "engine/world/light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/engine/world/world_fixture.h"
#include "tests/support/fake_driver.h"

namespace {

using world_test::Live;
using world_test::WorldTest;

class LightTest : public WorldTest {};

TEST_F(LightTest, DefaultsAndSetters) {
  RpLight* light = RpLightCreate(rpLIGHTSPOT);
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(RpLightGetType(light), rpLIGHTSPOT);
  EXPECT_EQ(RpLightGetFlags(light), static_cast<RwUInt32>(rpLIGHTLIGHTATOMICS | rpLIGHTLIGHTWORLD));
  EXPECT_EQ(RpLightGetRadius(light), 0.0f);
  EXPECT_EQ(RpLightGetColor(light)->alpha, 1.0f);
  EXPECT_EQ(light->minusCosAngle, 1.0f);
  EXPECT_EQ(light->object.object.privateFlags, kRpLightPrivateGrey);

  const RwRGBAReal grey = {0.5f, 0.5f, 0.5f, 1.0f};
  const RwRGBAReal warm = {0.5f, 0.5f, 0.4f, 1.0f};
  RpLightSetColor(light, &warm);
  EXPECT_EQ(light->object.object.privateFlags, 0);
  RpLightSetColor(light, &grey);
  EXPECT_EQ(light->object.object.privateFlags, kRpLightPrivateGrey);

  struct Cone {
    RwReal angle;
    bool accepted;
  };
  const Cone cones[] = {{0.0f, true},   {kRpLightMaxConeAngle, true},
                        {0.5f, true},   {1.6f, false},
                        {-0.1f, false}, {std::numeric_limits<RwReal>::quiet_NaN(), false}};
  for (const Cone& cone : cones) {
    SCOPED_TRACE(cone.angle);
    const RwReal before = light->minusCosAngle;
    EXPECT_EQ(RpLightSetConeAngle(light, cone.angle) != nullptr, cone.accepted);
    if (cone.accepted) {
      EXPECT_NEAR(RpLightGetConeAngle(light), cone.angle, 1e-6f);
    } else {
      EXPECT_EQ(light->minusCosAngle, before);
    }
  }
  RpLightSetConeAngle(light, 0.0f);
  EXPECT_EQ(light->minusCosAngle, -1.0f);
  light->minusCosAngle = 1.5f;  // outside the cosine's range
  EXPECT_NEAR(RpLightGetConeAngle(light), 3.14159265f, 1e-6f);

  RwFrame* frame = RwFrameCreate();
  RpLightSetFrame(light, frame);
  EXPECT_EQ(RpLightGetFrame(light), frame);
  RwFrameSyncDirty();
  RpLightSetRadius(light, 4.0f);
  EXPECT_TRUE(RwFrameIsDirty(frame));
  RpLightDestroy(light);
  EXPECT_TRUE(rwLinkListEmpty(&frame->objectList));
  RwFrameDestroy(frame);
  EXPECT_EQ(Live().lights, 0);
}

TEST_F(LightTest, ChunkRoundTripAndOddStructLengths) {
  RpLight* light = RpLightCreate(rpLIGHTPOINT);
  const RwRGBAReal color = {0.25f, 0.5f, 0.75f, 0.1f};
  RpLightSetColor(light, &color);
  RpLightSetRadius(light, 12.0f);
  RpLightSetConeAngle(light, 0.5f);
  RpLightSetFlags(light, rpLIGHTLIGHTWORLD);
  const std::vector<uint8_t> bytes = Written([&](RwStream* s) { return RpLightStreamWrite(light, s); });
  ASSERT_EQ(bytes.size(), 12u + 48);
  EXPECT_EQ(RpLightStreamGetSize(light), 48u);
  RpLight* read = ReadChunk(bytes, kRwChunkLight, RpLightStreamRead);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(RpLightGetType(read), rpLIGHTPOINT);
  EXPECT_EQ(RpLightGetFlags(read), static_cast<RwUInt32>(rpLIGHTLIGHTWORLD));
  EXPECT_EQ(read->radius, 12.0f);
  EXPECT_EQ(read->color.blue, 0.75f);
  EXPECT_EQ(read->color.alpha, 1.0f);
  EXPECT_EQ(read->minusCosAngle, light->minusCosAngle);
  EXPECT_EQ(read->object.object.privateFlags, 0);
  RpLightDestroy(read);
  RpLightDestroy(light);

  SCOPED_TRACE("a long struct is skipped to its end, a short one reads as zeros");
  ChunkBytes longStruct;
  longStruct.Header(kRwChunkStruct, 32).Real(3).Real(1).Real(1).Real(1).Real(-1).U32((2u << 16) | 1).U32(9).U32(9);
  longStruct.Header(kRwChunkExtension, 0);
  read = ReadBody(longStruct, RpLightStreamRead);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(RpLightGetType(read), rpLIGHTAMBIENT);
  EXPECT_EQ(read->object.object.privateFlags, kRpLightPrivateGrey);
  RpLightDestroy(read);
  ChunkBytes shortStruct;
  shortStruct.Header(kRwChunkStruct, 4).Real(3).Header(kRwChunkExtension, 0);
  read = ReadBody(shortStruct, RpLightStreamRead);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->radius, 3.0f);
  EXPECT_EQ(read->color.red, 0.0f);
  RpLightDestroy(read);

  SCOPED_TRACE("truncated");
  for (size_t cut = 1; cut < 48; cut += 5) {
    ChunkBytes truncated = longStruct;
    EXPECT_EQ(ReadBody(truncated.Truncate(cut), RpLightStreamRead), nullptr);
  }
  EXPECT_EQ(Live().lights, 0);
}

TEST_F(LightTest, CloseDestroysLightsLeftOver) {
  RwFrame* frame = RwFrameCreate();
  RpLightSetFrame(RpLightCreate(rpLIGHTDIRECTIONAL), frame);
  RpLightCreate(rpLIGHTAMBIENT);
  EXPECT_EQ(Live().lights, 2);
  RwEngineStop();
  EXPECT_EQ(Live().lights, 0);
}

}  // namespace
