// The command text the module hands to ListOut: "file,device,field3,options".
#pragma once

#include <cctype>
#include <exception>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/message.h"

namespace listout {

struct PrintCommand {
    std::string file;
    std::string device;
    std::string target;   // field 3
    std::string options;
};

inline std::vector<std::size_t> commaPositions(const std::string& s) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == ',') at.push_back(i);
    return at;
}

// The options never hold a comma, nor does a device name; the file and the target path may.
// The file is the shortest leading part that names an existing file and still leaves a device
// and a target behind; without one, the first comma ends it.
inline bool parseCommand(const std::string& command, PrintCommand& out) {
    const std::size_t last = command.rfind(',');
    if (last == std::string::npos) return false;
    out.options = command.substr(last + 1);
    const std::string head = command.substr(0, last);
    const std::vector<std::size_t> commas = commaPositions(head);
    if (commas.size() < 2) return false;
    std::size_t fileEnd = commas[0];
    for (std::size_t k = 0; k + 1 < commas.size(); ++k) {
        if (platform::fileExists(head.substr(0, commas[k]))) {
            fileEnd = commas[k];
            break;
        }
    }
    out.file = head.substr(0, fileEnd);
    const std::size_t deviceEnd = head.find(',', fileEnd + 1);
    out.device = head.substr(fileEnd + 1, deviceEnd - fileEnd - 1);
    out.target = head.substr(deviceEnd + 1);
    return true;
}

// What a job prints, for the print service's queue, the PDF and the screen: the report by its
// file and options ("/80/FP" only for the depreciation report), then the client, the name of
// the directory that holds the file: "Depreciation Report - SAMPLE".
inline std::string jobTitle(const PrintCommand& pc) {
    const std::size_t cut = pc.file.find_last_of("/\\");
    std::string name = cut == std::string::npos ? pc.file : pc.file.substr(cut + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const char* what = name == "t4562.frm"                        ? "Form 4562"
                       : pc.options.find("/80/FP") != std::string::npos ? "Depreciation Report"
                       : name == "report.txt"                      ? "Amortization Schedule"
                                                                   : nullptr;
    if (!what) return cut == std::string::npos ? pc.file : pc.file.substr(cut + 1);
    std::string client = cut == std::string::npos || cut == 0 ? std::string() : pc.file.substr(0, cut);
    while (!client.empty() && (client.back() == '/' || client.back() == '\\')) client.pop_back();
    if (const std::size_t up = client.find_last_of("/\\"); up != std::string::npos) client = client.substr(up + 1);
    return client.empty() || client == "." ? std::string(what) : std::string(what) + " - " + client;
}

// Where a file went, for the note that says so: the whole path, whatever directory the program
// runs in ("PDF written to /home/ann/books/depreciation.pdf").
inline std::string fullPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(path, ec);
    return ec ? path : whole.lexically_normal().string();
}

// A failure of the print spooling, shown to the user; the result ListOut then returns.
inline int fail(const std::string& text) {
    platform::messageBox(text, "Print", platform::MsgIcon::Error);
    return -1;
}

// The command read and its file found; false after telling the user what is wrong.
inline bool readCommand(const std::string& command, PrintCommand& pc) {
    if (!parseCommand(command, pc)) {
        fail("The print command \"" + command + "\" is not of the form file,device,field3,options.");
        return false;
    }
    if (!platform::fileExists(pc.file)) {
        fail("The file " + pc.file + " to be printed does not exist.");
        return false;
    }
    return true;
}

// Device FILE: a copy of the file under the name in field 3.
inline int saveCopy(const PrintCommand& pc) {
    if (pc.target.empty()) return fail("No file name was given for the copy of " + pc.file + ".");
    if (!platform::copyFile(pc.file, pc.target)) return fail("The report could not be saved as " + pc.target + ".");
    platform::showStatus("Report written to " + fullPath(pc.target));
    return 0;
}

// ListOut's body around the system's own printing: a stopped script passes on to the host,
// anything else unforeseen is told to the user instead of crossing the library's boundary.
template <class Print>
int guardedListOut(Print print, const char* command) {
    try {
        return print(command ? command : "");
    } catch (const platform::ScriptStop& stop) {
        platform::passOnScriptStop(stop);
    } catch (const std::exception& e) {
        return fail(std::string("Printing failed: ") + e.what());
    }
}

}  // namespace listout
