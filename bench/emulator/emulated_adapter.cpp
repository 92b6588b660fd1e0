// A Prologix or AR488 adapter in front of the bench's instruments.
#include "bench/emulator/emulated_adapter.h"

#include <algorithm>
#include <array>
#include <vector>

#include "bench/text.h"

namespace bench {

namespace {
constexpr double kArduinoResetSeconds = 1.5;
constexpr double kPrologixResetSeconds = 5.0;  // ++rst
constexpr std::size_t kAr488Input = 64;        // bytes its serial input holds
constexpr std::size_t kAr488Chunk = 128;       // data it puts on the bus in one go
constexpr int kPrologixLongestRead = 3000;
constexpr int kAr488LongestRead = 32000;
constexpr int kAnswerBuffer = 512;
constexpr std::size_t kLongestAnswer = 64 * 1024;  // an instrument that never ends its answer
constexpr int kNoTimeOut = 0;                      // TNONE

// The words of an argument, blanks or commas between them.
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == ',' || c == '\t') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string Terminator(int eos) {
    static const std::array<std::string, 4> terminators = {"\r\n", "\r", "\n", ""};
    return terminators[static_cast<std::size_t>(std::clamp(eos, 0, 3))];
}
}  // namespace

EmulatedAdapter::EmulatedAdapter(adapter::Kind kind, std::string version, Bench& bench,
                                 std::shared_ptr<Clock> clock)
    : kind_(kind),
      version_(std::move(version)),
      bench_(bench),
      clock_(std::move(clock)),
      settings_(PowerOn(kind)),
      resetSeconds_(kind == adapter::Kind::Ar488 ? kArduinoResetSeconds : 0),
      losesInput_(kind == adapter::Kind::Ar488) {}

EmulatedAdapter::Settings EmulatedAdapter::PowerOn(adapter::Kind kind) {
    Settings settings;
    if (kind == adapter::Kind::Ar488) {
        // As "++default" leaves it.
        settings.eoi = 0;
        settings.readTimeoutMs = 1200;
    }
    return settings;
}

void EmulatedAdapter::Opened() {
    if (resetSeconds_ <= 0) return;
    const bool verbose = settings_.verbose;
    settings_ = PowerOn(kind_);
    settings_.verbose = verbose;
    lines_ = adapter::HostLines();
    deafUntil_ = clock_->Now() + resetSeconds_;
    bench_.Note("adapter reset: the port was opened");
}

bool EmulatedAdapter::Deaf() const {
    return clock_->Now() < deafUntil_;
}

std::string EmulatedAdapter::TakeOutput() {
    std::string output = std::move(output_);
    output_.clear();
    return output;
}

void EmulatedAdapter::Receive(std::string_view bytes) {
    room_.reset();
    Take(bytes);
}

void EmulatedAdapter::ReceivedWhileBusy(std::string_view bytes) {
    if (losesInput_ && !room_) room_ = kAr488Input;
    Take(bytes);
}

void EmulatedAdapter::Take(std::string_view bytes) {
    busy_ = false;
    std::size_t lost = 0;
    for (const char byte : bytes) {
        if (unplugged_) return;
        if (Deaf() || (room_ && *room_ == 0)) {
            ++lost;
            continue;
        }
        if (room_) --*room_;
        if (const std::optional<adapter::HostLine> line = lines_.Push(byte)) {
            busy_ = false;
            Execute(*line);
            // What comes behind a line that kept it on the bus had to wait in its input.
            if (busy_ && losesInput_) room_ = kAr488Input;
        }
    }
    if (lost > 0) bench_.Note("adapter lost " + N(static_cast<long>(lost)) + " bytes");
}

void EmulatedAdapter::Reply(const std::string& text) {
    Send(text + "\r\n");
}

void EmulatedAdapter::Send(const std::string& bytes) {
    if (bytes.empty()) return;
    bench_.Note("host< \"" + EscapeBytes(bytes) + "\"");
    output_ += bytes;
}

void EmulatedAdapter::Execute(const adapter::HostLine& line) {
    bench_.Note("host> \"" + EscapeBytes(line.raw) + "\"");
    if (settings_.verbose) Reply(line.raw);
    if (!line.command) {
        Data(line.text);
        return;
    }
    const std::size_t blank = line.text.find(' ');
    const std::string name = line.text.substr(0, blank);
    const std::string argument =
        blank == std::string::npos ? std::string() : std::string(Trim(line.text.substr(blank)));
    Command(name, argument);
}

bool EmulatedAdapter::Setting(const std::string& name, const std::string& argument) {
    struct Known {
        const char* name;
        int Settings::*value;
        int low;
        int high;
    };
    const int longestRead =
        kind_ == adapter::Kind::Ar488 ? kAr488LongestRead : kPrologixLongestRead;
    const Known known[] = {
        {"mode", &Settings::mode, 0, 1},
        {"auto", &Settings::autoRead, 0, 1},
        {"eoi", &Settings::eoi, 0, 1},
        {"eos", &Settings::eos, 0, 3},
        {"eot_enable", &Settings::eotEnable, 0, 1},
        {"eot_char", &Settings::eotChar, 0, 255},
        {"read_tmo_ms", &Settings::readTimeoutMs, 1, longestRead},
        {"savecfg", &Settings::saveConfig, 0, 1},
        {"eor", &Settings::eor, 0, 7},
    };
    const auto found = std::find_if(std::begin(known), std::end(known),
                                    [&](const Known& k) { return name == k.name; });
    if (found == std::end(known)) return false;
    // "++savecfg" on an AR488 writes its settings to memory; it has no such setting.
    if (name == "savecfg" && kind_ == adapter::Kind::Ar488) return false;
    if (name == "eor" && kind_ != adapter::Kind::Ar488) return false;
    int& value = settings_.*(found->value);
    if (argument.empty()) {
        Reply(N(value));
        return true;
    }
    // A value out of range is refused: the setting stays as it was.
    const std::optional<int> given = adapter::WholeNumber(argument);
    if (given && *given >= found->low && *given <= found->high) value = *given;
    return true;
}

void EmulatedAdapter::Command(const std::string& name, const std::string& argument) {
    if (Setting(name, argument)) return;
    const bool ar488 = kind_ == adapter::Kind::Ar488;
    if (name == "ver") {
        Reply(ar488 && argument == "real" ? std::string(kAr488Version) : version_);
    } else if (name == "addr") {
        const std::vector<std::string> words = Words(argument);
        if (words.empty()) {
            Reply(N(settings_.pad) + (settings_.sad ? " " + N(settings_.sad) : ""));
            return;
        }
        const std::optional<int> pad = adapter::WholeNumber(words[0]);
        const std::optional<int> sad =
            words.size() > 1 ? adapter::WholeNumber(words[1]) : std::optional<int>(0);
        if (pad && *pad <= kHighestPad && sad && IsSecondaryAddress(*sad)) {
            settings_.pad = *pad;
            settings_.sad = *sad;
        }
    } else if (settings_.mode != 1) {
        // In device mode the adapter is no controller: nothing below reaches the bus.
        bench_.Note("adapter in device mode ignores ++" + name);
    } else if (name == "read") {
        Read(argument);
    } else if (name == "spoll") {
        SerialPoll(argument);
    } else if (name == "clr") {
        bench_.ibclr(Device(settings_.pad, settings_.sad));
        busy_ = true;
    } else if (name == "trg") {
        bench_.ibtrg(Device(settings_.pad, settings_.sad));
        busy_ = true;
    } else if (name == "loc") {
        bench_.ibloc(Device(settings_.pad, settings_.sad));
        busy_ = true;
    } else if (name == "ifc") {
        bench_.SendIFC(0);
        busy_ = true;
    } else if (name == "srq") {
        Reply("0");  // no instrument on the bench requests service on its own
    } else if (name == "rst") {
        settings_ = PowerOn(kind_);
        deafUntil_ = clock_->Now() + kPrologixResetSeconds;
    } else if (ar488 && name == "fndl") {
        FindListeners(argument);
    } else if (ar488 && (name == "dcl" || name == "unl" || name == "unt")) {
        const char* bytes = name == "dcl" ? "\x14" : name == "unl" ? "\x3F" : "\x5F";
        bench_.ibcmd(0, bytes, 1);
        busy_ = true;
    } else if (ar488 && name == "ren") {
        bench_.ibsre(0, argument == "0" ? 0 : 1);
    } else if (ar488 && name == "verbose") {
        settings_.verbose = !settings_.verbose;
        Reply(settings_.verbose ? "Verbose: ON" : "Verbose: OFF");
    } else if (ar488 && name == "default") {
        settings_ = PowerOn(kind_);
    } else {
        bench_.Note("adapter ignores ++" + name);
    }
}

int EmulatedAdapter::Device(int pad, int sad) {
    const auto known = devices_.find({pad, sad});
    if (known == devices_.end()) {
        // No time-out of the bench's own: the adapter keeps its own, to the millisecond.
        const int ud = bench_.ibdev(0, pad, sad, kNoTimeOut, settings_.eoi, 0);
        devices_[{pad, sad}] = {ud, settings_.eoi};
        return ud;
    }
    // Only what changed, so that the trace stays readable.
    BenchDevice& device = known->second;
    if (device.eoi != settings_.eoi)
        bench_.SetOption("ibeot", device.ud, option::EOT, settings_.eoi);
    device.eoi = settings_.eoi;
    return device.ud;
}

std::optional<double> EmulatedAdapter::AnswerReadyAt(int pad) const {
    const Instrument* instrument = bench_.At(pad);
    std::optional<double> readyAt = instrument ? instrument->AnswerReadyAt() : std::nullopt;
    const auto slow = slowness_.find(pad);
    if (readyAt && slow != slowness_.end()) {
        readyAt = std::max(*readyAt, lastMessageAt_.at(pad) + slow->second);
    }
    return readyAt;
}

void EmulatedAdapter::Data(const std::string& bytes) {
    if (settings_.mode != 1) return;
    lastMessageAt_[settings_.pad] = clock_->Now();
    const int ud = Device(settings_.pad, settings_.sad);
    // An AR488 cuts long data into chunks, each with the terminator and EOI (a firmware fault).
    const std::size_t chunk = kind_ == adapter::Kind::Ar488 ? kAr488Chunk : std::string::npos;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        const std::string message = bytes.substr(at, chunk) + Terminator(settings_.eos);
        // A message that nobody hears is lost without a word: no adapter can tell.
        bench_.ibwrt(ud, message.data(), static_cast<long>(message.size()));
        if (chunk == std::string::npos) break;
    }
    busy_ = true;
    if (settings_.autoRead) Read("eoi");
}

void EmulatedAdapter::Read(const std::string& how) {
    busy_ = true;
    if (++reads_ == unplugAtRead_) {
        unplugged_ = true;
        bench_.Note("adapter unplugged");
        return;
    }
    const bool untilEoi = how == "eoi";
    const std::optional<int> untilCharacter = adapter::WholeNumber(how);
    const int ud = Device(settings_.pad, settings_.sad);
    std::string answer;
    bool eoi = false;
    while (answer.size() < kLongestAnswer) {
        char buffer[kAnswerBuffer];
        // Nothing within the adapter's time-out: what came before it is passed on, no more.
        const std::optional<double> readyAt = AnswerReadyAt(settings_.pad);
        const bool late = readyAt && *readyAt > clock_->Now() + settings_.readTimeoutMs / 1000.0;
        if (!late && readyAt) clock_->Sleep(*readyAt - clock_->Now());
        if (late || (bench_.ibrd(ud, buffer, sizeof buffer) & ERR)) {
            clock_->Sleep(settings_.readTimeoutMs / 1000.0);
            break;
        }
        const int sta = bench_.LastStatus().ibsta;
        std::string chunk(buffer, static_cast<std::size_t>(bench_.LastStatus().ibcntl));
        const std::size_t stop =
            untilCharacter ? chunk.find(static_cast<char>(*untilCharacter)) : std::string::npos;
        if (stop != std::string::npos) {
            answer += chunk.substr(0, stop + 1);
            eoi = (sta & END) && stop + 1 == chunk.size();
            break;
        }
        answer += chunk;
        if (sta & END) {
            eoi = true;
            // A bare "++read" goes on until the time-out.
            if (untilEoi || untilCharacter) break;
        }
    }
    if (eoi && settings_.eotEnable) answer += static_cast<char>(settings_.eotChar);
    Send(answer);
}

void EmulatedAdapter::SerialPoll(const std::string& argument) {
    busy_ = true;
    const std::vector<std::string> words = Words(argument);
    int pad = settings_.pad;
    int sad = settings_.sad;
    if (!words.empty()) {
        pad = adapter::WholeNumber(words[0]).value_or(-1);
        sad = words.size() > 1 ? adapter::WholeNumber(words[1]).value_or(-1) : 0;
    }
    char status[2] = {0, 0};
    if (pad >= 0 && pad <= kHighestPad && IsSecondaryAddress(sad) &&
        !(bench_.ibrsp(Device(pad, sad), status) & ERR)) {
        Reply(N(static_cast<unsigned char>(status[0])));
        return;
    }
    // Nothing at the address: silence, until the read time-out has passed.
    clock_->Sleep(settings_.readTimeoutMs / 1000.0);
}

void EmulatedAdapter::FindListeners(const std::string& argument) {
    busy_ = true;
    std::vector<std::uint16_t> pads;
    for (const std::string& word : Words(argument)) {
        const std::size_t dash = word.find('-');
        const int first =
            word == "all" ? 1 : adapter::WholeNumber(word.substr(0, dash)).value_or(0);
        const int last = word == "all" ? kHighestPad
                         : dash == std::string::npos
                             ? first
                             : adapter::WholeNumber(word.substr(dash + 1)).value_or(0);
        for (int pad = std::max(first, 1); pad <= std::min(last, kHighestPad); ++pad) {
            pads.push_back(static_cast<std::uint16_t>(pad));
        }
    }
    pads.push_back(NOADDR);
    std::array<std::uint16_t, kHighestPad + 1> found{};
    bench_.FindLstn(0, pads.data(), found.data(), static_cast<int>(found.size()));
    std::string list;
    if (!(bench_.LastStatus().ibsta & ERR)) {
        for (long i = 0; i < bench_.LastStatus().ibcntl; ++i) {
            list += (list.empty() ? "" : ",") + N(found[static_cast<std::size_t>(i)]);
        }
    }
    Reply(list);
}

}  // namespace bench
