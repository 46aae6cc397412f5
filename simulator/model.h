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

class Calibrator {
public:
    /// `stateFile`: where SaveConfig keeps the user settings and the serial number (none: nowhere).
    explicit Calibrator(World world = {}, QString stateFile = {});

    /// Answers one request text ("1;37;22;").
    Reply Handle(const std::string& request);

    World GetWorld() const;
    void SetWorld(const World& world);
    /// Changes the world by name: "process-temp", "process-pressure", "ambient", "reference-type",
    /// "reference-unit", "relay1", "relay2", "noise". False for an unknown name.
    bool Set(const std::string& name, double value);
    /// Makes every access to `reg` answer device error `code` (0 removes it).
    void InjectDeviceError(int reg, int code);
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

private:
    Reply Read(int reg);
    Reply Write(int reg, const std::string& value);
    Reply BlockRead(int object);
    Reply BlockWrite(int object, int count, const std::string& hex);

    double Seconds() const;
    double Noise(double sigma);
    double Measure(bool* outOfRange);
    double EmulatedOutput() const;
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
    long long m_clockOffsetS = 0;
    std::string m_serial = "100001";
    int m_pendingSerial = -1;
    bool m_serialArmed = false;
    std::vector<std::uint8_t> m_hartResponse;
    std::chrono::steady_clock::time_point m_hartReadyAt;
    std::vector<std::string> m_writes;
};

} // namespace sim
