// The driver library's entry points that the program uses, and its published constants.
#pragma once

#include <cstdint>

// NI-488.2 for 32-bit Windows uses __stdcall; linux-gpib uses the C convention.
#if defined(_WIN32) && !defined(_WIN64)
#define GPIB_CALL __stdcall
#else
#define GPIB_CALL
#endif

// A 16-bit GPIB address as the listener search takes and returns it (primary in the low byte).
using Addr4882 = std::uint16_t;

// `long` is the library's own count type: 32 bits on Windows, 64 bits on 64-bit Linux.
struct GpibEntryPoints {
    void(GPIB_CALL* SendIFC)(int board) = nullptr;
    int(GPIB_CALL* ibsre)(int ud, int v) = nullptr;
    void(GPIB_CALL* FindLstn)(int board, const Addr4882* pads, Addr4882* results,
                              int limit) = nullptr;
    int(GPIB_CALL* ibdev)(int board, int pad, int sad, int tmo, int eot, int eos) = nullptr;
    int(GPIB_CALL* ibpad)(int ud, int pad) = nullptr;
    int(GPIB_CALL* ibclr)(int ud) = nullptr;
    int(GPIB_CALL* ibrsp)(int ud, char* spr) = nullptr;
    int(GPIB_CALL* ibwrt)(int ud, const void* buf, long count) = nullptr;
    int(GPIB_CALL* ibrd)(int ud, void* buf, long count) = nullptr;
    int(GPIB_CALL* ibtmo)(int ud, int v) = nullptr;
    int(GPIB_CALL* ibwait)(int ud, int mask) = nullptr;
    int(GPIB_CALL* ibask)(int ud, int option, int* v) = nullptr;

    // NI's way to learn the status: the library writes it into registered variables.
    int(GPIB_CALL* RegisterGpibGlobalsForThread)(int* sta, int* err, int* cnt,
                                                 long* cntl) = nullptr;
    int(GPIB_CALL* UnregisterGpibGlobalsForThread)() = nullptr;

    // linux-gpib's way (NI has them too): ask for the calling thread's status.
    int(GPIB_CALL* ThreadIbsta)() = nullptr;
    int(GPIB_CALL* ThreadIberr)() = nullptr;
    int(GPIB_CALL* ThreadIbcnt)() = nullptr;
    long(GPIB_CALL* ThreadIbcntl)() = nullptr;
};

namespace gpib {
// Status word bits.
constexpr int ERR = 0x8000;
constexpr int TIMO = 0x4000;
constexpr int END = 0x2000;
constexpr int CMPL = 0x0100;

// Error codes that the program acts on.
constexpr int EDVR = 0;
constexpr int ENOL = 2;
constexpr int EBUS = 14;
constexpr int ETAB = 20;

// Time-out codes.
constexpr int T1s = 11;
constexpr int T3s = 12;

constexpr int IbaTMO = 3;  // ibask option: the current time-out code
constexpr Addr4882 NOADDR = 0xFFFF;
}  // namespace gpib
