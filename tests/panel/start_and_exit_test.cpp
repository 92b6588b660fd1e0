// The window's first activation and its unload: options in force, the missing supply, the
// first read-back, the device clear and what follows it at exit.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "form_on_bench.h"
#include "panel/entry_field.h"
#include "panel/output_lamp.h"
#include "trace_rules.h"

namespace {

using Strings = std::vector<std::string>;

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
        QTest::addColumn<QStringList>("reads");
        QTest::newRow("PS5010") << "5=PS5010"
                                << "Initialize PS5010" << QStringList{"VNEG?", "INEG?", "FSOUT?",
                                                                      "VPOS?", "IPOS?", "FSOUT?"};
        QTest::newRow("PS5004") << "5=PS5004"
                                << "Initialize PS5004" << QStringList{"VOL?", "CUR?", "OUT?"};
        QTest::newRow("HP 6032A") << "5=HP6032A"
                                  << "Initialize HP 6032A" << QStringList{"VSET?", "ISET?", "OUT?"};
    }
    void firstRunForEachModel() {
        QFETCH(QString, bus);
        QFETCH(QString, initCaption);
        QFETCH(QStringList, reads);
        FormOnBench bench(bus.toStdString());
        bench.SetUpSupply("OUT ON");
        QColor lampDuringPause;
        bench.rig.platform.onEvents = [&] {
            if (!lampDuringPause.isValid()) lampDuringPause = bench.form.Shape1->backColor();
        };
        bench.form.Form_Activate();

        Form1& form = bench.form;
        QCOMPARE(form.Menu_InitPS->text(), initCaption);
        QCOMPARE(Marks(form), std::vector<bool>({false, false, true, true, true}));
        QVERIFY(!form.SavedExist);
        QVERIFY(!form.Menu_LoadSaved->isEnabled());
        QVERIFY(!form.Menu_StartSaved->isEnabled());
        QVERIFY(!form.Button_LoadSavedSettings->isEnabled());

        const std::vector<WrittenMessage> written = bench.TimedWritten();
        Strings expected = ToStrings(reads);
        expected.insert(expected.begin(), "OUT OFF");
        QCOMPARE(bench.Written(), expected);
        QVERIFY(written.at(1).time - written.at(0).time >= 1.0);
        QCOMPARE(lampDuringPause, OutputLamp::OffColor());
        QCOMPARE(form.ActualOutput->text(), QStringLiteral("OFF"));
        QVERIFY(!form.OutputOn);
        QVERIFY(form.Polarity[0]->isChecked());
        QVERIFY(form.Activated);
        QCOMPARE(QString::fromStdString(FirstBrokenRule(bench.rig.Calls())), QString());
        QVERIFY(bench.rig.platform.Boxes().empty());
        QVERIFY(bench.rig.platform.Store().empty());
    }

    void storedOptionsTakeEffect() {
        FormOnBench bench("5=PS5004");
        bench.SetUpSupply("OUT ON");
        bench.Store("Save settings at exit", "True");
        bench.Store("Turn off output at Start and Exit", "0");
        bench.Store("confirm output change", "False");
        bench.Store("Saved Exist", "True");
        // Another model's options do not apply.
        bench.rig.platform.WriteSetting("Pulvar", "Settings\\PS5010", "Start with saved settings",
                                        "True");
        bench.form.Form_Activate();

        QCOMPARE(Marks(bench.form), std::vector<bool>({false, true, false, true, false}));
        QVERIFY(bench.form.SavedExist);
        QVERIFY(bench.form.Menu_LoadSaved->isEnabled());
        QVERIFY(bench.form.Button_LoadSavedSettings->isEnabled());
        QCOMPARE(bench.Written(), Strings({"VOL?", "CUR?", "OUT?"}));
        QVERIFY(bench.form.OutputOn);
    }

    void optionTextsThatAreNoTruthGiveTheDefaults() {
        FormOnBench bench("5=PS5010");
        for (const char* key : {"Start with saved settings", "Save settings at Exit",
                                "Turn off output at Start and Exit",
                                "Turn off output before U/I change", "Confirm Output Change"})
            bench.Store(key, "sometimes");
        bench.Activate();
        QCOMPARE(Marks(bench.form), std::vector<bool>({false, false, true, true, true}));
        QCOMPARE(bench.Stored("Confirm Output Change"), std::string("sometimes"));
    }

    void missingSupplyEndsTheProgram() {
        FormOnBench bench("5=DM5010");
        Form1& form = bench.form;
        // Everything that talks to a supply, tried while the box waits for the user.
        bench.rig.platform.onBox = [&form](const ShownBox&) {
            form.NewVoltage->setText("5");
            form.Refresh_Click();
            form.Apply_Click();
            form.ToggleOutput_Click();
            form.Menu_InitPS_Click();
            form.SaveSettings_Click();
            form.LoadSettings_Click();
            return BoxAnswer::Ok;
        };
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, form.Form_Activate());

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

    // Activations, clicks and keys that arrive during the start-up pauses start nothing.
    void firstActivationRunsOnceAndAlone() {
        FormOnBench bench("5=PS5010");
        Form1& form = bench.form;
        int passes = 0;
        bench.rig.platform.onEvents = [&] {
            if (passes++ > 3) return;
            form.Form_Activate();
            form.Refresh->click();
            form.ToggleOutput->click();
            form.Polarity[1]->click();
        };
        form.Form_Activate();
        form.Form_Activate();
        QVERIFY(passes > 0);
        QCOMPARE(bench.Written(),
                 Strings({"OUT OFF", "VNEG?", "INEG?", "FSOUT?", "VPOS?", "IPOS?", "FSOUT?"}));
        QVERIFY(bench.rig.platform.Boxes().empty());
    }

    // The offscreen platform grants no activation: showing the window is enough.
    void firstActivationFollowsTheFirstShowing() {
        FormOnBench bench("5=HP6032A");
        bench.form.show();
        QTRY_VERIFY(bench.form.Activated);
        QCOMPARE(bench.Written(), Strings({"OUT OFF", "VSET?", "ISET?", "OUT?"}));
    }

    // Qt flips the check mark itself; the handler marks the option and moves the caret.
    void optionEntriesFlipOncePerClick() {
        FormOnBench bench("5=PS5010");
        bench.Store("Saved Exist", "True");
        bench.Activate();
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
        QVERIFY(bench.Written().empty());
    }

    // Written only when toggled, even back to where it was; the rest of the store survives.
    void unloadWritesOnlyTheToggledOptions() {
        FormOnBench bench("5=HP6032A");
        bench.Activate();
        bench.form.Menu_ConfirmChange->trigger();
        bench.form.Menu_ConfirmChange->trigger();
        bench.form.Menu_TurnOffAtChange->trigger();
        bench.Store("Turn off output at Start and Exit", "False");
        bench.form.close();

        QCOMPARE(bench.Stored("Confirm output change"), std::string("True"));
        QCOMPARE(bench.Stored("Turn off output before U/I change"), std::string("False"));
        QCOMPARE(bench.Stored("Turn off output at Start and Exit"), std::string("False"));
        QCOMPARE(bench.Stored("Start with saved settings"), std::string("-"));
        QCOMPARE(bench.Stored("Save settings at Exit"), std::string("-"));
        QCOMPARE(bench.rig.platform.Store().size(), std::size_t(3));
    }

    void confirmOptionCarriesOverToTheNextRun() {
        FormOnBench first("5=PS5004");
        first.Activate();
        first.form.Menu_ConfirmChange->trigger();
        first.form.close();
        FormOnBench second("5=PS5004");
        second.KeepStoreOf(first);
        second.Activate();
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
        bench.Store("Turn off output at Start and Exit", turnOff.toStdString());
        bench.Activate();
        bench.form.Menu_Exit->trigger();

        QVERIFY(!bench.form.isVisible());
        QVERIFY(bench.rig.Calls().at(0).rfind("ibclr ", 0) == 0);
        QCOMPARE(bench.Written(), ToStrings(written));
        QCOMPARE(bench.rig.platform.Store().size(), std::size_t(1));
    }

    // With "Save settings at Exit": every channel read back and stored, then switched off.
    void unloadSavesWhenAsked() {
        FormOnBench bench("5=PS5010");
        bench.Store("Save settings at Exit", "True");
        bench.Activate();
        bench.SetUpSupply("VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5");
        bench.form.close();
        QCOMPARE(bench.Written(),
                 Strings({"VNEG?", "INEG?", "FSOUT?", "VPOS?", "IPOS?", "FSOUT?", "OUT OFF"}));
        QCOMPARE(bench.Stored("U+"), std::string("12.5"));
        QCOMPARE(bench.Stored("I+"), std::string("1.00"));
        QCOMPARE(bench.Stored("U-"), std::string("3.00"));
        QCOMPARE(bench.Stored("I-"), std::string("0.50"));
        QCOMPARE(bench.Stored("Saved Exist"), std::string("True"));
    }

    // A supply switched off or unplugged: the changed options are still kept, nothing more.
    void unloadLeavesAGoneSupplyAlone() {
        FormOnBench bench("5=PS5010");
        bench.Activate();
        bench.form.Menu_SaveAtExit->trigger();
        bench.rig.Bench().UnplugAfter(5, 0);
        bench.rig.ForgetTrace();
        bench.form.close();

        QCOMPARE(bench.Stored("Save settings at Exit"), std::string("True"));
        const Strings calls = bench.rig.Calls();
        QCOMPARE(calls.size(), std::size_t(1));
        QVERIFY(calls[0].rfind("ibclr ", 0) == 0);
        QVERIFY(calls[0].find("err=2 ") != std::string::npos);
        QCOMPARE(bench.Stored("U+"), std::string("-"));
        QVERIFY(bench.rig.platform.Boxes().empty());
    }

    // An error code left over from an earlier failed call does not count: the clear worked.
    void unloadTestRequiresAFailedClear() {
        FormOnBench bench("5=PS5010");
        bench.Activate();
        int16_t absent = 0;
        bench.rig.gpib.ibdev(0, 9, 0, 11, 1, 0, absent);
        bench.rig.gpib.ibclr(absent);
        QCOMPARE(bench.rig.gpib.iberr(), int16_t(2));
        bench.ForgetWritten();
        bench.form.close();
        QCOMPARE(bench.Written(), Strings({"OUT OFF"}));
    }

    void unloadRunsOnceAndNothingFollows() {
        FormOnBench bench("5=PS5004");
        bench.Activate();
        bench.form.close();
        bench.rig.ForgetTrace();
        bench.form.close();
        bench.form.Menu_Exit->trigger();
        bench.form.Refresh->click();
        bench.form.ToggleOutput->click();
        bench.form.Menu_InitPS->trigger();
        bench.form.Button_SaveSettings->click();
        QVERIFY(bench.rig.Calls().empty());
    }

    // A close that comes before the queued first activation: the unload runs, and the
    // activation then finds the bus closed for good and sends nothing.
    void activationAfterTheUnloadSendsNothing() {
        FormOnBench bench("5=PS5010");
        bench.form.close();
        QVERIFY(!bench.rig.Calls().empty());  // the unload's device clear
        bench.rig.ForgetTrace();
        bench.form.Form_Activate();
        QVERIFY(bench.rig.Calls().empty());
        QVERIFY(bench.rig.platform.Boxes().empty());
        QVERIFY(!bench.form.Activated);
    }

    // The close box pressed during Apply's "OUT?" pause: Apply ends its exchange, the unload
    // follows, and nothing after it.
    void closeDuringAPauseOfApply_data() {
        QTest::addColumn<QString>("turnOff");
        QTest::addColumn<QStringList>("afterApply");
        QTest::newRow("switched off at exit") << "True" << QStringList{"OUT OFF"};
        QTest::newRow("left on at exit") << "False" << QStringList{};
    }
    void closeDuringAPauseOfApply() {
        QFETCH(QString, turnOff);
        QFETCH(QStringList, afterApply);
        FormOnBench bench("5=HP6032A");
        bench.Store("Turn off output at Start and Exit", turnOff.toStdString());
        bench.Activate();
        Form1& form = bench.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        bench.ForgetWritten();
        bool closedMeanwhile = false;
        bench.rig.platform.onEvents = [&] {
            if (bench.Written().size() != 1) return;
            form.close();
            closedMeanwhile = !form.isVisible();
            bench.rig.platform.onEvents = [&] { form.Refresh->click(); };
        };
        form.NewVoltage->setText("12.5");
        form.Apply->click();

        QVERIFY(!closedMeanwhile);
        QVERIFY(!form.isVisible());
        // The HP 6032A's "OUT?" answer is never exactly "0", so Apply switches off first.
        Strings expected{"OUT?", "OUT OFF", "VSET 12.5", "VSET?", "ISET?", "OUT?"};
        for (const std::string& text : ToStrings(afterApply)) expected.push_back(text);
        QCOMPARE(bench.Written(), expected);
        // The unload's device clear comes after all of Apply, and only its "OUT OFF" follows.
        const Strings calls = bench.rig.Calls();
        const auto clear = std::find_if(calls.rbegin(), calls.rend(), [](const std::string& call) {
            return call.rfind("ibclr ", 0) == 0;
        });
        QVERIFY(clear != calls.rend());
        QCOMPARE(clear - calls.rbegin(), afterApply.size());
        form.Refresh->click();
        QCOMPARE(bench.Written().size(), expected.size());
    }
};

QTEST_MAIN(StartAndExit)
#include "start_and_exit_test.moc"
