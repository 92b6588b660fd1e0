// One device on the GPIB, by IEEE 488.1's interface functions.
#include "bus_device.h"

#include <algorithm>

namespace firmware {

namespace {
// Command bytes (sent while ATN is asserted) a device acts on.
constexpr std::uint8_t kSelectedDeviceClear = 0x04;
constexpr std::uint8_t kDeviceClear = 0x14;
constexpr std::uint8_t kSerialPollEnable = 0x18;
constexpr std::uint8_t kSerialPollDisable = 0x19;
constexpr std::uint8_t kListenAddress = 0x20;
constexpr std::uint8_t kUnlisten = 0x3f;
constexpr std::uint8_t kTalkAddress = 0x40;
constexpr std::uint8_t kUntalk = 0x5f;
constexpr std::uint8_t kSecondary = 0x60;  // the secondary command group, 0x60..0x7F
}  // namespace

bool BusDevice::Present() const {
    return !habits_.messagesUntilGone || messages_ < *habits_.messagesUntilGone;
}

bool BusDevice::React(Lines others, double now, bool settled) {
    const Lines before = asserts_;
    wakeAt_.reset();
    // An unplugged instrument takes no part in anything, once its last byte was taken back.
    if (!Present() && acceptor_ != Acceptor::Accepted) {
        asserts_ = 0;
        return before != 0;
    }
    if (others & kIfc) InterfaceClear();
    Accept(others, now);
    Send(others, now, settled);
    return asserts_ != before;
}

void BusDevice::Accept(Lines others, double now) {
    const bool attention = others & kAtn;
    // Every device takes part in the handshake of command bytes; in that of data, listeners.
    if (!attention && !(listening_ && !talking_)) {
        acceptor_ = Acceptor::Idle;
        Drive(kNrfd | kNdac, false);
        return;
    }
    if (acceptor_ == Acceptor::Accepted) {
        if (others & kDav) return;  // the source has not taken its byte back yet
        acceptor_ = Acceptor::NotReady;
    }
    if (acceptor_ == Acceptor::Idle || acceptor_ == Acceptor::NotReady) {
        acceptor_ = Acceptor::NotReady;
        Drive(kNrfd | kNdac, true);
        // A busy device holds off data, never a command.
        if (!attention && now < busyUntil_) {
            WaitUntil(busyUntil_);
            return;
        }
        acceptor_ = Acceptor::Ready;
        Drive(kNrfd, false);
    }
    if (!(others & kDav)) return;
    acceptor_ = Acceptor::Accepted;
    Drive(kNrfd, true);
    Drive(kNdac, false);
    Take(DataByte(others), others & kEoi, attention, now);
}

void BusDevice::Take(std::uint8_t byte, bool eoi, bool command, double now) {
    if (command) {
        Command(byte, now);
        return;
    }
    heard_ += static_cast<char>(byte);
    if (eoi) Hear(true, now);
}

void BusDevice::Hear(bool end, double now) {
    link_.Deliver(heard_, end);
    heard_.clear();
    ++messages_;
    // A new message replaces an answer not read yet.
    saying_.clear();
    asked_ = false;
    answerGoesOn_ = false;
    if (end) busyUntil_ = now + habits_.busyAfterMessage;
}

void BusDevice::Command(std::uint8_t byte, double now) {
    const std::uint8_t command = byte & 0x7f;
    const bool wasTalking = talking_;
    if (command < kSecondary) {
        Addressed(command, now);
    } else {
        SecondaryAddressed(command);
    }
    if (command == kSerialPollEnable) serialPollMode_ = true;
    if (command == kSerialPollDisable) serialPollMode_ = false;
    if (command == kDeviceClear || (command == kSelectedDeviceClear && listening_)) {
        link_.Clear();
        Cleared();
    }
    if (talking_ && !wasTalking) asked_ = polled_ = false;
}

void BusDevice::Addressed(std::uint8_t command, double now) {
    const int listen = kListenAddress + pad_;
    const int talk = kTalkAddress + pad_;
    if (command == kUnlisten) {
        // A message without EOI ends when its listener is sent away.
        if (listening_ && !heard_.empty()) Hear(false, now);
        listening_ = false;
    }
    // Another talker (or none, UNT) takes over.
    if (command >= kTalkAddress && command <= kUntalk && command != talk) talking_ = false;
    if (habits_.secondaries.empty()) {
        if (command == listen) listening_ = true;
        if (command == talk) talking_ = true;
    } else {
        // Extended: the primary address only readies it for its secondary; any other primary
        // command byte in between undoes that.
        listenPrimary_ = command == listen;
        talkPrimary_ = command == talk;
    }
}

void BusDevice::SecondaryAddressed(std::uint8_t command) {
    if (habits_.secondaries.empty()) return;
    const bool mine = habits_.secondaries.count(command) != 0;
    if (listenPrimary_ && mine) listening_ = true;
    // There is one talker: another secondary address after its primary one sends it away.
    if (talkPrimary_) talking_ = mine;
}

void BusDevice::Send(Lines others, double now, bool settled) {
    if (!talking_ || (others & kAtn)) {
        // ATN takes the bus back: a byte under way is sent again when it is addressed next.
        if (source_ != Source::Idle) Drive(kDav | kEoi | kDio, false);
        source_ = Source::Idle;
        return;
    }
    if (!settled) return;
    if (source_ == Source::Idle) {
        if (!HasByte(now)) return;
        if (now < nextByteAt_) {
            WaitUntil(nextByteAt_);
            return;
        }
        source_ = Source::Placing;
    }
    if (source_ == Source::Placing) {
        // Listeners there (NDAC), and every one of them ready (no NRFD): with neither, nobody
        // would take the byte.
        if ((others & kNrfd) || !(others & kNdac)) return;
        Drive(static_cast<std::uint8_t>(saying_[0]), true);
        Drive(kEoi, saying_.size() == 1 && sayingEnds_);
        Drive(kDav, true);
        source_ = Source::Transferring;
        return;
    }
    if (others & kNdac) return;  // not every listener has taken it yet
    Drive(kDav | kEoi | kDio, false);
    saying_.erase(0, 1);
    nextByteAt_ = now + habits_.byteGap;
    source_ = Source::Idle;
}

bool BusDevice::HasByte(double now) {
    if (!saying_.empty()) return true;
    if (serialPollMode_) {
        if (polled_) return false;
        polled_ = true;
        saying_.assign(1, static_cast<char>(link_.StatusByte()));
        sayingEnds_ = false;
        return true;
    }
    if (asked_ && !answerGoesOn_) return false;
    if (!asked_) {
        const std::optional<double> ready = link_.AnswerReadyAt();
        const double from = std::max(busyUntil_, ready.value_or(now));
        if (now < from) {
            WaitUntil(from);
            return false;
        }
    }
    asked_ = true;
    sayingEnds_ = link_.Take(saying_);
    answerGoesOn_ = !sayingEnds_ && !saying_.empty();
    return !saying_.empty();
}

void BusDevice::Cleared() {
    heard_.clear();
    saying_.clear();
    answerGoesOn_ = false;
}

void BusDevice::InterfaceClear() {
    listening_ = talking_ = listenPrimary_ = talkPrimary_ = serialPollMode_ = false;
    heard_.clear();
}

void BusDevice::WaitUntil(double when) {
    wakeAt_ = wakeAt_ ? std::min(*wakeAt_, when) : when;
}

void BusDevice::Drive(Lines lines, bool on) {
    asserts_ = on ? asserts_ | lines : asserts_ & ~lines;
}

}  // namespace firmware
