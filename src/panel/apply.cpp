// Applying the typed voltage and current limit to the supply.
#include <QAction>
#include <QLabel>
#include <QPushButton>

#include "bus/bus_helper.h"
#include "panel/apply_rules.h"
#include "panel/entry_field.h"
#include "panel/form1.h"
#include "panel/readback_rules.h"
#include "platform/platform.h"

namespace {
QString TextOrCaption(const EntryField* field, const QLabel* shown) {
    return field->text().isEmpty() ? shown->text() : field->text();
}
}  // namespace

void Form1::Apply_Click() {
    const ExchangeGuard exchange(exchanges_);
    if (!exchange) return;
    ApplySettings();
}

void Form1::ApplySettings() {
    // Without a supply the start-up ends the program before anything can be applied.
    if (supply_.ModelCode == kNoModel) return;
    // The channel and the texts are taken before the first pause: what was checked is what is
    // sent, and to the output that was chosen, whatever is clicked or typed meanwhile.
    const int channel = SelectedChannel();
    if (supply_.ModelCode == kPs5010)
        supply_.MaxCurrent = Ps5010CurrentCeiling(TextOrCaption(NewVoltage, ActualVoltage));
    if (!UseLimitIfAsked(VoltageAboveLimit(NewVoltage->text(), supply_.MaxVoltage), NewVoltage) ||
        !UseLimitIfAsked(CurrentBelowLimit(NewCurrent->text(), supply_.MinCurrent), NewCurrent) ||
        !UseLimitIfAsked(
            CurrentAboveLimit(TextOrCaption(NewCurrent, ActualCurrent), supply_.MaxCurrent),
            NewCurrent)) {
        return;
    }
    const QStringList commands = SetCommands(channel, NewVoltage->text(), NewCurrent->text());

    SetOutputOn(!ApplyFindsOutputOff(AskSupply(QStringLiteral("OUT?"))));
    if (OutputOn && Menu_TurnOffAtChange->isChecked()) {
        ToggleOutput->setText(ToggleOutputCaption(false));
        SendToSupply(QStringLiteral("OUT OFF"));
        bus_.Pause(1.0f);
    }
    for (const QString& command : commands) SendToSupply(command);
    NewVoltage->clear();
    NewCurrent->clear();
    ReadBack(channel);
    NewVoltage->setFocus();
}

bool Form1::UseLimitIfAsked(const std::optional<LimitQuestion>& question, EntryField* field) {
    if (!question) return true;
    const BoxAnswer answer =
        platform_.MessageBox(question->text.toStdString(), question->title.toStdString(),
                             BoxIcon::Critical, BoxButtons::YesNo);
    if (answer == BoxAnswer::Yes) {
        field->setText(question->limitText);
        return true;
    }
    field->clear();
    field->setFocus();
    return false;
}
