// The driver entry points over the installed bench, as the program's binding takes them.
#include <QtTest>

#include "bench/bench.h"
#include "bench/instruments.h"
#include "bus/gpib_api.h"
#include "driver/driver_api.h"

namespace {
// The table the program fills from the driver library, filled from the bench instead.
GpibEntryPoints BenchEntryPoints() {
    namespace api = driver::api;
    GpibEntryPoints e;
    e.SendIFC = api::SendIFC;
    e.ibsre = api::ibsre;
    e.FindLstn = api::FindLstn;
    e.ibdev = api::ibdev;
    e.ibpad = api::ibpad;
    e.ibclr = api::ibclr;
    e.ibrsp = api::ibrsp;
    e.ibwrt = api::ibwrt;
    e.ibrd = api::ibrd;
    e.ibtmo = api::ibtmo;
    e.ibwait = api::ibwait;
    e.ibask = api::ibask;
    e.RegisterGpibGlobalsForThread = api::RegisterGpibGlobalsForThread;
    e.UnregisterGpibGlobalsForThread = api::UnregisterGpibGlobalsForThread;
    e.ThreadIbsta = api::ThreadIbsta;
    e.ThreadIberr = api::ThreadIberr;
    e.ThreadIbcnt = api::ThreadIbcnt;
    e.ThreadIbcntl = api::ThreadIbcntl;
    return e;
}
}  // namespace

class BenchApiTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { driver::Install(nullptr); }

    void exchangeThroughTheProgramsTable() {
        auto installed = std::make_unique<bench::Bench>(std::make_shared<driver::VirtualClock>());
        installed->Attach(5, bench::MakeInstrument("PS5010"));
        driver::Install(std::move(installed));
        const GpibEntryPoints e = BenchEntryPoints();
        const int ud = e.ibdev(0, 5, 0, 12, 1, 0);
        QCOMPARE(e.ibwrt(ud, "VPOS 3;VPOS?", 12), gpib::CMPL);
        char buffer[64] = {};
        QCOMPARE(e.ibrd(ud, buffer, sizeof buffer), gpib::END | gpib::CMPL);
        QCOMPARE(QByteArray(buffer), QByteArray("VPOS 3.00;"));
        QCOMPARE(e.ThreadIbsta(), gpib::END | gpib::CMPL);
        QCOMPARE(e.ThreadIbcntl(), 10L);
        QCOMPARE(e.ThreadIbcnt(), 10);
    }

    void accessorsAnswerTheLastCall() {
        driver::Install(std::make_unique<bench::Bench>(std::make_shared<driver::VirtualClock>()));
        const GpibEntryPoints e = BenchEntryPoints();
        e.ibwrt(e.ibdev(0, 9, 0, 12, 1, 0), "ID?", 3);
        QCOMPARE(e.ThreadIbsta(), gpib::ERR | gpib::CMPL);
        QCOMPARE(e.ThreadIberr(), gpib::ENOL);
        e.ibtmo(16, gpib::T1s);
        QCOMPARE(e.ThreadIbsta(), gpib::CMPL);
        QCOMPARE(e.ThreadIberr(), gpib::ENOL);  // kept after success
    }

    void registrationResultIsTheConfiguredOne() {
        auto installed = std::make_unique<bench::Bench>(std::make_shared<driver::VirtualClock>());
        installed->SetRegisterResult(3);
        driver::Install(std::move(installed));
        int sta = -1, err = -1, cnt = -1;
        long cntl = -1;
        QCOMPARE(driver::api::RegisterGpibGlobalsForThread(&sta, &err, &cnt, &cntl), 3);
    }

    void withoutABenchEveryCallFails() {
        const GpibEntryPoints e = BenchEntryPoints();
        QCOMPARE(e.ibdev(0, 5, 0, 12, 1, 0), -1);
        QCOMPARE(e.ibwrt(16, "ID?", 3) & gpib::ERR, gpib::ERR);
        QCOMPARE(e.ThreadIbsta() & gpib::ERR, gpib::ERR);
        QCOMPARE(e.ThreadIberr(), gpib::EDVR);
        int sta = 0, err = 0, cnt = 0;
        long cntl = 0;
        QCOMPARE(e.RegisterGpibGlobalsForThread(&sta, &err, &cnt, &cntl), 2);
    }
};

QTEST_APPLESS_MAIN(BenchApiTest)
#include "bench_api_test.moc"
