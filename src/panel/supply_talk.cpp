// The window's texts to and from the supply it found.
#include "panel/form1.h"
#include "rules/bus_text.h"

QString Form1::AskSupply(const QString& query) {
    return ::AskSupply(bus_, supply_.SupplyDevice, query);
}

void Form1::SendToSupply(const QString& command) {
    ::SendToSupply(bus_, supply_.SupplyDevice, command);
}
