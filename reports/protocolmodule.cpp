#include "reports/protocolmodule.h"

#include "platform/messageservice.h"
#include "reports/protocolmakerabi.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QStringList>

#include <string>

Q_LOGGING_CATEGORY(lcMaker, "lorik.reports.maker")

namespace reports {
namespace {

void ShowMessage(void*, int32_t kind, const char* caption, const char* text)
{
    using Kind = platform::MessageService::Kind;
    const Kind k = kind == PROTOCOL_MESSAGE_WARNING       ? Kind::Warning
                   : kind == PROTOCOL_MESSAGE_INFORMATION ? Kind::Information
                                                          : Kind::Error;
    platform::Messages().Show(k, QString::fromUtf8(caption ? caption : ""),
                              QString::fromUtf8(text ? text : ""));
}

void OpenFile(void* context, const char* path)
{
    const auto* open = static_cast<const std::function<void(const QString&)>*>(context);
    if (open && *open && path) (*open)(QString::fromUtf8(path));
}

} // namespace

ProtocolMakerModule::ProtocolMakerModule(QString path) : m_path(std::move(path))
{
    if (m_path.isEmpty()) m_path = qEnvironmentVariable("LORIK_PROTOCOL_MAKER");
    if (m_path.isEmpty()) m_path = QString::fromLatin1(kProtocolMakerFile);
}

ProtocolMakerModule::State ProtocolMakerModule::Load()
{
    if (m_state != State::NotLoaded) return m_state;
    using S = platform::SharedLibrary::Status;
    // once in, the module stays: the office binding inside cannot be unloaded
    switch (m_lib.Load(m_path, true)) {
    case S::Loaded:
        break;
    case S::FileMissing:
        m_state = State::FileMissing;
        break;
    default:
        m_state = State::CannotLoad;
        break;
    }
    if (m_state == State::NotLoaded) {
        QStringList missing;
        auto resolve = [&](const char* name) {
            void* f = m_lib.Resolve(name);
            if (!f) missing << QString::fromLatin1(name);
            return f;
        };
        auto abi = reinterpret_cast<ProtocolMakerAbiFn>(resolve("ProtocolMakerAbi"));
        m_suites = resolve("ProtocolOfficeSuites");
        m_make = resolve("ProtocolMake");
        m_shutdown = resolve("ProtocolShutdown");
        if (!missing.isEmpty()) {
            m_state = State::SymbolMissing;
            m_reason = QStringLiteral("functions missing: ") + missing.join(QStringLiteral(", "));
        } else if (const int got = abi(); got != PROTOCOL_MAKER_ABI) {
            m_state = State::WrongAbi;
            m_reason = QStringLiteral("layout %1, the program has %2").arg(got).arg(PROTOCOL_MAKER_ABI);
        } else {
            m_state = State::Loaded;
        }
    } else {
        m_reason = m_lib.Error();
    }
    if (m_state != State::Loaded) {
        m_suites = m_make = m_shutdown = nullptr;
        qCWarning(lcMaker).noquote() << "the protocol maker" << m_lib.Path() << "is not usable:" << m_reason;
    }
    return m_state;
}

int ProtocolMakerModule::OfficeSuites()
{
    if (Load() != State::Loaded) return 0;
    return reinterpret_cast<ProtocolOfficeSuitesFn>(m_suites)();
}

int ProtocolMakerModule::Make(ProtocolData& data, verification::ResultList& results, const Request& r,
                              QString* outputPath)
{
    if (Load() != State::Loaded) return kMakerUnusable;
    const QByteArray dir = r.templateDir.toUtf8(), name = r.templateName.toUtf8(),
                     reports = r.reportsDir.toUtf8(), low = r.rangeLowText.toUtf8(),
                     high = r.rangeHighText.toUtf8();
    std::vector<QByteArray> texts;
    texts.reserve(r.amp.size() * 2);
    std::vector<ProtocolAmpField> amp;
    amp.reserve(r.amp.size());
    for (const auto& [n, t] : r.amp) {
        texts.push_back(n.toUtf8());
        const char* np = texts.back().constData();
        texts.push_back(t.toUtf8());
        amp.push_back({np, texts.back().constData()});
    }
    std::string out(4096, '\0');
    ProtocolMakeRequest q{};
    q.size = sizeof q;
    q.templateDir = dir.constData();
    q.templateName = name.constData();
    q.reportsDir = reports.constData();
    q.useExcel = r.useExcel ? 1 : 0;
    q.amp = amp.data();
    q.ampCount = int32_t(amp.size());
    q.rangeLowText = low.constData();
    q.rangeHighText = high.constData();
    q.message = &ShowMessage;
    q.context = const_cast<std::function<void(const QString&)>*>(&r.open);
    q.open = r.open ? &OpenFile : nullptr;
    q.outputPath = out.data();
    q.outputPathSize = int32_t(out.size());
    const int result = reinterpret_cast<ProtocolMakeFn>(m_make)(&data, &results, &q);
    if (outputPath) *outputPath = QString::fromUtf8(out.c_str());
    return result;
}

void ProtocolMakerModule::Shutdown()
{
    if (m_state == State::Loaded) reinterpret_cast<ProtocolShutdownFn>(m_shutdown)();
}

ProtocolMakerModule& ProtocolMaker()
{
    static ProtocolMakerModule module;
    return module;
}

} // namespace reports
