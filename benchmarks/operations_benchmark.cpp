// Pulvar's operations on the simulated bench with the real clock: what each costs beyond the
// pauses the instruments need, through the bench library and through the adapter library over an
// emulated Prologix on a pseudo-terminal (with and without a USB serial chip's 16 ms latency
// timer) and on TCP, and over the AR488's own firmware on its runner where that was built.
// Prints Markdown tables. `--runs N` sets the runs per operation (11); `--only TEXT` runs only the
// rows whose name holds TEXT; `--carrier bench|serial|serial-16ms|tcp|ar488-firmware` only that
// way to the bench (all by default).
#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "answering_platform.h"
#include "driver/driver.h"
#include "measurement.h"
#include "panel/entry_field.h"
#include "window_on_bench.h"

namespace {
constexpr const char* kSupplyBench = "5=PS5010";

// Pauses each operation waits through on a PS5010: 0.1 s per query, 1 s after switching off.
constexpr double kQuery = 0.1;
constexpr double kAfterSwitchingOff = 1.0;
constexpr double kReadBack = 3 * kQuery;  // voltage, current, output state
constexpr double kApply = kQuery + kReadBack;
// Switching off at start (the default), then both PS5010 outputs read back.
constexpr double kFirstActivation = kAfterSwitchingOff + 2 * kReadBack;

// Thirteen instruments that are no supply, then the HP 6032A, found by the third try of three.
std::string FourteenListeners() {
    std::string config;
    for (int pad = 1; pad <= 13; ++pad) config += std::to_string(pad) + "=DM5010;";
    return config + "14=HP6032A";
}

// The value after `option`, or the empty text.
std::string Argument(int argc, char* argv[], const char* option) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], option) == 0) return argv[i + 1];
    return {};
}

// The bytes a stretch of an adapter's trace put on the link both ways: each line sent with its
// LF, each reply as it came (the trace shows them C-escaped).
long LinkBytes(const std::vector<std::string>& lines, std::size_t from) {
    long bytes = 0;
    for (std::size_t i = from; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t quote = line.find(" \"");
        const bool sent = line.find(" host> \"") != std::string::npos;
        if (!sent && line.find(" host< \"") == std::string::npos) continue;
        const std::string text = line.substr(quote + 2, line.size() - quote - 3);
        for (std::size_t c = 0; c < text.size(); ++c, ++bytes) {
            if (text[c] == '\\') c += text[c + 1] == 'x' ? 3 : 1;
        }
        if (sent) ++bytes;
    }
    return bytes;
}

class OperationsBenchmark {
public:
    // Only the rows whose name holds `only` are run (all when it is empty), e.g. for a profiler.
    OperationsBenchmark(AnsweringPlatform& platform, int runs, std::string only, Carrier carrier,
                        std::string errors)
        : platform_(platform),
          runs_(runs),
          only_(std::move(only)),
          carrier_(carrier),
          errors_(std::move(errors)) {}

    std::vector<MeasuredOperation> Operations();
    std::vector<MeasuredOperation> Pauses();
    // The bytes one query puts on an adapter's link, both ways.
    long QueryLinkBytes();

private:
    // A PS5010 window, loaded and shown, made afresh for a row.
    WindowOnBench& FreshSupplyWindow();
    MeasuredOperation Identification(const std::string& name, const std::string& config);
    MeasuredOperation ApplyRow(const std::string& name, bool outputOn);
    MeasuredOperation Row(const std::string& name, double floor,
                          const std::function<void()>& prepare,
                          const std::function<void()>& operation);

    AnsweringPlatform& platform_;
    int runs_;
    std::string only_;
    Carrier carrier_;
    std::string errors_;  // where the adapter's process writes its standard error
    std::unique_ptr<WindowOnBench> window_;
};

WindowOnBench& OperationsBenchmark::FreshSupplyWindow() {
    window_.reset();
    window_ = std::make_unique<WindowOnBench>(platform_, kSupplyBench, carrier_, errors_);
    window_->Load();
    window_->Show();
    return *window_;
}

MeasuredOperation OperationsBenchmark::Row(const std::string& name, double floor,
                                           const std::function<void()>& prepare,
                                           const std::function<void()>& operation) {
    const bool wanted = name.find(only_) != std::string::npos;
    MeasuredOperation measured = Measure(name, floor, wanted ? runs_ : 0, prepare, operation);
    for (const std::string& title : platform_.TakeTitles())
        if (title != "Change Output")
            std::fprintf(stderr, "%s: a box no run should show: %s\n", name.c_str(), title.c_str());
    return measured;
}

MeasuredOperation OperationsBenchmark::Identification(const std::string& name,
                                                      const std::string& config) {
    // The instruments answer at once: no pause is needed, so all of it is overhead.
    return Row(
        name, 0.0,
        [&] {
            window_.reset();
            window_ = std::make_unique<WindowOnBench>(platform_, config);
        },
        [&] { window_->Load(); });
}

MeasuredOperation OperationsBenchmark::ApplyRow(const std::string& name, bool outputOn) {
    WindowOnBench& window = FreshSupplyWindow();
    window.form.Menu_TurnOffAtChange->setChecked(true);
    return Row(
        name, outputOn ? kApply + kAfterSwitchingOff : kApply,
        [&] {
            window.SendToSupply(outputOn ? "OUT ON" : "OUT OFF");
            window.form.NewVoltage->setText("12.5");
            window.form.NewCurrent->setText("0.4");
        },
        [&] { window.form.Apply_Click(); });
}

std::vector<MeasuredOperation> OperationsBenchmark::Operations() {
    std::vector<MeasuredOperation> rows;
    // On an adapter the start-up row holds the listener search; these measure the bench alone.
    if (carrier_ == Carrier::BenchLibrary) {
        rows.push_back(Identification("identification, 1 listener (PS5010)", kSupplyBench));
        rows.push_back(
            Identification("identification, 14 listeners (HP 6032A last)", FourteenListeners()));
    }
    rows.push_back(Row(
        "start-up to the end of the first activation", kFirstActivation, [&] { window_.reset(); },
        [&] {
            window_ = std::make_unique<WindowOnBench>(platform_, kSupplyBench, carrier_, errors_);
            window_->Load();
            window_->Show();
        }));

    WindowOnBench& window = FreshSupplyWindow();
    const auto nothing = [] {};
    rows.push_back(Row("one query (\"VPOS?\")", kQuery, nothing, [&] {
        window.bus.QueryDevice(window.form.Supply().SupplyDevice, "VPOS?");
    }));
    rows.push_back(Row("ReadBack", kReadBack, nothing, [&] { window.form.ReadBack(); }));
    rows.push_back(Row("ReadAllChannels (PS5010, both outputs)", 2 * kReadBack, nothing,
                       [&] { window.form.ReadAllChannels(); }));
    rows.push_back(ApplyRow("Apply, output off", false));
    rows.push_back(ApplyRow("Apply, switching the output off first", true));
    // Each Apply row made a window of its own: the one before is gone, the last one serves.
    WindowOnBench& applied = *window_;
    rows.push_back(Row("output toggle (confirmed)", kQuery, nothing,
                       [&] { applied.form.ToggleOutput_Click(); }));
    rows.push_back(Row("save (both outputs read back, then stored)", 2 * kReadBack, nothing,
                       [&] { applied.form.SaveSettings_Click(); }));
    rows.push_back(Row(
        "load (both outputs applied, output off)", 2 * kApply,
        [&] { applied.SendToSupply("OUT OFF"); }, [&] { applied.form.LoadSettings_Click(); }));
    return rows;
}

long OperationsBenchmark::QueryLinkBytes() {
    WindowOnBench& window = FreshSupplyWindow();
    window.bus.QueryDevice(window.form.Supply().SupplyDevice, "VPOS?");
    const std::size_t before = window.Driver().TraceLines().size();
    window.bus.QueryDevice(window.form.Supply().SupplyDevice, "VPOS?");
    return LinkBytes(window.Driver().TraceLines(), before);
}

std::vector<MeasuredOperation> OperationsBenchmark::Pauses() {
    WindowOnBench& window = FreshSupplyWindow();
    std::vector<MeasuredOperation> rows;
    rows.push_back(Row(
        "Pause(0.1), the pause inside a query", kQuery, [] {}, [&] { window.bus.Pause(0.1f); }));
    rows.push_back(Row(
        "Pause(1.0)", 1.0, [] {}, [&] { window.bus.Pause(1.0f); }));
    rows.push_back(Row(
        "the same second polling the clock", 1.0, [] {},
        [&] {
            // What a pause without a timer does: ask the time, deliver events, ask again.
            const double end = platform_.Seconds() + 1.0;
            while (platform_.Seconds() < end) platform_.ProcessEvents();
        }));
    return rows;
}

std::string Ratio(const MeasuredOperation& pause, const MeasuredOperation& polling) {
    if (pause.runs.empty() || polling.runs.empty()) return {};
    char text[160];
    const double ours = pause.MedianProcessor();
    const double loop = polling.MedianProcessor();
    std::snprintf(text, sizeof text,
                  "processor seconds per 1 s pause: %.4f (Pause), %.4f (polling loop), "
                  "%.0f times less\n",
                  ours, loop, ours > 0 ? loop / ours : 0.0);
    return text;
}

struct Way {
    Carrier carrier;
    const char* option;
    const char* name;
};
constexpr Way kWays[] = {
    {Carrier::BenchLibrary, "bench", "the bench library"},
    {Carrier::PrologixSerial, "serial",
     "the adapter library, an emulated Prologix GPIB-USB on a pseudo-terminal"},
    {Carrier::PrologixSerialLatency, "serial-16ms",
     "the adapter library, an emulated Prologix GPIB-USB on a pseudo-terminal, its USB serial "
     "chip's latency timer at 16 ms"},
    {Carrier::PrologixTcp, "tcp", "the adapter library, an emulated Prologix GPIB-ETHERNET on TCP"},
    {Carrier::Ar488Firmware, "ar488-firmware",
     "the adapter library, the AR488's own firmware on a simulated Uno, its serial line paced at "
     "115200 baud"},
};

// What the firmware runner said of its pace, one line per run: "simulated 5.123 s in 5.125 s
// of wall-clock time (ratio 0.999); ...; behind the wall clock 0 times, at most 0 ms".
std::string RunnerPace(const std::string& errors) {
    std::FILE* file = std::fopen(errors.c_str(), "r");
    if (!file) return {};
    int runs = 0;
    int behind = 0;
    double lowest = 1e9;
    double highest = 0;
    double worst = 0;
    char line[512];
    while (std::fgets(line, sizeof line, file)) {
        double simulated = 0;
        double wall = 0;
        double ratio = 0;
        const char* tail = std::strstr(line, "behind the wall clock ");
        if (std::sscanf(line,
                        "ar488-firmware: simulated %lf s in %lf s of wall-clock time (ratio %lf",
                        &simulated, &wall, &ratio) != 3 ||
            !tail) {
            continue;
        }
        int times = 0;
        double most = 0;
        std::sscanf(tail, "behind the wall clock %d times, at most %lf ms", &times, &most);
        ++runs;
        behind += times;
        lowest = std::min(lowest, ratio);
        highest = std::max(highest, ratio);
        worst = std::max(worst, most);
    }
    std::fclose(file);
    if (runs == 0) return {};
    char text[256];
    std::snprintf(text, sizeof text,
                  "The firmware's simulated time against the wall clock's, over its %d runs: ratio "
                  "%.3f to %.3f, behind %d times, at most %.0f ms.\n\n",
                  runs, lowest, highest, behind, worst);
    return text;
}

// 8 data bits, a start and a stop bit at 115200 baud.
double SerialSeconds(long bytes) {
    return static_cast<double>(bytes) * 10.0 / 115200.0;
}
}  // namespace

int main(int argc, char* argv[]) {
    // No display is needed: the window is drawn off screen, exactly as it would be on one.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;  // the user's own settings stay untouched
    AnsweringPlatform platform{SettingsStore(settings.path())};
    const std::string runsText = Argument(argc, argv, "--runs");
    const int runs = runsText.empty() ? 11 : std::max(1, std::atoi(runsText.c_str()));
    const std::string only = Argument(argc, argv, "--only");
    const std::string carrier = Argument(argc, argv, "--carrier");

    for (const Way& way : kWays) {
        if (!carrier.empty() && carrier != way.option) continue;
        if (way.carrier == Carrier::Ar488Firmware && !FirmwareRunnerBuilt()) {
            std::printf("Not through %s: its runner was not built here.\n\n", way.name);
            continue;
        }
        const std::string errors = settings.path().toStdString() + "/" + way.option + ".stderr";
        OperationsBenchmark benchmark(platform, runs, only, way.carrier, errors);
        const std::vector<MeasuredOperation> operations = benchmark.Operations();
        std::printf("Operations on a PS5010 at address 5 through %s, %d runs each:\n\n%s\n",
                    way.name, runs, OperationTable(operations).c_str());
        if (way.carrier == Carrier::BenchLibrary) {
            const std::vector<MeasuredOperation> pauses = benchmark.Pauses();
            std::printf("Pauses, %d runs each:\n\n%s\n%s\n", runs, OperationTable(pauses).c_str(),
                        Ratio(pauses[1], pauses[2]).c_str());
        } else {
            const long bytes = benchmark.QueryLinkBytes();
            std::printf(
                "One query puts %ld bytes on the link, both ways: %.2f ms on a serial line at "
                "115200 baud.\n\n",
                bytes, SerialSeconds(bytes) * 1e3);
        }
        if (way.carrier == Carrier::Ar488Firmware) std::printf("%s", RunnerPace(errors).c_str());
    }
    return 0;
}
