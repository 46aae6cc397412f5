// Missing values and number texts, independent of the user's locale ('.' always).
//
// Values crossing the program are 32-bit floats; a missing value is NaN and shows as "<<<.<<<".
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

namespace sensors {

/// The text that stands for a value that is not finite.
inline constexpr char16_t kMissingText[] = u"<<<.<<<";

/// The program's missing value: a negative quiet NaN.
float MissingValue();

/// The exponent bits are not all ones.
bool IsFinite(float x);
/// Exponent all ones and fraction zero.
bool IsInfinite(float x);
/// Exponent all ones and fraction non-zero (NaN).
bool IsMissing(float x);

/// "%6.<n>f" for n 0..6 ("%f" otherwise), blanks trimmed; "<<<.<<<" when not finite. Takes a double,
/// as the C format does: a float argument is widened exactly.
QString FixedText(double x, int decimals);
/// "%4.5f" cut to 9 characters; trailing zeros (then a trailing '.') removed when there is a '.';
/// "-0" becomes "0"; "<<<.<<<" when not finite. 1234.56789 → "1234.5678".
QString CompactText(double x);
/// Every '.' replaced by ',' (values in lists that go to spreadsheets).
QString CommaText(QStringView text);

/// The "%f" scan: skips leading white space and reads the longest number at the start of the
/// text ('.' as the decimal separator). Returns the number of characters consumed (0 when none).
int ScanFloat(QStringView text, double* value);

/// -1 for an empty text, "<<<.<<<" or no number at the start; else 0 with the value.
int ReadNumber(QStringView text, float* value);
/// ReadNumber's value, or 0 when it gives -1.
float ReadNumberOr0(QStringView text);
/// The trimmed text; empty gives 0; else the number "%f" reads at its start, 0 when none.
float TextValue(QStringView text);
/// Not empty, not "<<<.<<<", and a number reads from it.
bool TextHasNumber(QStringView text);
/// -1 no number, -2 below min, -3 above max, else 0 (the bounds are inside).
int CheckRangeText(QStringView text, float max, float min);

} // namespace sensors
