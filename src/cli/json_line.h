// One JSON object on one line, as scripts read pulvar-cli's --json output.
#pragma once

#include <QJsonObject>
#include <string>

std::string JsonLine(const QJsonObject& object);
