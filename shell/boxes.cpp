#include "shell/boxes.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcBoxes, "lorik.messages.boxes")

namespace shell {

void BoxMessageService::Show(Kind kind, const QString& caption, const QString& text)
{
    if (m_unattended) {
        qCWarning(lcBoxes).noquote() << caption << text;
        return;
    }
    const QMessageBox::Icon icon = kind == Kind::Error     ? QMessageBox::Critical
                                   : kind == Kind::Warning ? QMessageBox::Warning
                                                           : QMessageBox::Information;
    QMessageBox box(icon, caption.isEmpty() ? QApplication::applicationDisplayName() : caption, text,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool BoxMessageService::Ask(const QString& caption, const QString& text)
{
    if (m_unattended) return true;
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Ok;
}

} // namespace shell
