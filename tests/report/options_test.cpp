// The options dialog of the depreciation report, acted on directly.
#include <gtest/gtest.h>

#include <ctime>

#include "engine/report_options.h"
#include "report/depreciation_report.h"
#include "report_test_util.h"

using reporttest::ActingBackend;
using reporttest::Installed;

namespace {

class Options : public ::testing::Test {
protected:
    void SetUp() override { reporttest::resetModuleState(); }
    dp::ReportOptions& o = dp::reportOptions();
};

TEST_F(Options, LayoutAndStartingState) {
    o.reportDate = "12312004";
    o.reportBasis = "B";
    o.roundWholeDollars = "Y";
    Installed<ActingBackend> b([](platform::Dialog& d) {
        const platform::DialogTemplate& t = d.layout();
        EXPECT_EQ(t.caption, "Depreciation Report");
        EXPECT_EQ(t.width, 200);
        EXPECT_EQ(t.height, 100);
        EXPECT_TRUE(t.centred);
        EXPECT_TRUE(t.topmost);
        EXPECT_FALSE(t.systemMenu);
        struct Want {
            platform::ControlKind kind;
            int id;
            const char* text;
            int x, y, w, h;
        };
        using K = platform::ControlKind;
        const Want want[] = {
            {K::Label, 101, "Report Date", 10, 5, 60, 12},
            {K::Edit, 201, "12312004", 105, 3, 45, 12},
            {K::CheckBox, 202, "Use Book Basis", 10, 18, 60, 12},
            {K::CheckBox, 203, "Use Tax Basis", 10, 33, 60, 12},
            {K::CheckBox, 204, "Round to whole dollars", 10, 48, 100, 12},
            {K::Button, 301, "Ok", 30, 70, 40, 14},
            {K::Button, 302, "Cancel", 90, 70, 40, 14},
        };
        ASSERT_EQ(d.controls().size(), 7u);
        for (std::size_t i = 0; i < 7; ++i) {
            const platform::ControlSpec& c = d.controls()[i];
            EXPECT_EQ(c.kind, want[i].kind);
            EXPECT_EQ(c.id, want[i].id);
            EXPECT_EQ(c.text, want[i].text);
            EXPECT_EQ(c.x, want[i].x);
            EXPECT_EQ(c.y, want[i].y);
            EXPECT_EQ(c.width, want[i].w);
            EXPECT_EQ(c.height, want[i].h);
        }
        // The tax basis is checked on every showing; the rounding box never starts checked.
        EXPECT_FALSE(d.isChecked(202));
        EXPECT_TRUE(d.isChecked(203));
        EXPECT_FALSE(d.isChecked(204));
        d.userClick(301);
    });
    const auto chosen = dp::showReportOptions(o);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->reportBasis, "T");
    EXPECT_EQ(chosen->roundWholeDollars, "Y");
}

TEST_F(Options, EmptyDateBecomesTodayWithDashes) {
    std::string shown;
    Installed<ActingBackend> b([&shown](platform::Dialog& d) {
        shown = d.text(201);
        d.userClick(301);
    });
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char want[16];
    std::strftime(want, sizeof want, "%m-%d-%Y", &tm);
    const auto chosen = dp::showReportOptions(o);
    EXPECT_EQ(shown, want);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->reportDate, want);
}

// Each sequence of clicks on the basis boxes, with the basis it leaves and the boxes checked.
TEST_F(Options, BasisBoxesExcludeEachOtherAndUncheckingKeepsTheLastChoice) {
    const struct {
        std::vector<int> clicks;
        const char* basis;
        bool book, tax;
    } cases[] = {
        {{}, "T", false, true},
        {{202}, "B", true, false},
        {{202, 202}, "B", false, false},  // unchecked by the click: neither box, the basis stays
        {{202, 203}, "T", false, true},
        {{202, 203, 203}, "T", false, false},
        {{202, 203, 203, 202}, "B", true, false},
    };
    for (const auto& c : cases) {
        bool book = false, tax = false;
        Installed<ActingBackend> b([&](platform::Dialog& d) {
            for (int id : c.clicks) d.userClick(id);
            book = d.isChecked(202);
            tax = d.isChecked(203);
            d.userClick(301);
        });
        const auto chosen = dp::showReportOptions(o);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(chosen->reportBasis, c.basis) << c.clicks.size();
        EXPECT_EQ(book, c.book) << c.clicks.size();
        EXPECT_EQ(tax, c.tax) << c.clicks.size();
    }
}

TEST_F(Options, EveryEditOfTheDateIsTakenAsTyped) {
    o.reportDate = "12312004";
    Installed<ActingBackend> b([](platform::Dialog& d) {
        d.userType(201, "1");
        d.userType(201, "12/31/2004");
        d.userClick(301);
    });
    const auto chosen = dp::showReportOptions(o);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->reportDate, "12/31/2004");
}

TEST_F(Options, RoundingFollowsTheBox) {
    for (int clicks : {1, 2, 3}) {
        Installed<ActingBackend> b([clicks](platform::Dialog& d) {
            for (int i = 0; i < clicks; ++i) d.userClick(204);
            d.userClick(301);
        });
        const auto chosen = dp::showReportOptions(o);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(chosen->roundWholeDollars, clicks % 2 ? "Y" : "N") << clicks;
    }
}

TEST_F(Options, CancelAndCloseBothAbandonTheReport) {
    for (bool close : {false, true}) {
        Installed<ActingBackend> b([close](platform::Dialog& d) {
            if (close) {
                d.dispatch({platform::EventKind::Close, 0});
                d.end();
            } else {
                d.userClick(302);
            }
        });
        EXPECT_FALSE(dp::showReportOptions(o)) << (close ? "close" : "cancel");
    }
}

}  // namespace
