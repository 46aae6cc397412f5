#include "shell/boxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>

Q_LOGGING_CATEGORY(lcBoxes, "lorik.messages.boxes")

namespace shell {

namespace {
// Without a screen (the offscreen and minimal platforms) nobody can answer a modal box: it would
// wait for ever.
bool NoScreen()
{
    const QString p = QGuiApplication::platformName();
    return p == QStringLiteral("offscreen") || p == QStringLiteral("minimal");
}
} // namespace

void BoxMessageService::Show(Kind kind, const QString& caption, const QString& text)
{
    if (m_unattended || NoScreen()) {
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
    if (m_unattended || NoScreen()) {
        qCWarning(lcBoxes).noquote() << caption << text << "(answered OK)";
        return true;
    }
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Ok;
}

} // namespace shell
