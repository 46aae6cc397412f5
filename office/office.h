// LibreOffice Calc driven over the UNO C++ binding: one office process per program (started on
// first use, reused across runs, tied to the program's lifetime), and documents in it.
//
// The office runs with a private profile of its own, so it never takes over an office the user is
// working in. It is headless when LORIK_OFFICE_HEADLESS=1 or when there is no display (tests set
// it); otherwise documents are shown to the user. LORIK_OFFICE_PROFILE names the profile folder.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace office {

/// Results of connecting, as the protocol maker reports them.
enum ConnectResult : int {
    ConnectOk = 0,
    NoServer = -2,      ///< the office program cannot be started or reached
    NoApplication = -3, ///< the bridge gave no component context
    NoDesktop = -4,     ///< no desktop object
};

class Session {
public:
    /// The program's one office (created on first use).
    static Session& Shared();
    ~Session();

    /// Starts (or reuses) the office and connects. Returns ConnectResult.
    int Connect();
    bool Connected() const;
    bool Headless() const;
    /// Ends the office (terminate, then kill its process group after a time-out).
    void Shutdown();
    /// Whether the soffice program is installed where the binding expects it.
    static bool Installed();
    /// Milliseconds the last Connect() took to start and reach the office (0 when reused).
    int LastStartMs() const;

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    Session();
    std::unique_ptr<Impl> m_impl;
};

/// One spreadsheet document in the office. Sheets and cells count from 0.
class Document {
public:
    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    /// Opens `path` (hidden) in the connected office. False when it cannot be opened.
    bool Open(const QString& path);
    /// A new empty spreadsheet (hidden).
    bool Create();
    bool IsOpen() const;
    void Close();

    int SheetCount() const;
    QString SheetName(int sheet) const;
    bool SheetVisible(int sheet) const;
    bool HideSheet(int sheet);
    bool RenameSheet(int sheet, const QString& name);
    /// Makes a sheet the active one of the view.
    bool SelectSheet(int sheet);

    /// Case-sensitive search for a cell containing `text`; its position.
    bool Find(int sheet, const QString& text, int* column, int* row) const;
    /// Replaces every occurrence of `key` by `value` on one sheet. Returns the count, -1 on failure.
    int ReplaceAll(int sheet, const QString& key, const QString& value);
    /// Inserts `count` empty rows above `row`.
    bool InsertRows(int sheet, int row, int count);
    /// Text of a cell; SetCell writes a text cell.
    QString CellText(int sheet, int column, int row) const;
    bool SetCell(int sheet, int column, int row, const QString& text);
    /// Writes texts down a column from `row` in one call.
    bool WriteColumn(int sheet, int column, int row, const QStringList& values);
    /// Writes a block of texts (rows of equal length) with its top-left cell at (column, row).
    bool WriteBlock(int sheet, int column, int row, const std::vector<QStringList>& rows);
    /// The texts of the used area of a sheet, row by row (tests and checks read a result back).
    std::vector<QStringList> UsedArea(int sheet) const;

    /// Named ranges of the document: the first cell of `name` (sheet, column, row).
    bool NamedRange(const QString& name, int* sheet, int* column, int* row) const;
    /// Copies rows [first, first + count) and inserts the copy above row `at` (pushing it down).
    bool CopyInsertRows(int sheet, int first, int count, int at);

    /// Stores the document in the format it was loaded in (Create()d documents: `path` as .xls).
    bool Store();
    bool StoreAs(const QString& path);
    /// Shows the document window to the user (a no-op in a headless office).
    void Show();
    /// Leaves the document open in the office for the user (the object lets go of it).
    void Release();

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace office
