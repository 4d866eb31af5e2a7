// Where a printed report may go on Windows: a device's name (con.pdf, lpt1.pdf), a part of a file
// (a stream) and a client's books under any name Windows gives them are refused as on Linux, an
// existing file is replaced only when the user says so (No the default), and the renderer reads
// only ordinary files and never writes into a device.
#include <gtest/gtest.h>

#include "platform/backend.h"
#include "print_target.h"
#include "render/render.h"
#include "render_test_support.h"

using namespace wintest;

namespace {

TEST(PrintTargetOnWindows, DevicesStreamsAndTheBooksByAnyNameAreRefused) {
    TempFolder dir;
    for (const char* name : {"depr.fil", "deprrecs.fil", "report.txt"}) writeBytes(dir.file(name), "kept");
    const std::string printed = dir.file("report.txt");
    const std::string device = "is not an ordinary file (a device or a pipe)", books = "is a file of a client's books",
                      stream = "names a part of a file (a stream), not a file";
    const struct {
        std::string target, problem;
    } cases[] = {
        {dir.file("con.pdf"), device},
        {dir.file("LPT1.pdf"), device},
        {dir.file("nul"), device},
        {dir.file("Com3.txt"), device},
        {dir.file("aux .pdf"), device},
        {dir.file("CONOUT$"), device},
        {dir.file("depr.fil."), books},
        {dir.file("DEPR.FIL "), books},
        {dir.file("company.fil.."), books},
        {dir.file("depr.fil::$DATA"), stream},
        {dir.file("out.pdf:hidden"), stream},
        {dir.file("report.txt."), "is one of the client's printer files"},
    };
    for (const auto& c : cases) EXPECT_EQ(printtarget::targetProblem(printed, c.target), c.target + " " + c.problem);
    // The short name Windows may give deprrecs.fil is the same file.
    char shortName[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(dir.file("deprrecs.fil").c_str(), shortName, MAX_PATH);
    if (n > 0 && n < MAX_PATH && printtarget::fileNameOf(shortName) != "deprrecs.fil") {
        EXPECT_EQ(printtarget::targetProblem(printed, shortName), std::string(shortName) + " " + books);
    }
    // Names that only look like those are ordinary.
    for (const char* name : {"console.pdf", "lpt10.pdf", "nul-report.pdf", "com.pdf", "depr.fil.pdf"})
        EXPECT_EQ(printtarget::targetProblem(printed, dir.file(name)), "") << name;
    for (const char* name : {"depr.fil", "deprrecs.fil", "report.txt"}) EXPECT_EQ(readBytes(dir.file(name)), "kept");
}

// Notes the question and answers with its default button, as Enter would.
class AnswersWithTheDefault final : public platform::Backend {
public:
    void runModal(platform::Dialog&) override {}
    platform::MsgResult message(const std::string& text, const std::string&, platform::MsgIcon, platform::MsgButtons b,
                                platform::MsgDefault d) override {
        asked += text;
        buttons = b;
        return d == platform::MsgDefault::Second ? platform::MsgResult::No : platform::MsgResult::Yes;
    }
    int runAndWait(const std::string&) override { return 0; }

    std::string asked;
    platform::MsgButtons buttons = platform::MsgButtons::Ok;
};

TEST(PrintTargetOnWindows, AnExistingFileIsKeptUnlessTheUserSaysReplace) {
    TempFolder dir;
    writeBytes(dir.file("report.txt"), "report");
    writeBytes(dir.file("saved.pdf"), "old");
    auto owned = std::make_unique<AnswersWithTheDefault>();
    AnswersWithTheDefault* b = owned.get();
    platform::setBackend(std::move(owned));
    EXPECT_FALSE(printtarget::mayWrite(dir.file("report.txt"), dir.file("saved.pdf")));
    EXPECT_NE(b->asked.find("already exists"), std::string::npos) << b->asked;
    EXPECT_EQ(b->buttons, platform::MsgButtons::YesNo);
    EXPECT_TRUE(printtarget::mayWrite(dir.file("report.txt"), dir.file("new.pdf")));
    platform::setBackend(nullptr);
    EXPECT_EQ(readBytes(dir.file("saved.pdf")), "old");
}

TEST(PrintTargetOnWindows, TheRendererReadsOnlyOrdinaryFilesAndWritesNoDevice) {
    TempFolder dir;
    CreateDirectoryA(dir.file("folder.txt").c_str(), nullptr);
    for (const std::string& input : {std::string("NUL"), std::string("CON"), dir.file("folder.txt")}) {
        dprender::RenderRequest req;
        req.input = input;
        req.output = dir.file("out.pdf");
        const dprender::RenderResult res = dprender::renderFile(req);
        EXPECT_FALSE(res.ok) << input;
        EXPECT_NE(res.error.find(input), std::string::npos) << res.error;
    }
    RemoveDirectoryA(dir.file("folder.txt").c_str());
    // Its work file beside con.pdf would be the console: nothing is written there.
    dprender::RenderRequest req;
    req.input = sourceFile("tests/golden/report/book_basis.txt");
    req.output = dir.file("con.pdf");
    EXPECT_FALSE(dprender::renderFile(req).ok);
    EXPECT_EQ(dir.count(), 0) << "no work file left";
}

}  // namespace
