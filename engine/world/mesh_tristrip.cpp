// Triangle-strip mesh headers: for each material the triangles are linked by
// shared edges, sorted into buckets by their number of free neighbours and
// walked into strips from the least connected one; the strips are then joined
// into one with degenerate triangles placed so that every triangle keeps its
// winding (triangle i of a strip is flipped when i is odd).
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/world/mesh.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwInt32 kNone = -1;
constexpr RwInt32 kBucketCount = 4;  // neighbour counts 0 to 3
// Vertices a joined strip may add per strip it takes in.
constexpr RwUInt32 kJoinVerticesPerStrip = 6;

struct StripTriangle {
  RwUInt16 v[3];
  RwInt32 edge[3];  // edge record of edge k, from vertex k to vertex k + 1
  RwInt32 prev;     // bucket links
  RwInt32 next;
  RwInt32 bucket;  // its number of unused neighbours
  RwBool used;
};

// An edge as the triangle that met it first traverses it (a to b); a second
// triangle that traverses it from b to a shares it.
struct StripEdge {
  RwUInt16 a;
  RwUInt16 b;
  RwInt32 first;
  RwInt32 second;
  RwInt32 nextUnpaired;  // next record with the same (a, b) and no second triangle
};

// Hash slot: the records of one directed edge still waiting for a partner,
// oldest first.
struct EdgeSlot {
  RwUInt32 key;
  RwInt32 head;
  RwInt32 tail;
  RwBool occupied;
};

struct StripSpan {
  RwUInt32 start;  // in the strip pool
  RwUInt32 length;
};

// Work memory of one build, sized for the builder's whole triangle count.
struct StripWork {
  StripTriangle* triangles;
  StripEdge* edges;
  EdgeSlot* slots;
  RwUInt32 slotMask;
  RwUInt16* forward;  // the strip's forward part
  RwUInt16* backward;
  RwUInt16* pool;  // finished strips of the group, back to back
  StripSpan* strips;
  RwInt32* nextByVertex;  // strips starting at one vertex, in list order
  RwInt32* headByVertex;  // per vertex index
  RwBool* taken;
  RwUInt16* joined;  // the joined strip of every group, back to back
  RwUInt32 joinedLength;
  RwInt32 bucketHead[kBucketCount];
  RwInt32 numEdges;
  RwUInt32 numStrips;
  RwUInt32 poolLength;
};

void* Allocate(size_t bytes, RwBool* ok) {
  void* block = RwMalloc(bytes != 0 ? bytes : 1);
  if (block == nullptr) {
    *ok = FALSE;
  }
  return block;
}

void FreeWork(StripWork* work) {
  void* blocks[] = {work->triangles, work->edges,        work->slots,        work->forward, work->backward, work->pool,
                    work->strips,    work->nextByVertex, work->headByVertex, work->taken,   work->joined};
  for (void* block : blocks) {
    if (block != nullptr) {
      RwFree(block);
    }
  }
}

// n triangles whose vertex indices lie below numVertices.
RwBool AllocateWork(StripWork* work, RwUInt32 n, RwUInt32 numVertices) {
  std::memset(work, 0, sizeof(*work));
  RwUInt32 slots = 16;
  while (slots < 6 * static_cast<RwUInt64>(n)) {
    slots <<= 1;
  }
  const size_t count = n;
  RwBool ok = TRUE;
  work->triangles = static_cast<StripTriangle*>(Allocate(sizeof(StripTriangle) * count, &ok));
  work->edges = static_cast<StripEdge*>(Allocate(sizeof(StripEdge) * 3 * count, &ok));
  work->slots = static_cast<EdgeSlot*>(Allocate(sizeof(EdgeSlot) * slots, &ok));
  work->slotMask = slots - 1;
  // A part starts with 2 or 3 vertices and gains at most 2 per triangle.
  work->forward = static_cast<RwUInt16*>(Allocate(sizeof(RwUInt16) * (2 * count + 4), &ok));
  work->backward = static_cast<RwUInt16*>(Allocate(sizeof(RwUInt16) * (2 * count + 4), &ok));
  // A finished strip of t triangles holds at most 2t + 2 vertices.
  work->pool = static_cast<RwUInt16*>(Allocate(sizeof(RwUInt16) * 4 * count, &ok));
  work->strips = static_cast<StripSpan*>(Allocate(sizeof(StripSpan) * count, &ok));
  work->nextByVertex = static_cast<RwInt32*>(Allocate(sizeof(RwInt32) * count, &ok));
  work->headByVertex = static_cast<RwInt32*>(Allocate(sizeof(RwInt32) * numVertices, &ok));
  work->taken = static_cast<RwBool*>(Allocate(sizeof(RwBool) * count, &ok));
  work->joined =
      static_cast<RwUInt16*>(Allocate(sizeof(RwUInt16) * (4 + kJoinVerticesPerStrip) * count + sizeof(RwUInt16), &ok));
  if (!ok) {
    FreeWork(work);
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return FALSE;
  }
  for (RwUInt32 v = 0; v < numVertices; ++v) {
    work->headByVertex[v] = kNone;
  }
  return TRUE;
}

RwUInt32 EdgeKey(RwUInt16 a, RwUInt16 b) { return (static_cast<RwUInt32>(a) << 16) | b; }

EdgeSlot* FindSlot(StripWork* work, RwUInt32 key) {
  RwUInt32 i = (key * 0x9E3779B1u >> 7) & work->slotMask;
  while (work->slots[i].occupied && work->slots[i].key != key) {
    i = (i + 1) & work->slotMask;
  }
  return &work->slots[i];
}

// Gives triangle t's edge k its record: the oldest record that another
// triangle made for the same edge in the opposite direction and that has no
// second triangle yet, else a new one.
void LinkEdge(StripWork* work, RwInt32 t, RwInt32 k) {
  StripTriangle& tri = work->triangles[t];
  const RwUInt16 a = tri.v[k];
  const RwUInt16 b = tri.v[(k + 1) % 3];
  EdgeSlot* waiting = FindSlot(work, EdgeKey(b, a));
  if (waiting->occupied && waiting->head != kNone) {
    const RwInt32 e = waiting->head;
    StripEdge& edge = work->edges[e];
    waiting->head = edge.nextUnpaired;
    if (waiting->head == kNone) {
      waiting->tail = kNone;
    }
    edge.second = t;
    tri.edge[k] = e;
    work->triangles[edge.first].bucket++;
    tri.bucket++;
    return;
  }
  const RwInt32 e = work->numEdges++;
  work->edges[e] = {a, b, t, kNone, kNone};
  tri.edge[k] = e;
  EdgeSlot* own = FindSlot(work, EdgeKey(a, b));
  if (!own->occupied) {
    *own = {EdgeKey(a, b), kNone, kNone, TRUE};
  }
  if (own->tail != kNone) {
    work->edges[own->tail].nextUnpaired = e;
  } else {
    own->head = e;
  }
  own->tail = e;
}

void BucketRemove(StripWork* work, RwInt32 t) {
  StripTriangle& tri = work->triangles[t];
  if (tri.prev != kNone) {
    work->triangles[tri.prev].next = tri.next;
  } else {
    work->bucketHead[tri.bucket] = tri.next;
  }
  if (tri.next != kNone) {
    work->triangles[tri.next].prev = tri.prev;
  }
}

void BucketPushFront(StripWork* work, RwInt32 t) {
  StripTriangle& tri = work->triangles[t];
  tri.prev = kNone;
  tri.next = work->bucketHead[tri.bucket];
  if (tri.next != kNone) {
    work->triangles[tri.next].prev = t;
  }
  work->bucketHead[tri.bucket] = t;
}

// The triangle on the other side of t's edge k, or kNone.
RwInt32 Neighbour(const StripWork* work, RwInt32 t, RwInt32 k) {
  const StripEdge& edge = work->edges[work->triangles[t].edge[k]];
  return edge.first == t ? edge.second : edge.first;
}

RwBool HasFreeNeighbour(const StripWork* work, RwInt32 t, RwInt32 k) {
  const RwInt32 other = Neighbour(work, t, k);
  return other != kNone && !work->triangles[other].used;
}

void MarkUsed(StripWork* work, RwInt32 t) {
  BucketRemove(work, t);
  work->triangles[t].used = TRUE;
  for (RwInt32 k = 0; k < 3; ++k) {
    const RwInt32 other = Neighbour(work, t, k);
    if (other == kNone || work->triangles[other].used) {
      continue;
    }
    BucketRemove(work, other);
    work->triangles[other].bucket--;
    BucketPushFront(work, other);
  }
}

// The start direction d: the strip begins with vertices d, d + 1, d + 2 and
// runs forward across edge d + 1 and backward across edge d.
RwInt32 StartDirection(const StripWork* work, RwInt32 t) {
  const RwBool free0 = HasFreeNeighbour(work, t, 0);
  const RwBool free1 = HasFreeNeighbour(work, t, 1);
  const RwBool free2 = HasFreeNeighbour(work, t, 2);
  if (free2 && free1) {
    return 1;
  }
  if (free0 && free2) {
    return 2;
  }
  if (free1 && free0) {
    return 0;
  }
  if (free0) {
    return 2;
  }
  if (free1) {
    return 0;
  }
  return 1;
}

// Walks from triangle t across its edge k, appending to the part of *length
// vertices whose last two are that edge's.
void Extend(StripWork* work, RwUInt16* part, RwUInt32* length, RwInt32 t, RwInt32 k) {
  for (;;) {
    const RwInt32 e = work->triangles[t].edge[k];
    const StripEdge& edge = work->edges[e];
    RwInt32 next = kNone;
    if (edge.first != kNone && !work->triangles[edge.first].used) {
      next = edge.first;
    } else if (edge.second != kNone && !work->triangles[edge.second].used) {
      next = edge.second;
    }
    if (next == kNone) {
      return;
    }
    MarkUsed(work, next);
    const StripTriangle& tri = work->triangles[next];
    RwInt32 crossed = 0;
    while (crossed < 2 && tri.edge[crossed] != e) {
      crossed++;
    }
    const RwUInt16 third = tri.v[(crossed + 2) % 3];
    // The straight edge joins the part's last vertex to the third one.
    const RwBool lastLeads = tri.v[crossed] == part[*length - 1];
    const RwInt32 straight = lastLeads ? (crossed + 2) % 3 : (crossed + 1) % 3;
    const RwInt32 other = lastLeads ? (crossed + 1) % 3 : (crossed + 2) % 3;
    if (HasFreeNeighbour(work, next, straight)) {
      part[(*length)++] = third;
      t = next;
      k = straight;
    } else if (HasFreeNeighbour(work, next, other) && (*length % 2) == 0) {
      // A swap: repeating the vertex two places back turns the strip.
      part[*length] = part[*length - 2];
      part[*length + 1] = third;
      *length += 2;
      t = next;
      k = other;
    } else {
      part[(*length)++] = third;
      return;
    }
  }
}

// Builds the strip that starts at triangle t into the pool.
void BuildStrip(StripWork* work, RwInt32 t) {
  const StripTriangle& start = work->triangles[t];
  const RwInt32 d = StartDirection(work, t);
  MarkUsed(work, t);
  RwUInt16* forward = work->forward;
  RwUInt16* backward = work->backward;
  RwUInt32 forwardLength = 3;
  forward[0] = start.v[d];
  forward[1] = start.v[(d + 1) % 3];
  forward[2] = start.v[(d + 2) % 3];
  Extend(work, forward, &forwardLength, t, (d + 1) % 3);
  RwUInt32 backwardLength = 2;
  backward[0] = start.v[(d + 1) % 3];
  backward[1] = start.v[d];
  Extend(work, backward, &backwardLength, t, d);
  // Reversed, an odd backward part would flip the start triangle.
  if ((backwardLength % 2) != 0) {
    backward[backwardLength] = backward[backwardLength - 2];
    backwardLength++;
  }
  StripSpan& span = work->strips[work->numStrips++];
  span.start = work->poolLength;
  RwUInt16* out = work->pool + work->poolLength;
  for (RwUInt32 i = backwardLength; i > 2; --i) {
    *out++ = backward[i - 1];
  }
  std::memcpy(out, forward, sizeof(RwUInt16) * forwardLength);
  span.length = backwardLength - 2 + forwardLength;
  work->poolLength += span.length;
}

// A triangle without free neighbours is a strip of its own, in its order.
void AloneStrip(StripWork* work, RwInt32 t) {
  MarkUsed(work, t);
  StripSpan& span = work->strips[work->numStrips++];
  span.start = work->poolLength;
  span.length = 3;
  std::memcpy(work->pool + span.start, work->triangles[t].v, sizeof(work->triangles[t].v));
  work->poolLength += span.length;
}

// Builds every strip of the group's n triangles.
void BuildStrips(StripWork* work, const RpMeshBuilderEntry* const* group, RwUInt32 n) {
  work->numEdges = 0;
  work->numStrips = 0;
  work->poolLength = 0;
  std::memset(work->slots, 0, sizeof(EdgeSlot) * (work->slotMask + 1));
  for (RwInt32 b = 0; b < kBucketCount; ++b) {
    work->bucketHead[b] = kNone;
  }
  for (RwUInt32 i = 0; i < n; ++i) {
    StripTriangle& tri = work->triangles[i];
    std::memcpy(tri.v, group[i]->vertexIndex, sizeof(tri.v));
    tri.bucket = 0;
    tri.used = FALSE;
  }
  for (RwUInt32 i = 0; i < n; ++i) {
    for (RwInt32 k = 0; k < 3; ++k) {
      LinkEdge(work, static_cast<RwInt32>(i), k);
    }
  }
  for (RwUInt32 i = 0; i < n; ++i) {
    BucketPushFront(work, static_cast<RwInt32>(i));
  }
  for (;;) {
    RwInt32 b = 0;
    while (b < kBucketCount && work->bucketHead[b] == kNone) {
      b++;
    }
    if (b == kBucketCount) {
      return;
    }
    const RwInt32 t = work->bucketHead[b];
    if (b == 0) {
      AloneStrip(work, t);
    } else {
      BuildStrip(work, t);
    }
  }
}

void Append(StripWork* work, RwUInt16 vertex) { work->joined[work->joinedLength++] = vertex; }

// Joins the group's strips onto the joined buffer; the strip list holds the
// strips newest first. Returns the joined strip's length.
RwUInt32 JoinStrips(StripWork* work) {
  const RwUInt32 count = work->numStrips;
  // List position i is strip count - 1 - i; chains by first vertex in list order.
  for (RwUInt32 i = 0; i < count; ++i) {
    const RwUInt32 s = i;  // oldest first, so each push leaves the chain in list order
    const RwUInt16 first = work->pool[work->strips[s].start];
    work->nextByVertex[s] = work->headByVertex[first];
    work->headByVertex[first] = static_cast<RwInt32>(s);
    work->taken[s] = FALSE;
  }
  const RwUInt32 begin = work->joinedLength;
  RwInt32 cursor = static_cast<RwInt32>(count) - 1;  // earliest strip in list order not yet taken
  auto take = [work, &cursor](RwInt32 s) {
    const StripSpan& span = work->strips[s];
    work->headByVertex[work->pool[span.start]] = work->nextByVertex[s];
    work->taken[s] = TRUE;
    while (cursor >= 0 && work->taken[cursor]) {
      cursor--;
    }
  };
  auto copy = [work](RwInt32 s) {
    const StripSpan& span = work->strips[s];
    std::memcpy(work->joined + work->joinedLength, work->pool + span.start, sizeof(RwUInt16) * span.length);
    work->joinedLength += span.length;
  };
  const RwInt32 firstStrip = cursor;
  take(firstStrip);
  copy(firstStrip);
  while (cursor >= 0) {
    const RwUInt32 length = work->joinedLength - begin;
    const RwBool odd = (length % 2) != 0;
    const RwUInt16 last = work->joined[work->joinedLength - 1];
    const RwUInt16 beforeLast = work->joined[work->joinedLength - 2];
    RwInt32 s = work->headByVertex[last];
    if (s != kNone) {
      if (odd) {
        Append(work, last);
      }
    } else if ((s = work->headByVertex[beforeLast]) != kNone) {
      Append(work, beforeLast);
      if (!odd) {
        Append(work, beforeLast);
      }
    } else {
      s = cursor;
      const RwUInt16 first = work->pool[work->strips[s].start];
      Append(work, last);
      Append(work, first);
      if (odd) {
        Append(work, first);
      }
    }
    take(s);
    copy(s);
  }
  return work->joinedLength - begin;
}

}  // namespace

RpMeshHeader* RpMeshDefaultTriStripCallBack(RpMeshBuilder* builder, void*) {
  RwUInt32 numGroups = 0;
  const RpMeshBuilderEntry** sorted = _rpMeshBuilderSortEntries(builder, &numGroups);
  if (sorted == nullptr) {
    return nullptr;
  }
  RwUInt32 largest = 0;
  for (RwUInt32 i = 0; i < builder->numTriangles; ++i) {
    for (const RwUInt16 index : builder->entries[i].vertexIndex) {
      largest = index > largest ? index : largest;
    }
  }
  StripWork work;
  if (!AllocateWork(&work, builder->numTriangles, largest + 1)) {
    RwFree(sorted);
    return nullptr;
  }
  // Per group: its first sorted entry and its joined strip's length.
  auto* groupStart = static_cast<RwUInt32*>(RwMalloc(sizeof(RwUInt32) * 2 * numGroups));
  if (groupStart == nullptr) {
    FreeWork(&work);
    RwFree(sorted);
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  RwUInt32* groupLength = groupStart + numGroups;
  RwUInt32 g = 0;
  for (RwUInt32 i = 0; i < builder->numTriangles; ++i) {
    if (i == 0 || sorted[i]->material != sorted[i - 1]->material) {
      groupStart[g++] = i;
    }
  }
  for (g = 0; g < numGroups; ++g) {
    const RwUInt32 end = g + 1 < numGroups ? groupStart[g + 1] : builder->numTriangles;
    BuildStrips(&work, sorted + groupStart[g], end - groupStart[g]);
    groupLength[g] = JoinStrips(&work);
  }
  RpMeshHeader* header = _rpMeshHeaderCreate(numGroups, work.joinedLength, TRUE, kRpMeshHeaderTriStrip);
  if (header != nullptr) {
    RpMesh* meshes = RpMeshHeaderGetFirstMesh(header);
    auto* indices = reinterpret_cast<RwUInt16*>(meshes + numGroups);
    std::memcpy(indices, work.joined, sizeof(RwUInt16) * work.joinedLength);
    for (g = 0; g < numGroups; ++g) {
      meshes[g].indices = indices;
      meshes[g].numIndices = groupLength[g];
      meshes[g].material = sorted[groupStart[g]]->material;
      indices += groupLength[g];
    }
  }
  RwFree(groupStart);
  FreeWork(&work);
  RwFree(sorted);
  return header;
}
