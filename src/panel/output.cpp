// Switching the supply's output on and off, and choosing the PS5010's output.
#include <QAction>
#include <QRadioButton>

#include "panel/entry_field.h"
#include "panel/form1.h"
#include "platform/platform.h"

void Form1::ToggleOutput_Click() {
    const ExchangeGuard exchange(exchanges_);
    if (!exchange) return;
    // The opposite of the state last read; the supply is not asked first.
    const QString target = OutputOn ? QStringLiteral("OFF") : QStringLiteral("ON");
    if (Menu_ConfirmChange->isChecked() &&
        platform_.MessageBox("Confirm turning " + target.toStdString() + " output.",
                             "Change Output", BoxIcon::Exclamation,
                             BoxButtons::YesNo) == BoxAnswer::No) {
        return;
    }
    SendToSupply(QStringLiteral("OUT ") + target);
    // What the supply now reports, whether or not it took the command.
    ReadOutputState();
    NewVoltage->setFocus();
}

// The chosen output's texts of its last read-back; the supply is not asked.
void Form1::Polarity_Click(int index) {
    // The start-up selects both outputs in turn while it reads them.
    if (!Activated) return;
    if (!supply_.Has(Channel::Minus)) return;  // only a supply with two outputs offers the choice
    const ChannelTexts& texts = ActualText[index == 1 ? Channel::Minus : Channel::Plus];
    ShowVoltage(texts.voltage);
    ShowCurrent(texts.current);
    NewVoltage->setFocus();
}
