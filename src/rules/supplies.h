// The supported supplies: how each is recognised, its limits, its outputs and command words, how
// its answers are taken apart, and how the windows show it. Everything that differs from one
// model to the next is a field of its row; nothing else in the program asks which model it is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

class BusHelper;
class Platform;

enum ModelCodes : int16_t { kNoModel = 0, kHp6032A = 1, kPs5004 = 2, kPs5010 = 3 };

// A supply's outputs: "+" (the only one of a supply with one output) and the PS5010's "-".
enum class Channel { Plus, Minus };
inline constexpr std::array kChannels = {Channel::Plus, Channel::Minus};

// One value for each channel, looked up by the channel.
template <typename T>
class PerChannel {
public:
    T& operator[](Channel channel) { return values_[static_cast<std::size_t>(channel)]; }
    const T& operator[](Channel channel) const {
        return values_[static_cast<std::size_t>(channel)];
    }

private:
    std::array<T, kChannels.size()> values_{};
};

// The set-command words of one output; each ends in one blank, the value follows directly. The
// read-back queries are the same words with "?" in place of the blank.
struct CommandWordPair {
    const char* voltage;
    const char* current;
};

// The stored voltage and current keys of one output, with the texts used when absent.
struct ValueKeys {
    const char* voltageKey;
    const char* currentKey;
    const char* voltageDefault;
    const char* currentDefault;
};

struct ChannelFacts {
    CommandWordPair CommandWords;
    ValueKeys keys;
};

// How the answer to a voltage or current query becomes a caption: the value starts at a fixed
// place (the header is not checked), and is laid out by NrToStr in the model's columns.
struct LevelAnswer {
    int firstCharacter;  // counting from 1
    bool semicolonsAreBlanks;
    float IntFrac;
    // From this value on (judged before narrowing), `wideIntFrac` instead: one fraction digit
    // fewer, so that the caption keeps its width.
    double wideFrom = std::numeric_limits<double>::infinity();
    float wideIntFrac = 0.0f;
};

// How the output state is read back and its answer taken apart.
struct OutputStateAnswer {
    const char* query;
    int firstCharacter;
    bool semicolonsAreBlanks;
    // The answer is a number, on above 0, shown as "ON" or "OFF"; otherwise the supply's own
    // word is shown as it came.
    bool numbered;
};

// A current limit that follows the voltage: `upTo` amperes up to `voltage` volts, `above` beyond.
struct CurrentCeiling {
    float voltage;
    float upTo;
    float above;
};

// A current caption narrower than designed, its unit label moved beside it (twips).
struct CurrentCaptionPlace {
    int width;
    int unitLeft;
};

struct SupplyModel {
    int16_t ModelCode = kNoModel;
    const char* ModelName = "";
    const char* searchName = "";  // as the box about a missing supply names it
    const char* idQuery = "";     // as passed to FindDevice, markers included
    const char* idExpected = "";  // as passed to FindDevice, markers included
    float MaxVoltage = 0.0f;
    float MinCurrent = 0.0f;
    float MaxCurrent = 0.0f;  // where no ceiling follows the voltage
    std::optional<CurrentCeiling> currentCeiling = std::nullopt;
    // By Channel; a supply with one output has "+" only.
    std::array<std::optional<ChannelFacts>, kChannels.size()> channels{};
    LevelAnswer voltageAnswer{1, false, 0.0f};
    LevelAnswer currentAnswer{1, false, 0.0f};
    OutputStateAnswer outputAnswer{"", 1, false, false};
    bool hasInitCommand = false;
    std::optional<CurrentCaptionPlace> narrowCurrentCaption = std::nullopt;

    bool Has(Channel channel) const {
        return channels[static_cast<std::size_t>(channel)].has_value();
    }
    // The channel's words and keys; a channel the model lacks is an error of the caller.
    const ChannelFacts& Facts(Channel channel) const {
        return channels.at(static_cast<std::size_t>(channel)).value();
    }
    // The channels it has, "+" first.
    std::vector<Channel> Channels() const;
    // The highest current limit allowed with this voltage.
    float MaxCurrentAt(float voltage) const;
};

// A list of models, in the order in which the bus is searched for them.
using SupplyModels = std::span<const SupplyModel>;

// The shipped models: the PS5010, then the PS5004, then the HP 6032A.
extern const std::array<SupplyModel, 3> kSupplyModels;

// The supply this run talks to: its model's row (ModelCode 0 and an empty name when none was
// found) and the device descriptor every command goes to.
struct ConnectedSupply : SupplyModel {
    int16_t SupplyDevice = 0;

    bool Found() const { return ModelCode != kNoModel; }
};

// Tries each model in turn; the first that answers fixes the supply.
ConnectedSupply IdentifySupply(BusHelper& bus, SupplyModels models = kSupplyModels);

// Takes charge of the bus (interface clear, remote enable, the supply's 3 s time-out), lists the
// listeners, ending the program when that fails, and identifies the supply: the program's start.
ConnectedSupply SetUpBusAndIdentify(BusHelper& bus, SupplyModels models = kSupplyModels);

// Says that none of the models answered, then ends the program at once.
void EndForMissingSupply(Platform& platform, SupplyModels models = kSupplyModels);

// "Pulvar " + model name + ", v1.51 / ZQ".
std::string WindowCaption(const std::string& modelName);
