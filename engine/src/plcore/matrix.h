// The 4x3 transform matrix with its type flags: products, inverses,
// incremental rotate, scale and translate with a combine type, optimisation,
// ortho-normalisation, the matrix chunk and axis-aligned bounding boxes.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/vector.h"

struct RwFreeList;
struct RwStream;

// Points are row vectors: p' = p.x right + p.y up + p.z at + pos. Each row
// takes four words; the flags live in the right row's fourth word.
struct RwMatrix {
  RwV3d right;
  RwUInt32 flags;
  RwV3d up;
  RwUInt32 pad1;
  RwV3d at;
  RwUInt32 pad2;
  RwV3d pos;
  RwUInt32 pad3;
};

// Matrix type flags.
constexpr RwUInt32 kRwMatrixTypeNormal = 0x1;      // axes of unit length
constexpr RwUInt32 kRwMatrixTypeOrthogonal = 0x2;  // axes mutually orthogonal
constexpr RwUInt32 kRwMatrixTypeOrthonormal = 0x3;
constexpr RwUInt32 kRwMatrixInternalIdentity = 0x20000;
constexpr RwUInt32 kRwMatrixIdentityFlags = kRwMatrixInternalIdentity | kRwMatrixTypeOrthonormal;

// How an incremental transform joins the matrix.
enum RwOpCombineType : RwInt32 {
  kRwCombineReplace = 0,     // the matrix becomes the new transform
  kRwCombinePreConcat = 1,   // matrix := new x matrix (the new one acts first, in local space)
  kRwCombinePostConcat = 2,  // matrix := matrix x new
};

struct RwBBox {
  RwV3d sup;  // maximum corner
  RwV3d inf;  // minimum corner
};

struct RwSphere {
  RwV3d center;
  RwReal radius;
};

// (out, a, b): out = a x b (rows and pos only) for matrices that are not the
// identity; out never aliases a or b (the caller ensures it).
typedef void (*RwMatrixMultiplyFunction)(RwMatrix* out, const RwMatrix* a, const RwMatrix* b);

constexpr RwInt32 kRwMatrixToleranceCount = 3;  // normal, orthogonal, identity

// Engine plugin data of the matrix module.
struct RwMatrixModule {
  RwFreeList* freeList;
  RwUInt32 identityMask;
  RwMatrixMultiplyFunction multiply;
  RwReal tolerance[kRwMatrixToleranceCount];
};

// Chunk holding one matrix as a 52-byte struct chunk.
constexpr RwUInt32 kRwChunkMatrix = 0xD;
constexpr RwUInt32 kRwMatrixStreamBodySize = 52;

RwMatrix* RwMatrixCreate(void);
RwBool RwMatrixDestroy(RwMatrix* matrix);
RwMatrix* RwMatrixCopy(RwMatrix* out, const RwMatrix* in);
RwMatrix* RwMatrixSetIdentity(RwMatrix* matrix);
RwMatrix* RwMatrixMultiply(RwMatrix* out, const RwMatrix* a, const RwMatrix* b);
RwMatrix* RwMatrixInvert(RwMatrix* out, const RwMatrix* in);
RwMatrix* RwMatrixRotate(RwMatrix* matrix, const RwV3d* axis, RwReal angle, RwInt32 combine);
RwMatrix* RwMatrixRotateOneMinusCosineSine(RwMatrix* matrix, const RwV3d* unitAxis, RwReal oneMinusCosine, RwReal sine,
                                           RwInt32 combine);
RwMatrix* RwMatrixScale(RwMatrix* matrix, const RwV3d* scale, RwInt32 combine);
RwMatrix* RwMatrixTranslate(RwMatrix* matrix, const RwV3d* translation, RwInt32 combine);
RwMatrix* RwMatrixOrthoNormalize(RwMatrix* out, const RwMatrix* in);
// Null tolerances take the module's defaults.
RwMatrix* RwMatrixOptimize(RwMatrix* matrix, const RwReal* tolerance);
// Forgets the type flags after fields were written directly.
void RwMatrixUpdate(RwMatrix* matrix);
RwBool RwMatrixIsIdentity(const RwMatrix* matrix);
RwReal RwMatrixNormalError(const RwMatrix* matrix);
RwReal RwMatrixOrthogonalError(const RwMatrix* matrix);
RwReal RwMatrixIdentityError(const RwMatrix* matrix);
RwReal RwMatrixDeterminant(const RwMatrix* matrix);
// Null installs the portable routine.
RwBool RwMatrixSetMultiplyFunction(RwMatrixMultiplyFunction multiply);

// The stream is at the body of a matrix chunk; a null matrix creates one.
RwMatrix* RwMatrixStreamRead(RwStream* stream, RwMatrix* matrix);
const RwMatrix* RwMatrixStreamWrite(const RwMatrix* matrix, RwStream* stream);
// Bytes of the matrix chunk's body (its struct chunk with header).
RwUInt32 RwMatrixStreamGetSize(const RwMatrix* matrix);

RwBBox* RwBBoxCalculate(RwBBox* box, const RwV3d* points, RwInt32 count);
void RwBBoxInitialize(RwBBox* box, const RwV3d* point);
RwBBox* RwBBoxAddPoint(RwBBox* box, const RwV3d* point);
RwBool RwBBoxContainsPoint(const RwBBox* box, const RwV3d* point);
