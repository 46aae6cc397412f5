// The view of a report list (the measurement and emulation logs): a read-only table with grid
// lines and whole-row, multiple selection over a TReportListModel, numbered by its first column.
//
// Its cells are drawn from laid-out texts kept between repaints: a new row scrolls the visible rows
// by one, and only that row's texts are laid out again.
#pragma once

#include <QTableView>

namespace measure {

class TReportListModel;

class TReportView : public QTableView {
    Q_OBJECT
public:
    /// A view of `model` with the given column widths (pixels, in column order).
    TReportView(TReportListModel* model, const QList<int>& widths, QWidget* parent = nullptr);
};

} // namespace measure
