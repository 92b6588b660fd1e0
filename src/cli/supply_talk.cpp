// pulvar-cli's words with the supply: the queries and commands of the window, read back the same.
#include "cli/supply_talk.h"

#include "rules/bus_text.h"

QString AskSupply(SupplyLink& link, const QString& query) {
    return AskSupply(link.bus, link.supply.SupplyDevice, query);
}

void SendToSupply(SupplyLink& link, const QString& command) {
    SendToSupply(link.bus, link.supply.SupplyDevice, command);
}

std::optional<Channel> RequestedChannel(SupplyLink& link, const CliRequest& request) {
    const Channel channel = request.minusOutput ? Channel::Minus : Channel::Plus;
    if (!link.supply.Has(channel)) {
        link.platform.MessageBox(std::string("The ") + link.supply.ModelName +
                                     " has one output; --output - is the PS5010's.",
                                 "Output Error", BoxIcon::Information, BoxButtons::Ok);
        return std::nullopt;
    }
    return channel;
}

Reading ReadSupply(SupplyLink& link, Channel channel) {
    // In the window's order: voltage, current, output state.
    Reading reading;
    reading.voltage = ReadVoltageCaption(link.bus, link.supply, channel);
    reading.current = ReadCurrentCaption(link.bus, link.supply, channel);
    reading.output = ReadOutputStateText(link.bus, link.supply);
    return reading;
}
