// The driver library's C entry points and status variables, over a bench made from the
// environment at first use; built only into the stand-in libgpib.so.0.
#include <mutex>

#include "bench/driver_api.h"
#include "bench/setup.h"

// The process-wide status that programs written for the real library read directly.
extern "C" {
volatile int ibsta = 0;
volatile int iberr = 0;
volatile int ibcnt = 0;
volatile long ibcntl = 0;
}

namespace {
void EnsureBench() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!bench::Current()) bench::Install(bench::BenchFromEnvironment());
    });
}

void PublishStatus() {
    ibsta = bench::api::ThreadIbsta();
    iberr = bench::api::ThreadIberr();
    ibcnt = bench::api::ThreadIbcnt();
    ibcntl = bench::api::ThreadIbcntl();
}

// Makes sure of the bench, runs the call, then refreshes the process-wide status.
template <class Call>
auto Forward(Call call) {
    EnsureBench();
    if constexpr (std::is_void_v<decltype(call())>) {
        call();
        PublishStatus();
    } else {
        const auto result = call();
        PublishStatus();
        return result;
    }
}
}  // namespace

extern "C" {

void BENCH_CALL SendIFC(int board) {
    Forward([&] { bench::api::SendIFC(board); });
}
int BENCH_CALL ibsre(int ud, int v) {
    return Forward([&] { return bench::api::ibsre(ud, v); });
}
void BENCH_CALL FindLstn(int board, const std::uint16_t* pads, std::uint16_t* results, int limit) {
    Forward([&] { bench::api::FindLstn(board, pads, results, limit); });
}
int BENCH_CALL ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    return Forward([&] { return bench::api::ibdev(board, pad, sad, tmo, eot, eos); });
}
int BENCH_CALL ibpad(int ud, int pad) {
    return Forward([&] { return bench::api::ibpad(ud, pad); });
}
int BENCH_CALL ibclr(int ud) {
    return Forward([&] { return bench::api::ibclr(ud); });
}
int BENCH_CALL ibrsp(int ud, char* spr) {
    return Forward([&] { return bench::api::ibrsp(ud, spr); });
}
int BENCH_CALL ibwrt(int ud, const void* buf, long count) {
    return Forward([&] { return bench::api::ibwrt(ud, buf, count); });
}
int BENCH_CALL ibrd(int ud, void* buf, long count) {
    return Forward([&] { return bench::api::ibrd(ud, buf, count); });
}
int BENCH_CALL ibtmo(int ud, int v) {
    return Forward([&] { return bench::api::ibtmo(ud, v); });
}
int BENCH_CALL ibwait(int ud, int mask) {
    return Forward([&] { return bench::api::ibwait(ud, mask); });
}
int BENCH_CALL ibask(int ud, int option, int* v) {
    return Forward([&] { return bench::api::ibask(ud, option, v); });
}
int BENCH_CALL RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl) {
    return Forward([&] { return bench::api::RegisterGpibGlobalsForThread(sta, err, cnt, cntl); });
}
int BENCH_CALL UnregisterGpibGlobalsForThread() {
    return Forward([] { return bench::api::UnregisterGpibGlobalsForThread(); });
}
int BENCH_CALL ThreadIbsta() {
    EnsureBench();
    return bench::api::ThreadIbsta();
}
int BENCH_CALL ThreadIberr() {
    EnsureBench();
    return bench::api::ThreadIberr();
}
int BENCH_CALL ThreadIbcnt() {
    EnsureBench();
    return bench::api::ThreadIbcnt();
}
long BENCH_CALL ThreadIbcntl() {
    EnsureBench();
    return bench::api::ThreadIbcntl();
}

}  // extern "C"
