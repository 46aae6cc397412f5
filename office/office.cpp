#include "office/office.h"

#include "platform/library.h"
#include "platform/process.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XBridgeFactory2.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnection.hpp>
#include <com/sun/star/connection/XConnector.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XCellRangeReferrer.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XSearchDescriptor.hpp>
#include <com/sun/star/util/XSearchable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcOffice, "lorik.office")

using namespace com::sun::star;
using rtl::OUString;
using uno::Any;
using uno::Reference;
using uno::Sequence;
using uno::UNO_QUERY;
using uno::UNO_QUERY_THROW;

namespace office {
namespace {

using Clock = std::chrono::steady_clock;

// Set when the shared session has been destroyed (the exit, or the unload of the module that holds
// it): clean-up handlers that run later find nothing to do.
bool g_sessionGone = false;

OUString ToOU(const QString& s)
{
    return OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size());
}
QString FromOU(const OUString& s)
{
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}

beans::PropertyValue Prop(const char* name, const Any& value)
{
    beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

Sequence<beans::PropertyValue> Props(std::initializer_list<beans::PropertyValue> list)
{
    Sequence<beans::PropertyValue> s(sal_Int32(list.size()));
    sal_Int32 i = 0;
    for (const auto& p : list)
        s.getArray()[i++] = p;
    return s;
}

QString FileUrl(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

const char* FilterFor(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QStringLiteral("ods")) return "calc8";
    if (ext == QStringLiteral("xlsx")) return "Calc MS Excel 2007 XML";
    if (ext == QStringLiteral("fods")) return "OpenDocument Spreadsheet Flat XML";
    return "MS Excel 97";
}

// The folder that holds this module's office profiles.
QString ProfileRoot()
{
    const QString own = qEnvironmentVariable("LORIK_OFFICE_PROFILE");
    if (!own.isEmpty()) return own;
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/lorikws/office-profile");
}

// Profiles are "<module>-<pid>": two programs (or two runs of one test) never share one, which
// would make one office hand its work to the other. Profiles of processes that no longer exist
// (killed before they could clean up) are removed.
QString MakeProfile(const QString& module)
{
    const QString root = ProfileRoot();
    const QString prefix = module + QLatin1Char('-');
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!name.startsWith(prefix)) continue;
        bool ok = false;
        const int pid = name.mid(prefix.size()).toInt(&ok);
        if (ok && pid != getpid() && !platform::ProcessExists(pid))
            QDir(root + QLatin1Char('/') + name).removeRecursively();
    }
    const QString path = root + QLatin1Char('/') + prefix + QString::number(getpid());
    QDir().mkpath(path);
    return path;
}

// The office reads file names in the character set of its locale: under "C" or "POSIX" the
// protocols' Cyrillic names cannot be opened. Such a locale gets UTF-8 characters for the office.
std::vector<std::string> Utf8Locale()
{
    const auto utf8 = [](const QString& v) {
        return v.contains(QStringLiteral("utf-8"), Qt::CaseInsensitive) ||
               v.contains(QStringLiteral("utf8"), Qt::CaseInsensitive);
    };
    const QString all = qEnvironmentVariable("LC_ALL");
    if (!all.isEmpty())
        return utf8(all) ? std::vector<std::string>() : std::vector<std::string>{"LC_ALL=C.UTF-8"};
    QString ctype = qEnvironmentVariable("LC_CTYPE");
    if (ctype.isEmpty()) ctype = qEnvironmentVariable("LANG");
    return utf8(ctype) ? std::vector<std::string>() : std::vector<std::string>{"LC_CTYPE=C.UTF-8"};
}

// Escapes a text for the office's regular expressions (ICU): every character that is not a letter
// or a digit is quoted.
QString RegexLiteral(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (!c.isLetterOrNumber()) out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString Replaced(QString text, const std::vector<std::pair<QString, QString>>& pairs)
{
    for (const auto& [key, value] : pairs)
        if (!key.isEmpty()) text.replace(key, value);
    return text;
}

} // namespace

struct Session::Impl {
    QString module;
    QString profile;
    QString pipe;
    int lastStartMs = 0;
    TimeLimits limits;
    Reference<uno::XComponentContext> local;
    Reference<bridge::XBridge> bridge;
    Reference<uno::XComponentContext> remote;
    Reference<frame::XDesktop2> desktop;
    bool exitHandler = false;

    // The watchdog. Everything below is guarded by `mutex`; `pid` too, since the watchdog reads it.
    std::mutex mutex;
    std::condition_variable wake;
    std::thread watchdog;
    bool quit = false;
    Clock::time_point deadline = Clock::time_point::max();
    int expiries = 0;
    int pid = -1;

    int Pid()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return pid;
    }
    void SetPid(int p)
    {
        std::lock_guard<std::mutex> lock(mutex);
        pid = p;
    }

    void RunWatchdog()
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (!quit) {
            if (deadline == Clock::time_point::max()) {
                wake.wait(lock);
                continue;
            }
            if (wake.wait_until(lock, deadline) == std::cv_status::timeout && Clock::now() >= deadline) {
                ++expiries;
                deadline = Clock::time_point::max();
                qCWarning(lcOffice) << "the office did not answer in time; ending it (pid" << pid << ")";
                if (pid > 0) platform::KillProcessGroup(pid);
            }
        }
    }
    void EnsureWatchdog()
    {
        if (watchdog.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            quit = false;
        }
        watchdog = std::thread([this] { RunWatchdog(); });
    }
    void StopWatchdog()
    {
        if (!watchdog.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            quit = true;
        }
        wake.notify_all();
        watchdog.join();
    }

    // Whether our office process still runs (reaps it when it ended).
    bool ProcessRuns()
    {
        const int p = Pid();
        if (p <= 0) return false;
        int code = 0;
        if (platform::PollChild(p, &code) == 0) return true;
        SetPid(-1);
        return false;
    }

    // One round trip to the desktop: false when the office is gone (or was ended by the watchdog).
    bool Answers()
    {
        if (!desktop.is() || !ProcessRuns()) return false;
        try {
            desktop->getCurrentComponent();
            return true;
        } catch (const uno::Exception&) {
            return false;
        }
    }

    // Lets go of the office's objects and disposes the bridge (which joins its threads).
    void CloseBridge()
    {
        desktop.clear();
        remote.clear();
        if (bridge.is()) {
            try {
                Reference<lang::XComponent>(bridge, UNO_QUERY_THROW)->dispose();
            } catch (const uno::Exception&) {
            }
        }
        bridge.clear();
    }

    void EndProcess(int waitMs)
    {
        const int p = Pid();
        if (p > 0) {
            if (waitMs <= 0 || !platform::WaitChild(p, waitMs)) platform::KillChildGroup(p);
            SetPid(-1);
        }
    }

    // The binding's own objects: a library that is unloaded would otherwise leave them behind
    // unreachable. The next Start() bootstraps again.
    void ReleaseBinding()
    {
        if (!local.is()) return;
        try {
            Reference<lang::XComponent>(local, UNO_QUERY_THROW)->dispose();
        } catch (const uno::Exception&) {
        }
        local.clear();
    }

    void RemoveProfile()
    {
        if (!profile.isEmpty()) QDir(profile).removeRecursively();
        profile.clear();
    }

    int Spawn()
    {
        const QString bin = QStringLiteral(LORIK_LO_HOME "/program/soffice.bin");
        std::vector<std::string> argv = {bin.toStdString()};
        for (const char* a :
             {"--headless", "--invisible", "--nologo", "--nodefault", "--norestore", "--nolockcheck"})
            argv.push_back(a);
        argv.push_back(QString(QStringLiteral("-env:UserInstallation=") +
                               QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded))
                           .toStdString());
        argv.push_back(QString(QStringLiteral("--accept=pipe,name=") + pipe +
                               QStringLiteral(";urp;StarOffice.ComponentContext"))
                           .toStdString());
        const int p = platform::SpawnTiedProcess(argv, Utf8Locale());
        SetPid(p);
        return p;
    }
};

Session& Session::Shared()
{
    // ShutdownOffice() ends the office at the close, the unload or the exit, while the binding's
    // own objects still exist; the object itself goes with the module.
    static Session s;
    return s;
}

Session::Session() : m_impl(std::make_unique<Impl>())
{
    QString module =
        QFileInfo(platform::ModulePathOf(reinterpret_cast<const void*>(&Session::Shared))).fileName();
    if (module.isEmpty()) module = QStringLiteral("lorikws");
    m_impl->module = module;
}

Session::~Session()
{
    Shutdown();
    m_impl->ReleaseBinding();
    g_sessionGone = true;
}

bool Session::Installed()
{
    return QFileInfo::exists(QStringLiteral(LORIK_LO_HOME "/program/soffice.bin"));
}
bool Session::Running() const
{
    return m_impl->bridge.is() && m_impl->ProcessRuns();
}
int Session::Pid() const
{
    return m_impl->Pid();
}
QString Session::Profile() const
{
    return m_impl->profile;
}
int Session::LastStartMs() const
{
    return m_impl->lastStartMs;
}
const TimeLimits& Session::Limits() const
{
    return m_impl->limits;
}
void Session::SetLimits(const TimeLimits& limits)
{
    m_impl->limits = limits;
}

void ShutdownOffice()
{
    if (g_sessionGone) return; // the exit or the unload is past the session already
    Session& s = Session::Shared();
    s.Shutdown();
    s.impl()->ReleaseBinding();
}

int Session::Start()
{
    Impl& d = *m_impl;
    d.lastStartMs = 0;
    TimeLimit limit(*this, d.limits.connectMs);
    if (d.Answers()) return StartOk;
    if (limit.Expired()) { // it hung: the watchdog has ended it; the next run starts afresh
        d.CloseBridge();
        d.EndProcess(0);
        d.RemoveProfile();
        return NoServer;
    }
    d.CloseBridge();
    d.EndProcess(0);
    d.RemoveProfile();
    if (!Installed()) {
        qCWarning(lcOffice) << "LibreOffice is not installed";
        return NoServer;
    }
    QElapsedTimer clock;
    clock.start();
    // Both settings are needed for the binding to find the office API types (see the build notes).
    setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" LORIK_LO_HOME "/program/fundamentalrc", 0);
    auto fail = [&](int code) {
        d.CloseBridge();
        d.EndProcess(0);
        d.RemoveProfile();
        return code;
    };
    d.profile = MakeProfile(d.module);
    d.pipe = QStringLiteral("lorikws%1x%2").arg(getpid()).arg(QDateTime::currentMSecsSinceEpoch() % 1000000);
    Reference<connection::XConnector> connector;
    Reference<bridge::XBridgeFactory2> factory;
    try {
        if (!d.local.is()) d.local = cppu::defaultBootstrap_InitialComponentContext();
        if (!d.exitHandler) { // after the binding came up, so it runs before the binding's own clean-up
            d.exitHandler = true;
            std::atexit([] { ShutdownOffice(); });
        }
        connector = connection::Connector::create(d.local);
        factory = bridge::BridgeFactory::create(d.local);
    } catch (const uno::Exception& e) {
        qCWarning(lcOffice) << "UNO bootstrap failed:" << FromOU(e.Message);
        return fail(NoServer);
    }
    if (d.Spawn() < 0) return fail(NoServer);
    const OUString where = ToOU(QStringLiteral("pipe,name=%1").arg(d.pipe));
    Reference<connection::XConnection> connection;
    bool restarted = false;
    while (!connection.is()) {
        if (limit.Expired() || clock.elapsed() > d.limits.connectMs) return fail(NoServer);
        try {
            connection = connector->connect(where);
            break;
        } catch (const connection::NoConnectException&) {
        } catch (const uno::Exception& e) {
            qCWarning(lcOffice) << "cannot reach the office:" << FromOU(e.Message);
            return fail(NoServer);
        }
        int code = 0;
        const int p = d.Pid();
        if (p > 0 && platform::PollChild(p, &code) == 1) {
            d.SetPid(-1);
            if (code == 81 && !restarted) { // a fresh profile: the office restarts itself once
                restarted = true;
                if (d.Spawn() < 0) return fail(NoServer);
            } else {
                qCWarning(lcOffice) << "the office ended with" << code;
                return fail(NoServer);
            }
        }
        QThread::msleep(20);
    }
    try {
        d.bridge = factory->createBridge(OUString(), OUString("urp"), connection, nullptr);
        d.remote.set(d.bridge->getInstance(OUString("StarOffice.ComponentContext")), UNO_QUERY);
    } catch (const uno::Exception& e) {
        qCWarning(lcOffice) << "no bridge to the office:" << FromOU(e.Message);
        return fail(NoServer);
    }
    if (!d.remote.is()) return fail(limit.Expired() ? NoServer : NoApplication);
    try {
        d.desktop = frame::Desktop::create(d.remote);
    } catch (const uno::Exception&) {
        return fail(limit.Expired() ? NoServer : NoDesktop);
    }
    if (!d.desktop.is()) return fail(NoDesktop);
    if (limit.Expired()) return fail(NoServer);
    d.lastStartMs = int(clock.elapsed());
    return StartOk;
}

void Session::Shutdown()
{
    Impl& d = *m_impl;
    if (d.desktop.is() && d.ProcessRuns()) {
        TimeLimit limit(*this, d.limits.shutdownMs);
        try {
            d.desktop->terminate();
        } catch (const uno::Exception&) { // the bridge dies during the call
        }
    }
    d.CloseBridge();
    d.EndProcess(d.limits.shutdownMs);
    d.StopWatchdog();
    d.RemoveProfile();
}

TimeLimit::TimeLimit(Session& session, int ms) : m_session(session)
{
    Session::Impl& d = *session.impl();
    d.EnsureWatchdog();
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        m_saved = d.deadline;
        m_expiries = d.expiries;
        d.deadline = std::min(d.deadline, Clock::now() + std::chrono::milliseconds(std::max(ms, 0)));
    }
    d.wake.notify_all();
}

TimeLimit::~TimeLimit()
{
    Session::Impl& d = *m_session.impl();
    {
        std::lock_guard<std::mutex> lock(d.mutex);
        d.deadline = m_saved;
    }
    d.wake.notify_all();
}

bool TimeLimit::Expired() const
{
    Session::Impl& d = *m_session.impl();
    std::lock_guard<std::mutex> lock(d.mutex);
    return d.expiries != m_expiries;
}

struct Document::Impl {
    Session& session;
    Reference<lang::XComponent> component;
    Reference<sheet::XSpreadsheetDocument> doc;

    explicit Impl(Session& s) : session(s) {}

    Reference<sheet::XSpreadsheet> Sheet(int i) const
    {
        Reference<container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
        if (i < 0 || i >= sheets->getCount()) throw uno::RuntimeException();
        Reference<sheet::XSpreadsheet> s;
        sheets->getByIndex(i) >>= s;
        if (!s.is()) throw uno::RuntimeException();
        return s;
    }
    Reference<table::XCell> Cell(int sheet, int column, int row) const
    {
        Reference<table::XCell> c = Sheet(sheet)->getCellByPosition(column, row);
        if (!c.is()) throw uno::RuntimeException();
        return c;
    }
    table::CellRangeAddress UsedRange(const Reference<sheet::XSpreadsheet>& s) const
    {
        Reference<sheet::XSheetCellCursor> cursor = s->createCursor();
        Reference<sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
        used->gotoStartOfUsedArea(false);
        used->gotoEndOfUsedArea(true);
        return Reference<sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
    }
};

Document::Document(Session& session) : m_impl(std::make_unique<Impl>(session)) {}

Document::~Document()
{
    Close();
}

#define OFFICE_TRY try {
#define OFFICE_CATCH(result)                                                                                 \
    }                                                                                                        \
    catch (const uno::Exception& e)                                                                          \
    {                                                                                                        \
        qCDebug(lcOffice) << __func__ << FromOU(e.Message);                                                  \
        return result;                                                                                       \
    }

bool Document::Open(const QString& path)
{
    Close();
    Session::Impl& s = *m_impl->session.impl();
    if (!s.desktop.is()) return false;
    // A lock file left by an office that ended abnormally would make the load fail or go read-only.
    const QFileInfo fi(path);
    QFile::remove(fi.absolutePath() + QStringLiteral("/.~lock.") + fi.fileName() + QLatin1Char('#'));
    OFFICE_TRY
    Reference<frame::XComponentLoader> loader(s.desktop, UNO_QUERY_THROW);
    Reference<lang::XComponent> c = loader->loadComponentFromURL(ToOU(FileUrl(path)), OUString("_blank"), 0,
                                                                 Props({Prop("Hidden", Any(true))}));
    if (!c.is()) return false;
    m_impl->component = c;
    m_impl->doc.set(c, UNO_QUERY);
    if (!m_impl->doc.is()) {
        Close();
        return false;
    }
    Reference<frame::XStorable> storable(c, UNO_QUERY);
    if (storable.is() && storable->isReadonly()) {
        Close();
        return false;
    }
    return true;
    OFFICE_CATCH(false)
}

bool Document::Create()
{
    Close();
    Session::Impl& s = *m_impl->session.impl();
    if (!s.desktop.is()) return false;
    OFFICE_TRY
    Reference<frame::XComponentLoader> loader(s.desktop, UNO_QUERY_THROW);
    Reference<lang::XComponent> c = loader->loadComponentFromURL(
        OUString("private:factory/scalc"), OUString("_blank"), 0, Props({Prop("Hidden", Any(true))}));
    if (!c.is()) return false;
    m_impl->component = c;
    m_impl->doc.set(c, UNO_QUERY);
    return m_impl->doc.is();
    OFFICE_CATCH(false)
}

bool Document::IsOpen() const
{
    return m_impl->doc.is();
}

void Document::Close()
{
    if (m_impl->component.is()) {
        try {
            Reference<util::XCloseable> c(m_impl->component, UNO_QUERY);
            if (c.is())
                c->close(true);
            else
                m_impl->component->dispose();
        } catch (const uno::Exception&) {
        }
    }
    m_impl->component.clear();
    m_impl->doc.clear();
}

int Document::SheetCount() const
{
    if (!IsOpen()) return 0;
    OFFICE_TRY
    Reference<container::XIndexAccess> sheets(m_impl->doc->getSheets(), UNO_QUERY_THROW);
    return sheets->getCount();
    OFFICE_CATCH(0)
}

QString Document::SheetName(int sheet) const
{
    if (!IsOpen()) return {};
    OFFICE_TRY
    return FromOU(Reference<container::XNamed>(m_impl->Sheet(sheet), UNO_QUERY_THROW)->getName());
    OFFICE_CATCH(QString())
}

bool Document::SheetVisible(int sheet) const
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    bool visible = true;
    Reference<beans::XPropertySet>(m_impl->Sheet(sheet), UNO_QUERY_THROW)
        ->getPropertyValue(OUString("IsVisible")) >>= visible;
    return visible;
    OFFICE_CATCH(false)
}

bool Document::HideSheet(int sheet)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<beans::XPropertySet>(m_impl->Sheet(sheet), UNO_QUERY_THROW)
        ->setPropertyValue(OUString("IsVisible"), Any(false));
    return true;
    OFFICE_CATCH(false)
}

bool Document::RenameSheet(int sheet, const QString& name)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    // Characters a sheet name cannot hold become '_' (a serial number "12/3"); spreadsheet files
    // keep 31 characters of a name.
    QString safe = name;
    for (QChar c : {u'[', u']', u'*', u'?', u':', u'/', u'\\'})
        safe.replace(c, u'_');
    Reference<container::XNamed>(m_impl->Sheet(sheet), UNO_QUERY_THROW)->setName(ToOU(safe.left(31)));
    return true;
    OFFICE_CATCH(false)
}

bool Document::SelectSheet(int sheet)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<frame::XModel> model(m_impl->doc, UNO_QUERY_THROW);
    Reference<sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY_THROW);
    view->setActiveSheet(m_impl->Sheet(sheet));
    return true;
    OFFICE_CATCH(false)
}

bool Document::Find(int sheet, const QString& text, int* column, int* row) const
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<util::XSearchable> searchable(m_impl->Sheet(sheet), UNO_QUERY_THROW);
    Reference<util::XSearchDescriptor> desc = searchable->createSearchDescriptor();
    desc->setSearchString(ToOU(text));
    Reference<beans::XPropertySet>(desc, UNO_QUERY_THROW)
        ->setPropertyValue(OUString("SearchCaseSensitive"), Any(true));
    Reference<uno::XInterface> found = searchable->findFirst(desc);
    if (!found.is()) return false;
    Reference<sheet::XCellAddressable> cell(found, UNO_QUERY);
    if (cell.is()) {
        const table::CellAddress a = cell->getCellAddress();
        if (column) *column = a.Column;
        if (row) *row = a.Row;
        return true;
    }
    Reference<sheet::XCellRangeAddressable> range(found, UNO_QUERY_THROW);
    const table::CellRangeAddress a = range->getRangeAddress();
    if (column) *column = a.StartColumn;
    if (row) *row = a.StartRow;
    return true;
    OFFICE_CATCH(false)
}

int Document::ReplaceTexts(int sheet, const std::vector<std::pair<QString, QString>>& pairs)
{
    if (!IsOpen()) return -1;
    // The office's own replace would re-read every changed cell as if typed ("12/3" a date, "0012"
    // the number 12): the cells are found here, replaced in this program and written back as texts.
    QStringList alternatives;
    for (const auto& [key, value] : pairs)
        if (!key.isEmpty()) alternatives << RegexLiteral(key);
    if (alternatives.isEmpty()) return 0;
    OFFICE_TRY
    Reference<sheet::XSpreadsheet> s = m_impl->Sheet(sheet);
    Reference<util::XSearchable> searchable(s, UNO_QUERY_THROW);
    Reference<util::XSearchDescriptor> desc = searchable->createSearchDescriptor();
    desc->setSearchString(ToOU(alternatives.join(QLatin1Char('|'))));
    Reference<beans::XPropertySet> props(desc, UNO_QUERY_THROW);
    props->setPropertyValue(OUString("SearchCaseSensitive"), Any(true));
    props->setPropertyValue(OUString("SearchRegularExpression"), Any(true));
    Reference<container::XIndexAccess> found = searchable->findAll(desc);
    if (!found.is()) return 0;
    int changed = 0;
    const sal_Int32 n = found->getCount();
    for (sal_Int32 i = 0; i < n; ++i) {
        Reference<sheet::XCellRangeAddressable> range(found->getByIndex(i), UNO_QUERY);
        if (!range.is()) continue;
        const table::CellRangeAddress a = range->getRangeAddress();
        for (sal_Int32 r = a.StartRow; r <= a.EndRow; ++r) {
            for (sal_Int32 c = a.StartColumn; c <= a.EndColumn; ++c) {
                Reference<table::XCell> cell = s->getCellByPosition(c, r);
                const table::CellContentType type = cell->getType();
                if (type == table::CellContentType_FORMULA) {
                    const QString before = FromOU(cell->getFormula());
                    const QString after = Replaced(before, pairs);
                    if (after == before) continue;
                    cell->setFormula(ToOU(after));
                    ++changed;
                } else if (type == table::CellContentType_TEXT) {
                    Reference<text::XText> t(cell, UNO_QUERY_THROW);
                    const QString before = FromOU(t->getString());
                    const QString after = Replaced(before, pairs);
                    if (after == before) continue;
                    t->setString(ToOU(after));
                    ++changed;
                }
            }
        }
    }
    return changed;
    OFFICE_CATCH(-1)
}

bool Document::InsertRows(int sheet, int row, int count)
{
    if (!IsOpen() || count < 0) return false;
    if (count == 0) return true;
    OFFICE_TRY
    Reference<table::XColumnRowRange> rr(m_impl->Sheet(sheet), UNO_QUERY_THROW);
    rr->getRows()->insertByIndex(row, count);
    return true;
    OFFICE_CATCH(false)
}

bool Document::RepeatRow(int sheet, int row, int count)
{
    if (!IsOpen() || count < 0 || row < 0) return false;
    if (count == 0) return true;
    OFFICE_TRY
    Reference<sheet::XSpreadsheet> s = m_impl->Sheet(sheet);
    const int lastColumn = std::max<int>(m_impl->UsedRange(s).EndColumn, 0);
    Reference<table::XColumnRowRange>(s, UNO_QUERY_THROW)->getRows()->insertByIndex(row, count);
    // The row is now at row + count. Copy it upwards, doubling the block each time: a few calls
    // for any number of rows.
    Reference<sheet::XCellRangeMovement> move(s, UNO_QUERY_THROW);
    const int original = row + count;
    int have = 1; // rows [original - have + 1, original] are copies of the row
    int left = count;
    while (left > 0) {
        const int n = std::min(have, left);
        const int top = original - have + 1;
        table::CellRangeAddress from;
        from.Sheet = sal_Int16(sheet);
        from.StartColumn = 0;
        from.EndColumn = lastColumn;
        from.StartRow = top;
        from.EndRow = top + n - 1;
        table::CellAddress to;
        to.Sheet = sal_Int16(sheet);
        to.Column = 0;
        to.Row = top - n;
        move->copyRange(to, from);
        have += n;
        left -= n;
    }
    return true;
    OFFICE_CATCH(false)
}

bool Document::CopyInsertRows(int sheet, int first, int count, int at)
{
    if (!IsOpen() || count <= 0) return false;
    OFFICE_TRY
    Reference<sheet::XSpreadsheet> s = m_impl->Sheet(sheet);
    Reference<table::XColumnRowRange>(s, UNO_QUERY_THROW)->getRows()->insertByIndex(at, count);
    const int source = first >= at ? first + count : first;
    table::CellRangeAddress from;
    from.Sheet = sal_Int16(sheet);
    from.StartColumn = 0;
    from.EndColumn = 1023;
    from.StartRow = source;
    from.EndRow = source + count - 1;
    table::CellAddress to;
    to.Sheet = sal_Int16(sheet);
    to.Column = 0;
    to.Row = at;
    Reference<sheet::XCellRangeMovement>(s, UNO_QUERY_THROW)->copyRange(to, from);
    return true;
    OFFICE_CATCH(false)
}

QString Document::CellText(int sheet, int column, int row) const
{
    if (!IsOpen()) return {};
    OFFICE_TRY
    return FromOU(Reference<text::XText>(m_impl->Cell(sheet, column, row), UNO_QUERY_THROW)->getString());
    OFFICE_CATCH(QString())
}

CellType Document::TypeOf(int sheet, int column, int row) const
{
    if (!IsOpen()) return CellType::Empty;
    OFFICE_TRY
    switch (m_impl->Cell(sheet, column, row)->getType()) {
    case table::CellContentType_TEXT:
        return CellType::Text;
    case table::CellContentType_VALUE:
        return CellType::Number;
    case table::CellContentType_FORMULA:
        return CellType::Formula;
    default:
        return CellType::Empty;
    }
    OFFICE_CATCH(CellType::Empty)
}

double Document::CellNumber(int sheet, int column, int row) const
{
    if (!IsOpen()) return 0;
    OFFICE_TRY
    return m_impl->Cell(sheet, column, row)->getValue();
    OFFICE_CATCH(0)
}

CellFormat Document::FormatOf(int sheet, int column, int row) const
{
    CellFormat f;
    if (!IsOpen()) return f;
    OFFICE_TRY
    Reference<beans::XPropertySet> p(m_impl->Cell(sheet, column, row), UNO_QUERY_THROW);
    float weight = 0;
    p->getPropertyValue(OUString("CharWeight")) >>= weight;
    f.bold = weight > 100; // css::awt::FontWeight::NORMAL is 100, BOLD 150
    p->getPropertyValue(OUString("IsTextWrapped")) >>= f.wrapped;
    bool transparent = true;
    p->getPropertyValue(OUString("IsCellBackgroundTransparent")) >>= transparent;
    sal_Int32 color = -1;
    p->getPropertyValue(OUString("CellBackColor")) >>= color;
    f.background = transparent ? -1 : int(color);
    return f;
    OFFICE_CATCH(f)
}

bool Document::SetText(int sheet, int column, int row, const QString& text)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<text::XText>(m_impl->Cell(sheet, column, row), UNO_QUERY_THROW)->setString(ToOU(text));
    return true;
    OFFICE_CATCH(false)
}

bool Document::SetNumber(int sheet, int column, int row, double value)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    m_impl->Cell(sheet, column, row)->setValue(value);
    return true;
    OFFICE_CATCH(false)
}

bool Document::WriteTextColumn(int sheet, int column, int row, const QStringList& values)
{
    std::vector<std::vector<CellValue>> rows;
    rows.reserve(size_t(values.size()));
    for (const QString& v : values)
        rows.push_back({CellValue::Text(v)});
    return WriteBlock(sheet, column, row, rows);
}

bool Document::WriteBlock(int sheet, int column, int row, const std::vector<std::vector<CellValue>>& rows)
{
    if (!IsOpen()) return false;
    size_t width = 0;
    for (const auto& r : rows)
        width = std::max(width, r.size());
    if (rows.empty() || width == 0) return true;
    OFFICE_TRY
    // Any(OUString) makes a text cell as it is, Any(double) a number cell.
    Sequence<Sequence<Any>> data(sal_Int32(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        Sequence<Any> line(static_cast<sal_Int32>(width));
        for (size_t c = 0; c < width; ++c) {
            Any& cell = line.getArray()[c];
            if (c >= rows[r].size())
                cell <<= OUString();
            else if (rows[r][c].isNumber)
                cell <<= rows[r][c].number;
            else
                cell <<= ToOU(rows[r][c].text);
        }
        data.getArray()[r] = line;
    }
    Reference<table::XCellRange> range = m_impl->Sheet(sheet)->getCellRangeByPosition(
        column, row, column + int(width) - 1, row + int(rows.size()) - 1);
    Reference<sheet::XCellRangeData>(range, UNO_QUERY_THROW)->setDataArray(data);
    return true;
    OFFICE_CATCH(false)
}

std::vector<QStringList> Document::UsedArea(int sheet) const
{
    std::vector<QStringList> out;
    if (!IsOpen()) return out;
    OFFICE_TRY
    Reference<sheet::XSpreadsheet> s = m_impl->Sheet(sheet);
    const table::CellRangeAddress a = m_impl->UsedRange(s);
    for (int r = 0; r <= a.EndRow; ++r) {
        QStringList line;
        for (int c = 0; c <= a.EndColumn; ++c)
            line << FromOU(Reference<text::XText>(s->getCellByPosition(c, r), UNO_QUERY_THROW)->getString());
        out.push_back(line);
    }
    return out;
    OFFICE_CATCH(out)
}

bool Document::NamedRange(const QString& name, int* sheet, int* column, int* row) const
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<beans::XPropertySet> props(m_impl->doc, UNO_QUERY_THROW);
    Reference<container::XNameAccess> ranges;
    props->getPropertyValue(OUString("NamedRanges")) >>= ranges;
    if (!ranges.is() || !ranges->hasByName(ToOU(name))) return false;
    Reference<sheet::XCellRangeReferrer> ref(ranges->getByName(ToOU(name)), UNO_QUERY_THROW);
    const table::CellRangeAddress a =
        Reference<sheet::XCellRangeAddressable>(ref->getReferredCells(), UNO_QUERY_THROW)->getRangeAddress();
    if (sheet) *sheet = a.Sheet;
    if (column) *column = a.StartColumn;
    if (row) *row = a.StartRow;
    return true;
    OFFICE_CATCH(false)
}

bool Document::Store()
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<frame::XStorable> storable(m_impl->doc, UNO_QUERY_THROW);
    if (!storable->hasLocation() || storable->isReadonly()) return false;
    storable->store();
    return true;
    OFFICE_CATCH(false)
}

bool Document::StoreAs(const QString& path)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<frame::XStorable> storable(m_impl->doc, UNO_QUERY_THROW);
    storable->storeAsURL(ToOU(FileUrl(path)),
                         Props({Prop("FilterName", Any(OUString::createFromAscii(FilterFor(path)))),
                                Prop("Overwrite", Any(true))}));
    return true;
    OFFICE_CATCH(false)
}

bool Document::ExportPdf(const QString& path)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<frame::XStorable> storable(m_impl->doc, UNO_QUERY_THROW);
    storable->storeToURL(ToOU(FileUrl(path)), Props({Prop("FilterName", Any(OUString("calc_pdf_Export"))),
                                                     Prop("Overwrite", Any(true))}));
    return QFileInfo(path).size() > 0;
    OFFICE_CATCH(false)
}

} // namespace office
