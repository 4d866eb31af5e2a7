// The print-out: the command text for the spooler, the loading of the suite's printer libraries,
// the printer choice and the spooler's printing to a file or a print queue.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "report/print_report.h"
#include "report_test_util.h"
#include "suite_printing.h"

namespace fs = std::filesystem;
using dptest::ScriptRun;
using dptest::TempClient;
using reporttest::EnvVar;
using reporttest::Installed;
using reporttest::PrintingBackend;

namespace {

// What a command says on its standard output.
std::string rendertestRun(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[512];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

struct CommandCase {
    const char* reply;
    const char* reportName;
    const char* command;
};

TEST(PrintCommand, BuiltFromTheReplyAndTheReportName) {
    const CommandCase cases[] = {
        {"", "DPRPT", ""},
        {"1*LPT1**Y", "DPRPT", "r.txt,LPT1,,/80/FP/ZM"},
        {"1*LPT1**N", "DPRPT", "r.txt,LPT1,,/NP/80/FP"},
        {"1* LPT2: **Y", "DPRPT", "r.txt,LPT2,,/80/FP/ZM"},
        {"1*LPT2:*x*Y", "AMORT", "r.txt,LPT2,x,/ZM"},
        {"1*LPT1**N", "amort", "r.txt,LPT1,,/NP"},
        {"1*LPT1**N", "4562", "r.txt,LPT1,,/NP"},
        {"1*LPT1**Y", "4562", "r.txt,LPT1,,/ZM"},
        {"1*LPT1**Y", "dprpt", "r.txt,LPT1,,/ZM"},   // the name is compared exactly
        {"1*LPT1**Y", "DPRPT ", "r.txt,LPT1,,/ZM"},
        {"1*LPT1**n", "DPRPT", "r.txt,LPT1,,/80/FP/ZM"},
        {"1*LPT1** N", "DPRPT", "r.txt,LPT1,,/80/FP/ZM"},
        {"1*LPT1", "DPRPT", "r.txt,LPT1,,/80/FP/ZM"},  // missing fields are empty
        {"1", "X", "r.txt,,,/ZM"},
        {"1*FILE*/tmp/copy.txt*Y*extra", "DPRPT", "r.txt,FILE,/tmp/copy.txt,/80/FP/ZM"},
        {"1*::**Y", "X", "r.txt,:,,/ZM"},  // only one trailing colon goes
        {"*", "X", "r.txt,,,/ZM"},
    };
    for (const CommandCase& c : cases)
        EXPECT_EQ(dp::listOutCommand("r.txt", c.reply, c.reportName), c.command) << c.reply << " " << c.reportName;
}

class PrintOut : public ::testing::Test {
protected:
    void SetUp() override { reporttest::resetModuleState(); }
    TempClient client;
    std::string file() {
        const std::string f = client.path("report.txt");
        std::ofstream(f, std::ios::binary) << "line 1\r\n\f\r\n";
        return f;
    }
    // A directory of stand-in commands put in front of PATH.
    std::string fakeCommand(const std::string& name, const std::string& body) {
        const std::string dir = client.path("bin");
        fs::create_directories(dir);
        const std::string path = dir + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return dir;
    }
};

TEST_F(PrintOut, ScriptedReplyReachesTheSpoolerAsCommandText) {
    const std::string f = file();
    ScriptRun run("printer 1*LPT1:**Y\n");
    dp::printReportFile(f, f, "DPRPT");
    EXPECT_EQ(run.transcript(), "print: " + f + ",LPT1,,/80/FP/ZM\n");
}

TEST_F(PrintOut, CancelledChoicePrintsNothingAndSaysNothing) {
    const std::string f = file();
    ScriptRun run("printer cancel\n");
    dp::printReportFile(f, f, "DPRPT");
    EXPECT_EQ(run.transcript(), "");
}

TEST_F(PrintOut, MissingLibraryIsReportedAndNothingIsPrinted) {
    const std::string f = file();
    EnvVar dir("DP_SUITE_LIBDIR", client.code());
    ScriptRun run("");
    dp::printReportFile(f, f, "DPRPT");
    const std::string t = run.transcript();
    EXPECT_EQ(t.rfind("message: Print | The printer selection library libdevpick.so cannot be loaded, so nothing "
                      "was printed.",
                      0),
              0u)
        << t;
    EXPECT_EQ(t.find("print:"), std::string::npos);
}

TEST_F(PrintOut, FileChoiceOfTheRealPrinterDialogSavesACopy) {
    const std::string f = file();
    const std::string copy = client.path("saved copy.txt");
    EnvVar path("PATH", fakeCommand("lpstat", "echo Laser1; echo Ink2") + ":" + std::getenv("PATH"));
    Installed<PrintingBackend> b("select 201 2\ntype 202 " + copy + "\nclick 301\n");
    dp::printReportFile(f, f, "4562");
    EXPECT_EQ(b->log.str(), "dialog: Select Printer\nprint: " + f + ",FILE," + copy + ",/ZM\n");
    EXPECT_EQ(reporttest::fileText(copy), "line 1\r\n\f\r\n");
}

TEST_F(PrintOut, APrinterGetsTheRenderedPdfUnlessSentAsIs) {
    const std::string f = file();
    const std::string args = client.path("lp-args");
    const std::string job = client.path("lp-job");
    const std::string bin = fakeCommand("lpstat", "echo Laser1; echo Ink2");
    // The stand-in for lp keeps its arguments and a copy of the file it was handed.
    fakeCommand("lp", "for a in \"$@\"; do echo \"$a\"; last=\"$a\"; done > '" + args + "'; cp \"$last\" '" + job + "'");
    EnvVar path("PATH", bin + ":" + std::getenv("PATH"));
    {
        Installed<PrintingBackend> b("select 201 1\nclick 301\n");
        dp::printReportFile(f, f, "DPRPT");
        EXPECT_EQ(b->log.str(), "dialog: Select Printer\nprint: " + f + ",Ink2,,/80/FP/ZM\n");
        const std::string lpArgs = reporttest::fileText(args);
        const std::string title = "Depreciation Report - " + fs::path(client.code()).filename().string();
        EXPECT_EQ(lpArgs.rfind("-d\nInk2\n-t\n" + title + "\n", 0), 0u) << lpArgs;
        EXPECT_EQ(lpArgs.find("raw"), std::string::npos) << lpArgs;
        EXPECT_EQ(reporttest::fileText(job).rfind("%PDF-", 0), 0u);
        // The rendered pages were a temporary file: gone once the print service had them.
        const std::string handed = lpArgs.substr(8 + 4 + title.size(), lpArgs.size() - 9 - 4 - title.size());
        EXPECT_FALSE(fs::exists(handed)) << handed;
    }
    {
        Installed<PrintingBackend> b("select 201 0\ncheck 203\nclick 301\n");
        dp::printReportFile(f, f, "AMORT");
        EXPECT_EQ(b->log.str(), "dialog: Select Printer\nprint: " + f + ",Laser1,RAW,/ZM\n");
        EXPECT_EQ(reporttest::fileText(args), "-d\nLaser1\n-t\nAmortization Schedule - " +
                                                  fs::path(client.code()).filename().string() + "\n-o\nraw\n" + f + "\n");
        EXPECT_EQ(reporttest::fileText(job), "line 1\r\n\f\r\n");
    }
}

TEST_F(PrintOut, PdfFileAndScreenChoices) {
    const std::string f = file();
    const std::string pdf = client.path("report copy.pdf");
    EnvVar path("PATH", fakeCommand("lpstat", "echo Laser1") + ":" + std::getenv("PATH"));
    EnvVar paper("DP_PAPER", "A4");
    {
        // Laser1, File, PDF file, Screen: the PDF is written whole under the name typed, on the
        // paper set.
        Installed<PrintingBackend> b("select 201 2\ntype 202 " + pdf + "\nclick 301\n");
        dp::printReportFile(f, f, "DPRPT");
        EXPECT_EQ(b->log.str(), "dialog: Select Printer\nprint: " + f + ",#PDF," + pdf + ",/80/FP/ZM\n");
        EXPECT_EQ(reporttest::fileText(pdf).rfind("%PDF-", 0), 0u);
        const std::string info = rendertestRun("pdfinfo '" + pdf + "'");
        EXPECT_NE(info.find("Depreciation Report - " + fs::path(client.code()).filename().string()), std::string::npos) << info;
        EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
    }
    {
        Installed<PrintingBackend> b("select 201 3\nclick 301\n");
        dp::printReportFile(f, f, "4562");
        EXPECT_EQ(b->log.str(), "dialog: Select Printer\nprint: " + f + ",#SCREEN,,/ZM\nview: Amortization Schedule - " +
                                    fs::path(client.code()).filename().string() + " (A4) (1 page)\n");
    }
    {
        // The raw box is for printers only, a "*" cannot be part of a file name.
        Installed<PrintingBackend> b("select 201 2\ntype 202 a*b.pdf\nclick 301\ncheck 203\n");
        EXPECT_THROW(dp::printReportFile(f, f, "4562"), platform::ScriptStop);
        EXPECT_EQ(b->log.str().find("dialog: Select Printer\nmessage: Select Printer | A file name cannot contain \"*\".\n"), 0u)
            << b->log.str();
    }
}

TEST_F(PrintOut, PrinterDialogCancelAndEmptyFileName) {
    const std::string f = file();
    EnvVar path("PATH", fakeCommand("lpstat", "exit 1") + ":" + std::getenv("PATH"));
    Installed<PrintingBackend> b("select 201 0\nclick 301\nclick 302\n");
    dp::printReportFile(f, f, "DPRPT");
    // With no print service only "File" is offered; it needs a name.
    EXPECT_EQ(b->log.str(),
              "dialog: Select Printer\nmessage: Select Printer | Type the name of the file to save the report in.\n");
}

class Spooler : public PrintOut {
protected:
    void SetUp() override {
        PrintOut::SetUp();
        handle_ = ::dlopen((std::string(DP_BINARY_DIR) + "/suite/listout/liblistout.so").c_str(), RTLD_NOW);
        ASSERT_NE(handle_, nullptr) << ::dlerror();
        listOut_ = reinterpret_cast<ListOutFunction>(::dlsym(handle_, SUITE_LIST_OUT_ENTRY));
        ASSERT_NE(listOut_, nullptr);
    }
    void* handle_ = nullptr;
    ListOutFunction listOut_ = nullptr;
};

TEST_F(Spooler, FailuresAreShownInAMessageBox) {
    const std::string f = file();
    const std::string bin = fakeCommand("lp", "echo 'lp: The printer or class does not exist.' >&2; exit 1");
    EnvVar path("PATH", bin + ":" + std::getenv("PATH"));
    Installed<PrintingBackend> b("");
    const struct {
        std::string command;
        std::string message;
    } cases[] = {
        {f + ",Nowhere,,/80/FP/ZM",
         "Printing " + f + " on Nowhere failed: lp ended with status 1: lp: The printer or class does not exist."},
        {f + ",FILE," + client.path("no/such/dir/x.txt") + ",/ZM",
         "The report could not be saved as " + client.path("no/such/dir/x.txt") +
             " (the file or folder does not exist); nothing there was changed."},
        {f + ",FILE,,/ZM", "No file name was given for the copy of " + f + "."},
        {f + ",#PDF,,/ZM", "No file name was given for the PDF of " + f + "."},
        {f + ",#PDF," + client.path("no/dir/x.pdf") + ",/ZM",
         "The report could not be saved as the PDF " + client.path("no/dir/x.pdf") + ". The file " +
             client.path("no/dir/x.pdf") + " cannot be written: No such file or directory."},
        {f + ",,,/ZM", "No printer was chosen for " + f + "."},
        {client.path("missing.txt") + ",LPT1,,/ZM", "The file " + client.path("missing.txt") + " to be printed does not exist."},
        {"no commas", "The print command \"no commas\" is not of the form file,device,field3,options."},
    };
    std::string expected;
    for (const auto& c : cases) {
        EXPECT_EQ(listOut_(c.command.c_str(), 0), -1) << c.command;
        expected += "print: " + c.command + "\nmessage: Print | " + c.message + "\n";
    }
    EXPECT_EQ(b->log.str(), expected);
}

TEST_F(Spooler, ACommaInTheFileOrTargetPathIsKept) {
    fs::create_directories(client.path("a,b"));
    const std::string f = client.path("a,b/report.txt");
    std::ofstream(f, std::ios::binary) << "x";
    const std::string target = client.path("copy,1.txt");
    Installed<PrintingBackend> b("");
    EXPECT_EQ(listOut_((f + ",FILE," + target + ",/ZM").c_str(), 0), 0);
    EXPECT_EQ(reporttest::fileText(target), "x");
}

TEST_F(Spooler, ScriptedRunsOnlyRecordTheCommand) {
    ScriptRun run("");
    EXPECT_EQ(listOut_("/nonexistent,LPT1,,/ZM", 0), 0);
    EXPECT_EQ(run.transcript(), "print: /nonexistent,LPT1,,/ZM\n");
}

TEST_F(Spooler, AHangingPrintServiceIsGivenUp) {
    const std::string f = file();
    EnvVar path("PATH", fakeCommand("lp", "exec sleep 30") + ":" + std::getenv("PATH"));
    EnvVar timeout("DP_PRINT_TIMEOUT", "1");
    Installed<PrintingBackend> b("");
    EXPECT_EQ(listOut_((f + ",Slow,,/ZM").c_str(), 0), -1);
    EXPECT_NE(b->log.str().find("the print service did not answer within 1 seconds"), std::string::npos) << b->log.str();
}

TEST(PickDevice, ReplyIsCutToTheBufferAndAScriptWithoutAnswerStops) {
    void* h = ::dlopen((std::string(DP_BINARY_DIR) + "/suite/devpick/libdevpick.so").c_str(), RTLD_NOW);
    ASSERT_NE(h, nullptr) << ::dlerror();
    auto pick = reinterpret_cast<PickDeviceFunction>(::dlsym(h, SUITE_PICK_DEVICE_ENTRY));
    ASSERT_NE(pick, nullptr);
    const std::int32_t n999 = 999, n20 = 20, zero = 0;
    void* instance = nullptr;
    char reply[8];
    {
        ScriptRun run("printer 1*LASERJET**Y\n");
        EXPECT_EQ(pick(&instance, "t", &n999, &n20, &zero, &zero, reply, sizeof reply), 7);
        EXPECT_STREQ(reply, "1*LASER");
    }
    {
        ScriptRun run("click 301\n");
        EXPECT_THROW(pick(&instance, "t", &n999, &n20, &zero, &zero, reply, sizeof reply), platform::ScriptStop);
    }
}

}  // namespace
