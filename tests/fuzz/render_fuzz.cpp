// libFuzzer target: any bytes through the printer-file parser and the character view. The first
// byte chooses where the input is cut in two, so commands split across reads are exercised.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "render/parser.h"
#include "render/text_view.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t cut = data[0] % size;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    dprender::ParseOptions options;
    options.maxGlyphsPerPage = 20000;
    options.maxRunsPerPage = 5000;
    options.maxPages = 50;
    options.widths = dprender::FaceWidths::uniform(0.55f);
    options.widths.bold['W'] = 0.9f;
    dprender::Parser parser(options, [](dprender::Page&& page) {
        const dprender::TextPage view = dprender::textView(page);
        // Every row has one attribute per character.
        for (std::size_t r = 0; r < view.rows.size(); ++r)
            if (view.rows[r].size() != view.attrs[r].size()) __builtin_trap();
        return true;
    });
    parser.feed(bytes.substr(0, cut));
    parser.feed(bytes.substr(std::min(cut, bytes.size())));
    parser.finish();
    if (parser.pagesHandedOn() == 0 && !parser.failed() && !parser.stopped()) __builtin_trap();
    (void)dprender::describe(parser.diagnostics());
    return 0;
}
