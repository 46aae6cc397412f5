// The conditions meter through the stand-in library, and the normal-condition limits.
#include "platform/ini.h"
#include "platform/library.h"
#include "verification/conditions.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <limits>

using namespace verification;
using Status = ConditionsReading::Status;

namespace {

const QString kMeter = QStringLiteral(METER_LIBRARY);
const QString kNoFunction = QStringLiteral(METER_LIBRARY_NOFUNC);

bool StillLoaded(const QString& path)
{
    void* h = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

} // namespace

TEST(ConditionsMeter, ReadingsBySerial)
{
    struct Row {
        const char* serial;
        Status status;
        const char* texts[3];
    } rows[] = {
        {"1001", Status::Read, {"22", "45", "745"}},
        {"1002", Status::Read, {"0", "99", "-"}}, // -0.7 cut toward zero; 3e9 is beyond an int
        {"1003", Status::ReadFailed, {"-", "-", "-"}},
        {"1004", Status::Read, {"-", "-", "-"}}, // NaN, +inf, -inf
        {"1005", Status::Read, {"-", "-", "-"}}, // nothing written
        {"", Status::ReadFailed, {"-", "-", "-"}},
    };
    for (const Row& r : rows) {
        const ConditionsReading c = ReadConditionsMeter(kMeter, QString::fromLatin1(r.serial));
        EXPECT_EQ(c.status, r.status) << r.serial;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c.texts[i], QString::fromLatin1(r.texts[i])) << r.serial << " " << i;
    }
    EXPECT_FALSE(StillLoaded(kMeter)); // loaded and unloaded per reading
}

TEST(ConditionsMeter, CallArgumentsAndMissingPieces)
{
    {
        platform::SharedLibrary held; // keeps the stand-in's record of the call alive
        ASSERT_EQ(held.Load(kMeter), platform::SharedLibrary::Status::Loaded);
        auto last = reinterpret_cast<int (*)(char*, std::int32_t*)>(held.Resolve("Standin_LastCall"));
        ASSERT_NE(last, nullptr);
        ReadConditionsMeter(kMeter, QStringLiteral("№7"));
        char serial[64] = {};
        std::int32_t args[3] = {};
        EXPECT_EQ(last(serial, args), 1);
        EXPECT_STREQ(serial, "\xB9"
                             "7"); // Windows-1251, NUL-terminated
        EXPECT_EQ(args[0], 82);
        EXPECT_EQ(args[1], 0);
        EXPECT_EQ(args[2], 12);
    }
    const ConditionsReading none =
        ReadConditionsMeter(kMeter + QStringLiteral(".missing"), QStringLiteral("1001"));
    EXPECT_EQ(none.status, Status::LibraryMissing);
    EXPECT_EQ(none.texts[0], QString());
    const ConditionsReading nofunc = ReadConditionsMeter(kNoFunction, QStringLiteral("1001"));
    EXPECT_EQ(nofunc.status, Status::FunctionMissing);
    EXPECT_EQ(nofunc.texts[0], QString());
    const ConditionsReading broken = ReadConditionsMeter(QStringLiteral(LORIK_SOURCE_DIR "/README.md"), {});
    EXPECT_EQ(broken.status, Status::CannotLoad);
    EXPECT_FALSE(broken.loaderError.isEmpty());
}

TEST(ConditionsMeter, TextOfAValue)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Row {
        float v;
        const char* text;
    } rows[] = {{22.8f, "22"},
                {-0.7f, "0"},
                {-1.5f, "-1"},
                {745.9f, "745"},
                {2147483520.0f, "2147483520"},
                {2147483648.0f, "-"},
                {-2147483648.0f, "-2147483648"},
                {std::nanf(""), "-"},
                {inf, "-"},
                {-inf, "-"}};
    for (const Row& r : rows)
        EXPECT_EQ(ConditionText(r.v), QString::fromLatin1(r.text)) << r.v;
}

TEST(ConditionLimitsFromSettings, DefaultsAndRangeChecks)
{
    platform::IniFile ini;
    ConditionLimits l = ReadConditionLimits(ini);
    EXPECT_EQ(l.tempMin, 15);
    EXPECT_EQ(l.presMax, 800);
    ini.SetValue(QStringLiteral("Conditions"), QStringLiteral("TempMin"), QStringLiteral("18.5"));
    ini.SetValue(QStringLiteral("Conditions"), QStringLiteral("TempMax"), QStringLiteral("abc"));
    ini.SetValue(QStringLiteral("Conditions"), QStringLiteral("HumMin"), QStringLiteral("90"));
    ini.SetValue(QStringLiteral("Conditions"), QStringLiteral("HumMax"), QStringLiteral("20"));
    ini.SetValue(QStringLiteral("Conditions"), QStringLiteral("PresMin"), QStringLiteral("inf"));
    l = ReadConditionLimits(ini);
    EXPECT_EQ(l.tempMin, 18.5f);
    EXPECT_EQ(l.tempMax, 25); // not a number
    EXPECT_EQ(l.humMin, 30);  // min above max: the default pair
    EXPECT_EQ(l.humMax, 80);
    EXPECT_EQ(l.presMin, 630);
    EXPECT_TRUE(OutsideNormal(QStringLiteral("14"), 15, 25));
    EXPECT_FALSE(OutsideNormal(QStringLiteral("25"), 15, 25));
    EXPECT_FALSE(OutsideNormal(QStringLiteral("-"), 15, 25));
    EXPECT_FALSE(OutsideNormal(QString(), 15, 25));
}
