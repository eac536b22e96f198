// The world-sector all-in-one node and its instance callback. Sectors are
// static: their instance data is made once and never refreshed; normals
// arrive as signed bytes and become floats here.
#include "engine/world/pipe/p2/d3d8/d3d8_world_sector_pipeline.h"

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/world/material.h"
#include "engine/world/mesh.h"
#include "engine/world/pipe/p2/d3d8/d3d8_instance_internal.h"
#include "engine/world/pipe/p2/d3d8/d3d8_lights.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"
#include "engine/world/world.h"

namespace {

constexpr RwReal kNormalScale = 1.0f / 128.0f;

RwNodeDefinition sWorldSectorAllInOne = {"nodeD3D8WorldSectorAllInOne.csl",
                                         RpD3D8WorldSectorAllInOneNode,
                                         nullptr,
                                         nullptr,
                                         RpD3D8WorldSectorAllInOnePipelineInit,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         0,
                                         nullptr,
                                         nullptr,
                                         0,
                                         nullptr,
                                         sizeof(RpD3D8AllInOnePrivateData),
                                         0,
                                         0};

// The world whose sectors are drawn: the current one, else the sector's own.
const RpWorld* SectorWorld(const RpWorldSector* sector) {
  const RpWorld* world = RwEngineInstance->currentWorld;
  return world != nullptr ? world : RpWorldSectorGetWorld(sector);
}

// Texture-coordinate sets a sector's vertices carry: one when textured,
// else two when textured with two sets.
RwInt32 TexCoordSets(RwUInt32 worldFlags) {
  return (worldFlags & rpWORLDTEXTURED) != 0 ? 1 : (worldFlags & rpWORLDTEXTURED2) != 0 ? 2 : 0;
}

}  // namespace

RwNodeDefinition* RpNodeDefinitionGetD3D8WorldSectorAllInOne(void) { return &sWorldSectorAllInOne; }

RwBool RpD3D8WorldSectorAllInOnePipelineInit(RwPipelineNode* node) {
  *static_cast<RpD3D8AllInOnePrivateData*>(node->privateData) = {
      RpD3D8WorldSectorInstanceCallBack, nullptr, RpD3D8WorldSectorLightingCallBack, RpD3D8DefaultRenderCallBack};
  return TRUE;
}

RwInt32 RpD3D8WorldSectorAllInOneNode(RwPipelineNode* node, const RwPipelineNodeParams* params) {
  RpWorldSector* sector = static_cast<RpWorldSector*>(params->dataParam);
  const RpWorld* world = SectorWorld(sector);
  if (world == nullptr || sector->numPolygons == 0 || sector->mesh == nullptr || sector->mesh->numMeshes == 0) {
    return TRUE;
  }
  const RpD3D8AllInOnePrivateData* callbacks = static_cast<const RpD3D8AllInOnePrivateData*>(node->privateData);
  RwResEntry* entry = sector->repEntry;
  if ((world->flags & rpWORLDNATIVE) == 0) {
    if (entry != nullptr && RpD3D8InstanceDataGetHeader(entry)->serialNumber == sector->mesh->serialNum) {
      RwResourcesUseResEntry(entry);
    } else {
      if (entry != nullptr) {
        RwResourcesFreeResEntry(entry);
      }
      const RwBool persistent = (world->flags & kRpGeometryPersistentInstance) != 0;
      entry = RpD3D8InstanceDataCreate(sector, sector, &sector->repEntry, sector->mesh, callbacks->instanceCallBack,
                                       persistent);
      if (entry == nullptr) {
        return FALSE;
      }
    }
  } else if (entry == nullptr) {
    return TRUE;  // a native sector without its data has nothing to draw
  }
  if ((world->flags & kRpGeometryPersistentInstance) != 0) {
    return TRUE;
  }
  if (callbacks->lightingCallBack != nullptr) {
    callbacks->lightingCallBack(sector);
  }
  RwD3D8SetTransformWorld(nullptr);
  RwD3D8SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
  if (callbacks->renderCallBack != nullptr) {
    callbacks->renderCallBack(entry, sector, kRpD3D8ObjectWorldSector, world->flags);
  }
  return TRUE;
}

RwUInt32 RpD3D8WorldSectorVertexFormat(RwUInt32 worldFlags) {
  RwUInt32 fvf = D3DFVF_XYZ;
  if ((worldFlags & rpWORLDNORMALS) != 0) {
    fvf |= D3DFVF_NORMAL;
  }
  if ((worldFlags & rpWORLDPRELIT) != 0) {
    fvf |= D3DFVF_DIFFUSE;
  }
  return fvf | static_cast<RwUInt32>(TexCoordSets(worldFlags)) << D3DFVF_TEXCOUNT_SHIFT;
}

RwBool RpD3D8WorldSectorInstanceCallBack(void* object, RpD3D8InstanceData* record, RwBool) {
  const RpWorldSector* sector = static_cast<const RpWorldSector*>(object);
  const RpWorld* world = SectorWorld(sector);
  const RwUInt32 flags = world != nullptr ? world->flags : 0;
  record->vertexShader = RpD3D8WorldSectorVertexFormat(flags);
  record->stride = RpD3D8GetFVFVertexSize(record->vertexShader);
  record->managed = 1;
  const RwUInt32 size = record->stride * record->numVertices;
  if (size == 0) {
    return TRUE;
  }
  if (!RpD3D8VertexBufferManagerCreate(record->vertexShader, size, &record->vertexBuffer, &record->baseIndex)) {
    return FALSE;
  }
  BYTE* locked = nullptr;
  if (FAILED(record->vertexBuffer->Lock(record->baseIndex * record->stride, size, &locked, 0)) || locked == nullptr) {
    return FALSE;
  }
  const RwRGBA* modulate = _rpD3D8ModulationColor(flags, record->material);
  const RwInt32 sets = TexCoordSets(flags);
  RwUInt32 alphaAnd = 0xFF;
  for (RwUInt32 i = 0; i < record->numVertices; i++) {
    const RwUInt32 vertex = record->minVert + i;
    RwUInt8* out = locked + i * record->stride;
    const RwV3d position = sector->vertices != nullptr ? sector->vertices[vertex] : RwV3d{0.0f, 0.0f, 0.0f};
    _rpD3D8PutVertexPart(out, &position, sizeof position);
    if ((flags & rpWORLDNORMALS) != 0) {
      RwV3d normal = {0.0f, 0.0f, 0.0f};
      if (sector->normals != nullptr) {
        const RpVertexNormal& packed = sector->normals[vertex];
        normal = {packed.x * kNormalScale, packed.y * kNormalScale, packed.z * kNormalScale};
      }
      _rpD3D8PutVertexPart(out, &normal, sizeof normal);
    }
    if ((flags & rpWORLDPRELIT) != 0) {
      // Worlds flagged pre-lit without colours draw opaque white.
      const RwUInt32 color =
          sector->preLitLum != nullptr ? _rpD3D8VertexColor(sector->preLitLum[vertex], modulate) : kRpD3D8OpaqueWhite;
      alphaAnd &= color >> 24;
      _rpD3D8PutVertexPart(out, &color, sizeof color);
    }
    for (RwInt32 set = 0; set < sets; set++) {
      const RwTexCoords coords =
          sector->texCoords[set] != nullptr ? sector->texCoords[set][vertex] : RwTexCoords{0.0f, 0.0f};
      _rpD3D8PutVertexPart(out, &coords, sizeof coords);
    }
  }
  record->vertexAlpha = (flags & rpWORLDPRELIT) != 0 && alphaAnd != 0xFF;
  record->vertexBuffer->Unlock();
  return TRUE;
}
