// The visibility plugin: the world and sector extensions, the regions the
// BSP gives each sector, the viewer search, the sector render callback
// installed while hooked, and atomic visibility.
#include "engine/plugin/pvs/rppvs.h"

#include <cmath>
#include <cstring>

#include "engine/plugin/pvs/pvs_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/world/bsp_walk.h"
#include "engine/world/world_object.h"

namespace {

constexpr RwInt32 kSectorConstant = 3;
constexpr RwInt32 kBitsPerByte = 8;
// Per-axis levels stop here for an axis of no extent.
constexpr RwInt32 kFlattestLevel = -126;

RwInt32 sWorldOffset = -1;
RwInt32 sSectorOffset = -1;
RwV3d sViewPosition = {0.0f, 0.0f, 0.0f};
RpWorld* sViewerWorld = nullptr;
RpWorldSector* sViewerSector = nullptr;

RwReal Diagonal(const RwBBox& box) {
  RwV3d extent;
  RwV3dSub(&extent, &box.sup, &box.inf);
  return std::sqrt(RwV3dDotProduct(&extent, &extent));
}

RwInt32 AxisLevel(RwReal longest, RwReal extent) {
  if (!(extent > 0.0f) || !(longest > 0.0f)) {
    return longest > 0.0f ? kFlattestLevel : 0;
  }
  const RwReal level = -std::floor(std::log2(longest / extent));
  if (std::isnan(level)) {
    return 0;  // both infinite: as long as each other
  }
  return level < static_cast<RwReal>(kFlattestLevel) ? kFlattestLevel : static_cast<RwInt32>(level);
}

// The region's centre and per-axis levels, from its box.
void FinishRegion(RpPVSSector* pvs) {
  const RwBBox& region = pvs->region;
  pvs->centre = {(region.sup.x + region.inf.x) * 0.5f, (region.sup.y + region.inf.y) * 0.5f,
                 (region.sup.z + region.inf.z) * 0.5f};
  const RwReal extents[3] = {region.sup.x - region.inf.x, region.sup.y - region.inf.y, region.sup.z - region.inf.z};
  RwReal longest = extents[0];
  for (RwReal extent : extents) {
    longest = extent > longest ? extent : longest;
  }
  for (RwInt32 axis = 0; axis < 3; ++axis) {
    pvs->axisLevels[axis] = AxisLevel(longest, extents[axis]);
  }
}

// Hands each plane's children the parent's box cut at the plane.
void ComputeRegions(RpWorld* world) {
  struct Pending {
    RpSector* sector;
    RwBBox box;
  };
  RpSectorStack<Pending> pending;
  Pending at = {world->rootSector, world->boundingBox};
  while (at.sector != nullptr) {
    if (RpSectorIsAtomic(at.sector)) {
      RpWorldSector* sector = RpSectorAsAtomic(at.sector);
      RpPVSSector* pvs = _rpPVSSector(sector);
      pvs->region = at.box;
      pvs->sectorBox = sector->boundingBox;
      pvs->diagonal = Diagonal(at.box);
      FinishRegion(pvs);
      if (!pending.Pop(&at)) {
        return;
      }
      continue;
    }
    const RpPlaneSector* plane = RpSectorAsPlane(at.sector);
    Pending right = {plane->rightSubTree, at.box};
    *RpAxisComponent(&right.box.inf, plane->type) = plane->value;
    pending.Push(right);
    *RpAxisComponent(&at.box.sup, plane->type) = plane->value;
    at.sector = plane->leftSubTree;
  }
}

RwInt32 CountSectors(RpWorld* world) {
  if (world == nullptr) {
    RwErrorRaise(kRpPVSPluginId, kRwErrNullArgument);
    return -1;
  }
  RwInt32 count = 0;
  RpWorldForAllWorldSectors(
      world,
      [](RpWorldSector* sector, void* data) {
        ++*static_cast<RwInt32*>(data);
        return sector;
      },
      &count);
  return count;
}

// Whether the viewer's sector sees the sector: everything without a viewer
// or a bitmap; nothing beyond the bitmap.
RwBool Visible(const RpWorldSector* sector) {
  const RpPVSSector* viewer = sViewerSector != nullptr ? _rpPVSSector(sViewerSector) : nullptr;
  if (viewer == nullptr || viewer->bitmap == nullptr) {
    return TRUE;
  }
  const RwInt32 index = _rpPVSSector(sector)->sectorIndex;
  if (index < 0 || index / kBitsPerByte >= viewer->bitmapLength) {
    return FALSE;
  }
  return (viewer->bitmap[index / kBitsPerByte] & (1u << (index % kBitsPerByte))) != 0;
}

RpWorldSector* RenderVisible(RpWorldSector* sector) {
  RpPVSWorld* pvs = _rpPVSWorld(RpWorldSectorGetWorld(sector));
  if (pvs == nullptr || pvs->hooked == 0 || pvs->renderCallBack == nullptr) {
    RpWorldSectorCallBackRender render =
        pvs != nullptr && pvs->renderCallBack != nullptr ? pvs->renderCallBack : RpWorldDefaultSectorRenderCallBack;
    return render(sector);
  }
  const RwInt32 triangles = RpWorldSectorGetNumTriangles(sector);
  pvs->trianglesConsidered += triangles;
  if (!Visible(sector)) {
    return sector;
  }
  pvs->trianglesRendered += triangles;
  return pvs->renderCallBack(sector);
}

void FreeBuildRecords(RpPVSWorld* pvs) {
  while (pvs->buildRecords != nullptr) {
    RpPVSBuildRecord* record = pvs->buildRecords;
    pvs->buildRecords = record->next;
    for (void* sub = record->subRecords; sub != nullptr;) {
      void* next = *static_cast<void**>(sub);
      RwFree(sub);
      sub = next;
    }
    RwFree(record);
  }
  pvs->buildData = 0;
}

void* WorldConstruct(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RpPVSWorld, object, offset) = RpPVSWorld{};
  _rpPVSWorldComputeRegions(static_cast<RpWorld*>(object));
  return object;
}

void* WorldDestruct(void* object, RwInt32 offset, RwInt32) {
  auto* world = static_cast<RpWorld*>(object);
  RpPVSUnhook(world);
  FreeBuildRecords(RwPluginDataGet(RpPVSWorld, object, offset));
  if (sViewerWorld == world) {
    sViewerWorld = nullptr;
    sViewerSector = nullptr;
  }
  return object;
}

void* SectorConstruct(void* object, RwInt32 offset, RwInt32) {
  RpPVSSector* pvs = RwPluginDataGet(RpPVSSector, object, offset);
  std::memset(pvs, 0, sizeof(*pvs));
  pvs->sectorIndex = -1;
  pvs->constant = kSectorConstant;
  return object;
}

void* SectorDestruct(void* object, RwInt32 offset, RwInt32) {
  RpPVSSector* pvs = RwPluginDataGet(RpPVSSector, object, offset);
  RwFree(pvs->bitmap);
  pvs->bitmap = nullptr;
  pvs->bitmapLength = 0;
  pvs->sectorIndex = -1;
  if (sViewerSector == object) {
    sViewerSector = nullptr;
  }
  return object;
}

}  // namespace

RpPVSWorld* _rpPVSWorld(const RpWorld* world) {
  return sWorldOffset >= 0 && world != nullptr ? RwPluginDataGet(RpPVSWorld, const_cast<RpWorld*>(world), sWorldOffset)
                                               : nullptr;
}

RpPVSSector* _rpPVSSector(const RpWorldSector* sector) {
  return sSectorOffset >= 0 && sector != nullptr
             ? RwPluginDataGet(RpPVSSector, const_cast<RpWorldSector*>(sector), sSectorOffset)
             : nullptr;
}

RpWorldSector* _rpPVSViewerSector(void) { return sViewerSector; }

void _rpPVSWorldComputeRegions(RpWorld* world) {
  _rpPVSWorld(world)->numSectors = world->rootSector != nullptr ? CountSectors(world) : 0;
  ComputeRegions(world);
}

RwBool RpPVSPluginAttach(void) {
  sWorldOffset = RpWorldRegisterPlugin(sizeof(RpPVSWorld), kRpPVSPluginId, WorldConstruct, WorldDestruct, nullptr);
  if (sWorldOffset < 0 || RpWorldRegisterPluginStream(kRpPVSPluginId, _rpPVSWorldStreamRead, _rpPVSWorldStreamWrite,
                                                      _rpPVSWorldStreamGetSize) < 0) {
    return FALSE;
  }
  sSectorOffset =
      RpWorldSectorRegisterPlugin(sizeof(RpPVSSector), kRpPVSPluginId, SectorConstruct, SectorDestruct, nullptr);
  return sSectorOffset >= 0 &&
         RpWorldSectorRegisterPluginStream(kRpPVSPluginId, _rpPVSSectorStreamRead, _rpPVSSectorStreamWrite,
                                           _rpPVSSectorStreamGetSize) >= 0;
}

RwInt32 RpPVSWorldHasData(RpWorld* world) {
  const RpPVSWorld* pvs = _rpPVSWorld(world);
  return pvs != nullptr ? pvs->hasData : 0;
}

RpWorld* RpPVSHook(RpWorld* world) {
  RpPVSWorld* pvs = _rpPVSWorld(world);
  if (pvs != nullptr && pvs->hasData != 0 && pvs->hooked == 0) {
    pvs->hooked = 1;
    pvs->renderCallBack = RpWorldGetSectorRenderCallBack(world);
    RpWorldSetSectorRenderCallBack(world, RenderVisible);
  }
  return world;
}

RpWorld* RpPVSUnhook(RpWorld* world) {
  RpPVSWorld* pvs = _rpPVSWorld(world);
  if (pvs != nullptr && pvs->hooked != 0) {
    pvs->hooked = 0;
    RpWorldSetSectorRenderCallBack(world, pvs->renderCallBack);
    pvs->renderCallBack = nullptr;
  }
  return world;
}

RpWorld* RpPVSSetViewPosition(RpWorld* world, const RwV3d* position) {
  sViewPosition = *position;
  sViewerWorld = world;
  sViewerSector = nullptr;
  RpWorldForAllWorldSectors(
      world,
      [](RpWorldSector* sector, void*) {
        RpPVSSector* pvs = _rpPVSSector(sector);
        pvs->scratch = 0;
        const RwBBox& region = pvs->region;
        const RwV3d& p = sViewPosition;
        const RwBool inside = region.inf.x <= p.x && p.x <= region.sup.x && region.inf.y <= p.y &&
                              p.y <= region.sup.y && region.inf.z <= p.z && p.z <= region.sup.z;
        if (sViewerSector == nullptr || inside) {
          sViewerSector = sector;
        }
        return sector;
      },
      nullptr);
  return world;
}

RwInt32 RpPVSAtomicVisible(RpAtomic* atomic) {
  RwInt32 visible = 0;
  RpAtomicForAllWorldSectors(
      atomic,
      [](RpWorldSector* sector, void* data) -> RpWorldSector* {
        if (Visible(sector)) {
          *static_cast<RwInt32*>(data) = 1;
          return nullptr;
        }
        return sector;
      },
      &visible);
  return visible;
}

RpWorld* RpPVSWorldSetVisibility(RpWorld* world, const RwUInt8* rows) {
  RpPVSWorld* pvs = _rpPVSWorld(world);
  if (pvs == nullptr) {
    return nullptr;
  }
  struct Numbering {
    const RwUInt8* rows;
    RwInt32 rowLength;
    RwInt32 next;
    RwBool failed;
  };
  const RwInt32 count = CountSectors(world);
  Numbering numbering = {rows, (count + kBitsPerByte - 1) / kBitsPerByte, 0, FALSE};
  RpWorldForAllWorldSectors(
      world,
      [](RpWorldSector* sector, void* data) -> RpWorldSector* {
        auto* numbering = static_cast<Numbering*>(data);
        RpPVSSector* pvs = _rpPVSSector(sector);
        auto* bitmap = static_cast<RwUInt8*>(RwMalloc(static_cast<size_t>(numbering->rowLength)));
        if (bitmap == nullptr) {
          RwErrorRaise(kRpPVSPluginId, kRwErrOutOfMemory);
          numbering->failed = TRUE;
          return nullptr;
        }
        if (numbering->rows != nullptr) {
          std::memcpy(bitmap, numbering->rows + numbering->next * numbering->rowLength,
                      static_cast<size_t>(numbering->rowLength));
        } else {
          std::memset(bitmap, 0xFF, static_cast<size_t>(numbering->rowLength));
        }
        RwFree(pvs->bitmap);
        pvs->bitmap = bitmap;
        pvs->bitmapLength = numbering->rowLength;
        pvs->sectorIndex = numbering->next++;
        return sector;
      },
      &numbering);
  pvs->numSectors = count;
  pvs->hasData = numbering.failed ? 0 : 1;
  return numbering.failed ? nullptr : world;
}
