/* As many programs written for linux-gpib begin: the listeners found with FindLstn, then the
   first instrument among them (the board comes first) asked for its identity ("ID?"), whose
   answer is printed. Errors go to standard error with the driver's text. */
#include <stdio.h>

#include "gpib_calls.h"

int main(void) {
    Addr4882_t pads[32];
    Addr4882_t found[32] = {0};
    for (int pad = 0; pad <= 30; ++pad) pads[pad] = (Addr4882_t)pad;
    pads[31] = NOADDR;
    FindLstn(0, pads, found, 31);
    if (ibsta & ERR) {
        fprintf(stderr, "FindLstn: %s\n", gpib_error_string(ThreadIberr()));
        return 1;
    }
    const int ud = ibdev(0, found[1], NO_SAD, T3s, 1, 0);
    char answer[256];
    if ((ibwrt(ud, "ID?", 3) & ERR) || (ibrd(ud, answer, sizeof answer - 1) & ERR)) {
        fprintf(stderr, "the listener at %d: %s\n", found[1], gpib_error_string(ThreadIberr()));
        return 1;
    }
    answer[ThreadIbcntl()] = '\0';
    printf("%s\n", answer);
    return 0;
}
