// The program's texts to and from the supply: one byte per character on the bus (Latin-1).
#include "rules/bus_text.h"

#include "bus/bus_helper.h"
#include "rules/readback_rules.h"

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

QString ReadVoltageCaption(BusHelper& bus, const ConnectedSupply& supply, Channel channel) {
    return VoltageCaption(supply,
                          AskSupply(bus, supply.SupplyDevice, VoltageQuery(supply, channel)));
}

QString ReadCurrentCaption(BusHelper& bus, const ConnectedSupply& supply, Channel channel) {
    return CurrentCaption(supply,
                          AskSupply(bus, supply.SupplyDevice, CurrentQuery(supply, channel)));
}

QString ReadOutputStateText(BusHelper& bus, const ConnectedSupply& supply) {
    return OutputStateText(supply, AskSupply(bus, supply.SupplyDevice, OutputStateQuery(supply)));
}
