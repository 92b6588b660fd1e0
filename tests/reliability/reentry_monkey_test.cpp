// An impatient user: random clicks, keys and menu commands, the close box and Exit included,
// fired whenever window events are delivered (the query pauses, the 1 s pauses, the boxes),
// on a bench that now and then fails, for thousands of virtual seconds, from the first
// activation to the unload. Seeded, so a failing seed replays exactly. The bench's trace must
// keep the bus's rules throughout.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <functional>
#include <random>

#include "about/about_form.h"
#include "about/link_label.h"
#include "form_on_bench.h"
#include "panel/entry_field.h"
#include "trace_rules.h"

namespace {
constexpr double kSecondsPerSeed = 1000.0;
constexpr double kSecondsPerRun = 120.0;  // a run is one start of the program
constexpr int kActionsPerRun = 2000;      // typing costs no time: a run ends either way

const char* const kBuses[] = {"5=PS5010", "5=PS5004", "5=HP6032A"};

struct Figures {
    long events = 0;
    long boxes = 0;
    long aboutDialogs = 0;
    long runs = 0;
    long traceLinesChecked = 0;
    double seconds = 0;
};
Figures totals;

class Monkey {
public:
    Monkey(std::mt19937& random, FormOnBench& f) : random_(random), f_(f) {
        f_.rig.platform.onEvents = [this] {
            if (Chance(0.5)) Act();
        };
        f_.rig.platform.onBox = [this](const ShownBox& box) { return Answer(box); };
    }

    // One user event; nested only one level deep, as a hand has only so many fingers.
    void Act() {
        if (depth_ > 1 || (closed_ && !afterClose_)) return;
        ++depth_;
        ++totals.events;
        Fire(Chance(kCloseChance) ? Pick(kEnds) : Pick(kEvents));
        --depth_;
    }

    bool Closed() const { return closed_; }
    // Clicks and keys that still reach a window that has been closed.
    void KeepOnClicking() {
        afterClose_ = true;
        for (int i = 0; i < 20; ++i) Act();
    }
    // The length of the trace when the user chose Cancel, which ends the program at once.
    std::size_t TraceAtCancel() const { return traceAtCancel_; }

private:
    enum Event {
        Refresh,
        Apply,
        EnterKey,
        SpaceKey,
        Digit,
        Point,
        Backspace,
        Plus,
        Minus,
        Toggle,
        MenuInit,
        MenuSave,
        MenuLoad,
        MenuOption,
        MenuAbout,
        DoubleClick,
        Exit,
        CloseBox
    };
    static constexpr Event kEvents[] = {
        Refresh, Apply, EnterKey, SpaceKey, Digit,    Digit,    Digit,      Point,     Backspace,
        Plus,    Minus, Toggle,   MenuInit, MenuSave, MenuLoad, MenuOption, MenuAbout, DoubleClick};
    static constexpr Event kEnds[] = {Exit, CloseBox};
    // A close ends the run; rarely, so that a run lasts long enough to meet pauses and boxes.
    static constexpr double kCloseChance = 0.01;

    bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }
    template <typename T, std::size_t N>
    T Pick(const T (&items)[N]) {
        return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(random_)];
    }
    EntryField* Field() { return Chance(0.5) ? f_.form.NewVoltage : f_.form.NewCurrent; }

    void Fire(Event event) {
        Form1& form = f_.form;
        switch (event) {
            case Refresh:
                form.Refresh->click();
                break;
            case Apply:
                form.Apply->click();
                break;
            case EnterKey:
                QTest::keyClick(Field(), Qt::Key_Return);
                break;
            case SpaceKey:
                QTest::keyClick(Field(), Qt::Key_Space);
                break;
            case Digit:
                QTest::keyClick(Field(), char('0' + std::uniform_int_distribution(0, 9)(random_)));
                break;
            case Point:
                QTest::keyClick(Field(), '.');
                break;
            case Backspace:
                QTest::keyClick(Field(), Qt::Key_Backspace);
                break;
            case Plus:
                form.Polarity[0]->click();
                break;
            case Minus:
                form.Polarity[1]->click();
                break;
            case Toggle:
                form.ToggleOutput->click();
                break;
            case MenuInit:
                form.Menu_InitPS->trigger();
                break;
            case MenuSave:
                form.Menu_SaveSettings->trigger();
                break;
            case MenuLoad:
                form.Menu_LoadSaved->trigger();
                break;
            case MenuOption: {
                QAction* const options[] = {form.Menu_StartSaved, form.Menu_SaveAtExit,
                                            form.Menu_TurnOffOutput, form.Menu_TurnOffAtChange,
                                            form.Menu_ConfirmChange};
                Pick(options)->trigger();
                break;
            }
            case MenuAbout:
                WhenAboutOpens();
                form.Menu_About->trigger();
                break;
            case DoubleClick:
                form.EntryField_DblClick(Field());
                break;
            case Exit:
                closed_ = true;
                form.Menu_Exit->trigger();
                break;
            case CloseBox:
                closed_ = true;
                form.close();
                break;
        }
    }

    // The modal About dialog takes the hand while it is up: a few of its own clicks and keys,
    // then Esc, Enter or Close, whichever comes first.
    void WhenAboutOpens() {
        QTimer::singleShot(0, [this] {
            auto* about = qobject_cast<AboutForm*>(QApplication::activeModalWidget());
            if (!about) return;
            ++totals.aboutDialogs;
            while (about->isVisible()) {
                ++totals.events;
                switch (std::uniform_int_distribution(0, 4)(random_)) {
                    case 0:
                        about->Button_CheckUpdate->click();
                        break;
                    case 1:
                        QTest::mouseClick(about->Label_Email, Qt::LeftButton);
                        break;
                    case 2:
                        QTest::keyClick(about, Qt::Key_Escape);
                        break;
                    case 3:
                        QTest::keyClick(about, Qt::Key_Return);
                        break;
                    default:
                        about->Button_Close->click();
                        break;
                }
            }
        });
    }

    // Events go on while a box is up; then a random button of the box.
    BoxAnswer Answer(const ShownBox& box) {
        ++totals.boxes;
        if (Chance(0.3)) Act();
        switch (box.buttons) {
            case BoxButtons::YesNo:
                return Chance(0.5) ? BoxAnswer::Yes : BoxAnswer::No;
            case BoxButtons::OkCancel:
                if (Chance(0.9)) return BoxAnswer::Ok;
                traceAtCancel_ = f_.rig.Bench().TraceLines().size();
                return BoxAnswer::Cancel;
            default:
                return BoxAnswer::Ok;
        }
    }

    std::mt19937& random_;
    FormOnBench& f_;
    int depth_ = 0;
    bool closed_ = false;
    bool afterClose_ = false;
    std::size_t traceAtCancel_ = 0;
};

// Now and then the supply refuses a write, spoils an answer or is unplugged.
void MaybeInjectFault(std::mt19937& random, bench::Bench& bench) {
    const int nth = std::uniform_int_distribution(1, 400)(random);
    switch (std::uniform_int_distribution(0, 5)(random)) {
        case 0:
            bench.RefuseWrite(kSupplyPad, nth, std::uniform_int_distribution(0, 25)(random));
            break;
        case 1:
            bench.SpoilAnswer(
                kSupplyPad, nth,
                static_cast<bench::AnswerFault>(std::uniform_int_distribution(0, 7)(random)));
            break;
        case 2:
            bench.UnplugAfter(kSupplyPad, nth);
            break;
        default:
            break;  // most runs meet a healthy supply
    }
}
}  // namespace

class ReentryMonkeyTest : public QObject {
    Q_OBJECT

private slots:
    void theBusKeepsItsRulesWhateverTheUserDoes_data() {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) QTest::addRow("seed %u", seed) << seed;
    }
    void theBusKeepsItsRulesWhateverTheUserDoes() {
        QFETCH(unsigned, seed);
        std::mt19937 random(seed);
        double seconds = 0;
        while (seconds < kSecondsPerSeed) {
            FormOnBench f(kBuses[std::uniform_int_distribution(0, 2)(random)]);
            MaybeInjectFault(random, f.rig.Bench());
            Monkey monkey(random, f);
            const double start = f.rig.Now();
            try {
                f.form.Form_Activate();
                for (int action = 0; action < kActionsPerRun && !monkey.Closed() &&
                                     f.rig.Now() - start < kSecondsPerRun;
                     ++action) {
                    monkey.Act();
                }
            } catch (const ImmediateEnd&) {
            }
            const std::vector<std::string> calls = f.rig.Calls();
            const std::string broken = FirstBrokenRule(calls);
            if (!broken.empty()) qInfo("seed %u, run %ld: %s", seed, totals.runs, broken.c_str());
            QCOMPARE(QString::fromStdString(broken), QString());
            // Cancel ends the program at once: nothing reaches the bus after it.
            if (f.rig.platform.Ended())
                QCOMPARE(f.rig.Bench().TraceLines().size(), monkey.TraceAtCancel());
            if (monkey.Closed() && !f.rig.platform.Ended()) {
                // The unload has run: nothing more reaches the bus, whatever comes.
                const std::size_t afterUnload = f.rig.Bench().TraceLines().size();
                try {
                    monkey.KeepOnClicking();
                } catch (const ImmediateEnd&) {
                }
                QCOMPARE(f.rig.Bench().TraceLines().size(), afterUnload);
            }
            seconds += f.rig.Now() - start;
            totals.traceLinesChecked += static_cast<long>(calls.size());
            ++totals.runs;
        }
        totals.seconds += seconds;
    }

    // The figures the reliability report quotes.
    void cleanupTestCase() {
        qInfo(
            "monkey: %ld events, %ld boxes answered, %ld About dialogs, %ld runs, %.0f virtual "
            "seconds, %ld trace lines checked",
            totals.events, totals.boxes, totals.aboutDialogs, totals.runs, totals.seconds,
            totals.traceLinesChecked);
    }
};

QTEST_MAIN(ReentryMonkeyTest)
#include "reentry_monkey_test.moc"
