// The log's CSV: a header, then one row per reading stamped with its ISO 8601 time.
#pragma once

#include <QDateTime>
#include <QString>

#include "cli/reading.h"

QString CsvHeader();
QString CsvRow(const QDateTime& moment, const Reading& reading);

// The moment in its own time zone with milliseconds and the offset from UTC, so that a log
// stays unambiguous across a change of summer time: 2026-03-29T01:59:59.500+01:00.
QString IsoStamp(const QDateTime& moment);
