// The frame layer over a real pseudo-terminal, against a scripted peer.
#include "link/uail.h"
#include "simulator/transport.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_peer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>
#include <mutex>

using namespace devlink;

namespace {

using ScriptedPeer = testsupport::ScriptedPeer;

struct Fixture : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(peer.Start(), 0);
        uail.Initialise(peer.Path(), 115200, 1, 150);
        uail.SetLinkLost([this](int r) { lost.push_back(r); });
    }
    ScriptedPeer peer{sim::Reply{"50"}};
    TInterface_UAIL uail;
    std::vector<int> lost;
};

} // namespace

TEST_F(Fixture, ExchangeEndToEnd)
{
    peer.Push({"12.500"});
    std::vector<int> done;
    uail.SetExchangeDone([&](int r) { done.push_back(r); });
    EXPECT_EQ(uail.CommandRegister(37, 22), 0);
    EXPECT_STREQ(uail.ReplyData(), "12.500");
    EXPECT_STREQ(uail.RequestText(), "1;37;22;");
    EXPECT_EQ(peer.Seen(), (std::vector<std::string>{"1;37;22;"}));
    EXPECT_EQ(done, (std::vector<int>{0}));
    EXPECT_TRUE(lost.empty());
    EXPECT_TRUE(uail.IsOpen()); // the port stays open between exchanges
}

struct FaultCase {
    const char* name;
    sim::Faults faults;
    sim::Reply reply;
    int result;
    int deviceError;
    int linkLost;
    const char* data;
};

class FaultCases : public Fixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultCases, AsTheLinkSeesThem)
{
    const FaultCase& c = GetParam();
    peer.Transport().SetFaults(c.faults);
    peer.Push(c.reply);
    EXPECT_EQ(uail.CommandRegister(37, 22), c.result) << c.name;
    EXPECT_EQ(uail.DeviceErrorCode(), c.deviceError) << c.name;
    EXPECT_EQ(int(lost.size()), c.linkLost) << c.name;
    if (c.result == 0) {
        EXPECT_STREQ(uail.ReplyData(), c.data) << c.name;
    }
}

static sim::Faults F(int noReply, int wrong, int garbage, int split, bool cr = true)
{
    sim::Faults f;
    f.noReply = noReply;
    f.wrongChecksum = wrong;
    f.garbage = garbage;
    f.split = split;
    f.withCr = cr;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FaultCases,
    ::testing::Values(FaultCase{"clean", F(0, 0, 0, 0), {"1"}, 0, 0, 0, "1"},
                      FaultCase{"no_cr", F(0, 0, 0, 0, false), {"2"}, 0, 0, 0, "2"},
                      FaultCase{"split_over_reads", F(0, 0, 0, 1), {"123.456"}, 0, 0, 0, "123.456"},
                      FaultCase{"garbage_first", F(0, 0, 1, 0), {"7"}, 0, 0, 0, "7"},
                      FaultCase{"silent", F(1, 0, 0, 0), {"7"}, -3, 0, 1, ""},
                      FaultCase{"wrong_checksum", F(0, 1, 0, 0), {"7"}, -3, 0, 1, ""},
                      FaultCase{"device_error_6", F(0, 0, 0, 0), {"", 6}, -4, 6, 0, ""},
                      FaultCase{"device_error_wrong_checksum", F(0, 1, 0, 0), {"", 3}, -4, 3, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Fixture, DeviceErrorDoesNotOutliveItsExchange)
{
    peer.Push({"", 6});
    EXPECT_EQ(uail.CommandRegister(37, 22), -4);
    sim::Faults f;
    f.noReply = 1;
    peer.Transport().SetFaults(f);
    EXPECT_EQ(uail.CommandRegister(37, 22), -3); // silence, not a stale device error
    EXPECT_EQ(uail.DeviceErrorCode(), 0);
    EXPECT_EQ(lost, (std::vector<int>{-3}));
}

TEST_F(Fixture, RepeatCountSendsOnceAndLinkLostOncePerCommand)
{
    sim::Faults f;
    f.noReply = -1;
    peer.Transport().SetFaults(f);
    EXPECT_EQ(uail.Command("1;37;22;", 2), -3);
    EXPECT_EQ(peer.Seen().size(), 3u);
    EXPECT_EQ(lost.size(), 1u);
    EXPECT_EQ(uail.CommandOnly(0), -3);
    EXPECT_EQ(lost.size(), 2u);
}

TEST_F(Fixture, OpenOfSecondPortKeepsTheFirst)
{
    ScriptedPeer other{sim::Reply{"50"}};
    ASSERT_EQ(other.Start(), 0);
    EXPECT_EQ(uail.Open(peer.Path()), 0);
    EXPECT_EQ(uail.Open(other.Path()), 0);
    EXPECT_EQ(uail.PortName(), peer.Path());
    EXPECT_EQ(uail.CommandOnly(0), 0);
    EXPECT_EQ(peer.Seen().size(), 1u);
    EXPECT_TRUE(other.Seen().empty());
}

TEST_F(Fixture, BlockTransfers)
{
    peer.Push({""});
    const std::uint8_t frame[] = {0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
    EXPECT_EQ(uail.BlockWrite(45, frame, 7), 0);
    EXPECT_EQ(peer.Seen().back(), "1;43;45;7;FFFF0280000082;");
    peer.Push({"0680"});
    std::uint8_t got[100];
    int n = -1;
    EXPECT_EQ(uail.BlockRead(45, got, sizeof got, &n), 0);
    EXPECT_EQ(peer.Seen().back(), "1;42;45;100;");
    ASSERT_EQ(n, 2);
    EXPECT_EQ(got[0], 0x06);
    EXPECT_EQ(got[1], 0x80);
    // a block that cannot fit one request is refused before anything is sent
    std::vector<std::uint8_t> huge(600, 0x55);
    const size_t before = peer.Seen().size();
    EXPECT_EQ(uail.BlockWrite(45, huge.data(), int(huge.size())), -2);
    EXPECT_EQ(peer.Seen().size(), before);
}

TEST_F(Fixture, RealWrittenWithSixDecimalsWhateverTheLocale)
{
    testsupport::ScopedCommaLocale comma;
    peer.Push({""});
    EXPECT_EQ(uail.CommandRegisterReal(38, 25, 12.5f), 0);
    EXPECT_EQ(peer.Seen().back(), "1;38;25;12.500000;");
}

TEST(UailOpen, UnusablePortsGiveMinusOne)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    QFile f(plain);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    for (const QString& name : {plain, QStringLiteral("/dev/null"), QStringLiteral("ttyNoSuchPort9"),
                                QStringLiteral("../x"), QStringLiteral(""), dir.path()}) {
        TInterface_UAIL u;
        std::vector<int> lost;
        u.SetLinkLost([&](int r) { lost.push_back(r); });
        u.Initialise(name, 115200, 1, 5);
        EXPECT_EQ(u.Open(name), -1) << name.toStdString();
        EXPECT_EQ(u.CommandOnly(0), -1) << name.toStdString();
        EXPECT_EQ(lost, (std::vector<int>{-1})) << name.toStdString();
    }
}

TEST(UailUnplug, PortGoneGivesNoReplyAndLinkLost)
{
    ScriptedPeer peer{sim::Reply{"50"}};
    ASSERT_EQ(peer.Start(), 0);
    TInterface_UAIL u;
    int lost = 0;
    u.SetLinkLost([&](int) { ++lost; });
    u.Initialise(peer.Path(), 115200, 1, 150);
    ASSERT_EQ(u.CommandOnly(0), 0);
    peer.Transport().Unplug();
    const int r = u.CommandOnly(0);
    EXPECT_TRUE(r == -2 || r == -3) << r;
    EXPECT_EQ(lost, 1);
}

TEST_F(Fixture, AReplyInManySmallPiecesIsTakenWithinTheTimeOut)
{
    // A full block read (200 hex digits) in single bytes 150 µs apart takes about 31 ms: every
    // byte wakes the wait, which once used up a budget counted in wake-ups long before the reply
    // was complete.
    std::string hex;
    for (int i = 0; i < 100; ++i)
        hex += "A5";
    peer.Push({hex});
    sim::Faults f;
    f.split = 1;
    f.splitPauseUs = 150;
    peer.Transport().SetFaults(f);
    std::uint8_t got[100];
    int n = 0;
    EXPECT_EQ(uail.BlockRead(45, got, sizeof got, &n), 0);
    EXPECT_EQ(n, 100);
    EXPECT_EQ(got[99], 0xA5);
    EXPECT_TRUE(lost.empty());
}
