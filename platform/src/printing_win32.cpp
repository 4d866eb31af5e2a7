// The printers Windows knows, local and connected.
#include <windows.h>
#include <winspool.h>

#include <vector>

#include "platform/native_text.h"
#include "platform/printing.h"

namespace platform {

std::vector<std::string> listPrinters() {
    std::vector<std::string> names;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0) return names;
    std::vector<BYTE> buf(needed);
    if (!EnumPrintersW(flags, nullptr, 4, buf.data(), needed, &needed, &count)) return names;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buf.data());
    for (DWORD i = 0; i < count; ++i)
        if (info[i].pPrinterName && *info[i].pPrinterName) names.push_back(narrow(info[i].pPrinterName));
    return names;
}

}  // namespace platform
