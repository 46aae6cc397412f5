// The library's three entry points over the spreadsheet member layer.
#include "sheetout/sheetout.h"

#include "office/desktop.h"
#include "office/office.h"
#include "platform/cnumber.h"
#include "platform/cp1251.h"
#include "platform/ini.h"
#include "platform/library.h"
#include "sheetout/excel.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

#include <cstring>
#include <dlfcn.h>

#define SHEETOUT_EXPORT extern "C" __attribute__((visibility("default")))

Q_DECLARE_LOGGING_CATEGORY(lcSheetout)

namespace sheetout {
namespace {

const QString kCaption = QStringLiteral("Ошибка формирования протокола");

template <std::size_t N> QString Text(const char (&field)[N])
{
    return platform::GetText(field);
}

// An error box where a user can see it; in a headless run (tests) the log only.
void ErrorBox(const QString& text)
{
    qCWarning(lcSheetout).noquote() << kCaption << text;
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QGuiApplication::platformName() == QStringLiteral("offscreen")) return;
    QMessageBox::critical(nullptr, kCaption, text);
}

// The folder of this library (for the reports folder beside it).
QString LibraryDir()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryDir), &info) == 0 || !info.dli_fname) return {};
    return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
}

// The reports folder: beside the library when that folder is writable and not an installation's,
// else the per-user data folder.
QString ReportsDir()
{
    QString base = qEnvironmentVariable("LORIKWS_HOME");
    if (base.isEmpty()) {
        const QString lib = LibraryDir();
        if (lib.isEmpty()) return {};
        base = !platform::CurrentLayout().installed && QFileInfo(lib).isWritable()
                   ? lib
                   : QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/lorikws");
    }
    return base + QStringLiteral("/reports");
}

// Tests keep what the library stores closed: LORIK_SHEETOUT_STORE names the file for the table
// export, and while it is set nothing is handed to the desktop.
QString StoreOverride()
{
    return qEnvironmentVariable("LORIK_SHEETOUT_STORE");
}

// The stored file goes to the user's own office, which shows it independently of the program.
void OpenForUser(const QString& path)
{
    if (!StoreOverride().isEmpty() || office::DesktopOff()) return;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
        QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
            qCWarning(lcSheetout) << "the desktop cannot open" << path;
        return;
    }
    office::Desktop().Open(path);
}

QString Stamp()
{
    const QDateTime now = QDateTime::currentDateTime();
    return QString::asprintf(" от %04d_%02d_%d__%02d%02d%02d", now.date().year(), now.date().month(),
                             now.date().day(), now.time().hour(), now.time().minute(), now.time().second());
}

// A number as the program writes it in its lists ("12.625", "-0,5", "17"): digits with an optional
// sign and one '.' or ',' between digits. Anything else (times, units, "<<<.<<<") is text.
bool ProgramNumber(const QString& text, double* value)
{
    int i = 0;
    const int n = int(text.size());
    if (i < n && (text[i] == u'-' || text[i] == u'+')) ++i;
    const int digits = i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    if (i == digits) return false;
    if (i < n && (text[i] == u'.' || text[i] == u',')) {
        const int fraction = ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        if (i == fraction) return false;
    }
    if (i != n) return false;
    QString c = text;
    c.replace(QLatin1Char(','), QLatin1Char('.'));
    const QByteArray latin = c.toLatin1();
    double v = 0;
    if (platform::ScanDouble(latin.constData(), &v) != latin.size()) return false;
    *value = v;
    return true;
}

QString Verdict(int32_t v)
{
    return v ? QStringLiteral("Годен") : QStringLiteral("Не годен");
}

QString Range(const SheetoutDevice& d)
{
    return Text(d.rangeStart) + QStringLiteral("..") + Text(d.rangeEnd);
}

int PointCount(const IO_Settings& s)
{
    int n = 0;
    for (int d = 1; d <= 4; ++d) {
        if (!s.devices[d].inUse) continue;
        int used = 0;
        for (const SheetoutPoint& p : s.points[d])
            used += p.inUse ? 1 : 0;
        n = std::max(n, used);
    }
    return std::min(n, SHEETOUT_POINTS);
}

void Tools(Worksheet& ws, const QString& list)
{
    if (list.isEmpty()) return;
    QStringList lines = list.split(QLatin1Char('\n'));
    int c = 0, r = 0;
    if (!ws.Locate(QStringLiteral("Tools"), &c, &r)) return;
    const int L = int(lines.size());
    if (L > 1) {
        ws.CopyInsertRows(r, r + L - 2);
        ws.EndCopyMode();
    }
    for (int i = 0; i < L; ++i)
        ws.SetCell(c, r + i, lines[i].remove(QLatin1Char('\r')));
}

int Type1or2(Worksheet& ws, const IO_Settings& s, int type)
{
    int c = 0, r = 0;
    if (!ws.Locate(QStringLiteral("Tab_Dev"), &c, &r)) return -1;
    int row = r + 1;
    for (int d = 1; d <= 4; ++d) {
        const SheetoutDevice& dev = s.devices[d];
        if (!dev.inUse) continue;
        if (type == 1) {
            const QString cols[5] = {Text(dev.dt1), Text(dev.dt3), Range(dev), Text(dev.dt2), Text(dev.dt4)};
            for (int k = 0; k < 5; ++k)
                ws.SetCell(c + k, row, cols[k]);
        } else {
            ws.SetCell(c, row, Text(dev.dt2));
            ws.SetCell(c + 1, row, Text(dev.dt3));
            ws.SetCell(c + 2, row, Text(dev.dt4));
            ws.SetCell(c + 4, row, Range(dev));
        }
        ++row;
    }
    const int n = PointCount(s);
    if (!ws.Locate(QStringLiteral("Tab_Meas"), &c, &r) || n < 1) return -1;
    const int block = type == 1 ? 5 : 6;
    const int first = type == 1 ? r + 1 : r + 2;
    for (int k = 0; k < n - 2; ++k)
        ws.CopyInsertRows(first, first + block - 1);
    ws.EndCopyMode();
    int column = type == 1 ? c + 3 : c + 4;
    for (int d = 1; d <= 4; ++d) {
        const SheetoutDevice& dev = s.devices[d];
        if (!dev.inUse) continue;
        if (type == 1) {
            ws.AppendCell(column, r - 4, Text(dev.dt3));
            ws.AppendCell(column, r, Text(dev.dt3));
        } else {
            ws.AppendCell(column, r + 1, Text(dev.dt3));
            ws.AppendCell(column, r - 6, Text(dev.dt3));
            ws.AppendCell(column, r - 11, Text(dev.dt3));
        }
        for (int j = 0; j < n; ++j) {
            const SheetoutPoint& p = s.points[d][j];
            if (!p.inUse) continue;
            const int top = first + block * j;
            if (type == 1) {
                const QString v[5] = {Text(p.pt1), Text(p.pt3), Text(p.pt5), Text(p.pt4), Text(p.pt7)};
                for (int k = 0; k < 5; ++k)
                    ws.SetCell(column, top + k, v[k]);
            } else {
                const QString v[6] = {Text(p.pt1), Text(p.pt3), Text(p.pt2),
                                      Text(p.pt6), Text(p.pt5), Text(p.pt7)};
                for (int k = 0; k < 6; ++k)
                    ws.SetCell(column, top + k, v[k]);
            }
        }
        column += type == 1 ? 1 : 2;
    }
    if (!ws.Locate(QStringLiteral("Tab_Result"), &c, &r)) return -1;
    row = r + 1;
    for (int d = 1; d <= 4; ++d) {
        const SheetoutDevice& dev = s.devices[d];
        if (!dev.inUse) continue;
        ws.SetCell(c, row, Text(dev.dt3));
        ws.SetCell(c + 1, row, Text(dev.dt4));
        ws.SetCell(c + 2, row, Verdict(dev.verdict));
        ++row;
    }
    return 0;
}

int Type3(Worksheet& ws, const IO_Settings& s)
{
    const SheetoutDevice& dev = s.devices[1];
    int c = 0, r = 0;
    if (!ws.Locate(QStringLiteral("Tab_Dev"), &c, &r)) return -1;
    ws.AppendCell(c, r, Text(dev.dt1));
    ws.AppendCell(c, r + 1, Text(dev.dt3));
    ws.SetCell(c, r + 2, Range(dev));
    ws.AppendCell(c, r + 3, Text(s.points[1][0].pt7));
    const int n = PointCount(s);
    if (!ws.Locate(QStringLiteral("Tab_Meas"), &c, &r) || n < 1) return -1;
    for (int k = 0; k < n - 1; ++k)
        ws.CopyInsertRows(r + 1, r + 1);
    ws.EndCopyMode();
    for (int j = 0; j < n; ++j) {
        const SheetoutPoint& p = s.points[1][j];
        ws.SetCell(c, r + 1 + j, Text(p.pt1));
        ws.SetCell(c + 1, r + 1 + j, Text(p.pt2));
        ws.SetCell(c + 2, r + 1 + j, Text(p.pt5));
        ws.SetCell(c + 3, r + 1 + j, Text(p.pt7));
    }
    ws.AppendCell(c, r + n + 2, Verdict(dev.verdict));
    return 0;
}

int Type4(Worksheet& ws, const IO_Settings& s)
{
    const SheetoutDevice& dev = s.devices[1];
    int c = 0, r = 0;
    if (!ws.Locate(QStringLiteral("Tab_Dev"), &c, &r)) return -1;
    ws.AppendCell(c + 5, r, Text(dev.dt1));
    ws.AppendCell(c + 1, r + 2, Text(dev.dt3));
    const int n = PointCount(s);
    if (!ws.Locate(QStringLiteral("Tab_Meas"), &c, &r) || n < 1) return -1;
    ws.SetCell(c + 2, r - 2, Text(dev.rangeStart));
    ws.SetCell(c + 5, r - 2, Text(dev.rangeEnd));
    int column = c + 1;
    for (int j = 0; j < n; ++j) {
        const SheetoutPoint& p = s.points[1][j];
        if (!p.inUse) continue;
        ws.SetCell(column, r + 1, Text(p.pt1));
        ws.SetCell(column, r + 2, Text(p.pt3));
        ws.SetCell(column, r + 3, Text(p.pt2));
        ws.SetCell(column, r + 5, Text(p.pt5));
        ws.SetCell(column, r + 7, Text(p.pt7));
        ws.SetCell(column, r + 8, Verdict(p.verdict));
        ++column;
    }
    ws.AppendCell(c + 1, r + 12, Verdict(dev.verdict));
    ws.AppendCell(c + 4, r + 12, Text(dev.dt3));
    return 0;
}

} // namespace
} // namespace sheetout

using namespace sheetout;

// The library's office ends when the library is unloaded (the program loads it for each export).
__attribute__((destructor)) static void SheetoutUnloaded()
{
    office::ShutdownOffice();
}

SHEETOUT_EXPORT int ListView2excel(void* listView, int columns)
{
    auto* view = static_cast<QAbstractItemView*>(listView);
    office::Session& session = office::Session::Shared();
    office::TimeLimit limit(session, session.Limits().exportMs);
    if (session.Start() != office::StartOk) return -5;
    office::Document doc(session);
    if (!AutoWrap("Add", [&] { return doc.Create(); })) return limit.Expired() ? -5 : -6;
    if (doc.SheetCount() < 1) return limit.Expired() ? -5 : -7;
    // numbers stay numbers (the table can be summed and charted), everything else is text
    QAbstractItemModel* model = view ? view->model() : nullptr;
    std::vector<std::vector<office::CellValue>> rows;
    for (int r = 0; model && columns > 0 && r < model->rowCount(); ++r) {
        std::vector<office::CellValue> line;
        for (int c = 0; c < columns; ++c) {
            const QString t = model->data(model->index(r, c), Qt::DisplayRole).toString();
            const qsizetype blank = t.indexOf(QLatin1Char(' '));
            const QString cell = blank < 0 ? t : t.left(blank);
            double v = 0;
            line.push_back(ProgramNumber(cell, &v) ? office::CellValue::Number(v)
                                                   : office::CellValue::Text(cell));
        }
        rows.push_back(std::move(line));
    }
    if (!rows.empty()) AutoWrap("Value", [&] { return doc.WriteBlock(0, 1, 4, rows); });
    // The office is private and headless: the table is stored (in the reports folder) and the
    // user's own office opens it.
    QString path = StoreOverride();
    if (path.isEmpty()) {
        const QString dir = ReportsDir();
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            const QString base = dir + QStringLiteral("/Таблица") + Stamp();
            path = base + QStringLiteral(".ods");
            for (int i = 1; QFileInfo::exists(path) && i < 1000; ++i) // two exports in one second
                path = base + QStringLiteral("(%1).ods").arg(i);
        }
    }
    const bool stored = !path.isEmpty() && AutoWrap("SaveAs", [&] { return doc.StoreAs(path); });
    doc.Close();
    if (limit.Expired()) return -5;
    if (!stored) {
        qCWarning(lcSheetout) << "the table could not be stored to" << path;
        return -6;
    }
    OpenForUser(path);
    return 0;
}

SHEETOUT_EXPORT int FormReport(const IO_Settings* settings)
{
    if (!settings) return -2000;
    const IO_Settings& s = *settings;
    QString output = Text(s.outputPath);
    if (output.isEmpty()) {
        const QString dir = ReportsDir();
        if (dir.isEmpty()) return -20;
        QDir().mkpath(dir);
        QString byType;
        if (s.Type == 0)
            byType = QStringLiteral("ТС ");
        else if (s.Type == 1)
            byType = QStringLiteral("ТП ");
        else if (s.Type == 2 || s.Type == 3)
            byType = Text(s.devices[1].dt1);
        output = dir + QStringLiteral("/Протокол поверки ") + byType + Stamp() + QStringLiteral(".xls");
    }
    const QString templatePath = Text(s.templatePath);
    QFile in(templatePath);
    if (!in.open(QIODevice::ReadOnly) || in.size() == 0) {
        ErrorBox(QStringLiteral("Недоступен файл шаблона \n %1").arg(templatePath));
        return -11;
    }
    const QByteArray bytes = in.readAll();
    if (!platform::WriteFileAtomically(output, bytes)) {
        ErrorBox(QStringLiteral("Невозможно создать файл\n %1").arg(output));
        return -12;
    }
    office::Session& session = office::Session::Shared();
    office::TimeLimit limit(session, session.Limits().exportMs);
    const auto noServer = [] {
        ErrorBox(QStringLiteral("Нет доступа к серверу автоматизации"));
        return 11;
    };
    if (session.Start() != office::StartOk) {
        if (limit.Expired()) return noServer();
        ErrorBox(office::Session::Installed() ? QStringLiteral("Нет доступа к серверу автоматизации")
                                              : QStringLiteral("Офисный пакет LibreOffice не установлен!"));
        return 11;
    }
    office::Document doc(session);
    if (!AutoWrap("Open", [&] { return doc.Open(output); })) return limit.Expired() ? noServer() : -88;
    if (doc.SheetCount() < 1) {
        doc.Close();
        if (limit.Expired()) return noServer();
        ErrorBox(QStringLiteral("Ошибка выбора активного листа книги Excel"));
        return -198;
    }
    Worksheet ws(doc, 0);
    ws.AppendNamed(QStringLiteral("ProtocolNo"), Text(s.protocolNumber));
    ws.SetNamed(QStringLiteral("ProtocolDate"), Text(s.protocolDate));
    ws.AppendNamed(QStringLiteral("ProtocolAutor"), Text(s.protocolAuthor));
    Tools(ws, Text(s.instruments));
    ws.AppendNamed(QStringLiteral("MeteoT_ov"), Text(s.airTemperature));
    ws.AppendNamed(QStringLiteral("MeteoP_atm"), Text(s.airPressure));
    ws.AppendNamed(QStringLiteral("MeteoHigr"), Text(s.airHumidity));
    int result;
    switch (s.Type) {
    case 1:
    case 2:
        result = Type1or2(ws, s, s.Type);
        break;
    case 3:
        result = Type3(ws, s);
        break;
    case 4:
        result = Type4(ws, s);
        break;
    default:
        result = -2000;
        break;
    }
    // the filled protocol is stored, closed, and shown by the user's own office
    const bool stored = !limit.Expired() && AutoWrap("Save", [&] { return doc.Store(); });
    doc.Close();
    if (limit.Expired()) return noServer();
    if (!stored) {
        ErrorBox(QStringLiteral("Невозможно создать файл\n %1").arg(output));
        return -12;
    }
    OpenForUser(output);
    return result;
}

SHEETOUT_EXPORT int GetVersionDll(char* buffer, int size)
{
    static const char* const kBuild = "Build: " __DATE__ "  " __TIME__;
    const int length = int(std::strlen(kBuild));
    if (!buffer || size < length + 2) return -1;
    std::memcpy(buffer, kBuild, size_t(length) + 1);
    return 0;
}
