// HART frames, decoding, the tables library, and the search through the virtual calibrator.
#include "fieldlink/fieldlink.h"
#include "hart/hart.h"
#include "hart/search.h"
#include "platform/cp1251.h"
#include "platform/library.h"
#include "tests/support/sim_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace hart;

namespace {

const QString kFieldlink = QStringLiteral(FIELDLINK_LIBRARY);

THart Hart(const QString& library = kFieldlink)
{
    THart h;
    h.Configure(5, 3);
    h.SetTablesLibrary(library);
    return h;
}

std::vector<std::uint8_t> Response(int leadingFF, std::uint8_t command, std::uint8_t rc,
                                   std::vector<std::uint8_t> data, std::uint8_t address = 0x83)
{
    std::vector<std::uint8_t> f(size_t(leadingFF), 0xFF);
    const size_t start = f.size();
    f.insert(f.end(), {0x06, address, command, std::uint8_t(data.size() + 2), rc, 0x00});
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(THart::CheckByte(f.data() + start, int(f.size() - start)));
    return f;
}

const std::vector<std::uint8_t> kIdentity = {254, 0x51, 0x02, 5, 5, 1, 1, 8, 0, 0x12, 0x34, 0x56};

// Calls the library's exports directly (it is loaded as the program loads it).
struct Fieldlink {
    platform::SharedLibrary lib;
    decltype(&GetStrByCode) str = nullptr;
    decltype(&GetCodeByStr) code = nullptr;
    Fieldlink()
    {
        lib.Load(kFieldlink);
        str = reinterpret_cast<decltype(str)>(lib.Resolve("GetStrByCode"));
        code = reinterpret_cast<decltype(code)>(lib.Resolve("GetCodeByStr"));
    }
    QString Str(int t, int c) { return platform::FromCp1251(std::string_view(str(t, c))); }
    int Code(int t, const char* utf8) { return code(t, platform::Utf8ToCp1251(utf8).c_str()); }
};

} // namespace

TEST(HartFrames, ByteForByte)
{
    const THart h = Hart();
    std::uint8_t buf[64];
    const int n = h.BuildShortFrame(buf, sizeof buf, 0, 0, 0, nullptr);
    const std::vector<std::uint8_t> expected = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x80,
                                                0x00, 0x00, 0x82, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::vector<std::uint8_t>(buf, buf + n), expected);
    char hex[64];
    devlink::HexEncode(hex, buf, n);
    EXPECT_STREQ(hex, "FFFFFFFFFF0280000082FFFFFF;"); // as the link sends it: "1;43;45;13;...;"
    const std::uint8_t addr[5] = {0x91, 0x02, 0x12, 0x34, 0x56};
    const int m = h.BuildLongFrame(buf, sizeof buf, addr, 1, 0, nullptr);
    EXPECT_EQ(m, 5 + 9 + 3);
    EXPECT_EQ(buf[5], 0x82);
    EXPECT_EQ(buf[13], THart::CheckByte(buf + 5, 8));
    EXPECT_EQ(h.BuildShortFrame(buf, 12, 0, 0, 0, nullptr), -1); // does not fit
}

TEST(HartFrames, ParseAcceptsAndRejects)
{
    ResponseRecord r;
    for (int ff : {0, 5, 20}) {
        const auto f = Response(ff, 0, 0, kIdentity);
        EXPECT_EQ(THart::ParseResponse(f.data(), int(f.size()), &r), 0) << ff;
        EXPECT_EQ(r.pollingAddress, 3);
        EXPECT_EQ(r.dataCount, 12);
    }
    auto f = Response(2, 0, 0, kIdentity);
    EXPECT_EQ(THart::ParseResponse(f.data(), int(f.size()) - 3, &r), -1); // truncated
    auto bad = f;
    bad.back() ^= 0x01;
    EXPECT_EQ(THart::ParseResponse(bad.data(), int(bad.size()), &r), -1); // check byte
    auto lying = f;
    lying[5] = 200; // a byte count that runs past the data received
    EXPECT_EQ(THart::ParseResponse(lying.data(), int(lying.size()), &r), -1);
    const std::uint8_t onlyFF[] = {0xFF, 0xFF};
    EXPECT_EQ(THart::ParseResponse(onlyFF, 2, &r), -1);
    EXPECT_EQ(THart::ParseResponse(nullptr, 5, &r), -1);
    const std::uint8_t longShort[] = {0x86, 1, 2, 3};
    EXPECT_EQ(THart::ParseResponse(longShort, 4, &r), -1);
}

TEST(HartDecode, IdentityRangeAndPv)
{
    const THart h = Hart();
    DeviceRecord d;
    ResponseRecord r;
    auto f = Response(5, 0, 0, kIdentity);
    ASSERT_EQ(THart::ParseResponse(f.data(), int(f.size()), &r), 0);
    EXPECT_EQ(h.DecodeResponse(r, &d), 0);
    const std::uint8_t expected[5] = {0x91, 0x02, 0x12, 0x34, 0x56};
    EXPECT_EQ(0, memcmp(d.longAddress, expected, 5));
    EXPECT_EQ(d.expandedType, 0x5102);

    // response code 0x40: nothing decoded
    DeviceRecord before = d;
    auto warn = Response(5, 15, 0x40, {0, 0, 32, 0x44, 0x16, 0, 0, 0, 0, 0, 0, 0x3F, 0, 0, 0, 251, 250, 0});
    ASSERT_EQ(THart::ParseResponse(warn.data(), int(warn.size()), &r), 0);
    EXPECT_EQ(h.DecodeResponse(r, &d), 0x40);
    EXPECT_EQ(d.upperRange, before.upperRange);
    // command 0 whose first data byte is not 254 leaves the record
    auto not254 = kIdentity;
    not254[0] = 253;
    not254[9] = 0x77;
    auto g = Response(5, 0, 0, not254);
    ASSERT_EQ(THart::ParseResponse(g.data(), int(g.size()), &r), 0);
    EXPECT_EQ(h.DecodeResponse(r, &d), 0);
    EXPECT_EQ(d.longAddress[2], 0x12);

    // command 15: upper 600 (0x44160000), lower 0, unit 32 "°C"
    auto range = Response(5, 15, 0, {0, 0, 32, 0x44, 0x16, 0, 0, 0, 0, 0, 0, 0x3F, 0, 0, 0, 251, 250, 0});
    ASSERT_EQ(THart::ParseResponse(range.data(), int(range.size()), &r), 0);
    EXPECT_EQ(h.DecodeResponse(r, &d), 0);
    EXPECT_EQ(d.upperRange, 600.0f);
    EXPECT_EQ(d.lowerRange, 0.0f);
    EXPECT_EQ(d.unit, QStringLiteral("°C"));
    // command 1: PV 12.5 kPa
    auto pv = Response(5, 1, 0, {12, 0x41, 0x48, 0, 0});
    ASSERT_EQ(THart::ParseResponse(pv.data(), int(pv.size()), &r), 0);
    EXPECT_EQ(h.DecodeResponse(r, &d), 0);
    EXPECT_EQ(d.pv, 12.5f);
    EXPECT_EQ(d.unit, QStringLiteral("кПа"));
}

TEST(HartDecode, ShortResponsesAreNotDecoded)
{
    // a command 1 reply without its four PV bytes must not leave the previous PV as the reading
    const THart h = Hart();
    DeviceRecord d;
    d.pv = 42.0f;
    d.upperRange = 7.0f;
    ResponseRecord r;
    const std::pair<std::uint8_t, std::vector<std::uint8_t>> rows[] = {
        {1, {12, 0x41, 0x48}}, {15, {0, 0, 32, 0x44, 0x16, 0, 0}}, {0, {254, 0x51, 0x02, 5}}};
    for (const auto& [command, data] : rows) {
        auto f = Response(5, command, 0, data);
        ASSERT_EQ(THart::ParseResponse(f.data(), int(f.size()), &r), 0) << int(command);
        EXPECT_EQ(h.DecodeResponse(r, &d), THart::kTooShort) << int(command);
    }
    EXPECT_EQ(d.pv, 42.0f);
    EXPECT_EQ(d.upperRange, 7.0f);
    EXPECT_EQ(d.expandedType, 0);
}

TEST(HartDecode, MissingTablesLibraryLeavesTextsEmpty)
{
    const THart h = Hart(QStringLiteral("/nonexistent/libfieldlink.so"));
    DeviceRecord d;
    ResponseRecord r;
    auto pv = Response(5, 1, 0, {32, 0x41, 0x48, 0, 0});
    ASSERT_EQ(THart::ParseResponse(pv.data(), int(pv.size()), &r), 0);
    EXPECT_EQ(h.DecodeResponse(r, &d), 0);
    EXPECT_EQ(d.pv, 12.5f);
    EXPECT_TRUE(d.unit.isEmpty());
}

TEST(Fieldlink, TheProgramsTexts)
{
    Fieldlink f;
    ASSERT_TRUE(f.str && f.code);
    EXPECT_EQ(f.Str(2, 32), QStringLiteral("°C"));
    EXPECT_EQ(f.Str(2, 237), QStringLiteral("МПа"));
    EXPECT_EQ(f.Str(2, 143), QString());
    EXPECT_EQ(f.Str(5, 1), QString());
    EXPECT_EQ(f.Str(-1, 0), QString());
    EXPECT_EQ(f.Str(21, 10), QStringLiteral("Reserved"));
    EXPECT_EQ(f.Str(3, 0), QStringLiteral("Линейная"));
    EXPECT_EQ(f.Str(7, 1), QStringLiteral("Write Protected"));
    EXPECT_EQ(f.Str(6, 240), QStringLiteral("Hold Last Output Value"));
    EXPECT_EQ(f.Str(1, 0x2618), QStringLiteral("Rosemount (Emerson)"));
    EXPECT_EQ(f.Str(0, 0xFFFF), QString());
    EXPECT_EQ(f.Code(2, "кПа"), 12);
    EXPECT_EQ(f.Code(2, "МПа"), -1); // above the scan's start code
    EXPECT_EQ(f.Code(3, "Заводская"), 249);
    EXPECT_EQ(f.Code(0, "2001"), -1);
    EXPECT_EQ(f.Code(2, ""), -1);
    EXPECT_EQ(f.code(2, nullptr), -1);
    // the model buffer is the library's own and is overwritten by the next call
    const char* a = f.str(0, 0x2601);
    const std::string first = a;
    f.str(0, 0x2618);
    EXPECT_NE(std::string(a), first);
}

namespace {
class HartLoop : public testsupport::SimFixture {
protected:
    static sim::World World()
    {
        sim::World w;
        QString error;
        EXPECT_TRUE(
            sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("hart")), &w, &error));
        return w;
    }
    HartLoop() : SimFixture(World()) {}
};
} // namespace

TEST_F(HartLoop, SearchFindsAddress3OnTheFourthTickAndReadsPv)
{
    THart h = Hart();
    DeviceRecord device;
    ManualTimer timer;
    HartSearch search(link, h, device, timer);
    std::vector<int> progress;
    int ticks = 0;
    bool range = false;
    QString name;
    search.onProgress = [&](int a) { progress.push_back(a); };
    search.onName = [&](const QString& n) { name = n; };
    search.onFound = [&](bool ok) { range = ok; };
    ASSERT_EQ(search.Start(), 0);
    EXPECT_EQ(timer.Interval(), kSearchIntervalMs);
    while (timer.IsActive() && ticks < 20) {
        search.Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(search.Address(), 3);
    EXPECT_EQ(name, QStringLiteral("644TEMPERATURE"));
    EXPECT_TRUE(range);
    EXPECT_EQ(device.upperRange, 600.0f);
    EXPECT_EQ(device.unit, QStringLiteral("°C"));
    EXPECT_EQ(vc.Model().State().hartModem, 1);

    HartPvReader pv(link, h, device, timer);
    ASSERT_EQ(pv.Start(), 0);
    pv.Tick();
    EXPECT_EQ(pv.Phase(), 1);
    pv.Tick();
    EXPECT_NEAR(pv.Pv(), 250.0, 1.0);
    pv.Stop();
    EXPECT_TRUE(std::isnan(pv.Pv()));
    EXPECT_EQ(vc.Model().State().hartModem, 0);
}

TEST_F(HartLoop, SearchEndsAfterAddress15WhenNobodyAnswers)
{
    sim::World w = vc.Model().GetWorld();
    w.hart.clear();
    vc.Model().SetWorld(w);
    THart h = Hart();
    DeviceRecord device;
    ManualTimer timer;
    HartSearch search(link, h, device, timer);
    int ended = 0, ticks = 0;
    search.onEnded = [&] { ++ended; };
    ASSERT_EQ(search.Start(), 0);
    while (timer.IsActive() && ticks < 40) {
        search.Tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 16);
    EXPECT_EQ(ended, 1);
}
