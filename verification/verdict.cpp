#include "verification/verdict.h"

#include <cmath>
#include <limits>

namespace verification {

float ConformityLimit(int kind, float tolerance, float errorCoefficient)
{
    const float c =
        kind == 0 && std::isfinite(errorCoefficient) && errorCoefficient > 0 ? errorCoefficient : 1.0f;
    return tolerance * c;
}

bool Conforms(float error, float limit, float uncertainty, DecisionRule rule)
{
    if (!std::isfinite(error) || !std::isfinite(limit)) return false;
    const float e = std::fabs(error);
    if (rule == DecisionRule::GuardBand) {
        if (!std::isfinite(uncertainty) || uncertainty < 0) return false;
        return e + uncertainty <= limit;
    }
    return e <= limit;
}

float TestUncertaintyRatio(float tolerance, float uncertainty)
{
    if (!std::isfinite(uncertainty) || !(uncertainty > 0) || !std::isfinite(tolerance))
        return std::numeric_limits<float>::quiet_NaN();
    return std::fabs(tolerance) / uncertainty;
}

float UncertaintyInErrorUnit(int kind, float uncertainty, float rangeLow, float rangeHigh)
{
    if (kind == 1) return uncertainty;
    const float span = std::fabs(rangeHigh - rangeLow);
    if (!std::isfinite(uncertainty) || !std::isfinite(span) || !(span > 0))
        return std::numeric_limits<float>::quiet_NaN();
    return uncertainty * 100.0f / span;
}

} // namespace verification
