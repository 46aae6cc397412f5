#include "measure/mesureframe.h"

#include "link/pagehost.h"
#include "link/registers.h"
#include "measure/chartview.h"
#include "measure/reportmodel.h"
#include "measure/reportview.h"
#include "measure/sheetexport.h"
#include "platform/delay.h"
#include "platform/messages.h"
#include "platform/messageservice.h"
#include "sensors/numbers.h"
#include "sensors/sensorframe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace measure {
namespace {

const QString kReference = QStringLiteral("Эталон");
constexpr int kUnitPolls = 200;
constexpr int kUnitPollMs = 100;
constexpr int kOldJournalDays = 30;

void Error(const QString& text)
{
    platform::Messages().Show(platform::MessageService::Kind::Error, QString(), text);
}

QString ReferenceUnitText(int index)
{
    if (index < 0 || index >= int(std::size(devlink::kExtDeviceUnits))) return {};
    return QString::fromUtf8(devlink::kExtDeviceUnits[index].text);
}

} // namespace

TFrameMesure::TFrameMesure(devlink::IPageHost* host, QWidget* parent, const QString& polynomsPath)
    : devlink::TDeviceFrame(host, parent), m_sheetout(QString::fromLatin1(kSheetoutLibrary))
{
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    layout->addLayout(left, 0);

    FrameSensor1 = new sensors::TFrameSensor(this, polynomsPath);
    FrameSensor1->setObjectName(QStringLiteral("FrameSensor1"));
    FrameSensor1->SetRole(sensors::Role::Measuring);
    left->addWidget(FrameSensor1);

    auto* buttons = new QHBoxLayout;
    StartMeasurement = new QPushButton(QStringLiteral("   Начать измерение"), this);
    StartMeasurement->setObjectName(QStringLiteral("StartMeasurement"));
    StartMeasurement->setDefault(true);
    StopMeasurement = new QPushButton(QStringLiteral("   Остановить"), this);
    StopMeasurement->setObjectName(QStringLiteral("StopMeasurement"));
    StopMeasurement->hide();
    buttons->addWidget(StartMeasurement);
    buttons->addWidget(StopMeasurement);
    left->addLayout(buttons);

    auto* stats = new QGridLayout;
    auto field = [this, stats](const char* name, const char* caption, int row) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setObjectName(QStringLiteral("Label_") + QString::fromLatin1(name));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        stats->addWidget(label, row, 0);
        stats->addWidget(edit, row, 1);
        return edit;
    };
    MCurrent = field("MCurrent", "Текущее:", 0);
    MAverage = field("MAverage", "Среднее:", 1);
    MMin = field("MMin", "Минимальное:", 2);
    MMax = field("MMax", "Максимальное:", 3);
    MDelta = field("MDelta", "Max - Min:", 4);
    MSko = field("MSko", "СКО:", 5);
    left->addLayout(stats);

    m_model = new TReportListModel({QStringLiteral("№ "), QStringLiteral("Измеренное"), kReference}, this);
    ListView3 = new TReportView(m_model, {53, 110, 110}, this);
    ListView3->setObjectName(QStringLiteral("ListView3"));
    left->addWidget(ListView3, 1);

    BitToExcel = new QPushButton(QStringLiteral(" Сохранить в MS Excel"), this);
    BitToExcel->setObjectName(QStringLiteral("BitToExcel"));
    left->addWidget(BitToExcel);

    auto* right = new QVBoxLayout;
    layout->addLayout(right, 1);
    MeasurementGraph = new TChartView(this);
    MeasurementGraph->setObjectName(QStringLiteral("MeasurementGraph"));
    MeasurementGraph->SetTitle(QStringLiteral("График измерения"));
    MeasurementGraph->AddSeries(QStringLiteral("Измеренное  "), Qt::red, 2, ChartAxis::Left);
    MeasurementGraph->AddSeries(kReference, Qt::darkBlue, 2, ChartAxis::Right);
    MeasurementGraph->SetAxisTitle(ChartAxis::Right, kReference);
    MeasurementTools = new TChartToolBar(MeasurementGraph, QStringLiteral("measurement"),
                                         QStringLiteral("Сохранить результаты измерения"), this);
    MeasurementTools->setObjectName(QStringLiteral("MeasurementTools"));
    EGLast = new QSpinBox(this);
    EGLast->setObjectName(QStringLiteral("EGLast"));
    EGLast->setToolTip(QStringLiteral("Отображать только последние значения"));
    EGLast->setSingleStep(5);
    EGLast->setMaximum(99999);
    EGLast->hide();
    auto* bar = new QHBoxLayout;
    bar->addWidget(MeasurementTools, 1);
    bar->addWidget(EGLast);
    right->addLayout(bar);
    right->addWidget(MeasurementGraph, 1);

    Timer_Measure = new QTimer(this);
    Timer_Measure->setObjectName(QStringLiteral("Timer_Measure"));
    Timer_Measure->setInterval(1000);

    connect(StartMeasurement, &QPushButton::clicked, this, [this] { StartMeasurementClick(); });
    connect(StopMeasurement, &QPushButton::clicked, this, [this] { StopMeasurementClick(); });
    connect(BitToExcel, &QPushButton::clicked, this, [this] { BitToExcelClick(); });
    connect(Timer_Measure, &QTimer::timeout, this, [this] { Timer_MeasureTimer(); });
    connect(EGLast, &QSpinBox::valueChanged, this, [this](int v) {
        QPalette p = EGLast->palette();
        p.setColor(QPalette::Base, v != 0 ? QColor(Qt::white) : palette().color(QPalette::Button));
        EGLast->setPalette(p);
    });
    FrameSensor1->onChange = [this](sensors::TFrameSensor* f) {
        MeasurementGraph->SetAxisTitle(ChartAxis::Left, f->Setup().physUnit);
    };
    if (host) {
        devlink::LinkSession& s = host->Session();
        connect(&s, &devlink::LinkSession::relaysChanged, this, [this](const QString& r1, const QString& r2) {
            m_relay1 = r1;
            m_relay2 = r2;
        });
        FrameSensor1->SetLink(host->Link());
    }
    FrameSensor1->Update();
    StartMeasurement->setEnabled(LinkUp());
}

TFrameMesure::~TFrameMesure()
{
    Timer_Measure->stop();
    if (m_journal.IsOpen()) m_journal.Finish(QDateTime::currentDateTime());
}

void TFrameMesure::SetLinkUp(bool up)
{
    devlink::TDeviceFrame::SetLinkUp(up);
    StartMeasurement->setEnabled(up);
    if (Host()) FrameSensor1->SetLink(Host()->Link());
    if (!up && m_running) EnterStopped(); // no command: the link is gone
}

void TFrameMesure::StopWork()
{
    if (m_running) EnterStopped();
}

void TFrameMesure::NewProject()
{
    FrameSensor1->ClearInputs();
}

void TFrameMesure::EnterRunning()
{
    m_running = true;
    ++m_run;
    Timer_Measure->start();
    StartMeasurement->hide();
    StopMeasurement->show();
    MeasurementGraph->ClearSeries();
    m_model->Clear();
    FrameSensor1->setEnabled(false);
}

void TFrameMesure::EnterStopped()
{
    m_running = false;
    m_skipNextTick = false;
    Timer_Measure->stop();
    StopMeasurement->hide();
    StartMeasurement->show();
    FrameSensor1->setEnabled(true);
    // a tick that is under way writes its row first; it closes the journal when it ends
    if (!m_inTick && m_journal.IsOpen()) m_journal.Finish(QDateTime::currentDateTime());
}

void TFrameMesure::StartMeasurementClick()
{
    if (m_running || m_starting || !Host()) return;
    devlink::IPageHost& host = *Host();
    host.Session().ClearRelays();
    for (QLineEdit* e : {MCurrent, MAverage, MMin, MMax, MDelta, MSko})
        e->clear();
    if (!host.IsConnected()) {
        host.NoLinkMessage();
        return;
    }
    m_starting = true;
    devlink::TInterface* link = host.Link();
    FrameSensor1->SetLink(link);
    link->WriteRegisterInt(devlink::ExtDeviceRestart, 0);
    if (!host.IsConnected() || FrameSensor1->StartMeasure() != 0 || !host.IsConnected()) {
        m_starting = false;
        EnterStopped();
        return;
    }
    SetTimeOrigin();
    const QDateTime start = QDateTime::fromSecsSinceEpoch(TimeOrigin());
    m_physUnit = FrameSensor1->Setup().physUnit;
    m_referenceUnit.clear();
    MeasurementGraph->SetAxisTitle(ChartAxis::Right, kReference);
    EnterRunning();
    Reset(m_stats);
    const bool journal = m_journal.Start(TJournal::FolderIn(host.DataDir()), start);
    const int run = m_run;
    int type = 0;
    if (link->ReadRegisterInt(devlink::ExtDeviceType, &type) == 0 && type != 0 && m_running)
        WaitForReferenceUnit(run);
    m_starting = false;
    if (!journal) // last: the box runs the event loop, and the run goes on meanwhile
        Error(QStringLiteral("Журнал измерения не может быть записан:\n%1\n%2")
                  .arg(m_journal.Path(), m_journal.Error()));
}

void TFrameMesure::WaitForReferenceUnit(int run)
{
    devlink::TInterface* link = Host()->Link();
    m_waitingUnit = true; // ticks meanwhile do nothing
    int unit = -1;
    for (int i = 0; i < kUnitPolls; ++i) {
        int v = 0;
        if (link->ReadRegisterInt(devlink::ExtDeviceUnit, &v) == 0) unit = v;
        if (unit != devlink::kExtDeviceUnitPending || !m_running || m_run != run) break;
        // the calibrator is still finding out: the interface stays alive meanwhile
        QApplication::processEvents();
        platform::BlockingDelay(kUnitPollMs);
        if (!m_running || m_run != run) break;
    }
    m_waitingUnit = false;
    if (!m_running || m_run != run) return; // stopped (or restarted) during the wait
    m_referenceUnit = ReferenceUnitText(unit);
    MeasurementGraph->SetAxisTitle(ChartAxis::Right,
                                   m_referenceUnit.isEmpty() ? kReference : m_referenceUnit);
    m_skipNextTick = true;
}

void TFrameMesure::StopMeasurementClick()
{
    if (!m_running || !Host()) return;
    Host()->Session().ClearRelays();
    if (FrameSensor1->StopSignal() == 0 && m_running) EnterStopped();
}

void TFrameMesure::Timer_MeasureTimer()
{
    if (!m_running || m_waitingUnit || m_inTick || !Host()) return;
    if (m_skipNextTick) {
        m_skipNextTick = false;
        return;
    }
    struct InTick {
        TFrameMesure* f;
        explicit InTick(TFrameMesure* frame) : f(frame) { f->m_inTick = true; }
        ~InTick()
        {
            f->m_inTick = false;
            if (!f->m_running && f->m_journal.IsOpen()) f->m_journal.Finish(QDateTime::currentDateTime());
        }
    } guard(this);

    devlink::IPageHost& host = *Host();
    host.Session().ShowRelays();
    if (!m_running) return; // the link went down
    JournalRow r;
    r.measured = FrameSensor1->ReadMeasured();
    if (!m_running) return; // the reading was lost with the link: no row
    r.time = QDateTime::currentDateTime();
    r.number = m_model->Rows() + 1;
    r.unit = m_physUnit;
    r.referenceUnit = m_referenceUnit;
    r.relay1 = m_relay1;
    r.relay2 = m_relay2;
    devlink::TInterface* link = host.Link();
    int type = 0;
    float reference = 0;
    if (link && link->ReadRegisterInt(devlink::ExtDeviceType, &type) == 0 && type != 0 &&
        link->ReadRegisterReal(devlink::ExtDeviceValue, &reference) == 0) {
        r.hasReference = true;
        r.reference = reference;
    }
    Record(r, TimeOrigin(), true);
}

void TFrameMesure::Record(const JournalRow& r, std::int64_t origin, bool live)
{
    const bool finite = std::isfinite(r.measured);
    const QString text = sensors::FixedText(r.measured, 5);
    MCurrent->setText(text);
    if (finite) {
        MeasurementGraph->AddPoint(0, r.measured, ElapsedLabel(r.time.toSecsSinceEpoch() - origin));
        AddRunning(m_stats, r.measured);
    }
    ShowStatistics();
    if (live) Host()->PublishValue(text);
    QString referenceCell;
    if (r.hasReference) {
        if (finite) MeasurementGraph->AddPoint(1, r.reference, QString());
        referenceCell =
            sensors::CommaText(sensors::CompactText(r.reference)) + QLatin1Char(' ') + r.referenceUnit;
    }
    // a decimal comma for the spreadsheet; the missing-value text stays as it is
    m_model->AppendRow(
        {(finite ? sensors::CommaText(text) : text) + QLatin1Char(' ') + r.unit, referenceCell});
    if (!live) return;
    ListView3->scrollToBottom();
    if (m_journal.IsOpen() && !m_journal.Append(r)) JournalFailed();
}

void TFrameMesure::JournalFailed()
{
    // Shown after the tick, outside it: the measurement goes on while the box is open.
    if (m_journalMessageDue) return;
    m_journalMessageDue = true;
    QTimer::singleShot(0, this, [this] {
        m_journalMessageDue = false;
        Error(QStringLiteral("Журнал измерения не может быть записан:\n%1\n%2")
                  .arg(m_journal.Path(), m_journal.Error()));
    });
}

void TFrameMesure::ShowStatistics()
{
    MMin->setText(sensors::CompactText(m_stats.minimum));
    MMax->setText(sensors::CompactText(m_stats.maximum));
    MDelta->setText(sensors::CompactText(m_stats.spread));
    MAverage->setText(sensors::CompactText(m_stats.mean));
    MSko->setText(sensors::CompactText(m_stats.populationDeviation));
}

void TFrameMesure::BitToExcelClick()
{
    const int columns = m_model->Rows() > 0 && !m_model->Cell(0, 2).isEmpty() ? 3 : 2;
    ExportList(ListView3, columns, m_sheetout);
}

int TFrameMesure::LoadJournal(const QString& path)
{
    if (m_running) return -1;
    TJournal::Content c;
    if (!TJournal::Read(path, &c)) return -1;
    MeasurementGraph->ClearSeries();
    Reset(m_stats);
    for (QLineEdit* e : {MCurrent, MAverage, MMin, MMax, MDelta, MSko})
        e->clear();
    const std::int64_t origin = c.start.toSecsSinceEpoch();
    QString unit, referenceUnit;
    m_model->Clear();
    MeasurementGraph->SetBatch(true);
    m_model->Fill([&] {
        for (const JournalRow& r : c.rows) {
            Record(r, origin, false);
            if (unit.isEmpty()) unit = r.unit;
            if (r.hasReference && referenceUnit.isEmpty()) referenceUnit = r.referenceUnit;
        }
    });
    MeasurementGraph->SetBatch(false);
    if (!unit.isEmpty()) MeasurementGraph->SetAxisTitle(ChartAxis::Left, unit);
    MeasurementGraph->SetAxisTitle(ChartAxis::Right, referenceUnit.isEmpty() ? kReference : referenceUnit);
    ListView3->scrollToBottom();
    return int(c.rows.size());
}

int TFrameMesure::OfferRecovery()
{
    if (m_running || !Host()) return 0;
    const QString folder = TJournal::FolderIn(Host()->DataDir());
    const QStringList unfinished = TJournal::Unfinished(folder);
    if (unfinished.isEmpty()) return 0;
    const QDateTime now = QDateTime::currentDateTime();
    const QString path = unfinished.constFirst();
    TJournal::Content c;
    const bool readable = TJournal::Read(path, &c);
    // Each journal a crashed run left is offered once: it gets its closing line now (its rows
    // stay as they are).
    for (const QString& p : unfinished)
        TJournal::MarkFinished(p, now);
    int loaded = 0;
    if (readable && !c.rows.empty()) {
        const QString question =
            QStringLiteral("Измерение, начатое %1, не было завершено.\nЕго журнал хранит %2 строк:\n%3\n\n"
                           "Загрузить их в список и график?")
                .arg(c.start.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")))
                .arg(c.rows.size())
                .arg(QDir::toNativeSeparators(path));
        if (platform::Messages().Ask(QString(), question) && !m_running) loaded = LoadJournal(path);
    }
    const QStringList old = TJournal::OlderThan(folder, now, kOldJournalDays);
    if (!old.isEmpty()) {
        QStringList names;
        for (const QString& p : old.mid(0, 20))
            names << QFileInfo(p).fileName();
        if (old.size() > 20) names << QStringLiteral("... (%1)").arg(old.size());
        if (platform::Messages().Ask(QString(),
                                     QStringLiteral("Журналы измерений старше %1 дней:\n%2\n\nУдалить их?")
                                         .arg(kOldJournalDays)
                                         .arg(names.join(QLatin1Char('\n'))))) {
            bool all = true;
            for (const QString& p : old)
                all = QFile::remove(p) && all;
            if (!all) platform::ErrorMessage(13);
        }
    }
    return std::max(loaded, 0);
}

} // namespace measure
