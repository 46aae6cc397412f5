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

/// printf("%.<decimals>f") in the C locale (exact, correctly rounded).
std::string FormatFixed(double value, int decimals);

} // namespace platform
