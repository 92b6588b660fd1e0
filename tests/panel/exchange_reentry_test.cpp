// Clicks and keys handled inside a running exchange start no second one and redirect nothing.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "form_on_bench.h"
#include "panel/entry_field.h"
#include "trace_rules.h"

namespace {
using Strings = std::vector<std::string>;

// Runs `action` the n-th time window events are delivered (1 = the first query's pause).
void AtEventPass(ScriptedPlatform& platform, int n, std::function<void()> action) {
    platform.onEvents = [n, action = std::move(action), passes = 0]() mutable {
        if (++passes == n) action();
    };
}
}  // namespace

class ExchangeReentryTest : public QObject {
    Q_OBJECT

private slots:
    // A PS5010 refresh from "+" reads "-" first; in that first pause the user refreshes again,
    // types and applies, and chooses "+".
    void clicksDuringARefreshChangeNothingOnTheBus() {
        FormOnBench f("5=PS5010");
        f.SetUpSupply("VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5");
        Form1& form = f.form;
        AtEventPass(f.rig.platform, 1, [&form] {
            form.Refresh->click();
            form.NewVoltage->setText("5");
            form.Apply->click();
            QTest::keyClick(form.NewVoltage, Qt::Key_Return);
            form.Polarity[0]->click();
        });
        form.Refresh->click();
        QCOMPARE(f.Written(), (Strings{"VNEG?", "INEG?", "FSOUT?", "VPOS?", "IPOS?", "FSOUT?"}));
        QCOMPARE(QString::fromStdString(FirstBrokenRule(f.rig.Calls())), QString());
        // Each output's values went to its own entries, never to the other's.
        QCOMPARE(form.ActualText[Channel::Minus].voltage, QStringLiteral("3.00"));
        QCOMPARE(form.ActualText[Channel::Minus].current, QStringLiteral("0.50"));
        QCOMPARE(form.ActualText[Channel::Plus].voltage, QStringLiteral("12.5"));
        QCOMPARE(form.ActualText[Channel::Plus].current, QStringLiteral("1.00"));
        QCOMPARE(form.ActualVoltage->text(), QStringLiteral("12.5"));
        QCOMPARE(form.NewVoltage->text(), QStringLiteral("5"));
        QVERIFY(f.rig.platform.Boxes().empty());
    }

    // Choosing "-" while "+" is read: the read keeps to "+", and "-" stays on show.
    void aPolarityClickDuringAReadShowsNothingOfThatRead() {
        FormOnBench f("5=PS5010");
        f.SetUpSupply("VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5");
        f.Activate();
        Form1& form = f.form;
        f.SetUpSupply("VPOS 7;IPOS 0.7");
        AtEventPass(f.rig.platform, 1, [&form] { form.Polarity[1]->click(); });
        form.ReadBack();
        QCOMPARE(f.Written(), (Strings{"VPOS?", "IPOS?", "FSOUT?"}));
        QCOMPARE(form.ActualText[Channel::Plus].voltage, QStringLiteral("7.00"));
        QCOMPARE(form.ActualText[Channel::Plus].current, QStringLiteral("0.70"));
        QCOMPARE(form.ActualVoltage->text(), QStringLiteral("3.00"));
        QCOMPARE(form.ActualCurrent->text(), QStringLiteral("0.50"));
    }

    // Choosing "-" during Apply's "OUT?" on "+": the values still go to "+", and are read there.
    void aPolarityClickDuringApplyDoesNotRedirectIt() {
        FormOnBench f("5=PS5010");
        Form1& form = f.form;
        form.NewVoltage->setText("5");
        AtEventPass(f.rig.platform, 1, [&form] { form.Polarity[1]->click(); });
        form.Apply->click();
        QCOMPARE(f.Written(), (Strings{"OUT?", "VPOS 5", "VPOS?", "IPOS?", "FSOUT?"}));
        QCOMPARE(form.ActualText[Channel::Plus].voltage, QStringLiteral("5.00"));
        QVERIFY(form.ActualText[Channel::Minus].voltage.isEmpty());
        QVERIFY(form.ActualVoltage->text().isEmpty());
    }

    // During the second passes of events (the 1 s pause after "OUT OFF") the user types a current
    // and presses Enter: that Apply never runs, and what goes out is what was checked.
    void anApplyDuringTheOneSecondPauseIsIgnored() {
        FormOnBench f("5=HP6032A");
        Form1& form = f.form;
        form.Menu_TurnOffAtChange->setChecked(true);
        form.NewVoltage->setText("12.5");
        AtEventPass(f.rig.platform, 2, [&form] {
            form.NewCurrent->setText("99");
            QTest::keyClick(form.NewCurrent, Qt::Key_Return);
            form.Refresh->click();
        });
        form.Apply->click();
        QCOMPARE(f.Written(), (Strings{"OUT?", "OUT OFF", "VSET 12.5", "VSET?", "ISET?", "OUT?"}));
        QCOMPARE(QString::fromStdString(FirstBrokenRule(f.rig.Calls())), QString());
        QVERIFY(f.rig.platform.Boxes().empty());
    }
};

QTEST_MAIN(ExchangeReentryTest)
#include "exchange_reentry_test.moc"
