#include "platform/cp1251.h"

#include "platform/cp1251_table.h"

namespace platform {
namespace {
using cp1251::Decode;
char Encode(char16_t c) { return cp1251::Encode(c); }
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

void CopyBounded(char* dest, int size, const char* src)
{
    if (!dest || size <= 0) return;
    std::size_t n = 0;
    if (src)
        while (n < std::size_t(size - 1) && src[n]) ++n;
    for (std::size_t i = 0; i < n; ++i) dest[i] = src[i];
    dest[n] = '\0';
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
