/* A line terminal in the manner of linux-gpib's: opens one device (by address, or by a name
   that ibfind knows), sends each line of standard input without its line end, and after a
   line ending in "?" prints the answer. Errors go to standard error with the driver's text.
   Given an end-of-string character (its code) after the address, reads also end at it. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gpib_calls.h"

static int failed(const char* call, int status) {
    if (!(status & ERR)) return 0;
    fprintf(stderr, "%s failed: %s\n", call, gpib_error_string(iberr));
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: terminal <pad or name> [end-of-string character]\n");
        return 2;
    }
    char* end = NULL;
    const long pad = strtol(argv[1], &end, 10);
    const int eos = argc == 3 ? REOS | atoi(argv[2]) : 0;
    const int ud = *end == '\0' ? ibdev(0, (int)pad, NO_SAD, T3s, 1, eos) : ibfind(argv[1]);
    if (ud < 0) {
        fprintf(stderr, "cannot open %s: %s\n", argv[1], gpib_error_string(ThreadIberr()));
        return 1;
    }
    if (failed("ibconfig", ibconfig(ud, IbcTMO, T3s)) ||
        failed("ibconfig", ibconfig(ud, IbcEOT, 1)))
        return 1;
    char* version = NULL;
    ibvers(&version);
    fprintf(stderr, "driver %s\n", version ? version : "?");

    int errors = 0;
    char line[512];
    while (fgets(line, sizeof line, stdin)) {
        line[strcspn(line, "\r\n")] = '\0';
        if (failed("ibwrt", ibwrt(ud, line, (long)strlen(line)))) {
            ++errors;
            continue;
        }
        if (line[0] == '\0' || line[strlen(line) - 1] != '?') continue;
        char answer[512];
        const int status = ibrd(ud, answer, sizeof answer - 1);
        if (failed("ibrd", status)) {
            ++errors;
            continue;
        }
        answer[ThreadIbcntl()] = '\0';
        answer[strcspn(answer, "\r\n")] = '\0';
        printf("%s\n", answer);
    }
    if (failed("ibonl", ibonl(ud, 0))) ++errors;
    return errors;
}
