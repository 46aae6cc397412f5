// A report list to a new spreadsheet through the table export library (libsheetout.so, its
// ListView2excel), with the messages the pages show. Shared by the measurement and emulation pages.
#pragma once

#include <QString>

class QAbstractItemView;

namespace measure {

/// The table export library's file name (looked up in the program's folder).
inline constexpr char kSheetoutLibrary[] = "libsheetout.so";

/// The results of ExportList.
enum class ExportResult {
    Done,  ///< the rows are in a new spreadsheet
    Empty, ///< nothing to export: "Нет данных для сохранения", no office started
    LibraryMissing,  ///< "Библиотека %s не найдена!"
    FunctionMissing, ///< "Функция ListView2excel() не найдена!"
    NoOffice, ///< the library found no office: "Офисный пакет LibreOffice не установлен!"
    Failed, ///< another failure of the library (the message gives its code)
};

/// Sends the rows of `view` (its first `columns` columns) to a new spreadsheet. `library` is the
/// export library (a file name in the program's folder, or a path). Every outcome but Done shows
/// its message. The library stays loaded once it has been used: releasing it would end the office
/// session that shows the new spreadsheet to the user.
ExportResult ExportList(QAbstractItemView* view, int columns,
                        const QString& library = QString::fromLatin1(kSheetoutLibrary));

} // namespace measure
