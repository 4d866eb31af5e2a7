#include "paper_choice.h"

#include <cups/cups.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace listout {
namespace {

// The locale LC_PAPER comes from, as the C library picks it.
std::string paperLocaleName() {
    for (const char* var : {"LC_ALL", "LC_PAPER", "LANG"})
        if (const char* v = std::getenv(var); v && *v) return v;
    return {};
}

bool fromLocale(dprender::Paper& paper) {
    const std::string name = paperLocaleName();
    if (name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0) return false;
    locale_t loc = ::newlocale(LC_PAPER_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (loc == static_cast<locale_t>(nullptr)) return false;
    // glibc gives the sizes as whole millimetres in the pointer-sized answer.
    const auto height = static_cast<int>(reinterpret_cast<std::intptr_t>(::nl_langinfo_l(_NL_PAPER_HEIGHT, loc)));
    const auto width = static_cast<int>(reinterpret_cast<std::intptr_t>(::nl_langinfo_l(_NL_PAPER_WIDTH, loc)));
    ::freelocale(loc);
    if (height <= 0 || width <= 0) return false;
    paper = dprender::paperFromMillimetres(width, height);
    return true;
}

bool fromPapersizeFile(dprender::Paper& paper) {
    std::ifstream in("/etc/papersize");
    if (!in) return false;
    std::stringstream text;
    text << in.rdbuf();
    const std::optional<dprender::Paper> p = dprender::paperFromPapersizeText(text.str());
    if (p) paper = *p;
    return p.has_value();
}

}  // namespace

PaperChoice localePaper() {
    PaperChoice c{dprender::letterPaper(), dprender::usualMargins()};
    if (const std::optional<dprender::Paper> p = paperSetting()) c.paper = *p;
    else if (!fromLocale(c.paper)) fromPapersizeFile(c.paper);
    return c;
}

PaperChoice queuePaper(const std::string& queue) {
    PaperChoice c = localePaper();
    cups_dest_t* dest = ::cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr);
    if (!dest) return c;
    if (cups_dinfo_t* info = ::cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        cups_size_t size{};
        if (::cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) && size.width > 0 && size.length > 0) {
            // Sizes and margins in hundredths of a millimetre.
            const double mm = 0.01 * dprender::kPointsPerMillimetre;
            std::optional<dprender::Paper> named = dprender::paperFromName(size.media);
            c.paper = named ? *named : dprender::paperFromMillimetres(size.width / 100.0, size.length / 100.0);
            c.paper.widthPt = size.width * mm;
            c.paper.heightPt = size.length * mm;
            c.margins = {size.left * mm, size.top * mm, size.right * mm, size.bottom * mm};
        }
        ::cupsFreeDestInfo(info);
    }
    ::cupsFreeDests(1, dest);
    return c;
}

}  // namespace listout
