// Test helpers: a temporary client data directory, and running a procedure on a script.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "register/records.h"

namespace dptest {

// A fresh, empty directory under the system's temporary directory, removed with the object: a
// client's data directory, or any directory a test needs.
class TempClient {
public:
    TempClient();
    ~TempClient();
    TempClient(const TempClient&) = delete;
    TempClient& operator=(const TempClient&) = delete;

    const std::string& code() const { return code_; }   // the directory path, used as client code
    std::string path(const std::string& name) const { return code_ + "/" + name; }
    std::vector<unsigned char> bytes(const std::string& name) const;
    void writeBytes(const std::string& name, const std::vector<unsigned char>& data) const;

    // Writes depr.fil and depr.idx holding the records in this order (record i+1, index entry i+1).
    void writeRegister(const std::vector<dp::AssetRecord>& records) const;
    void writeCompany(const dp::CompanyRecord& company) const;
    std::vector<dp::AssetRecord> readRecords() const;
    std::vector<dp::IndexEntry> readIndex() const;

private:
    std::string code_;
};

// Installs the scripted backend for the life of the object and collects its transcript.
class ScriptRun {
public:
    explicit ScriptRun(const std::string& script);
    ~ScriptRun();
    ScriptRun(const ScriptRun&) = delete;
    ScriptRun& operator=(const ScriptRun&) = delete;
    std::string transcript() const { return out_.str(); }

private:
    std::ostringstream out_;
};

// A record with the given number, description and acquisition date text.
dp::AssetRecord makeAsset(const std::string& number, const std::string& description, const std::string& acquired);
// An asset acquired 010198, depreciated straight line over 5 years on the tax basis.
dp::AssetRecord makeSlAsset(const std::string& number, const std::string& description, double cost);
// A company record with name and fiscal year end / current period texts (MMDDYYYY).
dp::CompanyRecord makeCompany(const std::string& name, const std::string& fiscalYearEnd, const std::string& currentPeriod);

}  // namespace dptest
