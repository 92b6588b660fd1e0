// An emulated adapter, or the AR488's own firmware on its runner, in a process of its own in
// front of a bench, reached the way a real adapter is: a pseudo-terminal or a TCP connection.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class AdapterProcess {
public:
    // `program` with `arguments`, e.g. the emulator with {"prologix", "--tcp"}; `config` as
    // GPIB_BENCH takes it; its standard error appended to `errors` when given. Throws
    // std::runtime_error when it does not say where it serves.
    AdapterProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& config, const std::string& errors = std::string());
    ~AdapterProcess();
    AdapterProcess(const AdapterProcess&) = delete;
    AdapterProcess& operator=(const AdapterProcess&) = delete;

    // What GPIB_ADAPTER would take: "/dev/pts/3" or "tcp:127.0.0.1:40123".
    const std::string& Where() const { return where_; }

private:
    pid_t pid_ = -1;
    std::string where_;
};
