// Time on the adapter, on virtual clocks: an answer ends at its EOI mark and arrives whole, a
// silent instrument costs the descriptor's time-out (longer ones built from the adapter's 3 s
// rounds), a trickling one no more, a bus that holds the adapter loses it nothing, and an
// adapter that is unplugged, or stays silent past what the bus could hold it to, fails every
// later call at once. Opening waits out an AR488's reset and tells an AR488 under another name.
#include <QtTest>

#include "adapter_rig.h"

Q_DECLARE_METATYPE(bench::AdapterModel)

namespace {
constexpr int T1s = 11;
constexpr int T3s = 12;
constexpr int T10s = 13;

int Count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}
}  // namespace

class AdapterTimingTest : public QObject {
    Q_OBJECT

private slots:
    void anAnswerEndsAtItsEoiMark() {
        AdapterRig rig(adapter::Kind::Prologix, "5=PS5010");
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(5);
        rig.Write(ud, "ID?");
        const double before = rig.Now();
        int sta = 0;
        QCOMPARE(rig.Read(ud, sta), std::string("ID TEK/PS5010,V79.1;"));
        QCOMPARE(sta, driver::CMPL | driver::END);
        // No time-out waited for, nor the margin: only the link's latency after the write.
        QVERIFY(rig.Now() - before < rig.Bus().Margin());
    }

    // The end mark (byte 4) inside an answer is data: the answer arrives whole, also where the
    // mark and the rest come apart (one byte at a time).
    void anAnswerHoldingTheEndMarkArrivesWhole_data() {
        QTest::addColumn<double>("trickle");
        QTest::newRow("at once") << 0.0;
        QTest::newRow("byte by byte") << 0.01;
    }

    void anAnswerHoldingTheEndMarkArrivesWhole() {
        QFETCH(double, trickle);
        AdapterRig rig(adapter::Kind::Prologix, "");
        const std::string answer(
            "AB\x04"
            "CD",
            5);
        rig.AttachScripted(7).AnswerAnyMessage(answer);
        if (trickle > 0) rig.Adapter().Trickle(7, trickle);
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(7);
        rig.Write(ud, "Q?");
        int sta = 0;
        QCOMPARE(rig.Read(ud, sta), answer);
        QCOMPARE(sta, driver::CMPL | driver::END);
    }

    // The adapter's time-out is a gap between bytes: an answer that trickles in, a byte every
    // 2 s, would outlast it; the read still ends within its own 3 s, as a time-out.
    void aTricklingAnswerEndsWithinTheTimeOut() {
        AdapterRig rig(adapter::Kind::Prologix, "");
        rig.AttachScripted(7).AnswerAnyMessage("ABCDEF");
        rig.Adapter().Trickle(7, 2.0);
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(7);
        rig.Write(ud, "Q?");
        const double before = rig.Now();
        int sta = 0;
        QCOMPARE(rig.Read(ud, sta), std::string("A"));
        QCOMPARE(sta & (driver::ERR | driver::TIMO | driver::END), driver::ERR | driver::TIMO);
        QVERIFY2(rig.Now() - before <= 3.0 + 2 * rig.Bus().Margin(),
                 qPrintable(QString::number(rig.Now() - before)));
    }

    // Read in pieces, the answer asked of the adapter once; END with its last byte.
    void aLongAnswerInShortReads() {
        AdapterRig rig(adapter::Kind::Prologix, "5=PS5010");
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(5);
        rig.Write(ud, "ID?");
        char buffer[64] = {};
        QCOMPARE(rig.Driver().ibrd(ud, buffer, 8), driver::CMPL);
        QCOMPARE(std::string(buffer), std::string("ID TEK/P"));
        QCOMPARE(rig.Driver().ibrd(ud, buffer, 64), driver::CMPL | driver::END);
        QCOMPARE(std::string(buffer, 12), std::string("S5010,V79.1;"));
        QCOMPARE(Count(rig.TakeHostLines(), "++read eoi"), 1);
    }

    void aSilentInstrumentCostsTheTimeOut_data() {
        QTest::addColumn<int>("tmo");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("changes");  // of the adapter's read time-out
        QTest::newRow("T1s") << T1s << 1.0 << 1;
        QTest::newRow("T3s") << T3s << 3.0 << 0;  // as it was set when opened
        // 3 s, 3 s, 3 s and what is left.
        QTest::newRow("T10s: rounds of the adapter's 3 s") << T10s << 10.0 << 1;
    }

    void aSilentInstrumentCostsTheTimeOut() {
        QFETCH(int, tmo);
        QFETCH(double, seconds);
        QFETCH(int, changes);
        AdapterRig rig(adapter::Kind::Prologix, "3=SILENT");
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(3, tmo);
        rig.Write(ud, "ID?");
        rig.TakeHostLines();
        const double before = rig.Now();
        int sta = 0;
        QCOMPARE(rig.Read(ud, sta), std::string());
        QCOMPARE(sta, driver::ERR | driver::TIMO | driver::CMPL);
        QCOMPARE(rig.Driver().LastStatus().iberr, driver::EABO);
        // The time-out, then what the link may add per round, and the adapter asked whether it
        // is still there.
        const double took = rig.Now() - before;
        const int reads = static_cast<int>(std::ceil(seconds / 3.0));
        QVERIFY2(took >= seconds && took < seconds + (reads + 1) * 2 * rig.Bus().Margin() + 1e-6,
                 qPrintable(QString::number(took)));
        const std::vector<std::string> lines = rig.TakeHostLines();
        QCOMPARE(Count(lines, "++read eoi"), reads);
        int set = 0;
        for (const std::string& line : lines) {
            if (line.rfind("++read_tmo_ms ", 0) != 0) continue;
            ++set;
            QVERIFY(std::stoi(line.substr(14)) <= 3000);
        }
        QCOMPARE(set, changes);
        QCOMPARE(lines.back(), std::string("++ver"));
    }

    // An answer that comes after the adapter's 3 s but within the descriptor's time-out is read.
    void aSlowAnswerWithinALongTimeOut_data() {
        QTest::addColumn<int>("tmo");
        QTest::addColumn<bool>("answered");
        QTest::newRow("T10s") << T10s << true;
        QTest::newRow("T3s") << T3s << false;
    }

    void aSlowAnswerWithinALongTimeOut() {
        QFETCH(int, tmo);
        QFETCH(bool, answered);
        AdapterRig rig(adapter::Kind::Prologix, "");
        rig.AttachScripted(9).AnswerTo("MEAS?", "1.25", 4.0);
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(9, tmo);
        rig.Write(ud, "MEAS?");
        int sta = 0;
        const std::string answer = rig.Read(ud, sta);
        QCOMPARE(answer, answered ? std::string("1.25") : std::string());
        QCOMPARE(sta & driver::END, answered ? driver::END : 0);
        QCOMPARE(sta & driver::TIMO, answered ? 0 : driver::TIMO);
    }

    // The write went nowhere (nothing listens at 9): the adapter cannot say so, the read's
    // time-out does.
    void aWriteNobodyHeardShowsAtTheRead() {
        AdapterRig rig(adapter::Kind::Prologix, "5=PS5010");
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(9);
        QCOMPARE(rig.Write(ud, "ID?"), driver::CMPL);
        int sta = 0;
        rig.Read(ud, sta);
        QCOMPARE(sta & (driver::ERR | driver::TIMO), driver::ERR | driver::TIMO);
    }

    void anUnpluggedAdapterFailsEveryCallAtOnce_data() {
        QTest::addColumn<bool>("duringRead");
        QTest::newRow("unplugged between calls") << false;
        QTest::newRow("unplugged as the answer is read") << true;
    }

    void anUnpluggedAdapterFailsEveryCallAtOnce() {
        QFETCH(bool, duringRead);
        AdapterRig rig(adapter::Kind::Prologix, "5=PS5010");
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(5);
        QCOMPARE(rig.Write(ud, "VPOS?"), driver::CMPL);
        if (duringRead) {
            rig.Adapter().UnplugAtRead(1);
        } else {
            rig.Unplug();
        }
        const double before = rig.Now();
        int sta = 0;
        rig.Read(ud, sta);
        // Failed, but neither a time-out nor an end: the program's read gives up at once.
        QCOMPARE(sta & (driver::ERR | driver::TIMO | driver::END), driver::ERR);
        QVERIFY(rig.Now() - before < rig.Bus().Margin());
        const double failed = rig.Now();
        int value = 0;
        const int later[] = {rig.Write(ud, "VPOS?"), rig.Driver().ibask(ud, 3, &value),
                             rig.Driver().ibclr(ud), rig.Driver().ibtmo(ud, 12)};
        for (const int status : later) QCOMPARE(status & driver::ERR, driver::ERR);
        QCOMPARE(rig.Driver().LastStatus().iberr, driver::ENEB);
        QCOMPARE(rig.Now(), failed);
    }

    // A bus that holds the adapter past a read's time-out (an instrument holding NRFD for 5 s
    // after a message, a message to an address where nobody listens, which an AR488's time-out
    // covers too) makes that read time out; the adapter is not given up, and once the bus lets
    // it go the next exchange, with the supply at 5, goes through.
    void aSlowBusLosesNothing_data() {
        QTest::addColumn<bench::AdapterModel>("model");
        QTest::addColumn<int>("pad");
        QTest::newRow("AR488, NRFD held") << bench::AdapterModel::Ar488 << 3;
        QTest::newRow("AR488, nobody listens") << bench::AdapterModel::Ar488 << 9;
        QTest::newRow("Prologix, NRFD held") << bench::AdapterModel::PrologixUsb << 3;
    }

    void aSlowBusLosesNothing() {
        QFETCH(bench::AdapterModel, model);
        QFETCH(int, pad);
        bench::AdapterTraits traits;
        traits.resetSeconds = 0;
        AdapterRig rig(model, "3=PS5004;5=PS5010", traits);
        rig.Adapter().HoldNrfd(3, 5.0);
        QCOMPARE(rig.Open(), std::nullopt);
        const int slow = rig.Open(pad);
        QCOMPARE(rig.Write(slow, "ID?"), driver::CMPL);
        int sta = 0;
        rig.Read(slow, sta);
        QCOMPARE(sta & (driver::ERR | driver::TIMO), driver::ERR | driver::TIMO);
        const int supply = rig.Open(5);
        for (int tries = 0; tries < 3 && rig.Write(supply, "VPOS?") != driver::CMPL; ++tries) {
            QCOMPARE(rig.Driver().LastStatus().iberr, driver::EABO);
        }
        QCOMPARE(rig.Read(supply, sta), std::string("VPOS 0.00;"));
        QCOMPARE(sta, driver::CMPL | driver::END);
    }

    // Alive on the link but answering nothing: a read times out as any other; later calls wait
    // within their own time-outs; once the adapter has been silent for longer than the bus could
    // have held it (three of its time-outs for each line), it is given up and every later call
    // fails at once. A read that would wait for ever (TNONE) gives it up itself.
    void anAdapterThatStopsAnsweringIsGivenUp_data() {
        QTest::addColumn<int>("tmo");
        QTest::newRow("T3s") << T3s;
        QTest::newRow("no time-out") << 0;
    }

    void anAdapterThatStopsAnsweringIsGivenUp() {
        QFETCH(int, tmo);
        AdapterRig rig(adapter::Kind::Prologix, "5=PS5010");
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(5, tmo);
        rig.Hang();
        const double hung = rig.Now();
        rig.Write(ud, "VPOS?");
        int sta = 0;
        rig.Read(ud, sta);
        for (int calls = 0; calls < 20 && rig.Driver().LastStatus().iberr != driver::ENEB;
             ++calls) {
            QCOMPARE(sta & (driver::ERR | driver::TIMO), driver::ERR | driver::TIMO);
            sta = rig.Write(ud, "VPOS?");
        }
        QCOMPARE(rig.Driver().LastStatus().iberr, driver::ENEB);
        // The write's and the read's lines: 2 x 3 x 3 s, the adapter's quick reply and margins.
        QVERIFY2(rig.Now() - hung >= 18.0 && rig.Now() - hung < 20.0,
                 qPrintable(QString::number(rig.Now() - hung)));
        const double before = rig.Now();
        QCOMPARE(rig.Write(ud, "VPOS?") & driver::ERR, driver::ERR);
        QCOMPARE(rig.Now(), before);
    }

    // Opening the port resets an Arduino; what it is sent in the next 1.5 s is lost.
    void anAr488IsAskedAgainAfterItsReset() {
        AdapterRig rig(adapter::Kind::Ar488, "5=PS5010");
        QCOMPARE(rig.Bus().Open(), std::nullopt);
        QCOMPARE(rig.Bus().AdapterKind(), adapter::Kind::Ar488);
        QVERIFY(rig.Now() >= 1.5);
        QVERIFY(rig.Now() < 4.0);
    }

    void adaptersAreToldApart_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("recognised");  // -1: refused
        const int prologix = static_cast<int>(adapter::Kind::Prologix);
        const int ar488 = static_cast<int>(adapter::Kind::Ar488);
        QTest::newRow("Prologix") << prologix << "" << prologix;
        QTest::newRow("AR488") << ar488 << "" << ar488;
        QTest::newRow("AR488 set to answer as a Prologix")
            << ar488 << "Prologix GPIB-USB Controller version 6.107" << ar488;
        QTest::newRow("AR488 with a text of its own") << ar488 << "Bench 3 adapter" << ar488;
        QTest::newRow("something else") << prologix << "Agilent 82357B" << -1;
    }

    void adaptersAreToldApart() {
        QFETCH(int, kind);
        QFETCH(QString, version);
        QFETCH(int, recognised);
        AdapterRig rig(static_cast<adapter::Kind>(kind), "5=PS5010", version.toStdString());
        const std::optional<std::string> failed = rig.Bus().Open();
        QCOMPARE(failed.has_value(), recognised < 0);
        if (recognised >= 0) QCOMPARE(static_cast<int>(rig.Bus().AdapterKind()), recognised);
    }

    // An AR488 left echoing (verbose; a board that does not reset as its port opens) is put back
    // to quiet before it is set up.
    void aVerboseAr488IsQuietened() {
        bench::AdapterTraits traits;
        traits.verbose = true;
        traits.resetSeconds = 0;
        AdapterRig rig(bench::AdapterModel::Ar488, "5=PS5010", traits);
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(5);
        rig.Write(ud, "ID?");
        int sta = 0;
        QCOMPARE(rig.Read(ud, sta), std::string("ID TEK/PS5010,V79.1;"));
    }

    // Nothing answers at all: opening gives up within a few seconds, with a reason.
    void nothingAnswersTheVersionQuestion() {
        AdapterRig rig(adapter::Kind::Prologix, "5=PS5010");
        rig.Hang();
        const std::optional<std::string> failed = rig.Bus().Open();
        QVERIFY(failed.has_value());
        QVERIFY2(failed->find("++ver") != std::string::npos, failed->c_str());
        QVERIFY(rig.Now() < 6.0);
    }
};

QTEST_APPLESS_MAIN(AdapterTimingTest)
#include "adapter_timing_test.moc"
