// The end of the program on SIGINT or SIGTERM (a desktop logout, a service manager, Ctrl+C): the
// same close sequence as "Выход" (calibrator released, settings and project saved), even while a
// message box or a question is open, and then the end of every event loop, nested ones included.
#pragma once

#include <QObject>

#include <functional>

namespace shell {

class TForm_Main;

class TerminationWatch : public QObject {
    Q_OBJECT
public:
    /// Watches the termination signals for `main`; `quit` ends the event loops (default
    /// QCoreApplication::quit).
    explicit TerminationWatch(TForm_Main& main, std::function<void()> quit = {});
    /// What a termination signal does: unattended from now on, every open modal window closed,
    /// the main window closed (its close sequence), then quit.
    void Terminate();

private:
    TForm_Main& m_main;
    std::function<void()> m_quit;
    int m_fd = -1;
};

} // namespace shell
