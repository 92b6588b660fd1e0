// The services the program needs from the operating system and its windowing system.
#pragma once

#include <string>

#include "platform/program_version.h"

enum class BoxIcon { Critical, Exclamation, Information };
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxAnswer { Ok, Cancel, Yes, No };

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// Texts are UTF-8. Every call comes from the user-interface thread.
class Platform {
public:
    virtual ~Platform() = default;

    // Modal box; the first button is the default. Esc or the close box on an
    // OK-and-Cancel box answers Cancel.
    virtual BoxAnswer MessageBox(const std::string& text, const std::string& title, BoxIcon icon,
                                 BoxButtons buttons) = 0;

    // Delivers the window events waiting now and returns when their handlers are done.
    virtual void ProcessEvents() = 0;

    // Waits up to the given time while delivering window events as they come.
    virtual void WaitProcessingEvents(double seconds) = 0;

    // Seconds on a clock that never runs backwards (midnight cannot confuse a wait).
    virtual double Seconds() = 0;

    // Stops the program at once: no further handler runs and no setting is written.
    [[noreturn]] virtual void EndNow() = 0;

    // The stored text, or the default when the key is absent; never creates a key.
    // Section and key names match without regard to letter case; "\" nests sections.
    virtual std::string ReadSetting(const std::string& app, const std::string& section,
                                    const std::string& key, const std::string& defaultText) = 0;
    virtual void WriteSetting(const std::string& app, const std::string& section,
                              const std::string& key, const std::string& text) = 0;

    // Opens a web address or a "mailto:" link in the user's default program.
    virtual void ShellOpen(const std::string& target) = 0;

    // The program's own title and version, the same on every platform.
    virtual std::string Title() const { return "Pulvar"; }
    virtual ProgramVersion Version() const {
        return {PULVAR_VERSION_MAJOR, PULVAR_VERSION_MINOR, PULVAR_VERSION_REVISION};
    }
};
