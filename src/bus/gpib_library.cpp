// Loads the driver library by name at run time and collects its entry points.
#include "bus/gpib_library.h"

#ifdef _WIN32
#include <windows.h>

#include <cwctype>
#else
#include <dlfcn.h>

#include <cstdlib>
#endif

namespace {
#ifdef _WIN32
std::wstring Wide(const std::string& utf8) {
    const int length = static_cast<int>(utf8.size());
    std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(),
                        static_cast<int>(wide.size()));
    return wide;
}
std::string Utf8(const std::wstring& wide) {
    const int length = static_cast<int>(wide.size());
    std::string utf8(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    return utf8;
}
// Wide calls throughout, so that a folder name outside the ANSI code page still loads.
void* OpenLibrary(const std::string& name) {
    return LoadLibraryW(Wide(name).c_str());
}
void* Symbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void CloseLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
// The system's own words for the failure, and its number.
std::string LastError() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason(text ? text : L"", length);
    LocalFree(text);
    while (!reason.empty() && std::iswspace(reason.back())) reason.pop_back();
    const std::string number = "system error " + std::to_string(code);
    return reason.empty() ? number : Utf8(reason) + " (" + number + ")";
}
std::string EnvironmentText(const char* name) {
    const std::wstring wideName = Wide(name);
    std::wstring value(GetEnvironmentVariableW(wideName.c_str(), nullptr, 0), L'\0');
    if (value.empty()) return {};
    value.resize(
        GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size())));
    return Utf8(value);
}
#else
void* OpenLibrary(const std::string& name) {
    return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* Symbol(void* handle, const char* name) {
    return dlsym(handle, name);
}
void CloseLibrary(void* handle) {
    dlclose(handle);
}
std::string LastError() {
    const char* error = dlerror();
    return error ? error : "unknown reason";
}
std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
#endif

// Registration needs its undoing too; without it the thread accessors must be there.
bool StatusReadable(const GpibEntryPoints& e) {
    if (e.RegisterGpibGlobalsForThread) return e.UnregisterGpibGlobalsForThread != nullptr;
    return e.ThreadIbsta && e.ThreadIberr && e.ThreadIbcntl;
}

template <typename Function>
void Assign(Function& target, void* address) {
    target = reinterpret_cast<Function>(address);
}

// What the user installs to get a working driver library on this platform.
const char* DriverAdvice() {
#ifdef _WIN32
    return "Install the NI-488.2 driver of National Instruments for the GPIB board. Without "
           "hardware, start \"Pulvar on the simulated bench\" from the Start menu instead.";
#else
    return "Install linux-gpib: its kernel module for the GPIB board, its user library "
           "libgpib.so.0 and /etc/gpib.conf. Without hardware, start pulvar-bench instead.";
#endif
}
}  // namespace

const char* GpibLibraryName() {
#if defined(_WIN64)
    return "ni4882.dll";  // a 64-bit process cannot load the 32-bit Gpib-32.dll
#elif defined(_WIN32)
    return "Gpib-32.dll";
#else
    return "libgpib.so.0";
#endif
}

std::string GpibLibraryFile() {
    const std::string named = EnvironmentText(kGpibLibraryVariable);
    return named.empty() ? GpibLibraryName() : named;
}

GpibLibrary::GpibLibrary(const std::string& fileName) : fileName_(fileName) {
    handle_ = OpenLibrary(fileName);
    if (!handle_) {
        error_ = "The GPIB driver library " + fileName + " could not be loaded:\n" + LastError() +
                 "\n\n" + DriverAdvice();
        return;
    }
    GpibEntryPoints& e = entryPoints_;
    Assign(e.SendIFC, Resolve("SendIFC", true));
    Assign(e.ibsre, Resolve("ibsre", true));
    Assign(e.FindLstn, Resolve("FindLstn", true));
    Assign(e.ibdev, Resolve("ibdev", true));
    Assign(e.ibpad, Resolve("ibpad", true));
    Assign(e.ibclr, Resolve("ibclr", true));
    Assign(e.ibrsp, Resolve("ibrsp", true));
    Assign(e.ibwrt, Resolve("ibwrt", true));
    Assign(e.ibrd, Resolve("ibrd", true));
    Assign(e.ibtmo, Resolve("ibtmo", true));
    Assign(e.ibwait, Resolve("ibwait", true));
    Assign(e.ibask, Resolve("ibask", true));
    Assign(e.RegisterGpibGlobalsForThread, Resolve("RegisterGpibGlobalsForThread", false));
    Assign(e.UnregisterGpibGlobalsForThread, Resolve("UnregisterGpibGlobalsForThread", false));
    Assign(e.ThreadIbsta, Resolve("ThreadIbsta", false));
    Assign(e.ThreadIberr, Resolve("ThreadIberr", false));
    Assign(e.ThreadIbcnt, Resolve("ThreadIbcnt", false));
    Assign(e.ThreadIbcntl, Resolve("ThreadIbcntl", false));
    if (error_.empty() && !StatusReadable(e))
        error_ = "The GPIB driver library " + fileName + " offers no way to read the call status.";
    if (!error_.empty()) error_ += std::string("\n\n") + DriverAdvice();
}

GpibLibrary::~GpibLibrary() {
    if (handle_) CloseLibrary(handle_);
}

void* GpibLibrary::Resolve(const char* name, bool required) {
    void* address = Symbol(handle_, name);
    if (!address && required && error_.empty())
        error_ = "The GPIB driver library " + fileName_ + " has no entry point " + name + ".";
    return address;
}
