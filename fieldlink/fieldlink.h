/* fieldlink: HART code texts (HART Common Tables and device types).
 *
 * Load the library by file name, look the functions up by name, call them, copy the text,
 * release the library. Texts are NUL-terminated Windows-1251 strings owned by the library:
 * tables 0 and 1 return a 512-byte buffer per table that the next call for that table
 * overwrites; the other tables return constants. Not safe for concurrent calls.
 *
 * Tables: 0 device model by expanded device type (manufacturer x 256 + device type), 1 its
 * manufacturer, 2 engineering units, 3 transfer functions, 4 materials, 6 alarm selection,
 * 7 write protect, 8 manufacturers, 21 device variable classification.
 */
#ifndef FIELDLINK_H
#define FIELDLINK_H

#ifdef __cplusplus
extern "C" {
#endif

/* The text of `code` in `table`; the empty text for an unknown table or code. */
const char* GetStrByCode(int table, int code);
/* The code whose text equals `text` byte for byte (scanning down from the table's start code),
 * or -1. Tables 0 and 1 are not searchable. */
int GetCodeByStr(int table, const char* text);

#ifdef __cplusplus
}
#endif

#endif
