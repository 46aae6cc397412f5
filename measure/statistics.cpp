#include "measure/statistics.h"

#include <cmath>

namespace measure {
namespace {

void StoreDeviations(TStatistics& s, int n)
{
    s.populationDeviation = float(std::sqrt(s.sumOfSquares / double(n)));
    s.sampleDeviation = n > 1 ? float(std::sqrt(s.sumOfSquares / double(n - 1))) : 0.0f;
}

} // namespace

void Reset(TStatistics& s)
{
    s = TStatistics();
}

void AddRunning(TStatistics& s, float x)
{
    if (!std::isfinite(x)) return;
    const std::int32_t old = s.count;
    s.count = old + 1;
    if (old == 0) {
        s.minimum = s.maximum = x;
    } else {
        if (x < s.minimum) s.minimum = x;
        if (x > s.maximum) s.maximum = x;
    }
    s.spread = float(double(s.maximum) - double(s.minimum));
    // Welford: the squared deviations are summed against the mean before and after this value,
    // which adds exactly this value's share of Σ(x − mean)² over all values so far.
    const double delta = double(x) - s.runningMean;
    s.runningMean += delta / double(s.count);
    s.sumOfSquares += delta * (double(x) - s.runningMean);
    if (s.sumOfSquares < 0) s.sumOfSquares = 0;
    s.mean = float(s.runningMean);
    StoreDeviations(s, s.count);
    s.last = x;
}

void AddWindow(TStatistics& s, float x)
{
    if (!std::isfinite(x)) return;
    s.last = x;
    if (s.windowSize <= 0 || s.windowSize >= kWindowCapacity) s.windowSize = kDefaultWindow;
    const int N = s.windowSize;
    s.count += 1;
    int n = s.count;
    if (n > N) {
        n = N;
        s.full = 1;
    }
    if (s.writePosition >= N || s.writePosition < 0) s.writePosition = 0;
    s.values[s.writePosition] = x;
    s.writePosition += 1;

    s.sum = s.values[0];
    s.minimum = s.maximum = s.values[0];
    for (int i = 1; i < n; ++i) {
        const float v = s.values[i];
        s.sum += double(v);
        if (v < s.minimum) s.minimum = v;
        if (v > s.maximum) s.maximum = v;
    }
    s.spread = float(double(s.maximum) - double(s.minimum));
    const double mean = s.sum / double(n);
    s.mean = float(mean);
    s.sumOfSquares = 0;
    for (int i = 0; i < n; ++i) {
        const double d = double(s.values[i]) - mean;
        s.sumOfSquares += d * d;
    }
    StoreDeviations(s, n);
}

} // namespace measure
