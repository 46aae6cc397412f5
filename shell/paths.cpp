#include "shell/paths.h"

#include "platform/library.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace shell {
namespace {

QString Override() { return qEnvironmentVariable("LORIKWS_HOME"); }

const platform::Layout& Layout() { return platform::CurrentLayout(); }

// Files are written next to the program only in a writable build tree or portable copy.
bool WritesBesideProgram()
{
    if (Layout().installed) return false;
    const QFileInfo fi(Layout().programDir);
    return fi.isDir() && fi.isWritable();
}

QString AppName()
{
    const QString n = QCoreApplication::applicationName();
    return n.isEmpty() ? QStringLiteral("lorikws") : n;
}

} // namespace

QString ProgramDir() { return Layout().installed ? DataDir() : Layout().programDir; }

QString SettingsPath()
{
    if (!Override().isEmpty()) return Override() + QStringLiteral("/lorikws.ini");
    if (WritesBesideProgram()) return Layout().programDir + QLatin1Char('/') + AppName() + QStringLiteral(".ini");
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/lorikws");
    QDir().mkpath(dir);
    return dir + QStringLiteral("/lorikws.ini");
}

QString DataDir()
{
    QString dir;
    if (!Override().isEmpty()) dir = Override();
    else if (WritesBesideProgram()) dir = Layout().programDir;
    else dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/lorikws");
    QDir().mkpath(dir);
    return dir;
}

QString DefaultProjectPath() { return DataDir() + QStringLiteral("/default.aip"); }

QString TemplateDir()
{
    const QString user = DataDir() + QStringLiteral("/template_xml");
    if (QFileInfo(user).isDir()) return user;
    return Layout().dataDir + QStringLiteral("/template_xml");
}

QString ProjectPath(const QString& name)
{
    if (name.isEmpty()) return DefaultProjectPath();
    if (QFileInfo(name).isAbsolute()) return name;
    return DataDir() + QLatin1Char('/') + name;
}

QString LanguageFilePath(const QString& name)
{
    const QString own = ProgramDir() + QLatin1Char('/') + name;
    if (Layout().installed && !QFileInfo::exists(own)) {
        const QString shipped = Layout().dataDir + QLatin1Char('/') + name;
        if (QFileInfo::exists(shipped)) return shipped;
    }
    return own;
}

} // namespace shell
