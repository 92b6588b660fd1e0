// The platform services on Qt: boxes, events, clock, immediate end, settings and shell open.
#pragma once

#include <QElapsedTimer>
#include <utility>

#include "platform/platform.h"
#include "platform/settings_store.h"

class QtPlatform : public Platform {
public:
    // The status the process ends with after an immediate end.
    static constexpr int kImmediateEndStatus = 1;

    QtPlatform() : QtPlatform(SettingsStore()) {}
    explicit QtPlatform(SettingsStore store);

    BoxAnswer MessageBox(const std::string& text, const std::string& title, BoxIcon icon,
                         BoxButtons buttons) override;
    void ProcessEvents() override;
    void WaitProcessingEvents(double seconds) override;
    double Seconds() override;
    [[noreturn]] void EndNow() override;
    std::string ReadSetting(const std::string& app, const std::string& section,
                            const std::string& key, const std::string& defaultText) override;
    void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& text) override;
    void ShellOpen(const std::string& target) override;

private:
    SettingsStore store_;
    QElapsedTimer clock_;
};
