// lorikws: the workstation program.
#include "platform/system.h"
#include "shell/boxes.h"
#include "shell/components.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lorikws"));
    QApplication::setApplicationDisplayName(QStringLiteral("АРМ ЛОРИК"));

    shell::BoxMessageService boxes;
    platform::SetMessageService(&boxes);

    const shell::StartOptions options = shell::StartOptions::FromArguments(app.arguments());
    shell::TForm_Main main(options);
    shell::TForm_About about(&main);
    about.setWindowFlag(Qt::Window);
    shell::TForm_KT kt(&main);
    shell::TFormGraphChk chart(&main);
    shell::TFormHelpCalcTCTP calculator(&main);
    shell::ProgramWindows().assign({&main, &about, &kt, &chart, &calculator});

    if (main.EndAtStart()) {
        QTimer::singleShot(0, &app, &QApplication::quit);
        const int r = app.exec();
        platform::SetMessageService(nullptr);
        return r;
    }

    // A desktop logout, a service manager or Ctrl+C closes the window as "Выход" does.
    const int fd = platform::InstallTerminationPipe();
    if (fd >= 0) {
        auto* n = new QSocketNotifier(fd, QSocketNotifier::Read, &main);
        QObject::connect(n, &QSocketNotifier::activated, &main, [&main, &boxes, fd] {
            platform::DrainTerminationPipe(fd);
            boxes.SetUnattended(true);
            main.close();
        });
    }
    main.show();
    const int r = app.exec();
    main.CloseSequence();
    platform::SetMessageService(nullptr);
    return r;
}
