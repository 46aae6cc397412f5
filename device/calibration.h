// Calibration of the calibrator's own channels: the channel tables, the factor arithmetic, the
// measuring cycle of the measurement sub-page, and the backup of every calibration register.
#pragma once

#include "link/interface.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>
#include <vector>

namespace device {

/// An emulation (output) channel: tab caption, channel code for CalibEmulMin/Max, its three
/// calibration registers and the signal kind of its test emulation.
struct EmulChannel {
    const char* caption;
    int code;
    int low, high, shift;
    int emulKind;
};

inline constexpr EmulChannel kEmulChannels[5] = {
    {"Напряжение (мВ)", devlink::kCalibChannelCode[0], devlink::kCalibEmulLow[0], devlink::kCalibEmulHigh[0],
     devlink::kCalibEmulShift[0], devlink::EmulVoltageMv},
    {"Ток (мА)", devlink::kCalibChannelCode[1], devlink::kCalibEmulLow[1], devlink::kCalibEmulHigh[1],
     devlink::kCalibEmulShift[1], devlink::EmulCurrentMa},
    {"Сопротивление (Ом)", devlink::kCalibChannelCode[2], devlink::kCalibEmulLow[2],
     devlink::kCalibEmulHigh[2], devlink::kCalibEmulShift[2], devlink::EmulResistanceOhm},
    {"Напряжение (В)", devlink::kCalibChannelCode[3], devlink::kCalibEmulLow[3], devlink::kCalibEmulHigh[3],
     devlink::kCalibEmulShift[3], devlink::EmulVoltageV},
    {"Сопротивление (УСО)", devlink::kCalibChannelCode[4], devlink::kCalibEmulLow[4],
     devlink::kCalibEmulHigh[4], devlink::kCalibEmulShift[4], devlink::EmulCalibUso},
};

/// A measuring (input) channel: tab caption, measurement mode, factor register (-1: none), shift
/// register and the register read while measuring.
struct MeasChannel {
    const char* caption;
    int measMode;
    int factor, shift;
    int valueReg;
};

inline constexpr int kCompensatorTab = 4;
inline constexpr MeasChannel kMeasChannels[5] = {
    {"Напряжение (мВ)", devlink::MeasVoltageMv, devlink::kCalibMeasFactor[0], devlink::kCalibMeasShift[0],
     devlink::MeasuredValue},
    {"Ток (мА)", devlink::MeasCurrentMa, devlink::kCalibMeasFactor[1], devlink::kCalibMeasShift[1],
     devlink::MeasuredValue},
    {"Сопротивление (Ом)", devlink::MeasResistanceOhm, devlink::kCalibMeasFactor[2],
     devlink::kCalibMeasShift[2], devlink::MeasuredValue},
    {"Напряжение (В)", devlink::MeasVoltageV, devlink::kCalibMeasFactor[3], devlink::kCalibMeasShift[3],
     devlink::MeasuredValue},
    {"компенсатор", devlink::MeasMvCompensated, -1, devlink::kCalibMeasShift[4], devlink::CompensatorValue},
};

/// The new factor S × K / M from the sample S, the current factor K and the measured value M, in
/// double; none when a text holds no number (empty, "<<<.<<<") or M is 0.
std::optional<double> CalibFactor(QStringView sample, QStringView factor, QStringView measured);
/// The factor as the page shows it: 15 significant digits.
QString CalibFactorText(double factor);
/// The shift that zeroes a reading v: CompactText(-v) ("-0.37" for 0.37).
QString ProposedShift(double reading);
/// A proposed compensator shift above this (in the reading's unit) is asked about before it is
/// written: the compensator reads a resistance near 108 Ohm, so a shift that large would move every
/// thermocouple reading.
inline constexpr double kPlausibleCompensatorShift = 5.0;

/// The measuring cycle of the measurement sub-page: started on a channel, ticked by the page's
/// timer, stopped by the user, a change of tab or sub-page, or a link loss.
class CalibrationMeasurement {
public:
    explicit CalibrationMeasurement(devlink::TInterface* link = nullptr) : m_link(link) {}
    void SetLink(devlink::TInterface* link) { m_link = link; }

    /// AveragingCount := averages, then MeasMode := the channel's mode. Returns 0 (measuring from
    /// then on) or the failing result (not measuring).
    int Start(int channel, int averages);
    /// Ends measuring; MeasMode := -1 when `tellDevice`. Returns the result of that write (0 when none).
    int Stop(bool tellDevice);
    bool Measuring() const { return m_measuring; }
    int Channel() const { return m_channel; }

    struct Reading {
        int result = 0;   ///< the exchange result (-4 device error: the value is missing)
        QString text;     ///< the reply text on 0
        double value = 0; ///< the reply as a number on 0 (NaN when it is not one)
    };
    /// One tick: reads the channel's value register. Nothing is sent when not measuring (result -1).
    Reading Tick();

private:
    devlink::TInterface* m_link;
    bool m_measuring = false;
    int m_channel = 0;
};

/// Every calibration register, in the order the backup holds them and writes them back: the
/// measurement factors and shifts, then per emulation channel its low, high and shift values.
std::vector<int> CalibrationRegisters();

/// A backup of the calibration of one calibrator.
struct CalibrationBackup {
    QString serial;
    QDateTime taken;
    std::vector<std::pair<int, QString>> values; ///< register, value as the calibrator gave it
};

/// Reads every calibration register. Returns 0 or the failing exchange result.
int ReadCalibration(devlink::TInterface& link, CalibrationBackup* backup);
/// The folder of the backups: $XDG_DATA_HOME/lorikws/calibration.
QString CalibrationBackupDir();
/// Saves a backup as <serial>-<yyyy-MM-dd>.ini in `dir` (Windows-1251, written whole). An existing
/// backup is never replaced: the name then gets "-2", "-3", ... Returns the path, or "" with a reason.
QString SaveCalibrationBackup(const CalibrationBackup& backup, const QString& dir, QString* error);
/// Reads a backup; false with a reason when a register is missing or not a finite number.
bool LoadCalibrationBackup(const QString& path, CalibrationBackup* backup, QString* error);
/// Writes every value, then CommitData := 1. Returns 0 or the failing result (kConversionError
/// never: the values were checked on loading).
int WriteCalibration(devlink::TInterface& link, const CalibrationBackup& backup);
/// Reads every register back; the registers whose value differs from the backup's. Returns 0 or
/// the failing exchange result.
int VerifyCalibration(devlink::TInterface& link, const CalibrationBackup& backup,
                      std::vector<int>* differing);

} // namespace device
