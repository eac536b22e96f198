// The SSE blending routines: the palette holds each bone matrix as its four
// vectors, so a vertex is moved by three broadcasts, multiplies and adds.
// Several weighted bones are summed into one matrix first, which then moves
// the position and the normal once each.
#include "engine/plugin/skin2/skin_internal.h"

#if TK_SKIN_SSE

#include <xmmintrin.h>

namespace {

constexpr RwUInt32 kNormalOffset = 12;

struct SseMatrix {
  __m128 right;
  __m128 up;
  __m128 at;
  __m128 pos;
};

inline SseMatrix LoadMatrix(const RpSkinBlendMatrix& m) {
  return {_mm_loadu_ps(m.row[0]), _mm_loadu_ps(m.row[1]), _mm_loadu_ps(m.row[2]), _mm_loadu_ps(m.row[3])};
}

// m scaled by w, added to sum.
inline void AddScaled(SseMatrix* sum, const RpSkinBlendMatrix& m, __m128 w) {
  sum->right = _mm_add_ps(sum->right, _mm_mul_ps(_mm_loadu_ps(m.row[0]), w));
  sum->up = _mm_add_ps(sum->up, _mm_mul_ps(_mm_loadu_ps(m.row[1]), w));
  sum->at = _mm_add_ps(sum->at, _mm_mul_ps(_mm_loadu_ps(m.row[2]), w));
  sum->pos = _mm_add_ps(sum->pos, _mm_mul_ps(_mm_loadu_ps(m.row[3]), w));
}

inline __m128 Direction(const SseMatrix& m, const RwV3d& v) {
  const __m128 xy = _mm_add_ps(_mm_mul_ps(m.right, _mm_set1_ps(v.x)), _mm_mul_ps(m.up, _mm_set1_ps(v.y)));
  return _mm_add_ps(xy, _mm_mul_ps(m.at, _mm_set1_ps(v.z)));
}

inline __m128 Point(const SseMatrix& m, const RwV3d& v) { return _mm_add_ps(Direction(m, v), m.pos); }

// The first three words of r; the fourth would overwrite what follows.
inline void Store3(RwUInt8* out, __m128 r) {
  _mm_storel_pi(reinterpret_cast<__m64*>(out), r);
  _mm_store_ss(reinterpret_cast<float*>(out + 8), _mm_movehl_ps(r, r));
}

inline RwUInt8 Bone(RwUInt32 indices, int slot) { return static_cast<RwUInt8>(indices >> (8 * slot)); }

struct Blender {
  const RwV3d* positions;
  const RwV3d* normals;  // null: positions only
  const RpSkinBlendRun* run;

  void Move(RwUInt32 i, RwUInt32 v, const SseMatrix& m) const {
    RwUInt8* vertex = static_cast<RwUInt8*>(run->destination) + static_cast<size_t>(i) * run->stride;
    Store3(vertex, Point(m, positions[v]));
    if (normals != nullptr) {
      Store3(vertex + kNormalOffset, Direction(m, normals[v]));
    }
  }

  // The weighted sum of the first two bones, and of the third and fourth
  // when terms is 4 and their weights are positive.
  void Blend(RwUInt32 i, RwUInt32 v, const RpSkinBlendMatrix* palette, RwUInt32 indices,
             const RpSkinVertexWeights& weights, int terms) const {
    SseMatrix sum = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
    for (int k = 0; k < terms; k++) {
      const RwReal w = weights.w[k];
      if (k >= 2 && !(w > 0.0f)) {
        continue;
      }
      AddScaled(&sum, palette[Bone(indices, k)], _mm_set1_ps(w));
    }
    Move(i, v, sum);
  }
};

}  // namespace

void _rpSkinBlendVerticesSSE(const RpSkin* skin, const RpSkinBlendMatrix* palette, const RwV3d* positions,
                             const RwV3d* normals, const RpSkinBlendRun* run) {
  const Blender blender = {positions, normals, run};
  const RwUInt32 numVertices = static_cast<RwUInt32>(skin->numVertices);
  const RwUInt32* indices = skin->vertexBoneIndices;
  const RpSkinVertexWeights* weights = skin->vertexWeights;
  if (skin->maxWeights <= 1 && skin->numUsedBones == 1) {
    const SseMatrix only = LoadMatrix(palette[skin->usedBones[0]]);
    for (RwUInt32 i = 0; i < run->count; i++) {
      const RwUInt32 v = run->map != nullptr ? run->map[i] : run->first + i;
      if (v < numVertices) {
        blender.Move(i, v, only);
      }
    }
    return;
  }
  const int terms = skin->maxWeights == 2 ? 2 : 4;
  for (RwUInt32 i = 0; i < run->count; i++) {
    const RwUInt32 v = run->map != nullptr ? run->map[i] : run->first + i;
    if (v >= numVertices) {
      continue;  // not a vertex of the skin: left as it was
    }
    if (skin->maxWeights <= 1 || weights[v].w[0] >= 1.0f) {
      blender.Move(i, v, LoadMatrix(palette[Bone(indices[v], 0)]));
    } else {
      blender.Blend(i, v, palette, indices[v], weights[v], terms);
    }
  }
}

#endif
