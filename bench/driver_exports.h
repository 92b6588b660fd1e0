// What every export of the stand-in driver libraries does around its call.
#pragma once

#include <type_traits>

namespace bench::exports {

// Makes the bench from the environment at the first call.
void EnsureBench();
// The start of every call but the status accessors: EnsureBench, and without a board (noconfig)
// the two lines that linux-gpib prints at each such call when it has no configuration file.
void BeginCall();
// Copies the last call's status into the process-wide ibsta, iberr, ibcnt and ibcntl.
void PublishStatus();

// Makes sure of the bench, runs the call, then refreshes the process-wide status.
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

}  // namespace bench::exports
