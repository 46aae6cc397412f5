// The frames of the task pages. Each device page reacts to the link going up or down; the pages that
// later pieces of work fill stand here by their names, empty.
#pragma once

#include <QFrame>

namespace shell {

/// A frame on a task page that talks to the calibrator.
class TDeviceFrame : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
    /// The link came up (true) or went down (false): enable or disable the device controls.
    virtual void SetLinkUp(bool up) { m_linkUp = up; }
    bool LinkUp() const { return m_linkUp; }
    /// Stops what runs on the calibrator (a measurement) before the program closes.
    virtual void StopWork() {}

private:
    bool m_linkUp = false;
};

class TFrameGrad : public TDeviceFrame {
    Q_OBJECT
public:
    using TDeviceFrame::TDeviceFrame;
};

class TFrameSettingsLorik : public TDeviceFrame {
    Q_OBJECT
public:
    using TDeviceFrame::TDeviceFrame;
};

class TFrameEmulate : public TDeviceFrame {
    Q_OBJECT
public:
    using TDeviceFrame::TDeviceFrame;
};

class TFrameMesure : public TDeviceFrame {
    Q_OBJECT
public:
    using TDeviceFrame::TDeviceFrame;
};

class TFrame_Chk : public TDeviceFrame {
    Q_OBJECT
public:
    using TDeviceFrame::TDeviceFrame;
};

class TFrameArchive : public TDeviceFrame {
    Q_OBJECT
public:
    using TDeviceFrame::TDeviceFrame;
};

class TFrame_ReportParam : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
};

class TFrame_Chk_result : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
};

} // namespace shell
