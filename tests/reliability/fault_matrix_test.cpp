// Every fault the bench can make, on every exchange of every flow that talks to the supply:
// the box it brings, both answers to it, and a run that ends, keeps to the bus's rules and
// leaves the store alone.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <functional>

#include "bus/gpib_error_text.h"
#include "form_on_bench.h"
#include "panel/entry_field.h"
#include "rules/supplies.h"
#include "trace_rules.h"

namespace {
using Strings = std::vector<std::string>;
// The most a single fault may add to a flow: one read waiting out its 3 s time-out.
constexpr double kLongestFaultCost = 3.0 + 1e-3;

// A flow of the window that talks to the supply, from a supply set up as it needs.
struct Flow {
    const char* name;
    const char* bus;
    const char* supplySettings;
    std::function<void(Form1&)> prepare;  // typing, options: no bus traffic
    std::function<void(Form1&)> run;
    Channel shownChannel;  // the channel whose texts the frame shows afterwards
    // What an earlier run left in the store, before the window is activated.
    std::vector<std::pair<std::string, std::string>> stored = {};
    bool activated = true;  // the first activation is done before the flow
    // The flow stores its values once this many messages are written; -1: it stores nothing.
    int storesAfter = -1;
    bool closes = false;  // the flow is the unload: nothing may reach the bus after it
};

void NoPreparation(Form1&) {}

const std::vector<Flow>& Flows() {
    static const std::vector<Flow> flows = {
        {"start-up",
         "5=PS5010",
         "VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5;OUT ON",
         NoPreparation,
         [](Form1& form) { form.Form_Activate(); },
         Channel::Plus,
         {},
         false},
        {"read-back", "5=HP6032A", "VSET 12.5;ISET 2;OUT 1", NoPreparation,
         [](Form1& form) { form.ReadBack(); }, Channel::Plus},
        {"Refresh", "5=PS5010", "VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5;OUT ON", NoPreparation,
         [](Form1& form) { form.Refresh->click(); }, Channel::Plus},
        {"Apply", "5=HP6032A", "OUT 1",
         [](Form1& form) {
             form.NewVoltage->setText("12.5");
             form.NewCurrent->setText("2");
         },
         [](Form1& form) { form.Apply->click(); }, Channel::Plus},
        {"toggle", "5=PS5004", "VOL 5",
         [](Form1& form) { form.Menu_ConfirmChange->setChecked(false); },
         [](Form1& form) { form.ToggleOutput->click(); }, Channel::Plus},
        {"Initialize", "5=PS5004", "VOL 5", NoPreparation,
         [](Form1& form) { form.Menu_InitPS->trigger(); }, Channel::Plus},
        {"save",
         "5=HP6032A",
         "VSET 12.5;ISET 2",
         NoPreparation,
         [](Form1& form) { form.Button_SaveSettings->click(); },
         Channel::Plus,
         {},
         true,
         3},
        {"load",
         "5=PS5004",
         "OUT ON",
         NoPreparation,
         [](Form1& form) { form.Button_LoadSavedSettings->click(); },
         Channel::Plus,
         {{"U", "5"}, {"I", "0.1"}, {"Saved Exist", "True"}}},
        {"unload",
         "5=PS5010",
         "VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5",
         NoPreparation,
         [](Form1& form) { form.close(); },
         Channel::Plus,
         {{"Save settings at Exit", "True"}},
         true,
         6,
         true},
    };
    return flows;
}

enum class FaultKind { RefusedWrite, Unplugged, SpoiledAnswer };

struct Fault {
    const char* name;
    FaultKind kind;
    int iberr = 0;  // of a refused write
    bench::AnswerFault answer = bench::AnswerFault::Empty;
    const char* benchItem = "";  // the same fault as GPIB_BENCH puts it, %d the write
};

const std::vector<Fault>& Faults() {
    using bench::AnswerFault;
    static const std::vector<Fault> faults = {
        {"write refused ENOL", FaultKind::RefusedWrite, 2, {}, "refuse=5@%d:2"},
        {"write refused EBUS", FaultKind::RefusedWrite, 14, {}, "refuse=5@%d:14"},
        {"write refused code 13", FaultKind::RefusedWrite, 13, {}, "refuse=5@%d:13"},
        {"unplugged", FaultKind::Unplugged, 2, {}, "unplug=5@%d"},
        {"read time-out", FaultKind::SpoiledAnswer, 0, AnswerFault::TimeOut, "spoil=5@%d:timeout"},
        {"ERR without TIMO or END", FaultKind::SpoiledAnswer, 0, AnswerFault::ErrorWithoutEnd,
         "spoil=5@%d:noend"},
        {"answer never ends", FaultKind::SpoiledAnswer, 0, AnswerFault::NeverEnds,
         "spoil=5@%d:endless"},
        {"empty answer", FaultKind::SpoiledAnswer, 0, AnswerFault::Empty, "spoil=5@%d:empty"},
        {"truncated answer", FaultKind::SpoiledAnswer, 0, AnswerFault::Truncated,
         "spoil=5@%d:truncated"},
        {"garbage answer", FaultKind::SpoiledAnswer, 0, AnswerFault::Garbage, "spoil=5@%d:garbage"},
        {"NUL-filled answer", FaultKind::SpoiledAnswer, 0, AnswerFault::Nuls, "spoil=5@%d:nuls"},
        {"lower-case answer", FaultKind::SpoiledAnswer, 0, AnswerFault::LowerCase,
         "spoil=5@%d:lower"},
    };
    return faults;
}

bool FailsTheRead(const Fault& fault) {
    using bench::AnswerFault;
    return fault.kind == FaultKind::SpoiledAnswer &&
           (fault.answer == AnswerFault::TimeOut || fault.answer == AnswerFault::ErrorWithoutEnd ||
            fault.answer == AnswerFault::NeverEnds);
}

struct ExpectedBox {
    std::string title;
    std::string text;
    BoxIcon icon;
    BoxButtons buttons;
};

ExpectedBox GpibErrorBox(int iberr) {
    return {"GPIB ERROR # " + std::to_string(iberr),
            GpibErrorText(iberr) + "\nSelect OK to continue or Cancel to terminate program.",
            BoxIcon::Exclamation, BoxButtons::OkCancel};
}

const ExpectedBox kReadFailedBox{"I/O Error", "Read cycle failed\nOperation aborted.",
                                 BoxIcon::Exclamation, BoxButtons::Ok};

// What a fault on the `exchange`-th message of a flow brings when every box is answered OK:
// the boxes in order, and for each the number of messages written when it came up.
struct Outcome {
    std::vector<ExpectedBox> boxes;
    std::vector<std::size_t> writtenAtBox;

    void Add(const ExpectedBox& box, std::size_t written) {
        boxes.push_back(box);
        writtenAtBox.push_back(written);
    }
    // The first box that offers Cancel, if any.
    std::optional<std::size_t> FirstCancellable() const {
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].buttons == BoxButtons::OkCancel) return i;
        return std::nullopt;
    }
};

Outcome OutcomeOf(const Fault& fault, const Strings& written, std::size_t exchange) {
    Outcome outcome;
    const bool query = written[exchange - 1].ends_with('?');
    switch (fault.kind) {
        case FaultKind::RefusedWrite:
            outcome.Add(GpibErrorBox(fault.iberr), exchange);
            break;
        case FaultKind::Unplugged:
            // Gone right after this message: its answer never comes, and each later write fails.
            if (query) outcome.Add(kReadFailedBox, exchange);
            for (std::size_t later = exchange + 1; later <= written.size(); ++later)
                outcome.Add(GpibErrorBox(2), later);
            break;
        case FaultKind::SpoiledAnswer:
            if (FailsTheRead(fault) && query) outcome.Add(kReadFailedBox, exchange);
            break;
    }
    return outcome;
}

void Inject(bench::Bench& bench, const Fault& fault, int exchange) {
    switch (fault.kind) {
        case FaultKind::RefusedWrite:
            bench.RefuseWrite(kSupplyPad, exchange, fault.iberr);
            break;
        case FaultKind::Unplugged:
            bench.UnplugAfter(kSupplyPad, exchange);
            break;
        case FaultKind::SpoiledAnswer:
            bench.SpoilAnswer(kSupplyPad, exchange, fault.answer);
            break;
    }
}

// A flow's run on a fresh window; an immediate end is caught here and recorded by the platform.
struct FlowRun {
    explicit FlowRun(const Flow& flow) : f(flow.bus) {
        for (const auto& [key, text] : flow.stored) f.Store(key, text);
        if (flow.activated) f.Activate();
        f.SetUpSupply(flow.supplySettings);
        flow.prepare(f.form);
        start = f.rig.Now();
    }
    void Run(const Flow& flow) {
        try {
            flow.run(f.form);
        } catch (const ImmediateEnd&) {
        }
    }
    FormOnBench f;
    double start = 0;
};

using Store = std::map<std::string, std::string>;

// The names of what the store holds, without the values.
Strings KeysOf(const Store& store) {
    Strings keys;
    for (const auto& entry : store) keys.push_back(entry.first);
    return keys;
}

struct CleanRun {
    Strings written;
    double seconds;
    Strings storedKeys;
};

const CleanRun& CleanRunOf(int flowIndex) {
    static std::map<int, CleanRun> runs;
    if (!runs.contains(flowIndex)) {
        const Flow& flow = Flows()[flowIndex];
        FlowRun run(flow);
        run.Run(flow);
        runs[flowIndex] = {run.f.Written(), run.f.rig.Now() - run.start,
                           KeysOf(run.f.rig.platform.Store())};
    }
    return runs[flowIndex];
}

// Faults injected and survived by flow, for the reliability figures.
struct Tally {
    long injected = 0;
    long survived = 0;
};
std::map<std::string, Tally> tallies;
std::string rowFlow;  // the flow of the row that runs, if it injects a fault
constexpr const char* kIdentification = "identification";

}  // namespace

class FaultMatrixTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        if (!rowFlow.empty() && !QTest::currentTestFailed()) ++tallies[rowFlow].survived;
        rowFlow.clear();
    }
    // The figures the reliability report quotes, one line per flow.
    void cleanupTestCase() {
        std::vector<std::string> names;
        for (const Flow& flow : Flows()) names.push_back(flow.name);
        names.push_back(kIdentification);
        for (const std::string& name : names) {
            const Tally& tally = tallies[name];
            qInfo("fault matrix: %s: %ld injected, %ld survived", name.c_str(), tally.injected,
                  tally.survived);
        }
    }

    // What each flow writes without a fault, by its name.
    void cleanFlowsWriteWhatTheyShould() {
        const std::map<std::string, Strings> expected = {
            {"start-up", {"OUT OFF", "VNEG?", "INEG?", "FSOUT?", "VPOS?", "IPOS?", "FSOUT?"}},
            {"read-back", {"VSET?", "ISET?", "OUT?"}},
            {"Refresh", {"VNEG?", "INEG?", "FSOUT?", "VPOS?", "IPOS?", "FSOUT?"}},
            {"Apply", {"OUT?", "OUT OFF", "VSET 12.5", "ISET 2", "VSET?", "ISET?", "OUT?"}},
            {"toggle", {"OUT ON", "OUT?"}},
            {"Initialize", {"INIT", "VOL?", "CUR?", "OUT?"}},
            {"save", {"VSET?", "ISET?", "OUT?"}},
            {"load", {"OUT?", "OUT OFF", "VOL 5", "CUR 0.1", "VOL?", "CUR?", "OUT?"}},
            {"unload", {"VNEG?", "INEG?", "FSOUT?", "VPOS?", "IPOS?", "FSOUT?", "OUT OFF"}},
        };
        for (int flow = 0; flow < static_cast<int>(Flows().size()); ++flow)
            QCOMPARE(CleanRunOf(flow).written, expected.at(Flows()[flow].name));
    }

    void everyFaultOnEveryExchange_data() {
        QTest::addColumn<int>("flow");
        QTest::addColumn<int>("exchange");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("cancel");
        for (int flow = 0; flow < static_cast<int>(Flows().size()); ++flow) {
            const Strings& written = CleanRunOf(flow).written;
            for (int exchange = 1; exchange <= static_cast<int>(written.size()); ++exchange) {
                for (int fault = 0; fault < static_cast<int>(Faults().size()); ++fault) {
                    const bool offersCancel = OutcomeOf(Faults()[fault], written, exchange)
                                                  .FirstCancellable()
                                                  .has_value();
                    for (bool cancel : {false, true}) {
                        if (cancel && !offersCancel) continue;
                        QTest::addRow("%s, %s (%d), %s, %s", Flows()[flow].name,
                                      written[exchange - 1].c_str(), exchange, Faults()[fault].name,
                                      cancel ? "Cancel" : "OK")
                            << flow << exchange << fault << cancel;
                    }
                }
            }
        }
    }
    void everyFaultOnEveryExchange() {
        QFETCH(int, flow);
        QFETCH(int, exchange);
        QFETCH(int, fault);
        QFETCH(bool, cancel);
        const Flow& theFlow = Flows()[flow];
        const Fault& theFault = Faults()[fault];
        rowFlow = theFlow.name;
        ++tallies[rowFlow].injected;
        const CleanRun& clean = CleanRunOf(flow);
        Outcome expected = OutcomeOf(theFault, clean.written, exchange);
        const std::optional<std::size_t> cancelled = expected.FirstCancellable();
        if (cancel) {
            // Cancel ends the program at once: no box, no message after that one.
            expected.boxes.resize(*cancelled + 1);
            expected.writtenAtBox.resize(*cancelled + 1);
        }

        FlowRun run(theFlow);
        ScriptedPlatform& platform = run.f.rig.platform;
        const auto storeBefore = platform.Store();
        std::size_t traceAtCancel = 0;
        std::vector<std::size_t> writtenAtBox;
        platform.onBox = [&](const ShownBox& box) {
            writtenAtBox.push_back(run.f.Written().size());
            if (box.buttons != BoxButtons::OkCancel || !cancel) return box.answer;
            traceAtCancel = run.f.rig.Bench().TraceLines().size();
            return BoxAnswer::Cancel;
        };
        Inject(run.f.rig.Bench(), theFault, exchange);
        run.Run(theFlow);

        const std::vector<ShownBox>& boxes = platform.Boxes();
        QCOMPARE(boxes.size(), expected.boxes.size());
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            QCOMPARE(boxes[i].title, expected.boxes[i].title);
            QCOMPARE(boxes[i].text, expected.boxes[i].text);
            QCOMPARE(boxes[i].icon, expected.boxes[i].icon);
            QCOMPARE(boxes[i].buttons, expected.boxes[i].buttons);
        }
        QCOMPARE(writtenAtBox, expected.writtenAtBox);
        if (cancel) {
            QVERIFY(platform.Ended());
            QCOMPARE(run.f.rig.Bench().TraceLines().size(), traceAtCancel);
            const Strings upToCancel(clean.written.begin(),
                                     clean.written.begin() + expected.writtenAtBox.back());
            QCOMPARE(run.f.Written(), upToCancel);
        } else {
            // OK carries on: the flow sends what it sends without the fault, no more, no less.
            QVERIFY(!platform.Ended());
            QCOMPARE(run.f.Written(), clean.written);
            // What is shown is what is cached for that channel.
            QCOMPARE(run.f.form.ActualVoltage->text(),
                     run.f.form.ActualText[theFlow.shownChannel].voltage);
            QCOMPARE(run.f.form.ActualCurrent->text(),
                     run.f.form.ActualText[theFlow.shownChannel].current);
        }
        QVERIFY(run.f.rig.Now() - run.start <= clean.seconds + kLongestFaultCost);
        QCOMPARE(QString::fromStdString(FirstBrokenRule(run.f.rig.Calls())), QString());
        // Only a flow that stores writes the store, and only when it gets that far: a Cancel
        // on one of the messages before ends it first.
        const bool stores =
            theFlow.storesAfter >= 0 &&
            (!cancel || expected.writtenAtBox.back() > std::size_t(theFlow.storesAfter));
        if (stores) {
            QCOMPARE(KeysOf(platform.Store()), clean.storedKeys);
        } else {
            QVERIFY(platform.Store() == storeBefore);
        }
        if (theFlow.closes && !cancel) {
            // After the unload nothing more reaches the bus, whatever is clicked.
            const std::size_t traceAfterUnload = run.f.rig.Bench().TraceLines().size();
            run.f.form.Refresh->click();
            run.f.form.ToggleOutput->click();
            run.f.form.Menu_InitPS->trigger();
            QCOMPARE(run.f.rig.Bench().TraceLines().size(), traceAfterUnload);
        }
    }

    // The identification's "ID?" to the supply, under each fault put by GPIB_BENCH on the write
    // of that model's try: only the lower-case answer still names the supply; nothing is told
    // at load (the tries are silent), and each try costs at most its 1 s time-out.
    void identificationUnderEveryFault_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<int>("model");
        struct Supply {
            const char* kind;
            int model;
            int write;  // the try that asks for it: PS5010 first, HP 6032A last
        };
        for (const Supply& supply : {Supply{"PS5010", kPs5010, 1}, Supply{"PS5004", kPs5004, 2},
                                     Supply{"HP6032A", kHp6032A, 3}}) {
            for (const Fault& fault : Faults()) {
                const bool found = fault.answer == bench::AnswerFault::LowerCase;
                QTest::addRow("%s, %s", supply.kind, fault.name)
                    << QString::asprintf("5=%s;", supply.kind) +
                           QString::asprintf(fault.benchItem, supply.write)
                    << (found ? supply.model : int(kNoModel));
            }
        }
    }
    void identificationUnderEveryFault() {
        QFETCH(QString, bus);
        QFETCH(int, model);
        rowFlow = kIdentification;
        ++tallies[rowFlow].injected;
        FormOnBench f(bus.toStdString());
        QCOMPARE(int(f.form.Supply().ModelCode), model);
        QVERIFY(f.rig.platform.Boxes().empty());
        QVERIFY(f.rig.Now() <= 3 * 1.0 + 1e-3);
        // The load's own trace, which the window forgets once loaded.
        QCOMPARE(QString::fromStdString(FirstBrokenRule(f.rig.Bench().TraceLines())), QString());
    }
};

QTEST_MAIN(FaultMatrixTest)
#include "fault_matrix_test.moc"
