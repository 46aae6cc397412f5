#include "sheetout/excel.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSheetout, "lorik.sheetout")

namespace sheetout {

bool AutoWrap(const char* member, const std::function<bool()>& call)
{
    const bool ok = call();
    if (!ok)
        qCDebug(lcSheetout).noquote()
            << QStringLiteral("AutoWrap(): Ошибка вызова функции  %1()").arg(QString::fromLatin1(member));
    return ok;
}

void Worksheet::SetCell(int column, int row, const QString& text)
{
    if (text.isEmpty() || column < 1 || row < 1) return;
    AutoWrap("Value", [&] { return m_doc.SetText(m_sheet, column - 1, row - 1, text); });
}

QString Worksheet::CellText(int column, int row) const
{
    if (column < 1 || row < 1) return {};
    return m_doc.CellText(m_sheet, column - 1, row - 1);
}

void Worksheet::AppendCell(int column, int row, const QString& text)
{
    if (column < 1 || row < 1) return;
    const QString now = CellText(column, row);
    if (now.isEmpty() && text.isEmpty()) return;
    AutoWrap("Value", [&] { return m_doc.SetText(m_sheet, column - 1, row - 1, now + text); });
}

bool Worksheet::Locate(const QString& name, int* column, int* row) const
{
    int s = 0, c = 0, r = 0;
    if (!AutoWrap("Range", [&] { return m_doc.NamedRange(name, &s, &c, &r); })) return false;
    if (column) *column = c + 1;
    if (row) *row = r + 1;
    return true;
}

void Worksheet::SetNamed(const QString& name, const QString& text)
{
    int c = 0, r = 0;
    if (Locate(name, &c, &r)) SetCell(c, r, text);
}

void Worksheet::AppendNamed(const QString& name, const QString& text)
{
    int c = 0, r = 0;
    if (Locate(name, &c, &r)) AppendCell(c, r, text);
}

void Worksheet::CopyInsertRows(int first, int last)
{
    if (first < 1 || last < first) return;
    AutoWrap("Insert", [&] { return m_doc.CopyInsertRows(m_sheet, first - 1, last - first + 1, first - 1); });
}

void Worksheet::EndCopyMode()
{
    AutoWrap("CutCopyMode", [&] { return m_doc.SelectSheet(m_sheet); });
}

} // namespace sheetout
