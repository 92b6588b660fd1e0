// Tells, under wine, whether the window titled so is in the middle of an exchange with its
// supply, as the window property Pulvar sets on Windows while one runs says (wine offers no
// accessibility bus to ask instead). Exit status 0: no exchange runs; 1: one runs; 2: no window
// has that title.
//   window-busy <window title>
#include <windows.h>

#include <cstdio>

#include "panel/busy_state.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: window-busy <window title>\n", stderr);
        return 3;
    }
    HWND window = FindWindowA(nullptr, argv[1]);
    if (window == nullptr) return 2;
    return GetPropA(window, kBusyWindowProperty) != nullptr ? 1 : 0;
}
