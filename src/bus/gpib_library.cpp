// Loads the driver library by name at run time and collects its entry points.
#include "bus/gpib_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {
#ifdef _WIN32
void* OpenLibrary(const std::string& name) {
    return LoadLibraryA(name.c_str());
}
void* Symbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void CloseLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
std::string LastError() {
    return "system error " + std::to_string(GetLastError());
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
    return "Install the NI-488.2 driver of National Instruments for the GPIB board.";
#else
    return "Install linux-gpib: its kernel module for the GPIB board, its user library "
           "libgpib.so.0 and /etc/gpib.conf. Without hardware, start pulvar-bench instead.";
#endif
}
}  // namespace

const char* GpibLibraryName() {
#ifdef _WIN32
    return "Gpib-32.dll";
#else
    return "libgpib.so.0";
#endif
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
