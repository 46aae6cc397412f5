#include "sensors/numbers.h"

#include "platform/cnumber.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace sensors {
namespace {

constexpr std::uint32_t kExpMask = 0x7F800000u;
constexpr std::uint32_t kFracMask = 0x007FFFFFu;

std::uint32_t Bits(float x) { return std::bit_cast<std::uint32_t>(x); }

std::string Fixed(double x, int decimals) { return platform::FormatFixed(x, decimals); }

} // namespace

float MissingValue() { return -std::numeric_limits<float>::quiet_NaN(); }

bool IsFinite(float x) { return (Bits(x) & kExpMask) != kExpMask; }
bool IsInfinite(float x) { return (Bits(x) & kExpMask) == kExpMask && (Bits(x) & kFracMask) == 0; }
bool IsMissing(float x) { return (Bits(x) & kExpMask) == kExpMask && (Bits(x) & kFracMask) != 0; }

QString FixedText(double x, int decimals)
{
    if (!std::isfinite(x)) return QString::fromUtf16(kMissingText);
    const int n = decimals >= 0 && decimals <= 6 ? decimals : 6; // "%f" prints six decimals
    return QString::fromStdString(Fixed(x, n));
}

QString CompactText(double x)
{
    if (!std::isfinite(x)) return QString::fromUtf16(kMissingText);
    std::string s = Fixed(x, 5).substr(0, 9);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0") s.assign(1, '0'); // not `= "0"`: GCC 12 reports a false overlap there under ASan
    return QString::fromStdString(s);
}

QString CommaText(QStringView text)
{
    QString out = text.toString();
    out.replace(u'.', u',');
    return out;
}

int ScanFloat(QStringView text, double* value)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' ||
                               text[i] == u'\v' || text[i] == u'\f'))
        ++i;
    // Only ASCII can form a number: take the run of plausible characters as Latin-1.
    std::string chunk;
    for (qsizetype j = i; j < text.size() && j - i < 350; ++j) {
        const char16_t c = text[j].unicode();
        if (c >= 0x80) break;
        chunk.push_back(char(c));
    }
    double v = 0;
    const int used = platform::ScanDouble(chunk.c_str(), &v);
    if (used == 0) return 0;
    if (value) *value = v;
    return int(i + used);
}

int ReadNumber(QStringView text, float* value)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t == QStringView(kMissingText)) return -1;
    double v = 0;
    if (ScanFloat(t, &v) == 0) return -1;
    if (value) *value = float(v);
    return 0;
}

float ReadNumberOr0(QStringView text)
{
    float v = 0;
    return ReadNumber(text, &v) == 0 ? v : 0.0f;
}

float TextValue(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty()) return 0;
    double v = 0;
    return ScanFloat(t, &v) > 0 ? float(v) : 0.0f;
}

bool TextHasNumber(QStringView text)
{
    float v;
    return ReadNumber(text, &v) == 0;
}

int CheckRangeText(QStringView text, float max, float min)
{
    float v = 0;
    if (ReadNumber(text, &v) != 0) return -1;
    if (v < min) return -2;
    if (v > max) return -3;
    return 0;
}

} // namespace sensors
