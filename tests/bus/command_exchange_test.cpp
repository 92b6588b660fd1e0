// Commands and queries to the identified supply, read-back trimming and the error reports.
#include <QtTest>

#include "bench/bench.h"
#include "bench_rig.h"
#include "bus/device_io.h"
#include "bus/gpib_error_text.h"
#include "driver/driver_api.h"
#include "trace_rules.h"

namespace {
constexpr int kPad = 9;

// A rig whose supply at kPad is a scripted instrument, already found by the search.
struct ScriptedSupply {
    BenchRig rig{"register=0"};
    bench::ScriptedInstrument* instrument = nullptr;
    int16_t device = 0;

    ScriptedSupply() {
        instrument = &rig.AttachScripted(kPad);
        instrument->AnswerTo("ID?", "ID TEK/PS5010,V79.1;");
        rig.bus.DeviceTimeout = gpib::T3s;
        rig.bus.InitBus(1);
        std::string query = "ID?", expected = "!PS5010";
        device = rig.bus.FindDevice(query, expected);
        rig.ForgetTrace();
    }
    std::string Query(const std::string& answer) {
        instrument->AnswerTo("Q?", answer);
        return rig.bus.QueryDevice(device, "Q?");
    }
    // The boxes shown for one write that the library refuses with `code`.
    const std::vector<ShownBox>& RefusedWrite(int code) {
        rig.Bench().RefuseWrites(kPad, code);
        rig.bus.SendCommand(device, "VSET 1");
        return rig.platform.Boxes();
    }
};

std::vector<std::string> Functions(const std::vector<std::string>& calls) {
    std::vector<std::string> names;
    for (const auto& call : calls) names.push_back(call.substr(0, call.find(' ')));
    return names;
}

// Drivers with reads that go wrong, counting how often they are asked.
int reads = 0;
// Fails with an error that is neither a time-out nor the end.
int ReadWithBusError(int, void*, long) {
    ++reads;
    driver::api::ibrd(0, nullptr, 0);  // a read on the board itself: ERR, no TIMO, no END
    return gpib::ERR;
}
// Never ends its answer.
int ReadWithoutEnd(int, void* buffer, long count) {
    ++reads;
    std::memset(buffer, 'x', count);
    driver::api::ibwait(0, 0);  // leaves CMPL: a good transfer without END
    return gpib::CMPL;
}
}  // namespace

class CommandExchangeTest : public QObject {
    Q_OBJECT

private slots:
    void answerLineEndsAreTrimmed_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("number CR LF") << QByteArray("VSET 12.500\r\n") << QByteArray("VSET 12.500");
        QTest::newRow("number LF") << QByteArray("12.5\n") << QByteArray("12.5");
        QTest::newRow("lone LF") << QByteArray("\n") << QByteArray("");
        QTest::newRow("lone CR") << QByteArray("\r") << QByteArray("");
        QTest::newRow("LF CR") << QByteArray("12.5\n\r") << QByteArray("12.5");
        QTest::newRow("three line ends at most") << QByteArray("1\r\n\r\n") << QByteArray("1\r");
        QTest::newRow("no line end") << QByteArray("FSOUT ON;") << QByteArray("FSOUT ON;");
        QTest::newRow("blanks around") << QByteArray("  OUT 1  ") << QByteArray("OUT 1");
        QTest::newRow("NUL kept") << QByteArray("A\0B\0", 4) << QByteArray("A\0B\0", 4);
    }
    void answerLineEndsAreTrimmed() {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, result);
        ScriptedSupply s;
        QCOMPARE(QByteArray::fromStdString(s.Query(answer.toStdString())), result);
        QVERIFY(s.rig.platform.Boxes().empty());
    }

    void longAnswerIsReadInChunksLosingBlanksAtTheirEdges() {
        ScriptedSupply s;
        // 512-byte chunks: the first ends in blanks, the second starts with them.
        const std::string first = std::string(500, 'a') + std::string(12, ' ');
        const std::string second = std::string(4, ' ') + std::string(506, 'b') + "  ";
        const std::string third = "  ccc";
        const std::string answer = s.Query(first + second + third);
        QCOMPARE(answer, std::string(500, 'a') + std::string(506, 'b') + "ccc");
        QCOMPARE(s.rig.Calls("ibrd").size(), size_t(3));
    }

    void queryTraceAndTimeoutRestored() {
        ScriptedSupply s;
        s.rig.gpib.ibtmo(s.device, 11);
        s.rig.ForgetTrace();
        const double start = s.rig.Now();
        QCOMPARE(s.Query("VPOS 12.50;"), std::string("VPOS 12.50;"));
        QCOMPARE(Functions(s.rig.Calls()),
                 (std::vector<std::string>{"ibwrt", "ibask", "ibtmo", "ibwait", "ibrd", "ibtmo"}));
        const auto tmo = s.rig.Calls("ibtmo");
        QVERIFY(tmo[0].find(" v=12 ") != std::string::npos);
        QVERIFY(tmo[1].find(" v=11 ") != std::string::npos);
        QVERIFY(s.rig.Calls("ibwrt")[0].find("data=\"Q?\"") != std::string::npos);
        // The read waits for its time-out (TIMO) or its completion (CMPL), nothing else.
        QVERIFY(s.rig.Calls("ibwait")[0].find(" mask=0x4100 ") != std::string::npos);
        QVERIFY(SameSeconds(s.rig.Now() - start, 0.1));
        // The trace's own time stamps: the read starts 0.1 s after the write.
        const auto& lines = s.rig.Bench().TraceLines();
        QVERIFY(
            SameSeconds(TimeOf(lines[lines.size() - 5]) - TimeOf(lines[lines.size() - 6]), 0.1));
        int16_t code = 0;
        s.rig.gpib.ibask(s.device, gpib::IbaTMO, code);
        QCOMPARE(code, int16_t(11));
    }

    void deviceWithTheReadTimeoutKeepsIt() {
        ScriptedSupply s;
        s.Query("1");
        QCOMPARE(Functions(s.rig.Calls()),
                 (std::vector<std::string>{"ibwrt", "ibask", "ibwait", "ibrd", "ibtmo"}));
    }

    void silentDeviceCostsThreeVirtualSecondsAndRestoresTimeout() {
        ScriptedSupply s;
        s.rig.gpib.ibtmo(s.device, 13);
        const double start = s.rig.Now();
        QCOMPARE(s.rig.bus.QueryDevice(s.device, "NOTHING?"), std::string());
        QVERIFY(SameSeconds(s.rig.Now() - start, 3.1));
        QCOMPARE(s.rig.platform.Boxes().size(), size_t(1));
        const ShownBox& box = s.rig.platform.Boxes()[0];
        QCOMPARE(box.title, std::string("I/O Error"));
        QCOMPARE(box.text, std::string("Read cycle failed\nOperation aborted."));
        QCOMPARE(box.icon, BoxIcon::Exclamation);
        QCOMPARE(box.buttons, BoxButtons::Ok);
        int16_t code = 0;
        s.rig.gpib.ibask(s.device, gpib::IbaTMO, code);
        QCOMPARE(code, int16_t(13));
    }

    void slowAnswerWithinTheTimeoutArrives() {
        ScriptedSupply s;
        s.instrument->AnswerTo("SLOW?", "42", 2.5);
        const double start = s.rig.Now();
        QCOMPARE(s.rig.bus.QueryDevice(s.device, "SLOW?"), std::string("42"));
        QVERIFY(s.rig.Now() - start >= 2.5);
        QVERIFY(s.rig.platform.Boxes().empty());
    }

    void writeErrorContinuedSkipsTheRead() {
        ScriptedSupply s;
        s.rig.Bench().RefuseWrites(kPad, gpib::ENOL);
        s.rig.platform.QueueAnswer(BoxAnswer::Ok);
        QCOMPARE(s.Query("1"), std::string());
        QCOMPARE(s.rig.platform.Boxes().size(), size_t(1));
        QCOMPARE(s.rig.bus.GpibErrorShown, int16_t(-1));
        QVERIFY(s.rig.Calls("ibrd").empty());
    }

    void successfulWriteShowsNothing() {
        ScriptedSupply s;
        s.rig.bus.GpibErrorShown = -1;
        s.rig.bus.SendCommand(s.device, "VSET 5");
        QCOMPARE(s.rig.bus.GpibErrorShown, int16_t(0));
        QVERIFY(s.rig.platform.Boxes().empty());
        QCOMPARE(s.instrument->Received().back(), std::string("VSET 5"));
        QVERIFY(s.rig.Calls("ibwrt")[0].find("cnt=6") != std::string::npos);
    }

    void cancelEndsAtOnceAndNothingElseIsSent() {
        ScriptedSupply s;
        s.rig.Bench().RefuseWrites(kPad, gpib::ENOL);
        s.rig.platform.QueueAnswer(BoxAnswer::Cancel);
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, s.rig.bus.QueryDevice(s.device, "OUT?"));
        QCOMPARE(Functions(s.rig.Calls()), std::vector<std::string>{"ibwrt"});
    }

    void unpluggedSupplyReportsNoListener() {
        ScriptedSupply s;
        s.rig.Bench().UnplugAfter(kPad, 1);
        s.rig.bus.SendCommand(s.device, "VSET 1");
        QVERIFY(s.rig.platform.Boxes().empty());
        s.rig.bus.SendCommand(s.device, "VSET 2");
        QCOMPARE(s.rig.platform.Boxes().size(), size_t(1));
        QCOMPARE(s.rig.platform.Boxes()[0].text,
                 std::string("No listener on write function.\n"
                             "Select OK to continue or Cancel to terminate program."));
        QCOMPARE(s.rig.platform.Boxes()[0].title, std::string("GPIB ERROR # 2"));
    }

    void everyErrorCodeHasItsText_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const std::vector<std::pair<int, const char*>> table = {
            {0, "Operating system error."},
            {1, "Function requires GPIB board to be CIC."},
            {2, "No listener on write function."},
            {3, "GPIB board not addressed correctly."},
            {4, "Invalid argument to function call."},
            {5, "GPIB board not system controller as required."},
            {6, "I/O operation aborted - timeout."},
            {7, "Non-existent GPIB board."},
            {8, "Unknown error."},
            {9, "Unknown error."},
            {10, "Asynchronous I/O in progress."},
            {11, "No capability for operation."},
            {12, "File system error."},
            {13, "Unknown error."},
            {14, "GPIB bus eror."},
            {15, "Serial poll status queue owerflow."},
            {16, "SRQ stuck in on position."},
            {17, "Unknown error."},
            {19, "Unknown error."},
            {20, "Table problem."},
            {21, "Unknown error."},
            {25, "Unknown error."},
            {-1, "Unknown error."},
        };
        for (const auto& [code, text] : table)
            QTest::newRow(qPrintable(QString::number(code))) << code << QString(text);
    }
    void everyErrorCodeHasItsText() {
        QFETCH(int, code);
        QFETCH(QString, text);
        ScriptedSupply s;
        const std::vector<ShownBox>& boxes = s.RefusedWrite(code);
        QCOMPARE(boxes.size(), size_t(1));
        const ShownBox& box = boxes[0];
        QCOMPARE(QString::fromStdString(box.text),
                 text + "\nSelect OK to continue or Cancel to terminate program.");
        QCOMPARE(box.icon, BoxIcon::Exclamation);
        QCOMPARE(box.buttons, BoxButtons::OkCancel);
    }

    // The code follows the "#" in a sign's column: a blank, or the minus itself.
    void errorTitleWritesTheCodeInASignColumn_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("title");
        QTest::newRow("2") << 2 << "GPIB ERROR # 2";
        QTest::newRow("20") << 20 << "GPIB ERROR # 20";
        QTest::newRow("0") << 0 << "GPIB ERROR # 0";
        QTest::newRow("-5") << -5 << "GPIB ERROR #-5";
    }
    void errorTitleWritesTheCodeInASignColumn() {
        QFETCH(int, code);
        QFETCH(QString, title);
        ScriptedSupply s;
        QCOMPARE(QString::fromStdString(s.RefusedWrite(code).at(0).title), title);
    }

    void deviceAddressOfTheSupplyAndOfAStranger() {
        ScriptedSupply s;
        QCOMPARE(DeviceAddress(s.rig.bus.Tables(), s.rig.platform, s.device), int16_t(kPad));
        QVERIFY(s.rig.platform.Boxes().empty());
        QCOMPARE(DeviceAddress(s.rig.bus.Tables(), s.rig.platform, 99), int16_t(0));
        QCOMPARE(s.rig.platform.Boxes().size(), size_t(1));
        const ShownBox& box = s.rig.platform.Boxes()[0];
        QCOMPARE(box.text, std::string("Device not found"));
        QCOMPARE(box.title, std::string("Error"));
        QCOMPARE(box.icon, BoxIcon::Information);
    }

    void descriptorZeroEndsBeforeAnythingIsSent() {
        ScriptedSupply s;
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, s.rig.bus.SendCommand(0, "OUT OFF"));
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, s.rig.bus.QueryDevice(0, "OUT?"));
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, ReadResponse(s.rig.gpib, s.rig.platform, 0));
        QVERIFY(s.rig.Calls().empty());
        QCOMPARE(s.rig.platform.Boxes().size(), size_t(3));
        const ShownBox& box = s.rig.platform.Boxes()[0];
        QCOMPARE(box.title, std::string("Device Error"));
        QCOMPARE(box.text, std::string("Device not configured.\n\nCorrect problem and restart."));
        QCOMPARE(box.icon, BoxIcon::Critical);
    }

    void readErrorWithoutTimeoutOrEndFails() {
        GpibEntryPoints driver = BenchEntryPoints();
        driver.ibrd = ReadWithBusError;
        BenchRig rig("5=PS5010", driver);
        reads = 0;
        QCOMPARE(ReadResponse(rig.gpib, rig.platform, 16), std::string());
        QCOMPARE(reads, 1);
        QCOMPARE(rig.platform.Boxes().size(), size_t(1));
        QCOMPARE(rig.platform.Boxes()[0].title, std::string("I/O Error"));
    }

    void answerThatNeverEndsIsCutOff() {
        GpibEntryPoints driver = BenchEntryPoints();
        driver.ibrd = ReadWithoutEnd;
        BenchRig rig("5=PS5010", driver);
        reads = 0;
        QCOMPARE(ReadResponse(rig.gpib, rig.platform, 16), std::string());
        QCOMPARE(reads, int(kMaxAnswerBytes / 512));
        QCOMPARE(rig.platform.Boxes().size(), size_t(1));
        QCOMPARE(rig.platform.Boxes()[0].title, std::string("I/O Error"));
    }
};

QTEST_APPLESS_MAIN(CommandExchangeTest)
#include "command_exchange_test.moc"
