#include "measure/chartview.h"

#include "platform/ini.h"
#include "platform/messages.h"
#include "platform/messageservice.h"
#include "sensors/numbers.h"

#include <QBuffer>
#include <QCategoryAxis>
#include <QDir>
#include <QFileDialog>
#include <QGraphicsItem>
#include <QHBoxLayout>
#include <QLegend>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStyle>
#include <QStyleOptionGraphicsItem>
#include <QToolButton>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace measure {

// Draws every visible series of a chart over its plot area from the series' pyramids.
class TSeriesItem : public QGraphicsItem {
public:
    TSeriesItem(TChartView* view, QGraphicsItem* parent) : QGraphicsItem(parent), m_view(view)
    {
        setZValue(10);
        setFlag(QGraphicsItem::ItemUsesExtendedStyleOption); // the exposed part comes with each paint
    }
    QRectF boundingRect() const override { return m_rect; }
    void SetRect(const QRectF& r)
    {
        prepareGeometryChange();
        m_rect = r;
    }
    void paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*) override;

private:
    TChartView* m_view;
    QRectF m_rect;
    QImage m_canvas; // the dense runs of the last paint, one pixel per plot pixel
};

namespace {

// 1, 2 or 5 times a power of ten, at least `raw` (and at least 1: the X values are indexes).
double NiceStep(double raw)
{
    if (!(raw > 1)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= raw) return m * p;
    return 10 * p;
}

// 1, 2 or 5 times a power of ten (any power), at least `raw` > 0.
double NiceReal(double raw)
{
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= raw * (1 - 1e-12)) return m * p;
    return 10 * p;
}

QString ChooseWithDialog(QWidget* parent, const SaveRequest& r)
{
    static QString lastDir = QDir::homePath();
    QFileDialog dialog(parent, r.title, lastDir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(r.filters);
    dialog.setDefaultSuffix(r.defaultSuffix);
    dialog.selectFile(r.defaultName);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        const qsizetype star = filter.indexOf(QStringLiteral("*."));
        if (star >= 0) dialog.setDefaultSuffix(filter.mid(star + 2).section(QLatin1Char(')'), 0, 0));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString path = dialog.selectedFiles().constFirst();
    lastDir = QFileInfo(path).absolutePath();
    return path;
}

} // namespace

namespace {

// The columns of the plot area a paint redraws (a strip, or all of them).
struct Strip {
    int first, last; // plot columns, first <= last
};

// Draws one run of points (no gap inside), in pixels of the chart.
//
// A sparse series (fewer points over the range than a quarter of the plot's columns) is drawn as a
// polyline. A dense one (a long series, decimated or not) is drawn into `canvas` column by column:
// each pixel column gets the rows from the least to the greatest height the line takes in it,
// widened by the line's width. That is the picture the polyline would give, at a cost bounded by
// the pixels of the strip however much the line zigzags (a wide pen on a zigzag of thousands of
// points costs many times more). Returns the canvas rows it drew into (first > second: none).
std::pair<int, int> DrawRun(QPainter* p, QImage& canvas, const QPolygonF& run, const QRect& area, Strip strip,
                            bool dense, const QColor& color, int width)
{
    std::pair<int, int> band{std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
    if (run.isEmpty()) return band;
    if (!dense) {
        if (run.size() == 1) {
            p->fillRect(QRect(int(std::floor(run[0].x())), int(std::floor(run[0].y())), width, width), color);
            return band;
        }
        // a one-pixel cosmetic pen at each offset of the width: the raster engine's fast line
        // stroker, where a wide pen would be stroked as a filled outline
        QPen pen(color, 1);
        pen.setCosmetic(true);
        p->setPen(pen);
        for (int dx = 0; dx < width; ++dx)
            for (int dy = 0; dy < width; ++dy)
                if (dx == 0 || dy == 0) p->drawPolyline(run.translated(dx, dy));
        return band;
    }
    const int columns = strip.last - strip.first + 1, rows = area.height();
    constexpr int kNone = std::numeric_limits<int>::max();
    std::vector<int> lo(std::size_t(columns), kNone), hi(std::size_t(columns), -kNone);
    const double x0 = area.left() + strip.first; // pixel x of strip column 0
    auto extend = [&](int column, double y) {
        const int yi = int(std::floor(y)) - area.top();
        for (int c = std::max(column, 0); c < std::min(column + width, columns); ++c) {
            lo[std::size_t(c)] = std::min(lo[std::size_t(c)], yi);
            hi[std::size_t(c)] = std::max(hi[std::size_t(c)], yi + width - 1);
        }
    };
    for (qsizetype k = 1; k < run.size(); ++k) {
        const QPointF a = run[k - 1] - QPointF(x0, 0), b = run[k] - QPointF(x0, 0);
        const int ca = int(std::floor(std::max(a.x(), -double(width)))),
                  cb = int(std::floor(std::min(b.x(), double(columns))));
        if (ca > cb) continue;
        if (ca == cb || b.x() == a.x()) {
            extend(ca, a.y());
            extend(ca, b.y());
            continue;
        }
        const double slope = (b.y() - a.y()) / (b.x() - a.x());
        for (int c = ca; c <= cb; ++c) {
            const double u0 = std::max(a.x(), double(c)), u1 = std::min(b.x(), double(c + 1));
            extend(c, a.y() + slope * (u0 - a.x()));
            extend(c, a.y() + slope * (u1 - a.x()));
        }
    }
    for (int c = 0; c < columns; ++c)
        if (lo[std::size_t(c)] <= hi[std::size_t(c)]) {
            band.first = std::min(band.first, lo[std::size_t(c)]);
            band.second = std::max(band.second, hi[std::size_t(c)]);
        }
    band.first = std::max(band.first, 0);
    band.second = std::min(band.second, rows - 1);
    // row by row, so the writes run along the image's memory
    const QRgb pixel = qPremultiply(color.rgba());
    const int* l = lo.data();
    const int* h = hi.data();
    for (int y = band.first; y <= band.second; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(canvas.scanLine(y)) + strip.first;
        for (int c = 0; c < columns; ++c)
            if (l[c] <= y && y <= h[c]) line[c] = pixel;
    }
    return band;
}

} // namespace

void TSeriesItem::paint(QPainter* p, const QStyleOptionGraphicsItem* option, QWidget*)
{
    const QRect area = m_rect.toAlignedRect();
    if (area.width() < 1 || area.height() < 1) return;
    const AxisRange xr = m_view->Range(ChartAxis::Bottom);
    if (!(xr.max > xr.min)) return;
    // the part to redraw: the exposed columns (one strip after a new point, all after a change)
    const QRect exposed =
        (option && option->exposedRect.isValid() ? option->exposedRect.toAlignedRect() : area) & area;
    if (exposed.isEmpty()) return;
    const Strip strip{exposed.left() - area.left(), exposed.right() - area.left()};
    if (m_canvas.size() != area.size()) {
        m_canvas = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
        m_canvas.fill(Qt::transparent);
    } else {
        for (int y = 0; y < area.height(); ++y)
            std::memset(reinterpret_cast<QRgb*>(m_canvas.scanLine(y)) + strip.first, 0,
                        sizeof(QRgb) * std::size_t(strip.last - strip.first + 1));
    }
    std::pair<int, int> band{std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
    p->save();
    p->setClipRect(exposed, Qt::IntersectClip);
    p->setRenderHint(QPainter::Antialiasing, false);
    const double kx = area.width() / (xr.max - xr.min);
    // the X range of the strip, with a few pixels' margin for the lines that cross its edges
    const double from = xr.min + (strip.first - 8) / kx, to = xr.min + (strip.last + 8) / kx;
    int drawn = 0;
    for (const auto& s : m_view->m_series) {
        s->drawnLevel = -1;
        if (!s->visible || s->data.Count() == 0) continue;
        const AxisRange yr = m_view->Range(s->axis);
        if (!(yr.max > yr.min)) continue;
        const double ky = area.height() / (yr.max - yr.min);
        std::int64_t first, last;
        s->drawnLevel = s->data.Level(xr.min, xr.max, area.width(), &first, &last);
        const bool dense = s->drawnLevel > 0 || (last - first + 1) * 4 >= area.width();
        const std::vector<QPointF> pts = s->data.Decimate(xr.min, xr.max, area.width(), from, to);
        drawn += int(pts.size());
        const int w = std::clamp(s->width, 1, 4);
        QPolygonF run;
        run.reserve(qsizetype(pts.size()));
        auto flush = [&] {
            const auto b = DrawRun(p, m_canvas, run, area, strip, dense, s->color, w);
            band = {std::min(band.first, b.first), std::max(band.second, b.second)};
            run.clear();
        };
        for (const QPointF& q : pts) {
            if (std::isnan(q.y())) {
                flush();
                continue;
            }
            run << QPointF(area.left() + (q.x() - xr.min) * kx,
                           area.top() + area.height() - (q.y() - yr.min) * ky);
        }
        flush();
    }
    if (band.first <= band.second) {
        const QRect part(strip.first, band.first, strip.last - strip.first + 1, band.second - band.first + 1);
        p->drawImage(area.topLeft() + part.topLeft(), m_canvas, part);
    }
    p->restore();
    m_view->m_lastDrawn = drawn;
    ++m_view->m_paints;
}

TChartView::TChartView(QWidget* parent) : QChartView(new QChart, parent) // the view owns its chart
{
    QChart* chart = this->chart();
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0); // a plain rectangle is cheaper to repaint every second
    chart->setAnimationOptions(QChart::NoAnimation);
    m_bottom = new QCategoryAxis;
    m_bottom->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_left = new QValueAxis;
    m_left->setLabelFormat(QStringLiteral("%.6g"));
    m_right = new QValueAxis;
    m_right->setLabelFormat(QStringLiteral("%.6g"));
    m_right->setVisible(false);
    chart->addAxis(m_bottom, Qt::AlignBottom);
    chart->addAxis(m_left, Qt::AlignLeft);
    chart->addAxis(m_right, Qt::AlignRight);
    m_item = new TSeriesItem(this, chart);
    connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF& r) { m_item->SetRect(r); });
    UpdateAxes();
}

TChartView::~TChartView() = default;

void TChartView::SetTitle(const QString& title)
{
    chart()->setTitle(title);
}

void TChartView::SetLegendVisible(bool on)
{
    chart()->legend()->setVisible(on);
}

QValueAxis* TChartView::ValueAxis(ChartAxis axis) const
{
    return axis == ChartAxis::Right ? m_right : m_left;
}

void TChartView::SetAxisTitle(ChartAxis axis, const QString& title)
{
    if (axis == ChartAxis::Bottom)
        m_bottom->setTitleText(title);
    else
        ValueAxis(axis)->setTitleText(title);
}

QString TChartView::AxisTitle(ChartAxis axis) const
{
    return axis == ChartAxis::Bottom ? m_bottom->titleText() : ValueAxis(axis)->titleText();
}

int TChartView::AddSeries(const QString& name, const QColor& color, int width, ChartAxis axis)
{
    auto s = std::make_unique<Series>();
    s->name = name;
    s->color = color;
    s->width = width;
    s->axis = axis == ChartAxis::Right ? ChartAxis::Right : ChartAxis::Left;
    s->legend = new QLineSeries(this);
    s->legend->setName(name);
    s->legend->setPen(QPen(color, width));
    chart()->addSeries(s->legend);
    s->legend->attachAxis(m_bottom);
    s->legend->attachAxis(ValueAxis(s->axis));
    if (s->axis == ChartAxis::Right) {
        m_right->setVisible(true);
        m_right->setLinePenColor(color);
    } else {
        m_left->setLinePenColor(color);
    }
    ValueAxis(s->axis)->setLabelsColor(color);
    m_series.push_back(std::move(s));
    UpdateAxes();
    return int(m_series.size()) - 1;
}

const TSeriesData& TChartView::Data(int series) const
{
    return m_series[std::size_t(series)]->data;
}

QString TChartView::SeriesName(int series) const
{
    return series >= 0 && series < SeriesCount() ? m_series[std::size_t(series)]->name : QString();
}

int TChartView::AddPoint(int series, float value, const QString& label)
{
    if (series < 0 || series >= SeriesCount()) return -1;
    m_series[std::size_t(series)]->data.Append(value, label);
    if (!m_batch) {
        RepaintNewPoint(*m_series[std::size_t(series)]);
        ScheduleUpdate();
    }
    return std::isfinite(value) ? 0 : -1;
}

void TChartView::ClearSeries()
{
    for (auto& s : m_series)
        s->data.Clear();
    UpdateAxes();
    m_item->update();
}

QRectF TChartView::LastPointRect(int series) const
{
    if (series < 0 || series >= SeriesCount()) return {};
    const Series& s = *m_series[std::size_t(series)];
    const QRectF pa = chart()->plotArea();
    const AxisRange xr = Range(ChartAxis::Bottom);
    if (!s.visible || pa.width() < 1 || !(xr.max > xr.min)) return {};
    std::int64_t first, last;
    const int level = s.data.Level(xr.min, xr.max, pa.toAlignedRect().width(), &first, &last);
    if (level != s.drawnLevel) return pa; // drawn another way from now on: all of it again
    // the new point, the line to it, and the run of the pyramid it joined
    const double kx = pa.width() / (xr.max - xr.min);
    const double i = double(s.data.Count() - 1), run = level > 0 ? double(std::int64_t(1) << level) : 1.0;
    const double left = pa.left() + (i - 2 * run - 1 - xr.min) * kx - s.width - 2;
    const double right = pa.left() + (i + 1 - xr.min) * kx + s.width + 2;
    return QRectF(left, pa.top(), right - left, pa.height()) & pa;
}

void TChartView::RepaintNewPoint(const Series& s)
{
    for (int k = 0; k < SeriesCount(); ++k)
        if (m_series[std::size_t(k)].get() == &s) {
            const QRectF r = LastPointRect(k);
            if (!r.isEmpty()) m_item->update(r);
        }
}

QImage TChartView::PlotImage(const QRectF& exposed, QImage base)
{
    FlushUpdate();
    if (base.isNull()) {
        base = QImage(chart()->size().toSize(), QImage::Format_ARGB32_Premultiplied);
        base.fill(Qt::white);
    }
    QPainter p(&base);
    const QRect part = exposed.toAlignedRect();
    p.setClipRect(part);
    p.fillRect(part, Qt::white); // the chart's background, which the view repaints first
    QStyleOptionGraphicsItem option;
    option.exposedRect = part;
    m_item->paint(&p, &option, nullptr);
    return base;
}

void TChartView::ScheduleUpdate()
{
    if (m_updatePending) return;
    // The axes follow once the current event is handled: the points of one reading refit them once.
    m_updatePending = true;
    QMetaObject::invokeMethod(
        this, [this] { FlushUpdate(); }, Qt::QueuedConnection);
}

void TChartView::FlushUpdate()
{
    if (!m_updatePending) return;
    m_updatePending = false;
    if (UpdateAxes()) m_item->update(); // a range changed: every point moved
}

void TChartView::SetBatch(bool on)
{
    m_batch = on;
    if (on) return;
    UpdateAxes();
    m_item->update();
}

void TChartView::SetSeriesVisible(int series, bool on)
{
    if (series < 0 || series >= SeriesCount()) return;
    m_series[std::size_t(series)]->visible = on;
    m_series[std::size_t(series)]->legend->setVisible(on);
    UpdateAxes();
    m_item->update();
}

bool TChartView::SeriesVisible(int series) const
{
    return series >= 0 && series < SeriesCount() && m_series[std::size_t(series)]->visible;
}

AxisRange TChartView::Fitted(ChartAxis axis) const
{
    // Fitted on round values, so that the axis labels are round and the range changes only now
    // and then as points come in (each change lays the axis out again).
    if (axis == ChartAxis::Bottom) {
        std::int64_t n = 0;
        for (const auto& s : m_series)
            n = std::max(n, s->data.Count());
        // at least 0..10, then up to a quarter ahead of the last point
        const double last = double(std::max<std::int64_t>(n - 1, 1));
        const double step = NiceStep(last / 4);
        return {0, std::max(std::ceil(last / step) * step, 10.0)};
    }
    bool any = false;
    float lo = 0, hi = 0;
    for (const auto& s : m_series) {
        float a, b;
        if (!s->visible || s->axis != axis || !s->data.Bounds(&a, &b)) continue;
        lo = any ? std::min(lo, a) : a;
        hi = any ? std::max(hi, b) : b;
        any = true;
    }
    if (!any) return {0, 1};
    double a = lo, b = hi;
    if (b - a < 1e-9 * std::max(1.0, std::abs(a))) { // one value: a range around it
        const double d = std::max(std::abs(a) * 1e-3, 1e-3);
        a -= d;
        b += d;
    }
    const double step = NiceReal((b - a) / 5);
    return {std::floor(a / step) * step, std::ceil(b / step) * step};
}

AxisRange TChartView::Range(ChartAxis axis) const
{
    const AxisState& a = m_axes[int(axis)];
    return a.automatic ? Fitted(axis) : a.manual;
}

bool TChartView::Automatic(ChartAxis axis) const
{
    return m_axes[int(axis)].automatic;
}

void TChartView::SetRange(ChartAxis axis, AxisRange range)
{
    m_axes[int(axis)] = {false, range};
    UpdateAxes();
    m_item->update();
}

void TChartView::Step(ChartAxis axis, AxisStep step)
{
    SetRange(axis, StepAxis(Range(axis), step));
}

void TChartView::DefaultScale()
{
    for (AxisState& a : m_axes)
        a.automatic = true;
    UpdateAxes();
    m_item->update();
}

bool TChartView::UpdateAxes()
{
    m_updatePending = false;
    bool changed = false;
    const AxisRange l = Range(ChartAxis::Left), r = Range(ChartAxis::Right), b = Range(ChartAxis::Bottom);
    auto apply = [this, &changed](QValueAxis* a, ChartAxis which, AxisRange range) {
        if (a->min() == range.min && a->max() == range.max) return;
        changed = true;
        // a fitted range ends on round values: one tick per round step
        int ticks = 5;
        const double length = range.max - range.min;
        if (Automatic(which) && length > 0)
            for (double step = NiceReal(length / 12); step <= length; step = NiceReal(step * 1.5)) {
                const double intervals = length / step;
                if (intervals <= 10.000001 && std::abs(intervals - std::round(intervals)) < 1e-6) {
                    ticks = int(std::lround(intervals)) + 1;
                    break;
                }
            }
        a->setRange(range.min, range.max);
        if (a->tickCount() != ticks) a->setTickCount(ticks);
    };
    apply(m_left, ChartAxis::Left, l);
    apply(m_right, ChartAxis::Right, r);
    return UpdateBottomLabels(b) || changed;
}

bool TChartView::UpdateBottomLabels(AxisRange r)
{
    std::int64_t count = 0;
    for (const auto& s : m_series)
        count = std::max(count, s->data.Count());
    if (r == m_labelRange && count == m_labelCount) return false;
    const bool moved = !(r == m_labelRange);
    m_labelRange = r;
    m_labelCount = count;
    // the labels of the points at round X steps, each once (the axis takes each label once)
    const double step = NiceStep((r.max - r.min) / 8);
    QStringList labels;
    std::vector<double> at;
    for (double x = std::ceil(r.min / step) * step; x <= r.max + 1e-9; x += step) {
        const std::int64_t i = std::llround(x);
        QString label;
        for (const auto& s : m_series)
            if (i >= 0 && i < s->data.Count() && (label = s->data.Label(i)).size() > 0) break;
        if (label.isEmpty() || labels.contains(label)) continue;
        labels << label;
        at.push_back(x);
    }
    bool same = labels == m_bottom->categoriesLabels();
    for (qsizetype k = 0; same && k < labels.size(); ++k)
        same = m_bottom->endValue(labels[k]) == at[std::size_t(k)];
    if (!same) {
        for (const QString& l : m_bottom->categoriesLabels())
            m_bottom->remove(l);
        for (qsizetype k = 0; k < labels.size(); ++k)
            m_bottom->append(labels[k], at[std::size_t(k)]);
    }
    if (m_bottom->min() != r.min || m_bottom->max() != r.max) m_bottom->setRange(r.min, r.max);
    if (m_bottom->startValue() != r.min) m_bottom->setStartValue(r.min);
    return moved;
}

QImage TChartView::Picture()
{
    FlushUpdate();
    QImage img(size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    render(&p);
    p.end();
    return img;
}

void TChartView::RenderTo(QPainter* painter, const QRectF& target)
{
    FlushUpdate();
    render(painter, target, viewport()->rect(), Qt::KeepAspectRatio);
}

QByteArray TChartView::Table() const
{
    std::vector<const TSeriesData*> series;
    for (const auto& s : m_series)
        series.push_back(&s->data);
    return TableText(series, [](double v) { return sensors::CompactText(v); });
}

QString TChartView::CursorText(const QPointF& viewPos) const
{
    const QPointF cp = chart()->mapFromScene(mapToScene(viewPos.toPoint()));
    const QRectF pa = chart()->plotArea();
    if (pa.height() <= 0) return {};
    auto valueAt = [&](int series) {
        const AxisRange r = Range(m_series[std::size_t(series)]->axis);
        return r.min + (pa.bottom() - cp.y()) / pa.height() * (r.max - r.min);
    };
    QString text;
    if (SeriesCount() > 0 && Data(0).Count() > 0) text = sensors::CompactText(valueAt(0));
    if (SeriesCount() > 1 && Data(1).Count() > 0)
        text += QLatin1Char('\n') + sensors::CompactText(valueAt(1));
    return text;
}

void TChartView::SetCursorReadout(bool on)
{
    m_readout = on;
    setMouseTracking(on);
    viewport()->setMouseTracking(on);
}

void TChartView::mouseMoveEvent(QMouseEvent* e)
{
    QChartView::mouseMoveEvent(e);
    if (m_readout) QToolTip::showText(e->globalPosition().toPoint(), CursorText(e->position()), this);
}

TChartToolBar::TChartToolBar(TChartView* chart, const QString& fileStem, const QString& saveHint,
                             QWidget* parent)
    : QFrame(parent), m_chart(chart), m_stem(fileStem)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    struct B {
        const char* name;
        const char* hint;
        QStyle::StandardPixmap icon; // SP_CustomBase: the text instead
        const char* text;
    };
    const B buttons[] = {
        {"MGLeft", "Сдвиг влево", QStyle::SP_ArrowLeft, ""},
        {"MGRight", "Сдвиг вправо", QStyle::SP_ArrowRight, ""},
        {"MGUp", "Сдвиг вверх", QStyle::SP_ArrowUp, ""},
        {"MGDown", "Сдвиг вниз", QStyle::SP_ArrowDown, ""},
        {"MGZoomXIn", "Увеличить масштаб горизонтальной оси", QStyle::SP_CustomBase, "X+"},
        {"MGZoomXOut", "Уменьшить масштаб горизонтальной оси", QStyle::SP_CustomBase, "X−"},
        {"MGZoomYIn", "Увеличить масштаб вертикальной оси", QStyle::SP_CustomBase, "Y+"},
        {"MGZoomYOut", "Уменьшить масштаб вертикальной оси", QStyle::SP_CustomBase, "Y−"},
        {"MGNoZoom", "Масштаб по умолчанию (100%)", QStyle::SP_CustomBase, "100%"},
        {"MGSave", nullptr, QStyle::SP_DialogSaveButton, ""},
        {"MGPrint", "Распечатать график", QStyle::SP_CustomBase, "Печать"},
        {"MGClear", "Очистить график", QStyle::SP_TrashIcon, ""},
    };
    for (const B& b : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setToolTip(b.hint ? QString::fromUtf8(b.hint) : saveHint);
        if (b.icon == QStyle::SP_CustomBase)
            button->setText(QString::fromUtf8(b.text));
        else
            button->setIcon(style()->standardIcon(b.icon));
        button->setAutoRaise(true);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, button] { Press(button->objectName()); });
    }
    layout->addStretch(1);
    chooseSaveFile = [this](const SaveRequest& r) { return ChooseWithDialog(this, r); };
}

TChartToolBar::~TChartToolBar() = default;

QToolButton* TChartToolBar::Button(const QString& name) const
{
    return findChild<QToolButton*>(name, Qt::FindDirectChildrenOnly);
}

void TChartToolBar::Press(const QString& name)
{
    for (ToolAction a : ToolActions(name)) {
        switch (a) {
        case ToolAction::Clear:
            m_chart->ClearSeries();
            break;
        case ToolAction::Left:
            m_chart->Step(ChartAxis::Bottom, AxisStep::ShiftDown);
            break;
        case ToolAction::Right:
            m_chart->Step(ChartAxis::Bottom, AxisStep::ShiftUp);
            break;
        case ToolAction::Up:
            m_chart->Step(ChartAxis::Left, AxisStep::ShiftUp);
            m_chart->Step(ChartAxis::Right, AxisStep::ShiftUp);
            break;
        case ToolAction::Down:
            m_chart->Step(ChartAxis::Left, AxisStep::ShiftDown);
            m_chart->Step(ChartAxis::Right, AxisStep::ShiftDown);
            break;
        case ToolAction::ZoomXIn:
            m_chart->Step(ChartAxis::Bottom, AxisStep::ZoomIn);
            break;
        case ToolAction::ZoomXOut:
            m_chart->Step(ChartAxis::Bottom, AxisStep::ZoomOut);
            break;
        case ToolAction::ZoomYIn:
            m_chart->Step(ChartAxis::Left, AxisStep::ZoomIn);
            m_chart->Step(ChartAxis::Right, AxisStep::ZoomIn);
            break;
        case ToolAction::ZoomYOut:
            m_chart->Step(ChartAxis::Left, AxisStep::ZoomOut);
            m_chart->Step(ChartAxis::Right, AxisStep::ZoomOut);
            break;
        case ToolAction::NoZoom:
            m_chart->DefaultScale();
            break;
        case ToolAction::Print:
            Print();
            break;
        case ToolAction::Save:
            Save();
            break;
        }
    }
}

void TChartToolBar::Save()
{
    const QString picture = chooseSaveFile(
        {QStringLiteral("Сохранение графика"),
         {QStringLiteral("График измерения (*.bmp)"), QStringLiteral("График измерения (*.png)")},
         DefaultFileName(m_stem, QStringLiteral("bmp")),
         QStringLiteral("bmp")});
    if (!picture.isEmpty()) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        const char* format = picture.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) ? "PNG" : "BMP";
        if (!m_chart->Picture().save(&buffer, format) || !platform::WriteFileAtomically(picture, bytes)) {
            platform::ErrorMessageFmt(1, picture);
            return; // no table after a picture that was not written
        }
    }
    const QString table = chooseSaveFile({QStringLiteral("Сохранение результатов"),
                                          {QStringLiteral("Результаты измерения (*.txt)")},
                                          DefaultFileName(m_stem, QStringLiteral("txt")),
                                          QStringLiteral("txt")});
    if (table.isEmpty()) return;
    if (!platform::WriteFileAtomically(table, m_chart->Table())) platform::ErrorMessageFmt(1, table);
}

void TChartToolBar::Print()
{
    if (QPrinterInfo::defaultPrinter().isNull()) {
        if (!platform::Messages().Ask(QString(),
                                      QStringLiteral("Принтер не найден.\nСохранить график в файл PDF?")))
            return;
        const QString pdf = chooseSaveFile({QStringLiteral("Печать в файл PDF"),
                                            {QStringLiteral("Документ PDF (*.pdf)")},
                                            DefaultFileName(m_stem, QStringLiteral("pdf")),
                                            QStringLiteral("pdf")});
        if (pdf.isEmpty()) return;
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setPageOrientation(QPageLayout::Landscape);
            writer.setTitle(m_chart->chart()->title());
            QPainter painter(&writer);
            m_chart->RenderTo(&painter, painter.viewport());
        }
        if (!platform::WriteFileAtomically(pdf, bytes)) platform::ErrorMessageFmt(1, pdf);
        return;
    }
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    const QPageLayout::Orientation old = m_printer->pageLayout().orientation();
    m_printer->setPageOrientation(QPageLayout::Landscape);
    bool ok;
    {
        QPainter painter;
        ok = painter.begin(m_printer.get());
        if (ok) {
            m_chart->RenderTo(&painter, painter.viewport());
            ok = painter.end() && m_printer->printerState() != QPrinter::Error;
        }
    }
    m_printer->setPageOrientation(old); // also when printing failed
    if (!ok)
        platform::Messages().Show(platform::MessageService::Kind::Error, QString(),
                                  QStringLiteral("Не удалось напечатать график на принтере ") +
                                      m_printer->printerName());
}

} // namespace measure
