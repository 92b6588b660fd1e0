// The emulated adapters as a host sees them through their lines: replies, reads ended by the
// end-of-transmission mark or by silence, polls of empty addresses that stay silent, an AR488's
// listener search, reset on open, lost input and cut long data; all on a virtual clock.
#include "bench/emulator/emulated_adapter.h"

#include <QtTest>

#include "bench/config.h"
#include "bench/scripted.h"
#include "bench/setup.h"

namespace {
struct Emulated {
    std::shared_ptr<driver::VirtualClock> clock = std::make_shared<driver::VirtualClock>();
    bench::Bench bench{clock};
    bench::EmulatedAdapter adapter;

    Emulated(adapter::Kind kind, const std::string& config, std::string version = "")
        : adapter(kind,
                  version.empty()
                      ? std::string(kind == adapter::Kind::Ar488 ? bench::kAr488Version
                                                                 : bench::kPrologixUsbVersion)
                      : version,
                  bench, clock) {
        bench::Configure(bench, bench::ParseConfig(config).config);
    }

    bench::ScriptedInstrument& Scripted(int pad) {
        auto made = std::make_unique<bench::ScriptedInstrument>();
        bench::ScriptedInstrument& scripted = *made;
        bench.Attach(pad, std::move(made));
        return scripted;
    }

    // What the adapter sends back to these bytes.
    std::string Say(const std::string& bytes) {
        adapter.Receive(bytes);
        return adapter.TakeOutput();
    }
};
}  // namespace

class EmulatedAdapterTest : public QObject {
    Q_OBJECT

private slots:
    void repliesToTheHost_data() {
        QTest::addColumn<bool>("ar488");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("Prologix version")
            << false << QByteArray("++ver\n")
            << QByteArray("Prologix GPIB-USB Controller version 6.107\r\n");
        QTest::newRow("settings asked back")
            << false << QByteArray("++eos 3\n++eos\n++read_tmo_ms 250\r\n++read_tmo_ms\r\n")
            << QByteArray("3\r\n250\r\n");
        QTest::newRow("Prologix refuses a time-out above 3 s")
            << false << QByteArray("++read_tmo_ms 4000\n++read_tmo_ms\n") << QByteArray("500\r\n");
        QTest::newRow("AR488 takes up to 32 s")
            << true << QByteArray("++read_tmo_ms 4000\n++read_tmo_ms\n") << QByteArray("4000\r\n");
        QTest::newRow("AR488: savecfg is no setting")
            << true << QByteArray("++savecfg\n") << QByteArray();
        QTest::newRow("address with a secondary")
            << false << QByteArray("++addr 5 96\n++addr\n") << QByteArray("5 96\r\n");
        QTest::newRow("serial poll") << false << QByteArray("++spoll 5\n") << QByteArray("0\r\n");
        QTest::newRow("AR488 listener search")
            << true << QByteArray("++fndl all\n") << QByteArray("3,5\r\n");
        QTest::newRow("AR488 search of one address")
            << true << QByteArray("++fndl 4-7\n") << QByteArray("5\r\n");
        QTest::newRow("AR488 verbose toggles")
            << true << QByteArray("++verbose\n++ver\n")
            << QByteArray(
                   "Verbose: ON\r\n++ver\r\nAR488 GPIB controller, ver. 0.53.04, 13/04/2025\r\n");
        QTest::newRow("a query, read to EOI with the mark")
            << false << QByteArray("++eot_enable 1\n++eot_char 4\n++addr 5\nID?\n++read eoi\n")
            << QByteArray("ID TEK/PS5010,V79.1;\x04");
        QTest::newRow("no mark unless asked for")
            << false << QByteArray("++addr 5\nID?\n++read eoi\n")
            << QByteArray("ID TEK/PS5010,V79.1;");
        QTest::newRow("read after each write")
            << false << QByteArray("++auto 1\n++addr 5\nVPOS?\n") << QByteArray("VPOS 0.00;");
    }

    void repliesToTheHost() {
        QFETCH(bool, ar488);
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, reply);
        Emulated emulated(ar488 ? adapter::Kind::Ar488 : adapter::Kind::Prologix,
                          "3=SILENT;5=PS5010");
        QCOMPARE(QByteArray::fromStdString(emulated.Say(lines.toStdString())), reply);
    }

    void silenceTakesTheReadTimeOut_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("poll of an empty address") << QByteArray("++spoll 9\n");
        QTest::newRow("read of a silent instrument") << QByteArray("++addr 3\n++read eoi\n");
    }

    void silenceTakesTheReadTimeOut() {
        QFETCH(QByteArray, line);
        Emulated emulated(adapter::Kind::Prologix, "3=SILENT;5=PS5010");
        emulated.Say("++read_tmo_ms 700\n");
        QCOMPARE(emulated.Say(line.toStdString()), std::string());
        QCOMPARE(emulated.clock->Now(), 0.7);
    }

    // An instrument slower than the read time-out is silence; within it, its answer comes late.
    void aSlowInstrument_data() {
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<double>("seconds");
        QTest::newRow("slower than the time-out") << 3000 << QByteArray() << 3.0;
        QTest::newRow("within it") << 3000 << QByteArray("ID TEK/PS5010,V79.1;") << 2.0;
    }

    void aSlowInstrument() {
        QFETCH(int, timeoutMs);
        QFETCH(QByteArray, reply);
        QFETCH(double, seconds);
        Emulated emulated(adapter::Kind::Prologix, "5=PS5010");
        emulated.adapter.SlowDown(5, reply.isEmpty() ? 4.0 : 2.0);
        emulated.Say("++read_tmo_ms " + std::to_string(timeoutMs) + "\n++addr 5\nID?\n");
        const double asked = emulated.clock->Now();
        QCOMPARE(QByteArray::fromStdString(emulated.Say("++read eoi\n")), reply);
        QCOMPARE(emulated.clock->Now() - asked, seconds);
    }

    void dataReachesTheInstrumentWithItsTerminator_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("escaped bytes")
            << QByteArray("++eos 3\nA\x1b+\x1b\r\x1b\n\x1b\x1b\n") << QByteArray("A+\r\n\x1b");
        QTest::newRow("CR LF appended by default")
            << QByteArray("VPOS 1\n") << QByteArray("VPOS 1\r\n");
        QTest::newRow("LF") << QByteArray("++eos 2\nVPOS 1\n") << QByteArray("VPOS 1\n");
    }

    void dataReachesTheInstrumentWithItsTerminator() {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, message);
        Emulated emulated(adapter::Kind::Prologix, "");
        bench::ScriptedInstrument& instrument = emulated.Scripted(7);
        emulated.Say("++addr 7\n" + lines.toStdString());
        QCOMPARE(instrument.Received(), std::vector<std::string>{message.toStdString()});
    }

    // A firmware fault: each 128-byte piece is put on the bus with EOI, as a message of its own.
    void anAr488CutsLongData() {
        Emulated emulated(adapter::Kind::Ar488, "");
        bench::ScriptedInstrument& instrument = emulated.Scripted(7);
        emulated.Say("++eoi 1\n++eos 3\n++addr 7\n" + std::string(200, 'A') + "\n");
        QCOMPARE(instrument.Received(),
                 (std::vector<std::string>{std::string(128, 'A'), std::string(72, 'A')}));
    }

    // Behind a line that keeps it on the bus an AR488 holds 64 bytes; the rest is lost. A
    // Prologix keeps all.
    void inputBehindABusyLine_data() {
        QTest::addColumn<bool>("ar488");
        QTest::addColumn<int>("messages");
        QTest::newRow("AR488 loses the second line") << true << 1;
        QTest::newRow("Prologix keeps it") << false << 2;
    }

    void inputBehindABusyLine() {
        QFETCH(bool, ar488);
        QFETCH(int, messages);
        Emulated emulated(ar488 ? adapter::Kind::Ar488 : adapter::Kind::Prologix, "");
        bench::ScriptedInstrument& instrument = emulated.Scripted(7);
        emulated.Say("++eoi 1\n++eos 3\n++addr 7\n");
        emulated.Say(std::string(10, '1') + "\n" + std::string(70, '2') + "\n");
        QCOMPARE(static_cast<int>(instrument.Received().size()), messages);
    }

    // An Arduino resets when its port is opened: for 1.5 s it hears nothing.
    void anAr488IsDeafWhileItResets() {
        Emulated emulated(adapter::Kind::Ar488, "");
        emulated.adapter.Opened();
        QCOMPARE(emulated.Say("++ver\n"), std::string());
        emulated.clock->Sleep(1.5);
        QVERIFY(emulated.Say("++ver\n").rfind("AR488", 0) == 0);
    }

    void ar488AnswersWithItsRealVersionWhenAsked() {
        Emulated emulated(adapter::Kind::Ar488, "", "My bench adapter");
        QCOMPARE(emulated.Say("++ver\n"), std::string("My bench adapter\r\n"));
        QCOMPARE(emulated.Say("++ver real\n"),
                 std::string(bench::kAr488Version) + std::string("\r\n"));
    }

    // The unplugged adapter takes nothing more from the host.
    void unpluggedAtTheReadGiven() {
        Emulated emulated(adapter::Kind::Prologix, "5=PS5010");
        emulated.adapter.UnplugAtRead(2);
        emulated.Say("++eot_enable 1\n++addr 5\nID?\n++read eoi\n");
        QVERIFY(!emulated.adapter.Unplugged());
        QCOMPARE(emulated.Say("ID?\n++read eoi\n++ver\n"), std::string());
        QVERIFY(emulated.adapter.Unplugged());
    }

    // Both sides in the bench's trace: the host's lines and the bus messages they became.
    void theTraceShowsLinesAndBusMessages() {
        Emulated emulated(adapter::Kind::Prologix, "5=PS5010");
        emulated.Say("++addr 5\nVPOS 12.5\n");
        std::vector<std::string> lines;
        for (const std::string& line : emulated.bench.TraceLines())
            lines.push_back(line.substr(line.find(' ') + 1));
        QCOMPARE(lines[0], std::string("host> \"++addr 5\""));
        QCOMPARE(lines[1], std::string("host> \"VPOS 12.5\""));
        QVERIFY(lines[2].rfind("ibdev board=0 pad=5 sad=0 tmo=0 eot=1 eos=0", 0) == 0);
        QVERIFY(lines[3].rfind("ibwrt ud=16 pad=5 data=\"VPOS 12.5\\r\\n\"", 0) == 0);
    }
};

QTEST_APPLESS_MAIN(EmulatedAdapterTest)
#include "emulated_adapter_test.moc"
