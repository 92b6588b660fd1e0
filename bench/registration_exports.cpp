// NI-488.2's registration of status variables: exported only by the NI personality of the
// stand-in (Gpib-32.dll and its Linux twin for tests); linux-gpib has no such names.
#include "bench/driver_api.h"
#include "bench/driver_exports.h"

using bench::exports::Forward;

extern "C" {

int BENCH_CALL RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl) {
    return Forward([&] { return bench::api::RegisterGpibGlobalsForThread(sta, err, cnt, cntl); });
}
int BENCH_CALL UnregisterGpibGlobalsForThread() {
    return Forward([] { return bench::api::UnregisterGpibGlobalsForThread(); });
}

}  // extern "C"
