// The temperature calibrator list file and the reference thermometer types.
#include "platform/cp1251.h"
#include "platform/ini.h"
#include "sensors/numbers.h"
#include "verification/calibratorlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace verification;

namespace {

const QString kWritten =
    QStringLiteral("ТБ-1 {-40.000000,140.000000}, {0.050000,0.000100}, {0.010000,0.000000}, "
                   "{0.020000,0.000000}, {0.030000,0.000000}, 0.010000");

QString Numbers(const char* tail)
{
    return QString::fromUtf8(" {1,2}, {3,4}, {5,6}, {7,8}, {9,10}, 11") + QString::fromUtf8(tail);
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(CalibratorValue, AcceptAndRejectRows)
{
    struct Row {
        QString value;
        bool accepted;
        const char* why;
    } rows[] = {
        {kWritten, true, "the written form"},
        {QStringLiteral("  ") + kWritten + QStringLiteral("  "), true, "blanks around the value"},
        {QStringLiteral("K1 { 1.0,2}, {3,4}, {5,6}, {7,8}, {9,10}, 11"), true,
         "blank after '{' (the scan skips it)"},
        {QStringLiteral("K1 {1.0 ,2}, {3,4}, {5,6}, {7,8}, {9,10}, 11"), false,
         "blank before ',' (a literal must match)"},
        {QStringLiteral("K1{1,2},{3,4},{5,6},{7,8},{9,10},11"), false, "no blank: the name takes everything"},
        {QString(59, u'x') + Numbers(""), true, "59-byte name"},
        {QString(60, u'x') + Numbers(""), false, "60-byte name"},
        {QString(59, u'Ж') + Numbers(""), true, "59 Cyrillic letters are 59 bytes"},
        {QString(60, u'Ж') + Numbers(""), false, "60 Cyrillic letters"},
        {QStringLiteral("Печь_№2") + Numbers(""), true, "Cyrillic name"},
        {QStringLiteral("123456789"), false, "9 characters"},
        {QStringLiteral("K1 {nan,2}, {3,4}, {5,6}, {7,8}, {9,10}, 11"), false, "nan"},
        {QStringLiteral("K1 {1e39,2}, {3,4}, {5,6}, {7,8}, {9,10}, 11"), false, "beyond a float"},
        {QStringLiteral("K1 {1,2}, {3,4}, {5,6}, {7,8}, {9,10}, "), false, "11 numbers"},
        {QStringLiteral("K1 {1,2}, {3,4}, {5,6}, {7,8}, {9,10}"), false, "11 numbers, no tail"},
        {QStringLiteral("K1") + Numbers(" and more"), true, "trailing text (the scan ignores it)"},
        {QStringLiteral("K1 {a,2}, {3,4}, {5,6}, {7,8}, {9,10}, 11"), false, "not a number"},
    };
    for (const Row& r : rows) {
        sensors::TCalibratorRecord rec;
        EXPECT_EQ(ParseCalibratorValue(r.value, &rec), r.accepted) << r.why;
    }
    sensors::TCalibratorRecord rec;
    ASSERT_TRUE(ParseCalibratorValue(kWritten, &rec));
    EXPECT_EQ(CalibratorName(rec), QStringLiteral("ТБ-1"));
    EXPECT_EQ(rec.rangeMin, -40.0f);
    EXPECT_EQ(rec.rangeMax, 140.0f);
    EXPECT_EQ(rec.errorLimitB, 0.0001f);
    EXPECT_EQ(rec.horizontalGradientA, 0.03f);
    EXPECT_EQ(rec.lastDigit, 0.01f);
    EXPECT_EQ(FormatCalibratorValue(rec), kWritten);
}

TEST(CalibratorList, ReadsEveryKeyAndWritesItBackByteForByte)
{
    const QString in = QStringLiteral("[Other]\r\nkey=value\r\n\r\n[Transfer]\r\n") +
                       QStringLiteral("dev_0=") + kWritten +
                       QStringLiteral("\r\nfoo=Печь {0,600}, {1,0.001}, {0.5,0}, {0.2,0}, {0.1,0}, 1\r\n"
                                      "dev_1= hand written, kept\r\n"
                                      "dev_7=K2 {nan,1}, {1,1}, {1,1}, {1,1}, {1,1}, 1\r\n"
                                      "\r\n[Tail]\r\nx=1\r\n");
    platform::IniFile ini;
    ini.ParseBytes(platform::ToCp1251(in));
    TCalibratorList list;
    list.Read(ini);
    ASSERT_EQ(list.Count(), 2); // whatever the key's name
    EXPECT_EQ(CalibratorName(*list.At(1)), QStringLiteral("Печь"));
    EXPECT_EQ(list.UnreadValues(),
              (QStringList{QStringLiteral(" hand written, kept"),
                           QStringLiteral("K2 {nan,1}, {1,1}, {1,1}, {1,1}, {1,1}, 1")}));
    EXPECT_FALSE(list.Modified());

    list.Write(ini);
    const QString out =
        QStringLiteral("[Other]\r\nkey=value\r\n\r\n[Transfer]\r\ndev_0=") + kWritten +
        QStringLiteral("\r\ndev_1=Печь {0.000000,600.000000}, {1.000000,0.001000}, {0.500000,0.000000}, "
                       "{0.200000,0.000000}, {0.100000,0.000000}, 1.000000\r\n"
                       "dev_2= hand written, kept\r\n"
                       "dev_3=K2 {nan,1}, {1,1}, {1,1}, {1,1}, {1,1}, 1\r\n"
                       "\r\n[Tail]\r\nx=1\r\n\r\n");
    EXPECT_EQ(ini.Serialize(), platform::ToCp1251(out));
}

TEST(CalibratorList, SaveRenumbersAfterADeleteAndKeepsTheFileWhenItCannotWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kt.ini"));
    TCalibratorList list;
    list.Load(path); // missing: empty, silent
    EXPECT_EQ(list.Count(), 0);
    sensors::TCalibratorRecord r;
    const sensors::TCalibratorRecord* first = nullptr;
    for (const char* name : {"A", "B", "C"}) {
        platform::CopyBounded(r.name, int(sizeof r.name), name);
        const auto* added = list.Append(r);
        if (!first) first = added;
    }
    const sensors::TCalibratorRecord* b = list.At(1);
    ASSERT_TRUE(list.Remove(first));
    EXPECT_EQ(list.At(0), b); // records stay where they are
    EXPECT_FALSE(list.Remove(first));
    list.SetModified(true);
    ASSERT_TRUE(list.Save(path));
    EXPECT_FALSE(list.Modified());
    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    EXPECT_EQ(ini.Keys(QStringLiteral("Transfer")),
              (QStringList{QStringLiteral("dev_0"), QStringLiteral("dev_1")}));
    EXPECT_TRUE(
        ini.Value(QStringLiteral("Transfer"), QStringLiteral("dev_1")).startsWith(QStringLiteral("C {")));

    // a folder that cannot hold the file: nothing is written, the flag stays
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    list.SetModified(true);
    EXPECT_FALSE(list.Save(dir.filePath(QStringLiteral("file/kt.ini"))));
    EXPECT_TRUE(list.Modified());
    const QByteArray before = Read(path);
    TCalibratorList reread;
    reread.Load(path);
    EXPECT_EQ(reread.Count(), 2);
    EXPECT_EQ(Read(path), before);
}

TEST(Thermometer, ErrorByTypeAndTemperature)
{
    const float nan = std::nanf("");
    struct Row {
        int type;
        float t;
        float error;
    } rows[] = {
        {0, 0, 0.01f}, {0, -0.5f, 0.02f},   {0, 300, 0.02f}, {0, 480, -1},      {8, -10, -1},
        {8, 0, 0.02f}, {9, -200, 0.03f},    {8, 660, 0.15f}, {8, 660.01f, -1},  {0, -200.01f, -1},
        {0, nan, -1},  {18, 0, -1},         {-1, 0, -1},     {14, -50, 0.02f},  {14, -50.5f, 0.02f},
        {14, -60, -1}, {14, -49.9f, 0.02f}, {0, 30, 0.01f},  {0, 30.5f, 0.02f}, {2, 500, 0.07f},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ThermometerError(r.type, r.t), r.error) << r.type << " at " << r.t;
    EXPECT_EQ(ThermometerLabel(0), QStringLiteral("РЕТАН-А (разр. 2)"));
    EXPECT_EQ(ThermometerLabel(17), QStringLiteral("РЕТАН-П (разр. 3)"));
    EXPECT_EQ(ThermometerLabel(18), QString());
}

TEST(Thermometer, PointUncertaintyIsMissingWhereTheTypeIsNotRated)
{
    measure::TStatistics meas, ref;
    for (float x : {100.01f, 99.98f, 100.02f}) {
        measure::AddWindow(meas, x);
        measure::AddWindow(ref, x - 0.01f);
    }
    sensors::TCalibratorRecord cal;
    cal.errorLimitA = 0.05f;
    cal.instabilityA = 0.01f;
    cal.lastDigit = 0.01f;
    EXPECT_EQ(PointUncertainty(ref, meas, &cal, true, 0, 0),
              sensors::UncertaintyTemperature(meas, ref, &cal, 0.02f));
    EXPECT_EQ(PointUncertainty(ref, meas, nullptr, false, -1, 0.05f),
              sensors::UncertaintyTemperature(meas, ref, nullptr, 0.05f));
    measure::AddWindow(meas, 480); // type 0 is not rated at 480 °C
    EXPECT_TRUE(std::isnan(PointUncertainty(ref, meas, &cal, true, 0, 0)));
    EXPECT_FALSE(std::isnan(PointUncertainty(ref, meas, &cal, false, -1, 0.05f)));
}
