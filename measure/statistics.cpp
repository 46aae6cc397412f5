#include "measure/statistics.h"

#include <cmath>

namespace measure {

void Reset(TStatistics& s) { s = TStatistics(); }

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
    s.sum = float(double(s.sum) + double(x));
    s.mean = float(double(s.sum) / double(s.count));
    const double d = double(x) - double(s.mean);
    s.sumOfSquares = float(double(s.sumOfSquares) + d * d);
    s.populationDeviation = float(std::sqrt(double(s.sumOfSquares) / double(s.count)));
    s.sampleDeviation = s.count > 1 ? float(std::sqrt(double(s.sumOfSquares) / double(s.count - 1))) : 0.0f;
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
        s.sum = float(double(s.sum) + double(v));
        if (v < s.minimum) s.minimum = v;
        if (v > s.maximum) s.maximum = v;
    }
    s.spread = float(double(s.maximum) - double(s.minimum));
    s.mean = float(double(s.sum) / double(n));
    s.sumOfSquares = 0;
    for (int i = 0; i < n; ++i) {
        const double d = double(s.values[i]) - double(s.mean);
        s.sumOfSquares = float(double(s.sumOfSquares) + d * d);
    }
    s.populationDeviation = float(std::sqrt(double(s.sumOfSquares) / double(n)));
    s.sampleDeviation = n > 1 ? float(std::sqrt(double(s.sumOfSquares) / double(n - 1))) : 0.0f;
}

} // namespace measure
