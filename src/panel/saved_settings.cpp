// The options and the stored voltage and current values, as the main window keeps them.
#include <QAction>
#include <QPushButton>
#include <QRadioButton>

#include "bus/bus_helper.h"
#include "panel/entry_field.h"
#include "panel/form1.h"
#include "platform/platform.h"

std::array<QAction*, kOptionCount> Form1::OptionEntries() const {
    return {Menu_StartSaved, Menu_SaveAtExit, Menu_TurnOffOutput, Menu_TurnOffAtChange,
            Menu_ConfirmChange};
}

ModelSettings Form1::Settings() const {
    return ModelSettings(platform_, supply_.ModelName);
}

// The check marks are the only copy of the options for the rest of the run.
void Form1::ReadOptions() {
    const ModelSettings settings = Settings();
    const auto entries = OptionEntries();
    for (int option = 0; option < kOptionCount; ++option)
        entries[option]->setChecked(settings.ReadOption(option));
    SavedExist = settings.ReadSavedExist();
    if (!SavedExist) EnableLoadControls(false);
}

// Only what the user toggled, so that a value changed in the store meanwhile survives.
void Form1::WriteChangedOptions() {
    const ModelSettings settings = Settings();
    const auto entries = OptionEntries();
    for (int option = 0; option < kOptionCount; ++option) {
        if (OptionChanged[option]) settings.WriteOption(option, entries[option]->isChecked());
    }
}

void Form1::MenuOption_Click(int option) {
    OptionChanged[option] = true;
    NewVoltage->setFocus();
}

void Form1::EnableLoadControls(bool enabled) {
    Menu_LoadSaved->setEnabled(enabled);
    Menu_StartSaved->setEnabled(enabled);
    Button_LoadSavedSettings->setEnabled(enabled);
}

void Form1::SaveSettings_Click() {
    const ExchangeGuard exchange(exchanges_);
    if (!exchange) return;
    SaveValues();
}

void Form1::LoadSettings_Click() {
    const ExchangeGuard exchange(exchanges_);
    if (!exchange) return;
    LoadSavedValues();
}

// What every channel holds now, read back first, as shown.
void Form1::SaveValues() {
    ReadAllChannels();
    const ModelSettings settings = Settings();
    for (const Channel channel : supply_.Channels()) {
        const ValueKeys& keys = supply_.Facts(channel).keys;
        settings.WriteValue(keys.voltageKey, ActualText[channel].voltage.toStdString());
        settings.WriteValue(keys.currentKey, ActualText[channel].current.toStdString());
    }
    if (!SavedExist) {
        settings.WriteSavedExist();
        EnableLoadControls(true);
    }
    NewVoltage->setFocus();
}

// A "-" output is set first and the "+" output last, so that "+" ends selected.
void Form1::LoadSavedValues() {
    bus_.Gpib().ibclr(supply_.SupplyDevice);
    const ModelSettings settings = Settings();
    for (const Channel channel : supply_.Channels()) {
        const ValueKeys& keys = supply_.Facts(channel).keys;
        ActualText[channel].voltage =
            QString::fromStdString(settings.ReadValue(keys.voltageKey, keys.voltageDefault));
        ActualText[channel].current =
            QString::fromStdString(settings.ReadValue(keys.currentKey, keys.currentDefault));
    }
    OnMinusOutput([this] { ApplyStoredValues(Channel::Minus); });
    ApplyStoredValues(Channel::Plus);
}

// Through Apply itself, so that its checks, questions and switching off all take place.
void Form1::ApplyStoredValues(Channel channel) {
    NewVoltage->setText(ActualText[channel].voltage);
    NewCurrent->setText(ActualText[channel].current);
    ApplySettings();
    platform_.ProcessEvents();
}
