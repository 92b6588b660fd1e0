// An emulated adapter, or the AR488's own firmware on its runner, in a process of its own.
#include "adapter_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

AdapterProcess::AdapterProcess(const std::string& program,
                               const std::vector<std::string>& arguments, const std::string& config,
                               const std::string& errors) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("no pipe to the emulated adapter");
    pid_ = ::fork();
    if (pid_ == 0) {
        // It ends with the benchmark, however that ends, and never serves on unasked.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        if (!errors.empty()) {
            const int log = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            if (log >= 0) ::dup2(log, STDERR_FILENO);
        }
        ::setenv("GPIB_BENCH", config.c_str(), 1);
        ::unsetenv("GPIB_BENCH_TRACE");
        ::unsetenv("GPIB_BENCH_STATE");
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    // Its first line says where it serves.
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') where_ += c;
    ::close(out[0]);
    if (where_.empty()) throw std::runtime_error(program + " did not start");
}

AdapterProcess::~AdapterProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}
