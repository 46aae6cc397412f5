/* sheetout: measurement and emulation tables to a new spreadsheet, and four fixed protocol layouts,
 * in LibreOffice Calc.
 *
 * Load the library by file name, look the functions up by name. Every call drives the library's
 * own headless office in the calling thread, within a time limit, and returns when the document is
 * stored and handed to the user's desktop (which opens it in the user's own office). The office is
 * started by the first call and ends when the library is unloaded. Texts in IO_Settings are
 * NUL-terminated Windows-1251. The caller owns every buffer it passes; the library keeps none.
 *
 * LORIK_SHEETOUT_STORE (tests): the file the table export is stored in; while it (or
 * LORIK_DESKTOP_OFF) is set nothing is opened on the desktop.
 */
#ifndef SHEETOUT_H
#define SHEETOUT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SheetoutDevice {
    int32_t inUse; /* nonzero: present */
    char dt1[40];
    char dt2[20];
    char dt3[20]; /* the device's identifying text in headers and results */
    char dt4[24];
    char rangeStart[20];
    char rangeEnd[20];
    int32_t verdict; /* nonzero "Годен", zero "Не годен" */
} SheetoutDevice;

typedef struct SheetoutPoint {
    int32_t inUse;
    char pt1[40];
    char pt2[20];
    char pt3[20];
    char pt4[20];
    char pt5[20];
    char pt6[20];
    char pt7[40];
    int32_t verdict;
    char spare[8];
} SheetoutPoint;

#define SHEETOUT_POINTS 32

typedef struct IO_Settings {
    int32_t Type; /* report layout 1..4 */
    char templatePath[1024];
    char outputPath[1024]; /* empty: the library makes one in the reports folder */
    char protocolNumber[20];
    char protocolDate[20];
    char protocolAuthor[32];
    char instruments[4000]; /* one instrument per line, lines separated by line feed */
    char airTemperature[28];
    char airHumidity[28];
    char airPressure[28];
    SheetoutDevice devices[5];                /* the layouts read slots 1..4 */
    SheetoutPoint points[5][SHEETOUT_POINTS]; /* table k belongs to device slot k */
} IO_Settings;

#ifdef __cplusplus
static_assert(sizeof(SheetoutDevice) == 152, "device slot");
static_assert(sizeof(SheetoutPoint) == 196, "point record");
static_assert(sizeof(IO_Settings) == 38328, "IO_Settings");
static_assert(offsetof(IO_Settings, templatePath) == 4, "");
static_assert(offsetof(IO_Settings, outputPath) == 1028, "");
static_assert(offsetof(IO_Settings, protocolNumber) == 2052, "");
static_assert(offsetof(IO_Settings, protocolDate) == 2072, "");
static_assert(offsetof(IO_Settings, protocolAuthor) == 2092, "");
static_assert(offsetof(IO_Settings, instruments) == 2124, "");
static_assert(offsetof(IO_Settings, airTemperature) == 6124, "");
static_assert(offsetof(IO_Settings, airHumidity) == 6152, "");
static_assert(offsetof(IO_Settings, airPressure) == 6180, "");
static_assert(offsetof(IO_Settings, devices) == 6208, "");
static_assert(offsetof(IO_Settings, points) == 6968, "");
static_assert(offsetof(SheetoutDevice, dt1) == 4 && offsetof(SheetoutDevice, dt2) == 44 &&
                  offsetof(SheetoutDevice, dt3) == 64 && offsetof(SheetoutDevice, dt4) == 84 &&
                  offsetof(SheetoutDevice, rangeStart) == 108 && offsetof(SheetoutDevice, rangeEnd) == 128 &&
                  offsetof(SheetoutDevice, verdict) == 148,
              "device slot fields");
static_assert(offsetof(SheetoutPoint, pt1) == 4 && offsetof(SheetoutPoint, pt2) == 44 &&
                  offsetof(SheetoutPoint, pt3) == 64 && offsetof(SheetoutPoint, pt4) == 84 &&
                  offsetof(SheetoutPoint, pt5) == 104 && offsetof(SheetoutPoint, pt6) == 124 &&
                  offsetof(SheetoutPoint, pt7) == 144 && offsetof(SheetoutPoint, verdict) == 184,
              "point record fields");
#endif

/* The rows of a report-style view (a QAbstractItemView* of the program) from cell B5 of a new
 * spreadsheet, each cell cut at its first blank; a cell that is a number in the program's format
 * ("12.625", "12,625") becomes a number, any other a text. Stored as "Таблица от <date>.ods" in the
 * reports folder. 0, -5 no office (or no answer in time), -6 no new workbook or not stored, -7 no
 * sheet. */
int ListView2excel(void* listView, int columns);
/* Fills a protocol from a template in layout Type 1..4 and stores it. 0, -1 a named range missing or
 * no points, -20 no output path, -11 template unreadable, -12 output not created or not stored,
 * 11 no office (or no answer in time), -88 output not opened, -199/-198 no sheets, -2000 Type
 * outside 1..4. */
int FormReport(const IO_Settings* settings);
/* "Build: <date>  <time>". 0, or -1 when the buffer is absent or shorter than the text + 2. */
int GetVersionDll(char* buffer, int size);

#ifdef __cplusplus
}
#endif

#endif
