// One JSON object on one line, as scripts read pulvar-cli's --json output.
#include "cli/json_line.h"

#include <QJsonDocument>

std::string JsonLine(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + '\n';
}
