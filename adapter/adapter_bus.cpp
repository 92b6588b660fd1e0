// The driver's bus over a Prologix or AR488 adapter: the calls as the adapter's lines.
#include "adapter/adapter_bus.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "adapter/framing.h"
#include "driver/trace.h"

namespace adapter {

using driver::Descriptor;
using driver::Failed;
using driver::N;
using driver::Outcome;

namespace {
constexpr double kLongestRound = 3.0;  // a Prologix refuses ++read_tmo_ms above 3000
constexpr double kSearchPoll = 0.05;   // a listener answers a serial poll within microseconds
// An AR488 puts longer data on the bus as several messages, each with EOI: no instrument would
// take them for the one message that was meant.
constexpr std::size_t kAr488LongestData = 128;

// Command bytes an AR488 has a line for.
struct CommandLine {
    char byte;
    const char* line;
};
constexpr CommandLine kAr488Commands[] = {{0x14, "++dcl"}, {0x3F, "++unl"}, {0x5F, "++unt"}};

// "5", or "5 96" with a secondary address (96 and up, as the adapters take it).
std::string AddressText(int pad, int sad) {
    return N(pad) + (sad ? " " + N(sad) : "");
}

driver::Address AddressOf(const Descriptor& device) {
    return static_cast<driver::Address>(device.pad | device.sad << 8);
}

// What ++read_tmo_ms takes: 1 to 3000 ms.
int Milliseconds(double seconds) {
    return std::clamp(static_cast<int>(std::ceil(seconds * 1000 - 1e-9)), 1,
                      static_cast<int>(kLongestRound * 1000));
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

bool AdapterBus::Address(const Descriptor& device) {
    return port_.Set("addr", AddressText(device.pad, device.sad));
}

bool AdapterBus::ReadTimeout(double seconds) {
    return port_.Set("read_tmo_ms", N(Milliseconds(seconds)));
}

Outcome AdapterBus::AtDevice(const Descriptor& device, const std::string& line) {
    if (!Address(device) || !port_.Send(line, true)) return Gone();
    return {};
}

Outcome AdapterBus::InterfaceClear() {
    return port_.Send("++ifc", true) ? Outcome{} : Gone();
}

Outcome AdapterBus::RemoteEnable(bool on) {
    if (kind_ == Kind::Ar488)
        return port_.Send(on ? "++ren 1" : "++ren 0", true) ? Outcome{} : Gone();
    // A Prologix controller holds remote enable asserted: it can be on, never off.
    return on ? Outcome{} : Failed(driver::ECAP);
}

std::optional<std::uint8_t> AdapterBus::SerialPoll(int pad, int sad, double seconds) {
    // A poll of an address where nothing is stays silent until the adapter's read time-out.
    if (!ReadTimeout(seconds)) return std::nullopt;
    const double allowed = Milliseconds(seconds) / 1000.0;
    const std::optional<std::string> reply =
        port_.Query("++spoll " + AddressText(pad, sad), allowed);
    if (!reply) return std::nullopt;
    return StatusByteOf(*reply);
}

std::optional<std::vector<driver::Address>> AdapterBus::FindListeningAmong(
    const std::string& list) {
    const std::optional<std::string> reply = port_.Query("++fndl " + list, kQuickReply);
    // Silence counts as nobody found, as an empty list does.
    if (!reply) return std::vector<driver::Address>();
    const std::optional<std::vector<driver::Address>> listeners = ListenersOf(*reply);
    if (!listeners) Note("not a list of listeners: \"" + driver::EscapeBytes(*reply) + "\"");
    return listeners;
}

Outcome AdapterBus::FindListeners(const std::vector<driver::Address>& addresses,
                                  std::vector<driver::Address>& found) {
    if (port_.Lost()) return Gone();
    const auto valid = [](driver::Address address) {
        const int pad = address & 0xff;
        return pad >= 1 && pad <= driver::kHighestPad && driver::IsSecondaryAddress(address >> 8);
    };
    if (kind_ == Kind::Ar488) {
        // A true listener search: the adapter drives each listen address and watches NDAC.
        const std::optional<std::vector<driver::Address>> all = FindListeningAmong("all");
        if (port_.Lost()) return Gone();
        if (!all) return Failed(driver::EDVR);
        std::copy_if(addresses.begin(), addresses.end(), std::back_inserter(found),
                     [&](driver::Address address) {
                         return valid(address) &&
                                std::find(all->begin(), all->end(), address) != all->end();
                     });
    } else {
        // A Prologix has no listener search: an address that answers a serial poll listens.
        for (const driver::Address address : addresses) {
            if (valid(address) && SerialPoll(address & 0xff, address >> 8, kSearchPoll)) {
                found.push_back(address);
            }
            if (port_.Lost()) return Gone();
        }
    }
    // As on a bus where nothing accepts the search's command bytes.
    if (found.empty()) return Failed(driver::EBUS);
    return {};
}

Outcome AdapterBus::Listens(int pad, int sad, bool& found) {
    if (port_.Lost()) return Gone();
    if (kind_ == Kind::Ar488) {
        const std::optional<std::vector<driver::Address>> listeners = FindListeningAmong(N(pad));
        if (port_.Lost()) return Gone();
        if (!listeners) return Failed(driver::EDVR);
        found = std::any_of(listeners->begin(), listeners->end(), [&](driver::Address address) {
            return (address & 0xff) == pad && (sad == -1 || (address >> 8) == sad);
        });
        return {};
    }
    found = SerialPoll(pad, sad == -1 ? 0 : sad, kSearchPoll).has_value();
    return port_.Lost() ? Gone() : Outcome{};
}

Outcome AdapterBus::Write(const Descriptor& device, std::string_view bytes) {
    if (port_.Lost()) return Gone();
    if (kind_ == Kind::Ar488 && bytes.size() > kAr488LongestData) return Failed(driver::ECAP, 0);
    // A new message replaces an answer the instrument had not finished giving.
    unread_.erase(AddressOf(device));
    if (bytes.empty()) return {driver::CMPL, {}, 0};
    // Nothing comes back: whether anyone listened shows only at the next read.
    if (!Address(device) || !port_.Set("eoi", device.eot ? "1" : "0") ||
        !port_.Send(Escape(bytes), true)) {
        return Gone();
    }
    return {driver::CMPL, {}, static_cast<long>(bytes.size())};
}

Outcome AdapterBus::Read(const Descriptor& device, void* buf, long count, std::string& data) {
    if (port_.Lost()) return Gone();
    std::string& unread = unread_[AddressOf(device)];
    if (unread.empty()) {
        ReadRound answer = Answer(device);
        if (port_.Lost()) return Gone();
        if (!answer.end) return TimedOut(buf, count, answer.bytes, data);
        unread = std::move(answer.bytes);
    }
    data = unread.substr(0, static_cast<std::size_t>(count));
    unread.erase(0, data.size());
    if (!data.empty()) std::memcpy(buf, data.data(), data.size());
    return {driver::CMPL | (unread.empty() ? driver::END : 0), {}, static_cast<long>(data.size())};
}

ReadRound AdapterBus::Answer(const Descriptor& device) {
    // TNONE: no limit, rounds of the longest again and again.
    const std::optional<double> limit = driver::TimeoutSeconds(device.tmo);
    // With REOS the read ends at the end-of-string character too (instruments without EOI).
    std::optional<char> eos;
    if (device.eos & driver::REOS) eos = static_cast<char>(device.eos & 0xff);
    const std::string command =
        eos ? "++read " + N(static_cast<unsigned char>(*eos)) : std::string("++read eoi");
    driver::Clock& clock = port_.Clock();
    const double start = clock.Now();
    ReadRound answer;
    // Longer time-outs than the adapter's longest are built from rounds of it.
    for (;;) {
        const double left = limit ? *limit - (clock.Now() - start) : kLongestRound;
        const double round = Milliseconds(std::min(left, kLongestRound)) / 1000.0;
        if (!Address(device) || !ReadTimeout(round)) return answer;
        ReadRound got = port_.Read(command, round, eos);
        answer.bytes += got.bytes;
        answer.end = got.end;
        if (got.end || port_.Lost()) return answer;
        // Silence: from the instrument, or from an adapter that is gone without a word.
        if (got.bytes.empty() && !StillThere()) return answer;
        if (limit && clock.Now() - start >= *limit) return answer;
    }
}

Outcome AdapterBus::TimedOut(void* buf, long count, const std::string& partial, std::string& data) {
    // What came before the time-out is the caller's, as a board driver leaves it.
    data = partial.substr(0, static_cast<std::size_t>(count));
    if (!data.empty()) std::memcpy(buf, data.data(), data.size());
    return Failed(driver::EABO, static_cast<long>(data.size()), driver::TIMO);
}

bool AdapterBus::StillThere() {
    // A silent instrument and an adapter that no longer answers look alike; its own
    // "++ver" tells them apart.
    if (port_.Query("++ver", kQuickReply)) return true;
    port_.Abandon("it no longer answers");
    return false;
}

Outcome AdapterBus::Clear(const Descriptor& device) {
    if (port_.Lost()) return Gone();
    unread_.erase(AddressOf(device));
    return AtDevice(device, "++clr");
}

Outcome AdapterBus::Poll(const Descriptor& device, std::uint8_t& status) {
    if (port_.Lost()) return Gone();
    const std::optional<int> code = device.Option(driver::option::SPollTime);
    const std::optional<double> seconds = driver::TimeoutSeconds(code.value_or(0));
    const std::optional<std::uint8_t> polled =
        SerialPoll(device.pad, device.sad, seconds.value_or(kLongestRound));
    if (port_.Lost()) return Gone();
    // Silent: nothing at that address answers, as with no listener on a board.
    if (!polled) return Failed(driver::ENOL);
    status = *polled;
    return {};
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
    for (const char* line : lines) {
        if (!port_.Send(line, true)) return Gone();
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
