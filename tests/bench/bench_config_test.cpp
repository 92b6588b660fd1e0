// GPIB_BENCH: what good items set up, the message naming a malformed item, the bench it makes.
#include <QtTest>
#include <vector>

#include "bench/config.h"
#include "bench/instruments.h"
#include "bench/setup.h"

namespace {
// "5=PS5010,7=HP6032A" for the instruments of a configuration.
QByteArray Instruments(const bench::BenchConfig& config) {
    QByteArrayList items;
    for (const auto& placed : config.instruments) {
        items << QByteArray::number(placed.pad) + "=" + QByteArray::fromStdString(placed.kind);
    }
    return items.join(',');
}

QByteArray Unplugs(const bench::BenchConfig& config) {
    QByteArrayList items;
    for (const auto& unplug : config.unplugs) {
        items << QByteArray::number(unplug.pad) + "@" + QByteArray::number(unplug.messages);
    }
    return items.join(',');
}

// Sets an environment variable for the life of the object only.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

long ListenersFound(bench::Bench& bench) {
    const std::uint16_t pads[] = {0, 3, 5, 7, driver::NOADDR};
    std::uint16_t results[15] = {};
    bench.FindLstn(0, pads, results, 15);
    return bench.LastStatus().ibsta & driver::ERR ? -bench.LastStatus().iberr
                                                  : bench.LastStatus().ibcntl;
}
}  // namespace

class BenchConfigTest : public QObject {
    Q_OBJECT

private slots:
    void goodItems_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("instruments");
        QTest::addColumn<int>("registerResult");
        QTest::addColumn<int>("findlstn");  // -1: no fault
        QTest::addColumn<QByteArray>("unplugs");
        QTest::newRow("empty: the default")
            << QByteArray("") << QByteArray("5=PS5010") << 0 << -1 << QByteArray();
        QTest::newRow("blanks: the default")
            << QByteArray("  ") << QByteArray("5=PS5010") << 0 << -1 << QByteArray();
        QTest::newRow("two supplies")
            << QByteArray("5=PS5010;7=HP6032A") << QByteArray("5=PS5010,7=HP6032A") << 0 << -1
            << QByteArray();
        QTest::newRow("every kind") << QByteArray("1=PS5010;2=PS5004;3=HP6032A;4=DM5010;30=SILENT")
                                    << QByteArray("1=PS5010,2=PS5004,3=HP6032A,4=DM5010,30=SILENT")
                                    << 0 << -1 << QByteArray();
        QTest::newRow("blanks around items")
            << QByteArray("  3=SILENT ;\t5=PS5004 ;") << QByteArray("3=SILENT,5=PS5004") << 0 << -1
            << QByteArray();
        QTest::newRow("lower case kind")
            << QByteArray("9=dm5010") << QByteArray("9=DM5010") << 0 << -1 << QByteArray();
        QTest::newRow("faults") << QByteArray("5=PS5010;register=1;findlstn=20;unplug=5@3")
                                << QByteArray("5=PS5010") << 1 << 20 << QByteArray("5@3");
        QTest::newRow("unplug of an instrument that is not the last")
            << QByteArray("5=PS5010;6=DM5010;unplug=5@1") << QByteArray("5=PS5010,6=DM5010") << 0
            << -1 << QByteArray("5@1");
        QTest::newRow("unplug before its instrument")
            << QByteArray("unplug=5@0;5=PS5010") << QByteArray("5=PS5010") << 0 << -1
            << QByteArray("5@0");
        QTest::newRow("negative register result")
            << QByteArray("register=-1") << QByteArray() << -1 << -1 << QByteArray();
        QTest::newRow("items but no instrument")
            << QByteArray("register=2") << QByteArray() << 2 << -1 << QByteArray();
        QTest::newRow("separator only")
            << QByteArray(";") << QByteArray() << 0 << -1 << QByteArray();
    }

    void goodItems() {
        QFETCH(QByteArray, text);
        QFETCH(int, findlstn);
        const bench::ParsedConfig parsed = bench::ParseConfig(text.toStdString());
        QCOMPARE(QByteArray::fromStdString(parsed.error), QByteArray());
        QTEST(Instruments(parsed.config), "instruments");
        QTEST(parsed.config.registerResult, "registerResult");
        QCOMPARE(parsed.config.findLstnError.value_or(-1), findlstn);
        QTEST(Unplugs(parsed.config), "unplugs");
    }

    void malformedItemIsNamed_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("unknown kind") << QByteArray("5=PS5010;7=FOO") << QByteArray("7=FOO")
                                      << QByteArray("unknown instrument kind FOO");
        QTest::newRow("address 31") << QByteArray("31=PS5010") << QByteArray("31=PS5010")
                                    << QByteArray("address 31 is outside 1..30");
        QTest::newRow("address 0") << QByteArray("0=PS5010") << QByteArray("0=PS5010")
                                   << QByteArray("address 0 is outside 1..30");
        QTest::newRow("two at one address")
            << QByteArray("5=PS5010; 5=HP6032A") << QByteArray("5=HP6032A")
            << QByteArray("address 5 already holds a PS5010");
        QTest::newRow("no equals sign") << QByteArray("PS5010") << QByteArray("PS5010")
                                        << QByteArray("expected <pad>=<KIND> or <setting>=<value>");
        QTest::newRow("unknown setting") << QByteArray("speed=3") << QByteArray("speed=3")
                                         << QByteArray("unknown setting speed");
        QTest::newRow("address with letters") << QByteArray("x5=PS5010") << QByteArray("x5=PS5010")
                                              << QByteArray("unknown setting x5");
        QTest::newRow("address with a sign") << QByteArray("-5=PS5010") << QByteArray("-5=PS5010")
                                             << QByteArray("unknown setting -5");
        QTest::newRow("register not a number")
            << QByteArray("register=x") << QByteArray("register=x")
            << QByteArray("register= needs a whole number");
        QTest::newRow("findlstn negative") << QByteArray("findlstn=-2") << QByteArray("findlstn=-2")
                                           << QByteArray("findlstn= needs an error number");
        QTest::newRow("unplug without count")
            << QByteArray("5=PS5010;unplug=5") << QByteArray("unplug=5")
            << QByteArray("unplug= needs <pad>@<messages>");
        QTest::newRow("unplug count not a number")
            << QByteArray("5=PS5010;unplug=5@x") << QByteArray("unplug=5@x")
            << QByteArray("unplug= needs <pad>@<messages>");
        QTest::newRow("register beyond a whole number's range")
            << QByteArray("register=4294967296") << QByteArray("register=4294967296")
            << QByteArray("register= needs a whole number");
        QTest::newRow("unplug count beyond range")
            << QByteArray("5=PS5010;unplug=5@4294967295") << QByteArray("unplug=5@4294967295")
            << QByteArray("unplug= needs <pad>@<messages>");
        QTest::newRow("unplug outside the bus")
            << QByteArray("unplug=40@1") << QByteArray("unplug=40@1")
            << QByteArray("address 40 is outside 1..30");
        QTest::newRow("refuse without its error")
            << QByteArray("5=PS5010;refuse=5@2") << QByteArray("refuse=5@2")
            << QByteArray("refuse= needs <pad>@<write>:<iberr>");
        QTest::newRow("refuse of write 0")
            << QByteArray("5=PS5010;refuse=5@0:2") << QByteArray("refuse=5@0:2")
            << QByteArray("refuse= needs <pad>@<write>:<iberr>");
        QTest::newRow("spoil of an unknown fault")
            << QByteArray("5=PS5010;spoil=5@1:late") << QByteArray("spoil=5@1:late")
            << QByteArray(
                   "spoil= needs <pad>@<write>:<timeout|noend|endless|empty|truncated|"
                   "garbage|nuls|lower>");
        QTest::newRow("spoil of nothing")
            << QByteArray("5=PS5010;spoil=6@1:empty") << QByteArray("spoil=6@1:empty")
            << QByteArray("no instrument at address 6");
        QTest::newRow("name without address")
            << QByteArray("name=supply") << QByteArray("name=supply")
            << QByteArray("name= needs <name>@<pad>");
        QTest::newRow("name of the board")
            << QByteArray("name=gpib0@5") << QByteArray("name=gpib0@5")
            << QByteArray("gpib0 is the board's own name");
        QTest::newRow("name outside the bus")
            << QByteArray("name=dmm@31") << QByteArray("name=dmm@31")
            << QByteArray("address 31 is outside 1..30");
        QTest::newRow("noconfig not a number")
            << QByteArray("noconfig=edvr") << QByteArray("noconfig=edvr")
            << QByteArray("noconfig= needs an error number");
        QTest::newRow("unplug of nothing")
            << QByteArray("5=PS5010;unplug=6@1") << QByteArray("unplug=6@1")
            << QByteArray("no instrument at address 6");
    }

    void malformedItemIsNamed() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, item);
        QFETCH(QByteArray, reason);
        const bench::ParsedConfig parsed = bench::ParseConfig(text.toStdString());
        QCOMPARE(QByteArray::fromStdString(parsed.error),
                 "GPIB_BENCH item \"" + item + "\" is not understood: " + reason);
        QVERIFY(parsed.config.instruments.empty());
    }

    void environmentMakesTheBench_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<long>("found");  // listeners, or minus the error of the search
        QTest::newRow("described") << QByteArray("3=SILENT;7=HP6032A") << 3L;
        QTest::newRow("malformed: an empty bus")
            << QByteArray("3=SILENT;7=FOO") << -long{driver::EBUS};
        QTest::newRow("search fault") << QByteArray("5=PS5010;findlstn=1") << -1L;
    }

    void namesAreRead() {
        const bench::ParsedConfig parsed =
            bench::ParseConfig("5=PS5010; name = psu 1 @ 5 ; name=dmm@7");
        QCOMPARE(QByteArray::fromStdString(parsed.error), QByteArray());
        QCOMPARE(parsed.config.names.size(), std::size_t{2});
        QCOMPARE(QByteArray::fromStdString(parsed.config.names[0].name), QByteArray("psu 1"));
        QCOMPARE(parsed.config.names[0].pad, 5);
        QCOMPARE(parsed.config.names[1].pad, 7);
    }

    // Without a code, what linux-gpib says without its configuration file: EARG.
    void unusableDriverFailsWithItsCode_data() {
        QTest::addColumn<QByteArray>("item");
        QTest::addColumn<int>("iberr");
        QTest::newRow("no code") << QByteArray("noconfig") << 4;
        QTest::newRow("empty code") << QByteArray(" noconfig = ") << 4;
        QTest::newRow("EDVR") << QByteArray("noconfig=0") << 0;
        QTest::newRow("ECNF") << QByteArray("noconfig = 17") << 17;
    }
    void unusableDriverFailsWithItsCode() {
        QFETCH(QByteArray, item);
        const bench::ParsedConfig parsed = bench::ParseConfig("5=PS5010;" + item.toStdString());
        QCOMPARE(QByteArray::fromStdString(parsed.error), QByteArray());
        QTEST(parsed.config.noBoardError.value_or(-1), "iberr");
    }

    void environmentMakesTheBench() {
        QFETCH(QByteArray, text);
        const ScopedEnvironment described("GPIB_BENCH", text);
        const ScopedEnvironment noTrace("GPIB_BENCH_TRACE", "");
        const ScopedEnvironment noState("GPIB_BENCH_STATE", "");
        const std::unique_ptr<bench::Bench> bench = bench::BenchFromEnvironment();
        QTEST(ListenersFound(*bench), "found");
    }

    // The name an instrument gives itself in the state file and the bench's messages.
    void eachKindCallsItselfAsGpibBenchNamesIt_data() {
        QTest::addColumn<QByteArray>("kind");
        for (const char* kind : {"PS5010", "PS5004", "HP6032A", "DM5010", "SILENT"})
            QTest::newRow(kind) << QByteArray(kind);
    }
    void eachKindCallsItselfAsGpibBenchNamesIt() {
        QFETCH(QByteArray, kind);
        QCOMPARE(QByteArray::fromStdString(bench::MakeInstrument(kind.toStdString())->Kind()),
                 kind);
    }

    void unsetEnvironmentGivesThePs5010AtAddress5() {
        const ScopedEnvironment described("GPIB_BENCH", "");
        qunsetenv("GPIB_BENCH");
        const std::unique_ptr<bench::Bench> bench = bench::BenchFromEnvironment();
        QVERIFY(bench->At(5));
        QCOMPARE(QByteArray::fromStdString(bench->At(5)->Kind()), QByteArray("PS5010"));
    }
};

QTEST_APPLESS_MAIN(BenchConfigTest)
#include "bench_config_test.moc"
