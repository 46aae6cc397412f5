#include "shell/aboutwindow.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace shell {

TForm_About::TForm_About(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_About"));
    setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(this);
    auto add = [&](const QString& text, const char* name) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setOpenExternalLinks(false);
        layout->addWidget(l);
        return l;
    };
    add(QStringLiteral("Версия 2.3"), "Label_Version");
    add(QStringLiteral("Автоматизированное рабочее место ЛОРИК"), "Label_Title");
    const QString subject = QStringLiteral("?subject=АРМ ЛОРИК");
    auto link = [&](const QString& shown, const QString& url, const char* name) {
        QLabel* l = add(QStringLiteral("<a href=\"%1\">%2</a>").arg(url, shown), name);
        connect(l, &QLabel::linkActivated, this,
                [](const QString& u) { QDesktopServices::openUrl(QUrl(u)); });
    };
    link(QString::fromLatin1(kWebAddress), QString::fromLatin1(kWebAddress), "Label_Web");
    link(QString::fromLatin1(kSupportMail),
         QStringLiteral("mailto:") + QString::fromLatin1(kSupportMail) + subject, "Label_Mail1");
    link(QString::fromLatin1(kDeveloperMail),
         QStringLiteral("mailto:") + QString::fromLatin1(kDeveloperMail) + subject, "Label_Mail2");
    auto* buttons = new QHBoxLayout;
    for (const char* caption : {"OK", "X"}) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QStringLiteral("btn_") + QString::fromLatin1(caption));
        connect(b, &QPushButton::clicked, this, &QDialog::accept);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
}

} // namespace shell
