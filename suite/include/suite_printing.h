/* The two printing libraries of the suite, as the depreciation module loads them at run time:
 *
 *   libdevpick.so  PickDevice  lets the user choose a printer (or a file) for a printed report
 *   liblistout.so  ListOut     prints a finished text file on the chosen device
 *
 * On Windows they are DEVPICK.DLL and LISTOUT.DLL, and both entries use the standard Windows
 * calling convention (__stdcall, exported under their plain names).
 *
 * The module looks for them beside its own file, then on the system's library path;
 * DP_SUITE_LIBDIR, when set, names the only directories looked in (separated by ":", or ";" on
 * Windows). Both use the
 * platform layer's dialog backend, so a scripted run answers the printer choice from its script
 * ("printer REPLY") and shows the hand-over in its transcript ("print: COMMAND") without printing.
 * ListOut gives a print queue DP_PRINT_TIMEOUT seconds (default 60) to take the job.
 */
#ifndef SUITE_PRINTING_H
#define SUITE_PRINTING_H

#include <stdint.h>

#include "suite_host.h"

#ifdef _WIN32
#define SUITE_EXPORT  /* exported by name through the library's .def file */
#else
#define SUITE_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* PickDevice: every argument by reference.
 *   instance       points to the calling module's instance handle (its load address)
 *   title          the text shown above the choice (the file to be printed), NUL-terminated
 *   n999, n20      the numbers 999 and 20 the module always passes (not used here)
 *   zero1, zero2   two zeros (not used here)
 *   reply          receives the reply, NUL-terminated, cut to replyCapacity - 1 bytes
 * The reply is "*"-separated: field 1 unused ("1"), field 2 the device, field 3 what the device
 * needs, field 4 "Y" (or "N" to ask for no page handling). An empty reply means the user cancelled.
 *   device          field 3
 *   a print queue   empty: the file is rendered to PDF and printed through the print service;
 *                   RAW: the file goes to the printer as it is (a printer that knows its codes)
 *   FILE            the path of a copy of the file as it is
 *   #PDF            the path of the rendered PDF
 *   #SCREEN         empty: the rendered pages are shown on the screen
 * The names that begin with "#" cannot be print queue names, so they never clash with one.
 * Returns the length of the reply (0 when cancelled). */
typedef int32_t(SUITE_STDCALL* PickDeviceFunction)(void* const* instance, const char* title, const int32_t* n999,
                                      const int32_t* n20, const int32_t* zero1, const int32_t* zero2,
                                      char* reply, int32_t replyCapacity);

/* ListOut: command is "file,device,field3,options" (options such as /80/FP/ZM or /NP), zero is 0.
 * The device and field 3 are those of the reply above. Failures are shown to the user in a
 * message box titled "Print".
 * Returns 0 when the file was handed on, -1 otherwise (the module does not use the result). */
typedef int32_t(SUITE_STDCALL* ListOutFunction)(const char* command, int32_t zero);

#define SUITE_DEVICE_FILE "FILE"
#define SUITE_DEVICE_PDF "#PDF"
#define SUITE_DEVICE_SCREEN "#SCREEN"
#define SUITE_RAW_JOB "RAW"

#define SUITE_PICK_DEVICE_ENTRY "PickDevice"
#define SUITE_LIST_OUT_ENTRY "ListOut"
#ifdef _WIN32
#define SUITE_DEVPICK_LIBRARY "DEVPICK.DLL"
#define SUITE_LISTOUT_LIBRARY "LISTOUT.DLL"
#else
#define SUITE_DEVPICK_LIBRARY "libdevpick.so"
#define SUITE_LISTOUT_LIBRARY "liblistout.so"
#endif

#ifdef __cplusplus
}
#endif

#endif /* SUITE_PRINTING_H */
