#include "verification/chkframe.h"

#include "link/interface.h"
#include "link/pagehost.h"
#include "measure/chartmath.h"
#include "measure/chartview.h"
#include "measure/graphchk.h"
#include "measure/stepsframe.h"
#include "measure/valuecontrolframe.h"
#include "platform/delay.h"
#include "platform/messages.h"
#include "sensors/fieldchecks.h"
#include "sensors/ioutframe.h"
#include "sensors/numbers.h"
#include "sensors/sensorframe.h"
#include "verification/ktframe.h"
#include "verification/reportparam.h"
#include "verification/results.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace verification {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const QColor kPassColour(0, 128, 0); // 32768
const QColor kFailColour(255, 0, 0); // 255
const QString kUnratedHint = QStringLiteral("Погрешность эталона не нормирована при этой температуре");
const QString kListFullHint = QStringLiteral("Список результатов заполнен (200)");

template <typename W> W* Named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* Label(QWidget* parent, const char* name, const char* text = "")
{
    return Named(new QLabel(QString::fromUtf8(text), parent), name);
}

void SetColour(QLabel* l, const QColor& c)
{
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, c);
    l->setPalette(p);
}

/// Removes the items of a list that do not contain `keep`.
void KeepOnly(QComboBox* list, const QString& keep)
{
    for (int i = list->count() - 1; i >= 0; --i)
        if (!list->itemText(i).contains(keep)) list->removeItem(i);
}

void RemoveItem(QComboBox* list, const QString& text)
{
    const int i = list->findText(text);
    if (i >= 0) list->removeItem(i);
}

} // namespace

// What the run needs, from this page's link, sensor descriptions and controls.
class TFrame_Chk::PageIo : public PointIo {
public:
    explicit PageIo(TFrame_Chk& page) : m(page) {}

    bool LinkUp() override { return m.Up(); }
    int ReadInt(int reg, int* value) override { return m.Up() ? Link()->ReadRegisterInt(reg, value) : -1; }
    int ReadReal(int reg, float* value) override
    {
        return m.Up() ? Link()->ReadRegisterReal(reg, value) : -1;
    }
    int WriteInt(int reg, int value) override { return m.Up() ? Link()->WriteRegisterInt(reg, value) : -1; }
    int WriteReal(int reg, float value) override
    {
        return m.Up() ? Link()->WriteRegisterReal(reg, value) : -1;
    }

    const sensors::SensorSetup& Setup() override { return Sensor()->Setup(); }
    int StartMeasure() override { return Sensor()->StartMeasure(); }
    int StartEmulate() override { return Sensor()->StartEmulate(); }
    int StopSignal() override { return Sensor()->StopSignal(); }
    float ReadMeasured() override { return Sensor()->ReadMeasured(); }
    float PhysToEl(float x) override { return Sensor()->PhysToEl(x); }
    float GradToElCJ(int code, float t, float tcj) override { return Sensor()->GradToElCJ(code, t, tcj); }
    int UpdateColdJunction() override { return Sensor()->UpdateColdJunction(); }
    int ClassTolerance(float t, float* tolerance) override
    {
        return m.FrameSensorDT1->GetTolerance(t, tolerance);
    }
    float TemperatureUncertainty(const measure::TStatistics& ref, const measure::TStatistics& meas) override
    {
        return m.m_report ? m.m_report->Frame_KT1->PointUncertainty(ref, meas) : kNaN;
    }
    float CurrentError(float mA) override { return m.FrameSensor_SC->Iout()->CurrentError(mA); }
    void CurrentRange(float* iMin, float* iMax) override
    {
        *iMin = m.FrameSensor_SC->Iout()->IMin();
        *iMax = m.FrameSensor_SC->Iout()->IMax();
    }

    bool ToleranceFilled(int kind) override
    {
        if (kind == KindPressure) return sensors::RequireFilled(true, {m.ed_Err_ok});
        return sensors::HasNumber(m.ed_Err_ok);
    }
    int StartSteps() override
    {
        const sensors::SensorSetup& s = m.FrameSensor_SC->Setup();
        if (QWidget* bad = m.Frame_steps_SC->Validate(s.rangeMin, s.rangeMax)) {
            sensors::FlashAndFocus(bad);
            return -1;
        }
        m.Frame_steps_SC->Start(); // its first value goes into the spinner
        return m.Frame_steps_SC->Running() ? 0 : -1;
    }
    void StopSteps() override { m.Frame_steps_SC->Stop(); }
    float SpinnerValue() override { return m.Frame_ValueControl1->Value(); }
    void RunningChanged(bool running) override { m.RunningChanged(running); }
    void StartChart() override
    {
        if (!m.Host()) return;
        const QString left =
            m.m_run->CurrentKind() == KindTemperature ? QStringLiteral("°C") : Setup().physUnit;
        const QString right =
            m.m_run->CurrentKind() == KindTemperature ? QStringLiteral("°C") : QStringLiteral("%");
        measure::TFormGraphChk* w = m.Host()->VerificationChart();
        if (!w) return;
        w->Chart()->SetAxisTitle(measure::ChartAxis::Left, left);
        w->Chart()->SetAxisTitle(measure::ChartAxis::Right, right);
        w->Chart()->ClearSeries();
        measure::SetTimeOrigin();
    }
    void PointTaken() override
    {
        m.ShowPoint();
        const ResultRow& p = m.m_run->Point();
        measure::TFormGraphChk* w = m.Host() ? m.Host()->VerificationChart() : nullptr;
        if (!w) return;
        const QString label = measure::ElapsedLabel();
        w->Chart()->AddPoint(0, p.measured, label);
        w->Chart()->AddPoint(1, p.reference, label);
        w->Chart()->AddPoint(2, p.error, label);
    }
    void ShowRelays() override
    {
        if (m.Host()) m.Host()->Session().ShowRelays();
    }
    void ClearRelays() override
    {
        if (m.Host()) m.Host()->Session().ClearRelays();
    }
    void ProcessPendingUpdates() override
    {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void Message(int n) override { platform::ErrorMessage(n); }
    void Wait(int ms) override { platform::BlockingDelay(ms); }

private:
    devlink::TInterface* Link() const { return m.Host()->Link(); }
    sensors::TFrameSensor* Sensor() const { return m.CurrentSensor(); }

    TFrame_Chk& m;
};

TFrame_Chk::TFrame_Chk(devlink::IPageHost* host, QWidget* parent, const QString& polynomsPath)
    : TDeviceFrame(host, parent), m_io(std::make_unique<PageIo>(*this)),
      m_run(std::make_unique<TVerificationRun>(*m_io))
{
    setObjectName(QStringLiteral("Frame_Chk1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl_Chk = Named(new QTabWidget(this), "PageControl_Chk");
    layout->addWidget(PageControl_Chk);
    auto* param = Named(new QWidget(PageControl_Chk), "TabSheet_Param");
    auto* chk = Named(new QWidget(PageControl_Chk), "TabSheet_Chk");
    auto* result = Named(new QWidget(PageControl_Chk), "TabSheet_Result");
    PageControl_Chk->addTab(param, QStringLiteral(" Параметры  "));
    PageControl_Chk->addTab(chk, QStringLiteral("     Поверка     "));
    PageControl_Chk->addTab(result, QStringLiteral("   Результаты   "));
    PageControl_Chk->setCurrentIndex(1);
    BuildProcedure(chk, polynomsPath);

    Timer_Processing = Named(new QTimer(this), "Timer_Processing");
    Timer_Processing->setInterval(1000);

    connect(PageControl_Chk, &QTabWidget::currentChanged, this, [this] { ResultsChanged(); });
    connect(cb_TypePov, &QComboBox::currentIndexChanged, this, [this] { cb_TypePovChange(); });
    for (QRadioButton* r : {rb_IsPov, rb_IsCalibr})
        connect(r, &QRadioButton::clicked, this, [this] { rb_IsPovClick(); });
    for (QRadioButton* r : {rb_Is_NOT_Periodic, rb_IsPeriodic})
        connect(r, &QRadioButton::clicked, this, [this] { rb_Is_NOT_PeriodicClick(); });
    connect(btn_Start, &QPushButton::clicked, this, [this] { btn_StartClick(); });
    connect(btn_Stop, &QPushButton::clicked, this, [this] { btn_StopClick(); });
    connect(BtnGraph, &QPushButton::clicked, this, [this] { BtnGraphClick(); });
    connect(Btn_ToReport, &QPushButton::clicked, this, [this] { Btn_ToReportClick(); });
    connect(Timer_Processing, &QTimer::timeout, this, [this] { Timer_ProcessingTimer(); });
    connect(cb_DecisionRule, &QComboBox::currentIndexChanged, this, [this] { cb_DecisionRuleChange(); });
    connect(cb_Hand_Etl_fiz, &QCheckBox::clicked, this, [this](bool on) {
        ed_Etl_fiz->setReadOnly(!on);
        m_run->SetManualReference(on);
        if (on) m_run->SetTypedReference(sensors::FieldValue(ed_Etl_fiz));
    });
    connect(cb_Hand_Meas_fiz, &QCheckBox::clicked, this, [this](bool on) {
        ed_Meas_fiz->setReadOnly(!on);
        m_run->SetManualMeasured(on);
        if (on) m_run->SetTypedMeasured(sensors::FieldValue(ed_Meas_fiz));
    });
    connect(ed_Etl_fiz, &QLineEdit::textChanged, this, [this] {
        if (cb_Hand_Etl_fiz->isChecked()) m_run->SetTypedReference(sensors::FieldValue(ed_Etl_fiz));
    });
    connect(ed_Meas_fiz, &QLineEdit::textChanged, this, [this] {
        if (cb_Hand_Meas_fiz->isChecked()) m_run->SetTypedMeasured(sensors::FieldValue(ed_Meas_fiz));
    });
    connect(ed_Err_ok, &QLineEdit::textChanged, this, [this] {
        if (!m_writingTolerance) m_run->SetTypedTolerance(sensors::FieldValue(ed_Err_ok));
    });
    for (QLineEdit* e : {ed_DT_min, ed_DT_max})
        connect(e, &QLineEdit::textChanged, this, [this] {
            m_run->SetWorkingRange(sensors::FieldValue(ed_DT_min), sensors::FieldValue(ed_DT_max));
        });
    for (sensors::TFrameSensor* f : {FrameSensorDD, FrameSensorDT1, FrameSensor_SC})
        f->onChange = [this](sensors::TFrameSensor* changed) { SensorChanged(changed); };
    Frame_ValueControl1->onValue = [this](float value) { return SpinnerChanged(value); };
    Frame_steps_SC->onValue = [this](const QString&, float value) { return StepValue(value); };
    Frame_steps_SC->onCountdown = [](int) { return 0; };

    m_run->SetTypedTolerance(sensors::FieldValue(ed_Err_ok));
    m_run->SetWorkingRange(sensors::FieldValue(ed_DT_min), sensors::FieldValue(ed_DT_max));
    m_run->Data().decisionRule = 0;
    cb_TypePovChange();
    SecondarySensorChanged();
    RunningChanged(false);
    SetLinkUp(LinkUp());
}

TFrame_Chk::~TFrame_Chk()
{
    // the sensor frames go with the page: no notification may reach it while it is destroyed
    for (sensors::TFrameSensor* f : {FrameSensorDD, FrameSensorDT1, FrameSensor_SC})
        f->onChange = nullptr;
    Frame_ValueControl1->onValue = nullptr;
    Frame_steps_SC->onValue = nullptr;
    Frame_steps_SC->onCountdown = nullptr;
}

void TFrame_Chk::BuildProcedure(QWidget* tab, const QString& polynomsPath)
{
    auto* top = new QVBoxLayout(tab);

    // the mode: kind, verification or calibration, primary or periodic
    auto* mode = new QHBoxLayout;
    cb_TypePov = Named(new QComboBox(tab), "cb_TypePov");
    cb_TypePov->addItems({QStringLiteral(" Датчик давления"), QStringLiteral(" Датчик температуры"),
                          QStringLiteral(" Вторичный прибор")});
    cb_TypePov->setCurrentIndex(0);
    auto* procedure = Named(new QFrame(tab), "pn_IsPov");
    auto* pl = new QHBoxLayout(procedure);
    rb_IsPov = Named(new QRadioButton(QStringLiteral("Поверка"), procedure), "rb_IsPov");
    rb_IsCalibr = Named(new QRadioButton(QStringLiteral("Калибровка"), procedure), "rb_IsCalibr");
    pl->addWidget(rb_IsPov);
    pl->addWidget(rb_IsCalibr);
    pn_PovType = Named(new QFrame(tab), "pn_PovType");
    auto* tl = new QHBoxLayout(pn_PovType);
    rb_Is_NOT_Periodic =
        Named(new QRadioButton(QStringLiteral("первичная"), pn_PovType), "rb_Is_NOT_Periodic");
    rb_IsPeriodic = Named(new QRadioButton(QStringLiteral("периодическая"), pn_PovType), "rb_IsPeriodic");
    tl->addWidget(rb_Is_NOT_Periodic);
    tl->addWidget(rb_IsPeriodic);
    pn_PovType->hide();
    mode->addWidget(cb_TypePov);
    mode->addWidget(procedure);
    mode->addWidget(pn_PovType);
    mode->addStretch();
    top->addLayout(mode);

    auto* middle = new QHBoxLayout;
    top->addLayout(middle, 1);

    // the point (created before the sensor panels: a project restores a typed permissible error
    // first, and a temperature sensor's class then gives its own)
    pn_Measured = Named(new QFrame(tab), "pn_Measured");
    pn_Measured->setFrameShape(QFrame::StyledPanel);
    auto* g = new QGridLayout(pn_Measured);
    int row = 0;
    auto caption = [&](const char* name, const char* text) {
        g->addWidget(Label(pn_Measured, name, text), row, 0);
    };
    caption("lab_Etl", "Эталон");
    ed_Etl_fiz = Named(new QLineEdit(pn_Measured), "ed_Etl_fiz");
    lab_Etl_fiz_unit = Label(pn_Measured, "lab_Etl_fiz_unit");
    cb_Hand_Etl_fiz = Named(new QCheckBox(QStringLiteral("по индикации"), pn_Measured), "cb_Hand_Etl_fiz");
    lab_Etl_el = Label(pn_Measured, "lab_Etl_el");
    lab_Etl_el_unit = Label(pn_Measured, "lab_Etl_el_unit");
    g->addWidget(ed_Etl_fiz, row, 1);
    g->addWidget(lab_Etl_fiz_unit, row, 2);
    g->addWidget(cb_Hand_Etl_fiz, row, 3);
    g->addWidget(lab_Etl_el, row, 4);
    g->addWidget(lab_Etl_el_unit, row, 5);
    ++row;
    caption("lab_Meas", "Измеренное");
    ed_Meas_fiz = Named(new QLineEdit(pn_Measured), "ed_Meas_fiz");
    lab_Meas_fiz_unit = Label(pn_Measured, "lab_Meas_fiz_unit");
    cb_Hand_Meas_fiz = Named(new QCheckBox(QStringLiteral("по индикации"), pn_Measured), "cb_Hand_Meas_fiz");
    lab_MeasEl = Label(pn_Measured, "lab_MeasEl");
    lab_MeasEl_unit = Label(pn_Measured, "lab_MeasEl_unit");
    g->addWidget(ed_Meas_fiz, row, 1);
    g->addWidget(lab_Meas_fiz_unit, row, 2);
    g->addWidget(cb_Hand_Meas_fiz, row, 3);
    g->addWidget(lab_MeasEl, row, 4);
    g->addWidget(lab_MeasEl_unit, row, 5);
    ++row;
    for (QCheckBox* c : {cb_Hand_Etl_fiz, cb_Hand_Meas_fiz})
        c->setToolTip(QStringLiteral("Ручной ввод значений"));
    for (QLineEdit* e : {ed_Etl_fiz, ed_Meas_fiz})
        e->setReadOnly(true);
    caption("lab_Err", "Измеренная погрешность");
    lb_Err_meas = Label(pn_Measured, "lb_Err_meas");
    QFont bold = lb_Err_meas->font();
    bold.setBold(true);
    lb_Err_meas->setFont(bold);
    lab_Err_unit = Label(pn_Measured, "lab_Err_unit");
    g->addWidget(lb_Err_meas, row, 1);
    g->addWidget(lab_Err_unit, row, 2);
    ++row;
    Panel_Error_Ok = Named(new QFrame(pn_Measured), "Panel_Error_Ok");
    auto* el = new QHBoxLayout(Panel_Error_Ok);
    el->setContentsMargins(0, 0, 0, 0);
    el->addWidget(Label(Panel_Error_Ok, "lab_Err_ok", "Допускаемаяая погрешность"));
    ed_Err_ok = Named(new QLineEdit(Panel_Error_Ok), "ed_Err_ok");
    ed_Err_ok->setMaxLength(8);
    lab_Err_ok_unit = Label(Panel_Error_Ok, "lab_Err_ok_unit");
    cb_DecisionRule = Named(new QComboBox(Panel_Error_Ok), "cb_DecisionRule");
    cb_DecisionRule->addItems({QStringLiteral("простая приёмка"), QStringLiteral("защитная полоса w = U")});
    cb_DecisionRule->setCurrentIndex(0);
    cb_DecisionRule->setToolTip(QStringLiteral("Правило принятия решения о соответствии"));
    el->addWidget(ed_Err_ok);
    el->addWidget(lab_Err_ok_unit);
    el->addWidget(cb_DecisionRule);
    el->addStretch();
    g->addWidget(Panel_Error_Ok, row, 0, 1, 6);
    ++row;
    caption("lab_SKO_caption", "СКО:");
    lab_SKO = Label(pn_Measured, "lab_SKO");
    lab_SKO_unit = Label(pn_Measured, "lab_SKO_unit");
    g->addWidget(lab_SKO, row, 1);
    g->addWidget(lab_SKO_unit, row, 2);
    ++row;
    caption("lab_U_caption", "Расш. неопр. изм.:");
    lab_U = Label(pn_Measured, "lab_U");
    lab_U_unit = Label(pn_Measured, "lab_U_unit");
    g->addWidget(lab_U, row, 1);
    g->addWidget(lab_U_unit, row, 2);
    ++row;
    caption("lab_TUR_caption", "TUR:");
    lab_TUR = Label(pn_Measured, "lab_TUR");
    lab_TUR->setToolTip(QStringLiteral("Отношение допуска к расширенной неопределённости (не менее 4)"));
    g->addWidget(lab_TUR, row, 1);
    ++row;
    g->setRowStretch(row, 1);
    for (QLineEdit* e : {ed_Etl_fiz, ed_Meas_fiz, ed_Err_ok})
        sensors::InstallNumericKeyFilter(e);

    // the three kinds, each with its sensor description
    auto sensorBox = [&](QFrame* panel, const char* name, const char* title) {
        auto* box = Named(new QGroupBox(QString::fromUtf8(title), panel), name);
        auto* bl = new QVBoxLayout(box);
        auto* f = new sensors::TFrameSensor(box, polynomsPath);
        bl->addWidget(f);
        return std::pair(box, f);
    };
    auto* kinds = new QVBoxLayout;
    pn_Main_DD = Named(new QFrame(tab), "pn_Main_DD");
    {
        auto* l = new QVBoxLayout(pn_Main_DD);
        auto [box, f] = sensorBox(pn_Main_DD, "GroupBoxDD", " Тип сигнала поверяемого датчика ");
        FrameSensorDD = Named(f, "FrameSensorDD");
        l->addWidget(box);
        l->addStretch();
    }
    pn_Main_DT = Named(new QFrame(tab), "pn_Main_DT");
    {
        auto* l = new QVBoxLayout(pn_Main_DT);
        auto [box, f] = sensorBox(pn_Main_DT, "GroupBoxDT", " Поверяемый датчик температуры ");
        FrameSensorDT1 = Named(f, "FrameSensorDT1");
        l->addWidget(box);
        GroupBoxWorkDiap =
            Named(new QGroupBox(QStringLiteral(" Рабочий диапазон "), pn_Main_DT), "GroupBoxWorkDiap");
        auto* wl = new QHBoxLayout(GroupBoxWorkDiap);
        ed_DT_min = Named(new QLineEdit(QStringLiteral("0"), GroupBoxWorkDiap), "ed_DT_min");
        ed_DT_max = Named(new QLineEdit(QStringLiteral("0"), GroupBoxWorkDiap), "ed_DT_max");
        for (QLineEdit* e : {ed_DT_min, ed_DT_max})
            sensors::InstallNumericKeyFilter(e);
        wl->addWidget(ed_DT_min);
        wl->addWidget(Label(GroupBoxWorkDiap, "lab_DT_dots", "..."));
        wl->addWidget(ed_DT_max);
        l->addWidget(GroupBoxWorkDiap);
        l->addStretch();
    }
    pn_Main_SC = Named(new QFrame(tab), "pn_Main_SC");
    {
        auto* l = new QVBoxLayout(pn_Main_SC);
        auto [box, f] = sensorBox(pn_Main_SC, "GroupBoxSC", "Эмулируемый сигнал");
        FrameSensor_SC = Named(f, "FrameSensor_SC");
        l->addWidget(box);
        Frame_ValueControl1 = Named(new measure::TFrame_ValueControl(pn_Main_SC), "Frame_ValueControl1");
        l->addWidget(Frame_ValueControl1);
        Frame_steps_SC = Named(new measure::TFrame_steps(pn_Main_SC), "Frame_steps_SC");
        l->addWidget(Frame_steps_SC);
        Panel_Etl_el = Label(pn_Main_SC, "Panel_Etl_el");
        Panel_Etl_el->setFrameShape(QFrame::StyledPanel);
        Panel_Etl_el->setFont(bold);
        Panel_Etl_el->hide();
        l->addWidget(Panel_Etl_el);
        l->addStretch();
    }
    kinds->addWidget(pn_Main_DD);
    kinds->addWidget(pn_Main_DT);
    kinds->addWidget(pn_Main_SC);
    middle->addLayout(kinds, 1);
    middle->addWidget(pn_Measured, 1);

    // pressure: a unified signal, always scaled, in a pressure unit
    KeepOnly(FrameSensorDD->cbType, QStringLiteral(" Униф. сигнал"));
    RemoveItem(FrameSensorDD->cbUniuFiz, QStringLiteral("°C"));
    FrameSensorDD->cbStdOut->setChecked(true);
    FrameSensorDD->cbStdOut->setEnabled(false);
    FrameSensorDD->cb_Std->setCurrentIndex(1);
    FrameSensorDD->ebMin->setText(QStringLiteral("4"));
    FrameSensorDD->ebMax->setText(QStringLiteral("20"));
    FrameSensorDD->fizMin->setText(QStringLiteral("0"));
    FrameSensorDD->fizMax->setText(QStringLiteral("1"));
    FrameSensorDD->cbUniuFiz->setCurrentIndex(0); // "МПа"
    FrameSensorDD->cbTypeChange();
    // temperature: thermometers, thermocouples and transmitters in °C, with their classes
    RemoveItem(FrameSensorDT1->cbType, QStringLiteral("  HART"));
    FrameSensorDT1->SetShowClass(true);
    FrameSensorDT1->cbStdOut->setChecked(true);
    FrameSensorDT1->cbStdOut->setEnabled(false);
    FrameSensorDT1->ebMin->setText(QStringLiteral("4"));
    FrameSensorDT1->ebMax->setText(QStringLiteral("20"));
    FrameSensorDT1->fizMin->setText(QStringLiteral("0"));
    FrameSensorDT1->fizMax->setText(QStringLiteral("100"));
    FrameSensorDT1->cbUniuFiz->setCurrentIndex(0); // "°C"
    FrameSensorDT1->cbUniuFiz->setEnabled(false);
    FrameSensorDT1->cbTypeChange();
    // secondary instrument: the emulated signal, its answer read back through the current input
    FrameSensor_SC->SetRole(sensors::Role::Source);
    FrameSensor_SC->cbStdOut->setChecked(true);
    FrameSensor_SC->Iout()->cbEnable->setChecked(true);
    FrameSensor_SC->Iout()->cbEnable->setEnabled(false);
    FrameSensor_SC->cbTypeChange();

    auto* buttons = new QHBoxLayout;
    auto* startStop = new QGridLayout;
    btn_Start = Named(new QPushButton(QStringLiteral("Старт"), tab), "btn_Start");
    btn_Stop = Named(new QPushButton(QStringLiteral("Стоп"), tab), "btn_Stop");
    startStop->addWidget(btn_Start, 0, 0);
    startStop->addWidget(btn_Stop, 0, 0);
    BtnGraph = Named(new QPushButton(QStringLiteral("График"), tab), "BtnGraph");
    Btn_ToReport = Named(new QPushButton(QStringLiteral("Добавить в протокол"), tab), "Btn_ToReport");
    buttons->addLayout(startStop);
    buttons->addWidget(BtnGraph);
    buttons->addStretch();
    buttons->addWidget(Btn_ToReport);
    top->addLayout(buttons);
}

void TFrame_Chk::SetSubPages(TFrame_ReportParam* reportParam, QWidget* results, ResultsHooks hooks)
{
    m_report = reportParam;
    m_results = results;
    m_hooks = std::move(hooks);
    if (reportParam) {
        QWidget* tab = PageControl_Chk->widget(0);
        auto* l = tab->layout() ? static_cast<QVBoxLayout*>(tab->layout()) : new QVBoxLayout(tab);
        reportParam->setParent(tab);
        l->addWidget(reportParam);
        reportParam->SetVerificationType(m_run->CurrentKind());
        reportParam->SetLink(Host() ? Host()->Link() : nullptr);
        if (Up()) reportParam->ShowCalibratorLine(true);
    }
    if (results) {
        QWidget* tab = PageControl_Chk->widget(2);
        auto* l = tab->layout() ? static_cast<QVBoxLayout*>(tab->layout()) : new QVBoxLayout(tab);
        results->setParent(tab);
        l->addWidget(results);
    }
    ResultsChanged();
}

bool TFrame_Chk::Up() const
{
    return Host() && Host()->Link() && Host()->IsConnected();
}

sensors::TFrameSensor* TFrame_Chk::CurrentSensor() const
{
    switch (m_run->CurrentKind()) {
    case KindTemperature:
        return FrameSensorDT1;
    case KindSecondary:
        return FrameSensor_SC;
    default:
        return FrameSensorDD;
    }
}

void TFrame_Chk::SetLinkUp(bool up)
{
    TDeviceFrame::SetLinkUp(up);
    devlink::TInterface* link = Host() ? Host()->Link() : nullptr;
    for (sensors::TFrameSensor* f : {FrameSensorDD, FrameSensorDT1, FrameSensor_SC})
        f->SetLink(link);
    if (m_report) {
        m_report->SetLink(link);
        m_report->ShowCalibratorLine(up);
    }
    // a lost link stops a run; the run writes nothing while the link is down
    if (!up) m_run->Stop();
    btn_Start->setEnabled(up && !m_run->Running());
}

void TFrame_Chk::StopWork()
{
    m_run->Stop();
}

void TFrame_Chk::cb_TypePovChange()
{
    const int kind = std::clamp(cb_TypePov->currentIndex(), 0, 2);
    m_run->SetKind(kind);
    if (m_report) m_report->SetVerificationType(kind);
    pn_Main_DD->setVisible(kind == KindPressure);
    pn_Main_DT->setVisible(kind == KindTemperature);
    pn_Main_SC->setVisible(kind == KindSecondary);
    // the reference of a secondary instrument is always the emulated value
    cb_Hand_Etl_fiz->setEnabled(kind != KindSecondary);
    if (kind == KindSecondary && cb_Hand_Etl_fiz->isChecked()) {
        cb_Hand_Etl_fiz->setChecked(false);
        ed_Etl_fiz->setReadOnly(true);
        m_run->SetManualReference(false);
    }
    RefreshUnitLabels();
    if (kind == KindTemperature) TemperatureSensorChanged();
}

void TFrame_Chk::rb_IsPovClick()
{
    pn_PovType->setVisible(rb_IsPov->isChecked());
    m_run->Data().isCalibration = rb_IsCalibr->isChecked() ? 1 : 0;
    if (m_hooks.setVerification) m_hooks.setVerification(rb_IsPov->isChecked());
    if (m_hooks.refresh) m_hooks.refresh();
}

void TFrame_Chk::rb_Is_NOT_PeriodicClick()
{
    const bool periodic = rb_IsPeriodic->isChecked();
    if (m_hooks.resetInspection) m_hooks.resetInspection(periodic);
    m_run->Data().isPeriodic = periodic ? 1 : 0;
}

void TFrame_Chk::cb_DecisionRuleChange()
{
    m_run->Data().decisionRule = std::clamp(cb_DecisionRule->currentIndex(), 0, 1);
}

void TFrame_Chk::SensorChanged(sensors::TFrameSensor* frame)
{
    if (m_sensorChanging) return;
    m_sensorChanging = true;
    RefreshUnitLabels();
    if (frame == FrameSensorDT1 && m_run->CurrentKind() == KindTemperature) TemperatureSensorChanged();
    if (frame == FrameSensor_SC) SecondarySensorChanged();
    m_sensorChanging = false;
}

void TFrame_Chk::TemperatureSensorChanged()
{
    const sensors::SensorSetup& s = FrameSensorDT1->Setup();
    if (!s.isRtd && !s.isThermocouple) return;
    float lo = 0, hi = 0;
    if (FrameSensorDT1->GetClassRange(&lo, &hi, s.toleranceClass) == 0) {
        m_run->Data().device.rangeLow = lo;
        m_run->Data().device.rangeHigh = hi;
        ed_DT_min->setText(sensors::CompactText(lo));
        ed_DT_max->setText(sensors::CompactText(hi));
    }
    if (m_run->TakeClassTolerance() == 0) SetToleranceText(sensors::FixedText(m_run->Tolerance(), 2));
}

void TFrame_Chk::SecondarySensorChanged()
{
    sensors::TFrameSensor* f = FrameSensor_SC;
    const sensors::SensorSetup& s = f->Setup();
    // the current input reads in the emulated sensor's unit, so the two values compare directly
    sensors::TFrame_std_Iout_tune* iout = f->Iout();
    const int unit = iout->cbUniuFiz->findText(s.physUnit.trimmed());
    iout->cbUniuFiz->setCurrentIndex(unit >= 0 ? unit : 0);
    iout->cbUniuFiz->setEnabled(false);
    // the spinner works in the sensor's unit and range
    Frame_ValueControl1->SetUnit(s.physUnit);
    Frame_ValueControl1->SetMinimum(s.rangeMin);
    Frame_ValueControl1->SetMaximum(s.rangeMax);
    ShowEmulatedSignal();
}

void TFrame_Chk::ShowEmulatedSignal()
{
    const sensors::SensorSetup& s = FrameSensor_SC->Setup();
    const float signal = FrameSensor_SC->PhysToEl(Frame_ValueControl1->Value());
    Panel_Etl_el->setText(sensors::FixedText(signal, 3) + QStringLiteral(" ") + s.elUnit);
}

int TFrame_Chk::SpinnerChanged(float value)
{
    // the reference is the spinner's value as it stands (the current input reads in its unit); a
    // new value empties the windows and holds the point back until the next tick
    const int r = m_run->EmulatedValueChanged(value);
    ShowEmulatedSignal();
    if (m_run->CurrentKind() == KindSecondary && !m_run->PointReady()) {
        lb_Err_meas->clear();
        RefreshAddButton();
    }
    return r;
}

int TFrame_Chk::StepValue(float value)
{
    const sensors::SensorSetup& s = FrameSensor_SC->Setup();
    if (QWidget* bad = Frame_steps_SC->Validate(s.rangeMin, s.rangeMax)) {
        sensors::FlashAndFocus(bad);
        return -1;
    }
    Frame_ValueControl1->SetValue(value);
    return 0;
}

void TFrame_Chk::RefreshUnitLabels()
{
    const sensors::SensorSetup& s = CurrentSensor()->Setup();
    for (QLabel* l : {lab_Meas_fiz_unit, lab_Etl_fiz_unit, lab_SKO_unit, lab_U_unit})
        l->setText(s.physUnit);
    for (QLabel* l : {lab_MeasEl_unit, lab_Etl_el_unit})
        l->setText(s.elUnit);
    const QString e = m_run->CurrentKind() == KindTemperature ? QStringLiteral("°C") : QStringLiteral("%");
    lab_Err_unit->setText(e);
    lab_Err_ok_unit->setText(e);
    if (measure::TFormGraphChk* w = Host() ? Host()->VerificationChart() : nullptr) {
        w->Chart()->SetAxisTitle(measure::ChartAxis::Left, s.physUnit);
        w->Chart()->SetAxisTitle(measure::ChartAxis::Right, QStringLiteral("%"));
    }
}

void TFrame_Chk::SetToleranceText(const QString& text)
{
    m_writingTolerance = true;
    ed_Err_ok->setText(text);
    m_writingTolerance = false;
}

void TFrame_Chk::btn_StartClick()
{
    if (m_run->Running()) return;
    // the run takes the calibrator: a measurement or an emulation of another page ends first
    if (Host()) Host()->StopOtherWork(this);
    for (sensors::TFrameSensor* f : {FrameSensorDD, FrameSensorDT1, FrameSensor_SC})
        f->SetLink(Host() ? Host()->Link() : nullptr);
    m_run->Start();
}

void TFrame_Chk::btn_StopClick()
{
    m_run->Stop();
}

void TFrame_Chk::BtnGraphClick()
{
    if (measure::TFormGraphChk* w = Host() ? Host()->VerificationChart() : nullptr) {
        w->show();
        w->raise();
    }
}

void TFrame_Chk::Btn_ToReportClick()
{
    if (m_run->AddPoint(Results()) > 0 && m_hooks.refresh) m_hooks.refresh();
    ResultsChanged();
}

void TFrame_Chk::Timer_ProcessingTimer()
{
    m_run->Tick();
}

void TFrame_Chk::RunningChanged(bool running)
{
    btn_Start->setVisible(!running);
    btn_Start->setEnabled(!running && Up());
    btn_Stop->setVisible(running);
    btn_Stop->setEnabled(running);
    if (running)
        Timer_Processing->start();
    else
        Timer_Processing->stop();
    CurrentSensor()->setEnabled(!running);
    GroupBoxWorkDiap->setEnabled(!running);
    if (!m_run->ManualReference()) ed_Etl_fiz->clear();
    lb_Err_meas->clear();
    if (running && m_run->CurrentKind() == KindTemperature) lab_U->clear();
    BtnGraph->setEnabled(true);
    lab_Meas_fiz_unit->setVisible(!m_run->ManualMeasured());
    Panel_Etl_el->setVisible(running && m_run->CurrentKind() == KindSecondary);
    cb_TypePov->setEnabled(!running);
    Panel_Error_Ok->setEnabled(!running);
    RefreshAddButton();
}

void TFrame_Chk::ShowPoint()
{
    const int n = std::clamp(int(m_run->Data().decimals), 0, 6);
    const ResultRow& p = m_run->Point();
    if (!m_run->ManualReference()) ed_Etl_fiz->setText(sensors::FixedText(p.reference, n));
    lab_Etl_el->setText(sensors::FixedText(p.referenceSignal, n));
    if (!m_run->ManualMeasured()) ed_Meas_fiz->setText(sensors::FixedText(p.measured, n));
    lab_MeasEl->setText(sensors::FixedText(p.measuredSignal, n));
    lab_SKO->setText(sensors::FixedText(m_run->MeasuredWindow().sampleDeviation, n));
    lab_U->setText(sensors::FixedText(p.uncertainty, n));
    // the reference thermometer's type is not rated here: the point stands without its uncertainty
    lab_U->setToolTip(m_run->CurrentKind() == KindTemperature && !std::isfinite(p.uncertainty) ? kUnratedHint
                                                                                               : QString());
    const float ratio = m_run->Ratio();
    lab_TUR->setText(std::isfinite(ratio) ? sensors::FixedText(ratio, 1) : QString());
    SetColour(lab_TUR, std::isfinite(ratio) && ratio < kMinTestUncertaintyRatio
                           ? kFailColour
                           : palette().color(QPalette::WindowText));
    // a tolerance the class gives follows the reference; a typed one stays as typed
    if (m_run->ToleranceFromClass()) SetToleranceText(sensors::FixedText(p.tolerance, std::max(n, 2)));
    lb_Err_meas->setText(sensors::FixedText(p.error, n));
    SetColour(lb_Err_meas, p.pass ? kPassColour : kFailColour);
    RefreshAddButton();
}

void TFrame_Chk::ResultsChanged()
{
    RefreshAddButton();
}

void TFrame_Chk::RefreshAddButton()
{
    const int count = Results().count;
    const bool full = count >= kMaxRows;
    Btn_ToReport->setEnabled(m_run->PointReady() && !full);
    Btn_ToReport->setToolTip(full ? kListFullHint : QString());
    static const QRegularExpression tail(QStringLiteral("\\s*(\\(\\d+/\\d+\\))?\\s*$"));
    QString caption = PageControl_Chk->tabText(2);
    caption.remove(tail);
    PageControl_Chk->setTabText(2, caption + QStringLiteral(" (%1/%2)   ").arg(count).arg(kMaxRows));
}

} // namespace verification
