// The frames of the task pages that later work fills; each stands here by its name, empty. The
// device pages follow the link session through their base class. (The configuration, calibration
// and archive pages live in device/.)
#pragma once

#include "link/deviceframe.h"

#include <QFrame>

namespace shell {

using devlink::TDeviceFrame;

class TFrame_Chk : public TDeviceFrame {
    Q_OBJECT
public:
    using TDeviceFrame::TDeviceFrame;
};

} // namespace shell
