#include "verification/conditions.h"

#include "platform/cp1251.h"
#include "platform/ini.h"
#include "platform/library.h"
#include "sensors/numbers.h"

#include <cmath>
#include <limits>
#include <string>

namespace verification {

ConditionsReading ReadConditionsMeter(const QString& libraryPath, const QString& serial)
{
    ConditionsReading out;
    platform::SharedLibrary lib; // unloaded when the reading ends
    switch (lib.Load(libraryPath)) {
    case platform::SharedLibrary::Status::Loaded:
        break;
    case platform::SharedLibrary::Status::FileMissing:
        out.status = ConditionsReading::Status::LibraryMissing;
        out.loaderError = lib.Error();
        return out;
    default:
        out.status = ConditionsReading::Status::CannotLoad;
        out.loaderError = lib.Error();
        return out;
    }
    auto read = reinterpret_cast<EksisUsbRead>(lib.Resolve(kMeterFunction));
    if (!read) {
        out.status = ConditionsReading::Status::FunctionMissing;
        return out;
    }
    for (QString& t : out.texts)
        t = QStringLiteral("-");
    const std::string sn = platform::ToCp1251String(serial);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    float values[3] = {nan, nan, nan};
    if (read(sn.c_str(), 82, 0, values, std::int32_t(sizeof values)) == 0) {
        out.status = ConditionsReading::Status::ReadFailed;
        return out;
    }
    out.status = ConditionsReading::Status::Read;
    for (int i = 0; i < 3; ++i)
        out.texts[i] = ConditionText(values[i]);
    return out;
}

QString ConditionText(float value)
{
    if (!std::isfinite(value)) return QStringLiteral("-");
    const double cut = std::trunc(double(value));
    if (cut < double(std::numeric_limits<std::int32_t>::min()) ||
        cut > double(std::numeric_limits<std::int32_t>::max()))
        return QStringLiteral("-");
    return QString::number(std::int32_t(cut));
}

ConditionLimits ReadConditionLimits(const platform::IniFile& settings)
{
    const QString section = QStringLiteral("Conditions");
    ConditionLimits out;
    const ConditionLimits defaults;
    auto value = [&](const char* key, float fallback) {
        float v = 0;
        const QString k = QString::fromLatin1(key);
        if (!settings.HasKey(section, k) || sensors::ReadNumber(settings.Value(section, k), &v) != 0 ||
            !std::isfinite(v))
            return fallback;
        return v;
    };
    auto pair = [&](const char* lo, const char* hi, float& min, float& max, float dmin, float dmax) {
        min = value(lo, dmin);
        max = value(hi, dmax);
        if (min > max) {
            min = dmin;
            max = dmax;
        }
    };
    pair("TempMin", "TempMax", out.tempMin, out.tempMax, defaults.tempMin, defaults.tempMax);
    pair("HumMin", "HumMax", out.humMin, out.humMax, defaults.humMin, defaults.humMax);
    pair("PresMin", "PresMax", out.presMin, out.presMax, defaults.presMin, defaults.presMax);
    return out;
}

bool OutsideNormal(const QString& text, float min, float max)
{
    float v = 0;
    if (sensors::ReadNumber(text, &v) != 0 || !std::isfinite(v)) return false;
    return v < min || v > max;
}

} // namespace verification
