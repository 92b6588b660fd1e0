// Applying the typed voltage and current limit to the supply.
#include <QAction>
#include <QLabel>
#include <QPushButton>

#include "bus/bus_helper.h"
#include "panel/entry_field.h"
#include "panel/form1.h"
#include "platform/platform.h"
#include "rules/apply_rules.h"
#include "rules/readback_rules.h"

void Form1::Apply_Click() {
    const ExchangeGuard exchange(exchanges_);
    if (!exchange) return;
    ApplySettings();
}

void Form1::ApplySettings() {
    // The channel and the texts are taken before the first pause: what was checked is what is
    // sent, and to the output that was chosen, whatever is clicked or typed meanwhile.
    const Channel channel = ChannelIndex();
    QString voltage = NewVoltage->text();
    QString current = NewCurrent->text();
    const auto shown = [this](LimitedValue which) {
        return (which == LimitedValue::Voltage ? ActualVoltage : ActualCurrent)->text();
    };
    const auto ask = [this](const LimitQuestion& question, LimitedValue which) {
        return UseLimitIfAsked(question, which == LimitedValue::Voltage ? NewVoltage : NewCurrent);
    };
    if (!PassLimits(supply_, voltage, current, shown, ask)) return;
    const QStringList commands = SetCommands(supply_, channel, voltage, current);

    SetOutputOn(!ApplyFindsOutputOff(AskSupply(QStringLiteral("OUT?"))));
    if (OutputOn && Menu_TurnOffAtChange->isChecked()) {
        ToggleOutput->setText(ToggleOutputCaption(false));
        SendToSupply(QStringLiteral("OUT OFF"));
        bus_.Pause(kOutputOffSettleSeconds);
    }
    for (const QString& command : commands) SendToSupply(command);
    NewVoltage->clear();
    NewCurrent->clear();
    ReadBack(channel);
    NewVoltage->setFocus();
}

bool Form1::UseLimitIfAsked(const LimitQuestion& question, EntryField* field) {
    const BoxAnswer answer =
        platform_.MessageBox(question.text.toStdString(), question.title.toStdString(),
                             BoxIcon::Critical, BoxButtons::YesNo);
    if (answer == BoxAnswer::Yes) {
        field->setText(question.limitText);
        return true;
    }
    field->clear();
    field->setFocus();
    return false;
}
