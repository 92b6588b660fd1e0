// pulvar-bench.exe: starts the Pulvar beside it on the simulated GPIB bench installed with it,
// for the Start-menu entry "Pulvar on the simulated bench"; ends with Pulvar's exit status.
#include <windows.h>

#include <string>

#include "bus/gpib_library.h"

namespace {
std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// The folder this program lies in, with its closing backslash.
std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring Variable(const wchar_t* name) {
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    if (value.empty()) return {};
    value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// The supplies keep their settings between runs, as a supply left switched on would: in the
// user's local application data unless GPIB_BENCH_STATE names another file.
void KeepBenchState() {
    const std::wstring localData = Variable(L"LOCALAPPDATA");
    if (!Variable(L"GPIB_BENCH_STATE").empty() || localData.empty()) return;
    const std::wstring folder = localData + L"\\Pulvar";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetEnvironmentVariableW(L"GPIB_BENCH_STATE", (folder + L"\\bench-state.txt").c_str());
}

int Run(const std::wstring& program) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        MessageBoxW(nullptr, (L"Pulvar could not be started:\n" + program).c_str(), L"Pulvar",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
}  // namespace

int main() {
    const std::wstring folder = OwnFolder();
    // The bench's driver library lies in a folder of its own: beside pulvar.exe it would stand in
    // for NI's driver at every start. Named by its full path, it comes before the system folder.
    const std::wstring bench = folder + L"bench\\" + Wide(GpibLibraryName());
    SetEnvironmentVariableW(Wide(kGpibLibraryVariable).c_str(), bench.c_str());
    KeepBenchState();
    return Run(folder + L"pulvar.exe");
}
