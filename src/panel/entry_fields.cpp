// The entry fields' rules: only digits and one point get in; Enter applies, Space toggles.
#include <QPushButton>

#include "panel/entry_field.h"
#include "panel/form1.h"

void Form1::EntryField_Change(EntryField* field) {
    field->setCursorPosition(field->text().size());
    if (field->text() == QLatin1String(".")) field->setText(QStringLiteral("0."));
    Apply->setEnabled(!NewVoltage->text().isEmpty() || !NewCurrent->text().isEmpty());
}

void Form1::EntryField_KeyPress(EntryField* field, int& keyAscii) {
    switch (keyAscii) {
        case KeyAscii::Enter:
            if (Apply->isEnabled()) Apply_Click();
            keyAscii = 0;
            break;
        case KeyAscii::Space:
            ToggleOutput_Click();
            keyAscii = 0;
            break;
        case ',':
        case '.':
            keyAscii = field->text().contains(QLatin1Char('.')) ? 0 : '.';
            break;
        case KeyAscii::Backspace:
            break;
        default:
            if (keyAscii < '0' || keyAscii > '9') keyAscii = 0;
            break;
    }
}

void Form1::EntryField_DblClick(EntryField* field) {
    field->setText(QString());
}

void Form1::Label1_Click(int index) {
    switch (index) {
        case 0:
        case 2:
            NewVoltage->setFocus();
            break;
        case 1:
        case 3:
            NewCurrent->setFocus();
            break;
        default:  // "Output:" names nothing that takes input
            break;
    }
}
