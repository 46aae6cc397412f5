#include "simulator/archive.h"

#include "platform/cnumber.h"
#include "platform/cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

QString Escaped(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    out.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    out.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    return out;
}

void Point(QString& xml, const char* name, const QString& value, const char* unit)
{
    xml += QStringLiteral("        <Point><Name>") + Escaped(QString::fromUtf8(name)) +
           QStringLiteral("</Name><Value>") + Escaped(value) + QStringLiteral("</Value><Unit>") +
           Escaped(QString::fromUtf8(unit)) + QStringLiteral("</Unit></Point>\n");
}

QString Number(double v, int decimals)
{
    return QString::fromStdString(platform::FormatFixed(v, decimals));
}

// One record: a pressure transmitter (4-20 mA, 0-1000 kPa) or a Pt100 (0-600 °C) verified at one
// point, alternately; values vary from record to record but are the same on every run.
void Record(QString& xml, int i)
{
    const bool pressure = i % 2 == 1;
    const int minutes = 30 + 37 * i;
    const int day = 4 + minutes / (24 * 60) % 20, hour = 12 + minutes / 60 % 12, minute = minutes % 60;
    const double span = pressure ? 1000 : 600;
    const double reference = span * ((i * 7) % 11) / 10.0;
    const double error = ((i * 13) % 9 - 4) * 0.04; // -0.16 .. 0.16 % of span
    const double measured = reference + span * error / 100;
    const bool pass = std::abs(error) <= 0.1;
    xml += QStringLiteral("    <Record>\n");
    xml += QStringLiteral("      <Mode>") + QString::fromUtf8(pressure ? "Поверка МПД" : "Поверка ЭПД") +
           QStringLiteral("</Mode>\n");
    xml += QStringLiteral("      <DateTime>2025-03-%1T%2:%3:45.000</DateTime>\n")
               .arg(day, 2, 10, QLatin1Char('0'))
               .arg(hour, 2, 10, QLatin1Char('0'))
               .arg(minute, 2, 10, QLatin1Char('0'));
    xml += QStringLiteral("      <Points>\n");
    Point(xml, "Датчик, серийный №", QString::number(1000 + i), "");
    Point(xml, "класс", QStringLiteral("0.1"), "");
    if (pressure) {
        Point(xml, "Диапазон мин.", QStringLiteral("0"), "кПа");
        Point(xml, "Диапазон макс.", QStringLiteral("1000"), "кПа");
        Point(xml, "Измеренное значение", Number(measured, 3), "кПа");
        Point(xml, "Измеренное (эл.) значение", Number(4 + 16 * measured / span, 4), "мА");
        Point(xml, "Эталонное значение", Number(reference, 3), "кПа");
    } else {
        Point(xml, "Рабочий диапазон", QStringLiteral("0 ... 600"), "°C");
        Point(xml, "Измеренное значение", Number(measured, 3), "°C");
        Point(xml, "Измеренное (эл.) значение", Number(100 + 0.385 * measured, 3), "Ом");
        Point(xml, "Эталон", Number(reference, 3), "°C");
    }
    Point(xml, "Доп. погрешность", QStringLiteral("0.1"), "%");
    Point(xml, "Изм. погрешность", Number(error, 2), "%");
    // the instrument spells its verdict with a Latin "C"
    Point(xml, "Результат", QString::fromUtf8(pass ? "Cоответствует" : "Не соответствует"), "");
    Point(xml, "Реле 1", QString::fromUtf8(i % 3 ? "разомкнут" : "замкнут"), "");
    Point(xml, "Реле 2", QString(), "");
    Point(xml, "Температура окружающей среды", QStringLiteral("21.5"), "°C");
    xml += QStringLiteral("      </Points>\n    </Record>\n");
}

// The member bytes of one header field at `at` (little-endian 16-bit).
void Put16(QByteArray& b, qsizetype at, int v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

int Get16(const QByteArray& b, qsizetype at)
{
    return (std::uint8_t(b[at]) | (std::uint8_t(b[at + 1]) << 8));
}

// minizip writes only the methods it knows: another one is put into the headers afterwards.
void PatchMethod(QByteArray& zip, const QByteArray& name, int method)
{
    for (qsizetype at = 0; at + 46 <= zip.size(); ++at) {
        if (zip.mid(at, 4) == QByteArray("PK\x03\x04", 4) && Get16(zip, at + 26) == name.size() &&
            zip.mid(at + 30, name.size()) == name)
            Put16(zip, at + 8, method);
        if (zip.mid(at, 4) == QByteArray("PK\x01\x02", 4) && Get16(zip, at + 28) == name.size() &&
            zip.mid(at + 46, name.size()) == name)
            Put16(zip, at + 10, method);
    }
}

bool Fail(QString* error, const QString& why)
{
    if (error) *error = why;
    return false;
}

} // namespace

QByteArray ArchiveXml(int records, const QString& encoding)
{
    const QString e = encoding.toLower();
    if (e != QStringLiteral("utf-8") && e != QStringLiteral("windows-1251") && e != QStringLiteral("utf-16"))
        return {};
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"") + encoding +
                  QStringLiteral("\"?>\n<Archive>\n  <Records>\n");
    for (int i = 1; i <= records; ++i)
        Record(xml, i);
    xml += QStringLiteral("  </Records>\n</Archive>\n");
    if (e == QStringLiteral("windows-1251")) return platform::ToCp1251(xml);
    if (e == QStringLiteral("utf-16")) {
        QByteArray out("\xFF\xFE", 2);
        for (QChar c : xml) {
            out.append(char(c.unicode() & 0xFF));
            out.append(char(c.unicode() >> 8));
        }
        return out;
    }
    return xml.toUtf8();
}

bool WriteArchive(const QString& path, int records, const QString& encoding, QString* error)
{
    const QByteArray xml = ArchiveXml(records, encoding);
    if (xml.isEmpty()) return Fail(error, QStringLiteral("unknown encoding: ") + encoding);
    ZipMember m;
    m.name = "arc.xml";
    m.data = xml;
    return WriteZip(path, {m}, error);
}

std::uint32_t Crc32(const QByteArray& bytes)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    const auto* p = reinterpret_cast<const Bytef*>(bytes.constData());
    for (qsizetype done = 0; done < bytes.size();) {
        const uInt n = uInt(std::min<qsizetype>(bytes.size() - done, 1 << 30));
        crc = crc32(crc, p + done, n);
        done += n;
    }
    return std::uint32_t(crc);
}

QByteArray RawDeflate(const QByteArray& bytes)
{
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out;
    out.resize(qsizetype(deflateBound(&z, uLong(bytes.size()))));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int r = deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return r == Z_STREAM_END ? out : QByteArray();
}

bool WriteZip(const QString& path, const std::vector<ZipMember>& members, QString* error)
{
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    const QByteArray file = QFile::encodeName(temp);
    zipFile zf = zipOpen64(file.constData(), APPEND_STATUS_CREATE);
    if (!zf) return Fail(error, QStringLiteral("cannot create ") + temp);
    bool ok = true;
    for (const ZipMember& m : members) {
        zip_fileinfo info{};
        info.tmz_date = {45, 30, 12, 4, 2, 2025};
        const bool known = m.method == 0 || m.method == Z_DEFLATED;
        const int method = m.raw && !known ? Z_DEFLATED : m.raw ? m.method : Z_DEFLATED;
        const bool zip64 = m.declaredSize >= 0xFFFFFFFFull || quint64(m.data.size()) >= 0xFFFFFFFFull;
        ok = zipOpenNewFileInZip4_64(zf, m.name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                                     Z_DEFAULT_COMPRESSION, m.raw ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                     Z_DEFAULT_STRATEGY, nullptr, 0, 0, uLong(m.flags),
                                     zip64 ? 1 : 0) == ZIP_OK;
        for (qsizetype done = 0; ok && done < m.data.size();) {
            const unsigned n = unsigned(std::min<qsizetype>(m.data.size() - done, 1 << 24));
            ok = zipWriteInFileInZip(zf, m.data.constData() + done, n) == ZIP_OK;
            done += n;
        }
        if (ok)
            ok = (m.raw ? zipCloseFileInZipRaw64(zf, ZPOS64_T(m.declaredSize), uLong(m.crc))
                        : zipCloseFileInZip(zf)) == ZIP_OK;
        if (!ok) break;
    }
    if (zipClose(zf, nullptr) != ZIP_OK) ok = false;
    if (!ok) {
        QFile::remove(temp);
        return Fail(error, QStringLiteral("cannot write ") + temp);
    }
    bool patch = false;
    for (const ZipMember& m : members)
        patch = patch || (m.raw && m.method != 0 && m.method != Z_DEFLATED);
    if (patch) {
        QFile f(temp);
        if (!f.open(QIODevice::ReadWrite)) return Fail(error, QStringLiteral("cannot reopen ") + temp);
        QByteArray bytes = f.readAll();
        for (const ZipMember& m : members)
            if (m.raw && m.method != 0 && m.method != Z_DEFLATED) PatchMethod(bytes, m.name, m.method);
        f.seek(0);
        f.write(bytes);
        f.close();
    }
    QFile::remove(path);
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        return Fail(error, QStringLiteral("cannot rename ") + temp + QStringLiteral(" to ") + path);
    }
    return true;
}

} // namespace sim
