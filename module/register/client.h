// A client as one procedure has it open: the data directory, the lock that makes the procedure
// the client's only writer for its whole run, the asset files with their index, and the company
// values read with them. Every register operation takes it explicitly; when it goes, its files
// are closed and the lock is released, on every way out of the procedure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/client_lock.h"
#include "platform/files.h"
#include "register/records.h"

namespace dp {

// What a procedure does when the data directory does not exist.
enum class MissingDirectory {
    Refuse,  // tell the user and stop
    Create,  // make it (asset maintenance and the period close start new clients)
};

// The checks every procedure makes on the client code before it touches a file. Empty text when
// the code is usable, else the message that says why not.
std::string clientCodeProblem(const std::string& clientCode);

// How long Client::open waits for a client another user has before it refuses: 5 seconds.
// Tests may set another time (-1 restores the usual one).
void setClientWaitMilliseconds(int milliseconds);

class Client {
public:
    // Checks the client code, finds or makes the data directory and takes the client's lock,
    // waiting a few seconds for a client another user has (the user sees who has it and may
    // stop waiting with Esc). Then finishes or clears away what an interrupted procedure left
    // (unfinished_work.h) and checks that the data files are ordinary files of a sound size.
    // When any of these fails the user is told why and nothing comes back; nothing was changed.
    static std::unique_ptr<Client> open(const std::string& clientCode, const std::string& procedure,
                                        MissingDirectory missing = MissingDirectory::Refuse);

    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;
    ~Client();

    // The client code exactly as the host passed it; also the data directory.
    const std::string& code() const { return code_; }
    // A file of the data directory, found whatever its letter case.
    std::string path(const std::string& fileName) const;

    // Closes every file this client has open (the lock stays).
    void closeFiles();

    // The asset file set, opened by OpenAssetFiles.
    platform::RecordFile idx;          // depr.idx
    platform::RecordFile fil;          // depr.fil
    platform::RecordFile companyFile;  // company.fil
    std::int16_t entryCount = 0;
    // Element 0 is not used; elements 1..n hold the index entries in file order.
    std::vector<IndexBytes> AssetIndex = std::vector<IndexBytes>(1);

    // Company values read by OpenAssetFiles.
    CompanyRecord company;
    std::string companyName;        // CompanyName as stored
    std::string fiscalYearEndText;  // MMDDYYYY

private:
    explicit Client(std::string code) : code_(std::move(code)) {}
    std::string code_;
    platform::ClientLock lock_;
};

}  // namespace dp
