// Small RAII helpers shared by the tests.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <string>

namespace testsupport {

/// Sets an environment variable for the lifetime of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name))
    {
        if (m_had) m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name.c_str(), m_old);
        else
            qunsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    bool m_had;
    QByteArray m_old;
};

/// A private folder for virtual calibrator links (LORIK_SIM_DIR), so tests never see ports of
/// other tests or of a running lorik-sim.
class ScopedSimDir {
public:
    ScopedSimDir() : m_env("LORIK_SIM_DIR", m_dir.path().toLocal8Bit()) {}
    QString Path() const { return m_dir.path(); }
    QString Link(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
    ScopedEnv m_env;
};

/// Switches LC_ALL to a comma-decimal locale when one is installed; restores the old one.
class ScopedCommaLocale {
public:
    ScopedCommaLocale()
    {
        const char* old = std::setlocale(LC_ALL, nullptr);
        m_old = old ? old : "C";
        for (const char* name : {"ru_RU.UTF-8", "ru_RU.utf8", "de_DE.UTF-8", "de_DE.utf8"}) {
            if (std::setlocale(LC_ALL, name)) {
                m_active = true;
                break;
            }
        }
    }
    ~ScopedCommaLocale() { std::setlocale(LC_ALL, m_old.c_str()); }
    bool Active() const { return m_active; }

private:
    std::string m_old;
    bool m_active = false;
};

} // namespace testsupport
