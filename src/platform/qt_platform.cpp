// The platform services on Qt.
#include "platform/qt_platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace {

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;   // the default, taken by Enter
    QMessageBox::StandardButton escape;  // taken by Esc and the close box
};

ButtonSet ButtonSetFor(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::OkCancel:
            return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
        case BoxButtons::YesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
        case BoxButtons::Ok:
            break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

QMessageBox::Icon QtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Critical:
            return QMessageBox::Critical;
        case BoxIcon::Exclamation:
            return QMessageBox::Warning;
        case BoxIcon::Information:
            break;
    }
    return QMessageBox::Information;
}

BoxAnswer AnswerFor(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Cancel:
            return BoxAnswer::Cancel;
        case QMessageBox::Yes:
            return BoxAnswer::Yes;
        case QMessageBox::No:
            return BoxAnswer::No;
        default:
            return BoxAnswer::Ok;
    }
}

// Rounded up, so that the wait is never shorter than asked; nonsense waits take no time.
int Milliseconds(double seconds) {
    if (!(seconds > 0)) return 0;
    return static_cast<int>(std::min(std::ceil(seconds * 1000.0), double{INT_MAX}));
}

}  // namespace

QtPlatform::QtPlatform(SettingsStore store) : store_(std::move(store)) {
    clock_.start();
}

BoxAnswer QtPlatform::MessageBox(const std::string& text, const std::string& title, BoxIcon icon,
                                 BoxButtons buttons) {
    const ButtonSet set = ButtonSetFor(buttons);
    // Parented to the active window, so that the box is centred on it.
    QMessageBox box(QtIcon(icon), QString::fromStdString(title), QString::fromStdString(text),
                    set.buttons, QApplication::activeWindow());
    // A device's answer quoted in the text may hold "<": never read it as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(set.first);
    box.setEscapeButton(set.escape);
    box.exec();
    const QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    return AnswerFor(chosen == QMessageBox::NoButton ? set.escape : chosen);
}

void QtPlatform::ProcessEvents() {
    QCoreApplication::processEvents();
}

void QtPlatform::WaitProcessingEvents(double seconds) {
    // Events are delivered as they come while the processor rests until the timer ends the loop.
    QEventLoop loop;
    QTimer::singleShot(Milliseconds(seconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double QtPlatform::Seconds() {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

void QtPlatform::EndNow() {
    // What was printed still reaches its reader; nothing else of the program runs.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(kImmediateEndStatus);
}

std::string QtPlatform::ReadSetting(const std::string& app, const std::string& section,
                                    const std::string& key, const std::string& defaultText) {
    return store_.Read(app, section, key, defaultText);
}

void QtPlatform::WriteSetting(const std::string& app, const std::string& section,
                              const std::string& key, const std::string& text) {
    store_.Write(app, section, key, text);
}

void QtPlatform::ShellOpen(const std::string& target) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(target)));
}
