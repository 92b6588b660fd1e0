// Rules every run of the program keeps on the bus, checked from the bench's trace.
#include "trace_rules.h"

#include <charconv>
#include <regex>

bool IsCall(const std::string& line, const std::string& function) {
    return line.find(" " + function + " ") != std::string::npos ||
           line.rfind(function + " ", 0) == 0;
}

std::string DataOf(const std::string& line) {
    const std::string::size_type start = line.find("data=\"") + 6;
    return line.substr(start, line.find("\" -> ", start) - start);
}

double TimeOf(const std::string& line) {
    double seconds = -1;
    std::from_chars(line.data(), line.data() + line.size(), seconds);
    return seconds;
}

namespace {
bool Failed(const std::string& line) {
    // "sta=0x8..." and up: the ERR bit of the status word.
    const std::string::size_type sta = line.find("sta=0x");
    return sta != std::string::npos && line[sta + 6] >= '8';
}
}  // namespace

// A query, "OUT ON", "OUT OFF", "INIT", or a set-command word followed by a number text.
static bool IsMessageTheProgramSends(const std::string& data) {
    static const std::regex kQuery("(ID|VSET|ISET|OUT|VOL|CUR|VPOS|IPOS|VNEG|INEG|FSOUT)\\?");
    // The typed text goes out unchanged; a limit put in its place keeps its leading blank.
    static const std::regex kSetting(
        "(VSET|ISET|VOL|CUR|VPOS|IPOS|VNEG|INEG) {1,2}([0-9]+\\.?[0-9]*|\\.[0-9]+)");
    return data == "OUT ON" || data == "OUT OFF" || data == "INIT" ||
           std::regex_match(data, kQuery) || std::regex_match(data, kSetting);
}

std::string FirstBrokenRule(const std::vector<std::string>& lines) {
    std::string unanswered;  // a query written and not yet read
    for (const std::string& line : lines) {
        const bool write = IsCall(line, "ibwrt");
        if ((write || IsCall(line, "ibclr")) && !unanswered.empty())
            return "\"" + line + "\" before the answer to " + unanswered + " was read";
        if (IsCall(line, "ibrd")) unanswered.clear();
        if (!write) continue;
        const std::string data = DataOf(line);
        if (!IsMessageTheProgramSends(data)) return "\"" + data + "\" is no message of the program";
        if (data.ends_with('?') && !Failed(line)) unanswered = data;
    }
    if (!unanswered.empty()) return "the answer to " + unanswered + " was never read";
    return {};
}
