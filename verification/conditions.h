// The verification conditions (air temperature, relative humidity, atmospheric pressure): reading
// them from an ambient-conditions meter through its vendor's library, and the limits of the normal
// conditions that the report parameters page checks the typed values against.
//
// The meter library is the vendor's and lies outside the program. It is looked for as
// "libEksisExchange.so" in the program's folder, loaded for one reading and unloaded after it. The
// program relies on one function only:
//
//   extern "C" unsigned char EKSIS_USB_Read(const char* serial, int32_t command, int32_t channel,
//                                           float* values, int32_t size);
//
// called with the meter's serial number (Windows-1251, NUL-terminated; read during the call only),
// command 82, channel 0, a buffer of three floats owned by the caller and its size in bytes (12).
// A nonzero result means the buffer holds, in this order, the air temperature (°C), the relative
// humidity (%) and the atmospheric pressure (mm Hg). Nothing the library allocates is freed here.
#pragma once

#include <QString>

#include <cstdint>

namespace platform {
class IniFile;
}

namespace verification {

inline constexpr char kMeterLibrary[] = "libEksisExchange.so";
inline constexpr char kMeterFunction[] = "EKSIS_USB_Read";
using EksisUsbRead = unsigned char (*)(const char* serial, std::int32_t command, std::int32_t channel,
                                       float* values, std::int32_t size);

/// The outcome of one meter reading.
struct ConditionsReading {
    enum class Status {
        Read,            ///< the function said yes: `texts` hold the three values
        LibraryMissing,  ///< no library file
        CannotLoad,      ///< the file is there but does not load (`loaderError` says why)
        FunctionMissing, ///< the library has no EKSIS_USB_Read
        ReadFailed,      ///< the function said no: `texts` are "-"
    };
    Status status = Status::LibraryMissing;
    QString texts[3]; ///< temperature, humidity, pressure ("-" where there is no value)
    QString loaderError;
};

/// Loads `libraryPath` (a file name is looked for in the program's folder), calls the function once
/// with `serial` and unloads the library.
ConditionsReading ReadConditionsMeter(const QString& libraryPath, const QString& serial);

/// A meter value as the protocol takes it: cut toward zero and printed as a decimal integer when it
/// is finite and the cut value is within the 32-bit integer range, else "-". -0.7 gives "0".
QString ConditionText(float value);

/// The normal verification conditions (settings section "Conditions").
struct ConditionLimits {
    float tempMin = 15, tempMax = 25;   ///< °C
    float humMin = 30, humMax = 80;     ///< %
    float presMin = 630, presMax = 800; ///< mm Hg
};

/// Reads section "Conditions" (keys TempMin, TempMax, HumMin, HumMax, PresMin, PresMax). A key that
/// is missing or not a finite number keeps its default; a pair whose minimum is above its maximum
/// falls back to the default pair.
ConditionLimits ReadConditionLimits(const platform::IniFile& settings);

/// Whether a condition field's text is outside [min, max]: false for a text without a number (there
/// is nothing to judge), true for a number below min or above max.
bool OutsideNormal(const QString& text, float min, float max);

} // namespace verification
