#include "device/archivemodel.h"

#include "platform/cp1251.h"
#include "sensors/numbers.h"

#include <algorithm>

namespace device {

void ArchiveModel::SetRecords(std::vector<ArchiveRecord> records)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(records.size());
    for (ArchiveRecord& r : records)
        m_rows.push_back({std::move(r), false});
    m_checked = 0;
    endResetModel();
    Q_EMIT checkedCountChanged(0);
}

int ArchiveModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ArchiveModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kArchiveColumns;
}

QVariant ArchiveModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()) || index.column() >= kArchiveColumns) return {};
    const Row& r = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole) return r.record.cells[index.column()];
    if (role == Qt::CheckStateRole && index.column() == 0) return r.checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool ArchiveModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 ||
        index.row() >= int(m_rows.size()))
        return false;
    SetChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ArchiveModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kArchiveColumns)
        return {};
    return QString::fromUtf8(kArchiveCaptions[section]);
}

void ArchiveModel::sort(int column, Qt::SortOrder)
{
    if (column < 0 || column >= kArchiveColumns) return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [this, column](int a, int b) {
        return m_rows[size_t(a)].record.cells[column].compare(m_rows[size_t(b)].record.cells[column],
                                                              Qt::CaseInsensitive) < 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRow(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newRow[size_t(order[i])] = int(i);
        sorted.push_back(std::move(m_rows[size_t(order[i])]));
    }
    m_rows = std::move(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after << index(newRow[size_t(i.row())], i.column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ArchiveModel::SetChecked(int row, bool on)
{
    if (row < 0 || row >= int(m_rows.size()) || m_rows[size_t(row)].checked == on) return;
    m_rows[size_t(row)].checked = on;
    m_checked += on ? 1 : -1;
    const QModelIndex i = index(row, 0);
    Q_EMIT dataChanged(i, i, {Qt::CheckStateRole});
    Q_EMIT checkedCountChanged(m_checked);
}

std::vector<const ArchiveRecord*> ArchiveModel::CheckedRecords() const
{
    std::vector<const ArchiveRecord*> out;
    for (const Row& r : m_rows)
        if (r.checked) out.push_back(&r.record);
    return out;
}

bool ConformsText(QStringView cell)
{
    return cell == u"Cоответствует" || cell == u"Соответствует";
}

bool ScanCell(QStringView cell, float* value, QString* word)
{
    double v = 0;
    const int used = sensors::ScanFloat(cell, &v);
    if (used == 0) return false;
    *value = float(v);
    if (word) {
        QStringView rest = cell.mid(used).trimmed();
        qsizetype end = 0;
        while (end < rest.size() && !rest[end].isSpace())
            ++end;
        *word = rest.left(end).toString();
    }
    return true;
}

verification::ResultRow ArchiveResultRow(const ArchiveRecord& record)
{
    verification::ResultRow row;
    row.pass = ConformsText(record.cells[ColResult]) ? 1 : 0;
    const struct {
        int column;
        float verification::ResultRow::*field;
    } reals[] = {
        {ColRangeLow, &verification::ResultRow::rangeLow},
        {ColRangeHigh, &verification::ResultRow::rangeHigh},
        {ColMeasured, &verification::ResultRow::measured},
        {ColMeasuredSignal, &verification::ResultRow::measuredSignal},
        {ColReference, &verification::ResultRow::reference},
        {ColTolerance, &verification::ResultRow::tolerance},
        {ColError, &verification::ResultRow::error},
    };
    for (const auto& r : reals)
        ScanCell(record.cells[r.column], &(row.*r.field));
    return row;
}

TransferOutcome TransferArchiveRows(const std::vector<const ArchiveRecord*>& records,
                                    verification::ResultList& results, reports::ProtocolData& protocol)
{
    TransferOutcome out;
    out.offered = int(records.size());
    verification::ClearRows(results);
    for (const ArchiveRecord* rec : records) {
        const verification::ResultRow row = ArchiveResultRow(*rec);
        reports::ProtocolDevice& d = protocol.device;
        d.rangeLow = row.rangeLow;
        d.rangeHigh = row.rangeHigh;
        float high = 0;
        QString units;
        ScanCell(rec->cells[ColRangeHigh], &high, &units);
        platform::SetText(d.units, units);
        d.permissibleError = row.tolerance;
        if (verification::AppendRow(results, row) > 0) ++out.taken;
    }
    if (!records.empty()) {
        out.date = records.front()->cells[ColDate];
        out.serial = records.front()->cells[ColSerial];
        // the report page's copy rules: a text that does not fit leaves the field as it was
        if (platform::ToCp1251(out.date).size() < qsizetype(sizeof protocol.protocolDate))
            platform::SetText(protocol.protocolDate, out.date);
        if (platform::ToCp1251(out.serial).size() < qsizetype(sizeof protocol.device.serial))
            platform::SetText(protocol.device.serial, out.serial);
    }
    return out;
}

QStringList ArchiveHeader()
{
    QStringList out;
    for (const char* c : kArchiveCaptions)
        out << QString::fromUtf8(c).trimmed();
    return out;
}

QStringList RecordCells(const ArchiveRecord& record)
{
    QStringList out;
    for (const QString& c : record.cells)
        out << c;
    return out;
}

QString TableLine(const QStringList& cells, QChar separator)
{
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i) line += separator;
        const QString& c = cells[i];
        if (c.contains(separator) || c.contains(QLatin1Char('"')) || c.contains(QLatin1Char('\n')) ||
            c.contains(QLatin1Char('\r'))) {
            QString q = c;
            q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            line += QLatin1Char('"') + q + QLatin1Char('"');
        } else {
            line += c;
        }
    }
    return line;
}

QString ArchiveTable(const std::vector<const ArchiveRecord*>& records, QChar separator)
{
    QString out = TableLine(ArchiveHeader(), separator) + QLatin1Char('\n');
    for (const ArchiveRecord* r : records)
        out += TableLine(RecordCells(*r), separator) + QLatin1Char('\n');
    return out;
}

} // namespace device
