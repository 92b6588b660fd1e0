// One reading of the supply: the texts the window would show for it.
#pragma once

#include <QString>

struct Reading {
    QString voltage;  // the voltage setting, in volts
    QString current;  // the current limit, in amperes
    QString output;   // the output state, as the supply's answer gives it
};
