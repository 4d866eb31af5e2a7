// Rendering the depreciation report of a full register (32767 rows, about 700 pages) to PDF,
// and the reading alone. The memory counters sample the resident size while the pages stream
// out: it stays level from the 50th page to the last, since only the page being drawn is held.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench_register.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "render/draw.h"
#include "render/parser.h"
#include "render/render.h"
#include "report/depreciation_report.h"

namespace fs = std::filesystem;

namespace {

// The report.txt of the full register, written once by the module's own report run.
const std::string& fullReport() {
    static const std::string path = [] {
        static benchregister::BenchClient client;
        const fs::path previous = fs::current_path();
        fs::current_path(fs::path(DP_SOURCE_DIR) / "data");  // the rate tables
        std::ostringstream transcript;
        platform::setBackend(platform::makeScriptedBackend("click 301\nprinter cancel\n", &transcript));
        dp::RunDepreciationReport(client.code());
        platform::setBackend(nullptr);
        fs::current_path(previous);
        return dp::dataPath(client.code(), "report.txt");
    }();
    return path;
}

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void BM_RenderReport32767ToPdf(benchmark::State& state) {
    const std::string input = fullReport();
    const std::string output = (fs::temp_directory_path() / "dpbench-render.pdf").string();
    std::string error;
    const dprender::Fonts* fonts = dprender::Fonts::get(error);
    if (!fonts) {
        state.SkipWithError(error.c_str());
        return;
    }
    int pages = 0;
    double rssAt50 = 0, rssAtEnd = 0;
    for (auto _ : state) {
        std::FILE* out = std::fopen(output.c_str(), "wb");
        dprender::PdfWriter pdf(out, *fonts);
        dprender::Parser parser(dprender::drawingParseOptions(*fonts), [&](dprender::Page&& page) {
            if (page.number == 50) rssAt50 = residentMegabytes();
            return pdf.addPage(page);
        });
        std::ifstream in(input, std::ios::binary);
        std::vector<char> buf(1 << 20);
        while (in.read(buf.data(), static_cast<std::streamsize>(buf.size())) || in.gcount() > 0)
            parser.feed(std::string_view(buf.data(), static_cast<std::size_t>(in.gcount())));
        parser.finish();
        rssAtEnd = residentMegabytes();
        if (!pdf.close()) state.SkipWithError(pdf.error().c_str());
        std::fclose(out);
        pages = pdf.pages();
    }
    state.counters["pages"] = pages;
    state.counters["report_MB"] = static_cast<double>(platform::fileSize(input)) / (1024.0 * 1024.0);
    state.counters["pdf_MB"] = static_cast<double>(platform::fileSize(output)) / (1024.0 * 1024.0);
    state.counters["rss_MB_page50"] = rssAt50;
    state.counters["rss_MB_end"] = rssAtEnd;
    fs::remove(output);
}
BENCHMARK(BM_RenderReport32767ToPdf)->Unit(benchmark::kMillisecond);

// The tool's whole path, file to file, as the print spooling runs it.
void BM_RenderFileReport32767(benchmark::State& state) {
    dprender::RenderRequest req;
    req.input = fullReport();
    req.output = (fs::temp_directory_path() / "dpbench-render-file.pdf").string();
    for (auto _ : state) {
        const dprender::RenderResult res = dprender::renderFile(req);
        if (!res.ok) state.SkipWithError(res.error.c_str());
    }
    fs::remove(req.output);
}
BENCHMARK(BM_RenderFileReport32767)->Unit(benchmark::kMillisecond);

void BM_ParseReport32767(benchmark::State& state) {
    std::ifstream in(fullReport(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string bytes = text.str();
    std::size_t runs = 0;
    for (auto _ : state) {
        runs = 0;
        dprender::Parser parser({}, [&runs](dprender::Page&& page) {
            runs += page.runs.size();
            return true;
        });
        parser.feed(bytes);
        parser.finish();
    }
    state.counters["runs"] = static_cast<double>(runs);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ParseReport32767)->Unit(benchmark::kMillisecond);

}  // namespace
