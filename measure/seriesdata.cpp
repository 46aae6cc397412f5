#include "measure/seriesdata.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace measure {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

void TSeriesData::Append(float y, QStringView label)
{
    const bool finite = std::isfinite(y);
    if (!finite) y = std::numeric_limits<float>::quiet_NaN();
    const std::size_t i = m_y.size();
    m_y.push_back(y);
    if (m_labelStart.empty()) m_labelStart.push_back(0);
    m_labelText.insert(m_labelText.end(), label.utf16(), label.utf16() + label.size());
    m_labelStart.push_back(std::uint32_t(m_labelText.size()));
    if (finite) {
        if (m_finite == 0) m_min = m_max = y;
        m_min = std::min(m_min, y);
        m_max = std::max(m_max, y);
        ++m_finite;
    }
    // one entry per level: run i >> k of level k. A level starts once the series is as long as
    // one of its runs, from the two runs of the level below (which already hold this point).
    for (std::size_t k = 1; k == 1 || (std::size_t(1) << k) <= i + 1; ++k) {
        if (m_levels.size() < k) {
            if (k == 1) {
                m_levels.emplace_back();
            } else {
                const std::vector<Span>& below = m_levels[k - 2];
                Span s{kInf, -kInf};
                for (std::size_t r = 0; r < 2 && r < below.size(); ++r) {
                    s.lo = std::min(s.lo, below[r].lo);
                    s.hi = std::max(s.hi, below[r].hi);
                }
                m_levels.push_back({s});
                continue;
            }
        }
        std::vector<Span>& level = m_levels[k - 1];
        const std::size_t run = i >> k;
        if (level.size() <= run) level.push_back({kInf, -kInf});
        if (finite) {
            Span& s = level[run];
            s.lo = std::min(s.lo, y);
            s.hi = std::max(s.hi, y);
        }
    }
}

void TSeriesData::Clear()
{
    m_y.clear();
    m_labelText.clear();
    m_labelStart.clear();
    m_levels.clear();
    m_finite = 0;
    m_min = m_max = 0;
}

QString TSeriesData::Label(std::int64_t i) const
{
    if (i < 0 || i >= Count()) return {};
    const std::uint32_t a = m_labelStart[std::size_t(i)], b = m_labelStart[std::size_t(i) + 1];
    return QString(reinterpret_cast<const QChar*>(m_labelText.data() + a), qsizetype(b - a));
}

bool TSeriesData::Bounds(float* min, float* max) const
{
    if (m_finite == 0) return false;
    *min = m_min;
    *max = m_max;
    return true;
}

int TSeriesData::Level(double x0, double x1, int columns, std::int64_t* first, std::int64_t* last) const
{
    const std::int64_t n = Count();
    *first = 0;
    *last = -1;
    if (n == 0 || !(x1 >= x0)) return -1;
    columns = std::max(columns, 1);
    // the points inside the range, and one beyond each end
    const std::int64_t i0 = std::clamp<std::int64_t>(std::int64_t(std::floor(x0)) - 1, 0, n - 1);
    const std::int64_t i1 = std::clamp<std::int64_t>(std::int64_t(std::ceil(x1)) + 1, 0, n - 1);
    if (i0 > i1) return -1;
    *first = i0;
    *last = i1;
    const std::int64_t span = i1 - i0 + 1;
    if (span <= 2 * std::int64_t(columns) || m_levels.empty()) return 0;
    // the lowest level whose runs over the range number no more than `columns`
    std::size_t k = 1;
    while (k < m_levels.size() && (span >> k) > columns)
        ++k;
    return int(k);
}

std::vector<QPointF> TSeriesData::Decimate(double x0, double x1, int columns) const
{
    return Decimate(x0, x1, columns, x0, x1);
}

std::vector<QPointF> TSeriesData::Decimate(double x0, double x1, int columns, double from, double to) const
{
    std::vector<QPointF> out;
    std::int64_t i0, i1;
    const int k = Level(x0, x1, columns, &i0, &i1);
    if (k < 0) return out;
    // the part asked for, and one point beyond each end
    i0 = std::max(i0, std::int64_t(std::floor(from)) - 1);
    i1 = std::min(i1, std::int64_t(std::ceil(to)) + 1);
    if (i0 > i1) return out;
    if (k == 0) {
        out.reserve(std::size_t(i1 - i0 + 1));
        for (std::int64_t i = i0; i <= i1; ++i)
            out.emplace_back(double(i), double(m_y[std::size_t(i)]));
        return out;
    }
    const std::int64_t n = Count();
    const std::vector<Span>& level = m_levels[std::size_t(k) - 1];
    const std::int64_t width = std::int64_t(1) << k;
    const std::int64_t r0 = std::max<std::int64_t>((i0 >> k) - 1, 0),
                       r1 = std::min<std::int64_t>((i1 >> k) + 1, std::int64_t(level.size()) - 1);
    out.reserve(std::size_t(2 * (r1 - r0 + 1)));
    for (std::int64_t r = r0; r <= r1; ++r) {
        const Span& s = level[std::size_t(r)];
        // the middle of the run (the last run may be shorter)
        const std::int64_t first = r * width, last = std::min(first + width - 1, n - 1);
        const double x = 0.5 * double(first + last);
        if (s.lo > s.hi) {
            out.emplace_back(x, kNaN);
            continue;
        }
        out.emplace_back(x, double(s.lo));
        if (s.hi != s.lo) out.emplace_back(x, double(s.hi));
    }
    return out;
}

std::size_t TSeriesData::MemoryBytes() const
{
    std::size_t bytes = m_y.capacity() * sizeof(float) + m_labelText.capacity() * sizeof(char16_t) +
                        m_labelStart.capacity() * sizeof(std::uint32_t);
    for (const auto& l : m_levels)
        bytes += l.capacity() * sizeof(Span);
    return bytes;
}

} // namespace measure
