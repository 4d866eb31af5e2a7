#include "register/client.h"

#include <cstdint>

#include "platform/message.h"
#include "register/unfinished_work.h"

namespace dp {
namespace {

const char* const kCodeTitle = "Error in Client Code";

// How long a procedure waits for a client another user has, and how often it looks again.
constexpr int kLockWaitMilliseconds = 5000;
constexpr int kLockRetryMilliseconds = 100;
int lockWaitMilliseconds = kLockWaitMilliseconds;

void refuse(const std::string& text, const std::string& title) {
    platform::messageBox(text, title, platform::MsgIcon::Error);
}

// Who holds the client, as the lock file tells it; its text is shown, so nothing in it may act on
// the terminal.
std::string holderPart(const std::string& holder) {
    const std::string shown = trimBoth(controlsToBlanks(holder));
    return shown.empty() ? std::string() : " (" + shown + ")";
}

std::string inUseText(const std::string& code, const std::string& holder) {
    return "Client " + trimRight(code) + " is in use by another user" + holderPart(holder) +
           ".\r\nNothing was changed. Try again when they have finished.";
}

// The key comes first: a long name may not fit on the status line.
std::string waitingText(const std::string& code, const std::string& holder) {
    const std::string who = trimBoth(controlsToBlanks(holder));
    return "Waiting (Esc stops): " + trimRight(code) + " is in use by " + (who.empty() ? "another user" : who);
}

std::string lockFileText(const std::string& code, platform::FileError why) {
    return "The client's lock file " + platform::resolvePath(code, platform::kClientLockName) +
           " cannot be used: " + platform::describeFileError(why) + ".\r\nNothing was changed.";
}

// Why one of the data files cannot be read as what it is (an ordinary file no larger than its
// layout allows); empty when each can (or does not exist yet).
std::string damagedDataFile(const std::string& code) {
    // An index with more entries than the register can address is offered a rebuild by the
    // index check; only what is no file at all is refused here.
    const std::pair<const char*, std::int64_t> files[] = {
        {"depr.fil", kMaxAssetFileBytes}, {"depr.idx", INT64_MAX}, {"company.fil", kCompanyFileBytes}};
    for (const auto& [name, most] : files) {
        const std::string path = platform::resolvePath(code, name);
        const platform::FileError why = platform::checkOrdinaryFile(path, most);
        if (why != platform::FileError::None)
            return "The client's file " + path + " cannot be used: " + platform::describeFileError(why) +
                   ".\r\nNothing was changed.";
    }
    return {};
}

// Takes the client's lock; a client another user has is waited for a few seconds, with a note
// saying who has it, unless the user stops waiting.
platform::LockOutcome takeLock(platform::ClientLock& lock, const std::string& code, const std::string& holderText) {
    platform::LockOutcome outcome = lock.acquire(code, holderText);
    for (int waited = 0; outcome == platform::LockOutcome::InUse && waited < lockWaitMilliseconds;
         waited += kLockRetryMilliseconds) {
        if (!platform::waitShowing(waitingText(code, lock.holder()), kLockRetryMilliseconds)) break;
        outcome = lock.acquire(code, holderText);
    }
    platform::waitShowing("", 0);
    return outcome;
}

// With the lock held: what an interrupted procedure left is finished or cleared away, and the
// data files are checked, before anything is read. False after telling the user why not.
bool readyToRead(const std::string& code, const std::string& procedure) {
    const Recovery recovery = recoverUnfinishedWork(code);
    if (recovery.refused) {
        refuse(recovery.message, procedure);
        return false;
    }
    if (const std::string damaged = damagedDataFile(code); !damaged.empty()) {
        refuse(damaged, procedure);
        return false;
    }
    if (!recovery.removed.empty()) {
        std::string names;
        for (const std::string& n : recovery.removed) names += (names.empty() ? "" : ", ") + n;
        platform::showStatus("Removed what an interrupted run left: " + names);
    }
    if (!recovery.message.empty()) platform::messageBox(recovery.message, procedure, platform::MsgIcon::Information);
    return true;
}

}  // namespace

void setClientWaitMilliseconds(int milliseconds) {
    lockWaitMilliseconds = milliseconds < 0 ? kLockWaitMilliseconds : milliseconds;
}

std::string clientCodeProblem(const std::string& clientCode) {
    if (clientCode.empty()) return "invalid Client Code";
    // A client's files never go into the root of the file system.
    if (platform::isFileSystemRoot(clientCode))
        return "The client code " + clientCode + " names the root folder, which is not a client's data directory.";
    return {};
}

std::unique_ptr<Client> Client::open(const std::string& clientCode, const std::string& procedure,
                                     MissingDirectory missing) {
    if (const std::string problem = clientCodeProblem(clientCode); !problem.empty()) {
        refuse(problem, kCodeTitle);
        platform::closeAllFiles();
        return nullptr;
    }
    if (!platform::directoryExists(clientCode)) {
        if (missing == MissingDirectory::Refuse) {
            refuse("The data directory " + clientCode + " does not exist.", kCodeTitle);
            return nullptr;
        }
        if (!platform::makeDirectory(clientCode)) {
            refuse("The data directory " + clientCode + " cannot be made: " +
                       platform::describeFileError(platform::lastFileError()) + ".",
                   kCodeTitle);
            return nullptr;
        }
    }
    std::unique_ptr<Client> client(new Client(clientCode));
    switch (takeLock(client->lock_, clientCode, platform::lockHolderName() + ": " + procedure)) {
        case platform::LockOutcome::Acquired: break;
        case platform::LockOutcome::InUse:
            refuse(inUseText(clientCode, client->lock_.holder()), procedure);
            return nullptr;
        case platform::LockOutcome::Unavailable:
            refuse(lockFileText(clientCode, client->lock_.error()), procedure);
            return nullptr;
    }
    if (!readyToRead(clientCode, procedure)) return nullptr;
    return client;
}

Client::~Client() { closeFiles(); }

std::string Client::path(const std::string& fileName) const { return platform::resolvePath(code_, fileName); }

void Client::closeFiles() {
    idx.close();
    fil.close();
    companyFile.close();
}

}  // namespace dp
