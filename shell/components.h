// The program's windows as a tree of owners: forms and frames (our T-prefixed classes whose names
// contain "Form" or "Frame") own the controls inside them. Project files and translation walk it.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace shell {

/// A form or a frame: an owner of components.
bool IsOwner(const QObject* o);

/// The components an owner owns, in creation order: its descendants that are not inside a nested
/// owner (nested owners themselves are included).
std::vector<QObject*> OwnedComponents(QObject* owner);

/// "_" + the names of the owners from the outermost inward, each followed by "_"
/// ("_Form_Main_FrameMesure1_").
QString SectionName(const QObject* component);

/// The program's windows in creation order (the main window first); the walks start from them.
std::vector<QWidget*>& ProgramWindows();

} // namespace shell
