// RpWorldPluginAttach: the world module's engine plugins in their fixed order,
// then the extensions its objects carry.
#include "engine/world/world_attach.h"

#include "engine/src/engine_lifecycle.h"
#include "engine/world/clump.h"
#include "engine/world/light.h"
#include "engine/world/material.h"
#include "engine/world/mesh.h"
#include "engine/world/world_internal.h"

namespace {

struct EngineModule {
  RwUInt32 pluginID;
  RwInt32 size;  // bytes of engine-instance data
  RwPluginObjectConstructor open;
  RwPluginObjectDestructor close;
};

constexpr EngineModule kEngineModules[] = {
    {kRpPluginIdMaterialModule, kRpMaterialModuleDataSize, _rpMaterialOpen, _rpMaterialClose},
    {kRpPluginIdMeshModule, kRpMeshModuleDataSize, _rpMeshOpen, _rpMeshClose},
    {kRpPluginIdClumpModule, kRpClumpModuleDataSize, _rpClumpOpen, _rpClumpClose},
    {kRpPluginIdLightModule, kRpLightModuleDataSize, _rpLightOpen, _rpLightClose},
};

}  // namespace

RwBool RpWorldPluginAttach(void) {
  RwBool registered = TRUE;
  for (const EngineModule& module : kEngineModules) {
    if (RwEngineRegisterPlugin(module.size, module.pluginID, module.open, module.close) < 0) {
      registered = FALSE;
    }
  }
  if (!registered) {
    return FALSE;
  }
  // The bin mesh stream on geometries; world sectors get theirs with the
  // world-object extensions. Then the clump link on lights and cameras.
  return _rpGeometryBinMeshPluginAttach() && _rpClumpLinkPluginAttach();
}
