#include "reports/oocalcauto.h"

#include "office/desktop.h"
#include "office/office.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcCalc, "lorik.reports.calc")

namespace reports {

QString OOCalcAuto::ErrorText(int code)
{
    static const char* const kTexts[] = {
        "Не указано имя файла",
        "Нет доступа к серверу автоматизации",
        "Нет доступа к приложению автоматизации",
        "Нет доступа к экземпляру автоматизации",
        "Невозможно открыть файл",
        "Нет доступа к диспетчеру автоматизации",
        "Нет доступа к листам",
        "Нет доступа к контроллеру автоматизации",
        "Нет доступа к фрейму",
        "Нет доступа к окну автоматизации",
        "Нет доступа к листу",
        "Невозможно переименовать лист",
        "Нет доступа к ячейкам",
        "Нет доступа к ячейке",
        "Файл шаблона не указан",
        "Файл шаблона не существует",
        "Неверное имя файла шаблона",
        "Неверное имя файла потокола",
        "Невозможно создать файла потокола",
    };
    if (code <= -1 && code >= -19) return QString::fromUtf8(kTexts[-code - 1]);
    return QStringLiteral("n/a");
}

OfficeSuites DetectOfficeSuites()
{
    OfficeSuites s;
    s.libreOffice = office::Session::Installed();
    return s;
}

QString OOCalcAuto::PdfPath(const QString& output)
{
    const QFileInfo fi(output);
    return fi.path() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".pdf");
}

int OOCalcAuto::RunJob(const ReplaceJob& job)
{
    auto fail = [this](int code) { return m_lastError = code; };
    // 1. copy the template to the output file
    if (job.TemplatePath().isEmpty()) return fail(-15);
    if (!QFileInfo(job.TemplatePath()).isFile()) return fail(-16);
    if (job.OutputPath().isEmpty()) return fail(-18);
    const QString output = job.OutputPath();
    const QString pdf = PdfPath(output);
    if (QFileInfo::exists(output)) QFile::remove(output);
    if (!QFile::copy(job.TemplatePath(), output)) return fail(-19);
    QFile::setPermissions(output, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    // the copy is not a protocol until it is filled and stored
    const bool pdfExisted = QFileInfo::exists(pdf); // never another protocol's
    auto discard = [&](int code) {
        QFile::remove(output);
        if (!pdfExisted) QFile::remove(pdf);
        return fail(code);
    };

    // 2. connect, within the fill limit
    if (m_excel) return discard(-2);
    office::Session& session = office::Session::Shared();
    office::TimeLimit limit(session, session.Limits().fillMs);
    const int started = session.Start();
    if (started != office::StartOk) return discard(started);

    // 3. open the copy
    office::Document doc(session);
    if (!doc.Open(output)) return discard(limit.Expired() ? -2 : -5);
    if (doc.SheetCount() <= 0) return discard(limit.Expired() ? -2 : -7);

    // 4. sheet by sheet; later failures are skipped
    std::vector<std::pair<QString, QString>> pairs;
    pairs.reserve(job.Pairs().size());
    for (const ReplacePair& p : job.Pairs())
        pairs.emplace_back(p.key, p.value);
    for (int i = 0; i < doc.SheetCount() && !limit.Expired(); ++i) {
        const QString name = doc.SheetName(i);
        if (job.HiddenSheets().contains(name)) {
            doc.HideSheet(i);
            continue;
        }
        int column = 0, row = 0;
        if (doc.Find(i, QStringLiteral("&LST_F"), &column, &row)) {
            doc.SetText(i, column, row, QString());
            // one row per point: the marker row is copied (its styles, borders and formulas), so
            // it ends up as the last row of the table
            const int n = job.PointCount();
            if (n > 1) doc.RepeatRow(i, row, n - 1);
            for (const RowKey& key : job.RowKeys()) {
                int kc = 0, kr = 0;
                if (!doc.Find(i, key.key, &kc, &kr)) continue;
                QStringList values;
                for (int p = 0; p < n; ++p)
                    values << key.values[size_t(p)];
                doc.WriteTextColumn(i, kc, row, values);
            }
        }
        for (const ReplacePair& p : job.Pairs())
            if (name == p.key) doc.RenameSheet(i, p.value);
        doc.ReplaceTexts(i, pairs);
    }

    // 5. the first sheet in front; stored as the template's format and as PDF; closed
    doc.SelectSheet(0);
    const bool stored = !limit.Expired() && doc.Store();
    const bool pdfStored = stored && doc.ExportPdf(pdf);
    doc.Close();
    if (limit.Expired()) return discard(-2);
    if (!stored) {
        qCWarning(lcCalc) << "the filled protocol could not be stored to" << output;
        return discard(-19);
    }
    if (!pdfStored) qCWarning(lcCalc) << "the PDF of the protocol could not be written to" << pdf;

    // 6. the user's own office shows it
    office::Desktop().Open(output);
    return m_lastError = 0;
}

} // namespace reports
