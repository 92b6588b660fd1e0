// The window seen from outside while it talks to the supply: busy, with no change on screen.
#pragma once

class BusExchanges;
class QWidget;

// Nothing is greyed while an exchange runs (Apply follows its fields alone), yet a click or key
// that would start another is ignored then. So the window tells it where it draws nothing: its
// accessible state is "busy" (screen readers announce it), and on Windows the window carries the
// property kBusyWindowProperty, which tools there can read, as long as an exchange runs.
void ShowBusyWhileExchanging(QWidget* window, BusExchanges& exchanges);

inline constexpr char kBusyWindowProperty[] = "PulvarBusy";
