#include "platform/serialport.h"
#include "simulator/transport.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {
sim::Reply Echo(const std::string&) { return {"50"}; }
} // namespace

TEST(PortNames, NaturalOrder)
{
    QStringList names = {QStringLiteral("ttyUSB10"), QStringLiteral("ttyACM0"), QStringLiteral("ttyUSB2"),
                         QStringLiteral("ttyUSB1"), QStringLiteral("ttyLORIK0")};
    std::sort(names.begin(), names.end(), PortNameLess);
    EXPECT_EQ(names, (QStringList {QStringLiteral("ttyACM0"), QStringLiteral("ttyLORIK0"), QStringLiteral("ttyUSB1"),
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
    EXPECT_EQ(other.ListPorts(QStringLiteral("LORIK"), QString::fromLatin1(TInterface_RS232::kUsbSerialFilter), &list), 3);
    EXPECT_EQ(list, (QStringList {QStringLiteral("ttyLORIK0"), QStringLiteral("ttyLORIK1 (занят)"),
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
    EXPECT_EQ(other.ListPorts(QStringLiteral("LORIK"), QString::fromLatin1(TInterface_RS232::kUsbSerialFilter), nullptr), 2);
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
