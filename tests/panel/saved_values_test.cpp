// Storing the values of every channel per model, and loading and applying them.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "form_on_bench.h"
#include "panel/entry_field.h"

namespace {

using Strings = std::vector<std::string>;

bool LoadControlsEnabled(const Form1& form) {
    return form.Menu_LoadSaved->isEnabled() && form.Menu_StartSaved->isEnabled() &&
           form.Button_LoadSavedSettings->isEnabled();
}

}  // namespace

class SavedValues : public QObject {
    Q_OBJECT

private slots:
    // The first save of a run enables loading at once; loading clears the supply first, then
    // applies what was stored through Apply itself.
    void saveThenLoadInOneRun() {
        FormOnBench bench("5=PS5004");
        bench.Activate();
        QVERIFY(!LoadControlsEnabled(bench.form));
        bench.SetUpSupply("VOL 5.5;CUR 0.1");
        bench.form.Button_SaveSettings->click();

        QCOMPARE(bench.Written(), Strings({"VOL?", "CUR?", "OUT?"}));
        QCOMPARE(bench.Stored("U"), std::string("5.500"));
        QCOMPARE(bench.Stored("I"), std::string("0.1000"));
        QCOMPARE(bench.Stored("Saved Exist"), std::string("True"));
        QVERIFY(LoadControlsEnabled(bench.form));
        QCOMPARE(bench.form.focusWidget(), bench.form.NewVoltage);

        bench.SetUpSupply("VOL 1;CUR 0.2");
        bench.form.Menu_LoadSaved->trigger();
        QVERIFY(bench.rig.Calls().at(0).rfind("ibclr ", 0) == 0);
        QCOMPARE(bench.Written(),
                 Strings({"OUT?", "VOL 5.500", "CUR 0.1000", "VOL?", "CUR?", "OUT?"}));
        QCOMPARE(bench.form.ActualVoltage->text(), QStringLiteral("5.500"));
        QVERIFY(bench.form.NewVoltage->text().isEmpty());
    }

    // The same keys, each in its own model's section.
    void eachModelKeepsItsOwnValues() {
        FormOnBench bench("5=PS5004");
        bench.rig.platform.WriteSetting("Pulvar", "Settings\\HP 6032A", "U", "12.50");
        bench.Activate();
        bench.form.Button_SaveSettings->click();
        QCOMPARE(bench.rig.platform.ReadSetting("Pulvar", "Settings\\HP 6032A", "U", "-"),
                 std::string("12.50"));
        QCOMPARE(bench.rig.platform.ReadSetting("Pulvar", "Settings\\HP 6032A", "I", "-"),
                 std::string("-"));
        QCOMPARE(bench.Stored("U"), std::string("0.000"));
    }

    void ps5010StoresBothOutputsAndKeepsTheChoice_data() {
        QTest::addColumn<int>("selected");
        QTest::newRow("+ selected") << 0;
        QTest::newRow("- selected") << 1;
    }
    void ps5010StoresBothOutputsAndKeepsTheChoice() {
        QFETCH(int, selected);
        FormOnBench bench("5=PS5010");
        bench.SetUpSupply("VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5");
        bench.Activate();
        bench.form.Polarity[selected]->click();
        bench.form.Menu_SaveSettings->trigger();
        QCOMPARE(bench.Stored("U+"), std::string("12.5"));
        QCOMPARE(bench.Stored("I+"), std::string("1.00"));
        QCOMPARE(bench.Stored("U-"), std::string("3.00"));
        QCOMPARE(bench.Stored("I-"), std::string("0.50"));
        QVERIFY(bench.form.Polarity[selected]->isChecked());
    }

    // "Start with saved settings" kept from an earlier run while nothing was ever saved: the
    // defaults are applied, "-" first, and the display ends on "+".
    void startWithSavedSettingsBeforeAnySave_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QStringList>("loading");
        QTest::newRow("PS5010") << "5=PS5010"
                                << QStringList{"OUT?",      "VNEG 0", "INEG 0.40", "VNEG?",
                                               "INEG?",     "FSOUT?", "OUT?",      "VPOS 0",
                                               "IPOS 0.40", "VPOS?",  "IPOS?",     "FSOUT?"};
        QTest::newRow("PS5004") << "5=PS5004"
                                << QStringList{"OUT?", "VOL 0", "CUR 0.1", "VOL?", "CUR?", "OUT?"};
        QTest::newRow("HP 6032A") << "5=HP6032A"
                                  << QStringList{"OUT?",  "OUT OFF", "VSET 1", "ISET 1",
                                                 "VSET?", "ISET?",   "OUT?"};
    }
    void startWithSavedSettingsBeforeAnySave() {
        QFETCH(QString, bus);
        QFETCH(QStringList, loading);
        FormOnBench bench(bus.toStdString());
        bench.Store("Start with saved settings", "True");
        bench.Store("Turn off output at Start and Exit", "False");
        bench.form.Form_Activate();

        QVERIFY(bench.form.Menu_StartSaved->isChecked());
        QVERIFY(!bench.form.Menu_StartSaved->isEnabled());
        Strings written = bench.Written();
        if (bench.form.Supply().Has(Channel::Minus)) {
            // The start-up's own read of "-" comes before the load.
            QCOMPARE(Strings(written.begin(), written.begin() + 3),
                     Strings({"VNEG?", "INEG?", "FSOUT?"}));
            written.erase(written.begin(), written.begin() + 3);
        }
        QCOMPARE(written, ToStrings(loading));
        QVERIFY(bench.form.Polarity[0]->isChecked());
        QVERIFY(bench.form.Activated);
    }

    // A stored text that would smuggle a second command in is never sent.
    void aStoredValueThatIsNoNumberIsNeverSent() {
        FormOnBench bench("5=PS5010");
        bench.Store("Saved Exist", "True");
        bench.Store("U+", "1;OUT ON");
        bench.Store("I+", "0.5");
        bench.Store("U-", "2");
        bench.Store("I-", "0.3 ");
        bench.Activate();
        bench.form.Button_LoadSavedSettings->click();
        const Strings written = bench.Written();
        QVERIFY(std::find(written.begin(), written.end(), "VPOS 0") != written.end());
        QVERIFY(std::find(written.begin(), written.end(), "IPOS 0.5") != written.end());
        QVERIFY(std::find(written.begin(), written.end(), "VNEG 2") != written.end());
        QVERIFY(std::find(written.begin(), written.end(), "INEG 0.40") != written.end());
        for (const std::string& message : written)
            QVERIFY2(message.find("ON") == std::string::npos, message.c_str());
        QCOMPARE(bench.Stored("U+"), std::string("1;OUT ON"));
    }

    // Values beyond the model's limits go through Apply's own question.
    void loadedValuesMeetTheLimitChecks() {
        FormOnBench bench("5=PS5004");
        bench.Store("Saved Exist", "True");
        bench.Store("U", "25");
        bench.Activate();
        bench.rig.platform.QueueAnswer(BoxAnswer::No);
        bench.form.Button_LoadSavedSettings->click();
        QCOMPARE(bench.rig.platform.Boxes().at(0).title, std::string("Voltage Error"));
        QVERIFY(bench.Written().empty());
    }

    // Clicks during the load's pauses start nothing of their own.
    void theLoadRunsAlone() {
        FormOnBench bench("5=HP6032A");
        bench.Store("Saved Exist", "True");
        bench.Store("Confirm Output Change", "False");
        bench.Activate();
        bench.rig.platform.onEvents = [&] {
            bench.form.ToggleOutput->click();
            bench.form.Button_SaveSettings->click();
            bench.form.Button_LoadSavedSettings->click();
        };
        bench.form.Button_LoadSavedSettings->click();
        QCOMPARE(bench.Written(),
                 Strings({"OUT?", "OUT OFF", "VSET 1", "ISET 1", "VSET?", "ISET?", "OUT?"}));
        QCOMPARE(bench.Stored("U"), std::string("-"));
    }
};

QTEST_MAIN(SavedValues)
#include "saved_values_test.moc"
