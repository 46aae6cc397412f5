#include "sensors/labelededit.h"

#include <QEvent>
#include <QVariant>

namespace sensors {
namespace {

constexpr const char* kUntranslated = "lorikUntranslated";

} // namespace

TLabeledEdit::TLabeledEdit(const QString& name, const QString& caption, QWidget* parent)
    : QLineEdit(parent), m_label(new TBoundLabel(caption, parent))
{
    setObjectName(name);
    m_label->setBuddy(this);
}

void TLabeledEdit::setVisible(bool visible)
{
    QLineEdit::setVisible(visible);
    m_label->setVisible(visible);
}

void TLabeledEdit::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange) m_label->setEnabled(isEnabled());
    QLineEdit::changeEvent(e);
}

void KeepUntranslated(QWidget* w)
{
    if (w) w->setProperty(kUntranslated, true);
}

bool IsKeptUntranslated(const QObject* o)
{
    return o && o->property(kUntranslated).toBool();
}

} // namespace sensors
