// Tests of the spline plugin's tables and matrices.
#include "engine/plugin/spline/rpspline.h"

#include <gtest/gtest.h>

#include "engine/plugin/spline/spline_internal.h"
#include "tests/support/started_engine.h"

namespace {

class SplineTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine([] { return RpSplinePluginAttach() != FALSE; });
  }
};

TEST_F(SplineTest, BasisRowsSumToOneAndDerivativeRowsToZero) {
  for (RwInt32 group : {kRpSplineBasisTables, kRpSplineFirstDerivativeTables, kRpSplineSecondDerivativeTables}) {
    SCOPED_TRACE(group);
    const float expected = group == kRpSplineBasisTables ? 1.0f : 0.0f;
    for (RwInt32 i = 0; i < kRpSplineTableSamples; i++) {
      float sum = 0.0f;
      for (RwInt32 k = 0; k < 4; k++) {
        sum += _rpSplineTable(group + k)[i];
      }
      ASSERT_NEAR(sum, expected, 1e-6f) << "sample " << i;
    }
  }
  EXPECT_FLOAT_EQ(_rpSplineTable(0)[0], 0.0f);
  EXPECT_FLOAT_EQ(_rpSplineTable(1)[0], 1.0f / 6.0f);
  EXPECT_FLOAT_EQ(_rpSplineTable(2)[0], 2.0f / 3.0f);
  EXPECT_FLOAT_EQ(_rpSplineTable(3)[0], 1.0f / 6.0f);
  EXPECT_FLOAT_EQ(_rpSplineTable(0)[kRpSplineTableSteps], 1.0f / 6.0f);
  EXPECT_EQ(_rpSplineTable(kRpSplineTableCount), nullptr);
}

TEST_F(SplineTest, DerivativeTablesAreTheSlopesOfTheirFunctions) {
  // Central differences over two samples are exact to far below the
  // tolerance for these cubics.
  const float step = 1.0f / kRpSplineTableSteps;
  for (RwInt32 table = 0; table < kRpSplineSecondDerivativeTables; table++) {
    SCOPED_TRACE(table);
    const RwReal* function = _rpSplineTable(table);
    const RwReal* slope = _rpSplineTable(table + 4);
    for (RwInt32 i = 1; i < kRpSplineTableSteps; i++) {
      ASSERT_NEAR((function[i + 1] - function[i - 1]) / (2.0f * step), slope[i], 1e-3f) << "sample " << i;
    }
  }
}

TEST_F(SplineTest, MatricesInvertTheInterpolationMatrix) {
  // A spline through control points c passes its knots at (c(k-1) + 4 c(k) +
  // c(k+1)) / 6, the end knots at (4 c0 + 2 c1) / 6 and (2 c(n-2) + 4 c(n-1)) / 6.
  for (RwInt32 n = kRpSplineMinPoints; n <= kRpSplineMaxPoints; n++) {
    SCOPED_TRACE(n);
    const RwReal* m = _rpSplineMatrix(n);
    ASSERT_NE(m, nullptr);
    auto interpolation = [n](RwInt32 row, RwInt32 column) {
      if (row == column) {
        return 4.0f / 6.0f;
      }
      if (row - column == 1 || column - row == 1) {
        const bool end = (row == 0) || (row == n - 1);
        return (end ? 2.0f : 1.0f) / 6.0f;
      }
      return 0.0f;
    };
    for (RwInt32 i = 0; i < n; i++) {
      for (RwInt32 j = 0; j < n; j++) {
        float product = 0.0f;
        for (RwInt32 k = 0; k < n; k++) {
          product += m[i * n + k] * interpolation(k, j);
        }
        ASSERT_NEAR(product, i == j ? 1.0f : 0.0f, 1e-5f) << "row " << i << " column " << j;
      }
    }
  }
  EXPECT_EQ(_rpSplineMatrix(kRpSplineMinPoints - 1), nullptr);
  EXPECT_EQ(_rpSplineMatrix(kRpSplineMaxPoints + 1), nullptr);
}

TEST(SplineStartTest, TablesLiveFromStartToStopAndFailedStartsLeakNothing) {
  ExpectFailedStartsLeakNothing([] { return RpSplinePluginAttach() != FALSE; },
                                [] { return _rpSplineMatrix(kRpSplineMaxPoints) != nullptr; });
  EXPECT_EQ(_rpSplineTable(0), nullptr);
  EXPECT_EQ(_rpSplineMatrix(kRpSplineMinPoints), nullptr);
}

}  // namespace
