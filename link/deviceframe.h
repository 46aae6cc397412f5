// A frame on a task page that talks to the calibrator: it follows the link session's state and
// stops its work when the program closes or a project is opened.
#pragma once

#include <QFrame>

namespace devlink {

class IPageHost;

class TDeviceFrame : public QFrame {
    Q_OBJECT
public:
    /// Subscribes to the session of `host` (which must outlive the frame).
    explicit TDeviceFrame(IPageHost* host, QWidget* parent = nullptr);

    /// The link came up (true) or went down (false): enable or disable the device controls. Runs
    /// inside the session's reactions: it must not run the event loop or show a message box.
    virtual void SetLinkUp(bool up) { m_linkUp = up; }
    bool LinkUp() const { return m_linkUp; }
    /// Stops what runs on the calibrator (a measurement, an emulation) before the program closes
    /// or another project is opened.
    virtual void StopWork() {}
    /// A new project: clear what the page holds of the old one.
    virtual void NewProject() {}

protected:
    IPageHost* Host() const { return m_host; }

private:
    IPageHost* m_host;
    bool m_linkUp = false;
};

} // namespace devlink
