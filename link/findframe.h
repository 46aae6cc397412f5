// The connection panel: the port list, connecting with the handshake that takes the calibrator
// under PC control, disconnecting, and connecting by itself when exactly one port is found.
#pragma once

#include <QFrame>
#include <QString>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace devlink {

class IPageHost;

class TFrameFindDevice : public QFrame {
    Q_OBJECT
public:
    /// The page of the USB serial driver, opened by the site caption.
    static constexpr const char* kDriverPage = "https://ftdichip.com/drivers/vcp-drivers/";

    explicit TFrameFindDevice(IPageHost* host, QWidget* parent = nullptr);

    /// The port listing (start-up, refresh, device arrival or removal). Does nothing without a link;
    /// asked for while a listing or a handshake runs, it runs again once that has ended.
    void ListPortsNow();
    /// The refresh button: clear, show the animation, then list once the window has repainted.
    void RefreshList();
    /// The connection handshake (the connect button, or auto-connect).
    void btnLinkClick();
    /// Disconnection (the disconnect button; also at program exit when connected).
    void btnDisLinkClick();
    /// The selection rule: a busy entry loses its selection; another enables the connect button.
    /// Busy entries cannot be selected at all (mouse, keys or program): they are disabled items.
    void ListBox_PortsClick();
    /// Shows the connect button and hides the disconnect button (link lost), and the reverse.
    void ShowDisconnected();
    void ShowConnected();

    QListWidget* ListBox_Ports;
    QPushButton* btnLink;
    QPushButton* btnDisLink;
    QPushButton* ButtonRefreshList;
    QCheckBox* cbAutoConnect;
    QLabel* Panel_HelpNoPorts;
    QProgressBar* Animate_FindPorts;
    QLabel* Panel_FTDIcom;
    QLabel* DriverFTDI;
    QTimer* TimerUI;

private:
    void TimerUITimer();
    IPageHost* m_host;
    bool m_refreshStarted = false;
    bool m_busy = false;      // a listing or a handshake runs
    bool m_listAgain = false; // a listing was asked for meanwhile
};

/// The port name of a list entry ("ttyUSB0 (занят)" → "ttyUSB0").
QString PortOfEntry(const QString& entry);

} // namespace devlink
