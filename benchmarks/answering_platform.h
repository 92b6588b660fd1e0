// The Qt platform with its real clock and waits, whose message boxes answer at once.
#pragma once

#include <string>
#include <vector>

#include "platform/qt_platform.h"

// A box answers with its first button (OK or Yes), as Enter would, so that nothing waits for a
// person; every title is kept, so that a box no run should show is seen.
class AnsweringPlatform : public QtPlatform {
public:
    using QtPlatform::QtPlatform;

    BoxAnswer MessageBox(const std::string& text, const std::string& title, BoxIcon icon,
                         BoxButtons buttons) override {
        (void)text;
        (void)icon;
        titles_.push_back(title);
        return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }

    // The titles shown since the last call, and forgets them.
    std::vector<std::string> TakeTitles() { return std::exchange(titles_, {}); }

private:
    std::vector<std::string> titles_;
};
