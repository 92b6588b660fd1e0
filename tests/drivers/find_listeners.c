/* Lists the listeners on board 0 as linux-gpib's listener finder does: the board's own address
   first asked with ibask, then ibln for every primary address. Exits with the number found. */
#include <stdio.h>

#include "gpib_calls.h"

int main(void) {
    int board_pad = -1;
    if (ibask(0, IbaPAD, &board_pad) & ERR) {
        fprintf(stderr, "ibask: %s\n", gpib_error_string(ThreadIberr()));
        return -1;
    }
    printf("board at %d\n", board_pad);
    int count = 0;
    for (int pad = 0; pad <= 30; ++pad) {
        short found = 0;
        if (ibln(0, pad, NO_SAD, &found) & ERR) {
            fprintf(stderr, "ibln %d: %s\n", pad, gpib_error_string(ThreadIberr()));
            return -1;
        }
        if (found) {
            printf("listener at %d\n", pad);
            ++count;
        }
    }
    return count;
}
