// The listener search and serial polls over an adapter: an AR488's own search (its "++fndl"),
// and, where there is none (a Prologix, an AR488 of older firmware), a serial poll of each
// address, silence taken for nobody there. Each poll is closed by the marker, so that it ends
// when the adapter has finished it, not when a time-out guessed on the host runs out.
#include <algorithm>

#include "adapter/adapter_bus.h"
#include "adapter/commands.h"
#include "driver/trace.h"

namespace adapter {

using driver::Failed;
using driver::N;
using driver::Outcome;

namespace {
constexpr double kSearchPoll = 0.05;  // a listener answers a serial poll within microseconds
// An AR488's search tries each address, and every secondary address of one that does not
// listen, 1.6 ms each: under two seconds for the whole bus; this much is allowed.
constexpr double kSearchHeld = 10.0;

bool Searchable(driver::Address address) {
    const int pad = address & 0xff;
    return pad >= 1 && pad <= driver::kHighestPad && driver::IsSecondaryAddress(address >> 8);
}

std::optional<std::uint8_t> StatusIn(const std::string& bytes) {
    for (const std::string& line : LinesOf(bytes)) {
        if (const std::optional<std::uint8_t> status = StatusByteOf(line)) return status;
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::uint8_t> AdapterBus::SerialPoll(int pad, int sad, double seconds,
                                                   std::optional<double> limit) {
    // A poll of an address where nothing is stays silent until the adapter's read time-out.
    if (!ReadTimeout(seconds)) return std::nullopt;
    const double allowed = Milliseconds(seconds) / 1000.0;
    const Closed got = port_.Exchange("++spoll " + AddressText(pad, sad), Held(allowed), limit);
    return StatusIn(got.bytes);
}

std::optional<ListenerList> AdapterBus::FoundListening(const std::string& addresses) {
    const Closed got = port_.Exchange("++fndl " + addresses, kSearchHeld);
    // The firmware goes on taking the last address it tried for the one addressed to listen, so
    // that the next message would go there: unlistening clears that.
    port_.Send("++unl", Held());
    ListenerList all;
    for (std::string line : LinesOf(got.bytes)) {
        if (line == kUnrecognized) {
            // Firmware older than its search.
            Note("the AR488 has no ++fndl: each address is polled instead");
            findsListeners_ = false;
            return std::nullopt;
        }
        // Nobody took the addressing: the listeners printed before it are all there are.
        if (const std::size_t failed = line.find(kTransmitFailed); failed != std::string::npos) {
            Note("the AR488 found nobody to take the addressing");
            line.resize(failed);
        }
        if (IsNotice(line) || IsAdapterError(line)) continue;
        const ListenerList part = ListenersOf(line);
        all.listeners.insert(all.listeners.end(), part.listeners.begin(), part.listeners.end());
        for (const std::string& odd : part.odd) {
            Note("not a listener in the list: \"" + driver::EscapeBytes(odd) + "\"");
        }
    }
    return all;
}

void AdapterBus::PolledListening(const std::vector<driver::Address>& addresses,
                                 std::vector<driver::Address>& found) {
    std::vector<driver::Address> asked;
    for (const driver::Address address : addresses) {
        // An AR488 polls primary addresses only.
        if (Searchable(address) && (kind_ == Kind::Prologix || address >> 8 == 0)) {
            asked.push_back(address);
        }
    }
    if (!ReadTimeout(kSearchPoll)) return;
    const double held = Held(Milliseconds(kSearchPoll) / 1000.0);
    // A Prologix takes its input with flow control: every poll goes out at once, each closed
    // by the marker. An AR488 loses what does not fit its input: one at a time.
    const std::size_t window = kind_ == Kind::Prologix ? asked.size() : 1;
    std::size_t sent = 0;
    for (std::size_t answered = 0; answered < asked.size(); ++answered) {
        for (; sent < asked.size() && sent - answered < window; ++sent) {
            const int pad = asked[sent] & 0xff;
            if (!port_.SendMarked("++spoll " + AddressText(pad, asked[sent] >> 8), held)) return;
        }
        const Closed got = port_.UntilMarker(std::nullopt);
        if (!got.closed) return;
        if (StatusIn(got.bytes)) found.push_back(asked[answered]);
    }
}

Outcome AdapterBus::FindListeners(const std::vector<driver::Address>& addresses,
                                  std::vector<driver::Address>& found) {
    if (const std::optional<Outcome> busy = Ready(std::nullopt, true)) return *busy;
    std::optional<ListenerList> listening;
    // A true listener search: the adapter drives each listen address and watches NDAC.
    if (kind_ == Kind::Ar488 && findsListeners_) listening = FoundListening("all");
    if (port_.Lost()) return Gone();
    if (listening) {
        std::copy_if(addresses.begin(), addresses.end(), std::back_inserter(found),
                     [&](driver::Address address) {
                         return Searchable(address) &&
                                std::count(listening->listeners.begin(), listening->listeners.end(),
                                           address) > 0;
                     });
    } else {
        PolledListening(addresses, found);
    }
    if (port_.Lost()) return Gone();
    // As on a bus where nothing accepts the search's command bytes.
    if (found.empty()) return Failed(driver::EBUS);
    return {};
}

Outcome AdapterBus::Listens(int pad, int sad, bool& found) {
    if (const std::optional<Outcome> busy = Ready(std::nullopt, true)) return *busy;
    if (kind_ == Kind::Ar488 && findsListeners_) {
        const std::optional<ListenerList> listening = FoundListening(N(pad));
        if (port_.Lost()) return Gone();
        if (listening) {
            found = std::any_of(listening->listeners.begin(), listening->listeners.end(),
                                [&](driver::Address address) {
                                    return (address & 0xff) == pad &&
                                           (sad == -1 || (address >> 8) == sad);
                                });
            return {};
        }
    }
    // An AR488 cannot poll a secondary address.
    if (kind_ == Kind::Ar488 && sad > 0) return Failed(driver::ECAP);
    found = SerialPoll(pad, sad == -1 ? 0 : sad, kSearchPoll, std::nullopt).has_value();
    return port_.Lost() ? Gone() : Outcome{};
}

Outcome AdapterBus::Poll(const driver::Descriptor& device, std::uint8_t& status) {
    if (port_.Lost()) return Gone();
    // An AR488's "++spoll" takes primary addresses only: more of them, never a secondary one.
    if (kind_ == Kind::Ar488 && device.sad) return Failed(driver::ECAP);
    const std::optional<int> code = device.Option(driver::option::SPollTime);
    const double seconds = driver::TimeoutSeconds(code.value_or(0)).value_or(kLongestRound);
    if (const std::optional<Outcome> busy = Ready(seconds, true)) return *busy;
    const double limit = port_.Clock().Now() + seconds + port_.Margin();
    const std::optional<std::uint8_t> polled = SerialPoll(device.pad, device.sad, seconds, limit);
    if (port_.Lost()) return Gone();
    // Silent: nothing at that address answers, as with no listener on a board.
    if (!polled) return Failed(driver::ENOL);
    status = *polled;
    return {};
}

}  // namespace adapter
