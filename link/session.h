// The link session: the one object that owns the link to the calibrator and its state.
//
// It owns the link object (from the deferred start until the program ends), the connected and
// disconnecting flags, the connection handshake and the disconnection, the connected and link-lost
// reactions, the relay indication and the watch for serial devices arriving or leaving. Pages and
// the main window subscribe to its signals; none of them changes the link state itself.
//
// Rules that keep the state consistent whatever runs in between:
//  - a reaction changes all state first (flags, port, then the subscribers: status bar, buttons,
//    pages) and shows its message last, so a nested event loop (a modal box) sees the final state;
//  - a reaction that is running is not entered again: a link loss reported while the connected
//    reaction runs is taken up as soon as it ends, one reported while the link-lost reaction runs
//    is the same loss;
//  - no signal handler may run the event loop (status texts repaint themselves instead);
//  - at close the link is released (calibrator back to stand-alone work, port closed, no further
//    exchange), but the object lives until the session does, because code on the stack may still
//    hold it.
#pragma once

#include "link/interface.h"

#include <QObject>
#include <QString>

#include <memory>

class QFileSystemWatcher;
class QSocketNotifier;

namespace platform {
class TtyMonitor;
}

namespace devlink {

class LinkSession : public QObject {
    Q_OBJECT
public:
    /// The outcome of a connection handshake.
    enum class Handshake {
        Connected,     ///< the calibrator is under PC control
        NoLink,        ///< no link object yet (before the deferred start), or released
        Busy,          ///< a handshake is already running (re-entry refused)
        OpenFailed,    ///< the port could not be opened
        WrongDevice,   ///< no identification, or not "50"
        RemoteRefused, ///< RemoteMode := 1 not confirmed
        SerialFailed,  ///< the serial number read lost the link (a device error still connects)
        Lost,          ///< connected, but an exchange of a subscriber lost the link at once
    };

    explicit LinkSession(QObject* parent = nullptr);
    ~LinkSession() override;

    /// Creates the link object once (115200 Bd, address 1, reply time-out 150 ms); `timing` turns
    /// the exchange timing on. Returns it.
    TInterface* Create(bool timing);
    /// The link object; nullptr before Create().
    TInterface* Link() const { return m_link.get(); }
    bool IsConnected() const { return m_connected; }
    bool Disconnecting() const { return m_disconnecting; }
    void SetDisconnecting(bool on) { m_disconnecting = on; }
    bool Released() const { return m_released; }

    /// The connection handshake on `port`: open, identify ("50"), ExtDeviceRestart := 0,
    /// RemoteMode := 1 read back as 1, the serial number (a device error there stores "-1"). On
    /// success the connected reaction runs; on failure the port is closed and connectionFailed is
    /// emitted (after every state change).
    Handshake Connect(const QString& port);
    /// The user's disconnection: the disconnecting flag first (a silent calibrator gives no
    /// link-lost message), MeasMode := -1 and RemoteMode := 0 while the link stays up, then the
    /// link-lost reaction.
    void Disconnect();
    /// The close of the program: disconnects when connected, closes the port and refuses every
    /// later exchange (they fail at once with -1, silently).
    void Release();

    /// The link is up: flag set, then `connected` to the subscribers.
    void ConnectedReaction();
    /// The link is down: flag cleared, port closed, `linkLost` to the subscribers; then
    /// "Обрыв связи с ЛОРИК!" when an established link was lost and the disconnecting flag is clear.
    void LinkLostReaction();

    /// Reads Relay1State and Relay2State and emits relaysChanged ("разомкнут", "замкнут", "" for a
    /// failed read). Nothing is sent while the link is down, and the second read is skipped when
    /// the first lost the link.
    void ShowRelays();
    /// Emits relaysChanged with two empty texts.
    void ClearRelays();
    /// The text of one relay state: "" unless `result` is 0; "разомкнут" for 0, else "замкнут".
    static QString RelayText(int result, int value);

    /// Watches the operating system's serial devices and the virtual calibrators' folder; every
    /// arrival or removal emits devicesChanged, in every link state. Idempotent.
    void WatchDevices();
    /// A device arrived or left (the watchers call it; tests may too).
    void DeviceChanged();

Q_SIGNALS:
    void connected();
    void linkLost();
    /// A handshake failed: status "Нет связи" and the warning are the main window's to show.
    void connectionFailed();
    void relaysChanged(const QString& relay1, const QString& relay2);
    void devicesChanged();
    /// After every exchange, with its result code.
    void exchangeDone(int result);

private:
    Handshake Fail(Handshake why);

    std::unique_ptr<TInterface> m_link;
    bool m_connected = false;
    bool m_disconnecting = true; // set from the start: the first link-lost reaction is silent
    bool m_released = false;
    bool m_connecting = false;
    bool m_inConnected = false;
    bool m_inLinkLost = false;
    bool m_lostDuringConnected = false;
    std::unique_ptr<platform::TtyMonitor> m_monitor;
    QSocketNotifier* m_notifier = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
};

} // namespace devlink
