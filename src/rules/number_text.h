// Numbers as the program writes and reads them: always "." as the decimal point.
#pragma once

#include <QString>
#include <string>

// The magnitude to 7 significant digits, trailing zeros dropped, no "0" before the point;
// "-" in front of a negative value, a blank otherwise: 0.05 gives " .05". Ties round up.
QString PlainNumberText(float value);

// The longest leading number (blanks, tabs and line feeds ignored); 0 when there is none.
// A number too large for a double reads as infinity of its sign, so limit checks refuse it.
double TextToNumber(const QString& text);

// Digits with at most one point among them, and at least one digit: a value as the entry fields
// let it be typed, and the only stored value ever sent.
bool IsPlainUnsignedDecimal(const std::string& text);

// X laid out by the layout code IntFrac: I.F columns, or significant digits above 100;
// a negative code cuts surplus digits instead of rounding.
QString NrToStr(float X, float IntFrac);
