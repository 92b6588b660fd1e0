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
// A read to an end-of-string character goes in rounds this short: an instrument that ends its
// answer with the character but no EOI is not waited for longer after its last byte.
constexpr double kEndOfStringGap = 0.1;

// Command bytes an AR488 has a line for.
struct CommandLine {
    char byte;
    const char* line;
};
constexpr CommandLine kAr488Commands[] = {{0x14, "++dcl"}, {0x3F, "++unl"}, {0x5F, "++unt"}};

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

std::optional<Outcome> AdapterBus::Ready(std::optional<double> seconds, bool answered) {
    if (port_.Lost()) return Gone();
    std::optional<double> limit;
    if (seconds) limit = port_.Clock().Now() + *seconds + port_.Margin();
    switch (port_.Ready(limit, answered)) {
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
    if (const std::optional<Outcome> busy = Ready(driver::TimeoutSeconds(device.tmo), false)) {
        return *busy;
    }
    if (!Address(device) || !port_.Send(line, Held())) return Gone();
    return {};
}

Outcome AdapterBus::InterfaceClear() {
    if (const std::optional<Outcome> busy = Ready(std::nullopt, false)) return *busy;
    return port_.Send("++ifc", kInterfaceClear) ? Outcome{} : Gone();
}

Outcome AdapterBus::RemoteEnable(bool on) {
    if (port_.Lost()) return Gone();
    if (kind_ == Kind::Ar488) {
        if (const std::optional<Outcome> busy = Ready(std::nullopt, false)) return *busy;
        return port_.Send(on ? "++ren 1" : "++ren 0") ? Outcome{} : Gone();
    }
    // A Prologix controller holds remote enable asserted: it can be on, never off.
    return on ? Outcome{} : Failed(driver::ECAP);
}

Outcome AdapterBus::Write(const Descriptor& device, std::string_view bytes) {
    if (port_.Lost()) return Gone();
    if (kind_ == Kind::Ar488 && bytes.size() > kAr488LongestData) return Failed(driver::ECAP, 0);
    // A new message replaces an answer the instrument had not finished giving.
    Forget(AddressOf(device));
    if (bytes.empty()) return {driver::CMPL, {}, 0};
    if (const std::optional<Outcome> busy = Ready(driver::TimeoutSeconds(device.tmo), false)) {
        return *busy;
    }
    // Nothing comes back: whether anyone listened shows only at the next read.
    if (!Address(device) || !port_.Set("eoi", device.eot ? "1" : "0") ||
        !port_.Send(Escape(bytes), Held())) {
        return Gone();
    }
    return {driver::CMPL, {}, static_cast<long>(bytes.size())};
}

Outcome AdapterBus::Read(const Descriptor& device, void* buf, long count, std::string& data) {
    if (port_.Lost()) return Gone();
    std::string& unread = unread_[AddressOf(device)];
    if (unread.empty()) {
        if (const std::optional<Outcome> busy = Ready(driver::TimeoutSeconds(device.tmo), true)) {
            return *busy;
        }
        Answer answer = AnswerOf(device);
        if (port_.Lost()) return Gone();
        if (!answer.end) return TimedOut(buf, count, answer.bytes, data);
        unread = std::move(answer.bytes);
    }
    data = unread.substr(0, static_cast<std::size_t>(count));
    unread.erase(0, data.size());
    if (!data.empty()) std::memcpy(buf, data.data(), data.size());
    return {driver::CMPL | (unread.empty() ? driver::END : 0), {}, static_cast<long>(data.size())};
}

AdapterBus::Answer AdapterBus::AnswerOf(const Descriptor& device) {
    // TNONE: no limit, rounds of the longest again and again.
    const std::optional<double> limit = driver::TimeoutSeconds(device.tmo);
    const std::optional<char> eos = EndOfString(device);
    driver::Clock& clock = port_.Clock();
    const double start = clock.Now();
    // The whole read, whatever the adapter's time-out between bytes lets an answer take.
    std::optional<double> deadline;
    if (limit) deadline = start + *limit + port_.Margin();
    Answer answer;
    // What the instrument gave beyond the character that ended the last read comes first.
    if (auto held = beyond_.extract(AddressOf(device))) {
        answer = std::move(held.mapped());
        if (answer.end || (eos && answer.bytes.find(*eos) != std::string::npos)) {
            return AtEndOfString(device, std::move(answer));
        }
    }
    // Longer time-outs than the adapter's longest are built from rounds of it.
    for (;;) {
        const double left = limit ? *limit - (clock.Now() - start) : kLongestRound;
        const double most = eos ? kEndOfStringGap : kLongestRound;
        const double round = Milliseconds(std::min(left, most)) / 1000.0;
        if (!Address(device) || !ReadTimeout(round)) return answer;
        const Closed got = port_.Exchange("++read eoi", Held(round), deadline);
        answer.bytes += got.bytes;
        // The adapter's read is over and ended by EOI: its mark follows the answer, and
        // nothing else, whatever bytes the answer holds.
        if (got.closed && !got.bytes.empty() && got.bytes.back() == kEotChar) {
            answer.bytes.pop_back();
            answer.end = true;
        }
        if (eos && answer.bytes.find(*eos) != std::string::npos) {
            return AtEndOfString(device, std::move(answer));
        }
        // The time is over, or the adapter gone: what came so far, as after a time-out.
        if (answer.end || !got.closed || (limit && clock.Now() - start >= *limit)) return answer;
    }
}

AdapterBus::Answer AdapterBus::AtEndOfString(const Descriptor& device, Answer answer) {
    const std::optional<char> eos = EndOfString(device);
    const std::size_t at = eos ? answer.bytes.find(*eos) : std::string::npos;
    if (at == std::string::npos) return answer;
    // A board would stop at the character and leave the rest in the instrument, for the next
    // read: the rest is kept for it here.
    if (at + 1 < answer.bytes.size()) {
        beyond_[AddressOf(device)] = {answer.bytes.substr(at + 1), answer.end};
    }
    answer.bytes.resize(at + 1);
    answer.end = true;
    return answer;
}

void AdapterBus::Forget(driver::Address address) {
    unread_.erase(address);
    beyond_.erase(address);
}

Outcome AdapterBus::TimedOut(void* buf, long count, const std::string& partial, std::string& data) {
    // What came before the time-out is the caller's, as a board driver leaves it.
    data = partial.substr(0, static_cast<std::size_t>(count));
    if (!data.empty()) std::memcpy(buf, data.data(), data.size());
    return Failed(driver::EABO, static_cast<long>(data.size()), driver::TIMO);
}

Outcome AdapterBus::Clear(const Descriptor& device) {
    if (port_.Lost()) return Gone();
    Forget(AddressOf(device));
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
    if (const std::optional<Outcome> busy = Ready(std::nullopt, false)) return *busy;
    for (const char* line : lines) {
        if (!port_.Send(line, Held())) return Gone();
    }
    // A device clear of everyone empties every answer under way.
    if (bytes.find('\x14') != std::string_view::npos) {
        unread_.clear();
        beyond_.clear();
    }
    return {driver::CMPL, {}, static_cast<long>(bytes.size())};
}

Outcome AdapterBus::ParallelPoll(std::uint8_t&) {
    if (port_.Lost()) return Gone();
    return Failed(driver::ECAP);
}

}  // namespace adapter
