#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "platform/native_text.h"
#include "save_as.h"

namespace devpick {
namespace {

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// "SAMPLE\report.txt" suggests "report.pdf" in the folder SAMPLE.
void suggestionFor(const std::string& printed, std::string& name, std::string& folder) {
    const std::size_t slash = printed.find_last_of("/\\");
    folder = slash == std::string::npos ? std::string() : printed.substr(0, slash);
    std::string base = slash == std::string::npos ? printed : printed.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    name = base.empty() ? std::string() : base + ".pdf";
}

}  // namespace

std::optional<std::string> askPdfFileName(const std::string& typed, const std::string& printed) {
    std::string name = typed, folder;
    if (blank(typed)) suggestionFor(printed, name, folder);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring start = platform::widen(name);
    std::copy(start.begin(), start.begin() + static_cast<std::ptrdiff_t>(std::min(start.size(), file.size() - 1)),
              file.begin());
    const std::wstring dir = platform::widen(folder);
    static const wchar_t filter[] = L"PDF file (*.pdf)\0*.pdf\0All files (*.*)\0*.*\0";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrTitle = L"Save the PDF file as";
    ofn.lpstrDefExt = L"pdf";
    // Whether an existing file may be replaced is the print spooling's question, asked once.
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return std::nullopt;
    return platform::narrow(file.data());
}

}  // namespace devpick
