// The driver's entry points over the installed driver, callable without any shared library.
#pragma once

#include <cstdint>
#include <memory>

#include "driver/driver.h"

// The 32-bit Windows driver uses __stdcall; everywhere else the C convention.
#if defined(_WIN32) && !defined(_WIN64)
#define DRIVER_CALL __stdcall
#else
#define DRIVER_CALL
#endif

namespace driver {

// The driver the entry points act on; installing replaces (and ends) the one before.
void Install(std::unique_ptr<Driver> driver);
Driver* Current();

// No driver at all: every call fails with ERR and `iberr` (EDVR unless said otherwise), as the
// real library does when it has no usable board.
void InstallNoBoard(int iberr);
const Status& NoBoardStatus();

// Runs `call` on the installed driver; without one, the failure of a driver with no board.
template <class Call>
int OnDriver(Call call) {
    Driver* driver = Current();
    return driver ? call(*driver) : NoBoardStatus().ibsta;
}

// Exactly the driver's signatures. With no driver installed every call fails with
// NoBoardStatus().
namespace api {
void DRIVER_CALL SendIFC(int board);
int DRIVER_CALL ibsre(int ud, int v);
void DRIVER_CALL FindLstn(int board, const std::uint16_t* pads, std::uint16_t* results, int limit);
int DRIVER_CALL ibdev(int board, int pad, int sad, int tmo, int eot, int eos);
int DRIVER_CALL ibpad(int ud, int pad);
int DRIVER_CALL ibclr(int ud);
int DRIVER_CALL ibrsp(int ud, char* spr);
int DRIVER_CALL ibwrt(int ud, const void* buf, long count);
int DRIVER_CALL ibrd(int ud, void* buf, long count);
int DRIVER_CALL ibtmo(int ud, int v);
int DRIVER_CALL ibwait(int ud, int mask);
int DRIVER_CALL ibask(int ud, int option, int* v);
int DRIVER_CALL RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl);
int DRIVER_CALL UnregisterGpibGlobalsForThread();
int DRIVER_CALL ThreadIbsta();
int DRIVER_CALL ThreadIberr();
int DRIVER_CALL ThreadIbcnt();
long DRIVER_CALL ThreadIbcntl();
}  // namespace api

}  // namespace driver
