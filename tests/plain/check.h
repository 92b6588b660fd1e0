// A tiny test runner for the parts free of Qt, which also run on Windows: named cases, checks
// that report what failed, and the closing line "N passed, N failed".
#pragma once

#include <cstdio>
#include <initializer_list>

namespace plain {

struct Case {
    const char* name;
    void (*run)();
};

inline int& FailedChecks() {
    static int failed = 0;
    return failed;
}

inline void Check(bool ok, const char* what, const char* file, int line) {
    if (ok) return;
    ++FailedChecks();
    std::printf("  check failed: %s (%s:%d)\n", what, file, line);
}

// Runs every case; the exit status is 0 only when every check held.
inline int Run(std::initializer_list<Case> cases) {
    int passed = 0;
    int failed = 0;
    for (const Case& c : cases) {
        const int before = FailedChecks();
        c.run();
        const bool ok = FailedChecks() == before;
        std::printf("%s: %s\n", ok ? "PASS" : "FAIL", c.name);
        ++(ok ? passed : failed);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace plain

#define CHECK(condition) plain::Check((condition), #condition, __FILE__, __LINE__)
