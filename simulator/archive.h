// The calibrator's archive file as the instrument writes it: a ZIP holding "arc.xml", one record per
// verification it carried out. The element names are the instrument's own choice:
// Archive/Records/Record/{Mode, DateTime, Points/Point/{Name, Value, Unit}}.
//
// WriteZip also builds ZIP files that lie (raw members whose header declares another size, CRC,
// method or flags than what follows), for the tests of the archive reader.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace sim {

/// The "arc.xml" member with `records` records, encoded as `encoding` ("UTF-8", "windows-1251" or
/// "UTF-16", with a byte order mark) and declared so. Empty for another encoding.
QByteArray ArchiveXml(int records, const QString& encoding = QStringLiteral("UTF-8"));

/// Writes a ZIP holding ArchiveXml(records, encoding) as "arc.xml", whole (a temporary file beside
/// it, then a rename). False with a reason when it cannot.
bool WriteArchive(const QString& path, int records, const QString& encoding = QStringLiteral("UTF-8"),
                  QString* error = nullptr);

/// One member of a ZIP file written by WriteZip.
struct ZipMember {
    QByteArray name;
    QByteArray data;  ///< deflated by the writer, or, when `raw`, stored as given
    bool raw = false; ///< the header declares `method`, `declaredSize` and `crc` as given
    int method = 8;   ///< raw: 0 stored, 8 deflated, another number for an unknown method
    std::uint64_t declaredSize = 0;
    std::uint32_t crc = 0;
    int flags = 0; ///< general purpose bits (1: encrypted)
};

/// Writes a ZIP file with these members. False with a reason when it cannot.
bool WriteZip(const QString& path, const std::vector<ZipMember>& members, QString* error = nullptr);

/// CRC-32 of `bytes` (for raw members that tell the truth about it).
std::uint32_t Crc32(const QByteArray& bytes);
/// `bytes` deflated without a header, as a ZIP member holds them.
QByteArray RawDeflate(const QByteArray& bytes);

} // namespace sim
