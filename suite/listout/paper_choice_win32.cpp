#include <windows.h>

#include "paper_choice.h"

namespace listout {

std::optional<dprender::Paper> paperOfWindowsLocale(int code) {
    switch (code) {
        case 1: return dprender::letterPaper();
        case 5: return dprender::paperFromName("Legal");
        case 8: return dprender::paperFromName("A3");
        case 9: return dprender::a4Paper();
        default: return std::nullopt;
    }
}

PaperChoice localePaper() {
    PaperChoice c{dprender::letterPaper(), dprender::usualMargins()};
    DWORD code = 0;
    if (const std::optional<dprender::Paper> p = paperSetting()) {
        c.paper = *p;
    } else if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IPAPERSIZE | LOCALE_RETURN_NUMBER,
                              reinterpret_cast<LPWSTR>(&code), sizeof code / sizeof(wchar_t)) > 0) {
        if (const std::optional<dprender::Paper> p = paperOfWindowsLocale(static_cast<int>(code))) c.paper = *p;
    }
    return c;
}

}  // namespace listout
