// The options and the stored voltage and current values, as the main window keeps them.
#include <QAction>
#include <QPushButton>

#include "panel/entry_field.h"
#include "panel/form1.h"

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
