// The driver's entry points over the installed driver, callable without any shared library.
#include "driver/driver_api.h"

namespace driver {

namespace {
std::unique_ptr<Driver>& Installed() {
    static std::unique_ptr<Driver> installed;
    return installed;
}

// What the calls report while no driver is installed.
Status& NoBoard() {
    static Status status{ERR, EDVR, 0};
    return status;
}

const Status& CurrentStatus() {
    return Current() ? Current()->LastStatus() : NoBoard();
}
}  // namespace

void Install(std::unique_ptr<Driver> driver) {
    Installed() = std::move(driver);
    NoBoard().iberr = EDVR;
}

void InstallNoBoard(int iberr) {
    Installed().reset();
    NoBoard().iberr = iberr;
}

const Status& NoBoardStatus() {
    return NoBoard();
}

Driver* Current() {
    return Installed().get();
}

namespace api {

void DRIVER_CALL SendIFC(int board) {
    if (Driver* driver = Current()) driver->SendIFC(board);
}

int DRIVER_CALL ibsre(int ud, int v) {
    return OnDriver([&](Driver& b) { return b.ibsre(ud, v); });
}

void DRIVER_CALL FindLstn(int board, const std::uint16_t* pads, std::uint16_t* results, int limit) {
    if (Driver* driver = Current()) driver->FindLstn(board, pads, results, limit);
}

int DRIVER_CALL ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    Driver* driver = Current();
    return driver ? driver->ibdev(board, pad, sad, tmo, eot, eos) : -1;
}

int DRIVER_CALL ibpad(int ud, int pad) {
    return OnDriver([&](Driver& b) { return b.ibpad(ud, pad); });
}

int DRIVER_CALL ibclr(int ud) {
    return OnDriver([&](Driver& b) { return b.ibclr(ud); });
}

int DRIVER_CALL ibrsp(int ud, char* spr) {
    return OnDriver([&](Driver& b) { return b.ibrsp(ud, spr); });
}

int DRIVER_CALL ibwrt(int ud, const void* buf, long count) {
    return OnDriver([&](Driver& b) { return b.ibwrt(ud, buf, count); });
}

int DRIVER_CALL ibrd(int ud, void* buf, long count) {
    return OnDriver([&](Driver& b) { return b.ibrd(ud, buf, count); });
}

int DRIVER_CALL ibtmo(int ud, int v) {
    return OnDriver([&](Driver& b) { return b.ibtmo(ud, v); });
}

int DRIVER_CALL ibwait(int ud, int mask) {
    return OnDriver([&](Driver& b) { return b.ibwait(ud, mask); });
}

int DRIVER_CALL ibask(int ud, int option, int* v) {
    return OnDriver([&](Driver& b) { return b.ibask(ud, option, v); });
}

int DRIVER_CALL RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl) {
    // Without a driver nothing will ever write the variables: report a failure (result 2).
    Driver* driver = Current();
    return driver ? driver->RegisterGpibGlobalsForThread(sta, err, cnt, cntl) : 2;
}

int DRIVER_CALL UnregisterGpibGlobalsForThread() {
    Driver* driver = Current();
    return driver ? driver->UnregisterGpibGlobalsForThread() : 0;
}

int DRIVER_CALL ThreadIbsta() {
    return CurrentStatus().ibsta;
}
int DRIVER_CALL ThreadIberr() {
    return CurrentStatus().iberr;
}
int DRIVER_CALL ThreadIbcnt() {
    return static_cast<int>(CurrentStatus().ibcntl);
}
long DRIVER_CALL ThreadIbcntl() {
    return CurrentStatus().ibcntl;
}

}  // namespace api

}  // namespace driver
