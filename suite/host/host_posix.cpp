// The host's system services on POSIX systems.
#include <dlfcn.h>
#include <libgen.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "host_system.h"

namespace host {
namespace {

std::string selfDirectory() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = '\0';
    return ::dirname(buf);
}

void* open(const std::string& path, std::string& error) {
    void* h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* why = ::dlerror();
        error = why ? why : "cannot load";
    }
    return h;
}

}  // namespace

void setEnvironment(const char* name, const std::string& value) {
    if (value.empty()) ::unsetenv(name);
    else ::setenv(name, value.c_str(), 1);
}

void* loadModule(std::string& tried, std::string& error) {
    if (const char* env = std::getenv("DP_MODULE"); env && *env) {
        tried = env;
        return open(env, error);
    }
    const std::string dir = selfDirectory();
    for (const std::string& candidate : {dir + "/../module/VELDRO.so", dir + "/../lib/veldro/VELDRO.so",
                                         dir + "/VELDRO.so", std::string("VELDRO.so")}) {
        if (!tried.empty()) tried += ", ";
        tried += candidate;
        if (void* h = open(candidate, error)) return h;
    }
    return nullptr;
}

void* findEntry(void* module, const char* name) { return ::dlsym(module, name); }

}  // namespace host
