#include "shell/components.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QWidget>

namespace shell {
namespace {

// A control whose inside holds no components: its children are its own parts.
bool IsControl(const QWidget* w)
{
    if (qobject_cast<const QScrollArea*>(w)) return false; // a container that scrolls
    if (qobject_cast<const QGroupBox*>(w))
        return w->metaObject() != &QGroupBox::staticMetaObject; // radio group
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractScrollArea*>(w) ||
           qobject_cast<const QProgressBar*>(w) || qobject_cast<const QLabel*>(w) ||
           qobject_cast<const QTabBar*>(w) || qobject_cast<const QMenu*>(w);
}

// Another window (a dialog, a top-level form) is walked on its own; a menu's popup is not a window
// of the program.
bool IsOtherWindow(const QObject* o)
{
    if (!o->isWidgetType()) return false;
    const auto* w = static_cast<const QWidget*>(o);
    return w->isWindow() && !qobject_cast<const QMenu*>(w);
}

// Children in creation order. A page stack raises its current page to the end of its children:
// its pages go by their index instead, so the order does not depend on which page is showing.
QObjectList Children(QObject* parent)
{
    auto* stack = qobject_cast<QStackedWidget*>(parent);
    if (!stack) return parent->children();
    QObjectList out;
    for (int i = 0; i < stack->count(); ++i)
        out << stack->widget(i);
    for (QObject* c : parent->children())
        if (!out.contains(c)) out << c;
    return out;
}

void Collect(QObject* parent, std::vector<QObject*>& out)
{
    for (QObject* child : Children(parent)) {
        if (IsOtherWindow(child)) continue;
        if (IsComponent(child)) out.push_back(child);
        if (!child->isWidgetType() || IsOwner(child) || IsControl(static_cast<QWidget*>(child))) continue;
        Collect(child, out);
    }
}

} // namespace

bool IsOwner(const QObject* o)
{
    if (!o) return false;
    QByteArray cls(o->metaObject()->className());
    const qsizetype ns = cls.lastIndexOf("::");
    if (ns >= 0) cls = cls.mid(ns + 2); // the class name without its namespace
    return cls.startsWith('T') && (cls.contains("Frame") || cls.contains("Form"));
}

bool IsComponent(const QObject* o)
{
    if (!o) return false;
    const QString name = o->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

std::vector<QObject*> OwnedComponents(QObject* owner)
{
    std::vector<QObject*> out;
    if (owner) Collect(owner, out);
    return out;
}

QString SectionName(const QObject* component)
{
    QStringList owners;
    for (const QObject* p = component ? component->parent() : nullptr; p; p = p->parent()) {
        if (IsOwner(p)) owners.prepend(p->objectName());
        if (p->isWidgetType() && static_cast<const QWidget*>(p)->isWindow() && !qobject_cast<const QMenu*>(p))
            break; // the chain ends at the window
    }
    QString s = QStringLiteral("_");
    for (const QString& o : owners)
        s += o + QLatin1Char('_');
    return s;
}

std::vector<QWidget*>& ProgramWindows()
{
    static std::vector<QWidget*> windows;
    return windows;
}

} // namespace shell
