#include "measure/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace measure;

TEST(Statistics, OneValueAfterReset)
{
    TStatistics s;
    s.count = 9;
    Reset(s);
    AddRunning(s, 4.5f);
    EXPECT_EQ(s.count, 1);
    EXPECT_EQ(s.minimum, 4.5f);
    EXPECT_EQ(s.maximum, 4.5f);
    EXPECT_EQ(s.mean, 4.5f);
    EXPECT_EQ(s.last, 4.5f);
    EXPECT_EQ(s.spread, 0.0f);
    EXPECT_EQ(s.populationDeviation, 0.0f);
    EXPECT_EQ(s.sampleDeviation, 0.0f);
}

TEST(Statistics, RunningAndWindowAgreeOnOneThenThree)
{
    // Σ(x − mean)² of 1 and 3 is 2: population deviation 1, sample deviation √2, in both variants
    TStatistics r, w;
    for (float x : {1.0f, 3.0f}) {
        AddRunning(r, x);
        AddWindow(w, x);
    }
    for (const TStatistics* s : {&r, &w}) {
        EXPECT_EQ(s->mean, 2.0f);
        EXPECT_EQ(s->populationDeviation, 1.0f);
        EXPECT_NEAR(s->sampleDeviation, 1.41421, 1e-5);
        EXPECT_EQ(s->spread, 2.0f);
    }
}

TEST(Statistics, NonFiniteValuesChangeNothing)
{
    TStatistics r, w;
    AddRunning(r, 2);
    AddWindow(w, 2);
    const TStatistics r0 = r, w0 = w;
    for (float x : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()}) {
        AddRunning(r, x);
        AddWindow(w, x);
    }
    EXPECT_EQ(0, memcmp(&r, &r0, sizeof r));
    EXPECT_EQ(0, memcmp(&w, &w0, sizeof w));
}

// A day at 1 Hz of a bath with noise: the running record against a two-pass computation in double
// over the same 32-bit values, at several counts on the way.
TEST(Statistics, ADayOfReadingsMatchesTwoPasses)
{
    for (double bath : {100.0123, 23.456}) {
        std::mt19937 rng(7);
        std::normal_distribution<double> noise(0.0, 0.005);
        std::vector<float> values;
        TStatistics s;
        for (int i = 1; i <= 86400; ++i) {
            const float x = float(bath + noise(rng));
            values.push_back(x);
            AddRunning(s, x);
            if (i != 2 && i != 1000 && i != 86400) continue;
            double sum = 0;
            for (float v : values)
                sum += v;
            const double mean = sum / double(values.size());
            double ss = 0;
            for (float v : values)
                ss += (v - mean) * (v - mean);
            const double pop = std::sqrt(ss / double(values.size())),
                         sample = std::sqrt(ss / double(values.size() - 1));
            SCOPED_TRACE(testing::Message() << "bath " << bath << ", " << i << " values");
            EXPECT_EQ(s.count, i);
            EXPECT_NEAR(s.mean, mean, 1e-6 * mean);
            EXPECT_NEAR(s.populationDeviation, pop, 1e-6 * pop);
            EXPECT_NEAR(s.sampleDeviation, sample, 1e-6 * sample);
        }
        EXPECT_NEAR(s.populationDeviation, 0.005, 0.0001); // the noise it was given
    }
}

TEST(Statistics, WindowKeepsTheLastNValues)
{
    for (int n : {0, 150}) { // both mean 20
        TStatistics w;
        w.windowSize = n;
        for (int i = 1; i <= 25; ++i)
            AddWindow(w, float(i));
        EXPECT_EQ(w.windowSize, 20);
        EXPECT_EQ(w.count, 25);
        EXPECT_EQ(w.full, 1);
        EXPECT_EQ(w.minimum, 6.0f); // the last 20 values: 6..25
        EXPECT_EQ(w.maximum, 25.0f);
        EXPECT_EQ(w.mean, 15.5f);
        EXPECT_EQ(w.last, 25.0f);
    }
    TStatistics w;
    w.windowSize = 3;
    for (float x : {10.f, 20.f, 30.f, 40.f})
        AddWindow(w, x);
    EXPECT_EQ(w.mean, 30.0f);
    EXPECT_EQ(w.writePosition, 1);
}
