// Where a printed report may go: the checks that both systems' printer choice (PickDevice) and
// print spooling (ListOut) make before a printer name is used or a file is written.
//   - A print queue's name travels in the reply between "*" and in the spooler's command between
//     commas, and the module trims its blanks and a trailing ":": a name that cannot come through
//     unchanged is refused when it is chosen.
//   - "File" and "PDF file" never write over a client's data files, over the file being printed,
//     or onto anything that is not an ordinary file (a folder, a device, a pipe); an existing file
//     is replaced only when the user says so (the default answer is No); the new content goes into
//     a file beside the target and is renamed over it, so a failure leaves the old file whole.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "client_files.h"
#include "platform/files.h"
#include "platform/message.h"

namespace printtarget {

// The largest printer file the suite reads: a report of every asset the register can hold fits
// many times over.
inline constexpr std::int64_t kMaxPrinterFileBytes = std::int64_t{64} << 20;

// Why the print queue name cannot be used; empty when it can.
inline std::string queueNameProblem(const std::string& name) {
    if (name.empty()) return "it is empty";
    for (const char c : name) {
        if (c == '*' || c == ',') return std::string("it contains \"") + c + "\", which separates the fields of a print job";
        if (static_cast<unsigned char>(c) < 32 || c == 127) return "it contains a control character";
    }
    if (name.front() == ' ' || name.back() == ' ') return "it begins or ends with a blank";
    if (name.back() == ':') return "it ends with \":\"";
    if (clientfiles::sameLetters(name, "FILE") || name.front() == '#') return "it is the name of the choice \"File\", \"PDF file\" or \"Screen\"";
    return {};
}

inline std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Why the copy of the printed file may not be written to target; empty when it may. Nothing is
// opened, so a pipe standing there is never waited on.
inline std::string targetProblem(const std::string& printed, const std::string& target) {
    const std::string name = fileNameOf(target);
    if (name.empty() || name == "." || name == "..") return target + " is a folder, not a file name";
    if (clientfiles::isBooksName(name)) return target + " is a file of a client's books";
    const bool besidePrinted = !printed.empty() && platform::sameFileAt(folderOf(printed), folderOf(target));
    if (besidePrinted && (clientfiles::sameLetters(name, "report.txt") || clientfiles::sameLetters(name, "T4562.FRM")))
        return target + " is one of the client's printer files";
    if (platform::sameFileAt(printed, target)) return target + " is the file being printed";
    if (platform::directoryExists(target)) return target + " is a folder";
    if (platform::fileSize(target) >= 0 && !platform::fileExists(target))
        return target + " is not an ordinary file (a device or a pipe)";
    return {};
}

// Whether target may be written: its problem shown, or the user asked before an existing file is
// replaced (No is the default answer). True when the writing may go ahead.
inline bool mayWrite(const std::string& printed, const std::string& target) {
    if (const std::string problem = targetProblem(printed, target); !problem.empty()) {
        platform::messageBox("Nothing was written: " + problem + ".", "Print", platform::MsgIcon::Error);
        return false;
    }
    if (!platform::fileExists(target)) return true;
    return platform::messageBox(target + " already exists.\r\nReplace it with the printed report?", "Print",
                                platform::MsgIcon::Question,
                                platform::MsgButtons::YesNoDefaultNo) == platform::MsgResult::Yes;
}

// Why the file to be printed cannot be read as a printer file; empty when it can.
inline std::string printedFileProblem(const std::string& printed) {
    if (!platform::fileExists(printed) && platform::fileSize(printed) < 0) return "it does not exist";
    const platform::FileError why = platform::checkOrdinaryFile(printed, kMaxPrinterFileBytes);
    return why == platform::FileError::None ? std::string() : platform::describeFileError(why);
}

}  // namespace printtarget
