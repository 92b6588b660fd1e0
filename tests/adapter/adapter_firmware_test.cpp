// The adapter library on the adapters as their firmware behaves, through the emulated adapter:
// an AR488's listener search with secondary listeners in its list, the message after it, one
// whose firmware has no search, a bus that takes no addressing; a Prologix's polls behind a USB
// serial chip's latency; what an AR488 prints of its own accord (handshake flags and "*idn?" kept
// in its memory, its greeting); and a read that ends at a character on an AR488.
#include <QtTest>

#include "adapter_rig.h"

namespace {
using bench::AdapterModel;

// FindLstn over the addresses 0 to 30 and any more given, as Pulvar asks: the listeners found.
std::vector<int> Listeners(AdapterRig& rig, std::vector<std::uint16_t> more = {}) {
    std::vector<std::uint16_t> asked;
    for (std::uint16_t pad = 0; pad <= 30; ++pad) asked.push_back(pad);
    asked.insert(asked.end(), more.begin(), more.end());
    asked.push_back(driver::NOADDR);
    std::uint16_t found[40] = {};
    rig.Driver().FindLstn(0, asked.data(), found, 40);
    if (rig.Driver().LastStatus().ibsta & driver::ERR) return {};
    return std::vector<int>(found, found + rig.Driver().LastStatus().ibcntl);
}

bench::AdapterTraits NoReset() {
    bench::AdapterTraits traits;
    traits.resetSeconds = 0;
    return traits;
}

// The supply's answer to its identification query.
std::string Identity(AdapterRig& rig, int pad) {
    const int ud = rig.Open(pad);
    rig.Write(ud, "ID?");
    int sta = 0;
    const std::string answer = rig.Read(ud, sta);
    return (sta & driver::END) ? answer : "(failed)";
}
}  // namespace

class AdapterFirmwareTest : public QObject {
    Q_OBJECT

private slots:
    // A multimeter listening at secondary addresses of 9 is listed as "9:96,9:97": the rest of
    // the list stands, and those listeners are found where asked for.
    void anAr488ListsSecondaryListeners() {
        AdapterRig rig(AdapterModel::Ar488, "3=SILENT;5=PS5010");
        rig.Adapter().ListenAtSecondary(9, 96);
        rig.Adapter().ListenAtSecondary(9, 97);
        QCOMPARE(rig.Open(), std::nullopt);
        QCOMPARE(Listeners(rig), (std::vector<int>{0, 3, 5}));
        QCOMPARE(Listeners(rig, {9 | 97 << 8}), (std::vector<int>{0, 3, 5, 9 | 97 << 8}));
    }

    // Its search leaves the last address it tried taken for addressed to listen: the first
    // message after it still reaches the instrument it is meant for.
    void theFirstMessageAfterAnAr488sSearchReachesItsInstrument() {
        AdapterRig rig(AdapterModel::Ar488, "3=SILENT;5=PS5010");
        QCOMPARE(rig.Open(), std::nullopt);
        QCOMPARE(Listeners(rig), (std::vector<int>{0, 3, 5}));
        QCOMPARE(Identity(rig, 5), std::string("ID TEK/PS5010,V79.1;"));
    }

    // Firmware without "++fndl" answers "Unrecognized command": each address is polled instead.
    void anAr488WithoutItsSearchPollsEachAddress() {
        bench::AdapterTraits traits;
        traits.findsListeners = false;
        AdapterRig rig(AdapterModel::Ar488, "3=SILENT;5=PS5010", traits);
        QCOMPARE(rig.Open(), std::nullopt);
        QCOMPARE(Listeners(rig), (std::vector<int>{0, 3, 5}));
        const std::vector<std::string> lines = rig.TakeHostLines();
        QCOMPARE(lines.front(), std::string("++fndl all"));
        QVERIFY(std::count(lines.begin(), lines.end(), "++spoll 30") == 1);
        // And again without asking for the search it has not got.
        QCOMPARE(Listeners(rig), (std::vector<int>{0, 3, 5}));
        QCOMPARE(rig.TakeHostLines().front(), std::string("++spoll 1"));
    }

    // With nobody on the bus the AR488's search fails to transmit: no listener, as on a board.
    void nobodyTakesTheAr488sAddressing() {
        AdapterRig rig(AdapterModel::Ar488, ";");
        QCOMPARE(rig.Open(), std::nullopt);
        QCOMPARE(Listeners(rig), std::vector<int>{});
        QCOMPARE(rig.Driver().LastStatus().iberr, driver::EBUS);
    }

    // Behind a USB serial chip's 16 ms latency timer the polls of the 29 empty addresses go out
    // at once, each closed by the marker: the adapter's 50 ms each, the latency once.
    void aPrologixBehindAUsbSerialChipSearchesQuickly() {
        bench::AdapterTraits traits;
        traits.latency = 0.016;
        AdapterRig rig(AdapterModel::PrologixUsb, "5=PS5010", traits);
        QCOMPARE(rig.Open(), std::nullopt);
        const double before = rig.Now();
        QCOMPARE(Listeners(rig), (std::vector<int>{0, 5}));
        const double took = rig.Now() - before;
        QVERIFY2(took < 29 * 0.05 + 0.1, qPrintable(QString::number(took)));
        QCOMPARE(Identity(rig, 5), std::string("ID TEK/PS5010,V79.1;"));
    }

    // What an AR488 kept in its memory or prints as it starts, seen through a USB serial
    // chip's latency, never reaches an answer.
    void whatAnAr488PrintsOfItsOwnIsNoAnswer_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("greets");
        QTest::newRow("Send^OK and Read^OK") << "flags=6" << false;
        QTest::newRow("its greeting and ready flag") << "flags=1" << true;
        QTest::newRow("answering *idn? itself") << "idn=1" << false;
    }

    void whatAnAr488PrintsOfItsOwnIsNoAnswer() {
        QFETCH(QString, saved);
        QFETCH(bool, greets);
        bench::AdapterTraits traits;
        traits.latency = 0.016;
        traits.greets = greets;
        const QStringList setting = saved.split('=');
        traits.saved[setting[0].toStdString()] = setting[1].toStdString();
        AdapterRig rig(AdapterModel::Ar488, "5=PS5010", traits);
        rig.AttachScripted(7).AnswerTo("*IDN?", "SCRIPTED,0,1");
        QCOMPARE(rig.Open(), std::nullopt);
        QCOMPARE(Identity(rig, 5), std::string("ID TEK/PS5010,V79.1;"));
        const int ud = rig.Open(7);
        rig.Write(ud, "*IDN?");
        int sta = 0;
        QCOMPARE(rig.Read(ud, sta), std::string("SCRIPTED,0,1"));
    }

    // A read to an end-of-string character ends at it or at EOI, as on a board: never by a number
    // after an AR488's "++read" (an address there), nor by its "++eor" (which leaves it blind to
    // EOI). What came beyond the character is the next read's; a new message drops it.
    void aReadEndsAtItsEndOfStringCharacter_data() {
        QTest::addColumn<AdapterModel>("model");
        QTest::newRow("AR488") << AdapterModel::Ar488;
        QTest::newRow("Prologix") << AdapterModel::PrologixUsb;
    }

    void aReadEndsAtItsEndOfStringCharacter() {
        QFETCH(AdapterModel, model);
        AdapterRig rig(model, "5=PS5010", NoReset());
        bench::ScriptedInstrument& instrument = rig.AttachScripted(7);
        instrument.AnswerTo("Q?", "A\nB\n");
        QCOMPARE(rig.Open(), std::nullopt);
        const int ud = rig.Open(7);
        rig.Driver().ibeos(ud, driver::REOS | '\n');
        int sta = 0;
        rig.Write(ud, "Q?");
        QCOMPARE(rig.Read(ud, sta), std::string("A\n"));
        QCOMPARE(sta, driver::CMPL | driver::END);
        QCOMPARE(rig.Read(ud, sta), std::string("B\n"));
        QCOMPARE(sta, driver::CMPL | driver::END);
        rig.Write(ud, "Q?");
        QCOMPARE(rig.Read(ud, sta), std::string("A\n"));
        rig.Write(ud, "Q?");
        QCOMPARE(rig.Read(ud, sta), std::string("A\n"));
        QCOMPARE(instrument.Received(), (std::vector<std::string>{"Q?", "Q?", "Q?"}));
        // The supply ends its answer with EOI and no line feed: at once, as on a board.
        const int supply = rig.Open(5);
        rig.Driver().ibeos(supply, driver::REOS | '\n');
        rig.Write(supply, "ID?");
        const double before = rig.Now();
        QCOMPARE(rig.Read(supply, sta), std::string("ID TEK/PS5010,V79.1;"));
        QCOMPARE(sta, driver::CMPL | driver::END);
        QVERIFY(rig.Now() - before < 0.1);
    }
};

QTEST_APPLESS_MAIN(AdapterFirmwareTest)
#include "adapter_firmware_test.moc"
