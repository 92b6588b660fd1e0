// The three supported supplies: how each is recognised, its limits and its command words.
#include "rules/supplies.h"

#include "bus/bus_helper.h"

const std::array<SupplyModel, 3> kSupplyModels = {{
    {kPs5010, "PS5010", "ID?", "!PS5010", 32.0f, 0.05f, 0.0f},
    {kPs5004, "PS5004", "ID?", "!PS5004", 20.0f, 0.01f, 0.305f},
    // The HP 6032A gets no device clear before it is asked.
    {kHp6032A, "HP 6032A", "!ID?", "!HP6032A", 60.0f, 0.0f, 50.0f},
}};

const std::array<CommandWordPair, 4> CommandWords = {{
    {"VSET ", "ISET "},
    {"VOL ", "CUR "},
    {"VPOS ", "IPOS "},
    {"VNEG ", "INEG "},
}};

ConnectedSupply IdentifySupply(BusHelper& bus) {
    ConnectedSupply supply;
    for (const SupplyModel& model : kSupplyModels) {
        std::string query = model.idQuery;
        std::string expected = model.idExpected;
        supply.SupplyDevice = bus.FindDevice(query, expected);
        if (supply.SupplyDevice == 0) continue;
        supply.ModelCode = model.ModelCode;
        supply.ModelName = model.ModelName;
        supply.MaxVoltage = model.MaxVoltage;
        supply.MinCurrent = model.MinCurrent;
        supply.MaxCurrent = model.MaxCurrent;
        break;
    }
    return supply;
}

ConnectedSupply SetUpBusAndIdentify(BusHelper& bus) {
    GpibBinding& gpib = bus.Gpib();
    gpib.SendIFC(0);
    gpib.ibsre(0, 1);
    bus.DeviceTimeout = gpib::T3s;
    bus.InitBus(1);
    return IdentifySupply(bus);
}

void EndForMissingSupply(Platform& platform) {
    platform.MessageBox(
        "No supported power supply (Tek PS5010 or Tek PS5004 or HP 6032A) found on the bus !\n\n"
        "Program will terminate.",
        "Error", BoxIcon::Critical, BoxButtons::Ok);
    platform.EndNow();
}

int ChannelIndex(int16_t modelCode, bool minusSelected) {
    return modelCode - 1 + (minusSelected ? 1 : 0);
}

std::string WindowCaption(const std::string& modelName) {
    return "Pulvar " + modelName + ", v1.51 / ZQ";
}
