// The platform services without a window: for a program run from the shell or a script.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include "platform/platform.h"

// Boxes become one line each on the error stream and never wait for input. A box that asks
// gets the answer that does nothing more (Cancel, No); a box that reports a failure ends the
// program with the status set for what it is doing, so a shell never gets a made-up result.
// Pauses sleep on a clock that never runs backwards; no settings are read or written.
class ConsolePlatform : public Platform {
public:
    // How the program ends; must not return. Flushes and exits by default.
    using Ending = std::function<void(int status)>;

    explicit ConsolePlatform(std::ostream& errors, std::string programName, Ending ending = {});

    // The status of an immediate end from now on (failures of set-up and of exchanges differ).
    void SetEndStatus(int status) { endStatus_ = status; }

    BoxAnswer MessageBox(const std::string& text, const std::string& title, BoxIcon icon,
                         BoxButtons buttons) override;
    void ProcessEvents() override {}
    void WaitProcessingEvents(double seconds) override;
    double Seconds() override;
    [[noreturn]] void EndNow() override;
    std::string ReadSetting(const std::string&, const std::string&, const std::string&,
                            const std::string& defaultText) override {
        return defaultText;
    }
    void WriteSetting(const std::string&, const std::string&, const std::string&,
                      const std::string&) override {}
    void ShellOpen(const std::string&) override {}

    // The line a box becomes: "program: title: text", the text's lines joined into sentences.
    std::string BoxLine(const std::string& text, const std::string& title,
                        BoxButtons buttons) const;

private:
    std::ostream& errors_;
    std::string programName_;
    Ending ending_;
    int endStatus_ = 1;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
