// The calibrator's archive file: a ZIP holding the XML member "arc.xml", one record per verification
// the instrument carried out, shown as one row of 16 cells.
//
// The reader trusts nothing in the file: the member must be named exactly "arc.xml" at the top level
// and declare 10 bytes to 16 MiB (checked before anything is allocated); encrypted members, unknown
// methods, short reads and CRC errors are refused; the XML is read with its own declared encoding
// (or byte order mark), a document type declaration is refused (no entity is ever expanded), and the
// whole member is parsed before a caller sees a record.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <vector>

namespace device {

inline constexpr int kArchiveColumns = 16;
/// The captions of the 16 columns, as the page shows them.
extern const char* const kArchiveCaptions[kArchiveColumns];

/// Bounds of the member's declared size, and of the records a file may hold.
inline constexpr qint64 kMinMemberSize = 10;
inline constexpr qint64 kMaxMemberSize = 16 * 1024 * 1024;
inline constexpr int kMaxRecords = 100000;

/// Column indices of the cells.
enum ArchiveColumn : int {
    ColNumber = 0,
    ColMode = 1,
    ColDate = 2,
    ColTime = 3,
    ColSerial = 4,
    ColClass = 5,
    ColRangeLow = 6,
    ColRangeHigh = 7,
    ColMeasured = 8,
    ColMeasuredSignal = 9,
    ColReference = 10,
    ColTolerance = 11,
    ColError = 12,
    ColResult = 13,
    ColRelay1 = 14,
    ColRelay2 = 15,
};

/// One archive record: its 1-based number and 15 texts (empty when the record does not give one).
struct ArchiveRecord {
    QString cells[kArchiveColumns];
};

/// Why a file is not a readable archive.
enum class ArchiveError {
    None,
    Unreadable,    ///< the file cannot be opened or read
    NotZip,        ///< not a ZIP file (or a damaged one)
    NoMember,      ///< no member named exactly "arc.xml"
    BadSize,       ///< the member declares fewer than 10 bytes or more than 16 MiB
    Encrypted,     ///< the member is encrypted
    BadMethod,     ///< the member's compression cannot be read
    ReadFailed,    ///< the member's data ends early or does not inflate
    CrcError,      ///< the member's data does not match its CRC
    NotXml,        ///< not well-formed XML, or bytes wrong for its encoding
    Dtd,           ///< a document type declaration
    NoContainer,   ///< the document element has no child element
    TooManyRecords ///< more than kMaxRecords records
};

/// The outcome of reading an archive: the records, or the error and its reason (English, for logs
/// and the command line; the page shows its own message).
struct ArchiveLoad {
    ArchiveError error = ArchiveError::None;
    QString reason;
    std::vector<ArchiveRecord> records;
    bool Ok() const { return error == ArchiveError::None; }
};

/// Reads an archive ZIP from a random-access device (a file, a buffer).
ArchiveLoad ReadArchive(QIODevice& zip);
/// Reads an archive file; Unreadable when it cannot be opened.
ArchiveLoad ReadArchiveFile(const QString& path);
/// Parses the bytes of an "arc.xml" member.
ArchiveLoad ParseArcXml(const QByteArray& member);

/// The column a point of this name fills (the name rules, later matches winning), or -1. Names with
/// "Рабочий диапазон" are handled apart (both range columns).
int PointColumn(QStringView name);

} // namespace device
