// Numeric input fields and required-field checks on the program's widgets: the key filter of every
// numeric field, the red flash, the required-field check with its error box, and reading numbers
// from fields ('.' always, whatever the user's locale).
#pragma once

#include <QChar>
#include <QObject>
#include <QString>

#include <functional>
#include <initializer_list>

class QLineEdit;
class QWidget;

namespace sensors {

/// What a key press does in a numeric field: the character to insert, or a null QChar to swallow it
/// (the filter may have edited the field itself: the "0" replacement and the sign toggle).
QChar NumericKeyFilter(QLineEdit* field, QChar key);

/// Installs NumericKeyFilter on a QLineEdit (as an event filter owned by the field).
void InstallNumericKeyFilter(QLineEdit* field);

/// Red for 500 ms (a blocking wait), then the old colour and the focus. Edit fields and drop-down
/// lists that can take the focus only.
void FlashAndFocus(QWidget* control);

/// Tests the controls in order and stops at the first that fails; true when none fails. A control
/// passes when absent, hidden or disabled, a drop-down list with a selection, or an edit field with
/// text. When one fails and `report` is set: it takes the focus, an edit field turns red and goes
/// to the wrong-field marker, and the error box "Не указан параметр" shows.
bool RequireFilled(bool report, std::initializer_list<QWidget*> controls);

/// The main window's wrong-field marker (it restores the normal colour 2000 ms later). The shell
/// installs it; until then the colour simply stays.
void SetWrongFieldMarker(std::function<void(QWidget*)> marker);
/// The text of the required-field error box (the shell installs its translated text).
void SetMissingFieldText(const QString& text);

/// The text of an edit field or label ("" for any other control).
QString FieldText(const QWidget* field);
/// The trimmed text; empty gives 0; else the number read at its start, 0 when none.
float FieldValue(const QWidget* field);
/// Not empty, not "<<<.<<<", a number reads from it. A missing field counts as holding a number.
bool HasNumber(const QWidget* field);
/// -1 no number, -2 below min, -3 above max, else 0.
int CheckRange(const QWidget* field, float max, float min);
/// Among the enabled siblings of `field` of exactly its class, in creation order, the first whose
/// CheckRange is not 0; nullptr when all pass.
QWidget* FirstOutOfRange(QWidget* field, float max, float min);

/// Enables or disables every widget inside `container`, recursively.
void EnableAll(QWidget* container, bool on);
/// Empties every edit field directly inside `container`.
void ClearEdits(QWidget* container);
/// Unticks every check box directly inside `panel`.
void UncheckAll(QWidget* panel);

} // namespace sensors
