// The description of one signal source (a resistance thermometer, a thermocouple, a unified signal
// or a HART transmitter) as the measuring, emulating, verifying and calculating pages read it, and
// the tables and conversions that need no widgets.
#pragma once

#include <QString>

namespace sensors {

enum class SensorKind { Rtd = 0, Thermocouple = 1, Unified = 2, Hart = 3 };
enum class Role { Measuring, Source };

/// One row of the sensor type table.
struct SensorType {
    const char* item; ///< list text (UTF-8)
    int code;         ///< characteristic library code / EmulSignalKind
    float min, max;   ///< °C for thermometers and thermocouples, the electrical unit for unified signals
    const char* elUnit;
};

/// The type row of a kind and index (unified index 5 is "Сопротивление УСО"); nullptr when none.
const SensorType* TypeRow(SensorKind kind, int index);
/// Number of list items of a kind's type list (unified: 4, plus "Сопротивление УСО" in the source role).
int TypeCount(SensorKind kind);

/// The ten physical units and their factors to the common base (kPa for pressures, 1 for °C).
inline constexpr int kUnitCount = 10;
const char* UnitText(int index);
float UnitFactorAt(int index);
/// Factor of the first unit equal to `text`; 1 when none is equal; NaN when there is no text.
float UnitFactor(const QString& text);
/// Factor of a HART engineering unit code (HART Common Table 2) to the same base: kPa for the
/// pressure units (bar 100, mbar 0.1, mmHg 0.133322, psi 6.89476, atm 101.325, Pa, kPa, MPa,
/// kgf/cm², kgf/m², torr, hPa, g/cm², inHg), 1 for °C and every other code.
float HartUnitFactor(int unitCode);

/// The "°С" of thermometers and thermocouples (the С is Cyrillic).
inline constexpr char16_t kDegreesC[] = u"°С";

struct SensorSetup {
    SensorKind kind = SensorKind::Rtd;
    bool isRtd = true, isThermocouple = false, isUnified = false, isHart = false;
    int index = 0;
    int code = 0;
    bool scaling = false;
    float elMin = 0, elMax = 0, physMin = 0, physMax = 0;
    QString physUnit, elUnit;
    float unitFactor = 1;
    float rangeMin = 0, rangeMax = 0;
    /// The HART device last read (range, unit and its factor); the HART kind shows these, whatever
    /// the other kinds did in between. 0 .. 0, " " and 1 until a device is read.
    float hartRangeMin = 0, hartRangeMax = 0;
    QString hartUnit;
    float hartUnitFactor = 1;
    int toleranceClass = 2;
    bool autoColdJunction = false;
    float coldJunctionTemp = 0;
    float compensatorReading = 100;
    float lastReading;
    float lastSetpoint;
    float hartPv;
    Role role = Role::Measuring;
    bool showClass = false;
    SensorSetup();
};

/// Linear scaling: to + (toMax - toMin) · ratio, the ratio rounded to a float first; 0 when the
/// source ends are equal.
float ScaleLinear(float x, float fromMin, float fromMax, float toMin, float toMax);

/// The calibrator's own error for the signal of `s`, in physical units. "Сопротивление УСО" is
/// rated as the Ohm channel (0.04 Ohm over its 320 Ohm span).
float OwnError(const SensorSetup& s);

} // namespace sensors
