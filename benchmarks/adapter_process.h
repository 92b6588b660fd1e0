// An emulated adapter in a process of its own, in front of a bench, reached the way a real one
// is: a pseudo-terminal or a TCP connection.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class AdapterProcess {
public:
    // `arguments` after the emulator's name, e.g. {"prologix", "--tcp"}; `config` as GPIB_BENCH
    // takes it. Throws std::runtime_error when the emulator does not say where it serves.
    AdapterProcess(const std::vector<std::string>& arguments, const std::string& config);
    ~AdapterProcess();
    AdapterProcess(const AdapterProcess&) = delete;
    AdapterProcess& operator=(const AdapterProcess&) = delete;

    // What GPIB_ADAPTER would take: "/dev/pts/3" or "tcp:127.0.0.1:40123".
    const std::string& Where() const { return where_; }

private:
    pid_t pid_ = -1;
    std::string where_;
};
