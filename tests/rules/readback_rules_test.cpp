// The supply's answers taken apart by position and laid out per model.
#include "rules/readback_rules.h"

#include <QtTest>

#include "shipped_models.h"

namespace {
enum class Read { Voltage, Current, Output };
}
Q_DECLARE_METATYPE(Read)

class ReadbackRulesTest : public QObject {
    Q_OBJECT

private slots:
    void answersBecomeCaptions_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<Read>("read");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("caption");
        const auto row = [](const char* name, int model, Read read, const char* answer,
                            const char* caption) {
            QTest::newRow(name) << model << read << QString::fromLatin1(answer)
                                << QString::fromLatin1(caption);
        };
        // The HP 6032A's thresholds meet the number as read, before single precision (which
        // would put 19.99 just below itself).
        row("HP V 19.99: one decimal", kHp6032A, Read::Voltage, "VSET 19.990", "20.0");
        row("HP V 19.98: two decimals", kHp6032A, Read::Voltage, "VSET 19.980", "19.98");
        row("HP V 12.5", kHp6032A, Read::Voltage, "VSET 12.500", "12.50");
        row("HP I 20: one decimal", kHp6032A, Read::Current, "ISET 20.000", "20.0");
        row("HP I 19.99: two decimals", kHp6032A, Read::Current, "ISET 19.990", "19.99");
        row("HP I padded", kHp6032A, Read::Current, "ISET  1.000", "1.00");
        row("HP output on", kHp6032A, Read::Output, "OUT 1", "ON");
        row("HP output off", kHp6032A, Read::Output, "OUT 0", "OFF");
        row("PS5004 V 5.5", kPs5004, Read::Voltage, "VOLTAGE 5.500;", "5.500");
        row("PS5004 I 0.1", kPs5004, Read::Current, "CURRENT 0.100;", "0.1000");
        row("PS5004 output on", kPs5004, Read::Output, "OUT ON;", "ON");
        row("PS5004 lower case kept", kPs5004, Read::Output, "OUT on;", "on");
        row("PS5004 output off", kPs5004, Read::Output, "OUT OFF;", "OFF");
        row("PS5004 mixed case kept", kPs5004, Read::Output, "OUT Off;", "Off");
        row("PS5010 V 12.5", kPs5010, Read::Voltage, "VPOS 12.50;", "12.5");
        row("PS5010 V 32", kPs5010, Read::Voltage, "VNEG 32.00;", "32.0");
        row("PS5010 V 5", kPs5010, Read::Voltage, "VPOS 5.00;", "5.00");
        row("PS5010 I 0.4", kPs5010, Read::Current, "IPOS 0.400;", "0.40");
        row("PS5010 floating off", kPs5010, Read::Output, "FSOUT OFF;", "OFF");
        row("PS5010 floating on", kPs5010, Read::Output, "FSOUT ON;", "ON");
        row("PS5010 lower case kept", kPs5010, Read::Output, "FSOUT on;", "on");
        row("PS5010 mixed case kept", kPs5010, Read::Output, "FSOUT Off;", "Off");
        // Only the position counts: a header of another length shifts the number.
        row("header not checked", kPs5010, Read::Voltage, "VOLTS 7.00;", "0.00");
        row("short answer", kHp6032A, Read::Voltage, "VSE", "0.00");
    }
    void answersBecomeCaptions() {
        QFETCH(int, model);
        QFETCH(Read, read);
        QFETCH(QString, answer);
        QFETCH(QString, caption);
        const SupplyModel& row = ShippedModel(model);
        switch (read) {
            case Read::Voltage:
                QCOMPARE(VoltageCaption(row, answer), caption);
                break;
            case Read::Current:
                QCOMPARE(CurrentCaption(row, answer), caption);
                break;
            case Read::Output:
                QCOMPARE(OutputStateText(row, answer), caption);
                break;
        }
    }
};

QTEST_GUILESS_MAIN(ReadbackRulesTest)
#include "readback_rules_test.moc"
