// The matrix palette and the portable blending: each bone's matrix takes a
// vertex from the skin's bind pose to the pose of the hierarchy, in the
// atomic's own space; each vertex is moved by up to four of them, weighted.
// The palette is laid out for the blending path in use (portable or SSE).
#include <cstring>

#include "engine/plugin/skin2/rpskin.h"
#include "engine/plugin/skin2/skin_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/world/atomic.h"

namespace {

// What the palette was last built for. The palette holds the inverse of the
// atomic's frame and the skin's inverse bone matrices, so both belong to the
// key beside the hierarchy and the render frame.
struct PaletteKey {
  const RpHAnimHierarchy* hierarchy;
  const RpSkin* skin;
  const RwFrame* frame;
  RwUInt32 renderFrame;
  RpSkinBlendPath path;
  bool valid;
};
PaletteKey sBuilt = {};
RpSkinBlendPath sPath = RpSkinBlendPath::kPortable;

void Store(RpSkinBlendMatrix* out, const RwMatrix& m) {
  const RwV3d* axes[4] = {&m.right, &m.up, &m.at, &m.pos};
  for (int c = 0; c < 4; c++) {
    if (sPath == RpSkinBlendPath::kSSE) {
      out->row[c][0] = axes[c]->x;
      out->row[c][1] = axes[c]->y;
      out->row[c][2] = axes[c]->z;
      out->row[c][3] = 0.0f;
    } else {
      out->row[0][c] = axes[c]->x;
      out->row[1][c] = axes[c]->y;
      out->row[2][c] = axes[c]->z;
      out->row[3][c] = 0.0f;
    }
  }
}

void StoreIdentity(RpSkinBlendMatrix* out) {
  RwMatrix identity;
  RwMatrixSetIdentity(&identity);
  Store(out, identity);
}

// The bone matrix posed by the node: B x node x A. A stored bone matrix's
// flags come from a file, so they are not trusted to mark it the identity.
void Pose(RpSkinBlendMatrix* out, const RwMatrix& bone, const RwMatrix& node, const RwMatrix* atomicInverse) {
  RwMatrix b = bone;
  RwMatrixUpdate(&b);
  RwMatrix posed;
  RwMatrixMultiply(&posed, &b, &node);
  if (atomicInverse != nullptr) {
    RwMatrix whole;
    RwMatrixMultiply(&whole, &posed, atomicInverse);
    Store(out, whole);
  } else {
    Store(out, posed);
  }
}

void Build(RpSkinBlendMatrix* palette, RpAtomic* atomic, const RpSkin* skin, const RpHAnimHierarchy* hierarchy) {
  RwMatrix atomicInverse;
  RwFrame* frame = RpAtomicGetFrame(atomic);
  if (frame != nullptr) {
    RwMatrixInvert(&atomicInverse, RwFrameGetLTM(frame));
  } else {
    RwMatrixSetIdentity(&atomicInverse);
  }
  // Only bones that have both a node and an inverse matrix can be posed.
  RwUInt32 count = skin->numBones;
  if (static_cast<RwUInt32>(hierarchy->numNodes) < count) {
    count = hierarchy->numNodes > 0 ? static_cast<RwUInt32>(hierarchy->numNodes) : 0;
  }
  const bool frames = (hierarchy->flags & kRpHAnimNoMatrices) != 0 || hierarchy->pMatrixArray == nullptr;
  const bool localSpace = (hierarchy->flags & kRpHAnimLocalSpace) != 0;
  for (RwUInt32 i = 0; i < count; i++) {
    const RwMatrix& bone = skin->inverseBoneMatrices[i];
    if (!frames) {
      Pose(&palette[i], bone, hierarchy->pMatrixArray[i], localSpace ? nullptr : &atomicInverse);
    } else if (hierarchy->pNodeInfo[i].pFrame != nullptr) {
      Pose(&palette[i], bone, *RwFrameGetLTM(hierarchy->pNodeInfo[i].pFrame), &atomicInverse);
    } else {
      StoreIdentity(&palette[i]);  // a node not bound to a frame
    }
  }
  for (RwUInt32 i = count; i < skin->numBones; i++) {
    StoreIdentity(&palette[i]);
  }
}

// out = m v, or its 3x3 part alone for a direction.
inline void Point(const RpSkinBlendMatrix& m, const RwV3d& v, RwReal out[3]) {
  for (int r = 0; r < 3; r++) {
    out[r] = m.row[r][0] * v.x + m.row[r][1] * v.y + m.row[r][2] * v.z + m.row[r][3];
  }
}
inline void Direction(const RpSkinBlendMatrix& m, const RwV3d& v, RwReal out[3]) {
  for (int r = 0; r < 3; r++) {
    out[r] = m.row[r][0] * v.x + m.row[r][1] * v.y + m.row[r][2] * v.z;
  }
}

// out += w m v.
inline void AddPoint(const RpSkinBlendMatrix& m, RwReal w, const RwV3d& v, RwReal out[3]) {
  RwReal moved[3];
  Point(m, v, moved);
  for (int r = 0; r < 3; r++) {
    out[r] += w * moved[r];
  }
}
inline void AddDirection(const RpSkinBlendMatrix& m, RwReal w, const RwV3d& v, RwReal out[3]) {
  RwReal moved[3];
  Direction(m, v, moved);
  for (int r = 0; r < 3; r++) {
    out[r] += w * moved[r];
  }
}

inline RwUInt8 Bone(RwUInt32 indices, int slot) { return static_cast<RwUInt8>(indices >> (8 * slot)); }

// Where the vertices come from and go to.
struct BlendSource {
  const RwV3d* positions;
  const RwV3d* normals;  // null: positions only
  const RpSkinBlendRun* run;
};

constexpr RwUInt32 kNormalOffset = 12;

// Writes slot i of the run.
void Write(const BlendSource& source, RwUInt32 i, const RwReal position[3], const RwReal normal[3]) {
  RwUInt8* vertex = static_cast<RwUInt8*>(source.run->destination) + static_cast<size_t>(i) * source.run->stride;
  std::memcpy(vertex, position, 3 * sizeof(RwReal));
  if (source.normals != nullptr) {
    std::memcpy(vertex + kNormalOffset, normal, 3 * sizeof(RwReal));
  }
}

// Slot i of the run from vertex v by one matrix.
void OneMatrix(const BlendSource& source, RwUInt32 i, RwUInt32 v, const RpSkinBlendMatrix& m) {
  RwReal position[3];
  RwReal normal[3];
  Point(m, source.positions[v], position);
  if (source.normals != nullptr) {
    Direction(m, source.normals[v], normal);
  }
  Write(source, i, position, normal);
}

// The weighted sum of the first two terms, and of the third and fourth when
// terms is 4 and their weights are positive.
void Weighted(const BlendSource& source, RwUInt32 i, RwUInt32 v, const RpSkinBlendMatrix* palette, RwUInt32 indices,
              const RpSkinVertexWeights& weights, int terms) {
  RwReal position[3] = {0.0f, 0.0f, 0.0f};
  RwReal normal[3] = {0.0f, 0.0f, 0.0f};
  for (int k = 0; k < terms; k++) {
    const RwReal w = weights.w[k];
    if (k >= 2 && !(w > 0.0f)) {
      continue;
    }
    const RpSkinBlendMatrix& m = palette[Bone(indices, k)];
    AddPoint(m, w, source.positions[v], position);
    if (source.normals != nullptr) {
      AddDirection(m, w, source.normals[v], normal);
    }
  }
  Write(source, i, position, normal);
}

}  // namespace

void _rpSkinForgetPalette(void) { sBuilt = {}; }

RpSkinBlendPath _rpSkinGetBlendPath(void) { return sPath; }

void _rpSkinSetBlendPath(RpSkinBlendPath path) { sPath = TK_SKIN_SSE ? path : RpSkinBlendPath::kPortable; }

void _rpSkinStoreBlendMatrix(RpSkinBlendMatrix* slot, const RwMatrix* m) { Store(slot, *m); }

const RpSkinBlendMatrix* _rpSkinPrepareMatrices(RpAtomic* atomic, const RpSkin* skin,
                                                const RpHAnimHierarchy* hierarchy) {
  RpSkinBlendMatrix* palette = _rpSkinPalette();
  if (palette == nullptr || skin->inverseBoneMatrices == nullptr) {
    return nullptr;
  }
  const PaletteKey key = {hierarchy, skin, RpAtomicGetFrame(atomic), RwEngineInstance->renderFrame, sPath, true};
  if (!sBuilt.valid || sBuilt.hierarchy != key.hierarchy || sBuilt.skin != key.skin || sBuilt.frame != key.frame ||
      sBuilt.renderFrame != key.renderFrame || sBuilt.path != key.path) {
    Build(palette, atomic, skin, hierarchy);
    sBuilt = key;
  }
  return palette;
}

void _rpSkinBlendVertices(const RpSkin* skin, const RpSkinBlendMatrix* palette, const RwV3d* positions,
                          const RwV3d* normals, const RpSkinBlendRun* run) {
  if (skin->data == nullptr || positions == nullptr) {
    return;
  }
#if TK_SKIN_SSE
  if (sPath == RpSkinBlendPath::kSSE) {
    _rpSkinBlendVerticesSSE(skin, palette, positions, normals, run);
    return;
  }
#endif
  const BlendSource source = {positions, normals, run};
  const RwUInt32 numVertices = static_cast<RwUInt32>(skin->numVertices);
  const RwUInt32* indices = skin->vertexBoneIndices;
  const RpSkinVertexWeights* weights = skin->vertexWeights;
  const bool oneBone = skin->maxWeights <= 1 && skin->numUsedBones == 1;
  const int terms = skin->maxWeights == 2 ? 2 : 4;
  for (RwUInt32 i = 0; i < run->count; i++) {
    const RwUInt32 v = run->map != nullptr ? run->map[i] : run->first + i;
    if (v >= numVertices) {
      continue;  // not a vertex of the skin: left as it was
    }
    if (oneBone) {
      OneMatrix(source, i, v, palette[skin->usedBones[0]]);
    } else if (skin->maxWeights <= 1 || weights[v].w[0] >= 1.0f) {
      OneMatrix(source, i, v, palette[Bone(indices[v], 0)]);
    } else {
      Weighted(source, i, v, palette, indices[v], weights[v], terms);
    }
  }
}
