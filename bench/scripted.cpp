// A test instrument: raw answers set by the test, optionally late, and a record of what it heard.
#include "bench/scripted.h"

namespace bench {

void ScriptedInstrument::AnswerTo(std::string message, std::string answer, double delay) {
    replies_[std::move(message)] = Reply{std::move(answer), delay};
}

void ScriptedInstrument::AnswerAnyMessage(std::string answer, double delay) {
    anyMessageReply_ = Reply{std::move(answer), delay};
}

void ScriptedInstrument::Listen(std::string_view bytes, bool eoi, double now) {
    input_.append(bytes);
    if (!eoi) return;
    received_.push_back(std::move(input_));
    input_.clear();
    const Reply* reply = ReplyTo(received_.back());
    if (reply) {
        output_.Set(reply->bytes, now + reply->delay);
    } else {
        output_.Clear();
    }
}

const ScriptedInstrument::Reply* ScriptedInstrument::ReplyTo(const std::string& message) const {
    if (const auto found = replies_.find(message); found != replies_.end()) return &found->second;
    return anyMessageReply_ ? &*anyMessageReply_ : nullptr;
}

void ScriptedInstrument::DeviceClear() {
    ++deviceClears_;
    input_.clear();
    output_.Clear();
}

}  // namespace bench
