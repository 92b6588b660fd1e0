// The adapters' line protocol: data escaped on the way out (and read back whole by the emulated
// adapter, written apart from the library), and the adapters' replies read: the version line, a
// serial poll's status byte, the listener list as the AR488's firmware prints it.
#include <QtTest>
#include <string>

#include "adapter/framing.h"
#include "adapter/replies.h"
#include "bench/emulator/line_reader.h"

Q_DECLARE_METATYPE(std::string)

namespace {
std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values) bytes += static_cast<char>(value);
    return bytes;
}

// The lines the emulated adapter takes from these bytes.
std::vector<bench::HostLine> LinesOf(const std::string& bytes) {
    bench::LineReader lines;
    std::vector<bench::HostLine> taken;
    for (const char byte : bytes) {
        if (std::optional<bench::HostLine> line = lines.Push(byte)) taken.push_back(*line);
    }
    return taken;
}
}  // namespace

class AdapterProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void dataIsEscaped_data() {
        QTest::addColumn<std::string>("data");
        QTest::addColumn<std::string>("line");
        // The manual's own example.
        QTest::newRow("manual") << Bytes({0, 1, 2, 13, 3, 10, 4, 27, 5, 43, 6})
                                << Bytes({0, 1, 2, 27, 13, 3, 27, 10, 4, 27, 27, 5, 27, 43, 6});
        QTest::newRow("plain command") << std::string("VPOS 12.5") << std::string("VPOS 12.5");
        QTest::newRow("a sign") << std::string("VSET +5") << std::string("VSET \x1b+5");
        QTest::newRow("two pluses start a command otherwise")
            << std::string("++ver") << std::string("\x1b+\x1b+ver");
        QTest::newRow("line end kept as data")
            << std::string("VSET 5\r\n") << std::string("VSET 5\x1b\r\x1b\n");
        QTest::newRow("nothing") << std::string() << std::string();
    }

    void dataIsEscaped() {
        QFETCH(std::string, data);
        QFETCH(std::string, line);
        QCOMPARE(adapter::Escape(data), line);
    }

    // Whatever the bytes, the emulated adapter gets back the data the library sent.
    void escapedDataComesBackWhole_data() {
        QTest::addColumn<std::string>("data");
        QTest::newRow("every kind of byte") << Bytes({0, 13, 10, 27, 43, 255, 'A'});
        QTest::newRow("pluses first") << Bytes({43, 43, 27, 27, 13, 13});
        QTest::newRow("a command's text") << std::string("++ver");
        QTest::newRow("plain") << std::string("VPOS 1;+VNEG 2");
    }

    void escapedDataComesBackWhole() {
        QFETCH(std::string, data);
        const std::vector<bench::HostLine> lines = LinesOf(adapter::Escape(data) + "\n");
        QCOMPARE(lines.size(), std::size_t{1});
        QVERIFY(!lines[0].command);
        QCOMPARE(lines[0].text, data);
    }

    void versionLinesTellTheAdapter_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("kind");  // -1: neither
        const int prologix = static_cast<int>(adapter::Kind::Prologix);
        const int ar488 = static_cast<int>(adapter::Kind::Ar488);
        QTest::newRow("GPIB-USB") << "Prologix GPIB-USB Controller version 6.107" << prologix;
        QTest::newRow("GPIB-ETHERNET")
            << "Prologix GPIB-ETHERNET Controller version 01.06.06.00" << prologix;
        QTest::newRow("AR488") << "AR488 GPIB controller, ver. 0.53.04, 13/04/2025" << ar488;
        QTest::newRow("AR488 with blanks") << "  AR488 GPIB controller, ver. 0.51.29\r" << ar488;
        QTest::newRow("a user's Prologix-like text") << "GPIB-USB prologix compatible" << prologix;
        QTest::newRow("behind its ready flag")
            << "AR488~RDYAR488 GPIB controller, ver. 0.53.04, 13/04/2025" << ar488;
        QTest::newRow("its greeting is none") << "AR488 ready (controller)." << -1;
        QTest::newRow("something else") << "Agilent 82357B" << -1;
        QTest::newRow("nothing") << "" << -1;
    }

    void versionLinesTellTheAdapter() {
        QFETCH(QString, line);
        QFETCH(int, kind);
        const std::optional<adapter::Kind> found = adapter::KindOfVersion(line.toStdString());
        QCOMPARE(found ? static_cast<int>(*found) : -1, kind);
    }

    void serialPollReplies_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("status");  // -1: not a status byte
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("request service") << "97" << 97;
        QTest::newRow("highest") << "255" << 255;
        QTest::newRow("blanks around") << " 16 " << 16;
        QTest::newRow("too large") << "256" << -1;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("text") << "ERR" << -1;
        QTest::newRow("empty") << "" << -1;
    }

    void serialPollReplies() {
        QFETCH(QString, line);
        QFETCH(int, status);
        const std::optional<std::uint8_t> found = adapter::StatusByteOf(line.toStdString());
        QCOMPARE(found ? static_cast<int>(*found) : -1, status);
    }

    void listenerListReplies_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<int>>("listeners");  // addresses, secondary in the high byte
        QTest::addColumn<int>("odd");
        QTest::newRow("as the firmware prints secondary addresses")
            << "3,5:96,5:97,11" << QList<int>{3, 5 | 96 << 8, 5 | 97 << 8, 11} << 0;
        QTest::newRow("as the manual's example has them")
            << "3,5:1,5:2,11,22" << QList<int>{3, 5 | 97 << 8, 5 | 98 << 8, 11, 22} << 0;
        QTest::newRow("the last secondary address") << "9:126" << QList<int>{9 | 126 << 8} << 0;
        QTest::newRow("one") << "5" << QList<int>{5} << 0;
        QTest::newRow("nobody") << "" << QList<int>{} << 0;
        QTest::newRow("blanks") << " 3 , 7 " << QList<int>{3, 7} << 0;
        // One odd item costs the others nothing.
        QTest::newRow("address 31 among others") << "3,31,7" << QList<int>{3, 7} << 1;
        QTest::newRow("no secondary address") << "5:50,6" << QList<int>{6} << 1;
        QTest::newRow("trailing comma") << "3," << QList<int>{3} << 0;
        QTest::newRow("words") << "none found" << QList<int>{} << 1;
    }

    void listenerListReplies() {
        QFETCH(QString, line);
        QFETCH(QList<int>, listeners);
        QFETCH(int, odd);
        const adapter::ListenerList found = adapter::ListenersOf(line.toStdString());
        QCOMPARE(QList<int>(found.listeners.begin(), found.listeners.end()), listeners);
        QCOMPARE(static_cast<int>(found.odd.size()), odd);
    }
};

QTEST_APPLESS_MAIN(AdapterProtocolTest)
#include "adapter_protocol_test.moc"
