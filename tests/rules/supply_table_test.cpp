// The model table: which channel each model and output is, and the words that set it.
#include <QtTest>

#include "bench/instruments.h"
#include "shipped_models.h"

class SupplyTableTest : public QObject {
    Q_OBJECT

private slots:
    // Each channel's words, with a value appended as Apply does, set exactly that channel of
    // the supply on the bench, and nothing else.
    void commandWordsSetTheChannelOfTheModel_data() {
        QTest::addColumn<int>("modelCode");
        QTest::addColumn<bool>("minusSelected");
        QTest::addColumn<QByteArray>("voltageWord");
        QTest::addColumn<QByteArray>("currentWord");
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("HP 6032A") << int{kHp6032A} << false << QByteArray("VSET ")
                                  << QByteArray("ISET ") << QByteArray("HP6032A")
                                  << QByteArray("VSET 1.500;ISET 0.250;OUT 1");
        QTest::newRow("PS5004") << int{kPs5004} << false << QByteArray("VOL ") << QByteArray("CUR ")
                                << QByteArray("PS5004")
                                << QByteArray("VOLTAGE 1.500;CURRENT 0.250;OUT OFF;");
        QTest::newRow("PS5010 +") << int{kPs5010} << false << QByteArray("VPOS ")
                                  << QByteArray("IPOS ") << QByteArray("PS5010")
                                  << QByteArray(
                                         "VPOS 1.50;IPOS 0.250;VNEG 0.00;INEG 0.400;"
                                         "VLOGIC 5.00;ILOGIC 3.000;FSOUT OFF;LSOUT OFF;");
        QTest::newRow("PS5010 -") << int{kPs5010} << true << QByteArray("VNEG ")
                                  << QByteArray("INEG ") << QByteArray("PS5010")
                                  << QByteArray(
                                         "VPOS 0.00;IPOS 0.400;VNEG 1.50;INEG 0.250;"
                                         "VLOGIC 5.00;ILOGIC 3.000;FSOUT OFF;LSOUT OFF;");
    }
    void commandWordsSetTheChannelOfTheModel() {
        QFETCH(int, modelCode);
        QFETCH(bool, minusSelected);
        QFETCH(QByteArray, kind);

        const Channel channel = minusSelected ? Channel::Minus : Channel::Plus;
        const CommandWordPair& words = ShippedModel(modelCode).Facts(channel).CommandWords;
        QTEST(QByteArray(words.voltage), "voltageWord");
        QTEST(QByteArray(words.current), "currentWord");

        const auto supply = bench::MakeInstrument(kind.toStdString());
        for (const std::string& command :
             {std::string(words.voltage) + "1.5", std::string(words.current) + "0.25"}) {
            supply->Listen(command, true, 0.0);
        }
        QTEST(QByteArray::fromStdString(supply->Settings()), "settings");
    }
};

QTEST_APPLESS_MAIN(SupplyTableTest)
#include "supply_table_test.moc"
