// What the commands share: opening a client as a menu procedure does, reading its register,
// writing the output, and saying what the user should know.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "arguments.h"
#include "register/client.h"
#include "register_rows.h"

namespace veldro {

// The client opened for a command: its lock held until the object goes. Without a client,
// status says why (the user has been told).
struct OpenedClient {
    std::unique_ptr<dp::Client> client;
    int status = 0;
};
OpenedClient openClient(const std::string& code, const std::string& procedure);

struct RegisterBytes {
    std::vector<unsigned char> index, assets;
};
// depr.idx and depr.fil as they are (missing files are an empty register); refused when the
// index does not match the asset file. The exit status.
int readRegister(const dp::Client& client, RegisterBytes& r);

// The bytes to standard output, or as the whole new content of `output`. The exit status.
int writeOutput(const std::string& output, const std::string& bytes);

// Why the command may not write its -o file ("" when it may, or when it has none): where a
// printed report may not go (a file of a client's books by any name, the client's printer files,
// anything that is not an ordinary file), or an existing file without --replace.
std::string outputProblem(const Arguments& a);

// The reason of the last failed file operation, for a message.
std::string fileReason();
void sayNotes(const std::vector<std::string>& notes);
// The tables the computed rows read are files of the current directory: says which are not there.
void sayMissingTables(const std::vector<RegisterRow>& rows, char basis);

int exportRegister(const Arguments& a);
int importAssets(const Arguments& a);
int projectAssets(const Arguments& a);
int reportAssets(const Arguments& a);

}  // namespace veldro
