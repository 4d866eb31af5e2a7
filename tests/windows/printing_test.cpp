// Printing through a Windows printer's driver: where the sheet goes on papers the drivers report,
// the drawn page recorded in a metafile (text and shapes, never the printer codes), and under Wine
// a real print queue (Wine's PostScript driver, A4 paper) given the rendered pages, or the file
// byte for byte when it is sent as is.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "../../suite/listout/gdi_printing_win32.h"
#include "render_test_support.h"
#include "suite_printing.h"

using namespace wintest;
using listout::DeviceCaps;

namespace {

const dprender::Fonts& fonts() { return drawingFonts(); }

struct PaperCase {
    const char* what;
    DeviceCaps caps;
};

// Letter 8.5 x 11 and A4 8.27 x 11.69 inches, as drivers report them.
const PaperCase kPapers[] = {
    {"Letter, 600 dpi, a sixth of an inch unprintable", {600, 600, 5100, 6600, 100, 100, 4900, 6400}},
    {"A4, 600 dpi, a sixth of an inch unprintable", {600, 600, 4960, 7016, 100, 100, 4760, 6816}},
    {"A4, 300 dpi, half an inch unprintable", {300, 300, 2480, 3508, 150, 150, 2180, 3208}},
    {"Letter, 600 x 300 dpi", {600, 300, 5100, 3300, 100, 50, 4900, 3200}},
    {"Letter, no margins, 96 dpi", {96, 96, 816, 1056, 0, 0, 816, 1056}},
};

TEST(PrinterPaper, ThePageLandsInsideThePrintableArea) {
    const dprender::Sheet layout;
    for (const PaperCase& c : kPapers) {
        const dprender::DevicePlacement at = listout::placementFor(c.caps, layout);
        // The printer's page: its line from column 1, its lines from the top of form.
        const double right = at.originX + layout.printableWidthPt() * at.scaleX;
        const double bottom = at.originY + layout.printableDots() * dprender::kPointsPerInch / dprender::kDotsPerInch * at.scaleY;
        EXPECT_GE(at.originX, -1e-6) << c.what;
        EXPECT_GE(at.originY, -1e-6) << c.what;
        EXPECT_LE(right, c.caps.areaWidth + 1e-6) << c.what;
        EXPECT_LE(bottom, c.caps.areaHeight + 1e-6) << c.what;
        EXPECT_NEAR(at.scaleX / at.scaleY, static_cast<double>(c.caps.dpiX) / c.caps.dpiY, 1e-9) << c.what << ": not distorted";
    }
}

// The device's paper is the renderer's paper: the same fitting as a PDF of that paper and margins.
TEST(PrinterPaper, TheDriversPaperIsFittedAsEveryPaperIs) {
    const struct {
        const char* what;
        DeviceCaps caps;
        const char* paper;
        double x, y, scale;  // the page on the paper, points
    } cases[] = {
        {"Letter without margins: where the Linux page has it, full size", kPapers[4].caps, "Letter", 21.6, 18, 1},
        {"Letter with a sixth of an inch unprintable: unmoved", kPapers[0].caps, "Letter", 21.6, 18, 1},
        {"A4 with a sixth of an inch unprintable: moved in, scaled a little", kPapers[1].caps, "A4", 12, 18, 571.2 / 576},
        {"A4 with half an inch unprintable: scaled to the width", kPapers[2].caps, "A4", 36, 36, (595.2 - 72) / 576},
    };
    for (const auto& c : cases) {
        const listout::PaperChoice paper = listout::paperOf(c.caps);
        EXPECT_EQ(paper.paper.name, c.paper) << c.what;
        const dprender::DevicePlacement at = listout::placementFor(c.caps);
        const double pxX = c.caps.dpiX / 72.0, pxY = c.caps.dpiY / 72.0;
        EXPECT_NEAR(at.scaleX / pxX, c.scale, 1e-6) << c.what;
        // Device pixels count from the printable area's corner.
        EXPECT_NEAR((at.originX + c.caps.offsetX) / pxX, c.x, 0.01) << c.what;
        EXPECT_NEAR((at.originY + c.caps.offsetY) / pxY, c.y, 0.01) << c.what;
    }
    // A device that tells nothing of its paper: the page as on Letter, a pixel a point.
    const dprender::DevicePlacement none = listout::placementFor(DeviceCaps{});
    EXPECT_DOUBLE_EQ(none.scaleX, 1);
    EXPECT_DOUBLE_EQ(none.originX, 21.6);
}

// ---- the paper of a PDF file and of the screen ---------------------------------------------------

TEST(LocalePaper, TheLocalesPaperSizeCodes) {
    const struct {
        int code;
        const char* paper;  // "" for none
    } cases[] = {{1, "Letter"}, {5, "Legal"}, {8, "A3"}, {9, "A4"}, {0, ""}, {2, ""}, {66, ""}};
    for (const auto& c : cases) {
        const std::optional<dprender::Paper> p = listout::paperOfWindowsLocale(c.code);
        EXPECT_EQ(p ? p->name : std::string(), c.paper) << c.code;
    }
}

TEST(LocalePaper, ASettingBeforeTheUsersLocale) {
    wchar_t text[8] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IPAPERSIZE, text, 8), 0);
    const std::optional<dprender::Paper> ofLocale = listout::paperOfWindowsLocale(_wtoi(text));
    const std::string localeName = ofLocale ? ofLocale->name : "Letter";
    const struct {
        const char* setting;
        std::string paper;
    } cases[] = {{"A4", "A4"}, {"na_legal_8.5x14in", "Legal"}, {"Foolscap", localeName}, {"", localeName}};
    for (const auto& c : cases) {
        _putenv_s("DP_PAPER", c.setting);
        const listout::PaperChoice got = listout::localePaper();
        EXPECT_EQ(got.paper.name, c.paper) << c.setting;
        EXPECT_DOUBLE_EQ(got.margins.left, dprender::usualMargins().left) << c.setting;
    }
    _putenv_s("DP_PAPER", "");
}

// ---- the drawn page in a metafile ---------------------------------------------------------------

struct Recorded {
    std::wstring text;
    std::vector<RECTL> textBoxes;
    int fills = 0;
};

int CALLBACK record(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM data) {
    auto* out = reinterpret_cast<Recorded*>(data);
    if (r->iType == EMR_EXTTEXTOUTW) {
        const auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(r);
        const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(r) + t->emrtext.offString);
        out->text.append(chars, t->emrtext.nChars);
        out->text += L'\n';
        out->textBoxes.push_back(t->rclBounds);
    } else if (r->iType == EMR_FILLRGN || r->iType == EMR_BITBLT) {
        ++out->fills;
    }
    return 1;
}

TEST(PrinterPaper, TheMetafileHoldsTheDrawnPageNotThePrinterCodes) {
    const DeviceCaps a4 = kPapers[1].caps;
    HDC screen = GetDC(nullptr);
    // A metafile as large as A4's printable area at 600 dpi, in hundredths of a millimetre.
    const RECT frame{0, 0, a4.areaWidth * 2540 / 600, a4.areaHeight * 2540 / 600};
    HDC emf = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(emf, nullptr);
    dprender::drawPage(emf, goldenPage("report/full_register.txt", fonts()), fonts(), listout::placementFor(a4));
    HENHMETAFILE page = CloseEnhMetaFile(emf);
    ASSERT_NE(page, nullptr);
    Recorded got;
    EnumEnhMetaFile(nullptr, page, record, &got, nullptr);
    DeleteEnhMetaFile(page);
    for (const wchar_t* want : {L"Riverside Hardware and Supply Co.", L"Depreciation Report", L"TAX BASIS", L"Lathe salvage",
                                L"MACHINERY SUBTOTAL"})
        EXPECT_NE(got.text.find(want), std::wstring::npos) << "missing: " << std::string(want, want + wcslen(want));
    EXPECT_EQ(got.text.find(L'\x1b'), std::wstring::npos) << "a printer code drawn as text";
    EXPECT_EQ(got.text.find(L"\"Q"), std::wstring::npos) << "a printer code drawn as text";
    EXPECT_GT(got.fills, 0) << "the rules under the heading are drawn";
    ASSERT_GT(got.textBoxes.size(), 50u);
    for (const RECTL& b : got.textBoxes) {
        if (b.right < b.left) continue;  // a record without bounds
        EXPECT_GE(b.left, 0);
        EXPECT_LE(b.right, a4.areaWidth);
        EXPECT_LE(b.bottom, a4.areaHeight);
    }
}

// ---- a print queue of Wine's --------------------------------------------------------------------

// The queue windows.sh prepares: Wine's PostScript driver with an A4 PPD, on LPT3:, whose jobs
// Wine writes to the file DP_SPOOL_FILE names.
constexpr const wchar_t* kQueue = L"A4 Test Printer";

bool addTestQueue() {
    wchar_t driver[] = L"Wine PostScript Driver", path[] = L"wineps.drv", ppd[] = L"a4-test-printer.ppd";
    DRIVER_INFO_3W di{};
    di.cVersion = 3;
    di.pName = driver;
    di.pDriverPath = path;
    di.pDataFile = ppd;
    di.pConfigFile = path;
    if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&di))) return false;
    wchar_t name[64], port[] = L"LPT3:", processor[] = L"WinPrint", datatype[] = L"RAW";
    wcscpy(name, kQueue);
    PRINTER_INFO_2W pi{};
    pi.pPrinterName = name;
    pi.pPortName = port;
    pi.pDriverName = driver;
    pi.pPrintProcessor = processor;
    pi.pDatatype = datatype;
    HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
    if (h) ClosePrinter(h);
    return h != nullptr || GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
}

class PrintQueue : public ::testing::Test {
protected:
    void SetUp() override {
        const char* spool = std::getenv("DP_SPOOL_FILE");
        if (!spool || !*spool) GTEST_SKIP() << "no print queue prepared (DP_SPOOL_FILE)";
        spool_ = spool;
        ASSERT_TRUE(addTestQueue()) << "the test queue cannot be added: error " << GetLastError();
        listout_ = LoadLibraryA((std::string(DP_BINARY_DIR) + "/bin/LISTOUT.DLL").c_str());
        ASSERT_NE(listout_, nullptr);
        listOut_ = reinterpret_cast<ListOutFunction>(reinterpret_cast<void*>(GetProcAddress(listout_, SUITE_LIST_OUT_ENTRY)));
        ASSERT_NE(listOut_, nullptr);
        DeleteFileA(spool_.c_str());
    }
    void TearDown() override {
        if (listout_) FreeLibrary(listout_);
    }

    // What reached the printer's port: Wine's spooler writes the job after ListOut has handed it
    // over, so the file is awaited until it stops growing.
    std::string printed(const std::string& device, const std::string& field3) {
        const std::string command = sourceFile("tests/golden/report/full_register.txt") + "," + device + "," + field3 + ",/80/FP/ZM";
        EXPECT_EQ(listOut_(command.c_str(), 0), 0) << command;
        std::string bytes;
        for (int i = 0, still = 0; i < 200 && still < 5; ++i) {
            Sleep(100);
            const std::string now = readBytes(spool_);
            still = !now.empty() && now.size() == bytes.size() ? still + 1 : 0;
            bytes = now;
        }
        return bytes;
    }

    std::string spool_;
    HMODULE listout_ = nullptr;
    ListOutFunction listOut_ = nullptr;
};

TEST_F(PrintQueue, TheDriverPrintsTheRenderedPagesOnItsPaper) {
    const std::string ps = printed("A4 Test Printer", "");
    ASSERT_EQ(ps.rfind("%!PS-Adobe", 0), 0u) << "the driver's PostScript, not the file";
    EXPECT_NE(ps.find("%%Title: Depreciation Report - report"), std::string::npos)
        << "the job is titled for what it prints (the report of the folder \"report\")";
    EXPECT_NE(ps.find("%%Pages: 4"), std::string::npos) << "every page of the report";
    EXPECT_NE(ps.find("*PageSize A4"), std::string::npos) << "on the printer's own paper";
    EXPECT_EQ(ps.find('\x1b'), std::string::npos) << "no printer code reaches the driver's output";
    // Kept for windows.sh, which reads the pages with ghostscript and pdftotext.
    std::ofstream(spool_ + ".ps", std::ios::binary) << ps;
}

TEST_F(PrintQueue, SendAsIsKeepsTheFileByteForByte) {
    EXPECT_EQ(printed("A4 Test Printer", SUITE_RAW_JOB), readBytes(sourceFile("tests/golden/report/full_register.txt")));
}

}  // namespace
