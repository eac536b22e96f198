// Emboss bump-map vertices: the light in object space, and for every vertex
// the texture coordinates shifted along its triangle's tangent (T) and
// binormal (B) by how much the light lies along them.
#include "engine/plugin/matfx/matfx_bump_vertices.h"

#include <cstring>

#include "engine/plugin/matfx/rpmatfx.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/world/light.h"
#include "platform/d3d8/d3d8.h"

namespace {

constexpr RwUInt32 kPositionBytes = 12;
constexpr RwUInt32 kNormalBytes = 12;
constexpr RwUInt32 kWordBytes = 4;
constexpr RwUInt32 kWhite = 0xFFFFFFFFu;
constexpr RwUInt32 kTrianglesListed = D3DPT_TRIANGLELIST;
constexpr RwUInt32 kTrianglesStripped = D3DPT_TRIANGLESTRIP;

// Where the fields of a source vertex lie: position first, then, as the
// vertex format says, normal, point size, diffuse, specular and coordinates.
struct SourceLayout {
  RwInt32 normal;  // byte offsets, -1 when absent
  RwInt32 diffuse;
  RwInt32 texCoords;
};

SourceLayout LayoutOf(RwUInt32 fvf) {
  SourceLayout layout = {-1, -1, -1};
  RwUInt32 offset = kPositionBytes;
  if (fvf & D3DFVF_NORMAL) {
    layout.normal = static_cast<RwInt32>(offset);
    offset += kNormalBytes;
  }
  if (fvf & D3DFVF_PSIZE) {
    offset += kWordBytes;
  }
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuse = static_cast<RwInt32>(offset);
    offset += kWordBytes;
  }
  if (fvf & D3DFVF_SPECULAR) {
    offset += kWordBytes;
  }
  if ((fvf & D3DFVF_TEXCOUNT_MASK) != 0) {
    layout.texCoords = static_cast<RwInt32>(offset);
  }
  return layout;
}

RwV3d ReadV3d(const RwUInt8* bytes) {
  RwV3d v;
  std::memcpy(&v, bytes, sizeof(v));
  return v;
}

// A unit vector along v; zero stays zero (degenerate triangles shift nothing).
RwV3d Normalised(const RwV3d& v) {
  const RwReal inverse = RwInvSqrt(RwV3dDotProduct(&v, &v));
  return {v.x * inverse, v.y * inverse, v.z * inverse};
}

RwV3d Minus(const RwV3d& a, const RwV3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

class BumpFiller {
 public:
  BumpFiller(const RpMatFXBumpSource* source, const RpMatFXBumpLight* light, RwReal shift, RpMatFXBumpVertex* out)
      : source_(source), light_(light), shift_(shift), out_(out), layout_(LayoutOf(source->fvf)) {}

  // Every vertex as it stands, unshifted.
  void CopyAll() {
    for (RwUInt32 i = 0; i < source_->numVertices; i++) {
      const RwUInt8* vertex = Vertex(i);
      RpMatFXBumpVertex& o = out_[i];
      o.position = ReadV3d(vertex);
      o.normal = layout_.normal >= 0 ? ReadV3d(vertex + layout_.normal) : RwV3d{0.0f, 0.0f, 0.0f};
      o.color = kWhite;
      if (layout_.diffuse >= 0) {
        std::memcpy(&o.color, vertex + layout_.diffuse, sizeof(o.color));
      }
      o.u0 = o.v0 = 0.0f;
      if (layout_.texCoords >= 0) {
        std::memcpy(&o.u0, vertex + layout_.texCoords, sizeof(o.u0));
        std::memcpy(&o.v0, vertex + layout_.texCoords + kWordBytes, sizeof(o.v0));
      }
      o.u1 = o.u0;
      o.v1 = o.v0;
    }
  }

  // Walks the positions of the list or strip; each vertex is shifted once,
  // with the triangle it first appears in (done marks the vertices shifted;
  // null when every position is a vertex of its own).
  void ShiftAll(RwUInt8* done) {
    const RwUInt32 count = source_->indices != nullptr ? source_->numIndices : source_->numVertices;
    if (count < 3) {
      return;
    }
    for (RwUInt32 j = 0; j < count; j++) {
      const RwUInt32 vertex = At(j);
      if (vertex >= source_->numVertices || (done != nullptr && done[vertex])) {
        continue;
      }
      RwUInt32 first = 0;
      RwUInt32 second = 0;
      if (source_->primType == kTrianglesListed) {
        const RwUInt32 corner = j % 3;
        const RwUInt32 start = j - corner;
        if (start + 2 >= count) {
          break;  // an incomplete last triangle
        }
        first = At(start + (corner + 1) % 3);
        second = At(start + (corner + 2) % 3);
      } else if (source_->primType == kTrianglesStripped) {
        first = j < 2 ? At(j + 1) : At(j - 2);
        second = j < 2 ? At(j + 2) : At(j - 1);
        if (j % 2 == 1) {
          const RwUInt32 swap = first;
          first = second;
          second = swap;
        }
      } else {
        return;
      }
      if (first >= source_->numVertices || second >= source_->numVertices) {
        continue;
      }
      Shift(vertex, first, second);
      if (done != nullptr) {
        done[vertex] = 1;
      }
    }
  }

 private:
  const RwUInt8* Vertex(RwUInt32 i) const { return source_->vertices + static_cast<size_t>(i) * source_->stride; }
  RwUInt32 At(RwUInt32 j) const { return source_->indices != nullptr ? source_->indices[j] : j; }

  void Shift(RwUInt32 i0, RwUInt32 i1, RwUInt32 i2) {
    RpMatFXBumpVertex& o = out_[i0];
    const RwV3d& p0 = o.position;
    const RwV3d e1 = Minus(out_[i1].position, p0);
    const RwV3d e2 = Minus(out_[i2].position, p0);
    const RwReal d1 = out_[i1].v0 - o.v0;
    const RwReal d2 = out_[i2].v0 - o.v0;
    // A directional light lies at infinity: the same direction for every
    // vertex. Other lights are seen from the vertex.
    const RwV3d l = Normalised(light_->isDirection ? light_->value : Minus(light_->value, p0));
    const RwV3d t = Normalised({d2 * e1.x - d1 * e2.x, d2 * e1.y - d1 * e2.y, d2 * e1.z - d1 * e2.z});
    RwV3d b;
    RwV3dCrossProduct(&b, &t, &o.normal);
    o.u1 = o.u0 - RwV3dDotProduct(&t, &l) * shift_;
    o.v1 = o.v0 - RwV3dDotProduct(&b, &l) * shift_;
  }

  const RpMatFXBumpSource* source_;
  const RpMatFXBumpLight* light_;
  RwReal shift_;
  RpMatFXBumpVertex* out_;
  SourceLayout layout_;
};

struct LightSearch {
  RpLight* light;
};

RwObject* FindLight(RwObject* object, void* data) {
  if (object->type != kRpLightObjectType) {
    return object;
  }
  static_cast<LightSearch*>(data)->light = reinterpret_cast<RpLight*>(object);
  return nullptr;
}

bool ShinesAlongItsFrame(RwInt32 type) {
  return type == rpLIGHTDIRECTIONAL || type == rpLIGHTSPOT || type == rpLIGHTSPOTSOFT;
}

}  // namespace

RpMatFXBumpLight _rpMatFXBumpLightInObjectSpace(RwFrame* frame, const RwMatrix* inverseWorld) {
  LightSearch search = {nullptr};
  RwFrameForAllObjects(frame, FindLight, &search);
  const RwMatrix* ltm = RwFrameGetLTM(frame);
  RpMatFXBumpLight light;
  light.isDirection = search.light != nullptr && ShinesAlongItsFrame(RpLightGetType(search.light)) ? TRUE : FALSE;
  if (light.isDirection) {
    const RwV3d towards = {-ltm->at.x, -ltm->at.y, -ltm->at.z};
    RwV3dTransformVectors(&light.value, &towards, 1, inverseWorld);
  } else {
    RwV3dTransformPoints(&light.value, &ltm->pos, 1, inverseWorld);
  }
  return light;
}

RwBool _rpMatFXBumpFillVertices(const RpMatFXBumpSource* source, const RpMatFXBumpLight* light, RwReal shift,
                                RpMatFXBumpVertex* out) {
  BumpFiller filler(source, light, shift, out);
  filler.CopyAll();
  if (source->indices == nullptr) {
    // Each position is its own vertex's first appearance.
    filler.ShiftAll(nullptr);
    return TRUE;
  }
  auto* done = static_cast<RwUInt8*>(RwCalloc(source->numVertices > 0 ? source->numVertices : 1, 1));
  if (done == nullptr) {
    RwErrorRaise(kRpMatFXPluginId, kRwErrOutOfMemory);
    return FALSE;
  }
  filler.ShiftAll(done);
  RwFree(done);
  return TRUE;
}
