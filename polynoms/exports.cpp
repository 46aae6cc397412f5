// The library's C entry points: 32-bit floats in and out, 0 on success, non-zero on failure.
#include "polynoms/characteristics.h"

#include <cmath>

#define POLYNOMS_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int Store(float* out, double v, int status)
{
    if (status != polynoms::Ok) return status;
    if (!out) return polynoms::NotFinite;
    const float f = float(v);
    if (!std::isfinite(f)) return polynoms::NotFinite;
    *out = f;
    return 0;
}

} // namespace

POLYNOMS_EXPORT int ElToGrad(float* t, int code, float el)
{
    double v = 0;
    return Store(t, v, polynoms::ElToTemp(code, double(el), &v));
}

POLYNOMS_EXPORT int GradToEl(float* el, int code, float t)
{
    double v = 0;
    return Store(el, v, polynoms::TempToEl(code, double(t), &v));
}

POLYNOMS_EXPORT int Get_DiapByClass(float* lo, float* hi, int code, int cls)
{
    double a = 0, b = 0;
    const int r = polynoms::ClassRange(code, cls, &a, &b);
    if (r != 0) return r;
    if (!lo || !hi) return polynoms::NotFinite;
    *lo = float(a);
    *hi = float(b);
    return 0;
}

POLYNOMS_EXPORT int Get_dT_Tolerance(float* tol, int code, float t, int cls)
{
    double v = 0;
    return Store(tol, v, polynoms::Tolerance(code, double(t), cls, &v));
}

POLYNOMS_EXPORT int Sens_dOhm2dGrad(float* s, int code, float t)
{
    double v = 0;
    return Store(s, v, polynoms::OhmPerDegree(code, double(t), &v));
}

POLYNOMS_EXPORT int Sens_dmV2dGrad(float* s, int code, float t)
{
    double v = 0;
    return Store(s, v, polynoms::MvPerDegree(code, double(t), &v));
}
