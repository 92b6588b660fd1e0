// The program the emulated adapter serves when it is given one: started with GPIB_ADAPTER naming
// the adapter, watched until it ends, ended with the adapter when that is stopped.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace bench {

class HostProgram {
public:
    // Starts `command` (its first word looked up on PATH) with GPIB_ADAPTER set to `adapter`;
    // false, with a message on standard error, when it cannot be started.
    bool Start(const std::vector<std::string>& command, const std::string& adapter);
    // Still running; once not, Status() is its exit status (128 + the signal that ended it).
    bool Running();
    int Status() const { return status_; }
    // Ends it, as the adapter is ended.
    void Stop();

private:
    pid_t pid_ = -1;
    int status_ = 0;
};

}  // namespace bench
