#include "platform/cnumber.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace platform {

bool ScanInt(const char* text, int* value)
{
    if (!text) return false;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (v <= 0x80000000LL) v = v * 10 + (*p - '0');
    if (negative) v = -v;
    if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
    if (v < -0x80000000LL) v = -0x80000000LL;
    if (value) *value = int(v);
    return true;
}

int ScanDouble(const char* text, double* value)
{
    if (!text) return 0;
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    char* end = nullptr;
    const double v = strtod_l(text, &end, cLocale);
    if (end == text) return 0;
    if (value) *value = v;
    return int(end - text);
}

std::string FormatFixed(double value, int decimals)
{
    // The longest text: a sign, 309 digits of DBL_MAX, the point and kMaxFixedDecimals decimals.
    char buf[320 + kMaxFixedDecimals];
    decimals = std::clamp(decimals, 0, kMaxFixedDecimals);
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return {};
    return std::string(buf, r.ptr);
}

} // namespace platform
