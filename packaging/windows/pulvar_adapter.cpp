// pulvar-adapter.exe: starts the Pulvar beside it, or another program written for NI-488.2, on a
// Prologix or AR488 GPIB adapter through the adapter library installed with it, for the
// Start-menu entry "Pulvar on a GPIB adapter"; ends with the program's exit status.
//   pulvar-adapter.exe [COM3 | tcp:HOST[:PORT]] [-- PROGRAM [ARGUMENT...]]
// With no adapter named, the library looks for one. Started from the desktop, where nothing reads
// standard error, the library's reason for not using an adapter is shown in a box.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bus/gpib_library.h"
#include "launcher.h"

namespace {
constexpr const wchar_t* kTitle = L"Pulvar on a GPIB adapter";
constexpr const wchar_t* kUsage =
    L"Usage: pulvar-adapter [PORT] [-- PROGRAM [ARGUMENT...]]\n"
    L"PORT: the adapter's COM port (COM3) or tcp:HOST[:PORT] for a Prologix GPIB-ETHERNET\n"
    L"(port 1234 unless given); left out, or auto, the adapter is looked for.";

// Started from the desktop, the console is this program's alone (or there is none): it is let
// go, and what it would say goes into boxes. A console shared with the shell it was typed in
// shows standard error.
bool LetGoOfOwnConsole() {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) > 1) return false;
    FreeConsole();
    return true;
}

void Say(bool desktop, const std::wstring& text, UINT icon) {
    if (desktop) {
        MessageBoxW(nullptr, text.c_str(), kTitle, MB_OK | icon);
    } else {
        DWORD written = 0;
        const std::wstring line = text + L"\n";
        WriteConsoleW(GetStdHandle(STD_ERROR_HANDLE), line.c_str(), static_cast<DWORD>(line.size()),
                      &written, nullptr);
    }
}

// The file the library leaves its reason in, this run's own.
std::wstring ReasonFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder) + L"pulvar-adapter-" + std::to_wstring(GetCurrentProcessId()) +
           L".txt";
}

std::wstring ReadReason(const std::wstring& file) {
    std::ifstream in(file.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string utf8 = text.str();
    std::wstring reason(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), reason.data(),
                        static_cast<int>(reason.size()));
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r')) reason.pop_back();
    return reason;
}
}  // namespace

int main() {
    const bool desktop = LetGoOfOwnConsole();
    const std::vector<std::wstring> arguments = Arguments();
    std::size_t at = 0;
    if (at < arguments.size() && (arguments[at] == L"-h" || arguments[at] == L"--help")) {
        Say(desktop, kUsage, MB_ICONINFORMATION);
        return 0;
    }
    if (at < arguments.size() && arguments[at] != L"--") {
        SetEnvironmentVariableW(L"GPIB_ADAPTER", arguments[at++].c_str());
    }
    const std::wstring folder = OwnFolder();
    std::wstring program = folder + L"pulvar.exe";
    std::wstring commandLine = Quoted(program);
    if (at < arguments.size()) {
        if (arguments[at] != L"--" || at + 1 == arguments.size()) {
            Say(desktop, kUsage, MB_ICONERROR);
            return 2;
        }
        // Found as the system finds a program: beside this one first, then the usual places.
        program.clear();
        commandLine.clear();
        for (++at; at < arguments.size(); ++at) {
            commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(arguments[at]);
        }
    }
    // The adapter library lies in a folder of its own: beside pulvar.exe it would stand in for
    // NI's driver at every start. Named by its full path, it comes before the system folder.
    const std::wstring library = folder + L"adapter\\" + Wide(GpibLibraryName());
    SetEnvironmentVariableW(Wide(kGpibLibraryVariable).c_str(), library.c_str());
    const std::wstring reasonFile = ReasonFile();
    DeleteFileW(reasonFile.c_str());
    SetEnvironmentVariableW(L"GPIB_ADAPTER_REASON_FILE", reasonFile.c_str());

    const int status = Run(program, commandLine, kTitle);
    const std::wstring reason = ReadReason(reasonFile);
    DeleteFileW(reasonFile.c_str());
    // From a console, the library has said it on standard error already.
    if (status != 0 && desktop && !reason.empty()) Say(true, reason, MB_ICONERROR);
    return status;
}
