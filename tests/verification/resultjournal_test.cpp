// The results journal: every 32-bit value comes back exactly, damaged files are told apart, and
// the file is replaced, retired and set aside; the uncertainty in the unit of the error.
#include "platform/cp1251.h"
#include "verification/resultjournal.h"
#include "verification/verdict.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace verification;

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();

ResultList AwkwardRows(int n)
{
    ResultList list;
    const float values[] = {0.1f,
                            -0.0f,
                            1e-45f,
                            3.40282347e38f,
                            1.17549435e-38f,
                            123456.789f,
                            -2.5f,
                            kNan,
                            std::numeric_limits<float>::infinity(),
                            16.000001f,
                            0.30000001f,
                            4.0f,
                            20.0f};
    for (int i = 0; i < n; ++i) {
        ResultRow r;
        float* f = &r.reference;
        for (int k = 0; k < 7; ++k)
            f[k] = values[(i + k) % 13] * float(i + 1);
        r.spare1 = i % 3;
        r.pass = i % 2;
        r.uncertainty = i == 1 ? kNan : values[(i + 9) % 13];
        r.spare2 = -7 * i;
        r.rangeLow = -100;
        r.rangeHigh = 1.0f / 3.0f;
        AppendRow(list, r);
    }
    return list;
}

reports::ProtocolData Record()
{
    reports::ProtocolData d;
    d.verificationType = 2;
    d.isCalibration = 1;
    d.isPeriodic = 1;
    d.decisionRule = 1;
    d.pointCount = 7;
    d.device.permissibleError = 0.15f;
    d.device.rangeLow = -50;
    d.device.rangeHigh = 0.1f;
    d.device.signalLow = 4;
    d.device.signalHigh = 20;
    platform::SetText(d.device.units, QStringLiteral("кгс/см2, \"изб\""));
    platform::SetText(d.device.signalUnits, QStringLiteral("мА"));
    return d;
}

} // namespace

TEST(ResultJournal, EveryValueComesBackExactly)
{
    for (int n : {0, 1, 200}) {
        const ResultList list = AwkwardRows(n);
        const reports::ProtocolData d = Record();
        JournalRecord back;
        QString reason;
        ASSERT_TRUE(ParseJournal(JournalText(list, d), &back, &reason)) << n << " " << reason.toStdString();
        EXPECT_EQ(back.list.count, n);
        EXPECT_EQ(std::memcmp(back.list.rows, list.rows, sizeof list.rows), 0) << n; // NaN, -0 and all
        reports::ProtocolData restored;
        back.ApplyTo(restored);
        EXPECT_EQ(restored.verificationType, 2);
        EXPECT_EQ(restored.isCalibration, 1);
        EXPECT_EQ(restored.isPeriodic, 1);
        EXPECT_EQ(restored.decisionRule, 1);
        EXPECT_EQ(restored.pointCount, 7);
        EXPECT_EQ(restored.device.permissibleError, 0.15f);
        EXPECT_EQ(restored.device.rangeHigh, 0.1f);
        EXPECT_EQ(restored.device.signalHigh, 20.0f);
        EXPECT_EQ(platform::GetText(restored.device.units), QStringLiteral("кгс/см2, \"изб\""));
        EXPECT_EQ(platform::GetText(restored.device.signalUnits), QStringLiteral("мА"));
    }
    // 13 fields a row, reals with 9 significant digits, Windows-1251 on disk
    const QByteArray text = JournalText(AwkwardRows(1), Record());
    EXPECT_TRUE(text.startsWith("version,1\n"));
    EXPECT_TRUE(text.contains("\nrows,1\n0.100000001,-0,1.40129846e-45,3.40282347e+38,"));
    EXPECT_TRUE(text.contains(platform::ToCp1251(QStringLiteral("signalUnits,мА\n"))));
}

TEST(ResultJournal, DamagedTextsAreRefused)
{
    const QByteArray good = JournalText(AwkwardRows(2), Record());
    struct Case {
        const char* name;
        QByteArray text;
    } cases[] = {
        {"empty", QByteArray()},
        {"other version", QByteArray(good).replace("version,1", "version,2")},
        {"no version", QByteArray(good).replace("version,1\n", "")},
        {"key missing", QByteArray(good).replace("isPeriodic,1\n", "")},
        {"key twice", QByteArray(good).replace("isPeriodic,1\n", "isPeriodic,1\nisPeriodic,1\n")},
        {"unknown key", QByteArray(good).replace("isPeriodic,1\n", "isPeriodic,1\nmood,1\n")},
        {"number with more", QByteArray(good).replace("rangeLow,-50\n", "rangeLow,-50x\n")},
        {"number with a blank", QByteArray(good).replace("rangeLow,-50\n", "rangeLow, -50\n")},
        {"integer as a real", QByteArray(good).replace("isPeriodic,1\n", "isPeriodic,1.5\n")},
        {"201 rows", QByteArray(good).replace("rows,2\n", "rows,201\n")},
        {"fewer rows than said", QByteArray(good).replace("rows,2\n", "rows,3\n")},
        {"a line after the rows", good + "1,2,3\n"},
        {"a row without its last field", good.left(good.lastIndexOf(',')) + "\n"},
        {"a row field not a number", QByteArray(good).replace(",-100,", ",-1OO,")},
        {"an unclosed quote", good + "\"abc\n"},
        {"text after a closing quote",
         QByteArray(good).replace(platform::ToCp1251(QStringLiteral("\"кгс")), "\"x\"y")},
        {"no rows line", good.left(good.indexOf("rows,"))},
    };
    for (const Case& c : cases) {
        JournalRecord r;
        QString reason;
        EXPECT_FALSE(ParseJournal(c.text, &r, &reason)) << c.name;
        EXPECT_FALSE(reason.isEmpty()) << c.name;
    }
    JournalRecord r;
    EXPECT_TRUE(ParseJournal(QByteArray(good).replace('\n', "\r\n"), &r, nullptr)); // edited on Windows
}

TEST(ResultJournal, WrittenWholeRetiredAndSetAside)
{
    QTemporaryDir dir;
    ResultJournal j(dir.filePath(QString::fromLatin1(kJournalFileName)));
    JournalRecord r;
    QString reason;
    EXPECT_EQ(j.Read(&r, &reason), ResultJournal::ReadResult::Missing);
    EXPECT_TRUE(j.Retire()); // nothing to retire
    ASSERT_TRUE(j.Write(AwkwardRows(3), Record()));
    ASSERT_TRUE(j.Write(AwkwardRows(5), Record())); // replaced whole
    ASSERT_EQ(j.Read(&r, &reason), ResultJournal::ReadResult::Ok) << reason.toStdString();
    EXPECT_EQ(r.list.count, 5);
    EXPECT_TRUE(j.Retire());
    EXPECT_FALSE(j.Exists());
    EXPECT_TRUE(QFile::exists(j.LastPath()));
    ASSERT_TRUE(j.Write(AwkwardRows(1), Record()));
    EXPECT_TRUE(j.Retire()); // an older ".last" is replaced
    EXPECT_EQ(QFile(j.LastPath()).size(), JournalText(AwkwardRows(1), Record()).size());

    QFile bad(j.Path());
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("version,1\nverificationType,zero\n");
    bad.close();
    EXPECT_EQ(j.Read(&r, &reason), ResultJournal::ReadResult::Bad);
    EXPECT_TRUE(reason.contains(QStringLiteral("verificationType"))) << reason.toStdString();
    EXPECT_TRUE(j.SetAsideBad());
    EXPECT_FALSE(j.Exists());
    EXPECT_TRUE(QFile::exists(j.BadPath()));
    // a folder that cannot hold the file
    ResultJournal nowhere(dir.filePath(QStringLiteral("no/such/folder/results-journal.csv")));
    EXPECT_FALSE(nowhere.Write(AwkwardRows(1), Record()));
}

TEST(Verdict, UncertaintyInTheUnitOfTheError)
{
    // a temperature point's U is in °C like its error; the others' in the readings' unit, their
    // error in % of the range
    EXPECT_EQ(UncertaintyInErrorUnit(1, 0.2f, 0, 100), 0.2f);
    EXPECT_FLOAT_EQ(UncertaintyInErrorUnit(0, 2.5f, 0, 1000), 0.25f);
    EXPECT_FLOAT_EQ(UncertaintyInErrorUnit(2, 0.5f, 100, -100), 0.25f);
    EXPECT_TRUE(std::isnan(UncertaintyInErrorUnit(0, 1, 5, 5)));
    EXPECT_TRUE(std::isnan(UncertaintyInErrorUnit(2, kNan, 0, 10)));
    // the ratio of a pressure point: 0.25 % against 2.5 kPa of 1000 kPa
    EXPECT_FLOAT_EQ(TestUncertaintyRatio(0.25f, UncertaintyInErrorUnit(0, 0.625f, 0, 1000)), 4.0f);
}
