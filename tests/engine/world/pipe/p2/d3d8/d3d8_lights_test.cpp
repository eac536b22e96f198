// Direct3D 8 lights: indices handed out and taken back from destroyed
// lights, local lights converted with their attenuation and cones, and the
// finish that enables at most the device's maximum and only what changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/engine/world/pipe/p2/d3d8/pipe_fixture.h"

namespace pipe_test {
namespace {

class LightsTest : public WorldPipeTest {
 protected:
  void TearDown() override {
    for (RpLight* light : lights_) {
      DestroyLight(light);
    }
    lights_.clear();
    WorldPipeTest::TearDown();
  }

  void StartLights() {
    Start();
    ASSERT_TRUE(RpD3D8LightsOpen());
    cacheBlocks_ = 1;
  }

  // A light of the type on a frame at the position, radius 10.
  RpLight* Light(RwInt32 type, RwV3d position = {0.0f, 0.0f, 0.0f}) {
    RpLight* light = RpLightCreate(type);
    RwFrame* frame = RwFrameCreate();
    RwFrameTranslate(frame, &position, kRwCombineReplace);
    RpLightSetFrame(light, frame);
    RpLightSetRadius(light, 10.0f);
    lights_.push_back(light);
    return light;
  }

  static void DestroyLight(RpLight* light) {
    RwFrame* frame = RpLightGetFrame(light);
    RpLightSetFrame(light, nullptr);
    RwFrameDestroy(frame);
    RpLightDestroy(light);
  }

  void Destroy(RpLight* light) {
    lights_.erase(std::find(lights_.begin(), lights_.end(), light));
    DestroyLight(light);
  }

  static RwInt32 IndexOf(const RpLight* light) { return RpD3D8LightGetExtension(light)->index; }

  static D3DLIGHT8 DeviceLight(RwInt32 index) {
    D3DLIGHT8 light = {};
    Device()->GetLight(static_cast<DWORD>(index), &light);
    return light;
  }

  // Indices the device was last told to enable (true) or disable.
  static std::vector<uint64_t> Enabled(bool on) {
    std::vector<uint64_t> indices;
    for (const std::vector<uint64_t>& args : d3d8test::AllArgs(Device(), "LightEnable")) {
      if (args.size() >= 2 && (args[1] != 0) == on) {
        indices.push_back(args[0]);
      }
    }
    return indices;
  }

  std::vector<RpLight*> lights_;
};

TEST_F(LightsTest, DestroyedLightsGiveTheirIndexToTheNextLightApplied) {
  StartLights();
  RpLight* a = Light(rpLIGHTPOINT);
  RpLight* b = Light(rpLIGHTPOINT);
  RpLight* c = Light(rpLIGHTPOINT);
  EXPECT_EQ(IndexOf(a), -1);
  ASSERT_TRUE(RpD3D8LightApplyLocal(a));
  ASSERT_TRUE(RpD3D8LightApplyLocal(b));
  EXPECT_EQ(IndexOf(a), 0);
  EXPECT_EQ(IndexOf(b), 1);
  // Applying again keeps the index.
  ASSERT_TRUE(RpD3D8LightApplyLocal(a));
  EXPECT_EQ(IndexOf(a), 0);
  RpD3D8LightsFinish(TRUE);
  Destroy(a);
  ASSERT_TRUE(RpD3D8LightApplyLocal(c));
  EXPECT_EQ(IndexOf(c), 0);
  RpLight* d = Light(rpLIGHTSPOT);
  ASSERT_TRUE(RpD3D8LightApplyLocal(d));
  EXPECT_EQ(IndexOf(d), 2);
  RpD3D8LightsFinish(TRUE);
}

TEST_F(LightsTest, LocalLightsBecomePointAndSpotLightsWithScaledAttenuation) {
  StartLights();
  RpLight* point = Light(rpLIGHTPOINT, {1.0f, 2.0f, 3.0f});
  const RwRGBAReal color = {0.25f, 0.5f, 0.75f, 0.1f};
  RpLightSetColor(point, &color);
  ASSERT_TRUE(RpD3D8LightApplyLocal(point));
  D3DLIGHT8 sent = DeviceLight(IndexOf(point));
  EXPECT_EQ(sent.Type, D3DLIGHT_POINT);
  EXPECT_EQ(sent.Diffuse.r, 0.25f);
  EXPECT_EQ(sent.Diffuse.b, 0.75f);
  EXPECT_EQ(sent.Diffuse.a, 1.0f);
  EXPECT_EQ(sent.Position.z, 3.0f);
  EXPECT_EQ(sent.Range, 10.0f);
  EXPECT_EQ(sent.Attenuation0, 1.0f);
  EXPECT_EQ(sent.Attenuation1, 0.0f);
  EXPECT_FLOAT_EQ(sent.Attenuation2, 0.05f);

  struct Cone {
    RwInt32 type;
    RwReal angle;
    RwReal phi;
    RwReal theta;
  };
  const Cone cones[] = {
      {rpLIGHTSPOT, 1.0f, 2.0f, 2.0f},
      {rpLIGHTSPOT, kRpLightMaxConeAngle, 3.1415927f, 3.1415927f - 0.001f},  // theta kept below phi
      {rpLIGHTSPOTSOFT, 0.5f, 1.0f, 0.0f},
  };
  for (const Cone& cone : cones) {
    SCOPED_TRACE(cone.angle);
    RpLight* spot = Light(cone.type);
    RpLightSetConeAngle(spot, cone.angle);
    ASSERT_TRUE(RpD3D8LightApplyLocal(spot));
    sent = DeviceLight(IndexOf(spot));
    EXPECT_EQ(sent.Type, D3DLIGHT_SPOT);
    EXPECT_NEAR(sent.Phi, cone.phi, 1e-5f);
    EXPECT_NEAR(sent.Theta, cone.theta, 1e-5f);
    EXPECT_EQ(sent.Direction.z, 1.0f);  // the frame's at vector
  }

  // Nothing is sent for a radius of 0 or a light that is not positioned.
  RpLight* dark = Light(rpLIGHTPOINT);
  RpLightSetRadius(dark, 0.0f);
  EXPECT_FALSE(RpD3D8LightApplyLocal(dark));
  EXPECT_FALSE(RpD3D8LightApplyLocal(Light(rpLIGHTAMBIENT)));
  EXPECT_EQ(IndexOf(dark), -1);
  RpD3D8LightsFinish(TRUE);
}

TEST_F(LightsTest, FinishEnablesAtMostTheDeviceMaximumAndOnlyChanges) {
  StartLights();
  ASSERT_EQ(RwD3D8GetCaps()->MaxActiveLights, 8u);
  std::vector<RpLight*> ten;
  for (int i = 0; i < 10; i++) {
    ten.push_back(Light(rpLIGHTPOINT));
  }
  Record();
  for (RpLight* light : ten) {
    ASSERT_TRUE(RpD3D8LightApplyLocal(light));
  }
  RpD3D8LightsFinish(TRUE);
  EXPECT_EQ(Enabled(true), (std::vector<uint64_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(Enabled(false).empty());
  RwUInt32 lighting = 0;
  RwD3D8GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, 1u);

  // The next object reaches lights 2 and 9: the rest are switched off.
  d3d8test::ClearRecording(Device());
  RpD3D8LightApplyLocal(ten[2]);
  RpD3D8LightApplyLocal(ten[9]);
  RpD3D8LightsFinish(TRUE);
  EXPECT_EQ(Enabled(true), (std::vector<uint64_t>{9}));
  EXPECT_EQ(Enabled(false), (std::vector<uint64_t>{0, 1, 3, 4, 5, 6, 7}));

  // With no light reaching an object lighting goes off and no slot changes.
  d3d8test::ClearRecording(Device());
  RpD3D8LightsFinish(FALSE);
  RwD3D8GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, 0u);
  EXPECT_EQ(Calls("LightEnable"), 0u);
}

}  // namespace
}  // namespace pipe_test
