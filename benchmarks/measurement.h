// Wall time, processor time and resident memory of repeated runs, and the table they make.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One run: seconds on a monotonic clock, and processor seconds (user + system) of the process.
// Beside them, the time the process waited for a processor that other work held.
struct RunCost {
    double wallSeconds = 0;
    double processorSeconds = 0;
    double waitingSeconds = 0;
};

// An operation measured over several runs, beside the time its pauses impose.
struct MeasuredOperation {
    std::string name;
    double floorSeconds = 0;
    std::vector<RunCost> runs;
    long peakResidentKb = 0;  // of the whole process, once these runs were done

    double MedianWall() const;
    double MinWall() const;
    double MaxWall() const;
    double MedianProcessor() const;
    double MedianWaiting() const;
};

// Runs `prepare` (not measured) then `operation` (measured), `runs` times.
MeasuredOperation Measure(const std::string& name, double floorSeconds, int runs,
                          const std::function<void()>& prepare,
                          const std::function<void()>& operation);

// The operations as a Markdown table: floor, median (min-max) wall time, overhead above the
// floor, processor time, time waiting for a processor and peak resident memory.
std::string OperationTable(const std::vector<MeasuredOperation>& operations);
