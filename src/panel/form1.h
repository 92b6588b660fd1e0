// The main window: its controls and menus, and the handlers behind them.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "panel/exchange_guard.h"
#include "panel/model_settings.h"
#include "rules/supplies.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class EntryField;
class OutputLamp;
class BusHelper;
class Platform;
struct LimitQuestion;

class Form1 : public QMainWindow {
    Q_OBJECT

public:
    Form1(Platform& platform, BusHelper& bus, QWidget* parent = nullptr);
    ~Form1() override;

    // Load: takes charge of the bus, identifies the supply among `models`, adapts the window, sets
    // the caption. The models must outlive the window.
    void Form_Load(SupplyModels models = kSupplyModels);
    // The first activation after load: reports a missing supply, or puts the stored options in
    // force and shows the supply's state. Later activations do nothing.
    void Form_Activate();

    const ConnectedSupply& Supply() const { return supply_; }

    // Entry-field handlers, the same for both fields.
    void EntryField_Change(EntryField* field);
    void EntryField_KeyPress(EntryField* field, int& keyAscii);
    void EntryField_DblClick(EntryField* field);
    void Label1_Click(int index);

    // Handlers that talk to the supply; each is ignored while another exchange runs.
    void Apply_Click();
    void Refresh_Click();
    void ToggleOutput_Click();
    void Menu_InitPS_Click();
    void SaveSettings_Click();
    void LoadSettings_Click();
    // Qt has already flipped the entry's check mark when this runs.
    void MenuOption_Click(int option);

    // Set when the first activation is done.
    bool Activated = false;
    // Values have been stored for this model (read at the first activation).
    bool SavedExist = false;
    // The options toggled in this run, by OptionIndex; only these are written at unload.
    std::array<bool, kOptionCount> OptionChanged{};
    // The option entries, by OptionIndex.
    std::array<QAction*, kOptionCount> OptionEntries() const;

    // Shows the chosen PS5010 output's last texts; nothing goes to the bus.
    void Polarity_Click(int index);

    // Reading the supply back into the "Actual Settings" frame. Each read belongs to the
    // channel selected when it starts: its values are cached under that channel, and shown only
    // while that channel is still the selected one.
    void ReadBack();
    void ReadAllChannels();
    // The "-" output selected for the step and "+" after it; nothing on a supply without one.
    void OnMinusOutput(const std::function<void()>& step);
    void ReadOutputState();

    // Apply's checks, questions and commands, for callers that already hold the exchange.
    void ApplySettings();

    // Storing the values of every channel, and loading and applying them; for callers that
    // already hold the exchange.
    void SaveValues();
    void LoadSavedValues();

    // The texts last shown for each channel.
    struct ChannelTexts {
        QString voltage;
        QString current;
    };
    PerChannel<ChannelTexts> ActualText;
    // The output was last read, or found by Apply, to be on. Until the first read it agrees with
    // the button's designed caption, "Turn OFF Output", so that a press then does what it says.
    bool OutputOn = true;

    // Controls, named as on the window; groups are indexed as on the window.
    std::array<QFrame*, 2> Line1{};
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* ToggleOutput = nullptr;

    std::array<QRadioButton*, 2> Polarity{};
    std::array<QLabel*, 5> Label1{};
    std::array<QLabel*, 4> Label3{};
    QLabel* ActualVoltage = nullptr;
    QLabel* ActualCurrent = nullptr;
    QLabel* ActualOutput = nullptr;
    OutputLamp* Shape1 = nullptr;
    QPushButton* Refresh = nullptr;

    EntryField* NewVoltage = nullptr;
    EntryField* NewCurrent = nullptr;
    QPushButton* Apply = nullptr;
    QPushButton* Button_SaveSettings = nullptr;
    QPushButton* Button_LoadSavedSettings = nullptr;

    QMenu* Menu_Settings = nullptr;
    QAction* Menu_InitPS = nullptr;
    QAction* Menu_Separator11 = nullptr;
    QAction* Menu_SaveSettings = nullptr;
    QAction* Menu_LoadSaved = nullptr;
    QAction* Menu_Separator12 = nullptr;
    QAction* Menu_StartSaved = nullptr;
    QAction* Menu_SaveAtExit = nullptr;
    QAction* Menu_Separator13 = nullptr;
    QAction* Menu_TurnOffOutput = nullptr;
    QAction* Menu_TurnOffAtChange = nullptr;
    QAction* Menu_ConfirmChange = nullptr;
    QAction* Menu_About = nullptr;
    QAction* Menu_Exit = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildActualSettings();
    void BuildNewSettings();
    void BuildMenus();
    void WireEvents();
    void FixSizeAndCentre();
    void AdaptToModel();
    void Menu_About_Click();

    void QueueFirstActivation();
    void Form_Unload();
    void UnloadSteps();
    void RefreshSteps();
    void ApplyStoredValues(Channel channel);
    ModelSettings Settings() const;
    void ReadOptions();
    void WriteChangedOptions();
    void EnableLoadControls(bool enabled);
    // The channel the Polarity buttons select: "-" or "+".
    Channel ChannelIndex() const;
    void ReadBack(Channel channel);
    void ReadVoltage(Channel channel);
    void ReadCurrent(Channel channel);
    void ShowVoltage(const QString& caption);
    void ShowCurrent(const QString& caption);
    // OutputOn and the output button's offer follow the state found.
    void SetOutputOn(bool on);
    // Asks the question of a limit that was overstepped; false when the user refused the limit.
    bool UseLimitIfAsked(const LimitQuestion& question, EntryField* field);

    // The supply speaks bytes; the panel speaks QString.
    QString AskSupply(const QString& query);
    void SendToSupply(const QString& command);

    Platform& platform_;
    BusHelper& bus_;
    SupplyModels models_ = kSupplyModels;
    ConnectedSupply supply_;
    bool loaded_ = false;
    bool activationBegun_ = false;
    enum class UnloadState { NotYet, Unloading, Done };
    UnloadState unloadState_ = UnloadState::NotYet;
    // The exchange in progress, if any; a close waits for it (see BusExchanges::WhenIdle).
    BusExchanges exchanges_;
};
