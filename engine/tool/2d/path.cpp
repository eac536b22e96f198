// Paths: chains of subpaths of points joined by lines or cubic curves, each
// point carrying its miter vector and its distance along the subpath; curves
// are flattened by halving until they lie within half a device pixel.
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/tool/2d/rt2d_internal.h"

static_assert(sizeof(Rt2dPathPoint) == 24, "path points are six words");

namespace {

constexpr RwUInt32 kPathsPerBlock = 32;

struct PathModule {
  RwFreeList* pool;
  Rt2dPath* scratch;  // locked; receives flattened curves
};

PathModule gPaths = {nullptr, nullptr};

Rt2dPath* Refuse() {
  RwErrorRaise(kRwPluginIdNone, kRwErrInvalidValue);
  return nullptr;
}

Rt2dPath* NewSubpath() {
  if (gPaths.pool == nullptr) {
    return nullptr;
  }
  Rt2dPath* path = static_cast<Rt2dPath*>(RwFreeListEntryAlloc(gPaths.pool));
  if (path == nullptr) {
    return nullptr;
  }
  path->list = RwListCreate(sizeof(Rt2dPathPoint));
  if (path->list == nullptr) {
    RwFreeListEntryFree(gPaths.pool, path);
    return nullptr;
  }
  path->points = nullptr;
  path->numPoints = -1;
  path->closed = 0;
  path->flat = 1;
  path->inset = 0.0f;
  path->next = nullptr;
  path->current = path;
  return path;
}

void DestroySubpath(Rt2dPath* path) {
  if (path->list != nullptr) {
    RwListDestroy(path->list);
  }
  EngineFree(path->points);
  RwFreeListEntryFree(gPaths.pool, path);
}

void DestroyUsedSubpath(void* entry, void*) { DestroySubpath(static_cast<Rt2dPath*>(entry)); }

void DestroyChain(Rt2dPath* path) {
  while (path != nullptr) {
    Rt2dPath* next = path->next;
    DestroySubpath(path);
    path = next;
  }
}

Rt2dPathPoint* Point(Rt2dPath* path, RwInt32 index) {
  return static_cast<Rt2dPathPoint*>(RwListGetEntry(path->list, index));
}

// point.normal becomes the miter of its own normal and the next segment's:
// the sum of both over its projection on the first. A path turning back on
// itself has no miter and keeps the incoming normal.
void Miter(Rt2dPathPoint* point, RwReal nextX, RwReal nextY) {
  const RwReal sumX = point->normalX + nextX;
  const RwReal sumY = point->normalY + nextY;
  const RwReal projection = point->normalX * sumX + point->normalY * sumY;
  if (projection == 0.0f) {
    if (point->normalX == 0.0f && point->normalY == 0.0f) {
      point->normalX = nextX;
      point->normalY = nextY;
    }
    return;
  }
  point->normalX = sumX / projection;
  point->normalY = sumY / projection;
}

// Appends a line or curve point to a locked subpath that holds a point.
Rt2dPath* AppendSegment(Rt2dPath* path, RwInt32 kind, RwReal x, RwReal y) {
  const RwInt32 before = RwListGetNumEntries(path->list);
  Rt2dPathPoint* added = static_cast<Rt2dPathPoint*>(RwListGetNewEntry(path->list));
  if (added == nullptr) {
    return nullptr;
  }
  Rt2dPathPoint* previous = Point(path, before - 1);  // after the list grew
  const RwReal dx = x - previous->x;
  const RwReal dy = y - previous->y;
  const RwReal squared = dx * dx + dy * dy;
  added->kind = kind;
  added->x = x;
  added->y = y;
  if (squared == 0.0f) {
    // A zero-length segment has no direction of its own.
    added->normalX = previous->normalX;
    added->normalY = previous->normalY;
    added->distance = previous->distance;
  } else {
    const RwReal inverse = RwInvSqrt(squared);
    added->normalX = dy * inverse;
    added->normalY = -dx * inverse;
    added->distance = previous->distance + RwSqrt(squared);
  }
  if (before >= 2) {
    Miter(previous, added->normalX, added->normalY);
  } else {
    previous->normalX = added->normalX;
    previous->normalY = added->normalY;
  }
  return path;
}

// The subpath new points go to, when it is locked and holds a point.
Rt2dPath* Extendable(Rt2dPath* path) {
  if (path == nullptr) {
    return nullptr;
  }
  Rt2dPath* current = path->current;
  if (current->list == nullptr || RwListGetNumEntries(current->list) == 0) {
    return nullptr;
  }
  return current;
}

void Empty(Rt2dPath* path) {
  DestroyChain(path->next);
  path->next = nullptr;
  path->current = path;
  RwListEmpty(path->list);
  path->closed = 0;
  path->flat = 1;
}

// The points and flags of the source replace those of the locked subpath.
Rt2dPath* CopyPoints(Rt2dPath* destination, const Rt2dPath* source) {
  RwInt32 count = 0;
  const Rt2dPathPoint* points = _rt2dPathGetPoints(source, &count);
  RwListEmpty(destination->list);
  if (count > 0) {
    void* entries = RwListGetNewEntries(destination->list, count);
    if (entries == nullptr) {
      return nullptr;
    }
    std::memcpy(entries, points, sizeof(Rt2dPathPoint) * static_cast<size_t>(count));
  }
  destination->closed = source->closed;
  destination->flat = source->flat;
  return destination;
}

RwReal Squared(RwV2d v) { return v.x * v.x + v.y * v.y; }

RwV2d Middle(RwV2d a, RwV2d b) { return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f}; }

// Whether the control point lies within the tolerance of the chord's line:
// its squared distance |c|^2 - (c.d)^2/|d|^2 below it, kept free of division.
bool NearChord(RwV2d p0, RwV2d control, RwV2d chord, RwReal tolerance) {
  const RwV2d c = {control.x - p0.x, control.y - p0.y};
  const RwReal along = c.x * chord.x + c.y * chord.y;
  return (Squared(c) - tolerance) * Squared(chord) < along * along;
}

Rt2dPath* BezierFlatten(Rt2dPath* path, RwV2d p0, RwV2d p1, RwV2d p2, RwV2d p3, RwInt32 depth, RwReal tolerance) {
  const RwV2d chord = {p3.x - p0.x, p3.y - p0.y};
  if (depth == 0 || (NearChord(p0, p1, chord, tolerance) && NearChord(p0, p2, chord, tolerance))) {
    return AppendSegment(path, kRt2dPathLine, p3.x, p3.y);
  }
  const RwV2d p01 = Middle(p0, p1);
  const RwV2d p12 = Middle(p1, p2);
  const RwV2d p23 = Middle(p2, p3);
  const RwV2d p012 = Middle(p01, p12);
  const RwV2d p123 = Middle(p12, p23);
  const RwV2d p0123 = Middle(p012, p123);
  if (BezierFlatten(path, p0, p01, p012, p0123, depth - 1, tolerance) == nullptr) {
    return nullptr;
  }
  return BezierFlatten(path, p0123, p123, p23, p3, depth - 1, tolerance);
}

RwV2d At(const Rt2dPathPoint& point) { return {point.x, point.y}; }

}  // namespace

RwBool Rt2dPathModuleOpen(void) {
  gPaths.pool =
      RwFreeListCreateAndPreallocate(sizeof(Rt2dPath), kPathsPerBlock, kRwFreeListMinimumAlignment, 1, nullptr);
  gPaths.scratch = Rt2dPathCreate();
  return gPaths.scratch != nullptr;
}

void Rt2dPathModuleClose(void) {
  // Paths still in use, the scratch among them, give back their points.
  if (gPaths.pool != nullptr) {
    RwFreeListForAllUsed(gPaths.pool, DestroyUsedSubpath, nullptr);
    RwFreeListDestroy(gPaths.pool);
  }
  gPaths = {nullptr, nullptr};
}

Rt2dPathPoint* _rt2dPathGetPoints(const Rt2dPath* subpath, RwInt32* count) {
  if (subpath->list != nullptr) {
    *count = RwListGetNumEntries(subpath->list);
    return static_cast<Rt2dPathPoint*>(RwListGetArray(subpath->list));
  }
  *count = subpath->points != nullptr ? subpath->numPoints : 0;
  return subpath->points;
}

Rt2dPath* Rt2dPathCreate(void) { return NewSubpath(); }

RwBool Rt2dPathDestroy(Rt2dPath* path) {
  if (path == nullptr) {
    return FALSE;
  }
  DestroyChain(path);
  return TRUE;
}

Rt2dPath* Rt2dPathLock(Rt2dPath* path) {
  for (Rt2dPath* subpath = path; subpath != nullptr; subpath = subpath->next) {
    if (subpath->list != nullptr) {
      continue;
    }
    RwList* list = RwListCreate(sizeof(Rt2dPathPoint));
    if (list == nullptr) {
      return nullptr;
    }
    if (subpath->numPoints > 0) {
      void* entries = RwListGetNewEntries(list, subpath->numPoints);
      if (entries == nullptr) {
        RwListDestroy(list);
        return nullptr;
      }
      std::memcpy(entries, subpath->points, sizeof(Rt2dPathPoint) * static_cast<size_t>(subpath->numPoints));
    }
    EngineFree(subpath->points);
    subpath->points = nullptr;
    subpath->list = list;
    subpath->numPoints = -1;
  }
  return path;
}

Rt2dPath* Rt2dPathUnlock(Rt2dPath* path) {
  for (Rt2dPath* subpath = path; subpath != nullptr; subpath = subpath->next) {
    if (subpath->list == nullptr) {
      continue;
    }
    subpath->numPoints = RwListGetNumEntries(subpath->list);
    subpath->points = static_cast<Rt2dPathPoint*>(RwListToArray(subpath->list));
    subpath->list = nullptr;
  }
  return path;
}

Rt2dPath* Rt2dPathMoveto(Rt2dPath* path, RwReal x, RwReal y) {
  if (path == nullptr || path->current->list == nullptr) {
    return Refuse();
  }
  Rt2dPath* subpath = path->current;
  if (RwListGetNumEntries(subpath->list) > 0) {
    subpath = NewSubpath();
    if (subpath == nullptr) {
      return nullptr;
    }
    path->current->next = subpath;
    path->current = subpath;
  }
  Rt2dPathPoint* point = static_cast<Rt2dPathPoint*>(RwListGetNewEntry(subpath->list));
  if (point == nullptr) {
    return nullptr;
  }
  *point = {kRt2dPathMove, x, y, 0.0f, 0.0f, 0.0f};
  return path;
}

Rt2dPath* Rt2dPathLineto(Rt2dPath* path, RwReal x, RwReal y) {
  Rt2dPath* subpath = Extendable(path);
  if (subpath == nullptr) {
    return Refuse();
  }
  return AppendSegment(subpath, kRt2dPathLine, x, y) != nullptr ? path : nullptr;
}

Rt2dPath* Rt2dPathCurveto(Rt2dPath* path, RwReal x1, RwReal y1, RwReal x2, RwReal y2, RwReal x3, RwReal y3) {
  Rt2dPath* subpath = Extendable(path);
  if (subpath == nullptr) {
    return Refuse();
  }
  if (AppendSegment(subpath, kRt2dPathCurve, x1, y1) == nullptr ||
      AppendSegment(subpath, kRt2dPathCurve, x2, y2) == nullptr ||
      AppendSegment(subpath, kRt2dPathCurve, x3, y3) == nullptr) {
    return nullptr;
  }
  subpath->flat = 0;
  return path;
}

Rt2dPath* Rt2dPathClose(Rt2dPath* path) {
  Rt2dPath* subpath = Extendable(path);
  if (subpath == nullptr) {
    return Refuse();
  }
  const Rt2dPathPoint first = *Point(subpath, 0);
  const Rt2dPathPoint last = *Point(subpath, RwListGetNumEntries(subpath->list) - 1);
  if ((last.x != first.x || last.y != first.y) && AppendSegment(subpath, kRt2dPathLine, first.x, first.y) == nullptr) {
    return nullptr;
  }
  Rt2dPathPoint* start = Point(subpath, 0);
  Rt2dPathPoint* end = Point(subpath, RwListGetNumEntries(subpath->list) - 1);
  // The first point is also the last: both take the miter of the closing
  // and the opening segment.
  const RwReal sumX = start->normalX + end->normalX;
  const RwReal sumY = start->normalY + end->normalY;
  const RwReal projection = start->normalX * sumX + start->normalY * sumY;
  if (start != end && projection != 0.0f) {
    start->normalX = end->normalX = sumX / projection;
    start->normalY = end->normalY = sumY / projection;
  }
  subpath->closed = 1;
  return path;
}

Rt2dPath* Rt2dPathFlattenInto(Rt2dPath* destination, const Rt2dPath* source) {
  if (destination == nullptr || source == nullptr || destination->current->list == nullptr) {
    return Refuse();
  }
  Rt2dPath* target = destination->current;
  const RwReal tolerance = Rt2dGStateGetFlatTolerance();
  const RwInt32 depth = _rt2dGStateCurveDepth();
  RwInt32 count = 0;
  const Rt2dPathPoint* points = _rt2dPathGetPoints(source, &count);
  RwInt32 i = 0;
  while (i < count) {
    const Rt2dPathPoint& point = points[i];
    // A curve point begins a cubic from the point before it, itself and the
    // two after it.
    if (point.kind == kRt2dPathCurve && i > 0 && i + 2 < count && RwListGetNumEntries(target->list) > 0) {
      if (BezierFlatten(target, At(points[i - 1]), At(point), At(points[i + 1]), At(points[i + 2]), depth, tolerance) ==
          nullptr) {
        return nullptr;
      }
      i += 3;
      continue;
    }
    Rt2dPathPoint* copy = static_cast<Rt2dPathPoint*>(RwListGetNewEntry(target->list));
    if (copy == nullptr) {
      return nullptr;
    }
    *copy = point;
    i++;
  }
  if (source->closed && RwListGetNumEntries(target->list) > 0 && Rt2dPathClose(destination) == nullptr) {
    return nullptr;
  }
  return destination;
}

Rt2dPath* _rt2dPathFlattenToScratch(const Rt2dPath* subpath) {
  if (gPaths.scratch == nullptr) {
    return nullptr;
  }
  Empty(gPaths.scratch);
  return Rt2dPathFlattenInto(gPaths.scratch, subpath);
}

Rt2dPath* Rt2dPathFlatten(Rt2dPath* path) {
  for (Rt2dPath* subpath = path; subpath != nullptr; subpath = subpath->next) {
    if (subpath->flat || subpath->list == nullptr) {
      continue;
    }
    // Only this subpath's points are replaced: the ones chained after it stay.
    const Rt2dPath* flattened = _rt2dPathFlattenToScratch(subpath);
    if (flattened == nullptr || CopyPoints(subpath, flattened) == nullptr) {
      return nullptr;
    }
  }
  return path;
}

Rt2dPath* Rt2dPathCopy(Rt2dPath* destination, const Rt2dPath* source) {
  if (destination == nullptr || source == nullptr || destination->list == nullptr) {
    return Refuse();
  }
  Empty(destination);
  return CopyPoints(destination, source);
}

Rt2dPath* Rt2dPathPrune(Rt2dPath* path) {
  Rt2dPath* head = nullptr;
  Rt2dPath* last = nullptr;
  Rt2dPath* subpath = path;
  while (subpath != nullptr) {
    Rt2dPath* next = subpath->next;
    RwInt32 count = 0;
    _rt2dPathGetPoints(subpath, &count);
    if (count == 1) {
      DestroySubpath(subpath);
    } else {
      if (last != nullptr) {
        last->next = subpath;
      } else {
        head = subpath;
      }
      last = subpath;
      subpath->next = nullptr;
      subpath->current = subpath;
    }
    subpath = next;
  }
  if (head != nullptr) {
    head->current = last;
  }
  return head;
}
