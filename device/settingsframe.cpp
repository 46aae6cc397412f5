#include "device/settingsframe.h"

#include "device/configuration.h"
#include "device/framekit.h"
#include "link/controls.h"
#include "link/pagehost.h"
#include "platform/cp1251.h"
#include "sensors/fieldchecks.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

using namespace devlink;

namespace device {
namespace {

// Enables or disables every control inside `container`, recursively through plain containers;
// labels are left as they are, and nothing inside a control is touched.
void EnableWindowed(QWidget* container, bool on)
{
    for (QWidget* w : container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QLabel*>(w)) continue;
        w->setEnabled(on);
        const QMetaObject* mo = w->metaObject();
        if (mo == &QGroupBox::staticMetaObject || mo == &QFrame::staticMetaObject ||
            mo == &QWidget::staticMetaObject)
            EnableWindowed(w, on);
    }
}

} // namespace

TFrameSettingsLorik::TFrameSettingsLorik(IPageHost* host, QWidget* parent)
    : TDeviceFrame(host, parent), m_pcClock(SystemPcTime)
{
    GroupBox11 = Named(new QGroupBox(QStringLiteral(" Настройки ЛОРИК "), this), "GroupBox11");
    CSpinEdit2 = Named(new QSpinBox(GroupBox11), "CSpinEdit2");
    CSpinEdit2->setRange(1, 99);
    CSpinEdit3 = Named(new QSpinBox(GroupBox11), "CSpinEdit3");
    CSpinEdit3->setRange(0, 4);
    Bright = Named(new QSlider(Qt::Vertical, GroupBox11), "Bright");
    Bright->setRange(1, 100);
    Bright->setTickInterval(20);
    Bright->setTickPosition(QSlider::TicksBothSides);
    cbLCDoffTime = Named(new QComboBox(GroupBox11), "cbLCDoffTime");
    for (const char* item : {"5 сек.", "30 сек.", "1 мин.", "5 мин.", "никогда"})
        cbLCDoffTime->addItem(QString::fromUtf8(item));
    cbLCDoffTime->setCurrentIndex(-1);
    AutoOff = Named(new QComboBox(GroupBox11), "AutoOff");
    for (const char* item : {"5 мин.", "30 мин.", "1 час", "никогда"})
        AutoOff->addItem(QString::fromUtf8(item));
    AutoOff->setCurrentIndex(-1);
    Buzzer = Named(new QCheckBox(QStringLiteral("Звуковой сигнал"), GroupBox11), "Buzzer");
    Cursor = Named(new QCheckBox(QStringLiteral("Указатель курсора"), GroupBox11), "Cursor");
    Label_Ubatt = Named(new QLabel(QStringLiteral("-.--"), GroupBox11), "Label_Ubatt");
    auto* g = new QGridLayout(GroupBox11);
    g->addWidget(Caption("Label_Averaging", "Количество усреднений:", GroupBox11), 0, 0);
    g->addWidget(CSpinEdit2, 0, 1);
    g->addWidget(Caption("Label_Decimals", "Количество знаков после запятой:", GroupBox11), 1, 0);
    g->addWidget(CSpinEdit3, 1, 1);
    g->addWidget(Caption("Label_LCDoffTime", "Затемнение подсветки экрана :", GroupBox11), 2, 0);
    g->addWidget(cbLCDoffTime, 2, 1);
    g->addWidget(Caption("Label_AutoOff", "Автовыключение прибора :", GroupBox11), 3, 0);
    g->addWidget(AutoOff, 3, 1);
    g->addWidget(Buzzer, 4, 0, 1, 2);
    g->addWidget(Cursor, 5, 0, 1, 2);
    auto* battery = new QHBoxLayout;
    battery->addWidget(Caption("Label_Battery", "Напряжение батареи :", GroupBox11));
    battery->addWidget(Label_Ubatt);
    battery->addWidget(Caption("Label_Volt", "вольт", GroupBox11));
    battery->addStretch();
    g->addLayout(battery, 6, 0, 1, 2);
    g->addWidget(Caption("Label_Bright", "Яркость, %", GroupBox11), 0, 2);
    g->addWidget(Bright, 1, 2, 6, 1);

    GroupBox_CPU = Named(new QGroupBox(QStringLiteral("Загрузка CPU"), this), "GroupBox_CPU");
    ProgressBar_CPUload = Named(new QProgressBar(GroupBox_CPU), "ProgressBar_CPUload");
    ProgressBar_CPUload->setRange(0, 100);
    ProgressBar_CPUload->setValue(0);
    Label_CPU_Load = Named(new QLabel(QStringLiteral("---"), GroupBox_CPU), "Label_CPU_Load");
    auto* cpu = new QHBoxLayout(GroupBox_CPU);
    cpu->addWidget(ProgressBar_CPUload);
    cpu->addWidget(Label_CPU_Load);
    GroupBox_CPU->setVisible(host && host->DebugMode());

    GroupBox_Serial = Named(new QGroupBox(QStringLiteral(" Серийный номер "), this), "GroupBox_Serial");
    Edit_Serial = Named(new QLineEdit(GroupBox_Serial), "Edit_Serial");
    WriteSerialNo = Named(new QPushButton(QStringLiteral("Записать"), GroupBox_Serial), "WriteSerialNo");
    auto* serial = new QHBoxLayout(GroupBox_Serial);
    serial->addWidget(Edit_Serial);
    serial->addWidget(WriteSerialNo);

    gbDateTime = Named(new QGroupBox(QStringLiteral("Дата и время"), this), "gbDateTime");
    lab_DeltaTime = Named(new QLabel(gbDateTime), "lab_DeltaTime");
    Label_DT_now = Named(new QLabel(gbDateTime), "Label_DT_now");
    btnReadDT = Named(new QPushButton(QStringLiteral("считать"), gbDateTime), "btnReadDT");
    WriteSystemDT =
        Named(new QPushButton(QStringLiteral("Синхронизировать c ПК"), gbDateTime), "WriteSystemDT");
    WriteSystemDT->setToolTip(
        QStringLiteral("Установить текущие значения даты и времени, установленных в Вашей системе"));
    auto* dt = new QGridLayout(gbDateTime);
    dt->addWidget(Caption("Label_DT_lorik", "в ЛОРИК :", gbDateTime), 0, 0);
    dt->addWidget(lab_DeltaTime, 0, 1);
    dt->addWidget(btnReadDT, 0, 2);
    dt->addWidget(Caption("Label_DT_pc", "Cистемное ПК :", gbDateTime), 1, 0);
    dt->addWidget(Label_DT_now, 1, 1);
    dt->addWidget(WriteSystemDT, 1, 2);

    ReadConf = Named(new QPushButton(QStringLiteral("   Считать"), this), "ReadConf");
    WriteConf = Named(new QPushButton(QStringLiteral("   Записать"), this), "WriteConf");

    GroupBox_SendDebug = Named(new QGroupBox(QStringLiteral("Отладка"), this), "GroupBox_SendDebug");
    CheckBox1_sendDebug =
        Named(new QCheckBox(QStringLiteral("в порт"), GroupBox_SendDebug), "CheckBox1_sendDebug");
    (new QHBoxLayout(GroupBox_SendDebug))->addWidget(CheckBox1_sendDebug);
    GroupBox_SendDebug->hide();

    TimerDataTimesys = Named(new QTimer(this), "TimerDataTimesys");
    TimerDataTimesys->setInterval(1000);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ReadConf);
    buttons->addWidget(WriteConf);
    buttons->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(gbDateTime);
    right->addWidget(GroupBox_Serial);
    right->addWidget(GroupBox_CPU);
    right->addWidget(GroupBox_SendDebug);
    right->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(GroupBox11);
    left->addLayout(buttons);
    left->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(right);

    connect(ReadConf, &QPushButton::clicked, this, [this] { ReadConfClick(); });
    connect(WriteConf, &QPushButton::clicked, this, [this] { WriteConfClick(); });
    connect(btnReadDT, &QPushButton::clicked, this, [this] { btnReadDTClick(); });
    connect(WriteSystemDT, &QPushButton::clicked, this, [this] { WriteSystemDTClick(); });
    connect(WriteSerialNo, &QPushButton::clicked, this, [this] { WriteSerialNoClick(); });
    connect(CheckBox1_sendDebug, &QCheckBox::clicked, this, [this] { CheckBox1_sendDebugClick(); });
    connect(TimerDataTimesys, &QTimer::timeout, this, [this] { TimerDataTimesysTimer(); });

    SetLinkUp(LinkUp());
    TimerDataTimesysTimer();
    TimerDataTimesys->start();
}

bool TFrameSettingsLorik::Up() const
{
    return Host() && Host()->Link() && Host()->IsConnected();
}

void TFrameSettingsLorik::SetPcClock(PcClock clock)
{
    m_pcClock = clock ? std::move(clock) : PcClock(SystemPcTime);
    TimerDataTimesysTimer();
}

void TFrameSettingsLorik::SetLinkUp(bool up)
{
    TDeviceFrame::SetLinkUp(up);
    EnableWindowed(gbDateTime, up);
    if (!up) EnableWindowed(GroupBox11, false); // until the configuration is read again
    ReadConf->setEnabled(up);
    WriteConf->setEnabled(false);
    if (up && Host() && Host()->Link())
        Edit_Serial->setText(platform::FromCp1251(std::string_view(Host()->Link()->DeviceSerialNumber())));
    const bool serial = up && Host() && Host()->AdminMode();
    Edit_Serial->setEnabled(serial);
    WriteSerialNo->setEnabled(serial);
}

void TFrameSettingsLorik::ReadConfClick()
{
    if (!Up() || m_busy) return;
    m_busy = true;
    ReadConf->setEnabled(false);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    TInterface* link = Host()->Link();
    int autoOff = 0, bright = 0, backlight = 0;
    bool all = Up();
    for (const ConfigRegister& c : kConfigReadOrder) {
        if (!all) break;
        int r = 0;
        switch (c.reg) {
        case AveragingCount:
            r = ReadRegisterToControl(*link, c.reg, CSpinEdit2);
            break;
        case DecimalPlaces:
            r = ReadRegisterToControl(*link, c.reg, CSpinEdit3);
            break;
        case BuzzerOn:
            r = ReadRegisterToControl(*link, c.reg, Buzzer);
            break;
        case AutoOffTime:
            r = link->ReadRegisterInt(c.reg, &autoOff);
            break;
        case Brightness:
            r = link->ReadRegisterInt(c.reg, &bright);
            break;
        case CursorShown:
            r = ReadRegisterToControl(*link, c.reg, Cursor);
            break;
        case SerialNumber:
            r = ReadRegisterToControl(*link, c.reg, Edit_Serial);
            break;
        case BacklightOffTime:
            r = link->ReadRegisterInt(c.reg, &backlight);
            break;
        case BatteryVoltage:
            r = ReadRegisterToControl(*link, c.reg, Label_Ubatt);
            break;
        default:
            break;
        }
        all = r == 0;
    }
    if (all) {
        Bright->setValue(BrightnessPosition(bright));
        AutoOff->setCurrentIndex(AutoOffItem(autoOff));
        if (const int item = BacklightItem(backlight); item >= 0) cbLCDoffTime->setCurrentIndex(item);
        ReadClockShow();
        if (Host()->DebugMode() && Up()) ReadCpuLoad();
    }
    m_busy = false;
    // after a link loss the page stays as the loss left it: nothing more is sent or enabled
    if (!Up()) return;
    ReadConf->setEnabled(true);
    WriteConf->setEnabled(true);
    EnableWindowed(GroupBox11, true);
    ReadClockShow();
}

void TFrameSettingsLorik::WriteConfClick()
{
    if (!Up() || m_busy) return;
    m_busy = true;
    WriteConf->setEnabled(false);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{m_busy};
    TInterface* link = Host()->Link();
    for (const ConfigRegister& c : kConfigWriteOrder) {
        if (!Up()) return;
        int r = 0;
        switch (c.reg) {
        case AveragingCount:
            r = WriteRegisterFromControl(*link, c.reg, CSpinEdit2);
            break;
        case DecimalPlaces:
            r = WriteRegisterFromControl(*link, c.reg, CSpinEdit3);
            break;
        case CursorShown:
            r = WriteRegisterFromControl(*link, c.reg, Cursor);
            break;
        case BuzzerOn:
            r = WriteRegisterFromControl(*link, c.reg, Buzzer);
            break;
        case BacklightOffTime:
            // the instrument may refuse a value: that alone does not stop the write
            if (const int i = cbLCDoffTime->currentIndex(); i >= 0 && i < 5)
                link->WriteRegisterInt(c.reg, kBacklightSeconds[i]);
            break;
        case Brightness:
            r = link->WriteRegisterInt(c.reg, BrightnessRegister(Bright->value()));
            break;
        case AutoOffTime:
            if (const int i = AutoOff->currentIndex(); i >= 0 && i < 4)
                r = link->WriteRegisterInt(c.reg, kAutoOffMinutes[i]);
            break;
        default:
            break;
        }
        if (r != 0) return; // WriteConf stays disabled until the next read
    }
    if (!Up()) return;
    if (link->WriteRegisterInt(SaveConfig, kSaveConfigKey) == 0) WriteConf->setEnabled(true);
}

void TFrameSettingsLorik::btnReadDTClick()
{
    ReadClockShow();
}

void TFrameSettingsLorik::ReadClockShow()
{
    if (!Up()) return;
    DeviceClock c;
    if (ReadClock(*Host()->Link(), &c) != 0) return;
    QString text = ClockText(c);
    if (const auto d = ClockDifference(c, m_pcClock().clock)) text += QLatin1Char(' ') + DifferenceText(*d);
    lab_DeltaTime->setText(text);
    // fields that form no date are shown as read, in red
    QPalette p = lab_DeltaTime->palette();
    p.setColor(QPalette::WindowText, c.IsValid() ? palette().color(QPalette::WindowText) : QColor(Qt::red));
    lab_DeltaTime->setPalette(p);
}

void TFrameSettingsLorik::WriteSystemDTClick()
{
    if (!Up()) return;
    WriteClock(*Host()->Link(), SyncFields(m_pcClock().clock));
    ReadClockShow();
}

void TFrameSettingsLorik::WriteSerialNoClick()
{
    if (!Up() || !Host()->AdminMode()) return;
    TInterface* link = Host()->Link();
    int r = WriteRegisterFromControl(*link, SerialNumber, Edit_Serial);
    if (r == kConversionError) {
        sensors::FlashAndFocus(Edit_Serial);
        return;
    }
    if (r == 0) r = link->WriteRegisterInt(CommitData, kCommitSerialStart);
    if (r == 0) r = link->WriteRegisterInt(CommitFactory, kCommitSerialFinish);
    if (!Up()) return;
    Edit_Serial->clear();
    ReadRegisterToControl(*link, SerialNumber, Edit_Serial);
    // the serial number printed on protocols follows the committed one
    if (r == 0 && Up()) link->ReadDeviceSerialNumber();
}

void TFrameSettingsLorik::CheckBox1_sendDebugClick()
{
    // a project load "clicks" it too: only a connected calibrator is told
    if (!Up()) return;
    TInterface* link = Host()->Link();
    WriteRegisterFromControl(*link, DebugToPort, CheckBox1_sendDebug);
    if (Up()) ReadRegisterToControl(*link, DebugToPort, CheckBox1_sendDebug);
}

void TFrameSettingsLorik::ReadCpuLoad()
{
    int load = 0;
    if (Host()->Link()->ReadRegisterInt(CpuLoad, &load) == 0) {
        ProgressBar_CPUload->setValue(std::clamp(load, 0, 100));
        Label_CPU_Load->setText(QString::number(load) + QLatin1Char('%'));
    } else {
        ProgressBar_CPUload->setValue(0);
        Label_CPU_Load->setText(QStringLiteral("---"));
    }
}

void TFrameSettingsLorik::TimerDataTimesysTimer()
{
    const PcTime pc = m_pcClock();
    Label_DT_now->setText(ClockText(pc.clock) + QLatin1Char(' ') + ZoneText(pc));
}

} // namespace device
