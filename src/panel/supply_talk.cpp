// The panel's texts to and from the supply: one byte per character on the bus (Latin-1).
#include "bus/bus_helper.h"
#include "panel/form1.h"

namespace {
std::string BusText(const QString& text) {
    return text.toLatin1().toStdString();
}
}  // namespace

QString Form1::AskSupply(const QString& query) {
    const std::string answer = bus_.QueryDevice(supply_.SupplyDevice, BusText(query));
    return QString::fromLatin1(answer.data(), static_cast<qsizetype>(answer.size()));
}

void Form1::SendToSupply(const QString& command) {
    bus_.SendCommand(supply_.SupplyDevice, BusText(command));
}
