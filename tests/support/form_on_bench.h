// A main window loaded on the bench, and what it then wrote to the supply.
#pragma once

#include <string>
#include <vector>

#include "bench/scripted.h"
#include "bench_rig.h"
#include "panel/form1.h"

// One message the program wrote, and when (bench seconds).
struct WrittenMessage {
    double time;
    std::string data;
};

class FormOnBench {
public:
    // `bus` as GPIB_BENCH takes it; the supply is expected at address 5.
    explicit FormOnBench(const std::string& bus);

    // The messages written since the load (or since ForgetWritten), in order.
    std::vector<std::string> Written() const;
    std::vector<WrittenMessage> TimedWritten() const;
    // True when every query written since the load was read before anything else was written.
    bool EveryQueryReadBeforeTheNextWrite() const;
    // Sets the supply up as a test needs it, out of the record of what was written.
    void SetUpSupply(const std::string& message);
    void ForgetWritten() { traceStart_ = rig.Bench().TraceLines().size(); }
    // The first activation, as when the window is first shown; then forgets what it wrote.
    void Activate();
    // A value in the model's own section, as an earlier run would have left it.
    void Store(const std::string& key, const std::string& text);
    // What the model's section holds under a key, "-" when absent.
    std::string Stored(const std::string& key);
    // The store an earlier run left behind.
    void KeepStoreOf(const FormOnBench& earlier);

    // Puts a scripted instrument in the supply's place, for answers the real ones never give.
    bench::ScriptedInstrument& ScriptedSupply();

    BenchRig rig;
    Form1 form;

private:
    std::vector<std::string> Trace() const;

    std::size_t traceStart_ = 0;
};
