// Vector arithmetic and the square-root tables. A square root is two integer
// operations on the float's bit pattern: the mantissa's top 11 bits (rounded)
// and the exponent's low bit index a table, and the halved exponent is added.
#include "engine/src/plcore/vector.h"

#include <cmath>
#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/matrix.h"

namespace {

static_assert(sizeof(RwVectorModule) <= kRwVectorModuleDataSize, "module data exceeds its engine plugin block");

// The module's data in the started engine; null while no engine is started.
RwVectorModule* gVectorModule = nullptr;

constexpr RwUInt32 kOneBits = 0x3F800000;   // 1.0f
constexpr RwUInt32 kTwoBits = 0x40000000;   // 2.0f
constexpr RwUInt32 kMantissaStep = 0x1000;  // 11 mantissa bits per table
constexpr RwInt32 kHalfTable = kRwSqrtTableEntries / 2;
constexpr RwUInt32 kExponentBias = 0x1FC00000;  // half of 1.0's exponent
constexpr RwUInt32 kExponentBiasOdd = 0x20000000;
constexpr RwUInt32 kExponentMask = 0x3FC00000;

RwUInt32 FloatBits(RwReal value) {
  RwUInt32 bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

RwReal BitsFloat(RwUInt32 bits) {
  RwReal value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

RwReal ExactSqrt(RwReal value) { return static_cast<RwReal>(std::sqrt(static_cast<double>(value))); }

RwReal ExactInvSqrt(RwReal value) { return static_cast<RwReal>(1.0 / std::sqrt(static_cast<double>(value))); }

void BuildTables(RwUInt32* sqrtTable, RwUInt32* invTable) {
  for (RwInt32 i = 0; i < kHalfTable; ++i) {
    const RwReal low = BitsFloat(kOneBits + static_cast<RwUInt32>(i) * kMantissaStep);   // [1, 2)
    const RwReal high = BitsFloat(kTwoBits + static_cast<RwUInt32>(i) * kMantissaStep);  // [2, 4)
    sqrtTable[kHalfTable + i] = FloatBits(ExactSqrt(low)) - kExponentBias;
    invTable[kHalfTable + i] = FloatBits(ExactInvSqrt(low)) - kExponentBiasOdd;
    sqrtTable[i] = FloatBits(ExactSqrt(high)) - kExponentBiasOdd;
    invTable[i] = FloatBits(ExactInvSqrt(high)) - kExponentBias;
  }
}

RwV3d* TransformPointsPortable(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* m) {
  for (RwInt32 i = 0; i < count; ++i) {
    const RwV3d p = in[i];
    out[i].x = p.x * m->right.x + p.y * m->up.x + p.z * m->at.x + m->pos.x;
    out[i].y = p.x * m->right.y + p.y * m->up.y + p.z * m->at.y + m->pos.y;
    out[i].z = p.x * m->right.z + p.y * m->up.z + p.z * m->at.z + m->pos.z;
  }
  return out;
}

RwV3d* TransformVectorsPortable(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* m) {
  for (RwInt32 i = 0; i < count; ++i) {
    const RwV3d v = in[i];
    out[i].x = v.x * m->right.x + v.y * m->up.x + v.z * m->at.x;
    out[i].y = v.x * m->right.y + v.y * m->up.y + v.z * m->at.y;
    out[i].z = v.x * m->right.z + v.y * m->up.z + v.z * m->at.z;
  }
  return out;
}

}  // namespace

RwReal RwSqrt(RwReal value) {
  const RwUInt32 bits = FloatBits(value);
  if (bits == 0) {
    return 0.0f;
  }
  if (gVectorModule == nullptr) {
    return ExactSqrt(value);  // no engine started: no tables yet
  }
  const RwUInt32 c = bits + 2048;  // round the 11 mantissa bits used to nearest
  return BitsFloat(gVectorModule->sqrtTable[(c >> 12) & 0xFFF] + ((c >> 1) & kExponentMask));
}

RwReal RwInvSqrt(RwReal value) {
  const RwUInt32 bits = FloatBits(value);
  if (bits == 0) {
    return 0.0f;
  }
  if (gVectorModule == nullptr) {
    return ExactInvSqrt(value);
  }
  const RwUInt32 c = bits + 2048;
  return BitsFloat(gVectorModule->invSqrtTable[(c >> 12) & 0xFFF] + ((~c >> 1) & kExponentMask));
}

void RwV3dCrossProduct(RwV3d* out, const RwV3d* a, const RwV3d* b) {
  const RwV3d result = {a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
  *out = result;
}

void RwV3dAdd(RwV3d* out, const RwV3d* a, const RwV3d* b) {
  out->x = a->x + b->x;
  out->y = a->y + b->y;
  out->z = a->z + b->z;
}

void RwV3dSub(RwV3d* out, const RwV3d* a, const RwV3d* b) {
  out->x = a->x - b->x;
  out->y = a->y - b->y;
  out->z = a->z - b->z;
}

void RwV3dScale(RwV3d* out, const RwV3d* in, RwReal scale) {
  out->x = in->x * scale;
  out->y = in->y * scale;
  out->z = in->z * scale;
}

RwReal RwV3dLength(const RwV3d* in) {
  const RwReal squared = RwV3dDotProduct(in, in);
  return squared == 0.0f ? 0.0f : RwSqrt(squared);
}

RwReal RwV2dLength(const RwV2d* in) {
  const RwReal squared = in->x * in->x + in->y * in->y;
  return squared == 0.0f ? 0.0f : RwSqrt(squared);
}

RwReal RwV3dNormalize(RwV3d* out, const RwV3d* in) {
  const RwReal squared = RwV3dDotProduct(in, in);
  const RwReal inverse = RwInvSqrt(squared);  // 0 for a zero vector
  RwV3dScale(out, in, inverse);
  const RwReal length = squared * inverse;
  if (length <= 0.0f) {
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrZeroLengthVector));
  }
  return length;
}

RwV3d* RwV3dTransformPoints(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix) {
  if (count <= 0) {
    return out;
  }
  const RwV3dTransformFunction routine =
      gVectorModule != nullptr ? gVectorModule->transformPoints : TransformPointsPortable;
  return routine(out, in, count, matrix);
}

RwV3d* RwV3dTransformVectors(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix) {
  if (count <= 0) {
    return out;
  }
  const RwV3dTransformFunction routine =
      gVectorModule != nullptr ? gVectorModule->transformVectors : TransformVectorsPortable;
  return routine(out, in, count, matrix);
}

RwBool RwV3dSetTransformFunctions(RwV3dTransformFunction points, RwV3dTransformFunction vectors) {
  if (gVectorModule != nullptr) {
    gVectorModule->transformPoints = points != nullptr ? points : TransformPointsPortable;
    gVectorModule->transformVectors = vectors != nullptr ? vectors : TransformVectorsPortable;
  }
  return TRUE;
}

void* _rwVectorOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwVectorModule* module = reinterpret_cast<RwVectorModule*>(static_cast<RwUInt8*>(instance) + offset);
  const size_t tableBytes = kRwSqrtTableEntries * sizeof(RwUInt32);
  module->sqrtTable = static_cast<RwUInt32*>(RwMalloc(tableBytes));
  module->invSqrtTable = static_cast<RwUInt32*>(RwMalloc(tableBytes));
  if (module->sqrtTable == nullptr || module->invSqrtTable == nullptr) {
    EngineFree(module->sqrtTable);
    EngineFree(module->invSqrtTable);
    module->sqrtTable = nullptr;
    module->invSqrtTable = nullptr;
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrOutOfMemory));
    return nullptr;
  }
  BuildTables(module->sqrtTable, module->invSqrtTable);
  module->transformPoints = TransformPointsPortable;
  module->transformVectors = TransformVectorsPortable;
  gVectorModule = module;
  return instance;
}

void* _rwVectorClose(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwVectorModule* module = reinterpret_cast<RwVectorModule*>(static_cast<RwUInt8*>(instance) + offset);
  EngineFree(module->sqrtTable);
  EngineFree(module->invSqrtTable);
  module->sqrtTable = nullptr;
  module->invSqrtTable = nullptr;
  gVectorModule = nullptr;
  return instance;
}
