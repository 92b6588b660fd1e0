// What the bench's driver library gives the shared exports: a bench made from the environment.
#include "bench/setup.h"
#include "driver/driver_exports.h"

namespace driver::library {

void InstallFromEnvironment() {
    bench::InstallFromEnvironment();
}

const char* VersionText() {
    return "4.3.6 (gpib bench)";
}

}  // namespace driver::library
