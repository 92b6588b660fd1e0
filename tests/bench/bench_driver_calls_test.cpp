// The bench's answers to the driver calls that programs written for linux-gpib make: options,
// the listener test, names, descriptors taken offline, command bytes and the 488.2 routines.
#include <QtTest>
#include <vector>

#include "bench/bench.h"
#include "direct_bench.h"
#include "driver/driver_api.h"
#include "driver/error_text.h"

using driver::CIC;
using driver::CMPL;
using driver::ERR;
namespace option = bench::option;

namespace {
constexpr int kBoard = 0;
constexpr int kNoDescriptor = 99;
}  // namespace

class BenchDriverCallsTest : public QObject {
    Q_OBJECT

private slots:
    void optionsAskedOnBoardAndDevice_data() {
        QTest::addColumn<bool>("board");
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("value");  // -1: refused with EARG
        QTest::newRow("board's address") << true << option::PAD << 0;
        QTest::newRow("board's time-out T10s") << true << option::TMO << 13;
        QTest::newRow("board is system controller") << true << option::SC << 1;
        QTest::newRow("board: no unaddressing") << true << option::UnAddr << -1;
        QTest::newRow("board: no board index") << true << option::BNA << -1;
        QTest::newRow("device's address") << false << option::PAD << 5;
        QTest::newRow("device's secondary") << false << option::SAD << 0;
        QTest::newRow("device's time-out") << false << option::TMO << 12;
        QTest::newRow("device sends EOI") << false << option::EOT << 1;
        QTest::newRow("device on board 0") << false << option::BNA << 0;
        QTest::newRow("device's serial poll time T1s") << false << option::SPollTime << 11;
        QTest::newRow("device: no system controller") << false << option::SC << -1;
        QTest::newRow("no such option") << false << 0x6 << -1;
    }

    void optionsAskedOnBoardAndDevice() {
        QFETCH(bool, board);
        QFETCH(int, option);
        QFETCH(int, value);
        DirectBench rig;
        const int ud = board ? kBoard : rig.Open(5, 12);
        int asked = -7;
        const int sta = rig.bench.ibask(ud, option, &asked);
        if (value < 0) {
            QCOMPARE(sta & ERR, ERR);
            QCOMPARE(rig.bench.LastStatus().iberr, driver::EARG);
            QCOMPARE(asked, -7);
        } else {
            QCOMPARE(sta, CMPL | (board ? CIC : 0));
            QCOMPARE(asked, value);
        }
    }

    void optionsSetAndReadBack_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("readBack");  // -1: refused with EARG, nothing changed
        QTest::newRow("address") << option::PAD << 7 << 7;
        QTest::newRow("address 31") << option::PAD << 31 << -1;
        QTest::newRow("secondary 0x60") << option::SAD << 0x60 << 0x60;
        QTest::newRow("secondary 5") << option::SAD << 5 << -1;
        QTest::newRow("time-out T1s") << option::TMO << 11 << 11;
        QTest::newRow("time-out T1000s, the longest") << option::TMO << 17 << 17;
        QTest::newRow("time-out 18") << option::TMO << 18 << -1;
        QTest::newRow("EOI any non-zero") << option::EOT << 5 << 1;
        QTest::newRow("end-of-string character") << option::EOSchar << 10 << 10;
        QTest::newRow("end-of-string character 256") << option::EOSchar << 256 << -1;
        QTest::newRow("read ends at EOS") << option::EOSrd << 1 << 1;
        QTest::newRow("read adjust 3") << option::ReadAdjust << 3 << -1;
        QTest::newRow("unaddressing") << option::UnAddr << 1 << 1;
        QTest::newRow("board index is read only") << option::BNA << 0 << -1;
    }

    void optionsSetAndReadBack() {
        QFETCH(int, option);
        QFETCH(int, value);
        QFETCH(int, readBack);
        DirectBench rig;
        const int ud = rig.Open(5, 12);
        int before = -7;
        rig.bench.ibask(ud, option, &before);
        const int sta = rig.bench.ibconfig(ud, option, value);
        int after = -7;
        rig.bench.ibask(ud, option, &after);
        if (readBack < 0) {
            QCOMPARE(sta & ERR, ERR);
            QCOMPARE(after, before);
        } else {
            QCOMPARE(sta, CMPL);
            QCOMPARE(after, readBack);
        }
    }

    void endOfStringModeAndItsOptionsAgree() {
        DirectBench rig;
        const int ud = rig.Open(5, 12);
        QCOMPARE(rig.bench.ibeos(ud, driver::REOS | driver::BIN | '\r'), CMPL);
        int value = 0;
        rig.bench.ibask(ud, option::EOSrd, &value);
        QCOMPARE(value, 1);
        rig.bench.ibask(ud, option::EOSwrt, &value);
        QCOMPARE(value, 0);
        rig.bench.ibask(ud, option::EOScmp, &value);
        QCOMPARE(value, 1);
        rig.bench.ibask(ud, option::EOSchar, &value);
        QCOMPARE(value, int{'\r'});
        QCOMPARE(rig.bench.ibeos(ud, 0x2000) & ERR, ERR);
    }

    void listenerTestPerAddress_data() {
        QTest::addColumn<int>("pad");
        QTest::addColumn<int>("sad");
        QTest::addColumn<int>("found");  // -1: refused with EARG
        QTest::newRow("the board itself") << 0 << 0 << 1;
        QTest::newRow("an instrument") << 5 << 0 << 1;
        QTest::newRow("an instrument, any secondary") << 5 << -1 << 1;
        QTest::newRow("an instrument's secondary") << 5 << 0x60 << 0;
        QTest::newRow("an empty address") << 6 << 0 << 0;
        QTest::newRow("unplugged") << 7 << 0 << 0;
        QTest::newRow("address 31") << 31 << 0 << -1;
        QTest::newRow("secondary 3") << 5 << 3 << -1;
    }

    void listenerTestPerAddress() {
        QFETCH(int, pad);
        QFETCH(int, sad);
        QFETCH(int, found);
        DirectBench rig;
        rig.Scripted(5);
        rig.Scripted(7);
        rig.bench.UnplugAfter(7, 0);
        short answer = -7;
        const int sta = rig.bench.ibln(kBoard, pad, sad, &answer);
        if (found < 0) {
            QCOMPARE(rig.bench.LastStatus().iberr, driver::EARG);
            QCOMPARE(sta & ERR, ERR);
        } else {
            QCOMPARE(sta, CMPL | CIC);
            QCOMPARE(int{answer}, found);
        }
    }

    // A search without its list of addresses or without room for its answer is refused.
    void searchWithoutItsListsIsRefused() {
        DirectBench rig;
        rig.Scripted(5);
        const std::uint16_t pads[] = {5, driver::NOADDR};
        std::uint16_t results[2] = {};
        rig.bench.FindLstn(kBoard, nullptr, results, 2);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EARG);
        rig.bench.FindLstn(kBoard, pads, nullptr, 2);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EARG);
        QCOMPARE(rig.bench.LastStatus().ibsta & ERR, ERR);
    }

    // Address 0 is the board's only while the board stands there: moved, nobody listens at 0.
    void anAddressTheBoardLeftHasNoListener() {
        DirectBench rig;
        rig.Scripted(5);
        QCOMPARE(rig.bench.ibpad(kBoard, 2) & ERR, 0);
        short answer = -7;
        QCOMPARE(rig.bench.ibln(kBoard, 0, 0, &answer), CMPL | CIC);
        QCOMPARE(int{answer}, 0);
        QCOMPARE(rig.bench.ibln(kBoard, 2, 0, &answer), CMPL | CIC);
        QCOMPARE(int{answer}, 1);
    }

    void namesFoundAndDescriptorsTakenOffline() {
        DirectBench rig;
        rig.Scripted(5)->AnswerTo("ID?", "ID SCRIPTED");
        rig.bench.NameDevice("supply", 5);
        QCOMPARE(rig.bench.ibfind("gpib0"), kBoard);
        const int ud = rig.bench.ibfind("supply");
        QVERIFY(ud >= bench::Bench::kFirstDevice);
        QCOMPARE(rig.Query(ud, "ID?"), QByteArray("ID SCRIPTED"));
        QCOMPARE(rig.bench.ibfind("dmm"), -1);
        QCOMPARE(rig.bench.LastStatus().ibsta & ERR, ERR);

        QCOMPARE(rig.bench.ibonl(ud, 0), CMPL);
        QCOMPARE(rig.Write(ud, "ID?") & ERR, ERR);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EDVR);
        // The board stays usable after going offline: it is opened again at its next use.
        QCOMPARE(rig.bench.ibonl(kBoard, 0), CMPL | CIC);
        short found = 0;
        QCOMPARE(rig.bench.ibln(kBoard, 5, 0, &found), CMPL | CIC);
    }

    void commandBytesClearTheAddressedListeners() {
        DirectBench rig;
        bench::ScriptedInstrument* five = rig.Scripted(5);
        bench::ScriptedInstrument* seven = rig.Scripted(7);
        // UNL, listen 5, SDC: only the supply at 5 is cleared.
        QCOMPARE(rig.bench.ibcmd(kBoard, "\x3F\x25\x04", 3), CMPL | CIC);
        QCOMPARE(rig.bench.LastStatus().ibcntl, 3L);
        QCOMPARE(five->DeviceClears(), 1);
        QCOMPARE(seven->DeviceClears(), 0);
        // DCL: everyone.
        rig.bench.ibcmd(kBoard, "\x14", 1);
        QCOMPARE(five->DeviceClears(), 2);
        QCOMPARE(seven->DeviceClears(), 1);
        // Command bytes are the board's; a device descriptor cannot send them.
        QCOMPARE(rig.bench.ibcmd(rig.Open(5), "\x14", 1) & ERR, ERR);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EARG);
    }

    void commandBytesOnAnEmptyBusFindNobody() {
        DirectBench rig;
        QCOMPARE(rig.bench.ibcmd(kBoard, "\x14", 1) & ERR, ERR);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ENOL);
    }

    void routinesByAddressReachTheInstrument() {
        DirectBench rig;
        bench::ScriptedInstrument* five = rig.Scripted(5);
        five->AnswerTo("ID?\n", "ID SCRIPTED;");
        five->SetStatusByte(0x42);
        constexpr int kNlEnd = 1;
        rig.bench.Send(kBoard, 5, "ID?", 3, kNlEnd);
        QCOMPARE(rig.bench.LastStatus().ibsta, CMPL | CIC);
        QCOMPARE(rig.bench.LastStatus().ibcntl, 4L);
        char answer[32] = {};
        rig.bench.Receive(kBoard, 5, answer, sizeof answer, 0x100);
        QCOMPARE(QByteArray(answer), QByteArray("ID SCRIPTED;"));
        short status = 0;
        rig.bench.ReadStatusByte(kBoard, 5, &status);
        QCOMPARE(status, short{0x42});
        rig.bench.DevClear(kBoard, 5);
        QCOMPARE(five->DeviceClears(), 1);
        // The routines' own descriptors do not outlive them.
        QCOMPARE(rig.bench.ibonl(-2, 0) & ERR, ERR);
        const std::uint16_t list[] = {5, 9, driver::NOADDR};
        short results[2] = {-1, -1};
        rig.bench.AllSpoll(kBoard, list, results);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ENOL);
        QCOMPARE(rig.bench.LastStatus().ibcntl, 1L);
        QCOMPARE(results[0], short{0x42});
        rig.bench.Send(kBoard, 9, "ID?", 3, kNlEnd);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ENOL);
    }

    void missingFeaturesSayNoCapability() {
        DirectBench rig;
        QCOMPARE(rig.bench.Unsupported("PPoll", kBoard), ERR | CMPL);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::ECAP);
        rig.bench.Unsupported("ibpct", kNoDescriptor);
        QCOMPARE(rig.bench.LastStatus().iberr, driver::EDVR);
        QCOMPARE(QByteArray::fromStdString(rig.bench.TraceLines().back()).split(' ')[1],
                 QByteArray("ibpct"));
    }

    // gpib_error_string: each code's text begins with the code's own name.
    void everyErrorCodeIsNamed_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("name");
        const std::vector<std::pair<int, const char*>> names = {
            {0, "EDVR"},     {1, "ECIC"},    {2, "ENOL"},    {3, "EADR"},     {4, "EARG"},
            {5, "ESAC"},     {6, "EABO"},    {7, "ENEB"},    {8, "EDMA"},     {10, "EOIP"},
            {11, "ECAP"},    {12, "EFSO"},   {14, "EBUS"},   {15, "ESTB"},    {16, "ESRQ"},
            {17, "ECNF"},    {20, "ETAB"},   {9, "unknown"}, {13, "unknown"}, {18, "unknown"},
            {21, "unknown"}, {-1, "unknown"}};
        for (const auto& [code, name] : names)
            QTest::newRow(qPrintable(QString::number(code))) << code << QByteArray(name);
    }
    void everyErrorCodeIsNamed() {
        QFETCH(int, code);
        QFETCH(QByteArray, name);
        QVERIFY2(QByteArray(driver::ErrorText(code)).startsWith(name), driver::ErrorText(code));
    }

    // A driver without a usable board fails every call with the error it was given.
    void noBoardFailsEveryCall() {
        driver::InstallNoBoard(driver::EARG);
        int value = 0;
        QCOMPARE(driver::api::ibask(kBoard, option::PAD, &value), ERR);
        QCOMPARE(driver::api::ThreadIberr(), driver::EARG);
        QCOMPARE(driver::api::ibdev(0, 5, 0, 12, 1, 0), -1);
        driver::Install(nullptr);
        QCOMPARE(driver::api::ThreadIberr(), driver::EDVR);
    }
};

QTEST_APPLESS_MAIN(BenchDriverCallsTest)
#include "bench_driver_calls_test.moc"
