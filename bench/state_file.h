// Where the supplies keep their settings between runs: one line per address, rewritten on change.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace bench {

// Lines "<pad> <KIND> <settings>", the settings as the instrument's own message, e.g.
// "5 PS5010 VPOS 12.50;IPOS 0.400;...". Lines of other addresses are kept as they are.
class StateFile {
public:
    // Reads what `path` holds already; a missing file holds nothing.
    explicit StateFile(std::string path);

    // The settings saved for an instrument of this kind at this address.
    std::optional<std::string> SettingsFor(int pad, const std::string& kind) const;

    // Keeps the instrument's settings; the file is rewritten at once when they changed, since
    // the program may end with _Exit and nothing may wait for the end of the process.
    void Keep(int pad, const std::string& kind, const std::string& settings);

private:
    void Read();
    void Write();

    struct Entry {
        std::string kind;
        std::string settings;
    };
    std::string path_;
    std::map<int, Entry> entries_;
    bool writeFailureShown_ = false;
};

}  // namespace bench
