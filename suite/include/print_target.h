// Where a printed report may go: the checks that both systems' printer choice (PickDevice) and
// print spooling (ListOut) make before a printer name is used or a file is written.
//   - A print queue's name travels in the reply between "*" and in the spooler's command between
//     commas, and the module trims its blanks and a trailing ":": a name that cannot come through
//     unchanged is refused when it is chosen.
//   - "File" and "PDF file" never write over a client's data files (by any name the system gives
//     them), over the file being printed, or onto anything that is not an ordinary file (a folder,
//     a device, a pipe; on Windows also a device's name such as lpt1.pdf); an existing file
//     is replaced only when the user says so (the default answer is No); the new content goes into
//     a file beside the target and is renamed over it, so a failure leaves the old file whole.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

#ifdef _WIN32
// "C:report.pdf" is report.pdf in drive C's current folder.
inline constexpr const char* kPathSeparators = "/\\:";
#else
inline constexpr const char* kPathSeparators = "/\\";
#endif

inline std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of(kPathSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of(kPathSeparators);
    if (slash == std::string::npos) return ".";
    return path.substr(0, path[slash] == ':' || slash == 0 ? slash + 1 : slash);
}

// The file name in folder (which may be a drive's current folder, "C:").
inline std::string inFolder(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == ':' ? folder + name : folder + "/" + name;
}

// The name as Windows reads it: without trailing dots and blanks ("depr.fil." is depr.fil).
inline std::string_view asWindowsReadsIt(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return name;
}

// Whether Windows takes the name for a device wherever it stands: CON, PRN, AUX, NUL, COM0-COM9,
// LPT0-LPT9, CONIN$ or CONOUT$, alone or before a dot ("lpt1.pdf" is the printer port), in any
// letter case.
inline bool namesWindowsDevice(std::string_view name) {
    std::string_view base = asWindowsReadsIt(name);
    base = base.substr(0, base.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    if (clientfiles::isOneOf(base, {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})) return true;
    if (base.size() != 4 || !std::isdigit(static_cast<unsigned char>(base[3]))) return false;
    return clientfiles::sameLetters(base.substr(0, 3), "COM") || clientfiles::sameLetters(base.substr(0, 3), "LPT");
}

// Whether an existing target is one of the books of its folder under another name: a second
// link, or on Windows a short name (DEPRRE~1.FIL) or a name read without its trailing dot.
inline bool isBooksFileByAnotherName(const std::string& target) {
    if (!platform::fileExists(target)) return false;
    const std::string folder = folderOf(target);
    for (const std::string& name : platform::listDirectory(folder))
        if (clientfiles::isBooksName(name) && platform::sameFileAt(inFolder(folder, name), target)) return true;
    return false;
}

// What the system makes of the name: on Windows a device or a part of a file (a stream) is never
// a file to write to. Empty when the name is an ordinary file's.
inline std::string systemNameProblem(const std::string& target, std::string_view name) {
#ifdef _WIN32
    if (namesWindowsDevice(name)) return target + " is not an ordinary file (a device or a pipe)";
    if (target.find(':', 2) != std::string::npos) return target + " names a part of a file (a stream), not a file";
#else
    (void)target;
    (void)name;
#endif
    return {};
}

// Why the copy of the printed file may not be written to target; empty when it may. Nothing is
// opened, so a pipe standing there is never waited on.
inline std::string targetProblem(const std::string& printed, const std::string& target) {
    const std::string fullName = fileNameOf(target);
    if (fullName.empty() || fullName == "." || fullName == "..") return target + " is a folder, not a file name";
    if (std::string problem = systemNameProblem(target, fullName); !problem.empty()) return problem;
#ifdef _WIN32
    const std::string_view name = asWindowsReadsIt(fullName);
#else
    const std::string_view name = fullName;
#endif
    if (clientfiles::isBooksName(name)) return target + " is a file of a client's books";
    const bool besidePrinted = !printed.empty() && platform::sameFileAt(folderOf(printed), folderOf(target));
    if (besidePrinted && (clientfiles::sameLetters(name, "report.txt") || clientfiles::sameLetters(name, "T4562.FRM")))
        return target + " is one of the client's printer files";
    if (platform::sameFileAt(printed, target)) return target + " is the file being printed";
    if (platform::directoryExists(target)) return target + " is a folder";
    if (platform::fileSize(target) >= 0 && !platform::fileExists(target))
        return target + " is not an ordinary file (a device or a pipe)";
    if (isBooksFileByAnotherName(target)) return target + " is a file of a client's books";
    return {};
}

// Whether target may be written: its problem shown, or the user asked before an existing file is
// replaced (No is the default answer; the question names it with its whole path). True when the
// writing may go ahead.
inline bool mayWrite(const std::string& printed, const std::string& target) {
    if (const std::string problem = targetProblem(printed, target); !problem.empty()) {
        platform::messageBox("Nothing was written: " + problem + ".", "Print", platform::MsgIcon::Error);
        return false;
    }
    if (!platform::fileExists(target)) return true;
    const std::string question = platform::fullPath(target) + " already exists.\r\nReplace it with the printed report?";
    return platform::messageBox(question, "Print", platform::MsgIcon::Question, platform::MsgButtons::YesNo, true,
                                platform::MsgDefault::Second) == platform::MsgResult::Yes;
}

// Why the file to be printed cannot be read as a printer file; empty when it can.
inline std::string printedFileProblem(const std::string& printed) {
    if (!platform::fileExists(printed) && platform::fileSize(printed) < 0) return "it does not exist";
    const platform::FileError why = platform::checkOrdinaryFile(printed, kMaxPrinterFileBytes);
    return why == platform::FileError::None ? std::string() : platform::describeFileError(why);
}

}  // namespace printtarget
