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

/// Loads a project. A file with lines that do not read (a damaged file) is first kept beside
/// itself as path + ".bad" (replacing an older one), so that nothing of it is lost when the project
/// is saved again; what did read is loaded. Returns 0, or 1 for a damaged file (`*kept` := the
/// name it was kept under, "" when even that failed).
int LoadProject(const QString& path, QString* kept = nullptr);

/// The same on an INI object in memory (no file).
void WalkProject(platform::IniFile& ini, bool save);

} // namespace shell
