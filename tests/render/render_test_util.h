// Helpers of the renderer tests: the golden printer files, running the poppler tools on a
// rendered PDF, and the words pdftotext finds on a page with their boxes.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "render/render.h"
#include "support/client_dir.h"

namespace rendertest {

inline std::string golden(const std::string& name) { return std::string(DP_SOURCE_DIR) + "/tests/golden/" + name; }

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string quoted(const std::string& s) { return "'" + s + "'"; }

struct Ran {
    int status = -1;
    std::string out;  // standard output and standard error together
};

inline Ran run(const std::string& command) {
    Ran r;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int rc = ::pclose(p);
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return r;
}

// Renders a file to a PDF in `dir`; the test fails when the renderer does.
inline std::string renderPdf(const std::string& input, const std::string& pdf) {
    dprender::RenderRequest req;
    req.input = input;
    req.output = pdf;
    const dprender::RenderResult res = dprender::renderFile(req);
    if (!res.ok) ADD_FAILURE() << input << ": " << res.error;
    return pdf;
}

inline int pdfPages(const std::string& pdf) {
    const Ran r = run("pdfinfo " + quoted(pdf));
    std::smatch m;
    static const std::regex pages(R"(Pages:\s+(\d+))");
    if (r.status != 0 || !std::regex_search(r.out, m, pages)) return -1;
    return std::stoi(m[1]);
}

struct Word {
    double xMin, yMin, xMax, yMax;  // points from the top left of the page
    std::string text;
    double midY() const { return (yMin + yMax) / 2; }
};

// The words of one page (from 1) as pdftotext -bbox finds them.
inline std::vector<Word> pdfWords(const std::string& pdf, int page) {
    const Ran r = run("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + quoted(pdf) + " -");
    std::vector<Word> words;
    static const std::regex word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), word); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        words.push_back({std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), m[5]});
    }
    return words;
}

// Page geometry of the renderer: points of the top of printed line `line` (from 0) and of the
// left edge of column `col` (from 0) at `cpi`.
inline double lineY(double line) { return 18.0 + 12.0 * line; }
inline double columnX(double col, double cpi = 10) { return 21.6 + col * 72.0 / cpi; }

// The depreciation report's 132 columns inside the sheet's margins on every page; on page 1 the
// column heading's last column (131, at 17 characters an inch) ends where the condensed print
// puts it, and "Page" starts at column 123.
inline void expectReportColumnsInsideThePage(const std::string& pdf, int pages) {
    for (int page = 1; page <= pages; ++page) {
        const std::vector<Word> words = pdfWords(pdf, page);
        EXPECT_GT(words.size(), 20u) << page;
        for (const Word& w : words) {
            EXPECT_GE(w.xMin, 18.0) << w.text << " page " << page;
            EXPECT_LE(w.xMax, 612.0 - 18.0) << w.text << " page " << page;
            EXPECT_LE(w.yMax, 792.0 - 18.0) << w.text << " page " << page;
        }
    }
    const std::vector<Word> words = pdfWords(pdf, 1);
    const auto ending = std::find_if(words.begin(), words.end(), [](const Word& w) { return w.text == "Ending"; });
    ASSERT_NE(ending, words.end());
    EXPECT_NEAR(ending->xMax, columnX(131, 17), 1.0);
    const auto page = std::find_if(words.begin(), words.end(), [](const Word& w) { return w.text == "Page"; });
    ASSERT_NE(page, words.end());
    EXPECT_NEAR(page->xMin, columnX(122, 17), 1.0);
}

}  // namespace rendertest
