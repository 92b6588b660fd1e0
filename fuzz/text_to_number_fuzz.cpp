// TextToNumber: a plain decimal reads as the number its digits say, whatever is strewn around it.
#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "property.h"
#include "rules/number_text.h"

namespace {

std::string Digits(FuzzedDataProvider& input) {
    std::string digits(input.ConsumeIntegralInRange<std::size_t>(0, 12), '0');
    for (char& digit : digits) digit = input.ConsumeIntegralInRange<char>('0', '9');
    return digits;
}

// "12.5" with blanks, tabs and line feeds put anywhere, as TextToNumber ignores them.
std::string WithBlanks(const std::string& text, FuzzedDataProvider& input) {
    static const char kBlanks[] = {' ', '\t', '\n'};
    std::string strewn;
    for (const char c : text) {
        while (input.ConsumeBool()) strewn += kBlanks[input.ConsumeIntegralInRange(0, 2)];
        strewn += c;
    }
    return strewn;
}

void PlainDecimalReadsAsItsDigits(FuzzedDataProvider& input) {
    const std::string integer = Digits(input);
    const std::string fraction = Digits(input);
    const bool point = input.ConsumeBool();
    std::string decimal = integer + (point ? "." + fraction : "");
    if (integer.empty() && (!point || fraction.empty())) decimal = "0" + decimal;
    const bool negative = input.ConsumeBool();
    const std::string signedDecimal = (negative ? "-" : "") + decimal;
    // Whatever follows a character that cannot continue the number is not read.
    const std::string after = ";" + input.ConsumeRandomLengthString(16);
    const std::string text = WithBlanks(signedDecimal, input) + after;

    const double expected = std::strtod(signedDecimal.c_str(), nullptr);
    const double read = TextToNumber(QString::fromLatin1(text.data(), qsizetype(text.size())));
    Require(read == expected, "\"" + text + "\" read as " + std::to_string(read) + ", not " +
                                  std::to_string(expected));
}

void AnyTextReadsAsANumber(const std::string& text) {
    const QString asLatin1 = QString::fromLatin1(text.data(), qsizetype(text.size()));
    const double read = TextToNumber(asLatin1);
    Require(!std::isnan(read), "\"" + text + "\" read as not a number");
    Require(TextToNumber(" \t\n" + asLatin1 + ";9") == read,
            "\"" + text + "\" reads otherwise with blanks before it or text after it");
    const double asUtf8 = TextToNumber(QString::fromUtf8(text.data(), qsizetype(text.size())));
    Require(!std::isnan(asUtf8), "\"" + text + "\" as UTF-8 read as not a number");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C");  // strtod is the reference, and must use "." as its point
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AnyTextReadsAsANumber(std::string(reinterpret_cast<const char*>(data), size));
    FuzzedDataProvider input(data, size);
    PlainDecimalReadsAsItsDigits(input);
    return 0;
}
