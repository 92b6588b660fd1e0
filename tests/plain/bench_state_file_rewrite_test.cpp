// The bench's state file on the platform's own file system: each change replaces the file whole,
// also where an existing file cannot simply be renamed over (Windows), and a missing folder
// costs nothing but a note.
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/state_file.h"
#include "check.h"

namespace {
namespace fs = std::filesystem;

std::string FreshPath(const char* name) {
    const fs::path path = fs::temp_directory_path() / name;
    fs::remove(path);
    return path.string();
}

// Every change after the first must reach the disk as well: a supply set twice comes back with
// its second settings, and the other supplies' lines stay.
void EveryChangeReplacesTheFile() {
    const std::string path = FreshPath("pulvar-bench-state-rewrite.txt");
    const struct {
        int pad;
        const char* kind;
        const char* settings;
    } changes[] = {{5, "PS5010", "VPOS 1.00;"},
                   {7, "HP6032A", "VSET 2.000;"},
                   {5, "PS5010", "VPOS 12.50;"},
                   {5, "PS5010", "VPOS 3.00;"}};
    {
        bench::StateFile file(path);
        for (const auto& change : changes) file.Keep(change.pad, change.kind, change.settings);
    }
    const bench::StateFile again(path);
    CHECK(again.SettingsFor(5, "PS5010") == std::string("VPOS 3.00;"));
    CHECK(again.SettingsFor(7, "HP6032A") == std::string("VSET 2.000;"));
    CHECK(!fs::exists(path + ".tmp"));
    fs::remove(path);
}

void MissingFolderKeepsNothing() {
    const std::string path =
        (fs::temp_directory_path() / "pulvar-no-such-folder" / "state").string();
    {
        bench::StateFile file(path);
        file.Keep(5, "PS5010", "VPOS 1.00;");
    }
    CHECK(!bench::StateFile(path).SettingsFor(5, "PS5010"));
}
}  // namespace

int main() {
    return plain::Run({{"every change replaces the file", EveryChangeReplacesTheFile},
                       {"a missing folder keeps nothing", MissingFolderKeepsNothing}});
}
