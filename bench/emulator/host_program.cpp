// The program the emulated adapter serves when it is given one.
#include "bench/emulator/host_program.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

bool HostProgram::Start(const std::vector<std::string>& command, const std::string& adapter) {
    std::vector<char*> arguments;
    for (const std::string& word : command) arguments.push_back(const_cast<char*>(word.c_str()));
    arguments.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setenv("GPIB_ADAPTER", adapter.c_str(), 1);
        ::execvp(arguments[0], arguments.data());
        std::fprintf(stderr, "adapter-emulator: cannot start %s: %s\n", arguments[0],
                     std::strerror(errno));
        ::_exit(127);
    }
    if (pid_ < 0) std::fprintf(stderr, "adapter-emulator: fork: %s\n", std::strerror(errno));
    return pid_ > 0;
}

bool HostProgram::Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    pid_ = -1;
    return false;
}

void HostProgram::Stop() {
    if (!Running()) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace bench
