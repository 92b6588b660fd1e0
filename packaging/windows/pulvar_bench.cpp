// pulvar-bench.exe: starts the Pulvar beside it on the simulated GPIB bench installed with it,
// for the Start-menu entry "Pulvar on the simulated bench"; ends with Pulvar's exit status.
#include <windows.h>

#include <string>

#include "bus/gpib_library.h"
#include "launcher.h"

namespace {
// The supplies keep their settings between runs, as a supply left switched on would: in the
// user's local application data unless GPIB_BENCH_STATE names another file.
void KeepBenchState() {
    const std::wstring localData = Variable(L"LOCALAPPDATA");
    if (!Variable(L"GPIB_BENCH_STATE").empty() || localData.empty()) return;
    const std::wstring folder = localData + L"\\Pulvar";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetEnvironmentVariableW(L"GPIB_BENCH_STATE", (folder + L"\\bench-state.txt").c_str());
}
}  // namespace

int main() {
    const std::wstring folder = OwnFolder();
    // The bench's driver library lies in a folder of its own: beside pulvar.exe it would stand in
    // for NI's driver at every start. Named by its full path, it comes before the system folder.
    const std::wstring bench = folder + L"bench\\" + Wide(GpibLibraryName());
    SetEnvironmentVariableW(Wide(kGpibLibraryVariable).c_str(), bench.c_str());
    KeepBenchState();
    const std::wstring pulvar = folder + L"pulvar.exe";
    return Run(pulvar, Quoted(pulvar), L"Pulvar");
}
