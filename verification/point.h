// The arithmetic of one verified point, by verification kind: its error, the unit of its
// uncertainty against the error, and the factor that brings a pressure reference's reading into the
// unit of the sensor under test. The verdict itself is verdict.h's one rule.
#pragma once

#include "verification/verdict.h"

namespace verification {

/// The verification kinds of the procedure (the items of cb_TypePov).
enum Kind : int {
    KindPressure = 0,    ///< a pressure sensor against a pressure reference
    KindTemperature = 1, ///< a temperature sensor against the reference thermometer
    KindSecondary = 2,   ///< a secondary instrument against the signal the calibrator emulates
};

/// Error of a point: kind 1 in °C (measured − reference); the other kinds in % of the range
/// (measured − reference) / (rangeHigh − rangeLow) × 100. NaN when a value is missing or, for
/// kinds 0 and 2, the range has no width.
float PointError(int kind, float measured, float reference, float rangeLow, float rangeHigh);

/// The verdict of a point, the limit and the test uncertainty ratio it was judged with.
struct PointVerdict {
    float limit = 0; ///< tolerance × the error coefficient of a pressure sensor
    float ratio = 0; ///< tolerance / U in the error's unit; NaN when U is unknown
    bool pass = false;
};

/// Judges a point: `error` and `tolerance` in the error's unit, `uncertainty` as the budget gives
/// it (see verdict.h's UncertaintyInErrorUnit).
PointVerdict JudgePoint(int kind, float error, float tolerance, float uncertainty, float rangeLow,
                        float rangeHigh, float errorCoefficient, DecisionRule rule);

/// The factor applied to a pressure reference's reading: factor(u) / sensorUnitFactor, with the
/// factors of the reference's unit table, when `unitIndex` is 0..9 and the sensor's factor is a
/// number other than 0; 1 otherwise (an unknown unit, -333 still pending).
float RefUnitRatio(int unitIndex, float sensorUnitFactor);

} // namespace verification
