// The log's loop: a reading at every interval, each written as a CSV row as soon as it is taken.
#pragma once

#include <QDateTime>
#include <functional>
#include <iosfwd>

#include "cli/reading.h"
#include "platform/platform.h"

// Always given whole, as {interval, count}: -Wextra warns of a field left out.
struct LogSchedule {
    double interval;  // seconds from the start of one reading to the start of the next
    long count;       // readings to take; 0 until stopped
};

// Writes the header, then reads on a fixed grid from the first reading; a reading that overran
// its interval is followed at once, never by a burst of late ones, and the grid moves. A stop
// request ends the loop after the reading under way, or at once while it waits. `start` is the
// moment of the first reading; the others are stamped by the platform's steady clock from it,
// so the stamps never run backwards, whatever happens to the wall clock overnight.
void RunLog(Platform& platform, const LogSchedule& schedule, const QDateTime& start,
            const std::function<Reading()>& takeReading, const std::function<bool()>& stopRequested,
            std::ostream& out);
