// The Measurement page against the virtual calibrator in process, offscreen.
#include "link/registers.h"
#include "measure/chartview.h"
#include "measure/mesureframe.h"
#include "measure/reportmodel.h"
#include "platform/delay.h"
#include "platform/messageservice.h"
#include "sensors/numbers.h"
#include "sensors/sensorframe.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/fake_host.h"
#include "tests/support/scoped_env.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace measure;

namespace {

const QString kLinkLost = QStringLiteral("Обрыв связи с ЛОРИК!");

sim::World Bench(int referenceType = 42)
{
    sim::World w;
    QString e;
    sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("bench")), &w, &e);
    w.referenceType = referenceType;
    return w;
}

class Page : public ::testing::Test {
protected:
    explicit Page(sim::World world = Bench()) : vc(std::move(world)) {}
    void SetUp() override
    {
        ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
        host.dataDir = data.path();
        page = std::make_unique<TFrameMesure>(&host, nullptr, QStringLiteral(POLYNOMS_LIBRARY));
        page->SetSheetoutLibrary(QStringLiteral(STANDIN_LIBRARY));
        page->resize(1100, 700);
        page->show();
        ASSERT_EQ(host.Connect(vc.PortPath()), devlink::LinkSession::Handshake::Connected);
    }
    void TearDown() override { page.reset(); }
    int Requests(const char* prefix)
    {
        int n = 0;
        for (const std::string& r : vc.Transport().Requests())
            n += r.rfind(prefix, 0) == 0;
        return n;
    }
    int Count(const QString& text) const
    {
        int n = 0;
        for (const QString& t : messages.Texts())
            n += t == text;
        return n;
    }
    QString Cell(int row, int column) const { return page->ListModel()->Cell(row, column); }

    testsupport::ScopedSimDir simDir;
    sim::VirtualCalibrator vc;
    QTemporaryDir data;
    platform::ScopedNoDelay noDelay;
    platform::ScopedMessageRecorder messages;
    testsupport::FakePageHost host;
    std::unique_ptr<TFrameMesure> page;
};

class PageWithoutReference : public Page {
protected:
    PageWithoutReference() : Page(Bench(0)) {}
};

// A pressure reference that reports a unit index outside the table.
class PageWithAnOddUnit : public Page {
protected:
    static sim::World World()
    {
        sim::World w = Bench(13);
        w.referenceUnit = 12;
        return w;
    }
    PageWithAnOddUnit() : Page(World()) {}
};

} // namespace

TEST_F(Page, StartWithAReferenceWaitsForItsUnitAndSkipsTheFirstTick)
{
    vc.Transport().ClearRequests();
    const int restarts = vc.Model().State().extRestarts;
    page->StartMeasurementClick();
    ASSERT_TRUE(page->Running());
    EXPECT_TRUE(page->StartMeasurement->isHidden());
    EXPECT_FALSE(page->StopMeasurement->isHidden());
    EXPECT_FALSE(page->FrameSensor1->isEnabled());
    EXPECT_EQ(vc.Model().State().extRestarts, restarts + 1);
    // three reads answer -333 while the reference is being found, the fourth gives °C
    EXPECT_EQ(Requests("1;37;33;"), 4);
    EXPECT_EQ(page->ReferenceUnit(), QStringLiteral("°C"));
    EXPECT_EQ(page->MeasurementGraph->AxisTitle(ChartAxis::Right), QStringLiteral("°C"));
    EXPECT_EQ(page->MeasurementGraph->AxisTitle(ChartAxis::Left), QStringLiteral("°С"));

    page->Timer_MeasureTimer(); // skipped
    EXPECT_EQ(page->ListModel()->Rows(), 0);
    for (int i = 0; i < 3; ++i)
        page->Timer_MeasureTimer();
    ASSERT_EQ(page->ListModel()->Rows(), 3);
    EXPECT_EQ(Cell(2, 0), QStringLiteral("3"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+,\\d{5} °С$")).match(Cell(2, 1)).hasMatch())
        << Cell(2, 1).toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+(,\\d+)? °C$")).match(Cell(2, 2)).hasMatch())
        << Cell(2, 2).toStdString();
    const float current = sensors::ReadNumberOr0(page->MCurrent->text());
    EXPECT_NEAR(current, 100.0, 0.5); // the bath
    EXPECT_EQ(host.published.last(), page->MCurrent->text());
    EXPECT_EQ(page->MeasurementGraph->Data(0).Count(), 3);
    EXPECT_EQ(page->MeasurementGraph->Data(1).Count(), 3);
    EXPECT_EQ(page->Statistics().count, 3);
    EXPECT_EQ(page->MAverage->text(), sensors::CompactText(page->Statistics().mean));
    EXPECT_EQ(page->MSko->text(), sensors::CompactText(page->Statistics().populationDeviation));
    EXPECT_TRUE(messages.Texts().isEmpty());

    page->StopMeasurementClick();
    EXPECT_FALSE(page->Running());
    EXPECT_EQ(vc.Model().State().measMode, -1);
    EXPECT_TRUE(page->FrameSensor1->isEnabled());
    EXPECT_EQ(page->ListModel()->Rows(), 3); // kept for saving and export
    page->Timer_MeasureTimer();
    EXPECT_EQ(page->ListModel()->Rows(), 3);

    // the journal holds the rows as the list shows them
    TJournal::Content c;
    ASSERT_TRUE(TJournal::Read(page->Journal().Path(), &c));
    EXPECT_TRUE(c.closed);
    ASSERT_EQ(c.rows.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const JournalRow& r = c.rows[std::size_t(i)];
        EXPECT_EQ(r.number, i + 1);
        EXPECT_EQ(sensors::CommaText(sensors::FixedText(r.measured, 5)) + QStringLiteral(" ") + r.unit,
                  Cell(i, 1));
        EXPECT_EQ(sensors::CommaText(sensors::CompactText(r.reference)) + QStringLiteral(" ") +
                      r.referenceUnit,
                  Cell(i, 2));
        EXPECT_EQ(r.relay1, QStringLiteral("разомкнут")); // 100 °C is below the relay's 140
    }

    // export: a reference in the first row gives three columns
    QTemporaryDir out;
    testsupport::ScopedEnv where("STANDIN_OUT", out.filePath(QStringLiteral("x")).toLocal8Bit());
    page->BitToExcelClick();
    QFile f(out.filePath(QStringLiteral("x")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    EXPECT_EQ(lines[0], QByteArray("columns=3"));
    EXPECT_EQ(QString::fromUtf8(lines[1]),
              QStringLiteral("1\t") + Cell(0, 1) + QLatin1Char('\t') + Cell(0, 2));
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(PageWithoutReference, FirstTickGivesRowOneAndTheReferenceStaysEmpty)
{
    vc.Transport().ClearRequests();
    page->StartMeasurementClick();
    ASSERT_TRUE(page->Running());
    EXPECT_EQ(Requests("1;37;33;"), 0);
    EXPECT_EQ(page->MeasurementGraph->AxisTitle(ChartAxis::Right), QStringLiteral("Эталон"));
    page->Timer_MeasureTimer();
    ASSERT_EQ(page->ListModel()->Rows(), 1);
    EXPECT_TRUE(Cell(0, 2).isEmpty());
    EXPECT_EQ(page->MeasurementGraph->Data(1).Count(), 0);

    // a failed reading: "<<<.<<<" in the field, the row, the live value and the journal; no point,
    // no change of the statistics, whose fields are shown all the same
    vc.Model().InjectDeviceError(devlink::MeasuredValue, 6);
    const measure::TStatistics before = page->Statistics();
    page->MAverage->clear();
    page->Timer_MeasureTimer();
    vc.Model().ClearDeviceErrors();
    ASSERT_EQ(page->ListModel()->Rows(), 2);
    EXPECT_EQ(page->MCurrent->text(), QStringLiteral("<<<.<<<"));
    EXPECT_EQ(Cell(1, 1), QStringLiteral("<<<.<<< °С"));
    EXPECT_EQ(host.published.last(), QStringLiteral("<<<.<<<"));
    EXPECT_EQ(page->MeasurementGraph->Data(0).Count(), 1);
    EXPECT_EQ(page->Statistics().count, before.count);
    EXPECT_EQ(page->Statistics().mean, before.mean);
    EXPECT_EQ(page->MAverage->text(), sensors::CompactText(before.mean));
    page->Timer_MeasureTimer();
    EXPECT_EQ(Cell(2, 0), QStringLiteral("3")); // numbers go on without a gap
    EXPECT_TRUE(page->Running());

    // export: two columns without a reference
    QTemporaryDir out;
    testsupport::ScopedEnv where("STANDIN_OUT", out.filePath(QStringLiteral("x")).toLocal8Bit());
    page->BitToExcelClick();
    QFile f(out.filePath(QStringLiteral("x")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("columns=2\n1\t"));
    TJournal::Content c;
    ASSERT_TRUE(TJournal::Read(page->Journal().Path(), &c));
    ASSERT_EQ(c.rows.size(), 3u);
    EXPECT_TRUE(std::isnan(c.rows[1].measured));
    EXPECT_FALSE(c.rows[0].hasReference);
}

TEST_F(PageWithAnOddUnit, GivesAnEmptyUnitAndTheRightAxisTitledEtalon)
{
    page->StartMeasurementClick();
    ASSERT_TRUE(page->Running());
    EXPECT_TRUE(page->ReferenceUnit().isEmpty());
    EXPECT_EQ(page->MeasurementGraph->AxisTitle(ChartAxis::Right), QStringLiteral("Эталон"));
    page->Timer_MeasureTimer();
    page->Timer_MeasureTimer();
    ASSERT_EQ(page->ListModel()->Rows(), 1);
    EXPECT_TRUE(page->ListModel()->Cell(0, 2).endsWith(QLatin1Char(' '))) << Cell(0, 2).toStdString();
}

TEST_F(Page, PulledCableStopsTheRunOnceAndKeepsEveryRow)
{
    page->StartMeasurementClick();
    for (int i = 0; i < 4; ++i)
        page->Timer_MeasureTimer(); // the first is skipped
    ASSERT_EQ(page->ListModel()->Rows(), 3);
    vc.Unplug();
    page->Timer_MeasureTimer();
    EXPECT_FALSE(page->Running());
    EXPECT_FALSE(page->StartMeasurement->isEnabled());
    EXPECT_FALSE(page->StartMeasurement->isHidden());
    EXPECT_EQ(page->ListModel()->Rows(), 3);
    EXPECT_EQ(page->MeasurementGraph->Data(0).Count(), 3);
    EXPECT_EQ(page->Statistics().count, 3);
    EXPECT_EQ(Count(kLinkLost), 1);
    page->Timer_MeasureTimer();
    page->StopWork();
    EXPECT_EQ(Count(kLinkLost), 1);
    TJournal::Content c;
    ASSERT_TRUE(TJournal::Read(page->Journal().Path(), &c));
    EXPECT_TRUE(c.closed);
    EXPECT_EQ(c.rows.size(), 3u);
}

TEST_F(Page, NotConnectedGivesTheNoLinkMessageOnly)
{
    host.Session().Disconnect();
    vc.Transport().ClearRequests();
    messages.Clear();
    page->StartMeasurementClick();
    EXPECT_EQ(host.noLinkMessages, 1);
    EXPECT_FALSE(page->Running());
    EXPECT_TRUE(vc.Transport().Requests().empty());
    EXPECT_TRUE(messages.Texts().isEmpty());
    EXPECT_FALSE(QDir(TJournal::FolderIn(data.path())).exists());
}

TEST_F(Page, ExportMessages)
{
    // an empty list starts no office
    QTemporaryDir out;
    testsupport::ScopedEnv where("STANDIN_OUT", out.filePath(QStringLiteral("x")).toLocal8Bit());
    page->BitToExcelClick();
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Нет данных для сохранения")});
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("x"))));

    page->StartMeasurementClick();
    page->Timer_MeasureTimer();
    page->Timer_MeasureTimer();
    page->StopMeasurementClick();
    messages.Clear();
    {
        testsupport::ScopedEnv result("STANDIN_RESULT", "-5");
        page->BitToExcelClick();
    }
    page->SetSheetoutLibrary(QStringLiteral("libnothing-here.so"));
    page->BitToExcelClick();
    EXPECT_EQ(messages.Texts(), (QStringList{QStringLiteral("Офисный пакет LibreOffice не установлен!"),
                                             QStringLiteral("Библиотека libnothing-here.so не найдена!")}));
}

TEST_F(Page, AJournalLeftByACrashIsOfferedAndLoadedBack)
{
    page->StartMeasurementClick();
    for (int i = 0; i < 4; ++i)
        page->Timer_MeasureTimer();
    page->StopMeasurementClick();
    ASSERT_EQ(page->ListModel()->Rows(), 3);
    QStringList shown;
    for (int i = 0; i < 3; ++i)
        shown << Cell(i, 1) + QLatin1Char('|') + Cell(i, 2);

    // what a crash leaves: the same journal without its closing line (a second run of that second)
    const QString folder = TJournal::FolderIn(data.path());
    QFile done(page->Journal().Path());
    ASSERT_TRUE(done.open(QIODevice::ReadOnly));
    QByteArray bytes = done.readAll();
    bytes.truncate(bytes.lastIndexOf("#end"));
    const QString crashed = page->Journal().Path().chopped(4) + QStringLiteral("-2.csv");
    const QString started = QFileInfo(page->Journal().Path()).fileName().mid(12, 15);
    {
        QFile f(crashed);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    {
        QFile old(folder + QStringLiteral("/measurement-20000101-000000.csv"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(bytes + "#end,2000-01-01T01:00:00+00:00,3\n");
    }

    TFrameMesure fresh(&host, nullptr, QStringLiteral(POLYNOMS_LIBRARY));
    fresh.resize(1100, 700);
    fresh.show();
    messages.Clear();
    messages.QueueAnswer(true);  // load it
    messages.QueueAnswer(false); // keep the old journals
    EXPECT_EQ(fresh.OfferRecovery(), 3);
    ASSERT_EQ(messages.Entries().size(), 2u);
    const QString when = QDateTime::fromString(started, QStringLiteral("yyyyMMdd-HHmmss"))
                             .toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    EXPECT_TRUE(messages.Entries()[0].text.startsWith(QStringLiteral("Измерение, начатое ") + when +
                                                      QStringLiteral(", не было завершено")))
        << messages.Entries()[0].text.toStdString();
    EXPECT_TRUE(messages.Entries()[1].text.contains(QStringLiteral("measurement-20000101-000000.csv")));
    ASSERT_EQ(fresh.ListModel()->Rows(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(fresh.ListModel()->Cell(i, 1) + QLatin1Char('|') + fresh.ListModel()->Cell(i, 2), shown[i]);
    EXPECT_EQ(fresh.MeasurementGraph->Data(0).Count(), 3);
    EXPECT_EQ(fresh.MeasurementGraph->Data(0).Label(0).left(2), QStringLiteral("0:"));
    EXPECT_EQ(fresh.Statistics().count, 3);
    EXPECT_EQ(fresh.MeasurementGraph->AxisTitle(ChartAxis::Right), QStringLiteral("°C"));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/measurement-20000101-000000.csv")));
    // offered once: it has its closing line now
    messages.Clear();
    EXPECT_EQ(fresh.OfferRecovery(), 0);
    EXPECT_TRUE(messages.Texts().isEmpty());
}

TEST_F(Page, AJournalThatCannotBeWrittenIsSaidOnceAndTheRunGoesOn)
{
    QFile blocker(data.filePath(QStringLiteral("journal")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    page->StartMeasurementClick();
    ASSERT_TRUE(page->Running());
    ASSERT_EQ(messages.Texts().size(), 1);
    EXPECT_TRUE(messages.Texts()[0].startsWith(QStringLiteral("Журнал измерения не может быть записан")));
    for (int i = 0; i < 3; ++i)
        page->Timer_MeasureTimer();
    QApplication::processEvents();
    EXPECT_EQ(page->ListModel()->Rows(), 2);
    EXPECT_EQ(messages.Texts().size(), 1);
}

TEST_F(Page, LinkDownAndNewProject)
{
    page->StartMeasurementClick();
    ASSERT_TRUE(page->Running());
    page->SetLinkUp(false); // as the session's link-lost reaction tells it
    EXPECT_FALSE(page->Running());
    EXPECT_FALSE(page->StartMeasurement->isEnabled());
    page->FrameSensor1->cbType->setCurrentIndex(1); // a thermocouple with a hand-set cold junction
    page->FrameSensor1->ebCompensVal->setText(QStringLiteral("21"));
    page->NewProject();
    EXPECT_TRUE(page->FrameSensor1->ebCompensVal->text().isEmpty());
}
