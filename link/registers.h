// The calibrator's command set and register map: the one place where command codes, register
// numbers and their values are written down. Every other part of the program names registers
// through this header.
#pragma once

namespace devlink {

/// Command codes: the second field of every request.
enum Command : int {
    CmdIdentify = 0,       ///< reply: the calibrator's type code ("50")
    CmdReadRegister = 37,  ///< register → value as text
    CmdWriteRegister = 38, ///< register; value "%d" or "%f" (six decimals)
    CmdReadBlock = 42,     ///< block object; 100 (bytes asked for) → bytes as hex
    CmdWriteBlock = 43,    ///< block object; byte count; bytes as hex and ';'
};

/// The calibrator's type code answered to CmdIdentify.
inline constexpr const char* kIdentifyReply = "50";

/// Block objects.
enum BlockObject : int {
    HartChannel = 45, ///< WriteBlock: a HART request frame to the modem; ReadBlock: the response bytes
};

/// Bytes asked for by every block read.
inline constexpr int kBlockReadSize = 100;

/// Registers. Access: R read, W written; type: I integer, R real, T text.
enum Register : int {
    EmulSignalKind = 10,   ///< W I: emulated signal kind (EmulKind)
    AutoColdJunction = 12, ///< W I: 1 cold junction compensated by the built-in compensator
    ColdJunctionTemp = 13, ///< W R: manual cold-junction temperature, °C
    CalibEmulMax = 14,     ///< W I: emulate the calibration maximum of a channel (CalibChannel)
    CalibEmulMin = 15,     ///< W I: emulate the calibration minimum of a channel (CalibChannel)
    MeasMode = 20,         ///< W I: measurement mode (MeasModeValue); -1 stops
    MeasuredValue = 22,    ///< R R: measured value in the unit of the mode
    CompensatorValue = 24, ///< R R: built-in compensator reading (resistance of its Pt100)
    EmulValue = 25,        ///< W R: value to emulate, in the unit of EmulSignalKind; 0 stops
    ExtDeviceType = 30,    ///< R I: attached reference (ExtDevice)
    ExtDeviceValue = 32,   ///< R R: reading of the attached reference in ExtDeviceUnit
    ExtDeviceUnit = 33,    ///< R I: unit index 0..9 (kExtDeviceUnits); -333 not yet known
    ExtDeviceRestart = 34, ///< W I: 0 restarts the reference detection
    HartModem = 44,        ///< W I: 1 HART modem on, 0 off
    Relay1State = 50,      ///< R I: 0 open, otherwise closed
    Relay2State = 52,      ///< R I: same for relay 2
    Brightness = 60,       ///< RW I: 101 - brightness slider position (1..100)
    BacklightOffTime = 61, ///< RW I: seconds 5, 30, 60, 300, or 0 never
    CursorShown = 62,      ///< RW I: 0 or 1
    AutoOffTime = 63,      ///< RW I: minutes 5, 30, 60, or 0 never
    BuzzerOn = 64,         ///< RW I: 0 or 1
    DecimalPlaces = 65,    ///< RW I: 0..4
    AveragingCount = 66,   ///< RW I: 1..99
    SaveConfig = 67,       ///< W I: kSaveConfigKey stores the configuration
    ClockHour = 70,        ///< RW I
    ClockMinute = 71,      ///< RW I
    ClockSecond = 72,      ///< RW I
    ClockYear = 73,        ///< RW I: four digits
    ClockMonth = 74,       ///< RW I
    ClockDay = 75,         ///< RW I
    BatteryVoltage = 80,   ///< R T: volts, shown as it comes
    CpuLoad = 82,          ///< R I: per cent
    CommitData = 300,      ///< W I: kCommitCalibration stores calibration; kCommitSerialStart starts the serial commit
    CommitFactory = 301,   ///< W I: kCommitSerialFinish (after kCommitSerialStart) stores the serial number
    SerialNumber = 310,    ///< R as T, W as I
    RemoteMode = 400,      ///< RW I: 1 under PC control, 0 stand-alone
    DebugToPort = 500,     ///< RW I: 0 or 1
    DebugTest = 503,       ///< W I: kDebugTestValue from the debug panel's test button
};

inline constexpr int kSaveConfigKey = 111;
inline constexpr int kCommitCalibration = 1;
inline constexpr int kCommitSerialStart = 735;
inline constexpr int kCommitSerialFinish = 628;
inline constexpr int kDebugTestValue = 1000;
inline constexpr int kExtDeviceUnitPending = -333;

/// Measurement channels of the per-channel calibration registers.
enum MeasChannel : int { ChanMv = 0, ChanMa = 1, ChanOhm = 2, ChanV = 3, ChanUso = 4, ChanCompensator = 4 };

/// Measurement calibration factor, by channel mV, mA, Ohm, V (RW R).
inline constexpr int kCalibMeasFactor[4] = {200, 202, 204, 207};
/// Measurement zero shift, by channel mV, mA, Ohm, V, compensator (RW R).
inline constexpr int kCalibMeasShift[5] = {201, 203, 205, 208, 206};
/// Emulation calibration value at the minimum point, by channel mV, mA, Ohm, V, "Сопротивление (УСО)" (RW R).
inline constexpr int kCalibEmulLow[5] = {260, 270, 280, 250, 290};
/// Same at the maximum point.
inline constexpr int kCalibEmulHigh[5] = {261, 271, 281, 251, 291};
/// Emulation zero shift of the same channels.
inline constexpr int kCalibEmulShift[5] = {262, 272, 282, 252, 292};

/// Calibration channel codes: values of CalibEmulMax and CalibEmulMin, by channel mV, mA, Ohm, V, УСО.
inline constexpr int kCalibChannelCode[5] = {4, 5, 0, 3, 1};

/// MeasMode values.
enum MeasModeValue : int {
    MeasStop = -1,
    MeasVoltageMv = 0,
    MeasCurrentMa = 1,
    MeasResistanceOhm = 2,
    MeasVoltageV = 3,
    MeasMvCompensated = 4,   ///< mV with the built-in cold-junction compensator in use
    MeasEmulTcAuto = 5,      ///< set while a thermocouple is emulated with automatic compensation
};

/// EmulSignalKind values.
enum EmulKind : int {
    EmulVoltageMv = 15,
    EmulCurrentMa = 16,
    EmulResistanceOhm = 17,
    EmulVoltageV = 18,
    EmulCalibUso = 19,       ///< the calibration channel "Сопротивление (УСО)"
    EmulUso = 20,            ///< the signal "Сопротивление УСО" of the sensor description
};

/// ExtDeviceType values.
enum ExtDevice : int {
    ExtNone = 0,
    ExtReferenceThermometer = 42, ///< digital reference thermometer
    ExtPressure13 = 13,
    ExtPressure43 = 43,
    ExtPressure81 = 81,
};
inline constexpr bool IsPressureReference(int type) { return type == 13 || type == 43 || type == 81; }

/// One unit of an attached reference: text as shown, kilopascals per unit.
struct ExtDeviceUnitRow {
    int index;
    const char* text; ///< UTF-8
    float factorToKPa;
};

inline constexpr ExtDeviceUnitRow kExtDeviceUnits[10] = {
    {0, "°C", 1.0f},
    {1, "МПа", 1000.0f},
    {2, "кПа", 1.0f},
    {3, "Па", 0.001f},
    {4, "кгс/м2", 0.00980665f},
    {5, "кгс/см2", 98.0665f},
    {6, "мм.рт.ст.", 0.13332237f},
    {7, "бар", 100.0f},
    {8, "psi", 6.89476f},
    {9, "атм", 98.0665f},
};

} // namespace devlink
