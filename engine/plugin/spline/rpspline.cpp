// The spline plugin's tables: built by the first engine to start and freed
// when the last one stops.
#include "engine/plugin/spline/rpspline.h"

#include "engine/plugin/spline/spline_internal.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"

namespace {

constexpr RwInt32 kMatrixCount = kRpSplineMaxPoints - kRpSplineMinPoints + 1;

RwInt32 sOpenCount = 0;
RwReal* sTables = nullptr;  // kRpSplineTableCount tables of kRpSplineTableSamples
RwReal* sMatrices[kMatrixCount] = {};

RwReal* Table(RwInt32 table) { return sTables + table * kRpSplineTableSamples; }

void FillTables() {
  for (RwInt32 i = 0; i < kRpSplineTableSamples; i++) {
    const RwReal t = static_cast<RwReal>(i) / kRpSplineTableSteps;
    Table(0)[i] = t * t * t / 6.0f;
    Table(1)[i] = (((3.0f - 3.0f * t) * t + 3.0f) * t + 1.0f) / 6.0f;
    Table(2)[i] = ((3.0f * t - 6.0f) * t * t + 4.0f) / 6.0f;
    Table(3)[i] = (((3.0f - t) * t - 3.0f) * t + 1.0f) / 6.0f;
    Table(4)[i] = t * t / 2.0f;
    Table(5)[i] = ((2.0f - 3.0f * t) * t + 1.0f) / 2.0f;
    Table(6)[i] = (3.0f * t - 4.0f) * t / 2.0f;
    Table(7)[i] = ((2.0f - t) * t - 1.0f) / 2.0f;
    Table(8)[i] = t;
    Table(9)[i] = 1.0f - 3.0f * t;
    Table(10)[i] = 3.0f * t - 2.0f;
    Table(11)[i] = 1.0f - t;
  }
}

// Fills the n x n inverse of the interpolation matrix (1 4 1) / 6 whose end
// rows are (4 2) / 6 and (2 4) / 6, from the closed form of a tridiagonal
// inverse: a holds the determinants of the leading blocks of (1 4 1), b the
// cofactors along the first row, signed.
void FillMatrix(RwReal* m, RwInt32 n) {
  RwInt32 a[kRpSplineMaxPoints] = {1, 4};
  for (RwInt32 k = 2; k <= n - 2; k++) {
    a[k] = 4 * a[k - 1] - a[k - 2];
  }
  const RwReal d = static_cast<RwReal>(a[n - 2]);
  RwInt32 b[kRpSplineMaxPoints] = {1, 2};
  for (RwInt32 k = 2; k <= n - 1; k++) {
    b[k] = 4 * b[k - 1] - b[k - 2];
  }
  for (RwInt32 k = n - 2; k >= 0; k -= 2) {
    b[k] = -b[k];
  }
  const RwInt32 s = (n % 2 != 0) ? 2 : -2;

  for (RwInt32 i = 0; i < n; i++) {
    m[i * n] = static_cast<RwReal>(b[n - 1 - i]) / d;
    for (RwInt32 j = 1; j <= i; j++) {
      m[i * n + j] = static_cast<RwReal>(b[j] * b[n - 1 - i] * s) / d;
    }
  }
  m[(n - 1) * n + (n - 1)] = m[0];
  // The matrix is centro-symmetric: the upper triangle mirrors the lower one.
  for (RwInt32 i = 0; i < n; i++) {
    for (RwInt32 j = n - 1; j > i; j--) {
      m[i * n + j] = m[(n - 1 - i) * n + (n - 1 - j)];
    }
  }
}

void FreeAll() {
  for (RwReal*& matrix : sMatrices) {
    RwFree(matrix);
    matrix = nullptr;
  }
  RwFree(sTables);
  sTables = nullptr;
}

RwBool BuildMatrices() {
  for (RwInt32 n = kRpSplineMinPoints; n <= kRpSplineMaxPoints; n++) {
    RwReal* matrix = static_cast<RwReal*>(RwMalloc(sizeof(RwReal) * n * n));
    if (matrix == nullptr) {
      RwErrorRaise(kRpSplinePluginId, kRwErrOutOfMemory);
      return FALSE;
    }
    FillMatrix(matrix, n);
    sMatrices[n - kRpSplineMinPoints] = matrix;
  }
  return TRUE;
}

void* SplineOpen(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  if (sOpenCount == 0) {
    sTables = static_cast<RwReal*>(RwMalloc(sizeof(RwReal) * kRpSplineTableCount * kRpSplineTableSamples));
    if (sTables == nullptr) {
      RwErrorRaise(kRpSplinePluginId, kRwErrOutOfMemory);
      return nullptr;
    }
    FillTables();
    // A start that fails leaves nothing behind, so the next start builds
    // everything afresh.
    if (!BuildMatrices()) {
      FreeAll();
      RwErrorRaise(kRpSplinePluginId, kRpSplineErrMatrices);
      return nullptr;
    }
  }
  sOpenCount++;
  return instance;
}

void* SplineClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  if (sOpenCount > 0 && --sOpenCount == 0) {
    FreeAll();
  }
  return instance;
}

}  // namespace

RwBool RpSplinePluginAttach(void) { return RwEngineRegisterPlugin(0, kRpSplinePluginId, SplineOpen, SplineClose) >= 0; }

const RwReal* _rpSplineTable(RwInt32 table) {
  if (sTables == nullptr || table < 0 || table >= kRpSplineTableCount) {
    return nullptr;
  }
  return Table(table);
}

const RwReal* _rpSplineMatrix(RwInt32 points) {
  if (points < kRpSplineMinPoints || points > kRpSplineMaxPoints) {
    return nullptr;
  }
  return sMatrices[points - kRpSplineMinPoints];
}
