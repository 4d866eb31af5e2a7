// The host's system services on Windows.
#include <windows.h>

#include <cstdlib>

#include "host_system.h"
#include "platform/library.h"
#include "platform/native_text.h"

namespace host {
namespace {

void* open(const std::string& path, std::string& error) {
    HMODULE h = LoadLibraryW(platform::widen(path).c_str());
    if (!h) error = platform::describeSystemError(GetLastError());
    return reinterpret_cast<void*>(h);
}

}  // namespace

// Through the C runtime, which the module shares, so that its getenv sees the change.
void setEnvironment(const char* name, const std::string& value) {
    _putenv((std::string(name) + "=" + value).c_str());
}

void* loadModule(std::string& tried, std::string& error) {
    if (const char* env = std::getenv("DP_MODULE"); env && *env) {
        tried = env;
        return open(env, error);
    }
    const std::string dir = platform::directoryOf(
        platform::moduleContaining(reinterpret_cast<const void*>(&loadModule)).path);
    for (const std::string& candidate : {dir + "\\VELDRO.dll", std::string("VELDRO.dll")}) {
        if (!tried.empty()) tried += ", ";
        tried += candidate;
        if (void* h = open(candidate, error)) return h;
    }
    return nullptr;
}

void* findEntry(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

}  // namespace host
