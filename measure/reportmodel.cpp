#include "measure/reportmodel.h"

namespace measure {

TReportListModel::TReportListModel(const QStringList& headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(headers),
      m_textColumns(std::max<int>(int(headers.size()) - 1, 0))
{
}

void TReportListModel::Store(CellRef& ref, const QString& text)
{
    // A changed cell takes new room at the end (the old text stays as unused space) unless it is
    // the last text stored, which is overwritten in place.
    if (ref.length > 0 && ref.start + ref.length == m_text.size()) m_text.resize(ref.start);
    ref.start = std::uint32_t(m_text.size());
    ref.length = std::uint32_t(text.size());
    m_text.insert(m_text.end(), text.utf16(), text.utf16() + text.size());
}

int TReportListModel::AppendRow(const QStringList& cells)
{
    const int row = m_rows;
    if (!m_quiet) beginInsertRows({}, row, row);
    for (int c = 0; c < m_textColumns; ++c) {
        CellRef ref{std::uint32_t(m_text.size()), 0};
        if (c < cells.size()) Store(ref, cells[c]);
        m_cells.push_back(ref);
    }
    ++m_rows;
    if (!m_quiet) endInsertRows();
    return row;
}

void TReportListModel::SetCell(int row, int column, const QString& text)
{
    if (row < 0 || row >= m_rows || column < 1 || column > m_textColumns) return;
    Store(m_cells[std::size_t(row) * std::size_t(m_textColumns) + std::size_t(column - 1)], text);
    if (!m_quiet) Q_EMIT dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
}

void TReportListModel::Clear()
{
    beginResetModel();
    m_rows = 0;
    m_text.clear();
    m_cells.clear();
    endResetModel();
}

void TReportListModel::Fill(const std::function<void()>& fill)
{
    beginResetModel();
    m_quiet = true;
    fill();
    m_quiet = false;
    endResetModel();
}

QString TReportListModel::Cell(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column > m_textColumns) return {};
    if (column == 0) return QString::number(row + 1);
    const CellRef& ref = m_cells[std::size_t(row) * std::size_t(m_textColumns) + std::size_t(column - 1)];
    return QString(reinterpret_cast<const QChar*>(m_text.data() + ref.start), qsizetype(ref.length));
}

int TReportListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TReportListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant TReportListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return Cell(index.row(), index.column());
}

QVariant TReportListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_headers.size() ? m_headers[section] : QVariant();
    return section + 1;
}

Qt::ItemFlags TReportListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

std::size_t TReportListModel::MemoryBytes() const
{
    return m_text.capacity() * sizeof(char16_t) + m_cells.capacity() * sizeof(CellRef);
}

} // namespace measure
