// The measurement journal: lines, reading back, journals a crash left, journals in use.
#include "measure/journal.h"
#include "platform/appendfile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace measure;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

JournalRow Row(int n, float measured, bool reference = true)
{
    JournalRow r;
    r.time = QDateTime::currentDateTime();
    r.number = n;
    r.measured = measured;
    r.unit = QStringLiteral("°С");
    r.hasReference = reference;
    r.reference = 100.0051f;
    r.referenceUnit = QStringLiteral("°C");
    r.relay1 = QStringLiteral("разомкнут");
    r.relay2 = QStringLiteral("замкнут");
    return r;
}

const QByteArray kHeader = "time,row,measured,unit,reference,reference unit,relay 1,relay 2\n";

} // namespace

TEST(Journal, LinesReadBackAsWritten)
{
    const JournalRow r = Row(7, 100.01234f);
    const QByteArray line = TJournal::Line(r);
    const QByteArray rest = line.mid(line.indexOf(','));
    EXPECT_EQ(rest, QString::fromUtf8(",7,100.01234,°С,100.0051,°C,разомкнут,замкнут\n").toUtf8());
    const QString time = QString::fromLatin1(line.left(line.indexOf(',')));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$"))
            .match(time)
            .hasMatch())
        << time.toStdString();
    EXPECT_EQ(QDateTime::fromString(time, Qt::ISODate).toSecsSinceEpoch(), r.time.toSecsSinceEpoch());
    // a failed reading and no reference: empty fields; a unit with a comma is quoted
    JournalRow missing = Row(8, NAN, false);
    missing.unit = QStringLiteral("a,b");
    EXPECT_TRUE(TJournal::Line(missing).contains(QByteArray(",8,,\"a,b\",,°C,")));

    QTemporaryDir dir;
    const QString folder = TJournal::FolderIn(dir.path());
    const QDateTime start =
        QDateTime::fromString(QStringLiteral("20240501-100000"), QStringLiteral("yyyyMMdd-HHmmss"));
    TJournal j;
    ASSERT_TRUE(j.Start(folder, start));
    EXPECT_EQ(QFileInfo(j.Path()).fileName(), QStringLiteral("measurement-20240501-100000.csv"));
    EXPECT_TRUE(QFile::exists(j.Path() + QStringLiteral(".lock")));
    EXPECT_TRUE(TJournal::Unfinished(folder).isEmpty()); // in use by this run
    ASSERT_TRUE(j.Append(r));
    ASSERT_TRUE(j.Append(missing));
    EXPECT_EQ(ReadAll(j.Path()), kHeader + line + TJournal::Line(missing)); // on disk line by line
    j.Finish(start.addSecs(2));
    EXPECT_FALSE(QFile::exists(j.Path() + QStringLiteral(".lock")));

    TJournal::Content c;
    ASSERT_TRUE(TJournal::Read(j.Path(), &c));
    EXPECT_TRUE(c.closed);
    EXPECT_EQ(c.start, start);
    EXPECT_EQ(c.unreadLines, 0);
    ASSERT_EQ(c.rows.size(), 2u);
    EXPECT_EQ(c.rows[0].measured, 100.01234f);
    EXPECT_EQ(c.rows[0].reference, 100.0051f);
    EXPECT_EQ(c.rows[0].relay2, QStringLiteral("замкнут"));
    EXPECT_TRUE(std::isnan(c.rows[1].measured));
    EXPECT_FALSE(c.rows[1].hasReference);
    EXPECT_EQ(c.rows[1].unit, QStringLiteral("a,b"));
    EXPECT_TRUE(ReadAll(j.Path()).endsWith(",2\n"));

    TJournal again; // a second run started in the same second
    ASSERT_TRUE(again.Start(folder, start));
    EXPECT_EQ(QFileInfo(again.Path()).fileName(), QStringLiteral("measurement-20240501-100000-2.csv"));
    again.Finish(start);
}

TEST(Journal, AJournalACrashLeftIsFoundAndClosedOnce)
{
    QTemporaryDir dir;
    const QString folder = TJournal::FolderIn(dir.path());
    QDir().mkpath(folder);
    const QString crashed = folder + QStringLiteral("/measurement-20240501-100000.csv");
    const QString older = folder + QStringLiteral("/measurement-20240430-090000.csv");
    const QString closed = folder + QStringLiteral("/measurement-20240502-080000.csv");
    // two rows, then a line the power cut short; its lock was left by a process that is gone
    Write(crashed, kHeader + TJournal::Line(Row(1, 100.5f)) + TJournal::Line(Row(2, 100.25f)) +
                       "2024-05-01T10:00:03+03:00,3,10");
    Write(crashed + QStringLiteral(".lock"),
          "999999999\nlorikws\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    Write(older, kHeader + TJournal::Line(Row(1, 1.0f)));
    Write(closed, kHeader + TJournal::Line(Row(1, 1.0f)) + "#end,2024-05-02T08:00:01+03:00,1\n");

    EXPECT_EQ(TJournal::Unfinished(folder), (QStringList{crashed, older})); // newest first
    TJournal::Content c;
    ASSERT_TRUE(TJournal::Read(crashed, &c));
    EXPECT_FALSE(c.closed);
    EXPECT_EQ(c.rows.size(), 2u);
    EXPECT_EQ(c.unreadLines, 1);

    const QDateTime now = QDateTime::currentDateTime();
    ASSERT_TRUE(TJournal::MarkFinished(crashed, now));
    ASSERT_TRUE(TJournal::Read(crashed, &c));
    EXPECT_TRUE(c.closed);
    EXPECT_EQ(c.rows.size(), 2u); // nothing of it lost
    EXPECT_EQ(TJournal::Unfinished(folder), QStringList{older});

    // old journals by their start
    EXPECT_EQ(TJournal::OlderThan(folder, QDateTime(QDate(2024, 6, 1), QTime(7, 0)), 30),
              (QStringList{older, crashed}));
    EXPECT_TRUE(TJournal::OlderThan(folder, QDateTime(QDate(2024, 5, 2), QTime(9, 0)), 30).isEmpty());
    // not a journal
    Write(folder + QStringLiteral("/measurement-20240503-080000.csv"), "something else\n");
    EXPECT_FALSE(TJournal::Read(folder + QStringLiteral("/measurement-20240503-080000.csv"), &c));
}

TEST(Journal, WhatCannotBeWrittenSaysSo)
{
    QTemporaryDir dir;
    Write(dir.filePath(QStringLiteral("journal")), "a file where the folder should be");
    TJournal j;
    EXPECT_FALSE(j.Start(TJournal::FolderIn(dir.path()), QDateTime::currentDateTime()));
    EXPECT_TRUE(j.Failed());
    EXPECT_FALSE(j.Append(Row(1, 1)));
    j.Finish(QDateTime::currentDateTime()); // harmless

    platform::DurableAppendFile file; // appended, then on the disk
    ASSERT_TRUE(file.Open(dir.filePath(QStringLiteral("lines"))));
    EXPECT_TRUE(file.Append("one\n") && file.Append("two\n"));
    EXPECT_TRUE(file.Sync());
    file.Close();
    EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("lines"))), QByteArray("one\ntwo\n"));

    platform::DurableAppendFile full; // a full disk
    ASSERT_TRUE(full.Open(QStringLiteral("/dev/full")));
    EXPECT_FALSE(full.Append("line\n"));
    EXPECT_FALSE(full.Error().isEmpty());
}
