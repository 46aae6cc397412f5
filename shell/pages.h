// The frames of the task pages that later work fills; each stands here by its name, empty. The
// device pages follow the link session through their base class.
#pragma once

#include "link/deviceframe.h"

#include <QFrame>

namespace shell {

using devlink::TDeviceFrame;

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
