// Layout invariants of every dialog template of the module: each control lies inside its dialog,
// and no two controls overlap, except a frame drawn round the controls it holds and the places
// the dialog tables themselves put so (each named below, and each must still occur).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "amort/amort_dialog.h"
#include "entry/menu.h"
#include "register/asset_maintenance.h"
#include "register/asset_picker.h"
#include "register/company_maintenance.h"
#include "report/report_options_dialog.h"

namespace {

using platform::ControlKind;
using platform::ControlSpec;
using platform::DialogTemplate;

// A pair of controls by their places in the template (ids repeat in some dialogs).
using Pair = std::pair<std::size_t, std::size_t>;

struct Case {
    const char* name;
    DialogTemplate dialog;
    std::vector<std::pair<int, int>> overlapping;  // by id, as the dialog's table places them
    std::vector<int> reachingOutside;               // by id, as the dialog's table places them
};

bool overlap(const ControlSpec& a, const ControlSpec& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool surrounds(const ControlSpec& frame, const ControlSpec& c) {
    return frame.kind == ControlKind::Frame && frame.x <= c.x && frame.y <= c.y &&
           c.x + c.width <= frame.x + frame.width && c.y + c.height <= frame.y + frame.height;
}

bool inside(const DialogTemplate& t, const ControlSpec& c) {
    return c.x >= 0 && c.y >= 0 && c.width > 0 && c.height > 0 && c.x + c.width <= t.width &&
           c.y + c.height <= t.height;
}

std::vector<Case> cases() {
    return {
        {"menu",
         dp::buildMenuDialog("ACME"),
         // The heading and its shadow, one unit apart; the heading runs past the frame's right
         // edge; the rule under the heading crosses the icon.
         {{102, 104}, {101, 102}, {101, 104}, {105, 201}},
         {}},
        {"asset maintenance",
         dp::buildAssetMaintenanceDialog("ACME"),
         // "Asset Number" is 14 high over "Description"; the rule at y 47 crosses both date
         // labels and both date boxes; "Date Sold" reaches the tax method box; "Form 4562 Code"
         // reaches the frame round the buttons.
         {{101, 102}, {103, 141}, {104, 141}, {141, 203}, {141, 204}, {104, 305}, {116, 195}},
         {}},
        // The empty label above the list is as wide as the dialog from x 5 and reaches the list.
        {"asset listing with OK", dp::buildPickerDialog("ACME", 100, true), {{599, 601}}, {599}},
        {"tall asset listing, cancel only", dp::buildPickerDialog("ACME", 170, false), {{599, 601}}, {599}},
        {"company maintenance", dp::buildCompanyMaintenanceDialog("ACME", dp::CompanyEdit{}), {}, {}},
        {"report options", dp::buildReportOptionsDialog("12312004"), {}, {}},
        // The accelerated-payoff caption sits on its group frame's top edge, as a group box
        // shows its title.
        {"amortization", dp::buildAmortDialog("ACME"), {{111, 121}}, {}},
    };
}

TEST(DialogLayout, EveryControlLiesInsideItsDialog) {
    for (const Case& c : cases()) {
        std::set<int> outside;
        for (const ControlSpec& s : c.dialog.controls)
            if (!inside(c.dialog, s)) outside.insert(s.id);
        EXPECT_EQ(outside, std::set<int>(c.reachingOutside.begin(), c.reachingOutside.end())) << c.name;
    }
}

TEST(DialogLayout, NoTwoControlsOverlapUnlessATableSaysSo) {
    for (const Case& c : cases()) {
        const auto& cs = c.dialog.controls;
        std::set<std::pair<int, int>> found;
        for (std::size_t i = 0; i < cs.size(); ++i)
            for (std::size_t j = i + 1; j < cs.size(); ++j) {
                if (!overlap(cs[i], cs[j]) || surrounds(cs[i], cs[j]) || surrounds(cs[j], cs[i])) continue;
                found.insert(std::minmax(cs[i].id, cs[j].id));
            }
        std::set<std::pair<int, int>> expected;
        for (auto [a, b] : c.overlapping) expected.insert(std::minmax(a, b));
        EXPECT_EQ(found, expected) << c.name;
    }
}

}  // namespace
