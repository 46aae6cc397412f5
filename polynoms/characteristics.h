// Nominal static characteristics of resistance thermometers (GOST 6651-2009 / IEC 60751) and
// thermocouples (IEC 60584-1 / NIST ITS-90; GOST R 8.585-2001 for L and A-1), their tolerance
// classes and sensitivities. Everything is computed in double; results are 0 on success and
// non-zero on failure, as the library's C entry points return them.
//
// Type codes: 0 Pt100, 1 100П, 2 50П, 3 50M (1,428), 4 50M (1,426), 5 100M (1,428),
// 6 100M (1,426), 7 J, 8 K, 9 B, 10 A-1, 11 S, 12 L, 13 T, 14 N.
// Resistance in Ohm, EMF in mV referred to a 0 °C reference junction, temperature in °C (ITS-90).
#pragma once

namespace polynoms {

inline constexpr int kTypeCount = 15;

/// Status codes.
enum Status : int {
    Ok = 0,
    BadCode = 1,     ///< code outside 0..14, or the wrong family for a sensitivity
    OutOfRange = 2,  ///< value outside the characteristic's (or class's) range
    NoClass = 3,     ///< the type has no such tolerance class
    NotFinite = 4,   ///< input is NaN or infinite
};

/// The characteristic's own temperature range (the standard's), °C.
int TemperatureRange(int code, double* lo, double* hi);
/// The range of temperatures the inverse accepts (B: not below 50 °C, where E(t) is not monotonic).
int InverseRange(int code, double* lo, double* hi);

/// Forward: temperature → Ohm or mV.
int TempToEl(int code, double t, double* el);
/// Inverse: Ohm or mV → temperature, solved on the forward function (Newton with a bracket), so that
/// TempToEl(ElToTemp(e)) == e to rounding. Values up to one table unit (0.01 Ohm, 0.001 mV) beyond
/// an end give that end's temperature.
int ElToTemp(int code, double el, double* t);
/// The standard's own inverse polynomial (thermocouples, and RTDs below 0 °C), for comparison in
/// benchmarks. Fails where the standard gives none.
int StandardInverse(int code, double el, double* t);

/// dR/dt in Ohm/°C (codes 0-6 only).
int OhmPerDegree(int code, double t, double* s);
/// dE/dt in mV/°C (codes 7-14 only).
int MvPerDegree(int code, double t, double* s);

/// Temperature range in which tolerance class `cls` holds. RTD classes 0 AA, 1 A, 2 B, 3 C;
/// thermocouple classes 1, 2, 3.
int ClassRange(int code, int cls, double* lo, double* hi);
/// Permitted deviation at `t` for class `cls`, °C, never negative; fails outside the class range.
int Tolerance(int code, double t, int cls, double* tol);

} // namespace polynoms
