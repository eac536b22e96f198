// The spline plugin's tables, for the engine's spline code and tests. They are
// module globals shared by every started engine and exist while at least one
// engine holds the plugin open.
#pragma once

#include "engine/src/plcore/base_types.h"

// Samples a table: t = i / 256 for i = 0..256.
constexpr RwInt32 kRpSplineTableSamples = 257;
constexpr RwInt32 kRpSplineTableSteps = kRpSplineTableSamples - 1;

// Tables 0-3 hold the four basis functions, 4-7 their first and 8-11 their
// second derivatives; the four of each group sum to 1, 0 and 0 at every t.
constexpr RwInt32 kRpSplineBasisTables = 0;
constexpr RwInt32 kRpSplineFirstDerivativeTables = 4;
constexpr RwInt32 kRpSplineSecondDerivativeTables = 8;
constexpr RwInt32 kRpSplineTableCount = 12;

// Matrices exist for splines of this many points.
constexpr RwInt32 kRpSplineMinPoints = 4;
constexpr RwInt32 kRpSplineMaxPoints = 10;

// Error code of a start whose matrices could not all be built.
constexpr RwInt32 kRpSplineErrMatrices = 3;

// The table's kRpSplineTableSamples values; null for another table or while
// the plugin is not open.
const RwReal* _rpSplineTable(RwInt32 table);
// The points x points matrix, row-major, that maps the points a spline must
// pass through to its control points; null for another size or while the
// plugin is not open.
const RwReal* _rpSplineMatrix(RwInt32 points);
