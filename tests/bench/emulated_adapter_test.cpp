// The emulated adapters as a host sees them through their lines, each as its manual or firmware
// has it: replies and error lines, reads ended by EOI, a character or silence, polls and the
// AR488's listener search, its reset, lost input, cut long data, a held bus, a USB serial chip's
// latency; all on virtual clocks (the adapter's runs ahead of the host's while it is busy).
#include "bench/emulator/emulated_adapter.h"

#include <QtTest>

#include "bench/config.h"
#include "bench/emulator/line_reader.h"
#include "bench/scripted.h"
#include "bench/setup.h"

namespace {
using bench::AdapterModel;

struct Emulated {
    std::shared_ptr<driver::VirtualClock> host = std::make_shared<driver::VirtualClock>();
    std::shared_ptr<bench::AdapterClock> clock = std::make_shared<bench::AdapterClock>(host);
    bench::Bench bench{clock};
    bench::EmulatedAdapter adapter;

    Emulated(AdapterModel model, const std::string& config, bench::AdapterTraits traits = {})
        : adapter(model, std::move(traits), bench, clock) {
        bench::Configure(bench, bench::ParseConfig(config).config);
    }

    bench::ScriptedInstrument& Scripted(int pad) {
        auto made = std::make_unique<bench::ScriptedInstrument>();
        bench::ScriptedInstrument& scripted = *made;
        bench.Attach(pad, std::move(made));
        return scripted;
    }

    // Everything the adapter says back to these bytes, the host waiting for all of it.
    std::string Say(const std::string& bytes) {
        adapter.Receive(bytes);
        std::string said;
        while (const std::optional<double> due = adapter.NextOutputAt()) {
            host->Sleep(*due - host->Now());
            said += adapter.TakeOutput();
        }
        return said;
    }
};

bool Near(double value, double expected) {
    return std::abs(value - expected) < 0.01;
}
}  // namespace

Q_DECLARE_METATYPE(AdapterModel)

class EmulatedAdapterTest : public QObject {
    Q_OBJECT

private slots:
    // The firmware's way of reading lines: an unescaped CR or LF ends one, a blank one is none.
    void linesAreCommandsOrData_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");  // "++name" for commands, "data:" for data
        QTest::newRow("command, LF") << QByteArray("++addr 5\n") << QStringList{"++addr 5"};
        QTest::newRow("CR LF is one end")
            << QByteArray("++ver\r\nID?\r\n") << QStringList{"++ver", "data:ID?"};
        QTest::newRow("CR alone ends a line")
            << QByteArray("VPOS?\r++read eoi\r") << QStringList{"data:VPOS?", "++read eoi"};
        QTest::newRow("escaped plus is data")
            << QByteArray("\x1b++ver\n") << QStringList{"data:++ver"};
        QTest::newRow("two pluses alone are data") << QByteArray("++\n") << QStringList{"data:++"};
        QTest::newRow("empty lines are none") << QByteArray("\n\r\n\n") << QStringList{};
        QTest::newRow("unfinished line waits") << QByteArray("++clr") << QStringList{};
    }

    void linesAreCommandsOrData() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        bench::LineReader reader;
        QStringList taken;
        for (const char byte : bytes) {
            if (const std::optional<bench::HostLine> line = reader.Push(byte)) {
                taken << QString::fromStdString(line->command ? "++" + line->text
                                                              : "data:" + line->text);
            }
        }
        QCOMPARE(taken, lines);
    }

    void repliesToTheHost_data() {
        QTest::addColumn<AdapterModel>("model");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("reply");
        const AdapterModel prologix = AdapterModel::PrologixUsb;
        const AdapterModel ar488 = AdapterModel::Ar488;
        QTest::newRow("Prologix version")
            << prologix << QByteArray("++ver\n")
            << QByteArray("Prologix GPIB-USB Controller version 6.107\r\n");
        QTest::newRow("GPIB-ETHERNET version")
            << AdapterModel::PrologixEthernet << QByteArray("++ver\n")
            << QByteArray("Prologix GPIB-ETHERNET Controller version 01.06.06.00\r\n");
        QTest::newRow("settings asked back")
            << prologix << QByteArray("++eos 3\n++eos\n++eot_char 4\r\n++eot_char\r\n")
            << QByteArray("3\r\n4\r\n");
        // The manual documents no query form of it.
        QTest::newRow("Prologix: read_tmo_ms is not asked")
            << prologix << QByteArray("++read_tmo_ms 250\n++read_tmo_ms\n") << QByteArray();
        QTest::newRow("AR488: read_tmo_ms up to 32 s, and asked")
            << ar488 << QByteArray("++read_tmo_ms 4000\n++read_tmo_ms\n") << QByteArray("4000\r\n");
        QTest::newRow("AR488: a value out of range")
            << ar488 << QByteArray("++eos 7\n++eos\n") << QByteArray("Invalid parameter\r\n0\r\n");
        QTest::newRow("AR488: an unknown command")
            << ar488 << QByteArray("++findlstn\n") << QByteArray("Unrecognized command\r\n");
        QTest::newRow("AR488: savecfg writes its memory, answers nothing")
            << ar488 << QByteArray("++savecfg\n") << QByteArray();
        QTest::newRow("AR488: address with a secondary, written its way")
            << ar488 << QByteArray("++addr 5 0\n++addr\n") << QByteArray("5,96\r\n");
        QTest::newRow("Prologix: address with a secondary")
            << prologix << QByteArray("++addr 5 96\n++addr\n") << QByteArray("5 96\r\n");
        QTest::newRow("serial poll")
            << prologix << QByteArray("++spoll 5\n") << QByteArray("0\r\n");
        QTest::newRow("AR488: serial poll of several, the first that answers")
            << ar488 << QByteArray("++spoll 9 5\n") << QByteArray("0\r\n");
        QTest::newRow("AR488: no secondary address in a poll")
            << ar488 << QByteArray("++spoll 5 96\n") << QByteArray("Invalid parameter\r\n");
        QTest::newRow("AR488 listener search")
            << ar488 << QByteArray("++fndl all\n") << QByteArray("3,5\r\n");
        QTest::newRow("AR488 search of a range")
            << ar488 << QByteArray("++fndl 4-7\n") << QByteArray("5\r\n");
        QTest::newRow("AR488 search needs a parameter")
            << ar488 << QByteArray("++fndl\n") << QByteArray("Missing parameter\r\n");
        QTest::newRow("AR488 verbose toggles and echoes")
            << ar488 << QByteArray("++verbose\n++ver\n")
            << QByteArray(
                   "Verbose: ON\r\n> ++ver\r\nAR488 GPIB controller, ver. 0.53.04, "
                   "13/04/2025\r\n> ");
        QTest::newRow("a query, read to EOI with the mark")
            << prologix << QByteArray("++eot_enable 1\n++eot_char 4\n++addr 5\nID?\n++read eoi\n")
            << QByteArray("ID TEK/PS5010,V79.1;\x04");
        QTest::newRow("no mark unless asked for")
            << prologix << QByteArray("++addr 5\nID?\n++read eoi\n")
            << QByteArray("ID TEK/PS5010,V79.1;");
        QTest::newRow("read after each write")
            << prologix << QByteArray("++auto 1\n++addr 5\nVPOS?\n") << QByteArray("VPOS 0.00;");
        // A number after ++read is an address there: the answer of the instrument at 5, read
        // while address 3 is the current one.
        QTest::newRow("AR488: ++read <address>")
            << ar488
            << QByteArray(
                   "++eoi 1\n++eot_enable 1\n++eot_char 4\n++addr 5\nID?\n++addr 3\n++read 5 eoi\n")
            << QByteArray("ID TEK/PS5010,V79.1;\x04");
        QTest::newRow("AR488: flags kept in its memory")
            << ar488 << QByteArray("++flags 6\n++eoi 1\n++eos 3\n++addr 5\nID?\n++read eoi\n")
            << QByteArray("Send^OK\r\nID TEK/PS5010,V79.1;Read^OK\r\n");
    }

    void repliesToTheHost() {
        QFETCH(AdapterModel, model);
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, reply);
        bench::AdapterTraits traits;
        traits.resetSeconds = 0;
        Emulated emulated(model, "3=SILENT;5=PS5010", traits);
        QCOMPARE(QByteArray::fromStdString(emulated.Say(lines.toStdString())), reply);
    }

    // With ++eoi 1 or ++eor 7 an AR488 ends a read on EOI only; otherwise at its terminator.
    void anAr488EndsAReadAtItsTerminator_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("EOI, the line feed read on")
            << QByteArray("++eoi 1\n++eor 2\n") << QByteArray("A\nB\n");
        QTest::newRow("its line feed") << QByteArray("++eoi 0\n++eor 2\n") << QByteArray("A\n");
        QTest::newRow("its carriage return and line feed")
            << QByteArray("++eoi 0\n++eor 0\n") << QByteArray("A\nB\n");
    }

    void anAr488EndsAReadAtItsTerminator() {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, answer);
        bench::AdapterTraits traits;
        traits.resetSeconds = 0;
        Emulated emulated(AdapterModel::Ar488, "", traits);
        emulated.Scripted(7).AnswerTo("Q?", "A\nB\n");
        emulated.Say("++eos 3\n++eoi 1\n++read_tmo_ms 100\n++addr 7\nQ?\n" +
                     settings.toStdString());
        QCOMPARE(QByteArray::fromStdString(emulated.Say("++read\n")), answer);
    }

    void silenceTakesTheReadTimeOut_data() {
        QTest::addColumn<AdapterModel>("model");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("poll of an empty address")
            << AdapterModel::PrologixUsb << QByteArray("++spoll 9\n");
        QTest::newRow("AR488: poll of an empty address")
            << AdapterModel::Ar488 << QByteArray("++spoll 9\n");
        QTest::newRow("read of a silent instrument")
            << AdapterModel::PrologixUsb << QByteArray("++addr 3\n++read eoi\n");
    }

    void silenceTakesTheReadTimeOut() {
        QFETCH(AdapterModel, model);
        QFETCH(QByteArray, line);
        bench::AdapterTraits traits;
        traits.resetSeconds = 0;
        Emulated emulated(model, "3=SILENT;5=PS5010", traits);
        emulated.Say("++read_tmo_ms 700\n");
        QCOMPARE(emulated.Say(line.toStdString() + "++srq\n"), std::string("0\r\n"));
        QVERIFY2(Near(emulated.host->Now(), 0.7),
                 qPrintable(QString::number(emulated.host->Now())));
    }

    // An instrument slower than the read time-out is silence; within it, its answer comes late.
    void aSlowInstrument_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<double>("seconds");
        QTest::newRow("slower than the time-out") << QByteArray() << 3.0;
        QTest::newRow("within it") << QByteArray("ID TEK/PS5010,V79.1;") << 2.0;
    }

    void aSlowInstrument() {
        QFETCH(QByteArray, reply);
        QFETCH(double, seconds);
        Emulated emulated(AdapterModel::PrologixUsb, "5=PS5010");
        emulated.adapter.SlowDown(5, reply.isEmpty() ? 4.0 : 2.0);
        emulated.Say("++read_tmo_ms 3000\n++addr 5\nID?\n");
        const double asked = emulated.host->Now();
        QCOMPARE(QByteArray::fromStdString(emulated.Say("++read eoi\n++srq\n")), reply + "0\r\n");
        QVERIFY(Near(emulated.host->Now() - asked, seconds));
    }

    // One byte every 2 s passes the 3 s time-out between bytes: the read goes on for 8 s.
    void aTricklingAnswerOutlastsTheTimeOut() {
        Emulated emulated(AdapterModel::PrologixUsb, "");
        emulated.Scripted(7).AnswerAnyMessage("ABCD");
        emulated.adapter.Trickle(7, 2.0);
        emulated.Say("++read_tmo_ms 3000\n++addr 7\nQ?\n");
        QCOMPARE(emulated.Say("++read eoi\n"), std::string("ABCD"));
        QVERIFY(Near(emulated.host->Now(), 8.0));
    }

    void dataReachesTheInstrumentWithItsTerminator_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("escaped bytes")
            << QByteArray("++eos 3\nA\x1b+\x1b\r\x1b\n\x1b\x1b\n") << QByteArray("A+\r\n\x1b");
        QTest::newRow("ESC before another byte is dropped") << QByteArray(
                                                                   "++eos 3\n\x1b"
                                                                   "AB\n")
                                                            << QByteArray("AB");
        QTest::newRow("an escaped plus starts no command")
            << QByteArray("++eos 3\n\x1b++ver\n") << QByteArray("++ver");
        QTest::newRow("CR LF appended by default")
            << QByteArray("VPOS 1\n") << QByteArray("VPOS 1\r\n");
        QTest::newRow("LF") << QByteArray("++eos 2\nVPOS 1\n") << QByteArray("VPOS 1\n");
    }

    void dataReachesTheInstrumentWithItsTerminator() {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, message);
        Emulated emulated(AdapterModel::PrologixUsb, "");
        bench::ScriptedInstrument& instrument = emulated.Scripted(7);
        emulated.Say("++addr 7\n" + lines.toStdString());
        QCOMPARE(instrument.Received(), std::vector<std::string>{message.toStdString()});
    }

    // A firmware fault: each 128-byte piece is put on the bus with EOI, as a message of its own.
    void anAr488CutsLongData() {
        Emulated emulated(AdapterModel::Ar488, "");
        bench::ScriptedInstrument& instrument = emulated.Scripted(7);
        emulated.Say("++eoi 1\n++eos 3\n++addr 7\n" + std::string(200, 'A') + "\n");
        QCOMPARE(instrument.Received(),
                 (std::vector<std::string>{std::string(128, 'A'), std::string(72, 'A')}));
    }

    // While an AR488 waits on the bus (here 0.7 s for a silent instrument), 64 bytes wait in
    // its input and the rest is lost. A Prologix keeps all.
    void inputBehindABusyLine_data() {
        QTest::addColumn<AdapterModel>("model");
        QTest::addColumn<int>("messages");
        QTest::newRow("AR488 loses the second line") << AdapterModel::Ar488 << 0;
        QTest::newRow("Prologix keeps it") << AdapterModel::PrologixUsb << 1;
    }

    void inputBehindABusyLine() {
        QFETCH(AdapterModel, model);
        QFETCH(int, messages);
        bench::AdapterTraits traits;
        traits.resetSeconds = 0;
        Emulated emulated(model, "3=SILENT", traits);
        bench::ScriptedInstrument& instrument = emulated.Scripted(7);
        emulated.Say("++eoi 1\n++eos 3\n++read_tmo_ms 700\n++addr 3\n");
        emulated.adapter.Receive("++read eoi\n++addr 7\n" + std::string(70, '2') + "\n");
        QCOMPARE(static_cast<int>(instrument.Received().size()), messages);
    }

    // An instrument that holds NRFD for 2.5 s after a message keeps the adapter on the bus: an
    // AR488's handshake gives up after its read time-out (1 s), which covers writes too.
    void aHeldBusKeepsTheAdapterBusy() {
        bench::AdapterTraits traits;
        traits.resetSeconds = 0;
        Emulated emulated(AdapterModel::Ar488, "5=PS5010", traits);
        emulated.adapter.HoldNrfd(5, 2.5);
        emulated.Say("++read_tmo_ms 1000\n++addr 5\n");
        // Its unaddressing after the message waits 1 s in vain before "++ver" is read.
        QCOMPARE(emulated.Say("VPOS 1\n++ver\n").substr(0, 5), std::string("AR488"));
        QVERIFY(Near(emulated.host->Now(), 1.0));
        // A poll gives up after another second; the next one waits for the bus, then answers.
        QCOMPARE(emulated.Say("++spoll 5\n++spoll 5\n"), std::string("0\r\n"));
        QVERIFY(Near(emulated.host->Now(), 2.5));
    }

    // An AR488's search lists a secondary listener as the bus byte of its secondary address,
    // those after a gap not at all (its UNT ended the addressing); a bus with nobody on it makes
    // the search fail to transmit.
    void anAr488ListsSecondaryListeners() {
        Emulated emulated(AdapterModel::Ar488, "3=PS5004");
        for (const int sad : {96, 97, 99}) emulated.adapter.ListenAtSecondary(9, sad);
        QCOMPARE(emulated.Say("++fndl all\n"), std::string("3,9:96,9:97\r\n"));
        Emulated empty(AdapterModel::Ar488, ";");
        QCOMPARE(empty.Say("++fndl all\n"), std::string("Transmit failed!\r\n\r\n"));
    }

    // Its search leaves the last address tried taken for addressed to listen: the next message
    // goes there, not to the current address, until something unaddresses the bus.
    void anAr488SendsToTheLastAddressItSearched() {
        Emulated emulated(AdapterModel::Ar488, "5=PS5010");
        bench::ScriptedInstrument& last = emulated.Scripted(30);
        emulated.Say("++eoi 1\n++eos 3\n++addr 5\n++fndl all\nVPOS?\n");
        QCOMPARE(last.Received(), std::vector<std::string>{"VPOS?"});
        emulated.Say("++fndl all\n++unl\nVPOS?\n");
        QCOMPARE(last.Received().size(), std::size_t{1});
    }

    void anOlderAr488HasNoSearch() {
        bench::AdapterTraits traits;
        traits.findsListeners = false;
        Emulated emulated(AdapterModel::Ar488, "5=PS5010", traits);
        QCOMPARE(emulated.Say("++fndl all\n"), std::string("Unrecognized command\r\n"));
    }

    // An Arduino resets when its port is opened: for 1.5 s it hears nothing; then it greets
    // and raises its ready flag when its firmware and memory say so.
    void anAr488IsDeafWhileItResets() {
        bench::AdapterTraits traits;
        traits.greets = true;
        traits.saved = {{"flags", "1"}};
        Emulated emulated(AdapterModel::Ar488, "", traits);
        emulated.adapter.Opened();
        QCOMPARE(emulated.Say("++ver\n"), std::string("AR488 ready (controller).\r\nAR488~RDY"));
        emulated.host->Sleep(1.5);
        QVERIFY(emulated.Say("++ver\n").rfind("AR488 GPIB", 0) == 0);
    }

    void ar488AnswersWithItsRealVersionWhenAsked() {
        bench::AdapterTraits traits;
        traits.version = "My bench adapter";
        Emulated emulated(AdapterModel::Ar488, "", traits);
        QCOMPARE(emulated.Say("++ver\n"), std::string("My bench adapter\r\n"));
        QCOMPARE(emulated.Say("++ver real\n"),
                 std::string(bench::kAr488Version) + std::string("\r\n"));
    }

    // An FTDI chip holds what the adapter says until its latency timer runs out.
    void aUsbSerialChipHoldsTheReplyForItsLatency() {
        bench::AdapterTraits traits;
        traits.latency = 0.016;
        Emulated emulated(AdapterModel::PrologixUsb, "", traits);
        emulated.adapter.Receive("++ver\n");
        QCOMPARE(emulated.adapter.TakeOutput(), std::string());
        QVERIFY(Near(*emulated.adapter.NextOutputAt(), 0.016));
        emulated.host->Sleep(0.016);
        QVERIFY(emulated.adapter.TakeOutput().rfind("Prologix", 0) == 0);
    }

    // The unplugged adapter takes nothing more from the host.
    void unpluggedAtTheReadGiven() {
        Emulated emulated(AdapterModel::PrologixUsb, "5=PS5010");
        emulated.adapter.UnplugAtRead(2);
        emulated.Say("++eot_enable 1\n++addr 5\nID?\n++read eoi\n");
        QVERIFY(!emulated.adapter.Unplugged());
        QCOMPARE(emulated.Say("ID?\n++read eoi\n++ver\n"), std::string());
        QVERIFY(emulated.adapter.Unplugged());
    }

    // Both sides in the bench's trace: the host's lines and the bus messages they became.
    void theTraceShowsLinesAndBusMessages() {
        Emulated emulated(AdapterModel::PrologixUsb, "5=PS5010");
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
