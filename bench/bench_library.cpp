// What the bench's driver library gives the shared exports: a bench made from the environment.
#include <cstdio>

#include "bench/setup.h"
#include "driver/driver_exports.h"

namespace driver::library {

void InstallFromEnvironment() {
    bench::InstallFromEnvironment();
}

const char* VersionText() {
    return "4.3.6 (gpib bench)";
}

// What linux-gpib prints at each call when it finds no configuration file.
void NoDriverCall() {
    std::fputs("failed to open configuration file\nlibgpib: invalid descriptor\n", stderr);
}

}  // namespace driver::library
