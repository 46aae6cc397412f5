// The characteristic library against published tables, its round trip, classes and sensitivities,
// and the binding that loads it by file name.
#include "polynoms/characteristics.h"
#include "sensors/polynoms.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace polynoms;

namespace {

struct TableRow {
    const char* source;
    int code;
    double t;
    double el;  // table value
    double tol; // table rounding
};

// Published values: Pt100 per IEC 60751 tables (0.01 Ohm); thermocouples per the NIST ITS-90
// tables (0.001 mV); L per GOST R 8.585-2001 (0.001 mV); copper by definition of W.
constexpr TableRow kTable[] = {
    {"IEC 60751 Pt100", 0, 0, 100.00, 0.005},         {"IEC 60751 Pt100", 0, 100, 138.51, 0.005},
    {"IEC 60751 Pt100", 0, -200, 18.52, 0.005},       {"IEC 60751 Pt100", 0, 600, 313.71, 0.005},
    {"IEC 60751 Pt100", 0, 850, 390.48, 0.005},       {"IEC 60751 Pt100", 0, -100, 60.26, 0.005},
    {"GOST 6651 100M 1.428", 5, 100, 142.80, 0.005},  {"GOST 6651 50M 1.426", 4, 200, 92.60, 0.005},
    {"GOST 6651 50M 1.426", 4, -50, 39.35, 0.005},    {"NIST J", 7, 100, 5.269, 0.0005},
    {"NIST J", 7, 500, 27.393, 0.0005},               {"NIST J", 7, -200, -7.890, 0.0005},
    {"NIST J", 7, 1000, 57.953, 0.0005},              {"NIST K", 8, 100, 4.096, 0.0005},
    {"NIST K", 8, 500, 20.644, 0.0005},               {"NIST K", 8, 1000, 41.276, 0.0005},
    {"NIST K", 8, -200, -5.891, 0.0005},              {"NIST K", 8, 1300, 52.410, 0.0005},
    {"NIST B", 9, 500, 1.242, 0.0005},                {"NIST B", 9, 1000, 4.834, 0.0005},
    {"NIST B", 9, 1800, 13.591, 0.0005},              {"NIST S", 11, 100, 0.646, 0.0005},
    {"NIST S", 11, 1000, 9.587, 0.0005},              {"NIST S", 11, 1700, 17.947, 0.0005},
    {"NIST T", 13, 100, 4.279, 0.0005},               {"NIST T", 13, -200, -5.603, 0.0005},
    {"NIST T", 13, 400, 20.872, 0.0005},              {"NIST N", 14, 100, 2.774, 0.0005},
    {"NIST N", 14, 1000, 36.256, 0.0005},             {"NIST N", 14, -100, -2.407, 0.0005},
    {"GOST R 8.585 L", 12, 100, 6.862, 0.0005},       {"GOST R 8.585 L", 12, 600, 49.108, 0.0015},
};

} // namespace

TEST(Characteristics, PublishedTableValuesBothWays)
{
    for (const TableRow& r : kTable) {
        double el = 0, t = 0;
        ASSERT_EQ(TempToEl(r.code, r.t, &el), Ok) << r.source << " " << r.t;
        EXPECT_NEAR(el, r.el, r.tol) << r.source << " at " << r.t;
        // the inverse of the table value lands within the table rounding expressed in °C
        double slope = 0;
        ASSERT_EQ(r.code < 7 ? OhmPerDegree(r.code, r.t, &slope) : MvPerDegree(r.code, r.t, &slope), Ok);
        ASSERT_EQ(ElToTemp(r.code, r.el, &t), Ok) << r.source;
        EXPECT_NEAR(t, r.t, r.tol / slope + 1e-9) << r.source << " inverse at " << r.t;
    }
}

TEST(Characteristics, RoundTripThroughTheFloatInterfaceOverEveryRange)
{
    sensors::TPolynoms lib(QStringLiteral(POLYNOMS_LIBRARY));
    ASSERT_TRUE(lib.Usable());
    for (int code = 0; code < kTypeCount; ++code) {
        double lo, hi;
        ASSERT_EQ(InverseRange(code, &lo, &hi), Ok);
        double worst = 0;
        for (double t = lo; t <= hi; t += 0.05) {
            const float el = lib.GradToEl(code, float(t));
            const float back = lib.ElToGrad(code, el);
            ASSERT_TRUE(std::isfinite(back)) << code << " at " << t;
            worst = std::max(worst, std::fabs(double(back) - double(float(t))));
        }
        EXPECT_LT(worst, 0.001) << "code " << code;
    }
}

TEST(Characteristics, RangeEndsAndBeyond)
{
    for (int code = 0; code < kTypeCount; ++code) {
        double lo, hi, el, t;
        ASSERT_EQ(TemperatureRange(code, &lo, &hi), Ok);
        EXPECT_EQ(TempToEl(code, lo, &el), Ok) << code;
        EXPECT_EQ(TempToEl(code, hi, &el), Ok) << code;
        EXPECT_EQ(TempToEl(code, lo - 0.5, &el), OutOfRange) << code;
        EXPECT_EQ(TempToEl(code, hi + 0.5, &el), OutOfRange) << code;
        // an end value a little beyond the exact one (table rounding) still gives the end
        const double unit = code < 7 ? 0.01 : 0.001;
        TempToEl(code, hi, &el);
        ASSERT_EQ(ElToTemp(code, el + 0.5 * unit, &t), Ok) << code;
        EXPECT_EQ(t, hi);
        EXPECT_EQ(ElToTemp(code, el + 5 * unit, &t), OutOfRange) << code;
        EXPECT_EQ(ElToTemp(code, NAN, &t), NotFinite);
    }
    double v;
    EXPECT_EQ(TempToEl(-1, 0, &v), BadCode);
    EXPECT_EQ(TempToEl(15, 0, &v), BadCode);
    EXPECT_EQ(ElToTemp(15, 1, &v), BadCode);
    // A-1's table gives 0.000 mV at 0 °C although its polynomial gives +0.0007
    EXPECT_EQ(ElToTemp(10, 0.0, &v), Ok);
    EXPECT_EQ(v, 0.0);
}

TEST(Characteristics, ClassesAndTolerances)
{
    struct Row {
        int code, cls;
        double lo, hi, t, tol;
    } rows[] = {
        {0, 0, -50, 250, 100, 0.27},  {0, 1, -100, 450, -100, 0.35}, {0, 2, -196, 660, 600, 3.3},
        {3, 3, -180, 200, 200, 2.6},  {4, 3, -50, 200, 0, 0.6},      {8, 1, -40, 1000, 1000, 4.0},
        {8, 1, -40, 1000, 100, 1.5},  {8, 3, -200, 40, -200, 3.0},   {11, 1, 0, 1600, 1600, 2.5},
        {9, 3, 600, 1700, 700, 4.0},  {12, 2, -40, 800, 800, 4.7},   {12, 3, -200, 100, -200, 3.5},
        {10, 2, 1000, 2500, 2000, 10}, {13, 1, -40, 350, 300, 1.2},
    };
    for (const Row& r : rows) {
        double lo, hi, tol;
        ASSERT_EQ(ClassRange(r.code, r.cls, &lo, &hi), Ok) << r.code << "/" << r.cls;
        EXPECT_EQ(lo, r.lo);
        EXPECT_EQ(hi, r.hi);
        ASSERT_EQ(Tolerance(r.code, r.t, r.cls, &tol), Ok) << r.code << "/" << r.cls;
        EXPECT_NEAR(tol, r.tol, 1e-9) << r.code << "/" << r.cls << " at " << r.t;
        EXPECT_EQ(Tolerance(r.code, r.hi + 1, r.cls, &tol), OutOfRange);
    }
    double lo, hi, tol;
    // classes a type does not have
    for (auto [code, cls] : {std::pair {3, 0}, {7, 3}, {9, 1}, {10, 1}, {11, 3}, {12, 1}, {0, 4}, {8, 0}})
        EXPECT_EQ(ClassRange(code, cls, &lo, &hi), NoClass) << code << "/" << cls;
    // never negative anywhere in any class
    for (int code = 0; code < kTypeCount; ++code)
        for (int cls = 0; cls <= 3; ++cls)
            if (ClassRange(code, cls, &lo, &hi) == Ok)
                for (double t = lo; t <= hi; t += 1) {
                    ASSERT_EQ(Tolerance(code, t, cls, &tol), Ok);
                    ASSERT_GT(tol, 0) << code << "/" << cls << " at " << t;
                }
}

TEST(Characteristics, SensitivitiesMatchFiniteDifferences)
{
    for (int code = 0; code < kTypeCount; ++code) {
        double lo, hi;
        InverseRange(code, &lo, &hi);
        for (double t = lo + 1; t < hi - 1; t += 13.7) {
            if (code >= 3 && code <= 6 && std::fabs(t) < 1) continue; // copper's kink at 0 °C
            double a, b, s;
            TempToEl(code, t - 1e-3, &a);
            TempToEl(code, t + 1e-3, &b);
            const int r = code < 7 ? OhmPerDegree(code, t, &s) : MvPerDegree(code, t, &s);
            ASSERT_EQ(r, Ok);
            EXPECT_NEAR(s, (b - a) / 2e-3, 1e-6 * (1 + std::fabs(s))) << code << " at " << t;
        }
    }
    double s;
    EXPECT_EQ(OhmPerDegree(8, 100, &s), BadCode);
    EXPECT_EQ(MvPerDegree(0, 100, &s), BadCode);
}

TEST(Binding, MissingFileAndMissingEntryPointAreUnusable)
{
    sensors::TPolynoms missing(QStringLiteral("/nonexistent/libpolynoms.so"));
    EXPECT_EQ(missing.LoadResult(), -1);
    EXPECT_EQ(missing.Status(), platform::SharedLibrary::Status::FileMissing);
    EXPECT_TRUE(std::isnan(missing.GradToEl(8, 100)));

    sensors::TPolynoms partial(QStringLiteral(STANDIN_LIBRARY));
    EXPECT_EQ(partial.LoadResult(), -1);
    EXPECT_EQ(partial.Status(), platform::SharedLibrary::Status::SymbolMissing);
    EXPECT_TRUE(std::isnan(partial.ElToGrad(0, 100)));
    float lo, hi;
    EXPECT_EQ(partial.DiapByClass(0, 1, &lo, &hi), -1);

    sensors::TPolynoms real(QStringLiteral(POLYNOMS_LIBRARY));
    ASSERT_EQ(real.LoadResult(), 0);
    EXPECT_NEAR(real.GradToEl(8, 100), 4.096, 0.0005);
    EXPECT_TRUE(std::isnan(real.GradToEl(8, 2000)));  // outside the range: the call fails
    EXPECT_TRUE(std::isnan(real.ElToGrad(8, NAN)));
    EXPECT_NE(real.DiapByClass(7, 3, &lo, &hi), 0);
}
