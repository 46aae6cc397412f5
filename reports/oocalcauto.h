// Carries out a ReplaceJob on a spreadsheet: copies the template to the output file, opens the copy
// in the program's private LibreOffice Calc, hides sheets, fills the point table, renames sheets
// and replaces placeholders, stores the result in the template's format and beside it as PDF,
// closes it, and hands the stored file to the user's desktop. The whole run is bounded by the
// office's fill limit.
#pragma once

#include "reports/replacejob.h"

#include <QString>

namespace reports {

class OOCalcAuto {
public:
    /// `useExcel`: Microsoft Excel does not exist on this platform; a run then gives -2.
    explicit OOCalcAuto(bool useExcel) : m_excel(useExcel) {}

    /// 0, or the code of the step that failed (see ErrorText): -2 too when the office did not answer
    /// within the fill limit, -19 when the filled protocol could not be stored. On failure nothing
    /// is left in the output's place and nothing is opened.
    int RunJob(const ReplaceJob& job);
    /// The PDF written beside a protocol: the same name with the extension ".pdf".
    static QString PdfPath(const QString& output);
    int LastError() const { return m_lastError; }

    /// "Не указано имя файла" ... "Невозможно создать файла потокола", "n/a" for other codes.
    static QString ErrorText(int code);

private:
    bool m_excel;
    int m_lastError = 0;
};

/// Which office suites can fill protocols here: LibreOffice when soffice and the UNO bridge are
/// usable; Excel never.
struct OfficeSuites {
    bool libreOffice = false;
    bool excel = false;
};
OfficeSuites DetectOfficeSuites();

} // namespace reports
