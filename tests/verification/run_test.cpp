// The verification run over a fake PointIo: per-kind error and verdict, the reference's unit
// factor, the kept permissible error, the class tolerance following the reference, the secondary
// instrument's value changes, and stopping on a failed reference or a lost link.
#include "link/registers.h"
#include "verification/run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

using namespace verification;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

/// A calibrator, sensor and page in memory: registers answer from maps, the measured value from a
/// queue, and every write, message, wait and page call is recorded.
class FakeIo : public PointIo {
public:
    FakeIo()
    {
        setup.kind = sensors::SensorKind::Unified;
        setup.isRtd = false;
        setup.isUnified = true;
        setup.scaling = true;
        setup.elMin = 4;
        setup.elMax = 20;
        setup.physMin = 0;
        setup.physMax = 1;
        setup.rangeMin = 0;
        setup.rangeMax = 1;
        setup.physUnit = QStringLiteral("МПа");
        setup.elUnit = QStringLiteral("мА");
        setup.unitFactor = 1000;
        setup.lastReading = 12;
        ints[devlink::ExtDeviceType] = devlink::ExtPressure43;
    }

    bool LinkUp() override { return up; }
    int ReadInt(int reg, int* value) override
    {
        if (!up) return -1;
        ++reads[reg];
        if (reg == devlink::ExtDeviceUnit && pendingUnit > 0) {
            --pendingUnit;
            *value = devlink::kExtDeviceUnitPending;
            return 0;
        }
        auto it = ints.find(reg);
        if (it == ints.end()) return -4;
        *value = it->second;
        return 0;
    }
    int ReadReal(int reg, float* value) override
    {
        if (!up) return -1;
        ++reads[reg];
        if (reg == devlink::ExtDeviceValue && onReference) {
            const int r = onReference();
            if (r != 0) return r;
        }
        auto it = reals.find(reg);
        if (it == reals.end()) return -4;
        *value = it->second;
        return 0;
    }
    int WriteInt(int reg, int value) override { return Write(reg, float(value)); }
    int WriteReal(int reg, float value) override { return Write(reg, value); }
    int Write(int reg, float value)
    {
        if (!up) return -1;
        writes.push_back(std::to_string(reg) + "=" + std::to_string(value));
        return 0;
    }

    const sensors::SensorSetup& Setup() override { return setup; }
    int StartMeasure() override { return ++starts, startResult; }
    int StartEmulate() override { return ++starts, startResult; }
    int StopSignal() override
    {
        writes.push_back("stop-signal");
        return 0;
    }
    float ReadMeasured() override
    {
        if (measured.empty()) return kNaN;
        const float v = measured.front();
        if (measured.size() > 1) measured.pop_front();
        return v;
    }
    float PhysToEl(float x) override { return 4 + 16 * x; }
    float GradToElCJ(int, float t, float) override { return t; }
    int UpdateColdJunction() override { return 0; }
    int ClassTolerance(float t, float* tolerance) override
    {
        if (!classRated) return -1;
        *tolerance = 0.15f + 0.002f * std::fabs(t); // Pt100, class A
        return 0;
    }
    float TemperatureUncertainty(const measure::TStatistics&, const measure::TStatistics&) override
    {
        return temperatureU;
    }
    float CurrentError(float) override { return 0.001f; }
    void CurrentRange(float* iMin, float* iMax) override
    {
        *iMin = 4;
        *iMax = 20;
    }
    bool ToleranceFilled(int) override { return toleranceFilled; }
    int StartSteps() override
    {
        ++stepStarts;
        return 0;
    }
    void StopSteps() override { ++stepStops; }
    float SpinnerValue() override { return spinner; }
    void RunningChanged(bool running) override { runningCalls.push_back(running); }
    void StartChart() override { ++chartStarts; }
    void PointTaken() override { ++points; }
    void ShowRelays() override {}
    void ClearRelays() override {}
    void ProcessPendingUpdates() override { ++updates; }
    void Message(int n) override { messages.push_back(n); }
    void Wait(int ms) override { waits.push_back(ms); }

    sensors::SensorSetup setup;
    bool up = true;
    std::map<int, int> ints;
    std::map<int, float> reals;
    std::map<int, int> reads;
    int pendingUnit = 0;
    std::function<int()> onReference;
    std::deque<float> measured;
    std::vector<std::string> writes;
    int starts = 0, startResult = 0, stepStarts = 0, stepStops = 0, chartStarts = 0, points = 0, updates = 0;
    bool classRated = true;
    float temperatureU = 0.05f;
    bool toleranceFilled = true;
    float spinner = 0;
    std::vector<bool> runningCalls;
    std::vector<int> messages;
    std::vector<int> waits;
};

class Run : public ::testing::Test {
protected:
    Run() : run(io, data) {}
    void SetUp() override
    {
        data.errorCoefficient = 0;
        io.ints[devlink::ExtDeviceUnit] = 2; // kPa
    }
    /// Kind 0, reading `reference` kPa from the reference and `measured` МПа from the sensor.
    void Pressure(float reference, float measured)
    {
        io.reals[devlink::ExtDeviceValue] = reference;
        io.measured = {measured};
    }
    FakeIo io;
    reports::ProtocolData data;
    TVerificationRun run;
};

} // namespace

TEST_F(Run, PressureReferenceInKilopascalsForASensorInMegapascals)
{
    io.pendingUnit = 3;
    run.SetTypedTolerance(0.5f);
    Pressure(1000, 1.0f);
    ASSERT_EQ(run.Start(), 0);
    EXPECT_FLOAT_EQ(run.RefUnitRatio(), 0.001f);
    EXPECT_EQ(io.waits, std::vector<int>(3, kUnitPollMs));
    ASSERT_EQ(run.Tick(), TVerificationRun::TickOutcome::Point);
    EXPECT_FLOAT_EQ(run.Point().reference, 1.0f);
    EXPECT_FLOAT_EQ(run.Point().error, 0.0f);
    EXPECT_EQ(run.Point().pass, 1);
    EXPECT_TRUE(run.PointReady());
    EXPECT_FLOAT_EQ(data.device.permissibleError, 0.5f);
    EXPECT_FLOAT_EQ(data.device.rangeHigh, 1.0f);
    EXPECT_STREQ(data.device.units, "\xcc\xcf\xe0"); // "МПа" in Windows-1251
}

TEST_F(Run, UnitStillPendingAfterTwentyReadingsLeavesTheRatioAtOne)
{
    io.pendingUnit = 25;
    run.SetTypedTolerance(0.5f);
    ASSERT_EQ(run.Start(), 0);
    EXPECT_FLOAT_EQ(run.RefUnitRatio(), 1.0f);
    EXPECT_EQ(io.reads[devlink::ExtDeviceUnit], kUnitPolls);
    EXPECT_EQ(io.waits.size(), size_t(kUnitPolls));
}

TEST_F(Run, RefUnitRatioTable)
{
    EXPECT_FLOAT_EQ(RefUnitRatio(2, 1000), 0.001f); // kPa reference, МПа sensor
    EXPECT_FLOAT_EQ(RefUnitRatio(1, 1), 1000);      // МПа reference, kPa sensor
    EXPECT_FLOAT_EQ(RefUnitRatio(7, 100), 1);       // bar both
    EXPECT_FLOAT_EQ(RefUnitRatio(-333, 1000), 1);
    EXPECT_FLOAT_EQ(RefUnitRatio(10, 1000), 1);
    EXPECT_FLOAT_EQ(RefUnitRatio(2, 0), 1);
    EXPECT_FLOAT_EQ(RefUnitRatio(2, kNaN), 1);
}

TEST_F(Run, StartFailuresShowTheirMessagesAndStartNothing)
{
    struct Row {
        const char* name;
        int kind;
        bool filled;
        int referenceType;
        std::vector<int> messages;
    } rows[] = {
        {"pressure without a permissible error", KindPressure, false, devlink::ExtPressure43, {5}},
        {"no pressure reference", KindPressure, true, devlink::ExtReferenceThermometer, {6}},
        {"no reference thermometer", KindTemperature, true, devlink::ExtPressure13, {2}},
        {"secondary without a number", KindSecondary, false, 0, {17}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        FakeIo fio;
        fio.toleranceFilled = r.filled;
        fio.ints[devlink::ExtDeviceType] = r.referenceType;
        TVerificationRun fresh(fio, data);
        fresh.SetKind(r.kind);
        EXPECT_EQ(fresh.Start(), -1);
        EXPECT_FALSE(fresh.Running());
        EXPECT_EQ(fio.messages, r.messages);
        EXPECT_EQ(fio.starts, 0);
        EXPECT_TRUE(fio.runningCalls.empty());
        // a secondary start that fails after the steps began stops them again
        EXPECT_EQ(fio.stepStops, fio.stepStarts);
    }
    // a failed exchange at start gives no message of this page
    io.ints.erase(devlink::ExtDeviceType);
    EXPECT_EQ(run.Start(), -1);
    EXPECT_TRUE(io.messages.empty());
}

TEST_F(Run, OneVerdictForEveryKind)
{
    struct Row {
        const char* name;
        int kind;
        float coefficient, tolerance, reference, measured;
        int pass;
    } rows[] = {
        // kind 0: error in % of a 0..1 МПа range; the coefficient scales the limit
        {"c 0.8: 0.45 % against 0.4 %", KindPressure, 0.8f, 0.5f, 500, 0.5045f, 0},
        {"c 0 counts as 1: error at the limit", KindPressure, 0.0f, 0.5f, 500, 0.505f, 1},
        {"c 2 doubles the limit", KindPressure, 2.0f, 0.5f, 500, 0.509f, 1},
        {"c 2, beyond", KindPressure, 2.0f, 0.5f, 500, 0.5105f, 0},
        // kind 1: °C, the coefficient ignored
        {"temperature at the limit", KindTemperature, 2.0f, 0.5f, 100, 100.5f, 1},
        {"temperature beyond", KindTemperature, 2.0f, 0.5f, 100, 100.6f, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        FakeIo fio;
        fio.ints[devlink::ExtDeviceUnit] = 2;
        if (r.kind == KindTemperature) fio.ints[devlink::ExtDeviceType] = devlink::ExtReferenceThermometer;
        fio.reals[devlink::ExtDeviceValue] = r.reference;
        fio.measured = {r.measured};
        reports::ProtocolData d;
        d.errorCoefficient = r.coefficient;
        TVerificationRun fresh(fio, d);
        fresh.SetKind(r.kind);
        fresh.SetTypedTolerance(r.tolerance);
        ASSERT_EQ(fresh.Start(), 0);
        ASSERT_EQ(fresh.Tick(), TVerificationRun::TickOutcome::Point);
        EXPECT_EQ(fresh.Point().pass, r.pass) << fresh.Point().error;
    }
}

TEST_F(Run, AFailedMeasurementOrARangeWithoutWidthGivesNoPoint)
{
    run.SetTypedTolerance(0.5f);
    Pressure(500, kNaN);
    ASSERT_EQ(run.Start(), 0);
    ASSERT_EQ(run.Tick(), TVerificationRun::TickOutcome::Point);
    EXPECT_TRUE(std::isnan(run.Point().error));
    EXPECT_EQ(run.Point().pass, 0);
    EXPECT_FALSE(run.PointReady());
    ResultList list;
    EXPECT_EQ(run.AddPoint(list), -1);
    EXPECT_EQ(list.count, 0);

    run.Stop();
    io.setup.rangeMax = io.setup.rangeMin; // span 0
    io.measured = {0.5f};
    ASSERT_EQ(run.Start(), 0);
    run.Tick();
    EXPECT_TRUE(std::isnan(run.Point().error));
    EXPECT_FALSE(run.PointReady());
}

TEST_F(Run, TheTypedToleranceIsKeptTickAfterTick)
{
    data.decimals = 0; // the page shows "0"; the run never reads that back
    run.SetTypedTolerance(0.25f);
    Pressure(500, 0.501f);
    ASSERT_EQ(run.Start(), 0);
    for (int i = 0; i < 5; ++i)
        run.Tick();
    EXPECT_FLOAT_EQ(run.Point().tolerance, 0.25f);
    EXPECT_EQ(run.Point().pass, 1); // 0.1 % within 0.25 %
}

TEST_F(Run, AClassToleranceFollowsTheReference)
{
    io.setup.kind = sensors::SensorKind::Rtd;
    io.setup.isUnified = false;
    io.setup.isRtd = true;
    io.setup.scaling = false;
    io.setup.rangeMin = -200;
    io.setup.rangeMax = 600;
    io.ints[devlink::ExtDeviceType] = devlink::ExtReferenceThermometer;
    run.SetKind(KindTemperature);
    // before any reading the class is judged at 0 °C
    ASSERT_EQ(run.TakeClassTolerance(), 0);
    EXPECT_FLOAT_EQ(run.Tolerance(), 0.15f);
    ASSERT_EQ(run.Start(), 0);
    io.reals[devlink::ExtDeviceValue] = 200;
    io.measured = {200.3f};
    run.Tick();
    EXPECT_FLOAT_EQ(run.Point().tolerance, 0.55f);
    EXPECT_EQ(run.Point().pass, 1);
    io.reals[devlink::ExtDeviceValue] = 0;
    io.measured = {0.3f};
    run.Tick();
    EXPECT_FLOAT_EQ(run.Point().tolerance, 0.15f);
    EXPECT_EQ(run.Point().pass, 0);
    // typed, it stays whatever the reference
    run.SetTypedTolerance(0.3f);
    io.reals[devlink::ExtDeviceValue] = 200;
    run.Tick();
    EXPECT_FLOAT_EQ(run.Point().tolerance, 0.3f);
    // a missing reference leaves the tolerance as it was
    run.Stop();
    io.onReference = [] { return -4; };
    ASSERT_EQ(run.Start(), 0);
    run.Tick();
    EXPECT_TRUE(std::isnan(run.Point().reference));
    EXPECT_EQ(run.TakeClassTolerance(), -1);
    EXPECT_FLOAT_EQ(run.Tolerance(), 0.3f);
}

TEST_F(Run, AnUnratedThermometerLeavesUUnknownButThePointStands)
{
    io.setup.kind = sensors::SensorKind::Rtd;
    io.setup.isUnified = false;
    io.setup.isRtd = true;
    io.ints[devlink::ExtDeviceType] = devlink::ExtReferenceThermometer;
    io.temperatureU = kNaN;
    io.reals[devlink::ExtDeviceValue] = 100;
    io.measured = {100.1f};
    run.SetKind(KindTemperature);
    run.SetTypedTolerance(0.5f);
    ASSERT_EQ(run.Start(), 0);
    run.Tick();
    EXPECT_TRUE(std::isnan(run.Point().uncertainty));
    EXPECT_TRUE(std::isnan(run.Ratio()));
    EXPECT_EQ(run.Point().pass, 1);
    EXPECT_TRUE(run.PointReady());
    // the guard band cannot judge without U
    data.decisionRule = int(DecisionRule::GuardBand);
    run.Tick();
    EXPECT_EQ(run.Point().pass, 0);
}

TEST_F(Run, GuardBandJudgesTheErrorWithUInPercentOfTheRange)
{
    // kind 0: U comes in МПа; over a 0..1 МПа range 0.001 МПа is 0.1 %
    const PointVerdict simple =
        JudgePoint(KindPressure, 0.45f, 0.5f, 0.001f, 0, 1, 0, DecisionRule::SimpleAcceptance);
    const PointVerdict guarded =
        JudgePoint(KindPressure, 0.45f, 0.5f, 0.001f, 0, 1, 0, DecisionRule::GuardBand);
    EXPECT_TRUE(simple.pass);
    EXPECT_FALSE(guarded.pass); // 0.45 + 0.1 > 0.5
    EXPECT_FLOAT_EQ(guarded.ratio, 5.0f);
}

TEST_F(Run, SecondaryInstrumentComparesInTheSensorsUnit)
{
    // 0..1 МПа emulated; the current input reads 12 mA as 0.5 МПа
    io.spinner = 0.5f;
    io.measured = {0.5f};
    run.SetKind(KindSecondary);
    run.SetTypedTolerance(0.5f);
    ASSERT_EQ(run.Start(), 0);
    EXPECT_EQ(io.writes.back(), std::to_string(devlink::EmulValue) + "=" + std::to_string(io.PhysToEl(0.5f)));
    EXPECT_FLOAT_EQ(data.device.signalLow, 4);
    EXPECT_FLOAT_EQ(data.device.signalHigh, 20);
    run.Tick();
    EXPECT_FLOAT_EQ(run.Point().reference, 0.5f);
    EXPECT_FLOAT_EQ(run.Point().error, 0.0f);
    EXPECT_TRUE(run.PointReady());
    EXPECT_EQ(run.MeasuredWindow().count, 1);

    // a new value: the old windows and the old measured value no longer belong to the point
    io.spinner = 0.8f;
    EXPECT_EQ(run.EmulatedValueChanged(0.8f), 0);
    EXPECT_EQ(io.writes.back(), std::to_string(devlink::EmulValue) + "=" + std::to_string(io.PhysToEl(0.8f)));
    EXPECT_EQ(run.MeasuredWindow().count, 0);
    EXPECT_EQ(run.ReferenceWindow().count, 0);
    EXPECT_FALSE(run.PointReady());
    ResultList list;
    EXPECT_EQ(run.AddPoint(list), -1);
    io.measured = {0.8f};
    run.Tick();
    EXPECT_TRUE(run.PointReady());
    EXPECT_EQ(run.AddPoint(list), 1);
    EXPECT_FLOAT_EQ(list.rows[0].reference, 0.8f);
    EXPECT_FLOAT_EQ(list.rows[0].measured, 0.8f);
    // the same value again keeps what the windows hold
    run.EmulatedValueChanged(0.8f);
    EXPECT_EQ(run.MeasuredWindow().count, 1);
}

TEST_F(Run, AFailedReferenceReadingStopsOnceAndKeepsThePoint)
{
    run.SetTypedTolerance(0.5f);
    Pressure(500, 0.5f);
    ASSERT_EQ(run.Start(), 0);
    run.Tick();
    io.onReference = [] { return -4; }; // device error: the reference is gone
    io.writes.clear();
    EXPECT_EQ(run.Tick(), TVerificationRun::TickOutcome::Stopped);
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(io.messages, std::vector<int>{10});
    EXPECT_EQ(io.updates, 1);
    EXPECT_TRUE(std::isnan(run.Point().reference));
    EXPECT_FLOAT_EQ(run.Point().measured, 0.5f);
    EXPECT_EQ(io.writes, (std::vector<std::string>{"stop-signal", std::to_string(devlink::EmulValue) + "=" +
                                                                      std::to_string(0.0f)}));
    EXPECT_EQ(run.Tick(), TVerificationRun::TickOutcome::Idle);
    EXPECT_EQ(io.messages.size(), 1u);
}

TEST_F(Run, ALostLinkStopsWithoutAWriteOrAMessageOfItsOwn)
{
    run.SetTypedTolerance(0.5f);
    Pressure(500, 0.5f);
    ASSERT_EQ(run.Start(), 0);
    io.writes.clear();
    // the exchange fails and the session's link-lost reaction stops the run inside it
    io.onReference = [this] {
        io.up = false;
        run.Stop();
        return -3;
    };
    EXPECT_EQ(run.Tick(), TVerificationRun::TickOutcome::Stopped);
    EXPECT_FALSE(run.Running());
    EXPECT_TRUE(io.messages.empty());
    EXPECT_TRUE(io.writes.empty());
    EXPECT_EQ(io.runningCalls, (std::vector<bool>{true, false}));
}

TEST_F(Run, TypedReadingsLeaveTheCalibratorAlone)
{
    run.SetTypedTolerance(0.5f);
    run.SetManualReference(true);
    run.SetManualMeasured(true);
    run.SetTypedReference(0.5f);
    run.SetTypedMeasured(0.503f);
    ASSERT_EQ(run.Start(), 0);
    run.Tick();
    EXPECT_EQ(io.starts, 0);
    EXPECT_TRUE(io.reads.empty());
    EXPECT_FLOAT_EQ(run.RefUnitRatio(), 1.0f); // a typed reference is in the sensor's unit
    EXPECT_NEAR(run.Point().error, 0.3f, 1e-4);
    EXPECT_FLOAT_EQ(run.Point().measuredSignal, io.PhysToEl(0.503f));
    EXPECT_EQ(run.Point().pass, 1);
}
