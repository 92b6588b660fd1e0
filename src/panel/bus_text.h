// The panel's texts to and from the supply: one byte per character on the bus (Latin-1).
#pragma once

#include <QString>
#include <cstdint>

class BusHelper;

// The supply's answer to the query; empty after a failed write or read.
QString AskSupply(BusHelper& bus, int16_t device, const QString& query);
void SendToSupply(BusHelper& bus, int16_t device, const QString& command);
