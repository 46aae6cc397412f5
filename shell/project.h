// Project files (.aip): the state of every input control of every window, stored by control kind
// under its name in a section named after its chain of owners. Nothing lists the saved fields:
// a control added to a window is saved and restored without any change here.
//
// After loading, each control's handler runs, in load order, through the signal the program's
// frames connect their handlers to: QComboBox::currentIndexChanged, QCheckBox::clicked,
// QRadioButton::clicked, QTabWidget::currentChanged, TRadioGroup::clicked.
#pragma once

#include "platform/ini.h"

#include <QString>

class QWidget;

namespace shell {

/// Loads (`save` false) or saves (`save` true) every window of ProgramWindows() from/to `path`.
/// Returns 0, or -1 when the file cannot be written.
int LoadSaveProject(const QString& path, bool save);

/// The same on an INI object in memory (no file).
void WalkProject(platform::IniFile& ini, bool save);

} // namespace shell
