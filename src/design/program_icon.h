// The program's own 32 x 32 icon: a bench supply with a lit display and two terminals.
#pragma once

#include <QPixmap>

QPixmap ProgramIcon();
