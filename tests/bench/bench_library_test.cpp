// The built stand-in libraries: linux-gpib's names under its version tag and nothing it lacks,
// NI-488.2's registration in the other personality, and a small exchange through each.
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

// What linux-gpib's user library exports.
const char* const kLinuxGpibNames[] = {"AllSPoll",
                                       "AllSpoll",
                                       "AsyncIbcnt",
                                       "AsyncIbcntl",
                                       "AsyncIberr",
                                       "AsyncIbsta",
                                       "DevClear",
                                       "DevClearList",
                                       "EnableLocal",
                                       "EnableRemote",
                                       "FindLstn",
                                       "FindRQS",
                                       "PPoll",
                                       "PPollConfig",
                                       "PPollUnconfig",
                                       "PassControl",
                                       "RcvRespMsg",
                                       "ReadStatusByte",
                                       "Receive",
                                       "ReceiveSetup",
                                       "ResetSys",
                                       "Send",
                                       "SendCmds",
                                       "SendDataBytes",
                                       "SendIFC",
                                       "SendLLO",
                                       "SendList",
                                       "SendSetup",
                                       "SetRWLS",
                                       "TestSRQ",
                                       "TestSys",
                                       "ThreadIbcnt",
                                       "ThreadIbcntl",
                                       "ThreadIberr",
                                       "ThreadIbsta",
                                       "Trigger",
                                       "TriggerList",
                                       "WaitSRQ",
                                       "gpib_error_string",
                                       "ibask",
                                       "ibbna",
                                       "ibcac",
                                       "ibclr",
                                       "ibcmd",
                                       "ibcmda",
                                       "ibconfig",
                                       "ibdev",
                                       "ibdma",
                                       "ibeos",
                                       "ibeot",
                                       "ibevent",
                                       "ibfind",
                                       "ibgts",
                                       "ibist",
                                       "iblines",
                                       "ibln",
                                       "ibloc",
                                       "ibonl",
                                       "ibpad",
                                       "ibpct",
                                       "ibppc",
                                       "ibrd",
                                       "ibrda",
                                       "ibrdf",
                                       "ibrpp",
                                       "ibrsc",
                                       "ibrsp",
                                       "ibrsv",
                                       "ibrsv2",
                                       "ibsad",
                                       "ibsic",
                                       "ibspb",
                                       "ibsre",
                                       "ibstop",
                                       "ibtmo",
                                       "ibtrg",
                                       "ibvers",
                                       "ibwait",
                                       "ibwrt",
                                       "ibwrta",
                                       "ibwrtf",
                                       "parse_gpib_conf",
                                       "ibsta",
                                       "iberr",
                                       "ibcnt",
                                       "ibcntl"};

const char* const kRegistrationNames[] = {"RegisterGpibGlobalsForThread",
                                          "UnregisterGpibGlobalsForThread"};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
}  // namespace

class BenchLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QByteArray dir = qgetenv("GPIB_BENCH_BINARY_DIR");
        QVERIFY(traceDir_.isValid());
        trace_ = traceDir_.filePath("trace").toStdString();
        // The libraries make their bench from the environment at their first call.
        setenv("GPIB_BENCH", " 5=PS5004 ", 1);
        setenv("GPIB_BENCH_TRACE", trace_.c_str(), 1);
        unsetenv("GPIB_BENCH_STATE");
        linux_ = dlopen(dir + "/bench/libgpib.so.0", RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(linux_, dlerror());
        ni_ = dlopen(dir + "/bench-ni/libgpib.so.0", RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(ni_, dlerror());
        QVERIFY(linux_ != ni_);
    }

    void cleanupTestCase() {
        if (linux_) dlclose(linux_);
        if (ni_) dlclose(ni_);
    }

    void everyLinuxGpibNameIsThereUnderItsVersion_data() {
        QTest::addColumn<QByteArray>("name");
        for (const char* name : kLinuxGpibNames) QTest::newRow(name) << QByteArray(name);
    }

    void everyLinuxGpibNameIsThereUnderItsVersion() {
        QFETCH(QByteArray, name);
        QVERIFY(dlvsym(linux_, name.constData(), kVersion));
        QVERIFY(dlvsym(ni_, name.constData(), kVersion));
    }

    // A program that finds these takes the registration road: only the NI personality has them.
    void registrationOnlyInTheNiPersonality() {
        for (const char* name : kRegistrationNames) {
            QVERIFY2(!dlsym(linux_, name), name);
            QVERIFY2(dlvsym(ni_, name, kVersion), name);
        }
    }

    void coreNamesStayInside() {
        QVERIFY(!dlsym(linux_, "_ZN6driver7CurrentEv"));
        QVERIFY(!dlsym(ni_, "_ZN6driver7CurrentEv"));
    }

    // linux-gpib's road: the call's status from the thread accessors and the global variables.
    void exchangeReadThroughTheAccessors() {
        using IbdevFn = int (*)(int, int, int, int, int, int);
        using IbwrtFn = int (*)(int, const void*, long);
        using IbrdFn = int (*)(int, void*, long);
        using CountFn = long (*)();
        const auto ibdev = Symbol<IbdevFn>(linux_, "ibdev");
        const auto ibwrt = Symbol<IbwrtFn>(linux_, "ibwrt");
        const auto ibrd = Symbol<IbrdFn>(linux_, "ibrd");
        const auto threadIbcntl = Symbol<CountFn>(linux_, "ThreadIbcntl");
        const auto* ibsta = static_cast<volatile int*>(dlvsym(linux_, "ibsta", kVersion));
        const auto* ibcntl = static_cast<volatile long*>(dlvsym(linux_, "ibcntl", kVersion));
        QVERIFY(ibdev && ibwrt && ibrd && threadIbcntl && ibsta && ibcntl);

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
        const std::string trace = ReadFile(trace_);
        QVERIFY2(trace.find(" ibwrt ud=16 pad=5 data=\"VOL?\" -> sta=0x0100 err=0 cnt=4\n") !=
                     std::string::npos,
                 trace.c_str());
    }

    // The asynchronous forms have finished when they return: each leaves what its plain form
    // leaves, and the answer is there to read.
    void asynchronousFormsFinishBeforeTheyReturn() {
        using IbdevFn = int (*)(int, int, int, int, int, int);
        using IbwrtFn = int (*)(int, const void*, long);
        using IbrdFn = int (*)(int, void*, long);
        using CountFn = long (*)();
        const auto ibdev = Symbol<IbdevFn>(linux_, "ibdev");
        const auto ibwrta = Symbol<IbwrtFn>(linux_, "ibwrta");
        const auto ibrda = Symbol<IbrdFn>(linux_, "ibrda");
        const auto ibcmda = Symbol<IbwrtFn>(linux_, "ibcmda");
        const auto threadIbcntl = Symbol<CountFn>(linux_, "ThreadIbcntl");
        QVERIFY(ibdev && ibwrta && ibrda && ibcmda && threadIbcntl);

        const int ud = ibdev(0, 5, 0, 11, 1, 0);
        QCOMPARE(ibwrta(ud, "CUR?", 4), 0x0100);
        char answer[64] = {};
        QCOMPARE(ibrda(ud, answer, sizeof answer), 0x2100);
        QCOMPARE(QByteArray(answer), QByteArray("CURRENT 0.100;"));
        QCOMPARE(ibcmda(0, "?", 1), 0x0120);  // unlisten: complete, the board in charge
        QCOMPARE(threadIbcntl(), 1L);
    }

    // NI's road: the library writes the status into the registered variables, and, as after
    // every call, into its own process-wide ones.
    void exchangeReadThroughRegisteredVariables() {
        using FindLstnFn = void (*)(int, const std::uint16_t*, std::uint16_t*, int);
        using RegisterFn = int (*)(int*, int*, int*, long*);
        const auto findLstn = Symbol<FindLstnFn>(ni_, "FindLstn");
        const auto registerGlobals = Symbol<RegisterFn>(ni_, "RegisterGpibGlobalsForThread");
        const auto* ibsta = static_cast<volatile int*>(dlvsym(ni_, "ibsta", kVersion));
        const auto* ibcntl = static_cast<volatile long*>(dlvsym(ni_, "ibcntl", kVersion));
        QVERIFY(findLstn && registerGlobals && ibsta && ibcntl);
        int sta = 0, err = 0, cnt = 0;
        long cntl = 0;
        QCOMPARE(registerGlobals(&sta, &err, &cnt, &cntl), 0);
        const std::uint16_t pads[] = {0, 3, 5, 0xFFFF};
        std::uint16_t results[15] = {};
        findLstn(0, pads, results, 15);
        QCOMPARE(sta, 0x0120);
        QCOMPARE(cntl, 2L);
        QCOMPARE(cnt, 2);
        QCOMPARE(results[1], std::uint16_t{5});
        QCOMPARE(*ibsta, 0x0120);
        QCOMPARE(*ibcntl, 2L);

        // Unregistered, the variables are the program's own again: no later call writes them.
        const auto unregisterGlobals = Symbol<int (*)()>(ni_, "UnregisterGpibGlobalsForThread");
        QVERIFY(unregisterGlobals);
        QCOMPARE(unregisterGlobals(), 0);
        const std::uint16_t onePad[] = {5, 0xFFFF};
        findLstn(0, onePad, results, 15);
        QCOMPARE(*ibcntl, 1L);
        QCOMPARE(cntl, 2L);
        QCOMPARE(cnt, 2);
    }

private:
    QTemporaryDir traceDir_;
    std::string trace_;
    void* linux_ = nullptr;
    void* ni_ = nullptr;
};

QTEST_APPLESS_MAIN(BenchLibraryTest)
#include "bench_library_test.moc"
