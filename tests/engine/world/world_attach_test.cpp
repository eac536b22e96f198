// Attaching the world module: a start that fails at any allocation leaves
// nothing behind, and a started engine serves materials, meshes and lights.
#include "engine/world/world_attach.h"

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/support/started_engine.h"

namespace {

bool Attach() { return RpWorldPluginAttach() != FALSE; }

bool ModulesServe() {
  RpMaterial* material = RpMaterialCreate();
  RpLight* light = RpLightCreate(rpLIGHTPOINT);
  RpMeshBuilder* builder = RpMeshBuilderCreate(0);  // no entries: nothing but free-list records
  const bool served = material != nullptr && light != nullptr && builder != nullptr;
  if (material != nullptr) {
    RpMaterialDestroy(material);
  }
  if (light != nullptr) {
    RpLightDestroy(light);
  }
  if (builder != nullptr) {
    RpMeshBuilderDestroy(builder);
  }
  return served;
}

TEST(WorldAttachTest, FailedStartsLeaveNothing) { ExpectFailedStartsLeakNothing(Attach, ModulesServe); }

}  // namespace
