// Shared pieces of the model and render-manager tests: the engine on the
// fake driver with the world module, the plugins models use and the game
// atomic plugin, and render objects that record when they are drawn.
#pragma once

#include <string>
#include <vector>

#include "game/render/models/atomic_plugin.h"
#include "game/render/models/atomic_ro.h"
#include "game/render/models/render_object.h"
#include "tests/support/started_engine.h"

class ModelEngineTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine([] {
      return RpWorldPluginAttach() && RpCollisionPluginAttach() && RpUserDataPluginAttach() && RpPVSPluginAttach() &&
             RpLODAtomicPluginAttach() && RegisterAtomicPlugin();
    });
  }
};

inline RwFrame* FrameAt(f32 x, f32 y, f32 z) {
  RwFrame* frame = RwFrameCreate();
  const RwV3d position = {x, y, z};
  RwFrameTranslate(frame, &position, kRwCombineReplace);
  return frame;
}

// A render object of a given type that logs its name when drawn.
class RecordingObject : public cRenderObject {
 public:
  RecordingObject(std::vector<std::string>* log, const char* name, u32 type, RwFrame* frame)
      : mLog(log), mName(name), mType(type), mFrame(frame) {}
  ~RecordingObject() override {
    if (mFrame != nullptr) {
      RwFrameDestroy(mFrame);
    }
  }

  u32 GetRoType() override { return mType; }
  RwFrame* GetFrame() override { return mFrame; }
  void Render(cCamera*) override { mLog->push_back(mName); }

 private:
  std::vector<std::string>* mLog;
  std::string mName;
  u32 mType;
  RwFrame* mFrame;
};

// An atomic render object at a position that logs its name when drawn.
class RecordingAtomicRO : public cAtomicRO {
 public:
  RecordingAtomicRO(std::vector<std::string>* log, const char* name, u8 layer, f32 x, f32 y, f32 z)
      : cAtomicRO(1.0f, layer), mLog(log), mName(name) {
    const RwV3d position = {x, y, z};
    RwFrameTranslate(GetFrame(), &position, kRwCombineReplace);
  }

  void Render(cCamera*) override { mLog->push_back(mName); }
  // What world rendering does with the atomic.
  void Draw() { RpAtomicGetRenderCallBack(GetAtomic())(GetAtomic()); }

 private:
  std::vector<std::string>* mLog;
  std::string mName;
};
