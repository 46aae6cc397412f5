#include "link/findframe.h"

#include "link/interface.h"
#include "platform/serialport.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace devlink {

QString PortOfEntry(const QString& entry)
{
    const qsizetype cut = entry.indexOf(QStringLiteral(" ("));
    return (cut < 0 ? entry : entry.left(cut)).trimmed();
}

namespace {
bool IsBusy(const QString& text) { return text.toLower().contains(QStringLiteral("занят")); }
} // namespace

TFrameFindDevice::TFrameFindDevice(ILinkHost* host, QWidget* parent) : QFrame(parent), m_host(host)
{
    setObjectName(QStringLiteral("FrameFindDevice1"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("Выберите один из портов и нажмите кнопку  'Подключить'"), this);
    hint->setObjectName(QStringLiteral("Label_Instruction"));
    ListBox_Ports = new QListWidget(this);
    ListBox_Ports->setObjectName(QStringLiteral("ListBox_Ports"));
    btnLink = new QPushButton(QStringLiteral("   Подключить"), this);
    btnLink->setObjectName(QStringLiteral("btnLink"));
    btnLink->setToolTip(QStringLiteral("Перевод ЛОРИК в режим управления с ПК"));
    btnLink->setEnabled(false);
    btnDisLink = new QPushButton(QStringLiteral("   Отключить"), this);
    btnDisLink->setObjectName(QStringLiteral("btnDisLink"));
    btnDisLink->setToolTip(QStringLiteral("Перевод ЛОРИК в автономный режим работы"));
    btnDisLink->hide();
    ButtonRefreshList = new QPushButton(QStringLiteral("Обновить список портов"), this);
    ButtonRefreshList->setObjectName(QStringLiteral("ButtonRefreshList"));
    cbAutoConnect = new QCheckBox(QStringLiteral("Автоподключение"), this);
    cbAutoConnect->setObjectName(QStringLiteral("cbAutoConnect"));
    cbAutoConnect->setToolTip(QStringLiteral("Автоподключение устройства если обнаружен только один порт"));
    cbAutoConnect->setChecked(true);
    Panel_HelpNoPorts = new QLabel(QStringLiteral("Прибор не подключен или не установлен драйвер FTDI"), this);
    Panel_HelpNoPorts->setObjectName(QStringLiteral("Panel_HelpNoPorts"));
    Panel_HelpNoPorts->hide();
    Animate_FindPorts = new QProgressBar(this);
    Animate_FindPorts->setObjectName(QStringLiteral("Animate_FindPorts"));
    Animate_FindPorts->setRange(0, 0); // a busy indicator
    Animate_FindPorts->setTextVisible(false);
    Animate_FindPorts->hide();
    Panel_FTDIcom = new QLabel(QStringLiteral("<a href=\"site\">Загрузка драйвера FTDI с интернет-сайта</a>"), this);
    Panel_FTDIcom->setObjectName(QStringLiteral("Panel_FTDIcom"));
    Panel_FTDIcom->setToolTip(QStringLiteral("Загрузка драйвера FTDI с интернет-сайта"));
    DriverFTDI = new QLabel(QStringLiteral("<a href=\"folder\">Драйвер FTDI</a>"), this);
    DriverFTDI->setObjectName(QStringLiteral("DriverFTDI"));
    TimerUI = new QTimer(this);
    TimerUI->setObjectName(QStringLiteral("TimerUI"));
    TimerUI->setInterval(1);
    TimerUI->setSingleShot(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnLink);
    buttons->addWidget(btnDisLink);
    buttons->addWidget(ButtonRefreshList);
    buttons->addStretch();
    auto* links = new QHBoxLayout;
    links->addWidget(Panel_FTDIcom);
    links->addWidget(DriverFTDI);
    links->addStretch();
    layout->addWidget(hint);
    layout->addWidget(ListBox_Ports);
    layout->addWidget(Animate_FindPorts);
    layout->addWidget(Panel_HelpNoPorts);
    layout->addLayout(buttons);
    layout->addWidget(cbAutoConnect);
    layout->addLayout(links);

    connect(ListBox_Ports, &QListWidget::itemClicked, this, [this] { ListBox_PortsClick(); });
    connect(btnLink, &QPushButton::clicked, this, [this] { btnLinkClick(); });
    connect(btnDisLink, &QPushButton::clicked, this, [this] { btnDisLinkClick(); });
    connect(ButtonRefreshList, &QPushButton::clicked, this, [this] { RefreshList(); });
    connect(TimerUI, &QTimer::timeout, this, [this] { TimerUITimer(); });
    connect(Panel_FTDIcom, &QLabel::linkActivated, this,
            [this] { m_host->OpenThroughDesktop(QString::fromLatin1(kDriverPage)); });
    connect(DriverFTDI, &QLabel::linkActivated, this, [this] { m_host->OpenThroughDesktop(QStringLiteral("./Driver")); });
}

void TFrameFindDevice::RefreshList()
{
    ListBox_Ports->clear();
    btnLink->setEnabled(false);
    ButtonRefreshList->setEnabled(false);
    Animate_FindPorts->show();
    Panel_HelpNoPorts->hide();
    m_refreshStarted = true;
    TimerUI->start();
}

void TFrameFindDevice::TimerUITimer()
{
    TimerUI->stop();
    TimerUI->setInterval(1);
    if (m_refreshStarted) {
        m_refreshStarted = false;
        ListPortsNow();
    }
}

void TFrameFindDevice::ListPortsNow()
{
    TInterface* link = m_host->Link();
    if (!link) return;
    Animate_FindPorts->show();
    Animate_FindPorts->raise();
    QStringList entries;
    const int count = link->Frames().Port().ListPorts(
        QStringLiteral("tty"), QString::fromLatin1(platform::TInterface_RS232::kUsbSerialFilter), &entries);
    for (const QString& e : entries) {
        auto* item = new QListWidgetItem(e, ListBox_Ports);
        if (IsBusy(e)) {
            item->setForeground(QColor(192, 192, 192));
            item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
        }
    }
    if (count > 0) {
        ListBox_Ports->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        ListBox_PortsClick();
        Panel_HelpNoPorts->hide();
        Panel_HelpNoPorts->lower();
        if (ListBox_Ports->count() == 1 && cbAutoConnect->isChecked() && !btnLink->isHidden()) btnLinkClick();
    } else {
        Panel_HelpNoPorts->show();
        Panel_HelpNoPorts->raise();
        m_host->LinkLostReaction();
    }
    Animate_FindPorts->hide();
    ButtonRefreshList->setEnabled(true);
}

void TFrameFindDevice::ListBox_PortsClick()
{
    QListWidgetItem* item = ListBox_Ports->currentItem();
    if (!item || ListBox_Ports->currentRow() < 0) return;
    if (IsBusy(item->text())) {
        ListBox_Ports->setCurrentRow(-1);
        ListBox_Ports->clearSelection();
        return;
    }
    btnLink->setEnabled(true);
}

void TFrameFindDevice::btnLinkClick()
{
    QApplication::processEvents();
    TInterface* link = m_host->Link();
    if (!link) return;
    if (ListBox_Ports->currentRow() < 0 || !ListBox_Ports->currentItem()) {
        btnLink->setEnabled(true);
        return;
    }
    const QString port = PortOfEntry(ListBox_Ports->currentItem()->text());
    if (port.isEmpty()) return;
    auto fail = [this] { m_host->ConnectionFailedMessage(); };
    link->Frames().Initialise(port, 115200, link->Frames().Address(), link->Frames().ReplyTimeout());
    if (link->Open(port) != 0) return fail();
    if (link->Identify() != 0 || QByteArray(link->ReplyData()) != kIdentifyReply) {
        link->Close();
        return fail();
    }
    link->WriteRegisterInt(ExtDeviceRestart, 0);
    int remote = 0;
    if (link->WriteRegisterInt(RemoteMode, 1) != 0 || link->ReadRegisterInt(RemoteMode, &remote) != 0 || remote != 1) {
        m_host->SetDisconnecting(true);
        m_host->LinkLostReaction();
        m_host->SetDisconnecting(false);
        return fail();
    }
    link->ReadDeviceSerialNumber();
    btnDisLink->show();
    btnLink->hide();
    m_host->ConnectedReaction();
    m_host->SetDisconnecting(false);
}

void TFrameFindDevice::btnDisLinkClick()
{
    TInterface* link = m_host->Link();
    if (m_host->IsConnected() && link) {
        link->WriteRegisterInt(MeasMode, MeasStop);
        link->WriteRegisterInt(RemoteMode, 0);
    }
    ShowDisconnected();
    m_host->SetDisconnecting(true);
    m_host->LinkLostReaction();
}

void TFrameFindDevice::ShowDisconnected()
{
    btnDisLink->hide();
    btnLink->show();
}

} // namespace devlink
