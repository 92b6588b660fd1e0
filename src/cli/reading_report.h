// How pulvar-cli prints what it read: one line of text, or one JSON object.
#pragma once

#include <string>

#include "cli/reading.h"

// "12.5 V  0.400 A  ON", or {"current":0.4,"output":"ON","voltage":12.5}.
std::string ReadingReport(const Reading& reading, bool json);

// "ON", or {"output":"ON"}.
std::string OutputStateReport(const QString& state, bool json);
