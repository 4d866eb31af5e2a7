#include "support/client_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "entry/session.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "register/asset_files.h"

namespace fs = std::filesystem;

namespace dptest {
namespace {

// The suite's printer libraries of the build tree, for every test program that prints.
const bool suiteLibrariesFound = [] {
#ifdef DP_TEST_SUITE_LIBDIR
    if (!std::getenv("DP_SUITE_LIBDIR")) ::setenv("DP_SUITE_LIBDIR", DP_TEST_SUITE_LIBDIR, 0);
#endif
    return true;
}();

}  // namespace

TempClient::TempClient() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path p = fs::temp_directory_path() / ("dpclient-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            code_ = p.string();
            return;
        }
    }
    throw std::runtime_error("no temporary directory under " + fs::temp_directory_path().string());
}

TempClient::~TempClient() {
    platform::closeAllFiles();
    std::error_code ec;
    fs::remove_all(code_, ec);
}

std::vector<unsigned char> TempClient::bytes(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void TempClient::writeBytes(const std::string& name, const std::vector<unsigned char>& data) const {
    std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void TempClient::writeRegister(const std::vector<dp::AssetRecord>& records) const {
    std::vector<unsigned char> fil, idx;
    std::int16_t n = 0;
    for (const auto& r : records) {
        auto b = r.encode();
        fil.insert(fil.end(), b.begin(), b.end());
        dp::IndexEntry e;
        e.AssetNumber = r.AssetNumber;
        e.RecordNumber = ++n;
        auto eb = e.encode();
        idx.insert(idx.end(), eb.begin(), eb.end());
    }
    writeBytes("depr.fil", fil);
    writeBytes("depr.idx", idx);
}

void TempClient::writeCompany(const dp::CompanyRecord& company) const {
    std::vector<unsigned char> out;
    for (int i = 1; i <= 3; ++i) {
        auto b = company.encodeRecord(i);
        out.insert(out.end(), b.begin(), b.end());
    }
    writeBytes("company.fil", out);
}

std::vector<dp::AssetRecord> TempClient::readRecords() const {
    std::vector<dp::AssetRecord> out;
    auto b = bytes(platform::resolvePath(code_, "depr.fil").substr(code_.size() + 1));
    for (std::size_t at = 0; at + dp::kAssetRecordLength <= b.size(); at += dp::kAssetRecordLength) {
        dp::AssetRecord::Bytes rb{};
        std::copy(b.begin() + static_cast<std::ptrdiff_t>(at),
                  b.begin() + static_cast<std::ptrdiff_t>(at + dp::kAssetRecordLength), rb.begin());
        out.push_back(dp::AssetRecord::decode(rb));
    }
    return out;
}

std::vector<dp::IndexEntry> TempClient::readIndex() const {
    std::vector<dp::IndexEntry> out;
    auto b = bytes(platform::resolvePath(code_, "depr.idx").substr(code_.size() + 1));
    for (std::size_t at = 0; at + 8 <= b.size(); at += 8) {
        dp::IndexEntry::Bytes eb{};
        std::copy(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 8), eb.begin());
        out.push_back(dp::IndexEntry::decode(eb));
    }
    return out;
}

// The suite's printer libraries that the module loads answer through this run too.
ScriptRun::ScriptRun(const std::string& script) {
    platform::setBackend(platform::makeScriptedBackend(script, &out_));
    platform::shareScriptedRun(&platform::backend());
}

ScriptRun::~ScriptRun() {
    platform::closeAllFiles();
    platform::shareScriptedRun(nullptr);
    platform::setBackend(nullptr);
}

dp::AssetRecord makeSlAsset(const std::string& number, const std::string& description, double cost) {
    dp::AssetRecord r = makeAsset(number, description, "010198");
    r.Tax.Method = "SL  ";
    r.Tax.Rate = 5;
    r.Tax.Cost = cost;
    return r;
}

dp::AssetRecord makeAsset(const std::string& number, const std::string& description, const std::string& acquired) {
    dp::AssetRecord r;
    r.AssetNumber = dp::fixedText(dp::upperCase(number), 6);
    r.Description = dp::fixedText(description, 35);
    dp::date6FromText(r.DateAcquired, acquired, false);
    return r;
}

dp::CompanyRecord makeCompany(const std::string& name, const std::string& fiscalYearEnd, const std::string& currentPeriod) {
    dp::CompanyRecord c;
    c.CompanyName = dp::fixedText(name, 25);
    c.FiscalYearEnd = dp::date6cFromText(fiscalYearEnd);
    c.CurrentPeriod = dp::date6cFromText(currentPeriod);
    return c;
}

}  // namespace dptest
