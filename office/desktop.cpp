#include "office/desktop.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QUrl>

Q_DECLARE_LOGGING_CATEGORY(lcOffice)

namespace office {
namespace {

class XdgOpener : public DesktopOpener {
public:
    bool Open(const QString& path) override
    {
        if (DesktopOff()) {
            qCInfo(lcOffice) << "not opened (LORIK_DESKTOP_OFF):" << path;
            return true;
        }
        const QString url =
            QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
        const bool started = QProcess::startDetached(QStringLiteral("xdg-open"), {url});
        if (!started) qCWarning(lcOffice) << "xdg-open could not be started for" << path;
        return started;
    }
};

XdgOpener g_xdg;
DesktopOpener* g_opener = &g_xdg;

} // namespace

bool DesktopOff()
{
    return qEnvironmentVariableIsSet("LORIK_DESKTOP_OFF");
}

DesktopOpener& Desktop()
{
    return *g_opener;
}

void SetDesktopOpener(DesktopOpener* opener)
{
    g_opener = opener ? opener : &g_xdg;
}

} // namespace office
