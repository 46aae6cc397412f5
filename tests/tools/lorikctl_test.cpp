// lorik-sim and lorikctl as the technician runs them: two processes over a pseudo-terminal.
#include "device/archivemodel.h"
#include "tests/support/scoped_env.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QString kBin = QStringLiteral(LORIK_BIN_DIR);

struct Result {
    int code;
    QString out, err;
};

class Tools : public ::testing::Test {
protected:
    virtual QString Scenario() const { return QStringLiteral("bench"); }
    void SetUp() override
    {
        sim.setProgram(kBin + QStringLiteral("/lorik-sim"));
        sim.setArguments({QStringLiteral("--dir"), dir.path(), QStringLiteral("--scenario"), Scenario()});
        sim.start();
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        link = QString::fromUtf8(sim.readLine()).trimmed();
        ASSERT_EQ(link, dir.path() + QStringLiteral("/ttyLORIK0"));
    }
    void TearDown() override
    {
        sim.terminate(); // SIGTERM: the simulator removes its link and ends
        ASSERT_TRUE(sim.waitForFinished(5000));
        EXPECT_EQ(sim.exitCode(), 0);
        EXPECT_FALSE(QFile::exists(link));
    }
    Result Ctl(const QStringList& args, const QString& tz = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LORIK_SIM_DIR"), dir.path());
        if (!tz.isEmpty()) env.insert(QStringLiteral("TZ"), tz);
        p.setProcessEnvironment(env);
        p.start(kBin + QStringLiteral("/lorikctl"), args);
        p.waitForFinished(10000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    /// lorikws, offscreen, with a private home, against this test's virtual calibrator.
    void StartProgram(QProcess& program, const QString& home,
                      QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
    {
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LORIK_SIM_DIR"), dir.path());
        env.insert(QStringLiteral("LORIKWS_HOME"), home);
        program.setProcessEnvironment(env);
        program.start(kBin + QStringLiteral("/lorikws"), {});
        ASSERT_TRUE(program.waitForStarted(5000));
    }
    /// Waits (up to 10 s) until the calibrator reports PC control.
    bool WaitForRemote()
    {
        for (int i = 0; i < 100; ++i) {
            QThread::msleep(100);
            sim.write("status\n");
            sim.waitForReadyRead(2000);
            if (QString::fromUtf8(sim.readAll()).contains(QStringLiteral("remote=1"))) return true;
        }
        return false;
    }
    void Say(const char* line)
    {
        sim.write(line);
        sim.write("\n");
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        sim.readAll();
    }
    QTemporaryDir dir;
    QProcess sim;
    QString link;
};

} // namespace

TEST_F(Tools, ListIdentifyReadWrite)
{
    EXPECT_EQ(Ctl({QStringLiteral("list-ports")}).out, QStringLiteral("ttyLORIK0\n"));
    EXPECT_EQ(Ctl({QStringLiteral("identify")}).out, QStringLiteral("50\n"));
    EXPECT_EQ(Ctl({QStringLiteral("write-int"), QStringLiteral("20"), QStringLiteral("2")}).code, 0);
    const Result r = Ctl({QStringLiteral("read-real"), QStringLiteral("22")});
    EXPECT_EQ(r.code, 0);
    EXPECT_NEAR(r.out.trimmed().toDouble(), 138.5, 0.2);
    EXPECT_LE(r.out.trimmed().section(QLatin1Char('.'), 1).size(), 5);
    EXPECT_EQ(Ctl({QStringLiteral("--port"), link, QStringLiteral("read"), QStringLiteral("310")}).out,
              QStringLiteral("100001\n"));
    EXPECT_EQ(Ctl({QStringLiteral("write-real"), QStringLiteral("13"), QStringLiteral("21.5")}).code, 0);
}

TEST_F(Tools, ArchiveFileAsTheArchivePageShowsIt)
{
    const QString zip = dir.filePath(QStringLiteral("arc.zip"));
    ASSERT_EQ(QProcess::execute(kBin + QStringLiteral("/lorik-sim"),
                                {QStringLiteral("--write-archive"), zip, QStringLiteral("--records"),
                                 QStringLiteral("5"), QStringLiteral("--encoding"),
                                 QStringLiteral("windows-1251")}),
              0);
    const Result r = Ctl({QStringLiteral("archive"), zip});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const device::ArchiveLoad load = device::ReadArchiveFile(zip);
    ASSERT_EQ(load.records.size(), 5u);
    std::vector<const device::ArchiveRecord*> rows;
    for (const device::ArchiveRecord& rec : load.records)
        rows.push_back(&rec);
    EXPECT_EQ(r.out, device::ArchiveTable(rows, QLatin1Char('\t')));
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("№\tРежим\tдата\t")));

    QFile bad(dir.filePath(QStringLiteral("bad.zip")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a zip");
    bad.close();
    const Result corrupt = Ctl({QStringLiteral("archive"), bad.fileName()});
    EXPECT_EQ(corrupt.code, 65);
    EXPECT_TRUE(corrupt.out.isEmpty());
    EXPECT_EQ(corrupt.err, QStringLiteral("Файл архива ЛОРИК повреждён! (not a ZIP file)\n"));
    EXPECT_EQ(Ctl({QStringLiteral("archive"), dir.filePath(QStringLiteral("none.zip"))}).code, 66);
    EXPECT_EQ(Ctl({QStringLiteral("archive")}).code, 64);
}

TEST_F(Tools, ConfigurationInTheOrdersOfThePage)
{
    const Result before = Ctl({QStringLiteral("config")});
    ASSERT_EQ(before.code, 0) << before.err.toStdString();
    QStringList names;
    for (const QString& line : before.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        names << line.section(QLatin1Char(' '), 0, 0);
    EXPECT_EQ(names.join(QLatin1Char(',')),
              QStringLiteral("AveragingCount,DecimalPlaces,BuzzerOn,AutoOffTime,Brightness,"
                             "CursorShown,SerialNumber,BacklightOffTime,BatteryVoltage"));
    EXPECT_TRUE(before.out.contains(QStringLiteral("SerialNumber 100001\n")));
    EXPECT_EQ(Ctl({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Brightness=41"),
                   QStringLiteral("AveragingCount=9")})
                  .code,
              0);
    const Result after = Ctl({QStringLiteral("config")});
    EXPECT_TRUE(after.out.startsWith(QStringLiteral("AveragingCount 9\n")));
    EXPECT_TRUE(after.out.contains(QStringLiteral("\nBrightness 41\n")));
    EXPECT_EQ(Ctl({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("SerialNumber=5")}).code,
              64);
    EXPECT_EQ(Ctl({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("Brightness=x")}).code,
              64);
    const Result refused =
        Ctl({QStringLiteral("config"), QStringLiteral("set"), QStringLiteral("BacklightOffTime=7")});
    EXPECT_EQ(refused.code, 4);
}

TEST_F(Tools, ClockSyncFollowsTheZoneOfTheShell)
{
    auto hour = [](const Result& r) {
        // "calibrator 2026-02-15 12:30:45 (Δ ...)"
        return r.out.section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(' '), 2, 2).left(2).toInt();
    };
    const Result utc = Ctl({QStringLiteral("clock"), QStringLiteral("sync")}, QStringLiteral("UTC"));
    ASSERT_EQ(utc.code, 0) << utc.err.toStdString();
    EXPECT_TRUE(utc.out.contains(QStringLiteral("UTC, UTC+00:00"))) << utc.out.toStdString();
    const Result tokyo = Ctl({QStringLiteral("clock"), QStringLiteral("sync")}, QStringLiteral("Asia/Tokyo"));
    ASSERT_EQ(tokyo.code, 0) << tokyo.err.toStdString();
    EXPECT_TRUE(tokyo.out.contains(QStringLiteral("UTC+09:00"))) << tokyo.out.toStdString();
    EXPECT_EQ((hour(tokyo) - hour(utc) + 24) % 24, 9);
    // read under another zone, the calibrator keeps Tokyo's wall time: 9 hours ahead of UTC
    const Result later = Ctl({QStringLiteral("clock")}, QStringLiteral("UTC"));
    EXPECT_EQ(hour(later), hour(tokyo));
    EXPECT_TRUE(later.out.contains(QStringLiteral("(Δ +3240"))) << later.out.toStdString();
    EXPECT_EQ(Ctl({QStringLiteral("clock"), QStringLiteral("set")}).code, 64);
}

TEST_F(Tools, ExitCodesAndDeviceErrorText)
{
    const Result refused = Ctl({QStringLiteral("write-int"), QStringLiteral("22"), QStringLiteral("5")});
    EXPECT_EQ(refused.code, 4);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("device error 4: Нарушение прав доступа")));
    const Result range = Ctl({QStringLiteral("write-int"), QStringLiteral("66"), QStringLiteral("150")});
    EXPECT_EQ(range.code, 4);
    EXPECT_TRUE(range.err.contains(QStringLiteral("device error 6: Выход параметра за границу диапазона")));
    EXPECT_EQ(Ctl({QStringLiteral("read")}).code, 64);
    EXPECT_EQ(Ctl({QStringLiteral("frobnicate")}).code, 64);
    EXPECT_EQ(Ctl({QStringLiteral("--port"), QStringLiteral("ttyNoSuch9"), QStringLiteral("identify")}).code,
              1);
    Say("fault no-reply 1");
    EXPECT_EQ(Ctl({QStringLiteral("identify")}).code, 3);
    EXPECT_EQ(Ctl({QStringLiteral("identify")}).code, 0);
}

TEST_F(Tools, BlocksAndBusyPort)
{
    EXPECT_EQ(Ctl({QStringLiteral("write-int"), QStringLiteral("44"), QStringLiteral("1")}).code, 0);
    EXPECT_EQ(Ctl({QStringLiteral("write-block"), QStringLiteral("45"),
                   QStringLiteral("FFFFFFFFFF0280000082FFFFFF")})
                  .code,
              0);
    const Result r = Ctl({QStringLiteral("read-block"), QStringLiteral("45")});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QStringLiteral("\n")); // no transmitter in the bench scenario
    // not hex: refused before anything is sent (once "0G" went out as the byte 00)
    for (const char* bad : {"ABC", "0G", "+1", " 1", "ÄÄ"}) {
        const Result w = Ctl({QStringLiteral("--trace"), QStringLiteral("write-block"), QStringLiteral("45"),
                              QString::fromUtf8(bad)});
        EXPECT_EQ(w.code, 64) << bad;
        EXPECT_FALSE(w.err.contains(QStringLiteral("1;43;"))) << bad;
    }
    // a port another program holds is listed as busy
    QProcess holder;
    holder.start(QStringLiteral("sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec 3<>\"$0\"; flock 3; sleep 5"), link});
    ASSERT_TRUE(holder.waitForStarted());
    QThread::msleep(300);
    EXPECT_EQ(Ctl({QStringLiteral("list-ports")}).out, QStringLiteral("ttyLORIK0 (занят)\n"));
    holder.kill();
    holder.waitForFinished();
}

class HartTools : public Tools {
protected:
    QString Scenario() const override { return QStringLiteral("hart"); }
};

TEST_F(HartTools, FindsTheTransmitterOfTheHartScenario)
{
    const Result r = Ctl(
        {QStringLiteral("hart"), QStringLiteral("find"), QStringLiteral("--interval"), QStringLiteral("20")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("address 3\nmodel 644TEMPERATURE\nmanufacturer Rosemount (Emerson)\n"
                                    "range 0 ... 600 °C\n"));
    const Result pv = Ctl({QStringLiteral("hart"), QStringLiteral("pv"), QStringLiteral("3"),
                           QStringLiteral("--interval"), QStringLiteral("20")});
    EXPECT_EQ(pv.code, 0);
    EXPECT_TRUE(pv.out.endsWith(QStringLiteral(" °C\n"))) << pv.out.toStdString();
    EXPECT_EQ(Ctl({QStringLiteral("hart"), QStringLiteral("pv"), QStringLiteral("4"),
                   QStringLiteral("--interval"), QStringLiteral("20")})
                  .code,
              3);
    // the modem is off again after either outcome
    EXPECT_EQ(Ctl({QStringLiteral("read-int"), QStringLiteral("44")}).out, QStringLiteral("0\n"));
}

TEST_F(Tools, TheProgramConnectsByItselfAndReleasesTheCalibratorOnSigterm)
{
    QTemporaryDir home;
    Say("set noise 0");
    QProcess program;
    StartProgram(program, home.path());
    ASSERT_TRUE(WaitForRemote()); // connected: the calibrator is under PC control
    program.terminate();          // SIGTERM: closed as "Выход" closes it
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    sim.write("status\n");
    ASSERT_TRUE(sim.waitForReadyRead(2000));
    const QString status = QString::fromUtf8(sim.readAll());
    EXPECT_TRUE(status.contains(QStringLiteral("remote=0"))) << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("meas-mode=-1"))) << status.toStdString();
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("lorikws.ini"))));
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("default.aip"))));
}

TEST_F(Tools, TheProgramEndsOnSigtermWhileAMessageBoxIsOpen)
{
    // A real modal box needs a real display (without a screen the program logs its messages).
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is needed (package xvfb)";
    QProcess display;
    display.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("1280x1024x24")});
    ASSERT_TRUE(display.waitForReadyRead(10000));
    const QString number = QString::fromUtf8(display.readLine()).trimmed();
    ASSERT_FALSE(number.isEmpty());

    // and a session bus of its own, as a desktop has (else D-Bus would try to start one)
    QProcess bus;
    bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                              QStringLiteral("--print-address")});
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();

    QTemporaryDir home;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + number);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    StartProgram(program, home.path(), env);
    ASSERT_TRUE(WaitForRemote());
    // the cable is pulled: the program notices and shows "Обрыв связи с ЛОРИК!" in a modal box
    Say("unplug");
    QThread::msleep(1500);
    ASSERT_EQ(program.state(), QProcess::Running);
    program.terminate();
    EXPECT_TRUE(program.waitForFinished(5000)); // nobody presses OK
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("default.aip"))));
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished();
    }
    display.terminate();
    display.waitForFinished();
    bus.terminate();
    bus.waitForFinished();
    Say("plug");
}
