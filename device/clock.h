// The calibrator's clock and the PC's.
//
// The calibrator keeps six plain fields and no time zone. The PC's time is its local wall time
// (the zone of TZ, else the system's), read through an injectable source. Fields are never put
// through a time zone: setting the calibrator writes the PC's wall-time fields as they are, and
// comparing the two compares fields. After a daylight-saving change the calibrator is an hour off
// until it is set again, as it cannot know.
#pragma once

#include "link/interface.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

namespace device {

struct DeviceClock {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

    /// The fields form a real date and time of day.
    bool IsValid() const;
    bool operator==(const DeviceClock&) const = default;
};

/// The clock registers in the order they are read and written.
inline constexpr int kClockRegisters[6] = {devlink::ClockYear, devlink::ClockMonth,  devlink::ClockDay,
                                           devlink::ClockHour, devlink::ClockMinute, devlink::ClockSecond};

/// Reads the six fields in order, stopping at the first failure (the fields read so far are set).
/// Returns 0, or ReadRegisterInt's -1 (the read failed) or -2 (not an integer).
int ReadClock(devlink::TInterface& link, DeviceClock* clock);
/// Writes the six fields in order, stopping at the first failure. Returns 0 or the exchange result.
int WriteClock(devlink::TInterface& link, const DeviceClock& clock);

/// The PC's wall time now, with its zone abbreviation and offset from UTC.
struct PcTime {
    DeviceClock clock;
    QString zone;    ///< "MSK"
    int offsetS = 0; ///< +10800
};
using PcClock = std::function<PcTime()>;
/// The local wall time of this process (TZ, else the system zone).
PcTime SystemPcTime();

/// What setting the calibrator from the PC sends: the PC's fields, one second later when the
/// seconds are below 59 (the seconds field only, no carry: hh:mm:59 stays 59).
DeviceClock SyncFields(const DeviceClock& pc);

/// Valid fields: the locale's short date, a blank, "HH:mm:ss". Other fields as they were read,
/// "2026-02-31 25:00:00".
QString ClockText(const DeviceClock& clock, const QLocale& locale = QLocale());
/// "2026-02-15 12:30:45" whatever the fields (the command line's form).
QString RawClockText(const DeviceClock& clock);
/// "MSK, UTC+03:00".
QString ZoneText(const PcTime& pc);

/// Seconds from the PC's fields to the calibrator's (positive: the calibrator is ahead); none when
/// either is not a valid date and time.
std::optional<long long> ClockDifference(const DeviceClock& calibrator, const DeviceClock& pc);
/// "(Δ −2 с)", "(Δ +3 с)", "(Δ 0 с)".
QString DifferenceText(long long seconds);

} // namespace device
