// The built libgpib.so.0 stand-in: versioned driver names, and a small exchange through them.
#include <dlfcn.h>

#include <QtTest>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
constexpr const char* kVersion = "GPIB_DUMMY_VERSION";

template <class Function>
Function Symbol(void* library, const char* name) {
    return reinterpret_cast<Function>(dlvsym(library, name, kVersion));
}
}  // namespace

class BenchLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QByteArray path = qgetenv("GPIB_BENCH_BINARY_DIR") + "/bench/libgpib.so.0";
        QVERIFY2(QFile::exists(path), "build the gpib_bench target first: " + path);
        QVERIFY(traceDir_.isValid());
        trace_ = traceDir_.filePath("trace").toStdString();
        // The library makes its bench from the environment at its first call.
        setenv("GPIB_BENCH", " 5=PS5004 ", 1);
        setenv("GPIB_BENCH_TRACE", trace_.c_str(), 1);
        unsetenv("GPIB_BENCH_STATE");
        library_ = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(library_, dlerror());
    }

    void cleanupTestCase() {
        if (library_) dlclose(library_);
    }

    void everyNameCarriesTheDriversVersion_data() {
        QTest::addColumn<QByteArray>("name");
        for (const char* name : {"SendIFC",
                                 "ibsre",
                                 "FindLstn",
                                 "ibdev",
                                 "ibpad",
                                 "ibclr",
                                 "ibrsp",
                                 "ibwrt",
                                 "ibrd",
                                 "ibtmo",
                                 "ibwait",
                                 "ibask",
                                 "RegisterGpibGlobalsForThread",
                                 "UnregisterGpibGlobalsForThread",
                                 "ThreadIbsta",
                                 "ThreadIberr",
                                 "ThreadIbcnt",
                                 "ThreadIbcntl",
                                 "ibsta",
                                 "iberr",
                                 "ibcnt",
                                 "ibcntl"}) {
            QTest::newRow(name) << QByteArray(name);
        }
    }

    void everyNameCarriesTheDriversVersion() {
        QFETCH(QByteArray, name);
        QVERIFY(dlvsym(library_, name.constData(), kVersion));
    }

    void coreNamesStayInside() { QVERIFY(!dlsym(library_, "_ZN5bench7CurrentEv")); }

    void smallExchange() {
        using FindLstnFn = void (*)(int, const std::uint16_t*, std::uint16_t*, int);
        using IbdevFn = int (*)(int, int, int, int, int, int);
        using IbwrtFn = int (*)(int, const void*, long);
        using IbrdFn = int (*)(int, void*, long);
        using RegisterFn = int (*)(int*, int*, int*, long*);
        using CountFn = long (*)();
        const auto findLstn = Symbol<FindLstnFn>(library_, "FindLstn");
        const auto ibdev = Symbol<IbdevFn>(library_, "ibdev");
        const auto ibwrt = Symbol<IbwrtFn>(library_, "ibwrt");
        const auto ibrd = Symbol<IbrdFn>(library_, "ibrd");
        const auto registerGlobals = Symbol<RegisterFn>(library_, "RegisterGpibGlobalsForThread");
        const auto threadIbcntl = Symbol<CountFn>(library_, "ThreadIbcntl");
        const auto* ibsta = static_cast<volatile int*>(dlvsym(library_, "ibsta", kVersion));
        const auto* ibcntl = static_cast<volatile long*>(dlvsym(library_, "ibcntl", kVersion));
        QVERIFY(findLstn && ibdev && ibwrt && ibrd && registerGlobals && threadIbcntl && ibsta &&
                ibcntl);

        int sta = 0, err = 0, cnt = 0;
        long cntl = 0;
        QCOMPARE(registerGlobals(&sta, &err, &cnt, &cntl), 0);
        const std::uint16_t pads[] = {0, 3, 5, 0xFFFF};
        std::uint16_t results[15] = {};
        findLstn(0, pads, results, 15);
        QCOMPARE(cntl, 2L);
        QCOMPARE(results[1], std::uint16_t{5});

        const int ud = ibdev(0, 5, 0, 11, 1, 0);
        QCOMPARE(ud, 16);
        ibwrt(ud, "VOL 5.5", 7);
        ibwrt(ud, "VOL?", 4);
        char answer[64] = {};
        const int readStatus = ibrd(ud, answer, sizeof answer);
        QCOMPARE(QByteArray(answer), QByteArray("VOLTAGE 5.500;"));
        QCOMPARE(readStatus, 0x2100);
        QCOMPARE(*ibsta, readStatus);
        QCOMPARE(*ibcntl, 14L);
        QCOMPARE(threadIbcntl(), 14L);
        QCOMPARE(sta, readStatus);
        QCOMPARE(cnt, 14);

        std::ifstream in(trace_);
        std::stringstream trace;
        trace << in.rdbuf();
        QVERIFY2(trace.str().find(" ibwrt ud=16 pad=5 data=\"VOL?\" -> sta=0x0100 err=0 cnt=4\n") !=
                     std::string::npos,
                 trace.str().c_str());
    }

private:
    QTemporaryDir traceDir_;
    std::string trace_;
    void* library_ = nullptr;
};

QTEST_APPLESS_MAIN(BenchLibraryTest)
#include "bench_library_test.moc"
