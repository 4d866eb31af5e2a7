#include "sample_client.h"

#include <vector>

#include "platform/files.h"
#include "register/records.h"

namespace sample {
namespace {

using dp::AssetRecord;
using dp::BasisBlock;

BasisBlock block(const char* method, double rate, double cost, double salvage = 0, double prior = 0,
                 const char* code4562 = "") {
    BasisBlock b;
    b.Method = dp::fixedText(method, 4);
    b.Rate = rate;
    b.Manual = 'N';
    b.Cost = cost;
    b.Salvage = salvage;
    b.PriorDepr = prior;
    b.Code4562 = dp::fixedText(code4562, 6);
    return b;
}

AssetRecord asset(const char* number, const char* description, const char* acquired, BasisBlock book,
                  BasisBlock tax, const char* sold = "") {
    AssetRecord r;
    r.AssetNumber = dp::fixedText(number, 6);
    r.Description = dp::fixedText(description, 35);
    dp::date6FromText(r.DateAcquired, acquired, false);
    dp::date6FromText(r.DateSold, sold, true);
    r.Book = book;
    r.Tax = tax;
    return r;
}

std::vector<AssetRecord> assets() {
    std::vector<AssetRecord> v;
    v.push_back(asset("100", "SHOP EQUIPMENT", "H", {}, {}));
    v.push_back(asset("101", "Cash register", "03102004", block("SL", 5, 2400, 200),
                      block("B200", 5, 2400, 0, 0, "19")));
    v.push_back(asset("102", "Paint mixing machine", "07152003", block("D200", 7, 5600, 0, 400),
                      block("B200", 7, 5600, 0, 800.24, "19")));
    v.push_back(asset("103", "Key cutting machine", "05201984", block("SL", 10, 3000, 300, 2430),
                      block("A5", 5, 3000, 0, 3000, "16")));
    {
        AssetRecord r = asset("104", "Forklift", "11012004", block("E", 0.2, 18000),
                              block("B150", 7, 18000, 0, 0, "2,6"));
        r.Tax.Expense = 5000;
        r.Book.Expense = 5000;
        v.push_back(r);
    }
    v.push_back(asset("105", "Shelving", "01102002", block("B200", 7, 4200, 0, 1400.70),
                      block("B200", 7, 4200, 0, 1628.34, "19")));
    v.push_back(asset("106", "Delivery van", "06012001", block("SL", 5, 21000, 3000, 10800),
                      block("B200", 5, 21000, 0, 14952, "19"), "09302004"));
    v.push_back(asset("199", "EQUIPMENT SUBTOTAL", "S", {}, {}));
    v.push_back(asset("200", "BUILDINGS", "H", {}, {}));
    v.push_back(asset("201", "Store building", "01152000", block("F", 39, 180000, 0, 17307.69),
                      block("F", 39, 180000, 0, 17307.69, "19")));
    v.push_back(asset("202", "Warehouse", "07011985", block("SL", 19, 95000, 5000, 90000),
                      block("H1", 19, 95000, 0, 90250, "X")));
    {
        AssetRecord r = asset("203", "Parking lot paving", "04012004", block("SL", 15, 12000),
                              block("B150", 15, 12000, 0, 0, "19"));
        r.Book.Manual = 'Y';
        r.Book.CurrentDepr = 600;
        v.push_back(r);
    }
    {
        AssetRecord r = asset("204", "Security system", "02012004", block("SL", 7, 6500),
                              block("B200", 7, 6500, 0, 0, "19"));
        r.Book.Bonus3050 = 1950;
        r.Tax.Bonus3050 = 1950;
        v.push_back(r);
    }
    v.push_back(asset("299", "BUILDINGS SUBTOTAL", "S", {}, {}));
    return v;
}

}  // namespace

bool writeSampleClient(const std::string& dir) {
    dp::CompanyRecord c;
    c.CompanyName = dp::fixedText("Riverside Hardware Inc.", 25);
    c.CompanyAddress = dp::fixedText("12 Mill Street", 25);
    c.CompanyCity = dp::fixedText("Springfield", 25);
    c.FiscalYearEnd = dp::date6cFromText("12312004");
    c.Activity = dp::fixedText("Retail hardware store", 50);
    c.CurrentPeriod = dp::date6cFromText("12312004");
    c.IdNumber = dp::fixedText("36-1234567", 11);
    c.CompanyName2 = dp::fixedText("", 25);

    platform::RecordFile company, fil, idx;
    if (!company.open(dir + "/company.fil", dp::kCompanyRecordLength, true)) return false;
    for (int i = 1; i <= 3; ++i) {
        const auto b = c.encodeRecord(i);
        if (!company.write(i, b.data())) return false;
    }
    if (!fil.open(dir + "/depr.fil", dp::kAssetRecordLength, true)) return false;
    if (!idx.open(dir + "/depr.idx", dp::kIndexEntryLength, true)) return false;
    std::int16_t n = 0;
    for (const AssetRecord& r : assets()) {
        ++n;
        dp::IndexEntry e;
        e.AssetNumber = r.AssetNumber;
        e.RecordNumber = n;
        const auto rb = r.encode();
        const auto eb = e.encode();
        if (!fil.write(n, rb.data()) || !idx.write(n, eb.data())) return false;
    }
    return true;
}

}  // namespace sample
