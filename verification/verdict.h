// The verdict of a verified point: one rule for the procedure's table, the results list and the
// protocol. A point conforms when its error is within the limit; the limit is the tolerance scaled
// by the error coefficient of a pressure sensor. Arithmetic in 32-bit floats, as the values were
// measured and stored (0.1 × 3 against an error of 0.3 conforms).
#pragma once

#include <cstdint>

namespace verification {

/// How the measurement uncertainty enters the verdict (ISO/IEC 17025, 7.8.6).
enum class DecisionRule : std::int32_t {
    SimpleAcceptance = 0, ///< conforms when |error| ≤ limit
    GuardBand = 1,        ///< guard band w = U: conforms when |error| + U ≤ limit
};

/// The limit an error is judged against: tolerance × c, where c is `errorCoefficient` for a
/// pressure sensor (kind 0) when it is above 0, else 1 (temperature sensors and secondary
/// instruments have none; an unfilled coefficient counts as 1).
float ConformityLimit(int kind, float tolerance, float errorCoefficient);

/// Whether a point with `error` conforms to `limit` under `rule` (`uncertainty` is the expanded
/// uncertainty U in the error's unit). A non-finite error or limit never conforms, nor does an
/// unknown U under the guard band.
bool Conforms(float error, float limit, float uncertainty = 0,
              DecisionRule rule = DecisionRule::SimpleAcceptance);

/// Test uncertainty ratio: tolerance / U in one unit; NaN when U is unknown or not above 0.
float TestUncertaintyRatio(float tolerance, float uncertainty);
/// Below this ratio the reference is not good enough for the point (shown in red).
inline constexpr float kMinTestUncertaintyRatio = 4;

/// The expanded uncertainty of a point in the unit of its error and tolerance: a temperature
/// sensor's (kind 1) U is in °C like its error; the U of a pressure sensor or secondary instrument
/// is in the physical unit of the readings while the error is in % of the range, so it becomes
/// U / |rangeHigh - rangeLow| × 100. NaN when that cannot be done (no range, U unknown).
float UncertaintyInErrorUnit(int kind, float uncertainty, float rangeLow, float rangeHigh);

} // namespace verification
