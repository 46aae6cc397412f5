// Windows-1251 <-> Unicode.
//
// Every text the system keeps in Windows-1251 (the calibrator's protocol texts, INI, project,
// language and list files, the companion libraries' texts) crosses into the program through
// these two functions, byte for byte; inside the program all text is QString (UTF-16/UTF-8).
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace platform {

/// Decodes Windows-1251 bytes. The one unassigned byte (0x98) becomes U+0098, so every byte
/// string round-trips.
QString FromCp1251(std::string_view bytes);
inline QString FromCp1251(const QByteArray& bytes) { return FromCp1251(std::string_view(bytes.constData(), size_t(bytes.size()))); }

/// Encodes text as Windows-1251. Characters the code page lacks become '?'.
QByteArray ToCp1251(QStringView text);

/// The same as ToCp1251, as a std::string (for C interfaces and fixed buffers).
std::string ToCp1251String(QStringView text);

/// UTF-8 text to Windows-1251 bytes and back, for code that holds text in std::string.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view cp1251);

/// Copies at most size - 1 bytes of `src` into `dest` and terminates it; never writes past `size`.
void CopyBounded(char* dest, int size, const char* src);

/// A fixed-size Windows-1251 text field := `text` (cut to fit, always terminated).
template <std::size_t N>
void SetText(char (&field)[N], QStringView text)
{
    CopyBounded(field, int(N), ToCp1251String(text).c_str());
}

/// The text of a fixed-size Windows-1251 field (up to its NUL or its end).
template <std::size_t N>
QString GetText(const char (&field)[N])
{
    std::size_t n = 0;
    while (n < N && field[n]) ++n;
    return FromCp1251(std::string_view(field, n));
}

} // namespace platform
