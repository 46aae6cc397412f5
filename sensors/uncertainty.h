// Uncertainty budgets of a verification point, in 32-bit floats with every partial sum rounded to
// a float.
#pragma once

#include "measure/statistics.h"

namespace sensors {

/// √3, computed once and stored as a 32-bit float; every division by √3 uses it.
float Sqrt3();

/// One temperature calibrator (a furnace, bath or dry block) of the calibrator list: the
/// coefficients (a, b) of a + b·t for each characteristic.
struct TCalibratorRecord {
    char name[60] = {}; ///< Windows-1251, NUL-terminated
    float rangeMin = 0, rangeMax = 0;
    float errorLimitA = 0, errorLimitB = 0;
    float instabilityA = 0, instabilityB = 0;
    float verticalGradientA = 0, verticalGradientB = 0;
    float horizontalGradientA = 0, horizontalGradientB = 0;
    float lastDigit = 0;
};

/// √(a² + b² + c² + d² + e² + f²); 0 when the sum is NaN.
float RootSumSquare(float a, float b = 0, float c = 0, float d = 0, float e = 0, float f = 0);

/// Expanded uncertainty (k = 2) of a temperature point: `meas` and `ref` are the statistics windows
/// of the measured and the reference values, `calibrator` the temperature calibrator or nullptr,
/// `refError` the reference thermometer's error in °C (missing counts as 0).
float UncertaintyTemperature(const measure::TStatistics& meas, const measure::TStatistics& ref,
                             const TCalibratorRecord* calibrator, float refError);

/// Uncertainty of a pressure point, in the physical unit of the readings (the sensor's unit, not %):
/// `span` the width of the sensor's range, `standardClass` the pressure reference's class index
/// (0 "А0", 1 "А", 2 "B", 3 "C").
float UncertaintyPressure(const measure::TStatistics& ref, const measure::TStatistics& meas, float span,
                          int standardClass);

/// Uncertainty of a secondary-instrument point, in the physical unit of the readings (not %):
/// `ownError` the calibrator's own error for the emulated signal, `currentError` the error of the
/// current reading in physical units.
float UncertaintySecondary(const measure::TStatistics& meas, float ownError, float currentError);

} // namespace sensors
