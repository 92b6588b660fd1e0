// The driver's descriptor calls: options asked and set, names looked up, descriptors taken
// offline, and the calls it accepts or refuses without touching the bus.
#include "driver/driver.h"

namespace driver {

namespace {
constexpr int kEosBits = 0xff | REOS | XEOS | BIN;
}  // namespace

int Driver::ibask(int ud, int option, int* value) {
    const Outcome outcome = Ask(ud, option, value);
    const std::string shown = outcome.err ? "" : " v=" + N(*value);
    return Finish("ibask ud=" + N(ud) + " option=" + N(option) + shown, outcome);
}

Outcome Driver::Ask(int ud, int option, int* value) {
    const Descriptor* descriptor = Find(ud);
    if (!descriptor) return Failed(EDVR);
    const std::optional<int> known = descriptor->Option(option);
    // An option of the other kind of descriptor, or none at all.
    if (!known || !value) return Failed(EARG);
    *value = *known;
    return Done(*descriptor);
}

int Driver::ibconfig(int ud, int option, int value) {
    return Finish("ibconfig ud=" + N(ud) + " option=" + N(option) + " v=" + N(value),
                  Configure(ud, option, value));
}

int Driver::SetOption(const std::string& call, int ud, int option, int value) {
    return Finish(call + " ud=" + N(ud) + " v=" + N(value), Configure(ud, option, value));
}

Outcome Driver::Configure(int ud, int option, int value) {
    Descriptor* descriptor = Find(ud);
    if (!descriptor) return Failed(EDVR);
    Descriptor changed = *descriptor;
    if (!changed.SetOption(option, value)) return Failed(EARG);
    // Remote enable is a line of the bus, not only an option the board keeps.
    if (option == option::SRE && changed.board) {
        Outcome outcome = bus_->RemoteEnable(value != 0);
        outcome.sta |= CIC;
        if (outcome.err) return outcome;
    }
    *descriptor = changed;
    return Done(*descriptor);
}

int Driver::ibeos(int ud, int v) {
    Descriptor* descriptor = Find(ud);
    Outcome outcome = Failed(EDVR);
    if (descriptor && (v & ~kEosBits) != 0) outcome = Failed(EARG);
    if (descriptor && (v & ~kEosBits) == 0) {
        descriptor->eos = v;
        outcome = Done(*descriptor);
    }
    return Finish("ibeos ud=" + N(ud) + " v=" + HexWord(v), outcome);
}

int Driver::ibfind(const std::string& name) {
    int ud = -1;
    Outcome outcome = Failed(EDVR);
    if (name == "gpib0") {
        ud = kBoard;
        outcome = Done(board_);
    } else if (const auto named = names_.find(name); named != names_.end()) {
        outcome = Open(kBoard, named->second, 0, board_.tmo, 1, 0, ud);
    }
    Finish("ibfind name=\"" + EscapeBytes(name) + "\" ud=" + N(ud), outcome);
    return ud;
}

int Driver::ibbna(int ud, const std::string& boardName) {
    Outcome outcome = Failed(EDVR);
    if (const Descriptor* descriptor = Find(ud)) {
        // Board 0 is the only one: a device can only be moved onto it.
        outcome = descriptor->board || boardName != "gpib0" ? Failed(EARG) : Done(*descriptor);
    }
    return Finish("ibbna ud=" + N(ud) + " name=\"" + EscapeBytes(boardName) + "\"", outcome);
}

int Driver::ibonl(int ud, int online) {
    Outcome outcome = AnyDescriptor(ud);
    // Offline frees a device descriptor; the board stays, as it is opened again at its next use.
    if (!outcome.err && online == 0 && ud != kBoard) devices_.erase(ud);
    return Finish("ibonl ud=" + N(ud) + " v=" + N(online), outcome);
}

int Driver::Accept(const std::string& call, int ud) {
    return Finish(call + " ud=" + N(ud), AnyDescriptor(ud));
}

int Driver::Unsupported(const std::string& call, int ud) {
    const bool known = Find(ud) != nullptr;
    return Finish(call + " ud=" + N(ud), Failed(known ? ECAP : EDVR));
}

}  // namespace driver
