// A small level on the Direct3D 8 stand-in for the frame-render and mirror
// tests: the engine with the world plugins, a forged room (its walls face
// out, so that from inside only what the tests place is drawn) attached to
// a scene whose camera stands at the origin looking along +z, unlit quad
// clumps placed in the world, and render objects that log what draws them.
#pragma once

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/render/models/atomic_plugin.h"
#include "game/render/scene/camera.h"
#include "game/render/models/render_object.h"
#include "game/render/scene/scene.h"
#include "game/render/collision/world_collision.h"
#include "tests/support/quad_model.h"
#include "tests/support/screen_engine.h"
#include "tools/forge/forge.h"

class LevelScene : public cScene {
 public:
  cCamera* GetCamera(u32 index) override { return index == 0 ? mCamera : nullptr; }
  void SetCamera(cCamera* camera) { mCamera = camera; }

 private:
  cCamera* mCamera = nullptr;
};

// A render object of a type that logs its name, the camera that draws it
// and whether fog is on.
class LoggingObject : public cRenderObject {
 public:
  struct Entry {
    std::string name;
    cCamera* camera;
    RwInt32 fog;
  };

  LoggingObject(std::vector<Entry>* log, const char* name, u32 type) : mLog(log), mName(name), mType(type) {
    mFrame = RwFrameCreate();
  }
  ~LoggingObject() override { RwFrameDestroy(mFrame); }

  u32 GetRoType() override { return mType; }
  RwFrame* GetFrame() override { return mFrame; }
  void Render(cCamera* camera) override {
    intptr_t fog = 0;
    RwRenderStateGet(kRwRenderStateFogEnable, &fog);
    mLog->push_back(Entry{mName, camera, static_cast<RwInt32>(fog)});
    if (onRender) {
      onRender();
    }
  }

  std::function<void()> onRender;

 private:
  std::vector<Entry>* mLog;
  std::string mName;
  u32 mType;
  RwFrame* mFrame;
};

class LevelTest : public ScreenEngineTest {
 protected:
  LevelTest() {
    attach_ = [] {
      return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() && RpPVSPluginAttach() &&
             RpLODAtomicPluginAttach() && RegisterAtomicPlugin();
    };
  }

  void SetUp() override {
    ScreenEngineTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    ForgeSoup soup;
    soup.materials.push_back(ForgeMaterial());
    ForgeAddBox(&soup, RwV3d{-40.0f, -40.0f, -40.0f}, RwV3d{40.0f, 40.0f, 40.0f}, 0);
    if (floor_) {
      ForgeAddGrid(&soup, RwV3d{-40.0f, -2.0f, -40.0f}, 80.0f, 40, 0);
      options_.flags |= rpWORLDPRELIT | rpWORLDNORMALS;
    }
    world_ = ForgeWorldCreate(soup, options_);
    ASSERT_NE(nullptr, world_);
    worldObject_ = std::make_unique<cWorldCollision>(world_, world_, 0);
    camera_ = std::make_unique<cCamera>();
    RpWorldAddCamera(world_, camera_->GetCamera());
    scene_ = std::make_unique<LevelScene>();
    scene_->SetCamera(camera_.get());
    scene_->SetWorldObject(worldObject_.get());
    scene_->GetRenderManager().SetScene(scene_.get(), 0);
    scene_->GetRenderManager().SetWorldObject(worldObject_.get());
  }

  void TearDown() override {
    for (RpClump* clump : clumps_) {
      if (RpClumpGetWorld(clump) != nullptr) {
        RpWorldRemoveClump(world_, clump);
      }
      RpClumpDestroy(clump);
    }
    for (RwTexture* texture : textures_) {
      RwTextureDestroy(texture);
    }
    scene_.reset();
    if (camera_ != nullptr) {
      RpWorldRemoveCamera(world_, camera_->GetCamera());
    }
    camera_.reset();
    worldObject_.reset();
    if (world_ != nullptr) {
      RpWorldDestroy(world_);
    }
    ScreenEngineTest::TearDown();
  }

  // An unlit quad of the colour facing the origin's camera (or, mirrored,
  // facing along +z), placed in the world.
  RpClump* AddQuad(RwV3d centre, f32 size, RwRGBA colour, bool mirrored = false) {
    tTestQuad quad;
    quad.centre = centre;
    quad.size = size;
    quad.prelit = colour;
    quad.geometryFlags = rpGEOMETRYPOSITIONS | rpGEOMETRYPRELIT;
    quad.mirrored = mirrored;
    return Place(MakeQuadClump({quad}));
  }

  // A quad textured with a white texture of the name, facing the origin's
  // camera (or, mirrored, facing along +z).
  RpClump* AddTexturedQuad(RwV3d centre, f32 size, const char* textureName, bool mirrored = false) {
    tTestQuad quad;
    quad.centre = centre;
    quad.size = size;
    quad.mirrored = mirrored;
    quad.geometryFlags = rpGEOMETRYPOSITIONS | rpGEOMETRYPRELIT | rpGEOMETRYTEXTURED;
    RwTexture* texture = WhiteTexture(textureName);
    return Place(MakeQuadClump({quad}, [texture](RpGeometry* geometry, size_t) {
      const RwTexCoords corners[4] = {{1.0f, 1.0f}, {0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}};
      for (int i = 0; i < 4; i++) {
        geometry->texCoords[0][i] = corners[i];
      }
      RpMaterialSetTexture(geometry->matList.materials[0], texture);
    }));
  }

  // An 8 x 8 white texture of the name (kept until the test ends).
  RwTexture* WhiteTexture(const char* name) {
    RwRaster* raster = RwRasterCreate(8, 8, 0, rwRASTERTYPETEXTURE);
    RwUInt8* pixels = RwRasterLock(raster, 0, rwRASTERLOCKWRITE);
    for (int y = 0; y < 8; y++) {
      std::memset(pixels + y * raster->stride, 0xFF, static_cast<size_t>(raster->width) * raster->depth / 8);
    }
    RwRasterUnlock(raster);
    RwTexture* texture = RwTextureCreate(raster);
    RwTextureSetName(texture, name);
    textures_.push_back(texture);
    return texture;
  }

  RpClump* Place(RpClump* clump) {
    clumps_.push_back(clump);
    RpWorldAddClump(world_, clump);
    return clump;
  }

  cRenderManager& Manager() { return scene_->GetRenderManager(); }
  void RenderFrame() { Manager().RenderFrame(camera_.get(), screen_); }

  // A white floor facing up at y = -2, drawn pre-lit (set before SetUp).
  bool floor_ = false;
  ForgeWorldOptions options_;
  RpWorld* world_ = nullptr;
  std::unique_ptr<cWorldCollision> worldObject_;
  std::unique_ptr<cCamera> camera_;
  std::unique_ptr<LevelScene> scene_;
  std::vector<RpClump*> clumps_;
  std::vector<RwTexture*> textures_;
};
