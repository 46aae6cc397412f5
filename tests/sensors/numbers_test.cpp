// Number texts and parsing, and the uncertainty budgets, under the C and a comma-decimal locale.
#include "platform/cnumber.h"
#include "sensors/numbers.h"
#include "sensors/uncertainty.h"
#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace sensors;

namespace {
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// Runs a check under the C locale and again under a comma-decimal one.
template <typename F> void BothLocales(F check)
{
    check();
    testsupport::ScopedCommaLocale comma;
    check();
}
} // namespace

TEST(NumberTexts, FormatFixedIsAlwaysWholeText)
{
    // the widest values and absurd decimals: a complete text, never bytes left over in a buffer
    struct Row {
        double x;
        int decimals;
        size_t length;
    } rows[] = {{1.7976931348623157e308, 6, 316},
                {-1.7976931348623157e308, 100, 411},
                {1.5, 1000, 102},
                {2.5, -3, 1},
                {-0.0, 2, 5}};
    BothLocales([&] {
        for (const Row& r : rows) {
            const std::string t = platform::FormatFixed(r.x, r.decimals);
            EXPECT_EQ(t.size(), r.length) << r.x << " " << r.decimals;
            EXPECT_EQ(t.find_first_not_of("-0123456789."), std::string::npos) << t;
        }
        EXPECT_EQ(platform::FormatFixed(2.5, 2), "2.50");
        EXPECT_EQ(platform::FormatFixed(kNaN, 2), "nan");
    });
}

TEST(NumberTexts, CompactAndFixed)
{
    BothLocales([] {
        struct Row {
            double x;
            const char* text;
        } compact[] = {{3.14159, "3.14159"},
                       {12345.678, "12345.678"},
                       {123456.789, "123456.78"},
                       {100.0f, "100"},
                       {0.5f, "0.5"},
                       {1234.56789f, "1234.5678"},
                       {-0.0000004f, "0"},
                       {-2.5f, "-2.5"},
                       {kNaN, "<<<.<<<"},
                       {-kInf, "<<<.<<<"},
                       {0.0f, "0"},
                       {-12345678.0f, "-12345678"}};
        for (const Row& r : compact)
            EXPECT_EQ(CompactText(r.x), QString::fromUtf8(r.text)) << r.text;
        EXPECT_EQ(FixedText(1.23456f, 3), QStringLiteral("1.235"));
        EXPECT_EQ(FixedText(2.5f, 2), QStringLiteral("2.50"));
        EXPECT_EQ(FixedText(2.5f, 0), QStringLiteral("2"));
        EXPECT_EQ(FixedText(1.5f, 9), QStringLiteral("1.500000")); // "%f"
        EXPECT_EQ(FixedText(kInf, 2), QStringLiteral("<<<.<<<"));
        EXPECT_EQ(CommaText(QStringLiteral("12.5 мА")), QStringLiteral("12,5 мА"));
    });
}

TEST(NumberTexts, MissingValueClasses)
{
    EXPECT_TRUE(IsFinite(1.0f));
    EXPECT_FALSE(IsFinite(kNaN));
    EXPECT_TRUE(IsInfinite(-kInf));
    EXPECT_FALSE(IsInfinite(kNaN));
    EXPECT_TRUE(IsMissing(MissingValue()));
    EXPECT_TRUE(std::signbit(MissingValue()));
    EXPECT_FALSE(IsMissing(kInf));
}

TEST(Parsing, ReadNumberAndRange)
{
    BothLocales([] {
        struct Row {
            const char* text;
            int read;
            float value;      // ReadNumber's value when read is 0
            float fieldValue; // TextValue
            bool has;
        } rows[] = {
            {"12abc", 0, 12, 12, true},         {"", -1, 0, 0, false},       {"<<<.<<<", -1, 0, 0, false},
            {"  -3.5 ", 0, -3.5f, -3.5f, true}, {"abc", -1, 0, 0, false},    {"1e2", 0, 100, 100, true},
            {"12,5", 0, 12, 12, true},          {".5", 0, 0.5f, 0.5f, true},
        };
        for (const Row& r : rows) {
            const QString t = QString::fromUtf8(r.text);
            float v = -99;
            EXPECT_EQ(ReadNumber(t, &v), r.read) << r.text;
            if (r.read == 0) {
                EXPECT_EQ(v, r.value) << r.text;
            }
            EXPECT_EQ(ReadNumberOr0(t), r.read == 0 ? r.value : 0.0f) << r.text;
            EXPECT_EQ(TextValue(t), r.fieldValue) << r.text;
            EXPECT_EQ(TextHasNumber(t), r.has) << r.text;
        }
        EXPECT_EQ(CheckRangeText(QStringLiteral("10"), 10, 0), 0); // the bounds are inside
        EXPECT_EQ(CheckRangeText(QStringLiteral("0"), 10, 0), 0);
        EXPECT_EQ(CheckRangeText(QStringLiteral("-0.1"), 10, 0), -2);
        EXPECT_EQ(CheckRangeText(QStringLiteral("10.5"), 10, 0), -3);
        EXPECT_EQ(CheckRangeText(QStringLiteral("x"), 10, 0), -1);
    });
}

TEST(Uncertainty, RootSumSquare)
{
    EXPECT_FLOAT_EQ(RootSumSquare(3, 4), 5.0f);
    EXPECT_EQ(RootSumSquare(kNaN, 1), 0.0f);
    EXPECT_FLOAT_EQ(RootSumSquare(1, 1, 1, 1, 1, 1), std::sqrt(6.0f));
}

TEST(Uncertainty, BudgetsComputedByHand)
{
    BothLocales([] {
        measure::TStatistics meas, ref;
        meas.sampleDeviation = 0.01f;
        meas.last = 100;
        ref.sampleDeviation = 0.02f;
        TCalibratorRecord cal;
        cal.instabilityA = 0.01f;
        cal.instabilityB = 0.0001f;
        cal.errorLimitA = 0.05f;
        cal.lastDigit = 0.01f;
        cal.verticalGradientA = 0.03f;
        cal.horizontalGradientB = 0.0001f;
        // 2·√(0.01² + (0.02/√3)² + 0.05² + 0.01² + 0.02² + 0.02² + 0.03² + (0.03/√3)² + (0.01/√3)²)
        EXPECT_NEAR(UncertaintyTemperature(meas, ref, &cal, 0.02f), 0.1395230, 2e-6);
        // without a calibrator, a missing reference error counts as 0: 2·√(0.01² + 0.02² + 0.03²)
        EXPECT_NEAR(UncertaintyTemperature(meas, ref, nullptr, kNaN), 0.0748331, 2e-6);

        measure::TStatistics pm, pr;
        pm.populationDeviation = 0.1f;
        pm.maximum = 101;
        pm.minimum = 99;
        pm.sampleDeviation = 0.12f;
        pr.populationDeviation = 0.05f;
        pr.sampleDeviation = 0.06f;
        // um = √(0.1² + (2/(2√3))² + (0.00025·101/3)² + (0.12/√3)²),
        // ur = √(0.05² + (1.0025e-3/(63/1000))² + (0.06/√3)²), result √(um² + ur²)
        EXPECT_NEAR(UncertaintyPressure(pr, pm, 1000, 1), 0.5934285, 2e-6);

        measure::TStatistics sm;
        sm.populationDeviation = 0.02f;
        // √((0.03/3)² + 0.02² + (0.5/3)²)
        EXPECT_NEAR(UncertaintySecondary(sm, 0.5f, 0.03f), 0.1681600, 2e-6);
    });
}
