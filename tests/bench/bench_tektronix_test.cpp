// The Tektronix modules on the bench: commands, answers, ranges, INIT, clears and service requests.
#include <QtTest>

#include "bench/tektronix.h"
#include "direct_bench.h"

namespace {
// Sends each message of `setup` ("|" between them), then the query; returns its answer.
QByteArray AnswerAfter(DirectBench& rig, int ud, const QByteArray& setup, const QByteArray& query) {
    for (const QByteArray& message : setup.split('|')) {
        if (!message.isEmpty()) rig.Write(ud, message);
    }
    return rig.Query(ud, query);
}
}  // namespace

class BenchTektronixTest : public QObject {
    Q_OBJECT

private slots:
    void commandsAndAnswers_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray ps10 = "PS5010", ps04 = "PS5004", dm = "DM5010";
        QTest::newRow("PS5010 identity")
            << ps10 << QByteArray() << QByteArray("ID?") << QByteArray("ID TEK/PS5010,V79.1;");
        QTest::newRow("PS5010 power-on levels")
            << ps10 << QByteArray() << QByteArray("VPOS?;IPOS?;VNEG?;INEG?")
            << QByteArray("VPOS 0.00;IPOS 0.400;VNEG 0.00;INEG 0.400;");
        QTest::newRow("PS5010 power-on logic")
            << ps10 << QByteArray() << QByteArray("VLOGIC?;ILOGIC?")
            << QByteArray("VLOGIC 5.00;ILOGIC 3.000;");
        QTest::newRow("PS5010 power-on outputs")
            << ps10 << QByteArray() << QByteArray("OUTPUT?") << QByteArray("FSOUT OFF;LSOUT OFF;");
        QTest::newRow("PS5010 voltage")
            << ps10 << QByteArray("VPOS 12.5") << QByteArray("VPOS?") << QByteArray("VPOS 12.50;");
        QTest::newRow("PS5010 long header, lower case")
            << ps10 << QByteArray("vpositive 3.25") << QByteArray("vpos?")
            << QByteArray("VPOS 3.25;");
        QTest::newRow("PS5010 scientific") << ps10 << QByteArray("VNEG 1.25E1")
                                           << QByteArray("VNEGATIVE?") << QByteArray("VNEG 12.50;");
        QTest::newRow("PS5010 blanks before the value")
            << ps10 << QByteArray("VPOS  32.0") << QByteArray("VPOS?") << QByteArray("VPOS 32.00;");
        QTest::newRow("PS5010 rounds to 10 mV")
            << ps10 << QByteArray("VPOS 1.234") << QByteArray("VPOS?") << QByteArray("VPOS 1.23;");
        QTest::newRow("PS5010 rounds half up")
            << ps10 << QByteArray("VPOS 1.235") << QByteArray("VPOS?") << QByteArray("VPOS 1.24;");
        QTest::newRow("PS5010 rounds, then checks")
            << ps10 << QByteArray("VPOS 32.004;IPOS 0.045") << QByteArray("VPOS?;IPOS?")
            << QByteArray("VPOS 32.00;IPOS 0.050;");
        QTest::newRow("PS5010 negative current")
            << ps10 << QByteArray("INEG 1.2") << QByteArray("INEG?") << QByteArray("INEG 1.200;");
        QTest::newRow("PS5010 settings and queries in one message")
            << ps10 << QByteArray() << QByteArray("VPOS 5;IPOS 0.5;VPOS?;IPOS?")
            << QByteArray("VPOS 5.00;IPOS 0.500;");
        QTest::newRow("PS5010 trailing separator")
            << ps10 << QByteArray("VPOS 2;") << QByteArray("VPOS?;") << QByteArray("VPOS 2.00;");
        QTest::newRow("PS5010 1.6 A at exactly 15 V")
            << ps10 << QByteArray("VPOS 15;IPOS 1.6") << QByteArray("IPOS?")
            << QByteArray("IPOS 1.600;");
        QTest::newRow("PS5010 above 15 V lowers the limit")
            << ps10 << QByteArray("IPOS 1.2|VPOS 20") << QByteArray("VPOS?;IPOS?")
            << QByteArray("VPOS 20.00;IPOS 0.750;");
        QTest::newRow("PS5010 above 15 V keeps a low limit")
            << ps10 << QByteArray("IPOS 0.5|VNEG 20") << QByteArray("IPOS?;INEG?")
            << QByteArray("IPOS 0.500;INEG 0.400;");
        QTest::newRow("PS5010 all outputs on") << ps10 << QByteArray("OUT ON") << QByteArray("OUT?")
                                               << QByteArray("FSOUT ON;LSOUT ON;");
        QTest::newRow("PS5010 floating outputs only")
            << ps10 << QByteArray("FSOUT ON") << QByteArray("FSOUT?;LSOUT?")
            << QByteArray("FSOUT ON;LSOUT OFF;");
        QTest::newRow("PS5010 logic output only")
            << ps10 << QByteArray("OUT ON|LSOUT OFF") << QByteArray("FSOUT?;LSOUT?")
            << QByteArray("FSOUT ON;LSOUT OFF;");
        QTest::newRow("PS5010 logic levels")
            << ps10 << QByteArray("VLOGIC 4.75;ILOGIC 1") << QByteArray("VLOGIC?;ILOGIC?")
            << QByteArray("VLOGIC 4.75;ILOGIC 1.000;");
        QTest::newRow("PS5010 INIT")
            << ps10 << QByteArray("VPOS 9;IPOS 1;VNEG 3;OUT ON|INIT")
            << QByteArray("VPOS?;IPOS?;VNEG?;OUTPUT?")
            << QByteArray("VPOS 0.00;IPOS 0.400;VNEG 0.00;FSOUT OFF;LSOUT OFF;");
        QTest::newRow("PS5004 identity")
            << ps04 << QByteArray() << QByteArray("ID?") << QByteArray("ID TEK/PS5004,V81.1;");
        QTest::newRow("PS5004 power-on") << ps04 << QByteArray() << QByteArray("VOL?;CUR?;OUT?")
                                         << QByteArray("VOLTAGE 0.000;CURRENT 0.100;OUT OFF;");
        QTest::newRow("PS5004 voltage")
            << ps04 << QByteArray("VOL 5.5") << QByteArray("VOL?") << QByteArray("VOLTAGE 5.500;");
        QTest::newRow("PS5004 long headers")
            << ps04 << QByteArray("VOLTAGE 19.999;CURRENT 0.305") << QByteArray("VOLTAGE?;CURRENT?")
            << QByteArray("VOLTAGE 19.999;CURRENT 0.305;");
        QTest::newRow("PS5004 rounds to 1 mA")
            << ps04 << QByteArray("CUR 0.0104") << QByteArray("CUR?")
            << QByteArray("CURRENT 0.010;");
        QTest::newRow("PS5004 output on")
            << ps04 << QByteArray("OUT ON") << QByteArray("OUT?") << QByteArray("OUT ON;");
        QTest::newRow("PS5004 INIT")
            << ps04 << QByteArray("VOL 7;CUR 0.2;OUT ON|INIT") << QByteArray("VOL?;CUR?;OUT?")
            << QByteArray("VOLTAGE 0.000;CURRENT 0.100;OUT OFF;");
        QTest::newRow("DM5010 identity")
            << dm << QByteArray() << QByteArray("ID?") << QByteArray("ID TEK/DM5010,V79.1;");
        QTest::newRow("DM5010 reading")
            << dm << QByteArray("FUNC DCV") << QByteArray("DCV?") << QByteArray("DCV +1.2345E+0;");
    }

    void commandsAndAnswers() {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, query);
        DirectBench rig;
        const int ud = rig.Place(5, kind.constData());
        QTEST(AnswerAfter(rig, ud, setup, query), "answer");
        QCOMPARE(rig.Poll(ud), 0);
    }

    void errorDiscardsTheWholeMessage_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QByteArray>("unchanged");
        QTest::addColumn<int>("statusByte");
        const QByteArray ps10 = "PS5010", ps04 = "PS5004";
        const int command = bench::kTekCommandError, execution = bench::kTekExecutionError;
        const QByteArray ps10Levels = "VPOS 0.00;IPOS 0.400;";
        QTest::newRow("above 32 V") << ps10 << QByteArray("VPOS 5;VPOS 40")
                                    << QByteArray("VPOS?;IPOS?") << ps10Levels << execution;
        QTest::newRow("32.01 V after rounding")
            << ps10 << QByteArray("VPOS 32.01") << QByteArray("VPOS?;IPOS?") << ps10Levels
            << execution;
        QTest::newRow("negative voltage") << ps10 << QByteArray("VPOS 5;VNEG -1")
                                          << QByteArray("VPOS?;IPOS?") << ps10Levels << execution;
        QTest::newRow("current above 1.6 A")
            << ps10 << QByteArray("VPOS 5;IPOS 2") << QByteArray("VPOS?;IPOS?") << ps10Levels
            << execution;
        QTest::newRow("current below 0.05 A")
            << ps10 << QByteArray("IPOS 0.04") << QByteArray("VPOS?;IPOS?") << ps10Levels
            << execution;
        QTest::newRow("0.8 A above 15 V") << ps10 << QByteArray("VPOS 15.01;IPOS 0.8")
                                          << QByteArray("VPOS?;IPOS?") << ps10Levels << execution;
        QTest::newRow("unknown header") << ps10 << QByteArray("VPOS 5;FOO 1")
                                        << QByteArray("VPOS?;IPOS?") << ps10Levels << command;
        QTest::newRow("word for a number") << ps10 << QByteArray("IPOS 1;VPOS five")
                                           << QByteArray("VPOS?;IPOS?") << ps10Levels << command;
        QTest::newRow("missing value")
            << ps10 << QByteArray("VPOS") << QByteArray("VPOS?;IPOS?") << ps10Levels << command;
        QTest::newRow("value glued to header")
            << ps10 << QByteArray("VPOS5") << QByteArray("VPOS?;IPOS?") << ps10Levels << command;
        QTest::newRow("ID without query")
            << ps10 << QByteArray("ID") << QByteArray("VPOS?;IPOS?") << ps10Levels << command;
        QTest::newRow("INIT with a value") << ps10 << QByteArray("VPOS 3;INIT 1")
                                           << QByteArray("VPOS?;IPOS?") << ps10Levels << command;
        QTest::newRow("output neither on nor off")
            << ps10 << QByteArray("OUT MAYBE") << QByteArray("OUTPUT?")
            << QByteArray("FSOUT OFF;LSOUT OFF;") << command;
        QTest::newRow("half-shortened header")
            << ps10 << QByteArray("VPOSIT 5") << QByteArray("VPOS?;IPOS?") << ps10Levels << command;
        QTest::newRow("HP command on a Tektronix")
            << ps04 << QByteArray("VSET 5") << QByteArray("VOL?") << QByteArray("VOLTAGE 0.000;")
            << command;
        QTest::newRow("PS5004 above 20 V")
            << ps04 << QByteArray("OUT ON;VOL 20.001") << QByteArray("VOL?;OUT?")
            << QByteArray("VOLTAGE 0.000;OUT OFF;") << execution;
        QTest::newRow("PS5004 above 0.305 A")
            << ps04 << QByteArray("VOL 5;CUR 0.306") << QByteArray("VOL?;CUR?")
            << QByteArray("VOLTAGE 0.000;CURRENT 0.100;") << execution;
        QTest::newRow("PS5004 below 0.01 A")
            << ps04 << QByteArray("CUR 0.009") << QByteArray("CUR?") << QByteArray("CURRENT 0.100;")
            << execution;
    }

    void errorDiscardsTheWholeMessage() {
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, query);
        DirectBench rig;
        const int ud = rig.Place(5, kind.constData());
        rig.Write(ud, message);
        QTEST(rig.Poll(ud), "statusByte");
        QCOMPARE(rig.Poll(ud), 0);  // the request is withdrawn by the poll
        QTEST(rig.Query(ud, query), "unchanged");
    }

    void answersBeforeAnErrorAreDiscardedToo() {
        DirectBench rig;
        const int ud = rig.Place(5, "PS5010");
        QCOMPARE(rig.Query(ud, "VPOS?;VPOS 99"), QByteArray("<timeout>"));
        QCOMPARE(rig.Poll(ud), int{bench::kTekExecutionError});
    }

    void newMessageReplacesAnUnreadAnswer_data() {
        QTest::addColumn<QByteArray>("next");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("another query") << QByteArray("IPOS?") << QByteArray("IPOS 0.400;");
        QTest::newRow("a command") << QByteArray("OUT ON") << QByteArray("<timeout>");
        QTest::newRow("an unknown header") << QByteArray("FOO") << QByteArray("<timeout>");
        QTest::newRow("a value out of range") << QByteArray("VPOS 99") << QByteArray("<timeout>");
        QTest::newRow("a query, then an error")
            << QByteArray("IPOS?;FOO") << QByteArray("<timeout>");
    }
    void newMessageReplacesAnUnreadAnswer() {
        QFETCH(QByteArray, next);
        DirectBench rig;
        const int ud = rig.Place(5, "PS5010");
        rig.Write(ud, "VPOS?");
        QTEST(rig.Query(ud, next), "answer");
    }

    void answerIsReadInPieces() {
        DirectBench rig;
        const int ud = rig.Place(5, "PS5010");
        rig.Write(ud, "ID?");
        QCOMPARE(rig.Read(ud, 3), QByteArray("ID "));
        QCOMPARE(rig.bench.LastStatus().ibsta & driver::END, 0);
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("TEK/PS5010,V79.1;"));
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("<timeout>"));
    }

    void deviceClearKeepsTheSettings() {
        DirectBench rig;
        const int ud = rig.Place(5, "PS5010");
        rig.Write(ud, "VPOS 7;OUT ON");
        rig.Write(ud, "VPOS?");
        rig.bench.ibclr(ud);
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("<timeout>"));
        QCOMPARE(rig.Query(ud, "VPOS?;FSOUT?"), QByteArray("VPOS 7.00;FSOUT ON;"));
    }

    void deviceClearDropsAHalfWrittenMessage() {
        DirectBench rig;
        rig.bench.Attach(5, bench::MakeInstrument("PS5010"));
        const int ud = rig.Open(5, 12, 0);
        rig.Write(ud, "VPOS 9");
        rig.bench.ibclr(ud);
        const int withEoi = rig.Open(5);
        QCOMPARE(rig.Query(withEoi, "VPOS?"), QByteArray("VPOS 0.00;"));
    }

    void messageMayComeInSeveralWrites() {
        DirectBench rig;
        rig.bench.Attach(5, bench::MakeInstrument("PS5010"));
        rig.Write(rig.Open(5, 12, 0), "VPOS 4;");
        QCOMPARE(rig.Query(rig.Open(5), "VPOS?"), QByteArray("VPOS 4.00;"));
    }
};

QTEST_APPLESS_MAIN(BenchTektronixTest)
#include "bench_tektronix_test.moc"
