// Files that are not what the module writes: each gives pages or a clear error, never a crash
// or a hang, and what is written is a PDF a reader opens.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "render_test_util.h"

using namespace rendertest;

namespace {

const std::string ESC = "\x1b";

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

TEST(BadInput, EveryOddFileRendersToAPdf) {
    const struct {
        const char* what;
        std::string bytes;
        int pages;
    } cases[] = {
        {"empty", "", 1},
        {"unknown and truncated commands", "A" + ESC + "!" + ESC + "\"" + ESC + "(V\x02" + ESC + "X", 1},
        {"bytes above 127 everywhere", std::string("\x80\xb0\xb1\xb2\xdb\xfe\xff\xe0\x9b", 9) + "\r\n\xcd\xcd", 1},
        {"a line of 20000 characters", std::string(20000, 'W'), 1},
        {"reverse feeds far past the top", std::string(500, '\n') + [] {
             std::string s;
             for (int i = 0; i < 2000; ++i) s += ESC + "j\xff";
             return s;
         }() + "top",
         8},
        {"no line ends, only carriage returns", std::string(3000, 'x') + "\r" + std::string(3000, 'y'), 1},
        {"random bytes", randomBytes(20000, 7), -1},
        {"sizes and pitches at their limits", ESC + "X\x01\xff\xff" + "big" + ESC + "\"Q\xff" + "tiny" + ESC + "X\xff\x01\x00" + "z", 1},
    };
    dptest::TempClient dir;
    for (const auto& c : cases) {
        writeFile(dir.path("in.txt"), c.bytes);
        dprender::RenderRequest req;
        req.input = dir.path("in.txt");
        req.output = dir.path("out.pdf");
        const dprender::RenderResult res = dprender::renderFile(req);
        ASSERT_TRUE(res.ok) << c.what << ": " << res.error;
        const int pages = pdfPages(req.output);
        if (c.pages > 0) EXPECT_EQ(pages, c.pages) << c.what;
        else EXPECT_GE(pages, 1) << c.what;
        EXPECT_EQ(pages, res.pages) << c.what;
    }
}

// 50 megabytes: without a line end the sheet takes what fits and the rest is noted; printed
// over itself without end, the reading stops with an error and leaves no PDF.
TEST(BadInput, FiftyMegabytes) {
    dptest::TempClient dir;
    const std::size_t size = 50u << 20;
    {
        std::string line(size, 'M');
        writeFile(dir.path("long.txt"), line);
    }
    dprender::RenderRequest req;
    req.input = dir.path("long.txt");
    req.output = dir.path("long.pdf");
    dprender::RenderResult res = dprender::renderFile(req);
    ASSERT_TRUE(res.ok) << res.error;
    EXPECT_EQ(res.pages, 1);
    EXPECT_EQ(res.notes.clippedGlyphs, size - 80);

    {
        std::string flood;
        flood.reserve(size);
        while (flood.size() < size) flood += "X\r";
        writeFile(dir.path("flood.txt"), flood);
    }
    req.input = dir.path("flood.txt");
    req.output = dir.path("flood.pdf");
    res = dprender::renderFile(req);
    EXPECT_FALSE(res.ok);
    EXPECT_NE(res.error.find("cannot be rendered: page 1 holds more than"), std::string::npos) << res.error;
    EXPECT_FALSE(std::filesystem::exists(req.output));
}

// Only an ordinary printer file of a sound size is read: a pipe is not waited on, a device is not
// read without end; and the work file is made new, so a link standing under its name is never
// written through.
TEST(BadInput, WhatIsNoPrinterFileIsRefusedAtOnce) {
    dptest::TempClient dir;
    ASSERT_EQ(::mkfifo(dir.path("pipe.txt").c_str(), 0600), 0);
    std::filesystem::create_directories(dir.path("folder.txt"));
    writeFile(dir.path("huge.txt"), "");
    std::filesystem::resize_file(dir.path("huge.txt"), (std::uintmax_t{64} << 20) + 1);
    const struct {
        std::string input, says;
    } cases[] = {
        {dir.path("pipe.txt"), "is not an ordinary file."},
        {"/dev/zero", "is not an ordinary file."},
        {dir.path("folder.txt"), "is not an ordinary file."},
        {dir.path("huge.txt"), "is larger than a printer file can be."},
    };
    for (const auto& c : cases) {
        dprender::RenderRequest req;
        req.input = c.input;
        req.output = dir.path("out.pdf");
        const auto start = std::chrono::steady_clock::now();
        const dprender::RenderResult res = dprender::renderFile(req);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.input;
        EXPECT_FALSE(res.ok) << c.input;
        EXPECT_EQ(res.error, "The file " + c.input + " " + c.says) << c.input;
        EXPECT_FALSE(std::filesystem::exists(req.output)) << c.input;
    }
    writeFile(dir.path("in.txt"), "A\r\n");
    writeFile(dir.path("victim.txt"), "kept");
    const std::string work = dir.path("out.pdf") + ".part-" + std::to_string(::getpid());
    std::filesystem::create_symlink(dir.path("victim.txt"), work);
    dprender::RenderRequest req;
    req.input = dir.path("in.txt");
    req.output = dir.path("out.pdf");
    const dprender::RenderResult res = dprender::renderFile(req);
    EXPECT_FALSE(res.ok);
    EXPECT_NE(res.error.find("cannot be written: File exists."), std::string::npos) << res.error;
    EXPECT_EQ(readFile(dir.path("victim.txt")), "kept");
    EXPECT_TRUE(std::filesystem::is_symlink(work)) << "what stood there is left alone";
}

}  // namespace
