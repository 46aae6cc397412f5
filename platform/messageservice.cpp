#include "platform/messageservice.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcMessages, "lorik.messages")

namespace platform {
namespace {

class LoggingService : public MessageService {
public:
    void Show(Kind, const QString& caption, const QString& text) override
    {
        qCWarning(lcMessages).noquote() << caption << ":" << text;
    }
    bool Ask(const QString& caption, const QString& text) override
    {
        qCWarning(lcMessages).noquote() << caption << ":" << text << "(answered Cancel)";
        return false;
    }
};

LoggingService g_logging;
MessageService* g_service = nullptr;

} // namespace

MessageService& Messages() { return g_service ? *g_service : g_logging; }

void SetMessageService(MessageService* service) { g_service = service; }

void RecordingMessageService::Show(Kind kind, const QString& caption, const QString& text)
{
    m_entries.push_back({kind, caption, text, false});
}

bool RecordingMessageService::Ask(const QString& caption, const QString& text)
{
    m_entries.push_back({Kind::Information, caption, text, true});
    if (m_answers.empty()) return true;
    const bool ok = m_answers.front();
    m_answers.pop_front();
    return ok;
}

QStringList RecordingMessageService::Texts() const
{
    QStringList out;
    for (const Entry& e : m_entries) out << e.text;
    return out;
}

} // namespace platform
