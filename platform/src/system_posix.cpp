// Library loading, the loaded module of an address, local time and the backend choice on POSIX
// systems.
#include <dlfcn.h>

#include "native.h"
#include "platform/clock.h"
#include "platform/library.h"

namespace platform {

bool Library::open(const std::string& path) {
    error_.clear();
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        error_ = why ? why : "cannot load " + path;
    }
    return handle_ != nullptr;
}

void* Library::symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

LoadedModule moduleContaining(const void* address) {
    Dl_info info{};
    if (!::dladdr(address, &info) || !info.dli_fname) return {};
    return {info.dli_fname, info.dli_fbase};
}

std::tm localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    return tm;
}

std::unique_ptr<Backend> makeInteractiveBackend() { return makeTerminalBackend(); }

std::unique_ptr<Backend> joinScriptedRun() { return nullptr; }

void shareScriptedRun(Backend*) {}

void passOnScriptStop(const ScriptStop& stop) { throw stop; }

}  // namespace platform
