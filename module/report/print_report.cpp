// The print-out: the suite's printer choice (DEVPICK) and print spooling (LISTOUT) are loaded at
// run time, as the suite's own libraries are, and called through the entries described in
// suite_printing.h.
#include "report/print_report.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "suite_printing.h"
#include "platform/library.h"
#include "platform/message.h"
#include "register/records.h"

namespace dp {
namespace {

// The module's own file (its "module handle"): the suite's libraries are looked for beside it.
std::string& moduleFile() {
    static std::string file;
    return file;
}

std::vector<std::string> splitFields(const std::string& reply) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t star = reply.find('*', start);
        fields.push_back(reply.substr(start, star == std::string::npos ? std::string::npos : star - start));
        if (star == std::string::npos) break;
        start = star + 1;
    }
    return fields;
}

// The directories searched for a suite library, in order. DP_SUITE_LIBDIR, when set, is the only
// list looked at (an installation that keeps the suite elsewhere, and the tests); otherwise the
// module's own directory, then the system's library path.
std::vector<std::string> searchDirectories() {
    if (const char* env = std::getenv("DP_SUITE_LIBDIR"); env && *env) return platform::splitSearchList(env);
    std::vector<std::string> dirs;
    if (!moduleFile().empty()) dirs.push_back(platform::directoryOf(moduleFile()));
    dirs.emplace_back();  // the system's library path
    return dirs;
}

bool loadSuiteLibrary(platform::Library& library, const char* file, std::string& error) {
    for (const std::string& dir : searchDirectories()) {
        if (library.open(dir.empty() ? std::string(file) : dir + "/" + file)) return true;
        error = library.error();
    }
    return false;
}

void cannotPrint(const std::string& what, const std::string& error) {
    platform::messageBox("The " + what + " cannot be loaded, so nothing was printed." +
                             (error.empty() ? std::string() : "\r\n" + error),
                         "Print", platform::MsgIcon::Error);
}

// The calling module: its file (kept in moduleHandle) and its load address (the instance).
void* lookUpModule() {
    const platform::LoadedModule self = platform::moduleContaining(reinterpret_cast<const void*>(&printReportFile));
    if (!self.path.empty()) moduleFile() = self.path;
    return self.base;
}

}  // namespace

std::string listOutCommand(const std::string& file, const std::string& reply, const std::string& reportName) {
    if (reply.empty()) return {};
    const std::vector<std::string> fields = splitFields(reply);
    auto field = [&fields](std::size_t n) { return n <= fields.size() ? fields[n - 1] : std::string(); };
    std::string device = trimBoth(field(2));
    if (!device.empty() && device.back() == ':') device.pop_back();
    std::string options = field(4) == "N" ? "/NP" : "";
    if (reportName == "DPRPT") options += "/80/FP";
    if (options.find("/NP") == std::string::npos) options += "/ZM";
    return file + "," + device + "," + field(3) + "," + options;
}

void printReportFile(const std::string& file, const std::string& title, const std::string& reportName) {
    void* instance = lookUpModule();
    std::string error;
    platform::Library devpick, listout;
    if (!loadSuiteLibrary(devpick, SUITE_DEVPICK_LIBRARY, error))
        return cannotPrint("printer selection library " SUITE_DEVPICK_LIBRARY, error);
    auto pickDevice = reinterpret_cast<PickDeviceFunction>(devpick.symbol(SUITE_PICK_DEVICE_ENTRY));
    if (!pickDevice) return cannotPrint("printer selection entry " SUITE_PICK_DEVICE_ENTRY, {});

    const std::int32_t n999 = 999, n20 = 20, zero = 0;
    std::vector<char> reply(4096, '\0');
    const std::int32_t n = pickDevice(&instance, title.c_str(), &n999, &n20, &zero, &zero, reply.data(),
                                      static_cast<std::int32_t>(reply.size()));
    const std::string answer(reply.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
    if (answer.empty()) return;  // cancelled: nothing printed, nothing said
    // The spooling library (with the printing system it brings) is loaded only for a chosen
    // printer: a cancelled choice does not wait for it.
    if (!loadSuiteLibrary(listout, SUITE_LISTOUT_LIBRARY, error))
        return cannotPrint("print spooling library " SUITE_LISTOUT_LIBRARY, error);
    auto listOut = reinterpret_cast<ListOutFunction>(listout.symbol(SUITE_LIST_OUT_ENTRY));
    if (!listOut) return cannotPrint("print spooling entry " SUITE_LIST_OUT_ENTRY, {});
    const std::string command = listOutCommand(file, answer, reportName);
    listOut(command.c_str(), 0);
}

}  // namespace dp
