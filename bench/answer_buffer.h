// An instrument's pending answer: its bytes, from when they can be read, and what is left.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace bench {

class AnswerBuffer {
public:
    // Replaces whatever was pending; an empty answer leaves nothing to say.
    void Set(std::string bytes, double readyAt = 0.0) {
        bytes_ = std::move(bytes);
        readyAt_ = readyAt;
    }
    void Clear() { bytes_.clear(); }
    bool Empty() const { return bytes_.empty(); }

    std::optional<double> ReadyAt() const {
        if (bytes_.empty()) return std::nullopt;
        return readyAt_;
    }

    // The next bytes, at most `max`; `eoi` is set when they include the last one.
    std::string Take(std::size_t max, bool& eoi) {
        std::string taken = bytes_.substr(0, max);
        bytes_.erase(0, taken.size());
        eoi = !taken.empty() && bytes_.empty();
        return taken;
    }

private:
    std::string bytes_;
    double readyAt_ = 0.0;
};

}  // namespace bench
