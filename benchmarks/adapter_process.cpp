// An emulated adapter in a process of its own, in front of a bench.
#include "adapter_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

AdapterProcess::AdapterProcess(const std::vector<std::string>& arguments,
                               const std::string& config) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("no pipe to the emulated adapter");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::setenv("GPIB_BENCH", config.c_str(), 1);
        ::unsetenv("GPIB_BENCH_TRACE");
        ::unsetenv("GPIB_BENCH_STATE");
        std::vector<char*> argv{const_cast<char*>(ADAPTER_EMULATOR)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(ADAPTER_EMULATOR, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    // Its first line says where it serves.
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') where_ += c;
    ::close(out[0]);
    if (where_.empty()) throw std::runtime_error("the emulated adapter did not start");
}

AdapterProcess::~AdapterProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}
