// lorikws: the workstation program.
#include "measure/graphchk.h"
#include "sensors/calcframe.h"
#include "shell/aboutwindow.h"
#include "shell/boxes.h"
#include "shell/components.h"
#include "shell/mainwindow.h"
#include "shell/termination.h"
#include "verification/ktframe.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lorikws"));
    QApplication::setApplicationDisplayName(QStringLiteral("АРМ ЛОРИК"));

    shell::BoxMessageService boxes;
    platform::SetMessageService(&boxes);

    const shell::StartOptions options = shell::StartOptions::FromArguments(app.arguments());
    int result = 0;
    {
        shell::TForm_Main main(options);
        // The other windows are top-level windows of their own (each walked once by the project).
        shell::TForm_About about;
        verification::TForm_KT kt;
        measure::TFormGraphChk chart;
        sensors::TFormHelpCalcTCTP calculator;
        shell::ProgramWindows().assign({&main, &about, &kt, &chart, &calculator});
        if (auto* list = main.findChild<verification::TFrame_KT*>()) list->SetEditor(&kt);

        if (main.EndAtStart()) {
            QTimer::singleShot(0, &app, &QApplication::quit);
            result = app.exec();
        } else {
            shell::TerminationWatch termination(main);
            main.show();
            result = app.exec();
            main.CloseSequence();
        }
        shell::ProgramWindows().clear();
    }
    platform::SetMessageService(nullptr);
    return result;
}
