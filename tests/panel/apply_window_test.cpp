// Apply on the bench: what reaches the supply, after which questions, and what the window shows.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "form_on_bench.h"
#include "panel/entry_field.h"

namespace {
using Strings = std::vector<std::string>;

// The read-back that ends every completed Apply.
const Strings kHpReadBack = {"VSET?", "ISET?", "OUT?"};
const Strings kPs5010PlusReadBack = {"VPOS?", "IPOS?", "FSOUT?"};

Strings Joined(Strings first, const Strings& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A bench supply with the option "switch off before changes" as given and the fields filled.
void Type(Form1& form, const QString& voltage, const QString& current) {
    form.NewVoltage->setText(voltage);
    form.NewCurrent->setText(current);
}
}  // namespace

class ApplyWindowTest : public QObject {
    Q_OBJECT

private slots:
    void valuesWithinTheLimitsAreSentAsTyped() {
        FormOnBench f("5=PS5010");
        Type(f.form, "15", "1.2");
        f.form.Apply->click();
        QCOMPARE(f.Written(), Joined({"OUT?", "VPOS 15", "IPOS 1.2"}, kPs5010PlusReadBack));
        QVERIFY(f.rig.platform.Boxes().empty());
        QCOMPARE(f.form.ActualVoltage->text(), QStringLiteral("15.0"));
        QCOMPARE(f.form.ActualCurrent->text(), QStringLiteral("1.20"));
        QVERIFY(f.form.NewVoltage->text().isEmpty());
        QVERIFY(f.form.NewCurrent->text().isEmpty());
        QVERIFY(!f.form.Apply->isEnabled());
        QCOMPARE(f.form.focusWidget(), f.form.NewVoltage);
    }

    void limitsExactlyMetPass_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("PS5010 32 V 0.05 A") << "5=PS5010"
                                            << "32"
                                            << "0.05" << QStringList{"VPOS 32", "IPOS 0.05"};
        QTest::newRow("PS5010 15 V 1.6 A") << "5=PS5010"
                                           << "15"
                                           << "1.6" << QStringList{"VPOS 15", "IPOS 1.6"};
        QTest::newRow("PS5004 20 V 0.305 A") << "5=PS5004"
                                             << "20"
                                             << "0.305" << QStringList{"VOL 20", "CUR 0.305"};
        QTest::newRow("HP 6032A 60 V 50 A") << "5=HP6032A"
                                            << "60"
                                            << "50" << QStringList{"VSET 60", "ISET 50"};
    }
    void limitsExactlyMetPass() {
        QFETCH(QString, bus);
        QFETCH(QString, voltage);
        QFETCH(QString, current);
        QFETCH(QStringList, commands);
        FormOnBench f(bus.toStdString());
        Type(f.form, voltage, current);
        f.form.Apply->click();
        QVERIFY(f.rig.platform.Boxes().empty());
        const Strings written = f.Written();
        QCOMPARE(written.at(1), commands[0].toStdString());
        QCOMPARE(written.at(2), commands[1].toStdString());
    }

    // Yes puts the limit's own text, leading blank and all, into the field and sends it.
    void aLimitTakesTheValuesPlaceOnYes_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<int>("polarity");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("command");
        QTest::newRow("40 V on +") << "5=PS5010" << 0 << "40"
                                   << ""
                                   << "Voltage Error"
                                   << "VPOS  32.0";
        QTest::newRow("40 V on -") << "5=PS5010" << 1 << "40"
                                   << ""
                                   << "Voltage Error"
                                   << "VNEG  32.0";
        QTest::newRow("HP 6032A 51 A") << "5=HP6032A" << 0 << ""
                                       << "51"
                                       << "Current Error"
                                       << "ISET  50.00";
        QTest::newRow("PS5004 0.001 A") << "5=PS5004" << 0 << ""
                                        << "0.001"
                                        << "Current Error"
                                        << "CUR  0.01";
    }
    void aLimitTakesTheValuesPlaceOnYes() {
        QFETCH(QString, bus);
        QFETCH(int, polarity);
        QFETCH(QString, voltage);
        QFETCH(QString, current);
        QFETCH(QString, title);
        QFETCH(QString, command);
        FormOnBench f(bus.toStdString());
        f.form.Polarity[polarity]->click();
        Type(f.form, voltage, current);
        f.rig.platform.QueueAnswer(BoxAnswer::Yes);
        f.form.Apply->click();
        QCOMPARE(f.rig.platform.Boxes().size(), std::size_t(1));
        const ShownBox& box = f.rig.platform.Boxes()[0];
        QCOMPARE(QString::fromStdString(box.title), title);
        QCOMPARE(box.icon, BoxIcon::Critical);
        QCOMPARE(box.buttons, BoxButtons::YesNo);
        QCOMPARE(f.Written().at(1), command.toStdString());
    }

    void aCurrentAboveTheCeilingOfTheTypedVoltageIsRefused() {
        FormOnBench f("5=PS5010");
        Type(f.form, "15.01", "1.2");
        f.rig.platform.QueueAnswer(BoxAnswer::No);
        f.form.Apply->click();
        QCOMPARE(f.rig.platform.Boxes().at(0).text,
                 std::string("Invalid current setting !\nMust be less than 0.750 A\n\n"
                             "Do you want to use Max Current instead ?"));
        QVERIFY(f.Written().empty());
        QCOMPARE(f.form.NewVoltage->text(), QStringLiteral("15.01"));
        QVERIFY(f.form.NewCurrent->text().isEmpty());
        QCOMPARE(f.form.focusWidget(), f.form.NewCurrent);
    }

    // Only 20 V typed while the PS5010 shows 1.00 A: the shown limit is too high above 15 V.
    void raisingAbove15VoltsAsksAboutTheShownLimit_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void raisingAbove15VoltsAsksAboutTheShownLimit() {
        QFETCH(bool, yes);
        const Strings written =
            yes ? Joined({"OUT?", "VPOS 20", "IPOS  0.750"}, kPs5010PlusReadBack) : Strings{};
        FormOnBench f("5=PS5010");
        f.SetUpSupply("IPOS 1");
        f.form.Refresh->click();
        QCOMPARE(f.form.ActualCurrent->text(), QStringLiteral("1.00"));
        f.ForgetWritten();
        Type(f.form, "20", "");
        f.rig.platform.QueueAnswer(yes ? BoxAnswer::Yes : BoxAnswer::No);
        f.form.Apply->click();
        QCOMPARE(f.rig.platform.Boxes().at(0).title, std::string("Current Error"));
        QCOMPARE(f.Written(), written);
        if (!yes) {
            QCOMPARE(f.form.NewVoltage->text(), QStringLiteral("20"));
            QVERIFY(f.form.NewCurrent->text().isEmpty());
            QCOMPARE(f.form.focusWidget(), f.form.NewCurrent);
        }
    }

    void aCurrentBelowTheMinimumRefusedKeepsTheVoltage() {
        FormOnBench f("5=PS5004");
        Type(f.form, "5", "0");
        f.rig.platform.QueueAnswer(BoxAnswer::No);
        f.form.Apply->click();
        QCOMPARE(f.rig.platform.Boxes().at(0).title, std::string("Current Error"));
        QVERIFY(f.Written().empty());
        QCOMPARE(f.form.NewVoltage->text(), QStringLiteral("5"));
        QVERIFY(f.form.NewCurrent->text().isEmpty());
        QCOMPARE(f.form.focusWidget(), f.form.NewCurrent);
    }

    void onlyTheTypedCurrentIsSent() {
        FormOnBench f("5=HP6032A");
        Type(f.form, "", "2.5");
        f.form.Apply->click();
        QCOMPARE(f.Written(), Joined({"OUT?", "ISET 2.5"}, kHpReadBack));
    }

    // Apply's own test of the "OUT?" answer decides whether the output goes off first.
    void theOutputGoesOffFirstOnlyWhenFoundOn_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("option");
        QTest::addColumn<bool>("switchedOff");
        QTest::newRow("OUT OFF, option checked") << "OUT OFF" << true << false;
        QTest::newRow("0, option checked") << "0" << true << false;
        QTest::newRow("1, option checked") << "1" << true << true;
        QTest::newRow("1, option unchecked") << "1" << false << false;
        QTest::newRow("nothing read, option checked") << "" << true << true;
    }
    void theOutputGoesOffFirstOnlyWhenFoundOn() {
        QFETCH(QString, answer);
        QFETCH(bool, option);
        QFETCH(bool, switchedOff);
        FormOnBench f("5=HP6032A");
        bench::ScriptedInstrument& supply = f.rig.AttachScripted(kSupplyPad);
        supply.AnswerTo("OUT?", answer.toStdString() + "\r\n");
        supply.AnswerTo("VSET?", "VSET 12.500\r\n");
        supply.AnswerTo("ISET?", "ISET  1.000\r\n");
        f.form.Menu_TurnOffAtChange->setChecked(option);
        Type(f.form, "12.5", "");
        f.form.Apply->click();
        const Strings off = switchedOff ? Strings{"OUT OFF"} : Strings{};
        QCOMPARE(f.Written(), Joined(Joined({"OUT?"}, off), Joined({"VSET 12.5"}, kHpReadBack)));
    }

    // Enter in the voltage field of an HP 6032A that is on, with the option checked.
    void enterAppliesAfterSwitchingOffAndWaitingASecond() {
        FormOnBench f("5=HP6032A");
        f.form.Menu_TurnOffAtChange->setChecked(true);
        QTest::keyClicks(f.form.NewVoltage, "12.5");
        QTest::keyClick(f.form.NewVoltage, Qt::Key_Return);
        const std::vector<WrittenMessage> written = f.TimedWritten();
        QCOMPARE(f.Written(), Joined({"OUT?", "OUT OFF", "VSET 12.5"}, kHpReadBack));
        const double gap = written[2].time - written[1].time;
        QVERIFY2(gap >= 0.999 && gap < 1.01, qPrintable(QString::number(gap)));
        QCOMPARE(f.form.ActualVoltage->text(), QStringLiteral("12.50"));
        QCOMPARE(f.form.ActualOutput->text(), QStringLiteral("OFF"));
        QCOMPARE(f.form.ToggleOutput->text(), QStringLiteral("&Turn ON Output"));
        QVERIFY(!f.form.OutputOn);
        QVERIFY(f.form.NewVoltage->text().isEmpty());
        QVERIFY(!f.form.Apply->isEnabled());
        QCOMPARE(f.form.focusWidget(), f.form.NewVoltage);
    }
};

QTEST_MAIN(ApplyWindowTest)
#include "apply_window_test.moc"
