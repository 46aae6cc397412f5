// The results table: one line per row of the results list, numbered from 1, with the reference and
// the measured value, then for a verification the error, the tolerance and the verdict, for a
// calibration the uncertainty; and the test uncertainty ratio of each point. The table reads the
// list and the protocol record as they are; Refresh() follows a change of the list.
#pragma once

#include "reports/protocoldata.h"
#include "verification/results.h"

#include <QAbstractTableModel>

namespace verification {

class TResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColNumber,
        ColReference,
        ColMeasured,
        ColErrorOrU,
        ColTolerance,
        ColVerdict,
        ColTur,
        ColumnCount
    };

    /// `data`: the record whose decimals and verification kind the texts follow.
    TResultsModel(const ResultList& list, const reports::ProtocolData& data, QObject* parent = nullptr);

    /// Verification (true: error, tolerance, verdict, red lines for failing points) or calibration.
    void SetVerification(bool verification);
    bool Verification() const { return m_verification; }
    /// Rebuilds the table from the list.
    void Refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// The text of a cell (what the table shows).
    QString Text(int row, int column) const;
    /// Whether the cell is drawn red: a failing point in a verification, a ratio below 4.
    bool Red(int row, int column) const;
    /// The test uncertainty ratio of a row (NaN when it cannot be told).
    float Tur(int row) const;

private:
    const ResultList& m_list;
    const reports::ProtocolData& m_data;
    bool m_verification = false;
    int m_count = 0;
};

} // namespace verification
