#include "shell/paths.h"

#include "platform/library.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace shell {
namespace {

QString Override()
{
    return qEnvironmentVariable("LORIKWS_HOME");
}

bool ProgramDirWritable()
{
    const QFileInfo fi(ProgramDir());
    return fi.isDir() && fi.isWritable();
}

QString AppName()
{
    const QString n = QCoreApplication::applicationName();
    return n.isEmpty() ? QStringLiteral("lorikws") : n;
}

} // namespace

QString ProgramDir()
{
    return platform::ProgramDir();
}

QString SettingsPath()
{
    if (!Override().isEmpty()) return Override() + QStringLiteral("/lorikws.ini");
    if (ProgramDirWritable()) return ProgramDir() + QLatin1Char('/') + AppName() + QStringLiteral(".ini");
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/lorikws");
    QDir().mkpath(dir);
    return dir + QStringLiteral("/lorikws.ini");
}

QString DataDir()
{
    QString dir;
    if (!Override().isEmpty())
        dir = Override();
    else if (ProgramDirWritable())
        dir = ProgramDir();
    else
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              QStringLiteral("/lorikws");
    QDir().mkpath(dir);
    return dir;
}

QString DefaultProjectPath()
{
    return DataDir() + QStringLiteral("/default.aip");
}

QString TemplateDir()
{
    const QString user = DataDir() + QStringLiteral("/template_xml");
    if (QFileInfo(user).isDir()) return user;
    return ProgramDir() + QStringLiteral("/template_xml");
}

QString ProjectPath(const QString& name)
{
    if (name.isEmpty()) return DefaultProjectPath();
    if (QFileInfo(name).isAbsolute()) return name;
    return DataDir() + QLatin1Char('/') + name;
}

} // namespace shell
