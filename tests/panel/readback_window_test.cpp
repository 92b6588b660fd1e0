// The "Actual Settings" frame read back from the supplies on the bench.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include "design/twips.h"
#include "form_on_bench.h"
#include "form_on_empty_bus.h"
#include "panel/entry_field.h"
#include "panel/output_lamp.h"

namespace {
using Strings = std::vector<std::string>;

// The frame shows, and the cache holds for the selected channel, the same texts.
void CompareShown(Form1& form, const QString& voltage, const QString& current) {
    const Channel channel = form.Polarity[1]->isChecked() ? Channel::Minus : Channel::Plus;
    QCOMPARE(form.ActualVoltage->text(), voltage);
    QCOMPARE(form.ActualCurrent->text(), current);
    QCOMPARE(form.ActualText[channel].voltage, voltage);
    QCOMPARE(form.ActualText[channel].current, current);
}

void CompareOutput(Form1& form, const QString& state, bool on) {
    QCOMPARE(form.ActualOutput->text(), state);
    QCOMPARE(form.OutputOn, on);
    QCOMPARE(form.Shape1->backColor(), on ? QColor(0, 255, 0) : QColor(255, 0, 0));
    QCOMPARE(form.ToggleOutput->text(), on ? "&Turn OFF Output" : "&Turn ON Output");
}
}  // namespace

class ReadbackWindowTest : public QObject {
    Q_OBJECT

private slots:
    void refreshShowsWhatTheSupplyHolds_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("voltUnitLeft");
        QTest::addColumn<int>("ampUnitLeft");
        QTest::newRow("HP 6032A at 19.99 V and 20 A") << "5=HP6032A"
                                                      << "VSET 19.99;ISET 20"
                                                      << "20.0"
                                                      << "20.0"
                                                      << "ON" << true << 2370 << 2370;
        QTest::newRow("PS5004 at 5.5 V and 0.1 A") << "5=PS5004"
                                                   << "VOL 5.5;CUR 0.1"
                                                   << "5.500"
                                                   << "0.1000"
                                                   << "OFF" << false << 2520 << 2670;
        QTest::newRow("PS5010 at 12.5 V") << "5=PS5010"
                                          << "VPOS 12.5;IPOS 1;OUT ON"
                                          << "12.5"
                                          << "1.00"
                                          << "ON" << true << 2370 << 2370;
    }
    void refreshShowsWhatTheSupplyHolds() {
        QFETCH(QString, bus);
        QFETCH(QString, settings);
        QFETCH(QString, voltage);
        QFETCH(QString, current);
        QFETCH(QString, state);
        QFETCH(bool, on);
        QFETCH(int, voltUnitLeft);
        QFETCH(int, ampUnitLeft);
        FormOnBench f(bus.toStdString());
        f.SetUpSupply(settings.toStdString());
        f.form.Refresh->click();
        CompareShown(f.form, voltage, current);
        CompareOutput(f.form, state, on);
        QCOMPARE(f.form.Label3[0]->x(), Twips(voltUnitLeft));
        QCOMPARE(f.form.Label3[1]->x(), Twips(ampUnitLeft));
        QCOMPARE(f.form.focusWidget(), f.form.NewVoltage);
        QVERIFY(f.rig.platform.Boxes().empty());
    }

    // Four, five and six characters place the unit label; seven leave it where it was.
    void unitLabelsFollowTheCaptionLength_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("left");
        QTest::newRow("4: 1.50") << "1.5" << 2370;
        QTest::newRow("5: 12.50") << "12.5" << 2520;
        QTest::newRow("6: 1234.5") << "1234.5" << 2670;
        QTest::newRow("7: 12345.6") << "12345.6" << 2520;
    }
    void unitLabelsFollowTheCaptionLength() {
        QFETCH(QString, number);
        QFETCH(int, left);
        FormOnBench f("5=HP6032A");
        bench::ScriptedInstrument& supply = f.rig.AttachScripted(kSupplyPad);
        supply.AnswerTo("OUT?", "OUT 1\r\n");
        for (const std::string& value : Strings{"12.5", number.toStdString()}) {
            supply.AnswerTo("VSET?", "VSET " + value + "\r\n");
            supply.AnswerTo("ISET?", "ISET " + value + "\r\n");
            f.form.Refresh->click();
        }
        QCOMPARE(f.form.Label3[0]->x(), Twips(left));
        QCOMPARE(f.form.Label3[1]->x(), Twips(left));
    }

    void aLowerCaseOnIsShownButNotTakenForOn() {
        FormOnBench f("5=PS5004");
        bench::ScriptedInstrument& supply = f.rig.AttachScripted(kSupplyPad);
        supply.AnswerTo("VOL?", "VOLTAGE 5.500;");
        supply.AnswerTo("CUR?", "CURRENT 0.100;");
        supply.AnswerTo("OUT?", "OUT on;");
        f.form.Refresh->click();
        CompareOutput(f.form, "on", false);
    }

    // The supply gone: each query's failed write is reported, and the read shows zero.
    void failedQueriesShowZeroAndOff_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("reports");
        QTest::newRow("HP 6032A") << "5=HP6032A"
                                  << "0.00"
                                  << "0.00"
                                  << "OFF" << 3;
        QTest::newRow("PS5004") << "5=PS5004"
                                << "0.000"
                                << "0.0000"
                                << "" << 3;
        QTest::newRow("PS5010") << "5=PS5010"
                                << "0.00"
                                << "0.00"
                                << "" << 6;
    }
    void failedQueriesShowZeroAndOff() {
        QFETCH(QString, bus);
        QFETCH(QString, voltage);
        QFETCH(QString, current);
        QFETCH(QString, state);
        QFETCH(int, reports);
        FormOnBench f(bus.toStdString());
        f.rig.Bench().UnplugAfter(5, 0);
        f.form.Refresh->click();
        CompareShown(f.form, voltage, current);
        CompareOutput(f.form, state, false);
        QCOMPARE(f.rig.platform.Boxes().size(), std::size_t(reports));
        for (const ShownBox& box : f.rig.platform.Boxes())
            QCOMPARE(box.title, std::string("GPIB ERROR # 2"));
    }

    // Both outputs are read, "-" first; the selection and the display end where they began.
    void ps5010RefreshReadsBothOutputs_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("current");
        QTest::newRow("from +") << 0 << "12.5"
                                << "1.00";
        QTest::newRow("from -") << 1 << "3.00"
                                << "0.50";
    }
    void ps5010RefreshReadsBothOutputs() {
        QFETCH(int, selected);
        QFETCH(QString, voltage);
        QFETCH(QString, current);
        FormOnBench f("5=PS5010");
        f.SetUpSupply("VPOS 12.5;IPOS 1;VNEG 3;INEG 0.5");
        f.Activate();
        f.form.Polarity[selected]->click();
        f.form.Refresh->click();
        QCOMPARE(f.Written(), (Strings{"VNEG?", "INEG?", "FSOUT?", "VPOS?", "IPOS?", "FSOUT?"}));
        QVERIFY(f.form.Polarity[selected]->isChecked());
        CompareShown(f.form, voltage, current);
        QCOMPARE(f.form.ActualText[Channel::Plus].voltage, QStringLiteral("12.5"));
        QCOMPARE(f.form.ActualText[Channel::Minus].voltage, QStringLiteral("3.00"));
    }

    void enterPressesAFocusedCommandButton_data() {
        QTest::addColumn<QString>("button");
        for (const char* name : {"Apply", "Refresh", "ToggleOutput", "Button_SaveSettings",
                                 "Button_LoadSavedSettings"})
            QTest::newRow(name) << QString(name);
    }
    void enterPressesAFocusedCommandButton() {
        QFETCH(QString, button);
        FormOnEmptyBus f;
        f.form.NewVoltage->setText("1");  // Apply takes keys only while enabled
        auto* pressed = f.form.findChild<QPushButton*>(button);
        QSignalSpy clicks(pressed, &QAbstractButton::clicked);
        QTest::keyClick(pressed, Qt::Key_Return);
        QTest::keyClick(pressed, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(clicks.count(), 2);
    }

    // Enter and Space press a focused command button; other keys, and Enter with a modifier,
    // leave it to Qt, which presses nothing for them.
    void whichKeysPressACommandButton_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("clicks");
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << 1;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1;
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << 1;
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0;
        QTest::newRow("Shift+Return") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << 0;
        QTest::newRow("a letter") << int(Qt::Key_R) << int(Qt::NoModifier) << 0;
        QTest::newRow("a digit") << int(Qt::Key_5) << int(Qt::NoModifier) << 0;
    }
    void whichKeysPressACommandButton() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        FormOnEmptyBus f;
        QSignalSpy clicks(f.form.Refresh, &QAbstractButton::clicked);
        QTest::keyClick(f.form.Refresh, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(int(clicks.count()), "clicks");
    }

    void aHeldEnterPressesOnce() {
        FormOnEmptyBus f;
        QSignalSpy clicks(f.form.Refresh, &QAbstractButton::clicked);
        QKeyEvent first(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(f.form.Refresh, &first);
        QApplication::sendEvent(f.form.Refresh, &repeated);
        QCOMPARE(clicks.count(), 1);
    }
};

QTEST_MAIN(ReadbackWindowTest)
#include "readback_window_test.moc"
