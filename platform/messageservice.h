// The one message service: every error box, warning and OK/Cancel question of the program goes
// through it. The program installs the service that shows QMessageBox; tests install a recorder
// that keeps what was shown and answers the questions.
#pragma once

#include <QString>
#include <QStringList>

#include <deque>

namespace platform {

class MessageService {
public:
    enum class Kind { Error, Warning, Information };
    virtual ~MessageService() = default;
    /// A modal box with an OK button.
    virtual void Show(Kind kind, const QString& caption, const QString& text) = 0;
    /// An OK/Cancel question; true for OK.
    virtual bool Ask(const QString& caption, const QString& text) = 0;
    /// Unattended (the program is ending on a signal): nothing is shown any more, questions get
    /// their safe default. A service that is showing a box at that moment ends it.
    virtual void SetUnattended(bool on) { m_unattended = on; }
    bool Unattended() const { return m_unattended; }

protected:
    bool m_unattended = false;
};

/// The installed service (a logging one that answers Cancel until something is installed).
MessageService& Messages();
/// Installs a service (not owned); nullptr restores the logging one.
void SetMessageService(MessageService* service);

/// Keeps every message and answers questions from a queue (OK when the queue is empty).
class RecordingMessageService : public MessageService {
public:
    struct Entry {
        Kind kind;
        QString caption, text;
        bool question;
    };
    void Show(Kind kind, const QString& caption, const QString& text) override;
    bool Ask(const QString& caption, const QString& text) override;
    void QueueAnswer(bool ok) { m_answers.push_back(ok); }
    const std::deque<Entry>& Entries() const { return m_entries; }
    QStringList Texts() const;
    void Clear() { m_entries.clear(); }

private:
    std::deque<Entry> m_entries;
    std::deque<bool> m_answers;
};

/// Installs a recorder for the lifetime of the object.
class ScopedMessageRecorder : public RecordingMessageService {
public:
    ScopedMessageRecorder() { SetMessageService(this); }
    ~ScopedMessageRecorder() override { SetMessageService(nullptr); }
};

} // namespace platform
