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
#include <QToolButton>
#include <QToolTip>
#include <QValueAxis>

#include <cmath>

namespace measure {

// Draws every visible series of a chart over its plot area from the series' pyramids.
class TSeriesItem : public QGraphicsItem {
public:
    TSeriesItem(TChartView* view, QGraphicsItem* parent) : QGraphicsItem(parent), m_view(view)
    {
        setZValue(10);
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

void TSeriesItem::paint(QPainter* p, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QRectF pa = m_rect;
    int drawn = 0;
    if (pa.width() < 1 || pa.height() < 1) return;
    const AxisRange xr = m_view->Range(ChartAxis::Bottom);
    if (!(xr.max > xr.min)) return;
    p->save();
    p->setClipRect(pa);
    p->setRenderHint(QPainter::Antialiasing, false);
    const double kx = pa.width() / (xr.max - xr.min);
    for (const auto& s : m_view->m_series) {
        if (!s->visible || s->data.Count() == 0) continue;
        const AxisRange yr = m_view->Range(s->axis);
        if (!(yr.max > yr.min)) continue;
        const double ky = pa.height() / (yr.max - yr.min);
        QPen pen(s->color, s->width);
        p->setPen(pen);
        const std::vector<QPointF> pts = s->data.Decimate(xr.min, xr.max, int(pa.width()));
        drawn += int(pts.size());
        QPolygonF run;
        run.reserve(qsizetype(pts.size()));
        auto flush = [&] {
            if (run.size() == 1)
                p->drawPoint(run[0]);
            else if (run.size() > 1)
                p->drawPolyline(run);
            run.clear();
        };
        for (const QPointF& q : pts) {
            if (std::isnan(q.y())) {
                flush();
                continue;
            }
            run << QPointF(pa.left() + (q.x() - xr.min) * kx, pa.bottom() - (q.y() - yr.min) * ky);
        }
        flush();
    }
    p->restore();
    m_view->m_lastDrawn = drawn;
}

TChartView::TChartView(QWidget* parent) : QChartView(parent)
{
    auto* chart = new QChart;
    setChart(chart);
    chart->setBackgroundBrush(Qt::white);
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
        UpdateAxes();
        m_item->update();
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
    if (axis == ChartAxis::Bottom) {
        std::int64_t n = 0;
        for (const auto& s : m_series)
            n = std::max(n, s->data.Count());
        return {0, double(std::max<std::int64_t>(n - 1, 1))};
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
    if (hi == lo) return {double(lo) - 1, double(hi) + 1};
    const double pad = 0.05 * (double(hi) - double(lo));
    return {double(lo) - pad, double(hi) + pad};
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

void TChartView::UpdateAxes()
{
    const AxisRange l = Range(ChartAxis::Left), r = Range(ChartAxis::Right), b = Range(ChartAxis::Bottom);
    if (m_left->min() != l.min || m_left->max() != l.max) m_left->setRange(l.min, l.max);
    if (m_right->min() != r.min || m_right->max() != r.max) m_right->setRange(r.min, r.max);
    UpdateBottomLabels(b);
}

void TChartView::UpdateBottomLabels(AxisRange r)
{
    std::int64_t count = 0;
    for (const auto& s : m_series)
        count = std::max(count, s->data.Count());
    if (r == m_labelRange && count == m_labelCount) return;
    m_labelRange = r;
    m_labelCount = count;
    for (const QString& l : m_bottom->categoriesLabels())
        m_bottom->remove(l);
    m_bottom->setRange(r.min, r.max);
    m_bottom->setStartValue(r.min);
    const double step = NiceStep((r.max - r.min) / 8);
    QStringList used;
    for (double x = std::ceil(r.min / step) * step; x <= r.max + 1e-9; x += step) {
        const std::int64_t i = std::llround(x);
        QString label;
        for (const auto& s : m_series)
            if (i >= 0 && i < s->data.Count() && (label = s->data.Label(i)).size() > 0) break;
        if (label.isEmpty() || used.contains(label)) continue; // the axis takes each label once
        used << label;
        m_bottom->append(label, x);
    }
}

QImage TChartView::Picture()
{
    QImage img(size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    render(&p);
    p.end();
    return img;
}

void TChartView::RenderTo(QPainter* painter, const QRectF& target)
{
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
