#include "measure/chartmath.h"

#include "measure/seriesdata.h"

#include <QDateTime>

#include <atomic>

namespace measure {
namespace {

std::atomic<std::int64_t> g_origin{0};

} // namespace

void SetTimeOrigin()
{
    g_origin = NowSeconds();
}
void SetTimeOrigin(std::int64_t seconds)
{
    g_origin = seconds;
}
std::int64_t TimeOrigin()
{
    return g_origin;
}
std::int64_t NowSeconds()
{
    return QDateTime::currentSecsSinceEpoch();
}

QString ElapsedLabel(std::int64_t s)
{
    if (s < 0) return QStringLiteral("-1");
    if (s < 3600) return QString::asprintf("%d:%02d", int(s / 60), int(s % 60));
    return QString::asprintf("%lld:%02d:%02d", static_cast<long long>(s / 3600), int((s / 60) % 60),
                             int(s % 60));
}

QString ElapsedLabel()
{
    return ElapsedLabel(NowSeconds() - TimeOrigin());
}

AxisRange StepAxis(AxisRange r, AxisStep step)
{
    const double a = r.min, b = r.max;
    AxisRange out;
    switch (step) {
    case AxisStep::ShiftDown:
        out.min = a - 0.1 * (b - a);
        out.max = b - 0.1 * (b - out.min);
        break;
    case AxisStep::ShiftUp:
        out.min = a + 0.1 * (b - a);
        out.max = b + 0.1 * (b - out.min);
        break;
    case AxisStep::ZoomIn:
        out.min = a + 0.1 * (b - a);
        out.max = b - 0.1 * (b - out.min);
        break;
    case AxisStep::ZoomOut:
        out.min = a - 0.1 * (b - a);
        out.max = b + 0.1 * (b - out.min);
        break;
    }
    return out;
}

std::vector<ToolAction> ToolActions(QStringView name)
{
    static const struct {
        const char* part;
        ToolAction action;
    } kParts[] = {{"MGClear", ToolAction::Clear},     {"Left", ToolAction::Left},
                  {"Right", ToolAction::Right},       {"Up", ToolAction::Up},
                  {"Down", ToolAction::Down},         {"ZoomXIn", ToolAction::ZoomXIn},
                  {"ZoomXOut", ToolAction::ZoomXOut}, {"ZoomYIn", ToolAction::ZoomYIn},
                  {"ZoomYOut", ToolAction::ZoomYOut}, {"NoZoom", ToolAction::NoZoom},
                  {"Print", ToolAction::Print},       {"Save", ToolAction::Save}};
    std::vector<ToolAction> out;
    for (const auto& p : kParts)
        if (name.contains(QLatin1String(p.part))) out.push_back(p.action);
    return out;
}

QByteArray TableText(const std::vector<const TSeriesData*>& series,
                     const std::function<QString(double)>& format)
{
    QByteArray out;
    const std::size_t n = series.size();
    if (n < 1 || n > 3 || !series[0]) return out;
    const TSeriesData& first = *series[0];
    for (std::int64_t i = 0; i < first.Count(); ++i) {
        out += QByteArray::number(static_cast<qlonglong>(first.X(i)));
        out += '=';
        for (std::size_t k = 0; k < n; ++k) {
            if (k > 0) out += '\t';
            const TSeriesData* s = series[k];
            if (s && i < s->Count()) out += format(double(s->Y(i))).toLatin1();
        }
        out += "\r\n";
    }
    return out;
}

QString DefaultFileName(const QString& stem, const QString& extension)
{
    return stem + QLatin1Char('-') +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('.') +
           extension;
}

} // namespace measure
