#include "link/session.h"

#include "platform/messageservice.h"
#include "platform/serialport.h"
#include "platform/system.h"

#include <QFileSystemWatcher>
#include <QSocketNotifier>

namespace devlink {

LinkSession::LinkSession(QObject* parent) : QObject(parent) {}

LinkSession::~LinkSession() = default;

TInterface* LinkSession::Create(bool timing)
{
    if (m_link) return m_link.get();
    m_link = std::make_unique<TInterface>();
    m_link->Frames().SetTimingEnabled(timing);
    m_link->Frames().SetExchangeDone([this](int r) { Q_EMIT exchangeDone(r); });
    m_link->Frames().SetLinkLost([this](int) { LinkLostReaction(); });
    return m_link.get();
}

LinkSession::Handshake LinkSession::Fail(Handshake why)
{
    if (m_link) m_link->Close();
    Q_EMIT connectionFailed();
    return why;
}

LinkSession::Handshake LinkSession::Connect(const QString& port)
{
    if (!m_link || m_released) return Handshake::NoLink;
    if (m_connecting || m_connected) return Handshake::Busy;
    m_connecting = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_connecting};

    TInterface_UAIL& frames = m_link->Frames();
    frames.Initialise(port, 115200, frames.Address(), frames.ReplyTimeout());
    if (m_link->Open(port) != 0) return Fail(Handshake::OpenFailed);
    if (m_link->Identify() != 0 || QByteArray(m_link->ReplyData()) != kIdentifyReply)
        return Fail(Handshake::WrongDevice);
    m_link->WriteRegisterInt(ExtDeviceRestart, 0); // its result does not matter
    int remote = 0;
    if (m_link->WriteRegisterInt(RemoteMode, 1) != 0 || m_link->ReadRegisterInt(RemoteMode, &remote) != 0 ||
        remote != 1) {
        m_disconnecting = true;
        LinkLostReaction();
        m_disconnecting = false;
        return Fail(Handshake::RemoteRefused);
    }
    // A device error leaves "-1" as the serial number; a silent calibrator is no connection.
    m_link->ReadDeviceSerialNumber();
    const int serial = m_link->LastResult();
    if (serial != 0 && serial != -4) return Fail(Handshake::SerialFailed);
    ConnectedReaction();
    m_disconnecting = false;
    return m_connected ? Handshake::Connected : Handshake::Lost;
}

void LinkSession::Disconnect()
{
    m_disconnecting = true;
    if (m_connected && m_link) {
        m_link->WriteRegisterInt(MeasMode, MeasStop);
        if (m_connected) m_link->WriteRegisterInt(RemoteMode, 0);
    }
    LinkLostReaction();
}

void LinkSession::Release()
{
    if (m_released) return;
    if (m_connected) Disconnect();
    m_released = true;
    if (m_link) {
        m_link->Close();
        m_link->Frames().SetOpenAllowed(false);
    }
}

void LinkSession::ConnectedReaction()
{
    if (m_inConnected || m_inLinkLost) return;
    m_inConnected = true;
    m_lostDuringConnected = false;
    m_connected = true;
    Q_EMIT connected();
    m_inConnected = false;
    // A subscriber's exchange that failed meanwhile: the loss is taken up now, whole.
    if (m_lostDuringConnected) {
        m_lostDuringConnected = false;
        LinkLostReaction();
    }
}

void LinkSession::LinkLostReaction()
{
    if (m_inConnected) {
        m_lostDuringConnected = true;
        return;
    }
    if (m_inLinkLost) return; // the same loss, reported again by an exchange of a subscriber
    m_inLinkLost = true;
    const bool announce = m_connected && !m_disconnecting && !m_released;
    m_connected = false;
    if (m_link) m_link->Close();
    Q_EMIT linkLost();
    m_inLinkLost = false;
    // Last, once the whole state has changed: the box runs the event loop.
    if (announce)
        platform::Messages().Show(platform::MessageService::Kind::Error, QStringLiteral("Ошибка"),
                                  QStringLiteral("Обрыв связи с ЛОРИК!"));
}

QString LinkSession::RelayText(int result, int value)
{
    if (result != 0) return {};
    return value == 0 ? QStringLiteral("разомкнут") : QStringLiteral("замкнут");
}

void LinkSession::ShowRelays()
{
    QString texts[2];
    const int regs[2] = {Relay1State, Relay2State};
    for (int i = 0; i < 2 && m_link && m_connected; ++i) {
        int v = 0;
        const int r = m_link->ReadRegisterInt(regs[i], &v);
        texts[i] = RelayText(r, v);
    }
    Q_EMIT relaysChanged(texts[0], texts[1]);
}

void LinkSession::ClearRelays()
{
    Q_EMIT relaysChanged(QString(), QString());
}

void LinkSession::WatchDevices()
{
    if (!m_monitor) {
        m_monitor = std::make_unique<platform::TtyMonitor>();
        if (m_monitor->Fd() >= 0) {
            m_notifier = new QSocketNotifier(m_monitor->Fd(), QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, [this] {
                if (m_monitor->Drain()) DeviceChanged();
            });
        }
    }
    if (!m_watcher) {
        const QString dir = platform::EnsureSimulatorDir();
        if (!dir.isEmpty()) {
            m_watcher = new QFileSystemWatcher(QStringList{dir}, this);
            connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { DeviceChanged(); });
        }
    }
}

void LinkSession::DeviceChanged()
{
    Q_EMIT devicesChanged();
}

} // namespace devlink
