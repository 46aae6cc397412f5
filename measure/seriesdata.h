// The points of one chart series: every point is kept (for the text table and the labels), and a
// min/max pyramid over them lets a chart draw any range of a day-long series with a bounded number
// of points.
//
// Point i has X = i (its running index), a 32-bit Y (NaN for a gap point, which is not drawn) and a
// text label. Level k of the pyramid holds, for each run of 2^k points, the least and the greatest
// finite Y; appending a point updates one entry per level, so adding stays O(log n) and drawing a
// range of any length over w pixel columns reads O(w) entries.
#pragma once

#include <QPointF>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace measure {

class TSeriesData {
public:
    /// Appends a point with the next X; a non-finite `y` becomes a gap point.
    void Append(float y, QStringView label);
    /// Removes every point.
    void Clear();

    std::int64_t Count() const { return std::int64_t(m_y.size()); }
    double X(std::int64_t i) const { return double(i); }
    float Y(std::int64_t i) const { return m_y[std::size_t(i)]; }
    QString Label(std::int64_t i) const;
    /// Number of finite points.
    std::int64_t FiniteCount() const { return m_finite; }
    /// The least and greatest finite Y; false when there is none.
    bool Bounds(float* min, float* max) const;

    /// The polyline to draw for X in [x0, x1] on `columns` pixel columns: at most about 2·columns+4
    /// points, in order of X; a point with NaN Y separates runs (a gap). While the range holds
    /// fewer than 2·columns points they are the points themselves (plus one beyond each end, so the
    /// line runs to the border); otherwise each entry of the pyramid level that fits gives its least
    /// and its greatest Y at the middle of its run.
    std::vector<QPointF> Decimate(double x0, double x1, int columns) const;
    /// The same drawing, only the part of it for X in [from, to] (a strip to repaint).
    std::vector<QPointF> Decimate(double x0, double x1, int columns, double from, double to) const;
    /// The pyramid level Decimate draws from for that range (0: the points themselves; -1: none),
    /// and the first and last point it takes.
    int Level(double x0, double x1, int columns, std::int64_t* first, std::int64_t* last) const;

    /// Bytes held (for the memory figures).
    std::size_t MemoryBytes() const;

private:
    struct Span {
        float lo, hi; // lo > hi: no finite point in the run
    };
    std::vector<float> m_y;
    std::vector<char16_t> m_labelText;
    std::vector<std::uint32_t> m_labelStart; // m_labelStart[i]..m_labelStart[i+1] is label i
    std::vector<std::vector<Span>> m_levels; // m_levels[k-1]: runs of 2^k points
    std::int64_t m_finite = 0;
    float m_min = 0, m_max = 0;
};

} // namespace measure
