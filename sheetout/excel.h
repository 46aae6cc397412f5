// The spreadsheet members the report layouts are written against (a workbook's first worksheet,
// named ranges, cells by row and column counted from 1, row blocks copied and inserted), provided
// over a LibreOffice Calc document. Every call goes through one routine that logs failures.
#pragma once

#include "office/office.h"

#include <QString>

#include <functional>

namespace sheetout {

class Worksheet {
public:
    explicit Worksheet(office::Document& doc, int sheet = 0) : m_doc(doc), m_sheet(sheet) {}

    /// Cells(row, column).Value = text, stored as a text cell; an empty text writes nothing;
    /// coordinates start at 1.
    void SetCell(int column, int row, const QString& text);
    /// The cell's Text followed by `text` written back.
    void AppendCell(int column, int row, const QString& text);
    QString CellText(int column, int row) const;
    /// Range(name): its column and row (from 1). False when the name is missing.
    bool Locate(const QString& name, int* column, int* row) const;
    void SetNamed(const QString& name, const QString& text);
    void AppendNamed(const QString& name, const QString& text);
    /// Rows "a:b" copied and inserted at the block (the block is pushed down).
    void CopyInsertRows(int first, int last);
    /// CutCopyMode = false, then cell (1, 1) selected.
    void EndCopyMode();

private:
    office::Document& m_doc;
    int m_sheet;
};

/// The one routine every member call goes through: runs it, and logs "AutoWrap(): Ошибка вызова
/// функции  <member>()" when it fails.
bool AutoWrap(const char* member, const std::function<bool()>& call);

} // namespace sheetout
