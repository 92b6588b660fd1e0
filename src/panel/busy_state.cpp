// The window seen from outside while it talks to the supply: busy, with no change on screen.
#include "panel/busy_state.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

#include "panel/exchange_guard.h"

#ifdef Q_OS_WIN
#include <windows.h>

#include <QGuiApplication>
#endif

namespace {

// Where the window keeps its state for its accessible interface, which Qt makes and drops itself.
constexpr char kBusyQtProperty[] = "exchangeRunning";

// The main window as Qt presents it, with "busy" added while an exchange runs.
class BusyWindowAccessible : public QAccessibleWidget {
public:
    explicit BusyWindowAccessible(QWidget* window)
        : QAccessibleWidget(window, QAccessible::Window) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.busy = widget()->property(kBusyQtProperty).toBool();
        return state;
    }
};

// Asked for each class of an object's hierarchy, most derived first: the window's own class is
// answered here, before Qt's own interface for a main window.
QAccessibleInterface* BusyWindowFactory(const QString& className, QObject* object) {
    if (!object->isWidgetType() || !object->property(kBusyQtProperty).isValid() ||
        className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    return new BusyWindowAccessible(static_cast<QWidget*>(object));
}

void SetWindowsProperty([[maybe_unused]] QWidget* window, [[maybe_unused]] bool busy) {
#ifdef Q_OS_WIN
    // Only a real Windows window has one; the offscreen platform's ids are no window handles.
    if (QGuiApplication::platformName() != QLatin1String("windows") || !window->internalWinId())
        return;
    const auto handle = reinterpret_cast<HWND>(window->internalWinId());
    if (busy) {
        SetPropA(handle, kBusyWindowProperty, reinterpret_cast<HANDLE>(1));
    } else {
        RemovePropA(handle, kBusyWindowProperty);
    }
#endif
}

void ShowBusy(QWidget* window, bool busy) {
    window->setProperty(kBusyQtProperty, busy);
    QAccessible::State changed;
    changed.busy = true;
    QAccessibleStateChangeEvent event(window, changed);
    QAccessible::updateAccessibility(&event);
    SetWindowsProperty(window, busy);
}

}  // namespace

void ShowBusyWhileExchanging(QWidget* window, BusExchanges& exchanges) {
    // Once per program, and before any interface of the window is asked for and kept.
    [[maybe_unused]] static const bool installed =
        (QAccessible::installFactory(BusyWindowFactory), true);
    window->setProperty(kBusyQtProperty, false);
    exchanges.WhenRunningChanges([window](bool running) { ShowBusy(window, running); });
}
