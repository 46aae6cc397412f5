// LibreOffice Calc driven over the UNO C++ binding: the program's private office (one headless
// soffice per module and process, with a profile of its own) and spreadsheet documents in it.
//
// Lifecycle. Session::Start() starts the office on first use and reuses it afterwards;
// Session::Shutdown() (or ShutdownOffice()) ends it: the desktop is terminated, the URP bridge is
// disposed (its threads joined), the process is reaped and the profile folder removed. The close
// sequence of a program calls ShutdownOffice(); a library that drives an office calls it when it is
// unloaded; an exit handler registered at the first start does it for whoever forgot. The office
// also gets SIGTERM when the thread that started it ends, so it never outlives its program.
//
// Time limits. URP calls have no time-out of their own: an office that hangs (a dialog, a crash,
// SIGSTOP) would block the caller for ever. Every run arms a TimeLimit; a watchdog thread kills the
// office's process group when the limit passes, the blocked call then returns with an exception
// (caught here), TimeLimit::Expired() says so, and the next Start() brings up a fresh office.
//
// The office never shows anything: documents are filled and stored here and shown to the user by
// their own desktop (office/desktop.h). LORIK_OFFICE_PROFILE names the folder that holds the
// profiles (default: the per-user cache folder).
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <utility>
#include <vector>

namespace office {

/// The bounds of office runs, in milliseconds (the one place they are set).
struct TimeLimits {
    int connectMs = 20000;  ///< starting and reaching the office
    int fillMs = 60000;     ///< one protocol: copy, fill, store, PDF
    int exportMs = 30000;   ///< one table export or fixed-layout report
    int shutdownMs = 10000; ///< terminate before the process group is killed
};

/// Results of Start(), as the protocol maker reports them.
enum StartResult : int {
    StartOk = 0,
    NoServer = -2,      ///< the office cannot be started or reached (or the time limit passed)
    NoApplication = -3, ///< the bridge gave no component context
    NoDesktop = -4,     ///< no desktop object
};

class Session {
public:
    /// This module's office (not started until Start()).
    static Session& Shared();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Starts the office, or checks that the running one still answers. StartResult; within the
    /// connect limit (a hung office is ended and NoServer returned).
    int Start();
    /// Ends the office and disposes the bridge; a no-op when nothing runs.
    void Shutdown();
    /// Whether an office process of ours runs with the bridge up (no call is made).
    bool Running() const;
    /// The office process (its process group has the same id), -1 when none runs.
    int Pid() const;
    /// The profile folder of the running office (empty when none runs).
    QString Profile() const;
    /// Milliseconds the last Start() took to start and reach a new office (0 when reused).
    int LastStartMs() const;

    const TimeLimits& Limits() const;
    void SetLimits(const TimeLimits& limits);

    /// Whether the soffice program is installed where the binding expects it.
    static bool Installed();

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    Session();
    std::unique_ptr<Impl> m_impl;
};

/// Ends this module's office if one was started and releases the binding's own objects (close
/// sequences, library unload, the exit). Idempotent; a later Start() begins afresh.
void ShutdownOffice();

/// Arms the watchdog of `session` for `ms` for the lifetime of the object. Limits nest: the
/// earliest deadline wins, and the outer one is restored at the end.
class TimeLimit {
public:
    TimeLimit(Session& session, int ms);
    ~TimeLimit();
    TimeLimit(const TimeLimit&) = delete;
    TimeLimit& operator=(const TimeLimit&) = delete;
    /// Whether the watchdog ended the office while this limit was armed.
    bool Expired() const;

private:
    Session& m_session;
    std::chrono::steady_clock::time_point m_saved;
    int m_expiries;
};

enum class CellType { Empty, Text, Number, Formula };

/// How a cell looks, as far as the protocols need to tell a table's header from its data rows.
struct CellFormat {
    bool bold = false;
    bool wrapped = false;
    int background = -1; ///< RGB, -1 when transparent
};

/// What a block write puts into one cell: a text is stored as typed (never read as a number, a
/// date or a formula), a number as a number.
struct CellValue {
    QString text;
    double number = 0;
    bool isNumber = false;
    static CellValue Text(const QString& t) { return {t, 0, false}; }
    static CellValue Number(double v) { return {QString(), v, true}; }
};

/// One spreadsheet document in the office. Sheets, columns and rows count from 0. Every call
/// returns false (or an empty value) when the office does not answer.
class Document {
public:
    explicit Document(Session& session = Session::Shared());
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    /// Opens `path` (hidden) in the running office. False when it cannot be opened or would be
    /// read-only.
    bool Open(const QString& path);
    /// A new empty spreadsheet.
    bool Create();
    bool IsOpen() const;
    void Close();

    int SheetCount() const;
    QString SheetName(int sheet) const;
    bool SheetVisible(int sheet) const;
    bool HideSheet(int sheet);
    /// Renames a sheet; characters a sheet name cannot hold become '_', at most 31 are kept.
    bool RenameSheet(int sheet, const QString& name);
    /// Makes a sheet the active one (the one a reader of the stored file sees first).
    bool SelectSheet(int sheet);

    /// Case-sensitive search for a cell containing `text`; its position.
    bool Find(int sheet, const QString& text, int* column, int* row) const;
    /// In every cell of the sheet that holds one of the keys, replaces each key by its value, pair
    /// after pair in the order given; a text cell stays a text cell with exactly the replaced text
    /// (never re-read as a number or a date) and a formula stays a formula. Returns the number of
    /// cells changed, -1 on failure.
    int ReplaceTexts(int sheet, const std::vector<std::pair<QString, QString>>& pairs);
    /// Inserts `count` empty rows above `row`.
    bool InsertRows(int sheet, int row, int count);
    /// Inserts `count` copies of row `row` (contents, formats, formulas with their relative
    /// references following) above it; the original ends up below its copies.
    bool RepeatRow(int sheet, int row, int count);
    /// Copies rows [first, first + count) and inserts the copy above row `at` (pushing it down).
    bool CopyInsertRows(int sheet, int first, int count, int at);

    /// The cell's text as shown (a number in the office's own format).
    QString CellText(int sheet, int column, int row) const;
    CellType TypeOf(int sheet, int column, int row) const;
    /// The value of a number or formula cell (0 for others).
    double CellNumber(int sheet, int column, int row) const;
    CellFormat FormatOf(int sheet, int column, int row) const;
    /// Writes a text cell (the text as it is).
    bool SetText(int sheet, int column, int row, const QString& text);
    /// Writes a number cell.
    bool SetNumber(int sheet, int column, int row, double value);
    /// Writes text cells down a column from `row` in one call.
    bool WriteTextColumn(int sheet, int column, int row, const QStringList& values);
    /// Writes a block (rows of equal length; shorter rows are padded with empty texts) with its
    /// top-left cell at (column, row), in one call.
    bool WriteBlock(int sheet, int column, int row, const std::vector<std::vector<CellValue>>& rows);
    /// The texts of the used area of a sheet, row by row (tests and checks read a result back).
    std::vector<QStringList> UsedArea(int sheet) const;

    /// Named ranges of the document: the first cell of `name` (sheet, column, row).
    bool NamedRange(const QString& name, int* sheet, int* column, int* row) const;

    /// Stores the document where it was loaded from, in its format.
    bool Store();
    /// Stores the document as `path` (format by extension) and keeps working on that file.
    bool StoreAs(const QString& path);
    /// Writes the visible sheets as PDF to `path` (the document keeps its own file).
    bool ExportPdf(const QString& path);

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace office
