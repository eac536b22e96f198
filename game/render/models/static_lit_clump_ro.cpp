// cStaticLitClumpRO: base colours, the lightmap colour, colour tables and
// the per-atomic tint.
#include "game/render/models/static_lit_clump_ro.h"

#include <cstdint>
#include <cstring>

#include "game/render/models/model_files.h"
#include "game/render/models/model_user_data.h"

namespace {

constexpr u32 kColourTableGroup = 6;     // hexadecimal digits a colour
constexpr u32 kShortestColourTable = 5;  // characters; shorter texts are ignored
constexpr RwUInt32 kStaticLitFlags = rpGEOMETRYPRELIT | rpGEOMETRYMODULATEMATERIALCOLOR;
constexpr RwRGBA kOpaqueWhite = {255, 255, 255, 255};

u32 MaterialCount(const RpGeometry* geometry) {
  return static_cast<u32>(RpMaterialListGetNumMaterials(&geometry->matList));
}

RpMaterial* Material(const RpGeometry* geometry, u32 index) {
  return RpMaterialListGetMaterial(&geometry->matList, static_cast<RwInt32>(index));
}

RwUInt8 ClampByte(u32 value) { return static_cast<RwUInt8>(value > 255 ? 255 : value); }

// A colour component plus the extra light's, scaled to bytes.
RwUInt8 AddLight(u32 value, const cLight* light, f32 lightComponent) {
  if (light == nullptr) {
    return ClampByte(value);
  }
  const f32 sum = static_cast<f32>(value) + lightComponent * 255.0f;
  return ClampByte(sum < 0.0f ? 0u : static_cast<u32>(sum));
}

// The value of a hexadecimal digit: its low four bits, plus 9 for letters.
u32 HexDigit(char c) { return (static_cast<u32>(c) & 0xF) + (c >= 'A' ? 9u : 0u); }

// The geometry's "vtxnum.vtxnum" colour indices, one per vertex, or null.
const RwInt32* VertexNumbers(const RpGeometry* geometry, RwInt32* count) {
  const RpUserDataArray* array = FindModelUserData(geometry, kUserDataVertexNumbers);
  if (array == nullptr || RpUserDataArrayGetFormat(array) != rpINTUSERDATA) {
    *count = 0;
    return nullptr;
  }
  *count = RpUserDataArrayGetNumElements(array);
  return static_cast<const RwInt32*>(array->data);
}

struct tRetint {
  cStaticLitClumpRO* object;
  u32 firstBase;
};

}  // namespace

cStaticLitClumpRO::cStaticLitClumpRO(const char* fileName, cLightmap* lightmap, const char* textureFolder)
    : cClumpRO(fileName, textureFolder), mLightmap(lightmap) {
  PrepareAtomics();
}

cStaticLitClumpRO::cStaticLitClumpRO(const cStaticLitClumpRO& prototype)
    : cClumpRO(prototype), mLightmap(prototype.mLightmap) {
  PrepareAtomics();
  if (mClump == nullptr) {
    return;  // a prototype without a model, or a clone that failed
  }
  // The shared materials may carry a tint by now: the prototype's record of
  // their own colours is taken instead of what they hold. A cloned clump
  // lists its atomics in another order, so they are matched by geometry.
  struct tCopyBase {
    cStaticLitClumpRO* copy;
    const cStaticLitClumpRO* prototype;
    u32 next;
  } state = {this, &prototype, 0};
  RpClumpForAllAtomics(
      mClump,
      [](RpAtomic* atomic, void* data) {
        tCopyBase* s = static_cast<tCopyBase*>(data);
        const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        const u32 count = MaterialCount(geometry);
        const int64_t first = s->prototype->FindBaseColours(geometry);
        if (first >= 0 && static_cast<u32>(first) + count <= s->prototype->mBaseColourCount) {
          std::memcpy(&s->copy->mBaseColours[s->next], &s->prototype->mBaseColours[first], sizeof(RwRGBA) * count);
        }
        s->next += count;
        return atomic;
      },
      &state);
}

int64_t cStaticLitClumpRO::FindBaseColours(const RpGeometry* geometry) const {
  if (mClump == nullptr) {
    return -1;
  }
  struct tFind {
    const RpGeometry* geometry;
    int64_t found;
    u32 next;
  } find = {geometry, -1, 0};
  RpClumpForAllAtomics(
      mClump,
      [](RpAtomic* atomic, void* data) {
        tFind* f = static_cast<tFind*>(data);
        if (RpAtomicGetGeometry(atomic) == f->geometry) {
          f->found = f->next;
          return static_cast<RpAtomic*>(nullptr);
        }
        f->next += MaterialCount(RpAtomicGetGeometry(atomic));
        return atomic;
      },
      &find);
  return find.found;
}

cStaticLitClumpRO::~cStaticLitClumpRO() {
  delete[] mColourTable;
  delete[] mBaseColours;
}

void cStaticLitClumpRO::PrepareAtomics() {
  if (mClump == nullptr) {
    return;
  }
  struct tCount {
    u32 materials;
  } count = {0};
  RpClumpForAllAtomics(
      mClump,
      [](RpAtomic* atomic, void* data) {
        RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        RpGeometrySetFlags(geometry, RpGeometryGetFlags(geometry) | kStaticLitFlags);
        static_cast<tCount*>(data)->materials += MaterialCount(geometry);
        return atomic;
      },
      &count);
  mBaseColours = new RwRGBA[count.materials];
  mBaseColourCount = 0;
  RpClumpForAllAtomics(
      mClump,
      [](RpAtomic* atomic, void* data) {
        cStaticLitClumpRO* object = static_cast<cStaticLitClumpRO*>(data);
        const RpGeometry* geometry = RpAtomicGetGeometry(atomic);
        for (u32 i = 0; i < MaterialCount(geometry); i++) {
          object->mBaseColours[object->mBaseColourCount++] = *RpMaterialGetColor(Material(geometry, i));
        }
        return atomic;
      },
      this);
}

u8& cStaticLitClumpRO::MaterialsTinted() {
  // The copy constructor only takes static-lit prototypes.
  cStaticLitClumpRO* owner = this;
  while (owner->mPrototype != nullptr) {
    owner = static_cast<cStaticLitClumpRO*>(const_cast<cClumpRO*>(owner->mPrototype));
  }
  return owner->mMaterialsTinted;
}

void cStaticLitClumpRO::UpdateLightColour(cLight* extraLight) {
  mExtraLight = extraLight;
  RwFrame* frame = GetFrame();
  if (frame != nullptr && mLightmap != nullptr) {
    const RwV3d& position = RwFrameGetLTM(frame)->pos;
    u32 sum[3] = {0, 0, 0};
    for (u32 map = 0; map < kLightmapCount; map++) {
      u8 sample[3];
      mLightmap->Sample(sample, map, position.x, position.z);
      for (u32 c = 0; c < 3; c++) {
        sum[c] += sample[c];
      }
    }
    mLitColour = RwRGBA{static_cast<RwUInt8>(sum[0] >> 2), static_cast<RwUInt8>(sum[1] >> 2),
                        static_cast<RwUInt8>(sum[2] >> 2), 255};
  }
  JoinTintedList();
  mTinted = false;
}

void cStaticLitClumpRO::SetColourTable(const char* text) {
  const size_t length = std::strlen(text);
  if (length < kShortestColourTable) {
    return;
  }
  delete[] mColourTable;
  mTinted = false;
  mColourTableCount = static_cast<u32>(length / kColourTableGroup);
  mColourTable = new RwRGBA[mColourTableCount];
  for (u32 i = 0; i < mColourTableCount; i++) {
    const char* group = text + i * kColourTableGroup;
    RwUInt8 channels[3];
    for (u32 c = 0; c < 3; c++) {
      channels[c] = static_cast<RwUInt8>(HexDigit(group[c * 2]) * 16 + HexDigit(group[c * 2 + 1]));
    }
    mColourTable[i] = RwRGBA{channels[0], channels[1], channels[2], 255};
  }
  RpAtomic* first = GetFirstAtomic();
  if (first == nullptr) {
    return;
  }
  const RpGeometry* geometry = RpAtomicGetGeometry(first);
  for (u32 i = 0; i < MaterialCount(geometry); i++) {
    RpMaterialSetColor(Material(geometry, i), &kOpaqueWhite);
  }
}

void cStaticLitClumpRO::Refresh(u32 frameStamp) {
  // One tint covers every atomic of the clump: the first draw of a frame
  // makes it, the clump's other atomics draw in it.
  if (mTinted && frameStamp == mTintStamp) {
    return;
  }
  mTinted = true;
  mTintStamp = frameStamp;
  Retint();
}

void cStaticLitClumpRO::Retint() {
  if (mClump == nullptr) {
    return;
  }
  // The table index of each atomic's vertices starts after the vertices of
  // the atomics before it.
  mVertexOffset = 0;
  tRetint retint = {this, 0};
  RpClumpForAllAtomics(
      mClump,
      [](RpAtomic* atomic, void* data) {
        tRetint* state = static_cast<tRetint*>(data);
        const u32 materials = MaterialCount(RpAtomicGetGeometry(atomic));
        state->object->TintAtomic(atomic, state->firstBase);
        state->firstBase += materials;
        return atomic;
      },
      &retint);
}

void cStaticLitClumpRO::TintAtomic(RpAtomic* atomic, u32 firstBase) {
  RpGeometry* geometry = RpAtomicGetGeometry(atomic);
  if ((RpGeometryGetFlags(geometry) & rpGEOMETRYLIGHT) == 0) {
    return;
  }
  if (mColourTable == nullptr) {
    RpGeometryLock(geometry, rpGEOMETRYLOCKPRELIGHT);
    RpGeometrySetFlags(geometry, RpGeometryGetFlags(geometry) | rpGEOMETRYMODULATEMATERIALCOLOR);
    TintMaterials(geometry, firstBase);
    RpGeometryUnlock(geometry);
    MaterialsTinted() = 1;
    return;
  }
  const bool first = atomic == mFirstAtomic;
  const RwInt32 lod = CurrentLodLevel(atomic);
  if (first && mPrivateGeometry != nullptr) {
    // The copy already holds the table's colours.
    if (lod <= 0) {
      JoinTintedList();
      if (MaterialsTinted() != 0) {
        RpGeometryLock(mSharedGeometry, rpGEOMETRYLOCKPRELIGHT);
        UntintMaterials(mSharedGeometry, firstBase);
        RpGeometryUnlock(mSharedGeometry);
        MaterialsTinted() = 0;
      }
    }
    mVertexOffset += static_cast<u32>(mSharedGeometry->numVertices);
    return;
  }
  RpGeometry* copy = first && lod < 1 ? CloneGeometry(geometry) : nullptr;
  RpGeometry* target = copy != nullptr ? copy : geometry;
  if (copy == nullptr) {
    RpGeometryLock(geometry, rpGEOMETRYLOCKPRELIGHT);
  }
  WriteTableColours(target, geometry);
  mVertexOffset += static_cast<u32>(geometry->numVertices);
  if (copy == nullptr) {
    if (MaterialsTinted() != 0) {
      UntintMaterials(geometry, firstBase);
      MaterialsTinted() = 0;
    }
    RpGeometryUnlock(geometry);
    return;
  }
  // The object holds the shared geometry while the copy stands in for it:
  // the atomic lets go of it, and the object may be its only holder.
  RpGeometryAddRef(mSharedGeometry);
  RpAtomicSetGeometry(atomic, copy, 1);  // keeps the atomic's bounding sphere
  // The level the atomic draws at when near (or first drawn) is the copy.
  SetLodLevelZero(atomic, copy);
  // The copy's materials were read with the colours the shared ones had.
  UntintMaterials(copy, firstBase);
  MaterialsTinted() = 0;
  RpGeometryUnlock(copy);
  mPrivateGeometry = copy;
  JoinTintedList();
}

void cStaticLitClumpRO::TintMaterials(RpGeometry* geometry, u32 firstBase) {
  const RwRGBAReal* light = mExtraLight != nullptr ? &mExtraLight->GetColour() : nullptr;
  for (u32 i = 0; i < MaterialCount(geometry) && firstBase + i < mBaseColourCount; i++) {
    const RwRGBA& base = mBaseColours[firstBase + i];
    const RwRGBA tint = {
        AddLight(base.red * mLitColour.red / 255u, mExtraLight, light != nullptr ? light->red : 0.0f),
        AddLight(base.green * mLitColour.green / 255u, mExtraLight, light != nullptr ? light->green : 0.0f),
        AddLight(base.blue * mLitColour.blue / 255u, mExtraLight, light != nullptr ? light->blue : 0.0f), 255};
    RpMaterialSetColor(Material(geometry, i), &tint);
  }
}

void cStaticLitClumpRO::UntintMaterials(RpGeometry* geometry, u32 firstBase) {
  for (u32 i = 0; i < MaterialCount(geometry) && firstBase + i < mBaseColourCount; i++) {
    RpMaterialSetColor(Material(geometry, i), &mBaseColours[firstBase + i]);
  }
}

void cStaticLitClumpRO::WriteTableColours(RpGeometry* target, const RpGeometry* shared) {
  RwRGBA* colours = RpGeometryGetPreLightColors(target);
  const RwRGBA* alphas = RpGeometryGetPreLightColors(shared);
  if (colours == nullptr || alphas == nullptr) {
    return;
  }
  RwInt32 numbered = 0;
  const RwInt32* numbers = VertexNumbers(shared, &numbered);
  const RwRGBAReal* light = mExtraLight != nullptr ? &mExtraLight->GetColour() : nullptr;
  for (RwInt32 i = 0; i < target->numVertices; i++) {
    // Without colour indices every vertex takes the entry at the offset. A
    // vertex without an index, or an index outside the table, keeps its
    // pre-light colour.
    if (numbers != nullptr && i >= numbered) {
      continue;
    }
    const int64_t index = static_cast<int64_t>(mVertexOffset) + (numbers != nullptr ? numbers[i] : 0);
    if (index < 0 || index >= static_cast<int64_t>(mColourTableCount)) {
      continue;
    }
    const RwRGBA& entry = mColourTable[index];
    colours[i] = RwRGBA{AddLight(entry.red, mExtraLight, light != nullptr ? light->red : 0.0f),
                        AddLight(entry.green, mExtraLight, light != nullptr ? light->green : 0.0f),
                        AddLight(entry.blue, mExtraLight, light != nullptr ? light->blue : 0.0f), alphas[i].alpha};
  }
}
