#include "verification/resultsmodel.h"

#include "sensors/numbers.h"
#include "verification/verdict.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace verification {

TResultsModel::TResultsModel(const ResultList& list, const reports::ProtocolData& data, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_data(data)
{
    Refresh();
}

void TResultsModel::SetVerification(bool verification)
{
    if (m_verification == verification) return;
    beginResetModel();
    m_verification = verification;
    endResetModel();
}

void TResultsModel::Refresh()
{
    beginResetModel();
    m_count = std::clamp(m_list.count, 0, kMaxRows);
    endResetModel();
}

int TResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int TResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

float TResultsModel::Tur(int row) const
{
    if (row < 0 || row >= m_count) return NAN;
    const ResultRow& r = m_list.rows[row];
    return TestUncertaintyRatio(
        r.tolerance, UncertaintyInErrorUnit(m_data.verificationType, r.uncertainty, r.rangeLow, r.rangeHigh));
}

QString TResultsModel::Text(int row, int column) const
{
    if (row < 0 || row >= m_count) return {};
    const ResultRow& r = m_list.rows[row];
    const int n = std::clamp(int(m_data.decimals), 0, 6);
    switch (column) {
    case ColNumber:
        return QString::number(row + 1);
    case ColReference:
        return sensors::FixedText(r.reference, n);
    case ColMeasured:
        return sensors::FixedText(r.measured, n);
    case ColErrorOrU:
        return sensors::FixedText(m_verification ? r.error : r.uncertainty, n);
    case ColTolerance:
        return m_verification ? sensors::FixedText(r.tolerance, n) : QStringLiteral(" ");
    case ColVerdict:
        if (!m_verification) return QStringLiteral(" ");
        // the first letter of the positive verdict is a Latin "c", as the program always wrote it
        return r.pass ? QStringLiteral("cоответствует") : QStringLiteral("Не соответствует");
    case ColTur: {
        const float t = Tur(row);
        return std::isfinite(t) ? sensors::FixedText(t, 1) : QStringLiteral("—");
    }
    default:
        return {};
    }
}

bool TResultsModel::Red(int row, int column) const
{
    if (row < 0 || row >= m_count) return false;
    if (m_verification && !m_list.rows[row].pass) return true;
    return column == ColTur && Tur(row) < kMinTestUncertaintyRatio;
}

QVariant TResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return Text(index.row(), index.column());
    case Qt::ForegroundRole:
        return Red(index.row(), index.column()) ? QColor(255, 0, 0) : QColor(0, 0, 0);
    case Qt::TextAlignmentRole:
        return index.column() == ColVerdict ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                            : int(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    // a temperature sensor's error and tolerance are in °C, the others' in % of the range
    const QString unit = m_data.verificationType == 1 ? QStringLiteral("°C") : QStringLiteral("%");
    switch (section) {
    case ColNumber:
        return QStringLiteral("    №");
    case ColReference:
        return QStringLiteral("Эталон");
    case ColMeasured:
        return QStringLiteral("Измеренное");
    case ColErrorOrU:
        return m_verification ? QStringLiteral("Погрешность, ") + unit : QStringLiteral("Расш.неопр.инзм.");
    case ColTolerance:
        return m_verification ? QStringLiteral("Допуск, ") + unit : QString();
    case ColVerdict:
        return m_verification ? QStringLiteral("Результат") : QString();
    case ColTur:
        return QStringLiteral("TUR");
    default:
        return {};
    }
}

} // namespace verification
