// The protocol maker as the program reaches it: the module libprotocolmaker.so, loaded by file name
// the first time it is needed and never unloaded (see reports/protocolmakerabi.h). The program
// links no office library; without the module (or with one that cannot load, because LibreOffice
// is missing) it runs on, and making a protocol says that the library is not found.
#pragma once

#include "platform/library.h"
#include "reports/protocoldata.h"

#include <QString>

#include <functional>
#include <utility>
#include <vector>

namespace verification {
struct ResultList;
}

namespace reports {

inline constexpr char kProtocolMakerFile[] = "libprotocolmaker.so";
/// What Make() returns when the module is not usable.
inline constexpr int kMakerUnusable = -101;

class ProtocolMakerModule {
public:
    enum class State { NotLoaded, Loaded, FileMissing, CannotLoad, SymbolMissing, WrongAbi };

    /// `path`: the module file. Empty: $LORIK_PROTOCOL_MAKER when set (tests), else
    /// "libprotocolmaker.so" in the program's library folder.
    explicit ProtocolMakerModule(QString path = {});
    ProtocolMakerModule(const ProtocolMakerModule&) = delete;
    ProtocolMakerModule& operator=(const ProtocolMakerModule&) = delete;

    /// Loads the module the first time (the reason of a failure is logged); later calls return the
    /// state of the first. Starts no office.
    State Load();
    State GetState() const { return m_state; }
    bool Usable() const { return m_state == State::Loaded; }
    const QString& Path() const { return m_path; }
    /// The loader's explanation when the module is not usable.
    const QString& Reason() const { return m_reason; }

    /// PROTOCOL_SUITE_* bits of the suites that can fill protocols (loads the module first); 0
    /// when the module is not usable.
    int OfficeSuites();

    struct Request {
        QString templateDir, templateName, reportsDir;
        bool useExcel = false;
        std::vector<std::pair<QString, QString>> amp; ///< "amp_" name and text, in placeholder order
        QString rangeLowText, rangeHighText;
        /// Receives the stored protocol for the desktop; empty: the module's own opener.
        std::function<void(const QString&)> open;
    };
    /// Makes the protocol from the program's record and list; the maker's messages go to the
    /// program's message service. kMakerUnusable when the module is not usable (nothing shown),
    /// else what the maker returned (0, -1 nothing to report, or the run's code).
    int Make(ProtocolData& data, verification::ResultList& results, const Request& request,
             QString* outputPath = nullptr);
    /// Ends the module's office, when the module was loaded.
    void Shutdown();

private:
    QString m_path;
    QString m_reason;
    State m_state = State::NotLoaded;
    platform::SharedLibrary m_lib;
    void* m_suites = nullptr;
    void* m_make = nullptr;
    void* m_shutdown = nullptr;
};

/// The program's module.
ProtocolMakerModule& ProtocolMaker();

} // namespace reports
