// A platform for tests: scripted box answers, a record of every box, a virtual clock,
// an in-memory settings store, and an immediate end that stops the caller.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/clock.h"
#include "platform/platform.h"

// Thrown by EndNow so that nothing after an immediate end runs unnoticed; only tests catch it.
struct ImmediateEnd {};

struct ShownBox {
    std::string text;
    std::string title;
    BoxIcon icon;
    BoxButtons buttons;
    BoxAnswer answer;
};

class ScriptedPlatform : public Platform {
public:
    explicit ScriptedPlatform(
        std::shared_ptr<driver::Clock> clock = std::make_shared<driver::VirtualClock>());

    // Answers for the next boxes, in order; a box without a queued answer gets its first
    // button, as if the user pressed Enter.
    void QueueAnswer(BoxAnswer answer) { answers_.push_back(answer); }
    const std::vector<ShownBox>& Boxes() const { return boxes_; }

    // Runs whenever window events would be delivered (pauses, event passes).
    std::function<void()> onEvents;
    // Answers a box that has no queued answer (its `answer` not yet set); runs while the box is
    // up, so it may also deliver window events as a modal box does.
    std::function<BoxAnswer(const ShownBox&)> onBox;

    bool Ended() const { return ended_; }
    const std::vector<std::string>& Opened() const { return opened_; }
    // Stored settings, keyed by "section\key" in lower case.
    const std::map<std::string, std::string>& Store() const { return store_; }

    BoxAnswer MessageBox(const std::string& text, const std::string& title, BoxIcon icon,
                         BoxButtons buttons) override;
    void ProcessEvents() override;
    void WaitProcessingEvents(double seconds) override;
    double Seconds() override { return clock_->Now(); }
    [[noreturn]] void EndNow() override;
    std::string ReadSetting(const std::string& app, const std::string& section,
                            const std::string& key, const std::string& defaultText) override;
    void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& text) override;
    void ShellOpen(const std::string& target) override { opened_.push_back(target); }

    driver::Clock& Clock() { return *clock_; }

private:
    std::shared_ptr<driver::Clock> clock_;
    std::deque<BoxAnswer> answers_;
    std::vector<ShownBox> boxes_;
    std::map<std::string, std::string> store_;
    std::vector<std::string> opened_;
    bool ended_ = false;
};
