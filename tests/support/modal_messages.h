// A message service that behaves as a modal box does: each message is recorded and then "shown"
// for a while by running a nested event loop, so timers, socket notifiers and queued calls run
// inside it, as they do while a real box is open. Questions answer from the recorder's queue.
// Going unattended ends the box at once, as closing a real box does.
#pragma once

#include "platform/messageservice.h"

#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace testsupport {

class ModalMessageService : public platform::RecordingMessageService {
public:
    /// `ms`: how long each box stays open.
    explicit ModalMessageService(int ms = 200) : m_ms(ms) { platform::SetMessageService(this); }
    ~ModalMessageService() override { platform::SetMessageService(nullptr); }

    void Show(Kind kind, const QString& caption, const QString& text) override
    {
        RecordingMessageService::Show(kind, caption, text);
        RunBox();
    }
    bool Ask(const QString& caption, const QString& text) override
    {
        const bool ok = RecordingMessageService::Ask(caption, text);
        RunBox();
        return ok;
    }
    void SetUnattended(bool on) override
    {
        RecordingMessageService::SetUnattended(on);
        if (on && m_loop) m_loop->quit();
    }

    /// Runs once inside the next box, after the event loop has started.
    std::function<void()> whileOpen;
    /// How many boxes are open right now (nested ones count).
    int OpenBoxes() const { return m_open; }

private:
    void RunBox()
    {
        if (m_unattended) return;
        QEventLoop loop;
        QEventLoop* outer = m_loop;
        m_loop = &loop;
        ++m_open;
        if (whileOpen) {
            auto f = std::move(whileOpen);
            whileOpen = nullptr;
            QTimer::singleShot(0, &loop, f);
        }
        QTimer::singleShot(m_ms, &loop, &QEventLoop::quit);
        loop.exec();
        --m_open;
        m_loop = outer;
    }

    int m_ms;
    int m_open = 0;
    QEventLoop* m_loop = nullptr;
};

} // namespace testsupport
