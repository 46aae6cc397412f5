#include "link/findframe.h"

#include "link/interface.h"
#include "link/pagehost.h"
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
bool IsBusy(const QString& text)
{
    return text.toLower().contains(QStringLiteral("занят"));
}
} // namespace

TFrameFindDevice::TFrameFindDevice(IPageHost* host, QWidget* parent) : QFrame(parent), m_host(host)
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
    Panel_HelpNoPorts =
        new QLabel(QStringLiteral("Прибор не подключен или не установлен драйвер FTDI"), this);
    Panel_HelpNoPorts->setObjectName(QStringLiteral("Panel_HelpNoPorts"));
    Panel_HelpNoPorts->hide();
    Animate_FindPorts = new QProgressBar(this);
    Animate_FindPorts->setObjectName(QStringLiteral("Animate_FindPorts"));
    Animate_FindPorts->setRange(0, 0); // a busy indicator
    Animate_FindPorts->setTextVisible(false);
    Animate_FindPorts->hide();
    Panel_FTDIcom =
        new QLabel(QStringLiteral("<a href=\"site\">Загрузка драйвера FTDI с интернет-сайта</a>"), this);
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
    connect(ListBox_Ports, &QListWidget::currentRowChanged, this, [this] { ListBox_PortsClick(); });
    connect(btnLink, &QPushButton::clicked, this, [this] { btnLinkClick(); });
    connect(btnDisLink, &QPushButton::clicked, this, [this] { btnDisLinkClick(); });
    connect(ButtonRefreshList, &QPushButton::clicked, this, [this] { RefreshList(); });
    connect(TimerUI, &QTimer::timeout, this, [this] { TimerUITimer(); });
    connect(Panel_FTDIcom, &QLabel::linkActivated, this,
            [this] { m_host->OpenThroughDesktop(QString::fromLatin1(kDriverPage)); });
    connect(DriverFTDI, &QLabel::linkActivated, this,
            [this] { m_host->OpenThroughDesktop(QStringLiteral("./Driver")); });

    LinkSession& session = host->Session();
    connect(&session, &LinkSession::connected, this, [this] { ShowConnected(); });
    connect(&session, &LinkSession::linkLost, this, [this] { ShowDisconnected(); });
    connect(&session, &LinkSession::devicesChanged, this, [this] { RefreshList(); });
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
    if (m_busy) {
        m_listAgain = true;
        return;
    }
    m_busy = true;
    Animate_FindPorts->show();
    Animate_FindPorts->raise();
    QStringList entries;
    const int count = link->Frames().Port().ListPorts(
        QStringLiteral("tty"), QString::fromLatin1(platform::TInterface_RS232::kUsbSerialFilter), &entries);
    for (const QString& e : entries) {
        auto* item = new QListWidgetItem(e, ListBox_Ports);
        if (IsBusy(e)) {
            item->setForeground(QColor(192, 192, 192));
            // neither the mouse nor the keys nor the program can make it the current entry
            item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
        }
    }
    bool connectNow = false;
    if (count > 0) {
        ListBox_Ports->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        ListBox_PortsClick();
        Panel_HelpNoPorts->hide();
        Panel_HelpNoPorts->lower();
        connectNow = ListBox_Ports->count() == 1 && cbAutoConnect->isChecked() && !btnLink->isHidden();
    } else {
        Panel_HelpNoPorts->show();
        Panel_HelpNoPorts->raise();
    }
    Animate_FindPorts->hide();
    ButtonRefreshList->setEnabled(true);
    m_busy = false;
    if (count == 0)
        m_host->Session().LinkLostReaction();
    else if (connectNow)
        btnLinkClick();
    if (m_listAgain) {
        m_listAgain = false;
        RefreshList();
    }
}

void TFrameFindDevice::ListBox_PortsClick()
{
    QListWidgetItem* item = ListBox_Ports->currentItem();
    if (!item || ListBox_Ports->currentRow() < 0) return;
    if (IsBusy(item->text())) {
        const QSignalBlocker block(ListBox_Ports);
        ListBox_Ports->setCurrentRow(-1);
        ListBox_Ports->clearSelection();
        btnLink->setEnabled(false);
        return;
    }
    btnLink->setEnabled(true);
}

void TFrameFindDevice::btnLinkClick()
{
    if (m_busy) return;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    TInterface* link = m_host->Link();
    if (!link || m_busy) return;
    QListWidgetItem* item = ListBox_Ports->currentItem();
    if (ListBox_Ports->currentRow() < 0 || !item) {
        btnLink->setEnabled(true);
        return;
    }
    if (IsBusy(item->text()) || !(item->flags() & Qt::ItemIsEnabled)) return; // never a busy port
    const QString port = PortOfEntry(item->text());
    if (port.isEmpty()) return;
    m_busy = true;
    // The buttons follow the session: the connected reaction shows "Отключить", a loss "Подключить".
    m_host->Session().Connect(port);
    m_busy = false;
    if (m_listAgain) {
        m_listAgain = false;
        RefreshList();
    }
}

void TFrameFindDevice::btnDisLinkClick()
{
    ShowDisconnected();
    m_host->Session().Disconnect();
}

void TFrameFindDevice::ShowDisconnected()
{
    btnDisLink->hide();
    btnLink->show();
}

void TFrameFindDevice::ShowConnected()
{
    btnDisLink->show();
    btnLink->hide();
}

} // namespace devlink
