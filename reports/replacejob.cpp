#include "reports/replacejob.h"

#include "platform/cnumber.h"
#include "platform/messageservice.h"

#include <QFileInfo>
#include <QLoggingCategory>

#include <cmath>
#include <new>

Q_LOGGING_CATEGORY(lcJob, "lorik.reports.job")

namespace reports {
namespace {

// Stores a copy; a copy that cannot be allocated refuses the entry instead of ending the program.
template <typename F> int Guarded(F f)
{
    try {
        f();
        return 0;
    } catch (const std::bad_alloc&) {
        platform::Messages().Show(platform::MessageService::Kind::Error, QStringLiteral("Ошибка"),
                                  QStringLiteral("Невозможно выделить память!"));
        return -4;
    }
}

QString Format(const QString& pattern, int number)
{
    QString out = pattern;
    out.replace(out.indexOf(QStringLiteral("%d")), 2, QString::number(number));
    return out;
}

} // namespace

ReplaceJob& Job()
{
    static ReplaceJob job;
    return job;
}

QString DecimalText(float value, int decimals)
{
    if (!std::isfinite(value)) return QStringLiteral("—"); // a protocol never says "nan"
    return QString::fromStdString(platform::FormatFixed(double(value), decimals < 0 ? 6 : decimals));
}

int ReplaceJob::SetFiles(const QString& templatePath, const QString& outputPath,
                         const QStringList& companions)
{
    if (templatePath.isEmpty() || outputPath.isEmpty()) return -1;
    m_template = templatePath;
    m_output.clear();
    const auto taken = [&companions](const QString& path) {
        if (QFileInfo::exists(path)) return true;
        const QFileInfo fi(path);
        for (const QString& ext : companions)
            if (QFileInfo::exists(fi.path() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.') +
                                  ext))
                return true;
        return false;
    };
    if (!taken(outputPath)) {
        m_output = outputPath;
        return 0;
    }
    const qsizetype dot = outputPath.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || outputPath.indexOf(QLatin1Char('/'), dot) >= 0) return -1;
    const QString name = outputPath.left(dot), ext = outputPath.mid(dot + 1);
    for (int i = 1; i <= 99998; ++i) {
        const QString candidate = QStringLiteral("%1(%2).%3").arg(name, QString::number(i), ext);
        if (!taken(candidate)) {
            m_output = candidate;
            return 0;
        }
    }
    return 0; // every name taken: the output stays unset and the run reports it
}

int ReplaceJob::AddHiddenSheet(const QString& pattern, int number)
{
    if (!pattern.contains(QStringLiteral("%d"))) return -2;
    if (m_hidden.size() >= kMaxHiddenSheets) return -1;
    return Guarded([&] { m_hidden << Format(pattern, number); });
}

int ReplaceJob::Add_ReplacePair(const QString& key, const QString& value)
{
    if (int(m_pairs.size()) >= kMaxPairs) return -1;
    for (const ReplacePair& p : m_pairs) {
        if (key.size() > p.key.size() && key.contains(p.key)) {
            platform::Messages().Show(
                platform::MessageService::Kind::Error, QStringLiteral("  Add_ReplacePair()"),
                QStringLiteral(" Нужно изменить порядок добавлния!\n Добавляется идентификатор  %1\n"
                               " Он длинее уже добавленного  %2\n (сначала длинные)")
                    .arg(key, p.key));
            return -3;
        }
    }
    return Guarded([&] { m_pairs.push_back({key, value}); });
}

int ReplaceJob::AddPairFmt(const QString& pattern, int number, const QString& value)
{
    if (!pattern.contains(QStringLiteral("%d"))) return -2;
    return Add_ReplacePair(Format(pattern, number), value);
}

int ReplaceJob::SetPointCount(int count)
{
    if (count > kMaxRowValues || count < 0) return -1;
    m_pointCount = count;
    return 0;
}

int ReplaceJob::AddRowKey(const QString& key)
{
    if (int(m_rowKeys.size()) >= kMaxRowKeys) return -1;
    return Guarded([&] { m_rowKeys.push_back({key, std::vector<QString>(kMaxRowValues)}); });
}

int ReplaceJob::AddRowText(const QString& key, const QString& text)
{
    for (RowKey& r : m_rowKeys) {
        if (r.key != key) continue;
        for (int i = 0; i < m_pointCount; ++i)
            if (r.values[size_t(i)].isNull()) {
                return Guarded([&] { r.values[size_t(i)] = text.isNull() ? QStringLiteral("") : text; });
            }
        return -1;
    }
    return -1;
}

int ReplaceJob::AddRowFloat(const QString& key, float value, int decimals)
{
    return AddRowText(key, DecimalText(value, decimals));
}

void ReplaceJob::FreeJob()
{
    m_template.clear();
    m_output.clear();
    m_hidden.clear();
    m_pairs.clear();
    m_rowKeys.clear();
    m_pointCount = 0;
}

} // namespace reports
