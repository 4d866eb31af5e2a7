// Which paper the rendered pages go on: a print queue's default media as the print service
// (CUPS) tells it, with the edges its printer cannot print; for a PDF file and the screen the
// paper of the locale. The fitting of the page onto it is the renderer's (render/paper.h).
#pragma once

#include <string>

#include "render/paper.h"

namespace listout {

struct PaperChoice {
    dprender::Paper paper;
    dprender::Margins margins;
};

// DP_PAPER when set (a paper name such as A4 or Letter); else the locale's LC_PAPER (LC_ALL,
// LC_PAPER or LANG naming a locale other than C or POSIX); else /etc/papersize; else Letter.
// The margins are a printer's usual ones.
PaperChoice localePaper();

// The queue's default media and its margins; the locale's paper when the print service does
// not say.
PaperChoice queuePaper(const std::string& queue);

}  // namespace listout
