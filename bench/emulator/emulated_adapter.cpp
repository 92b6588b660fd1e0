// A Prologix or AR488 adapter in front of the bench's instruments: its input, its settings and
// its commands. What it does on the bus is in emulated_transfers.cpp.
#include "bench/emulator/emulated_adapter.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "bench/emulator/adapter_words.h"
#include "driver/trace.h"

namespace bench {

namespace {
constexpr double kArduinoResetSeconds = 1.5;
constexpr double kPrologixResetSeconds = 5.0;  // "++rst"
constexpr std::size_t kAr488Input = 64;        // its serial input buffer, without flow control
constexpr std::size_t kAr488LineBuffer = 128;  // its parse buffer (PBSIZE)
// 115200 baud, 8N1: a byte every ten bit times.
constexpr double kSerialByteSeconds = 10.0 / 115200.0;

// The AR488's commands (its cmdHidx table) by the modes they work in.
const std::set<std::string> kAr488AnyMode = {
    "addr", "default", "eoi", "eor",     "eos",     "eot_char", "eot_enable", "help", "id",
    "idn",  "mode",    "rst", "savecfg", "setvstr", "ver",      "verbose",    "xdiag"};
const std::set<std::string> kAr488Controller = {
    "allspoll", "auto",  "clr",   "dcl",     "flags",       "fndl", "ifc",    "llo",
    "loc",      "macro", "ppoll", "read",    "read_tmo_ms", "ren",  "repeat", "trg",
    "send",     "spoll", "srq",   "srqauto", "tct",         "unl",  "unt"};
const std::set<std::string> kAr488Device = {"lon", "prom", "status", "ton"};
}  // namespace

EmulatedAdapter::EmulatedAdapter(AdapterModel model, AdapterTraits traits, Bench& bench,
                                 std::shared_ptr<AdapterClock> clock)
    : model_(model),
      traits_(std::move(traits)),
      bench_(bench),
      clock_(std::move(clock)),
      lines_(model == AdapterModel::Ar488 ? kAr488LineBuffer : 0),
      chip_(traits_.latency),
      verbose_(traits_.verbose) {
    if (traits_.resetSeconds < 0) traits_.resetSeconds = Ar488() ? kArduinoResetSeconds : 0;
    settings_ = PowerOn();
}

EmulatedAdapter::Settings EmulatedAdapter::Defaults() const {
    Settings settings;
    if (Ar488()) {
        settings.pad = 1;
        settings.eoi = 0;
        settings.readTimeoutMs = 1200;
        settings.saveConfig = 0;
    }
    return settings;
}

EmulatedAdapter::Settings EmulatedAdapter::PowerOn() const {
    Settings settings = Defaults();
    // A version text of its user's is kept in the AR488's memory too.
    if (Ar488()) settings.versionText = traits_.version;
    const std::vector<SettingRule> rules = Rules();
    for (const auto& saved : traits_.saved) {
        const std::string& name = saved.first;
        const int value = std::atoi(saved.second.c_str());
        const auto rule = std::find_if(rules.begin(), rules.end(),
                                       [&](const SettingRule& r) { return name == r.name; });
        if (rule != rules.end()) settings.*(rule->value) = value;
        if (name == "addr") settings.pad = value;
    }
    return settings;
}

std::vector<EmulatedAdapter::SettingRule> EmulatedAdapter::Rules() const {
    if (Ar488()) {
        return {{"auto", &Settings::autoRead, 0, 3, true},
                {"eoi", &Settings::eoi, 0, 1, true},
                {"eos", &Settings::eos, 0, 3, true},
                {"eot_enable", &Settings::eotEnable, 0, 1, true},
                {"eot_char", &Settings::eotChar, 0, 255, true},
                {"read_tmo_ms", &Settings::readTimeoutMs, 1, 32000, true},
                {"eor", &Settings::eor, 0, 15, true},
                {"flags", &Settings::flags, 0, 7, true},
                {"idn", &Settings::idn, 0, 2, true},
                {"mode", &Settings::mode, 0, 1, true}};
    }
    // The Prologix manual documents no query form of "++read_tmo_ms"; this one has none.
    return {{"auto", &Settings::autoRead, 0, 1, true},
            {"eoi", &Settings::eoi, 0, 1, true},
            {"eos", &Settings::eos, 0, 3, true},
            {"eot_enable", &Settings::eotEnable, 0, 1, true},
            {"eot_char", &Settings::eotChar, 0, 255, true},
            {"read_tmo_ms", &Settings::readTimeoutMs, 1, 3000, false},
            {"savecfg", &Settings::saveConfig, 0, 1, true},
            {"mode", &Settings::mode, 0, 1, true}};
}

void EmulatedAdapter::Opened() {
    if (traits_.resetSeconds <= 0) return;
    Restart(traits_.resetSeconds);
    bench_.Note("adapter reset: the port was opened");
}

void EmulatedAdapter::Restart(double seconds) {
    settings_ = PowerOn();
    lines_.Reset();
    verbose_ = false;
    waiting_.clear();
    deafUntil_ = clock_->Now() + seconds;
    // What the firmware says once it runs again.
    std::string hello;
    if (Ar488() && traits_.greets) hello += "AR488 ready (controller).\r\n";
    if (Ar488() && (settings_.flags & 1)) hello += "AR488~RDY";
    PrintAt(hello, deafUntil_);
}

std::string EmulatedAdapter::TakeOutput() {
    return chip_.Take(clock_->HostNow());
}

void EmulatedAdapter::Receive(std::string_view bytes) {
    long lost = 0;
    for (std::size_t i = 0; i < bytes.size() && !unplugged_; ++i) {
        // An AR488 hears its host through a serial line at 115200 baud, a byte after another.
        const double at = std::max(clock_->HostNow(), lineFreeAt_);
        if (Ar488()) lineFreeAt_ = at + kSerialByteSeconds;
        if (!Arrive(bytes[i], at)) ++lost;
    }
    if (lost > 0) bench_.Note("adapter lost " + N(lost) + " bytes");
}

bool EmulatedAdapter::Arrive(char byte, double at) {
    // Resetting: the bytes go nowhere.
    if (at < deafUntil_) return false;
    if (clock_->Now() > at) {
        // Busy on the bus: the byte waits in the serial input until the adapter reads it.
        while (!waiting_.empty() && waiting_.front() <= at) waiting_.pop_front();
        if (Ar488() && traits_.losesInput && waiting_.size() >= kAr488Input) return false;
        waiting_.push_back(clock_->Now());
    } else {
        clock_->Sleep(at - clock_->Now());
    }
    Take(byte);
    return true;
}

void EmulatedAdapter::Take(char byte) {
    // A verbose AR488 echoes what it is typed, but the line feed.
    if (verbose_ && byte != '\n') Print(std::string(1, byte));
    if (const std::optional<HostLine> line = lines_.Push(byte)) Execute(*line);
}

void EmulatedAdapter::Execute(const HostLine& line) {
    bench_.Note("host> \"" + EscapeBytes(line.raw) + "\"");
    if (line.command) {
        if (verbose_) PrintLine("");
        const std::size_t blank = line.text.find_first_of(" \t");
        const std::string name = Lower(line.text.substr(0, blank));
        std::optional<std::string> params;
        if (blank != std::string::npos && blank + 1 < line.text.size()) {
            params = line.text.substr(blank + 1);
        }
        Command(name, params);
    } else if (Ar488() && settings_.idn > 0 && IsIdentityQuery(line.text)) {
        // It answers "*idn?" itself, with its short name (none set here).
        PrintLine("");
    } else if (settings_.mode == 1) {
        Data(line.text, line.more);
    }
    if (verbose_) Print("> ");
}

void EmulatedAdapter::PrintAt(const std::string& text, double at) {
    if (text.empty()) return;
    bench_.Note("host< \"" + EscapeBytes(text) + "\"");
    chip_.Put(text, at);
}

void EmulatedAdapter::Print(const std::string& text) {
    PrintAt(text, clock_->Now());
}

void EmulatedAdapter::Command(const std::string& name, const std::optional<std::string>& params) {
    if (Ar488()) {
        if (!Ar488Command(name, params)) PrintLine("Unrecognized command");
    } else if (!PrologixCommand(name, params)) {
        // The manual says nothing of unknown commands: they are ignored.
        bench_.Note("adapter ignores ++" + name);
    }
}

bool EmulatedAdapter::Ar488Command(const std::string& name,
                                   const std::optional<std::string>& params) {
    const bool controller = settings_.mode == 1;
    const bool known = kAr488AnyMode.count(name) ||
                       (controller ? kAr488Controller.count(name) : kAr488Device.count(name));
    if (!known || (name == "fndl" && !traits_.findsListeners)) return false;
    if (Setting(name, params)) return true;
    if (name == "addr") {
        Address(params);
    } else if (name == "ver") {
        Version(params);
    } else if (name == "verbose") {
        verbose_ = !verbose_;
        PrintLine(verbose_ ? "Verbose: ON" : "Verbose: OFF");
    } else if (name == "default") {
        // Its version text of the user's goes too.
        settings_ = Defaults();
    } else if (name == "savecfg") {
        ++memoryWrites_;
        bench_.Note("adapter wrote its settings to its memory");
    } else if (name == "rst") {
        Restart(kArduinoResetSeconds);
    } else if (!BusCommand(name, params)) {
        bench_.Note("adapter does nothing for ++" + name);
    }
    return true;
}

bool EmulatedAdapter::PrologixCommand(const std::string& name,
                                      const std::optional<std::string>& params) {
    if (Setting(name, params)) return true;
    if (name == "addr") {
        Address(params);
    } else if (name == "ver") {
        Version(params);
    } else if (name == "rst") {
        Restart(kPrologixResetSeconds);
    } else if (settings_.mode != 1) {
        // In device mode the adapter is no controller: nothing below reaches the bus.
        bench_.Note("adapter in device mode ignores ++" + name);
    } else {
        return BusCommand(name, params);
    }
    return true;
}

bool EmulatedAdapter::Setting(const std::string& name, const std::optional<std::string>& params) {
    const std::vector<SettingRule> rules = Rules();
    const auto rule = std::find_if(rules.begin(), rules.end(),
                                   [&](const SettingRule& r) { return name == r.name; });
    if (rule == rules.end()) return false;
    int& value = settings_.*(rule->value);
    if (!params) {
        if (!rule->asked) return true;
        // Values the AR488 keeps beyond what it shows.
        if (name == "eor" && value > 7) value = 0;
        PrintLine(N(value));
        return true;
    }
    const std::optional<long> given = WholeNumber(*params);
    if (!given) return true;  // not a number: the AR488 ignores it, so does the bench's Prologix
    if (*given < rule->low || *given > rule->high) {
        if (Ar488()) PrintLine("Invalid parameter");
        return true;
    }
    value = static_cast<int>(*given);
    // Becoming controller again: the AR488 clears the bus to local (80 ms) and pulses IFC.
    if (name == "mode" && value == 1 && Ar488()) clock_->Sleep(0.08);
    return true;
}

void EmulatedAdapter::Address(const std::optional<std::string>& params) {
    const char separator = Ar488() ? ',' : ' ';
    if (!params) {
        PrintLine(N(settings_.pad) +
                  (settings_.sad != kNoSecondary ? separator + N(settings_.sad) : ""));
        return;
    }
    const std::vector<std::string> words = Words(*params, ", \t");
    const long pad = words.empty() ? -1 : WholeNumber(words[0]).value_or(-1);
    long sad = words.size() > 1 ? WholeNumber(words[1]).value_or(-1) : kNoSecondary;
    // The AR488 refuses its own address (0) and takes a secondary address below 31 as 96 and
    // up; a Prologix ignores what it does not take.
    if (Ar488() && sad >= 0 && sad < 31) sad += 0x60;
    const bool valid =
        pad >= (Ar488() ? 1 : 0) && pad <= kHighestPad && (words.size() < 2 || sad >= 0) &&
        (sad == kNoSecondary || Ar488() || IsSecondaryAddress(static_cast<int>(sad)));
    if (!valid) {
        if (Ar488()) PrintLine("Invalid parameter");
        return;
    }
    settings_.pad = static_cast<int>(pad);
    settings_.sad = static_cast<int>(sad);
}

void EmulatedAdapter::Version(const std::optional<std::string>& params) {
    if (!Ar488()) {
        PrintLine(!traits_.version.empty()              ? traits_.version
                  : model_ == AdapterModel::PrologixUsb ? std::string(kPrologixUsbVersion)
                                                        : std::string(kPrologixEthernetVersion));
        return;
    }
    // "++ver real" always gives the firmware's own text, whatever its user set.
    const bool real = params && Lower(params->substr(0, 3)) == "rea";
    PrintLine(real || settings_.versionText.empty() ? std::string(kAr488Version)
                                                    : settings_.versionText);
}

}  // namespace bench
