#include "platform/pty.h"
#include "platform/serialport.h"
#include "simulator/transport.h"
#include "tests/support/scoped_env.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

using namespace platform;

namespace {
sim::Reply Echo(const std::string&)
{
    return {"50"};
}

bool WaitQueued(int fd)
{
    QElapsedTimer t;
    t.start();
    int n = 0;
    while (t.elapsed() < 2000) {
        if (ioctl(fd, FIONREAD, &n) == 0 && n > 0) return true;
        QThread::msleep(5);
    }
    return false;
}
} // namespace

TEST(PortNames, NaturalOrder)
{
    QStringList names = {QStringLiteral("ttyUSB10"), QStringLiteral("ttyACM0"), QStringLiteral("ttyUSB2"),
                         QStringLiteral("ttyUSB1"), QStringLiteral("ttyLORIK0")};
    std::sort(names.begin(), names.end(), PortNameLess);
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("ttyACM0"), QStringLiteral("ttyLORIK0"), QStringLiteral("ttyUSB1"),
                           QStringLiteral("ttyUSB2"), QStringLiteral("ttyUSB10")}));
}

TEST(PortNames, ResolveRejectsRelativePaths)
{
    testsupport::ScopedSimDir dir;
    EXPECT_EQ(ResolvePortPath(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(ResolvePortPath(QStringLiteral("/dev/pts/3")), QStringLiteral("/dev/pts/3"));
    EXPECT_TRUE(ResolvePortPath(QStringLiteral("../x")).isEmpty());
    EXPECT_TRUE(ResolvePortPath(QStringLiteral("a/b")).isEmpty());
    EXPECT_TRUE(ResolvePortPath(QStringLiteral("..")).isEmpty());
}

TEST(SerialPort, BusyPortListedAndCounted)
{
    testsupport::ScopedSimDir dir;
    sim::PtyTransport a(Echo), b(Echo), c(Echo);
    ASSERT_EQ(a.Start(dir.Link(QStringLiteral("ttyLORIK0"))), 0);
    ASSERT_EQ(b.Start(dir.Link(QStringLiteral("ttyLORIK1"))), 0);
    ASSERT_EQ(c.Start(dir.Link(QStringLiteral("ttyLORIK10"))), 0);

    TInterface_RS232 holder;
    const int h = holder.OpenPort(QStringLiteral("ttyLORIK1"), 115200, 150, 8, 0, 0);
    ASSERT_NE(h, -1);
    // a second open of a held port fails, also within one process
    TInterface_RS232 other;
    EXPECT_EQ(other.OpenPort(QStringLiteral("ttyLORIK1"), 115200, 150, 8, 0, 0), -1);

    QStringList list;
    EXPECT_EQ(other.ListPorts(QStringLiteral("LORIK"),
                              QString::fromLatin1(TInterface_RS232::kUsbSerialFilter), &list),
              3);
    EXPECT_EQ(list, (QStringList{QStringLiteral("ttyLORIK0"), QStringLiteral("ttyLORIK1 (занят)"),
                                 QStringLiteral("ttyLORIK10")}));
    // the count comes without a list too; a description filter that does not match drops the port
    EXPECT_EQ(other.ListPorts(QStringLiteral("LORIK"), QStringLiteral("FT232"), nullptr), 0);
    EXPECT_EQ(other.ListPorts(QStringLiteral("LORIK"), QStringLiteral("ttyLORIK0 : "), nullptr), 1);

    // released: free again
    EXPECT_EQ(holder.ClosePort(h), 0);
    list.clear();
    other.ListPorts(QStringLiteral("LORIK"), QString::fromLatin1(TInterface_RS232::kUsbSerialFilter), &list);
    EXPECT_EQ(list[1], QStringLiteral("ttyLORIK1"));
    // a stopped calibrator's port disappears from the list
    b.Stop();
    EXPECT_EQ(other.ListPorts(QStringLiteral("LORIK"),
                              QString::fromLatin1(TInterface_RS232::kUsbSerialFilter), nullptr),
              2);
}

TEST(SerialPort, ReadWithNothingQueuedAndBadHandles)
{
    sim::PtyTransport peer(Echo);
    ASSERT_EQ(peer.Start(), 0);
    TInterface_RS232 port;
    const int h = port.OpenPort(peer.PortPath(), 115200, 150, 8, 0, 0);
    ASSERT_NE(h, -1);
    std::uint8_t buf[16];
    EXPECT_EQ(port.ReadPort(h, buf, sizeof buf), 0);
    EXPECT_EQ(port.WaitInput(h, 0), 0);
    EXPECT_EQ(port.ReadPort(-1, buf, sizeof buf), -1);
    EXPECT_EQ(port.ReadPort(0, buf, sizeof buf), -1);
    EXPECT_EQ(port.WritePort(-1, buf, 1), -1);
    EXPECT_EQ(port.ClosePort(-1), -1);
    EXPECT_EQ(port.ClosePort(0), -1);
    EXPECT_EQ(port.OpenPort(peer.PortPath(), 12345, 150, 8, 0, 0), -1); // unsupported baud
    EXPECT_EQ(port.ClosePort(h), 0);
}

TEST(SerialPort, ListingLeavesAnotherProgramsTerminalAlone)
{
    testsupport::ScopedSimDir dir;
    PtyMaster master;
    ASSERT_EQ(master.Open(), 0);
    ASSERT_EQ(ReplaceSymlink(master.SlavePath(), dir.Link(QStringLiteral("ttyLORIK0"))), 0);
    // another program holds the terminal in line mode (no lock of its own) and has input queued
    const int fd = open(QFile::encodeName(master.SlavePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios mine{};
    ASSERT_EQ(tcgetattr(fd, &mine), 0);
    mine.c_lflag |= ICANON;
    mine.c_lflag &= ~tcflag_t(ECHO);
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &mine), 0);
    const char input[] = "queued input\n";
    ASSERT_EQ(master.Write(reinterpret_cast<const std::uint8_t*>(input), int(sizeof input - 1)), 0);
    ASSERT_TRUE(WaitQueued(fd));
    int before = 0;
    ioctl(fd, FIONREAD, &before);

    TInterface_RS232 port;
    QStringList list;
    EXPECT_EQ(port.ListPorts(QStringLiteral("LORIK"), QString::fromLatin1(TInterface_RS232::kUsbSerialFilter),
                             &list),
              1);
    termios after{};
    ASSERT_EQ(tcgetattr(fd, &after), 0);
    EXPECT_EQ(after.c_lflag, mine.c_lflag);
    EXPECT_EQ(after.c_iflag, mine.c_iflag);
    EXPECT_EQ(after.c_cflag, mine.c_cflag);
    int queued = 0;
    ioctl(fd, FIONREAD, &queued);
    EXPECT_EQ(queued, before);
    EXPECT_GT(queued, 0);
    close(fd);
}

TEST(SerialPort, OnlyTerminalsAreListedAndTheMultiplexerNeverOpened)
{
    testsupport::ScopedSimDir dir;
    sim::PtyTransport peer(Echo);
    ASSERT_EQ(peer.Start(dir.Link(QStringLiteral("ttyLORIK0"))), 0);
    ASSERT_EQ(symlink("/dev/ptmx", QFile::encodeName(dir.Link(QStringLiteral("ttyLORIK1"))).constData()), 0);
    ASSERT_EQ(symlink("/dev/null", QFile::encodeName(dir.Link(QStringLiteral("ttyLORIK2"))).constData()), 0);
    TInterface_RS232 port;
    QStringList list;
    port.ListPorts(QStringLiteral("LORIK"), QString::fromLatin1(TInterface_RS232::kUsbSerialFilter), &list);
    EXPECT_EQ(list, QStringList{QStringLiteral("ttyLORIK0")});
    EXPECT_EQ(port.OpenPort(QStringLiteral("ttyLORIK1"), 115200, 150, 8, 0, 0), -1);
    EXPECT_EQ(port.OpenPort(QStringLiteral("/dev/ptmx"), 115200, 150, 8, 0, 0), -1);
    EXPECT_EQ(port.OpenPort(QStringLiteral("ttyLORIK2"), 115200, 150, 8, 0, 0), -1);
    EXPECT_EQ(ProbePort(QStringLiteral("ttyLORIK2")), PortProbe::NotTerminal);
}

TEST(SerialPort, TheFallbackFolderIsPrivateAndChecked)
{
    testsupport::ScopedEnv noSim("LORIK_SIM_DIR", QByteArray());
    testsupport::ScopedEnv noRuntime("XDG_RUNTIME_DIR", QByteArray());
    qunsetenv("LORIK_SIM_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString dir = SimulatorDir();
    ASSERT_TRUE(dir.startsWith(QStringLiteral("/tmp/lorik-sim-")));
    const QByteArray native = QFile::encodeName(dir);
    struct stat st {};
    const bool existed = lstat(native.constData(), &st) == 0;
    if (existed && !S_ISDIR(st.st_mode)) GTEST_SKIP() << "something else stands at " << dir.toStdString();
    if (!existed) {
        EXPECT_EQ(EnsureSimulatorDir(), dir);
        ASSERT_EQ(lstat(native.constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    // opened to others: no longer trusted, so no virtual port is taken from it
    ASSERT_EQ(chmod(native.constData(), 0777), 0);
    EXPECT_TRUE(EnsureSimulatorDir().isEmpty());
    EXPECT_FALSE(SimulatorDirTrusted());
    ASSERT_EQ(chmod(native.constData(), 0700), 0);
    EXPECT_EQ(EnsureSimulatorDir(), dir);
    if (!existed) rmdir(native.constData());
}
