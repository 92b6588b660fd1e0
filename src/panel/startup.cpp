// The main window's life cycle: load, first activation, unload, and the Initialize and Exit
// commands.
#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QRadioButton>
#include <QShowEvent>

#include "bus/bus_helper.h"
#include "design/twips.h"
#include "panel/form1.h"
#include "panel/output_lamp.h"
#include "rules/apply_rules.h"

namespace {

// Device clear failures after which the supply is no longer talked to: no listener, bus error.
bool SupplyGone(const GpibBinding& gpib) {
    return gpib.ibsta() & gpib::ERR && (gpib.iberr() == gpib::ENOL || gpib.iberr() == gpib::EBUS);
}

}  // namespace

void Form1::Form_Load(SupplyModels models) {
    models_ = models;
    supply_ = SetUpBusAndIdentify(bus_, models_);
    // Without a supply no handler may talk to the bus, not even while the box that says so
    // waits for the user.
    if (supply_.Found()) exchanges_.Open();
    AdaptToModel();
    setWindowTitle(QString::fromLatin1(WindowCaption(supply_.ModelName)));
    loaded_ = true;
}

// Without a supply the window stays as designed.
void Form1::AdaptToModel() {
    if (!supply_.Found()) return;
    if (supply_.Has(Channel::Minus)) {
        Polarity[0]->setVisible(true);
        Polarity[1]->setVisible(true);
    }
    if (const auto& narrow = supply_.narrowCurrentCaption) {
        ActualCurrent->resize(Twips(narrow->width), ActualCurrent->height());
        Label3[1]->move(Twips(narrow->unitLeft), Label3[1]->y());
    }
    Menu_InitPS->setEnabled(supply_.hasInitCommand);
}

// Activation is the window manager's to grant, and some grant none (a bare X server, the
// offscreen platform): so the first showing starts the first activation too. Either road
// queues it, so that the window is drawn before the supply is talked to.
void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    QueueFirstActivation();
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) QueueFirstActivation();
    QMainWindow::changeEvent(event);
}

void Form1::QueueFirstActivation() {
    if (loaded_ && !activationBegun_)
        QMetaObject::invokeMethod(this, &Form1::Form_Activate, Qt::QueuedConnection);
}

void Form1::Form_Activate() {
    // Once only, although its pauses let further activations arrive before it is done.
    if (!loaded_ || activationBegun_) return;
    activationBegun_ = true;

    if (!supply_.Found()) EndForMissingSupply(platform_, models_);
    Menu_InitPS->setText(QStringLiteral("Initialize ") + QString::fromLatin1(supply_.ModelName));
    ReadOptions();

    // Clicks during the start-up's pauses start nothing; a close waits for it to end.
    const ExchangeGuard exchange(exchanges_);
    if (!exchange) return;
    if (Menu_TurnOffOutput->isChecked()) {
        SendToSupply(QStringLiteral("OUT OFF"));
        Shape1->setBackColor(OutputLamp::OffColor());
        bus_.Pause(kOutputOffSettleSeconds);
    }
    // The "-" output first, so that both are known before the user can switch.
    OnMinusOutput([this] { ReadBack(); });
    if (Menu_StartSaved->isChecked()) {
        LoadSavedValues();
    } else {
        ReadBack();
    }
    Activated = true;
}

// Every road out of the window passes here: Exit, the close box, the system's own close. The
// close is never refused: a close that arrives while an exchange runs (inside one of its pauses
// or boxes) is taken up again as soon as that exchange has ended.
void Form1::closeEvent(QCloseEvent* event) {
    if (unloadState_ == UnloadState::Unloading) {
        event->ignore();  // the unload under way closes the window when it is done
        return;
    }
    if (unloadState_ == UnloadState::NotYet && exchanges_.Running()) {
        event->ignore();
        exchanges_.WhenIdle([this] { close(); });
        return;
    }
    if (unloadState_ == UnloadState::NotYet) Form_Unload();
    event->accept();
}

void Form1::Form_Unload() {
    unloadState_ = UnloadState::Unloading;
    // The last exchange: nothing reaches the bus after it, whatever is still queued.
    const ExchangeGuard exchange(exchanges_);
    exchanges_.StopForGood();
    // A window that never found a supply claims nothing: nothing to clear, no section to write.
    if (exchange) UnloadSteps();
    unloadState_ = UnloadState::Done;
}

void Form1::UnloadSteps() {
    WriteChangedOptions();
    bus_.Gpib().ibclr(supply_.SupplyDevice);
    if (SupplyGone(bus_.Gpib())) return;
    if (Menu_SaveAtExit->isChecked()) SaveValues();
    if (Menu_TurnOffOutput->isChecked()) SendToSupply(QStringLiteral("OUT OFF"));
}

void Form1::Menu_InitPS_Click() {
    const ExchangeGuard exchange(exchanges_);
    if (!exchange) return;
    SendToSupply(QStringLiteral("INIT"));
    RefreshSteps();
}
