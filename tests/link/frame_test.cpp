#include "link/frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace devlink;

TEST(Crc16, PublishedCheckValueAndWorkedExamples)
{
    EXPECT_EQ(Crc16("123456789"), 0x4B37);
    EXPECT_EQ(Crc16("1;37;400;"), 43944);
    EXPECT_EQ(Crc16("1;50;"), 15633);
    EXPECT_EQ(Crc16("1;0;"), 50730);
}

TEST(RequestFrame, ByteForByte)
{
    const std::vector<std::uint8_t> expected = {0xFF, 0x3A, 0x31, 0x3B, 0x33, 0x37, 0x3B, 0x34, 0x30,
                                                0x30, 0x3B, 0x34, 0x33, 0x39, 0x34, 0x34, 0x0D};
    const std::string frame = RequestFrame("1;37;400;");
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin(), frame.end()), expected);
    EXPECT_EQ(RequestFrame("1;0;"), std::string("\xFF:1;0;50730\r"));
    std::uint8_t small[8];
    EXPECT_EQ(BuildRequestFrame("1;37;400;", small, sizeof small), -1);
}

TEST(ReplyFrame, WorkedExamples)
{
    EXPECT_EQ(ReplyFrame(1, "50", 0, false), std::string("\xFF!1;50;15633"));
    EXPECT_EQ(ReplyFrame(1, "", 6, true), "\xFF!1;$6;" + std::to_string(Crc16("1;$6;")) + "\r");
}

struct ParserCase {
    const char* name;
    std::string bytes;
    bool accepted;
    std::string data;
    int deviceError;
};

class ReplyParserCases : public ::testing::TestWithParam<ParserCase> {};

TEST_P(ReplyParserCases, Parse)
{
    const ParserCase& c = GetParam();
    ReplyParser p;
    p.Reset();
    bool taken = false;
    for (unsigned char b : c.bytes) {
        if (p.ParseByte(b)) {
            taken = true;
            break;
        }
    }
    EXPECT_EQ(taken, c.accepted) << c.name;
    if (c.accepted) {
        EXPECT_EQ(std::string(p.data), c.data) << c.name;
        EXPECT_EQ(p.deviceError, c.deviceError) << c.name;
    }
}

static std::string Big(size_t n)
{
    const std::string data(n, '7');
    return ReplyFrame(1, data, 0, true);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyParserCases,
    ::testing::Values(
        ParserCase{"plain", "\xFF!1;50;15633", true, "50", 0},
        ParserCase{"cr_after_checksum", "\xFF!1;50;15633\r", true, "50", 0},
        ParserCase{"second_ff_restarts", "\xFF!1;99\xFF!1;50;15633", true, "50", 0},
        ParserCase{"wrong_checksum", "\xFF!1;50;15634\r", false, "", 0},
        ParserCase{"device_error_6", ReplyFrame(1, "", 6), true, "", 6},
        ParserCase{"text_reply", ReplyFrame(12, "3.70 V"), true, "3.70 V", 0},
        ParserCase{"noise_before_frame", "abc;!1;50;\x01\x02" + ReplyFrame(1, "50"), true, "50", 0},
        ParserCase{"largest_reply_fits", Big(1023), true, std::string(1023, '7'), 0},
        ParserCase{"oversized_reply_rejected", Big(1500), false, "", 0},
        ParserCase{"arbitrary_bytes", std::string("\x00\x10\x3b\x24\x21\x0d\xfe", 7), false, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyParser, AcceptedAtFirstMatchingDigitWithAddressKept)
{
    ReplyParser p;
    p.Reset();
    const std::string frame = ReplyFrame(7, "12.5", 0, true);
    int acceptedAt = -1;
    for (size_t i = 0; i < frame.size(); ++i)
        if (p.ParseByte(static_cast<unsigned char>(frame[i]))) {
            acceptedAt = int(i);
            break;
        }
    EXPECT_EQ(acceptedAt, int(frame.size()) - 2); // before the CR is read
    EXPECT_EQ(p.address, 7);
    EXPECT_EQ(p.dataLength, 4);
}

TEST(Hex, EncodeDecodeRoundTripAndBounds)
{
    const std::uint8_t bytes[] = {0xFF, 0x02, 0x80, 0x00, 0x00, 0x82};
    char text[32];
    EXPECT_EQ(HexEncode(text, bytes, 6), 13);
    EXPECT_STREQ(text, "FF0280000082;");
    std::uint8_t back[6] = {};
    EXPECT_EQ(HexDecode(back, "FF0280000082", 6), 6);
    EXPECT_EQ(0, memcmp(back, bytes, 6));
    // stops at the end of the text, never reads past an odd last digit
    std::uint8_t out[4] = {};
    EXPECT_EQ(HexDecode(out, "ABC", 4), 2);
    EXPECT_EQ(out[0], 0xAB);
    EXPECT_EQ(HexDecode(out, "", 4), 0);
}

TEST(RequestParser, TakesValidFramesAndSkipsBrokenOnes)
{
    RequestParser p;
    const std::string stream = "junk" + RequestFrame("1;37;22;") + "\xFF:1;37;22;12345\r" +
                               "\xFF:no-checksum\r" + RequestFrame("1;43;45;3;FF0280;");
    std::vector<std::string> got;
    for (unsigned char b : stream)
        if (p.ParseByte(b)) got.push_back(p.Text());
    EXPECT_EQ(got, (std::vector<std::string>{"1;37;22;", "1;43;45;3;FF0280;"}));
    EXPECT_EQ(p.Rejected(), 2);
}

TEST(Texts, ResultsAndDeviceErrors)
{
    EXPECT_STREQ(ResultText(0), "Ok");
    EXPECT_STREQ(ResultText(-3), "Прибор не отвечает");
    EXPECT_STREQ(ResultText(-9), "undeclared error");
    EXPECT_STREQ(DeviceErrorText(6), "Выход параметра за границу диапазона");
    EXPECT_STREQ(DeviceErrorText(19), "функция записи вызвала программное исключение");
    EXPECT_STREQ(DeviceErrorText(20), "undeclared error");
}
