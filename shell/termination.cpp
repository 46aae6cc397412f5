#include "shell/termination.h"

#include "platform/messageservice.h"
#include "platform/system.h"
#include "shell/mainwindow.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>

namespace shell {

TerminationWatch::TerminationWatch(TForm_Main& main, std::function<void()> quit)
    : m_main(main), m_quit(std::move(quit))
{
    if (!m_quit) m_quit = [] { QCoreApplication::quit(); };
    m_fd = platform::InstallTerminationPipe();
    if (m_fd < 0) return;
    auto* n = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(n, &QSocketNotifier::activated, this, [this] {
        platform::DrainTerminationPipe(m_fd);
        Terminate();
    });
}

void TerminationWatch::Terminate()
{
    platform::Messages().SetUnattended(true);
    m_main.SetUnattendedClose(true);
    // Boxes and dialogs: their own loops end; what called them goes on, unattended.
    for (int guard = 0; guard < 32; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) break;
        if (auto* d = qobject_cast<QDialog*>(modal))
            d->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal) modal->hide();
    }
    m_main.close();
    m_quit();
}

} // namespace shell
