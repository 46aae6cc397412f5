// The chart arithmetic, the point store with its pyramid, and the report list model.
#include "measure/chartmath.h"
#include "measure/reportmodel.h"
#include "measure/seriesdata.h"
#include "sensors/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace measure;

TEST(ChartMath, ElapsedLabels)
{
    const struct {
        std::int64_t s;
        const char* label;
    } rows[] = {{-5, "-1"},      {0, "0:00"},       {5, "0:05"},       {75, "1:15"},
                {3599, "59:59"}, {3600, "1:00:00"}, {3723, "1:02:03"}, {90061, "25:01:01"}};
    for (const auto& r : rows)
        EXPECT_EQ(ElapsedLabel(r.s), QString::fromLatin1(r.label)) << r.s;
    SetTimeOrigin(NowSeconds() - 75);
    const QString now = ElapsedLabel();
    EXPECT_TRUE(now == QStringLiteral("1:15") || now == QStringLiteral("1:16")) << now.toStdString();
}

TEST(ChartMath, ShiftAndZoomSteps)
{
    const struct {
        AxisStep step;
        AxisRange from, to;
    } rows[] = {{AxisStep::ShiftDown, {0, 100}, {-10, 89}},
                {AxisStep::ShiftUp, {0, 100}, {10, 109}},
                {AxisStep::ZoomIn, {0, 100}, {10, 91}},
                {AxisStep::ZoomOut, {0, 100}, {-10, 111}},
                {AxisStep::ShiftDown, {-1, 1}, {-1.2, 0.78}}};
    for (const auto& r : rows) {
        const AxisRange got = StepAxis(r.from, r.step);
        EXPECT_NEAR(got.min, r.to.min, 1e-12) << int(r.step);
        EXPECT_NEAR(got.max, r.to.max, 1e-12) << int(r.step);
    }
}

TEST(ChartMath, ButtonNamesChooseTheirActions)
{
    using A = ToolAction;
    const struct {
        const char* name;
        std::vector<A> actions;
    } rows[] = {{"MGLeft", {A::Left}},
                {"MGRight", {A::Right}},
                {"MGUp", {A::Up}},
                {"MGDown", {A::Down}},
                {"MGZoomXIn", {A::ZoomXIn}},
                {"MGZoomXOut", {A::ZoomXOut}},
                {"MGZoomYIn", {A::ZoomYIn}},
                {"MGZoomYOut", {A::ZoomYOut}},
                {"MGNoZoom", {A::NoZoom}},
                {"MGSave", {A::Save}},
                {"MGPrint", {A::Print}},
                {"MGClear", {A::Clear}},
                {"Clear", {}},
                {"MGLeftSave", {A::Left, A::Save}}};
    for (const auto& r : rows)
        EXPECT_EQ(ToolActions(QString::fromLatin1(r.name)), r.actions) << r.name;
}

TEST(ChartMath, TableLinesWithAGapAndAShorterSeries)
{
    TSeriesData measured, reference, third;
    measured.Append(100.5f, u"0:01");
    measured.Append(NAN, u"0:02"); // a gap point counts in X
    measured.Append(100.25f, u"0:03");
    reference.Append(99.75f, u"");
    const auto compact = [](double v) { return sensors::CompactText(v); };
    EXPECT_EQ(TableText({&measured, &reference}, compact),
              QByteArray("0=100.5\t99.75\r\n1=<<<.<<<\t\r\n2=100.25\t\r\n"));
    EXPECT_EQ(TableText({&measured}, compact), QByteArray("0=100.5\r\n1=<<<.<<<\r\n2=100.25\r\n"));
    EXPECT_EQ(TableText({&measured, &reference, &third}, compact).split('\n').first(),
              QByteArray("0=100.5\t99.75\t\r"));
    EXPECT_TRUE(TableText({&measured, &reference, &third, &third}, compact).isEmpty());
    EXPECT_TRUE(TableText({}, compact).isEmpty());
    EXPECT_EQ(measured.Label(2), QStringLiteral("0:03"));
    EXPECT_EQ(DefaultFileName(QStringLiteral("measurement"), QStringLiteral("bmp")).size(),
              QStringLiteral("measurement-YYYYMMDD-HHMMSS.bmp").size());
}

// The drawn points stay bounded by the pixel columns at any length, keep the extremes, and break at
// a run of gaps.
TEST(SeriesData, DecimationIsBoundedAndKeepsTheExtremes)
{
    TSeriesData s;
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-1, 1);
    std::vector<float> y;
    for (int i = 0; i < 100000; ++i) {
        float v = (i >= 40000 && i < 42000) ? NAN : u(rng);
        if (i == 77777) v = 5; // one spike
        y.push_back(v);
        s.Append(v, u"");
    }
    float lo, hi;
    ASSERT_TRUE(s.Bounds(&lo, &hi));
    EXPECT_EQ(hi, 5.0f);
    EXPECT_EQ(s.FiniteCount(), 98000);
    for (int columns : {100, 800, 1920}) {
        const auto pts = s.Decimate(0, 99999, columns);
        EXPECT_LE(int(pts.size()), 2 * columns + 4) << columns;
        float dlo = 10, dhi = -10;
        int gaps = 0;
        for (const QPointF& p : pts) {
            if (std::isnan(p.y())) {
                ++gaps;
                continue;
            }
            dlo = std::min(dlo, float(p.y()));
            dhi = std::max(dhi, float(p.y()));
        }
        EXPECT_EQ(dlo, lo) << columns;
        EXPECT_EQ(dhi, hi) << columns;
        EXPECT_GE(gaps, 1) << columns; // 2000 missing points are wider than a column
        EXPECT_TRUE(std::is_sorted(pts.begin(), pts.end(),
                                   [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
    }
    // a narrow range: the points themselves, one beyond each end
    const auto few = s.Decimate(500, 510, 800);
    ASSERT_EQ(few.size(), 13u);
    EXPECT_EQ(few.front().x(), 499);
    EXPECT_EQ(float(few[1].y()), y[500]);
    // the tail of a series still being appended: the last runs hold the newest points
    const auto tail = s.Decimate(99000, 99999, 100);
    float tlo = 10, thi = -10;
    for (const QPointF& p : tail)
        tlo = std::min(tlo, float(p.y())), thi = std::max(thi, float(p.y()));
    EXPECT_GE(thi, *std::max_element(y.begin() + 99000, y.end()));
    EXPECT_LT(thi, 5.0f); // nothing of the spike far before the range
    s.Clear();
    EXPECT_EQ(s.Count(), 0);
    EXPECT_TRUE(s.Decimate(0, 10, 100).empty());
}

TEST(ReportListModel, NumbersRowsAndKeepsTheirTexts)
{
    TReportListModel m({QStringLiteral("№ "), QStringLiteral("Измеренное"), QStringLiteral("Эталон")});
    int inserted = 0, resets = 0, changed = 0;
    QObject::connect(&m, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&m, &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(&m, &QAbstractItemModel::dataChanged, [&] { ++changed; });
    EXPECT_EQ(m.AppendRow({QStringLiteral("100,01234 °С"), QString()}), 0);
    EXPECT_EQ(m.AppendRow({QStringLiteral("<<<.<<< °С")}), 1);
    m.SetCell(0, 2, QStringLiteral("99,9 °C"));
    m.SetCell(1, 2, QStringLiteral("99,8 °C"));
    m.SetCell(1, 2, QStringLiteral("99,85 °C")); // the last text, changed in place
    EXPECT_EQ(inserted, 2);
    EXPECT_EQ(changed, 3);
    EXPECT_EQ(m.columnCount(), 3);
    EXPECT_EQ(m.data(m.index(1, 0)).toString(), QStringLiteral("2"));
    EXPECT_EQ(m.Cell(0, 1), QStringLiteral("100,01234 °С"));
    EXPECT_EQ(m.Cell(0, 2), QStringLiteral("99,9 °C"));
    EXPECT_EQ(m.Cell(1, 2), QStringLiteral("99,85 °C"));
    EXPECT_EQ(m.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Эталон"));
    EXPECT_FALSE(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);
    m.Fill([&] {
        for (int i = 0; i < 1000; ++i)
            m.AppendRow({QString::number(i)});
    });
    EXPECT_EQ(inserted, 2); // one reset instead of 1000 insertions
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(m.Rows(), 1002);
    EXPECT_EQ(m.Cell(1001, 1), QStringLiteral("999"));
    m.Clear();
    EXPECT_EQ(m.rowCount(), 0);
}
