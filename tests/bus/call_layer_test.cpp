// The call layer against a small fake driver: registration, status copies, 16-bit narrowing.
#include <QtTest>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bus/gpib_binding.h"

namespace {
// What the fake driver does and what it saw; reset before every test.
struct FakeDriver {
    std::vector<int> registerResults;  // one per RegisterGpibGlobalsForThread call, then 0
    int registerCalls = 0;
    int unregisterCalls = 0;
    int* sta = nullptr;
    int* err = nullptr;
    int* cnt = nullptr;
    long* cntl = nullptr;

    int nextSta = gpib::CMPL;
    int nextErr = 0;
    long nextCntl = 0;
    int ibdevResult = 16;
    int ibaskValue = 12;
    std::string reply;    // what ibrd delivers
    std::string written;  // what ibwrt received
    long writtenCount = -1;
};
FakeDriver fake;

void Finish() {
    if (fake.sta) {
        *fake.sta = fake.nextSta;
        *fake.err = fake.nextErr;
        *fake.cnt = static_cast<int>(fake.nextCntl);
        *fake.cntl = fake.nextCntl;
    }
}

int Register(int* sta, int* err, int* cnt, long* cntl) {
    const int result = fake.registerCalls < static_cast<int>(fake.registerResults.size())
                           ? fake.registerResults[fake.registerCalls]
                           : 0;
    ++fake.registerCalls;
    if (result == 0 || result == 1) {
        fake.sta = sta;
        fake.err = err;
        fake.cnt = cnt;
        fake.cntl = cntl;
    }
    return result;
}
int Unregister() {
    ++fake.unregisterCalls;
    fake.sta = nullptr;
    return 0;
}
void SendIFC(int) {
    Finish();
}
int Ibdev(int, int, int, int, int, int) {
    Finish();
    return fake.ibdevResult;
}
int Ibask(int, int, int* v) {
    *v = fake.ibaskValue;
    Finish();
    return fake.nextSta;
}
int Ibwrt(int, const void* buf, long count) {
    fake.written.assign(static_cast<const char*>(buf), count);
    fake.writtenCount = count;
    Finish();
    return fake.nextSta;
}
int Ibrd(int, void* buf, long count) {
    const long n = std::min<long>(count, static_cast<long>(fake.reply.size()));
    std::memcpy(buf, fake.reply.data(), n);
    fake.nextCntl = n;
    Finish();
    return fake.nextSta;
}
// The status byte comes first in the two-byte buffer; the second byte is not part of it.
int Ibrsp(int, char* spr) {
    spr[0] = static_cast<char>(0xC1);
    spr[1] = 0x07;
    Finish();
    return fake.nextSta;
}
int ThreadIbsta() {
    return fake.nextSta;
}
int ThreadIberr() {
    return fake.nextErr;
}
long ThreadIbcntl() {
    return fake.nextCntl;
}

GpibEntryPoints RegisteringDriver() {
    GpibEntryPoints e;
    e.SendIFC = SendIFC;
    e.ibdev = Ibdev;
    e.ibask = Ibask;
    e.ibwrt = Ibwrt;
    e.ibrd = Ibrd;
    e.ibrsp = Ibrsp;
    e.RegisterGpibGlobalsForThread = Register;
    e.UnregisterGpibGlobalsForThread = Unregister;
    return e;
}

// Like linux-gpib: no registration, status through the thread accessors.
GpibEntryPoints AccessorDriver() {
    GpibEntryPoints e = RegisteringDriver();
    e.RegisterGpibGlobalsForThread = nullptr;
    e.UnregisterGpibGlobalsForThread = nullptr;
    e.ThreadIbsta = ThreadIbsta;
    e.ThreadIberr = ThreadIberr;
    e.ThreadIbcntl = ThreadIbcntl;
    return e;
}
}  // namespace

class CallLayerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fake = FakeDriver{}; }

    void registrationOutcomes_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("registerCalls");
        QTest::addColumn<int>("unregisterCalls");
        QTest::addColumn<bool>("registered");
        QTest::newRow("0 registered") << 0 << 1 << 0 << true;
        QTest::newRow("1 already registered") << 1 << 2 << 1 << true;
        QTest::newRow("2 failure") << 2 << 1 << 1 << false;
        QTest::newRow("3 failure") << 3 << 1 << 1 << false;
        QTest::newRow("other failure") << 9 << 1 << 0 << false;
    }
    void registrationOutcomes() {
        QFETCH(int, result);
        QFETCH(int, registerCalls);
        QFETCH(int, unregisterCalls);
        QFETCH(bool, registered);
        // After a failure the next call tries again; that try succeeds. (After 1 the second
        // registration's result is not looked at.)
        fake.registerResults = {result, result == 1 ? 1 : 0};
        fake.nextSta = gpib::CMPL;
        GpibBinding binding(RegisteringDriver());

        binding.SendIFC(0);
        QCOMPARE(fake.registerCalls, registerCalls);
        QCOMPARE(fake.unregisterCalls, unregisterCalls);
        if (registered) {
            QCOMPARE(binding.ibsta(), int16_t(gpib::CMPL));
        } else {
            // The library cannot report its status: the call is reported as failed.
            QCOMPARE(binding.ibsta(), int16_t(gpib::ERR));
            QVERIFY(binding.ibsta() < 0);
            QCOMPARE(binding.iberr(), int16_t(gpib::EDVR));
            QCOMPARE(binding.ibcntl(), int32_t(0xDEAD37F0));
        }

        const int callsBefore = fake.registerCalls;
        binding.SendIFC(0);
        QCOMPARE(fake.registerCalls, callsBefore + (registered ? 0 : 1));
        QCOMPARE(binding.ibsta(), int16_t(gpib::CMPL));
    }

    void errorIsNegativeStatus() {
        fake.nextSta = gpib::ERR | gpib::CMPL;
        fake.nextErr = gpib::ENOL;
        GpibBinding binding(RegisteringDriver());
        binding.ibwrt(16, "OUT ON");
        QVERIFY(binding.ibsta() < 0);
        QVERIFY(binding.ibsta() & gpib::ERR);
        QCOMPARE(binding.iberr(), int16_t(gpib::ENOL));
    }

    void resultsNarrowedTo16Bits() {
        fake.ibdevResult = 40000;
        fake.ibaskValue = 70000;
        GpibBinding binding(RegisteringDriver());
        int16_t device = 0;
        binding.ibdev(0, 5, 0, 11, 1, 0, device);
        QCOMPARE(device, int16_t(40000 - 65536));
        int16_t value = 0;
        binding.ibask(device, gpib::IbaTMO, value);
        QCOMPARE(value, int16_t(70000 - 65536));
    }

    void countsKeepFullAndLow16Bits() {
        fake.reply = std::string(70000, 'x');
        GpibBinding binding(RegisteringDriver());
        std::string buffer(70000, ' ');
        binding.ibrd(16, buffer);
        QCOMPARE(binding.ibcntl(), int32_t(70000));
        QCOMPARE(binding.ibcnt(), int16_t(70000 - 65536));
    }

    void readKeepsUnfilledPositions() {
        fake.reply = "12.5\n";
        fake.nextSta = gpib::CMPL | gpib::END;
        GpibBinding binding(RegisteringDriver());
        std::string buffer(256, ' ');
        binding.ibrd(16, buffer);
        QCOMPARE(buffer.size(), size_t(256));
        QCOMPARE(buffer.substr(0, 5), std::string("12.5\n"));
        QCOMPARE(buffer.substr(5), std::string(251, ' '));
        QCOMPARE(binding.ibcnt(), int16_t(5));
    }

    void writeSendsTheTextAsItIs() {
        GpibBinding binding(RegisteringDriver());
        binding.ibwrt(16, std::string("VSET ") + "5");
        QCOMPARE(fake.writtenCount, 6L);
        QCOMPARE(fake.written, std::string("VSET 5"));
    }

    void serialPollGivesTheFirstByteUnsigned() {
        GpibBinding binding(RegisteringDriver());
        int16_t statusByte = -1;
        binding.ibrsp(16, statusByte);
        QCOMPARE(statusByte, int16_t(0xC1));
    }

    void statusFromThreadAccessorsWithoutRegistration() {
        fake.nextSta = gpib::ERR | gpib::TIMO;
        fake.nextErr = 6;
        fake.reply = "abc";
        GpibBinding binding(AccessorDriver());
        std::string buffer(10, ' ');
        binding.ibrd(16, buffer);
        QCOMPARE(binding.ibsta(), int16_t(gpib::ERR | gpib::TIMO));
        QCOMPARE(binding.iberr(), int16_t(6));
        QCOMPARE(binding.ibcntl(), int32_t(3));
        QCOMPARE(fake.registerCalls, 0);
    }
};

QTEST_APPLESS_MAIN(CallLayerTest)
#include "call_layer_test.moc"
