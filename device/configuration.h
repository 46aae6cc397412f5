// The calibrator's user settings: which registers the configuration reads and writes, in which
// order, and how the screen shows them. The page (through the register bindings) and lorikctl both
// follow these lists.
#pragma once

#include "link/registers.h"

namespace device {

/// A configuration register by the name the command line uses.
struct ConfigRegister {
    const char* name;
    int reg;
};

/// Read order of the configuration (the page stops silently at the first failure).
inline constexpr ConfigRegister kConfigReadOrder[] = {
    {"AveragingCount", devlink::AveragingCount},
    {"DecimalPlaces", devlink::DecimalPlaces},
    {"BuzzerOn", devlink::BuzzerOn},
    {"AutoOffTime", devlink::AutoOffTime},
    {"Brightness", devlink::Brightness},
    {"CursorShown", devlink::CursorShown},
    {"SerialNumber", devlink::SerialNumber},
    {"BacklightOffTime", devlink::BacklightOffTime},
    {"BatteryVoltage", devlink::BatteryVoltage},
};

/// Write order of the configuration; SaveConfig := kSaveConfigKey follows when all succeeded.
inline constexpr ConfigRegister kConfigWriteOrder[] = {
    {"AveragingCount", devlink::AveragingCount},     {"DecimalPlaces", devlink::DecimalPlaces},
    {"CursorShown", devlink::CursorShown},           {"BuzzerOn", devlink::BuzzerOn},
    {"BacklightOffTime", devlink::BacklightOffTime}, {"Brightness", devlink::Brightness},
    {"AutoOffTime", devlink::AutoOffTime},
};

/// The write-order entry of a name (case-sensitive), or nullptr.
const ConfigRegister* WritableConfigRegister(const char* name);

/// Brightness: the register holds 101 - the slider position (1..100).
int BrightnessRegister(int position);
/// The slider position for a register value: 92 (what the instrument stores for full brightness)
/// gives position 1, any other value v gives 101 - v.
int BrightnessPosition(int reg);

/// Backlight dimming items "5 сек.", "30 сек.", "1 мин.", "5 мин.", "никогда" in seconds.
inline constexpr int kBacklightSeconds[5] = {5, 30, 60, 300, 0};
/// The item for a register value; -1 (keep the selection) for a value no item has.
int BacklightItem(int seconds);

/// Automatic power-off items "5 мин.", "30 мин.", "1 час", "никогда" in minutes.
inline constexpr int kAutoOffMinutes[4] = {5, 30, 60, 0};
/// The item for a register value: 5, 30 and 60 their items, anything else "никогда".
int AutoOffItem(int minutes);

} // namespace device
