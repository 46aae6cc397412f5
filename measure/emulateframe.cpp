#include "measure/emulateframe.h"

#include "link/pagehost.h"
#include "link/registers.h"
#include "measure/chartmath.h"
#include "measure/chartview.h"
#include "measure/reportmodel.h"
#include "measure/reportview.h"
#include "measure/sheetexport.h"
#include "measure/stepsframe.h"
#include "measure/valuecontrolframe.h"
#include "sensors/fieldchecks.h"
#include "sensors/ioutframe.h"
#include "sensors/numbers.h"
#include "sensors/sensorframe.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace measure {

namespace {

const QString kMissing = QStringLiteral("<<<.<<<");
constexpr int kOutOfRange = 6;            // device error: the reading is outside the input's range
constexpr float kColdJunctionStep = 0.1f; // °C the compensator may move before the setpoint is renewed

} // namespace

QString EmulatedCell(float value, const QString& unit, bool readingOk)
{
    const QString text = sensors::CompactText(value);
    return (readingOk ? sensors::CommaText(text) : text) + QLatin1Char(' ') + unit;
}

QString MeasuredCell(float scaled, const QString& unit)
{
    return sensors::CommaText(sensors::CompactText(scaled)) + QLatin1Char(' ') + unit;
}

QString SetpointLabel(float setpoint, const QString& elUnit)
{
    return QLatin1Char('(') + sensors::CompactText(setpoint) + QLatin1Char(' ') + elUnit + QLatin1Char(')');
}

TFrameEmulate::TFrameEmulate(devlink::IPageHost* host, QWidget* parent, const QString& polynomsPath)
    : devlink::TDeviceFrame(host, parent), m_sheetout(QString::fromLatin1(kSheetoutLibrary))
{
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    layout->addLayout(left, 0);

    FrameSensor1 = new sensors::TFrameSensor(this, polynomsPath);
    FrameSensor1->setObjectName(QStringLiteral("FrameSensor1"));
    FrameSensor1->SetRole(sensors::Role::Source);
    left->addWidget(FrameSensor1);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* g2 = new QVBoxLayout(GroupBox2);
    Frame_steps1 = new TFrame_steps(GroupBox2);
    Frame_steps1->setObjectName(QStringLiteral("Frame_steps1"));
    Frame_steps1->EAutoStepInterval->setMinimum(1);
    g2->addWidget(Frame_steps1);
    left->addWidget(GroupBox2);

    auto* fields = new QGridLayout;
    auto field = [this, fields](const char* name, const char* caption, int row) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        return edit;
    };
    ECurrent = field("ECurrent", "Текущее:", 0);
    EStep = field("EStep", "Номер шага:", 1);
    ETime = field("ETime", "Переход через:", 2);
    Label_RealEl_val = new QLabel(this);
    Label_RealEl_val->setObjectName(QStringLiteral("Label_RealEl_val"));
    Label_RealEl_val->hide();
    fields->addWidget(Label_RealEl_val, 0, 2);
    left->addLayout(fields);

    Panel_ValueCorr = new QWidget(this);
    Panel_ValueCorr->setObjectName(QStringLiteral("Panel_ValueCorr"));
    auto* vc = new QVBoxLayout(Panel_ValueCorr);
    vc->setContentsMargins(0, 0, 0, 0);
    Frame_ValueControl1 = new TFrame_ValueControl(Panel_ValueCorr);
    Frame_ValueControl1->setObjectName(QStringLiteral("Frame_ValueControl1"));
    vc->addWidget(Frame_ValueControl1);
    Panel_ValueCorr->setEnabled(false);
    left->addWidget(Panel_ValueCorr);

    auto* buttons = new QHBoxLayout;
    StartEmulation = new QPushButton(QStringLiteral("   Начать эмуляцию"), this);
    StartEmulation->setObjectName(QStringLiteral("StartEmulation"));
    StopEmulation = new QPushButton(QStringLiteral("   Остановить"), this);
    StopEmulation->setObjectName(QStringLiteral("StopEmulation"));
    StopEmulation->hide();
    buttons->addWidget(StartEmulation);
    buttons->addWidget(StopEmulation);
    left->addLayout(buttons);

    auto* right = new QVBoxLayout;
    layout->addLayout(right, 1);
    EmulationGraph = new TChartView(this);
    EmulationGraph->setObjectName(QStringLiteral("EmulationGraph"));
    EmulationGraph->SetTitle(QStringLiteral("График эмуляции"));
    EmulationGraph->AddSeries(QStringLiteral("Измеренное"), Qt::red, 2, ChartAxis::Left);
    EmulationGraph->AddSeries(QStringLiteral("Эмулируемое"), Qt::darkBlue, 2, ChartAxis::Right);
    EmulationGraph->SetCursorReadout(true);
    EmulationTools = new TChartToolBar(EmulationGraph, QStringLiteral("emulation"),
                                       QStringLiteral("Сохранить результаты эмуляции"), this);
    EmulationTools->setObjectName(QStringLiteral("EmulationTools"));
    EGLast = new QSpinBox(this);
    EGLast->setObjectName(QStringLiteral("EGLast"));
    EGLast->setToolTip(QStringLiteral("Отображать только последние значения"));
    EGLast->setMaximum(99999);
    EGLast->hide();
    auto* bar = new QHBoxLayout;
    bar->addWidget(EmulationTools, 1);
    bar->addWidget(EGLast);
    right->addLayout(bar);
    right->addWidget(EmulationGraph, 2);

    m_model = new TReportListModel(
        {QStringLiteral("№"), QStringLiteral("Эмулируемое"), QStringLiteral("Измеренное")}, this);
    ListView2 = new TReportView(m_model, {53, 100, 100}, this);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    right->addWidget(ListView2, 1);
    BitToExcel = new QPushButton(QStringLiteral(" Сохранить в Excel"), this);
    BitToExcel->setObjectName(QStringLiteral("BitToExcel"));
    right->addWidget(BitToExcel);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    connect(StartEmulation, &QPushButton::clicked, this, [this] { StartEmulationClick(); });
    connect(StopEmulation, &QPushButton::clicked, this, [this] { StopEmulationClick(); });
    connect(BitToExcel, &QPushButton::clicked, this, [this] { BitToExcelClick(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    Frame_steps1->onValue = [this](const QString& text, float value) {
        StepValue(text, value);
        return 0;
    };
    Frame_steps1->onCountdown = [this](int seconds) {
        ETime->setText(QString::number(seconds));
        return 0;
    };
    Frame_ValueControl1->onValue = [this](float value) {
        if (!m_running) return 0;
        return Emulate(value) ? 0 : -1;
    };
    FrameSensor1->onChange = [this](sensors::TFrameSensor*) { SensorChanged(); };
    if (host) FrameSensor1->SetLink(host->Link());
    FrameSensor1->Update(); // the spinner's range before any project
    StartEmulation->setEnabled(LinkUp());
}

TFrameEmulate::~TFrameEmulate()
{
    Timer1->stop();
    FrameSensor1->onChange = nullptr;
    Frame_steps1->onValue = nullptr;
    Frame_steps1->onCountdown = nullptr;
    Frame_ValueControl1->onValue = nullptr;
}

void TFrameEmulate::SetLinkUp(bool up)
{
    devlink::TDeviceFrame::SetLinkUp(up);
    StartEmulation->setEnabled(up);
    if (Host()) FrameSensor1->SetLink(Host()->Link());
}

void TFrameEmulate::StopWork()
{
    if (m_running) Stop();
}

void TFrameEmulate::NewProject()
{
    FrameSensor1->ClearInputs();
    Frame_steps1->Clear();
}

QString TFrameEmulate::ElUnit() const
{
    // The emulated signal's own unit: with the current input on, the setup's electrical unit is
    // that of the input (mA), not of the signal the calibrator reproduces.
    const sensors::SensorSetup& s = FrameSensor1->Setup();
    if (const sensors::SensorType* row = sensors::TypeRow(s.kind, s.index))
        return QString::fromUtf8(row->elUnit);
    return s.elUnit;
}

void TFrameEmulate::ShowSetpoint()
{
    Label_RealEl_val->setText(SetpointLabel(FrameSensor1->Setup().lastSetpoint, ElUnit()));
}

bool TFrameEmulate::Emulate(float value)
{
    devlink::TInterface* link = Host() ? Host()->Link() : nullptr;
    const float setpoint = link ? FrameSensor1->PhysToEl(value) : NAN;
    if (!m_running) return false; // the conversion's own reads lost the link
    if (!std::isfinite(setpoint) || link->WriteRegisterReal(devlink::EmulValue, setpoint) != 0) {
        if (m_running) Stop();
        return false;
    }
    m_coldJunction = FrameSensor1->Setup().coldJunctionTemp;
    ECurrent->setText(sensors::FixedText(value, 3));
    ShowSetpoint();
    return true;
}

void TFrameEmulate::StepValue(const QString& text, float value)
{
    if (!m_running) return;
    ECurrent->setText(text);
    // The spinner clamps to the sensor's range and its notification writes the clamped value: the
    // one value that is shown, logged and emulated.
    Frame_ValueControl1->SetValue(value);
    if (m_running) EStep->setText(QString::number(Frame_steps1->CurrentStep()));
}

void TFrameEmulate::SensorChanged()
{
    const sensors::SensorSetup& s = FrameSensor1->Setup();
    Frame_ValueControl1->SetUnit(s.physUnit);
    Frame_ValueControl1->SetMinimum(s.rangeMin);
    Frame_ValueControl1->SetMaximum(s.rangeMax);
    Label_RealEl_val->setVisible(s.scaling || s.isRtd || s.isThermocouple);
    EmulationGraph->SetAxisTitle(ChartAxis::Left, FrameSensor1->Iout()->OutputUnit());
    EmulationGraph->SetAxisTitle(ChartAxis::Right, s.physUnit);
    if (m_running) Emulate(Frame_ValueControl1->Value()); // a refused value stops
}

void TFrameEmulate::StartEmulationClick()
{
    if (m_running || m_starting || !Host()) return;
    devlink::IPageHost& host = *Host();
    host.Session().ClearRelays();
    for (QLineEdit* e : {ETime, ECurrent, EStep})
        e->clear();
    if (!host.IsConnected()) {
        host.NoLinkMessage();
        return;
    }
    if (FrameSensor1->CheckInputs() != 0) return;
    const sensors::SensorSetup& s = FrameSensor1->Setup();
    if (QWidget* wrong = Frame_steps1->Validate(s.rangeMin, s.rangeMax)) {
        sensors::FlashAndFocus(wrong);
        return;
    }
    struct Starting {
        bool& flag;
        ~Starting() { flag = false; }
    } starting{m_starting = true};
    host.StopOtherWork(this);
    if (!host.IsConnected()) return;
    FrameSensor1->SetLink(host.Link());
    // The kind and mode first, so the first value is written in the signal it belongs to.
    if (FrameSensor1->StartEmulate() != 0 || !host.IsConnected()) {
        FrameSensor1->StopSignal();
        return;
    }
    SetTimeOrigin();
    m_skipTicks = s.isThermocouple ? 2 : 0;
    // the compensator's temperature now, before the first conversion
    if (s.isThermocouple && s.autoColdJunction && FrameSensor1->UpdateColdJunction() != 0) {
        FrameSensor1->StopSignal();
        return;
    }
    m_model->Clear();
    EmulationGraph->ClearSeries();
    m_running = true;
    Panel_ValueCorr->setEnabled(true);
    Timer1->start();
    StartEmulation->hide();
    StopEmulation->show();
    FrameSensor1->setEnabled(false);
    Frame_steps1->Start(); // its first value is the first write; a refusal stops
}

void TFrameEmulate::StopEmulationClick()
{
    if (m_running) Stop();
}

void TFrameEmulate::Stop()
{
    // state first: the writes below may lose the link, whose reaction calls back in
    m_running = false;
    Timer1->stop();
    Panel_ValueCorr->setEnabled(false);
    StopEmulation->hide();
    StartEmulation->show();
    FrameSensor1->setEnabled(true);
    Frame_steps1->Stop();
    for (QLineEdit* e : {ETime, ECurrent, EStep})
        e->clear();
    if (Host()) {
        Host()->Session().ClearRelays();
        if (devlink::TInterface* link = Host()->Link(); link && Host()->IsConnected()) {
            link->WriteRegisterInt(devlink::EmulValue, 0);
            FrameSensor1->StopSignal();
        }
    }
}

void TFrameEmulate::Timer1Timer()
{
    if (!m_running || m_starting || !Host()) return;
    devlink::IPageHost& host = *Host();
    if (!host.IsConnected()) {
        Stop();
        return;
    }
    const sensors::SensorSetup& s = FrameSensor1->Setup();
    if (s.isThermocouple && s.autoColdJunction) {
        FrameSensor1->UpdateColdJunction();
        if (!m_running) return;
        // the calibrator warms up: keep the temperature the instrument sees where it was set
        if (std::fabs(FrameSensor1->Setup().coldJunctionTemp - m_coldJunction) >= kColdJunctionStep &&
            !Emulate(Frame_ValueControl1->Value()))
            return;
    }
    if (m_skipTicks > 0) {
        --m_skipTicks;
        return;
    }
    devlink::TInterface* link = host.Link();
    float reading = 0;
    const int rc = link->ReadRegisterReal(devlink::MeasuredValue, &reading);
    if (!m_running) return;
    const QString unit = s.physUnit;
    const float emulated = Frame_ValueControl1->Value();
    if (rc != 0) {
        if (link->LastResult() == -4 && link->DeviceErrorCode() == kOutOfRange) {
            host.PublishValue(kMissing);
            m_model->AppendRow({EmulatedCell(emulated, unit, false), kMissing});
            ListView2->scrollToBottom();
        } else {
            Stop();
        }
        host.Session().ShowRelays();
        return;
    }
    Record(emulated, reading);
    host.Session().ShowRelays();
}

void TFrameEmulate::Record(float emulated, float reading)
{
    sensors::TFrame_std_Iout_tune* iout = FrameSensor1->Iout();
    const float scaled = iout->Enabled() ? iout->CurrentToPhys(reading) : reading;
    Host()->PublishValue(sensors::FixedText(reading, 5));
    EmulationGraph->AddPoint(0, scaled, ElapsedLabel());
    EmulationGraph->AddPoint(1, emulated, QString());
    m_model->AppendRow({EmulatedCell(emulated, FrameSensor1->Setup().physUnit, true),
                        MeasuredCell(scaled, iout->OutputUnit())});
    ListView2->scrollToBottom();
}

void TFrameEmulate::BitToExcelClick()
{
    ExportList(ListView2, 3, m_sheetout);
}

} // namespace measure
