// lorik-sim and lorikctl as the technician runs them: two processes over a pseudo-terminal.
#include "tests/support/scoped_env.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
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
    Result Ctl(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LORIK_SIM_DIR"), dir.path());
        p.setProcessEnvironment(env);
        p.start(kBin + QStringLiteral("/lorikctl"), args);
        p.waitForFinished(10000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    /// lorikws, offscreen, with a private home, against this test's virtual calibrator.
    void StartProgram(QProcess& program, const QString& home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LORIK_SIM_DIR"), dir.path());
        env.insert(QStringLiteral("LORIKWS_HOME"), home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
    QTemporaryDir home;
    QProcess program;
    StartProgram(program, home.path());
    ASSERT_TRUE(WaitForRemote());
    // the cable is pulled: the program notices and opens "Обрыв связи с ЛОРИК!" (a real, modal box)
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
    Say("plug");
}

TEST(ToolsConvert, ThroughTheCharacteristicLibrary)
{
    QProcess p;
    p.start(kBin + QStringLiteral("/lorikctl"),
            {QStringLiteral("convert"), QStringLiteral("--type"), QStringLiteral("8"),
             QStringLiteral("--temp"), QStringLiteral("100")});
    p.waitForFinished();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), QStringLiteral("4.096230\n"));
    p.start(kBin + QStringLiteral("/lorikctl"),
            {QStringLiteral("convert"), QStringLiteral("--type"), QStringLiteral("0"), QStringLiteral("--el"),
             QStringLiteral("138.5055")});
    p.waitForFinished();
    const QString t = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_NEAR(t.toDouble(), 100.0, 1e-4);
    EXPECT_EQ(t.section(QLatin1Char('.'), 1).trimmed().size(), 6);
    p.start(kBin + QStringLiteral("/lorikctl"),
            {QStringLiteral("convert"), QStringLiteral("--type"), QStringLiteral("99"),
             QStringLiteral("--el"), QStringLiteral("1")});
    p.waitForFinished();
    EXPECT_EQ(p.exitCode(), 3);
}

namespace {

// The text of a manual page source, without the font changes and macro names of roff.
QString ManText(const QString& page)
{
    QFile f(QStringLiteral(LORIK_SOURCE_DIR "/packaging/man/") + page + QStringLiteral(".1.in"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString t = QString::fromUtf8(f.readAll());
    t.replace(QRegularExpression(QStringLiteral(R"(\\f[BIRP])")), QString());
    t.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    t.replace(QRegularExpression(QStringLiteral(R"(^\.[A-Z]+ ?)"), QRegularExpression::MultilineOption),
              QString());
    t.remove(QLatin1Char('"'));
    return t;
}

QSet<QString> Matches(const QString& text, const QString& pattern)
{
    QSet<QString> out;
    auto it = QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        for (int i = 1; i <= m.lastCapturedIndex(); ++i)
            if (!m.captured(i).isEmpty()) out.insert(m.captured(i));
    }
    return out;
}

std::string Sorted(const QSet<QString>& set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list.join(QLatin1Char(' ')).toStdString();
}

bool HasWord(const QString& text, const QString& word)
{
    return QRegularExpression(QStringLiteral("(^|[^a-z0-9-])") + QRegularExpression::escape(word) +
                                  QStringLiteral("($|[^a-z0-9-])"),
                              QRegularExpression::MultilineOption)
        .match(text)
        .hasMatch();
}

} // namespace

// What --help lists (options, commands, the names they take) the manual page describes, and the
// page names no option the program lacks.
TEST(ToolsHelp, AgreesWithTheManualPages)
{
    for (const char* tool : {"lorikctl", "lorik-sim"}) {
        SCOPED_TRACE(tool);
        QProcess p;
        p.start(kBin + QLatin1Char('/') + QLatin1String(tool), {QStringLiteral("--help")});
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 0);
        const QString help = QString::fromUtf8(p.readAllStandardOutput());
        const QString man = ManText(QLatin1String(tool));
        ASSERT_FALSE(man.isEmpty());

        const QString option = QStringLiteral(R"((?<![\w-])(--?[a-z][a-z-]*))");
        const QSet<QString> helpOptions = Matches(help, option), manOptions = Matches(man, option);
        EXPECT_EQ(Sorted(helpOptions), Sorted(manOptions));
        QSet<QString> names =
            Matches(help, QStringLiteral(R"(^  ([a-z][a-z-]*)(?: ([a-z][a-z-]*))?)")); // commands
        names +=
            Matches(help, QStringLiteral(R"((?<![\w-])([a-z][a-z0-9]*(?:-[a-z0-9]+)+))")); // hyphenated names
        names += Matches(help, QStringLiteral(R"(\| *([a-z][a-z0-9-]*))"));                // alternatives
        EXPECT_GE(names.size(), 12);
        for (const QString& n : names)
            EXPECT_TRUE(HasWord(man, n)) << n.toStdString();
    }
}
