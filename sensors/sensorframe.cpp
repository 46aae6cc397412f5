#include "sensors/sensorframe.h"

#include "link/interface.h"
#include "link/registers.h"
#include "platform/delay.h"
#include "sensors/fieldchecks.h"
#include "sensors/ioutframe.h"
#include "sensors/numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace devlink;

namespace sensors {
namespace {

const QString kKindTexts[4] = {QStringLiteral("   ТС"), QStringLiteral("   ТП "),
                               QStringLiteral(" Униф. сигнал"), QStringLiteral("  HART")};
const QString kUso = QStringLiteral("Сопротивление УСО");

template <typename W> W* Named(QWidget* parent, const char* name, W* w)
{
    w->setObjectName(QString::fromLatin1(name));
    Q_UNUSED(parent);
    return w;
}

QComboBox* TypeList(QWidget* parent, const char* name, SensorKind kind)
{
    auto* cb = Named(parent, name, new QComboBox(parent));
    for (int i = 0; i < TypeCount(kind); ++i)
        cb->addItem(QString::fromUtf8(TypeRow(kind, i)->item));
    return cb;
}

} // namespace

TFrameSensor::TFrameSensor(QWidget* parent, const QString& polynomsPath) : QFrame(parent), m_lib(polynomsPath)
{
    setObjectName(QStringLiteral("FrameSensor1"));
    auto* layout = new QVBoxLayout(this);
    cbType = Named(this, "cbType", new QComboBox(this));
    for (const QString& t : kKindTexts)
        cbType->addItem(t);
    cbType->setCurrentIndex(0);
    layout->addWidget(cbType);

    Panel_NameSensor = Named(this, "Panel_NameSensor", new QFrame(this));
    auto* nl = new QHBoxLayout(Panel_NameSensor);
    cb_TC = TypeList(Panel_NameSensor, "cb_TC", SensorKind::Rtd);
    cb_TP = TypeList(Panel_NameSensor, "cb_TP", SensorKind::Thermocouple);
    cb_Std = TypeList(Panel_NameSensor, "cb_Std", SensorKind::Unified);
    for (QComboBox* c : {cb_TC, cb_TP, cb_Std})
        nl->addWidget(c);
    layout->addWidget(Panel_NameSensor);

    Panel_ClasesTCTP = Named(this, "Panel_ClasesTCTP", new QFrame(this));
    auto* cl = new QHBoxLayout(Panel_ClasesTCTP);
    cbClassTS = Named(Panel_ClasesTCTP, "cbClassTS", new QComboBox(Panel_ClasesTCTP));
    cbClassTS->addItems(
        {QStringLiteral("AA"), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    cbClassTP = Named(Panel_ClasesTCTP, "cbClassTP", new QComboBox(Panel_ClasesTCTP));
    cbClassTP->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    // a new frame judges by class 2: "B" for thermometers, "2" for thermocouples
    cbClassTS->setCurrentIndex(2);
    cbClassTP->setCurrentIndex(1);
    cl->addWidget(cbClassTS);
    cl->addWidget(cbClassTP);
    layout->addWidget(Panel_ClasesTCTP);

    PanelTP = Named(this, "PanelTP", new QFrame(this));
    auto* tl = new QHBoxLayout(PanelTP);
    cbIsAutoCompens = Named(PanelTP, "cbIsAutoCompens", new QCheckBox(QStringLiteral("Авто"), PanelTP));
    ebCompensVal = Named(PanelTP, "ebCompensVal", new QLineEdit(QStringLiteral("0"), PanelTP));
    tl->addWidget(cbIsAutoCompens);
    tl->addWidget(ebCompensVal);
    layout->addWidget(PanelTP);

    PanelStdOut = Named(this, "PanelStdOut", new QFrame(this));
    auto* sl = new QGridLayout(PanelStdOut);
    cbStdOut = Named(PanelStdOut, "cbStdOut",
                     new QCheckBox(QStringLiteral("Параметры преобразования"), PanelStdOut));
    Panel_WorkDiap = Named(PanelStdOut, "Panel_WorkDiap", new QFrame(PanelStdOut));
    auto* wl = new QGridLayout(Panel_WorkDiap);
    ebMin = Named(Panel_WorkDiap, "ebMin", new QLineEdit(Panel_WorkDiap));
    ebMax = Named(Panel_WorkDiap, "ebMax", new QLineEdit(Panel_WorkDiap));
    edUniuEl = Named(Panel_WorkDiap, "edUniuEl", new QLineEdit(Panel_WorkDiap));
    edUniuEl->setReadOnly(true);
    fizMin = Named(Panel_WorkDiap, "fizMin", new QLineEdit(Panel_WorkDiap));
    fizMax = Named(Panel_WorkDiap, "fizMax", new QLineEdit(Panel_WorkDiap));
    cbUniuFiz = Named(Panel_WorkDiap, "cbUniuFiz", new QComboBox(Panel_WorkDiap));
    for (int i = 0; i < kUnitCount; ++i)
        cbUniuFiz->addItem(QString::fromUtf8(UnitText(i)));
    wl->addWidget(ebMin, 0, 0);
    wl->addWidget(ebMax, 0, 1);
    wl->addWidget(edUniuEl, 0, 2);
    wl->addWidget(fizMin, 1, 0);
    wl->addWidget(fizMax, 1, 1);
    wl->addWidget(cbUniuFiz, 1, 2);
    sl->addWidget(cbStdOut, 0, 0);
    sl->addWidget(Panel_WorkDiap, 1, 0);
    layout->addWidget(PanelStdOut);

    Panel_HART = Named(this, "Panel_HART", new QFrame(this));
    auto* hl = new QGridLayout(Panel_HART);
    btnSeachHARTdevices = Named(Panel_HART, "btnSeachHARTdevices",
                                new QPushButton(QStringLiteral("поиск устройства"), Panel_HART));
    btnStopSeachHARTdevices =
        Named(Panel_HART, "btnStopSeachHARTdevices", new QPushButton(QStringLiteral("Стоп"), Panel_HART));
    ProgressBar_Seach = Named(Panel_HART, "ProgressBar_Seach", new QProgressBar(Panel_HART));
    ProgressBar_Seach->setRange(0, 15);
    ProgressBar_Seach->setValue(0);
    ProgressBar_Seach->hide();
    auto* l1 = Named(Panel_HART, "Label_HARTdevice", new QLabel(QStringLiteral("Прибор :"), Panel_HART));
    Label_EtlHARTname =
        Named(Panel_HART, "Label_EtlHARTname", new QLabel(QStringLiteral("- - -"), Panel_HART));
    auto* l2 = Named(Panel_HART, "Label_HARTrange", new QLabel(QStringLiteral("Диапазон :"), Panel_HART));
    Label_HART_diap = Named(Panel_HART, "Label_HART_diap", new QLabel(QStringLiteral("- - -"), Panel_HART));
    hl->addWidget(btnSeachHARTdevices, 0, 0);
    hl->addWidget(btnStopSeachHARTdevices, 0, 0);
    hl->addWidget(ProgressBar_Seach, 0, 1);
    hl->addWidget(l1, 1, 0);
    hl->addWidget(Label_EtlHARTname, 1, 1);
    hl->addWidget(l2, 2, 0);
    hl->addWidget(Label_HART_diap, 2, 1);
    btnSeachHARTdevices->raise();
    layout->addWidget(Panel_HART);
    Timer_HART_search = Named(this, "Timer_HART_search", new QTimer(this));
    Timer_HART_PVread = Named(this, "Timer_HART_PVread", new QTimer(this));

    Frame_std_Iout_tune1 = new TFrame_std_Iout_tune(this);
    layout->addWidget(Frame_std_Iout_tune1);

    for (QLineEdit* e : {ebCompensVal, ebMin, ebMax, fizMin, fizMax})
        InstallNumericKeyFilter(e);

    // creation: the HART command object, the scaling frame's notification, the role, the class
    m_hart.Configure(5, 3);
    m_searchTimer = std::make_unique<hart::QtTimer>(Timer_HART_search);
    m_pvTimer = std::make_unique<hart::QtTimer>(Timer_HART_PVread);
    m_search = nullptr;
    Frame_std_Iout_tune1->onChange = [this] { Update(); };

    for (QComboBox* c : {cbType, cb_TC, cb_TP, cbUniuFiz})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { cbTypeChange(); });
    for (QCheckBox* c : {cbStdOut, cbIsAutoCompens})
        connect(c, &QCheckBox::clicked, this, [this] { cbTypeChange(); });
    for (QLineEdit* e : {ebMin, ebMax, fizMin, fizMax})
        connect(e, &QLineEdit::textChanged, this, [this] { cbTypeChange(); });
    connect(cb_Std, &QComboBox::currentIndexChanged, this, [this] { cb_StdChange(); });
    for (QComboBox* c : {cbClassTS, cbClassTP})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { cbClassChange(); });
    connect(ebCompensVal, &QLineEdit::textChanged, this, [this] { ebCompensValChange(); });
    connect(btnSeachHARTdevices, &QPushButton::clicked, this, [this] { btnSeachHARTdevicesClick(); });
    connect(btnStopSeachHARTdevices, &QPushButton::clicked, this, [this] { btnStopSeachHARTdevicesClick(); });
    connect(Timer_HART_search, &QTimer::timeout, this, [this] {
        if (m_search) m_search->Tick();
    });
    connect(Timer_HART_PVread, &QTimer::timeout, this, [this] {
        if (m_pv) {
            m_pv->Tick();
            m_setup.hartPv = m_pv->Pv();
        }
    });

    SetRole(Role::Measuring);
    SetClass(2);
    m_setup.unitFactor = 1;
    Update();
}

TFrameSensor::~TFrameSensor() = default;

SensorKind TFrameSensor::KindOfSelection() const
{
    // the kind texts as the list shows them, looked for in this order; no match is a thermometer
    static const QString kFind[4] = {QStringLiteral("   ТС"), QStringLiteral("   ТП"),
                                     QStringLiteral(" Униф. сигнал"), QStringLiteral("  HART")};
    const QString t = cbType->currentText();
    for (int k = 0; k < 4; ++k)
        if (t.contains(kFind[k])) return SensorKind(k);
    return SensorKind::Rtd;
}

void TFrameSensor::SetRole(Role role)
{
    m_setup.role = role;
    Frame_std_Iout_tune1->setVisible(role == Role::Source);
    const int uso = cb_Std->findText(kUso);
    if (role == Role::Measuring) {
        if (uso >= 0) cb_Std->removeItem(uso);
        if (cbType->findText(kKindTexts[3]) < 0) cbType->addItem(kKindTexts[3]);
    } else {
        if (uso < 0) cb_Std->addItem(kUso);
        const int h = cbType->findText(kKindTexts[3]);
        if (h >= 0) cbType->removeItem(h);
    }
    Update();
}

void TFrameSensor::Update()
{
    if (cbType->currentIndex() < 0 || m_updating) return;
    m_updating = true;
    SensorSetup& s = m_setup;
    const SensorKind kind = KindOfSelection();
    s.kind = kind;
    s.isRtd = kind == SensorKind::Rtd;
    s.isThermocouple = kind == SensorKind::Thermocouple;
    s.isUnified = kind == SensorKind::Unified;
    s.isHart = kind == SensorKind::Hart;
    const bool iout = Frame_std_Iout_tune1->Enabled() && s.role == Role::Source;
    const QString degrees = QString::fromUtf16(kDegreesC);
    s.scaling = false;
    if (s.isRtd) {
        if (cb_TC->currentIndex() < 0) cb_TC->setCurrentIndex(0);
        s.index = cb_TC->currentIndex();
        s.physUnit = degrees;
        s.elUnit = iout ? QStringLiteral("мА") : QStringLiteral("Ом");
        s.code = s.index;
        SetClass(cbClassTS->currentIndex());
    } else if (s.isThermocouple) {
        if (cb_TP->currentIndex() < 0) cb_TP->setCurrentIndex(0);
        s.index = cb_TP->currentIndex();
        s.physUnit = degrees;
        s.elUnit = iout ? QStringLiteral("мА") : QStringLiteral("мВ");
        s.code = s.index + 7;
        SetClass(cbClassTP->currentIndex() + 1);
        s.autoColdJunction = cbIsAutoCompens->isChecked();
        float cj = 0;
        if (!s.autoColdJunction && ReadNumber(ebCompensVal->text(), &cj) == 0) s.coldJunctionTemp = cj;
    } else if (s.isUnified) {
        if (cb_Std->currentIndex() < 0) cb_Std->setCurrentIndex(0);
        s.index = cb_Std->currentIndex() == 4 ? 5 : cb_Std->currentIndex();
        const SensorType* row = TypeRow(SensorKind::Unified, s.index);
        s.elUnit = s.physUnit = QString::fromUtf8(row ? row->elUnit : "");
        edUniuEl->setText(s.elUnit);
        if (iout) s.elUnit = QStringLiteral("мА");
        s.scaling = cbStdOut->isChecked();
        if (s.scaling) {
            float v;
            if (ReadNumber(fizMin->text(), &v) == 0) s.physMin = v;
            if (ReadNumber(fizMax->text(), &v) == 0) s.physMax = v;
            if (ReadNumber(ebMin->text(), &v) == 0) s.elMin = v;
            if (ReadNumber(ebMax->text(), &v) == 0) s.elMax = v;
            s.physUnit = cbUniuFiz->currentText();
            s.unitFactor = UnitFactor(s.physUnit.trimmed());
        }
        s.code = s.index + 15;
        Panel_WorkDiap->setVisible(s.scaling);
        Panel_WorkDiap->setEnabled(s.scaling);
    } else {
        // the device last read, kept apart from what the other kinds set meanwhile
        s.index = 0;
        s.physUnit = s.hartUnit.isEmpty() ? QStringLiteral(" ") : s.hartUnit;
        s.elUnit = QStringLiteral("мА");
        s.unitFactor = s.hartUnitFactor;
    }
    if (s.scaling) {
        s.rangeMin = s.physMin;
        s.rangeMax = s.physMax;
    } else if (!s.isHart) {
        const SensorType* row = TypeRow(kind, s.index);
        s.rangeMin = row ? row->min : 0;
        s.rangeMax = row ? row->max : 0;
        if (s.role == Role::Source && s.isUnified && s.index == 3) s.rangeMax = 12;
    } else {
        s.rangeMin = s.hartRangeMin;
        s.rangeMax = s.hartRangeMax;
    }
    Panel_NameSensor->setVisible(!s.isHart);
    cb_TC->setVisible(s.isRtd);
    cb_TP->setVisible(s.isThermocouple);
    cb_Std->setVisible(s.isUnified);
    cbClassTS->setVisible(s.isRtd);
    cbClassTP->setVisible(s.isThermocouple);
    Panel_ClasesTCTP->setVisible((s.isRtd || s.isThermocouple) && s.showClass);
    PanelTP->setVisible(s.isThermocouple);
    PanelStdOut->setVisible(s.isUnified);
    ebCompensVal->setEnabled(!s.autoColdJunction);
    Panel_HART->setVisible(s.isHart);
    m_updating = false;
    if (onChange) onChange(this);
}

void TFrameSensor::cbTypeChange()
{
    m_setup.autoColdJunction = cbIsAutoCompens->isChecked();
    if (!m_setup.autoColdJunction && !HasNumber(ebCompensVal)) ebCompensVal->setText(QStringLiteral("0"));
    Frame_std_Iout_tune1->SelectUnit(cbUniuFiz->currentText());
    Update();
    Frame_std_Iout_tune1->LockUnits(m_setup.isRtd || m_setup.isThermocouple);
    Update();
}

void TFrameSensor::cb_StdChange()
{
    const int pos = cb_Std->currentIndex();
    const SensorType* row = TypeRow(SensorKind::Unified, pos == 4 ? 5 : pos);
    if (row) {
        const QSignalBlocker b1(ebMin), b2(ebMax);
        ebMin->setText(CompactText(std::max(ReadNumberOr0(ebMin->text()), row->min)));
        ebMax->setText(CompactText(std::min(ReadNumberOr0(ebMax->text()), row->max)));
    }
    Update();
}

void TFrameSensor::cbClassChange()
{
    Update();
}

void TFrameSensor::ebCompensValChange()
{
    if (m_setup.isThermocouple) Update();
}

int TFrameSensor::CheckInputs()
{
    if (Frame_std_Iout_tune1->isVisibleTo(this) && m_setup.role == Role::Source &&
        !Frame_std_Iout_tune1->CheckScaling())
        return -1;
    if (m_setup.isThermocouple && !m_setup.autoColdJunction && !HasNumber(ebCompensVal)) return -1;
    if (m_setup.isUnified && m_setup.scaling) {
        for (QLineEdit* e : {ebMin, ebMax, fizMin, fizMax})
            if (!HasNumber(e)) {
                FlashAndFocus(e);
                return -1;
            }
    }
    return 0;
}

void TFrameSensor::ClearInputs()
{
    for (QLineEdit* e : {ebCompensVal, ebMin, ebMax, fizMin, fizMax})
        e->clear();
    Label_EtlHARTname->setText(QStringLiteral("- - -"));
    Label_HART_diap->setText(QStringLiteral("- - -"));
    Frame_std_Iout_tune1->ClearScaling();
}

int TFrameSensor::WriteInt(int reg, int value)
{
    return m_link ? m_link->WriteRegisterInt(reg, value) : -1;
}

int TFrameSensor::StartMeasure()
{
    if (CheckInputs() != 0 || !m_link) return -1;
    int mode = MeasResistanceOhm;
    const SensorSetup& s = m_setup;
    if (s.isThermocouple) {
        if (WriteInt(AutoColdJunction, cbIsAutoCompens->isChecked() ? 1 : 0) != 0) return -1;
        if (cbIsAutoCompens->isChecked()) {
            mode = MeasMvCompensated;
        } else {
            if (m_link->WriteRegisterFromText(ColdJunctionTemp, ebCompensVal->text()) != 0) return -1;
            mode = MeasVoltageMv;
        }
    } else if (s.isUnified) {
        mode = s.index == 5 ? MeasResistanceOhm : s.index;
    } else if (s.isHart) {
        m_pv = std::make_unique<hart::HartPvReader>(*m_link, m_hart, m_device, *m_pvTimer);
        if (m_pv->Start() != 0) return -1; // the PV timer is off again
        mode = MeasCurrentMa;
    }
    if (WriteInt(MeasMode, mode) != 0) {
        if (s.isHart) m_pv->Stop();
        return -1;
    }
    if (s.isHart) {
        if (m_pv->Start() != 0) return -1;
    } else {
        platform::BlockingDelay(s.isThermocouple ? 1400 : 400); // the calibrator settles in its new mode
    }
    return 0;
}

int TFrameSensor::StopSignal()
{
    if (m_setup.isHart && m_pv) {
        m_pv->Stop();
        m_setup.hartPv = MissingValue();
    }
    return WriteInt(MeasMode, MeasStop);
}

int TFrameSensor::StartEmulate()
{
    if (CheckInputs() != 0 || !m_link) return -1;
    const SensorSetup& s = m_setup;
    if (s.isThermocouple) {
        if (WriteInt(EmulSignalKind, EmulVoltageMv) != 0 || WriteInt(EmulValue, 0) != 0) return -1;
    } else if (s.isUnified) {
        if (WriteInt(EmulSignalKind, s.code) != 0) return -1;
    } else if (s.isRtd) {
        if (WriteInt(EmulSignalKind, EmulResistanceOhm) != 0) return -1;
    }
    const int mode = s.isThermocouple && cbIsAutoCompens->isChecked() ? MeasEmulTcAuto : MeasCurrentMa;
    return WriteInt(MeasMode, mode) == 0 ? 0 : -1;
}

float TFrameSensor::ReadMeasured()
{
    SensorSetup& s = m_setup;
    if (!m_link) return MissingValue();
    if (s.isHart) {
        float v = MissingValue();
        if (m_link->ReadRegisterReal(MeasuredValue, &v) != 0) v = MissingValue();
        s.lastReading = v;
        return s.hartPv;
    }
    UpdateColdJunction();
    float v = MissingValue();
    if (m_link->ReadRegisterReal(MeasuredValue, &v) != 0) {
        s.lastReading = MissingValue();
        return MissingValue();
    }
    s.lastReading = v;
    return ElToPhys(v);
}

int TFrameSensor::UpdateColdJunction()
{
    SensorSetup& s = m_setup;
    if (!s.isThermocouple || !s.autoColdJunction) return 0;
    float r = MissingValue();
    if (!m_link || m_link->ReadRegisterReal(CompensatorValue, &r) != 0) {
        const QSignalBlocker b(ebCompensVal);
        ebCompensVal->setText(QString::fromUtf16(kMissingText));
        s.coldJunctionTemp = 0;
        s.compensatorReading = 100;
        return -1;
    }
    s.compensatorReading = r;
    s.coldJunctionTemp = ElToGradCJ(0, r, 0);
    const QSignalBlocker b(ebCompensVal);
    ebCompensVal->setText(FixedText(s.coldJunctionTemp, 1));
    ebCompensVal->setPalette(palette());
    return 0;
}

float TFrameSensor::ElToPhys(float x)
{
    const SensorSetup& s = m_setup;
    if (!IsFinite(x)) return MissingValue();
    if (s.scaling) {
        if (s.role == Role::Source) return Frame_std_Iout_tune1->CurrentToPhys(x);
        return ScaleLinear(x, s.elMin, s.elMax, s.physMin, s.physMax);
    }
    if (s.isUnified) return x;
    if (s.isHart) return s.hartPv;
    if (s.role == Role::Source) return Frame_std_Iout_tune1->CurrentToPhys(x);
    return ElToGradCJ(s.code, x, s.coldJunctionTemp);
}

float TFrameSensor::PhysToEl(float x)
{
    const SensorSetup& s = m_setup;
    float r = MissingValue();
    if (s.scaling)
        r = ScaleLinear(x, s.physMin, s.physMax, s.elMin, s.elMax);
    else if (s.isUnified)
        r = x;
    else if (s.isRtd || s.isThermocouple)
        r = GradToElCJ(s.code, x, s.coldJunctionTemp);
    m_setup.lastSetpoint = r;
    return r;
}

float TFrameSensor::ElToGradCJ(int code, float e, float tcj) const
{
    if (!IsFinite(e) || !m_lib.Usable()) return MissingValue();
    if (code < 7) return m_lib.ElToGrad(code, e);
    float ecj = 0;
    if (IsFinite(tcj)) {
        ecj = m_lib.GradToEl(code, tcj);
        if (!IsFinite(ecj)) return MissingValue();
    }
    return m_lib.ElToGrad(code, float(double(e) + double(ecj)));
}

float TFrameSensor::GradToElCJ(int code, float t, float tcj) const
{
    if (!IsFinite(t) || !m_lib.Usable()) return MissingValue();
    if (code < 7) return m_lib.GradToEl(code, t);
    float ecj = 0;
    if (IsFinite(tcj)) {
        ecj = m_lib.GradToEl(code, tcj);
        if (!IsFinite(ecj)) return MissingValue();
    }
    const float e = m_lib.GradToEl(code, t);
    return IsFinite(e) ? float(double(e) - double(ecj)) : MissingValue();
}

float TFrameSensor::OhmPerDegree(int code, float t) const
{
    return IsFinite(t) ? m_lib.OhmPerDegree(code, t) : MissingValue();
}
float TFrameSensor::MvPerDegree(int code, float t) const
{
    return IsFinite(t) ? m_lib.MvPerDegree(code, t) : MissingValue();
}

int TFrameSensor::GetClassRange(float* min, float* max, int cls) const
{
    if (!m_setup.isRtd && !m_setup.isThermocouple) return -1;
    return m_lib.DiapByClass(m_setup.code, cls, min, max) == 0 ? 0 : -1;
}

int TFrameSensor::GetTolerance(float value, float* tolerance) const
{
    return GetToleranceForClass(tolerance, m_setup.toleranceClass, value);
}

int TFrameSensor::GetToleranceForClass(float* tolerance, int cls, float value) const
{
    if (!IsFinite(value) || !tolerance || !m_lib.Usable() || (!m_setup.isRtd && !m_setup.isThermocouple))
        return -1;
    return m_lib.Tolerance(m_setup.code, value, cls, tolerance) == 0 ? 0 : -1;
}

void TFrameSensor::btnSeachHARTdevicesClick()
{
    if (!m_link) return;
    m_search = std::make_unique<hart::HartSearch>(*m_link, m_hart, m_device, *m_searchTimer);
    m_search->onStarted = [this] {
        btnSeachHARTdevices->setEnabled(false);
        btnSeachHARTdevices->lower();
        ProgressBar_Seach->show();
        Label_EtlHARTname->clear();
        Label_HART_diap->clear();
    };
    m_search->onProgress = [this](int a) { ProgressBar_Seach->setValue(a); };
    m_search->onName = [this](const QString& name) {
        if (!name.isEmpty()) Label_EtlHARTname->setText(name);
    };
    m_search->onFound = [this](bool rangeRead) {
        if (rangeRead) {
            // the factor follows the unit code: the unit texts of the HART tables are not the
            // texts of the program's unit list ("Бар" is not "бар")
            SensorSetup& s = m_setup;
            s.hartRangeMin = s.rangeMin = m_device.lowerRange;
            s.hartRangeMax = s.rangeMax = m_device.upperRange;
            s.hartUnit = m_device.unit;
            s.physUnit = s.hartUnit.isEmpty() ? QStringLiteral(" ") : s.hartUnit;
            s.hartUnitFactor = s.unitFactor = HartUnitFactor(m_device.unitCode);
            Label_HART_diap->setText(CompactText(m_device.lowerRange) + QStringLiteral(" ... ") +
                                     CompactText(m_device.upperRange) + QLatin1Char(' ') + m_setup.physUnit);
        }
        if (onChange) onChange(this);
    };
    m_search->onEnded = [this] { EndSearchUi(); };
    m_search->Start();
}

void TFrameSensor::btnStopSeachHARTdevicesClick()
{
    if (m_search)
        m_search->Stop();
    else
        EndSearchUi();
}

void TFrameSensor::EndSearchUi()
{
    btnSeachHARTdevices->setEnabled(true);
    btnSeachHARTdevices->raise();
    ProgressBar_Seach->hide();
    ProgressBar_Seach->setValue(0);
}

} // namespace sensors
