// Reading the supply's actual state back into the "Actual Settings" frame.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "design/twips.h"
#include "panel/entry_field.h"
#include "panel/form1.h"
#include "panel/output_lamp.h"
#include "platform/platform.h"
#include "rules/bus_text.h"
#include "rules/readback_rules.h"

namespace {
// The unit label follows the caption's last digit.
void ShowBesideUnit(QLabel* value, QLabel* unit, const QString& caption) {
    value->setText(caption);
    if (const std::optional<int> left = UnitLabelLeft(caption.size()))
        unit->move(Twips(*left), unit->y());
}
}  // namespace

void Form1::Refresh_Click() {
    const ExchangeGuard exchange(exchanges_);
    if (!exchange) return;
    RefreshSteps();
}

void Form1::RefreshSteps() {
    ReadAllChannels();
    NewVoltage->setFocus();
}

void Form1::ReadAllChannels() {
    // The "-" output first; the selection ends where the user left it.
    const bool plusSelected = Polarity[0]->isChecked();
    OnMinusOutput([this] { ReadBack(); });
    ReadBack();
    if (supply_.Has(Channel::Minus) && !plusSelected) Polarity[1]->setChecked(true);
}

void Form1::OnMinusOutput(const std::function<void()>& step) {
    if (!supply_.Has(Channel::Minus)) return;
    Polarity[1]->setChecked(true);
    step();
    Polarity[0]->setChecked(true);
}

void Form1::ReadBack() {
    ReadBack(ChannelIndex());
}

void Form1::ReadBack(Channel channel) {
    ReadVoltage(channel);
    ReadCurrent(channel);
    ReadOutputState();
    platform_.ProcessEvents();
}

void Form1::ReadVoltage(Channel channel) {
    const QString caption = ReadVoltageCaption(bus_, supply_, channel);
    ActualText[channel].voltage = caption;
    if (channel == ChannelIndex()) ShowVoltage(caption);
}

void Form1::ReadCurrent(Channel channel) {
    const QString caption = ReadCurrentCaption(bus_, supply_, channel);
    ActualText[channel].current = caption;
    if (channel == ChannelIndex()) ShowCurrent(caption);
}

void Form1::ReadOutputState() {
    const QString state = ReadOutputStateText(bus_, supply_);
    ActualOutput->setText(state);
    const bool on = IsOutputOnText(state);
    Shape1->setBackColor(on ? OutputLamp::OnColor() : OutputLamp::OffColor());
    SetOutputOn(on);
}

void Form1::SetOutputOn(bool on) {
    OutputOn = on;
    ToggleOutput->setText(ToggleOutputCaption(on));
}

void Form1::ShowVoltage(const QString& caption) {
    ShowBesideUnit(ActualVoltage, Label3[0], caption);
}

void Form1::ShowCurrent(const QString& caption) {
    ShowBesideUnit(ActualCurrent, Label3[1], caption);
}

// A supply with one output has "+" only, whatever the hidden buttons hold.
Channel Form1::ChannelIndex() const {
    return Polarity[1]->isChecked() && supply_.Has(Channel::Minus) ? Channel::Minus : Channel::Plus;
}
