// Numbers as the C library reads and prints them in the "C" locale: '.' is the decimal separator
// whatever the user's locale says. Every number the program parses or prints goes through here.
#pragma once

#include <string>

namespace platform {

/// The "%d" scan: leading white space, an optional sign, digits (saturating at the int range).
/// False when no integer starts the text.
bool ScanInt(const char* text, int* value);

/// The "%f"/strtod scan in the C locale. Returns the number of characters consumed (0 when no
/// number starts the text, leading white space included in the count otherwise).
int ScanDouble(const char* text, double* value);

/// Decimals FormatFixed writes at most.
inline constexpr int kMaxFixedDecimals = 100;
/// printf("%.<decimals>f") in the C locale (exact, correctly rounded); `decimals` is clamped to
/// 0..kMaxFixedDecimals. "nan", "inf" and "-inf" for values that are not finite.
std::string FormatFixed(double value, int decimals);

} // namespace platform
