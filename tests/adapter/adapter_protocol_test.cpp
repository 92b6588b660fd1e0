// The adapters' line protocol: data escaped on the way out and taken apart on the way in, and
// the adapters' replies read: the version line, a serial poll's status byte, the listener list.
#include <QtTest>
#include <string>

#include "adapter/framing.h"
#include "adapter/replies.h"

Q_DECLARE_METATYPE(std::string)

namespace {
std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values) bytes += static_cast<char>(value);
    return bytes;
}

// The lines an adapter takes from these bytes, fed in pieces of `piece` bytes.
std::vector<adapter::HostLine> LinesOf(const std::string& bytes, std::size_t piece = 1) {
    adapter::HostLines lines;
    std::vector<adapter::HostLine> taken;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        for (const char byte : bytes.substr(at, piece)) {
            if (std::optional<adapter::HostLine> line = lines.Push(byte)) taken.push_back(*line);
        }
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

    // Whatever the bytes and however they are cut, the adapter gets back the data sent.
    void escapedDataComesBackWhole_data() {
        QTest::addColumn<std::string>("data");
        QTest::addColumn<int>("piece");
        QTest::newRow("every byte, one at a time") << Bytes({0, 13, 10, 27, 43, 255, 'A'}) << 1;
        QTest::newRow("three at a time") << Bytes({43, 43, 27, 27, 13, 13}) << 3;
        QTest::newRow("all at once") << std::string("VPOS 1;+VNEG 2") << 100;
    }

    void escapedDataComesBackWhole() {
        QFETCH(std::string, data);
        QFETCH(int, piece);
        const std::vector<adapter::HostLine> lines =
            LinesOf(adapter::Escape(data) + "\n", static_cast<std::size_t>(piece));
        QCOMPARE(lines.size(), std::size_t{1});
        QVERIFY(!lines[0].command);
        QCOMPARE(lines[0].text, data);
    }

    void linesAreCommandsOrData_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<QStringList>("lines");  // "++name" for commands, "data:" for data
        QTest::newRow("command, LF") << std::string("++addr 5\n") << QStringList{"++addr 5"};
        QTest::newRow("CR LF is one end")
            << std::string("++ver\r\nID?\r\n") << QStringList{"++ver", "data:ID?"};
        QTest::newRow("CR alone ends a line")
            << std::string("VPOS?\r++read eoi\r") << QStringList{"data:VPOS?", "++read eoi"};
        QTest::newRow("escaped plus is data")
            << std::string("\x1b++ver\n") << QStringList{"data:++ver"};
        QTest::newRow("empty lines are none") << std::string("\n\r\n\n") << QStringList{};
        QTest::newRow("unfinished line waits") << std::string("++clr") << QStringList{};
    }

    void linesAreCommandsOrData() {
        QFETCH(std::string, bytes);
        QFETCH(QStringList, lines);
        QStringList taken;
        for (const adapter::HostLine& line : LinesOf(bytes)) {
            taken << QString::fromStdString(line.command ? "++" + line.text : "data:" + line.text);
        }
        QCOMPARE(taken, lines);
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
        QTest::addColumn<bool>("understood");
        QTest::newRow("manual") << "3,5:1,5:2,11,22"
                                << QList<int>{3, 5 | 97 << 8, 5 | 98 << 8, 11, 22} << true;
        QTest::newRow("one") << "5" << QList<int>{5} << true;
        QTest::newRow("nobody") << "" << QList<int>{} << true;
        QTest::newRow("blanks") << " 3 , 7 " << QList<int>{3, 7} << true;
        QTest::newRow("address 31") << "31" << QList<int>{} << false;
        QTest::newRow("trailing comma") << "3," << QList<int>{} << false;
        QTest::newRow("words") << "none found" << QList<int>{} << false;
    }

    void listenerListReplies() {
        QFETCH(QString, line);
        QFETCH(QList<int>, listeners);
        QFETCH(bool, understood);
        const std::optional<std::vector<driver::Address>> found =
            adapter::ListenersOf(line.toStdString());
        QCOMPARE(found.has_value(), understood);
        if (!found) return;
        QCOMPARE(QList<int>(found->begin(), found->end()), listeners);
    }
};

QTEST_APPLESS_MAIN(AdapterProtocolTest)
#include "adapter_protocol_test.moc"
