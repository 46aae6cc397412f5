// The program's windows as a tree of owners and components, the one model that project files and
// translation walk.
//
// An owner is a form or a frame (our T-prefixed classes whose names contain "Form" or "Frame").
// A component is a named object inside an owner: a widget, or a named helper (an action, a timer).
// Not components: unnamed objects (layouts, a memo's text document, containers of our own that carry
// no name: the walk goes through them), Qt's own internals (names starting "qt_", such as a spin
// box's inner editor or a tab widget's page stack: the walk goes through those too), anything
// inside a control (a spin box's editor, a radio group's buttons, an item view's viewport), and
// other top-level windows, which are walked on their own.
#pragma once

#include <QObject>
#include <QString>

#include <vector>

class QWidget;

namespace shell {

/// A form or a frame: an owner of components.
bool IsOwner(const QObject* o);

/// Whether `o` counts as a component (named, not Qt-internal).
bool IsComponent(const QObject* o);

/// The components an owner owns, in creation order: its components that are not inside a nested
/// owner (nested owners themselves are included).
std::vector<QObject*> OwnedComponents(QObject* owner);

/// "_" + the names of the owners from the outermost inward, each followed by "_"
/// ("_Form_Main_FrameMesure1_").
QString SectionName(const QObject* component);

/// The program's windows in creation order (the main window first); the walks start from them.
std::vector<QWidget*>& ProgramWindows();

} // namespace shell
