// identify: the supply found and its GPIB address.
#include <QJsonObject>
#include <ostream>

#include "bus/device_io.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/json_line.h"

int Identify(const CliRequest& request, SupplyLink& link, std::ostream& out) {
    const int16_t address =
        DeviceAddress(link.bus.Tables(), link.platform, link.supply.SupplyDevice);
    if (request.json)
        out << JsonLine(
            {{"model", QString::fromStdString(link.supply.ModelName)}, {"address", address}});
    else
        out << link.supply.ModelName << " at GPIB address " << address << '\n';
    return ExitStatus::kDone;
}
