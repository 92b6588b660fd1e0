// Switching the supply's output on and off.
#include "panel/form1.h"

// Switches the supply's output to the opposite state; the switching comes later.
void Form1::ToggleOutput_Click() {}
