// The supported supplies: how each is recognised, its limits, its outputs and command words, how
// its answers are taken apart, and how the windows show it.
#include "rules/supplies.h"

#include "bus/bus_helper.h"

// Answers the models give: HP 6032A "VSET 12.500", "ISET  1.000", "OUT 1"; PS5004
// "VOLTAGE 5.500;", "CURRENT 0.100;", "OUT ON;"; PS5010 "VPOS 12.50;", "IPOS 0.400;",
// "FSOUT ON;" (its floating outputs only: the logic supply has an output of its own).
const std::array<SupplyModel, 3> kSupplyModels = {{
    {
        .ModelCode = kPs5010,
        .ModelName = "PS5010",
        .searchName = "Tek PS5010",
        .idQuery = "ID?",
        .idExpected = "!PS5010",
        .MaxVoltage = 32.0f,
        .MinCurrent = 0.05f,
        .currentCeiling = CurrentCeiling{15.0f, 1.6f, 0.75f},
        .channels = {ChannelFacts{{"VPOS ", "IPOS "}, {"U+", "I+", "0", "0.40"}},
                     ChannelFacts{{"VNEG ", "INEG "}, {"U-", "I-", "0", "0.40"}}},
        .voltageAnswer = {5, true, 103.0f},
        .currentAnswer = {5, true, 2.2f},
        .outputAnswer = {"FSOUT?", 6, true, false},
        .hasInitCommand = true,
    },
    {
        .ModelCode = kPs5004,
        .ModelName = "PS5004",
        .searchName = "Tek PS5004",
        .idQuery = "ID?",
        .idExpected = "!PS5004",
        .MaxVoltage = 20.0f,
        .MinCurrent = 0.01f,
        .MaxCurrent = 0.305f,
        .channels = {ChannelFacts{{"VOL ", "CUR "}, {"U", "I", "0", "0.1"}}},
        .voltageAnswer = {8, true, 2.3f},
        .currentAnswer = {8, true, 1.4f},
        .outputAnswer = {"OUT?", 4, true, false},
        .hasInitCommand = true,
        .narrowCurrentCaption = CurrentCaptionPlace{870, 2700},
    },
    {
        .ModelCode = kHp6032A,
        .ModelName = "HP 6032A",
        .searchName = "HP 6032A",
        // The HP 6032A gets no device clear before it is asked.
        .idQuery = "!ID?",
        .idExpected = "!HP6032A",
        .MaxVoltage = 60.0f,
        .MinCurrent = 0.0f,
        .MaxCurrent = 50.0f,
        .channels = {ChannelFacts{{"VSET ", "ISET "}, {"U", "I", "1", "1"}}},
        .voltageAnswer = {5, false, 2.2f, 19.99, 2.1f},
        .currentAnswer = {5, false, 2.2f, 20.0, 2.1f},
        .outputAnswer = {"OUT?", 4, false, true},
        .hasInitCommand = false,  // it answers "INIT" with an error
    },
}};

std::vector<Channel> SupplyModel::Channels() const {
    std::vector<Channel> present;
    for (const Channel channel : kChannels)
        if (Has(channel)) present.push_back(channel);
    return present;
}

float SupplyModel::MaxCurrentAt(float voltage) const {
    if (!currentCeiling) return MaxCurrent;
    return voltage > currentCeiling->voltage ? currentCeiling->above : currentCeiling->upTo;
}

ConnectedSupply IdentifySupply(BusHelper& bus, SupplyModels models) {
    for (const SupplyModel& model : models) {
        std::string query = model.idQuery;
        std::string expected = model.idExpected;
        if (const int16_t device = bus.FindDevice(query, expected); device != 0)
            return ConnectedSupply{model, device};
    }
    return {};
}

ConnectedSupply SetUpBusAndIdentify(BusHelper& bus, SupplyModels models) {
    GpibBinding& gpib = bus.Gpib();
    gpib.SendIFC(0);
    gpib.ibsre(0, 1);
    bus.DeviceTimeout = gpib::T3s;
    bus.InitBus(1);
    return IdentifySupply(bus, models);
}

void EndForMissingSupply(Platform& platform, SupplyModels models) {
    std::string names;
    for (const SupplyModel& model : models)
        names += (names.empty() ? "" : " or ") + std::string(model.searchName);
    platform.MessageBox(
        "No supported power supply (" + names + ") found on the bus !\n\nProgram will terminate.",
        "Error", BoxIcon::Critical, BoxButtons::Ok);
    platform.EndNow();
}

std::string WindowCaption(const std::string& modelName) {
    return "Pulvar " + modelName + ", v1.51 / ZQ";
}
