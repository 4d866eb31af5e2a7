// The module's one entry point (see suite_host.h for how the host calls it).
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "entry/menu.h"
#include "entry/session.h"
#include "format/money.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/library.h"
#include "platform/message.h"
#include "suite_host.h"

#ifdef _WIN32
#define DPMENU_EXPORT  // exported by name through the module's .def file
#else
#define DPMENU_EXPORT __attribute__((visibility("default")))
#endif

namespace {

// The user is told why the menu went away, in a message box when one can still be shown.
void tellUser(const std::string& text) {
    try {
        platform::messageBox(text, "Error", platform::MsgIcon::Error);
    } catch (...) {
        // standard error has it already
    }
}

// Nothing may leave the module but the result: no exception crosses into the host.
std::int32_t runFromHost(const char* const* clientCode) {
    const dp::ExtendedPrecision money;  // the figures round as on every other system
    // The module's own file, where the suite's printer libraries are looked for.
    dp::session().moduleHandle = platform::moduleContaining(reinterpret_cast<const void*>(&runFromHost)).path;
    const char* text = clientCode ? *clientCode : nullptr;
    try {
        return dp::runMenu(text ? text : "");
    } catch (const platform::ScriptStop& stop) {
        platform::endStoppedScript(stop.what());
    } catch (const std::exception& e) {
        platform::closeAllFiles();
        std::fprintf(stderr, "dphost: %s\n", e.what());
        tellUser(std::string("The depreciation module stopped: ") + e.what());
    } catch (...) {
        platform::closeAllFiles();
        std::fprintf(stderr, "dphost: the module failed\n");
    }
    dp::session().abortRequested = 0;
    return 0;
}

}  // namespace

extern "C" DPMENU_EXPORT std::int32_t SUITE_STDCALL DPMENU(const char* const* clientCode) {
    return runFromHost(clientCode);
}
