#include "device/archive.h"

#include <QBuffer>
#include <QFile>
#include <QXmlStreamReader>

#include <unzip.h>

#include <cstring>

namespace device {

const char* const kArchiveCaptions[kArchiveColumns] = {
    "  №",       "Режим",    "дата",   "время",  "сер. номер", "класс",     "минимум", "максимум",
    "Изм. физ.", "Изм. эл.", "Эталон", "ДПП, %", "ОПП, %",     "Результат", "реле 1",  "реле 2",
};

namespace {

const char kMemberName[] = "arc.xml";

ArchiveLoad Failed(ArchiveError error, const QString& reason)
{
    ArchiveLoad out;
    out.error = error;
    out.reason = reason;
    return out;
}

// minizip's file functions over a QIODevice (the device is the stream).
voidpf Open(voidpf opaque, const void*, int)
{
    return opaque;
}
uLong Read(voidpf, voidpf stream, void* buf, uLong size)
{
    const qint64 n = static_cast<QIODevice*>(stream)->read(static_cast<char*>(buf), qint64(size));
    return n < 0 ? 0 : uLong(n);
}
uLong Write(voidpf, voidpf, const void*, uLong)
{
    return 0;
}
ZPOS64_T Tell(voidpf, voidpf stream)
{
    const qint64 p = static_cast<QIODevice*>(stream)->pos();
    return p < 0 ? ZPOS64_T(-1) : ZPOS64_T(p);
}
long Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* d = static_cast<QIODevice*>(stream);
    qint64 base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = d->pos();
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = d->size();
    else if (origin != ZLIB_FILEFUNC_SEEK_SET)
        return -1;
    const qint64 to = base + qint64(offset);
    return to >= 0 && to <= d->size() && d->seek(to) ? 0 : -1;
}
int Close(voidpf, voidpf)
{
    return 0;
}
int Error(voidpf, voidpf)
{
    return 0;
}

struct ZipCloser {
    unzFile f;
    ~ZipCloser() { unzClose(f); }
};

// The record being filled while the member is parsed.
class RecordFiller {
public:
    void Mode(const QString& text) { m_cells[ColMode] = text; }
    void DateTime(const QString& text)
    {
        const qsizetype t = text.indexOf(QLatin1Char('T'));
        if (t < 0) {
            m_cells[ColDate] = text;
            return;
        }
        m_cells[ColDate] = text.left(t);
        m_cells[ColTime] = text.mid(t + 1, 8);
    }
    void Point(const QString& name, const QString& value, const QString& unit)
    {
        if (value.isEmpty()) return;
        if (name.contains(QStringLiteral("Рабочий диапазон"))) {
            const qsizetype dots = value.indexOf(QStringLiteral("..."));
            if (dots < 0) {
                m_cells[ColRangeLow] = Cell(value, unit);
                return;
            }
            m_cells[ColRangeLow] = Cell(value.left(dots).trimmed(), unit);
            m_cells[ColRangeHigh] = Cell(value.mid(dots + 3).trimmed(), unit);
            return;
        }
        const int col = PointColumn(name);
        if (col >= 0) m_cells[col] = Cell(value, unit);
    }
    ArchiveRecord Take(int number)
    {
        ArchiveRecord r;
        r.cells[ColNumber] = QString::number(number);
        for (int i = 1; i < kArchiveColumns; ++i)
            r.cells[i] = std::move(m_cells[i]);
        for (QString& c : m_cells)
            c.clear();
        return r;
    }

private:
    static QString Cell(const QString& value, const QString& unit)
    {
        return QString(value + QLatin1Char(' ') + unit).trimmed();
    }
    QString m_cells[kArchiveColumns];
};

} // namespace

int PointColumn(QStringView name)
{
    auto has = [name](const char16_t* what) { return name.contains(QStringView(what)); };
    int col = -1;
    if (has(u"серийный №")) col = ColSerial;
    if (has(u"класс")) col = ColClass;
    if (has(u"Диапазон мин.")) col = ColRangeLow;
    if (has(u"Диапазон макс.")) col = ColRangeHigh;
    if (has(u"Измеренное")) col = has(u"Измеренное (эл.)") ? ColMeasuredSignal : ColMeasured;
    if (has(u"Эталонное") || has(u"Эталон") || has(u"Эмулируемое")) col = ColReference;
    if (has(u"Доп. погрешность") || has(u"Доп. ОПП")) col = ColTolerance;
    if (has(u"Изм. погрешность") || has(u"Изм. ОПП")) col = ColError;
    if (has(u"Результат")) col = ColResult;
    if (has(u"Реле 1")) col = ColRelay1;
    if (has(u"Реле 2")) col = ColRelay2;
    return col;
}

ArchiveLoad ReadArchiveFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return Failed(ArchiveError::Unreadable, f.errorString());
    return ReadArchive(f);
}

ArchiveLoad ReadArchive(QIODevice& zip)
{
    if (!zip.isOpen() || zip.isSequential())
        return Failed(ArchiveError::Unreadable, QStringLiteral("not a file"));
    zlib_filefunc64_def io{};
    io.zopen64_file = Open;
    io.zread_file = Read;
    io.zwrite_file = Write;
    io.ztell64_file = Tell;
    io.zseek64_file = Seek;
    io.zclose_file = Close;
    io.zerror_file = Error;
    io.opaque = &zip;
    unzFile uf = unzOpen2_64(kMemberName, &io);
    if (!uf) return Failed(ArchiveError::NotZip, QStringLiteral("not a ZIP file"));
    const ZipCloser closer{uf};

    // the first member named exactly "arc.xml"
    unz_file_info64 info{};
    char name[261];
    int r = unzGoToFirstFile(uf);
    for (;;) {
        if (r == UNZ_END_OF_LIST_OF_FILE)
            return Failed(ArchiveError::NoMember, QStringLiteral("no member arc.xml"));
        if (r != UNZ_OK) return Failed(ArchiveError::NotZip, QStringLiteral("damaged ZIP directory"));
        if (unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            return Failed(ArchiveError::NotZip, QStringLiteral("damaged ZIP directory"));
        if (info.size_filename == sizeof kMemberName - 1 &&
            std::memcmp(name, kMemberName, sizeof kMemberName - 1) == 0)
            break;
        r = unzGoToNextFile(uf);
    }
    if (info.uncompressed_size < ZPOS64_T(kMinMemberSize) ||
        info.uncompressed_size > ZPOS64_T(kMaxMemberSize))
        return Failed(ArchiveError::BadSize, QStringLiteral("arc.xml declares %1 bytes (10 to %2 allowed)")
                                                 .arg(qulonglong(info.uncompressed_size))
                                                 .arg(kMaxMemberSize));
    if (info.flag & 1) return Failed(ArchiveError::Encrypted, QStringLiteral("arc.xml is encrypted"));
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED)
        return Failed(ArchiveError::BadMethod,
                      QStringLiteral("arc.xml uses compression method %1").arg(info.compression_method));
    if (unzOpenCurrentFile(uf) != UNZ_OK)
        return Failed(ArchiveError::BadMethod, QStringLiteral("arc.xml cannot be opened"));

    const qint64 size = qint64(info.uncompressed_size);
    QByteArray bytes(size, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const unsigned chunk = unsigned(std::min<qint64>(size - done, 1 << 20));
        const int n = unzReadCurrentFile(uf, bytes.data() + done, chunk);
        if (n <= 0) {
            unzCloseCurrentFile(uf);
            return Failed(ArchiveError::ReadFailed,
                          n < 0 ? QStringLiteral("arc.xml does not inflate (%1)").arg(n)
                                : QStringLiteral("arc.xml ends after %1 of %2 bytes").arg(done).arg(size));
        }
        done += n;
    }
    const int closed = unzCloseCurrentFile(uf);
    if (closed == UNZ_CRCERROR)
        return Failed(ArchiveError::CrcError, QStringLiteral("arc.xml fails its CRC check"));
    if (closed != UNZ_OK)
        return Failed(ArchiveError::ReadFailed, QStringLiteral("arc.xml cannot be read to its end"));
    return ParseArcXml(bytes);
}

ArchiveLoad ParseArcXml(const QByteArray& member)
{
    // Depth of each level: 1 the document element, 2 the record container (its first child
    // element), 3 a record, 4 a record's field, 5 a point, 6 a point's field.
    enum Collect { None, Mode, DateTime, PointField };
    // read through a device, so the reader decodes the member a block at a time instead of whole
    QBuffer in;
    in.setData(member);
    in.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&in);
    ArchiveLoad out;
    RecordFiller record;
    int depth = 0, pointField = 0;
    bool containerSeen = false, inContainer = false, inPoints = false;
    Collect collect = None;
    int collectDepth = 0;
    QString text, pointName, pointValue, pointUnit;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            return Failed(ArchiveError::Dtd, QStringLiteral("arc.xml has a document type declaration"));
        case QXmlStreamReader::StartElement:
            ++depth;
            if (depth == 2 && !containerSeen) {
                containerSeen = inContainer = true;
            } else if (inContainer && depth == 3) {
                if (int(out.records.size()) >= kMaxRecords)
                    return Failed(ArchiveError::TooManyRecords,
                                  QStringLiteral("more than %1 records").arg(kMaxRecords));
            } else if (inContainer && depth == 4) {
                const QStringView n = xml.name();
                if (n == u"Mode" || n == u"DateTime") {
                    collect = n == u"Mode" ? Mode : DateTime;
                    collectDepth = depth;
                    text.clear();
                } else if (n == u"Points") {
                    inPoints = true;
                }
            } else if (inPoints && depth == 5) {
                pointField = 0;
                pointName.clear();
                pointValue.clear();
                pointUnit.clear();
            } else if (inPoints && depth == 6) {
                ++pointField;
                collect = PointField;
                collectDepth = depth;
                text.clear();
            }
            break;
        case QXmlStreamReader::Characters:
            if (collect != None && depth == collectDepth) text += xml.text();
            break;
        case QXmlStreamReader::EndElement:
            if (collect != None && depth == collectDepth) {
                const QString t = text.trimmed();
                if (collect == Mode)
                    record.Mode(t);
                else if (collect == DateTime)
                    record.DateTime(t);
                else if (pointField == 1)
                    pointName = t;
                else if (pointField == 2)
                    pointValue = t;
                else if (pointField == 3)
                    pointUnit = t;
                collect = None;
            }
            if (inPoints && depth == 5) record.Point(pointName, pointValue, pointUnit);
            if (inPoints && depth == 4) inPoints = false;
            if (inContainer && depth == 3) out.records.push_back(record.Take(int(out.records.size()) + 1));
            if (inContainer && depth == 2) inContainer = false;
            --depth;
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        return Failed(ArchiveError::NotXml, QStringLiteral("arc.xml line %1, column %2: %3")
                                                .arg(xml.lineNumber())
                                                .arg(xml.columnNumber())
                                                .arg(xml.errorString()));
    if (!containerSeen)
        return Failed(ArchiveError::NoContainer, QStringLiteral("arc.xml has no record container"));
    return out;
}

} // namespace device
