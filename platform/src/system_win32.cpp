// Text conversion, library loading, the loaded module of an address, local time, the backend
// choice and the sharing of a scripted run between libraries, on Windows.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "native.h"
#include "platform/clock.h"
#include "platform/library.h"
#include "platform/native_text.h"
#include "win32_module.h"

namespace platform {

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
    return w;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::string narrow(const wchar_t* text) { return text ? narrow(std::wstring(text)) : std::string(); }

HINSTANCE thisModule() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &self);
    return self;
}

std::string describeSystemError(unsigned long error) {
    wchar_t* buf = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<LPWSTR>(&buf), 0, nullptr);
    std::string text = narrow(buf);
    if (buf) LocalFree(buf);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : text;
}

bool Library::open(const std::string& path) {
    error_.clear();
    handle_ = LoadLibraryW(widen(path).c_str());
    if (!handle_) error_ = path + ": " + describeSystemError(GetLastError());
    return handle_ != nullptr;
}

void* Library::symbol(const char* name) const {
    return handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

LoadedModule moduleContaining(const void* address) {
    HMODULE m = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &m))
        return {};
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(m, path, static_cast<DWORD>(std::size(path)));
    if (n == 0 || n >= std::size(path)) return {{}, m};
    return {narrow(std::wstring(path, n)), m};
}

std::tm localTimeNow() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    std::tm tm{};
    tm.tm_year = st.wYear - 1900;
    tm.tm_mon = st.wMonth - 1;
    tm.tm_mday = st.wDay;
    tm.tm_hour = st.wHour;
    tm.tm_min = st.wMinute;
    tm.tm_sec = st.wSecond;
    tm.tm_wday = st.wDayOfWeek;
    tm.tm_isdst = -1;
    return tm;
}

std::unique_ptr<Backend> makeInteractiveBackend() { return makeWin32Backend(); }

void passOnScriptStop(const ScriptStop& stop) { endStoppedScript(stop.what()); }

// ---- One scripted run shared by the libraries of the process ----------------------------------
//
// The library that reads the script (the module, or a test) publishes a table of plain functions
// in the process's environment as "process ID:address"; a suite library's copy of this layer
// finds it and answers its printer choice, its transcript lines and its messages through it. No
// exception crosses the table: a script that cannot go on ends the run inside the publishing
// library.

namespace {

constexpr const char* kBridgeVariable = "DP_SCRIPT_BRIDGE";

struct ScriptBridge {
    std::uint32_t size;
    int (*printerReply)(char* reply, int capacity);   // the reply's length; "" when cancelled
    void (*transcript)(const char* line);
    int (*message)(const char* text, const char* title, int icon, int buttons);
    int (*printsForReal)();
    void (*stop)(const char* why);                     // does not return
};

Backend* publisher = nullptr;

// Runs f against the publisher; a run that is no longer shared, or a script that cannot go on,
// ends here.
template <class F>
auto guarded(F f) -> decltype(f()) {
    if (!publisher) endStoppedScript("a suite library answered after the scripted run had ended");
    try {
        return f();
    } catch (const ScriptStop& stop) {
        endStoppedScript(stop.what());
    } catch (const std::exception& e) {
        endStoppedScript(e.what());
    }
}

int bridgePrinterReply(char* reply, int capacity) {
    return guarded([&] {
        const std::string r = publisher->scriptedPrinterReply().value_or(std::string());
        const int n = static_cast<int>(r.size() < static_cast<std::size_t>(capacity) ? r.size() : capacity - 1);
        std::memcpy(reply, r.data(), static_cast<std::size_t>(n));
        reply[n] = '\0';
        return n;
    });
}

void bridgeTranscript(const char* line) {
    guarded([&] { publisher->transcript(line); });
}

// The buttons travel with the default in the bits above them.
constexpr int kSecondDefault = 0x100;
constexpr int kThirdDefault = 0x200;

int bridgeMessage(const char* text, const char* title, int icon, int buttons) {
    return guarded([&] {
        const MsgDefault def = (buttons & kThirdDefault)    ? MsgDefault::Third
                               : (buttons & kSecondDefault) ? MsgDefault::Second
                                                            : MsgDefault::First;
        return static_cast<int>(publisher->message(text, title, static_cast<MsgIcon>(icon),
                                                   static_cast<MsgButtons>(buttons & ~(kSecondDefault | kThirdDefault)), def));
    });
}

int bridgePrintsForReal() {
    return guarded([] { return publisher->printsForReal() ? 1 : 0; });
}

void bridgeStop(const char* why) {
    if (publisher) publisher->transcript(std::string("stopped: ") + why);
    endStoppedScript(why);
}

const ScriptBridge bridge{sizeof(ScriptBridge), bridgePrinterReply, bridgeTranscript, bridgeMessage,
                          bridgePrintsForReal, bridgeStop};

// The backend of a suite library in a scripted run: everything goes to the publisher's script.
class JoinedBackend final : public Backend {
public:
    explicit JoinedBackend(const ScriptBridge* b) : b_(b) {}
    void runModal(Dialog& dialog) override {
        b_->stop(("the dialog \"" + dialog.caption() + "\" of a suite library cannot be scripted").c_str());
    }
    MsgResult message(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons,
                      MsgDefault defaultButton) override {
        const int def = defaultButton == MsgDefault::Third    ? kThirdDefault
                        : defaultButton == MsgDefault::Second ? kSecondDefault
                                                              : 0;
        return static_cast<MsgResult>(
            b_->message(text.c_str(), title.c_str(), static_cast<int>(icon), static_cast<int>(buttons) | def));
    }
    int runAndWait(const std::string& commandLine) override {
        transcript("run: " + commandLine);
        return 0;
    }
    std::optional<std::string> scriptedPrinterReply() override {
        char reply[4096];
        const int n = b_->printerReply(reply, sizeof reply);
        return std::string(reply, static_cast<std::size_t>(n > 0 ? n : 0));
    }
    bool printsForReal() const override { return b_->printsForReal() != 0; }
    void transcript(const std::string& line) override { b_->transcript(line.c_str()); }

private:
    const ScriptBridge* b_;
};

struct Unpublish {
    ~Unpublish() {
        if (publisher) SetEnvironmentVariableA(kBridgeVariable, nullptr);
    }
} unpublishAtUnload;

}  // namespace

std::unique_ptr<Backend> joinScriptedRun() {
    char value[64] = {};
    const DWORD n = GetEnvironmentVariableA(kBridgeVariable, value, sizeof value);
    if (n == 0 || n >= sizeof value) return nullptr;
    unsigned long pid = 0;
    unsigned long long address = 0;
    if (std::sscanf(value, "%lu:%llx", &pid, &address) != 2 || pid != GetCurrentProcessId() || address == 0)
        return nullptr;
    const auto* b = reinterpret_cast<const ScriptBridge*>(static_cast<std::uintptr_t>(address));
    if (b == &bridge || b->size != sizeof(ScriptBridge)) return nullptr;
    return std::make_unique<JoinedBackend>(b);
}

void shareScriptedRun(Backend* scripted) {
    publisher = scripted;
    if (!scripted) {
        SetEnvironmentVariableA(kBridgeVariable, nullptr);
        return;
    }
    char value[64];
    std::snprintf(value, sizeof value, "%lu:%llx", static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&bridge)));
    SetEnvironmentVariableA(kBridgeVariable, value);
}

}  // namespace platform
