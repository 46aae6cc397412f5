#include "simulator/model.h"

#include "link/frame.h"
#include "link/registers.h"
#include "platform/cnumber.h"
#include "polynoms/characteristics.h"

#include <QSettings>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

using namespace devlink;

namespace sim {
namespace {

enum Access { R = 1, W = 2, RW = 3 };
enum Type { I, Re, T };

struct RegInfo {
    Access access;
    Type type;
    double min, max;
};

// The register map as the instrument enforces it: access, type and the accepted value range.
const std::map<int, RegInfo>& Registers()
{
    static const std::map<int, RegInfo> map = [] {
        std::map<int, RegInfo> m = {
            {EmulSignalKind, {W, I, 15, 20}},   {AutoColdJunction, {W, I, 0, 1}},  {ColdJunctionTemp, {W, Re, -50, 100}},
            {CalibEmulMax, {W, I, 0, 5}},       {CalibEmulMin, {W, I, 0, 5}},      {MeasMode, {W, I, -1, 5}},
            {MeasuredValue, {R, Re, 0, 0}},     {CompensatorValue, {R, Re, 0, 0}}, {EmulValue, {W, Re, -10, 320}},
            {ExtDeviceType, {R, I, 0, 0}},      {ExtDeviceValue, {R, Re, 0, 0}},   {ExtDeviceUnit, {R, I, 0, 0}},
            {ExtDeviceRestart, {W, I, 0, 0}},   {HartModem, {W, I, 0, 1}},         {Relay1State, {R, I, 0, 0}},
            {Relay2State, {R, I, 0, 0}},        {Brightness, {RW, I, 1, 100}},     {BacklightOffTime, {RW, I, 0, 300}},
            {CursorShown, {RW, I, 0, 1}},       {AutoOffTime, {RW, I, 0, 60}},     {BuzzerOn, {RW, I, 0, 1}},
            {DecimalPlaces, {RW, I, 0, 4}},     {AveragingCount, {RW, I, 1, 99}},  {SaveConfig, {W, I, 111, 111}},
            {ClockHour, {RW, I, 0, 23}},        {ClockMinute, {RW, I, 0, 59}},     {ClockSecond, {RW, I, 0, 59}},
            {ClockYear, {RW, I, 2000, 2099}},   {ClockMonth, {RW, I, 1, 12}},      {ClockDay, {RW, I, 1, 31}},
            {BatteryVoltage, {R, T, 0, 0}},     {CpuLoad, {R, I, 0, 0}},           {CommitData, {W, I, 0, 1000}},
            {CommitFactory, {W, I, 0, 1000}},   {SerialNumber, {RW, I, 0, 99999999}}, {RemoteMode, {RW, I, 0, 1}},
            {DebugToPort, {RW, I, 0, 1}},       {DebugTest, {W, I, -2147483647.0, 2147483647.0}},
        };
        for (int r : kCalibMeasFactor) m[r] = {RW, Re, 0.5, 1.5};
        for (int r : kCalibMeasShift) m[r] = {RW, Re, -1000, 1000};
        for (int r : kCalibEmulLow) m[r] = {RW, Re, -1000, 1000};
        for (int r : kCalibEmulHigh) m[r] = {RW, Re, -1000, 1000};
        for (int r : kCalibEmulShift) m[r] = {RW, Re, -1000, 1000};
        return m;
    }();
    return map;
}

bool WholeInt(const std::string& s, long long* v)
{
    if (s.empty()) return false;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return false;
    long long x = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        x = x * 10 + (s[i] - '0');
        if (x > 100000000000LL) return false;
    }
    *v = s[0] == '-' ? -x : x;
    return true;
}

bool WholeReal(const std::string& s, double* v)
{
    if (s.empty()) return false;
    double x = 0;
    if (platform::ScanDouble(s.c_str(), &x) != int(s.size()) || !std::isfinite(x)) return false;
    *v = x;
    return true;
}

std::string Text(double v, int decimals)
{
    if (!std::isfinite(v)) return "NaN";
    return platform::FormatFixed(v, decimals);
}

// Measurement channel limits (mV, mA, Ohm, V) and the emulation limits by EmulSignalKind.
constexpr double kMeasLo[4] = {-10, 0, 0, 0}, kMeasHi[4] = {101, 25, 400, 120};

bool EmulLimits(int kind, double* lo, double* hi)
{
    switch (kind) {
    case EmulVoltageMv: *lo = -10; *hi = 100; return true;
    case EmulCurrentMa: *lo = 0; *hi = 25; return true;
    case EmulResistanceOhm:
    case EmulCalibUso:
    case EmulUso: *lo = 0; *hi = 320; return true;
    case EmulVoltageV: *lo = 0; *hi = 12; return true;
    default: return false;
    }
}

// Index of a channel in the calibration tables (mV, mA, Ohm, V, УСО) for an emulated kind.
int EmulChannel(int kind)
{
    switch (kind) {
    case EmulVoltageMv: return 0;
    case EmulCurrentMa: return 1;
    case EmulResistanceOhm: return 2;
    case EmulVoltageV: return 3;
    default: return 4;
    }
}

double Emf(int code, double t)
{
    double e = NAN;
    polynoms::TempToEl(code, t, &e);
    return e;
}

double KPaToHartUnit(double kpa, std::uint8_t unit)
{
    switch (unit) {
    case 237: return kpa / 1000; // MPa
    case 7: return kpa / 100;    // bar
    case 11: return kpa * 1000;  // Pa
    default: return kpa;         // 12 kPa
    }
}

// The nominal calibration points of the emulation channels (mV, mA, Ohm, V, УСО): what the output is
// set to while a channel's minimum or maximum point is emulated.
constexpr double kNominalLow[5] = {0, 4, 0, 0, 0}, kNominalHigh[5] = {100, 20, 320, 12, 320};

// Days since 1970-01-01 of a proleptic Gregorian date, and back (no time zone anywhere).
long long DaysFromCivil(long long y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int* y, int* m, int* d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    *d = int(doy - (153 * mp + 2) / 5 + 1);
    *m = int(mp < 10 ? mp + 3 : mp - 9);
    *y = int(yoe + era * 400 + (*m <= 2));
}

bool ValidClock(const ClockFields& c)
{
    static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (c.month < 1 || c.month > 12 || c.day < 1 || c.day > kDays[c.month - 1]) return false;
    const bool leap = (c.year % 4 == 0 && c.year % 100 != 0) || c.year % 400 == 0;
    if (c.month == 2 && c.day == 29 && !leap) return false;
    return c.hour >= 0 && c.hour <= 23 && c.minute >= 0 && c.minute <= 59 && c.second >= 0 && c.second <= 59;
}

void PutFloat(std::vector<std::uint8_t>& out, float v)
{
    std::uint32_t b;
    std::memcpy(&b, &v, 4);
    for (int s = 24; s >= 0; s -= 8) out.push_back(std::uint8_t(b >> s));
}

} // namespace

Calibrator::Calibrator(World world, QString stateFile)
    : m_world(std::move(world)), m_stateFile(std::move(stateFile)), m_rng(m_world.seed)
{
    m_settings = {{Brightness, 51}, {BacklightOffTime, 30}, {CursorShown, 1}, {AutoOffTime, 0},
                  {BuzzerOn, 1},    {DecimalPlaces, 3},     {AveragingCount, 5}};
    for (int r : kCalibMeasFactor) m_calibration[r] = 1.0f;
    for (int r : kCalibMeasShift) m_calibration[r] = 0.0f;
    for (int r : kCalibEmulShift)
        m_calibration[r] = 0.0f;
    for (int i = 0; i < 5; ++i) {
        m_calibration[kCalibEmulLow[i]] = float(kNominalLow[i]);
        m_calibration[kCalibEmulHigh[i]] = float(kNominalHigh[i]);
    }
    // the clock starts at the host's wall time; from then on it has no zone
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    m_clock = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    LoadState();
    m_calibrationCommitted = m_calibration;
    m_extPending = m_world.referencePendingReads;
}

World Calibrator::GetWorld() const
{
    std::lock_guard lock(m_mutex);
    return m_world;
}

void Calibrator::SetWorld(const World& world)
{
    std::lock_guard lock(m_mutex);
    m_world = world;
}

bool Calibrator::Set(const std::string& name, double value)
{
    std::lock_guard lock(m_mutex);
    const double t = Seconds();
    // keep the drift going around the new level
    auto rebase = [t](Drift& d, double v) { d.base = v - (d.At(t) - d.base); };
    if (name == "process-temp") rebase(m_world.processTemp, value);
    else if (name == "process-pressure") rebase(m_world.processPressure, value);
    else if (name == "ambient") rebase(m_world.ambient, value);
    else if (name == "reference-type") m_world.referenceType = int(value);
    else if (name == "reference-unit") m_world.referenceUnit = int(value);
    else if (name == "relay1") m_world.relay1Threshold = value;
    else if (name == "relay2") m_world.relay2Threshold = value;
    else if (name == "noise") m_world.noise = value;
    else if (name == "hart-delay") m_world.hartDelayMs = int(value);
    else if (name == "source-mv")
        m_world.source[0] = value;
    else if (name == "source-ma")
        m_world.source[1] = value;
    else if (name == "source-ohm")
        m_world.source[2] = value;
    else if (name == "source-v")
        m_world.source[3] = value;
    else if (name == "input-error-pct")
        m_world.inputErrorPct = value;
    else if (name == "input-offset")
        m_world.inputOffset = value;
    else {
        // hidden channel errors: "meas-mv-gain", "emul-ohm-offset", ...
        for (int i = 0; i < 5; ++i)
            for (const char* part : {"gain", "offset"}) {
                const bool gain = part[0] == 'g';
                if (name == std::string("meas-") + kMeasChannelNames[i] + "-" + part) {
                    (gain ? m_world.measError[i].gain : m_world.measError[i].offset) = value;
                    return true;
                }
                if (name == std::string("emul-") + kEmulChannelNames[i] + "-" + part) {
                    (gain ? m_world.emulError[i].gain : m_world.emulError[i].offset) = value;
                    return true;
                }
            }
        return false;
    }
    return true;
}

void Calibrator::InjectDeviceError(int reg, int code)
{
    std::lock_guard lock(m_mutex);
    if (code == 0) m_errors.erase(reg);
    else m_errors[reg] = code;
}

void Calibrator::InjectSilentOnce(int reg)
{
    std::lock_guard lock(m_mutex);
    ++m_silentOnce[reg];
}

void Calibrator::InjectDeviceErrorOnce(int reg, int code)
{
    std::lock_guard lock(m_mutex);
    if (code == 0)
        m_errorsOnce.erase(reg);
    else
        m_errorsOnce[reg] = code;
}

void Calibrator::ClearDeviceErrors()
{
    std::lock_guard lock(m_mutex);
    m_errors.clear();
    m_silentOnce.clear();
    m_errorsOnce.clear();
}

void Calibrator::SetClock(const ClockFields& fields)
{
    std::lock_guard lock(m_mutex);
    m_clock = fields;
    m_clockSetAt = std::chrono::steady_clock::now();
}

ClockFields Calibrator::Clock() const
{
    std::lock_guard lock(m_mutex);
    return RunningClock();
}

ClockFields Calibrator::RunningClock() const
{
    // fields that form no date stand still, as the instrument's clock cannot run them
    if (!ValidClock(m_clock)) return m_clock;
    const long long elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_clockSetAt)
            .count();
    const ClockFields& c = m_clock;
    long long t =
        DaysFromCivil(c.year, c.month, c.day) * 86400 + c.hour * 3600 + c.minute * 60 + c.second + elapsed;
    long long days = t / 86400, sod = t % 86400;
    if (sod < 0) {
        sod += 86400;
        --days;
    }
    ClockFields out;
    CivilFromDays(days, &out.year, &out.month, &out.day);
    out.hour = int(sod / 3600);
    out.minute = int(sod / 60 % 60);
    out.second = int(sod % 60);
    return out;
}

void Calibrator::SetRaw(int reg, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_raw[reg] = text;
}

void Calibrator::ClearRaw(int reg)
{
    std::lock_guard lock(m_mutex);
    m_raw.erase(reg);
}

double Calibrator::TrueOutput() const
{
    std::lock_guard lock(m_mutex);
    return EmulatedOutput();
}

Calibrator::Snapshot Calibrator::State() const
{
    std::lock_guard lock(m_mutex);
    return {m_remoteMode, m_measMode,    m_emulKind, m_autoCj,   m_hartModem,   m_extRestarts,
            m_emulValue,  m_cjTemp,      m_serial,   m_settings, m_calibration};
}

std::vector<std::string> Calibrator::Writes() const
{
    std::lock_guard lock(m_mutex);
    return m_writes;
}

double Calibrator::Seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

double Calibrator::ProcessTemp() const
{
    std::lock_guard lock(m_mutex);
    return m_world.processTemp.At(Seconds());
}

double Calibrator::Ambient() const
{
    std::lock_guard lock(m_mutex);
    return m_world.ambient.At(Seconds());
}

double Calibrator::Noise(double sigma)
{
    if (sigma <= 0) return 0;
    std::normal_distribution<double> d(0.0, sigma);
    return d(m_rng);
}

Reply Calibrator::Handle(const std::string& request)
{
    std::vector<std::string> f;
    size_t start = 0;
    for (size_t i = 0; i < request.size(); ++i)
        if (request[i] == ';') {
            f.push_back(request.substr(start, i - start));
            start = i + 1;
        }
    if (start != request.size() || f.size() < 2) return {"", 2};
    long long address = 0, command = 0;
    if (!WholeInt(f[0], &address) || !WholeInt(f[1], &command)) return {"", 2};

    std::lock_guard lock(m_mutex);
    long long a = 0, b = 0;
    if ((command == CmdReadRegister || command == CmdWriteRegister) && f.size() >= 3 && WholeInt(f[2], &a)) {
        auto silent = m_silentOnce.find(int(a));
        if (silent != m_silentOnce.end()) {
            if (--silent->second <= 0) m_silentOnce.erase(silent);
            return {"", 0, true};
        }
    }
    switch (command) {
    case CmdIdentify:
        if (f.size() != 2) return {"", 2};
        return {kIdentifyReply};
    case CmdReadRegister:
        if (f.size() != 3 || !WholeInt(f[2], &a)) return {"", 2};
        return Read(int(a));
    case CmdWriteRegister:
        if (f.size() != 4 || !WholeInt(f[2], &a)) return {"", 2};
        return Write(int(a), f[3]);
    case CmdReadBlock:
        if (f.size() != 4 || !WholeInt(f[2], &a) || !WholeInt(f[3], &b)) return {"", 2};
        return BlockRead(int(a));
    case CmdWriteBlock:
        if (f.size() != 5 || !WholeInt(f[2], &a) || !WholeInt(f[3], &b)) return {"", 2};
        return BlockWrite(int(a), int(b), f[4]);
    default:
        return {"", 1};
    }
}

double Calibrator::SignalValue() const
{
    const World& w = m_world;
    const double t = Seconds();
    double x = w.signalQuantity == Quantity::Temperature ? w.processTemp.At(t) : w.processPressure.At(t);
    x += w.inputErrorPct / 100 * (w.physMax - w.physMin) + w.inputOffset; // the device's own error
    if (w.physMax == w.physMin) return w.elMin;
    return w.elMin + (w.elMax - w.elMin) * (x - w.physMin) / (w.physMax - w.physMin);
}

double Calibrator::EmulatedOutput() const
{
    int ch = EmulChannel(m_emulKind);
    double setting;
    if (m_calibPoint >= 0) {
        // emulating a calibration point of a channel: the output is set to its nominal point
        for (int i = 0; i < 5; ++i)
            if (kCalibChannelCode[i] == m_calibPoint) ch = i;
        setting = m_calibPointMax ? kNominalHigh[ch] : kNominalLow[ch];
    } else {
        // the values measured at the two points map the wanted value onto the output's setting
        const double v = double(m_emulValue) + m_calibration.at(kCalibEmulShift[ch]);
        const double lo = m_calibration.at(kCalibEmulLow[ch]), hi = m_calibration.at(kCalibEmulHigh[ch]);
        setting =
            hi != lo ? kNominalLow[ch] + (v - lo) * (kNominalHigh[ch] - kNominalLow[ch]) / (hi - lo) : v;
    }
    const ChannelError& e = m_world.emulError[ch];
    return setting * (1 + e.gain) + e.offset;
}

double Calibrator::LoopCurrent() const
{
    const LoopTransmitter& tx = m_world.loop;
    const double out = EmulatedOutput();
    double phys = NAN;
    const double ambient = m_world.ambient.At(Seconds());
    if (tx.inputCode >= 0 && tx.inputCode <= 6 && (m_emulKind == EmulResistanceOhm || m_emulKind == EmulUso)) {
        polynoms::ElToTemp(tx.inputCode, out, &phys);
    } else if (tx.inputCode >= 7 && tx.inputCode <= 14 && m_emulKind == EmulVoltageMv) {
        // the transmitter's terminals (its cold junction) are at ambient
        polynoms::ElToTemp(tx.inputCode, out + Emf(tx.inputCode, ambient), &phys);
    } else if (tx.inputCode >= 15 && tx.inputCode <= 18 && m_emulKind == tx.inputCode && tx.inMax != tx.inMin) {
        phys = tx.physMin + (tx.physMax - tx.physMin) * (out - tx.inMin) / (tx.inMax - tx.inMin);
    }
    // no emulation, no input signal: the transmitter signals a fault
    const double target =
        !m_emulating || !std::isfinite(phys) || tx.physMax == tx.physMin
            ? 3.6
            : std::clamp(4 + 16 * (phys - tx.physMin) / (tx.physMax - tx.physMin) + 16 * tx.errorPct / 100,
                         3.8, 20.5);
    if (tx.lagS <= 0) return target;
    // a first-order lag of time constant lag_s
    const double now = Seconds();
    if (!std::isfinite(m_lagMa))
        m_lagMa = target;
    else
        m_lagMa += (target - m_lagMa) * (1 - std::exp(-std::max(0.0, now - m_lagAt) / tx.lagS));
    m_lagAt = now;
    return m_lagMa;
}

double Calibrator::Measure(bool* outOfRange)
{
    *outOfRange = false;
    const World& w = m_world;
    const double t = Seconds();
    int channel;
    switch (m_measMode) {
    case MeasVoltageMv:
    case MeasMvCompensated: channel = 0; break;
    case MeasCurrentMa:
    case MeasEmulTcAuto: channel = 1; break;
    case MeasResistanceOhm: channel = 2; break;
    case MeasVoltageV: channel = 3; break;
    default: return NAN;
    }
    double raw = 0;
    // the temperature a thermometer or thermocouple under test indicates, with its own error
    const double indicated = w.processTemp.At(t) * (1 + w.inputErrorPct / 100) + w.inputOffset;
    if (w.input == Input::Thermocouple && channel == 0) {
        raw = Emf(w.code, indicated) - Emf(w.code, w.ambient.At(t));
    } else if (w.input == Input::Rtd && channel == 2) {
        polynoms::TempToEl(w.code, indicated, &raw);
    } else if (w.input == Input::Signal && channel == w.signalUnit) {
        raw = SignalValue();
    } else if (w.input == Input::Loop && channel == 1) {
        raw = LoopCurrent();
    } else if (w.input == Input::Source) {
        raw = w.source[channel];
    } else if (channel == 1 && !w.hart.empty()) {
        const HartDevice& d = w.hart.front();
        const double pv = d.pv == Quantity::Temperature ? w.processTemp.At(t) : KPaToHartUnit(w.processPressure.At(t), d.unitCode);
        raw = d.upper == d.lower ? 4 : std::clamp(4 + 16 * (pv - d.lower) / (d.upper - d.lower), 3.8, 20.5);
    }
    if (!std::isfinite(raw)) {
        *outOfRange = true;
        return NAN;
    }
    const double scale = std::max(std::fabs(raw), channel == 1 ? 4.0 : 1.0);
    const int avg = std::max(1, m_settings.at(AveragingCount));
    raw += Noise(w.noise * scale / std::sqrt(double(avg)));
    const int ci = channel;
    raw = raw * (1 + w.measError[ci].gain) + w.measError[ci].offset;
    const double value = raw * m_calibration.at(kCalibMeasFactor[ci]) + m_calibration.at(kCalibMeasShift[ci]);
    if (value < kMeasLo[channel] || value > kMeasHi[channel]) *outOfRange = true;
    return value;
}

double Calibrator::ReferenceValue()
{
    const World& w = m_world;
    const double t = Seconds();
    if (w.referenceType == ExtReferenceThermometer) return w.processTemp.At(t) + Noise(w.referenceNoise);
    const int unit = std::clamp(w.referenceUnit, 0, 9);
    return (w.processPressure.At(t) + Noise(w.referenceNoise)) / double(kExtDeviceUnits[unit].factorToKPa);
}

Reply Calibrator::Read(int reg)
{
    const auto it = Registers().find(reg);
    if (it == Registers().end()) return {"", 3};
    if (auto e = m_errors.find(reg); e != m_errors.end()) return {"", e->second};
    if (auto e = m_errorsOnce.find(reg); e != m_errorsOnce.end()) {
        const int code = e->second;
        m_errorsOnce.erase(e);
        return {"", code};
    }
    if (auto raw = m_raw.find(reg); raw != m_raw.end()) return {raw->second};
    const double t = Seconds();
    switch (reg) {
    case MeasuredValue: {
        bool over = false;
        const double v = Measure(&over);
        if (over) return {"", 6};
        return {Text(v, 5)};
    }
    case CompensatorValue: {
        double r = 100;
        polynoms::TempToEl(0, m_world.ambient.At(t), &r);
        r += Noise(m_world.noise * 100);
        const ChannelError& e = m_world.measError[ChanCompensator];
        r = r * (1 + e.gain) + e.offset + m_calibration.at(kCalibMeasShift[ChanCompensator]);
        return {Text(r, 4)};
    }
    case ExtDeviceType: return {std::to_string(m_world.referenceType)};
    case ExtDeviceUnit:
        if (m_world.referenceType == ExtNone) return {"", 14};
        if (m_extPending > 0) {
            --m_extPending;
            return {std::to_string(kExtDeviceUnitPending)};
        }
        return {std::to_string(m_world.referenceType == ExtReferenceThermometer ? 0 : m_world.referenceUnit)};
    case ExtDeviceValue:
        if (m_world.referenceType == ExtNone) return {"", 14};
        return {Text(ReferenceValue(), 4)};
    case Relay1State:
    case Relay2State: {
        const double th = reg == Relay1State ? m_world.relay1Threshold : m_world.relay2Threshold;
        bool over = false;
        const double v = Measure(&over);
        return {std::isfinite(th) && std::isfinite(v) && v >= th ? "1" : "0"};
    }
    case BatteryVoltage: return {Text(3.9 - 0.0001 * t, 2)};
    case CpuLoad: return {std::to_string(12 + int(std::fabs(Noise(3))))};
    case SerialNumber: return {m_serial};
    case RemoteMode: return {std::to_string(m_remoteMode)};
    case DebugToPort: return {std::to_string(m_debugToPort)};
    case MeasMode: return {std::to_string(m_measMode)};
    case EmulSignalKind: return {std::to_string(m_emulKind)};
    case EmulValue: return {Text(m_emulValue, 6)};
    case AutoColdJunction: return {std::to_string(m_autoCj)};
    case ColdJunctionTemp: return {Text(m_cjTemp, 6)};
    case HartModem: return {std::to_string(m_hartModem)};
    case ClockHour:
    case ClockMinute:
    case ClockSecond:
    case ClockYear:
    case ClockMonth:
    case ClockDay: {
        const ClockFields c = RunningClock();
        const int v[6] = {c.hour, c.minute, c.second, c.year, c.month, c.day};
        return {std::to_string(v[reg - ClockHour])};
    }
    default: break;
    }
    if (auto s = m_settings.find(reg); s != m_settings.end()) return {std::to_string(s->second)};
    if (auto c = m_calibration.find(reg); c != m_calibration.end()) return {Text(c->second, 6)};
    return {"", 17}; // write-only command registers
}

Reply Calibrator::Write(int reg, const std::string& value)
{
    const auto it = Registers().find(reg);
    if (it == Registers().end()) return {"", 3};
    if (auto e = m_errors.find(reg); e != m_errors.end()) return {"", e->second};
    if (auto e = m_errorsOnce.find(reg); e != m_errorsOnce.end()) {
        const int code = e->second;
        m_errorsOnce.erase(e);
        return {"", code};
    }
    const RegInfo& info = it->second;
    if (!(info.access & W)) return {"", 4};
    double v = 0;
    long long iv = 0;
    if (info.type == I) {
        // integer registers also take a real written with six decimals, when it is whole
        if (WholeInt(value, &iv)) v = double(iv);
        else if (WholeReal(value, &v) && v == std::floor(v)) iv = (long long)v;
        else return {"", 2};
    } else if (!WholeReal(value, &v)) {
        return {"", 2};
    }
    if (v < info.min || v > info.max) return {"", 6};
    m_writes.push_back(std::to_string(reg) + "=" + value);
    if (m_writes.size() > 1000) m_writes.erase(m_writes.begin());
    m_raw.erase(reg);
    const int n = int(iv);
    switch (reg) {
    case EmulSignalKind:
        if (n == 19 && m_calibPoint < 0) { /* the calibration channel */ }
        m_emulKind = n;
        m_calibPoint = -1;
        m_emulating = true;
        return {};
    case EmulValue: {
        double lo, hi;
        if (v != 0 && EmulLimits(m_emulKind, &lo, &hi) && (v < lo || v > hi)) return {"", 6};
        m_emulValue = float(v);
        m_calibPoint = -1;
        return {};
    }
    case AutoColdJunction: m_autoCj = n; return {};
    case ColdJunctionTemp: m_cjTemp = float(v); return {};
    case CalibEmulMax:
    case CalibEmulMin:
        if (n != 0 && n != 1 && n != 3 && n != 4 && n != 5) return {"", 6};
        m_calibPoint = n;
        m_calibPointMax = reg == CalibEmulMax;
        return {};
    case MeasMode:
        m_measMode = n;
        if (n == MeasStop) m_emulating = false; // the output ends with the mode
        return {};
    case ExtDeviceRestart:
        m_extPending = m_world.referencePendingReads;
        ++m_extRestarts;
        return {};
    case HartModem:
        m_hartModem = n;
        if (!n) m_hartResponse.clear();
        return {};
    case BacklightOffTime:
        if (n != 0 && n != 5 && n != 30 && n != 60 && n != 300) return {"", 6};
        m_settings[reg] = n;
        return {};
    case AutoOffTime:
        if (n != 0 && n != 5 && n != 30 && n != 60) return {"", 6};
        m_settings[reg] = n;
        return {};
    case SaveConfig: SaveState(); return {};
    case ClockHour:
    case ClockMinute:
    case ClockSecond:
    case ClockYear:
    case ClockMonth:
    case ClockDay: {
        // one field changes; the others run on from where they were (no carry, no zone)
        m_clock = RunningClock();
        int* fields[6] = {&m_clock.hour, &m_clock.minute, &m_clock.second,
                          &m_clock.year, &m_clock.month,  &m_clock.day};
        *fields[reg - ClockHour] = n;
        m_clockSetAt = std::chrono::steady_clock::now();
        return {};
    }
    case CommitData:
        if (n == kCommitCalibration) {
            m_calibrationCommitted = m_calibration;
            SaveState();
            return {};
        }
        if (n == kCommitSerialStart) {
            m_serialArmed = true;
            return {};
        }
        return {"", 12};
    case CommitFactory:
        if (n != kCommitSerialFinish) return {"", 12};
        if (!m_serialArmed || m_pendingSerial < 0) return {"", 15};
        m_serial = std::to_string(m_pendingSerial);
        m_serialArmed = false;
        m_pendingSerial = -1;
        SaveState();
        return {};
    case SerialNumber: m_pendingSerial = n; return {};
    case RemoteMode: m_remoteMode = n; return {};
    case DebugToPort: m_debugToPort = n; return {};
    case DebugTest: return {};
    default: break;
    }
    if (m_settings.count(reg)) {
        m_settings[reg] = n;
        return {};
    }
    if (m_calibration.count(reg)) {
        m_calibration[reg] = float(v);
        return {};
    }
    return {"", 16};
}

Reply Calibrator::BlockRead(int object)
{
    if (object != HartChannel) return {"", 14};
    if (m_hartResponse.empty() || std::chrono::steady_clock::now() < m_hartReadyAt) return {""};
    std::string hex(m_hartResponse.size() * 2 + 2, '\0');
    HexEncode(hex.data(), m_hartResponse.data(), int(m_hartResponse.size()));
    hex.resize(m_hartResponse.size() * 2); // without the ';'
    m_hartResponse.clear();
    return {hex};
}

Reply Calibrator::BlockWrite(int object, int count, const std::string& hex)
{
    if (object != HartChannel) return {"", 14};
    if (count < 0 || size_t(count) * 2 != hex.size() || count > 300) return {"", 2};
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return {"", 2};
    std::vector<std::uint8_t> frame(static_cast<size_t>(count));
    HexDecode(frame.data(), hex.c_str(), count);
    m_hartResponse.clear();
    if (m_hartModem) HartRequest(frame);
    return {};
}

void Calibrator::HartRequest(const std::vector<std::uint8_t>& f)
{
    size_t i = 0;
    while (i < f.size() && f[i] == 0xFF) ++i;
    if (i >= f.size()) return;
    const size_t delim = i;
    const bool isLong = f[delim] == 0x82;
    if (!isLong && f[delim] != 0x02) return;
    const size_t addrLen = isLong ? 5 : 1;
    if (delim + 1 + addrLen + 2 > f.size()) return;
    const size_t cmdAt = delim + 1 + addrLen;
    const std::uint8_t command = f[cmdAt];
    const size_t count = f[cmdAt + 1];
    const size_t checkAt = cmdAt + 2 + count;
    if (checkAt >= f.size()) return;
    std::uint8_t x = 0;
    for (size_t k = delim; k < checkAt; ++k) x ^= f[k];
    if (x != f[checkAt]) return; // a corrupt request gets no answer

    const HartDevice* dev = nullptr;
    for (const HartDevice& d : m_world.hart) {
        if (isLong) {
            const std::uint8_t* a = &f[delim + 1];
            if ((a[0] & 0x3F) == (d.manufacturer & 0x3F) && a[1] == d.deviceType &&
                a[2] == std::uint8_t(d.deviceId >> 16) && a[3] == std::uint8_t(d.deviceId >> 8) &&
                a[4] == std::uint8_t(d.deviceId))
                dev = &d;
        } else if ((f[delim + 1] & 0x0F) == d.pollingAddress) {
            dev = &d;
        }
    }
    if (!dev) return;

    std::vector<std::uint8_t> data;
    std::uint8_t rc = dev->responseCode;
    const double t = Seconds();
    const double pv = dev->pv == Quantity::Temperature ? m_world.processTemp.At(t)
                                                       : KPaToHartUnit(m_world.processPressure.At(t), dev->unitCode);
    switch (command) {
    case 0:
        data = {254, dev->manufacturer, dev->deviceType, 5, 5, 1, 1, 0x08, 0,
                std::uint8_t(dev->deviceId >> 16), std::uint8_t(dev->deviceId >> 8), std::uint8_t(dev->deviceId)};
        break;
    case 1:
        data.push_back(dev->unitCode);
        PutFloat(data, float(pv + Noise(m_world.referenceNoise)));
        break;
    case 15:
        data = {0, 0, dev->unitCode};
        PutFloat(data, dev->upper);
        PutFloat(data, dev->lower);
        PutFloat(data, 0.5f);
        data.push_back(251);
        data.push_back(250);
        data.push_back(0);
        break;
    default:
        if (rc == 0) rc = 64; // command not implemented
        break;
    }
    std::vector<std::uint8_t> r = {0xFF, 0xFF};
    const size_t start = r.size();
    r.push_back(isLong ? 0x86 : 0x06);
    for (size_t k = 0; k < addrLen; ++k) r.push_back(f[delim + 1 + k]);
    r.push_back(command);
    r.push_back(std::uint8_t(data.size() + 2));
    r.push_back(rc);
    r.push_back(0);
    r.insert(r.end(), data.begin(), data.end());
    std::uint8_t check = 0;
    for (size_t k = start; k < r.size(); ++k) check ^= r[k];
    r.push_back(check);
    m_hartResponse = r;
    m_hartReadyAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_world.hartDelayMs);
}

void Calibrator::SaveState() const
{
    if (m_stateFile.isEmpty()) return;
    QSettings s(m_stateFile, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("settings"));
    for (const auto& [reg, v] : m_settings) s.setValue(QString::number(reg), v);
    s.endGroup();
    s.setValue(QStringLiteral("device/serial"), QString::fromStdString(m_serial));
    s.beginGroup(QStringLiteral("calibration"));
    for (const auto& [reg, v] : m_calibrationCommitted) s.setValue(QString::number(reg), double(v));
    s.endGroup();
    s.sync();
}

void Calibrator::LoadState()
{
    if (m_stateFile.isEmpty()) return;
    QSettings s(m_stateFile, QSettings::IniFormat);
    for (auto& [reg, v] : m_settings) {
        bool ok = false;
        const int x = s.value(QStringLiteral("settings/") + QString::number(reg)).toInt(&ok);
        const RegInfo& info = Registers().at(reg);
        if (ok && x >= info.min && x <= info.max) v = x;
    }
    const QString serial = s.value(QStringLiteral("device/serial")).toString();
    if (!serial.isEmpty() && serial.size() < 40) m_serial = serial.toStdString();
    for (auto& [reg, v] : m_calibration) {
        bool ok = false;
        const double x = s.value(QStringLiteral("calibration/") + QString::number(reg)).toDouble(&ok);
        if (ok && std::isfinite(x)) v = float(x);
    }
}

} // namespace sim
