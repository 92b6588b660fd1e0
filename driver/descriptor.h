// A board or device descriptor: its address, time-out, end modes and the other options that
// ibconfig sets and ibask reads.
#pragma once

#include <map>
#include <optional>

namespace driver {

// ibconfig / ibask option numbers (the same for both calls).
namespace option {
constexpr int PAD = 0x1;
constexpr int SAD = 0x2;
constexpr int TMO = 0x3;
constexpr int EOT = 0x4;
constexpr int PPC = 0x5;
constexpr int AUTOPOLL = 0x7;
constexpr int CICPROT = 0x8;
constexpr int IRQ = 0x9;
constexpr int SC = 0xa;
constexpr int SRE = 0xb;
constexpr int EOSrd = 0xc;
constexpr int EOSwrt = 0xd;
constexpr int EOScmp = 0xe;
constexpr int EOSchar = 0xf;
constexpr int PP2 = 0x10;
constexpr int TIMING = 0x11;
constexpr int DMA = 0x12;
constexpr int ReadAdjust = 0x13;
constexpr int WriteAdjust = 0x14;
constexpr int EventQueue = 0x15;
constexpr int SPollBit = 0x16;
constexpr int SendLLO = 0x17;
constexpr int SPollTime = 0x18;
constexpr int PPollTime = 0x19;
constexpr int EndBitIsNormal = 0x1a;
constexpr int UnAddr = 0x1b;
constexpr int HSCableLength = 0x1f;
constexpr int Ist = 0x20;
constexpr int Rsv = 0x21;
constexpr int BNA = 0x200;
constexpr int SevenBitEOS = 0x1000;
}  // namespace option

// Bits of the end-of-string mode (ibeos); the low byte is the end-of-string character.
constexpr int REOS = 0x400;  // a read ends at the character
constexpr int XEOS = 0x800;  // EOI goes with the character when it is written
constexpr int BIN = 0x1000;  // all eight bits are compared

struct Descriptor {
    static Descriptor Board();
    static Descriptor Device(int pad, int sad, int tmo, int eot, int eos);

    // The option's value; nothing when the option does not belong to this kind of descriptor.
    std::optional<int> Option(int option) const;
    // False, and nothing changed, when the option does not belong here, is read-only, or the
    // value is out of its range. Yes/no options keep 1 for any value other than 0.
    bool SetOption(int option, int value);

    bool board = false;
    int pad = 0;
    int sad = 0;  // 0, or 0x60..0x7E
    int tmo = 0;
    int eot = 1;
    int eos = 0;
    std::map<int, int> others;  // every other option of this kind of descriptor
};

bool IsSecondaryAddress(int sad);  // 0 (none) or 0x60..0x7E

}  // namespace driver
