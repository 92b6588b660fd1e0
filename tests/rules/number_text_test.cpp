// Number texts of the panel: seven-digit plain form, reading numbers, and the column layouts.
#include "rules/number_text.h"

#include <QLocale>
#include <QtTest>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// Puts the Qt default locale and the C library's locale back however the test ends.
class LocaleRestorer {
public:
    LocaleRestorer() : qtLocale_(QLocale()), cLocale_(std::setlocale(LC_ALL, nullptr)) {}
    ~LocaleRestorer() {
        QLocale::setDefault(qtLocale_);
        std::setlocale(LC_ALL, cLocale_.c_str());
    }

private:
    QLocale qtLocale_;
    std::string cLocale_;
};

}  // namespace

class NumberTexts : public QObject {
    Q_OBJECT

private slots:
    void plainTextHasSevenDigitsAndSignColumn_data();
    void plainTextHasSevenDigitsAndSignColumn();
    void textReadsItsLeadingNumber_data();
    void textReadsItsLeadingNumber();
    void layoutCodesGiveColumns_data();
    void layoutCodesGiveColumns();
    void pointStaysUnderGermanLocale();
};

void NumberTexts::plainTextHasSevenDigitsAndSignColumn_data() {
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole number") << 32.0f << " 32";
    QTest::newRow("fraction") << 12.345f << " 12.345";
    QTest::newRow("no zero before point") << 0.05f << " .05";
    QTest::newRow("negative below one") << -0.5f << "-.5";
    QTest::newRow("zero") << 0.0f << " 0";
    QTest::newRow("one third") << 1.0f / 3 << " .3333333";
    QTest::newRow("two thirds rounds up") << 2.0f / 3 << " .6666667";
    QTest::newRow("negative one third") << -1.0f / 3 << "-.3333333";
    QTest::newRow("negative zero has no sign") << -0.0f << " 0";
    QTest::newRow("exact tie goes up") << 1048.5625f << " 1048.563";
    QTest::newRow("carry through nines") << 1.9999999f << " 2";
    QTest::newRow("largest float below one") << 0.99999994f << " .9999999";
    QTest::newRow("small fraction") << 0.000123456789f << " .0001234568";
    QTest::newRow("eight integer digits") << 12345678.0f << " 12345680";
    QTest::newRow("infinity") << kInfinity << " inf";
    QTest::newRow("negative infinity") << -kInfinity << "-inf";
    QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << " nan";
}

void NumberTexts::plainTextHasSevenDigitsAndSignColumn() {
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(PlainNumberText(value), text);
}

void NumberTexts::textReadsItsLeadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");

    const QString digits400 = QStringLiteral("1") + QString(400, u'0');
    QTest::newRow("decimal") << "12.5" << 12.5;
    QTest::newRow("leading blank") << " 32.0" << 32.0;
    QTest::newRow("comma ends the number") << "12,5" << 12.0;
    QTest::newRow("trailing point") << "0." << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blanks inside") << "1 2\t.\n5" << 12.5;
    QTest::newRow("carriage return ends it") << "12\r\n" << 12.0;
    QTest::newRow("plus sign") << "+4.5" << 4.5;
    QTest::newRow("minus before point") << "-.5" << -0.5;
    QTest::newRow("second point ends it") << "1.5.3" << 1.5;
    QTest::newRow("exponent") << "2.5E2" << 250.0;
    QTest::newRow("negative exponent") << "1e-2" << 0.01;
    QTest::newRow("exponent without digits") << "7e+" << 7.0;
    QTest::newRow("trailing letters") << "5V" << 5.0;
    QTest::newRow("no leading number") << "VSET 5" << 0.0;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("two signs") << "--1" << 0.0;
    QTest::newRow("exponent too large") << "1e400" << std::numeric_limits<double>::infinity();
    QTest::newRow("negative too large") << "-1e400" << -std::numeric_limits<double>::infinity();
    QTest::newRow("too many digits") << digits400 << std::numeric_limits<double>::infinity();
    QTest::newRow("shifted by exponent") << "0.001e400" << std::numeric_limits<double>::infinity();
    QTest::newRow("too small") << "1e-400" << 0.0;
    QTest::newRow("many digits, small exponent") << digits400 + "e-800" << 0.0;
    QTest::newRow("huge exponent")
        << "1e99999999999999999999" << std::numeric_limits<double>::infinity();
    QTest::newRow("non-Latin digit") << QStringLiteral("\u0661") << 0.0;
}

void NumberTexts::textReadsItsLeadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(TextToNumber(text), number);
}

void NumberTexts::layoutCodesGiveColumns_data() {
    QTest::addColumn<float>("X");
    QTest::addColumn<float>("IntFrac");
    QTest::addColumn<QString>("text");

    // The worked results.
    QTest::newRow("12.345 2.2") << 12.345f << 2.2f << " 12.35";
    QTest::newRow("5 2.2") << 5.0f << 2.2f << " 5.00";
    QTest::newRow("5 3.2") << 5.0f << 3.2f << "  5.00";
    QTest::newRow("-5 3.2") << -5.0f << 3.2f << " -5.00";
    QTest::newRow("12 2.1") << 12.0f << 2.1f << " 12.0";
    QTest::newRow("0 2.2") << 0.0f << 2.2f << " 0.00";
    QTest::newRow("-0.25 2.2") << -0.25f << 2.2f << "-0.25";
    QTest::newRow("19.995 2.2") << 19.995f << 2.2f << " 20.00";
    QTest::newRow("2.675 2.2") << 2.675f << 2.2f << " 2.68";
    QTest::newRow("1.239 1.2") << 1.239f << 1.2f << " 1.24";
    QTest::newRow("1.239 -1.2") << 1.239f << -1.2f << " 1.23";
    QTest::newRow("0.305 1.4") << 0.305f << 1.4f << " 0.3050";
    QTest::newRow("5.5 1.0") << 5.5f << 1.0f << " 6";
    QTest::newRow("32 103") << 32.0f << 103.0f << " 32.0";
    QTest::newRow("60 103") << 60.0f << 103.0f << " 60.0";
    QTest::newRow("0.05 103") << 0.05f << 103.0f << " 0.05";
    QTest::newRow("0 103") << 0.0f << 103.0f << " 0.00";
    QTest::newRow("12.5 103") << 12.5f << 103.0f << " 12.5";
    QTest::newRow("123.456 103") << 123.456f << 103.0f << "  123";
    QTest::newRow("1.6 104") << 1.6f << 104.0f << " 1.600";
    QTest::newRow("0.75 104") << 0.75f << 104.0f << " 0.750";
    QTest::newRow("50 104") << 50.0f << 104.0f << " 50.00";
    QTest::newRow("9.9996 104") << 9.9996f << 104.0f << " 10.00";
    QTest::newRow("99.996 104") << 99.996f << 104.0f << " 100.0";
    QTest::newRow("3 151") << 3.0f << 151.0f << "Error: IntFrac= 151 ";
    QTest::newRow("0.5 0") << 0.5f << 0.0f << " 0.5";
    QTest::newRow("-0.5 0") << -0.5f << 0.0f << "-0.5";
    QTest::newRow("12.5 0") << 12.5f << 0.0f << " 12.5";

    // Plain form: the "0" goes in only below one.
    QTest::newRow("plain zero") << 0.0f << 0.0f << " 0";
    QTest::newRow("plain third") << 1.0f / 3 << 0.0f << " 0.3333333";
    QTest::newRow("plain negative") << -12.5f << 0.0f << "-12.5";
    QTest::newRow("plain one") << 1.0f << 0.0f << " 1";

    // More digits than the seven-digit form holds: integer part and fraction agree.
    QTest::newRow("-196970.98 3.9") << -196970.984375f << 3.9f << "-196971.000000000";
    // The float nearest 0.000994006 has a seventh digit past the ninth decimal.
    QTest::newRow("0.000994005 1.9") << 0.000994005473330617f << 1.9f << " 0.000994006";

    // A negative value that rounds to zero keeps its sign; negative zero has none.
    QTest::newRow("-0.004 2.2") << -0.004f << 2.2f << "-0.00";
    QTest::newRow("-0.004 103") << -0.004f << 103.0f << "-0.00";
    QTest::newRow("-0 2.2") << -0.0f << 2.2f << " 0.00";

    // Ties go up on the decimal form, also where the float, even scaled, lies below the tie.
    QTest::newRow("1.005 2.2") << 1.005f << 2.2f << " 1.01";
    QTest::newRow("0.265 2.2") << 0.265f << 2.2f << " 0.27";
    QTest::newRow("0.525 1.2") << 0.525f << 1.2f << " 0.53";
    QTest::newRow("0.1255 1.3") << 0.1255f << 1.3f << " 0.126";
    QTest::newRow("0.265 103") << 0.265f << 103.0f << " 0.27";
    QTest::newRow("0.285 2.2") << 0.285f << 2.2f << " 0.29";
    QTest::newRow("1.015 2.2") << 1.015f << 2.2f << " 1.02";
    QTest::newRow("4.35 2.1") << 4.35f << 2.1f << " 4.4";
    QTest::newRow("1.005 103") << 1.005f << 103.0f << " 1.01";
    QTest::newRow("0.125 1.2") << 0.125f << 1.2f << " 0.13";
    QTest::newRow("0.375 1.2") << 0.375f << 1.2f << " 0.38";
    QTest::newRow("2.5 1.0") << 2.5f << 1.0f << " 3";
    QTest::newRow("-2.5 1.0") << -2.5f << 1.0f << "-3";

    // Cutting works on the decimal form too: 0.53 is a float below 0.53, and 0.29 x 100 is
    // 28.999... as a double.
    QTest::newRow("0.29 -1.2") << 0.29f << -1.2f << " 0.29";
    QTest::newRow("0.53 -1.2") << 0.53f << -1.2f << " 0.53";
    QTest::newRow("1.05 -1.2") << 1.05f << -1.2f << " 1.05";
    QTest::newRow("0.251 -1.3") << 0.251f << -1.3f << " 0.251";
    QTest::newRow("0.57 -1.2") << 0.57f << -1.2f << " 0.57";
    QTest::newRow("4.35 -1.2") << 4.35f << -1.2f << " 4.35";
    QTest::newRow("19.999 -2.2") << 19.999f << -2.2f << " 19.99";
    QTest::newRow("-1.239 -1.2") << -1.239f << -1.2f << "-1.23";

    // Carries widen the integer column; in significant digits they take a fraction digit.
    QTest::newRow("9.999 1.2") << 9.999f << 1.2f << " 10.00";
    QTest::newRow("999.96 1.1") << 999.96f << 1.1f << " 1000.0";
    QTest::newRow("0.9996 103") << 0.9996f << 103.0f << " 1.00";
    QTest::newRow("99.96 103") << 99.96f << 103.0f << "  100";
    QTest::newRow("9.995 103") << 9.995f << 103.0f << " 10.0";
    QTest::newRow("99.95 103") << 99.95f << 103.0f << "  100";

    // Digits are counted through the logarithm in single precision, which just below a power
    // of ten counts one more and so widens the column by a blank.
    QTest::newRow("999.9999 1.4") << 999.9999f << 1.4f << "  999.9999";

    // Negative significant-digit codes cut, so nothing carries.
    QTest::newRow("9.9996 -104") << 9.9996f << -104.0f << " 9.999";
    QTest::newRow("99.996 -104") << 99.996f << -104.0f << " 99.99";
    QTest::newRow("123.456 -103") << 123.456f << -103.0f << "  123";
    QTest::newRow("0.0599 -103") << 0.0599f << -103.0f << " 0.05";

    // Hundreds widen the column; a units digit of 1 is an invalid code.
    QTest::newRow("12.5 303") << 12.5f << 303.0f << "  12.5";
    QTest::newRow("-12.5 303") << -12.5f << 303.0f << " -12.5";
    QTest::newRow("1234.5 102") << 1234.5f << 102.0f << "  1235";
    QTest::newRow("3 101") << 3.0f << 101.0f << "Error: IntFrac= 101 ";
    QTest::newRow("3 111") << 3.0f << 111.0f << "Error: IntFrac= 111 ";
    QTest::newRow("3 201") << 3.0f << 201.0f << "Error: IntFrac= 201 ";
    QTest::newRow("3 -151") << 3.0f << -151.0f << "Error: IntFrac= 151 ";
    QTest::newRow("100 is a column code") << 5.0f << 100.0f << QString(99, u' ') + "5";

    // Values no supply gives still yield a text.
    QTest::newRow("1e-30 2.2") << 1e-30f << 2.2f << " 0.00";
    QTest::newRow("-1e-30 104") << -1e-30f << 104.0f << "-0.000";
    QTest::newRow("1e7 2.2") << 1e7f << 2.2f << " 10000000";
    QTest::newRow("infinity 103") << kInfinity << 103.0f << " inf";
    QTest::newRow("nan 2.2") << std::numeric_limits<float>::quiet_NaN() << 2.2f << " nan";
    QTest::newRow("huge code") << 3.0f << 1e6f << "Error: IntFrac= 1000000 ";
}

void NumberTexts::layoutCodesGiveColumns() {
    QFETCH(float, X);
    QFETCH(float, IntFrac);
    QFETCH(QString, text);
    QCOMPARE(NrToStr(X, IntFrac), text);
}

// The texts go on the bus and on screen with "." whatever locale the process runs under.
void NumberTexts::pointStaysUnderGermanLocale() {
    const LocaleRestorer restorer;
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(PlainNumberText(12.345f), QStringLiteral(" 12.345"));
    QCOMPARE(NrToStr(2.675f, 2.2f), QStringLiteral(" 2.68"));
    QCOMPARE(TextToNumber(QStringLiteral("12,5")), 12.0);

    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        QSKIP("de_DE.UTF-8 is not installed; the C library part was not checked");
    }
    QCOMPARE(QString::fromLatin1(std::localeconv()->decimal_point), QStringLiteral(","));
    QCOMPARE(PlainNumberText(-0.5f), QStringLiteral("-.5"));
    QCOMPARE(NrToStr(0.305f, 1.4f), QStringLiteral(" 0.3050"));
    QCOMPARE(NrToStr(9.9996f, 104.0f), QStringLiteral(" 10.00"));
    QCOMPARE(TextToNumber(QStringLiteral("12.5")), 12.5);
    QCOMPARE(TextToNumber(QStringLiteral("12,5")), 12.0);
}

QTEST_GUILESS_MAIN(NumberTexts)
#include "number_text_test.moc"
