// The virtual calibrator: its register map, measuring and emulating physics, reference instrument,
// relays, clock, settings, calibration data and the HART modem behind block object 45. Handle()
// takes one request text and gives the reply; every method is thread-safe.
#pragma once

#include "simulator/transport.h"
#include "simulator/world.h"

#include <QString>

#include <chrono>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace sim {

/// The calibrator's clock: six plain fields, as its clock registers hold them. It has no time zone
/// and never normalises (a day 31 in February stays as written until another field is written).
struct ClockFields {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    bool operator==(const ClockFields&) const = default;
};

class Calibrator {
public:
    /// `stateFile`: where SaveConfig keeps the user settings and the serial number (none: nowhere).
    explicit Calibrator(World world = {}, QString stateFile = {});

    /// Answers one request text ("1;37;22;").
    Reply Handle(const std::string& request);

    World GetWorld() const;
    void SetWorld(const World& world);
    /// Changes the world by name: "process-temp", "process-pressure", "ambient", "reference-type",
    /// "reference-unit", "relay1", "relay2", "noise", "hart-delay", "source-mv" (-ma, -ohm, -v),
    /// "input-error-pct", "input-offset" (the device under test), and
    /// the hidden channel errors "meas-mv-gain", "emul-ohm-offset", ... (kMeasChannelNames,
    /// kEmulChannelNames). False for an unknown name.
    bool Set(const std::string& name, double value);
    /// Makes every access to `reg` answer device error `code` (0 removes it).
    void InjectDeviceError(int reg, int code);
    /// Makes the next access to `reg` answer device error `code`, once.
    void InjectDeviceErrorOnce(int reg, int code);
    /// The next access to `reg` gets no reply at all (once).
    void InjectSilentOnce(int reg);
    /// Removes the injected device errors and silent replies.
    void ClearDeviceErrors();

    /// What the calibrator's registers hold now (for tests and the status command).
    struct Snapshot {
        int remoteMode, measMode, emulKind, autoColdJunction, hartModem, extRestarts;
        float emulValue, coldJunctionTemp;
        std::string serialNumber;
        std::map<int, int> settings;      ///< 60..66
        std::map<int, float> calibration; ///< 200..292
    };
    Snapshot State() const;
    /// Register writes received, in order, as "reg=value" (bounded to the last 1000).
    std::vector<std::string> Writes() const;

    /// The physical values now (seconds since start are taken from the host clock).
    double ProcessTemp() const;
    double Ambient() const;

    /// The clock: set to the host's local wall time at creation, then it runs on a steady clock.
    void SetClock(const ClockFields& fields);
    ClockFields Clock() const;

    /// Makes reads of `reg` answer `text` exactly (a value the calibrator would never hold: a
    /// brightness of 92, a day 31 in February), until the register is written or the preset cleared.
    void SetRaw(int reg, const std::string& text);
    void ClearRaw(int reg);

    /// What an external reference measures at the emulation output now: the emulated value (or
    /// calibration point) through the channel's hidden error.
    double TrueOutput() const;

private:
    Reply Read(int reg);
    Reply Write(int reg, const std::string& value);
    Reply BlockRead(int object);
    Reply BlockWrite(int object, int count, const std::string& hex);

    double Seconds() const;
    double Noise(double sigma);
    double Measure(bool* outOfRange);
    double EmulatedOutput() const;
    ClockFields RunningClock() const;
    double LoopCurrent() const;
    double SignalValue() const;
    double ReferenceValue();
    void HartRequest(const std::vector<std::uint8_t>& frame);
    void SaveState() const;
    void LoadState();

    mutable std::mutex m_mutex;
    World m_world;
    QString m_stateFile;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::mt19937 m_rng;
    std::map<int, int> m_errors;
    std::map<int, int> m_silentOnce; ///< register → silent replies left
    std::map<int, int> m_errorsOnce; ///< fail the next access of the register, then clear
    bool m_emulating = false;        ///< an emulation kind set and the mode not stopped since
    mutable double m_lagMa = NAN;    ///< the loop transmitter's lagged output
    mutable double m_lagAt = 0;      ///< ... and when it was last computed

    int m_remoteMode = 0;
    int m_measMode = -1;
    int m_emulKind = 15;
    float m_emulValue = 0;
    int m_autoCj = 1;
    float m_cjTemp = 0;
    int m_hartModem = 0;
    int m_debugToPort = 0;
    int m_extRestarts = 0;
    int m_extPending = 0;
    int m_calibPoint = -1; ///< CalibEmulMin/Max: channel whose calibration point is emulated
    std::map<int, int> m_settings;
    std::map<int, float> m_calibration;
    std::map<int, float> m_calibrationCommitted;
    bool m_calibPointMax = false; ///< the emulated calibration point is the maximum
    ClockFields m_clock;
    std::chrono::steady_clock::time_point m_clockSetAt = std::chrono::steady_clock::now();
    std::map<int, std::string> m_raw;
    std::string m_serial = "100001";
    int m_pendingSerial = -1;
    bool m_serialArmed = false;
    std::vector<std::uint8_t> m_hartResponse;
    std::chrono::steady_clock::time_point m_hartReadyAt;
    std::vector<std::string> m_writes;
};

} // namespace sim
