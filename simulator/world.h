// The world around the virtual calibrator: ambient and process conditions, what is wired to its
// input, the reference instrument, relays and HART transmitters. A scenario file sets it.
#pragma once

#include <QString>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

/// A quantity that drifts: base + rate·t + amplitude·sin(2π·t / period), t in seconds.
struct Drift {
    double base = 0;
    double amplitude = 0;
    double periodS = 600;
    double ratePerS = 0;
    double At(double t) const
    {
        return base + ratePerS * t + (periodS > 0 ? amplitude * std::sin(2 * M_PI * t / periodS) : 0);
    }
};

/// What is wired to the measuring input.
enum class Input {
    None,         ///< nothing: readings near zero
    Rtd,          ///< a resistance thermometer of `code` (0..6) at the process temperature
    Thermocouple, ///< a thermocouple of `code` (7..14), hot end at the process, cold end at ambient
    Signal,       ///< a unified-signal source following a process quantity linearly
    Loop,         ///< a transmitter fed by the calibrator's own emulation output (see LoopTransmitter)
    Source,       ///< a reference source: a steady true value on each channel (World::source)
};

enum class Quantity { Temperature, Pressure };

/// A hidden error of one channel: what the channel reads (or puts out) = true · (1 + gain) + offset.
struct ChannelError {
    double gain = 0;
    double offset = 0;
};

/// A transmitter wired from the emulation output back to the measuring input: it converts the
/// emulated signal into the physical value of its input type and gives 4..20 mA over its range.
struct LoopTransmitter {
    int inputCode = 8;       ///< 0..14 sensor type, or 15..18 a unified input (mV, mA, Ohm, V)
    double inMin = 0, inMax = 0; ///< unified inputs: the input span in its unit
    double physMin = 0, physMax = 600; ///< the range mapped to 4..20 mA
    double errorPct = 0;     ///< error in % of span added to the output
    double lagS = 0;         ///< time constant of a first-order lag of the output (0: none)
};

struct HartDevice {
    int pollingAddress = 0;
    std::uint8_t manufacturer = 0x26;
    std::uint8_t deviceType = 0x05;
    std::uint32_t deviceId = 0x123456;
    std::uint8_t unitCode = 32; ///< HART unit code of PV and range (32 °C, 12 kPa, 237 MPa)
    float lower = 0, upper = 600;
    Quantity pv = Quantity::Temperature;
    std::uint8_t responseCode = 0; ///< injected non-zero response code
};

struct World {
    std::uint32_t seed = 1;
    Drift ambient {21.0, 0.1, 900, 0};
    Drift processTemp {100.0, 0.02, 300, 0};
    Drift processPressure {0.0, 0.0, 300, 0}; ///< kPa
    double noise = 1e-5;            ///< relative noise of an electrical reading (1 sigma)
    double referenceNoise = 0.002;  ///< noise of the reference instrument (°C or kPa)

    Input input = Input::None;
    int code = 0;                   ///< sensor type for Rtd / Thermocouple
    int signalUnit = 1;             ///< Signal: 0 mV, 1 mA, 2 Ohm, 3 V
    Quantity signalQuantity = Quantity::Pressure;
    double physMin = 0, physMax = 1000; ///< Signal: process span
    double elMin = 4, elMax = 20;       ///< Signal: electrical span
    /// Rtd, Thermocouple, Signal: the error of the device under test. It indicates
    /// true + inputErrorPct % (of the temperature for Rtd and Thermocouple, of the process span
    /// for Signal) + inputOffset (°C, or the process quantity's unit).
    double inputErrorPct = 0;
    double inputOffset = 0;
    LoopTransmitter loop;

    int referenceType = 0;          ///< ExtDeviceType: 0, 42, 13, 43, 81
    int referenceUnit = 2;          ///< ExtDeviceUnit index once known
    int referencePendingReads = 3;  ///< reads answering -333 after a restart

    double relay1Threshold = NAN;   ///< relay closes when the measured value reaches it
    double relay2Threshold = NAN;

    /// Input::Source: the true values applied to the mV, mA, Ohm and V channels.
    double source[4] = {50, 12, 100, 5};
    /// Hidden errors for the channel calibration to correct: the measuring channels mV, mA, Ohm,
    /// V and the compensator; the emulation channels mV, mA, Ohm, V and "Сопротивление (УСО)".
    ChannelError measError[5];
    ChannelError emulError[5];

    std::vector<HartDevice> hart;
    int hartDelayMs = 0;            ///< time until a HART response can be read
};

/// Channel names of the hidden errors (scenario keys "meas_mv_gain", commands "meas-mv-gain").
inline constexpr const char* kMeasChannelNames[5] = {"mv", "ma", "ohm", "v", "cj"};
inline constexpr const char* kEmulChannelNames[5] = {"mv", "ma", "ohm", "v", "uso"};

/// Reads a scenario file (INI). Unknown keys are ignored; missing keys keep the defaults.
/// Returns false with a message when the file cannot be read or a value is wrong.
bool LoadScenario(const QString& path, World* world, QString* error);

} // namespace sim
