#include "device/gradframe.h"

#include "device/framekit.h"
#include "link/controls.h"
#include "link/pagehost.h"
#include "platform/cp1251.h"
#include "platform/messages.h"
#include "platform/messageservice.h"
#include "sensors/fieldchecks.h"
#include "sensors/numbers.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

using namespace devlink;

namespace device {
namespace {

QLineEdit* NumericEdit(const char* name, QWidget* parent, const char* hint = nullptr)
{
    auto* e = Named(new QLineEdit(parent), name);
    sensors::InstallNumericKeyFilter(e);
    if (hint) e->setToolTip(QString::fromUtf8(hint));
    return e;
}

QPushButton* Button(const char* name, const char* text, QWidget* parent, const char* hint = nullptr)
{
    auto* b = Named(new QPushButton(QString::fromUtf8(text), parent), name);
    if (hint) b->setToolTip(QString::fromUtf8(hint));
    return b;
}

void Inform(const QString& text)
{
    platform::Messages().Show(platform::MessageService::Kind::Information, QString(), text);
}

void Fail(const QString& text)
{
    platform::Messages().Show(platform::MessageService::Kind::Error, QStringLiteral("Ошибка"), text);
}

} // namespace

TFrameGrad::TFrameGrad(IPageHost* host, QWidget* parent)
    : TDeviceFrame(host, parent), m_meas(host ? host->Link() : nullptr), m_backupDir(CalibrationBackupDir())
{
    GradModes = Named(new QTabWidget(this), "GradModes");

    // emulation (output) channels
    auto* emul = Named(new QWidget(GradModes), "TabSheet_Emulation");
    EmulationTabs = Named(new QTabBar(emul), "EmulationTabs");
    for (const EmulChannel& c : kEmulChannels)
        EmulationTabs->addTab(QString::fromUtf8(c.caption));
    const char* actual = "Введите фактическое значение эмулируемого сигнала";
    const char* write = "Записать в прибор калибровочное значение";
    CEMinValue = NumericEdit("CEMinValue", emul, actual);
    CEMaxValue = NumericEdit("CEMaxValue", emul, actual);
    SetMin = Button("SetMin", "   Установить минимальное значение", emul);
    SetMax = Button("SetMax", "   Установить максимальное значение", emul);
    WriteMin = Button("WriteMin", "   Записать", emul, write);
    WriteMax = Button("WriteMax", "   Записать", emul, write);
    CEShift = NumericEdit("CEShift", emul, "Введите смещение эмулируемого сигнала (смещение нуля)");
    WriteShiftEmul = Button("WriteShiftEmul", "   Записать", emul, write);
    Edit1_EmulValue = NumericEdit("Edit1_EmulValue", emul);
    BtnEmulValue = Button("BtnEmulValue", "Эмуляция", emul, "Начать эмуляцию сигнала с указанным значением");
    auto* eg = new QGridLayout;
    eg->addWidget(SetMin, 0, 0);
    eg->addWidget(Caption("Label_CEMin", "Фактическое значение :", emul), 0, 1);
    eg->addWidget(CEMinValue, 0, 2);
    eg->addWidget(WriteMin, 0, 3);
    eg->addWidget(SetMax, 1, 0);
    eg->addWidget(Caption("Label_CEMax", "Фактическое значение :", emul), 1, 1);
    eg->addWidget(CEMaxValue, 1, 2);
    eg->addWidget(WriteMax, 1, 3);
    eg->addWidget(Caption("Label_CEShift", "Смещение :", emul), 2, 1);
    eg->addWidget(CEShift, 2, 2);
    eg->addWidget(WriteShiftEmul, 2, 3);
    eg->addWidget(Caption("Label_EmulValue", "Проверка эмуляции :", emul), 3, 1);
    eg->addWidget(Edit1_EmulValue, 3, 2);
    eg->addWidget(BtnEmulValue, 3, 3);
    auto* el = new QVBoxLayout(emul);
    el->addWidget(EmulationTabs);
    el->addLayout(eg);
    el->addStretch();
    GradModes->addTab(emul, QStringLiteral("   Эмуляция   "));

    // measuring (input) channels
    auto* meas = Named(new QWidget(GradModes), "TabSheet_Measurement");
    MeasurementTabs = Named(new QTabBar(meas), "MeasurementTabs");
    for (const MeasChannel& c : kMeasChannels)
        MeasurementTabs->addTab(QString::fromUtf8(c.caption));
    Label2 = Caption("Label2", "Образцовое значение:", meas);
    CMSampleValue = NumericEdit("CMSampleValue", meas);
    CMMeasuredValue = Named(new QLineEdit(meas), "CMMeasuredValue");
    CMMeasuredValue->setReadOnly(true);
    Label10 = Caption("Label10", "Калибровочный коэффициент :", meas);
    EditDavCalib = Named(new QLineEdit(meas), "EditDavCalib");
    EditDavCalib->setReadOnly(true);
    Label58 = Caption("Label58", "Рассчитанный калибровочный коэффициент:", meas);
    CMCalibFactor = NumericEdit("CMCalibFactor", meas);
    EditMeasShift = NumericEdit("EditMeasShift", meas);
    CSpinEdit_cAvarges = Named(new QSpinBox(meas), "CSpinEdit_cAvarges");
    CSpinEdit_cAvarges->setRange(1, 99);
    CSpinEdit_cAvarges->setValue(10);
    ReadMeas = Button("ReadMeas", " Начать измерение", meas);
    btnStop = Button("btnStop", "   Стоп", meas);
    btnStop->hide();
    WriteRef = Button("WriteRef", "   Записать", meas, write);
    WriteShiftMeas = Button("WriteShiftMeas", "   Записать", meas, write);
    BitBtn_ReadDavCalib = Button("BitBtn_ReadDavCalib", "   Считать", meas);
    BitBtn1 = Button("BitBtn1", "   Считать", meas);
    auto* mg = new QGridLayout;
    mg->addWidget(Label2, 0, 0);
    mg->addWidget(CMSampleValue, 0, 1);
    mg->addWidget(Caption("Label_Measured", "Измеренное значение:", meas), 1, 0);
    mg->addWidget(CMMeasuredValue, 1, 1);
    mg->addWidget(Label10, 2, 0);
    mg->addWidget(EditDavCalib, 2, 1);
    mg->addWidget(BitBtn_ReadDavCalib, 2, 2);
    mg->addWidget(Label58, 3, 0);
    mg->addWidget(CMCalibFactor, 3, 1);
    mg->addWidget(WriteRef, 3, 2);
    mg->addWidget(Caption("Label_Shift", "Смещение :", meas), 4, 0);
    mg->addWidget(EditMeasShift, 4, 1);
    mg->addWidget(BitBtn1, 4, 2);
    mg->addWidget(WriteShiftMeas, 4, 3);
    mg->addWidget(Caption("Label_Averages", "Число усреднений :", meas), 5, 0);
    mg->addWidget(CSpinEdit_cAvarges, 5, 1);
    auto* run = new QHBoxLayout;
    run->addWidget(ReadMeas);
    run->addWidget(btnStop);
    run->addStretch();
    auto* ml = new QVBoxLayout(meas);
    ml->addWidget(MeasurementTabs);
    ml->addLayout(mg);
    ml->addLayout(run);
    ml->addStretch();
    GradModes->addTab(meas, QStringLiteral("   Измерение   "));

    TimerMeas = Named(new QTimer(this), "TimerMeas");
    TimerMeas->setInterval(500);

    BitBtn_Save = Button("BitBtn_Save", "Сохранить в файл", this,
                         "Сохранить все калибровочные значения прибора в файл");
    BitBtn_Load = Button("BitBtn_Load", "Загрузить из файла", this,
                         "Записать в прибор калибровочные значения из файла");
    auto* files = new QHBoxLayout;
    files->addWidget(BitBtn_Save);
    files->addWidget(BitBtn_Load);
    files->addStretch();
    auto* top = new QVBoxLayout(this);
    top->addWidget(GradModes);
    top->addLayout(files);

    connect(GradModes, &QTabWidget::currentChanged, this, [this] { GradModesChange(); });
    connect(EmulationTabs, &QTabBar::currentChanged, this, [this] { Refresh(); });
    connect(MeasurementTabs, &QTabBar::currentChanged, this, [this] { MeasurementTabsChange(); });
    connect(SetMin, &QPushButton::clicked, this, [this] { SetMinClick(); });
    connect(SetMax, &QPushButton::clicked, this, [this] { SetMaxClick(); });
    connect(WriteMin, &QPushButton::clicked, this, [this] { WriteMinClick(); });
    connect(WriteMax, &QPushButton::clicked, this, [this] { WriteMaxClick(); });
    connect(WriteShiftEmul, &QPushButton::clicked, this, [this] { WriteShiftEmulClick(); });
    connect(BtnEmulValue, &QPushButton::clicked, this, [this] { BtnEmulValueClick(); });
    connect(ReadMeas, &QPushButton::clicked, this, [this] { ReadMeasClick(); });
    connect(btnStop, &QPushButton::clicked, this, [this] { btnStopClick(); });
    connect(TimerMeas, &QTimer::timeout, this, [this] { TimerMeasTimer(); });
    connect(WriteRef, &QPushButton::clicked, this, [this] { WriteRefClick(); });
    connect(WriteShiftMeas, &QPushButton::clicked, this, [this] { WriteShiftMeasClick(); });
    connect(BitBtn_ReadDavCalib, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Refresh(); });
    connect(CMSampleValue, &QLineEdit::textChanged, this, [this] {
        if (Up()) RecomputeFactor();
    });
    connect(BitBtn_Save, &QPushButton::clicked, this, [this] { BitBtn_SaveClick(); });
    connect(BitBtn_Load, &QPushButton::clicked, this, [this] { BitBtn_LoadClick(); });

    SetLinkUp(LinkUp());
}

bool TFrameGrad::Up() const
{
    return Host() && Host()->Link() && Host()->IsConnected();
}

const EmulChannel& TFrameGrad::Emul() const
{
    return kEmulChannels[std::clamp(EmulationTabs->currentIndex(), 0, 4)];
}

int TFrameGrad::MeasTab() const
{
    return std::clamp(MeasurementTabs->currentIndex(), 0, 4);
}

void TFrameGrad::SetLinkUp(bool up)
{
    TDeviceFrame::SetLinkUp(up);
    for (QWidget* w : std::initializer_list<QWidget*>{
             SetMin, SetMax, WriteMin, WriteMax, WriteShiftEmul, BtnEmulValue, BitBtn_ReadDavCalib, BitBtn1,
             WriteShiftMeas, ReadMeas, WriteRef, EmulationTabs, MeasurementTabs, BitBtn_Save, BitBtn_Load})
        w->setEnabled(up);
    // a lost link ends measuring at once, without an exchange
    if (!up) StopMeasuring(false);
}

void TFrameGrad::StopWork()
{
    StopMeasuring(Up() && m_meas.Measuring());
}

void TFrameGrad::showEvent(QShowEvent* e)
{
    TDeviceFrame::showEvent(e);
    // the page turned current; its refresh may show a box, so it runs after the tab change
    if (!e->spontaneous()) QTimer::singleShot(0, this, [this] { PageEntered(); });
}

void TFrameGrad::PageEntered()
{
    if (Up() && !m_meas.Measuring()) Refresh();
}

void TFrameGrad::Refresh()
{
    if (!Up() || m_refreshing) return;
    m_refreshing = true;
    TInterface* link = Host()->Link();
    if (GradModes->currentIndex() == 0) {
        const EmulChannel& c = Emul();
        CEMinValue->clear();
        CEMaxValue->clear();
        CEShift->clear();
        int r = ReadRegisterToControl(*link, c.low, CEMinValue);
        if (r == 0) r = ReadRegisterToControl(*link, c.high, CEMaxValue);
        if (r == 0) r = ReadRegisterToControl(*link, c.shift, CEShift);
        m_refreshing = false;
        if (r != 0) Host()->NoLinkMessage();
        return;
    }
    const MeasChannel& c = kMeasChannels[MeasTab()];
    // a reading or a factor of another channel (or of a project) must never be written here
    CMMeasuredValue->clear();
    CMCalibFactor->clear();
    EditDavCalib->clear();
    EditMeasShift->clear();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    int r = 0;
    if (Up() && c.factor >= 0) r = ReadRegisterToControl(*link, c.factor, EditDavCalib);
    if (Up() && r == 0) ReadRegisterToControl(*link, c.shift, EditMeasShift);
    m_refreshing = false;
}

void TFrameGrad::GradModesChange()
{
    StopMeasuring(false);
    CMMeasuredValue->clear();
    CMCalibFactor->clear();
    if (!Up()) return;
    Host()->Link()->WriteRegisterInt(MeasMode, MeasStop);
    Refresh();
}

void TFrameGrad::MeasurementTabsChange()
{
    // the new channel's factor must come from its own reading: measuring stops
    StopMeasuring(Up() && m_meas.Measuring());
    const bool factor = MeasTab() != kCompensatorTab;
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, Label10, Label58, CMSampleValue, EditDavCalib,
                                                      CMCalibFactor, BitBtn_ReadDavCalib, WriteRef})
        w->setVisible(factor);
    CMMeasuredValue->clear();
    CMCalibFactor->clear();
    Refresh();
}

void TFrameGrad::StopMeasuring(bool tellDevice)
{
    TimerMeas->stop();
    btnStop->hide();
    ReadMeas->show();
    m_meas.Stop(tellDevice);
}

void TFrameGrad::SetMinClick()
{
    if (Up()) Host()->Link()->WriteRegisterInt(CalibEmulMin, Emul().code);
}

void TFrameGrad::SetMaxClick()
{
    if (Up()) Host()->Link()->WriteRegisterInt(CalibEmulMax, Emul().code);
}

bool TFrameGrad::Writable(QLineEdit* edit)
{
    if (TInterface::TextToReal(edit->text(), nullptr)) return true;
    sensors::FlashAndFocus(edit);
    return false;
}

void TFrameGrad::WriteMinClick()
{
    WriteEmulPoint(Emul().low, CEMinValue);
}

void TFrameGrad::WriteMaxClick()
{
    WriteEmulPoint(Emul().high, CEMaxValue);
}

void TFrameGrad::WriteEmulPoint(int reg, QLineEdit* edit)
{
    if (!Up() || !Writable(edit) || !EnsureBackup()) return;
    TInterface* link = Host()->Link();
    WriteRegisterFromEdit(*link, reg, edit); // a refused value is read back below
    if (!Up()) return;
    link->WriteRegisterInt(CommitData, kCommitCalibration);
    if (!Up()) return;
    edit->clear();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (Up()) ReadRegisterToControl(*link, reg, edit);
}

void TFrameGrad::WriteShiftEmulClick()
{
    if (!Up() || !Writable(CEShift) || !EnsureBackup()) return;
    TInterface* link = Host()->Link();
    const int reg = Emul().shift;
    if (WriteRegisterFromEdit(*link, reg, CEShift) != 0) return;
    CEShift->clear();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!Up()) return;
    link->WriteRegisterInt(CommitData, kCommitCalibration);
    if (Up()) ReadRegisterToControl(*link, reg, CEShift);
}

void TFrameGrad::BtnEmulValueClick()
{
    if (!Up() || !Writable(Edit1_EmulValue)) return;
    TInterface* link = Host()->Link();
    const int kind = Emul().emulKind;
    if (link->WriteRegisterFromText(EmulSignalKind, QString::number(kind)) == 0)
        WriteRegisterFromEdit(*link, EmulValue, Edit1_EmulValue);
}

void TFrameGrad::ReadMeasClick()
{
    if (!Up() || m_meas.Measuring()) return;
    Refresh();
    if (!Up()) return;
    m_meas.SetLink(Host()->Link());
    if (m_meas.Start(MeasTab(), CSpinEdit_cAvarges->value()) != 0) return;
    TimerMeas->start();
    btnStop->show();
    ReadMeas->hide();
}

void TFrameGrad::btnStopClick()
{
    StopMeasuring(Up());
}

void TFrameGrad::TimerMeasTimer()
{
    if (!m_meas.Measuring() || !Up()) {
        StopMeasuring(false);
        return;
    }
    if (m_ticking) return;
    m_ticking = true;
    const CalibrationMeasurement::Reading r = m_meas.Tick();
    if (r.result == -4) {
        CMMeasuredValue->setText(QString::fromUtf16(sensors::kMissingText));
    } else if (r.result == 0) {
        CMMeasuredValue->setText(r.text);
        if (m_meas.Channel() == kCompensatorTab)
            EditMeasShift->setText(ProposedShift(r.value));
        else
            RecomputeFactor();
    }
    m_ticking = false;
}

void TFrameGrad::RecomputeFactor()
{
    if (const auto f = CalibFactor(CMSampleValue->text(), EditDavCalib->text(), CMMeasuredValue->text()))
        CMCalibFactor->setText(CalibFactorText(*f));
}

void TFrameGrad::WriteRefClick()
{
    const int tab = MeasTab();
    if (!Up() || tab == kCompensatorTab || !Writable(CMCalibFactor) || !EnsureBackup()) return;
    TInterface* link = Host()->Link();
    const int reg = kMeasChannels[tab].factor;
    if (WriteRegisterFromEdit(*link, reg, CMCalibFactor) != 0 || !Up()) return;
    if (ReadRegisterToControl(*link, reg, EditDavCalib) == 0 && Up())
        link->WriteRegisterInt(CommitData, kCommitCalibration);
}

void TFrameGrad::WriteShiftMeasClick()
{
    const int tab = MeasTab();
    if (!Up() || !Writable(EditMeasShift)) return;
    // the text asked about is the text written, whatever a tick puts into the field meanwhile
    const QString shift = EditMeasShift->text().trimmed();
    float v = 0;
    TInterface::TextToReal(shift, &v);
    if (tab == kCompensatorTab && std::fabs(v) > kPlausibleCompensatorShift &&
        !platform::Messages().Ask(
            QString(),
            platform::FormatMessage(
                QStringLiteral("Смещение %s выглядит неправдоподобно. Записать в прибор?"), shift)))
        return;
    if (!Up() || !EnsureBackup()) return;
    TInterface* link = Host()->Link();
    if (link->WriteRegisterFromText(kMeasChannels[tab].shift, shift) == 0 && Up())
        link->WriteRegisterInt(CommitData, kCommitCalibration);
}

bool TFrameGrad::EnsureBackup()
{
    TInterface* link = Host()->Link();
    const QString serial = platform::FromCp1251(std::string_view(link->DeviceSerialNumber()));
    if (m_backedUp.contains(serial)) return true;
    CalibrationBackup backup;
    const int r = ReadCalibration(*link, &backup);
    if (!Up()) return false; // the link-lost reaction has told the user
    QString error;
    const QString path = r == 0 ? SaveCalibrationBackup(backup, m_backupDir, &error) : QString();
    if (path.isEmpty()) {
        const QString why = r == 0 ? error : QStringLiteral("калибровка не считана");
        if (!platform::Messages().Ask(QString(),
                                      QStringLiteral("Не удалось сохранить резервную копию калибровки (") +
                                          why + QStringLiteral("). Записать в прибор без неё?")))
            return false;
    }
    m_backedUp.insert(serial);
    return Up();
}

void TFrameGrad::BitBtn_SaveClick()
{
    if (!Up()) return;
    CalibrationBackup backup;
    if (ReadCalibration(*Host()->Link(), &backup) != 0) {
        if (Up()) Host()->NoLinkMessage();
        return;
    }
    QString error;
    const QString path = SaveCalibrationBackup(backup, m_backupDir, &error);
    if (path.isEmpty()) {
        platform::ErrorMessageFmt(1, m_backupDir);
        return;
    }
    m_backedUp.insert(backup.serial);
    Inform(QStringLiteral("Калибровка сохранена в файл\n") + path);
}

void TFrameGrad::BitBtn_LoadClick()
{
    if (!Up()) return;
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Загрузить калибровку"), m_backupDir,
                                     QStringLiteral("Калибровка ЛОРИК (*.ini)"));
    if (!path.isEmpty()) LoadCalibrationFile(path);
}

void TFrameGrad::LoadCalibrationFile(const QString& path)
{
    if (!Up()) return;
    CalibrationBackup backup;
    QString error;
    if (!LoadCalibrationBackup(path, &backup, &error)) {
        Fail(QStringLiteral("Файл калибровки повреждён: ") + error);
        return;
    }
    TInterface* link = Host()->Link();
    const QString serial = platform::FromCp1251(std::string_view(link->DeviceSerialNumber()));
    const QString question = backup.serial == serial
                                 ? QStringLiteral("Записать в прибор калибровку из файла от %1?")
                                       .arg(backup.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm")))
                                 : QStringLiteral("Калибровка в файле снята с ЛОРИК зав.№ %1, подключён "
                                                  "ЛОРИК зав.№ %2.\nЗаписать её в этот прибор?")
                                       .arg(backup.serial, serial);
    if (!platform::Messages().Ask(QString(), question)) return;
    if (!Up() || !EnsureBackup()) return;
    const int r = WriteCalibration(*link, backup);
    if (!Up()) return;
    std::vector<int> differing;
    const int v = r == 0 ? VerifyCalibration(*link, backup, &differing) : r;
    if (!Up()) return;
    Refresh();
    if (r != 0) {
        Fail(QStringLiteral("Калибровка записана не полностью: прибор отказал (ошибка %1).")
                 .arg(link->DeviceErrorCode()));
    } else if (v != 0 || !differing.empty()) {
        QStringList regs;
        for (int reg : differing)
            regs << QString::number(reg);
        Fail(QStringLiteral("Калибровка записана, но не совпадают регистры: ") +
             regs.join(QStringLiteral(", ")));
    } else {
        Inform(QStringLiteral("Калибровка из файла записана в прибор и проверена."));
    }
}

} // namespace device
