#include "shell/ddepublisher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLoggingCategory>
#include <QVariantMap>

Q_LOGGING_CATEGORY(lcDde, "lorik.dde")

namespace shell {
namespace {
const QString kConnection = QStringLiteral("lorikws-dde");
}

DdePublisher::DdePublisher(const QString& programName, QObject* parent)
    : QObject(parent), m_program(programName)
{
}

DdePublisher::~DdePublisher()
{
    if (m_registered) {
        QDBusConnection bus(kConnection);
        bus.unregisterObject(QStringLiteral("/NOVAR"));
        bus.unregisterService(ServiceName());
        QDBusConnection::disconnectFromBus(kConnection);
    }
}

bool DdePublisher::Register()
{
    // A connection of its own, made when asked: the session bus may appear after start-up.
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    QDBusConnection bus = address.isEmpty()
                              ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection)
                              : QDBusConnection::connectToBus(QString::fromUtf8(address), kConnection);
    if (!bus.isConnected()) {
        qCInfo(lcDde) << "no D-Bus session bus; the live value is not published:"
                      << bus.lastError().message();
        QDBusConnection::disconnectFromBus(kConnection);
        return false;
    }
    if (!bus.registerObject(QStringLiteral("/NOVAR"), QStringLiteral("%1.NOVAR").arg(m_program), this,
                            QDBusConnection::ExportAllProperties)) {
        qCInfo(lcDde) << "cannot register /NOVAR:" << bus.lastError().message();
        return false;
    }
    if (!bus.registerService(ServiceName())) {
        qCInfo(lcDde) << "cannot own" << ServiceName() << ":" << bus.lastError().message();
        bus.unregisterObject(QStringLiteral("/NOVAR"));
        QDBusConnection::disconnectFromBus(kConnection);
        return false;
    }
    m_registered = true;
    return true;
}

void DdePublisher::Publish(const QString& text)
{
    if (text == m_value) return;
    m_value = text;
    if (!m_registered) return;
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/NOVAR"),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    QVariantMap changed;
    changed.insert(QStringLiteral("MEAS_VALUE"), m_value);
    signal << QStringLiteral("%1.NOVAR").arg(m_program) << changed << QStringList();
    QDBusConnection(kConnection).send(signal);
}

} // namespace shell
