// The statistics record of a stream of readings: a running variant over every value since the
// reset (the measurement page) and a sliding window over the last N values (the verification's
// stability judgement). Non-finite values are ignored entirely.
#pragma once

#include <cstdint>

namespace measure {

inline constexpr int kWindowCapacity = 100;
inline constexpr int kDefaultWindow = 20;

/// Fields in their order; all floats 32-bit. Each step computes in double and rounds when it
/// stores a field (the mean is stored before the deviations use it).
struct TStatistics {
    std::int32_t count = 0;
    std::int32_t windowSize = 0; ///< window variant: 0 or >= 100 means 20
    std::int32_t writePosition = 0;
    std::uint8_t full = 0;
    float minimum = 0;
    float maximum = 0;
    float spread = 0;
    float mean = 0;
    float populationDeviation = 0;
    float sampleDeviation = 0;
    float last = 0;
    float values[kWindowCapacity] = {};
    float resolution = 0; ///< set and read by the verification; left alone here
    float sum = 0;
    float sumOfSquares = 0;
};

/// Every field and ring slot to 0.
void Reset(TStatistics& s);
/// Running update over every value since the reset.
void AddRunning(TStatistics& s, float x);
/// Sliding-window update over the last N values.
void AddWindow(TStatistics& s, float x);

} // namespace measure
