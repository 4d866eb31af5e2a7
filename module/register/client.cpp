#include "register/client.h"

#include "platform/message.h"

namespace dp {
namespace {

const char* const kCodeTitle = "Error in Client Code";

void refuse(const std::string& text, const std::string& title) {
    platform::messageBox(text, title, platform::MsgIcon::Error);
}

std::string inUseText(const std::string& code, const std::string& holder) {
    return "Client " + trimRight(code) + " is in use by another user" + (holder.empty() ? "" : " (" + holder + ")") +
           ".\r\nNothing was changed. Try again when they have finished.";
}

}  // namespace

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
    switch (client->lock_.acquire(clientCode, platform::lockHolderName() + ": " + procedure)) {
        case platform::LockOutcome::Acquired:
            // A replacement an interruption left half done is finished before anything is read.
            platform::finishPendingReplacement(clientCode);
            return client;
        case platform::LockOutcome::InUse:
            refuse(inUseText(clientCode, client->lock_.holder()), procedure);
            return nullptr;
        case platform::LockOutcome::Unavailable:
            refuse("The data directory " + clientCode + " cannot be written: " +
                       platform::describeFileError(client->lock_.error()) + ".\r\nNothing was changed.",
                   procedure);
            return nullptr;
    }
    return nullptr;
}

Client::~Client() { closeFiles(); }

std::string Client::path(const std::string& fileName) const { return platform::resolvePath(code_, fileName); }

void Client::closeFiles() {
    idx.close();
    fil.close();
    companyFile.close();
}

}  // namespace dp
