// Opening an adapter: recognised by its "++ver" line, then every setting this driver relies on
// set explicitly, and asked back where the adapter's manual documents a way to ask it, so that
// nothing a user or an earlier program left matters.
#include <string_view>

#include "adapter/adapter_bus.h"
#include "driver/trace.h"

namespace adapter {

namespace {
// An Arduino resets when its port is opened and listens again after about 1.5 s; what it is sent
// meanwhile is lost, so "++ver" is asked again until this much time has passed.
constexpr double kRecognitionSeconds = 4.0;
constexpr double kVersionWait = 0.5;
// Becoming controller, an AR488 clears the bus to local (80 ms) and pulses IFC.
constexpr double kControllerHeld = 0.1;

// What every read and write here relies on, each asked back: controller, no read after each
// write, EOI with the last byte and no terminator added, and a mark after an answer that ended
// with EOI. Both manuals document asking these.
struct Setting {
    const char* name;
    std::string value;
    double held;
};
const Setting kSettings[] = {
    {"mode", "1", kControllerHeld},
    {"auto", "0", 0},
    {"eoi", "1", 0},
    {"eos", "3", 0},
    {"eot_enable", "1", 0},
    {"eot_char", std::to_string(kEotChar), 0},
};

std::string Quoted(const std::string& text) {
    return "\"" + driver::EscapeBytes(text) + "\"";
}
}  // namespace

std::optional<std::string> AdapterBus::Open() {
    const std::optional<std::string> version = AskVersion();
    if (port_.Lost()) return "the adapter went away while it was asked \"++ver\"";
    if (!version) return "nothing answered \"++ver\" as a Prologix or AR488 adapter does";
    // An AR488 left echoing is quiet before anything else is asked.
    if (verbose_) {
        if (std::optional<std::string> failed = VerboseOff()) return failed;
    }
    std::optional<Kind> kind = KindOfVersion(*version);
    // An AR488 may answer "++ver" with a text of its user's choice; "++ver real" is its own.
    const std::optional<std::string> real = port_.Query("++ver real", kVersionWait);
    if (port_.Lost()) return "the adapter went away while it was asked \"++ver real\"";
    if (real && KindOfVersion(*real) == Kind::Ar488) kind = Kind::Ar488;
    if (!kind)
        return "the answer to \"++ver\", " + Quoted(*version) + ", names no Prologix or AR488";
    kind_ = *kind;
    // What closes each exchange from now on: its own version, whose answer is known.
    if (kind_ == Kind::Ar488 && real) {
        port_.SetMarker("++ver real", *real);
    } else {
        port_.SetMarker("++ver", *version);
    }
    Note("adapter " + Quoted(*version));
    return SetUp();
}

std::optional<std::string> AdapterBus::AskVersion() {
    driver::Clock& clock = port_.Clock();
    const double giveUp = clock.Now() + kRecognitionSeconds;
    std::optional<std::string> other;
    int asked = 0;
    while (clock.Now() < giveUp && !port_.Lost()) {
        port_.DropArrived();
        if (!port_.Send("++ver")) break;
        ++asked;
        // Lines until one names an adapter; an echo of the line shows an AR488 set to verbose.
        while (const std::optional<std::string> line = port_.Line(kVersionWait)) {
            if (KindOfVersion(*line)) {
                // A "++ver" asked before may be answered too, a moment later: let it come.
                if (asked > 1) port_.Ready();
                return line;
            }
            if (line->find("++ver") != std::string::npos) {
                verbose_ = true;
            } else if (!line->empty()) {
                other = line;
            }
        }
    }
    return other;
}

std::optional<std::string> AdapterBus::SetUp() {
    port_.MeasureRoundTrips(true);
    std::optional<std::string> failed;
    if (kind_ == Kind::Prologix) {
        // First, so that no setting below is written to its memory (and wears it).
        failed = Verified("savecfg", "0", false);
    } else {
        // Its input is 64 bytes without flow control: what waits behind a line that keeps it
        // busy on the bus must fit.
        port_.LimitWaitingBytes(64);
        // No "Send^OK" or "Read^OK" lines, no "*idn?" answered by the adapter instead of the
        // instrument, whatever its memory kept; its manual documents no way to ask them back.
        port_.Set("flags", "0");
        port_.Set("idn", "0");
    }
    for (const Setting& setting : kSettings) {
        if (!failed) failed = Verified(setting.name, setting.value, true, setting.held);
    }
    // The time-out Pulvar's descriptors use. Neither manual documents a way to ask it back.
    if (!failed) port_.Set("read_tmo_ms", "3000");
    // An AR488 also keeps a receive terminator of its own: EOI only.
    if (!failed && kind_ == Kind::Ar488) failed = Verified("eor", "7", false);
    port_.MeasureRoundTrips(false);
    return failed;
}

std::optional<std::string> AdapterBus::Verified(const std::string& name, const std::string& value,
                                                bool needed, double hold) {
    port_.Set(name, value, hold);
    const Closed got = port_.Exchange("++" + name, 0);
    if (port_.Lost() || !got.closed) return "the adapter went away while it was set up";
    // Its answer, past any error line the setting itself brought.
    std::optional<std::string> answer;
    for (const std::string& line : LinesOf(got.bytes)) {
        if (!line.empty() && !IsAdapterError(line) && !IsNotice(line)) {
            answer = line;
            break;
        }
    }
    if (!answer) {
        if (!needed) return std::nullopt;
        return "the adapter does not know \"++" + name + "\"";
    }
    if (WholeNumber(*answer) != WholeNumber(value)) {
        return "the adapter keeps ++" + name + " at " + Quoted(*answer) + " when told " + value;
    }
    return std::nullopt;
}

std::optional<std::string> AdapterBus::VerboseOff() {
    // A toggle: once, and its answer must say it is off now.
    const std::optional<std::string> reply = port_.Query("++verbose", kVersionWait);
    if (port_.Lost()) return "the adapter went away while it was set up";
    std::string said;
    for (std::optional<std::string> line = reply; line; line = port_.Line(0)) said += *line;
    if (said.find("OFF") == std::string::npos) {
        return "the adapter does not turn its verbose mode off: " + Quoted(said);
    }
    verbose_ = false;
    return std::nullopt;
}

}  // namespace adapter
