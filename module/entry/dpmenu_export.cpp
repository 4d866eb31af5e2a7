// The module's one entry point.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "entry/menu.h"
#include "entry/session.h"
#include "platform/backend.h"
#include "platform/files.h"

extern "C" __attribute__((visibility("default"))) int DPMENU(const char* clientCode) {
    // The module's own path, where the suite's printer libraries are looked for.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DPMENU), &info) && info.dli_fname)
        dp::session().moduleHandle = info.dli_fname;
    try {
        return dp::runMenu(clientCode ? clientCode : "");
    } catch (const platform::ScriptStop& stop) {
        // A script that cannot go on: files closed, the host told through the exit status.
        platform::closeAllFiles();
        std::fprintf(stderr, "dphost: the script stopped: %s\n", stop.what());
        std::fflush(nullptr);
        std::exit(3);
    } catch (const std::exception& e) {
        platform::closeAllFiles();
        std::fprintf(stderr, "dphost: %s\n", e.what());
    }
    dp::session().abortRequested = 0;
    return 0;
}
