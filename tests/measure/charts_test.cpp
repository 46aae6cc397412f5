// The chart services on widgets: points and gaps, the tool bar, saving, printing, drawing a day,
// and the verification chart window.
#include "measure/chartview.h"
#include "measure/graphchk.h"
#include "platform/messageservice.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>

using namespace measure;

namespace {

class Chart : public ::testing::Test {
protected:
    Chart() : bar(&chart, QStringLiteral("measurement"), QStringLiteral("Сохранить результаты измерения"))
    {
        chart.AddSeries(QStringLiteral("Измеренное  "), Qt::red, 2, ChartAxis::Left);
        chart.AddSeries(QStringLiteral("Эталон"), Qt::darkBlue, 2, ChartAxis::Right);
        chart.resize(800, 500);
        chart.show();
        bar.chooseSaveFile = [this](const SaveRequest& r) {
            requests.push_back(r);
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
    }
    QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TChartView chart;
    TChartToolBar bar;
    QTemporaryDir dir;
    std::vector<SaveRequest> requests;
    QStringList answers;
    platform::ScopedMessageRecorder messages;
};

} // namespace

TEST_F(Chart, PointsGapsAndTheSavedTable)
{
    EXPECT_EQ(chart.AddPoint(0, 100.5f, QStringLiteral("0:01")), 0);
    EXPECT_EQ(chart.AddPoint(0, NAN, QStringLiteral("0:02")), -1); // a gap point, counted
    EXPECT_EQ(chart.AddPoint(0, 100.25f, QStringLiteral("0:03")), 0);
    EXPECT_EQ(chart.AddPoint(1, 99.75f, QString()), 0);
    EXPECT_EQ(chart.AddPoint(2, 1.0f, QString()), -1); // no such series
    EXPECT_EQ(chart.Data(0).Count(), 3);

    const QString picture = dir.filePath(QStringLiteral("chart.bmp")),
                  table = dir.filePath(QStringLiteral("chart.txt"));
    answers = {picture, table};
    bar.Press(QStringLiteral("MGSave"));
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].title, QStringLiteral("Сохранение графика"));
    EXPECT_EQ(requests[0].filters, (QStringList{QStringLiteral("График измерения (*.bmp)"),
                                                QStringLiteral("График измерения (*.png)")}));
    EXPECT_TRUE(requests[0].defaultName.startsWith(QStringLiteral("measurement-")));
    EXPECT_TRUE(requests[0].defaultName.endsWith(QStringLiteral(".bmp")));
    EXPECT_EQ(requests[1].title, QStringLiteral("Сохранение результатов"));
    EXPECT_TRUE(requests[1].defaultName.endsWith(QStringLiteral(".txt")));
    EXPECT_TRUE(Read(picture).startsWith("BM"));
    EXPECT_EQ(QImage(picture).size(), chart.size());
    EXPECT_EQ(Read(table), QByteArray("0=100.5\t99.75\r\n1=<<<.<<<\t\r\n2=100.25\t\r\n"));
    EXPECT_TRUE(messages.Texts().isEmpty());

    // PNG by its extension; a cancelled picture still offers the table
    requests.clear();
    answers = {dir.filePath(QStringLiteral("chart.png")), QString()};
    bar.Save();
    EXPECT_TRUE(Read(dir.filePath(QStringLiteral("chart.png"))).startsWith("\x89PNG"));
    requests.clear();
    answers = {QString(), table};
    bar.Save();
    EXPECT_EQ(requests.size(), 2u);

    // a table that cannot be created is said, with its name; after a picture that could not be
    // written, no table is offered
    requests.clear();
    answers = {QString(), QStringLiteral("/no/such/folder/t.txt")};
    bar.Save();
    requests.clear();
    answers = {QStringLiteral("/no/such/folder/p.bmp"), table};
    bar.Save();
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(messages.Texts(),
              (QStringList{QStringLiteral("Невозможно создать файл \n /no/such/folder/t.txt !"),
                           QStringLiteral("Невозможно создать файл \n /no/such/folder/p.bmp !")}));
}

TEST_F(Chart, ToolBarStepsClearAndDefaultScale)
{
    for (int i = 0; i < 101; ++i)
        chart.AddPoint(0, float(i % 7), QString::number(i));
    EXPECT_TRUE(chart.Automatic(ChartAxis::Bottom));
    EXPECT_EQ(chart.Range(ChartAxis::Bottom), (AxisRange{0, 100}));
    bar.Press(QStringLiteral("MGLeft"));
    EXPECT_FALSE(chart.Automatic(ChartAxis::Bottom));
    EXPECT_NEAR(chart.Range(ChartAxis::Bottom).min, -10, 1e-9);
    EXPECT_NEAR(chart.Range(ChartAxis::Bottom).max, 89, 1e-9);
    bar.Press(QStringLiteral("MGNoZoom"));
    EXPECT_TRUE(chart.Automatic(ChartAxis::Bottom));
    bar.Button(QStringLiteral("MGZoomXIn"))->click();
    EXPECT_NEAR(chart.Range(ChartAxis::Bottom).min, 10, 1e-9);
    EXPECT_NEAR(chart.Range(ChartAxis::Bottom).max, 91, 1e-9);
    // up and down move both value axes, each by its own range
    chart.SetRange(ChartAxis::Left, {0, 10});
    chart.SetRange(ChartAxis::Right, {100, 200});
    bar.Press(QStringLiteral("MGUp"));
    EXPECT_NEAR(chart.Range(ChartAxis::Left).min, 1, 1e-9);
    EXPECT_NEAR(chart.Range(ChartAxis::Right).min, 110, 1e-9);
    bar.Press(QStringLiteral("MGZoomYOut")); // 1 .. 10.9 widened
    EXPECT_NEAR(chart.Range(ChartAxis::Left).min, 0.01, 1e-9);
    EXPECT_EQ(bar.Button(QStringLiteral("MGSave"))->toolTip(),
              QStringLiteral("Сохранить результаты измерения"));
    bar.Press(QStringLiteral("MGClear"));
    EXPECT_EQ(chart.Data(0).Count(), 0);
    EXPECT_FALSE(chart.Automatic(ChartAxis::Left)); // clearing keeps the scale
}

TEST_F(Chart, ADayIsDrawnWithABoundedNumberOfPoints)
{
    chart.SetBatch(true);
    for (int i = 0; i < 86400; ++i)
        chart.AddPoint(0, 100 + 0.01f * std::sin(i * 0.001f), QString());
    chart.SetBatch(false);
    chart.grab(); // paints
    const int drawn = chart.LastDrawnPoints();
    EXPECT_GT(drawn, 100);
    EXPECT_LE(drawn, 2 * chart.width() + 8);
    EXPECT_EQ(chart.Range(ChartAxis::Bottom), (AxisRange{0, 100000})); // fitted on a round value
    // the read-out: the left axis value under the mouse
    const QString text = chart.CursorText(QPointF(400, 250));
    bool ok = false;
    text.toDouble(&ok);
    EXPECT_TRUE(ok) << text.toStdString();
}

TEST_F(Chart, PrintsIntoAPdfWhereThereIsNoPrinter)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a default printer is installed: nothing is printed by a test";
    chart.AddPoint(0, 1, QStringLiteral("0:00"));
    const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
    messages.QueueAnswer(false);
    bar.Press(QStringLiteral("MGPrint"));
    EXPECT_TRUE(requests.empty());
    answers = {pdf};
    messages.QueueAnswer(true);
    bar.Press(QStringLiteral("MGPrint"));
    ASSERT_EQ(messages.Entries().size(), 2u);
    EXPECT_TRUE(messages.Entries()[1].question);
    EXPECT_TRUE(Read(pdf).startsWith("%PDF"));
}

TEST(GraphChk, ThreeSeriesAndTheirTickBoxes)
{
    TFormGraphChk w;
    TChartView* c = w.Chart();
    ASSERT_EQ(c->SeriesCount(), 3);
    EXPECT_EQ(c->SeriesName(0), QStringLiteral("Поверяемый"));
    EXPECT_EQ(c->SeriesName(2), QStringLiteral("погрешность"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("График измеренных значений"));
    EXPECT_EQ(c->AxisTitle(ChartAxis::Left), QStringLiteral("мА"));
    EXPECT_EQ(c->AxisTitle(ChartAxis::Right), QStringLiteral("%"));
    EXPECT_FALSE(c->Automatic(ChartAxis::Bottom));
    EXPECT_EQ(c->Range(ChartAxis::Bottom), (AxisRange{0, 25}));
    EXPECT_TRUE(w.CheckBox1->isChecked() && w.CheckBox2->isChecked() && w.CheckBox3->isChecked());
    EXPECT_EQ(w.CheckBox3->toolTip(), QStringLiteral("Измеренная погрешность поверяемого прибора"));
    w.CheckBox2->setChecked(false);
    EXPECT_FALSE(c->SeriesVisible(1));
    EXPECT_TRUE(c->SeriesVisible(0));
    w.CheckBox2->setChecked(true);
    EXPECT_TRUE(c->SeriesVisible(1));
    EXPECT_NE(w.ChkGraphTools->Button(QStringLiteral("MGClear")), nullptr);
}

// After a new point only a strip of the plot is repainted: the strip must hold every pixel that
// changed, whether the series is drawn as a polyline, point by point, or from its pyramid.
TEST_F(Chart, TheStripANewPointRepaintsHoldsEveryChange)
{
    QApplication::processEvents();
    const QRectF plot = chart.chart()->plotArea();
    for (int n : {20, 700, 30000}) {
        chart.ClearSeries();
        chart.SetRange(ChartAxis::Bottom, {0, double(n) + 100});
        chart.SetRange(ChartAxis::Left, {-2, 2});
        chart.SetBatch(true);
        for (int i = 0; i < n; ++i)
            chart.AddPoint(0, std::sin(i * 0.37f) * (i % 5 == 0 ? 1.5f : 1.0f), QString());
        chart.SetBatch(false);
        QImage screen = chart.PlotImage(plot); // as the screen shows it
        for (int k = 0; k < 40; ++k) {
            chart.AddPoint(0, k % 2 ? 1.9f : -1.9f, QString());
            const QRectF strip = chart.LastPointRect(0);
            ASSERT_FALSE(strip.isEmpty());
            screen = chart.PlotImage(strip, screen);
        }
        const QImage full = chart.PlotImage(plot);
        QRect diff;
        for (int y = 0; y < full.height(); ++y)
            for (int x = 0; x < full.width(); ++x)
                if (full.pixel(x, y) != screen.pixel(x, y)) diff |= QRect(x, y, 1, 1);
        EXPECT_TRUE(diff.isEmpty()) << n << " points: differ in " << diff.x() << "," << diff.y() << " "
                                    << diff.width() << "x" << diff.height() << " strip "
                                    << chart.LastPointRect(0).left() << ".." << chart.LastPointRect(0).right()
                                    << " plot " << plot.left() << ".." << plot.right();
    }
}
