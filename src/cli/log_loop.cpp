// The log's loop: a reading at every interval, each written as a CSV row as soon as it is taken.
#include "cli/log_loop.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "cli/csv_log.h"

namespace {
// How long a stop request may wait to be noticed between readings.
constexpr double kStopCheckSeconds = 0.05;

// Waits until the platform's clock reaches `due`; false when a stop was requested first.
bool WaitUntil(Platform& platform, double due, const std::function<bool()>& stopRequested) {
    for (double now = platform.Seconds(); now < due; now = platform.Seconds()) {
        if (stopRequested()) return false;
        platform.WaitProcessingEvents(std::min(due - now, kStopCheckSeconds));
    }
    return !stopRequested();
}

void WriteLine(std::ostream& out, const QString& line) {
    // Flushed at once: a log read while it grows, or cut short, holds only whole rows.
    out << line.toStdString() << '\n' << std::flush;
}
}  // namespace

void RunLog(Platform& platform, const LogSchedule& schedule, const QDateTime& start,
            const std::function<Reading()>& takeReading, const std::function<bool()>& stopRequested,
            std::ostream& out) {
    WriteLine(out, CsvHeader());
    const double first = platform.Seconds();
    double due = first;
    for (long taken = 0; schedule.count == 0 || taken < schedule.count; ++taken) {
        if (!WaitUntil(platform, due, stopRequested)) return;
        const double began = platform.Seconds();
        const Reading reading = takeReading();
        const auto sinceFirst = std::llround((began - first) * 1000.0);
        WriteLine(out, CsvRow(start.addMSecs(sinceFirst), reading));
        if (stopRequested()) return;
        // A reading that overran its interval is followed at once, and the grid moves with it.
        due = std::max(due + schedule.interval, platform.Seconds());
    }
}
