// What the host checks before the module's dialogs open, on Windows: a window can be made on
// this desktop (a service or a session without one would otherwise run an invisible menu that
// ends at once), and the client directory exists or the user agrees to create it.
#include <windows.h>

#include <iterator>

#include "host_terminal.h"
#include "platform/native_text.h"

namespace host {

std::string whyDialogsCannotOpen() {
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    if (probe) {
        DestroyWindow(probe);
        return {};
    }
    const DWORD error = GetLastError();
    return "the dialogs cannot open a window on this desktop" +
           (error ? " (" + platform::describeSystemError(error) + ")" : std::string()) +
           "; give a script instead: dphost --script FILE CLIENTCODE";
}

Created ensureClientDirectory(const std::string& client, std::string& error) {
    const std::wstring path = platform::widen(client);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Created::Existed;
    wchar_t full[MAX_PATH * 4];
    const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    const std::wstring where = n > 0 && n < std::size(full) ? std::wstring(full, n) : path;
    const std::wstring question =
        L"The client directory " + where + L" does not exist.\nCreate it as a new, empty client?";
    // No is the default: a mistyped code must take a deliberate Yes to become a client.
    if (MessageBoxW(nullptr, question.c_str(), L"dphost", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 |
                                                                    MB_TOPMOST | MB_SETFOREGROUND) != IDYES)
        return Created::Declined;
    if (CreateDirectoryW(path.c_str(), nullptr)) return Created::Made;
    error = platform::describeSystemError(GetLastError());
    return Created::Failed;
}

}  // namespace host
