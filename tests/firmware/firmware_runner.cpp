// The AR488 on a simulated Arduino Uno.
#include "firmware_runner.h"

#include <poll.h>
#include <sim_avr.h>
#include <sim_cycle_timers.h>
#include <sim_elf.h>

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "bench/config.h"
#include "bench/scripted.h"
#include "bench/setup.h"

namespace firmware {

namespace {
constexpr double kFrequency = 16e6;
// Devices answer a change of the lines within microseconds.
constexpr std::uint64_t kReactionCycles = 32;
// An Uno's boot loader waits this long after a reset before it starts the firmware, taking
// whatever arrives on the serial port meanwhile.
constexpr double kBootSeconds = 1.0;

// The bench's clock is the simulated one: the instruments' answers come on simulated time, and
// nothing on the bench may sleep (the bus never asks it to wait).
class SimulatedClock : public driver::Clock {
public:
    explicit SimulatedClock(const avr_t* avr) : avr_(avr) {}
    double Now() override { return static_cast<double>(avr_->cycle) / kFrequency; }
    void Sleep(double) override {}

private:
    const avr_t* avr_;
};

void SimulatorLine(avr_t*, const int level, const char* format, va_list arguments) {
    if (level > LOG_WARNING) return;
    std::fputs("ar488-firmware: simavr: ", stderr);
    std::vfprintf(stderr, format, arguments);
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The bench that GPIB_BENCH describes, tracing to GPIB_BENCH_TRACE.
std::unique_ptr<bench::Bench> MakeBench(std::shared_ptr<driver::Clock> clock,
                                        const bench::BenchConfig& config) {
    if (config.registerResult != 0 || config.findLstnError || config.noBoardError ||
        !config.names.empty()) {
        std::fputs(
            "ar488-firmware: GPIB_BENCH's register, findlstn, noconfig and name items are "
            "a driver library's, not the bus's: ignored\n",
            stderr);
    }
    auto bench = std::make_unique<bench::Bench>(std::move(clock));
    bench->KeepTraceLines(false);
    if (const std::string trace = Environment("GPIB_BENCH_TRACE"); !trace.empty()) {
        bench->SetTraceFile(trace);
    }
    bench::Configure(*bench, config);
    return bench;
}
}  // namespace

std::unique_ptr<FirmwareRunner> FirmwareRunner::Make(const RunnerOptions& options,
                                                     std::string& error) {
    const bench::ParsedConfig parsed = bench::ParseConfig(Environment("GPIB_BENCH"));
    if (!parsed.error.empty()) {
        error = parsed.error;
        return nullptr;
    }
    avr_global_logger_set(SimulatorLine);
    elf_firmware_t firmware{};
    if (elf_read_firmware(options.firmware.c_str(), &firmware) != 0) {
        error = "cannot read the firmware " + options.firmware;
        return nullptr;
    }
    avr_t* avr = avr_make_mcu_by_name("atmega328p");
    if (!avr || avr_init(avr) != 0) {
        error = "simavr has no ATmega328P";
        return nullptr;
    }
    avr->frequency = static_cast<std::uint32_t>(kFrequency);
    avr_load_firmware(avr, &firmware);
    std::unique_ptr<FirmwareRunner> runner(
        new FirmwareRunner(avr, MakeBench(std::make_shared<SimulatedClock>(avr), parsed.config)));
    runner->Attach(options, parsed.config);
    if (runner->Port().empty()) {
        error = "cannot make a pseudo-terminal";
        return nullptr;
    }
    return runner;
}

FirmwareRunner::FirmwareRunner(avr_t* avr, std::unique_ptr<bench::Bench> bench)
    : avr_(avr), bench_(std::move(bench)) {}

FirmwareRunner::~FirmwareRunner() {
    serial_.reset();
    avr_terminate(avr_);
}

void FirmwareRunner::Attach(const RunnerOptions& options, const bench::BenchConfig& config) {
    for (const auto& [pad, text] : options.answers) {
        auto instrument = std::make_unique<bench::ScriptedInstrument>();
        instrument->AnswerAnyMessage(text);
        bench_->Attach(pad, std::move(instrument));
    }
    // After the instruments are attached, so that the supplies get their saved settings back.
    if (const std::string state = Environment("GPIB_BENCH_STATE"); !state.empty()) {
        bench_->SetStateFile(state);
    }
    std::map<int, DeviceHabits> habits = options.habits;
    for (const bench::BenchConfig::Unplug& unplug : config.unplugs) {
        habits[unplug.pad].messagesUntilGone = unplug.messages;
    }
    bus_ = std::make_unique<PinBus>(*bench_, habits);
    pins_ = std::make_unique<UnoPins>(avr_, [this] {
        if (!avr_cycle_timer_status(avr_, Reaction, this))
            avr_cycle_timer_register(avr_, kReactionCycles, Reaction, this);
    });
    auto note = [this](std::string_view text) { bench_->Note(text); };
    serial_ = std::make_unique<SerialLine>(avr_, note);
    pacer_ = std::make_unique<Pacer>(kFrequency, [](const std::string& line) {
        std::fprintf(stderr, "ar488-firmware: %s\n", line.c_str());
    });
}

std::uint64_t FirmwareRunner::Cycle() const {
    return avr_->cycle;
}

bool FirmwareRunner::Run(const std::function<bool()>& stop) {
    Settle();
    while (!stop() && !serial_->Unplugged()) {
        const std::uint64_t target = pacer_->RunUpTo(Cycle());
        if (target > Cycle()) {
            if (!RunUntil(target)) return false;
        } else {
            Sleep(pacer_->Ahead(Cycle()));
        }
        if (serial_->Service(pacer_->Wall() >= bootEnds_)) Reset();
    }
    return true;
}

bool FirmwareRunner::RunUntil(std::uint64_t cycle) {
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t from = Cycle();
    while (Cycle() < cycle) {
        const int state = avr_run(avr_);
        if (state == cpu_Done || state == cpu_Crashed) {
            std::fprintf(stderr, "ar488-firmware: the firmware stopped (state %d)\n", state);
            return false;
        }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    pacer_->Ran(Cycle() - from, took.count(), Cycle());
    return true;
}

void FirmwareRunner::Sleep(double seconds) {
    // Woken early by the host's bytes; without a host, the port cannot be watched (it hangs up).
    pollfd polled{serial_->Fd(), POLLIN, 0};
    const int milliseconds = static_cast<int>(std::ceil(std::max(seconds, 0.0) * 1000));
    ::poll(&polled, serial_->HostPresent() ? 1 : 0, std::max(milliseconds, 1));
}

void FirmwareRunner::Settle() {
    const double now = static_cast<double>(Cycle()) / kFrequency;
    pins_->Outside(bus_->React(pins_->FirmwareAsserts(), now));
    // A device that waits for its time (an answer, a busy spell) is woken by a timer of its
    // own, so that it never delays the reaction to the firmware's next change.
    const std::optional<double> wake = bus_->WakeAt();
    if (!wake) {
        avr_cycle_timer_cancel(avr_, Woken, this);
        return;
    }
    const double cycles = std::max((*wake - now) * kFrequency, 1.0);
    avr_cycle_timer_register(avr_, static_cast<std::uint64_t>(std::ceil(cycles)), Woken, this);
}

std::uint64_t FirmwareRunner::Reaction(avr_t*, std::uint64_t, void* runner) {
    static_cast<FirmwareRunner*>(runner)->Settle();
    return 0;
}

std::uint64_t FirmwareRunner::Woken(avr_t*, std::uint64_t, void* runner) {
    static_cast<FirmwareRunner*>(runner)->Settle();
    return 0;
}

void FirmwareRunner::Reset() {
    bench_->Note("ar488 reset: its port was opened");
    avr_reset(avr_);
    // The boot loader's wait passes as simulated time; the pacer then waits it out.
    avr_->cycle += static_cast<std::uint64_t>(kBootSeconds * kFrequency);
    bootEnds_ = pacer_->Wall() + kBootSeconds;
    pins_->Reset();
    serial_->Reset();
    Settle();
}

}  // namespace firmware
