// The chart services of the measurement, emulation and verification charts.
//
// TChartView is one line chart: a title, a bottom axis that shows the points' text labels, a left
// and a right value axis, and series whose points are kept in TSeriesData. The chart keeps every
// point (the saved table has them all) but draws a bounded number: each series is drawn by one item
// of ours from the min/max pyramid of its data over the pixel columns of the plot, so adding a point
// and repainting cost the same after one reading or after a day. Gap points (non-finite values)
// break the line. A new point repaints only the strip of the plot around it. Axes are automatic
// (fitted to the data on round values, so their labels are round and they move only now and then)
// until a tool bar step or SetRange makes them manual.
//
// TChartToolBar is the tool bar of a chart: buttons found by their names (MGLeft, MGRight, MGUp,
// MGDown, MGZoomXIn, MGZoomXOut, MGZoomYIn, MGZoomYOut, MGNoZoom, MGSave, MGPrint, MGClear) whose
// press runs the actions their names ask for (see measure::ToolActions): shift and zoom, default
// scale, clear, print, and save (the picture, then the text table).
#pragma once

#include "measure/chartmath.h"
#include "measure/seriesdata.h"

#include <QChartView>
#include <QColor>
#include <QFrame>

#include <functional>
#include <memory>
#include <vector>

class QCategoryAxis;
class QLineSeries;
class QPrinter;
class QToolButton;
class QValueAxis;

namespace measure {

class TSeriesItem;

enum class ChartAxis { Bottom, Left, Right };

class TChartView : public QChartView {
    Q_OBJECT
public:
    explicit TChartView(QWidget* parent = nullptr);
    ~TChartView() override;

    void SetTitle(const QString& title);
    void SetLegendVisible(bool on);
    void SetAxisTitle(ChartAxis axis, const QString& title);
    QString AxisTitle(ChartAxis axis) const;

    /// Adds a series drawn with `color` and `width` against the left or the right axis. Returns
    /// its index (0, 1, ...).
    int AddSeries(const QString& name, const QColor& color, int width, ChartAxis axis);
    int SeriesCount() const { return int(m_series.size()); }
    const TSeriesData& Data(int series) const;
    QString SeriesName(int series) const;

    /// Adds a point with the next X: 0 when a point was added; -1 when `value` is not finite (a gap
    /// point with the label is added instead) or `series` names no series of the chart.
    int AddPoint(int series, float value, const QString& label);
    /// Empties every series.
    void ClearSeries();
    /// While on, added points neither refit the axes nor repaint (loading many points); turning it
    /// off does both once.
    void SetBatch(bool on);
    /// Shows or hides a series (a hidden series is neither drawn nor fitted by the automatic axes).
    void SetSeriesVisible(int series, bool on);
    bool SeriesVisible(int series) const;

    /// The current range of an axis (the fitted one while it is automatic).
    AxisRange Range(ChartAxis axis) const;
    bool Automatic(ChartAxis axis) const;
    /// A fixed range (the axis becomes manual).
    void SetRange(ChartAxis axis, AxisRange range);
    /// One tool bar step on one axis (the axis becomes manual first).
    void Step(ChartAxis axis, AxisStep step);
    /// Every axis back to automatic.
    void DefaultScale();

    /// The chart at its current size on a white background.
    QImage Picture();
    /// Draws the chart into `target` of `painter` (printing).
    void RenderTo(QPainter* painter, const QRectF& target);
    /// The text table of the chart's series (see measure::TableText; values as CompactText).
    QByteArray Table() const;

    /// The read-out at a position of the view: CompactText of the value of series 0's axis there
    /// when series 0 has points, then a line break and the value of series 1's axis when there is a
    /// series 1 with points.
    QString CursorText(const QPointF& viewPos) const;
    /// Shows the read-out as the hint under the mouse (the emulation chart).
    void SetCursorReadout(bool on);

    /// Drawing state for tests and benchmarks: how many points the last paint drew, how many paints.
    int LastDrawnPoints() const { return m_lastDrawn; }
    /// The part of the plot (chart coordinates) a new last point of `series` repaints: a strip
    /// around it, the whole plot when the drawing changes, empty when it is not in view.
    QRectF LastPointRect(int series) const;
    /// The series as they are drawn over the plot, the part `exposed` only (its background white
    /// first, as the view repaints it), painted onto `base` (a white image of the chart's size when
    /// null), for checks of the partial repaint.
    QImage PlotImage(const QRectF& exposed, QImage base = {});
    int Paints() const { return m_paints; }

protected:
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    friend class TSeriesItem;
    struct Series {
        QString name;
        QColor color;
        int width = 1;
        ChartAxis axis = ChartAxis::Left;
        bool visible = true;
        TSeriesData data;
        QLineSeries* legend = nullptr; // an empty series: the legend entry and the axis binding
        mutable int drawnLevel = -1;   // the pyramid level the last paint drew it from
    };
    void RepaintNewPoint(const Series& s);
    struct AxisState {
        bool automatic = true;
        AxisRange manual;
    };
    AxisRange Fitted(ChartAxis axis) const;
    /// Brings the axes to their ranges; true when a range changed.
    bool UpdateAxes();
    bool UpdateBottomLabels(AxisRange r);
    void ScheduleUpdate();
    void FlushUpdate();
    QValueAxis* ValueAxis(ChartAxis axis) const;

    std::vector<std::unique_ptr<Series>> m_series;
    AxisState m_axes[3];
    QCategoryAxis* m_bottom = nullptr;
    QValueAxis* m_left = nullptr;
    QValueAxis* m_right = nullptr;
    TSeriesItem* m_item = nullptr;
    AxisRange m_labelRange{-1, -1};
    std::int64_t m_labelCount = -1;
    bool m_readout = false;
    bool m_batch = false;
    bool m_updatePending = false;
    mutable int m_lastDrawn = 0;
    mutable int m_paints = 0;
};

/// What a save dialog asks for.
struct SaveRequest {
    QString title;
    QStringList filters; ///< the first is the default
    QString defaultName; ///< file name proposed
    QString defaultSuffix;
};

class TChartToolBar : public QFrame {
    Q_OBJECT
public:
    /// The tool bar of `chart`; `fileStem` begins the proposed file names ("measurement"), `saveHint`
    /// is the hint of MGSave ("Сохранить результаты измерения").
    TChartToolBar(TChartView* chart, const QString& fileStem, const QString& saveHint,
                  QWidget* parent = nullptr);
    ~TChartToolBar() override;

    TChartView* Chart() const { return m_chart; }
    /// A button by its name (MGLeft ...), or nullptr.
    QToolButton* Button(const QString& name) const;
    /// Runs the actions of the button named `name`.
    void Press(const QString& name);

    /// Save: the picture ("Сохранение графика", BMP first, PNG second), then, whatever the first
    /// dialog's outcome, the table ("Сохранение результатов"). A picture or a table that cannot be
    /// written is reported with its file name; after a failed picture the table is not offered.
    void Save();
    /// Print: landscape on the default printer, the printer's orientation restored afterwards;
    /// without a printer, an offer to print into a PDF file.
    void Print();

    /// The save dialogs; tests replace it. Returns the chosen path, "" for Cancel.
    std::function<QString(const SaveRequest&)> chooseSaveFile;

private:
    TChartView* m_chart;
    QString m_stem;
    std::unique_ptr<QPrinter> m_printer; // made at the first print
};

} // namespace measure
