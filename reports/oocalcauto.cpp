#include "reports/oocalcauto.h"

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

int OOCalcAuto::RunJob(const ReplaceJob& job)
{
    auto fail = [this](int code) { return m_lastError = code; };
    // 1. copy the template to the output file
    if (job.TemplatePath().isEmpty()) return fail(-15);
    if (!QFileInfo(job.TemplatePath()).isFile()) return fail(-16);
    if (job.OutputPath().isEmpty()) return fail(-18);
    if (QFileInfo::exists(job.OutputPath())) QFile::remove(job.OutputPath());
    if (!QFile::copy(job.TemplatePath(), job.OutputPath())) return fail(-19);
    QFile::setPermissions(job.OutputPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);

    // 2. connect
    if (m_excel) return fail(-2);
    office::Session& session = office::Session::Shared();
    const int connected = session.Connect();
    if (connected != office::ConnectOk) return fail(connected);

    // 3. open the copy, hidden
    office::Document doc;
    if (!doc.Open(job.OutputPath())) return fail(-5);
    if (doc.SheetCount() <= 0) return fail(-7);

    // 4. sheet by sheet; later failures are skipped
    for (int i = 0; i < doc.SheetCount(); ++i) {
        const QString name = doc.SheetName(i);
        if (job.HiddenSheets().contains(name)) {
            doc.HideSheet(i);
            continue;
        }
        int column = 0, row = 0;
        if (doc.Find(i, QStringLiteral("&LST_F"), &column, &row)) {
            doc.SetCell(i, column, row, QString());
            const int n = job.PointCount();
            if (n > 1) doc.InsertRows(i, row, n - 1);
            for (const RowKey& key : job.RowKeys()) {
                int kc = 0, kr = 0;
                if (!doc.Find(i, key.key, &kc, &kr)) continue;
                QStringList values;
                for (int p = 0; p < n; ++p) values << key.values[size_t(p)];
                doc.WriteColumn(i, kc, row, values);
            }
        }
        for (const ReplacePair& p : job.Pairs()) {
            if (name == p.key) doc.RenameSheet(i, p.value);
            doc.ReplaceAll(i, p.key, p.value);
        }
    }
    // 5. the first sheet in front, the finished protocol on disk, then shown to the user
    doc.SelectSheet(0);
    if (!doc.Store()) qCWarning(lcCalc) << "the filled protocol could not be stored to" << job.OutputPath();
    doc.Show();
    if (session.Headless()) doc.Close(); // nobody to show it to
    else doc.Release();                  // it stays open for the user
    return m_lastError = 0;
}

} // namespace reports
