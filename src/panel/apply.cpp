// Applying the typed voltage and current limit to the supply.
#include "panel/form1.h"

// Sends the typed voltage and current limit to the supply; its checks and commands come later.
void Form1::Apply_Click() {}
