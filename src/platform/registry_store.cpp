// The per-user settings store of Windows over the registry API. Texts are UTF-8 here and
// UTF-16 in the registry.
#include "platform/registry_store.h"

#include <windows.h>

#include <vector>

namespace {
std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                        nullptr, nullptr);
    return text;
}

// Closes the key when it goes out of scope.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* Receive() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};
}  // namespace

std::string RegistryStore::KeyPath(const std::string& app, const std::string& section) const {
    return root_ + "\\" + app + (section.empty() ? "" : "\\" + section);
}

std::string RegistryStore::Read(const std::string& app, const std::string& section,
                                const std::string& key, const std::string& defaultText) const {
    OpenKey open;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(KeyPath(app, section)).c_str(), 0, KEY_QUERY_VALUE,
                      open.Receive()) != ERROR_SUCCESS) {
        return defaultText;
    }
    const std::wstring name = Wide(key);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(open.Get(), name.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return defaultText;
    }
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(open.Get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &bytes) != ERROR_SUCCESS) {
        return defaultText;
    }
    // The stored text may or may not carry its terminating zero.
    return Narrow(std::wstring(buffer.data()));
}

void RegistryStore::Write(const std::string& app, const std::string& section,
                          const std::string& key, const std::string& text) const {
    OpenKey open;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(KeyPath(app, section)).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, open.Receive(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring value = Wide(text);
    RegSetValueExW(open.Get(), Wide(key).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}
