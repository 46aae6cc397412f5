// The link facade: request texts, conversions, serial number, link loss.
#include "link/interface.h"
#include "simulator/transport.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_peer.h"

#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <deque>
#include <mutex>

using namespace devlink;

namespace {

class Peer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(peer.Start(), 0);
        link.Frames().Initialise(peer.Path(), 115200, 1, 150);
        link.Frames().SetLinkLost([this](int r) { lost.push_back(r); });
    }
    void Answer(sim::Reply r) { peer.Push(std::move(r)); }
    std::string Last() { return peer.Last(); }
    testsupport::ScriptedPeer peer;
    sim::PtyTransport& transport = peer.Transport();
    TInterface link;
    std::vector<int> lost;
};

} // namespace

TEST_F(Peer, RequestTextsOfWrites)
{
    EXPECT_EQ(link.WriteRegisterInt(RemoteMode, 1), 0);
    EXPECT_EQ(Last(), "1;38;400;1;");
    EXPECT_EQ(link.WriteRegisterReal(EmulValue, 12.5f), 0);
    EXPECT_EQ(Last(), "1;38;25;12.500000;");
    EXPECT_EQ(link.WriteRegisterFromText(EmulValue, QStringLiteral(" -0.25 ")), 0);
    EXPECT_EQ(Last(), "1;38;25;-0.250000;");
    EXPECT_EQ(link.Identify(), 0);
    EXPECT_EQ(Last(), "1;0;");
    // text that is not a number stops before anything is sent
    const size_t before = peer.Seen().size();
    EXPECT_EQ(link.WriteRegisterFromText(EmulValue, QStringLiteral("12,5")), kConversionError);
    EXPECT_EQ(link.WriteRegisterFromText(EmulValue, QStringLiteral("")), kConversionError);
    // and so does a value that is not finite: "nan" or "inf" never goes on the wire
    EXPECT_EQ(link.WriteRegisterReal(EmulValue, std::numeric_limits<float>::quiet_NaN()), kConversionError);
    EXPECT_EQ(link.WriteRegisterReal(EmulValue, std::numeric_limits<float>::infinity()), kConversionError);
    EXPECT_EQ(link.WriteRegisterFromText(EmulValue, QStringLiteral("inf")), kConversionError);
    EXPECT_EQ(peer.Seen().size(), before);
    EXPECT_TRUE(lost.empty());
}

TEST_F(Peer, RealAndIntegerConversions)
{
    struct Row {
        const char* reply;
        int intResult;
        int intValue;
        bool realNaN;
        float realValue; // expected when not NaN (7 means "left unchanged")
    } rows[] = {
        {"12.5", 0, 12, false, 12.5f}, {"NaN", -2, 7, true, 0},   {"", -2, 7, true, 0},
        {"abc", -2, 7, false, 7},      {"-3", 0, -3, false, -3},  {" 42 ", 0, 42, false, 42},
        {"1e3", 0, 1, false, 1000},    {"12,5", 0, 12, false, 7},
    };
    testsupport::ScopedCommaLocale comma; // replies never follow the user's locale
    for (const Row& r : rows) {
        Answer({r.reply});
        int i = 7;
        EXPECT_EQ(link.ReadRegisterInt(MeasuredValue, &i), r.intResult) << r.reply;
        EXPECT_EQ(i, r.intValue) << r.reply;
        Answer({r.reply});
        float f = 7;
        EXPECT_EQ(link.ReadRegisterReal(MeasuredValue, &f), 0) << r.reply;
        if (r.realNaN) {
            EXPECT_TRUE(std::isnan(f)) << r.reply;
        } else {
            EXPECT_EQ(f, r.realValue) << r.reply;
        }
    }
    EXPECT_TRUE(lost.empty());
}

TEST_F(Peer, SerialNumberKeepsAtMost49Characters)
{
    const std::string longSerial(60, '7');
    Answer({longSerial});
    EXPECT_EQ(link.ReadDeviceSerialNumber(), 0);
    EXPECT_EQ(std::string(link.DeviceSerialNumber()), std::string(49, '7'));
    // a failed read stores "-1"
    sim::Faults f;
    f.noReply = 1;
    transport.SetFaults(f);
    EXPECT_EQ(link.ReadDeviceSerialNumber(), -1);
    EXPECT_STREQ(link.DeviceSerialNumber(), "-1");
    // text reads are bounded by the caller's buffer
    Answer({"ABCDEFGHIJ"});
    char small[5];
    EXPECT_EQ(link.ReadRegisterText(SerialNumber, small, sizeof small), 0);
    EXPECT_STREQ(small, "ABCD");
    EXPECT_EQ(link.ReadRegisterText(SerialNumber, static_cast<char*>(nullptr), 5), -1);
}

TEST_F(Peer, DeviceErrorKeepsTheLinkSilenceLosesItOncePerCommand)
{
    Answer({"", 6});
    float v = 1;
    EXPECT_EQ(link.ReadRegisterReal(MeasuredValue, &v), -1);
    EXPECT_EQ(link.LastResult(), -4);
    EXPECT_EQ(link.DeviceErrorCode(), 6);
    EXPECT_TRUE(lost.empty());
    sim::Faults f;
    f.noReply = -1;
    transport.SetFaults(f);
    EXPECT_EQ(link.WriteRegisterInt(MeasMode, -1), -3);
    EXPECT_EQ(lost, (std::vector<int>{-3}));
    EXPECT_EQ(link.ReadRegisterInt(RemoteMode, nullptr), -1);
    EXPECT_EQ(lost.size(), 2u);
}

TEST_F(Peer, BlocksThroughTheFacade)
{
    Answer({"FF06"});
    std::uint8_t buf[4];
    int n = 0;
    EXPECT_EQ(link.ReadBlock(HartChannel, buf, 1, &n), 0); // never more than the buffer holds
    EXPECT_EQ(n, 1);
    EXPECT_EQ(buf[0], 0xFF);
    const std::uint8_t out[] = {0x02, 0x80};
    EXPECT_EQ(link.WriteBlock(HartChannel, out, 2), 0);
    EXPECT_EQ(Last(), "1;43;45;2;0280;");
}
