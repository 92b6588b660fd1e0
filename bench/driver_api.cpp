// The driver's entry points over the installed bench, callable without any shared library.
#include "bench/driver_api.h"

namespace bench {

namespace {
std::unique_ptr<Bench>& Installed() {
    static std::unique_ptr<Bench> installed;
    return installed;
}

// What the calls report while no bench is installed.
Status& NoBoard() {
    static Status status{ERR, EDVR, 0};
    return status;
}

const Status& CurrentStatus() {
    return Current() ? Current()->LastStatus() : NoBoard();
}
}  // namespace

void Install(std::unique_ptr<Bench> bench) {
    Installed() = std::move(bench);
    NoBoard().iberr = EDVR;
}

void InstallNoBoard(int iberr) {
    Installed().reset();
    NoBoard().iberr = iberr;
}

const Status& NoBoardStatus() {
    return NoBoard();
}

Bench* Current() {
    return Installed().get();
}

namespace api {

void BENCH_CALL SendIFC(int board) {
    if (Bench* bench = Current()) bench->SendIFC(board);
}

int BENCH_CALL ibsre(int ud, int v) {
    return OnBench([&](Bench& b) { return b.ibsre(ud, v); });
}

void BENCH_CALL FindLstn(int board, const std::uint16_t* pads, std::uint16_t* results, int limit) {
    if (Bench* bench = Current()) bench->FindLstn(board, pads, results, limit);
}

int BENCH_CALL ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    Bench* bench = Current();
    return bench ? bench->ibdev(board, pad, sad, tmo, eot, eos) : -1;
}

int BENCH_CALL ibpad(int ud, int pad) {
    return OnBench([&](Bench& b) { return b.ibpad(ud, pad); });
}

int BENCH_CALL ibclr(int ud) {
    return OnBench([&](Bench& b) { return b.ibclr(ud); });
}

int BENCH_CALL ibrsp(int ud, char* spr) {
    return OnBench([&](Bench& b) { return b.ibrsp(ud, spr); });
}

int BENCH_CALL ibwrt(int ud, const void* buf, long count) {
    return OnBench([&](Bench& b) { return b.ibwrt(ud, buf, count); });
}

int BENCH_CALL ibrd(int ud, void* buf, long count) {
    return OnBench([&](Bench& b) { return b.ibrd(ud, buf, count); });
}

int BENCH_CALL ibtmo(int ud, int v) {
    return OnBench([&](Bench& b) { return b.ibtmo(ud, v); });
}

int BENCH_CALL ibwait(int ud, int mask) {
    return OnBench([&](Bench& b) { return b.ibwait(ud, mask); });
}

int BENCH_CALL ibask(int ud, int option, int* v) {
    return OnBench([&](Bench& b) { return b.ibask(ud, option, v); });
}

int BENCH_CALL RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl) {
    // Without a bench nothing will ever write the variables: report a failure (result 2).
    Bench* bench = Current();
    return bench ? bench->RegisterGpibGlobalsForThread(sta, err, cnt, cntl) : 2;
}

int BENCH_CALL UnregisterGpibGlobalsForThread() {
    Bench* bench = Current();
    return bench ? bench->UnregisterGpibGlobalsForThread() : 0;
}

int BENCH_CALL ThreadIbsta() {
    return CurrentStatus().ibsta;
}
int BENCH_CALL ThreadIberr() {
    return CurrentStatus().iberr;
}
int BENCH_CALL ThreadIbcnt() {
    return static_cast<int>(CurrentStatus().ibcntl);
}
long BENCH_CALL ThreadIbcntl() {
    return CurrentStatus().ibcntl;
}

}  // namespace api

}  // namespace bench
