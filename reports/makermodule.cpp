// libprotocolmaker.so: the protocol maker with the office binding, behind the plain C entry points
// of reports/protocolmakerabi.h.
#include "office/desktop.h"
#include "office/office.h"
#include "platform/messageservice.h"
#include "reports/oocalcauto.h"
#include "reports/protocolmaker.h"
#include "reports/protocolmakerabi.h"

#include <QLoggingCategory>

#include <cstring>
#include <exception>
#include <vector>

#define MAKER_EXPORT extern "C" __attribute__((visibility("default")))

Q_LOGGING_CATEGORY(lcMakerModule, "lorik.reports.module")

namespace {

QString Utf8(const char* s)
{
    return s ? QString::fromUtf8(s) : QString();
}

// The program's message service, for the length of one call: the module's own would only log.
class ForwardedMessages : public platform::MessageService {
public:
    explicit ForwardedMessages(const ProtocolMakeRequest& r) : m_r(r) { platform::SetMessageService(this); }
    ~ForwardedMessages() override { platform::SetMessageService(nullptr); }
    void Show(Kind kind, const QString& caption, const QString& text) override
    {
        const int32_t k = kind == Kind::Warning       ? PROTOCOL_MESSAGE_WARNING
                          : kind == Kind::Information ? PROTOCOL_MESSAGE_INFORMATION
                                                      : PROTOCOL_MESSAGE_ERROR;
        if (m_r.message) m_r.message(m_r.context, k, caption.toUtf8().constData(), text.toUtf8().constData());
    }
    bool Ask(const QString& caption, const QString& text) override
    {
        qCWarning(lcMakerModule) << "a question the maker cannot ask:" << caption << text;
        return false;
    }

private:
    const ProtocolMakeRequest& m_r;
};

// The program's desktop, for the length of one call.
class ForwardedDesktop : public office::DesktopOpener {
public:
    explicit ForwardedDesktop(const ProtocolMakeRequest& r) : m_r(r)
    {
        if (m_r.open) office::SetDesktopOpener(this);
    }
    ~ForwardedDesktop() override
    {
        if (m_r.open) office::SetDesktopOpener(nullptr);
    }
    bool Open(const QString& path) override
    {
        m_r.open(m_r.context, path.toUtf8().constData());
        return true;
    }

private:
    const ProtocolMakeRequest& m_r;
};

} // namespace

MAKER_EXPORT int32_t ProtocolMakerAbi(void)
{
    return PROTOCOL_MAKER_ABI;
}

MAKER_EXPORT int32_t ProtocolOfficeSuites(void)
{
    const reports::OfficeSuites s = reports::DetectOfficeSuites();
    return (s.libreOffice ? PROTOCOL_SUITE_LIBREOFFICE : 0) | (s.excel ? PROTOCOL_SUITE_EXCEL : 0);
}

MAKER_EXPORT int32_t ProtocolMake(void* data, void* results, const ProtocolMakeRequest* request)
{
    if (!data || !results || !request || request->size != int32_t(sizeof(ProtocolMakeRequest)))
        return PROTOCOL_MAKE_BAD_REQUEST;
    const ProtocolMakeRequest& r = *request;
    if (r.outputPath && r.outputPathSize > 0) r.outputPath[0] = '\0';
    try {
        ForwardedMessages messages(r);
        ForwardedDesktop desktop(r);
        std::vector<reports::AmpField> amp;
        for (int32_t i = 0; r.amp && i < r.ampCount; ++i)
            amp.push_back({Utf8(r.amp[i].name), Utf8(r.amp[i].text)});
        reports::TExcel_BCB maker(*static_cast<reports::ProtocolData*>(data),
                                  *static_cast<verification::ResultList*>(results), reports::Job(),
                                  Utf8(r.reportsDir));
        const int result = maker.MakeProtocol(Utf8(r.templateDir), Utf8(r.templateName), r.useExcel != 0, amp,
                                              Utf8(r.rangeLowText), Utf8(r.rangeHighText));
        if (r.outputPath && r.outputPathSize > 0) {
            const QByteArray out = maker.OutputPath().toUtf8();
            const size_t n = std::min(size_t(out.size()), size_t(r.outputPathSize - 1));
            std::memcpy(r.outputPath, out.constData(), n);
            r.outputPath[n] = '\0';
        }
        return result;
    } catch (const std::exception& e) {
        qCWarning(lcMakerModule) << "the protocol run failed:" << e.what();
        if (r.message)
            r.message(r.context, PROTOCOL_MESSAGE_ERROR, "Ошибка создания протокола",
                      reports::OOCalcAuto::ErrorText(-2).toUtf8().constData());
        return -2;
    }
}

MAKER_EXPORT void ProtocolShutdown(void)
{
    office::ShutdownOffice();
}
