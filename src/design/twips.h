// Window geometry in twips, as the window is designed: 15 twips are one pixel at 96 dpi.
#pragma once

#include <QRect>
#include <cmath>

constexpr int kTwipsPerPixel = 15;

// Pixels for a twips distance, rounded to the nearest pixel.
inline int Twips(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}
