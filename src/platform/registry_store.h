// The per-user settings store of Windows: the registry under HKEY_CURRENT_USER, where earlier
// Windows releases of the program kept their settings. Plain C++ over the registry API.
#pragma once

#include <string>
#include <utility>

class RegistryStore {
public:
    // Settings live under HKEY_CURRENT_USER\<root>\<app>\<section>; tests pass their own root.
    explicit RegistryStore(std::string root = "Software\\VB and VBA Program Settings")
        : root_(std::move(root)) {}

    // The stored text, or the default when the value is absent or cannot be read. Never
    // creates a key. The registry itself matches names without regard to letter case and
    // nests keys at "\"; a value name may hold "/" ("Turn off output before U/I change").
    std::string Read(const std::string& app, const std::string& section, const std::string& key,
                     const std::string& defaultText) const;

    // Stores the text at once; when the registry refuses it, nothing is changed.
    void Write(const std::string& app, const std::string& section, const std::string& key,
               const std::string& text) const;

private:
    std::string KeyPath(const std::string& app, const std::string& section) const;

    std::string root_;
};
