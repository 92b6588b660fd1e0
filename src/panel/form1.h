// The main window: its controls and menus, and the handlers behind them.
#pragma once

#include <QMainWindow>
#include <array>

#include "panel/model_settings.h"
#include "panel/supplies.h"

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

class Form1 : public QMainWindow {
    Q_OBJECT

public:
    Form1(Platform& platform, BusHelper& bus, QWidget* parent = nullptr);
    ~Form1() override;

    // Load: takes charge of the bus, identifies the supply, adapts the window, sets the caption.
    void Form_Load();
    // The first activation after load: reports a missing supply, or puts the stored options in
    // force and shows the supply's state. Later activations do nothing.
    void Form_Activate();

    const ConnectedSupply& Supply() const { return supply_; }

    // Entry-field handlers, the same for both fields.
    void EntryField_Change(EntryField* field);
    void EntryField_KeyPress(EntryField* field, int& keyAscii);
    void EntryField_DblClick(EntryField* field);
    void Label1_Click(int index);

    void Apply_Click();
    void ToggleOutput_Click();
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
    void ReportMissingSupply();
    void Form_Unload();
    ModelSettings Settings() const;
    void ReadOptions();
    void WriteChangedOptions();
    void EnableLoadControls(bool enabled);

    Platform& platform_;
    BusHelper& bus_;
    ConnectedSupply supply_;
    bool loaded_ = false;
    bool activationBegun_ = false;
    bool unloaded_ = false;
};
