// The log's CSV: a header, then one row per reading stamped with its ISO 8601 time.
#include "cli/csv_log.h"

#include <QStringList>

namespace {
// A supply's own word for its output state could hold anything; quote what CSV must.
QString CsvField(const QString& text) {
    const QString field = text.trimmed();
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') &&
        !field.contains('\r'))
        return field;
    return '"' + QString(field).replace('"', "\"\"") + '"';
}
}  // namespace

QString CsvHeader() {
    return QStringLiteral("time,volts,amperes,output");
}

QString CsvRow(const QDateTime& moment, const Reading& reading) {
    return QStringList{IsoStamp(moment), CsvField(reading.voltage), CsvField(reading.current),
                       CsvField(reading.output)}
        .join(',');
}

QString IsoStamp(const QDateTime& moment) {
    return moment.toOffsetFromUtc(moment.offsetFromUtc()).toString(Qt::ISODateWithMs);
}
