// A model added as one row of the model table works everywhere: pulvar-cli's commands and the
// window identify it, read it back, apply within its limits and refuse beyond them.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <sstream>
#include <vector>

#include "about/about_form.h"
#include "bench_rig.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "form_on_bench.h"
#include "panel/entry_field.h"
#include "panel/form1.h"

namespace {
using Strings = std::vector<std::string>;

constexpr int kPad = 5;

// A supply no one makes: two outputs with words of their own, answers laid out as the
// HP 6032A's, limits of its own and a current limit that follows the voltage, no initialise
// command.
const SupplyModel kMadeUpModel = {
    .ModelCode = 4,
    .ModelName = "XP 4020",
    .searchName = "Acme XP 4020",
    .idQuery = "ID?",
    .idExpected = "!XP4020",
    .MaxVoltage = 40.0f,
    .MinCurrent = 0.1f,
    .currentCeiling = CurrentCeiling{20.0f, 2.0f, 1.0f},
    .channels = {ChannelFacts{{"VA ", "IA "}, {"UA", "IA", "1", "0.5"}},
                 ChannelFacts{{"VB ", "IB "}, {"UB", "IB", "2", "0.5"}}},
    .voltageAnswer = {4, false, 2.2f},
    .currentAnswer = {4, false, 2.2f},
    .outputAnswer = {"OUT?", 5, false, true},
    .hasInitCommand = false,
};

// The shipped models, still searched first, and the made-up one after them.
std::vector<SupplyModel> ModelsWithMadeUp() {
    std::vector<SupplyModel> models(kSupplyModels.begin(), kSupplyModels.end());
    models.push_back(kMadeUpModel);
    return models;
}

// The bench's scripted instrument plays the made-up supply: "+" at 12.5 V and 0.75 A, "-" at
// 3 V and 0.5 A, the output on.
bench::ScriptedInstrument& PlayMadeUpSupply(BenchRig& rig) {
    bench::ScriptedInstrument& supply = rig.AttachScripted(kPad);
    supply.AnswerTo("ID?", "XP4020,V1.0\r\n");
    supply.AnswerTo("VA?", "VA 12.50\r\n");
    supply.AnswerTo("IA?", "IA  0.75\r\n");
    supply.AnswerTo("VB?", "VB  3.00\r\n");
    supply.AnswerTo("IB?", "IB  0.50\r\n");
    supply.AnswerTo("OUT?", "OUT 1\r\n");
    return supply;
}

// What the supply heard from the `from`-th message on.
Strings HeardSince(const bench::ScriptedInstrument& supply, std::size_t from) {
    const Strings& heard = supply.Received();
    return {heard.begin() + static_cast<std::ptrdiff_t>(from), heard.end()};
}

// pulvar-cli's command code, in process, on the supply found among the models.
struct CliOnMadeUpSupply {
    CliOnMadeUpSupply()
        : rig("5=SILENT"),
          supply(PlayMadeUpSupply(rig)),
          link{rig.platform, rig.bus, SetUpBusAndIdentify(rig.bus, models)},
          identified(supply.Received().size()) {}

    // Runs the command line; what it printed, and its exit status.
    std::pair<std::string, int> Run(const QStringList& arguments) {
        const ParsedCommandLine line = ParseCommandLine(QStringList{"pulvar-cli"} + arguments);
        std::ostringstream out;
        const int status = RunCommand(line.request, link, out);
        return {out.str(), status};
    }
    Strings Heard() const { return HeardSince(supply, identified); }

    std::vector<SupplyModel> models = ModelsWithMadeUp();
    BenchRig rig;
    bench::ScriptedInstrument& supply;
    SupplyLink link;
    std::size_t identified;  // the messages of the identification
};

// The main window loaded on the supply found among the models.
struct WindowOnMadeUpSupply {
    WindowOnMadeUpSupply() : rig("5=SILENT"), supply(PlayMadeUpSupply(rig)) {
        form.Form_Load(models);
    }
    // What the supply hears while `act` runs.
    template <typename Act>
    Strings HeardDuring(Act act) {
        const std::size_t before = supply.Received().size();
        act();
        return HeardSince(supply, before);
    }

    std::vector<SupplyModel> models = ModelsWithMadeUp();
    BenchRig rig;
    bench::ScriptedInstrument& supply;
    Form1 form{rig.platform, rig.bus};
};
}  // namespace

class MadeUpModelTest : public QObject {
    Q_OBJECT

private slots:
    // The shipped models are tried first, in their order, each with its own query; the made-up
    // one, last, names the supply.
    void identificationTriesTheShippedModelsFirst() {
        CliOnMadeUpSupply cli;
        QCOMPARE(cli.supply.Received(), (Strings{"ID?", "ID?", "ID?", "ID?"}));
        // The HP 6032A's try alone sends no device clear.
        QCOMPARE(cli.supply.DeviceClears(), 3);
        QCOMPARE(cli.Run({"identify"}), std::make_pair(std::string("XP 4020 at GPIB address 5\n"),
                                                       int{ExitStatus::kDone}));
    }

    void cliReadsEitherOutputBack() {
        CliOnMadeUpSupply cli;
        QCOMPARE(cli.Run({"read"}),
                 std::make_pair(std::string("12.50 V  0.75 A  ON\n"), int{ExitStatus::kDone}));
        QCOMPARE(cli.Run({"read", "--output", "-"}),
                 std::make_pair(std::string("3.00 V  0.50 A  ON\n"), int{ExitStatus::kDone}));
        QCOMPARE(cli.Heard(), (Strings{"VA?", "IA?", "OUT?", "VB?", "IB?", "OUT?"}));
    }

    void cliAppliesWithinTheLimits_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("+ at 20 V, 2 A") << QStringList{"set", "--voltage", "20", "--current", "2"}
                                        << QStringList{"VA 20", "IA 2"};
        QTest::newRow("- at 40 V, 0.1 A")
            << QStringList{"set", "--output", "-", "--voltage", "40", "--current", "0.1"}
            << QStringList{"VB 40", "IB 0.1"};
        QTest::newRow("clamped to 1 A above 20 V")
            << QStringList{"set", "--voltage", "25", "--current", "1.5", "--clamp"}
            << QStringList{"VA 25", "IA  1.000"};
    }
    void cliAppliesWithinTheLimits() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, commands);
        CliOnMadeUpSupply cli;
        QCOMPARE(cli.Run(arguments).second, int{ExitStatus::kDone});
        // The set commands, then the read-back.
        Strings sent = cli.Heard();
        sent.resize(static_cast<std::size_t>(commands.size()));
        QCOMPARE(sent, ToStrings(commands));
        QVERIFY(cli.rig.platform.Boxes().empty());
    }

    void cliRefusesBeyondTheLimits_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("secondLine");
        QTest::newRow("41 V") << QStringList{"set", "--voltage", "41"} << "Voltage Error"
                              << "Must be less than 40 V.";
        QTest::newRow("0.05 A") << QStringList{"set", "--current", "0.05"} << "Current Error"
                                << "Must be more than 0.1 A.";
        QTest::newRow("2.1 A at 20 V")
            << QStringList{"set", "--voltage", "20", "--current", "2.1"} << "Current Error"
            << "Must be less than 2.000 A";
        QTest::newRow("1.5 A above 20 V")
            << QStringList{"set", "--output", "-", "--voltage", "20.01", "--current", "1.5"}
            << "Current Error"
            << "Must be less than 1.000 A";
    }
    void cliRefusesBeyondTheLimits() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, title);
        QFETCH(QString, secondLine);
        CliOnMadeUpSupply cli;
        QCOMPARE(cli.Run(arguments).second, int{ExitStatus::kValueRefused});
        // Queries for what the checks need, no command.
        for (const std::string& heard : cli.Heard()) QCOMPARE(heard.back(), '?');
        QCOMPARE(cli.rig.platform.Boxes().size(), std::size_t(1));
        const ShownBox& box = cli.rig.platform.Boxes().front();
        QCOMPARE(QString::fromStdString(box.title), title);
        QCOMPARE(QString::fromStdString(box.text).split(u'\n').value(1), secondLine);
    }

    void noSupplyBoxNamesEveryModel() {
        BenchRig rig("5=DM5010");
        const std::vector<SupplyModel> models = ModelsWithMadeUp();
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, EndForMissingSupply(rig.platform, models));
        QCOMPARE(rig.platform.Boxes().front().text,
                 std::string("No supported power supply (Tek PS5010 or Tek PS5004 or HP 6032A or "
                             "Acme XP 4020) found on the bus !\n\nProgram will terminate."));
    }

    void windowAdaptsToTheModel() {
        WindowOnMadeUpSupply w;
        QCOMPARE(w.form.windowTitle(), QStringLiteral("Pulvar XP 4020, v1.51 / ZQ"));
        QVERIFY(w.form.Polarity[0]->isVisibleTo(&w.form));
        QVERIFY(w.form.Polarity[1]->isVisibleTo(&w.form));
        QVERIFY(!w.form.Menu_InitPS->isEnabled());
        const Strings start = w.HeardDuring([&] { w.form.Form_Activate(); });
        QCOMPARE(start, (Strings{"OUT OFF", "VB?", "IB?", "OUT?", "VA?", "IA?", "OUT?"}));
        QCOMPARE(w.form.Menu_InitPS->text(), QStringLiteral("Initialize XP 4020"));
        QCOMPARE(w.form.ActualText[Channel::Minus].voltage, QStringLiteral("3.00"));
        QCOMPARE(w.form.ActualText[Channel::Plus].voltage, QStringLiteral("12.50"));
        QCOMPARE(w.form.ActualCurrent->text(), QStringLiteral("0.75"));
        QCOMPARE(w.form.ActualOutput->text(), QStringLiteral("ON"));
    }

    void windowAppliesToTheChosenOutputWithinTheLimits() {
        WindowOnMadeUpSupply w;
        w.form.Form_Activate();
        w.form.Polarity[1]->click();
        w.form.NewVoltage->setText("25");
        w.form.NewCurrent->setText("0.9");
        const Strings applied = w.HeardDuring([&] { w.form.Apply->click(); });
        QCOMPARE(applied, (Strings{"OUT?", "OUT OFF", "VB 25", "IB 0.9", "VB?", "IB?", "OUT?"}));
        QVERIFY(w.rig.platform.Boxes().empty());
    }

    void windowRefusesBeyondTheLimits() {
        WindowOnMadeUpSupply w;
        w.form.Form_Activate();
        w.rig.platform.QueueAnswer(BoxAnswer::No);
        w.form.NewVoltage->setText("25");
        w.form.NewCurrent->setText("1.5");
        QVERIFY(w.HeardDuring([&] { w.form.Apply->click(); }).empty());
        QCOMPARE(w.rig.platform.Boxes().back().title, std::string("Current Error"));
        QVERIFY(w.form.NewCurrent->text().isEmpty());
    }

    void windowStoresEachOutputUnderItsKeys() {
        WindowOnMadeUpSupply w;
        w.form.Form_Activate();
        w.form.Button_SaveSettings->click();
        for (const auto& [key, text] : {std::pair{"UA", "12.50"}, std::pair{"IA", "0.75"},
                                        std::pair{"UB", "3.00"}, std::pair{"IB", "0.50"}})
            QCOMPARE(w.rig.platform.ReadSetting("Pulvar", "Settings\\XP 4020", key, "-"),
                     std::string(text));
    }

    void aboutShowsTheLimitsFollowingTheVoltage() {
        WindowOnMadeUpSupply w;
        AboutForm about(w.rig.platform, w.rig.bus, w.form.Supply());
        QCOMPARE(about.Label_Description->text(),
                 QStringList({"Connected to XP 4020 at GPIB address 5", "", "Max Voltage: 40 V",
                              "Min Current: 0.1 A", "Max Current at 20 V or less: 2 A",
                              "Max Current above 20 V: 1 A"})
                     .join(u'\n'));
    }
};

QTEST_MAIN(MadeUpModelTest)
#include "made_up_model_test.moc"
