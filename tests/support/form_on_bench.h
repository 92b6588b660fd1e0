// A main window loaded on the bench, and what it then wrote to the supply.
#pragma once

#include <QStringList>
#include <string>
#include <vector>

#include "bench_rig.h"
#include "panel/form1.h"

// Where the tests put the supply.
inline constexpr int kSupplyPad = 5;

// The texts of a test's data column, as the trace and the store hold them.
std::vector<std::string> ToStrings(const QStringList& list);

// One message the program wrote, and when (bench seconds).
struct WrittenMessage {
    double time;
    std::string data;
};

class FormOnBench {
public:
    // `bus` as GPIB_BENCH takes it; the supply is expected at kSupplyPad.
    explicit FormOnBench(const std::string& bus);

    // The messages written since the load (or since ForgetWritten), in order.
    std::vector<std::string> Written() const;
    std::vector<WrittenMessage> TimedWritten() const;
    // Sets the supply up as a test needs it, out of the record of what was written.
    void SetUpSupply(const std::string& message);
    // Forgets the rig's whole trace so far, not only what was written.
    void ForgetWritten() { rig.ForgetTrace(); }
    // The first activation, as when the window is first shown; then forgets what it wrote.
    void Activate();
    // A value in the model's own section, as an earlier run would have left it.
    void Store(const std::string& key, const std::string& text);
    // What the model's section holds under a key, "-" when absent.
    std::string Stored(const std::string& key);
    // The store an earlier run left behind.
    void KeepStoreOf(const FormOnBench& earlier);

    BenchRig rig;
    Form1 form;
};
