// Wall time, processor time and resident memory of repeated runs, and the table they make.
#include "measurement.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "scheduler_times.h"

namespace {
double WallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

rusage Usage() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

double ProcessorSeconds(const rusage& usage) {
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// The middle value; with an even count, the mean of the two middle ones.
double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return (values[middle - 1] + values[middle]) / 2;
}

std::vector<double> Times(const std::vector<RunCost>& runs, double RunCost::*time) {
    std::vector<double> times;
    for (const RunCost& run : runs) times.push_back(run.*time);
    return times;
}

std::vector<double> WallTimes(const std::vector<RunCost>& runs) {
    return Times(runs, &RunCost::wallSeconds);
}

double WaitingSeconds() {
    return SchedulerTimesOf("self").waiting / 1e3;
}

std::string Formatted(const char* format, double a, double b = 0, double c = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}
}  // namespace

double MeasuredOperation::MedianWall() const {
    return Median(WallTimes(runs));
}

double MeasuredOperation::MinWall() const {
    const std::vector<double> times = WallTimes(runs);
    return times.empty() ? 0 : *std::min_element(times.begin(), times.end());
}

double MeasuredOperation::MaxWall() const {
    const std::vector<double> times = WallTimes(runs);
    return times.empty() ? 0 : *std::max_element(times.begin(), times.end());
}

double MeasuredOperation::MedianProcessor() const {
    return Median(Times(runs, &RunCost::processorSeconds));
}

double MeasuredOperation::MedianWaiting() const {
    return Median(Times(runs, &RunCost::waitingSeconds));
}

MeasuredOperation Measure(const std::string& name, double floorSeconds, int runs,
                          const std::function<void()>& prepare,
                          const std::function<void()>& operation) {
    MeasuredOperation measured{name, floorSeconds, {}, 0};
    for (int run = 0; run < runs; ++run) {
        prepare();
        const rusage before = Usage();
        const double waitedBefore = WaitingSeconds();
        const double start = WallSeconds();
        operation();
        const double end = WallSeconds();
        const double waitedAfter = WaitingSeconds();
        const rusage after = Usage();
        measured.runs.push_back({end - start, ProcessorSeconds(after) - ProcessorSeconds(before),
                                 waitedAfter - waitedBefore});
    }
    measured.peakResidentKb = Usage().ru_maxrss;
    return measured;
}

std::string OperationTable(const std::vector<MeasuredOperation>& operations) {
    std::string table =
        "| operation | floor (s) | median (s) | min - max (s) | overhead (ms) | processor (ms) "
        "| waiting for a processor (ms) | peak resident (MB) |\n"
        "|---|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const MeasuredOperation& op : operations) {
        if (op.runs.empty()) continue;
        table += "| " + op.name + " | " + Formatted("%.3f", op.floorSeconds) + " | " +
                 Formatted("%.4f", op.MedianWall()) + " | " +
                 Formatted("%.4f - %.4f", op.MinWall(), op.MaxWall()) + " | " +
                 Formatted("%.2f", (op.MedianWall() - op.floorSeconds) * 1e3) + " | " +
                 Formatted("%.2f", op.MedianProcessor() * 1e3) + " | " +
                 Formatted("%.2f", op.MedianWaiting() * 1e3) + " | " +
                 Formatted("%.1f", static_cast<double>(op.peakResidentKb) / 1024.0) + " |\n";
    }
    return table;
}
