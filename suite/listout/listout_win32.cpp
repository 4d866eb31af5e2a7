// The suite's print spooling on Windows: takes the command text "file,device,field3,options" and
// prints the file. Device FILE saves a copy under the path of field 3; any other device is a
// Windows printer that receives the file as a raw job, so a printer that understands the report's
// control codes prints it as designed. The options describe the page for the suite's own spooler;
// a raw job leaves the page to the printer, so they are accepted and not acted on.
#include <windows.h>
#include <winspool.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/message.h"
#include "platform/native_text.h"
#include "print_command.h"
#include "suite_printing.h"

using listout::fail;

namespace {


// Sends the file's bytes unchanged as one raw job. Empty on success, otherwise why it failed.
std::string rawJob(const std::string& device, const std::string& file) {
    platform::RecordFile in;
    if (!in.openExisting(file, 1)) return "it cannot be read";
    std::wstring printer = platform::widen(device);
    HANDLE h = nullptr;
    if (!OpenPrinterW(printer.data(), &h, nullptr)) return platform::describeSystemError(GetLastError());
    std::wstring name = platform::widen(file);
    wchar_t raw[] = L"RAW";
    DOC_INFO_1W doc{name.data(), nullptr, raw};
    std::string why;
    if (StartDocPrinterW(h, 1, reinterpret_cast<LPBYTE>(&doc)) == 0) {
        why = platform::describeSystemError(GetLastError());
    } else {
        StartPagePrinter(h);
        std::vector<char> chunk(65536);
        const std::int64_t size = in.sizeBytes();
        for (std::int64_t at = 0; at < size && why.empty();) {
            const std::int64_t n = std::min<std::int64_t>(size - at, static_cast<std::int64_t>(chunk.size()));
            DWORD written = 0;
            if (!in.readRecords(at + 1, n, chunk.data())) why = "it cannot be read";
            else if (!WritePrinter(h, chunk.data(), static_cast<DWORD>(n), &written) || written != n)
                why = platform::describeSystemError(GetLastError());
            at += n;
        }
        EndPagePrinter(h);
        if (!EndDocPrinter(h) && why.empty()) why = platform::describeSystemError(GetLastError());
    }
    ClosePrinter(h);
    return why;
}

int32_t listOut(const std::string& command) {
    platform::recordPrint(command);
    if (!platform::backend().printsForReal()) return 0;
    listout::PrintCommand pc;
    if (!listout::readCommand(command, pc)) return -1;
    if (pc.device == "FILE") return listout::saveCopy(pc);
    if (pc.device.empty()) {
        fail("No printer was chosen for " + pc.file + ".");
        return -1;
    }
    const std::string why = rawJob(pc.device, pc.file);
    if (!why.empty()) {
        fail("Printing " + pc.file + " on " + pc.device + " failed: " + why + ".");
        return -1;
    }
    return 0;
}

}  // namespace

extern "C" SUITE_EXPORT int32_t SUITE_STDCALL ListOut(const char* command, int32_t zero) {
    (void)zero;
    return listout::guardedListOut(listOut, command);
}
