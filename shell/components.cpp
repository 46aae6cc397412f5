#include "shell/components.h"

#include <QAction>
#include <QWidget>

namespace shell {

bool IsOwner(const QObject* o)
{
    if (!o) return false;
    QByteArray cls(o->metaObject()->className());
    const qsizetype ns = cls.lastIndexOf("::");
    if (ns >= 0) cls = cls.mid(ns + 2); // the class name without its namespace
    return cls.startsWith('T') && (cls.contains("Frame") || cls.contains("Form"));
}

namespace {
void Collect(QObject* parent, std::vector<QObject*>& out)
{
    // Widgets and named helpers (actions, timers, menus); the unnamed internals of a control
    // (a text document, a layout) are not components.
    for (QObject* child : parent->children()) {
        const bool widget = child->isWidgetType();
        if (!widget && child->objectName().isEmpty()) continue;
        out.push_back(child);
        if (widget && !IsOwner(child)) Collect(child, out);
    }
}
} // namespace

std::vector<QObject*> OwnedComponents(QObject* owner)
{
    std::vector<QObject*> out;
    if (owner) Collect(owner, out);
    return out;
}

QString SectionName(const QObject* component)
{
    QStringList owners;
    for (const QObject* p = component ? component->parent() : nullptr; p; p = p->parent())
        if (IsOwner(p)) owners.prepend(p->objectName());
    QString s = QStringLiteral("_");
    for (const QString& o : owners) s += o + QLatin1Char('_');
    return s;
}

std::vector<QWidget*>& ProgramWindows()
{
    static std::vector<QWidget*> windows;
    return windows;
}

} // namespace shell
