// The depreciation report printed through a real print service: a CUPS server of the test's own
// with an A4 queue of Debian's cups-pdf, whose PDF shows every column inside the A4 page
// (pdftotext -bbox) under the job's title. The server runs as root: elsewhere the test says
// why it is skipped.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "report_test_util.h"
#include "suite_printing.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char* kPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd";

std::string output(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen((command + " 2>&1").c_str(), "r")) {
        char buf[1024];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// A backend that prints for real and says nothing.
class Printing final : public platform::Backend {
public:
    void runModal(platform::Dialog&) override { throw platform::ScriptStop("no dialog expected"); }
    platform::MsgResult message(const std::string& text, const std::string&, platform::MsgIcon,
                                platform::MsgButtons, platform::MsgDefault) override {
        said += text + "\n";
        return platform::MsgResult::Ok;
    }
    int runAndWait(const std::string&) override { return 0; }
    std::optional<std::string> scriptedPrinterReply() override { return std::nullopt; }
    bool printsForReal() const override { return true; }
    void transcript(const std::string&) override {}
    std::string said;
};

// A CUPS server in a directory of its own, listening on a socket there.
class CupsServer {
public:
    explicit CupsServer(const fs::path& root) : root_(root) {
        for (const char* d : {"spool/tmp", "cache", "state", "log", "ppd", "pdf"}) fs::create_directories(root / d);
        // The filters run as the print service's own user: it reaches the spool and the PDFs.
        for (fs::path p = root; p != p.parent_path() && p != "/tmp"; p = p.parent_path())
            fs::permissions(p, fs::perms::all, fs::perm_options::add);
        for (const char* d : {"spool", "spool/tmp", "pdf"}) fs::permissions(root / d, fs::perms::all);
        std::ofstream(root / "cupsd.conf") << "Listen " << socket() << "\nLogLevel warn\nWebInterface No\nBrowsing Off\n"
                                           << "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n";
        std::ofstream(root / "cups-files.conf")
            << "ServerRoot " << root.string() << "\nRequestRoot " << (root / "spool").string() << "\nCacheDir "
            << (root / "cache").string() << "\nStateDir " << (root / "state").string() << "\nErrorLog "
            << (root / "log/error_log").string() << "\nAccessLog " << (root / "log/access_log").string()
            << "\nPageLog " << (root / "log/page_log").string() << "\nTempDir " << (root / "spool/tmp").string() << "\n";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", (root / "cupsd.conf").c_str(), "-s", (root / "cups-files.conf").c_str(),
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 100 && !fs::exists(socket()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~CupsServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    std::string socket() const { return (root_ / "cups.sock").string(); }
    bool running() const { return pid_ > 0 && fs::exists(socket()); }

private:
    fs::path root_;
    pid_t pid_ = -1;
};

TEST(Cups, TheReportOnAnA4QueueKeepsEveryColumnInsideThePage) {
    if (::geteuid() != 0) GTEST_SKIP() << "a CUPS server of the test's own needs root; run the tests as root to print";
    if (!fs::exists("/usr/sbin/cupsd") || !fs::exists("/usr/sbin/lpadmin") || !fs::exists(kBackend) ||
        !fs::exists(kPpd))
        GTEST_SKIP() << "CUPS and cups-pdf are not installed (Debian packages cups and printer-driver-cups-pdf)";
    dptest::TempClient dir;
    const fs::path root(dir.code());
    CupsServer server(root / "cups");
    ASSERT_TRUE(server.running()) << output("cat " + (root / "cups/log/error_log").string());
    reporttest::EnvVar cupsServer("CUPS_SERVER", server.socket());
    // cups-pdf reads its settings by the name in the device URI; these send the PDF to the test.
    const std::string name = "veldrotest" + std::to_string(::getpid());
    const fs::path settings = "/etc/cups/cups-pdf-" + name + ".conf";
    std::ofstream(settings) << "Out " << (root / "cups/pdf").string() << "\nAnonDirName " << (root / "cups/pdf").string()
                            << "\nLabel 0\n";
    struct Remove {
        fs::path p;
        ~Remove() { fs::remove(p); }
    } removeSettings{settings};
    const std::string added = output("/usr/sbin/lpadmin -p VeldroA4 -E -v cups-pdf:/" + name + " -P " + kPpd +
                                     " -o media-default=iso_a4_210x297mm -o pdftops-renderer-default=pdftops");
    ASSERT_NE(output("lpstat -p VeldroA4").find("VeldroA4"), std::string::npos) << added;

    fs::create_directories(root / "SAMPLE");
    const std::string report = (root / "SAMPLE/report.txt").string();
    fs::copy_file(fs::path(DP_SOURCE_DIR) / "tests/golden/report/full_register.txt", report);
    void* lib = ::dlopen((std::string(DP_BINARY_DIR) + "/suite/listout/liblistout.so").c_str(), RTLD_NOW);
    ASSERT_NE(lib, nullptr) << ::dlerror();
    auto listOut = reinterpret_cast<ListOutFunction>(::dlsym(lib, SUITE_LIST_OUT_ENTRY));
    ASSERT_NE(listOut, nullptr);
    auto backend = std::make_unique<Printing>();
    Printing* b = backend.get();
    platform::setBackend(std::move(backend));
    const int32_t rc = listOut((report + ",VeldroA4,,/80/FP/ZM").c_str(), 0);
    const std::string said = b->said;
    platform::setBackend(nullptr);
    ASSERT_EQ(rc, 0) << said;

    // The job done (no job left on the queue), and its PDF, named by cups-pdf for the job's title.
    for (int i = 0; i < 600 && !output("lpstat -o VeldroA4").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    fs::path pdf;
    for (int i = 0; i < 100 && pdf.empty(); ++i) {
        for (const auto& e : fs::directory_iterator(root / "cups/pdf"))
            if (e.path().extension() == ".pdf" && fs::file_size(e.path()) > 0) pdf = e.path();
        if (pdf.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_FALSE(pdf.empty()) << output("cat " + (root / "cups/log/error_log").string());
    EXPECT_NE(pdf.filename().string().find("Depreciation_Report_-_SAMPLE"), std::string::npos) << pdf;
    const std::string info = output("pdfinfo '" + pdf.string() + "'");
    EXPECT_NE(info.find("Pages:           4"), std::string::npos) << info;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(info, m, std::regex(R"(Page size:\s+([0-9.]+) x ([0-9.]+) pts)"))) << info;
    const double width = std::stod(m[1]);
    EXPECT_NEAR(width, 595.3, 1.0) << "A4";
    const std::string words = output("pdftotext -bbox -f 1 -l 1 '" + pdf.string() + "' -");
    static const std::regex word(R"rx(<word xMin="([0-9.]+)" yMin="[0-9.]+" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)rx");
    int count = 0;
    bool date = false, asset = false, ending = false;
    for (auto it = std::sregex_iterator(words.begin(), words.end(), word); it != std::sregex_iterator(); ++it) {
        ++count;
        const double xMin = std::stod((*it)[1]), xMax = std::stod((*it)[2]);
        const std::string text = (*it)[3];
        EXPECT_GE(xMin, 0.0) << text;
        EXPECT_LE(xMax, width) << text;
        date = date || text == "12/31/04";
        asset = asset || text == "M01";
        ending = ending || text == "Ending";
    }
    EXPECT_GT(count, 100) << info << words.substr(0, 1500);
    EXPECT_TRUE(date && asset && ending) << "the report's first and last columns whole";
}

}  // namespace
