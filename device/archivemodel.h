// The archive's rows as the page shows them (a table model with a tick per row), the hand-over of
// ticked rows to the verification results, and the text table that the command line prints and the
// page saves as CSV.
#pragma once

#include "device/archive.h"
#include "reports/protocoldata.h"
#include "verification/results.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace device {

class ArchiveModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    /// Replaces every row (all unticked).
    void SetRecords(std::vector<ArchiveRecord> records);
    void Clear() { SetRecords({}); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// Sorts every row ascending by the column's text, case-insensitively and stably (column 0
    /// compares the numbers as text: "10" before "2"), whatever `order` says; ticks follow their rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const ArchiveRecord& Record(int row) const { return m_rows[size_t(row)].record; }
    bool Checked(int row) const { return m_rows[size_t(row)].checked; }
    void SetChecked(int row, bool on);
    int CheckedCount() const { return m_checked; }
    /// The ticked records in list order.
    std::vector<const ArchiveRecord*> CheckedRecords() const;

Q_SIGNALS:
    /// After every change of a tick, and after the rows are replaced.
    void checkedCountChanged(int count);

private:
    struct Row {
        ArchiveRecord record;
        bool checked = false;
    };
    std::vector<Row> m_rows;
    int m_checked = 0;
};

/// The cell that says a point conforms: "Cоответствует" as the instrument spells it (a Latin "C")
/// or "Соответствует" (all Cyrillic).
bool ConformsText(QStringView cell);

/// A cell read as "%f %s": true when a number starts it; the word after the number goes to `word`.
bool ScanCell(QStringView cell, float* value, QString* word = nullptr);

/// One result row from one record, every field from zero: pass from the result cell, the reals of
/// the range, measured, signal, reference, tolerance and error cells.
verification::ResultRow ArchiveResultRow(const ArchiveRecord& record);

/// What a transfer did: rows taken (at most the list's 200), rows offered, and the date and serial
/// number of the first row.
struct TransferOutcome {
    int taken = 0;
    int offered = 0;
    QString date, serial;
};

/// Replaces the results with one row per record, in order; the device record of the protocol gets
/// the range and units of the last row and the permissible error of the last row, the protocol date
/// and the device serial those of the first row (when they fit their fields).
TransferOutcome TransferArchiveRows(const std::vector<const ArchiveRecord*>& records,
                                    verification::ResultList& results, reports::ProtocolData& protocol);

/// The 16 captions without their padding (the header line of a text table).
QStringList ArchiveHeader();
QStringList RecordCells(const ArchiveRecord& record);
/// One line of a text table: the cells joined by `separator`; a cell holding the separator, a quote
/// or a line break is quoted ("" for a quote inside). No line end.
QString TableLine(const QStringList& cells, QChar separator);
/// The header and one line per record, each ending in "\n".
QString ArchiveTable(const std::vector<const ArchiveRecord*>& records, QChar separator);

} // namespace device
