// Commands and queries to the identified supply.
#include "bus/bus_helper.h"
#include "bus/device_io.h"

void BusHelper::SendCommand(int16_t device, const std::string& text) {
    GpibErrorShown = 0;
    if (device == 0) DeviceNotConfigured(platform_);
    gpib_.ibwrt(device, text);
    ReportGpibError();
}

std::string BusHelper::QueryDevice(int16_t device, const std::string& text) {
    if (device == 0) DeviceNotConfigured(platform_);
    SendCommand(device, text);
    Pause(kQueryPause);
    // After a write the user was told had failed, there is nothing to read.
    if (GpibErrorShown != 0) return {};
    return ReadResponse(gpib_, platform_, device);
}
