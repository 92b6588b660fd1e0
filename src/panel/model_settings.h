// What the settings store keeps per supply model: option and value keys, defaults, value forms.
#pragma once

#include <string>

class Platform;

// The five behaviour options, in the order they are read and written.
enum OptionIndex : int {
    kStartSaved,
    kSaveAtExit,
    kTurnOffOutput,
    kTurnOffAtChange,
    kConfirmChange,
    kOptionCount
};

// A truth value as stored: "True" or "False" in any letter case, or a decimal number (zero is
// false). Any other text gives the fallback.
bool ReadTruth(const std::string& text, bool fallback);
// "True" or "False".
std::string TruthText(bool value);

// One model's section of the user's store: "Settings\" + the model name, under the program's
// title.
class ModelSettings {
public:
    ModelSettings(Platform& platform, const std::string& modelName);

    bool ReadOption(int option) const;
    void WriteOption(int option, bool value) const;

    // Values have been stored for this model at least once.
    bool ReadSavedExist() const;
    void WriteSavedExist() const;

    // A stored voltage or current text; the default when it is absent, and also when it is
    // anything but a plain number, so that no stored text can reach the supply as a command.
    std::string ReadValue(const char* key, const char* defaultText) const;
    void WriteValue(const char* key, const std::string& text) const;

private:
    std::string Read(const std::string& key, const std::string& defaultText) const;
    void Write(const std::string& key, const std::string& text) const;

    Platform& platform_;
    std::string section_;
};
