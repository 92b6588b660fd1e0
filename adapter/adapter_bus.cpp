// The driver's bus over a Prologix or AR488 adapter: the transfers and acts on a device as the
// adapter's lines. Each read is closed by the marker, so that it ends where the adapter's read
// ended, never earlier, and whatever its answer holds.
#include "adapter/adapter_bus.h"

#include <algorithm>
#include <cstring>

#include "adapter/commands.h"
#include "adapter/framing.h"
#include "driver/trace.h"

namespace adapter {

using driver::Descriptor;
using driver::Failed;
using driver::N;
using driver::Outcome;

namespace {
// A line that acts on the bus may keep an AR488 for its time-out three times over: addressing,
// the transfer and unaddressing each stop at their first handshake that times out (its
// addressDevice, writeByte or readByte, unAddressDevice), and its time-out covers writes too.
// A Prologix is given the same (its manual is silent).
constexpr int kHeldRounds = 3;
// The longest time-out an AR488 takes; what a line may cost before the library set its own.
constexpr double kLongestAr488Timeout = 32.0;
constexpr double kInterfaceClear = 0.01;  // IFC is pulsed for 150 us
// An AR488 puts longer data on the bus as several messages, each with EOI: no instrument would
// take them for the one message that was meant.
constexpr std::size_t kAr488LongestData = 128;

// Command bytes an AR488 has a line for.
struct CommandLine {
    char byte;
    const char* line;
};
constexpr CommandLine kAr488Commands[] = {{0x14, "++dcl"}, {0x3F, "++unl"}, {0x5F, "++unt"}};

// The characters an AR488 can end a read at (its "++eor"), and their codes.
std::optional<int> Ar488EndOfReceive(char character) {
    switch (character) {
        case '\r':
            return 1;
        case '\n':
            return 2;
        case 0x03:
            return 5;
        default:
            return std::nullopt;
    }
}

driver::Address AddressOf(const Descriptor& device) {
    return static_cast<driver::Address>(device.pad | device.sad << 8);
}

std::optional<char> EndOfString(const Descriptor& device) {
    if (!(device.eos & driver::REOS)) return std::nullopt;
    return static_cast<char>(device.eos & 0xff);
}
}  // namespace

AdapterBus::AdapterBus(std::unique_ptr<Link> link, std::shared_ptr<driver::Clock> clock,
                       std::string where)
    : port_(std::move(link), std::move(clock), std::move(where)) {
    port_.NoteWith([this](std::string_view text) { Note(text); });
}

Outcome AdapterBus::Gone() const {
    return Failed(driver::ENEB, 0);
}

std::optional<int> AdapterBus::Lost() const {
    if (port_.Lost()) return driver::ENEB;
    return std::nullopt;
}

double AdapterBus::Held(double timeout) const {
    return kHeldRounds * timeout;
}

double AdapterBus::Held() const {
    const std::optional<std::string> timeout = port_.Setting("read_tmo_ms");
    return Held(timeout ? std::stod(*timeout) / 1000.0 : kLongestAr488Timeout);
}

std::optional<Outcome> AdapterBus::Ready(std::optional<double> seconds) {
    if (port_.Lost()) return Gone();
    std::optional<double> limit;
    if (seconds) limit = port_.Clock().Now() + *seconds + port_.Margin();
    switch (port_.Ready(limit)) {
        case Readiness::Ready:
            return std::nullopt;
        case Readiness::Busy:
            // Still at work on the bus for an earlier call: this one's time is over.
            return Failed(driver::EABO, 0, driver::TIMO);
        case Readiness::Lost:
            break;
    }
    return Gone();
}

bool AdapterBus::Address(const Descriptor& device) {
    return port_.Set("addr", AddressText(device.pad, device.sad));
}

bool AdapterBus::ReadTimeout(double seconds) {
    return port_.Set("read_tmo_ms", N(Milliseconds(seconds)));
}

Outcome AdapterBus::AtDevice(const Descriptor& device, const std::string& line) {
    if (const std::optional<Outcome> busy = Ready(driver::TimeoutSeconds(device.tmo))) {
        return *busy;
    }
    if (!Address(device) || !port_.Send(line, Held())) return Gone();
    return {};
}

Outcome AdapterBus::InterfaceClear() {
    if (const std::optional<Outcome> busy = Ready(std::nullopt)) return *busy;
    return port_.Send("++ifc", kInterfaceClear) ? Outcome{} : Gone();
}

Outcome AdapterBus::RemoteEnable(bool on) {
    if (port_.Lost()) return Gone();
    if (kind_ == Kind::Ar488) {
        if (const std::optional<Outcome> busy = Ready(std::nullopt)) return *busy;
        return port_.Send(on ? "++ren 1" : "++ren 0") ? Outcome{} : Gone();
    }
    // A Prologix controller holds remote enable asserted: it can be on, never off.
    return on ? Outcome{} : Failed(driver::ECAP);
}

Outcome AdapterBus::Write(const Descriptor& device, std::string_view bytes) {
    if (port_.Lost()) return Gone();
    if (kind_ == Kind::Ar488 && bytes.size() > kAr488LongestData) return Failed(driver::ECAP, 0);
    // A new message replaces an answer the instrument had not finished giving.
    unread_.erase(AddressOf(device));
    if (bytes.empty()) return {driver::CMPL, {}, 0};
    if (const std::optional<Outcome> busy = Ready(driver::TimeoutSeconds(device.tmo))) {
        return *busy;
    }
    // Nothing comes back: whether anyone listened shows only at the next read.
    if (!Address(device) || !port_.Set("eoi", device.eot ? "1" : "0") ||
        !port_.Send(Escape(bytes), Held())) {
        return Gone();
    }
    return {driver::CMPL, {}, static_cast<long>(bytes.size())};
}

std::optional<std::string> AdapterBus::ReadCommand(const Descriptor& device) {
    const std::optional<char> eos = EndOfString(device);
    if (!eos) return "++read eoi";
    // A Prologix reads up to a character of its own; on an AR488 a number after "++read" is an
    // address, and only its receive terminator (++eor) ends a read at a character.
    if (kind_ == Kind::Prologix) return "++read " + N(static_cast<unsigned char>(*eos));
    if (Ar488EndOfReceive(*eos)) return "++read";
    return std::nullopt;
}

Outcome AdapterBus::Read(const Descriptor& device, void* buf, long count, std::string& data) {
    if (port_.Lost()) return Gone();
    std::string& unread = unread_[AddressOf(device)];
    if (unread.empty()) {
        const std::optional<std::string> command = ReadCommand(device);
        if (!command) return Failed(driver::ECAP, 0);
        if (const std::optional<Outcome> busy = Ready(driver::TimeoutSeconds(device.tmo))) {
            return *busy;
        }
        Answer answer = AnswerOf(device, *command);
        if (port_.Lost()) return Gone();
        if (!answer.end) return TimedOut(buf, count, answer.bytes, data);
        unread = std::move(answer.bytes);
    }
    data = unread.substr(0, static_cast<std::size_t>(count));
    unread.erase(0, data.size());
    if (!data.empty()) std::memcpy(buf, data.data(), data.size());
    return {driver::CMPL | (unread.empty() ? driver::END : 0), {}, static_cast<long>(data.size())};
}

AdapterBus::Answer AdapterBus::AnswerOf(const Descriptor& device, const std::string& command) {
    // TNONE: no limit, rounds of the longest again and again.
    const std::optional<double> limit = driver::TimeoutSeconds(device.tmo);
    const std::optional<char> eos = EndOfString(device);
    driver::Clock& clock = port_.Clock();
    const double start = clock.Now();
    // The whole read, whatever the adapter's time-out between bytes lets an answer take.
    std::optional<double> deadline;
    if (limit) deadline = start + *limit + port_.Margin();
    Answer answer;
    // Longer time-outs than the adapter's longest are built from rounds of it.
    for (;;) {
        const double left = limit ? *limit - (clock.Now() - start) : kLongestRound;
        const double round = Milliseconds(std::min(left, kLongestRound)) / 1000.0;
        if (!Address(device) || !ReadTimeout(round)) return answer;
        // An AR488 ends a read at a character only with its EOI setting off.
        if (kind_ == Kind::Ar488 && eos &&
            (!port_.Set("eoi", "0") || !port_.Set("eor", N(*Ar488EndOfReceive(*eos))))) {
            return answer;
        }
        const Closed got = port_.Exchange(command, Held(round), deadline);
        answer.bytes += got.bytes;
        // The time is over, or the adapter gone: what came so far, as after a time-out.
        if (!got.closed) return answer;
        // The adapter's read is over: ended by EOI (its mark follows), or at the character.
        if (!got.bytes.empty() && got.bytes.back() == kEotChar) {
            answer.bytes.pop_back();
            answer.end = true;
            return answer;
        }
        answer.end = eos && !got.bytes.empty() && got.bytes.back() == *eos;
        if (answer.end || (limit && clock.Now() - start >= *limit)) return answer;
    }
}

Outcome AdapterBus::TimedOut(void* buf, long count, const std::string& partial, std::string& data) {
    // What came before the time-out is the caller's, as a board driver leaves it.
    data = partial.substr(0, static_cast<std::size_t>(count));
    if (!data.empty()) std::memcpy(buf, data.data(), data.size());
    return Failed(driver::EABO, static_cast<long>(data.size()), driver::TIMO);
}

Outcome AdapterBus::Clear(const Descriptor& device) {
    if (port_.Lost()) return Gone();
    unread_.erase(AddressOf(device));
    return AtDevice(device, "++clr");
}

Outcome AdapterBus::Trigger(const Descriptor& device) {
    if (port_.Lost()) return Gone();
    return AtDevice(device, "++trg");
}

Outcome AdapterBus::GoToLocal(const Descriptor& device) {
    if (port_.Lost()) return Gone();
    return AtDevice(device, "++loc");
}

Outcome AdapterBus::Reach(const Descriptor&) {
    // Addressing needs nothing sent; whether anyone is there cannot be told.
    return port_.Lost() ? Gone() : Outcome{};
}

Outcome AdapterBus::Command(std::string_view bytes) {
    if (port_.Lost()) return Gone();
    // Neither adapter takes raw command bytes; an AR488 has lines for a few of them.
    std::vector<const char*> lines;
    for (const char byte : bytes) {
        const auto known = std::find_if(std::begin(kAr488Commands), std::end(kAr488Commands),
                                        [&](const CommandLine& c) { return c.byte == byte; });
        if (kind_ != Kind::Ar488 || known == std::end(kAr488Commands)) {
            return Failed(driver::ECAP, 0);
        }
        lines.push_back(known->line);
    }
    if (const std::optional<Outcome> busy = Ready(std::nullopt)) return *busy;
    for (const char* line : lines) {
        if (!port_.Send(line, Held())) return Gone();
    }
    // A device clear of everyone empties every answer under way.
    if (bytes.find('\x14') != std::string_view::npos) unread_.clear();
    return {driver::CMPL, {}, static_cast<long>(bytes.size())};
}

Outcome AdapterBus::ParallelPoll(std::uint8_t&) {
    if (port_.Lost()) return Gone();
    return Failed(driver::ECAP);
}

}  // namespace adapter
