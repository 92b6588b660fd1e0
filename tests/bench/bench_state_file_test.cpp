// Supplies keep their settings in GPIB_BENCH_STATE between runs, as one left switched on does.
#include <QtTest>
#include <fstream>
#include <sstream>

#include "direct_bench.h"
#include "standard_error.h"

namespace {
std::string Contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}
}  // namespace

class BenchStateFileTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        path_ = dir_->filePath("state").toStdString();
    }

    // At the two ends of the address range, so that every address is seen to come back.
    void settingsComeBackInTheNextRun() {
        {
            DirectBench first;
            first.bench.Attach(1, bench::MakeInstrument("PS5010"));
            first.bench.Attach(30, bench::MakeInstrument("HP6032A"));
            first.bench.SetStateFile(path_);
            first.Write(first.Open(1), "VPOS 12.5;INEG 0.2;FSOUT ON");
            first.Write(first.Open(30), "VSET 20;ISET 2.5;OUT OFF");
        }
        DirectBench second;
        const int ps = second.Place(1, "PS5010");
        const int hp = second.Place(30, "HP6032A");
        second.bench.SetStateFile(path_);
        QCOMPARE(second.Query(ps, "VPOS?;IPOS?;INEG?;OUTPUT?"),
                 QByteArray("VPOS 12.50;IPOS 0.400;INEG 0.200;FSOUT ON;LSOUT OFF;"));
        QCOMPARE(second.Query(hp, "VSET?"), QByteArray("VSET 20.000\r\n"));
        QCOMPARE(second.Query(hp, "ISET?"), QByteArray("ISET  2.500\r\n"));
        QCOMPARE(second.Query(hp, "OUT?"), QByteArray("OUT 0\r\n"));
    }

    void changeIsWrittenAtOnce() {
        DirectBench rig;
        rig.bench.Attach(5, bench::MakeInstrument("PS5004"));
        rig.bench.SetStateFile(path_);
        rig.Write(rig.Open(5), "VOL 5.5;OUT ON");
        QCOMPARE(Contents(path_), std::string("# gpib bench state: <pad> <KIND> <settings>\n"
                                              "5 PS5004 VOLTAGE 5.500;CURRENT 0.100;OUT ON;\n"));
    }

    void anotherKindAtTheAddressStartsFromPowerOn() {
        std::ofstream(path_) << "5 PS5010 VPOS 12.50;IPOS 0.400;\n";
        DirectBench rig;
        const int ud = rig.Place(5, "PS5004");
        rig.bench.SetStateFile(path_);
        QCOMPARE(rig.Query(ud, "VOL?"), QByteArray("VOLTAGE 0.000;"));
    }

    void settingsOutsideTheRangesAreIgnored() {
        std::ofstream(path_) << "5 PS5010 VPOS 12.50;IPOS 9.000;\n";
        DirectBench rig;
        const int ud = rig.Place(5, "PS5010");
        StandardErrorCapture said;
        rig.bench.SetStateFile(path_);
        QCOMPARE(said.Text(), QByteArray("gpib bench: ignoring saved settings of the PS5010 at 5: "
                                         "VPOS 12.50;IPOS 9.000;\n"));
        QCOMPARE(rig.Query(ud, "VPOS?;IPOS?"), QByteArray("VPOS 0.00;IPOS 0.400;"));
    }

    // A state file that cannot be written is said once, not at every message.
    void unwritableStateFileIsSaidOnce() {
        const std::string path = dir_->filePath("missing/state").toStdString();
        DirectBench rig;
        const int ud = rig.Place(5, "PS5004");
        rig.bench.SetStateFile(path);
        StandardErrorCapture said;
        rig.Write(ud, "VOL 5.5");
        rig.Write(ud, "VOL 6.5");
        QCOMPARE(said.Text(), QByteArray::fromStdString("gpib bench: cannot write the state file " +
                                                        path + ": No such file or directory\n"));
    }

    // Lines that are not "<pad> <KIND> <settings>" give nothing back, and nothing is said.
    void malformedLinesAreSkipped_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("no settings") << QByteArray("5 PS5004");
        QTest::newRow("no address") << QByteArray("PS5004 VOLTAGE 5.500;");
        QTest::newRow("address not a number") << QByteArray("five PS5004 VOLTAGE 5.500;");
        QTest::newRow("a word alone") << QByteArray("5");
    }
    void malformedLinesAreSkipped() {
        QFETCH(QByteArray, line);
        std::ofstream(path_) << line.toStdString() << "\n";
        DirectBench rig;
        const int ud = rig.Place(5, "PS5004");
        StandardErrorCapture said;
        rig.bench.SetStateFile(path_);
        QCOMPARE(said.Text(), QByteArray());
        QCOMPARE(rig.Query(ud, "VOL?"), QByteArray("VOLTAGE 0.000;"));
    }

    void linesOfOtherAddressesAreKept() {
        std::ofstream(path_) << "9 HP6032A VSET 1.000;ISET 1.000;OUT 1\n";
        DirectBench rig;
        const int ud = rig.Place(5, "PS5004");
        rig.bench.SetStateFile(path_);
        rig.Write(ud, "CUR 0.2");
        QVERIFY(Contents(path_).find("\n9 HP6032A VSET 1.000;ISET 1.000;OUT 1\n") !=
                std::string::npos);
    }

    // Only the supplies keep settings: the others give none. A saved line for them is taken
    // back as a message would be: the multimeter runs any well-formed command, the silent
    // listener takes nothing but none.
    void instrumentsThatAreNoSupplyKeepNothing_data() {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<bool>("takesSupplySettings");
        QTest::newRow("multimeter") << QByteArray("DM5010") << true;
        QTest::newRow("silent listener") << QByteArray("SILENT") << false;
    }
    void instrumentsThatAreNoSupplyKeepNothing() {
        QFETCH(QByteArray, kind);
        const std::unique_ptr<bench::Instrument> instrument =
            bench::MakeInstrument(kind.toStdString());
        QCOMPARE(instrument->Settings(), std::string());
        QVERIFY(instrument->RestoreSettings(""));
        QTEST(instrument->RestoreSettings("VPOS 12.50;"), "takesSupplySettings");
        QVERIFY(!instrument->RestoreSettings("VPOS 12.50;;;+"));

        DirectBench rig;
        const int ud = rig.Place(9, kind.constData());
        rig.bench.SetStateFile(path_);
        rig.Write(ud, "ID?");
        QCOMPARE(Contents(path_), std::string());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::string path_;
};

QTEST_APPLESS_MAIN(BenchStateFileTest)
#include "bench_state_file_test.moc"
