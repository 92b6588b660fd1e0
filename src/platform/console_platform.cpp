// The platform services without a window: boxes as lines on the error stream, no input.
#include "platform/console_platform.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(line);
    return lines;
}

// A line that ends a sentence or leads into the next one needs no point of its own.
bool EndsSentence(const std::string& line) {
    const char last = line.back();
    return last == '.' || last == '!' || last == '?' || last == ':';
}

std::string WithoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

bool ReportsFailure(BoxIcon icon) {
    return icon == BoxIcon::Critical || icon == BoxIcon::Exclamation;
}

void FlushAndExit(int status) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace

ConsolePlatform::ConsolePlatform(std::ostream& errors, std::string programName, Ending ending)
    : errors_(errors), programName_(std::move(programName)), ending_(std::move(ending)) {
    if (!ending_) ending_ = FlushAndExit;
}

std::string ConsolePlatform::BoxLine(const std::string& text, const std::string& title,
                                     BoxButtons buttons) const {
    std::vector<std::string> lines = Lines(text);
    // The last line of a box that asks is its question, which nobody is here to answer.
    if (buttons != BoxButtons::Ok && lines.size() > 1) lines.pop_back();

    std::string line = programName_ + ": ";
    const std::string shownTitle = WithoutTrailingBlanks(title);
    // A box titled with the program's own name says nothing more than the prefix does.
    if (!shownTitle.empty() && shownTitle != Title()) line += shownTitle + ": ";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) line += ' ';
        line += lines[i];
        if (i + 1 < lines.size() && !EndsSentence(lines[i])) line += '.';
    }
    return line;
}

BoxAnswer ConsolePlatform::MessageBox(const std::string& text, const std::string& title,
                                      BoxIcon icon, BoxButtons buttons) {
    errors_ << BoxLine(text, title, buttons) << '\n' << std::flush;
    switch (buttons) {
        case BoxButtons::OkCancel:
            return BoxAnswer::Cancel;
        case BoxButtons::YesNo:
            return BoxAnswer::No;
        case BoxButtons::Ok:
            break;
    }
    // After a failed read the window would carry on with an empty answer; a script must not.
    if (ReportsFailure(icon)) EndNow();
    return BoxAnswer::Ok;
}

void ConsolePlatform::WaitProcessingEvents(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

double ConsolePlatform::Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ConsolePlatform::EndNow() {
    ending_(endStatus_);
    std::abort();  // an ending that returned must not let the program go on
}
