// The HP 6032A on the bench: commands with units, CR LF answers, numbered errors, the latest
// answer.
#include <QtTest>

#include "direct_bench.h"

class BenchHp6032aTest : public QObject {
    Q_OBJECT

private slots:
    void commandsAndAnswers_data() {
        QTest::addColumn<QByteArray>("setup");  // messages separated by "|"
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("identity") << QByteArray() << QByteArray("ID?") << QByteArray("HP6032A\r\n");
        QTest::newRow("power-on voltage")
            << QByteArray() << QByteArray("VSET?") << QByteArray("VSET  0.000\r\n");
        QTest::newRow("power-on current")
            << QByteArray() << QByteArray("ISET?") << QByteArray("ISET  0.000\r\n");
        QTest::newRow("power-on output")
            << QByteArray() << QByteArray("OUT?") << QByteArray("OUT 1\r\n");
        QTest::newRow("voltage") << QByteArray("VSET 12.5") << QByteArray("VSET?")
                                 << QByteArray("VSET 12.500\r\n");
        QTest::newRow("current") << QByteArray("ISET 1") << QByteArray("ISET?")
                                 << QByteArray("ISET  1.000\r\n");
        QTest::newRow("volts unit")
            << QByteArray("VSET 20 V") << QByteArray("VSET?") << QByteArray("VSET 20.000\r\n");
        QTest::newRow("millivolts")
            << QByteArray("VSET 20 MV") << QByteArray("VSET?") << QByteArray("VSET  0.020\r\n");
        QTest::newRow("milliamps")
            << QByteArray("ISET 500MA") << QByteArray("ISET?") << QByteArray("ISET  0.500\r\n");
        QTest::newRow("lower case")
            << QByteArray("vset 3") << QByteArray("vset?") << QByteArray("VSET  3.000\r\n");
        QTest::newRow("substituted limit")
            << QByteArray("VSET  60.0") << QByteArray("VSET?") << QByteArray("VSET 60.000\r\n");
        QTest::newRow("programming maximum")
            << QByteArray("VSET 61.425;ISET 51.1875") << QByteArray("VSET?")
            << QByteArray("VSET 61.425\r\n");
        QTest::newRow("output off")
            << QByteArray("OUT OFF") << QByteArray("OUT?") << QByteArray("OUT 0\r\n");
        QTest::newRow("output 0 then 1")
            << QByteArray("OUT 0|OUT 1") << QByteArray("OUT?") << QByteArray("OUT 1\r\n");
        QTest::newRow("LF ends a command")
            << QByteArray() << QByteArray("VSET 5\nVSET?") << QByteArray("VSET  5.000\r\n");
        QTest::newRow("blanks around terminators")
            << QByteArray("VSET 4 ; ISET 2 ") << QByteArray("ISET?")
            << QByteArray("ISET  2.000\r\n");
        QTest::newRow("only the latest answer")
            << QByteArray() << QByteArray("VSET?;ISET?") << QByteArray("ISET  0.000\r\n");
        QTest::newRow("output voltage while on")
            << QByteArray("VSET 5") << QByteArray("VOUT?") << QByteArray("VOUT  5.000\r\n");
        QTest::newRow("output voltage while off")
            << QByteArray("VSET 5;OUT OFF") << QByteArray("VOUT?") << QByteArray("VOUT  0.000\r\n");
        QTest::newRow("no load, no current")
            << QByteArray("ISET 2") << QByteArray("IOUT?") << QByteArray("IOUT  0.000\r\n");
        QTest::newRow("status while on")
            << QByteArray() << QByteArray("STS?") << QByteArray("STS 1\r\n");
        QTest::newRow("CLR back to power-on")
            << QByteArray("VSET 5;ISET 1;OUT 0|CLR") << QByteArray("VSET?;ISET?;OUT?")
            << QByteArray("OUT 1\r\n");
        QTest::newRow("CLR resets the voltage")
            << QByteArray("VSET 5|CLR") << QByteArray("VSET?") << QByteArray("VSET  0.000\r\n");
        QTest::newRow("RST changes nothing")
            << QByteArray("VSET 5|RST") << QByteArray("VSET?") << QByteArray("VSET  5.000\r\n");
        QTest::newRow("bad command skipped, next one runs")
            << QByteArray("VSET -1;ISET 2") << QByteArray("VSET?;ISET?")
            << QByteArray("ISET  2.000\r\n");
        QTest::newRow("no error") << QByteArray("VSET 1") << QByteArray("ERR?")
                                  << QByteArray("ERR 0\r\n");
    }

    void commandsAndAnswers() {
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, query);
        DirectBench rig;
        const int ud = rig.Place(7, "HP6032A");
        for (const QByteArray& message : setup.split('|')) {
            if (!message.isEmpty()) rig.Write(ud, message);
        }
        QTEST(rig.Query(ud, query), "answer");
    }

    void errorsAreNumbered_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("code");
        QTest::newRow("INIT is unknown") << QByteArray("INIT") << 3;
        QTest::newRow("unrecognized character") << QByteArray("VSET 5@") << 1;
        QTest::newRow("improper number") << QByteArray("VSET 1.2.3") << 2;
        QTest::newRow("negative voltage") << QByteArray("VSET -1") << 5;
        QTest::newRow("above programming maximum") << QByteArray("VSET 61.5") << 5;
        QTest::newRow("current above maximum") << QByteArray("ISET 51.2") << 5;
        QTest::newRow("missing value") << QByteArray("VSET") << 4;
        QTest::newRow("wrong unit") << QByteArray("VSET 5 A") << 4;
        QTest::newRow("output 2") << QByteArray("OUT 2") << 4;
        QTest::newRow("ID without query") << QByteArray("ID") << 4;
        QTest::newRow("query with a value") << QByteArray("VSET? 5") << 4;
    }

    void errorsAreNumbered() {
        QFETCH(QByteArray, message);
        QFETCH(int, code);
        DirectBench rig;
        const int ud = rig.Place(7, "HP6032A");
        rig.Write(ud, "VSET 2");
        QCOMPARE(rig.Poll(ud), 0x10);
        rig.Write(ud, message);
        QCOMPARE(rig.Poll(ud), 0x30);  // ready, and an error to be read
        QCOMPARE(rig.Query(ud, "ERR?"), "ERR " + QByteArray::number(code) + "\r\n");
        QCOMPARE(rig.Query(ud, "ERR?"), QByteArray("ERR 0\r\n"));
        QCOMPARE(rig.Query(ud, "VSET?"), QByteArray("VSET  2.000\r\n"));
    }

    void readingWithoutAQueryIsError8() {
        DirectBench rig;
        const int ud = rig.Place(7, "HP6032A");
        QCOMPARE(rig.Query(ud, "ID?"), QByteArray("HP6032A\r\n"));
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("<timeout>"));
        QCOMPARE(rig.Query(ud, "ERR?"), QByteArray("ERR 8\r\n"));
    }

    void unreadAnswerStaysUntilTheNextQuery() {
        DirectBench rig;
        const int ud = rig.Place(7, "HP6032A");
        rig.Write(ud, "VSET?");
        rig.Write(ud, "VSET 3");
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("VSET  0.000\r\n"));
    }

    void endComesWithTheLineFeed() {
        DirectBench rig;
        const int ud = rig.Place(7, "HP6032A");
        rig.Write(ud, "ID?");
        QCOMPARE(rig.Read(ud, 8), QByteArray("HP6032A\r"));
        QCOMPARE(rig.bench.LastStatus().ibsta & driver::END, 0);
        QCOMPARE(rig.Read(ud, 8), QByteArray("\n"));
        QCOMPARE(rig.bench.LastStatus().ibsta & driver::END, driver::END);
    }

    void deviceClearDropsTheAnswerOnly() {
        DirectBench rig;
        const int ud = rig.Place(7, "HP6032A");
        rig.Write(ud, "VSET 9;VSET?");
        rig.bench.ibclr(ud);
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("<timeout>"));
        QCOMPARE(rig.Query(ud, "VSET?"), QByteArray("VSET  9.000\r\n"));
    }
};

QTEST_APPLESS_MAIN(BenchHp6032aTest)
#include "bench_hp6032a_test.moc"
