// A platform for tests: scripted box answers, virtual time, an in-memory store.
#include "scripted_platform.h"

#include <algorithm>
#include <cctype>

namespace {
BoxAnswer FirstButton(BoxButtons buttons) {
    switch (buttons) {
        case BoxButtons::YesNo:
            return BoxAnswer::Yes;
        default:
            return BoxAnswer::Ok;
    }
}

std::string StoreKey(const std::string& app, const std::string& section, const std::string& key) {
    std::string k = app + "\\" + section + "\\" + key;
    std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return std::tolower(c); });
    return k;
}
}  // namespace

ScriptedPlatform::ScriptedPlatform(std::shared_ptr<driver::Clock> clock)
    : clock_(std::move(clock)) {}

BoxAnswer ScriptedPlatform::MessageBox(const std::string& text, const std::string& title,
                                       BoxIcon icon, BoxButtons buttons) {
    ShownBox box{text, title, icon, buttons, FirstButton(buttons)};
    if (!answers_.empty()) {
        box.answer = answers_.front();
        answers_.pop_front();
    } else if (onBox) {
        box.answer = onBox(box);
    }
    boxes_.push_back(box);
    return box.answer;
}

void ScriptedPlatform::ProcessEvents() {
    if (onEvents) onEvents();
}

void ScriptedPlatform::WaitProcessingEvents(double seconds) {
    ProcessEvents();
    clock_->Sleep(seconds);
}

void ScriptedPlatform::EndNow() {
    ended_ = true;
    throw ImmediateEnd{};
}

std::string ScriptedPlatform::ReadSetting(const std::string& app, const std::string& section,
                                          const std::string& key, const std::string& defaultText) {
    auto it = store_.find(StoreKey(app, section, key));
    return it == store_.end() ? defaultText : it->second;
}

void ScriptedPlatform::WriteSetting(const std::string& app, const std::string& section,
                                    const std::string& key, const std::string& text) {
    store_[StoreKey(app, section, key)] = text;
}
