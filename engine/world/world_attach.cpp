// RpWorldPluginAttach: the world module's engine plugins in their fixed order,
// then the extensions its objects carry.
#include "engine/world/world_attach.h"

#include "engine/src/engine_lifecycle.h"
#include "engine/world/clump.h"
#include "engine/world/light.h"
#include "engine/world/material.h"
#include "engine/world/mesh.h"
#include "engine/world/pipe/p2/d3d8/d3d8_lights.h"
#include "engine/world/world.h"
#include "engine/world/world_internal.h"
#include "engine/world/world_object.h"

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
    {kRpPluginIdWorldModule, kRpOpenCountDataSize, _rpWorldModuleOpen, _rpWorldModuleClose},
    {kRpPluginIdClumpModule, kRpClumpModuleDataSize, _rpClumpOpen, _rpClumpClose},
    {kRpPluginIdLightModule, kRpLightModuleDataSize, _rpLightOpen, _rpLightClose},
    {kRpPluginIdSectorModule, 0, _rpSectorModuleOpen, _rpSectorModuleClose},
    {kRpPluginIdWorld, kRpWorldModuleDataSize, _rpWorldOpen, _rpWorldClose},
    {kRpPluginIdBinMeshModule, 0, _rpBinMeshModuleOpen, _rpBinMeshModuleClose},
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
  // The world-object plugin (which brings the bin mesh, right-to-render and
  // native data streams), the clump link on lights and cameras, then the
  // Direct3D 8 light extension last.
  return RpWorldObjectPluginAttach() && _rpClumpLinkPluginAttach() && RpD3D8WorldPluginAttach();
}
