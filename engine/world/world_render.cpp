// Cameras in worlds and world rendering: the camera's begin and end update
// set the engine's current world and advance its render frame, each
// synchronisation of a camera's frame lists the sectors its frustum sees in
// the world's render order, and RpWorldRender draws those sectors with the
// atomics tied to them, each atomic once per camera update.
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/bsp_walk.h"
#include "engine/world/world_internal.h"
#include "engine/world/world_object_internal.h"

namespace {

// Entries the visible sector list grows by.
constexpr RwInt32 kSectorListGrowth = 50;
constexpr RwUInt32 kRenderFrameMask = 0xFFFF;

RwUInt16 RenderFrame() { return static_cast<RwUInt16>(RwEngineInstance->renderFrame); }

// Whether the box lies wholly outside one of the frustum's planes. A plane's
// corner indices name the box corner farthest along its outward normal; the
// opposite corner is the one nearest inside, and when even that one is
// outside, so is the whole box.
RwBool BoxOutsideFrustum(const RwCamera* camera, const RwBBox& box) {
  for (const RwFrustumPlane& frustumPlane : camera->frustumPlanes) {
    const RwV3d nearest = {frustumPlane.closestX != 0 ? box.inf.x : box.sup.x,
                           frustumPlane.closestY != 0 ? box.inf.y : box.sup.y,
                           frustumPlane.closestZ != 0 ? box.inf.z : box.sup.z};
    const RwPlane& plane = frustumPlane.plane;
    if (plane.normal.x * nearest.x + plane.normal.y * nearest.y + plane.normal.z * nearest.z - plane.distance > 0.0f) {
      return TRUE;
    }
  }
  return FALSE;
}

// Appends the sector; false (0x80000013) when the list cannot grow.
RwBool AppendSector(RpCameraWorldExtension* extension, RpWorldSector* sector) {
  if (extension->position == extension->space) {
    const RwInt32 space = extension->space + kSectorListGrowth;
    auto* grown = static_cast<RpWorldSector**>(
        RwRealloc(extension->frustumSectors, sizeof(RpWorldSector*) * static_cast<size_t>(space)));
    if (grown == nullptr) {
      RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
      return FALSE;
    }
    extension->frustumSectors = grown;
    extension->space = space;
  }
  extension->frustumSectors[extension->position++] = sector;
  return TRUE;
}

// Lists the sectors of the world whose plane boxes the camera's frustum may
// see: both children of a plane the frustum's box spans, the one on the far
// side of the camera first when the world renders back to front.
void CollectSectors(RwCamera* camera, RpCameraWorldExtension* extension) {
  const RpWorld* world = extension->world;
  const RwBBox& box = camera->frustumBoundBox;
  const RwV3d eye = RwFrameGetLTM(RwCameraGetFrame(camera))->pos;
  const RwBool backToFront = world->renderOrder == rpWORLDRENDERBACK2FRONT;
  extension->position = 0;
  RpSectorStack<RpSector*> pending;
  RpSector* sector = world->rootSector;
  while (sector != nullptr) {
    if (RpSectorIsAtomic(sector)) {
      RpWorldSector* atomicSector = RpSectorAsAtomic(sector);
      if ((!BoxOutsideFrustum(camera, atomicSector->planeBox) && !AppendSector(extension, atomicSector)) ||
          !pending.Pop(&sector)) {
        break;
      }
      continue;
    }
    const RpPlaneSector* plane = RpSectorAsPlane(sector);
    const RwBool left = RpAxisComponent(box.inf, plane->type) < plane->leftValue;
    const RwBool right = RpAxisComponent(box.sup, plane->type) > plane->rightValue;
    if (left && right) {
      const RwBool leftIsFar = RpAxisComponent(eye, plane->type) > plane->value;
      const RwBool leftFirst = backToFront ? leftIsFar : !leftIsFar;
      pending.Push(leftFirst ? plane->rightSubTree : plane->leftSubTree);
      sector = leftFirst ? plane->leftSubTree : plane->rightSubTree;
    } else {
      sector = left ? plane->leftSubTree : plane->rightSubTree;
    }
  }
  if (RwStandardFunc hint = RwEngineInstance->standardFunctions[kRwStdSectorsCollectedHint]) {
    hint(nullptr, nullptr, world->renderOrder == rpWORLDRENDERFRONT2BACK ? 1 : 0);
  }
}

// Renders the atomics of one tie list not yet considered in this update.
void RenderTiedAtomics(RwLinkList* list, const RwCamera* camera, RwUInt16 frame) {
  RwLLLink* const end = rwLinkListGetTerminator(list);
  for (RwLLLink* link = rwLinkListGetFirstLLLink(list); link != end;) {
    RpAtomic* atomic = rwLLLinkGetData(link, RpTie, lWorldSector)->apAtom;
    link = link->next;
    if (atomic == nullptr || (RpAtomicGetFlags(atomic) & rpATOMICRENDER) == 0 || atomic->renderFrame == frame) {
      continue;
    }
    atomic->renderFrame = frame;
    if (RwCameraFrustumTestSphere(camera, RpAtomicGetWorldBoundingSphere(atomic)) != kRwSphereOutside) {
      atomic->renderCallBack(atomic);
    }
  }
}

}  // namespace

RwCamera* _rpCameraWorldBeginUpdate(RwCamera* camera) {
  const RpCameraWorldExtension* extension = _rpCameraWorldExtension(camera);
  RwEngineRecord* engine = RwEngineInstance;
  engine->currentWorld = extension->world;
  engine->renderFrame = (engine->renderFrame & ~kRenderFrameMask) | ((engine->renderFrame + 1) & kRenderFrameMask);
  return extension->keptBeginUpdate(camera);
}

RwCamera* _rpCameraWorldEndUpdate(RwCamera* camera) {
  RwEngineInstance->currentWorld = nullptr;
  return _rpCameraWorldExtension(camera)->keptEndUpdate(camera);
}

RwObjectHasFrame* _rpCameraWorldSync(RwObjectHasFrame* object) {
  auto* camera = reinterpret_cast<RwCamera*>(object);
  RpCameraWorldExtension* extension = _rpCameraWorldExtension(camera);
  if (extension->keptSync(object) == nullptr) {
    return nullptr;
  }
  if (extension->world != nullptr && RwCameraGetFrame(camera) != nullptr) {
    CollectSectors(camera, extension);
  }
  return object;
}

void _rpCameraFreeSectors(RpCameraWorldExtension* extension) {
  if (extension->frustumSectors != nullptr) {
    RwFree(extension->frustumSectors);
  }
  extension->frustumSectors = nullptr;
  extension->space = 0;
  extension->position = 0;
}

RwCamera* RpCameraForAllWorldSectors(RwCamera* camera, RpWorldSectorCallBack callBack, void* data) {
  const RpCameraWorldExtension* extension = _rpCameraWorldExtension(camera);
  for (RwInt32 i = 0; i < extension->position; ++i) {
    if (callBack(extension->frustumSectors[i], data) == nullptr) {
      break;
    }
  }
  return camera;
}

RpWorldSector* RpWorldSectorRenderWithAtomics(RpWorldSector* sector, void*) {
  if (RpWorldSectorRender(sector) == nullptr) {
    return sector;
  }
  const RwCamera* camera = RwEngineInstance->currentCamera;
  if (camera == nullptr) {
    return sector;  // outside a camera update nothing can be tested against a frustum
  }
  const RwUInt16 frame = RenderFrame();
  RenderTiedAtomics(&sector->collAtomicsInWorldSector, camera, frame);
  RenderTiedAtomics(&sector->noCollAtomicsInWorldSector, camera, frame);
  return sector;
}

RpWorld* RpWorldRender(RpWorld* world) {
  if (RwCamera* camera = RwEngineInstance->currentCamera) {
    RpCameraForAllWorldSectors(camera, RpWorldSectorRenderWithAtomics, nullptr);
  }
  return world;
}
