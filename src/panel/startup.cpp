// The main window's life cycle: load (bus set-up, identification, model adaptation).
#include <QAction>
#include <QLabel>
#include <QRadioButton>

#include "bus/bus_helper.h"
#include "panel/form1.h"
#include "panel/twips.h"

void Form1::Form_Load() {
    supply_ = SetUpBusAndIdentify(bus_);
    AdaptToModel();
    setWindowTitle(QString::fromLatin1(WindowCaption(supply_.ModelName)));
}

void Form1::AdaptToModel() {
    switch (supply_.ModelCode) {
        case kPs5010:
            Polarity[0]->setVisible(true);
            Polarity[1]->setVisible(true);
            break;
        case kPs5004:
            ActualCurrent->resize(Twips(870), ActualCurrent->height());
            Label3[1]->move(Twips(2700), Label3[1]->y());
            break;
        case kHp6032A:
            Menu_InitPS->setEnabled(false);
            break;
        default:
            break;
    }
}
