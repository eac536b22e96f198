// Light indices and the per-object light lists. Indices come from a stack of
// freed ones, else the next never used; the lights enabled for the previous
// object are kept so that only the differences reach the device.
#include "engine/world/pipe/p2/d3d8/d3d8_lights.h"

#include <cstring>

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"
#include "engine/world/light.h"
#include "engine/world/world.h"
#include "engine/world/world_internal.h"
#include "engine/world/world_object.h"

namespace {

constexpr RwUInt32 kFreeIndexGrowth = 256;
constexpr RwUInt32 kEnabledListGrowth = 8;
constexpr RwUInt32 kNoLimit = 0xFFFFFFFF;
constexpr RwReal kPi = 3.1415927f;
// Taken from a full cone's inner angle so that Direct3D sees theta below phi.
constexpr RwReal kFullConeMargin = 0.001f;
constexpr RwReal kDefaultConstantAttenuation = 1.0f;
constexpr RwReal kDefaultLinearAttenuation = 0.0f;
constexpr RwReal kDefaultQuadraticAttenuation = 5.0f;

struct IndexList {
  RwInt32* indices;
  RwUInt32 count;
  RwUInt32 capacity;
};

struct LightState {
  RwBool open;
  RwInt32 extensionOffset;  // in the light's plugin data, -1 before attach
  D3DCOLORVALUE ambientSum;
  D3DLIGHT8 directional;
  D3DLIGHT8 local;
  RwUInt32 maxActiveLights;
  IndexList freeIndices;
  RwInt32 nextIndex;  // never handed out yet
  IndexList lists[2];
  IndexList* current;
  IndexList* previous;
};

LightState sLights = {FALSE, -1, {}, {}, {}, kNoLimit, {}, 0, {}, nullptr, nullptr};

RpD3D8LightExtension* Extension(void* light) {
  return RwPluginDataGet(RpD3D8LightExtension, light, sLights.extensionOffset);
}

void* ConstructLight(void* light, RwInt32, RwInt32) {
  *Extension(light) = {-1, kDefaultConstantAttenuation, kDefaultLinearAttenuation, kDefaultQuadraticAttenuation};
  return light;
}

// Grows the list by growth entries (zeroed); false when memory runs out.
RwBool Grow(IndexList* list, RwUInt32 growth) {
  const RwUInt32 capacity = list->capacity + growth;
  const size_t bytes = capacity * sizeof(RwInt32);
  RwInt32* grown = static_cast<RwInt32*>(list->indices != nullptr ? RwRealloc(list->indices, bytes) : RwMalloc(bytes));
  if (grown == nullptr) {
    return FALSE;
  }
  std::memset(grown + list->capacity, 0, growth * sizeof(RwInt32));
  list->indices = grown;
  list->capacity = capacity;
  return TRUE;
}

void Push(IndexList* list, RwInt32 index, RwUInt32 growth) {
  if (list->count == list->capacity && !Grow(list, growth)) {
    return;
  }
  list->indices[list->count++] = index;
}

void FreeList(IndexList* list) {
  if (list->indices != nullptr) {
    RwFree(list->indices);
  }
  *list = {nullptr, 0, 0};
}

// The destroyed light's index goes back for the next light applied. After
// the light state closed there is nothing to give it back to.
void* DestructLight(void* light, RwInt32, RwInt32) {
  const RwInt32 index = Extension(light)->index;
  if (index >= 0 && sLights.open) {
    Push(&sLights.freeIndices, index, kFreeIndexGrowth);
  }
  Extension(light)->index = -1;
  return light;
}

// A copy gets the attenuation but an index of its own when first applied:
// two lights on one index would overwrite each other's slot.
void* CopyLight(void* destination, const void* source, RwInt32, RwInt32) {
  *Extension(destination) = *RwPluginDataGetConst(RpD3D8LightExtension, source, sLights.extensionOffset);
  Extension(destination)->index = -1;
  return destination;
}

RwInt32 IndexOf(RpLight* light) {
  RpD3D8LightExtension* extension = Extension(light);
  if (extension->index < 0) {
    if (sLights.freeIndices.count > 0) {
      extension->index = sLights.freeIndices.indices[--sLights.freeIndices.count];
    } else {
      extension->index = sLights.nextIndex++;
    }
  }
  return extension->index;
}

D3DCOLORVALUE Diffuse(const RpLight* light) { return {light->color.red, light->color.green, light->color.blue, 1.0f}; }

D3DVECTOR Vector(const RwV3d& v) { return {v.x, v.y, v.z}; }

const RwMatrix* LightMatrix(const RpLight* light) {
  RwFrame* frame = RpLightGetFrame(light);
  return frame != nullptr ? RwFrameGetLTM(frame) : nullptr;
}

RwBool Contains(const IndexList* list, RwInt32 index) {
  for (RwUInt32 i = 0; i < list->count; i++) {
    if (list->indices[i] == index) {
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

RwBool RpD3D8WorldPluginAttach(void) {
  sLights.extensionOffset = RpLightRegisterPlugin(sizeof(RpD3D8LightExtension), kRpPluginIdD3D8Lights, ConstructLight,
                                                  DestructLight, CopyLight);
  return sLights.extensionOffset >= 0;
}

RpD3D8LightExtension* RpD3D8LightGetExtension(const RpLight* light) {
  return sLights.extensionOffset >= 0 ? Extension(const_cast<RpLight*>(light)) : nullptr;
}

RwBool RpD3D8LightsOpen(void) {
  RpD3D8LightsClose();
  const D3DCAPS8* caps = RwD3D8GetCaps();
  sLights.maxActiveLights = caps != nullptr && caps->MaxActiveLights != 0 ? caps->MaxActiveLights : kNoLimit;
  sLights.nextIndex = 0;
  sLights.ambientSum = {0.0f, 0.0f, 0.0f, 1.0f};
  std::memset(&sLights.directional, 0, sizeof sLights.directional);
  sLights.directional.Type = D3DLIGHT_DIRECTIONAL;
  sLights.directional.Specular = {0.0f, 0.0f, 0.0f, 1.0f};
  sLights.directional.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
  std::memset(&sLights.local, 0, sizeof sLights.local);
  sLights.local.Falloff = 1.0f;
  sLights.local.Diffuse.a = 1.0f;
  sLights.local.Specular.a = 1.0f;
  sLights.local.Ambient.a = 1.0f;
  sLights.current = &sLights.lists[0];
  sLights.previous = &sLights.lists[1];
  sLights.open = TRUE;
  return TRUE;
}

void RpD3D8LightsClose(void) {
  FreeList(&sLights.freeIndices);
  FreeList(&sLights.lists[0]);
  FreeList(&sLights.lists[1]);
  sLights.open = FALSE;
}

RwBool RpD3D8LightApplyLocal(RpLight* light) {
  const RwInt32 type = RpLightGetType(light);
  const RwReal radius = light->radius;
  if (!sLights.open || radius == 0.0f || (type != rpLIGHTPOINT && type != rpLIGHTSPOT && type != rpLIGHTSPOTSOFT)) {
    return FALSE;
  }
  const RwInt32 index = IndexOf(light);
  const RpD3D8LightExtension* extension = Extension(light);
  const RwMatrix* matrix = LightMatrix(light);
  D3DLIGHT8& record = sLights.local;
  record.Diffuse = Diffuse(light);
  record.Position = matrix != nullptr ? Vector(matrix->pos) : D3DVECTOR{0.0f, 0.0f, 0.0f};
  record.Range = radius;
  record.Attenuation0 = extension->constantAttenuation;
  record.Attenuation1 = extension->linearAttenuation / radius;
  record.Attenuation2 = extension->quadraticAttenuation / (radius * radius);
  const D3DVECTOR at = matrix != nullptr ? Vector(matrix->at) : D3DVECTOR{0.0f, 0.0f, 1.0f};
  if (type == rpLIGHTPOINT) {
    record.Type = D3DLIGHT_POINT;
    record.Direction = {0.0f, 0.0f, 0.0f};
    record.Theta = 0.0f;
    record.Phi = 0.0f;
  } else {
    record.Type = D3DLIGHT_SPOT;
    record.Direction = at;
    record.Phi = 2.0f * RpLightGetConeAngle(light);
    if (type == rpLIGHTSPOT) {
      record.Theta = record.Phi < kPi ? record.Phi : record.Phi - kFullConeMargin;
    } else {
      record.Theta = 0.0f;
    }
  }
  RwD3D8SetLight(index, &record);
  Push(sLights.current, index, kEnabledListGrowth);
  return TRUE;
}

void RpD3D8LightApplyDirectional(RpLight* light) {
  if (!sLights.open) {
    return;
  }
  const RwInt32 index = IndexOf(light);
  const RwMatrix* matrix = LightMatrix(light);
  sLights.directional.Diffuse = Diffuse(light);
  sLights.directional.Direction = matrix != nullptr ? Vector(matrix->at) : D3DVECTOR{0.0f, 0.0f, 1.0f};
  RwD3D8SetLight(index, &sLights.directional);
  Push(sLights.current, index, kEnabledListGrowth);
}

RwBool RpD3D8LightsFinish(RwBool anyApplied) {
  if (!sLights.open) {
    return RwD3D8SetRenderState(D3DRS_LIGHTING, FALSE);
  }
  if (!anyApplied) {
    sLights.current->count = 0;
    return RwD3D8SetRenderState(D3DRS_LIGHTING, FALSE);
  }
  IndexList* current = sLights.current;
  IndexList* previous = sLights.previous;
  if (current->count > sLights.maxActiveLights) {
    current->count = sLights.maxActiveLights;
  }
  for (RwUInt32 i = 0; i < previous->count; i++) {
    if (!Contains(current, previous->indices[i])) {
      RwD3D8EnableLight(previous->indices[i], FALSE);
    }
  }
  for (RwUInt32 i = 0; i < current->count; i++) {
    RwD3D8EnableLight(current->indices[i], TRUE);
  }
  sLights.current = previous;
  sLights.previous = current;
  sLights.current->count = 0;
  return RwD3D8SetRenderState(D3DRS_LIGHTING, TRUE);
}

RwBool RpD3D8LightsApplyGlobal(RwUInt32 mask) {
  RpWorld* world = RwEngineInstance->currentWorld;
  sLights.ambientSum = {0.0f, 0.0f, 0.0f, 1.0f};
  RwBool any = FALSE;
  if (world != nullptr) {
    RwLinkList* list = &world->directionalLightList;
    for (RwLLLink* link = rwLinkListGetFirstLLLink(list); link != rwLinkListGetTerminator(list); link = link->next) {
      RpLight* light = rwLLLinkGetData(link, RpLight, inWorld);
      if ((RpLightGetFlags(light) & mask) == 0) {
        continue;
      }
      if (RpLightGetType(light) == rpLIGHTDIRECTIONAL) {
        RpD3D8LightApplyDirectional(light);
      } else {
        sLights.ambientSum.r += light->color.red;
        sLights.ambientSum.g += light->color.green;
        sLights.ambientSum.b += light->color.blue;
      }
      any = TRUE;
    }
  }
  // Ambient light reaches Direct3D through each material's ambient colour.
  RwD3D8SetAmbientLightColor(&sLights.ambientSum);
  RwD3D8SetRenderState(D3DRS_AMBIENT, any ? 0xFFFFFFFF : 0);
  return any;
}

void RpD3D8AtomicLightingCallBack(void* object) {
  RpAtomic* atomic = static_cast<RpAtomic*>(object);
  if ((atomic->geometry->flags & rpGEOMETRYLIGHT) == 0 || RwEngineInstance->currentWorld == nullptr) {
    RpD3D8LightsFinish(FALSE);
    return;
  }
  RwBool any = RpD3D8LightsApplyGlobal(kRpD3D8LightsAtomics);
  // A light tied to several of the atomic's sectors is applied once.
  const RwUInt16 marker = ++*_rpLightMarkerCounter();
  const RwSphere* sphere = RpAtomicGetWorldBoundingSphere(atomic);
  RwLinkList* ties = &atomic->llWorldSectorsInAtomic;
  for (RwLLLink* link = rwLinkListGetFirstLLLink(ties); link != rwLinkListGetTerminator(ties); link = link->next) {
    RpWorldSector* sector = rwLLLinkGetData(link, RpTie, lAtomic)->worldSector;
    RwLinkList* lights = &sector->lightsInWorldSector;
    for (RwLLLink* lightLink = rwLinkListGetFirstLLLink(lights); lightLink != rwLinkListGetTerminator(lights);
         lightLink = lightLink->next) {
      RpLight* light = rwLLLinkGetData(lightLink, RpLightTie, lightInWorldSector)->light;
      if (light->lightFrame == marker || (RpLightGetFlags(light) & kRpD3D8LightsAtomics) == 0) {
        continue;
      }
      light->lightFrame = marker;
      const RwMatrix* matrix = LightMatrix(light);
      const RwV3d position = matrix != nullptr ? matrix->pos : RwV3d{0.0f, 0.0f, 0.0f};
      const RwReal dx = position.x - sphere->center.x;
      const RwReal dy = position.y - sphere->center.y;
      const RwReal dz = position.z - sphere->center.z;
      const RwReal reach = light->radius + sphere->radius;
      if (reach * reach > dx * dx + dy * dy + dz * dz) {
        any = RpD3D8LightApplyLocal(light) || any;
      }
    }
  }
  RpD3D8LightsFinish(any);
}

void RpD3D8WorldSectorLightingCallBack(void* object) {
  RpWorldSector* sector = static_cast<RpWorldSector*>(object);
  const RpWorld* world = RwEngineInstance->currentWorld;
  if (world == nullptr || (world->flags & rpWORLDLIGHT) == 0) {
    RpD3D8LightsFinish(FALSE);
    return;
  }
  RwBool any = RpD3D8LightsApplyGlobal(kRpD3D8LightsWorldSectors);
  ++*_rpLightMarkerCounter();
  RwLinkList* lights = &sector->lightsInWorldSector;
  for (RwLLLink* link = rwLinkListGetFirstLLLink(lights); link != rwLinkListGetTerminator(lights); link = link->next) {
    RpLight* light = rwLLLinkGetData(link, RpLightTie, lightInWorldSector)->light;
    if ((RpLightGetFlags(light) & kRpD3D8LightsWorldSectors) != 0) {
      any = RpD3D8LightApplyLocal(light) || any;
    }
  }
  RpD3D8LightsFinish(any);
}
