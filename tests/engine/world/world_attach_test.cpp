// Attaching the world module: a start that fails at any allocation leaves
// nothing behind, and a started engine serves materials, meshes, lights,
// atomics and clumps.
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
  RpClump* clump = RpClumpCreate();
  RpAtomic* atomic = RpAtomicCreate();
  const bool served =
      material != nullptr && light != nullptr && builder != nullptr && clump != nullptr && atomic != nullptr;
  if (clump != nullptr && atomic != nullptr) {
    RpClumpAddAtomic(clump, atomic);
  }
  if (clump != nullptr && light != nullptr) {
    RpClumpAddLight(clump, light);
  }
  if (clump != nullptr) {
    RpClumpDestroy(clump);  // with its atomic and light
  } else if (atomic != nullptr) {
    RpAtomicDestroy(atomic);
  }
  if (material != nullptr) {
    RpMaterialDestroy(material);
  }
  if (light != nullptr && clump == nullptr) {
    RpLightDestroy(light);
  }
  if (builder != nullptr) {
    RpMeshBuilderDestroy(builder);
  }
  return served;
}

TEST(WorldAttachTest, FailedStartsLeaveNothing) { ExpectFailedStartsLeakNothing(Attach, ModulesServe); }

}  // namespace
