// What Apply checks and sends: the limits, the three questions per model, the commands.
#include "rules/apply_rules.h"

#include <QtTest>

#include "rules/supplies.h"

namespace {
enum class Check { Voltage, MinCurrent, MaxCurrent };

const SupplyModel& Model(const QString& name) {
    for (const SupplyModel& model : kSupplyModels)
        if (name == QLatin1String(model.ModelName)) return model;
    throw std::invalid_argument("no such model");
}

std::optional<LimitQuestion> Ask(Check check, const QString& value, float limit) {
    switch (check) {
        case Check::Voltage:
            return VoltageAboveLimit(value, limit);
        case Check::MinCurrent:
            return CurrentBelowLimit(value, limit);
        case Check::MaxCurrent:
            return CurrentAboveLimit(value, limit);
    }
    return std::nullopt;
}

float LimitOf(const SupplyModel& model, Check check, const QString& voltage) {
    switch (check) {
        case Check::Voltage:
            return model.MaxVoltage;
        case Check::MinCurrent:
            return model.MinCurrent;
        case Check::MaxCurrent:
            return MaxCurrentFor(model, voltage);
    }
    return 0;
}
}  // namespace
Q_DECLARE_METATYPE(Check)

class ApplyRulesTest : public QObject {
    Q_OBJECT

private slots:
    void threeQuestionsForThreeModels_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("voltage");  // decides the PS5010's ceiling
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("secondLine");
        QTest::addColumn<QString>("limitText");
        const auto row = [](const char* model, Check check, const char* voltage, const char* value,
                            const char* title, const char* secondLine, const char* limitText) {
            QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(model, secondLine)))
                << QString(model) << check << QString(voltage) << QString(value) << QString(title)
                << QString(secondLine) << QString(limitText);
        };
        row("PS5010", Check::Voltage, "", "40", "Voltage Error", "Must be less than 32 V.",
            " 32.0");
        row("PS5004", Check::Voltage, "", "20.5", "Voltage Error", "Must be less than 20 V.",
            " 20.0");
        row("HP 6032A", Check::Voltage, "", "61", "Voltage Error", "Must be less than 60 V.",
            " 60.0");
        row("PS5010", Check::MinCurrent, "", "0.04", "Current Error", "Must be more than 0.05 A.",
            " 0.05");
        row("PS5004", Check::MinCurrent, "", "0", "Current Error", "Must be more than 0.01 A.",
            " 0.01");
        row("PS5010", Check::MaxCurrent, "15", "1.7", "Current Error", "Must be less than 1.600 A",
            " 1.600");
        row("PS5010", Check::MaxCurrent, "15.01", "1", "Current Error", "Must be less than 0.750 A",
            " 0.750");
        row("PS5004", Check::MaxCurrent, "", "0.31", "Current Error", "Must be less than 0.305 A",
            " 0.305");
        row("HP 6032A", Check::MaxCurrent, "", "51", "Current Error", "Must be less than 50.00 A",
            " 50.00");
    }
    void threeQuestionsForThreeModels() {
        QFETCH(QString, model);
        QFETCH(Check, check);
        QFETCH(QString, voltage);
        QFETCH(QString, value);
        QFETCH(QString, title);
        QFETCH(QString, secondLine);
        QFETCH(QString, limitText);
        const std::optional<LimitQuestion> question =
            Ask(check, value, LimitOf(Model(model), check, voltage));
        QVERIFY(question.has_value());
        QCOMPARE(question->title, title);
        const QString setting = check == Check::Voltage ? "voltage" : "current";
        const QString instead = check == Check::Voltage      ? "Max Voltage"
                                : check == Check::MinCurrent ? "Min Current"
                                                             : "Max Current";
        QCOMPARE(question->text, "Invalid " + setting + " setting !\n" + secondLine +
                                     "\n\nDo you want to use " + instead + " instead ?");
        QCOMPARE(question->limitText, limitText);
    }

    // Every comparison is strict, on single-precision values.
    void valuesAtTheLimitPass_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("value");
        QTest::newRow("0.05 A minimum") << "PS5010" << Check::MinCurrent << ""
                                        << "0.05";
        QTest::newRow("0.01 A minimum") << "PS5004" << Check::MinCurrent << ""
                                        << "0.01";
        QTest::newRow("0.75 A above 15 V") << "PS5010" << Check::MaxCurrent << "32"
                                           << "0.75";
        QTest::newRow("HP 6032A minimum 0") << "HP 6032A" << Check::MinCurrent << ""
                                            << "0";
        QTest::newRow("empty voltage reads 0") << "PS5004" << Check::Voltage << ""
                                               << "";
        QTest::newRow("empty current has no minimum") << "PS5004" << Check::MinCurrent << ""
                                                      << "";
    }
    void valuesAtTheLimitPass() {
        QFETCH(QString, model);
        QFETCH(Check, check);
        QFETCH(QString, voltage);
        QFETCH(QString, value);
        QVERIFY(!Ask(check, value, LimitOf(Model(model), check, voltage)).has_value());
    }

    // A value the checks need and the user did not give is asked for (pulvar-cli asks the
    // supply): the voltage only where the current limit follows it, the current for its maximum.
    void onlyWhatTheChecksNeedIsAskedFor_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("PS5010 current only") << "PS5010"
                                             << ""
                                             << "1" << QStringList{"voltage"};
        QTest::newRow("PS5004 current only") << "PS5004"
                                             << ""
                                             << "0.1" << QStringList{};
        QTest::newRow("HP 6032A current only") << "HP 6032A"
                                               << ""
                                               << "1" << QStringList{};
        QTest::newRow("PS5004 voltage only") << "PS5004"
                                             << "5"
                                             << "" << QStringList{"current"};
        QTest::newRow("PS5010 voltage only") << "PS5010"
                                             << "5"
                                             << "" << QStringList{"current"};
    }
    void onlyWhatTheChecksNeedIsAskedFor() {
        QFETCH(QString, model);
        QFETCH(QString, voltage);
        QFETCH(QString, current);
        QStringList asked;
        const auto shown = [&](LimitedValue which) {
            asked << (which == LimitedValue::Voltage ? "voltage" : "current");
            return QStringLiteral("0.1");
        };
        QVERIFY(PassLimits(Model(model), voltage, current, shown,
                           [](const LimitQuestion&, LimitedValue) { return false; }));
        QTEST(asked, "asked");
    }

    void applyReadsTheOutputStateItsOwnWay_data() {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("off");
        QTest::newRow("bare 0") << "0" << true;
        QTest::newRow("bare 1") << "1" << false;
        QTest::newRow("OUT OFF") << "OUT OFF" << true;
        QTest::newRow("OUT ON;") << "OUT ON;" << false;
        QTest::newRow("one output off") << "FSOUT ON;LSOUT OFF;" << true;
        QTest::newRow("lower case off") << "OUT off;" << false;
        // The HP 6032A's answer with its header is not a bare 0.
        QTest::newRow("OUT 0") << "OUT 0" << false;
        QTest::newRow("failed query") << "" << false;
    }
    void applyReadsTheOutputStateItsOwnWay() {
        QFETCH(QString, reply);
        QFETCH(bool, off);
        QCOMPARE(ApplyFindsOutputOff(reply), off);
    }
};

QTEST_GUILESS_MAIN(ApplyRulesTest)
#include "apply_rules_test.moc"
