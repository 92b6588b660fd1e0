// The window's first activation and its unload: options in force, the missing supply, the
// device clear and what follows it at exit.
#include <QAction>
#include <QPushButton>
#include <QtTest>

#include "form_on_bench.h"
#include "panel/entry_field.h"
#include "panel/output_lamp.h"

namespace {

using Strings = std::vector<std::string>;

bool Contains(const Strings& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::vector<bool> Marks(const Form1& form) {
    std::vector<bool> marks;
    for (const QAction* entry : form.OptionEntries()) marks.push_back(entry->isChecked());
    return marks;
}

}  // namespace

class StartAndExit : public QObject {
    Q_OBJECT

private slots:
    void firstRunForEachModel_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("initCaption");
        QTest::newRow("PS5010") << "5=PS5010" << "Initialize PS5010";
        QTest::newRow("PS5004") << "5=PS5004" << "Initialize PS5004";
        QTest::newRow("HP 6032A") << "5=HP6032A" << "Initialize HP 6032A";
    }
    void firstRunForEachModel() {
        QFETCH(QString, bus);
        QFETCH(QString, initCaption);
        FormOnBench bench(bus.toStdString());
        bench.form.Form_Load();
        bench.rig.ForgetTrace();
        double switchedOffAt = -1;
        bench.rig.platform.onEvents = [&] {
            if (switchedOffAt < 0 && Contains(bench.Written(), "OUT OFF"))
                switchedOffAt = bench.rig.Now();
        };
        bench.form.Form_Activate();

        Form1& form = bench.form;
        QCOMPARE(form.Menu_InitPS->text(), initCaption);
        QCOMPARE(Marks(form), std::vector<bool>({false, false, true, true, true}));
        QVERIFY(!form.SavedExist);
        QVERIFY(!form.Menu_LoadSaved->isEnabled());
        QVERIFY(!form.Menu_StartSaved->isEnabled());
        QVERIFY(!form.Button_LoadSavedSettings->isEnabled());
        QCOMPARE(bench.Written().at(0), std::string("OUT OFF"));
        QCOMPARE(switchedOffAt, 0.0);
        QVERIFY(bench.rig.Now() >= 1.0);
        QVERIFY(form.Activated);
        QVERIFY(bench.rig.platform.Boxes().empty());
        QVERIFY(bench.rig.platform.Store().empty());
    }

    void storedOptionsTakeEffect() {
        FormOnBench bench("5=PS5004");
        bench.Store("PS5004", "Save settings at exit", "True");
        bench.Store("PS5004", "Turn off output at Start and Exit", "0");
        bench.Store("PS5004", "confirm output change", "False");
        bench.Store("PS5004", "Saved Exist", "True");
        // Another model's options do not apply.
        bench.Store("PS5010", "Start with saved settings", "True");
        bench.form.Form_Load();
        bench.rig.ForgetTrace();
        bench.form.Form_Activate();

        QCOMPARE(Marks(bench.form), std::vector<bool>({false, true, false, true, false}));
        QVERIFY(bench.form.SavedExist);
        QVERIFY(bench.form.Menu_LoadSaved->isEnabled());
        QVERIFY(bench.form.Button_LoadSavedSettings->isEnabled());
        QVERIFY(!Contains(bench.Written(), "OUT OFF"));
    }

    void optionTextsThatAreNoTruthGiveTheDefaults() {
        FormOnBench bench("5=PS5010");
        for (const char* key : {"Start with saved settings", "Save settings at Exit",
                                "Turn off output at Start and Exit",
                                "Turn off output before U/I change", "Confirm Output Change"})
            bench.Store("PS5010", key, "sometimes");
        bench.Start();
        QCOMPARE(Marks(bench.form), std::vector<bool>({false, false, true, true, true}));
        QCOMPARE(bench.Stored("PS5010", "Confirm Output Change"), std::string("sometimes"));
    }

    void missingSupplyEndsTheProgram() {
        FormOnBench bench("5=DM5010");
        bench.form.Form_Load();
        bench.rig.ForgetTrace();
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, bench.form.Form_Activate());

        const auto& boxes = bench.rig.platform.Boxes();
        QCOMPARE(boxes.size(), std::size_t(1));
        QCOMPARE(boxes[0].title, std::string("Error"));
        QCOMPARE(boxes[0].text,
                 std::string("No supported power supply (Tek PS5010 or Tek PS5004 or HP 6032A) "
                             "found on the bus !\n\nProgram will terminate."));
        QCOMPARE(boxes[0].icon, BoxIcon::Critical);
        QCOMPARE(boxes[0].buttons, BoxButtons::Ok);
        QVERIFY(bench.rig.Calls().empty());
        QVERIFY(bench.rig.platform.Store().empty());
        QVERIFY(!bench.form.Activated);
    }

    // Activations that arrive during the start-up pauses find the work begun.
    void firstActivationRunsOnce() {
        FormOnBench bench("5=PS5010");
        bench.form.Form_Load();
        bench.rig.ForgetTrace();
        int reentries = 0;
        bench.rig.platform.onEvents = [&] {
            if (reentries++ < 3) bench.form.Form_Activate();
        };
        bench.form.Form_Activate();
        bench.form.Form_Activate();
        QVERIFY(reentries > 0);
        const Strings written = bench.Written();
        QCOMPARE(std::count(written.begin(), written.end(), "OUT OFF"), 1);
    }

    // The offscreen platform grants no activation: showing the window is enough.
    void firstActivationFollowsTheFirstShowing() {
        FormOnBench bench("5=HP6032A");
        bench.form.Form_Load();
        bench.form.show();
        QTRY_VERIFY(bench.form.Activated);
        QVERIFY(Contains(bench.Written(), "OUT OFF"));
    }

    // Qt flips the check mark itself; the handler marks the option and moves the caret.
    void optionEntriesFlipOncePerClick() {
        FormOnBench bench("5=PS5010");
        bench.Store("PS5010", "Saved Exist", "True");
        bench.Start();
        Form1& form = bench.form;
        for (int option = 0; option < kOptionCount; ++option) {
            QAction* entry = form.OptionEntries()[option];
            const bool before = entry->isChecked();
            form.NewCurrent->setFocus();
            entry->trigger();
            QCOMPARE(entry->isChecked(), !before);
            QVERIFY(form.OptionChanged[option]);
            QCOMPARE(form.focusWidget(), form.NewVoltage);
        }
        QCOMPARE(bench.rig.platform.Store().size(), std::size_t(1));
    }

    // Written only when toggled, even back to where it was; the rest of the store survives.
    void unloadWritesOnlyTheToggledOptions() {
        FormOnBench bench("5=HP6032A");
        bench.Start();
        bench.form.Menu_ConfirmChange->trigger();
        bench.form.Menu_ConfirmChange->trigger();
        bench.form.Menu_TurnOffAtChange->trigger();
        bench.Store("HP 6032A", "Turn off output at Start and Exit", "False");
        bench.form.close();

        QCOMPARE(bench.Stored("HP 6032A", "Confirm output change"), std::string("True"));
        QCOMPARE(bench.Stored("HP 6032A", "Turn off output before U/I change"),
                 std::string("False"));
        QCOMPARE(bench.Stored("HP 6032A", "Turn off output at Start and Exit"),
                 std::string("False"));
        QCOMPARE(bench.Stored("HP 6032A", "Start with saved settings"), std::string("-"));
        QCOMPARE(bench.Stored("HP 6032A", "Save settings at Exit"), std::string("-"));
    }

    void confirmOptionCarriesOverToTheNextRun() {
        FormOnBench first("5=PS5004");
        first.Start();
        first.form.Menu_ConfirmChange->trigger();
        first.form.close();
        FormOnBench second("5=PS5004");
        second.KeepStoreOf(first);
        second.Start();
        QVERIFY(!second.form.Menu_ConfirmChange->isChecked());
    }

    void unloadClearsThenSwitchesOff_data() {
        QTest::addColumn<QString>("turnOff");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("option set") << "True" << QStringList{"OUT OFF"};
        QTest::newRow("option cleared") << "False" << QStringList{};
    }
    void unloadClearsThenSwitchesOff() {
        QFETCH(QString, turnOff);
        QFETCH(QStringList, written);
        FormOnBench bench("5=PS5010");
        bench.Store("PS5010", "Turn off output at Start and Exit", turnOff.toStdString());
        bench.Start();
        bench.rig.ForgetTrace();
        bench.form.Menu_Exit->trigger();

        QVERIFY(!bench.form.isVisible());
        const Strings calls = bench.rig.Calls();
        QVERIFY(calls.at(0).rfind("ibclr ", 0) == 0);
        Strings expected;
        for (const QString& text : written) expected.push_back(text.toStdString());
        QCOMPARE(bench.Written(), expected);
    }

    // A supply switched off or unplugged: the changed options are still kept, nothing more.
    void unloadLeavesAGoneSupplyAlone() {
        FormOnBench bench("5=PS5010");
        bench.Start();
        bench.form.Menu_SaveAtExit->trigger();
        bench.rig.Bench().UnplugAfter(5, 0);
        bench.rig.ForgetTrace();
        bench.form.close();

        QCOMPARE(bench.Stored("PS5010", "Save settings at Exit"), std::string("True"));
        const Strings calls = bench.rig.Calls();
        QCOMPARE(calls.size(), std::size_t(1));
        QVERIFY(calls[0].find("err=2 ") != std::string::npos);
        QCOMPARE(bench.Stored("PS5010", "U+"), std::string("-"));
        QVERIFY(bench.rig.platform.Boxes().empty());
    }

    // An error code left over from an earlier failed call does not count: the clear worked.
    void unloadTestRequiresAFailedClear() {
        FormOnBench bench("5=PS5010");
        bench.Start();
        int16_t absent = 0;
        bench.rig.gpib.ibdev(0, 9, 0, 11, 1, 0, absent);
        bench.rig.gpib.ibclr(absent);
        QCOMPARE(bench.rig.gpib.iberr(), int16_t(2));
        bench.rig.ForgetTrace();
        bench.form.close();
        QCOMPARE(bench.Written(), Strings({"OUT OFF"}));
    }

    void unloadRunsOnceAndNothingFollows() {
        FormOnBench bench("5=PS5004");
        bench.Start();
        bench.form.close();
        bench.rig.ForgetTrace();
        bench.form.close();
        bench.form.Menu_Exit->trigger();
        QVERIFY(bench.rig.Calls().empty());
    }
};

QTEST_MAIN(StartAndExit)
#include "start_and_exit_test.moc"
