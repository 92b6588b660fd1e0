// The program's number texts: NrToStr, PlainNumberText and TextToNumber, always with "." as point.
#include "rules/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace {

// From here on the seven-digit form runs out of digits for columns; no supply value gets there.
constexpr float kLargestLaidOut = 1e7f;
// Layout codes are the program's own constants; a wild one must not build a giant text.
constexpr double kWidestCode = 10000;
// Any float's exact decimal expansion fits in this many digits after the first.
constexpr int kExactFloatDigits = 120;

// A magnitude as significant digits (no trailing zeros, "0" for zero) and the number of
// digits that stand before the point (0 or less for magnitudes below 0.1).
struct DecimalDigits {
    std::string digits;
    int integerDigits;
};

// Drops the last of the digits, rounding half up; true when a carry added a leading digit.
bool DropLastDigitRoundingUp(std::string& digits) {
    const bool roundUp = digits.back() >= '5';
    digits.pop_back();
    if (!roundUp) return false;
    auto digit = digits.rbegin();
    for (; digit != digits.rend() && *digit == '9'; ++digit) *digit = '0';
    if (digit != digits.rend()) {
        ++*digit;
        return false;
    }
    digits.insert(0, 1, '1');
    return true;
}

// Rounds half up to `count` (1 to 7) significant digits, on the exact value, so that 1048.5625
// gives 1048.563 and never 1048.562.
DecimalDigits SignificantDigits(double magnitude, int count) {
    if (magnitude == 0) return {"0", 1};
    char buffer[kExactFloatDigits + 16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                   std::chars_format::scientific, kExactFloatDigits)
                         .ptr;
    // buffer holds "d.ddd...de+xx": the first digit, then the point; keep one digit more.
    std::string digits(1, buffer[0]);
    digits.append(buffer + 2, count);
    const char* exponentText = std::find(buffer, end, 'e') + 1;
    if (*exponentText == '+') ++exponentText;
    int exponent = 0;
    std::from_chars(exponentText, end, exponent);

    if (DropLastDigitRoundingUp(digits)) ++exponent;
    digits.erase(digits.find_last_not_of('0') + 1);
    return {digits, exponent + 1};
}

DecimalDigits SevenSignificantDigits(double magnitude) {
    return SignificantDigits(magnitude, 7);
}

// Plain decimal, no exponent, no "0" before the point: ".05", "12.345", "32", "0".
std::string DecimalText(const DecimalDigits& number) {
    const int count = static_cast<int>(number.digits.size());
    if (number.integerDigits <= 0) {
        return "." + std::string(-number.integerDigits, '0') + number.digits;
    }
    if (number.integerDigits >= count) {
        return number.digits + std::string(number.integerDigits - count, '0');
    }
    return number.digits.substr(0, number.integerDigits) + "." +
           number.digits.substr(number.integerDigits);
}

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Blanks go wherever they are; other characters outside Latin-1 become NUL, which ends a number.
std::string WithoutBlanks(const QString& text) {
    std::string compact;
    for (const QChar c : text) {
        if (!IsBlank(c)) compact += c.toLatin1();
    }
    return compact;
}

std::size_t DigitRun(std::string_view text, std::size_t from) {
    std::size_t end = from;
    while (end < text.size() && IsDigit(text[end])) ++end;
    return end - from;
}

// The parts of the longest leading number of a text; empty mantissa when there is none.
struct LeadingNumber {
    bool negative = false;
    std::string_view integerDigits;
    std::string_view fractionDigits;
    std::string_view exponent;  // optional sign and digits, empty when absent
    std::string_view whole;     // from the first digit or point to the end of the number
};

LeadingNumber ScanLeadingNumber(std::string_view text) {
    LeadingNumber number;
    std::size_t pos = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        number.negative = text[0] == '-';
        pos = 1;
    }
    const std::size_t start = pos;
    number.integerDigits = text.substr(pos, DigitRun(text, pos));
    pos += number.integerDigits.size();
    if (pos < text.size() && text[pos] == '.') {
        number.fractionDigits = text.substr(pos + 1, DigitRun(text, pos + 1));
        pos += 1 + number.fractionDigits.size();
    }
    if (number.integerDigits.empty() && number.fractionDigits.empty()) return {};
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t digitsFrom = pos + 1;
        if (digitsFrom < text.size() && (text[digitsFrom] == '+' || text[digitsFrom] == '-')) {
            ++digitsFrom;
        }
        const std::size_t exponentDigits = DigitRun(text, digitsFrom);
        if (exponentDigits > 0) {
            number.exponent = text.substr(pos + 1, digitsFrom + exponentDigits - pos - 1);
            pos = digitsFrom + exponentDigits;
        }
    }
    number.whole = text.substr(start, pos - start);
    return number;
}

// Decides between overflow and underflow of a number that a double cannot hold: the decimal
// position of its first non-zero digit, the exponent saturated so that it cannot overflow.
bool IsAboveOne(const LeadingNumber& number) {
    const std::string mantissa =
        std::string(number.integerDigits) + std::string(number.fractionDigits);
    const std::size_t firstNonZero = mantissa.find_first_not_of('0');
    if (firstNonZero == std::string::npos) return false;
    long long exponent = 0;
    const bool exponentNegative = !number.exponent.empty() && number.exponent[0] == '-';
    for (const char c : number.exponent) {
        if (IsDigit(c)) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000'000LL);
    }
    if (exponentNegative) exponent = -exponent;
    const long long order = static_cast<long long>(number.integerDigits.size()) - 1 -
                            static_cast<long long>(firstNonZero) + exponent;
    return order >= 0;
}

double ValueOf(const LeadingNumber& number) {
    double value = 0;
    const auto result =
        std::from_chars(number.whole.data(), number.whole.data() + number.whole.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large reads as infinity, so that a limit check refuses it instead of passing 0.
        value = IsAboveOne(number) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number.negative ? -value : value;
}

// Digits before the point as the layout has always counted them: through the logarithm,
// rounded to single precision, and at least one (a lone "0").
int IntegerDigitCount(float magnitude) {
    if (magnitude <= 0) return 1;
    const float count =
        std::floor(static_cast<float>(std::log10(static_cast<double>(magnitude)) + 1));
    return std::max(static_cast<int>(count), 1);
}

// Rounds, or cuts with half = 0, on the seven-digit decimal form rather than on the stored
// float: 0.265 is a float below its tie, even when scaled, and still rounds up to 0.27; 0.53
// cut to two decimals stays 0.53. The single-precision step absorbs the double's error in
// 0.29 x 100 (28.999...).
float RoundedOnDecimalForm(float magnitude, int fractionDigits, double half) {
    const double scale = std::pow(10.0, fractionDigits);
    const float scaled = static_cast<float>(TextToNumber(PlainNumberText(magnitude)) * scale);
    return static_cast<float>(std::floor(scaled + half) / scale);
}

int UnitsDigit(double code) {
    return static_cast<int>(std::lround(code - 10 * std::floor(code / 10)));
}

// The sign-and-integer column width, the fraction digits, and what goes in front.
struct Columns {
    int integerWidth;
    int fractionDigits;
    QString prefix;
};

Columns FixedColumns(double code) {
    const double integerPart = std::floor(code);
    return {static_cast<int>(integerPart), static_cast<int>(std::lround((code - integerPart) * 10)),
            QString()};
}

// Significant digits become columns per number; a rounding carry into a new integer digit
// takes one digit from the fraction, so that 9.9996 with four digits reads 10.00.
Columns SignificantColumns(double code, float magnitude, double half) {
    const int hundreds = static_cast<int>(std::floor(code / 100));
    int integerDigits = IntegerDigitCount(magnitude);
    int fractionDigits = std::max(UnitsDigit(code) - integerDigits, 0);
    // The carry is judged on the same rounding that the layout then does, so that no value
    // (9.995 is a float just below its tie) shows one digit more than asked for.
    if (fractionDigits != 0 &&
        RoundedOnDecimalForm(magnitude, fractionDigits, half) >= std::pow(10.0, integerDigits)) {
        ++integerDigits;
        --fractionDigits;
    }
    return {hundreds + integerDigits - 1, fractionDigits,
            fractionDigits == 0 ? QStringLiteral(" ") : QString()};
}

// A rounded magnitude's seven-digit form, with no more decimals than the layout shows: digits
// past them are only the float's own error in a number already rounded to them.
QString ShownDigits(float rounded, int fractionDigits) {
    const int integerDigits = SevenSignificantDigits(rounded).integerDigits;
    const int count = std::clamp(integerDigits + fractionDigits, 1, 7);
    return QString::fromStdString(DecimalText(SignificantDigits(rounded, count)));
}

// Sign directly left of the first digit, filler spaces left of the sign, then the fraction
// padded with zeros; the point comes back where the plain form leaves it out. Integer and
// fraction digits both come from the one decimal form, so that a number with more digits than
// seven (196970.98 with nine decimals) cannot show its integer part cut down while its
// fraction rounds up, nor more decimals than asked for.
QString ColumnText(bool negative, float rounded, const Columns& columns) {
    const QString digits = ShownDigits(rounded, columns.fractionDigits);
    const qsizetype point = digits.indexOf(u'.');
    QString integerDigits = point < 0 ? digits : digits.left(point);
    if (integerDigits.isEmpty()) integerDigits = QStringLiteral("0");
    const int digitCount = IntegerDigitCount(rounded);
    const int width = columns.integerWidth > digitCount ? columns.integerWidth : digitCount + 1;
    const QString integerText =
        (negative ? QStringLiteral("-") : QStringLiteral(" ")) + integerDigits;
    if (columns.fractionDigits == 0) return integerText.rightJustified(width);

    const QString fraction = point < 0 ? QStringLiteral(".") : digits.mid(point);
    return integerText.rightJustified(width) +
           fraction.leftJustified(columns.fractionDigits + 1, u'0');
}

QString PlainForm(float X) {
    QString text = PlainNumberText(X);
    const float magnitude = std::fabs(X);
    if (magnitude > 0 && magnitude < 1) text.insert(1, u'0');
    return text;
}

QString CodeErrorText(float IntFrac) {
    return QStringLiteral("Error: IntFrac=") + PlainNumberText(std::fabs(IntFrac)) + u' ';
}

}  // namespace

bool IsPlainUnsignedDecimal(const std::string& text) {
    const auto points = std::count(text.begin(), text.end(), '.');
    const auto digits = std::count_if(text.begin(), text.end(), IsDigit);
    return points <= 1 && digits >= 1 && static_cast<std::size_t>(points + digits) == text.size();
}

QString PlainNumberText(float value) {
    if (std::isnan(value)) return QStringLiteral(" nan");
    const QString sign = value < 0 ? QStringLiteral("-") : QStringLiteral(" ");
    if (std::isinf(value)) return sign + QStringLiteral("inf");
    return sign + QString::fromStdString(DecimalText(SevenSignificantDigits(std::fabs(value))));
}

double TextToNumber(const QString& text) {
    const std::string compact = WithoutBlanks(text);
    const LeadingNumber number = ScanLeadingNumber(compact);
    return number.whole.empty() ? 0.0 : ValueOf(number);
}

QString NrToStr(float X, float IntFrac) {
    if (IntFrac == 0) return PlainForm(X);
    const double code = std::fabs(static_cast<double>(IntFrac));
    const bool significantDigits = code > 100;
    if (!(code < kWidestCode) || (significantDigits && UnitsDigit(code) == 1)) {
        return CodeErrorText(IntFrac);
    }
    const float magnitude = std::fabs(X);
    if (!(magnitude < kLargestLaidOut)) return PlainNumberText(X);

    const double half = IntFrac > 0 ? 0.5 : 0.0;
    const Columns columns =
        significantDigits ? SignificantColumns(code, magnitude, half) : FixedColumns(code);
    const float rounded = RoundedOnDecimalForm(magnitude, columns.fractionDigits, half);
    return columns.prefix + ColumnText(X < 0, rounded, columns);
}
