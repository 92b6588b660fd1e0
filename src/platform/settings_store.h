// The per-user settings store: texts by application, section and key, names in any case.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <utility>

class QSettings;

class SettingsStore {
public:
    // The user's own store: the registry on Windows, $XDG_CONFIG_HOME/<app>/<app>.conf elsewhere.
    SettingsStore() = default;
    // An INI store in <folder>/<app>/<app>.conf, whatever the platform (tests keep theirs apart).
    explicit SettingsStore(QString folder) : folder_(std::move(folder)) {}

    // The stored text, or the default when the key is absent or the store cannot be read.
    // Never creates anything. "\" in the section nests sections.
    std::string Read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& defaultText) const;

    // Stores the text at once, on disk, under the spelling already stored when there is one.
    // When the store cannot be written the text is dropped and the store stays as it was.
    void Write(const std::string& app, const std::string& section, const std::string& key,
               const std::string& text) const;

private:
    QString FilePath(const std::string& app) const;
    std::unique_ptr<QSettings> Open(const std::string& app) const;

    QString folder_;  // empty: the platform's own place
};
