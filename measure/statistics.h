// The statistics record of a stream of readings: a running variant over every value since the
// reset (the measurement page) and a sliding window over the last N values (the verification's
// stability judgement). Non-finite values are ignored entirely.
//
// The fields callers read are 32-bit, as the pages show them; the accumulators are doubles. The
// running variant uses Welford's update (mean and sum of squared deviations carried in double), so
// after a day of readings at 1 Hz its mean and deviations still equal a two-pass computation over
// the same values, and both variants give the same deviations for the same values.
#pragma once

#include <cstdint>

namespace measure {

inline constexpr int kWindowCapacity = 100;
inline constexpr int kDefaultWindow = 20;

struct TStatistics {
    std::int32_t count = 0;
    std::int32_t windowSize = 0; ///< window variant: 0 or >= 100 means 20
    std::int32_t writePosition = 0;
    std::uint8_t full = 0;
    float minimum = 0;
    float maximum = 0;
    float spread = 0;
    float mean = 0;
    float populationDeviation = 0; ///< √(Σ(x − mean)² / n)
    float sampleDeviation = 0;     ///< √(Σ(x − mean)² / (n − 1)); 0 while n < 2
    float last = 0;
    float values[kWindowCapacity] = {};
    float resolution = 0;    ///< set and read by the verification; left alone here
    double sum = 0;          ///< window variant: sum of the window's values
    double sumOfSquares = 0; ///< Σ(x − mean)² of the values the record covers
    double runningMean = 0;  ///< running variant: the mean, unrounded
};

/// Every field and ring slot to 0.
void Reset(TStatistics& s);
/// Running update over every value since the reset (Welford).
void AddRunning(TStatistics& s, float x);
/// Sliding-window update over the last N values (two passes over the window).
void AddWindow(TStatistics& s, float x);

} // namespace measure
