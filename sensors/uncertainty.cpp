#include "sensors/uncertainty.h"

#include <cmath>
#include <initializer_list>

namespace sensors {
namespace {

float Sq(float x) { return float(double(x) * double(x)); }
float Add(float a, float b) { return float(double(a) + double(b)); }
float Mul(float a, float b) { return float(double(a) * double(b)); }
float Div(float a, float b) { return float(double(a) / double(b)); }
float Lin(float a, float b, float t) { return Add(a, Mul(b, t)); }
float Root(float s) { return float(std::sqrt(double(s))); }

const float kOneThird = float(1.0 / 3.0);

} // namespace

float Sqrt3()
{
    static const float value = float(std::sqrt(3.0));
    return value;
}

float RootSumSquare(float a, float b, float c, float d, float e, float f)
{
    float s = Sq(a);
    for (float x : {b, c, d, e, f}) s = Add(s, Sq(x));
    if (std::isnan(s)) return 0;
    return Root(s);
}

float UncertaintyTemperature(const measure::TStatistics& meas, const measure::TStatistics& ref,
                             const TCalibratorRecord* cal, float refError)
{
    const float t = meas.last;
    if (std::isnan(refError)) refError = 0;
    float u1 = Sq(meas.sampleDeviation);
    if (cal) {
        u1 = Add(u1, Sq(Div(Lin(cal->instabilityA, cal->instabilityB, t), Sqrt3())));
        u1 = Add(u1, Sq(Lin(cal->errorLimitA, cal->errorLimitB, t)));
        u1 = Add(u1, Sq(cal->lastDigit));
    }
    u1 = Add(u1, Sq(refError));
    float u2 = Sq(ref.sampleDeviation);
    u2 = Add(u2, Sq(0.03f));
    if (cal) {
        u2 = Add(u2, Sq(Div(Lin(cal->verticalGradientA, cal->verticalGradientB, t), Sqrt3())));
        u2 = Add(u2, Sq(Div(Lin(cal->horizontalGradientA, cal->horizontalGradientB, t), Sqrt3())));
    }
    const float r1 = Root(u1), r2 = Root(u2);
    return Mul(2.0f, Root(Add(Sq(r1), Sq(r2))));
}

float UncertaintyPressure(const measure::TStatistics& ref, const measure::TStatistics& meas, float span,
                          int standardClass)
{
    const float k = standardClass == 0 ? 0.0001f : standardClass == 1 ? 0.00025f : 0.0005f;
    const float um = RootSumSquare(meas.populationDeviation,
                                   Div(float(double(meas.maximum) - double(meas.minimum)), Mul(2.0f, Sqrt3())),
                                   Mul(Mul(k, meas.maximum), kOneThird), Div(meas.sampleDeviation, Sqrt3()));
    const float numerator = Mul(Add(Mul(0.0001f, 25.0f), 1.0f), 0.001f);
    const float twentyOne = 25.0f - 4.0f;
    const float denominator = Div(Mul(3.0f, twentyOne), span);
    const float ur = RootSumSquare(ref.populationDeviation, Div(numerator, denominator), Div(ref.sampleDeviation, Sqrt3()));
    return RootSumSquare(um, ur);
}

float UncertaintySecondary(const measure::TStatistics& meas, float ownError, float currentError)
{
    return RootSumSquare(Mul(currentError, kOneThird), RootSumSquare(meas.populationDeviation, Mul(ownError, kOneThird)));
}

} // namespace sensors
