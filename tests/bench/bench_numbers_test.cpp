// Numbers as the instruments read them: the forms taken, and only the text given is read.
#include <QtTest>
#include <cmath>
#include <limits>
#include <string_view>

#include "bench/numbers.h"

class BenchNumbersTest : public QObject {
    Q_OBJECT

private slots:
    // `length` bytes of `text` are the number's own; what follows them in memory is another
    // part of the same message and must not count.
    void numberIsReadFromItsOwnTextOnly_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("length");
        QTest::addColumn<double>("value");  // NaN: refused
        const double refused = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("whole") << QByteArray("12") << 2 << 12.0;
        QTest::newRow("signed point") << QByteArray("-.5") << 3 << -0.5;
        QTest::newRow("plus sign") << QByteArray("+7.25") << 5 << 7.25;
        QTest::newRow("exponent") << QByteArray("1.25E1") << 6 << 12.5;
        QTest::newRow("digits follow the integer") << QByteArray("1234") << 2 << 12.0;
        QTest::newRow("digits follow the fraction") << QByteArray("1.259") << 3 << 1.2;
        QTest::newRow("digits follow the exponent") << QByteArray("1.25E13") << 6 << 12.5;
        QTest::newRow("nothing but a sign") << QByteArray("-5") << 1 << refused;
        QTest::newRow("exponent without digits") << QByteArray("1E5") << 2 << refused;
        QTest::newRow("infinity") << QByteArray("inf") << 3 << refused;
        QTest::newRow("not a number") << QByteArray("nan") << 3 << refused;
    }
    void numberIsReadFromItsOwnTextOnly() {
        QFETCH(QByteArray, text);
        QFETCH(int, length);
        QFETCH(double, value);
        const std::optional<double> read =
            bench::ParseNumber(std::string_view(text.constData(), std::size_t(length)));
        QCOMPARE(read.has_value(), !std::isnan(value));
        if (read) QCOMPARE(*read, value);
    }
};

QTEST_APPLESS_MAIN(BenchNumbersTest)
#include "bench_numbers_test.moc"
