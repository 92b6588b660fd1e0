// The lines each driver call sends to a Prologix or an AR488, as the emulated adapter in front of
// the bench receives them: settings only when they change, data escaped, the adapter's own way to
// poll, search, clear and read; and what neither adapter can do refused with ECAP.
#include <QtTest>
#include <functional>

#include "adapter_rig.h"

namespace {
using Call = std::function<void(AdapterRig&, int ud)>;
constexpr int kPrologix = static_cast<int>(adapter::Kind::Prologix);
constexpr int kAr488 = static_cast<int>(adapter::Kind::Ar488);

void Write(AdapterRig& rig, int ud, const std::string& text) {
    rig.Write(ud, text);
}

void ReadAnswer(AdapterRig& rig, int ud) {
    int sta = 0;
    rig.Read(ud, sta);
}

void Search(AdapterRig& rig, std::initializer_list<std::uint16_t> pads) {
    std::vector<std::uint16_t> list(pads);
    list.push_back(driver::NOADDR);
    std::uint16_t found[16] = {};
    rig.Driver().FindLstn(0, list.data(), found, 16);
}
}  // namespace

Q_DECLARE_METATYPE(Call)

class AdapterCallsTest : public QObject {
    Q_OBJECT

private slots:
    void linesOfEachCall_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<Call>("call");
        QTest::addColumn<QStringList>("lines");
        // Each call on a device at address 5 (T3s, EOI on) that the adapter has not addressed yet.
        QTest::newRow("write: address, then the data")
            << kPrologix << Call([](AdapterRig& r, int ud) { Write(r, ud, "VPOS 12.5"); })
            << QStringList{"++addr 5", "VPOS 12.5"};
        QTest::newRow("address sent once") << kPrologix << Call([](AdapterRig& r, int ud) {
            Write(r, ud, "VPOS 1");
            Write(r, ud, "VPOS?");
        }) << QStringList{"++addr 5", "VPOS 1", "VPOS?"};
        QTest::newRow("write: CR, LF, ESC and + escaped")
            << kPrologix << Call([](AdapterRig& r, int ud) { Write(r, ud, "A+\r\n\x1b"); })
            << QStringList{"++addr 5", "A\\x1b+\\x1b\\r\\x1b\\n\\x1b\\x1b"};
        QTest::newRow("write without EOI, then with")
            << kPrologix << Call([](AdapterRig& r, int ud) {
                   r.Driver().SetOption("ibeot", ud, driver::option::EOT, 0);
                   Write(r, ud, "VPOS 1;");
                   r.Driver().SetOption("ibeot", ud, driver::option::EOT, 1);
                   Write(r, ud, "VNEG 1");
               })
            << QStringList{"++addr 5", "++eoi 0", "VPOS 1;", "++eoi 1", "VNEG 1"};
        QTest::newRow("query: read to EOI, time-out already 3 s")
            << kPrologix << Call([](AdapterRig& r, int ud) {
                   Write(r, ud, "VPOS?");
                   ReadAnswer(r, ud);
               })
            << QStringList{"++addr 5", "VPOS?", "++read eoi", "++ver"};
        QTest::newRow("read with T1s") << kPrologix << Call([](AdapterRig& r, int ud) {
            r.Driver().ibtmo(ud, 11);
            Write(r, ud, "ID?");
            ReadAnswer(r, ud);
        }) << QStringList{"++addr 5", "ID?", "++read_tmo_ms 1000", "++read eoi", "++ver"};
        // To EOI in short rounds: the end-of-string character ends it in the library.
        QTest::newRow("read to an end-of-string character")
            << kPrologix << Call([](AdapterRig& r, int ud) {
                   r.Driver().ibeos(ud, driver::REOS | '\n');
                   Write(r, ud, "ID?");
                   ReadAnswer(r, ud);
               })
            << QStringList{"++addr 5", "ID?", "++read_tmo_ms 100", "++read eoi", "++ver"};
        QTest::newRow("device clear")
            << kPrologix << Call([](AdapterRig& r, int ud) { r.Driver().ibclr(ud); })
            << QStringList{"++addr 5", "++clr"};
        QTest::newRow("serial poll within its T1s") << kPrologix << Call([](AdapterRig& r, int ud) {
            char status[2] = {};
            r.Driver().ibrsp(ud, status);
        }) << QStringList{"++read_tmo_ms 1000", "++spoll 5", "++ver"};
        QTest::newRow("trigger, go to local") << kAr488 << Call([](AdapterRig& r, int ud) {
            r.Driver().ibtrg(ud);
            r.Driver().ibloc(ud);
        }) << QStringList{"++addr 5", "++trg", "++loc"};
        QTest::newRow("interface clear")
            << kPrologix << Call([](AdapterRig& r, int) { r.Driver().SendIFC(0); })
            << QStringList{"++ifc"};
        QTest::newRow("Prologix: remote enable is always on")
            << kPrologix << Call([](AdapterRig& r, int) { r.Driver().ibsre(0, 1); })
            << QStringList{};
        QTest::newRow("AR488: remote enable") << kAr488 << Call([](AdapterRig& r, int) {
            r.Driver().ibsre(0, 1);
            r.Driver().ibsre(0, 0);
        }) << QStringList{"++ren 1", "++ren 0"};
        // Each poll closed by the marker: silence until then is nobody there.
        QTest::newRow("Prologix: a serial poll per address, absent when silent")
            << kPrologix << Call([](AdapterRig& r, int) {
                   Search(r, {0, 3, 5, 9});
               })
            << QStringList{"++read_tmo_ms 50", "++spoll 3", "++ver", "++spoll 5", "++ver",
                           "++spoll 9",        "++ver"};
        QTest::newRow("AR488: its own listener search") << kAr488 << Call([](AdapterRig& r, int) {
            Search(r, {0, 3, 5, 9});
        }) << QStringList{"++fndl all", "++ver real", "++unl"};
        QTest::newRow("AR488: one listener asked") << kAr488 << Call([](AdapterRig& r, int) {
            short found = 0;
            r.Driver().ibln(0, 5, 0, &found);
        }) << QStringList{"++fndl 5", "++ver real", "++unl"};
        // A number after its "++read" is an address there: never sent.
        QTest::newRow("AR488: read to an end-of-string character")
            << kAr488 << Call([](AdapterRig& r, int ud) {
                   r.Driver().ibeos(ud, driver::REOS | '\n');
                   Write(r, ud, "ID?");
                   ReadAnswer(r, ud);
               })
            << QStringList{"++addr 5", "ID?", "++read_tmo_ms 100", "++read eoi", "++ver real"};
    }

    void linesOfEachCall() {
        QFETCH(int, kind);
        QFETCH(Call, call);
        QFETCH(QStringList, lines);
        AdapterRig rig(static_cast<adapter::Kind>(kind), "3=SILENT;5=PS5010");
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(5);
        call(rig, ud);
        QStringList sent;
        for (const std::string& line : rig.TakeHostLines()) sent << QString::fromStdString(line);
        QCOMPARE(sent, lines);
    }

    // What the instrument gets is what the program wrote, escaping and all undone.
    void dataReachesTheInstrumentUnchanged() {
        AdapterRig rig(adapter::Kind::Prologix, "");
        bench::ScriptedInstrument& instrument = rig.AttachScripted(7);
        QCOMPARE(rig.Open(), std::nullopt);
        const std::string message("A+\r\n\x1b\0Z", 7);
        rig.Write(rig.Open(7), message);
        QCOMPARE(instrument.Received(), std::vector<std::string>{message});
    }

    void refusedWithoutAWordOnTheLink_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<Call>("call");
        QTest::newRow("Prologix: remote enable off")
            << kPrologix << Call([](AdapterRig& r, int) { r.Driver().ibsre(0, 0); });
        QTest::newRow("Prologix: command bytes")
            << kPrologix << Call([](AdapterRig& r, int) { r.Driver().ibcmd(0, "\x14", 1); });
        QTest::newRow("AR488: command bytes it has no line for")
            << kAr488 << Call([](AdapterRig& r, int) { r.Driver().ibcmd(0, "\x14\x25", 2); });
        // Its "++spoll" takes primary addresses only.
        QTest::newRow("AR488: serial poll of a secondary address")
            << kAr488 << Call([](AdapterRig& r, int ud) {
                   char status[2] = {};
                   r.Driver().ibconfig(ud, driver::option::SAD, 96);
                   r.Driver().ibrsp(ud, status);
               });
        QTest::newRow("parallel poll") << kAr488 << Call([](AdapterRig& r, int) {
            char response = 0;
            r.Driver().ibrpp(0, &response);
        });
        // It would reach the instrument as several messages.
        QTest::newRow("AR488: data longer than 128 bytes")
            << kAr488 << Call([](AdapterRig& r, int ud) { Write(r, ud, std::string(129, 'A')); });
    }

    void refusedWithoutAWordOnTheLink() {
        QFETCH(int, kind);
        QFETCH(Call, call);
        AdapterRig rig(static_cast<adapter::Kind>(kind), "5=PS5010");
        QCOMPARE(rig.Open(), std::nullopt);
        call(rig, rig.Open(5));
        QCOMPARE(rig.Driver().LastStatus().ibsta & driver::ERR, driver::ERR);
        QCOMPARE(rig.Driver().LastStatus().iberr, driver::ECAP);
        QCOMPARE(rig.TakeHostLines(), std::vector<std::string>{});
    }

    // What an AR488 holds behind a line that keeps it busy is 64 bytes: a longer line waits
    // until the adapter has answered its marker, so nothing is lost.
    void longDataBehindABusyLineWaitsForTheAr488() {
        AdapterRig rig(adapter::Kind::Ar488, "");
        bench::ScriptedInstrument& instrument = rig.AttachScripted(7);
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(7);
        const std::string first(60, '1');
        const std::string second(60, '2');
        rig.Write(ud, first);
        rig.Write(ud, second);
        QCOMPARE(instrument.Received(), (std::vector<std::string>{first, second}));
        const std::vector<std::string> lines = rig.TakeHostLines();
        QCOMPARE(lines, (std::vector<std::string>{"++addr 7", first, "++ver real", second}));
    }

    // The adapter's own settings are made explicit when it is opened, and asked back where the
    // manual documents a way to ask them (never "++read_tmo_ms"), each answer closed by the marker.
    void openingSetsTheAdapterUp_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("lines");
        const auto asked = [](const QString& marker, const QStringList& settings) {
            QStringList lines;
            for (const QString& setting : settings) {
                lines << "++" + setting << "++" + setting.section(' ', 0, 0) << marker;
            }
            return lines;
        };
        const QStringList common{"mode 1", "auto 0",       "eoi 1",
                                 "eos 3",  "eot_enable 1", "eot_char 4"};
        QTest::newRow("Prologix: its memory spared first")
            << kPrologix
            << QStringList{"++ver", "++ver real"} +
                   asked("++ver", QStringList{"savecfg 0"} + common) +
                   QStringList{"++read_tmo_ms 3000"};
        // Asked again after the reset that opening its port caused; no "++savecfg", which would
        // write an AR488's memory; its flags and "*idn?" answer off.
        QTest::newRow("AR488") << kAr488
                               << QStringList{"++ver", "++ver real", "++flags 0", "++idn 0"} +
                                      asked("++ver real", common) +
                                      QStringList{"++read_tmo_ms 3000"} +
                                      asked("++ver real", {"eor 7"});
    }

    void openingSetsTheAdapterUp() {
        QFETCH(int, kind);
        QFETCH(QStringList, lines);
        AdapterRig rig(static_cast<adapter::Kind>(kind), "5=PS5010");
        QCOMPARE(rig.Bus().Open(), std::nullopt);
        QStringList sent;
        for (const std::string& line : rig.TakeHostLines()) sent << QString::fromStdString(line);
        QCOMPARE(sent, lines);
    }
};

QTEST_APPLESS_MAIN(AdapterCallsTest)
#include "adapter_calls_test.moc"
