#include "sensors/sensorsetup.h"

#include "link/registers.h"
#include "sensors/numbers.h"

#include <cmath>

namespace sensors {
namespace {

constexpr SensorType kRtdTypes[] = {
    {"Pt100", 0, -200, 600, "Ом"},       {"100П", 1, -200, 600, "Ом"},
    {"50П", 2, -200, 600, "Ом"},         {"50M (1,428)", 3, -180, 200, "Ом"},
    {"50M (1,426)", 4, -50, 200, "Ом"},  {"100M (1,428)", 5, -180, 200, "Ом"},
    {"100M (1,426)", 6, -50, 200, "Ом"},
};
constexpr SensorType kTcTypes[] = {
    {"ТЖК(J)", 7, -200, 1100, "мВ"}, {"ТХА(K)", 8, -210, 1300, "мВ"},  {"ТПР(B)", 9, 300, 1800, "мВ"},
    {"ТВР(A1)", 10, 0, 2500, "мВ"},  {"ТПП(S)", 11, 0, 1700, "мВ"},    {"ТХК(L)", 12, -200, 600, "мВ"},
    {"ТМК(T)", 13, -50, 400, "мВ"},  {"ТНН(N)", 14, -110, 1300, "мВ"},
};
constexpr SensorType kStdTypes[] = {
    {"Напряжение ( мВ )", 15, -10, 101, "мВ"},
    {"Ток ( мА )", 16, 0, 25, "мА"},
    {"Сопротивление ( Ом )", 17, 0, 320, "Ом"},
    {"Напряжение ( В )", 18, 0, 120, "В"},
    {nullptr, 19, 0, 0, ""},
    {"Сопротивление УСО", 20, 0, 320, "Ом"},
};

} // namespace

SensorSetup::SensorSetup() : lastReading(MissingValue()), lastSetpoint(MissingValue()), hartPv(MissingValue())
{
}

const SensorType* TypeRow(SensorKind kind, int index)
{
    switch (kind) {
    case SensorKind::Rtd:
        return index >= 0 && index < 7 ? &kRtdTypes[index] : nullptr;
    case SensorKind::Thermocouple:
        return index >= 0 && index < 8 ? &kTcTypes[index] : nullptr;
    case SensorKind::Unified:
        return index >= 0 && index < 6 && kStdTypes[index].item ? &kStdTypes[index] : nullptr;
    case SensorKind::Hart:
        return nullptr;
    }
    return nullptr;
}

int TypeCount(SensorKind kind)
{
    switch (kind) {
    case SensorKind::Rtd:
        return 7;
    case SensorKind::Thermocouple:
        return 8;
    case SensorKind::Unified:
        return 4;
    case SensorKind::Hart:
        return 0;
    }
    return 0;
}

const char* UnitText(int index)
{
    return index >= 0 && index < kUnitCount ? devlink::kExtDeviceUnits[index].text : "";
}

float UnitFactorAt(int index)
{
    return index >= 0 && index < kUnitCount ? devlink::kExtDeviceUnits[index].factorToKPa : 1.0f;
}

float UnitFactor(const QString& text)
{
    if (text.isEmpty()) return MissingValue();
    for (int i = 0; i < kUnitCount; ++i)
        if (text == QString::fromUtf8(UnitText(i))) return UnitFactorAt(i);
    return 1.0f;
}

float HartUnitFactor(int unitCode)
{
    // Codes of HART Common Table 2; factors to kPa from the unit definitions (1 mmHg and 1 torr
    // 0.133322 kPa, 1 psi 6.89476 kPa, 1 standard atmosphere 101.325 kPa, 1 kgf 9.80665 N).
    switch (unitCode) {
    case 2:
        return 3.38638f; // inches of mercury at 0 °C
    case 5:
        return 0.133322f; // millimetres of mercury at 0 °C
    case 6:
        return 6.89476f; // pounds per square inch
    case 7:
        return 100.0f; // bar
    case 8:
        return 0.1f; // millibar
    case 9:
        return 0.0980665f; // grams per square centimetre
    case 10:
        return 98.0665f; // kilograms (force) per square centimetre
    case 11:
        return 0.001f; // pascal
    case 12:
        return 1.0f; // kilopascal
    case 13:
        return 0.133322f; // torr
    case 14:
        return 101.325f; // atmosphere
    case 174:
        return 0.1f; // hectopascal
    case 175:
        return 6.89476f; // pounds per square inch absolute
    case 176:
        return 0.00980665f; // kilograms (force) per square metre
    case 237:
        return 1000.0f; // megapascal
    default:
        return 1.0f; // °C and the units that are not pressures
    }
}

float ScaleLinear(float x, float fromMin, float fromMax, float toMin, float toMax)
{
    if (!IsFinite(x)) return MissingValue();
    if (fromMax == fromMin) return 0;
    const float ratio = float((double(x) - double(fromMin)) / (double(fromMax) - double(fromMin)));
    return float(double(toMin) + (double(toMax) - double(toMin)) * double(ratio));
}

float OwnError(const SensorSetup& s)
{
    static constexpr float kRtd[7] = {0.05f, 0.05f, 0.15f, 0.15f, 0.15f, 0.08f, 0.08f};
    static constexpr float kTc[8] = {0.5f, 0.5f, 2.5f, 2.0f, 1.0f, 0.5f, 0.35f, 0.25f};
    const double r = s.lastReading;
    const double span = std::fabs(double(s.rangeMax) - double(s.rangeMin));
    switch (s.kind) {
    case SensorKind::Rtd:
        return s.index >= 0 && s.index < 7 ? kRtd[s.index] : MissingValue();
    case SensorKind::Thermocouple:
        return s.index >= 0 && s.index < 8 ? kTc[s.index] : MissingValue();
    case SensorKind::Hart:
        return 0;
    case SensorKind::Unified:
        switch (s.index) {
        case 0:
            return float(span * ((r * 0.00014 * 1000 + 6) * 0.001) / 110);
        case 1:
            return float(span * ((r * 0.0002 * 1000 + 2) * 0.001) / 25);
        case 2:
        case 5:
            return float(span * 0.04 / 320);
        case 3:
            return float(span * 0.006 / 12);
        default:
            return MissingValue();
        }
    }
    return MissingValue();
}

} // namespace sensors
