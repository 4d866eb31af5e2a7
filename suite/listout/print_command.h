// The command text the module hands to ListOut: "file,device,field3,options".
#pragma once

#include <cctype>
#include <exception>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/message.h"
#include "paper_choice.h"
#include "print_target.h"
#include "render/render.h"
#include "suite_printing.h"

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

// The request that renders the job's pages as a PDF to `output`, titled for what it prints, on
// the paper chosen for it.
inline dprender::RenderRequest pdfRequest(const PrintCommand& pc, const std::string& output, const PaperChoice& paper) {
    dprender::RenderRequest req;
    req.input = pc.file;
    req.output = output;
    req.title = jobTitle(pc);
    req.paper = paper.paper;
    req.margins = paper.margins;
    return req;
}

// What the screen shows above the pages: what they are and the paper they are laid out for.
inline std::string screenHeading(const PrintCommand& pc, const dprender::Paper& paper) {
    return jobTitle(pc) + " (" + paper.name + ")";
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
    if (!platform::fileExists(pc.file) && platform::fileSize(pc.file) < 0) {
        fail("The file " + pc.file + " to be printed does not exist.");
        return false;
    }
    if (const std::string problem = printtarget::printedFileProblem(pc.file); !problem.empty()) {
        fail("The file " + pc.file + " cannot be printed: " + problem + ".");
        return false;
    }
    return true;
}

// Device FILE: a copy of the file under the name in field 3, written beside it and put in its
// place, after the checks of print_target.h. The note says where it went with the whole path,
// whatever directory the program runs in ("Report written to /home/ann/books/depreciation.txt").
inline int saveCopy(const PrintCommand& pc) {
    if (pc.target.empty()) return fail("No file name was given for the copy of " + pc.file + ".");
    if (!printtarget::mayWrite(pc.file, pc.target)) return -1;
    if (!platform::replaceWithCopy(pc.file, pc.target))
        return fail("The report could not be saved as " + pc.target + " (" +
                    platform::describeFileError(platform::lastFileError()) + "); nothing there was changed.");
    platform::showStatus("Report written to " + platform::fullPath(pc.target));
    return 0;
}

// Device #PDF: the rendered pages as a PDF under the name in field 3, on the locale's paper,
// after the checks of print_target.h; the renderer writes beside it and puts it in place when
// complete, so it is whole or not at all.
inline int savePdf(const PrintCommand& pc) {
    if (pc.target.empty()) return fail("No file name was given for the PDF of " + pc.file + ".");
    if (!printtarget::mayWrite(pc.file, pc.target)) return -1;
    const dprender::RenderResult res = dprender::renderFile(pdfRequest(pc, pc.target, localePaper()));
    if (!res.ok) return fail("The report could not be saved as the PDF " + pc.target + ". " + res.error);
    platform::showStatus("PDF written to " + platform::fullPath(pc.target));
    return 0;
}

// The result of handing a job to a print queue; `why` it failed, or empty.
inline int printed(const PrintCommand& pc, const std::string& why) {
    if (why.empty()) return 0;
    return fail("Printing " + pc.file + " on " + pc.device + " failed: " + why + (why.back() == '.' ? "" : "."));
}

// What each system does with the pages: shows them on the screen, prints them on a queue
// rendered, or sends the file to a queue as it is (both: why it failed, or empty).
struct SystemPrinting {
    int (*showOnScreen)(const PrintCommand&);
    std::string (*printRendered)(const PrintCommand&);
    std::string (*printRaw)(const PrintCommand&);
};

// ListOut's work: device FILE saves a copy, #PDF the rendered PDF, #SCREEN shows the pages; any
// other device is a print queue, given the rendered pages unless field 3 says RAW. A scripted
// run records the hand-over and prints nothing.
inline int carryOut(const std::string& command, const SystemPrinting& system) {
    platform::recordPrint(command);
    if (!platform::backend().printsForReal()) return 0;
    PrintCommand pc;
    if (!readCommand(command, pc)) return -1;
    if (pc.device == SUITE_DEVICE_FILE) return saveCopy(pc);
    if (pc.device == SUITE_DEVICE_PDF) return savePdf(pc);
    if (pc.device == SUITE_DEVICE_SCREEN) return system.showOnScreen(pc);
    if (pc.device.empty()) return fail("No printer was chosen for " + pc.file + ".");
    return printed(pc, pc.target == SUITE_RAW_JOB ? system.printRaw(pc) : system.printRendered(pc));
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
