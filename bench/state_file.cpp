// Where the supplies keep their settings between runs: one line per address, rewritten on change.
#include "bench/state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "bench/numbers.h"

namespace bench {

namespace {
constexpr const char* kHeading = "# gpib bench state: <pad> <KIND> <settings>";

// Puts the new file in the old one's place in one step; Windows' rename refuses to replace.
bool Replace(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}
}  // namespace

StateFile::StateFile(std::string path) : path_(std::move(path)) {
    Read();
}

std::optional<std::string> StateFile::SettingsFor(int pad, const std::string& kind) const {
    const auto found = entries_.find(pad);
    if (found == entries_.end() || found->second.kind != kind) return std::nullopt;
    return found->second.settings;
}

void StateFile::Keep(int pad, const std::string& kind, const std::string& settings) {
    Entry& entry = entries_[pad];
    if (entry.kind == kind && entry.settings == settings) return;
    entry = Entry{kind, settings};
    Write();
}

void StateFile::Read() {
    std::ifstream in(path_);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.front() == '#') continue;
        const std::size_t afterPad = line.find(' ');
        const std::size_t afterKind = line.find(' ', afterPad + 1);
        if (afterPad == std::string::npos || afterKind == std::string::npos) continue;
        const std::optional<long> pad =
            ParseWholeNumber(std::string_view(line).substr(0, afterPad));
        if (!pad) continue;
        entries_[static_cast<int>(*pad)] =
            Entry{line.substr(afterPad + 1, afterKind - afterPad - 1), line.substr(afterKind + 1)};
    }
}

void StateFile::Write() {
    // Written aside and renamed, so that a run ending mid-write leaves the old file whole.
    const std::string temporary = path_ + ".tmp";
    std::ofstream out(temporary, std::ios::trunc);
    out << kHeading << '\n';
    for (const auto& [pad, entry] : entries_) {
        out << std::to_string(pad) << ' ' << entry.kind << ' ' << entry.settings << '\n';
    }
    out.close();
    if (out && Replace(temporary, path_)) return;
    if (!writeFailureShown_) {
        std::fprintf(stderr, "gpib bench: cannot write the state file %s: %s\n", path_.c_str(),
                     std::strerror(errno));
        writeFailureShown_ = true;
    }
}

}  // namespace bench
