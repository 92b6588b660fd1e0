// What the settings store keeps per supply model: option and value keys, defaults, value forms.
#include "panel/model_settings.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/platform.h"
#include "rules/number_text.h"

namespace {

struct OptionKeys {
    const char* readKey;
    const char* writtenKey;  // the same value: names match without regard to letter case
    bool defaultValue;
};

const std::array<OptionKeys, kOptionCount> kOptionKeys = {{
    {"Start with saved settings", "Start with saved settings", false},
    {"Save settings at Exit", "Save settings at Exit", false},
    {"Turn off output at Start and Exit", "Turn off output at Start and Exit", true},
    {"Turn off output before U/I change", "Turn off output before U/I change", true},
    {"Confirm Output Change", "Confirm output change", true},
}};

const char* const kSavedExistKey = "Saved Exist";

std::string WithoutBlanksAround(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameWordIgnoringCase(const std::string& text, const std::string& word) {
    return std::equal(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

bool ReadTruth(const std::string& text, bool fallback) {
    const std::string word = WithoutBlanksAround(text);
    if (SameWordIgnoringCase(word, "True")) return true;
    if (SameWordIgnoringCase(word, "False")) return false;
    const bool signedNumber = !word.empty() && (word[0] == '-' || word[0] == '+');
    const std::string magnitude = signedNumber ? word.substr(1) : word;
    if (!IsPlainUnsignedDecimal(magnitude)) return fallback;
    // Any digit but 0 makes it non-zero.
    return magnitude.find_first_not_of("0.") != std::string::npos;
}

std::string TruthText(bool value) {
    return value ? "True" : "False";
}

ModelSettings::ModelSettings(Platform& platform, const std::string& modelName)
    : platform_(platform), section_("Settings\\" + modelName) {}

bool ModelSettings::ReadOption(int option) const {
    const OptionKeys& keys = kOptionKeys.at(option);
    return ReadTruth(Read(keys.readKey, TruthText(keys.defaultValue)), keys.defaultValue);
}

void ModelSettings::WriteOption(int option, bool value) const {
    Write(kOptionKeys.at(option).writtenKey, TruthText(value));
}

bool ModelSettings::ReadSavedExist() const {
    return ReadTruth(Read(kSavedExistKey, TruthText(false)), false);
}

void ModelSettings::WriteSavedExist() const {
    Write(kSavedExistKey, TruthText(true));
}

std::string ModelSettings::ReadValue(const char* key, const char* defaultText) const {
    const std::string stored = Read(key, defaultText);
    return IsPlainUnsignedDecimal(stored) ? stored : defaultText;
}

void ModelSettings::WriteValue(const char* key, const std::string& text) const {
    Write(key, text);
}

std::string ModelSettings::Read(const std::string& key, const std::string& defaultText) const {
    return platform_.ReadSetting(platform_.Title(), section_, key, defaultText);
}

void ModelSettings::Write(const std::string& key, const std::string& text) const {
    platform_.WriteSetting(platform_.Title(), section_, key, text);
}
