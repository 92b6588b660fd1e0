// Bus set-up and the search for the supply, against the bench on a virtual clock.
#include <QtTest>

#include "bench_rig.h"
#include "driver/driver_api.h"
#include "rules/supplies.h"

namespace {
bool Contains(const std::vector<std::string>& calls, const std::string& part) {
    for (const auto& call : calls)
        if (call.find(part) != std::string::npos) return true;
    return false;
}

// The addresses that calls of one function went to, since the trace was last forgotten.
std::vector<std::string> PadsOf(BenchRig& rig, const std::string& function) {
    std::vector<std::string> pads;
    for (const auto& call : rig.Calls(function)) {
        const auto at = call.find("pad=");
        pads.push_back(call.substr(at + 4, call.find(' ', at) - at - 4));
    }
    return pads;
}

// Every address that was asked something.
std::vector<std::string> AskedPads(BenchRig& rig) {
    return PadsOf(rig, "ibwrt");
}

// A driver that leaves the controller out of its search results.
void FindLstnWithoutBoard(int board, const Addr4882* pads, Addr4882* results, int limit) {
    std::array<Addr4882, 32> all{};
    driver::api::FindLstn(board, pads, all.data(), limit);
    std::copy(all.begin() + 1, all.begin() + limit, results);
}
}  // namespace

class IdentificationTest : public QObject {
    Q_OBJECT

private slots:
    void busSetUpListsListenersInSearchOrder() {
        BenchRig rig("12=DM5010; 3=SILENT; 5=PS5010");
        rig.bus.InitBus(1);
        const auto& t = rig.bus.Tables();
        QCOMPARE(t.Listeners[0], int16_t(3));
        QCOMPARE(t.Listeners[1], int16_t(3));
        QCOMPARE(t.Listeners[2], int16_t(5));
        QCOMPARE(t.Listeners[3], int16_t(12));
        QCOMPARE(t.Listeners[4], int16_t(0));
        QCOMPARE(t.Unclaimed, t.Listeners);
        const auto calls = rig.Calls();
        QCOMPARE(calls.at(0).substr(0, 28), std::string("RegisterGpibGlobalsForThread"));
        QCOMPARE(calls.at(1).substr(0, 7), std::string("SendIFC"));
        QCOMPARE(calls.at(2).substr(0, 5), std::string("ibsre"));
        QVERIFY(Contains({calls.at(3)}, "FindLstn board=0 limit=15"));
    }

    void oneSupplyIsFoundAndLaterSearchesAskNothing() {
        BenchRig rig("7=PS5004");
        rig.bus.DeviceTimeout = gpib::T3s;
        rig.bus.InitBus(1);
        const ConnectedSupply supply = IdentifySupply(rig.bus);
        QCOMPARE(supply.ModelCode, int16_t(kPs5004));
        QCOMPARE(supply.ModelName, std::string("PS5004"));
        QCOMPARE(supply.MaxVoltage, 20.0f);
        QCOMPARE(supply.MinCurrent, 0.01f);
        QCOMPARE(supply.MaxCurrent, 0.305f);
        QCOMPARE(rig.bus.Tables().Unclaimed[0], int16_t(0));
        QCOMPARE(rig.bus.Tables().DeviceOfListener[1], supply.SupplyDevice);
        QVERIFY(Contains(rig.Calls("ibtmo"),
                         "ibtmo ud=" + std::to_string(supply.SupplyDevice) + " v=12"));

        // Nothing left to claim: a silent search returns at once, asking no one.
        rig.ForgetTrace();
        std::string query = "!ID?", expected = "!HP6032A";
        QCOMPARE(rig.bus.FindDevice(query, expected), int16_t(0));
        QVERIFY(rig.Calls("ibwrt").empty());
        QVERIFY(rig.platform.Boxes().empty());
    }

    // A second search asks only the listeners not claimed yet.
    void claimedListenerIsNotAskedAgain() {
        BenchRig rig("3=PS5004;7=PS5004");
        rig.bus.InitBus(1);
        std::string query = "ID?", expected = "PS5004";
        const int16_t first = rig.bus.FindDevice(query, expected);
        rig.ForgetTrace();
        query = "ID?", expected = "PS5004";
        const int16_t second = rig.bus.FindDevice(query, expected);
        QVERIFY(first != 0 && second != 0 && second != first);
        QCOMPARE(AskedPads(rig), std::vector<std::string>{"7"});
    }

    void ps5010WinsOverPs5004InEitherOrder_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("ps5004Pad");
        QTest::newRow("PS5004 first") << "4=PS5004;9=PS5010"
                                      << "4";
        QTest::newRow("PS5010 first") << "4=PS5010;9=PS5004"
                                      << "9";
    }
    void ps5010WinsOverPs5004InEitherOrder() {
        QFETCH(QString, bus);
        QFETCH(QString, ps5004Pad);
        BenchRig rig(bus.toStdString());
        rig.bus.InitBus(1);
        const ConnectedSupply supply = IdentifySupply(rig.bus);
        QCOMPARE(supply.ModelCode, int16_t(kPs5010));
        QCOMPARE(supply.MaxCurrent, 0.0f);  // follows the voltage at each apply

        rig.ForgetTrace();
        rig.bus.SendCommand(supply.SupplyDevice, "VPOS 5");
        const auto asked = AskedPads(rig);
        QCOMPARE(asked.size(), size_t(1));
        QVERIFY(asked[0] != ps5004Pad.toStdString());
    }

    void silentListenerCostsOneSecondAndIsCleared() {
        BenchRig rig("3=SILENT;5=PS5010");
        rig.bus.InitBus(1);
        rig.ForgetTrace();
        const double start = rig.Now();
        const ConnectedSupply supply = IdentifySupply(rig.bus);
        QCOMPARE(supply.ModelCode, int16_t(kPs5010));
        QCOMPARE(rig.Now() - start, 1.0);
        QCOMPARE(AskedPads(rig), (std::vector<std::string>{"3", "5"}));
        // Each listener is cleared at its own address before it is asked, and the silent one
        // once more after its read failed.
        QCOMPARE(PadsOf(rig, "ibclr"), (std::vector<std::string>{"3", "3", "5"}));
        QVERIFY(Contains(rig.Calls("ibrd"), "sta=0xc100"));
    }

    void noSupplyOnABusWithOnlyAMultimeter() {
        BenchRig rig("2=DM5010");
        rig.bus.InitBus(1);
        const ConnectedSupply supply = IdentifySupply(rig.bus);
        QCOMPARE(supply.ModelCode, int16_t(kNoModel));
        QCOMPARE(supply.ModelName, std::string());
        QCOMPARE(supply.SupplyDevice, int16_t(0));
        QVERIFY(rig.platform.Boxes().empty());  // all three searches are silent
        // The same spare descriptor serves all three searches; the third sends no clear.
        QCOMPARE(rig.Calls("ibdev").size(), size_t(1));
        QCOMPARE(rig.Calls("ibclr").size(), size_t(2));
    }

    void answerLineEndsBeforeExactComparison_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("matches");
        QTest::newRow("CR LF") << "HP6032A\r\n" << true;
        QTest::newRow("LF") << "HP6032A\n" << true;
        QTest::newRow("LF CR keeps its LF") << "HP6032A\n\r" << false;
        QTest::newRow("blanks around") << "  HP6032A  " << true;
        QTest::newRow("other case") << "hp6032a" << false;
    }
    void answerLineEndsBeforeExactComparison() {
        QFETCH(QString, answer);
        QFETCH(bool, matches);
        BenchRig rig(";");
        rig.AttachScripted(6).AnswerAnyMessage(answer.toStdString());
        rig.bus.InitBus(1);
        std::string query = "ID?", expected = "!HP6032A!";
        QCOMPARE(rig.bus.FindDevice(query, expected) != 0, matches);
    }

    void containmentIgnoresCase() {
        BenchRig rig(";");  // nothing on the bus but the lower-case answer
        rig.AttachScripted(6).AnswerAnyMessage("id tek/ps5010,v79.1;");
        rig.bus.InitBus(1);
        QCOMPARE(rig.bus.Tables().Listeners[0], int16_t(1));
        std::string query = "ID?", expected = "!PS5010";
        const int16_t device = rig.bus.FindDevice(query, expected);
        QVERIFY(device != 0);
        QCOMPARE(rig.bus.Tables().DeviceOfListener[1], device);
    }

    void markersAreStrippedInOrder_data() {
        QTest::addColumn<QString>("expectedIn");
        QTest::addColumn<QString>("expectedOut");
        QTest::addColumn<double>("pause");
        QTest::addColumn<bool>("boxShown");
        QTest::newRow("!? silent with pause") << "!?PS5010"
                                              << "PS5010" << 0.1 << false;
        QTest::newRow("?! pause, keeps its !") << "?!PS5010"
                                               << "!PS5010" << 0.1 << true;
        QTest::newRow("! silent") << "!PS5010"
                                  << "PS5010" << 0.0 << false;
    }
    void markersAreStrippedInOrder() {
        QFETCH(QString, expectedIn);
        QFETCH(QString, expectedOut);
        QFETCH(double, pause);
        QFETCH(bool, boxShown);
        BenchRig rig("4=DM5010");
        rig.bus.InitBus(1);
        std::string query = "ID?!", expected = expectedIn.toStdString();
        const double start = rig.Now();
        QCOMPARE(rig.bus.FindDevice(query, expected), int16_t(0));
        QCOMPARE(query, std::string("ID?"));
        QCOMPARE(QString::fromStdString(expected), expectedOut);
        QVERIFY(SameSeconds(rig.Now() - start, pause));
        QCOMPARE(!rig.platform.Boxes().empty(), boxShown);
    }

    void queryMarkerSkipsTheDeviceClear() {
        BenchRig rig("4=HP6032A");
        rig.bus.InitBus(1);
        rig.ForgetTrace();
        std::string query = "!ID?", expected = "!HP6032A";
        QVERIFY(rig.bus.FindDevice(query, expected) != 0);
        QVERIFY(rig.Calls("ibclr").empty());
        QCOMPARE(query, std::string("ID?"));
    }

    void deviceNotFoundMessage_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("ends");
        QTest::newRow("fatal") << "ID?"
                               << "start. Program will end." << true;
        QTest::newRow("continue") << "ID?!"
                                  << "try. Program will continue." << false;
    }
    void deviceNotFoundMessage() {
        QFETCH(QString, query);
        QFETCH(QString, ending);
        QFETCH(bool, ends);
        BenchRig rig("3=SILENT;4=DM5010");
        rig.bus.InitBus(1);
        std::string q = query.toStdString(), expected = "Ps5010";
        bool ended = false;
        try {
            QCOMPARE(rig.bus.FindDevice(q, expected), int16_t(0));
        } catch (const ImmediateEnd&) {
            ended = true;
        }
        QCOMPARE(ended, ends);
        QCOMPARE(rig.platform.Boxes().size(), size_t(1));
        const ShownBox& box = rig.platform.Boxes().front();
        QCOMPARE(box.title, "Expected Id-response from device not found" + std::string(40, ' '));
        QCOMPARE(box.icon, BoxIcon::Critical);
        // Received answers run from the last listener asked to the first.
        QCOMPARE(QString::fromStdString(box.text),
                 "ID Query: ID?\n\nExpected Response: Ps5010\n\nReceived Response(s):\n"
                 "ID TEK/DM5010,V79.1;\n\n\nCorrect the problem and re" +
                     ending);
    }

    void noListenerLeftMessageWhenNotSilent() {
        BenchRig rig("5=PS5010");
        rig.bus.InitBus(1);
        IdentifySupply(rig.bus);
        std::string query = "ID?", expected = "PS5004";
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, rig.bus.FindDevice(query, expected));
        QCOMPARE(rig.platform.Boxes().size(), size_t(1));
        QCOMPARE(rig.platform.Boxes()[0].title, std::string("Not enough devices on the bus"));
        QCOMPARE(rig.platform.Boxes()[0].text,
                 std::string("Can't find more than 1 device(s).\n\nCorrect problem and restart."));
    }

    void listenerSearchErrorsEndTheProgram_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("no listener") << ""
                                     << "Initialization Error 14"
                                     << "No listeners found.\n\nCorrect problem and restart.";
        QString crowded;
        for (int pad = 1; pad <= 15; ++pad) crowded += QString("%1=SILENT;").arg(pad);
        QTest::newRow("too many") << crowded << "Initialization Error 20"
                                  << "Too many listeners found.\nMax 14 listeners allowed."
                                     "\n\nCorrect problem and restart.";
        QTest::newRow("other code") << "5=PS5010;findlstn=6"
                                    << "Initialization Error 6"
                                    << "\n\nCorrect problem and restart.";
    }
    void listenerSearchErrorsEndTheProgram() {
        QFETCH(QString, bus);
        QFETCH(QString, title);
        QFETCH(QString, text);
        BenchRig rig(bus.toStdString().empty() ? "register=0" : bus.toStdString());
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, rig.bus.InitBus(1));
        QCOMPARE(rig.platform.Boxes().size(), size_t(1));
        const ShownBox& box = rig.platform.Boxes()[0];
        QCOMPARE(QString::fromStdString(box.title), title);
        QCOMPARE(QString::fromStdString(box.text), text);
        QCOMPARE(box.icon, BoxIcon::Critical);
        QCOMPARE(box.buttons, BoxButtons::Ok);
    }

    void otherModesAreNotFatal() {
        // Mode -1 passes over an empty bus silently; any other mode shows the bare text.
        BenchRig quiet("register=0");
        quiet.bus.InitBus(-1);
        QVERIFY(quiet.platform.Boxes().empty());

        BenchRig shown("register=0");
        shown.bus.InitBus(0);
        QCOMPARE(shown.platform.Boxes().size(), size_t(1));
        QCOMPARE(shown.platform.Boxes()[0].text, std::string("No listeners found."));
    }

    void libraryLeavingOutTheControllerKeepsTheFirstInstrument() {
        GpibEntryPoints driver = BenchEntryPoints();
        driver.FindLstn = FindLstnWithoutBoard;
        BenchRig rig("4=DM5010;5=PS5010", driver);
        rig.bus.InitBus(1);
        QCOMPARE(rig.bus.Tables().Listeners[0], int16_t(2));
        QCOMPARE(rig.bus.Tables().Listeners[1], int16_t(4));
        QCOMPARE(rig.bus.Tables().Listeners[2], int16_t(5));
    }

    void pauseWaitsWithoutSpinning() {
        BenchRig rig("");
        int passes = 0;
        rig.platform.onEvents = [&] { ++passes; };
        rig.bus.Pause(1.0f);
        QCOMPARE(rig.Now(), 1.0);
        QCOMPARE(passes, 1);  // one timed wait, not a loop of event passes
    }
};

QTEST_APPLESS_MAIN(IdentificationTest)
#include "identification_test.moc"
