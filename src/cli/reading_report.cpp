// How pulvar-cli prints what it read: one line of text, or one JSON object.
#include "cli/reading_report.h"

#include <QJsonObject>

#include "cli/json_line.h"
#include "rules/number_text.h"

std::string ReadingReport(const Reading& reading, bool json) {
    const QString& voltage = reading.voltage;
    const QString& current = reading.current;
    if (json)
        return JsonLine({{"voltage", TextToNumber(voltage)},
                         {"current", TextToNumber(current)},
                         {"output", reading.output}});
    return (voltage + " V  " + current + " A  " + reading.output).toStdString() + '\n';
}

std::string OutputStateReport(const QString& state, bool json) {
    if (json) return JsonLine({{"output", state}});
    return state.toStdString() + '\n';
}
