// Matrices: combine modes against hand-computed results, inverses,
// ortho-normalisation, optimisation, the matrix chunk and bounding boxes.
#include "engine/src/plcore/matrix.h"

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/started_engine.h"

namespace {

constexpr float kTolerance = 1e-5f;

void ExpectV3d(const RwV3d& v, float x, float y, float z, float tolerance = kTolerance) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

RwMatrix Rows(RwV3d right, RwV3d up, RwV3d at, RwV3d pos, RwUInt32 flags) {
  RwMatrix m = {};
  m.right = right;
  m.up = up;
  m.at = at;
  m.pos = pos;
  m.flags = flags;
  return m;
}

RwMatrix Identity() {
  RwMatrix m;
  RwMatrixSetIdentity(&m);
  return m;
}

class MatrixTest : public StartedEngineTest {};

TEST_F(MatrixTest, CreateGivesIdentityAndMultiplyShortCutsIt) {
  RwMatrix* identity = RwMatrixCreate();
  ASSERT_NE(identity, nullptr);
  EXPECT_EQ(identity->flags, 0x20003u);
  const RwMatrix other = Rows({0, 2, 0}, {-1, 0, 0}, {0, 0, 1}, {5, 6, 7}, 0x40);
  RwMatrix out;
  RwMatrixMultiply(&out, identity, &other);
  EXPECT_EQ(out.flags, 0x40u);
  ExpectV3d(out.right, 0, 2, 0);
  ExpectV3d(out.pos, 5, 6, 7);
  RwMatrixMultiply(&out, &other, identity);
  EXPECT_EQ(out.flags, 0x40u);
  EXPECT_TRUE(RwMatrixDestroy(identity));
}

void ZeroMultiply(RwMatrix* out, const RwMatrix*, const RwMatrix*) {
  out->right = out->up = out->at = out->pos = {0, 0, 0};
}

TEST_F(MatrixTest, ReplacedMultiplyRoutineServesProductsButNotIdentities) {
  const RwMatrix a = Rows({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {1, 2, 3}, 2);
  const RwMatrix identity = Identity();
  RwMatrixSetMultiplyFunction(ZeroMultiply);
  RwMatrix out;
  RwMatrixMultiply(&out, &a, &a);
  ExpectV3d(out.right, 0, 0, 0);
  EXPECT_EQ(out.flags, 2u);
  RwMatrixMultiply(&out, &a, &identity);
  ExpectV3d(out.right, 2, 0, 0);
  RwMatrix rotated = a;
  const RwV3d axis = {0, 0, 1};
  RwMatrixRotate(&rotated, &axis, 90.0f, kRwCombinePostConcat);
  ExpectV3d(rotated.pos, 0, 0, 0);
  RwMatrixSetMultiplyFunction(nullptr);
  RwMatrixMultiply(&out, &a, &a);
  ExpectV3d(out.right, 4, 0, 0);
}

TEST_F(MatrixTest, MultiplyRowsByTheSecondMatrix) {
  // a: scale 2 then translate (1, 2, 3); b: 90 degrees about z then translate (10, 0, 0).
  const RwMatrix a = Rows({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {1, 2, 3}, 2);
  const RwMatrix b = Rows({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {10, 0, 0}, 3);
  RwMatrix out;
  RwMatrixMultiply(&out, &a, &b);
  ExpectV3d(out.right, 0, 2, 0);
  ExpectV3d(out.up, -2, 0, 0);
  ExpectV3d(out.at, 0, 0, 2);
  ExpectV3d(out.pos, 10 - 2, 1, 3);
  EXPECT_EQ(out.flags, 2u);
  // In place on either operand.
  RwMatrix inPlace = a;
  RwMatrixMultiply(&inPlace, &inPlace, &b);
  ExpectV3d(inPlace.pos, 8, 1, 3);
}

TEST_F(MatrixTest, RotateCombineModes) {
  const RwV3d axis = {0, 0, 2};
  {
    SCOPED_TRACE("post-concatenate onto the identity");
    RwMatrix m = Identity();
    ASSERT_EQ(RwMatrixRotate(&m, &axis, 90.0f, kRwCombinePostConcat), &m);
    ExpectV3d(m.right, 0, 1, 0);
    ExpectV3d(m.up, -1, 0, 0);
    ExpectV3d(m.at, 0, 0, 1);
    EXPECT_EQ(m.flags, 3u);
  }
  const RwV3d offset = {1, 0, 0};
  {
    SCOPED_TRACE("pre-concatenate: the rotation acts first, in local space");
    RwMatrix m = Identity();
    RwMatrixTranslate(&m, &offset, kRwCombineReplace);
    RwMatrixRotate(&m, &axis, 90.0f, kRwCombinePreConcat);
    ExpectV3d(m.right, 0, 1, 0);
    ExpectV3d(m.pos, 1, 0, 0);
    EXPECT_EQ(m.flags, 3u);
  }
  {
    SCOPED_TRACE("post-concatenate: the rotation also turns the position");
    RwMatrix m = Identity();
    RwMatrixTranslate(&m, &offset, kRwCombineReplace);
    RwMatrixRotate(&m, &axis, 90.0f, kRwCombinePostConcat);
    ExpectV3d(m.right, 0, 1, 0);
    ExpectV3d(m.pos, 0, 1, 0);
  }
  {
    SCOPED_TRACE("replace drops the translation");
    RwMatrix m = Identity();
    RwMatrixTranslate(&m, &offset, kRwCombineReplace);
    const RwV3d xAxis = {1, 0, 0};
    RwMatrixRotate(&m, &xAxis, 180.0f, kRwCombineReplace);
    ExpectV3d(m.up, 0, -1, 0);
    ExpectV3d(m.pos, 0, 0, 0);
  }
}

TEST_F(MatrixTest, ScaleAndTranslateCombineModes) {
  const RwMatrix start = Rows({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {1, 2, 3}, 0x20003);
  const RwV3d s = {2, 3, 4};
  RwMatrix m = start;
  RwMatrixScale(&m, &s, kRwCombineReplace);
  ExpectV3d(m.right, 2, 0, 0);
  ExpectV3d(m.up, 0, 3, 0);
  ExpectV3d(m.pos, 0, 0, 0);
  EXPECT_EQ(m.flags, 0u);
  m = start;
  RwMatrixScale(&m, &s, kRwCombinePreConcat);
  ExpectV3d(m.right, 0, 2, 0);
  ExpectV3d(m.up, -3, 0, 0);
  ExpectV3d(m.pos, 1, 2, 3);
  m = start;
  RwMatrixScale(&m, &s, kRwCombinePostConcat);
  ExpectV3d(m.right, 0, 3, 0);
  ExpectV3d(m.up, -2, 0, 0);
  ExpectV3d(m.pos, 2, 6, 12);

  const RwV3d t = {1, 1, 0};
  m = start;
  RwMatrixTranslate(&m, &t, kRwCombinePreConcat);
  ExpectV3d(m.pos, 1 - 1, 2 + 1, 3);  // t turned by the matrix first
  EXPECT_EQ(m.flags, 3u);
  m = start;
  RwMatrixTranslate(&m, &t, kRwCombinePostConcat);
  ExpectV3d(m.pos, 2, 3, 3);
  m = Rows({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {9, 9, 9}, 0);
  RwMatrixTranslate(&m, &t, kRwCombineReplace);
  ExpectV3d(m.right, 1, 0, 0);
  ExpectV3d(m.pos, 1, 1, 0);
  EXPECT_EQ(m.flags, 3u);
}

TEST_F(MatrixTest, InvalidCombineLeavesTheMatrixAlone) {
  const RwMatrix start = Rows({1, 0, 0}, {0, 2, 0}, {0, 0, 3}, {4, 5, 6}, 0);
  const RwV3d v = {1, 2, 3};
  RwMatrix m = start;
  EXPECT_EQ(RwMatrixScale(&m, &v, 3), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  EXPECT_EQ(RwMatrixTranslate(&m, &v, -1), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  EXPECT_EQ(RwMatrixRotate(&m, &v, 30.0f, 7), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrInvalidValue);
  ExpectV3d(m.up, 0, 2, 0);
  ExpectV3d(m.pos, 4, 5, 6);
  EXPECT_EQ(m.flags, 0u);
}

TEST_F(MatrixTest, InvertOrthonormalGeneralAndSingular) {
  RwMatrix m = Identity();
  const RwV3d axis = {1, 2, 3};
  const RwV3d t = {4, -5, 6};
  RwMatrixRotate(&m, &axis, 37.0f, kRwCombineReplace);
  RwMatrixTranslate(&m, &t, kRwCombinePostConcat);
  RwMatrix inverse;
  RwMatrixInvert(&inverse, &m);
  EXPECT_EQ(inverse.flags, 3u);
  RwMatrix product;
  RwMatrixMultiply(&product, &m, &inverse);
  EXPECT_LT(RwMatrixIdentityError(&product), 1e-8f);

  const RwMatrix general = Rows({2, 0, 0}, {0, 4, 0}, {0, 0, 0.5f}, {2, 4, 1}, 0);
  RwMatrixInvert(&inverse, &general);
  ExpectV3d(inverse.right, 0.5f, 0, 0);
  ExpectV3d(inverse.up, 0, 0.25f, 0);
  ExpectV3d(inverse.at, 0, 0, 2);
  ExpectV3d(inverse.pos, -1, -1, -2);
  EXPECT_EQ(inverse.flags, 0u);

  const RwMatrix singular = Rows({1, 2, 0}, {2, 4, 0}, {0, 0, 1}, {0, 0, 0}, 0);
  RwMatrixInvert(&inverse, &singular);
  ExpectV3d(inverse.right, 4, -2, 0);
  ExpectV3d(inverse.up, -2, 1, 0);
  ExpectV3d(inverse.at, 0, 0, 0);

  const RwMatrix identity = Identity();
  RwMatrixInvert(&inverse, &identity);
  EXPECT_EQ(inverse.flags, 0x20003u);
  RwMatrix self = general;
  RwMatrixInvert(&self, &self);
  ExpectV3d(self.pos, -1, -1, -2);
}

TEST_F(MatrixTest, OrthoNormalizeKeepsTheMostOrthogonalPair) {
  {
    SCOPED_TRACE("right and up nearly orthogonal: at rebuilt");
    const RwMatrix off = Rows({2, 0, 0}, {0.01f, 3, 0}, {0.5f, 0.5f, 1}, {7, 8, 9}, 0x20000);
    RwMatrix out;
    RwMatrixOrthoNormalize(&out, &off);
    EXPECT_LT(RwMatrixNormalError(&out), 1e-5f);
    EXPECT_LT(RwMatrixOrthogonalError(&out), 1e-5f);
    ExpectV3d(out.right, 1, 0, 0, 2e-3f);
    ExpectV3d(out.at, 0, 0, 1, 2e-3f);
    ExpectV3d(out.pos, 7, 8, 9);
    EXPECT_EQ(out.flags, 3u);
  }
  {
    SCOPED_TRACE("a zero right row is rebuilt from up and at");
    const RwMatrix off = Rows({0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}, 0);
    RwMatrix out;
    RwMatrixOrthoNormalize(&out, &off);
    ExpectV3d(out.right, 1, 0, 0, 2e-3f);
    ExpectNoError();
  }
  {
    SCOPED_TRACE("at and up the most orthogonal pair: right rebuilt");
    const RwMatrix off = Rows({1, 0.3f, 0.3f}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}, 0);
    RwMatrix out;
    RwMatrixOrthoNormalize(&out, &off);
    ExpectV3d(out.up, 0, 1, 0, 2e-3f);
    ExpectV3d(out.at, 0, 0, 1, 2e-3f);
    ExpectV3d(out.right, 1, 0, 0, 2e-3f);
  }
}

TEST_F(MatrixTest, OptimizeAndErrors) {
  RwMatrix m = Rows({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.01f, 0, 0}, 0);
  RwMatrixOptimize(&m, nullptr);
  EXPECT_EQ(m.flags, 0x20003u);
  m.pos = {1, 0, 0};
  RwMatrixOptimize(&m, nullptr);
  EXPECT_EQ(m.flags, 3u);
  m.right = {2, 0, 0};
  RwMatrixOptimize(&m, nullptr);
  EXPECT_EQ(m.flags, 2u);
  EXPECT_FLOAT_EQ(RwMatrixNormalError(&m), 9.0f);
  EXPECT_FLOAT_EQ(RwMatrixDeterminant(&m), 2.0f);
  const RwReal loose[3] = {10.0f, 10.0f, 10.0f};
  RwMatrixOptimize(&m, loose);
  EXPECT_EQ(m.flags, 0x20003u);
  m.up = {1, 1, 0};
  EXPECT_FLOAT_EQ(RwMatrixOrthogonalError(&m), 4.0f);
  RwMatrixUpdate(&m);
  EXPECT_EQ(m.flags, 0u);
}

TEST_F(MatrixTest, ChunkRoundTrip) {
  RwMatrix m = Identity();
  const RwV3d axis = {0, 1, 1};
  const RwV3d t = {-1.5f, 2.25f, 100};
  RwMatrixRotate(&m, &axis, 33.0f, kRwCombineReplace);
  RwMatrixTranslate(&m, &t, kRwCombinePostConcat);
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  ASSERT_NE(RwMatrixStreamWrite(&m, stream), nullptr);
  RwMemory memory = {};
  RwStreamClose(stream, &memory);
  EXPECT_EQ(memory.length, 12 + 12 + 52u);

  stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  RwUInt32 length = 0;
  ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkMatrix, &length, nullptr));
  EXPECT_EQ(length, RwMatrixStreamGetSize(&m));
  RwMatrix* read = RwMatrixStreamRead(stream, nullptr);
  ASSERT_NE(read, nullptr);
  ExpectV3d(read->right, m.right.x, m.right.y, m.right.z, 1e-3f);
  ExpectV3d(read->at, m.at.x, m.at.y, m.at.z, 1e-3f);
  ExpectV3d(read->pos, -1.5f, 2.25f, 100);
  EXPECT_EQ(read->flags, 3u);
  RwMatrixDestroy(read);
  RwStreamClose(stream, nullptr);
  RwFree(memory.start);
}

ChunkBytes MatrixStruct(uint32_t length, uint32_t flags) {
  ChunkBytes bytes;
  bytes.Header(kRwChunkStruct, length);
  bytes.Real(1.02f).Real(0.01f).Real(0).Real(0).Real(0.98f).Real(0).Real(0).Real(0).Real(1).Real(4).Real(5).Real(6);
  return bytes.U32(flags);
}

TEST_F(MatrixTest, ChunkReaderChecksTheStructBody) {
  {
    SCOPED_TRACE("flags 3: slightly-off rows are ortho-normalised");
    ChunkBytes bytes = MatrixStruct(52, 3);
    RwStream* stream = bytes.OpenRead();
    RwMatrix m;
    ASSERT_EQ(RwMatrixStreamRead(stream, &m), &m);
    EXPECT_LT(RwMatrixNormalError(&m), 1e-5f);
    EXPECT_LT(RwMatrixOrthogonalError(&m), 1e-5f);
    EXPECT_EQ(m.flags, 3u);
    RwStreamClose(stream, nullptr);
  }
  {
    SCOPED_TRACE("other flags are kept to bits 0-1 and the rows as stored");
    ChunkBytes bytes = MatrixStruct(52, 0x20002);
    RwStream* stream = bytes.OpenRead();
    RwMatrix m;
    ASSERT_EQ(RwMatrixStreamRead(stream, &m), &m);
    EXPECT_EQ(m.flags, 2u);
    EXPECT_EQ(m.right.x, 1.02f);
    RwStreamClose(stream, nullptr);
  }
  {
    SCOPED_TRACE("a longer body is read and skipped past");
    ChunkBytes bytes = MatrixStruct(60, 0);
    bytes.U32(0).U32(0).U32(0xBEEF);
    RwStream* stream = bytes.OpenRead();
    RwMatrix m;
    ASSERT_EQ(RwMatrixStreamRead(stream, &m), &m);
    RwUInt32 tail = 0;
    EXPECT_EQ(RwStreamRead(stream, &tail, 4), 4u);
    EXPECT_EQ(tail, 0xBEEFu);
    RwStreamClose(stream, nullptr);
  }
  {
    SCOPED_TRACE("a body too short for a matrix");
    ChunkBytes bytes = MatrixStruct(40, 0);
    RwStream* stream = bytes.OpenRead();
    RwMatrix m;
    EXPECT_EQ(RwMatrixStreamRead(stream, &m), nullptr);
    ExpectError(kRwPluginIdNone, kRwErrRead);
    RwStreamClose(stream, nullptr);
  }
  {
    SCOPED_TRACE("a stream cut inside the body");
    ChunkBytes bytes = MatrixStruct(52, 0);
    bytes.Truncate(30);
    RwStream* stream = bytes.OpenRead();
    EXPECT_EQ(RwMatrixStreamRead(stream, nullptr), nullptr);
    EXPECT_NE(TakeError().errorCode, kRwErrNoError);
    RwStreamClose(stream, nullptr);
  }
  {
    SCOPED_TRACE("a struct chunk of a refused version");
    ChunkBytes bytes;
    bytes.Header(kRwChunkStruct, 52, RwChunkStampEncode(0x35000, 0));
    RwStream* stream = bytes.OpenRead();
    EXPECT_EQ(RwMatrixStreamRead(stream, nullptr), nullptr);
    ExpectError(kRwPluginIdNone, kRwErrBadChunkVersion);
    RwStreamClose(stream, nullptr);
  }
}

TEST(BBoxTest, CalculateAndAddPoints) {
  const RwV3d single = {1, 2, 3};
  RwBBox box;
  RwBBoxCalculate(&box, &single, 1);
  ExpectV3d(box.sup, 1, 2, 3);
  ExpectV3d(box.inf, 1, 2, 3);
  const RwV3d points[3] = {{1, -2, 3}, {-4, 5, 0}, {2, 0, -6}};
  RwBBoxCalculate(&box, points, 3);
  ExpectV3d(box.sup, 2, 5, 3);
  ExpectV3d(box.inf, -4, -2, -6);
  const RwV3d far = {0, 0, 10};
  RwBBoxAddPoint(&box, &far);
  ExpectV3d(box.sup, 2, 5, 10);
  EXPECT_TRUE(RwBBoxContainsPoint(&box, &far));
  const RwV3d outside = {3, 0, 0};
  EXPECT_FALSE(RwBBoxContainsPoint(&box, &outside));
}

}  // namespace
