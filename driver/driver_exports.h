// What every export of our driver libraries does around its call, and what each library
// provides to them.
#pragma once

#include <type_traits>

namespace driver::library {
// Defined by each driver library: installs its driver, made from the environment, at the first
// call; and the text ibvers gives.
void InstallFromEnvironment();
const char* VersionText();
// Said at each call but the status accessors while no driver is installed.
void NoDriverCall();
}  // namespace driver::library

namespace driver::exports {

// Makes the driver from the environment at the first call.
void EnsureDriver();
// The start of every call but the status accessors: EnsureDriver, and without a driver the
// library's word on it.
void BeginCall();
// Copies the last call's status into the process-wide ibsta, iberr, ibcnt and ibcntl.
void PublishStatus();

// Makes sure of the driver, runs the call, then refreshes the process-wide status.
template <class Call>
auto Forward(Call call) {
    BeginCall();
    if constexpr (std::is_void_v<decltype(call())>) {
        call();
        PublishStatus();
    } else {
        const auto result = call();
        PublishStatus();
        return result;
    }
}

}  // namespace driver::exports
