// What the scheduler accounts to a process: time on a processor and time spent waiting for one.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

// Milliseconds, summed over all the process's threads (from /proc/<pid>/task/*/schedstat).
struct SchedulerTimes {
    double running = 0;
    double waiting = 0;  // runnable, but every processor was busy with something else
};

inline SchedulerTimes SchedulerTimesOf(const std::string& process) {
    SchedulerTimes times;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + process + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double runningNs = 0, waitingNs = 0;
        if (schedstat >> runningNs >> waitingNs) {
            times.running += runningNs / 1e6;
            times.waiting += waitingNs / 1e6;
        }
    }
    return times;
}

inline SchedulerTimes SchedulerTimesOf(pid_t process) {
    return SchedulerTimesOf(std::to_string(process));
}
