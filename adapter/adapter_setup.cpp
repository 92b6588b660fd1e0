// Opening an adapter: recognised by its "++ver" line, then every setting this driver relies on
// set explicitly and asked back, so that nothing a user or an earlier program left matters.
#include <string_view>

#include "adapter/adapter_bus.h"
#include "driver/trace.h"

namespace adapter {

namespace {
// An Arduino resets when its port is opened and listens again after about 1.5 s; what it is sent
// meanwhile is lost, so "++ver" is asked again until this much time has passed.
constexpr double kRecognitionSeconds = 4.0;
constexpr double kVersionWait = 0.5;

// What every read and write here relies on: controller, no read after each write, EOI with the
// last byte and no terminator added, and a mark after an answer that ended with EOI.
struct Setting {
    const char* name;
    std::string value;
};
const Setting kSettings[] = {
    {"mode", "1"},
    {"auto", "0"},
    {"eoi", "1"},
    {"eos", "3"},
    {"eot_enable", "1"},
    {"eot_char", std::to_string(kEotChar)},
    {"read_tmo_ms", "3000"},
};

std::string Quoted(const std::string& text) {
    return "\"" + driver::EscapeBytes(text) + "\"";
}
}  // namespace

std::optional<std::string> AdapterBus::Open() {
    const std::optional<std::string> version = AskVersion();
    if (port_.Lost()) return "the adapter went away while it was asked \"++ver\"";
    if (!version) return "nothing answered \"++ver\" as a Prologix or AR488 adapter does";
    std::optional<Kind> kind = KindOfVersion(*version);
    if (kind != Kind::Ar488) {
        // An AR488 may answer "++ver" with a text of its user's choice; "++ver real" is its own.
        const std::optional<std::string> real = port_.Query("++ver real", kVersionWait);
        if (real && KindOfVersion(*real) == Kind::Ar488) kind = Kind::Ar488;
    }
    if (!kind)
        return "the answer to \"++ver\", " + Quoted(*version) + ", names no Prologix or AR488";
    kind_ = *kind;
    Note("adapter " + Quoted(*version));
    return SetUp();
}

std::optional<std::string> AdapterBus::AskVersion() {
    driver::Clock& clock = port_.Clock();
    const double giveUp = clock.Now() + kRecognitionSeconds;
    std::optional<std::string> other;
    while (clock.Now() < giveUp && !port_.Lost()) {
        port_.Discard();
        if (!port_.Send("++ver")) break;
        // Lines until one names an adapter; an echo of the line shows an AR488 set to verbose.
        while (const std::optional<std::string> line = port_.Line(kVersionWait)) {
            if (KindOfVersion(*line)) return line;
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
        failed = Verified("savecfg", "0");
    } else if (verbose_) {
        failed = VerboseOff();
    }
    for (const Setting& setting : kSettings) {
        if (!failed) failed = Verified(setting.name, setting.value);
    }
    // An AR488 also keeps a receive terminator of its own: EOI only.
    if (!failed && kind_ == Kind::Ar488) failed = Verified("eor", "7");
    if (kind_ == Kind::Ar488) {
        // Its serial input is 64 bytes without flow control: what waits behind a line that keeps
        // it busy on the bus must fit.
        port_.LimitWaitingBytes(64);
    }
    port_.MeasureRoundTrips(false);
    return failed;
}

std::optional<std::string> AdapterBus::Verified(const std::string& name, const std::string& value) {
    port_.Set(name, value);
    const std::optional<std::string> reply = port_.Query("++" + name, kQuickReply);
    if (port_.Lost()) return "the adapter went away while it was set up";
    if (!reply) return "the adapter does not answer \"++" + name + "\"";
    if (*reply != value) {
        return "the adapter keeps ++" + name + " at " + Quoted(*reply) + " when told " + value;
    }
    return std::nullopt;
}

std::optional<std::string> AdapterBus::VerboseOff() {
    // A toggle: once, and its answer must say it is off now.
    const std::optional<std::string> reply = port_.Query("++verbose", kQuickReply);
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
