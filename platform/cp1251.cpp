#include "platform/cp1251.h"

#include <array>

namespace platform {
namespace {

// Unicode code points of bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

char16_t Decode(unsigned char b)
{
    if (b < 0x80) return b;
    if (b >= 0xC0) return char16_t(0x0410 + (b - 0xC0));
    return kHigh[b - 0x80];
}

char Encode(char16_t c)
{
    if (c < 0x80) return char(c);
    if (c >= 0x0410 && c <= 0x044F) return char(0xC0 + (c - 0x0410));
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c && c != 0xFFFD) return char(0x80 + i);
    return '?';
}

} // namespace

QString FromCp1251(std::string_view bytes)
{
    QString out;
    out.resize(qsizetype(bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i)
        out[qsizetype(i)] = QChar(Decode(static_cast<unsigned char>(bytes[i])));
    return out;
}

QByteArray ToCp1251(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i; // a character outside the BMP has no Windows-1251 byte
            out.append('?');
            continue;
        }
        out.append(Encode(c.unicode()));
    }
    return out;
}

std::string ToCp1251String(QStringView text)
{
    const QByteArray b = ToCp1251(text);
    return std::string(b.constData(), size_t(b.size()));
}

std::string Utf8ToCp1251(std::string_view utf8)
{
    return ToCp1251String(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

std::string Cp1251ToUtf8(std::string_view cp1251)
{
    const QByteArray b = FromCp1251(cp1251).toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

} // namespace platform
