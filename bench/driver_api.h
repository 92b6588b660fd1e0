// The driver's entry points over the installed bench, callable without any shared library.
#pragma once

#include <cstdint>
#include <memory>

#include "bench/bench.h"

// The 32-bit Windows driver uses __stdcall; everywhere else the C convention.
#if defined(_WIN32) && !defined(_WIN64)
#define BENCH_CALL __stdcall
#else
#define BENCH_CALL
#endif

namespace bench {

// The bench the entry points act on; installing replaces (and ends) the one before.
void Install(std::unique_ptr<Bench> bench);
Bench* Current();

// No bench at all: every call fails with ERR and `iberr` (EDVR unless said otherwise), as the
// real library does when it has no usable board.
void InstallNoBoard(int iberr);
const Status& NoBoardStatus();

// Runs `call` on the installed bench; without one, the failure of a driver with no board.
template <class Call>
int OnBench(Call call) {
    Bench* bench = Current();
    return bench ? call(*bench) : NoBoardStatus().ibsta;
}

// Exactly the driver's signatures. With no bench installed every call fails with
// NoBoardStatus().
namespace api {
void BENCH_CALL SendIFC(int board);
int BENCH_CALL ibsre(int ud, int v);
void BENCH_CALL FindLstn(int board, const std::uint16_t* pads, std::uint16_t* results, int limit);
int BENCH_CALL ibdev(int board, int pad, int sad, int tmo, int eot, int eos);
int BENCH_CALL ibpad(int ud, int pad);
int BENCH_CALL ibclr(int ud);
int BENCH_CALL ibrsp(int ud, char* spr);
int BENCH_CALL ibwrt(int ud, const void* buf, long count);
int BENCH_CALL ibrd(int ud, void* buf, long count);
int BENCH_CALL ibtmo(int ud, int v);
int BENCH_CALL ibwait(int ud, int mask);
int BENCH_CALL ibask(int ud, int option, int* v);
int BENCH_CALL RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl);
int BENCH_CALL UnregisterGpibGlobalsForThread();
int BENCH_CALL ThreadIbsta();
int BENCH_CALL ThreadIberr();
int BENCH_CALL ThreadIbcnt();
long BENCH_CALL ThreadIbcntl();
}  // namespace api

}  // namespace bench
