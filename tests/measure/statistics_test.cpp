#include "measure/statistics.h"

#include <gtest/gtest.h>

#include <cstring>

#include <limits>

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

TEST(Statistics, RunningAndWindowOnOneThenThree)
{
    TStatistics r, w;
    for (float x : {1.0f, 3.0f}) {
        AddRunning(r, x);
        AddWindow(w, x);
    }
    // running: each value contributes its distance from the mean as it stood then: (1-1)² + (3-2)²
    EXPECT_EQ(r.mean, 2.0f);
    EXPECT_NEAR(r.populationDeviation, 0.70711, 1e-5);
    EXPECT_EQ(r.sampleDeviation, 1.0f);
    EXPECT_EQ(r.spread, 2.0f);
    // window: recomputed from scratch
    EXPECT_EQ(w.mean, 2.0f);
    EXPECT_EQ(w.populationDeviation, 1.0f);
    EXPECT_NEAR(w.sampleDeviation, 1.41421, 1e-5);
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

TEST(Statistics, WindowKeepsTheLastNValues)
{
    for (int n : {0, 150}) { // both mean 20
        TStatistics w;
        w.windowSize = n;
        for (int i = 1; i <= 25; ++i) AddWindow(w, float(i));
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
    for (float x : {10.f, 20.f, 30.f, 40.f}) AddWindow(w, x);
    EXPECT_EQ(w.mean, 30.0f);
    EXPECT_EQ(w.writePosition, 1);
}
