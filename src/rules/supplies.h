// The three supported supplies: how each is recognised, its limits and its command words.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class BusHelper;
class Platform;

enum ModelCodes : int16_t { kNoModel = 0, kHp6032A = 1, kPs5004 = 2, kPs5010 = 3 };

struct SupplyModel {
    int16_t ModelCode;
    const char* ModelName;
    const char* idQuery;     // as passed to FindDevice, markers included
    const char* idExpected;  // as passed to FindDevice, markers included
    float MaxVoltage;
    float MinCurrent;
    float MaxCurrent;  // the PS5010's follows the voltage at each apply; 0 until then
};

// In the order in which the bus is searched for them.
extern const std::array<SupplyModel, 3> kSupplyModels;

// The supply this run talks to; ModelCode 0 and an empty name when none was found.
struct ConnectedSupply {
    int16_t ModelCode = kNoModel;
    std::string ModelName;
    float MaxVoltage = 0.0f;
    float MinCurrent = 0.0f;
    float MaxCurrent = 0.0f;
    int16_t SupplyDevice = 0;
};

// The PS5010's current ceiling follows its voltage: this much up to kPs5010HighVoltage, less above.
constexpr float kPs5010HighVoltage = 15.0f;
constexpr float kPs5010LowVoltageCeiling = 1.6f;
constexpr float kPs5010HighVoltageCeiling = 0.75f;

// Tries each model in turn; the first that answers fixes the supply.
ConnectedSupply IdentifySupply(BusHelper& bus);

// Takes charge of the bus (interface clear, remote enable, the supply's 3 s time-out), lists the
// listeners, ending the program when that fails, and identifies the supply: the program's start.
ConnectedSupply SetUpBusAndIdentify(BusHelper& bus);

// Says that none of the supported supplies answered, then ends the program at once.
void EndForMissingSupply(Platform& platform);

// The set-command words by channel; each ends in one blank, the value follows directly.
struct CommandWordPair {
    const char* voltage;
    const char* current;
};
extern const std::array<CommandWordPair, 4> CommandWords;

// 0 HP 6032A, 1 PS5004, 2 PS5010 "+" output, 3 PS5010 "-" output.
int ChannelIndex(int16_t modelCode, bool minusSelected);

// "Pulvar " + model name + ", v1.51 / ZQ".
std::string WindowCaption(const std::string& modelName);
