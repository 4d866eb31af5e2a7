// Where a printed report may go: "File" and "PDF file" never write over a client's books, the
// file being printed or anything that is not an ordinary file, ask before they replace a file,
// and leave the old file whole when the new one cannot be written; print queue names that
// cannot travel in the reply are refused when chosen.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "print_target.h"
#include "report/print_report.h"
#include "report_test_util.h"
#include "suite_printing.h"

namespace fs = std::filesystem;
using dptest::TempClient;
using reporttest::EnvVar;
using reporttest::Installed;
using reporttest::PrintingBackend;

namespace {

// The printing backend that also notes which buttons and default button each question had.
class AskingBackend final : public platform::Backend {
public:
    explicit AskingBackend(const std::string& script) : inner_(script) {}
    void runModal(platform::Dialog& d) override { inner_.runModal(d); }
    platform::MsgResult message(const std::string& text, const std::string& title, platform::MsgIcon icon,
                                platform::MsgButtons buttons, platform::MsgDefault def) override {
        asked.push_back({buttons, def});
        return inner_.message(text, title, icon, buttons, def);
    }
    int runAndWait(const std::string& c) override { return inner_.runAndWait(c); }
    std::optional<std::string> scriptedPrinterReply() override { return std::nullopt; }
    bool printsForReal() const override { return true; }
    void transcript(const std::string& line) override { inner_.transcript(line); }
    std::string log() const { return inner_.log.str(); }

    std::vector<std::pair<platform::MsgButtons, platform::MsgDefault>> asked;

private:
    PrintingBackend inner_;
};

class PrintTarget : public ::testing::Test {
protected:
    void SetUp() override {
        reporttest::resetModuleState();
        handle_ = ::dlopen((std::string(DP_BINARY_DIR) + "/suite/listout/liblistout.so").c_str(), RTLD_NOW);
        ASSERT_NE(handle_, nullptr) << ::dlerror();
        listOut_ = reinterpret_cast<ListOutFunction>(::dlsym(handle_, SUITE_LIST_OUT_ENTRY));
        ASSERT_NE(listOut_, nullptr);
        client.writeBytes("report.txt", report);
        client.writeBytes("depr.fil", books);
        client.writeBytes("company.fil", books);
        fs::create_directories(other.path("C2"));
        std::ofstream(other.path("C2/depr.idx")) << "other client";
    }
    int32_t print(const std::string& device, const std::string& target) {
        const std::string command = client.path("report.txt") + "," + device + "," + target + ",/ZM";
        return listOut_(command.c_str(), 0);
    }
    TempClient client, other;
    const std::vector<unsigned char> report = {'r', 'e', 'p', '\r', '\n', '\f'};
    const std::vector<unsigned char> books = std::vector<unsigned char>(219, 'B');
    void* handle_ = nullptr;
    ListOutFunction listOut_ = nullptr;
};

TEST_F(PrintTarget, TheBooksThePrintedFileAndWhatIsNoFileAreRefused) {
    ASSERT_EQ(::mkfifo(client.path("pipe").c_str(), 0600), 0);  // no reader: opening it would wait
    fs::create_symlink(client.path("depr.fil"), client.path("link-to-books"));
    const struct {
        std::string target;
        std::string problem;
    } cases[] = {
        {client.path("depr.fil"), "is a file of a client's books"},
        {client.path("DEPR.FIL"), "is a file of a client's books"},
        {client.path("company.fil"), "is a file of a client's books"},
        {client.path("depr.idx"), "is a file of a client's books"},  // not there yet: still the books' name
        {other.path("C2/depr.idx"), "is a file of a client's books"},
        {client.path("DEPR2003.FIL"), "is a file of a client's books"},
        {client.path("NEW.FIL"), "is a file of a client's books"},
        {client.path("DEPR.LCK"), "is a file of a client's books"},
        {client.path("report.txt"), "is one of the client's printer files"},
        {client.path("./report.txt"), "is one of the client's printer files"},
        {client.path("T4562.FRM"), "is one of the client's printer files"},
        {client.path("pipe"), "is not an ordinary file (a device or a pipe)"},
        {"/dev/null", "is not an ordinary file (a device or a pipe)"},
        {client.code(), "is a folder"},
        {client.path(""), "is a folder, not a file name"},
    };
    for (const char* device : {"FILE", "#PDF"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(device) + " to " + c.target);
            Installed<PrintingBackend> b("");
            EXPECT_EQ(print(device, c.target), -1);
            EXPECT_NE(b->log.str().find("message: Print | Nothing was written: " + c.target + " " + c.problem + "."),
                      std::string::npos)
                << b->log.str();
        }
    }
    EXPECT_EQ(client.bytes("depr.fil"), books);
    EXPECT_EQ(client.bytes("company.fil"), books);
    EXPECT_EQ(client.bytes("report.txt"), report);
    EXPECT_FALSE(fs::exists(client.path("depr.idx")));
    // The file being printed and the books, under other names: hard links.
    fs::create_hard_link(client.path("report.txt"), client.path("same.txt"));
    fs::create_hard_link(client.path("depr.fil"), client.path("second-name.txt"));
    for (const auto& [name, problem] : {std::pair<const char*, const char*>{"same.txt", "is the file being printed."},
                                        {"second-name.txt", "is a file of a client's books."}}) {
        Installed<PrintingBackend> b("");
        EXPECT_EQ(print("FILE", client.path(name)), -1);
        EXPECT_NE(b->log.str().find(problem), std::string::npos) << b->log.str();
    }
    EXPECT_EQ(client.bytes("report.txt"), report);
    EXPECT_EQ(client.bytes("depr.fil"), books);
}

TEST_F(PrintTarget, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    const std::string target = other.path("copy.txt");
    other.writeBytes("copy.txt", {'o', 'l', 'd'});
    for (const char* answer : {"answer no\n", "enter\n"}) {  // Enter keeps the file
        SCOPED_TRACE(answer);
        Installed<AskingBackend> b(answer);
        EXPECT_EQ(print("FILE", target), -1);
        EXPECT_NE(b->log().find("message: Print | " + target + " already exists.\\nReplace it with the printed report?"),
                  std::string::npos)
            << b->log();
        ASSERT_EQ(b->asked.size(), 1u);
        EXPECT_EQ(b->asked[0].first, platform::MsgButtons::YesNo);
        EXPECT_EQ(b->asked[0].second, platform::MsgDefault::Second);
    }
    EXPECT_EQ(other.bytes("copy.txt"), (std::vector<unsigned char>{'o', 'l', 'd'}));
    {
        Installed<AskingBackend> b("answer yes\n");
        EXPECT_EQ(print("FILE", target), 0);
    }
    EXPECT_EQ(other.bytes("copy.txt"), report);
    // A link in its place is replaced itself; the file it pointed to is not written through it.
    fs::create_symlink(client.path("depr.fil"), other.path("link.txt"));
    {
        Installed<AskingBackend> b("answer yes\n");
        EXPECT_EQ(print("FILE", other.path("link.txt")), 0);
    }
    EXPECT_EQ(client.bytes("depr.fil"), books);
    EXPECT_FALSE(fs::is_symlink(other.path("link.txt")));
    EXPECT_EQ(other.bytes("link.txt"), report);
}

TEST_F(PrintTarget, AFailedWriteLeavesTheOldFileWhole) {
    const std::string target = other.path("copy.txt");
    const std::vector<unsigned char> old(5000, 'o');  // more than the new content: nothing may stay of a half write
    int failures = 0;
    for (int step = 0;; ++step) {
        SCOPED_TRACE("fault at change " + std::to_string(step));
        other.writeBytes("copy.txt", old);
        Installed<PrintingBackend> b("answer yes\n");
        platform::injectFileFault(step, platform::FileError::DiskFull);
        const int32_t result = print("FILE", target);
        const bool reached = platform::changingOperations() > step;
        platform::injectFileFault(-1);
        if (result == 0) {  // done whole (a fault after the rename it can live with)
            EXPECT_EQ(other.bytes("copy.txt"), report);
            if (!reached) break;
            continue;
        }
        ++failures;
        EXPECT_EQ(result, -1);
        EXPECT_NE(b->log.str().find("(the disk is full); nothing there was changed."), std::string::npos) << b->log.str();
        EXPECT_EQ(other.bytes("copy.txt"), old);
        for (const auto& e : fs::directory_iterator(other.code()))
            EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos) << e.path();
        ASSERT_LT(step, 20);
    }
    EXPECT_GE(failures, 4);  // the new file, its write, its flush, the rename
}

TEST_F(PrintTarget, APrinterFileThatIsNoFileIsNotPrinted) {
    ASSERT_EQ(::mkfifo(client.path("pipe.txt").c_str(), 0600), 0);
    Installed<PrintingBackend> b("");
    const std::string command = client.path("pipe.txt") + ",FILE," + other.path("x.txt") + ",/ZM";
    EXPECT_EQ(listOut_(command.c_str(), 0), -1);
    EXPECT_NE(b->log.str().find("cannot be printed: it is not an ordinary file."), std::string::npos) << b->log.str();
    EXPECT_FALSE(fs::exists(other.path("x.txt")));
}

// What Windows makes of a file name, which its printer libraries check before they write: a
// device wherever the name stands, and a name read without its trailing dots and blanks.
TEST(WindowsFileNames, DevicesAndTrailingDots) {
    const struct {
        const char* name;
        bool device;
    } cases[] = {
        {"con", true},        {"CON.pdf", true},     {"con.tar.gz", true}, {"lpt1.pdf", true}, {"Lpt9", true},
        {"COM3.txt", true},   {"aux .pdf", true},    {"nul.", true},       {"prn", true},      {"CONIN$", true},
        {"conout$.txt", true}, {"console.pdf", false}, {"lpt10.pdf", false}, {"com.pdf", false}, {"xcon.pdf", false},
        {"nul-report.pdf", false}, {"lptx.pdf", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(printtarget::namesWindowsDevice(c.name), c.device) << c.name;
    EXPECT_EQ(printtarget::asWindowsReadsIt("depr.fil."), "depr.fil");
    EXPECT_EQ(printtarget::asWindowsReadsIt("depr.fil . ."), "depr.fil");
    EXPECT_EQ(printtarget::asWindowsReadsIt("report.pdf"), "report.pdf");
    EXPECT_EQ(printtarget::asWindowsReadsIt("..."), "");
}

TEST(PrintQueueNames, ANameThatCannotTravelInTheReplyIsRefused) {
    const struct {
        const char* name;
        bool usable;
    } cases[] = {
        {"Laser1", true},   {"HP LaserJet 4", true}, {"lab*RAW", false}, {"FILE*/path", false},
        {"a,b", false},     {" lead", false},        {"trail ", false},  {"LPT1:", false},
        {"FILE", false},    {"file", false},         {"#PDF", false},    {"", false},
        {"bell\a", false},
    };
    for (const auto& c : cases) EXPECT_EQ(printtarget::queueNameProblem(c.name).empty(), c.usable) << c.name;
}

TEST(PrintQueueNames, TheChoiceShowsThemButRefusesThemWhenChosen) {
    reporttest::resetModuleState();
    TempClient dir;
    const std::string bin = dir.path("bin");
    fs::create_directories(bin);
    std::ofstream(bin + "/lpstat") << "#!/bin/sh\necho 'lab*RAW'\necho Laser1\n";
    std::ofstream(bin + "/lp") << "#!/bin/sh\nexit 0\n";
    fs::permissions(bin + "/lpstat", fs::perms::owner_all);
    fs::permissions(bin + "/lp", fs::perms::owner_all);
    EnvVar path("PATH", bin + ":" + std::getenv("PATH"));
    dir.writeBytes("report.txt", {'x'});
    Installed<PrintingBackend> b("select 201 0\nclick 301\nselect 201 1\nclick 301\n");
    dp::printReportFile(dir.path("report.txt"), dir.path("report.txt"), "DPRPT");
    EXPECT_EQ(b->log.str(), "dialog: Select Printer\nmessage: Select Printer | The printer \"lab*RAW\" cannot be used "
                            "from here: it contains \"*\", which separates the fields of a print job.\nprint: " +
                                dir.path("report.txt") + ",Laser1,,/80/FP/ZM\n");
}

}  // namespace
