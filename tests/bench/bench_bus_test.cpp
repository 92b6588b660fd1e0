// The simulated bus: listener search, descriptors, writes, reads, time-outs, clears and faults.
#include <QtTest>
#include <vector>

#include "bench/config.h"
#include "bench/setup.h"
#include "direct_bench.h"

using driver::CIC;
using driver::CMPL;
using driver::END;
using driver::ERR;
using driver::TIMO;

namespace {
// The program's address list: the board, then 1..30, then the end mark.
std::vector<std::uint16_t> AllAddresses() {
    std::vector<std::uint16_t> pads;
    for (std::uint16_t pad = 0; pad <= 30; ++pad) pads.push_back(pad);
    pads.push_back(driver::NOADDR);
    return pads;
}

constexpr std::uint16_t kUntouched = 0x7777;
}  // namespace

class BenchBusTest : public QObject {
    Q_OBJECT

private slots:
    void listenerSearchReportsTheBoardFirstThenTheListedOrder() {
        DirectBench rig;
        rig.Scripted(12);
        rig.Scripted(3);
        rig.Scripted(7);
        const std::vector<std::uint16_t> pads = {12, 0, 7, 3, 9, driver::NOADDR};
        std::vector<std::uint16_t> results(15, kUntouched);
        rig.bench.FindLstn(0, pads.data(), results.data(), 15);
        QCOMPARE(rig.bench.LastStatus().ibsta, CMPL | CIC);
        QCOMPARE(rig.bench.LastStatus().ibcntl, 4L);
        const std::vector<std::uint16_t> expected = {0, 12, 7, 3, kUntouched};
        // Nothing is written past the listeners found: no end mark the program could misread.
        QCOMPARE(std::vector<std::uint16_t>(results.begin(), results.begin() + 5), expected);
    }

    void listenerSearchOutcomes_data() {
        QTest::addColumn<int>("instruments");  // at addresses 1, 2, ...
        QTest::addColumn<int>("unplugged");    // of them, from address 1 on
        QTest::addColumn<int>("fault");        // findlstn=, -1 for none
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("sta");
        QTest::addColumn<int>("iberr");
        QTest::addColumn<long>("count");
        QTest::newRow("one supply") << 1 << 0 << -1 << 15 << (CMPL | CIC) << 0 << 2L;
        QTest::newRow("empty bus") << 0 << 0 << -1 << 15 << (ERR | CMPL | CIC) << 14 << 0L;
        QTest::newRow("everything unplugged")
            << 2 << 2 << -1 << 15 << (ERR | CMPL | CIC) << 14 << 0L;
        QTest::newRow("14 and the board fill the limit")
            << 14 << 0 << -1 << 15 << (CMPL | CIC) << 0 << 15L;
        QTest::newRow("15 and the board exceed it")
            << 15 << 0 << -1 << 15 << (ERR | CMPL | CIC) << 20 << 15L;
        QTest::newRow("fault injected") << 1 << 0 << 1 << 15 << (ERR | CMPL | CIC) << 1 << 0L;
    }

    void listenerSearchOutcomes() {
        QFETCH(int, instruments);
        QFETCH(int, unplugged);
        QFETCH(int, fault);
        QFETCH(int, limit);
        DirectBench rig;
        for (int pad = 1; pad <= instruments; ++pad) rig.Scripted(pad);
        for (int pad = 1; pad <= unplugged; ++pad) rig.bench.UnplugAfter(pad, 0);
        if (fault >= 0) rig.bench.FailFindLstn(fault);
        const std::vector<std::uint16_t> pads = AllAddresses();
        std::vector<std::uint16_t> results(32, kUntouched);
        rig.bench.FindLstn(0, pads.data(), results.data(), limit);
        QTEST(rig.bench.LastStatus().ibsta, "sta");
        QTEST(rig.bench.LastStatus().iberr, "iberr");
        QTEST(rig.bench.LastStatus().ibcntl, "count");
        QCOMPARE(results[rig.bench.LastStatus().ibcntl], kUntouched);
    }

    void descriptorsCountFromSixteenWithoutCheckingPresence() {
        DirectBench rig;
        QCOMPARE(rig.Open(5), 16);
        QCOMPARE(rig.Open(9), 17);
        QCOMPARE(rig.bench.LastStatus().ibsta, CMPL);
    }

    void descriptorArgumentsOutsideTheDriversRangeAreRefused_data() {
        QTest::addColumn<int>("board");
        QTest::addColumn<int>("pad");
        QTest::addColumn<int>("sad");
        QTest::addColumn<int>("tmo");
        QTest::newRow("second board") << 1 << 5 << 0 << 12;
        QTest::newRow("address 31") << 0 << 31 << 0 << 12;
        QTest::newRow("negative address") << 0 << -1 << 0 << 12;
        QTest::newRow("secondary 5") << 0 << 5 << 5 << 12;
        QTest::newRow("time-out code 18") << 0 << 5 << 0 << 18;
    }

    void descriptorArgumentsOutsideTheDriversRangeAreRefused() {
        QFETCH(int, board);
        QFETCH(int, pad);
        QFETCH(int, sad);
        QFETCH(int, tmo);
        DirectBench rig;
        QCOMPARE(rig.bench.ibdev(board, pad, sad, tmo, 1, 0), -1);
        QCOMPARE(rig.bench.LastStatus().ibsta & ERR, ERR);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EARG);
    }

    void descriptorOptionsRoundTrip() {
        DirectBench rig;
        const int ud = rig.Open(5, 11);
        int value = -1;
        rig.bench.ibask(ud, bench::option::TMO, &value);
        QCOMPARE(value, 11);
        QCOMPARE(rig.bench.ibtmo(ud, 12), CMPL);
        rig.bench.ibask(ud, bench::option::TMO, &value);
        QCOMPARE(value, 12);
        QCOMPARE(rig.bench.ibtmo(ud, 18) & ERR, ERR);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EARG);
        QCOMPARE(rig.bench.ibask(ud, bench::option::AUTOPOLL, &value) & ERR, ERR);
        QCOMPARE(rig.bench.ibask(99, bench::option::TMO, &value) & ERR, ERR);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EDVR);
    }

    void changedAddressReachesTheOtherInstrument() {
        DirectBench rig;
        bench::ScriptedInstrument* first = rig.Scripted(1);
        bench::ScriptedInstrument* second = rig.Scripted(2);
        const int ud = rig.Open(1);
        QCOMPARE(rig.bench.ibpad(ud, 2), CMPL);
        rig.Write(ud, "ID?");
        QVERIFY(first->Received().empty());
        QCOMPARE(second->Received().size(), std::size_t{1});
        QCOMPARE(rig.bench.ibpad(ud, 31) & ERR, ERR);
    }

    void waitReturnsAtOnceWithCompletion() {
        DirectBench rig;
        const int ud = rig.Open(5);
        QCOMPARE(rig.bench.ibwait(ud, TIMO | CMPL), CMPL);
        QCOMPARE(rig.clock->Now(), 0.0);
        QCOMPARE(rig.bench.ibwait(42, TIMO | CMPL) & ERR, ERR);
    }

    void boardAndDeviceCallsKeepToTheirDescriptors() {
        DirectBench rig;
        rig.Scripted(5);
        const int ud = rig.Open(5);
        QCOMPARE(rig.bench.ibsre(0, 1), CMPL | CIC);
        QCOMPARE(rig.bench.ibsre(ud, 1) & ERR, ERR);
        QCOMPARE(rig.bench.ibwrt(0, "X", 1) & ERR, ERR);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EARG);
        QCOMPARE(rig.bench.ibclr(77) & ERR, ERR);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EDVR);
    }

    void writeWithEoiEndsTheMessage() {
        DirectBench rig;
        bench::ScriptedInstrument* device = rig.Scripted(5);
        const int withoutEoi = rig.Open(5, 12, 0);
        const int withEoi = rig.Open(5);
        QCOMPARE(rig.Write(withoutEoi, "VSET"), CMPL);
        QCOMPARE(rig.bench.LastStatus().ibcntl, 4L);
        QVERIFY(device->Received().empty());
        rig.Write(withEoi, " 5");
        QCOMPARE(device->Received(), std::vector<std::string>{"VSET 5"});
    }

    void writeToAnEmptyAddressFindsNoListener() {
        DirectBench rig;
        const int ud = rig.Open(9);
        QCOMPARE(rig.Write(ud, "ID?"), ERR | CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ENOL);
        QCOMPARE(rig.bench.LastStatus().ibcntl, 0L);
    }

    void answersArriveByteForByteWithEndOnTheLast_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("CR LF") << QByteArray("12.5\r\n");
        QTest::newRow("LF") << QByteArray("12.5\n");
        QTest::newRow("LF CR") << QByteArray("12.5\n\r");
        QTest::newRow("NUL inside") << QByteArray("12\0.5", 5);
        QTest::newRow("over two reads") << QByteArray(600, 'x');
        QTest::newRow("over three reads") << QByteArray(1200, 'y');
    }

    void answersArriveByteForByteWithEndOnTheLast() {
        QFETCH(QByteArray, answer);
        DirectBench rig;
        rig.Scripted(5)->AnswerTo("Q?", answer.toStdString());
        const int ud = rig.Open(5);
        rig.Write(ud, "Q?");
        QByteArray received;
        int reads = 0;
        do {
            received += rig.Read(ud);
            ++reads;
            QVERIFY(!(rig.bench.LastStatus().ibsta & ERR));
        } while (!(rig.bench.LastStatus().ibsta & END));
        QCOMPARE(received, answer);
        QCOMPARE(reads, static_cast<int>((answer.size() + 511) / 512));
    }

    void readLeavesUntransferredBytesAsTheyWere() {
        DirectBench rig;
        rig.Scripted(5)->AnswerAnyMessage("12345");
        const int ud = rig.Open(5);
        rig.Write(ud, "Q?");
        std::string buffer(256, ' ');
        QCOMPARE(rig.bench.ibrd(ud, buffer.data(), 256), END | CMPL);
        QCOMPARE(buffer, "12345" + std::string(251, ' '));
        // A time-out transfers nothing and touches nothing.
        rig.bench.ibrd(ud, buffer.data(), 256);
        QCOMPARE(buffer, "12345" + std::string(251, ' '));
    }

    void readsWaitOnTheClock_data() {
        QTest::addColumn<int>("tmo");
        QTest::addColumn<double>("delay");  // of the answer; negative: the device never answers
        QTest::addColumn<bool>("answered");
        QTest::addColumn<double>("elapsed");
        QTest::newRow("silent, T1s") << 11 << -1.0 << false << 1.0;
        QTest::newRow("silent, T3s") << 12 << -1.0 << false << 3.0;
        QTest::newRow("silent, T100ms") << 9 << -1.0 << false << 0.1;
        QTest::newRow("silent, TNONE gives up at once") << 0 << -1.0 << false << 0.0;
        QTest::newRow("slow within T1s") << 11 << 0.5 << true << 0.5;
        QTest::newRow("slow as long as T1s") << 11 << 1.0 << false << 1.0;
        QTest::newRow("slower than T1s") << 11 << 2.0 << false << 1.0;
        QTest::newRow("slow, TNONE waits") << 0 << 5.0 << true << 5.0;
    }

    void readsWaitOnTheClock() {
        QFETCH(int, tmo);
        QFETCH(double, delay);
        QFETCH(bool, answered);
        QFETCH(double, elapsed);
        DirectBench rig;
        bench::ScriptedInstrument* device = rig.Scripted(5);
        if (delay >= 0) device->AnswerAnyMessage("ok", delay);
        const int ud = rig.Open(5, tmo);
        rig.Write(ud, "Q?");
        const QByteArray data = rig.Read(ud);
        const driver::Status& status = rig.bench.LastStatus();
        QCOMPARE(rig.clock->Now(), elapsed);
        if (answered) {
            QCOMPARE(data, QByteArray("ok"));
            QCOMPARE(status.ibsta, END | CMPL);
        } else {
            QCOMPARE(status.ibsta, ERR | TIMO | CMPL);
            QCOMPARE(status.iberr, driver::EABO);
            QCOMPARE(status.ibcntl, 0L);
        }
    }

    // Each time-out code waits its own time for a silent instrument, T10us (1) to T1000s (17).
    void everyTimeoutCodeWaitsItsTime_data() {
        QTest::addColumn<int>("tmo");
        QTest::addColumn<double>("seconds");
        const double seconds[] = {10e-6, 30e-6, 100e-6, 300e-6, 1e-3, 3e-3, 10e-3, 30e-3, 0.1,
                                  0.3,   1,     3,      10,     30,   100,  300,   1000};
        for (int tmo = 1; tmo <= 17; ++tmo) {
            QTest::addRow("code %d", tmo) << tmo << seconds[tmo - 1];
        }
    }

    void everyTimeoutCodeWaitsItsTime() {
        QFETCH(int, tmo);
        QFETCH(double, seconds);
        DirectBench rig;
        rig.Scripted(5);
        const int ud = rig.Open(5, tmo);
        rig.Write(ud, "Q?");
        rig.Read(ud);
        QCOMPARE(rig.bench.LastStatus().ibsta, ERR | TIMO | CMPL);
        QCOMPARE(rig.clock->Now(), seconds);
    }

    void slowAnswerCountsFromTheMessage() {
        DirectBench rig;
        rig.Scripted(5)->AnswerAnyMessage("ok", 0.5);
        const int ud = rig.Open(5);
        rig.Write(ud, "Q?");
        rig.clock->Sleep(0.1);  // the program's pause between query and read
        QCOMPARE(rig.Read(ud), QByteArray("ok"));
        QCOMPARE(rig.clock->Now(), 0.5);
    }

    // A new message takes back the answer to the last one, read or not, as a real instrument's.
    void newMessageWithoutAnswerLeavesNothingToRead() {
        DirectBench rig;
        rig.Scripted(5)->AnswerTo("Q?", "answer");
        const int ud = rig.Open(5);
        rig.Write(ud, "Q?");
        rig.Write(ud, "SET 1");
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("<timeout>"));
    }

    void errorCodeStaysAfterSuccessfulCalls() {
        DirectBench rig;
        rig.Scripted(5);
        const int ud = rig.Open(5);
        rig.Read(ud);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EABO);
        QCOMPARE(rig.Write(ud, "ID?"), CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EABO);
    }

    void deviceClearEmptiesBuffersOnly() {
        DirectBench rig;
        bench::ScriptedInstrument* device = rig.Scripted(5);
        device->AnswerAnyMessage("answer");
        const int ud = rig.Open(5);
        rig.Write(ud, "Q?");
        QCOMPARE(rig.bench.ibclr(ud), CMPL);
        QCOMPARE(device->DeviceClears(), 1);
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("<timeout>"));
    }

    void serialPollAnswersTheStatusByte() {
        DirectBench rig;
        rig.Scripted(5)->SetStatusByte(0x41);
        rig.bench.Attach(6, bench::MakeInstrument("SILENT"));
        QCOMPARE(rig.Poll(rig.Open(5)), 0x41);
        QCOMPARE(rig.bench.LastStatus().ibsta, CMPL);
        QCOMPARE(rig.Poll(rig.Open(6)), 0);
        QCOMPARE(rig.bench.LastStatus().ibsta, CMPL);
    }

    void absentDeviceFailsClearAndPollAndNeverTalks() {
        DirectBench rig;
        const int ud = rig.Open(9);
        QCOMPARE(rig.bench.ibclr(ud), ERR | CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ENOL);
        rig.Poll(ud);
        QCOMPARE(rig.bench.LastStatus().ibsta, ERR | CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ENOL);
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("<timeout>"));
        QCOMPARE(rig.clock->Now(), 3.0);
    }

    void unpluggedInstrumentIsGoneAfterItsMessages() {
        DirectBench rig;
        bench::ScriptedInstrument* device = rig.Scripted(5);
        rig.Scripted(6);
        rig.bench.UnplugAfter(5, 2);
        const int ud = rig.Open(5);
        QCOMPARE(rig.Write(ud, "A"), CMPL);
        QCOMPARE(rig.Write(ud, "B"), CMPL);
        QCOMPARE(rig.Write(ud, "C"), ERR | CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ENOL);
        QCOMPARE(device->Received(), (std::vector<std::string>{"A", "B"}));
        QCOMPARE(rig.bench.ibclr(ud) & ERR, ERR);
        rig.Poll(ud);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ENOL);
        const std::vector<std::uint16_t> pads = AllAddresses();
        std::vector<std::uint16_t> results(15, 0);
        rig.bench.FindLstn(0, pads.data(), results.data(), 15);
        QCOMPARE(rig.bench.LastStatus().ibcntl, 2L);
        QCOMPARE(results[1], std::uint16_t{6});
    }

    void refusedWritesFailWithTheirError() {
        DirectBench rig;
        bench::ScriptedInstrument* device = rig.Scripted(5);
        rig.bench.RefuseWrites(5, driver::EABO);
        const int ud = rig.Open(5);
        QCOMPARE(rig.Write(ud, "OUT OFF"), ERR | CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EABO);
        QCOMPARE(rig.bench.LastStatus().ibcntl, 0L);
        QVERIFY(device->Received().empty());
    }

    // Only the planned write fails, counted from the plan; the others reach the instrument.
    void oneWriteRefusedByItsNumber() {
        DirectBench rig;
        bench::ScriptedInstrument* device = rig.Scripted(5);
        const int ud = rig.Open(5);
        rig.Write(ud, "A");
        rig.bench.RefuseWrite(5, 2, driver::EBUS);
        QCOMPARE(rig.Write(ud, "B"), CMPL);
        QCOMPARE(rig.Write(ud, "C"), ERR | CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EBUS);
        QCOMPARE(rig.Write(ud, "D"), CMPL);
        QCOMPARE(device->Received(), (std::vector<std::string>{"A", "B", "D"}));
    }

    // The answer to the planned message, as one read gives it; the next answer is whole again.
    void spoiledAnswers_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<int>("sta");
        QTest::addColumn<double>("seconds");
        using bench::AnswerFault;
        const int ended = CMPL | END;
        QTest::newRow("time-out") << int(AnswerFault::TimeOut) << QByteArray()
                                  << (ERR | CMPL | TIMO) << 3.0;
        QTest::newRow("ERR alone")
            << int(AnswerFault::ErrorWithoutEnd) << QByteArray() << (ERR | CMPL) << 0.0;
        QTest::newRow("never ends")
            << int(AnswerFault::NeverEnds) << QByteArray(8, '7') << CMPL << 0.0;
        QTest::newRow("empty") << int(AnswerFault::Empty) << QByteArray() << ended << 0.0;
        QTest::newRow("truncated")
            << int(AnswerFault::Truncated) << QByteArray("VSET") << ended << 0.0;
        QTest::newRow("garbage") << int(AnswerFault::Garbage) << QByteArray("#\x7f\x01\xff?+-Z", 8)
                                 << ended << 0.0;
        QTest::newRow("NULs") << int(AnswerFault::Nuls) << QByteArray(8, '\0') << ended << 0.0;
        QTest::newRow("lower case")
            << int(AnswerFault::LowerCase) << QByteArray("vset 1.5") << ended << 0.0;
    }
    void spoiledAnswers() {
        QFETCH(int, fault);
        QFETCH(QByteArray, first);
        QFETCH(int, sta);
        QFETCH(double, seconds);
        DirectBench rig;
        bench::ScriptedInstrument* device = rig.Scripted(5);
        device->AnswerAnyMessage("VSET 1.5");
        const int ud = rig.Open(5);
        rig.bench.SpoilAnswer(5, 1, static_cast<bench::AnswerFault>(fault));
        rig.Write(ud, "VSET?");
        QCOMPARE(rig.Read(ud, 8), first);
        QCOMPARE(rig.bench.LastStatus().ibsta, sta);
        QCOMPARE(rig.clock->Now(), seconds);
        rig.Write(ud, "VSET?");
        QCOMPARE(rig.ReadAnswer(ud), QByteArray("VSET 1.5"));
    }

    // A GPIB_BENCH plan counts from the bench's first write.
    void faultItemsOfGpibBenchArePlanned() {
        DirectBench rig;
        const bench::ParsedConfig parsed =
            bench::ParseConfig("5=PS5004;refuse=5@1:13;spoil=5@2:lower");
        QCOMPARE(QByteArray::fromStdString(parsed.error), QByteArray());
        bench::Configure(rig.bench, parsed.config);
        const int ud = rig.Open(5);
        QCOMPARE(rig.Write(ud, "ID?"), ERR | CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, 13);
        rig.Write(ud, "ID?");
        QVERIFY(rig.ReadAnswer(ud).startsWith("id tek/ps5004"));
    }

    void registeredVariablesFollowEveryLaterCall_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("kept");
        QTest::newRow("registered") << 0 << true;
        QTest::newRow("already registered") << 1 << true;
        QTest::newRow("failure 2") << 2 << false;
        QTest::newRow("failure 3") << 3 << false;
    }

    void registeredVariablesFollowEveryLaterCall() {
        QFETCH(int, result);
        QFETCH(bool, kept);
        DirectBench rig;
        rig.bench.SetRegisterResult(result);
        int sta = -1, err = -1, cnt = -1;
        long cntl = -1;
        QCOMPARE(rig.bench.RegisterGpibGlobalsForThread(&sta, &err, &cnt, &cntl), result);
        const int ud = rig.Open(9);
        rig.Write(ud, "ID?");
        if (kept) {
            QCOMPARE(sta, ERR | CMPL);
            QCOMPARE(err, driver::ENOL);
            QCOMPARE(cnt, 0);
            QCOMPARE(cntl, 0L);
        } else {
            QCOMPARE(sta, -1);
        }
        rig.bench.UnregisterGpibGlobalsForThread();
        rig.bench.ibtmo(ud, 11);
        QCOMPARE(sta, kept ? ERR | CMPL : -1);
    }
};

QTEST_APPLESS_MAIN(BenchBusTest)
#include "bench_bus_test.moc"
