// The program's texts to and from the supply: one byte per character on the bus (Latin-1).
#pragma once

#include <QString>
#include <cstdint>

#include "rules/supplies.h"

class BusHelper;

// The supply's answer to the query; empty after a failed write or read.
QString AskSupply(BusHelper& bus, int16_t device, const QString& query);
void SendToSupply(BusHelper& bus, int16_t device, const QString& command);

// The channel's voltage setting and current limit, and the output state, asked of the supply and
// laid out as the "Actual Settings" frame shows them.
QString ReadVoltageCaption(BusHelper& bus, const ConnectedSupply& supply, Channel channel);
QString ReadCurrentCaption(BusHelper& bus, const ConnectedSupply& supply, Channel channel);
QString ReadOutputStateText(BusHelper& bus, const ConnectedSupply& supply);
