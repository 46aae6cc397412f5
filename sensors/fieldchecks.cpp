#include "sensors/fieldchecks.h"

#include "platform/delay.h"
#include "platform/messageservice.h"
#include "sensors/numbers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

namespace sensors {
namespace {

std::function<void(QWidget*)> g_marker;
QString g_missingText = QStringLiteral("Не указан параметр");

const QColor kWrong(255, 0, 0); // colour value 255: pure red

bool IsDecimalKey(QChar k)
{
    return k == u'.' || k == u',' || k == u'/' || k == QChar(0x044E) /* ю */ || k == QChar(0x042E) /* Ю */;
}

class NumericKeyEventFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        auto* field = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (!field) return false;
        // Keys that make no character (navigation, Delete, shortcuts) keep their usual meaning;
        // Enter is swallowed.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return true;
        if (key->key() == Qt::Key_Backspace) return false;
        const QString text = key->text();
        if (text.size() != 1 || !text[0].isPrint() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const QChar in = text[0];
        const QChar out = NumericKeyFilter(field, in);
        if (out.isNull()) return true;
        if (out != in) {
            field->insert(QString(out));
            return true;
        }
        return false;
    }
};

void SetBackground(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}

bool CanTakeFocus(const QWidget* w) { return w->isEnabled() && w->isVisible() && w->focusPolicy() != Qt::NoFocus; }

} // namespace

QChar NumericKeyFilter(QLineEdit* field, QChar key)
{
    if (!field) return {};
    QString text = field->text();
    // 1. A single character: caret after it; a lone "0" is replaced by a digit or '-'.
    if (text.size() == 1) {
        field->deselect();
        field->setCursorPosition(1);
        if (text == u"0") {
            if (key == u'0') return {};
            if ((key >= u'1' && key <= u'9') || key == u'-') {
                // edits of the user's own (textEdited follows), not a program's setText
                field->selectAll();
                field->insert(QString(key));
                field->setCursorPosition(1);
                return {};
            }
        }
    }
    // 2. '-' in a field that is not empty toggles the sign wherever the caret is.
    if (key == u'-' && !text.isEmpty()) {
        const int caret = field->cursorPosition();
        if (text.startsWith(u'-')) {
            field->setSelection(0, 1);
            field->del();
            field->setCursorPosition(std::max(0, caret - 1));
        } else {
            field->setCursorPosition(0);
            field->insert(QStringLiteral("-"));
            field->setCursorPosition(caret + 1);
        }
        return {};
    }
    // 3. Digits and '-' (in an empty field) pass; backspace is handled by the caller.
    if (key.isDigit() && key.unicode() < 0x80) return key;
    if (key == u'-' || key == QChar(8)) return key;
    // 4. The decimal point positions of the Russian and Latin layouts.
    if (IsDecimalKey(key)) return text.contains(u'.') ? QChar() : QChar(u'.');
    // 5. Everything else.
    return {};
}

void InstallNumericKeyFilter(QLineEdit* field)
{
    if (field) field->installEventFilter(new NumericKeyEventFilter(field));
}

void FlashAndFocus(QWidget* control)
{
    if (!control || (!qobject_cast<QLineEdit*>(control) && !qobject_cast<QComboBox*>(control)) || !CanTakeFocus(control))
        return;
    const QPalette old = control->palette();
    SetBackground(control, kWrong);
    QApplication::processEvents();
    platform::BlockingDelay(500);
    control->setPalette(old);
    QApplication::processEvents();
    control->setFocus();
}

void SetWrongFieldMarker(std::function<void(QWidget*)> marker) { g_marker = std::move(marker); }

void SetMissingFieldText(const QString& text) { g_missingText = text; }

bool RequireFilled(bool report, std::initializer_list<QWidget*> controls)
{
    for (QWidget* c : controls) {
        if (!c || !CanTakeFocus(c)) continue;
        if (auto* combo = qobject_cast<QComboBox*>(c)) {
            if (combo->currentIndex() >= 0) continue;
        } else if (auto* edit = qobject_cast<QLineEdit*>(c)) {
            if (!edit->text().isEmpty()) continue;
        } else {
            continue;
        }
        if (report) {
            c->setFocus();
            if (qobject_cast<QLineEdit*>(c)) {
                SetBackground(c, kWrong);
                if (g_marker) g_marker(c);
            }
            platform::Messages().Show(platform::MessageService::Kind::Error, QStringLiteral("Ошибка"), g_missingText);
        }
        return false;
    }
    return true;
}

QString FieldText(const QWidget* field)
{
    if (auto* e = qobject_cast<const QLineEdit*>(field)) return e->text();
    if (auto* l = qobject_cast<const QLabel*>(field)) return l->text();
    return {};
}

float FieldValue(const QWidget* field) { return TextValue(FieldText(field)); }

bool HasNumber(const QWidget* field)
{
    if (!field) return true;
    return TextHasNumber(FieldText(field));
}

int CheckRange(const QWidget* field, float max, float min) { return CheckRangeText(FieldText(field), max, min); }

QWidget* FirstOutOfRange(QWidget* field, float max, float min)
{
    if (!field || !field->parentWidget()) return nullptr;
    for (QObject* o : field->parentWidget()->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->metaObject() != field->metaObject() || !w->isEnabled()) continue;
        if (CheckRange(w, max, min) != 0) return w;
    }
    return nullptr;
}

void EnableAll(QWidget* container, bool on)
{
    if (!container) return;
    for (QWidget* w : container->findChildren<QWidget*>()) w->setEnabled(on);
}

void ClearEdits(QWidget* container)
{
    if (!container) return;
    for (QLineEdit* e : container->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly)) e->clear();
}

void UncheckAll(QWidget* panel)
{
    if (!panel) return;
    for (QCheckBox* c : panel->findChildren<QCheckBox*>(QString(), Qt::FindDirectChildrenOnly)) c->setChecked(false);
}

} // namespace sensors
