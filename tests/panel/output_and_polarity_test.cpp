// Switching the output (button and Space), its confirmation, the PS5010's output choice and
// the initialise command.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "form_on_bench.h"
#include "panel/entry_field.h"
#include "panel/output_lamp.h"

namespace {
using Strings = std::vector<std::string>;
}  // namespace

class OutputAndPolarity : public QObject {
    Q_OBJECT

private slots:
    void toggleAsksFirst_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("stateQuery");
        QTest::newRow("PS5010") << "5=PS5010"
                                << "FSOUT?";
        QTest::newRow("PS5004") << "5=PS5004"
                                << "OUT?";
        QTest::newRow("HP 6032A") << "5=HP6032A"
                                  << "OUT?";
    }
    void toggleAsksFirst() {
        QFETCH(QString, bus);
        QFETCH(QString, stateQuery);
        FormOnBench bench(bus.toStdString());
        bench.Activate();
        Form1& form = bench.form;
        form.NewCurrent->setFocus();
        form.ToggleOutput->click();

        const auto& boxes = bench.rig.platform.Boxes();
        QCOMPARE(boxes.size(), std::size_t(1));
        QCOMPARE(boxes[0].text, std::string("Confirm turning ON output."));
        QCOMPARE(boxes[0].title, std::string("Change Output"));
        QCOMPARE(boxes[0].icon, BoxIcon::Exclamation);
        QCOMPARE(boxes[0].buttons, BoxButtons::YesNo);
        QCOMPARE(bench.Written(), Strings({"OUT ON", stateQuery.toStdString()}));
        QVERIFY(form.OutputOn);
        QCOMPARE(form.ActualOutput->text(), QStringLiteral("ON"));
        QCOMPARE(form.Shape1->backColor(), OutputLamp::OnColor());
        QCOMPARE(form.ToggleOutput->text(), QStringLiteral("&Turn OFF Output"));
        QCOMPARE(form.focusWidget(), form.NewVoltage);

        bench.ForgetWritten();
        form.ToggleOutput->click();
        QCOMPARE(boxes.at(1).text, std::string("Confirm turning OFF output."));
        QCOMPARE(bench.Written(), Strings({"OUT OFF", stateQuery.toStdString()}));
        QCOMPARE(form.Shape1->backColor(), OutputLamp::OffColor());
    }

    // Before the first read the button shows its designed caption; a press does what it says.
    void toggleBeforeTheFirstReadDoesWhatItsCaptionSays() {
        FormOnBench bench("5=PS5004");
        QCOMPARE(bench.form.ToggleOutput->text(), QStringLiteral("&Turn OFF Output"));
        bench.form.ToggleOutput->click();
        QCOMPARE(bench.Written(), Strings({"OUT OFF", "OUT?"}));
    }

    void aDeclinedConfirmationSendsNothing() {
        FormOnBench bench("5=PS5004");
        bench.Activate();
        Form1& form = bench.form;
        form.NewCurrent->setFocus();
        bench.rig.platform.QueueAnswer(BoxAnswer::No);
        form.ToggleOutput->click();
        QCOMPARE(bench.rig.platform.Boxes().size(), std::size_t(1));
        QVERIFY(bench.Written().empty());
        QVERIFY(!form.OutputOn);
        QCOMPARE(form.ToggleOutput->text(), QStringLiteral("&Turn ON Output"));
        QCOMPARE(form.focusWidget(), form.NewCurrent);
    }

    void withoutConfirmationOneClickSwitches() {
        FormOnBench bench("5=HP6032A");
        bench.Store("Confirm Output Change", "False");
        bench.Activate();
        bench.form.ToggleOutput->click();
        QVERIFY(bench.rig.platform.Boxes().empty());
        QCOMPARE(bench.Written(), Strings({"OUT ON", "OUT?"}));
        QVERIFY(bench.form.OutputOn);
    }

    // Switched on at the supply's own panel since the last read: the button still offers "ON",
    // sends it, and the re-read shows the real state.
    void aStaleStateSendsItsOppositeThenShowsTheTruth() {
        FormOnBench bench("5=PS5010");
        bench.Store("Confirm Output Change", "False");
        bench.Activate();
        bench.SetUpSupply("OUT ON");
        QVERIFY(!bench.form.OutputOn);
        bench.form.ToggleOutput->click();
        QCOMPARE(bench.Written(), Strings({"OUT ON", "FSOUT?"}));
        QVERIFY(bench.form.OutputOn);

        // Switched off there again: the re-read after "OUT OFF" agrees.
        bench.SetUpSupply("OUT OFF");
        bench.form.ToggleOutput->click();
        QCOMPARE(bench.Written(), Strings({"OUT OFF", "FSOUT?"}));
        QVERIFY(!bench.form.OutputOn);
    }

    // The supply keeps its state when it refuses the command; the window follows the supply.
    void aRefusedCommandLeavesTheRealStateShown() {
        FormOnBench bench("5=PS5004");
        bench.Store("Confirm Output Change", "False");
        bench.Activate();
        bench.rig.Bench().RefuseWrites(5, 3);
        bench.rig.platform.QueueAnswer(BoxAnswer::Ok);
        bench.form.ToggleOutput->click();
        QCOMPARE(bench.rig.platform.Boxes().at(0).title, std::string("GPIB ERROR # 3"));
        QVERIFY(!bench.form.OutputOn);
        QCOMPARE(bench.form.Shape1->backColor(), OutputLamp::OffColor());
    }

    void spaceInAnEntryFieldToggles() {
        FormOnBench bench("5=PS5004");
        bench.Activate();
        Form1& form = bench.form;
        form.NewVoltage->setText("5");
        QTest::keyClick(form.NewVoltage, Qt::Key_Space);
        QCOMPARE(bench.rig.platform.Boxes().at(0).text, std::string("Confirm turning ON output."));
        QCOMPARE(form.NewVoltage->text(), QStringLiteral("5"));
        QCOMPARE(bench.Written(), Strings({"OUT ON", "OUT?"}));
    }

    // Both outputs are known at start and the display ends on "+"; choosing an output shows its
    // last texts without a word on the bus; typed values stay.
    void choosingAnOutputKeepsTheTypedValues() {
        FormOnBench bench("5=PS5010");
        bench.SetUpSupply("VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5");
        bench.Activate();
        Form1& form = bench.form;
        QCOMPARE(form.ActualVoltage->text(), QStringLiteral("12.5"));
        QCOMPARE(form.ActualText[Channel::Minus].voltage, QStringLiteral("3.00"));
        QCOMPARE(form.ActualText[Channel::Minus].current, QStringLiteral("0.50"));
        form.NewVoltage->setText("7");
        form.NewCurrent->setText("0.2");
        // The caret goes to the voltage field, wherever it was.
        form.NewCurrent->setFocus();
        form.Polarity[1]->click();
        QCOMPARE(form.focusWidget(), form.NewVoltage);
        form.NewCurrent->setFocus();
        QCOMPARE(form.ActualVoltage->text(), QStringLiteral("3.00"));
        QCOMPARE(form.ActualCurrent->text(), QStringLiteral("0.50"));
        QCOMPARE(form.ActualText[Channel::Minus].voltage, QStringLiteral("3.00"));
        QCOMPARE(form.ActualText[Channel::Minus].current, QStringLiteral("0.50"));
        form.Polarity[0]->click();
        QCOMPARE(form.ActualVoltage->text(), QStringLiteral("12.5"));
        QCOMPARE(form.ActualCurrent->text(), QStringLiteral("1.00"));
        QCOMPARE(form.ActualText[Channel::Plus].voltage, QStringLiteral("12.5"));
        QCOMPARE(form.ActualText[Channel::Plus].current, QStringLiteral("1.00"));
        QCOMPARE(form.NewVoltage->text(), QStringLiteral("7"));
        QCOMPARE(form.NewCurrent->text(), QStringLiteral("0.2"));
        QCOMPARE(form.focusWidget(), form.NewVoltage);
        QVERIFY(bench.Written().empty());
    }

    void choosingAnOutputBeforeTheStartUpDoesNothing() {
        FormOnBench bench("5=PS5010");
        Form1& form = bench.form;
        form.NewCurrent->setFocus();
        form.ActualText[Channel::Minus] = {QStringLiteral("3.00"), QStringLiteral("0.50")};
        form.Polarity[1]->click();
        QVERIFY(form.ActualVoltage->text().isEmpty());
        QCOMPARE(form.focusWidget(), form.NewCurrent);
        QVERIFY(bench.Written().empty());
    }

    // A supply with one output keeps the "-" button hidden; selected from the program all the
    // same, it leaves the supply's own words in force.
    void aHiddenMinusButtonLeavesTheOnlyOutput_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QStringList>("apply");
        QTest::newRow("PS5004") << "5=PS5004"
                                << QStringList{"OUT?", "VOL 5", "VOL?", "CUR?", "OUT?"};
        QTest::newRow("HP 6032A") << "5=HP6032A" << QStringList{"OUT?",  "OUT OFF", "VSET 5",
                                                                "VSET?", "ISET?",   "OUT?"};
    }
    void aHiddenMinusButtonLeavesTheOnlyOutput() {
        QFETCH(QString, bus);
        QFETCH(QStringList, apply);
        FormOnBench bench(bus.toStdString());
        bench.Activate();
        bench.form.Polarity[1]->click();
        bench.form.NewVoltage->setText("5");
        bench.form.Apply->click();
        QCOMPARE(bench.Written(), ToStrings(apply));
    }

    void initializeThenReadsEverything_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("PS5010") << "5=PS5010" << QStringList{"INIT",  "VNEG?", "INEG?", "FSOUT?",
                                                             "VPOS?", "IPOS?", "FSOUT?"};
        QTest::newRow("PS5004") << "5=PS5004" << QStringList{"INIT", "VOL?", "CUR?", "OUT?"};
        QTest::newRow("HP 6032A: disabled") << "5=HP6032A" << QStringList{};
    }
    void initializeThenReadsEverything() {
        QFETCH(QString, bus);
        QFETCH(QStringList, written);
        FormOnBench bench(bus.toStdString());
        bench.Activate();
        bench.form.NewCurrent->setFocus();
        bench.form.Menu_InitPS->trigger();
        const Strings expected = ToStrings(written);
        QCOMPARE(bench.Written(), expected);
        if (!expected.empty()) QCOMPARE(bench.form.focusWidget(), bench.form.NewVoltage);
    }
};

QTEST_MAIN(OutputAndPolarity)
#include "output_and_polarity_test.moc"
