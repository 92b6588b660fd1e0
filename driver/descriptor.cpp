// A board or device descriptor and the options that ibconfig sets and ibask reads.
#include "driver/descriptor.h"

#include <array>

#include "driver/status.h"

namespace driver {

namespace {
enum class Scope { Both, Board, Device };
constexpr int kYesNo = -1;  // a range that takes any value as 0 or 1

struct Rule {
    int option;
    Scope scope;
    int low;  // kYesNo: a yes/no option
    int high;
    int boardDefault;
    int deviceDefault;
};

// The options the fields of Descriptor do not hold, with their ranges and power-on values.
constexpr std::array kRules = {
    Rule{option::PPC, Scope::Board, 0, 0xff, 0, 0},
    Rule{option::AUTOPOLL, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::CICPROT, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::IRQ, Scope::Board, 0, 0xff, 0, 0},
    Rule{option::SC, Scope::Board, kYesNo, 0, 1, 0},
    Rule{option::SRE, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::PP2, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::TIMING, Scope::Board, 1, 3, 1, 0},
    Rule{option::DMA, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::ReadAdjust, Scope::Device, 0, 2, 0, 0},
    Rule{option::WriteAdjust, Scope::Device, 0, 2, 0, 0},
    Rule{option::EventQueue, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::SPollBit, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::SendLLO, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::SPollTime, Scope::Device, 0, 17, 0, 11},
    Rule{option::PPollTime, Scope::Both, 0, 17, 0, 0},
    Rule{option::EndBitIsNormal, Scope::Both, kYesNo, 0, 1, 1},
    Rule{option::UnAddr, Scope::Device, kYesNo, 0, 0, 0},
    Rule{option::HSCableLength, Scope::Board, 0, 15, 0, 0},
    Rule{option::Ist, Scope::Board, kYesNo, 0, 0, 0},
    Rule{option::Rsv, Scope::Board, 0, 0xff, 0, 0},
    Rule{option::SevenBitEOS, Scope::Board, kYesNo, 0, 0, 0},
};

const Rule* RuleFor(int option) {
    for (const Rule& rule : kRules) {
        if (rule.option == option) return &rule;
    }
    return nullptr;
}

bool Fits(const Rule& rule, bool board) {
    return rule.scope == Scope::Both || (rule.scope == Scope::Board) == board;
}

int Bit(int word, int bit) {
    return (word & bit) ? 1 : 0;
}

int WithBit(int word, int bit, int value) {
    return value ? (word | bit) : (word & ~bit);
}

Descriptor WithDefaults(bool board) {
    Descriptor d;
    d.board = board;
    for (const Rule& rule : kRules) {
        if (Fits(rule, board))
            d.others[rule.option] = board ? rule.boardDefault : rule.deviceDefault;
    }
    return d;
}
}  // namespace

bool IsSecondaryAddress(int sad) {
    return sad == 0 || (sad >= 0x60 && sad <= 0x7E);
}

Descriptor Descriptor::Board() {
    Descriptor board = WithDefaults(true);
    board.tmo = 13;  // T10s, the driver's usual default for a board
    return board;
}

Descriptor Descriptor::Device(int pad, int sad, int tmo, int eot, int eos) {
    Descriptor device = WithDefaults(false);
    device.pad = pad;
    device.sad = sad;
    device.tmo = tmo;
    device.eot = eot;
    device.eos = eos;
    return device;
}

std::optional<int> Descriptor::Option(int option) const {
    switch (option) {
        case option::PAD:
            return pad;
        case option::SAD:
            return sad;
        case option::TMO:
            return tmo;
        case option::EOT:
            return eot ? 1 : 0;
        case option::EOSrd:
            return Bit(eos, REOS);
        case option::EOSwrt:
            return Bit(eos, XEOS);
        case option::EOScmp:
            return Bit(eos, BIN);
        case option::EOSchar:
            return eos & 0xff;
        case option::BNA:
            return board ? std::nullopt : std::optional<int>(0);  // board 0
    }
    const auto found = others.find(option);
    return found == others.end() ? std::nullopt : std::optional<int>(found->second);
}

bool Descriptor::SetOption(int option, int value) {
    const bool yesNo = value != 0;
    switch (option) {
        case option::PAD:
            if (value < 0 || value > kHighestPad) return false;
            pad = value;
            return true;
        case option::SAD:
            if (!IsSecondaryAddress(value)) return false;
            sad = value;
            return true;
        case option::TMO:
            if (!IsTimeoutCode(value)) return false;
            tmo = value;
            return true;
        case option::EOT:
            eot = yesNo;
            return true;
        case option::EOSrd:
            eos = WithBit(eos, REOS, yesNo);
            return true;
        case option::EOSwrt:
            eos = WithBit(eos, XEOS, yesNo);
            return true;
        case option::EOScmp:
            eos = WithBit(eos, BIN, yesNo);
            return true;
        case option::EOSchar:
            if (value < 0 || value > 0xff) return false;
            eos = (eos & ~0xff) | value;
            return true;
    }
    const Rule* rule = RuleFor(option);
    if (!rule || !Fits(*rule, board)) return false;
    if (rule->low == kYesNo) {
        others[option] = yesNo;
        return true;
    }
    if (value < rule->low || value > rule->high) return false;
    others[option] = value;
    return true;
}

}  // namespace driver
