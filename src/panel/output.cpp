// Switching the supply's output on and off, and choosing the PS5010's output.
#include <QRadioButton>

#include "panel/entry_field.h"
#include "panel/form1.h"

// Switches the supply's output to the opposite state; the switching comes later.
void Form1::ToggleOutput_Click() {}

// The chosen output's texts of its last read-back; the supply is not asked.
void Form1::Polarity_Click(int index) {
    if (supply_.ModelCode != kPs5010) return;  // only the PS5010 has two outputs
    const ChannelTexts& texts = ActualText[ChannelIndex(supply_.ModelCode, index == 1)];
    ShowVoltage(texts.voltage);
    ShowCurrent(texts.current);
    NewVoltage->setFocus();
}
