/* How the suite's host calls the depreciation module.
 *
 * The host loads VELDRO (VELDRO.dll on Windows, VELDRO.so elsewhere) and calls its one entry
 *
 *     int32_t DPMENU(const char* const* clientCode)
 *
 * with the address of its text variable that holds the client code (the text is passed by
 * reference). The variable points to the client code's characters, NUL-terminated, in the
 * system's ANSI code page; trailing blanks are part of the code. A variable holding a null
 * pointer is an empty client code. The module copies the text on entry and never changes the
 * variable. The result is always 0.
 *
 * On 32-bit Windows DPMENU uses the standard Windows calling convention (__stdcall): the one
 * 4-byte argument is pushed on the stack and the callee removes it. Its exported name is the
 * plain DPMENU, without decoration.
 */
#ifndef SUITE_HOST_H
#define SUITE_HOST_H

#include <stdint.h>

#ifdef _WIN32
#define SUITE_STDCALL __stdcall
#else
#define SUITE_STDCALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t(SUITE_STDCALL* DpmenuFunction)(const char* const* clientCode);

#define SUITE_DPMENU_ENTRY "DPMENU"

#ifdef __cplusplus
}
#endif

#endif /* SUITE_HOST_H */
