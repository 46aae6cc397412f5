// The model of a report list (the measurement and emulation logs): a numbered first column
// ("№", the row number counted from 1) and text columns after it, read-only.
//
// A day at 1 Hz is 86 400 rows, so the texts are kept in one pooled buffer rather than one string
// per cell, and appending or changing the last row costs the same at any length. Views read the
// texts through Qt::DisplayRole; the table export (sheetout's ListView2excel) reads them the same way.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace measure {

class TReportListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// `headers`: the captions of every column, the numbered column first.
    explicit TReportListModel(const QStringList& headers, QObject* parent = nullptr);

    /// Appends a row; `cells` are the texts of columns 1.. (missing ones are empty, extra ones
    /// dropped). Returns the new row's index.
    int AppendRow(const QStringList& cells);
    /// Changes one text cell (column ≥ 1) of an existing row.
    void SetCell(int row, int column, const QString& text);
    /// Removes every row.
    void Clear();
    /// Runs `fill` (which appends rows) as one model reset instead of one insertion per row.
    void Fill(const std::function<void()>& fill);

    int Rows() const { return m_rows; }
    /// The text of a cell: the row number for column 0, the stored text otherwise.
    QString Cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /// Bytes held (for the memory figures).
    std::size_t MemoryBytes() const;

private:
    struct CellRef {
        std::uint32_t start;
        std::uint32_t length;
    };
    void Store(CellRef& ref, const QString& text);

    QStringList m_headers;
    int m_textColumns;
    int m_rows = 0;
    bool m_quiet = false;
    std::vector<char16_t> m_text;
    std::vector<CellRef> m_cells; // row-major, m_textColumns per row
};

} // namespace measure
