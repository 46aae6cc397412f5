#include "link/controls.h"

#include "platform/cnumber.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QSpinBox>

namespace devlink {
namespace {

// The whole trimmed text as an integer.
bool WholeInt(const QString& text, int* value)
{
    const QByteArray t = text.trimmed().toLatin1();
    if (t.isEmpty()) return false;
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    if (ok && value) *value = v;
    return ok;
}

QString TextOf(QWidget* control)
{
    if (auto* e = qobject_cast<QLineEdit*>(control)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(control)) return l->text();
    return {};
}

} // namespace

int ReadRegisterToControl(TInterface& link, int reg, QWidget* control)
{
    if (!control) return kNoControl;
    const int r = link.ReadRegister(reg);
    if (r != 0) return r;
    const char* reply = link.ReplyData();
    int v = 0;
    const bool scans = platform::ScanInt(reply, &v);
    if (auto* e = qobject_cast<QLineEdit*>(control)) {
        e->setText(link.ReplyText());
    } else if (auto* l = qobject_cast<QLabel*>(control)) {
        l->setText(link.ReplyText());
    } else if (auto* c = qobject_cast<QCheckBox*>(control)) {
        c->setChecked(QByteArray(reply) != "0");
    } else if (auto* cb = qobject_cast<QComboBox*>(control)) {
        if (scans && v >= 0 && v < cb->count()) cb->setCurrentIndex(v);
    } else if (auto* s = qobject_cast<QSpinBox*>(control)) {
        if (scans) s->setValue(v);
    } else if (auto* t = qobject_cast<QSlider*>(control)) {
        if (scans && v >= t->minimum() && v < t->maximum()) t->setValue(v);
    } else if (auto* p = qobject_cast<QProgressBar*>(control)) {
        if (scans && v >= p->minimum() && v < p->maximum()) p->setValue(v);
    }
    return 0;
}

int WriteRegisterFromControl(TInterface& link, int reg, QWidget* control)
{
    int v = 0;
    if (auto* t = qobject_cast<QSlider*>(control)) {
        v = t->value();
    } else if (qobject_cast<QLabel*>(control) || qobject_cast<QLineEdit*>(control)) {
        if (!WholeInt(TextOf(control), &v)) return kConversionError;
    } else if (auto* c = qobject_cast<QCheckBox*>(control)) {
        v = c->isChecked() ? 1 : 0;
    } else if (auto* s = qobject_cast<QSpinBox*>(control)) {
        v = s->value();
    } else if (auto* cb = qobject_cast<QComboBox*>(control)) {
        v = cb->currentIndex();
    } else {
        return 0;
    }
    return link.WriteRegisterInt(reg, v);
}

int WriteRegisterFromEdit(TInterface& link, int reg, QWidget* control)
{
    if (!qobject_cast<QLabel*>(control) && !qobject_cast<QLineEdit*>(control)) return 0;
    return link.WriteRegisterFromText(reg, TextOf(control));
}

} // namespace devlink
