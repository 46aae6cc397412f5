// The live value for other programs: a D-Bus service on the session bus, well-known name
// "<program>.DDE", object "/NOVAR", interface "<program>.NOVAR", read-only string property
// "MEAS_VALUE" ("--.-" until the first reading) with PropertiesChanged on every change.
//   busctl --user get-property lorikws.DDE /NOVAR lorikws.NOVAR MEAS_VALUE
#pragma once

#include <QObject>
#include <QString>

namespace shell {

class DdePublisher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "lorikws.NOVAR")
    Q_PROPERTY(QString MEAS_VALUE READ Value)
public:
    explicit DdePublisher(const QString& programName, QObject* parent = nullptr);
    ~DdePublisher() override;

    /// Registers on the session bus. False (and the reason logged) without a bus.
    bool Register();
    bool Registered() const { return m_registered; }
    QString ServiceName() const { return m_program + QStringLiteral(".DDE"); }

    QString Value() const { return m_value; }
    /// Publishes a new text (signals PropertiesChanged when it differs).
    void Publish(const QString& text);

private:
    QString m_program;
    QString m_value = QStringLiteral("--.-");
    bool m_registered = false;
};

} // namespace shell
