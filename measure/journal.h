// The measurement journal: every reading of a measurement run is appended, as it is taken, to a
// CSV file in the per-user data folder, so that a crash of the program or of the machine loses at
// most the line being written. A run ends with a closing line; a journal without one is what a
// crashed run leaves, and the measurement page offers to load it back.
//
// File: <data folder>/journal/measurement-YYYYMMDD-HHMMSS.csv (the start of the run, local time;
// "-2", "-3"... added when a run started in the same second). UTF-8, LF line ends:
//
//   time,row,measured,unit,reference,reference unit,relay 1,relay 2
//   2024-05-01T10:00:01+03:00,1,100.01234,°С,100.0051,°C,разомкнут,разомкнут
//   ...
//   #end,2024-05-01T18:00:00+03:00,28800
//
// Values use '.' and the shortest text that reads back as the same 32-bit value; a missing value
// is an empty field. While a run writes its journal it holds "<journal>.lock", so another instance
// of the program never takes a journal in use for a crashed one.
#pragma once

#include "platform/appendfile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QLockFile;

namespace measure {

/// One line of the journal.
struct JournalRow {
    QDateTime time;
    int number = 0;
    float measured = 0; ///< NaN: the reading failed
    QString unit;
    bool hasReference = false;
    float reference = 0;
    QString referenceUnit;
    QString relay1, relay2;
};

class TJournal {
public:
    TJournal();
    ~TJournal();
    TJournal(const TJournal&) = delete;
    TJournal& operator=(const TJournal&) = delete;

    /// The journal folder inside a data folder.
    static QString FolderIn(const QString& dataDir);
    /// "measurement-YYYYMMDD-HHMMSS.csv" for a run started at `start`.
    static QString FileName(const QDateTime& start);

    /// Starts the journal of a run started at `start` in `folder` (created when missing): the file,
    /// its lock and the header line. False when it cannot be written (Error() says why); the run
    /// goes on without a journal then.
    bool Start(const QString& folder, const QDateTime& start);
    /// Appends one row, on the disk when it returns. False when it could not be written; after a
    /// failure the journal writes nothing more (Failed()).
    bool Append(const JournalRow& row);
    /// Writes the closing line with the time and the number of rows, and releases the file.
    void Finish(const QDateTime& when);

    bool IsOpen() const { return m_file.IsOpen(); }
    bool Failed() const { return m_failed; }
    const QString& Path() const { return m_path; }
    const QString& Error() const { return m_error; }

    /// The text of one row's line (with its LF).
    static QByteArray Line(const JournalRow& row);

    /// What a journal file holds.
    struct Content {
        QDateTime start; ///< from the file name
        std::vector<JournalRow> rows;
        bool closed = false; ///< the closing line is there
        int unreadLines = 0; ///< lines that did not read (a line cut by a crash included)
    };
    /// Reads a journal. False when the file cannot be read or is not a journal.
    static bool Read(const QString& path, Content* out);
    /// The journals of `folder` without a closing line that no running program writes, newest first.
    static QStringList Unfinished(const QString& folder);
    /// The journals of `folder` started more than `days` days before `now` that no running program
    /// writes, oldest first.
    static QStringList OlderThan(const QString& folder, const QDateTime& now, int days);
    /// Appends a closing line to a journal a crashed run left (after it was offered), so that it
    /// is not offered again. False when it cannot be written.
    static bool MarkFinished(const QString& path, const QDateTime& when);

private:
    platform::DurableAppendFile m_file;
    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
    QString m_error;
    bool m_failed = false;
    int m_rows = 0;
};

/// ISO-8601 local time with its offset: "2024-05-01T10:00:01+03:00".
QString IsoLocalTime(const QDateTime& t);

} // namespace measure
