// Which paper the rendered pages go on: a print queue's default media as the print service tells
// it, with the edges its printer cannot print; for a PDF file and the screen the paper of the
// locale. The fitting of the page onto it is the renderer's (render/paper.h).
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "render/paper.h"

namespace listout {

struct PaperChoice {
    dprender::Paper paper;
    dprender::Margins margins;
};

// The paper DP_PAPER names (A4, Letter, a PWG name, ...), when it is set to one.
inline std::optional<dprender::Paper> paperSetting() {
    const char* setting = std::getenv("DP_PAPER");
    return setting && *setting ? dprender::paperFromName(setting) : std::nullopt;
}

// DP_PAPER when set; else the locale's paper: on Linux its LC_PAPER (LC_ALL, LC_PAPER or LANG
// naming a locale other than C or POSIX), else /etc/papersize; on Windows the user's locale
// (paperOfWindowsLocale); else Letter. The margins are a printer's usual ones.
PaperChoice localePaper();

#ifdef _WIN32
// The paper of a Windows locale's paper size code (LOCALE_IPAPERSIZE): 1 Letter, 5 Legal, 8 A3,
// 9 A4; nullopt for any other.
std::optional<dprender::Paper> paperOfWindowsLocale(int code);
#else
// The queue's default media and its margins as CUPS tells them; the locale's paper when the
// print service does not say. Windows has no such question: a printer's device context tells
// the paper it is set up for and its printable area when it prints (gdi_printing_win32.h).
PaperChoice queuePaper(const std::string& queue);
#endif

}  // namespace listout
