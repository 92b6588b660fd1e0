// NI-488.2's registration of status variables: exported only by the NI personality of a
// driver library (Gpib-32.dll and its Linux twin for tests); linux-gpib has no such names.
#include "driver/driver_api.h"
#include "driver/driver_exports.h"

using driver::exports::Forward;

extern "C" {

int DRIVER_CALL RegisterGpibGlobalsForThread(int* sta, int* err, int* cnt, long* cntl) {
    return Forward([&] { return driver::api::RegisterGpibGlobalsForThread(sta, err, cnt, cntl); });
}
int DRIVER_CALL UnregisterGpibGlobalsForThread() {
    return Forward([] { return driver::api::UnregisterGpibGlobalsForThread(); });
}

}  // extern "C"
