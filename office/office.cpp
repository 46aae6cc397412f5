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

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLayoutManager.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/XCellAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XCellRangeReferrer.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XReplaceable.hpp>
#include <com/sun/star/util/XReplaceDescriptor.hpp>
#include <com/sun/star/util/XSearchable.hpp>
#include <com/sun/star/util/XSearchDescriptor.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include <cstdlib>
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

OUString ToOU(const QString& s) { return OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size()); }
QString FromOU(const OUString& s) { return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength()); }

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
    for (const auto& p : list) s.getArray()[i++] = p;
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

} // namespace

struct Session::Impl {
    int pid = -1;
    QString pipe;
    QString profile;
    bool headless = true;
    int lastStartMs = 0;
    Reference<uno::XComponentContext> remote;
    Reference<frame::XDesktop2> desktop;

    bool Alive()
    {
        if (!desktop.is()) return false;
        try {
            desktop->getCurrentComponent();
            return true;
        } catch (const uno::Exception&) {
            return false;
        }
    }

    int Spawn()
    {
        const QString bin = QStringLiteral(LORIK_LO_HOME "/program/soffice.bin");
        std::vector<std::string> argv = {bin.toStdString()};
        if (headless) argv.push_back("--headless");
        for (const char* a : {"--invisible", "--nologo", "--nodefault", "--norestore", "--nolockcheck"})
            if (std::string(a) != "--invisible" || headless) argv.push_back(a);
        argv.push_back(QString(QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded))
                           .toStdString());
        argv.push_back(QString(QStringLiteral("--accept=pipe,name=") + pipe + QStringLiteral(";urp;StarOffice.ComponentContext"))
                           .toStdString());
        pid = platform::SpawnTiedProcess(argv);
        return pid;
    }
};

Session& Session::Shared()
{
    static Session* s = new Session(); // lives as long as the program; the office is tied to it
    return *s;
}

Session::Session() : m_impl(std::make_unique<Impl>())
{
    // One profile per module that drives an office (the program, the spreadsheet library): two
    // offices of one process never share a profile, which would make one hand its work to the other.
    const QString own = qEnvironmentVariable("LORIK_OFFICE_PROFILE");
    const QString base = !own.isEmpty() ? own
                                        : QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                                              QStringLiteral("/lorikws/office-profile");
    QString module = QFileInfo(platform::ModulePathOf(reinterpret_cast<const void*>(&Session::Shared))).fileName();
    if (module.isEmpty()) module = QStringLiteral("lorikws");
    m_impl->profile = base + QLatin1Char('/') + module;
    m_impl->headless = qEnvironmentVariable("LORIK_OFFICE_HEADLESS") == QStringLiteral("1") ||
                       (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    m_impl->pipe = QStringLiteral("lorikws%1").arg(getpid());
}

Session::~Session() { Shutdown(); }

bool Session::Installed() { return QFileInfo::exists(QStringLiteral(LORIK_LO_HOME "/program/soffice.bin")); }
bool Session::Connected() const { return m_impl->Alive(); }
bool Session::Headless() const { return m_impl->headless; }
int Session::LastStartMs() const { return m_impl->lastStartMs; }

int Session::Connect()
{
    Impl& d = *m_impl;
    d.lastStartMs = 0;
    if (d.Alive()) return ConnectOk;
    d.desktop.clear();
    d.remote.clear();
    if (d.pid > 0) {
        platform::KillChildGroup(d.pid);
        d.pid = -1;
    }
    if (!Installed()) {
        qCWarning(lcOffice) << "LibreOffice is not installed";
        return NoServer;
    }
    QElapsedTimer clock;
    clock.start();
    // Both settings are needed for the binding to find the office API types (see the build notes).
    setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" LORIK_LO_HOME "/program/fundamentalrc", 0);
    QDir().mkpath(d.profile);
    d.pipe = QStringLiteral("lorikws%1x%2x%3")
                 .arg(getpid())
                 .arg(QDateTime::currentMSecsSinceEpoch() % 100000)
                 .arg(quintptr(this) % 9973);
    if (d.Spawn() < 0) return NoServer;
    Reference<uno::XComponentContext> local;
    Reference<bridge::XUnoUrlResolver> resolver;
    try {
        local = cppu::defaultBootstrap_InitialComponentContext();
        resolver = bridge::UnoUrlResolver::create(local);
    } catch (const uno::Exception& e) {
        qCWarning(lcOffice) << "UNO bootstrap failed:" << FromOU(e.Message);
        return NoServer;
    }
    const OUString url = ToOU(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(d.pipe));
    bool restarted = false;
    while (clock.elapsed() < 60000) {
        try {
            Reference<uno::XInterface> ctx = resolver->resolve(url);
            d.remote.set(ctx, UNO_QUERY);
            if (!d.remote.is()) return NoApplication;
            break;
        } catch (const connection::NoConnectException&) {
        } catch (const uno::Exception& e) {
            qCWarning(lcOffice) << "cannot reach the office:" << FromOU(e.Message);
            return NoServer;
        }
        int code = 0;
        if (platform::PollChild(d.pid, &code) == 1) {
            if (code == 81 && !restarted) { // a fresh profile: the office restarts itself once
                restarted = true;
                if (d.Spawn() < 0) return NoServer;
            } else if (code != 0) {
                qCWarning(lcOffice) << "the office ended with" << code;
                d.pid = -1;
                return NoServer;
            }
        }
        QThread::msleep(20);
    }
    if (!d.remote.is()) return NoServer;
    try {
        d.desktop = frame::Desktop::create(d.remote);
    } catch (const uno::Exception&) {
        return NoDesktop;
    }
    if (!d.desktop.is()) return NoDesktop;
    d.lastStartMs = int(clock.elapsed());
    return ConnectOk;
}

void Session::Shutdown()
{
    Impl& d = *m_impl;
    if (d.desktop.is()) {
        try {
            d.desktop->terminate();
        } catch (const uno::Exception&) { // the bridge dies during the call
        }
    }
    d.desktop.clear();
    d.remote.clear();
    if (d.pid > 0) {
        if (!platform::WaitChild(d.pid, 20000)) platform::KillChildGroup(d.pid);
        d.pid = -1;
    }
}

struct Document::Impl {
    Reference<lang::XComponent> component;
    Reference<sheet::XSpreadsheetDocument> doc;
    QString path;

    Reference<sheet::XSpreadsheet> Sheet(int i) const
    {
        Reference<container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
        if (i < 0 || i >= sheets->getCount()) throw uno::RuntimeException();
        Reference<sheet::XSpreadsheet> s;
        sheets->getByIndex(i) >>= s;
        if (!s.is()) throw uno::RuntimeException();
        return s;
    }
    Reference<frame::XFrame> Frame() const
    {
        Reference<frame::XModel> model(doc, UNO_QUERY_THROW);
        Reference<frame::XController> controller = model->getCurrentController();
        if (!controller.is()) throw uno::RuntimeException();
        return controller->getFrame();
    }
};

Document::Document() : m_impl(std::make_unique<Impl>()) {}

Document::~Document() { Close(); }

#define OFFICE_TRY try {
#define OFFICE_CATCH(result)                                                                                           \
    }                                                                                                                  \
    catch (const uno::Exception& e)                                                                                    \
    {                                                                                                                  \
        qCDebug(lcOffice) << __func__ << FromOU(e.Message);                                                             \
        return result;                                                                                                 \
    }

bool Document::Open(const QString& path)
{
    Close();
    Session& s = Session::Shared();
    if (!s.Connected()) return false;
    // A lock file left by an office that ended abnormally would make the load fail or go read-only.
    const QFileInfo fi(path);
    QFile::remove(fi.absolutePath() + QStringLiteral("/.~lock.") + fi.fileName() + QLatin1Char('#'));
    OFFICE_TRY
    Reference<frame::XComponentLoader> loader(s.impl()->desktop, UNO_QUERY_THROW);
    Reference<lang::XComponent> c = loader->loadComponentFromURL(ToOU(FileUrl(path)), OUString("_blank"), 0,
                                                                 Props({Prop("Hidden", Any(true))}));
    if (!c.is()) return false;
    m_impl->doc.set(c, UNO_QUERY);
    if (!m_impl->doc.is()) {
        Reference<util::XCloseable>(c, UNO_QUERY)->close(true);
        return false;
    }
    m_impl->component = c;
    m_impl->path = path;
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
    Session& s = Session::Shared();
    if (!s.Connected()) return false;
    OFFICE_TRY
    Reference<frame::XComponentLoader> loader(s.impl()->desktop, UNO_QUERY_THROW);
    Reference<lang::XComponent> c = loader->loadComponentFromURL(OUString("private:factory/scalc"), OUString("_blank"), 0,
                                                                 Props({Prop("Hidden", Any(true))}));
    if (!c.is()) return false;
    m_impl->doc.set(c, UNO_QUERY);
    m_impl->component = c;
    return m_impl->doc.is();
    OFFICE_CATCH(false)
}

bool Document::IsOpen() const { return m_impl->doc.is(); }

void Document::Close()
{
    if (!m_impl->component.is()) return;
    try {
        Reference<util::XCloseable> c(m_impl->component, UNO_QUERY);
        if (c.is()) c->close(true);
        else m_impl->component->dispose();
    } catch (const uno::Exception&) {
    }
    Release();
}

void Document::Release()
{
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
    Reference<beans::XPropertySet>(m_impl->Sheet(sheet), UNO_QUERY_THROW)->getPropertyValue(OUString("IsVisible")) >>= visible;
    return visible;
    OFFICE_CATCH(false)
}

bool Document::HideSheet(int sheet)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<beans::XPropertySet>(m_impl->Sheet(sheet), UNO_QUERY_THROW)->setPropertyValue(OUString("IsVisible"), Any(false));
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
    for (QChar c : {u'[', u']', u'*', u'?', u':', u'/', u'\\'}) safe.replace(c, u'_');
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
    Reference<beans::XPropertySet>(desc, UNO_QUERY_THROW)->setPropertyValue(OUString("SearchCaseSensitive"), Any(true));
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

int Document::ReplaceAll(int sheet, const QString& key, const QString& value)
{
    if (!IsOpen()) return -1;
    OFFICE_TRY
    Reference<util::XReplaceable> replaceable(m_impl->Sheet(sheet), UNO_QUERY_THROW);
    Reference<util::XReplaceDescriptor> desc = replaceable->createReplaceDescriptor();
    desc->setSearchString(ToOU(key));
    desc->setReplaceString(ToOU(value));
    Reference<beans::XPropertySet>(desc, UNO_QUERY_THROW)->setPropertyValue(OUString("SearchCaseSensitive"), Any(true));
    return replaceable->replaceAll(Reference<util::XSearchDescriptor>(desc.get()));
    OFFICE_CATCH(-1)
}

bool Document::InsertRows(int sheet, int row, int count)
{
    if (!IsOpen() || count <= 0) return count == 0;
    OFFICE_TRY
    Reference<table::XColumnRowRange> rr(m_impl->Sheet(sheet), UNO_QUERY_THROW);
    rr->getRows()->insertByIndex(row, count);
    return true;
    OFFICE_CATCH(false)
}

QString Document::CellText(int sheet, int column, int row) const
{
    if (!IsOpen()) return {};
    OFFICE_TRY
    Reference<text::XText> t(m_impl->Sheet(sheet)->getCellByPosition(column, row), UNO_QUERY_THROW);
    return FromOU(t->getString());
    OFFICE_CATCH(QString())
}

bool Document::SetCell(int sheet, int column, int row, const QString& text)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<text::XText> t(m_impl->Sheet(sheet)->getCellByPosition(column, row), UNO_QUERY_THROW);
    t->setString(ToOU(text));
    return true;
    OFFICE_CATCH(false)
}

bool Document::WriteColumn(int sheet, int column, int row, const QStringList& values)
{
    std::vector<QStringList> rows;
    for (const QString& v : values) rows.push_back({v});
    return WriteBlock(sheet, column, row, rows);
}

bool Document::WriteBlock(int sheet, int column, int row, const std::vector<QStringList>& rows)
{
    if (!IsOpen()) return false;
    if (rows.empty()) return true;
    const int width = int(rows.front().size());
    if (width == 0) return true;
    OFFICE_TRY
    Sequence<Sequence<Any>> data(sal_Int32(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        Sequence<Any> line(width);
        for (int c = 0; c < width; ++c) line.getArray()[c] <<= ToOU(c < rows[r].size() ? rows[r][c] : QString());
        data.getArray()[r] = line;
    }
    Reference<table::XCellRange> range =
        m_impl->Sheet(sheet)->getCellRangeByPosition(column, row, column + width - 1, row + int(rows.size()) - 1);
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
    Reference<sheet::XSheetCellCursor> cursor = s->createCursor();
    Reference<sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
    used->gotoStartOfUsedArea(false);
    used->gotoEndOfUsedArea(true);
    const table::CellRangeAddress a = Reference<sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
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

bool Document::Store()
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<frame::XStorable> storable(m_impl->doc, UNO_QUERY_THROW);
    if (!storable->hasLocation()) return false;
    storable->store();
    return true;
    OFFICE_CATCH(false)
}

bool Document::StoreAs(const QString& path)
{
    if (!IsOpen()) return false;
    OFFICE_TRY
    Reference<frame::XStorable> storable(m_impl->doc, UNO_QUERY_THROW);
    storable->storeAsURL(ToOU(FileUrl(path)), Props({Prop("FilterName", Any(OUString::createFromAscii(FilterFor(path)))),
                                                    Prop("Overwrite", Any(true))}));
    m_impl->path = path;
    return true;
    OFFICE_CATCH(false)
}

void Document::Show()
{
    if (!IsOpen() || Session::Shared().Headless()) return;
    try {
        Reference<frame::XFrame> f = m_impl->Frame();
        Reference<awt::XWindow> window = f->getContainerWindow();
        window->setVisible(true);
        Reference<frame::XLayoutManager> layout;
        Reference<beans::XPropertySet>(f, UNO_QUERY_THROW)->getPropertyValue(OUString("LayoutManager")) >>= layout;
        if (layout.is()) {
            layout->setVisible(true);
            layout->doLayout();
        }
        Reference<awt::XTopWindow> top(window, UNO_QUERY);
        if (top.is()) top->toFront();
    } catch (const uno::Exception& e) {
        qCDebug(lcOffice) << "Show" << FromOU(e.Message);
    }
}

} // namespace office
