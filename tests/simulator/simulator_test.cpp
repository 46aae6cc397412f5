// The virtual calibrator end to end through the link over its pseudo-terminal.
#include "link/registers.h"
#include "polynoms/characteristics.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/sim_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace devlink;
using testsupport::SimFixture;

namespace {

sim::World Bench()
{
    sim::World w;
    QString error;
    EXPECT_TRUE(sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("bench")), &w, &error))
        << error.toStdString();
    return w;
}

class Simulator : public SimFixture {
protected:
    Simulator() : SimFixture(Bench()) {}
};

} // namespace

TEST_F(Simulator, IdentificationAndRefusals)
{
    ASSERT_EQ(link.Identify(), 0);
    EXPECT_STREQ(link.ReplyData(), "50");
    struct Row {
        const char* request;
        int deviceError;
    } rows[] = {
        {"1;37;999;", 3},          // unknown register
        {"1;38;22;5;", 4},         // read-only
        {"1;38;400;x;", 2},        // malformed value
        {"1;37;;", 2},             // malformed register
        {"1;77;", 1},              // unknown command
        {"1;38;66;150;", 6},       // AveragingCount beyond 99
        {"1;38;61;7;", 6},         // backlight times are 0, 5, 30, 60, 300
        {"1;38;67;5;", 6},         // SaveConfig takes only 111
    };
    for (const Row& r : rows) {
        EXPECT_EQ(link.Frames().Command(r.request, 0), -4) << r.request;
        EXPECT_EQ(link.DeviceErrorCode(), r.deviceError) << r.request;
    }
    EXPECT_TRUE(lost.empty());
}

TEST_F(Simulator, MeasuresThePt100InTheBath)
{
    ASSERT_EQ(link.WriteRegisterInt(MeasMode, MeasResistanceOhm), 0);
    float ohm = 0;
    ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &ohm), 0);
    EXPECT_NEAR(ohm, 138.51, 0.1); // Pt100 at about 100 °C
    // the reference thermometer after a restart: -333 for a few reads, then °C
    int type = 0, unit = 0;
    ASSERT_EQ(link.ReadRegisterInt(ExtDeviceType, &type), 0);
    EXPECT_EQ(type, ExtReferenceThermometer);
    ASSERT_EQ(link.WriteRegisterInt(ExtDeviceRestart, 0), 0);
    int pending = 0;
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(link.ReadRegisterInt(ExtDeviceUnit, &unit), 0);
        if (unit != kExtDeviceUnitPending) break;
        ++pending;
    }
    EXPECT_EQ(pending, 3);
    EXPECT_EQ(unit, 0);
    float ref = 0;
    ASSERT_EQ(link.ReadRegisterReal(ExtDeviceValue, &ref), 0);
    EXPECT_NEAR(ref, 100, 0.1);
    // out of the channel's range: mV mode with an RTD wired gives 0, but a calibration factor
    // that pushes the Ohm reading beyond the channel answers device error 6
    ASSERT_EQ(link.WriteRegisterReal(kCalibMeasFactor[ChanOhm], 1.5f), 0);
    ASSERT_EQ(link.WriteRegisterReal(kCalibMeasShift[ChanOhm], 200.0f), 0);
    EXPECT_EQ(link.ReadRegisterReal(MeasuredValue, &ohm), -1);
    EXPECT_EQ(link.DeviceErrorCode(), 6);
}

TEST_F(Simulator, RelaysSwitchAtTheirThresholds)
{
    ASSERT_EQ(link.WriteRegisterInt(MeasMode, MeasResistanceOhm), 0);
    int relay1 = -1, relay2 = -1;
    ASSERT_EQ(link.ReadRegisterInt(Relay1State, &relay1), 0);
    ASSERT_EQ(link.ReadRegisterInt(Relay2State, &relay2), 0);
    EXPECT_EQ(relay1, 0); // 138.5 Ohm is below the bench's 140 Ohm threshold
    EXPECT_EQ(relay2, 0); // no threshold
    vc.Model().Set("process-temp", 150);
    ASSERT_EQ(link.ReadRegisterInt(Relay1State, &relay1), 0);
    EXPECT_EQ(relay1, 1);
}

TEST_F(Simulator, SerialNumberIsCommittedOnlyBy735Then628)
{
    ASSERT_EQ(link.WriteRegisterInt(SerialNumber, 4242), 0);
    EXPECT_EQ(link.WriteRegisterInt(CommitFactory, kCommitSerialFinish), -4); // not armed
    ASSERT_EQ(link.ReadDeviceSerialNumber(), 0);
    EXPECT_STREQ(link.DeviceSerialNumber(), "100001");
    ASSERT_EQ(link.WriteRegisterInt(CommitData, kCommitSerialStart), 0);
    ASSERT_EQ(link.WriteRegisterInt(CommitFactory, kCommitSerialFinish), 0);
    ASSERT_EQ(link.ReadDeviceSerialNumber(), 0);
    EXPECT_STREQ(link.DeviceSerialNumber(), "4242");
}

TEST(SimulatorState, SettingsPersistOnlyWhenSaved)
{
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("state.ini"));
    testsupport::ScopedSimDir simDir;
    {
        sim::VirtualCalibrator vc({}, state);
        ASSERT_EQ(vc.Start(), 0);
        TInterface link;
        link.Frames().Initialise(vc.PortPath(), 115200, 1, 150);
        ASSERT_EQ(link.WriteRegisterInt(AveragingCount, 17), 0);
        ASSERT_EQ(link.WriteRegisterInt(DecimalPlaces, 1), 0);
        ASSERT_EQ(link.WriteRegisterInt(SaveConfig, kSaveConfigKey), 0);
        ASSERT_EQ(link.WriteRegisterInt(DecimalPlaces, 4), 0); // not saved
    }
    sim::VirtualCalibrator vc({}, state);
    ASSERT_EQ(vc.Start(), 0);
    TInterface link;
    link.Frames().Initialise(vc.PortPath(), 115200, 1, 150);
    int v = 0;
    ASSERT_EQ(link.ReadRegisterInt(AveragingCount, &v), 0);
    EXPECT_EQ(v, 17);
    ASSERT_EQ(link.ReadRegisterInt(DecimalPlaces, &v), 0);
    EXPECT_EQ(v, 1);
}

TEST_F(Simulator, ClockRunsFromTheHostClockPlusWrittenOffset)
{
    ASSERT_EQ(link.WriteRegisterInt(ClockYear, 2031), 0);
    ASSERT_EQ(link.WriteRegisterInt(ClockHour, 7), 0);
    int year = 0, hour = 0;
    ASSERT_EQ(link.ReadRegisterInt(ClockYear, &year), 0);
    ASSERT_EQ(link.ReadRegisterInt(ClockHour, &hour), 0);
    EXPECT_EQ(year, 2031);
    EXPECT_TRUE(hour == 7 || hour == 8);
    EXPECT_EQ(link.WriteRegisterInt(ClockMonth, 13), -4);
}

TEST_F(Simulator, PlainClockAndRawPresets)
{
    // a field written alone changes alone: day 31 in February is kept, not carried into March
    vc.Model().SetClock({2026, 1, 31, 23, 59, 0});
    ASSERT_EQ(link.WriteRegisterInt(ClockMonth, 2), 0);
    EXPECT_EQ(vc.Model().Clock(), (sim::ClockFields{2026, 2, 31, 23, 59, 0}));
    ASSERT_EQ(link.WriteRegisterInt(ClockDay, 28), 0);
    // a valid clock runs on: it passes midnight and the month end on its own
    vc.Model().SetClock({2026, 2, 28, 23, 59, 59});
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(vc.Model().Clock(), (sim::ClockFields{2026, 3, 1, 0, 0, 0}));
    EXPECT_EQ(link.WriteRegisterInt(ClockDay, 32), -4);

    // a raw preset answers reads until the register is written
    vc.Model().SetRaw(Brightness, "92");
    ASSERT_EQ(link.ReadRegister(Brightness), 0);
    EXPECT_STREQ(link.ReplyData(), "92");
    ASSERT_EQ(link.WriteRegisterInt(Brightness, 40), 0);
    ASSERT_EQ(link.ReadRegister(Brightness), 0);
    EXPECT_STREQ(link.ReplyData(), "40");
    vc.Model().SetRaw(ClockDay, "x");
    vc.Model().ClearRaw(ClockDay);
    int day = 0;
    EXPECT_EQ(link.ReadRegisterInt(ClockDay, &day), 0);
}

TEST(SimulatorCalibration, PointsAndHiddenErrors)
{
    sim::World w;
    QString error;
    ASSERT_TRUE(
        sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("calibration")), &w, &error));
    EXPECT_EQ(w.input, sim::Input::Source);
    EXPECT_EQ(w.measError[ChanMv].gain, 0.02);
    w.noise = 0;
    w.emulError[0] = {0.02, 0.05};
    sim::VirtualCalibrator vc(w);
    ASSERT_EQ(vc.Start(), 0);
    TInterface link;
    link.Frames().Initialise(vc.PortPath(), 115200, 1, 150);
    // the mV output's minimum and maximum points are distinct, both through the hidden error
    ASSERT_EQ(link.WriteRegisterInt(CalibEmulMin, kCalibChannelCode[0]), 0);
    EXPECT_NEAR(vc.Model().TrueOutput(), 0.05, 1e-12);
    ASSERT_EQ(link.WriteRegisterInt(CalibEmulMax, kCalibChannelCode[0]), 0);
    EXPECT_NEAR(vc.Model().TrueOutput(), 102.05, 1e-9);
    ASSERT_EQ(link.WriteRegisterInt(EmulSignalKind, EmulVoltageMv), 0);
    ASSERT_EQ(link.WriteRegisterReal(EmulValue, 40.0f), 0);
    EXPECT_NEAR(vc.Model().TrueOutput(), 40 * 1.02 + 0.05, 1e-6);
    // the measured points written back make the output right
    ASSERT_EQ(link.WriteRegisterReal(kCalibEmulLow[0], 0.05f), 0);
    ASSERT_EQ(link.WriteRegisterReal(kCalibEmulHigh[0], 102.05f), 0);
    EXPECT_NEAR(vc.Model().TrueOutput(), 40.0, 1e-4);
    // the measuring side: the reference source's 50 mV reads 2 % high; the scenario's names work
    ASSERT_EQ(link.WriteRegisterInt(MeasMode, MeasVoltageMv), 0);
    float mv = 0;
    ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &mv), 0);
    EXPECT_NEAR(mv, 51.0, 1e-4);
    EXPECT_TRUE(vc.Model().Set("meas-mv-gain", 0));
    EXPECT_TRUE(vc.Model().Set("source-mv", 20));
    ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &mv), 0);
    EXPECT_NEAR(mv, 20.0, 1e-4);
    EXPECT_FALSE(vc.Model().Set("meas-xx-gain", 0));
}

TEST_F(Simulator, InjectedDeviceErrorAndUnplugPlugUnderTheSameName)
{
    vc.Model().InjectDeviceError(MeasuredValue, 11);
    float v;
    EXPECT_EQ(link.ReadRegisterReal(MeasuredValue, &v), -1);
    EXPECT_EQ(link.DeviceErrorCode(), 11);
    vc.Model().InjectDeviceError(MeasuredValue, 0);

    ASSERT_EQ(link.Identify(), 0);
    const QString name = vc.PortPath();
    vc.Unplug();
    EXPECT_FALSE(QFile::exists(name));
    EXPECT_NE(link.Identify(), 0);
    EXPECT_EQ(lost.size(), 1u);
    link.Close();
    ASSERT_EQ(vc.Plug(), 0);
    EXPECT_EQ(vc.PortPath(), name);
    EXPECT_EQ(link.Identify(), 0); // reopens the remembered port, now a new pseudo-terminal
}

TEST_F(Simulator, HartCommandZeroRoundTripThroughBlock45)
{
    sim::World w = vc.Model().GetWorld();
    sim::HartDevice d;
    d.pollingAddress = 3;
    d.manufacturer = 0x51;
    d.deviceType = 0x02;
    d.deviceId = 0x123456;
    w.hart = {d};
    vc.Model().SetWorld(w);
    ASSERT_EQ(link.WriteRegisterInt(HartModem, 1), 0);
    // command 0 to polling address 3: 5 preambles, 02 83 00 00 check, 3 trailing FF
    const std::uint8_t frame[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x83, 0x00, 0x00, 0x81, 0xFF, 0xFF, 0xFF};
    ASSERT_EQ(link.WriteBlock(HartChannel, frame, sizeof frame), 0);
    std::uint8_t reply[100];
    int n = 0;
    ASSERT_EQ(link.ReadBlock(HartChannel, reply, sizeof reply, &n), 0);
    // FF FF 06 83 00 0E rc status 254 51 02 ... id 12 34 56 check
    ASSERT_EQ(n, 2 + 6 + 12 + 1);
    EXPECT_EQ(reply[2], 0x06);
    EXPECT_EQ(reply[3], 0x83);
    EXPECT_EQ(reply[5], 14);
    EXPECT_EQ(reply[8], 254);
    EXPECT_EQ(reply[9], 0x51);
    EXPECT_EQ(reply[10], 0x02);
    EXPECT_EQ(reply[17], 0x12);
    EXPECT_EQ(reply[19], 0x56);
    std::uint8_t x = 0;
    for (int i = 2; i < n - 1; ++i) x ^= reply[i];
    EXPECT_EQ(x, reply[n - 1]);
    // nobody at address 4, and a corrupt check byte: no answer
    const std::uint8_t other[] = {0xFF, 0xFF, 0x02, 0x84, 0x00, 0x00, 0x86};
    ASSERT_EQ(link.WriteBlock(HartChannel, other, sizeof other), 0);
    ASSERT_EQ(link.ReadBlock(HartChannel, reply, sizeof reply, &n), 0);
    EXPECT_EQ(n, 0);
    const std::uint8_t corrupt[] = {0xFF, 0xFF, 0x02, 0x83, 0x00, 0x00, 0x80};
    ASSERT_EQ(link.WriteBlock(HartChannel, corrupt, sizeof corrupt), 0);
    ASSERT_EQ(link.ReadBlock(HartChannel, reply, sizeof reply, &n), 0);
    EXPECT_EQ(n, 0);
}

TEST(SimulatorLoop, ThermocoupleEmulationIntoTransmitter)
{
    sim::World w;
    QString error;
    ASSERT_TRUE(sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("loop")), &w, &error));
    w.noise = 0;
    w.ambient = {22, 0, 600, 0};
    w.loop.errorPct = 0;
    w.loop.lagS = 0;
    sim::VirtualCalibrator vc(w);
    ASSERT_EQ(vc.Start(), 0);
    TInterface link;
    link.Frames().Initialise(vc.PortPath(), 115200, 1, 150);
    // emulate 300 °C of a type K with the cold junction at ambient, as the program does
    const float emf = float(12.209 - 0.879); // E(300) - E(22), mV
    ASSERT_EQ(link.WriteRegisterInt(EmulSignalKind, EmulVoltageMv), 0);
    ASSERT_EQ(link.WriteRegisterReal(EmulValue, emf), 0);
    ASSERT_EQ(link.WriteRegisterInt(MeasMode, MeasEmulTcAuto), 0);
    float ma = 0;
    ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &ma), 0);
    EXPECT_NEAR(ma, 12.0, 0.01); // 300 °C of 0..600 °C
    EXPECT_EQ(link.WriteRegisterReal(EmulValue, 150.0f), -4); // beyond the mV output
    EXPECT_EQ(link.DeviceErrorCode(), 6);

    // one failed access, then the register answers again
    vc.Model().InjectDeviceErrorOnce(EmulValue, 11);
    EXPECT_EQ(link.WriteRegisterReal(EmulValue, emf), -4);
    EXPECT_EQ(link.DeviceErrorCode(), 11);
    EXPECT_EQ(link.WriteRegisterReal(EmulValue, emf), 0);

    // the output ends with the mode: measuring again alone finds the transmitter without a signal
    ASSERT_EQ(link.WriteRegisterInt(MeasMode, MeasStop), 0);
    ASSERT_EQ(link.WriteRegisterInt(MeasMode, MeasCurrentMa), 0);
    ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &ma), 0);
    EXPECT_NEAR(ma, 3.6, 0.01);
}

TEST(SimulatorLoop, LaggedTransmitterApproachesTheStep)
{
    sim::World w;
    QString error;
    ASSERT_TRUE(sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("loop")), &w, &error));
    w.noise = 0;
    w.loop = {15, 0, 100, 0, 100, 0, 0.3}; // a 0..100 mV input, 0.3 s time constant
    sim::VirtualCalibrator vc(w);
    ASSERT_EQ(vc.Start(), 0);
    TInterface link;
    link.Frames().Initialise(vc.PortPath(), 115200, 1, 150);
    ASSERT_EQ(link.WriteRegisterInt(EmulSignalKind, EmulVoltageMv), 0);
    ASSERT_EQ(link.WriteRegisterReal(EmulValue, 0.0f), 0);
    ASSERT_EQ(link.WriteRegisterInt(MeasMode, MeasCurrentMa), 0);
    float first = 0, later = 0;
    ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &first), 0);
    EXPECT_NEAR(first, 4, 0.01);
    ASSERT_EQ(link.WriteRegisterReal(EmulValue, 50.0f), 0);
    ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &first), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // five time constants
    ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &later), 0);
    EXPECT_LT(first, 8); // still on its way to 12 mA
    EXPECT_NEAR(later, 12, 0.1);
}

TEST(Scenarios, EveryBundledScenarioLoadsAndBadOnesAreExplained)
{
    for (const char* name : {"bench", "pressure", "loop", "hart", "calibration", "furnace"}) {
        sim::World w;
        QString error;
        EXPECT_TRUE(sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QString::fromLatin1(name)), &w, &error))
            << name << ": " << error.toStdString();
    }
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("bad.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[world]\nprocess_temp=hot\n");
    f.close();
    sim::World w;
    QString error;
    EXPECT_FALSE(sim::LoadScenario(f.fileName(), &w, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("process_temp")));
    EXPECT_FALSE(sim::LoadScenario(dir.filePath(QStringLiteral("missing.ini")), &w, &error));
}

TEST(SimulatorDeviceUnderTest, ReadsWithItsOwnError)
{
    struct Row {
        const char* name;
        sim::Input input;
        int code, measMode;
        double errorPct, offset;
        double indicated; ///< the temperature it indicates, or the current
    } rows[] = {
        {"rtd offset", sim::Input::Rtd, 0, MeasResistanceOhm, 0, 0.5, 200.5},
        {"rtd percent", sim::Input::Rtd, 0, MeasResistanceOhm, 1, 0, 202},
        {"thermocouple offset", sim::Input::Thermocouple, 8, MeasVoltageMv, 0, 2, 202}, // cold end at 20 °C
        // 500 kPa of 0..1000 kPa, 1 % of the span high: 51 % of 4..20 mA
        {"signal percent of span", sim::Input::Signal, 0, MeasCurrentMa, 1, 0, 12.16},
        {"signal offset", sim::Input::Signal, 0, MeasCurrentMa, 0, -100, 10.4}, // 400 kPa
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        double expected = r.indicated;
        if (r.input == sim::Input::Rtd) polynoms::TempToEl(r.code, r.indicated, &expected);
        if (r.input == sim::Input::Thermocouple) {
            double e = 0, cold = 0;
            polynoms::TempToEl(r.code, r.indicated, &e);
            polynoms::TempToEl(r.code, 20, &cold);
            expected = e - cold;
        }
        sim::World w;
        w.noise = 0;
        w.ambient = {20, 0, 600, 0};
        w.processTemp = {200, 0, 600, 0};
        w.processPressure = {500, 0, 600, 0};
        w.input = r.input;
        w.code = r.code;
        w.inputErrorPct = r.errorPct;
        w.inputOffset = r.offset;
        sim::VirtualCalibrator vc(w);
        ASSERT_EQ(vc.Start(), 0);
        TInterface link;
        link.Frames().Initialise(vc.PortPath(), 115200, 1, 150);
        ASSERT_EQ(link.WriteRegisterInt(MeasMode, r.measMode), 0);
        float v = 0;
        ASSERT_EQ(link.ReadRegisterReal(MeasuredValue, &v), 0);
        EXPECT_NEAR(v, expected, 1e-4);
    }
}

TEST(SimulatorFaults, OneSilentReplyOnOneRegisterIsNotADeviceError)
{
    sim::World w;
    w.referenceType = ExtReferenceThermometer;
    sim::VirtualCalibrator vc(w);
    ASSERT_EQ(vc.Start(), 0);
    TInterface link;
    std::vector<int> lost;
    link.Frames().Initialise(vc.PortPath(), 115200, 1, 150);
    link.Frames().SetLinkLost([&](int r) { lost.push_back(r); });
    float v = 0;
    vc.Model().InjectSilentOnce(ExtDeviceValue);
    EXPECT_EQ(link.ReadRegisterReal(MeasuredValue, &v), 0); // another register answers
    EXPECT_EQ(link.ReadRegisterReal(ExtDeviceValue, &v), -1);
    EXPECT_EQ(link.LastResult(), -3);
    EXPECT_EQ(lost, std::vector<int>{-3});
    EXPECT_EQ(link.ReadRegisterReal(ExtDeviceValue, &v), 0); // once only
    // the reference taken away is the calibrator's own answer: device error 14
    vc.Model().Set("reference-type", ExtNone);
    EXPECT_EQ(link.ReadRegisterReal(ExtDeviceValue, &v), -1);
    EXPECT_EQ(link.LastResult(), -4);
    EXPECT_EQ(link.DeviceErrorCode(), 14);
    EXPECT_EQ(lost.size(), 1u);
}
