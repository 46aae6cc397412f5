// The crash journal of the verification results: after every change of the results list the list
// and the protocol record's fields of the running procedure are rewritten, whole, to one CSV file
// in the data folder, so that the points of a run survive a crash or a kill. A clean end of the
// program retires the file (".last"); a journal found at the next start means the last run did not
// end cleanly, and its points can be restored.
//
// The file (Windows-1251, one record a line, fields separated by ','):
//   version,1
//   verificationType,<int>  isCalibration,<int>  isPeriodic,<int>  decisionRule,<int>
//   pointCount,<int>  permissibleError,<real>  rangeLow,<real>  rangeHigh,<real>
//   units,<text>  signalLow,<real>  signalHigh,<real>  signalUnits,<text>
//   rows,<N>
//   N lines of the 13 fields of a row, in their order (reals "%.9g", exact for 32-bit floats;
//   the spare words and pass as integers)
// Texts are quoted as CSV does when they hold ',', '"' or a line break.
#pragma once

#include "reports/protocoldata.h"
#include "verification/results.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace verification {

inline constexpr int kJournalVersion = 1;
inline constexpr char kJournalFileName[] = "results-journal.csv";

/// What a journal holds: the rows and the record's fields the procedure writes.
struct JournalRecord {
    ResultList list;
    std::int32_t verificationType = 0;
    std::int32_t isCalibration = 0;
    std::int32_t isPeriodic = 0;
    std::int32_t decisionRule = 0;
    std::int32_t pointCount = 0;
    float permissibleError = 0;
    float rangeLow = 0;
    float rangeHigh = 0;
    QString units;
    float signalLow = 0;
    float signalHigh = 0;
    QString signalUnits;

    /// The fields of `data` (and no rows).
    static std::unique_ptr<JournalRecord> FromProtocol(const reports::ProtocolData& data);
    /// Puts the fields back into `data` (the rows are restored by the caller, row by row).
    void ApplyTo(reports::ProtocolData& data) const;
};

/// The journal's text for `list` and the fields of `data`.
QByteArray JournalText(const ResultList& list, const reports::ProtocolData& data);
/// Reads a journal's text. False (and `*reason`) when any line is not what the journal writes: the
/// version, a key missing, twice or unknown, a number that does not read whole, more than 200 rows,
/// a row without its 13 fields, a line after the last row.
bool ParseJournal(const QByteArray& text, JournalRecord* record, QString* reason);

class ResultJournal {
public:
    /// The journal file at `path` (usually <data folder>/results-journal.csv).
    explicit ResultJournal(QString path) : m_path(std::move(path)) {}

    const QString& Path() const { return m_path; }
    /// The name a retired journal gets, and the name a damaged one is kept under.
    QString LastPath() const { return m_path + QStringLiteral(".last"); }
    QString BadPath() const { return m_path + QStringLiteral(".bad"); }

    bool Exists() const;
    /// Rewrites the journal whole (a temporary file renamed over it). False when it cannot be
    /// written.
    bool Write(const ResultList& list, const reports::ProtocolData& data) const;

    enum class ReadResult { Missing, Ok, Bad };
    /// Reads the journal; Bad with `*reason` when it cannot be read or parsed.
    ReadResult Read(JournalRecord* record, QString* reason) const;
    /// Renames the journal to LastPath() (replacing an older one). True when no journal is left.
    bool Retire() const;
    /// Moves a damaged journal to BadPath() (replacing an older one). True when no journal is left.
    bool SetAsideBad() const;

private:
    bool MoveTo(const QString& target) const;
    QString m_path;
};

} // namespace verification
