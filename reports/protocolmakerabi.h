/* The protocol maker module (libprotocolmaker.so): the program loads it by file name at run time,
 * so that the program itself needs no LibreOffice libraries, and looks these functions up by name.
 *
 * Call order: ProtocolMakerAbi() first; the other functions only when it returns
 * PROTOCOL_MAKER_ABI. ProtocolOfficeSuites() starts nothing. ProtocolMake() drives the module's
 * own headless office (started on first use, kept for the next protocol) and returns when the
 * protocol is stored and handed to the desktop. ProtocolShutdown() ends that office; the program's
 * close sequence calls it. The module is never unloaded (the UNO runtime cannot be).
 *
 * Memory: the program owns everything it passes; the module keeps nothing after a call returns.
 * ProtocolMake() works on the program's own protocol record and results list (by pointer), never
 * on copies of its own. Texts are NUL-terminated UTF-8. Everything runs on the calling thread.
 */
#ifndef PROTOCOLMAKERABI_H
#define PROTOCOLMAKERABI_H

#include <stdint.h>

/* The layout number: ProtocolData, ResultList and the structures below as both sides compiled
 * them. Bump it with any change of their layout (the checks below fail until it is). */
#define PROTOCOL_MAKER_ABI 1

/* ProtocolOfficeSuites() bits */
#define PROTOCOL_SUITE_LIBREOFFICE 1
#define PROTOCOL_SUITE_EXCEL 2

/* What ProtocolMake() returns for a request it cannot take */
#define PROTOCOL_MAKE_BAD_REQUEST (-100)

/* Message kinds, as the program's message service has them */
#define PROTOCOL_MESSAGE_ERROR 0
#define PROTOCOL_MESSAGE_WARNING 1
#define PROTOCOL_MESSAGE_INFORMATION 2

#ifdef __cplusplus
extern "C" {
#endif

/* One "amp_" control of the main window: its name ("amp_D1_OWNER") and its text. */
typedef struct ProtocolAmpField {
    const char* name;
    const char* text;
} ProtocolAmpField;

typedef struct ProtocolMakeRequest {
    int32_t size; /* sizeof(ProtocolMakeRequest) */
    const char* templateDir;
    const char* templateName;
    const char* reportsDir;      /* where the protocol and its PDF are stored */
    int32_t useExcel;            /* nonzero: Microsoft Excel (not available here: the run gives -2) */
    const ProtocolAmpField* amp; /* in the order their placeholders are added */
    int32_t ampCount;
    const char* rangeLowText; /* a temperature sensor's range, as typed on the verification page */
    const char* rangeHighText;
    /* The program's message service: every box the maker shows comes through here. */
    void* context;
    void (*message)(void* context, int32_t kind, const char* caption, const char* text);
    /* Hands the stored protocol to the desktop; NULL: the module's own opener (xdg-open). */
    void (*open)(void* context, const char* path);
    /* Receives the output path of the run (may be NULL). */
    char* outputPath;
    int32_t outputPathSize;
} ProtocolMakeRequest;

/* PROTOCOL_MAKER_ABI of the module. */
typedef int32_t (*ProtocolMakerAbiFn)(void);
/* Which suites can fill protocols here (PROTOCOL_SUITE_* bits). */
typedef int32_t (*ProtocolOfficeSuitesFn)(void);
/* data: the program's reports::ProtocolData; results: its verification::ResultList. 0, -1 nothing
 * to report, or the run's error code (already shown through request->message);
 * PROTOCOL_MAKE_BAD_REQUEST for a request it cannot take (NULL pointers, a size it does not know). */
typedef int32_t (*ProtocolMakeFn)(void* data, void* results, const ProtocolMakeRequest* request);
/* Ends the module's office, if one runs. */
typedef void (*ProtocolShutdownFn)(void);

#ifdef __cplusplus
}

#include "reports/protocoldata.h"
#include "verification/results.h"

#include <cstddef>

/* The layout both sides compile against PROTOCOL_MAKER_ABI 1. */
static_assert(sizeof(reports::ProtocolData) == 22348, "ProtocolData changed: bump PROTOCOL_MAKER_ABI");
static_assert(offsetof(reports::ProtocolData, points) == 1540,
              "ProtocolData changed: bump PROTOCOL_MAKER_ABI");
static_assert(sizeof(verification::ResultList) == 8 + 200 * 52,
              "ResultList changed: bump PROTOCOL_MAKER_ABI");
static_assert(sizeof(ProtocolMakeRequest) == 112, "ProtocolMakeRequest changed: bump PROTOCOL_MAKER_ABI");
#endif

#endif
