#include "sensors/polynoms.h"

#include "sensors/numbers.h"

namespace sensors {

TPolynoms::TPolynoms(const QString& path)
{
    m_status = m_lib.Load(path.isEmpty() ? QString::fromLatin1(kFileName) : path);
    if (m_status != platform::SharedLibrary::Status::Loaded) return;
    m_elToGrad = reinterpret_cast<Conv>(m_lib.Resolve("ElToGrad"));
    m_gradToEl = reinterpret_cast<Conv>(m_lib.Resolve("GradToEl"));
    m_diap = reinterpret_cast<Diap>(m_lib.Resolve("Get_DiapByClass"));
    m_tol = reinterpret_cast<Tol>(m_lib.Resolve("Get_dT_Tolerance"));
    m_ohm = reinterpret_cast<Conv>(m_lib.Resolve("Sens_dOhm2dGrad"));
    m_mv = reinterpret_cast<Conv>(m_lib.Resolve("Sens_dmV2dGrad"));
    m_usable = m_elToGrad && m_gradToEl && m_diap && m_tol && m_ohm && m_mv;
    m_status = m_lib.LastStatus();
    if (!m_usable) m_lib.Unload();
}

float TPolynoms::Call(Conv f, int code, float x) const
{
    if (!m_usable || !IsFinite(x)) return MissingValue();
    float out = 0;
    return f(&out, code, x) == 0 ? out : MissingValue();
}

float TPolynoms::ElToGrad(int code, float el) const { return Call(m_elToGrad, code, el); }
float TPolynoms::GradToEl(int code, float t) const { return Call(m_gradToEl, code, t); }
float TPolynoms::OhmPerDegree(int code, float t) const { return Call(m_ohm, code, t); }
float TPolynoms::MvPerDegree(int code, float t) const { return Call(m_mv, code, t); }

int TPolynoms::DiapByClass(int code, int cls, float* lo, float* hi) const
{
    if (!m_usable || !lo || !hi) return -1;
    return m_diap(lo, hi, code, cls);
}

int TPolynoms::Tolerance(int code, float t, int cls, float* tol) const
{
    if (!m_usable || !tol) return -1;
    return m_tol(tol, code, t, cls);
}

} // namespace sensors
