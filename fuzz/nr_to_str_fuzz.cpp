// NrToStr over every layout code: columns never wider than the code fixes, digits as many as
// asked, the sign where the number has one, and a value within half a unit of its last digit.
#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <cmath>
#include <cstdint>

#include "property.h"
#include "rules/number_text.h"

namespace {

constexpr float kLargestLaidOut = 1e7f;  // beyond, numbers come back in their plain form

std::string Case(float x, float code, const QString& text) {
    return "NrToStr(" + std::to_string(x) + ", " + std::to_string(code) + ") = \"" +
           text.toStdString() + "\"";
}

// The shown number's parts: integer column (fillers and sign included), digits, fraction.
struct Shown {
    QString integerColumn;
    int integerDigits = 0;
    int fractionDigits = 0;
    bool point = false;
};

Shown TakeApart(const QString& text, const std::string& what) {
    Shown shown;
    const qsizetype point = text.indexOf(u'.');
    shown.point = point >= 0;
    shown.integerColumn = shown.point ? text.left(point) : text;
    const QString fraction = shown.point ? text.mid(point + 1) : QString();
    qsizetype at = 0;
    while (at < shown.integerColumn.size() && shown.integerColumn[at] == u' ') ++at;
    if (at < shown.integerColumn.size() && shown.integerColumn[at] == u'-') ++at;
    const QString digits = shown.integerColumn.mid(at);
    Require(!digits.isEmpty() && at > 0, what + ": no sign column or no integer digits");
    for (const QChar c : digits + fraction) Require(c.isDigit(), what + ": not a digit");
    Require(digits.size() == 1 || digits[0] != u'0', what + ": a leading zero");
    shown.integerDigits = int(digits.size());
    shown.fractionDigits = int(fraction.size());
    return shown;
}

// Integer digits as the layout counts them for its column: through the logarithm in single
// precision, which just below a power of ten (999.9999) sees one more than are shown.
int CountedDigits(double shown, int shownDigits) {
    const double magnitude = std::fabs(shown);
    if (magnitude < 1) return shownDigits;
    const float counted = std::floor(float(std::log10(magnitude) + 1));
    return std::max(shownDigits, int(counted));
}

// Rounding (code above 0) lands within half a unit of the last digit; cutting (code below 0)
// never makes the magnitude larger and loses less than one unit. The layout rounds the
// number's seven-digit form, which adds a relative error of a few parts in ten million.
void ValueIsTheNumber(float x, float code, int fractionDigits, const QString& text,
                      const std::string& what) {
    const double shown = TextToNumber(text);
    const double unit = std::pow(10.0, -fractionDigits);
    const double slack = std::fabs(double(x)) * 2e-6 + 1e-30;
    const double error = std::fabs(shown - double(x));
    if (code > 0) {
        Require(error <= unit / 2 + slack, what + ": not rounded to its last digit");
    } else {
        Require(std::fabs(shown) <= std::fabs(double(x)) + slack && error < unit + slack,
                what + ": not cut at its last digit");
    }
}

// I.F: the integer column is I wide unless the digits and their sign need more.
void ColumnsCode(float x, int columns, int fraction, bool cut) {
    const float code = (cut ? -1.0f : 1.0f) * (float(columns) + float(fraction) / 10.0f);
    const QString text = NrToStr(x, code);
    const std::string what = Case(x, code, text);
    const Shown shown = TakeApart(text, what);
    Require(shown.integerColumn.size() ==
                std::max(columns, CountedDigits(TextToNumber(text), shown.integerDigits) + 1),
            what + ": integer column of the wrong width");
    Require(shown.point == (fraction > 0) && shown.fractionDigits == fraction,
            what + ": not the fraction digits the code asks for");
    Require(text.contains(u'-') == (x < 0), what + ": sign lost or added");
    ValueIsTheNumber(x, code, fraction, text, what);
}

// Significant digits: as many digits as asked, integer digits never dropped.
void DigitsCode(float x, int hundreds, int tens, int digits, bool cut) {
    const float code = (cut ? -1.0f : 1.0f) * float(hundreds * 100 + tens * 10 + digits);
    const QString text = NrToStr(x, code);
    const std::string what = Case(x, code, text);
    if (std::fabs(code) <= 100) return;  // 100 itself lays out columns
    if (digits > 7) {
        // More digits than the seven-digit form holds: the integer digits are counted on the
        // logarithm, which can see one more than there are; only look that nothing breaks.
        Require(!text.isEmpty(), what + ": empty text");
        return;
    }
    if (digits == 1) {
        Require(text == "Error: IntFrac=" + PlainNumberText(std::fabs(code)) + " ",
                what + ": not the error text");
        return;
    }
    const Shown shown = TakeApart(text, what);
    const int total = shown.integerDigits + shown.fractionDigits;
    // Where the logarithm counts one integer digit more than the number has, the layout shows
    // one digit fewer (cutting 99999.99 to six digits gives 99999).
    const bool overcounted = CountedDigits(x, shown.integerDigits) > shown.integerDigits;
    Require(total == std::max(digits, shown.integerDigits) ||
                (overcounted && total == std::max(digits, shown.integerDigits + 1) - 1),
            what + ": not the number of digits the code asks for");
    Require(text.contains(u'-') == (x < 0), what + ": sign lost or added");
    ValueIsTheNumber(x, code, shown.fractionDigits, text, what);
}

// Mostly short decimals, as supplies give them (ties such as 2.675 included); now and then any
// float at all.
float Number(FuzzedDataProvider& input) {
    if (input.ConsumeIntegralInRange(0, 7) == 0) return input.ConsumeFloatingPoint<float>();
    const double digits = double(input.ConsumeIntegralInRange<std::int64_t>(-99999999, 99999999));
    return float(digits / std::pow(10.0, input.ConsumeIntegralInRange(0, 12)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const float x = Number(input);
    const bool cut = input.ConsumeBool();
    const int kind = input.ConsumeIntegralInRange(0, 2);
    if (!std::isfinite(x) || !(std::fabs(x) < kLargestLaidOut)) {
        // Out of the supply's world: no crash, and something to show.
        Require(!NrToStr(x, input.ConsumeFloatingPoint<float>()).isEmpty(), "empty text");
        return 0;
    }
    if (kind == 0) {
        ColumnsCode(x, input.ConsumeIntegralInRange(1, 30), input.ConsumeIntegralInRange(0, 9),
                    cut);
    } else if (kind == 1) {
        DigitsCode(x, input.ConsumeIntegralInRange(1, 9), input.ConsumeIntegralInRange(0, 9),
                   input.ConsumeIntegralInRange(0, 9), cut);
    } else {
        // Any code at all, the plain form included: no crash, and something to show.
        Require(!NrToStr(x, input.ConsumeFloatingPoint<float>()).isEmpty(), "empty text");
    }
    return 0;
}
