// The register as a table: the export's forms of amounts, rates and dates, and the import's
// checks, row by row, with the line and the column of every problem.
#include <gtest/gtest.h>

#include "register_export.h"
#include "register_import.h"
#include "register_update.h"
#include "support/client_dir.h"

namespace veldro {
namespace {

TEST(Export, AmountsHaveTwoDecimalsRoundedToTheEvenCent) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{0, "0.00"},          {1500, "1500.00"},      {10.456, "10.46"},   {0.125, "0.12"}, {0.375, "0.38"},
                 {-12.345, "-12.35"}, {-0.001, "0.00"},       {-0.0, "0.00"},      {123456789.5, "123456789.50"},
                 {1e17, "100000000000000000.00"}, {0.0 / 0.0, "NaN"}, {-1.0 / 0.0, "-Infinity"}};
    for (const auto& c : cases) EXPECT_EQ(amountText(c.value), c.text) << c.value;
}

TEST(Export, ARateKeepsEveryDecimalItHas) {
    EXPECT_EQ(rateText(5), "5.00");
    EXPECT_EQ(rateText(27.5), "27.50");
    EXPECT_EQ(rateText(0.2), "0.20");
    EXPECT_EQ(rateText(0.125), "0.125");
    EXPECT_EQ(rateText(1.0 / 3), "0.333333333333333");
}

TEST(Export, DatesAreIsoOrAsStoredWhenNoCalendarDate) {
    const struct {
        const char* stored;
        bool sold;
        const char* text;
        bool asIs;
    } cases[] = {
        {"010598", false, "1998-01-05", false},   // stored as 10598
        {"03152004", false, "2004-03-15", false},
        {"123149", true, "2049-12-31", false},    // a two-digit year below 50 is 20YY
        {"", true, "", false},                    // not sold
        {"H", false, "", false},                  // a heading row's marker
        {"134504", false, "134504", true},        // no month 13
        {"02302004", true, "02302004", true},
    };
    for (const auto& c : cases) {
        dp::Date6 d{};
        dp::date6FromText(d, c.stored, c.sold);
        bool asIs = false;
        EXPECT_EQ(exportDate(d, c.sold, asIs), c.text) << c.stored;
        EXPECT_EQ(asIs, c.asIs) << c.stored;
    }
}

TEST(Export, ARowSaysItsKindAndWhetherItIsDeleted) {
    dp::AssetRecord gone = dptest::makeAsset("X1", "***DELETED***", "010198");
    dp::AssetRecord heading = dptest::makeAsset("H1", std::string("Office\0\0", 8), "H");
    std::vector<std::string> notes;
    const std::vector<ExportValue> g = exportValues(gone, notes), h = exportValues(heading, notes);
    EXPECT_EQ(g[0].text, "asset");
    EXPECT_EQ(g[1].text, "Y");
    EXPECT_EQ(h[0].text, "heading");
    EXPECT_EQ(h[1].text, "N");
    EXPECT_EQ(h[3].text, "Office");
    EXPECT_EQ(h[4].text, "");
    EXPECT_TRUE(notes.empty());
    gone.Book.Cost = 0.0 / 0.0;
    dp::date6FromText(gone.DateSold, "133104", true);
    exportValues(gone, notes);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("date_sold 133104"), std::string::npos);
    EXPECT_NE(notes[1].find("book_cost is stored as NaN"), std::string::npos);
}

TEST(Export, JsonHasTheSameNamesWithNumbersAndFlags) {
    dp::AssetRecord r = dptest::makeAsset("A\"1", "Say \"hi\"\\", "03152004");
    r.Book.Cost = 2400;
    std::vector<std::string> notes;
    const std::vector<RegisterRow> rows = {{dp::makeIndexBytes("A\"1", 1), 1, r}};
    const std::string json = exportJson(walkOf(rows), notes);
    EXPECT_NE(json.find("\"asset_number\": \"A\\\"1\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"description\": \"Say \\\"hi\\\"\\\\\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"deleted\": false"), std::string::npos);
    EXPECT_NE(json.find("\"book_cost\": 2400.00"), std::string::npos);
    EXPECT_EQ(exportJson(walkOf(std::vector<RegisterRow>{}), notes), "[]\n");
}

// ---- import ---------------------------------------------------------------------------------

ImportCheck check(const std::string& csv, const std::map<std::string, int>& existing = {}) {
    return checkImport(readCsv(csv), existing);
}

std::vector<std::string> problemLines(const ImportCheck& c) {
    std::vector<std::string> out;
    for (const ImportProblem& p : c.problems) out.push_back(problemText("in.csv", p));
    return out;
}

TEST(Import, AFileWithOneFaultOfEveryKindListsEveryOneWithItsLineAndColumn) {
    const std::string csv =
        "asset_number,description,date_acquired,date_sold,deleted,row,book_method,book_rate,book_manual,book_cost,"
        "book_code_4562,tax_method\n"
        "A1,Good,03/15/2004,,,,SL,5,N,1000,19,B200\n"             // 2: fine
        ",No number,03/15/2004,,,,SL,5,N,1000,,\n"                 // 3: asset number empty
        "TOOLONG,Long,03/15/2004,,,,SL,5,N,1000,,\n"               // 4: 7 characters
        "A1,Twice,03/15/2004,,,,SL,5,N,1000,,\n"                   // 5: also on line 2
        "OLD1,Exists,03/15/2004,,,,SL,5,N,1000,,\n"                // 6: already in the register
        "B1,Bad date,13/45/2004,,,,SL,5,N,1000,,\n"                // 7
        "B2,Bad sold,03/15/2004,02/30/2004,,,SL,5,N,1000,,\n"      // 8
        "B3,Bad cost,03/15/2004,,,,SL,5,N,12O.00,,\n"              // 9
        "B4,Bad manual,03/15/2004,,,,SL,5,X,1000,,\n"              // 10
        "B5,Bad method,03/15/2004,,,,Q7,5,N,1000,,\n"              // 11
        "B6,\"Tab\there\",03/15/2004,,,,SL,5,N,1000,,\n"           // 12
        "B7,Price \xE2\x82\xAC,03/15/2004,,,,SL,5,N,1000,,\n"      // 13
        "B8,A description much longer than thirty-five,3/15/04,,,,SL,5,N,1000,,\n"  // 14
        "B9,Good,03/15/2004,,,,SL,5,N,1000,CODE4562,\n"           // 15
        "C1,***DELETED*** old,03/15/2004,,,,SL,5,N,1000,,\n"       // 16
        "C2,Deleted?,03/15/2004,,maybe,,SL,5,N,1000,,\n"           // 17
        "C3,Kind,03/15/2004,,,thing,SL,5,N,1000,,\n"               // 18
        "C4,Heading with a date,03/15/2004,,,heading,,,,,,\n"      // 19
        "C5,Bad rate,03/15/2004,,,,SL,1 500,N,1000,,\n"            // 20
        "C6,Tax method,03/15/2004,,,,SL,5,N,1000,,G4\n"            // 21
        "C7,short row\n";                                           // 22
    const ImportCheck c = check(csv, {{dp::assetKey("OLD1"), 1}});
    const std::vector<std::string> want = {
        "in.csv:3: asset_number: empty; every row needs an asset number",
        "in.csv:4: asset_number: \"TOOLONG\" is 7 characters long; the register holds 6",
        "in.csv:5: asset_number: \"A1\" is also on line 2",
        "in.csv:6: asset_number: \"OLD1\" is already in the register",
        "in.csv:7: date_acquired: \"13/45/2004\" is not a date: there is no month 13.",
        "in.csv:8: date_sold: \"02/30/2004\" is not a date: February 2004 has 29 days.",
        "in.csv:9: book_cost: \"12O.00\" is not a number.",
        "in.csv:10: book_manual: \"X\" is not Y or N.",
        "in.csv:11: book_method: \"Q7\" is not a method code",
        "in.csv:12: description: holds a tab",
        "in.csv:13: description: holds \"\xE2\x82\xAC\" (U+20AC)",
        "in.csv:14: description: \"A description much longer than thirty-five\" is 42 characters long; the register "
        "holds 35",
        "in.csv:15: book_code_4562: \"CODE4562\" is 8 characters long; the register holds 6",
        "in.csv:16: description: a description that begins with ***DELETED*** marks a deleted record",
        "in.csv:17: deleted: \"maybe\" is not Y or N",
        "in.csv:18: row: \"thing\" is none of asset, heading and subtotal",
        "in.csv:19: date_acquired: a heading row has no acquisition date; leave it empty",
        "in.csv:20: book_rate: \"1 500\" is not a number.",
        "in.csv:21: tax_method: \"G4\" has no rate table",
        "in.csv:22: the row has 2 fields, the header 12",
    };
    const std::vector<std::string> got = problemLines(c);
    ASSERT_EQ(got.size(), want.size()) << ::testing::PrintToString(got);
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(got[i].substr(0, want[i].size()), want[i]) << "got: " << got[i];
    EXPECT_TRUE(c.assets.empty());
}

TEST(Import, TheHeaderNamesKnownColumnsOnceAndHasTheAssetNumber) {
    EXPECT_EQ(problemLines(check("Asset_Number,DESCRIPTION , Book_Cost\nA1,Desk,10\n")), std::vector<std::string>{});
    EXPECT_EQ(problemLines(check("asset_number,book_cots\nA1,10\n")).front().substr(0, 49),
              "in.csv:1: book_cots: not a column of the register");
    EXPECT_EQ(problemLines(check("asset_number,description,Description\nA1,x,y\n")),
              std::vector<std::string>{"in.csv:1: description: the column is named twice in the header"});
    EXPECT_EQ(problemLines(check("description\nDesk\n")),
              std::vector<std::string>{"in.csv:1: asset_number: the header has no asset_number column; every row needs one"});
    EXPECT_NE(problemLines(check("asset_number;description\nA1;Desk\n")).front().find("separated by \";\""), std::string::npos);
    EXPECT_EQ(problemLines(check("")), std::vector<std::string>{"in.csv:1: the file is empty: it needs a header row naming its columns"});
}

TEST(Import, MissingColumnsStartAsANewAssetAndTheTaxBasisCopiesTheBook) {
    const ImportCheck c = check("asset_number,book_method,book_rate,book_cost,tax_cost\nab1,SL,5,\"$12,500.00\",9000\n\n,,,,\n");
    ASSERT_EQ(c.assets.size(), 1u) << ::testing::PrintToString(problemLines(c));
    const dp::AssetRecord& r = c.assets[0].record;
    EXPECT_EQ(r.AssetNumber, "AB1   ");
    EXPECT_EQ(r.Description, std::string(35, ' '));
    EXPECT_EQ(r.DateAcquired, dp::Date6{});
    EXPECT_EQ(r.DateSold, dp::Date6{});
    EXPECT_EQ(r.Book.Method, "SL  ");
    EXPECT_EQ(r.Book.Cost, 12500);
    EXPECT_EQ(r.Book.Manual, ' ');
    EXPECT_EQ(r.Tax.Method, "SL  ");
    EXPECT_EQ(r.Tax.Rate, 5);
    EXPECT_EQ(r.Tax.Cost, 9000);
    EXPECT_EQ(r.Tax.Code4562, std::string(6, ' '));
}

TEST(Import, DatesAreReadAsTheDialogsReadThemOrAsIsoAndStoredInTheFormTyped) {
    const struct {
        const char* typed;
        const char* stored;  // date6 as text
    } cases[] = {{"2004-03-15", "03152004"}, {"03/15/2004", "03152004"}, {"3/15/04", "031504"},
                 {"031504", "031504"},       {"03-15-2004", "03152004"}, {"0", "0"}, {"", "0"}};
    for (const auto& c : cases) {
        const ImportCheck r = check(std::string("asset_number,date_acquired\nA1,") + c.typed + "\n");
        ASSERT_EQ(r.assets.size(), 1u) << c.typed << ::testing::PrintToString(problemLines(r));
        EXPECT_EQ(dp::date6ToText(r.assets[0].record.DateAcquired, false), c.stored) << c.typed;
    }
    EXPECT_NE(problemLines(check("asset_number,date_acquired\nA1,2004-02-30\n")).front().find("February 2004 has 29 days"),
              std::string::npos);
    EXPECT_NE(problemLines(check("asset_number,date_acquired\nA1,15.03.2004\n")).front().find("YYYY-MM-DD is read too"),
              std::string::npos);
}

TEST(Import, MarkersAndTheRowColumnAgree) {
    const ImportCheck c = check("asset_number,row,date_acquired\nH1,,H\nS1,subtotal,\nS2,Subtotal,s\nA1,asset,\n");
    ASSERT_EQ(c.assets.size(), 4u) << ::testing::PrintToString(problemLines(c));
    EXPECT_TRUE(dp::date6IsMarker(c.assets[0].record.DateAcquired, 'H'));
    EXPECT_TRUE(dp::date6IsMarker(c.assets[1].record.DateAcquired, 'S'));
    EXPECT_TRUE(dp::date6IsMarker(c.assets[2].record.DateAcquired, 'S'));
    EXPECT_EQ(c.assets[3].record.DateAcquired, dp::Date6{});
    EXPECT_EQ(problemLines(check("asset_number,row,date_acquired\nA1,asset,H\n")),
              std::vector<std::string>{"in.csv:2: date_acquired: H marks a heading row, but the row is asset"});
}

TEST(Import, ADeletedRecordCarriesTheMarkAsItsDescription) {
    const struct {
        const char* deleted;
        const char* description;
        const char* stored;   // nullptr: refused
    } cases[] = {{"Y", "", "***DELETED***"},
                 {"y", "***DELETED***", "***DELETED***"},
                 {"", "***DELETED***", "***DELETED***"},  // as typed in the dialog
                 {"Y", "Old truck", nullptr},
                 {"N", "***DELETED***", nullptr},
                 {"", "***DELETED*** x", nullptr},
                 {"", "  ***DELETED***", nullptr},
                 {"N", "Truck", "Truck"}};
    for (const auto& c : cases) {
        const ImportCheck r = check(std::string("asset_number,deleted,description\nA1,") + c.deleted + "," + c.description + "\n");
        if (!c.stored) {
            EXPECT_EQ(r.problems.size(), 1u) << c.deleted << "|" << c.description;
            continue;
        }
        ASSERT_EQ(r.assets.size(), 1u) << c.deleted << "|" << c.description;
        EXPECT_EQ(r.assets[0].record.Description, dp::fixedText(c.stored, 35));
    }
}

TEST(Import, MethodCodesThatCompute) {
    const struct {
        const char* code;
        double rate;
        bool known;
    } cases[] = {{"SL", 5, true},    {"D", 5, true},    {"D200", 5, true}, {"B150", 7, true},  {"E", 0.2, true},
                 {"F", 39, true},    {"A5", 5, true},   {"A18", 0, true},  {"A", 10, true},    {"G3", 0, true},
                 {"H1", 19, true},   {"sl", 5, false},  {"S", 5, false},   {"D20X", 5, false}, {"A4", 4, false},
                 {"A", 4, false},    {"G4", 0, false},  {"H2", 0, false},  {"M", 5, false},    {"E2", 5, false}};
    for (const auto& c : cases) EXPECT_EQ(methodProblem(c.code, c.rate).empty(), c.known) << c.code;
    // A manual row's code is not looked at; a row without a method is a new asset's.
    EXPECT_TRUE(check("asset_number,book_method,book_manual\nA1,MAN,Y\nA2,,N\n").problems.empty());
}

// ---- the register with the assets added -----------------------------------------------------

TEST(RegisterUpdate, NewRecordsFollowTheOldOnesAndTheIndexIsInAssetNumberOrder) {
    std::vector<unsigned char> fil, idx;
    for (const char* n : {"M1", "B1"}) {
        const dp::AssetRecord r = dptest::makeAsset(n, n, "010198");
        const auto b = r.encode();
        fil.insert(fil.end(), b.begin(), b.end());
    }
    for (const auto& e : {dp::makeIndexBytes("M1", 1), dp::makeIndexBytes("B1", 2)}) idx.insert(idx.end(), e.begin(), e.end());
    const RegisterFiles out = withAddedAssets(idx, fil, {dptest::makeAsset("Z1", "z", "010198"), dptest::makeAsset("A1", "a", "010198")});
    ASSERT_EQ(out.assets.size(), 4 * dp::kAssetRecordLength);
    EXPECT_TRUE(std::equal(fil.begin(), fil.end(), out.assets.begin()));
    std::vector<std::pair<std::string, int>> entries;
    for (std::size_t i = 0; i < out.index.size(); i += 8) {
        dp::IndexBytes e{};
        std::copy_n(out.index.begin() + static_cast<std::ptrdiff_t>(i), 8, e.begin());
        entries.emplace_back(dp::trimRight(dp::indexKey(e)), dp::indexRecordNumber(e));
    }
    EXPECT_EQ(entries, (std::vector<std::pair<std::string, int>>{{"A1", 4}, {"B1", 2}, {"M1", 1}, {"Z1", 3}}));
    EXPECT_EQ(indexKeys(out.index).at(dp::assetKey("Z1")), 4);
}

}  // namespace
}  // namespace veldro
