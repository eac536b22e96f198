// Matrices: identity short-cuts through the type flags, the replaceable
// multiply routine, incremental transforms with a combine type, the matrix
// chunk and bounding boxes.
#include "engine/src/plcore/matrix.h"

#include <cmath>
#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/matrix_internal.h"
#include "engine/src/plcore/stream.h"

namespace {

static_assert(sizeof(RwMatrixModule) <= kRwMatrixModuleDataSize, "module data exceeds its engine plugin block");

constexpr RwReal kDegreesToRadians = 0.017453292f;
constexpr RwReal kDefaultTolerance = 0.01f;
constexpr RwUInt32 kMatricesPerBlock = 256;
constexpr RwUInt32 kMatrixAlignment = 16;

// The module's data in the started engine; null while no engine is started.
RwMatrixModule* gMatrixModule = nullptr;

// The sums run x right + y up + z at (+ pos), component by component.
void MultiplyPortable(RwMatrix* out, const RwMatrix* a, const RwMatrix* b) {
  const RwV3d* rowsA[4] = {&a->right, &a->up, &a->at, &a->pos};
  RwV3d* rowsOut[4] = {&out->right, &out->up, &out->at, &out->pos};
  for (int row = 0; row < 4; ++row) {
    const RwV3d v = *rowsA[row];
    RwV3d r;
    r.x = v.x * b->right.x + v.y * b->up.x + v.z * b->at.x;
    r.y = v.x * b->right.y + v.y * b->up.y + v.z * b->at.y;
    r.z = v.x * b->right.z + v.y * b->up.z + v.z * b->at.z;
    if (row == 3) {
      r.x = r.x + b->pos.x;
      r.y = r.y + b->pos.y;
      r.z = r.z + b->pos.z;
    }
    *rowsOut[row] = r;
  }
}

RwMatrixMultiplyFunction MultiplyRoutine() {
  return gMatrixModule != nullptr ? gMatrixModule->multiply : MultiplyPortable;
}

RwUInt32 IdentityMask() { return gMatrixModule != nullptr ? gMatrixModule->identityMask : kRwMatrixInternalIdentity; }

bool IsIdentity(const RwMatrix* matrix) { return (matrix->flags & IdentityMask()) != 0; }

// out = a x b through the routine, safe when out is a or b.
void MultiplyInto(RwMatrix* out, const RwMatrix* a, const RwMatrix* b) {
  RwMatrix result = *out;
  MultiplyRoutine()(&result, a, b);
  out->right = result.right;
  out->up = result.up;
  out->at = result.at;
  out->pos = result.pos;
}

bool ValidCombine(RwInt32 combine) {
  if (combine == kRwCombineReplace || combine == kRwCombinePreConcat || combine == kRwCombinePostConcat) {
    return true;
  }
  RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrInvalidValue, "Invalid combination type"));
  return false;
}

void SetIdentityRows(RwMatrix* m) {
  m->right = {1.0f, 0.0f, 0.0f};
  m->up = {0.0f, 1.0f, 0.0f};
  m->at = {0.0f, 0.0f, 1.0f};
  m->pos = {0.0f, 0.0f, 0.0f};
}

// Normalises without recording an error; returns the length (0 for a zero row).
RwReal NormalizeQuiet(RwV3d* v) {
  const RwReal squared = RwV3dDotProduct(v, v);
  if (squared <= 0.0f) {
    *v = {0.0f, 0.0f, 0.0f};
    return 0.0f;
  }
  const RwReal inverse = RwInvSqrt(squared);
  RwV3dScale(v, v, inverse);
  return squared * inverse;
}

RwReal SquaredDifference(const RwV3d* v, RwReal x, RwReal y, RwReal z) {
  const RwReal dx = v->x - x;
  const RwReal dy = v->y - y;
  const RwReal dz = v->z - z;
  return dx * dx + dy * dy + dz * dz;
}

RwReal SquaredLengthError(const RwV3d* v) {
  const RwReal e = RwV3dDotProduct(v, v) - 1.0f;
  return e * e;
}

void ReadV3d(const RwUInt8* bytes, RwV3d* v) {
  v->x = RwReadLittleEndianReal(bytes);
  v->y = RwReadLittleEndianReal(bytes + 4);
  v->z = RwReadLittleEndianReal(bytes + 8);
}

void WriteV3d(RwUInt8* bytes, const RwV3d* v) {
  RwWriteLittleEndianReal(bytes, v->x);
  RwWriteLittleEndianReal(bytes + 4, v->y);
  RwWriteLittleEndianReal(bytes + 8, v->z);
}

}  // namespace

RwMatrix* RwMatrixCreate(void) {
  RwMatrix* matrix = nullptr;
  if (gMatrixModule != nullptr) {
    matrix = static_cast<RwMatrix*>(RwFreeListEntryAlloc(gMatrixModule->freeList));
  }
  if (matrix == nullptr) {
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrOutOfMemory, sizeof(RwMatrix)));
    return nullptr;
  }
  std::memset(matrix, 0, sizeof(*matrix));
  RwMatrixSetIdentity(matrix);
  return matrix;
}

RwBool RwMatrixDestroy(RwMatrix* matrix) {
  if (matrix != nullptr && gMatrixModule != nullptr) {
    RwFreeListEntryFree(gMatrixModule->freeList, matrix);
  }
  return TRUE;
}

RwMatrix* RwMatrixCopy(RwMatrix* out, const RwMatrix* in) {
  *out = *in;
  return out;
}

RwMatrix* RwMatrixSetIdentity(RwMatrix* matrix) {
  SetIdentityRows(matrix);
  matrix->flags = kRwMatrixIdentityFlags;
  return matrix;
}

RwBool RwMatrixIsIdentity(const RwMatrix* matrix) { return IsIdentity(matrix) ? TRUE : FALSE; }

RwMatrix* RwMatrixMultiply(RwMatrix* out, const RwMatrix* a, const RwMatrix* b) {
  if (IsIdentity(a)) {
    *out = *b;
  } else if (IsIdentity(b)) {
    *out = *a;
  } else {
    const RwUInt32 flags = a->flags & b->flags;
    MultiplyInto(out, a, b);
    out->flags = flags;
  }
  return out;
}

RwMatrix* RwMatrixInvert(RwMatrix* out, const RwMatrix* in) {
  if (IsIdentity(in)) {
    *out = *in;
    return out;
  }
  const RwMatrix m = *in;
  if ((m.flags & kRwMatrixTypeOrthonormal) == kRwMatrixTypeOrthonormal) {
    out->right = {m.right.x, m.up.x, m.at.x};
    out->up = {m.right.y, m.up.y, m.at.y};
    out->at = {m.right.z, m.up.z, m.at.z};
    out->pos = {-RwV3dDotProduct(&m.pos, &m.right), -RwV3dDotProduct(&m.pos, &m.up), -RwV3dDotProduct(&m.pos, &m.at)};
    out->flags = kRwMatrixTypeOrthonormal;
    return out;
  }
  // Rows are row vectors, so the inverse's columns are up x at, at x right and
  // right x up over the determinant.
  RwV3d upAt;
  RwV3d atRight;
  RwV3d rightUp;
  RwV3dCrossProduct(&upAt, &m.up, &m.at);
  RwV3dCrossProduct(&atRight, &m.at, &m.right);
  RwV3dCrossProduct(&rightUp, &m.right, &m.up);
  RwReal determinant = RwV3dDotProduct(&m.right, &upAt);
  if (determinant == 0.0f) {
    determinant = 1.0f;  // singular: the adjugate, unscaled
  }
  const RwReal scale = 1.0f / determinant;
  out->right = {upAt.x * scale, atRight.x * scale, rightUp.x * scale};
  out->up = {upAt.y * scale, atRight.y * scale, rightUp.y * scale};
  out->at = {upAt.z * scale, atRight.z * scale, rightUp.z * scale};
  const RwV3d p = m.pos;
  out->pos.x = -(p.x * out->right.x + p.y * out->up.x + p.z * out->at.x);
  out->pos.y = -(p.x * out->right.y + p.y * out->up.y + p.z * out->at.y);
  out->pos.z = -(p.x * out->right.z + p.y * out->up.z + p.z * out->at.z);
  out->flags = 0;
  return out;
}

RwMatrix* RwMatrixRotateOneMinusCosineSine(RwMatrix* matrix, const RwV3d* unitAxis, RwReal oneMinusCosine, RwReal sine,
                                           RwInt32 combine) {
  if (!ValidCombine(combine)) {
    return nullptr;
  }
  const RwReal x = unitAxis->x;
  const RwReal y = unitAxis->y;
  const RwReal z = unitAxis->z;
  const RwReal k = oneMinusCosine;
  const RwReal s = sine;
  RwMatrix rotation;
  std::memset(&rotation, 0, sizeof(rotation));
  rotation.right = {1.0f - (1.0f - x * x) * k, x * y * k + z * s, z * x * k - y * s};
  rotation.up = {x * y * k - z * s, 1.0f - (1.0f - y * y) * k, y * z * k + x * s};
  rotation.at = {z * x * k + y * s, y * z * k - x * s, 1.0f - (1.0f - z * z) * k};
  rotation.pos = {0.0f, 0.0f, 0.0f};
  rotation.flags = kRwMatrixTypeOrthonormal;
  if (combine == kRwCombineReplace || IsIdentity(matrix)) {
    matrix->right = rotation.right;
    matrix->up = rotation.up;
    matrix->at = rotation.at;
    matrix->pos = rotation.pos;
    matrix->flags = rotation.flags;
    return matrix;
  }
  const RwUInt32 flags = matrix->flags & kRwMatrixTypeOrthonormal;
  if (combine == kRwCombinePreConcat) {
    MultiplyInto(matrix, &rotation, matrix);
  } else {
    MultiplyInto(matrix, matrix, &rotation);
  }
  matrix->flags = flags;
  return matrix;
}

RwMatrix* RwMatrixRotate(RwMatrix* matrix, const RwV3d* axis, RwReal angle, RwInt32 combine) {
  if (!ValidCombine(combine)) {
    return nullptr;
  }
  RwV3d unit;
  RwV3dScale(&unit, axis, RwInvSqrt(RwV3dDotProduct(axis, axis)));
  const RwReal radians = angle * kDegreesToRadians;
  return RwMatrixRotateOneMinusCosineSine(matrix, &unit, 1.0f - std::cos(radians), std::sin(radians), combine);
}

RwMatrix* RwMatrixScale(RwMatrix* matrix, const RwV3d* scale, RwInt32 combine) {
  if (!ValidCombine(combine)) {
    return nullptr;
  }
  if (combine == kRwCombineReplace) {
    matrix->right = {scale->x, 0.0f, 0.0f};
    matrix->up = {0.0f, scale->y, 0.0f};
    matrix->at = {0.0f, 0.0f, scale->z};
    matrix->pos = {0.0f, 0.0f, 0.0f};
  } else if (combine == kRwCombinePreConcat) {
    RwV3dScale(&matrix->right, &matrix->right, scale->x);
    RwV3dScale(&matrix->up, &matrix->up, scale->y);
    RwV3dScale(&matrix->at, &matrix->at, scale->z);
  } else {
    RwV3d* rows[4] = {&matrix->right, &matrix->up, &matrix->at, &matrix->pos};
    for (RwV3d* row : rows) {
      row->x *= scale->x;
      row->y *= scale->y;
      row->z *= scale->z;
    }
  }
  matrix->flags &= ~kRwMatrixIdentityFlags;
  return matrix;
}

RwMatrix* RwMatrixTranslate(RwMatrix* matrix, const RwV3d* translation, RwInt32 combine) {
  if (!ValidCombine(combine)) {
    return nullptr;
  }
  const RwV3d t = *translation;
  if (combine == kRwCombineReplace) {
    SetIdentityRows(matrix);
    matrix->pos = t;
    matrix->flags |= kRwMatrixTypeOrthonormal;
  } else if (combine == kRwCombinePreConcat) {
    const RwMatrix m = *matrix;
    matrix->pos.x += t.x * m.right.x + t.y * m.up.x + t.z * m.at.x;
    matrix->pos.y += t.x * m.right.y + t.y * m.up.y + t.z * m.at.y;
    matrix->pos.z += t.x * m.right.z + t.y * m.up.z + t.z * m.at.z;
  } else {
    RwV3dAdd(&matrix->pos, &matrix->pos, &t);
  }
  matrix->flags &= ~kRwMatrixInternalIdentity;
  return matrix;
}

RwMatrix* RwMatrixOrthoNormalize(RwMatrix* out, const RwMatrix* in) {
  RwMatrix m = *in;
  const RwReal rightLength = NormalizeQuiet(&m.right);
  const RwReal upLength = NormalizeQuiet(&m.up);
  NormalizeQuiet(&m.at);
  // Keep the two rows that are most nearly orthogonal (A, B); rebuild the
  // third as C = A x B and then B = C x A.
  RwV3d* a;
  RwV3d* b;
  RwV3d* c;
  if (rightLength == 0.0f) {
    a = &m.up, b = &m.at, c = &m.right;
  } else if (upLength == 0.0f) {
    a = &m.at, b = &m.right, c = &m.up;
  } else {
    const RwReal atRight = std::fabs(RwV3dDotProduct(&m.at, &m.right));
    const RwReal atUp = std::fabs(RwV3dDotProduct(&m.at, &m.up));
    const RwReal rightUp = std::fabs(RwV3dDotProduct(&m.right, &m.up));
    if (atRight < atUp && atRight < rightUp) {
      a = &m.at, b = &m.right, c = &m.up;
    } else if (atUp < atRight && atUp < rightUp) {
      a = &m.up, b = &m.at, c = &m.right;
    } else {
      a = &m.right, b = &m.up, c = &m.at;
    }
  }
  RwV3dCrossProduct(c, a, b);
  NormalizeQuiet(c);
  RwV3dCrossProduct(b, c, a);
  out->right = m.right;
  out->up = m.up;
  out->at = m.at;
  out->pos = m.pos;
  out->flags = (in->flags & ~kRwMatrixInternalIdentity) | kRwMatrixTypeOrthonormal;
  return out;
}

RwReal RwMatrixNormalError(const RwMatrix* m) {
  return SquaredLengthError(&m->right) + SquaredLengthError(&m->up) + SquaredLengthError(&m->at);
}

RwReal RwMatrixOrthogonalError(const RwMatrix* m) {
  const RwReal ru = RwV3dDotProduct(&m->right, &m->up);
  const RwReal ra = RwV3dDotProduct(&m->right, &m->at);
  const RwReal ua = RwV3dDotProduct(&m->up, &m->at);
  return ru * ru + ra * ra + ua * ua;
}

RwReal RwMatrixIdentityError(const RwMatrix* m) {
  return SquaredDifference(&m->right, 1.0f, 0.0f, 0.0f) + SquaredDifference(&m->up, 0.0f, 1.0f, 0.0f) +
         SquaredDifference(&m->at, 0.0f, 0.0f, 1.0f) + SquaredDifference(&m->pos, 0.0f, 0.0f, 0.0f);
}

RwReal RwMatrixDeterminant(const RwMatrix* m) {
  RwV3d upAt;
  RwV3dCrossProduct(&upAt, &m->up, &m->at);
  return RwV3dDotProduct(&m->right, &upAt);
}

RwMatrix* RwMatrixOptimize(RwMatrix* matrix, const RwReal* tolerance) {
  const RwReal defaults[kRwMatrixToleranceCount] = {kDefaultTolerance, kDefaultTolerance, kDefaultTolerance};
  if (tolerance == nullptr) {
    tolerance = gMatrixModule != nullptr ? gMatrixModule->tolerance : defaults;
  }
  RwUInt32 flags = matrix->flags & ~kRwMatrixIdentityFlags;
  const bool normal = RwMatrixNormalError(matrix) <= tolerance[0];
  const bool orthogonal = RwMatrixOrthogonalError(matrix) <= tolerance[1];
  if (normal) {
    flags |= kRwMatrixTypeNormal;
  }
  if (orthogonal) {
    flags |= kRwMatrixTypeOrthogonal;
  }
  if (normal && orthogonal && RwMatrixIdentityError(matrix) <= tolerance[2]) {
    flags |= kRwMatrixInternalIdentity;
  }
  matrix->flags = flags;
  return matrix;
}

void RwMatrixUpdate(RwMatrix* matrix) { matrix->flags &= ~kRwMatrixIdentityFlags; }

RwBool RwMatrixSetMultiplyFunction(RwMatrixMultiplyFunction multiply) {
  if (gMatrixModule != nullptr) {
    gMatrixModule->multiply = multiply != nullptr ? multiply : MultiplyPortable;
  }
  return TRUE;
}

RwMatrix* RwMatrixStreamRead(RwStream* stream, RwMatrix* matrix) {
  RwUInt32 length = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, nullptr)) {
    return nullptr;
  }
  if (length < kRwMatrixStreamBodySize) {
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrRead));
    return nullptr;
  }
  RwUInt8 body[kRwMatrixStreamBodySize];
  if (RwStreamRead(stream, body, kRwMatrixStreamBodySize) != kRwMatrixStreamBodySize) {
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrRead));
    return nullptr;
  }
  // A longer body (a newer writer's extra fields) is skipped past.
  if (length > kRwMatrixStreamBodySize && RwStreamSkip(stream, length - kRwMatrixStreamBodySize) == nullptr) {
    return nullptr;
  }
  if (matrix == nullptr) {
    matrix = RwMatrixCreate();
    if (matrix == nullptr) {
      return nullptr;
    }
  }
  _rwMatrixReadAxes(body, matrix);
  matrix->flags = RwReadLittleEndianUInt32(body + kRwMatrixStreamAxesSize) & kRwMatrixTypeOrthonormal;
  if (matrix->flags == kRwMatrixTypeOrthonormal) {
    RwMatrixOrthoNormalize(matrix, matrix);
  }
  return matrix;
}

const RwMatrix* RwMatrixStreamWrite(const RwMatrix* matrix, RwStream* stream) {
  if (!RwStreamWriteVersionedChunkHeader(stream, kRwChunkMatrix, RwMatrixStreamGetSize(matrix), kRwLibraryVersion,
                                         kRwLibraryBuild) ||
      !RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, kRwMatrixStreamBodySize, kRwLibraryVersion,
                                         kRwLibraryBuild)) {
    return nullptr;
  }
  RwUInt8 body[kRwMatrixStreamBodySize];
  _rwMatrixWriteAxes(body, matrix);
  RwWriteLittleEndianUInt32(body + kRwMatrixStreamAxesSize, matrix->flags);
  if (!RwStreamWrite(stream, body, kRwMatrixStreamBodySize)) {
    return nullptr;
  }
  return matrix;
}

RwUInt32 RwMatrixStreamGetSize(const RwMatrix* /*matrix*/) { return kRwChunkHeaderSize + kRwMatrixStreamBodySize; }

void _rwMatrixReadAxes(const RwUInt8* bytes, RwMatrix* matrix) {
  ReadV3d(bytes, &matrix->right);
  ReadV3d(bytes + 12, &matrix->up);
  ReadV3d(bytes + 24, &matrix->at);
  ReadV3d(bytes + 36, &matrix->pos);
}

void _rwMatrixWriteAxes(RwUInt8* bytes, const RwMatrix* matrix) {
  WriteV3d(bytes, &matrix->right);
  WriteV3d(bytes + 12, &matrix->up);
  WriteV3d(bytes + 24, &matrix->at);
  WriteV3d(bytes + 36, &matrix->pos);
}

RwBBox* RwBBoxCalculate(RwBBox* box, const RwV3d* points, RwInt32 count) {
  if (count <= 0) {
    return box;
  }
  RwBBoxInitialize(box, &points[0]);
  for (RwInt32 i = 1; i < count; ++i) {
    RwBBoxAddPoint(box, &points[i]);
  }
  return box;
}

void RwBBoxInitialize(RwBBox* box, const RwV3d* point) {
  box->sup = *point;
  box->inf = *point;
}

RwBBox* RwBBoxAddPoint(RwBBox* box, const RwV3d* point) {
  box->inf.x = point->x < box->inf.x ? point->x : box->inf.x;
  box->inf.y = point->y < box->inf.y ? point->y : box->inf.y;
  box->inf.z = point->z < box->inf.z ? point->z : box->inf.z;
  box->sup.x = point->x > box->sup.x ? point->x : box->sup.x;
  box->sup.y = point->y > box->sup.y ? point->y : box->sup.y;
  box->sup.z = point->z > box->sup.z ? point->z : box->sup.z;
  return box;
}

RwBool RwBBoxContainsPoint(const RwBBox* box, const RwV3d* point) {
  return point->x >= box->inf.x && point->x <= box->sup.x && point->y >= box->inf.y && point->y <= box->sup.y &&
                 point->z >= box->inf.z && point->z <= box->sup.z
             ? TRUE
             : FALSE;
}

void* _rwMatrixOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwMatrixModule* module = RwPluginDataGet(RwMatrixModule, instance, offset);
  module->freeList = RwFreeListCreate(sizeof(RwMatrix), kMatricesPerBlock, kMatrixAlignment);
  if (module->freeList == nullptr) {
    return nullptr;
  }
  module->identityMask = kRwMatrixInternalIdentity;
  module->multiply = MultiplyPortable;
  for (RwReal& tolerance : module->tolerance) {
    tolerance = kDefaultTolerance;
  }
  gMatrixModule = module;
  return instance;
}

void* _rwMatrixClose(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  RwMatrixModule* module = RwPluginDataGet(RwMatrixModule, instance, offset);
  if (module->freeList != nullptr) {
    RwFreeListDestroy(module->freeList);
    module->freeList = nullptr;
  }
  gMatrixModule = nullptr;
  return instance;
}
