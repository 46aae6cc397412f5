// Hands a stored file to the user's desktop, which opens it in the user's own office: the file is
// shown independently of the program, so closing the program never closes what the user reads or
// edits. The default opener runs xdg-open; a program may install its own, tests install a recorder.
// While LORIK_DESKTOP_OFF is set (every test run by CTest) nothing is handed to the desktop.
#pragma once

#include <QString>
#include <QStringList>

namespace office {

class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    /// Starts opening `path`; false when that could not be started.
    virtual bool Open(const QString& path) = 0;
};

/// Whether LORIK_DESKTOP_OFF asks to open nothing.
bool DesktopOff();
/// The installed opener (xdg-open until something is installed).
DesktopOpener& Desktop();
/// Installs an opener (not owned); nullptr restores xdg-open.
void SetDesktopOpener(DesktopOpener* opener);

/// Keeps the paths it was asked to open and opens nothing, for the lifetime of the object.
class ScopedDesktopRecorder : public DesktopOpener {
public:
    ScopedDesktopRecorder() { SetDesktopOpener(this); }
    ~ScopedDesktopRecorder() override { SetDesktopOpener(nullptr); }
    bool Open(const QString& path) override
    {
        m_opened << path;
        return true;
    }
    const QStringList& Opened() const { return m_opened; }
    void Clear() { m_opened.clear(); }

private:
    QStringList m_opened;
};

} // namespace office
