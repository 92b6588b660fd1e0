// The panel's texts to and from the supply: one byte per character on the bus (Latin-1).
#include "panel/bus_text.h"

#include "bus/bus_helper.h"

namespace {
std::string BusText(const QString& text) {
    return text.toLatin1().toStdString();
}
}  // namespace

QString AskSupply(BusHelper& bus, int16_t device, const QString& query) {
    const std::string answer = bus.QueryDevice(device, BusText(query));
    return QString::fromLatin1(answer.data(), static_cast<qsizetype>(answer.size()));
}

void SendToSupply(BusHelper& bus, int16_t device, const QString& command) {
    bus.SendCommand(device, BusText(command));
}
