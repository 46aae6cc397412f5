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

class TInterface;

/// What the panel needs of the main window.
class ILinkHost {
public:
    virtual ~ILinkHost() = default;
    /// The link object, or nullptr before the deferred start.
    virtual TInterface* Link() = 0;
    virtual bool IsConnected() const = 0;
    virtual void ConnectedReaction() = 0;
    virtual void LinkLostReaction() = 0;
    virtual void SetDisconnecting(bool on) = 0;
    /// Status "Нет связи" and the warning "Не удалось установить связь с прибором.".
    virtual void ConnectionFailedMessage() = 0;
    /// Opens a web address or a folder through the desktop.
    virtual void OpenThroughDesktop(const QString& urlOrPath) = 0;
};

class TFrameFindDevice : public QFrame {
    Q_OBJECT
public:
    /// The page of the USB serial driver, opened by the site caption.
    static constexpr const char* kDriverPage = "https://ftdichip.com/drivers/vcp-drivers/";

    explicit TFrameFindDevice(ILinkHost* host, QWidget* parent = nullptr);

    /// The port listing (start-up, refresh, device arrival or removal). Does nothing without a link.
    void ListPortsNow();
    /// The refresh button: clear, show the animation, then list once the window has repainted.
    void RefreshList();
    /// The connection handshake (the connect button, or auto-connect).
    void btnLinkClick();
    /// Disconnection (the disconnect button; also at program exit when connected).
    void btnDisLinkClick();
    /// The selection rule: a busy entry loses its selection; another enables the connect button.
    void ListBox_PortsClick();
    /// Shows the connect button and hides the disconnect button (link lost).
    void ShowDisconnected();

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
    ILinkHost* m_host;
    bool m_refreshStarted = false;
};

/// The port name of a list entry ("ttyUSB0 (занят)" → "ttyUSB0").
QString PortOfEntry(const QString& entry);

} // namespace devlink
