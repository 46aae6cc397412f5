#include "verification/point.h"

#include "link/registers.h"

#include <cmath>
#include <limits>

namespace verification {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

/// The width of a range, or NaN when it has none.
float Span(float low, float high)
{
    const float span = high - low;
    return std::isfinite(span) && span != 0 ? span : kNaN;
}

} // namespace

float PointError(int kind, float measured, float reference, float rangeLow, float rangeHigh)
{
    if (!std::isfinite(measured) || !std::isfinite(reference)) return kNaN;
    if (kind == KindTemperature) return measured - reference;
    const float span = Span(rangeLow, rangeHigh);
    if (std::isnan(span)) return kNaN;
    return (measured - reference) / span * 100.0f;
}

PointVerdict JudgePoint(int kind, float error, float tolerance, float uncertainty, float rangeLow,
                        float rangeHigh, float errorCoefficient, DecisionRule rule)
{
    PointVerdict v;
    const float u = UncertaintyInErrorUnit(kind, uncertainty, rangeLow, rangeHigh);
    v.limit = ConformityLimit(kind, tolerance, errorCoefficient);
    v.ratio = TestUncertaintyRatio(tolerance, u);
    v.pass = Conforms(error, v.limit, u, rule);
    return v;
}

float RefUnitRatio(int unitIndex, float sensorUnitFactor)
{
    if (unitIndex < 0 || unitIndex > 9 || !std::isfinite(sensorUnitFactor) || sensorUnitFactor == 0)
        return 1.0f;
    return devlink::kExtDeviceUnits[unitIndex].factorToKPa / sensorUnitFactor;
}

} // namespace verification
