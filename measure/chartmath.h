// The arithmetic of the charts, apart from any widget: the program-wide time origin and the
// elapsed-time labels of the points, the steps of the chart tool bar (which actions a button's
// name asks for, how an axis shifts and zooms), and the text table a chart is saved as.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <vector>

namespace measure {

class TSeriesData;

/// The time origin of the point labels, in whole seconds since the epoch: one for the whole
/// program, moved by every start of a measurement, an emulation or a verification run.
void SetTimeOrigin();
void SetTimeOrigin(std::int64_t seconds);
std::int64_t TimeOrigin();
/// The current time in whole seconds (the clock the labels use).
std::int64_t NowSeconds();

/// The label of a point `seconds` after the origin: "-1" before it, "m:ss" below an hour
/// ("0:05", "59:59"), "h:mm:ss" from an hour on ("1:02:03").
QString ElapsedLabel(std::int64_t seconds);
/// The label of a point taken now.
QString ElapsedLabel();

/// One axis range.
struct AxisRange {
    double min = 0;
    double max = 0;
    bool operator==(const AxisRange&) const = default;
};

/// One step of the tool bar on one axis. The new minimum is set first, and the new maximum is
/// computed from the range between it and the old maximum:
///  - ShiftDown (left / down): a′ = a − 0.1·(b − a), b′ = b − 0.1·(b − a′)
///  - ShiftUp (right / up):    a′ = a + 0.1·(b − a), b′ = b + 0.1·(b − a′)
///  - ZoomIn:                  a′ = a + 0.1·(b − a), b′ = b − 0.1·(b − a′)
///  - ZoomOut:                 a′ = a − 0.1·(b − a), b′ = b + 0.1·(b − a′)
/// So "Left" on 0..100 gives −10..89 and "ZoomXIn" gives 10..91.
enum class AxisStep { ShiftDown, ShiftUp, ZoomIn, ZoomOut };
AxisRange StepAxis(AxisRange r, AxisStep step);

/// What a tool bar button does, chosen by the parts of its name.
enum class ToolAction {
    Clear,
    Left,
    Right,
    Up,
    Down,
    ZoomXIn,
    ZoomXOut,
    ZoomYIn,
    ZoomYOut,
    NoZoom,
    Print,
    Save
};
/// The actions of a button named `name`: its name is tested for "MGClear", "Left", "Right", "Up",
/// "Down", "ZoomXIn", "ZoomXOut", "ZoomYIn", "ZoomYOut", "NoZoom", "Print", "Save", in this order,
/// and every part it contains gives its action ("MGLeft" → Left; "MGZoomXIn" → ZoomXIn).
std::vector<ToolAction> ToolActions(QStringView name);

/// The text table of a chart's series (CR LF line ends): for each point i of series 0, its X as a
/// decimal integer, "=", then `format` of the Y of point i of each series, separated by a tab. The
/// format is chosen once by the number of series (1, 2 or 3); any other number gives an empty table.
/// A series with fewer points than series 0 leaves its column empty from there on. Gap points give
/// `format` of NaN.
QByteArray TableText(const std::vector<const TSeriesData*>& series,
                     const std::function<QString(double)>& format);

/// A default file name for a chart's picture or table: "<stem>-YYYYMMDD-HHMMSS.<extension>", local time.
QString DefaultFileName(const QString& stem, const QString& extension);

} // namespace measure
