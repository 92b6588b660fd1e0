// The font of the window's value rows: "MS Sans Serif" at 12 points, or its nearest stand-in.
#pragma once

#include <QFont>

// Where "MS Sans Serif" is missing, Liberation Sans (Arial's widths, within a pixel or two of
// MS Sans Serif for our captions) keeps the designed widths; failing that, the platform's
// sans-serif.
QFont PanelFont(bool bold);
