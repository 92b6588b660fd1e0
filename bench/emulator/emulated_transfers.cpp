// What the emulated adapter does on the bus: data to the current address, reads, serial polls,
// the AR488's listener search, and the commands that address an instrument. Each handshake
// takes its time; a bus that nobody takes part in, or that an instrument holds (NRFD), makes a
// handshake wait, and the AR488 gives one up after its read time-out, which covers writes too
// (its writeByte and readByte). A Prologix is given the same time-out (its manual is silent).
#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>

#include "bench/emulator/adapter_words.h"
#include "bench/emulator/emulated_adapter.h"

namespace bench {

namespace {
constexpr double kHandshakeSeconds = 20e-6;  // one byte over the bus
constexpr int kAnswerBuffer = 512;
constexpr std::size_t kLongestAnswer = 64 * 1024;  // an instrument that never ends its answer
constexpr int kNoTimeOut = 0;                      // TNONE: the adapter keeps its own time-out
// The AR488's listener search: a short time-out of its own, and the 1.6 ms it gives NDAC.
constexpr int kSearchTimeoutMs = 35;
constexpr double kSearchSettle = 0.0016;
constexpr int kFirstSecondary = 0x60;
constexpr int kLastSecondary = 0x7E;

std::string Terminator(int eos) {
    static const std::array<std::string, 4> terminators = {"\r\n", "\r", "\n", ""};
    return terminators[static_cast<std::size_t>(std::clamp(eos, 0, 3))];
}

// The AR488's end-of-receive sequences (isTerminatorDetected), `last` holding the last three
// bytes read, the latest first.
bool Terminated(const std::array<char, 3>& last, int eor) {
    switch (eor) {
        case 1:
            return last[0] == '\r';
        case 2:
            return last[0] == '\n';
        case 3:
            return false;
        case 4:
            return last[0] == '\r' && last[1] == '\n';
        case 5:
            return last[0] == 0x03;
        case 6:
            return last[0] == 0x03 && last[1] == '\n' && last[2] == '\r';
        default:
            return last[0] == '\n' && last[1] == '\r';
    }
}
}  // namespace

bool EmulatedAdapter::BusCommand(const std::string& name,
                                 const std::optional<std::string>& params) {
    if (name == "read") {
        Read(params);
    } else if (name == "spoll") {
        if (Ar488()) {
            Ar488SerialPoll(params);
        } else {
            SerialPoll(params);
        }
    } else if (name == "allspoll" && Ar488()) {
        Ar488SerialPoll("all");
    } else if (name == "fndl" && Ar488()) {
        FindListeners(params);
    } else if (name == "clr" || name == "trg" || name == "loc") {
        ToAddressed(name);
    } else if (Ar488() && (name == "dcl" || name == "unl" || name == "unt")) {
        const char* byte = name == "dcl" ? "\x14" : name == "unl" ? "\x3F" : "\x5F";
        if (Handshake(1)) bench_.ibcmd(0, byte, 1);
        // Unlistened or untalked, nobody is taken for addressed any more.
        if (name != "dcl") listenAddressed_.reset();
    } else if (name == "ifc") {
        bench_.SendIFC(0);
        clock_->Sleep(150e-6);
    } else if (name == "ren" && Ar488()) {
        const long on = params ? WholeNumber(*params).value_or(-1) : -1;
        if (!params) PrintLine("1");
        if (on == 0 || on == 1) bench_.ibsre(0, static_cast<int>(on));
        if (on > 1) PrintLine("Invalid parameter");
    } else if (name == "srq") {
        PrintLine("0");  // no instrument on the bench requests service on its own
    } else {
        return false;
    }
    return true;
}

bool EmulatedAdapter::BusHasListeners() const {
    if (!secondaryListeners_.empty()) return true;
    for (int pad = 1; pad <= kHighestPad; ++pad) {
        if (bench_.At(pad)) return true;
    }
    return false;
}

bool EmulatedAdapter::Handshake(int bytes) {
    const double timeout = ReadTimeout();
    // With nobody on the bus, NDAC is never asserted.
    const double held = BusHasListeners() ? nrfdHeldUntil_ - clock_->Now() : timeout + 1;
    if (held > timeout) {
        clock_->Sleep(timeout);
        return false;
    }
    clock_->Sleep(held);
    clock_->Sleep(bytes * kHandshakeSeconds);
    return true;
}

int EmulatedAdapter::Device(int pad, int sad) {
    const int busSad = sad == kNoSecondary ? 0 : sad;
    const auto known = devices_.find({pad, busSad});
    if (known == devices_.end()) {
        // No time-out of the bench's own: the adapter keeps its own, to the millisecond.
        const int ud = bench_.ibdev(0, pad, busSad, kNoTimeOut, settings_.eoi, 0);
        devices_[{pad, busSad}] = {ud, settings_.eoi};
        return ud;
    }
    // Only what changed, so that the trace stays readable.
    auto& [ud, eoi] = known->second;
    if (eoi != settings_.eoi) bench_.SetOption("ibeot", ud, option::EOT, settings_.eoi);
    eoi = settings_.eoi;
    return ud;
}

void EmulatedAdapter::Unaddress() {
    Handshake(2);
    listenAddressed_.reset();
}

void EmulatedAdapter::Data(const std::string& bytes, bool more) {
    // The AR488 addresses the current address unless it takes someone for addressed to listen
    // already: the rest of a message cut at its buffer, or, after a search, the last address it
    // tried (its deviceAddressed, which only unaddressing clears).
    const BusAddress to = listenAddressed_.value_or(BusAddress{settings_.pad, settings_.sad});
    lastMessageAt_[to.first] = clock_->Now();
    bool reached = listenAddressed_ || Addressed(to.second);
    // EOI goes with the terminator, or with the last byte when there is none.
    const std::string message = bytes + Terminator(settings_.eos);
    reached = Handshake(static_cast<int>(message.size())) && reached;
    // A message nobody hears is lost without a word: no adapter can tell. Its first byte waits
    // for a listener until the time-out.
    const int ud = Device(to.first, to.second);
    if (reached && (bench_.ibwrt(ud, message.data(), static_cast<long>(message.size())) & ERR)) {
        clock_->Sleep(ReadTimeout());
        reached = false;
    }
    if (const auto hold = nrfdHold_.find(to.first); reached && hold != nrfdHold_.end()) {
        nrfdHeldUntil_ = clock_->Now() + hold->second;
    }
    if (more) {
        listenAddressed_ = to;
    } else {
        Unaddress();
    }
    if (Ar488() && (settings_.flags & 4)) PrintLine("Send^OK");
    const bool query = !bytes.empty() && bytes.back() == '?';
    if (settings_.autoRead == 1 || (Ar488() && settings_.autoRead == 2 && query)) {
        Addressed(to.second);
        ReadFrom(to.first, to.second, Ar488() ? Ar488End(false, {}) : ReadEnd{true, {}, {}, true});
        Unaddress();
    }
}

EmulatedAdapter::ReadEnd EmulatedAdapter::Ar488End(bool eoiAsked, std::optional<char> byte) const {
    ReadEnd end;
    // With ++eoi 1 or ++eor 7 a read ends on EOI only, and only then is EOI seen at all.
    end.eoi = settings_.eoi != 0 || eoiAsked || settings_.eor == 7;
    end.markEoi = end.eoi;
    if (!end.eoi && byte) end.byte = byte;
    if (!end.eoi && !byte) end.eor = settings_.eor & 7;
    return end;
}

void EmulatedAdapter::Read(const std::optional<std::string>& params) {
    int pad = settings_.pad;
    int sad = settings_.sad;
    ReadEnd end;
    const std::vector<std::string> words =
        params ? Words(*params, " ,\t") : std::vector<std::string>();
    if (!Ar488()) {
        // "++read eoi", "++read <character>", or a bare "++read" that ends at the time-out.
        end.eoi = params && Lower(*params) == "eoi";
        const std::optional<long> character = params ? WholeNumber(*params) : std::nullopt;
        if (character && *character < 256) end.byte = static_cast<char>(*character);
    } else {
        // The firmware's read_h: a number is an address to read from, then maybe a secondary
        // one; only then "eoi" or an end character.
        std::size_t next = 0;
        if (!words.empty() && WholeNumber(words[0])) {
            const long primary = *WholeNumber(words[0]);
            if (primary > kHighestPad) return PrintLine("Invalid parameter");
            pad = static_cast<int>(primary);
            sad = kNoSecondary;
            next = 1;
            if (words.size() > 1 && WholeNumber(words[1])) {
                long secondary = *WholeNumber(words[1]);
                if (secondary < 31) secondary += kFirstSecondary;
                if (secondary < kFirstSecondary || secondary > kLastSecondary)
                    return PrintLine("Invalid parameter");
                sad = static_cast<int>(secondary);
                next = 2;
            }
        }
        bool eoiAsked = false;
        std::optional<char> byte;
        if (next < words.size()) {
            if (words[next].size() > 3) return PrintLine("Invalid parameter");
            // The firmware compares its first word, not this one, with "eoi".
            eoiAsked = Lower(words[0].substr(0, 3)) == "eoi";
            if (!eoiAsked) byte = static_cast<char>(std::atoi(words[next].c_str()));
        }
        end = Ar488End(eoiAsked, byte);
    }
    if (++reads_ == unplugAtRead_) {
        unplugged_ = true;
        bench_.Note("adapter unplugged");
        return;
    }
    // Addressed to talk: nobody is taken for addressed to listen.
    Addressed(sad);
    listenAddressed_.reset();
    ReadFrom(pad, sad, end);
    Unaddress();
    if (Ar488() && (settings_.flags & 2)) PrintLine("Read^OK");
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

void EmulatedAdapter::ReadFrom(int pad, int sad, const ReadEnd& end) {
    const int ud = Device(pad, sad);
    const auto trickle = trickle_.find(pad);
    // Byte by byte where a byte may end the read or bytes come slowly, else the whole answer.
    const long chunk = end.byte || end.eor || trickle != trickle_.end() ? 1 : kAnswerBuffer;
    std::array<char, 3> last{};
    std::size_t total = 0;
    bool ended = false;
    while (!ended && total < kLongestAnswer) {
        // The adapter's time-out runs from the last byte: nothing in that time ends the read.
        const std::optional<double> readyAt = AnswerReadyAt(pad);
        const bool late = readyAt && *readyAt > clock_->Now() + ReadTimeout();
        if (readyAt && !late) clock_->Sleep(*readyAt - clock_->Now());
        char buffer[kAnswerBuffer];
        if (late || (bench_.ibrd(ud, buffer, chunk) & ERR)) {
            clock_->Sleep(ReadTimeout());
            break;
        }
        const bool eoi = bench_.LastStatus().ibsta & END;
        const std::string got(buffer, static_cast<std::size_t>(bench_.LastStatus().ibcntl));
        for (const char byte : got) {
            if (trickle != trickle_.end()) clock_->Sleep(trickle->second);
            last = {byte, last[0], last[1]};
            ended = (end.byte && byte == *end.byte) || (end.eor && Terminated(last, *end.eor));
        }
        Print(got);
        total += got.size();
        if (eoi && end.markEoi && settings_.eotEnable)
            Print(std::string(1, static_cast<char>(settings_.eotChar)));
        ended = ended || (eoi && end.eoi);
    }
}

void EmulatedAdapter::SerialPoll(const std::optional<std::string>& params) {
    const std::vector<std::string> words =
        params ? Words(*params, " \t") : std::vector<std::string>();
    int pad = settings_.pad;
    int sad = settings_.sad;
    if (!words.empty()) {
        const std::optional<long> primary = WholeNumber(words[0]);
        const std::optional<long> secondary =
            words.size() > 1 ? WholeNumber(words[1]) : kNoSecondary;
        if (!primary || *primary > kHighestPad || !secondary) return;
        if (*secondary != kNoSecondary && !IsSecondaryAddress(static_cast<int>(*secondary))) return;
        pad = static_cast<int>(*primary);
        sad = static_cast<int>(*secondary);
    }
    char status[2] = {0, 0};
    // UNL, the adapter's listen address, SPE, the talk address.
    if (Handshake(sad == kNoSecondary ? 4 : 5) && !(bench_.ibrsp(Device(pad, sad), status) & ERR)) {
        PrintLine(N(static_cast<unsigned char>(status[0])));
    } else {
        // Nothing at the address: silence, until the read time-out has passed.
        clock_->Sleep(ReadTimeout());
    }
    Handshake(3);  // SPD, UNT, UNL
}

void EmulatedAdapter::Ar488SerialPoll(const std::optional<std::string>& params) {
    // The firmware's spoll_h: primary addresses only, up to 15, or all 30.
    std::vector<int> pads;
    const bool all = params && Lower(params->substr(0, 3)) == "all";
    if (!params) pads.push_back(settings_.pad);
    for (int pad = 0; all && pad < kHighestPad; ++pad) pads.push_back(pad);
    if (params && !all) {
        for (const std::string& word : Words(*params, " \t")) {
            const std::optional<long> pad = WholeNumber(word);
            if (!pad || word.size() > 2 || *pad < 1 || *pad > kHighestPad)
                return PrintLine("Invalid parameter");
            if (pads.size() < 15) pads.push_back(static_cast<int>(*pad));
        }
    }
    if (!Handshake(3)) return;  // UNL, its own listen address, SPE
    for (const int pad : pads) {
        if (pad == 0) continue;  // its own address
        if (!Handshake(1)) return;
        char status[2] = {0, 0};
        if (bench_.ibrsp(Device(pad, kNoSecondary), status) & ERR) {
            clock_->Sleep(ReadTimeout());
            continue;
        }
        const int byte = static_cast<unsigned char>(status[0]);
        // Of all, only one that requests service is named.
        if (!all) {
            PrintLine(N(byte));
            break;
        }
        if (byte & 0x40) {
            PrintLine("SRQ:" + N(pad) + "," + N(byte));
            break;
        }
    }
    if (all) PrintLine("");
    Handshake(3);  // SPD, UNT, UNL
}

std::string EmulatedAdapter::ListenersAt(int pad, const std::set<int>& listening) {
    // Addressed to listen, an instrument holds NDAC once ATN is released.
    clock_->Sleep(kSearchSettle);
    if (listening.count(pad)) return N(pad);
    // All secondary addresses at once; then one by one, if anything took them.
    Handshake(kLastSecondary - kFirstSecondary + 1);
    clock_->Sleep(kSearchSettle);
    const auto first = secondaryListeners_.lower_bound({pad, 0});
    if (first == secondaryListeners_.end() || first->first != pad) return {};
    std::string found;
    Handshake(2);
    // After a secondary address that nobody took, the firmware sends UNT, which ends the
    // listener's primary addressing (IEEE 488.1): none of its later secondary addresses is found.
    bool addressed = true;
    for (int sad = kFirstSecondary; sad <= kLastSecondary; ++sad) {
        Handshake(1);
        clock_->Sleep(kSearchSettle);
        if (!addressed || !secondaryListeners_.count({pad, sad})) {
            addressed = false;
            Handshake(1);
            continue;
        }
        // The bus byte, not 0 to 30 as the manual's example has it.
        found += (found.empty() ? "" : ",") + N(pad) + ":" + N(sad);
        Handshake(2);
    }
    return found;
}

void EmulatedAdapter::FindListeners(const std::optional<std::string>& params) {
    // The firmware's fndl_h: its own short time-out, set before the parameters are looked at, so
    // that a search refused for them leaves it in place.
    const int timeoutMs = settings_.readTimeoutMs;
    settings_.readTimeoutMs = kSearchTimeoutMs;
    if (!params) return PrintLine("Missing parameter");
    std::vector<int> pads;
    const std::size_t dash = params->find('-');
    if (Lower(*params) == "all") {
        for (int pad = 0; pad <= kHighestPad; ++pad) pads.push_back(pad);
    } else if (dash != std::string::npos && dash > 0 &&
               std::atol(params->c_str() + dash + 1) > std::atol(params->c_str())) {
        const long first = std::atol(params->c_str());
        const long last = std::atol(params->c_str() + dash + 1);
        if (first >= 30 || last >= 31) return PrintLine("Invalid parameter");
        for (long pad = first; pad <= last; ++pad) pads.push_back(static_cast<int>(pad));
    } else {
        for (const std::string& word : Words(*params, " ,\t")) {
            const std::optional<long> pad = WholeNumber(word);
            if (!pad || word.size() > 2 || *pad > kHighestPad)
                return PrintLine("Invalid parameter");
            if (pads.size() < 15) pads.push_back(static_cast<int>(*pad));
        }
    }
    // The instruments that listen at a primary address, as the bench's own search finds them.
    std::vector<std::uint16_t> asked;
    for (int pad = 1; pad <= kHighestPad; ++pad) asked.push_back(static_cast<std::uint16_t>(pad));
    asked.push_back(NOADDR);
    std::array<std::uint16_t, kHighestPad + 1> found{};
    std::set<int> listening;
    bench_.FindLstn(0, asked.data(), found.data(), static_cast<int>(found.size()));
    if (!(bench_.LastStatus().ibsta & ERR)) {
        for (long i = 0; i < bench_.LastStatus().ibcntl; ++i)
            listening.insert(found[static_cast<std::size_t>(i)]);
    }
    std::string list;
    for (const int pad : pads) {
        if (pad == 0) continue;  // its own address
        if (!Addressed(kNoSecondary)) {
            Print(list);
            list.clear();
            PrintLine("Transmit failed!");
            break;
        }
        listenAddressed_ = BusAddress{pad, kNoSecondary};
        const std::string here = ListenersAt(pad, listening);
        if (!here.empty()) list += (list.empty() ? "" : ",") + here;
    }
    PrintLine(list);
    settings_.readTimeoutMs = timeoutMs;
}

void EmulatedAdapter::ToAddressed(const std::string& name) {
    // Addressed to listen, then SDC, GET or GTL, then unaddressed: each step stops at a failure.
    const int pad = settings_.pad;
    const int sad = settings_.sad;
    if (!Addressed(sad) || !Handshake(1)) return;
    const int ud = Device(pad, sad);
    if (name == "clr") {
        bench_.ibclr(ud);
    } else if (name == "trg") {
        bench_.ibtrg(ud);
    } else {
        bench_.ibloc(ud);
    }
    Unaddress();
}

}  // namespace bench
