// The configuration encodings, the clock, and the calibration arithmetic, measuring cycle and
// backup, the last against the virtual calibrator in process.
#include "device/calibration.h"
#include "device/clock.h"
#include "device/configuration.h"
#include "tests/support/scoped_env.h"
#include "tests/support/sim_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace device;
using namespace devlink;

TEST(Configuration, Encodings)
{
    EXPECT_EQ(BrightnessPosition(92), 1); // what the instrument keeps for full brightness
    EXPECT_EQ(BrightnessPosition(94), 7);
    EXPECT_EQ(BrightnessPosition(100), 1);
    EXPECT_EQ(BrightnessRegister(100), 1);
    EXPECT_EQ(BrightnessRegister(1), 100);
    const int seconds[] = {5, 30, 60, 300, 0, 45};
    const int items[] = {0, 1, 2, 3, 4, -1};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(BacklightItem(seconds[i]), items[i]) << seconds[i];
    const int minutes[] = {5, 30, 60, 0, 45};
    const int offItems[] = {0, 1, 2, 3, 3};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(AutoOffItem(minutes[i]), offItems[i]) << minutes[i];
    ASSERT_NE(WritableConfigRegister("Brightness"), nullptr);
    EXPECT_EQ(WritableConfigRegister("Brightness")->reg, Brightness);
    EXPECT_EQ(WritableConfigRegister("SerialNumber"), nullptr); // read, never written as configuration
    EXPECT_EQ(WritableConfigRegister("brightness"), nullptr);
}

TEST(Clock, FieldsTextsAndDifference)
{
    EXPECT_EQ(SyncFields({2026, 2, 15, 10, 20, 59}).second, 59); // no carry
    EXPECT_EQ(SyncFields({2026, 2, 15, 10, 20, 30}).second, 31);
    const QLocale ru(QLocale::Russian);
    EXPECT_EQ(ClockText({2026, 2, 15, 9, 5, 7}, ru), QStringLiteral("15.02.2026 09:05:07"));
    const DeviceClock bad{2026, 2, 31, 25, 0, 0};
    EXPECT_FALSE(bad.IsValid());
    EXPECT_EQ(ClockText(bad, ru), QStringLiteral("2026-02-31 25:00:00"));
    EXPECT_EQ(ZoneText({{}, QStringLiteral("MSK"), 10800}), QStringLiteral("MSK, UTC+03:00"));
    EXPECT_EQ(ZoneText({{}, QStringLiteral("NST"), -12600}), QStringLiteral("NST, UTC-03:30"));
    EXPECT_EQ(ClockDifference({2026, 3, 1, 0, 0, 1}, {2026, 2, 28, 23, 59, 59}), 2);
    EXPECT_EQ(ClockDifference({2026, 2, 28, 23, 59, 57}, {2026, 2, 28, 23, 59, 59}), -2);
    EXPECT_FALSE(ClockDifference(bad, {2026, 2, 28, 0, 0, 0}).has_value());
    EXPECT_EQ(DifferenceText(-2), QStringLiteral("(Δ −2 с)"));
    EXPECT_EQ(DifferenceText(3600), QStringLiteral("(Δ +3600 с)"));
    EXPECT_EQ(DifferenceText(0), QStringLiteral("(Δ 0 с)"));
}

TEST(Calibration, FactorAndShift)
{
    const auto f = CalibFactor(u"10", u"1.02", u"9.8");
    ASSERT_TRUE(f.has_value());
    EXPECT_NEAR(*f, 1.0408163265306123, 1e-15);
    EXPECT_TRUE(CalibFactorText(*f).startsWith(QStringLiteral("1.0408163")));
    EXPECT_EQ(CalibFactorText(*f).size(), 16); // 15 significant digits
    EXPECT_FALSE(CalibFactor(u"10", u"1.02", u"0").has_value());
    EXPECT_FALSE(CalibFactor(u"10", u"1.02", u"<<<.<<<").has_value());
    EXPECT_FALSE(CalibFactor(u"", u"1.02", u"9.8").has_value());
    EXPECT_EQ(ProposedShift(0.37), QStringLiteral("-0.37"));
    EXPECT_EQ(ProposedShift(-108.25), QStringLiteral("108.25"));
    EXPECT_EQ(CalibrationRegisters().size(), 24u);
}

namespace {

sim::World Drifted()
{
    sim::World w;
    w.input = sim::Input::Source;
    w.noise = 0;
    w.measError[ChanMv] = {0.02, 0};
    return w;
}

class DeviceLink : public testsupport::SimFixture {
protected:
    DeviceLink() : SimFixture(Drifted()) {}
    std::vector<std::string> Requests() { return vc.Transport().Requests(); }
};

} // namespace

TEST_F(DeviceLink, ClockFieldsAreSetOneByOneWithoutAZone)
{
    // a month change through a day that February lacks: every field lands as written
    vc.Model().SetClock({2026, 1, 31, 10, 0, 0});
    ASSERT_EQ(WriteClock(link, {2026, 2, 15, 9, 30, 30}), 0);
    EXPECT_EQ(vc.Model().Clock(), (sim::ClockFields{2026, 2, 15, 9, 30, 30}));
    // what was set reads back the same whatever the zone of the PC now
    testsupport::ScopedEnv tz("TZ", "Asia/Tokyo");
    ASSERT_EQ(WriteClock(link, {2026, 3, 29, 1, 59, 58}), 0);
    testsupport::ScopedEnv utc("TZ", "UTC");
    DeviceClock back;
    ASSERT_EQ(ReadClock(link, &back), 0);
    EXPECT_EQ(back, (DeviceClock{2026, 3, 29, 1, 59, 58}));
    // the read order, and a reply that is not a number stops it
    vc.Transport().ClearRequests();
    vc.Model().SetRaw(ClockDay, "x");
    EXPECT_EQ(ReadClock(link, &back), -2);
    EXPECT_EQ(Requests(), (std::vector<std::string>{"1;37;73;", "1;37;74;", "1;37;75;"}));
}

TEST_F(DeviceLink, MeasuringCycleCorrectsAHiddenGainError)
{
    CalibrationMeasurement m(&link);
    EXPECT_EQ(m.Tick().result, -1); // not measuring: nothing is sent
    EXPECT_TRUE(Requests().empty());
    ASSERT_EQ(m.Start(0, 4), 0);
    EXPECT_EQ(Requests(), (std::vector<std::string>{"1;38;66;4;", "1;38;20;0;"}));
    CalibrationMeasurement::Reading r = m.Tick();
    ASSERT_EQ(r.result, 0);
    EXPECT_NEAR(r.value, 51.0, 1e-3); // 50 mV applied, 2 % high
    float k = 0;
    ASSERT_EQ(link.ReadRegisterReal(kCalibMeasFactor[ChanMv], &k), 0);
    const auto factor = CalibFactor(u"50", QString::number(k), r.text);
    ASSERT_TRUE(factor.has_value());
    ASSERT_EQ(link.WriteRegisterFromText(kCalibMeasFactor[ChanMv], CalibFactorText(*factor)), 0);
    EXPECT_NEAR(m.Tick().value, 50.0, 1e-3);
    EXPECT_EQ(m.Stop(true), 0);
    EXPECT_EQ(vc.Model().State().measMode, -1);
    EXPECT_FALSE(m.Measuring());
}

TEST_F(DeviceLink, BackupsAreNeverReplacedAndRestoreEveryRegister)
{
    QTemporaryDir dir;
    link.ReadDeviceSerialNumber();
    CalibrationBackup b;
    ASSERT_EQ(ReadCalibration(link, &b), 0);
    EXPECT_EQ(b.serial, QStringLiteral("100001"));
    ASSERT_EQ(b.values.size(), 24u);
    QString error;
    const QString first = SaveCalibrationBackup(b, dir.path(), &error);
    const QString second = SaveCalibrationBackup(b, dir.path(), &error);
    EXPECT_TRUE(first.endsWith(QStringLiteral("/100001-") + b.taken.date().toString(Qt::ISODate) +
                               QStringLiteral(".ini")));
    EXPECT_TRUE(second.endsWith(QStringLiteral("-2.ini"))) << second.toStdString();

    ASSERT_EQ(link.WriteRegisterReal(kCalibMeasFactor[ChanOhm], 1.25f), 0);
    ASSERT_EQ(link.WriteRegisterReal(kCalibEmulHigh[2], 321.5f), 0);
    CalibrationBackup loaded;
    ASSERT_TRUE(LoadCalibrationBackup(first, &loaded, &error)) << error.toStdString();
    std::vector<int> differing;
    ASSERT_EQ(VerifyCalibration(link, loaded, &differing), 0);
    EXPECT_EQ(differing, (std::vector<int>{kCalibMeasFactor[ChanOhm], kCalibEmulHigh[2]}));
    ASSERT_EQ(WriteCalibration(link, loaded), 0);
    ASSERT_EQ(VerifyCalibration(link, loaded, &differing), 0);
    EXPECT_TRUE(differing.empty());
    EXPECT_EQ(vc.Model().Writes().back(), "300=1");

    // a damaged backup is refused before anything is written
    QFile f(first);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("[calibration]\n204=abc\n");
    f.close();
    EXPECT_FALSE(LoadCalibrationBackup(first, &loaded, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("204"))) << error.toStdString();
}
