// The trace: one exact line per driver call, bytes escaped, appended to its file as it happens.
#include <QtTest>
#include <fstream>
#include <sstream>
#include <vector>

#include "bench/bench.h"
#include "bench/setup.h"
#include "direct_bench.h"
#include "driver/driver_api.h"
#include "driver/trace.h"
#include "standard_error.h"

class BenchTraceTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { driver::Install(nullptr); }

    void identificationExchangeGivesTheseLines() {
        DirectBench rig;
        rig.bench.Attach(5, bench::MakeInstrument("PS5010"));
        int sta = 0, err = 0, cnt = 0;
        long cntl = 0;
        rig.bench.RegisterGpibGlobalsForThread(&sta, &err, &cnt, &cntl);
        rig.bench.SendIFC(0);
        rig.bench.ibsre(0, 1);
        const std::uint16_t pads[] = {0, 5, driver::NOADDR};
        std::uint16_t results[15] = {};
        rig.bench.FindLstn(0, pads, results, 15);
        const int ud = rig.Open(5, 11);
        rig.bench.ibclr(ud);
        rig.Poll(ud);
        rig.Write(ud, "ID?");
        rig.clock->Sleep(0.25);
        rig.Read(ud, 256);
        rig.bench.ibtmo(ud, 12);
        int code = 0;
        rig.bench.ibask(ud, bench::option::TMO, &code);
        rig.bench.ibwait(ud, 0x4100);
        rig.Read(ud);
        rig.bench.UnregisterGpibGlobalsForThread();

        const std::vector<std::string> expected = {
            "0.000 RegisterGpibGlobalsForThread result=0 -> sta=0x0000 err=0 cnt=0",
            "0.000 SendIFC board=0 -> sta=0x0120 err=0 cnt=0",
            "0.000 ibsre ud=0 v=1 -> sta=0x0120 err=0 cnt=0",
            "0.000 FindLstn board=0 limit=15 found=0,5 -> sta=0x0120 err=0 cnt=2",
            "0.000 ibdev board=0 pad=5 sad=0 tmo=11 eot=1 eos=0 ud=16 -> sta=0x0100 err=0 cnt=2",
            "0.000 ibclr ud=16 pad=5 -> sta=0x0100 err=0 cnt=2",
            "0.000 ibrsp ud=16 pad=5 spr=0 -> sta=0x0100 err=0 cnt=2",
            "0.000 ibwrt ud=16 pad=5 data=\"ID?\" -> sta=0x0100 err=0 cnt=3",
            "0.250 ibrd ud=16 pad=5 data=\"ID TEK/PS5010,V79.1;\" -> sta=0x2100 err=0 cnt=20",
            "0.250 ibtmo ud=16 v=12 -> sta=0x0100 err=0 cnt=20",
            "0.250 ibask ud=16 option=3 v=12 -> sta=0x0100 err=0 cnt=20",
            "0.250 ibwait ud=16 mask=0x4100 -> sta=0x0100 err=0 cnt=20",
            "3.250 ibrd ud=16 pad=5 data=\"\" -> sta=0xc100 err=6 cnt=0",
            "3.250 UnregisterGpibGlobalsForThread result=0 -> sta=0xc100 err=6 cnt=0",
        };
        QCOMPARE(rig.bench.TraceLines(), expected);
    }

    void bytesAreEscapedAsInC_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("escaped");
        QTest::newRow("plain") << QByteArray("VSET 12.5") << QByteArray("VSET 12.5");
        QTest::newRow("line ends and tab") << QByteArray("a\r\n\t") << QByteArray("a\\r\\n\\t");
        QTest::newRow("backslash and quote") << QByteArray("\\\"") << QByteArray("\\\\\\\"");
        QTest::newRow("NUL") << QByteArray(
                                    "1\0"
                                    "2",
                                    3)
                             << QByteArray("1\\x002");
        QTest::newRow("other controls and high bytes")
            << QByteArray("\x01\x7f\xff") << QByteArray("\\x01\\x7f\\xff");
    }

    void bytesAreEscapedAsInC() {
        QFETCH(QByteArray, bytes);
        QTEST(QByteArray::fromStdString(bench::EscapeBytes(bytes.toStdString())), "escaped");
    }

    void linesAreAppendedToTheFileAsTheyHappen() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("trace").toStdString();
        std::ofstream(path) << "earlier run\n";
        DirectBench rig;
        rig.bench.SetTraceFile(path);
        rig.bench.SendIFC(0);
        rig.bench.ibsre(0, 1);
        std::ifstream in(path);
        std::stringstream contents;
        contents << in.rdbuf();
        QCOMPARE(contents.str(), "earlier run\n" + rig.bench.TraceLines()[0] + "\n" +
                                     rig.bench.TraceLines()[1] + "\n");
    }

    // A bench replaced by another (as a test or a program installs a new one) leaves no file
    // open behind.
    void endedBenchClosesItsTraceFile() {
        QTemporaryDir dir;
        const auto openFiles = [] { return QDir("/proc/self/fd").count(); };
        const auto before = openFiles();
        {
            DirectBench rig;
            rig.bench.SetTraceFile(dir.filePath("trace").toStdString());
            QCOMPARE(openFiles(), before + 1);
        }
        QCOMPARE(openFiles(), before);
    }

    // A trace file that cannot be opened is said; the calls go on, traced in memory only.
    void traceFileThatCannotBeOpenedIsSaid() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("missing/trace").toStdString();
        DirectBench rig;
        StandardErrorCapture said;
        rig.bench.SetTraceFile(path);
        rig.bench.SendIFC(0);
        QCOMPARE(said.Text(), QByteArray::fromStdString("gpib bench: cannot append the trace to " +
                                                        path + ": No such file or directory\n"));
        QCOMPARE(rig.bench.TraceLines().size(), std::size_t{1});
    }

    // The driver library's bench may serve a program for days: its lines go to the file only.
    void aBenchFromTheEnvironmentKeepsItsTraceInTheFileOnly() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("trace").toStdString();
        qputenv("GPIB_BENCH", "5=PS5010");
        qputenv("GPIB_BENCH_TRACE", QByteArray::fromStdString(path));
        const std::unique_ptr<bench::Bench> made = bench::BenchFromEnvironment();
        qunsetenv("GPIB_BENCH_TRACE");
        made->SendIFC(0);
        made->ibsre(0, 1);
        QCOMPARE(made->TraceLines().size(), std::size_t{0});
        std::ifstream in(path);
        std::string line;
        int lines = 0;
        while (std::getline(in, line)) ++lines;
        QCOMPARE(lines, 2);
    }

    void statusReadsAreNotTraced() {
        auto clock = std::make_shared<driver::VirtualClock>();
        driver::Install(std::make_unique<bench::Bench>(clock));
        driver::api::SendIFC(0);
        driver::api::ThreadIbsta();
        driver::api::ThreadIberr();
        driver::api::ThreadIbcnt();
        driver::api::ThreadIbcntl();
        QCOMPARE(driver::Current()->TraceLines().size(), std::size_t{1});
    }
};

QTEST_APPLESS_MAIN(BenchTraceTest)
#include "bench_trace_test.moc"
