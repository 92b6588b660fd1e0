// The Windows settings store in the registry: absent values, names in any letter case, "/"
// inside a value name, nested sections, UTF-8 texts, and reads that create nothing.
#include "platform/registry_store.h"

#include <windows.h>

#include <string>

#include "check.h"

namespace {
// A root of its own for this run, removed at the end.
const std::string& Root() {
    static const std::string root =
        "Software\\Pulvar tests\\run " + std::to_string(GetCurrentProcessId());
    return root;
}

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    const bool exists =
        RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (key) RegCloseKey(key);
    return exists;
}

void AbsentValueGivesTheDefaultAndCreatesNothing() {
    const RegistryStore store(Root());
    CHECK(store.Read("Pulvar", "Settings\\PS5010", "Voltage", "5.00") == "5.00");
    CHECK(!KeyExists(Root() + "\\Pulvar"));
}

void NamesMatchInAnyLetterCase() {
    const RegistryStore store(Root());
    store.Write("Pulvar", "Settings\\PS5010", "Voltage", "12.5");
    CHECK(store.Read("PULVAR", "settings\\ps5010", "VOLTAGE", "") == "12.5");
    store.Write("pulvar", "SETTINGS\\PS5010", "voltage", "7.25");
    CHECK(store.Read("Pulvar", "Settings\\PS5010", "Voltage", "") == "7.25");
}

void SectionsNestAtTheBackslash() {
    const RegistryStore store(Root());
    store.Write("Pulvar", "Settings\\HP 6032A", "Current", "2.5");
    CHECK(KeyExists(Root() + "\\Pulvar\\Settings\\HP 6032A"));
    CHECK(store.Read("Pulvar", "Settings", "Current", "none") == "none");
}

// Earlier Windows releases stored this option under a name that QSettings cannot address.
void ValueNameMayHoldASlash() {
    const RegistryStore store(Root());
    store.Write("Pulvar", "Settings\\PS5004", "Turn off output before U/I change", "True");
    CHECK(store.Read("Pulvar", "Settings\\PS5004", "turn off output before u/i change", "") ==
          "True");
    CHECK(!KeyExists(Root() + "\\Pulvar\\Settings\\PS5004\\Turn off output before U"));
}

void TextsKeepTheirCharacters() {
    const RegistryStore store(Root());
    const std::string text = "12.5 V \xC2\xB1 1 %";  // a plus-minus sign in UTF-8
    store.Write("Pulvar", "Settings\\PS5010", "Note", text);
    CHECK(store.Read("Pulvar", "Settings\\PS5010", "Note", "") == text);
    store.Write("Pulvar", "Settings\\PS5010", "Empty", "");
    CHECK(store.Read("Pulvar", "Settings\\PS5010", "Empty", "default") == "");
}

void ValueThatIsNoTextGivesTheDefault() {
    const RegistryStore store(Root());
    store.Write("Pulvar", "Settings\\PS5010", "Voltage", "1");
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, (Root() + "\\Pulvar\\Settings\\PS5010").c_str(), 0,
                  KEY_SET_VALUE, &key);
    const DWORD number = 5;
    RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    RegCloseKey(key);
    CHECK(store.Read("Pulvar", "Settings\\PS5010", "Count", "none") == "none");
}

HKEY OpenRoot() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, Root().c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key,
                    nullptr);
    return key;
}

// Every key the store opens is closed again: a key opened after many reads and writes gets the
// handle that one opened before them had, since a closed handle's slot is given out again.
void KeysAreClosedAfterUse() {
    const RegistryStore store(Root());
    const HKEY before = OpenRoot();
    RegCloseKey(before);
    for (int i = 0; i < 20; ++i) {
        store.Write("Pulvar", "Settings\\PS5010", "Voltage", "12.5");
        store.Read("Pulvar", "Settings\\PS5010", "Voltage", "");
        store.Read("Pulvar", "Settings\\PS5010", "Absent", "");
    }
    const HKEY after = OpenRoot();
    RegCloseKey(after);
    CHECK(after == before);
}

// The settings outlive the session: the store makes no volatile keys, under which only volatile
// keys could be made.
void KeysOutliveTheSession() {
    const RegistryStore store(Root());
    store.Write("Pulvar", "Settings\\PS5010", "Voltage", "12.5");
    HKEY child = nullptr;
    const LONG made =
        RegCreateKeyExA(HKEY_CURRENT_USER, (Root() + "\\Pulvar\\Settings\\PS5010\\Lasting").c_str(),
                        0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &child, nullptr);
    if (child) RegCloseKey(child);
    CHECK(made == ERROR_SUCCESS);
}
}  // namespace

int main() {
    // A run that crashed left its keys behind, under a process id that wine gives out again.
    RegDeleteTreeA(HKEY_CURRENT_USER, Root().c_str());
    const int status =
        plain::Run({{"absent value gives the default and creates nothing",
                     AbsentValueGivesTheDefaultAndCreatesNothing},
                    {"names match in any letter case", NamesMatchInAnyLetterCase},
                    {"sections nest at the backslash", SectionsNestAtTheBackslash},
                    {"value name may hold a slash", ValueNameMayHoldASlash},
                    {"texts keep their characters", TextsKeepTheirCharacters},
                    {"value that is no text gives the default", ValueThatIsNoTextGivesTheDefault},
                    {"keys are closed after use", KeysAreClosedAfterUse},
                    {"keys outlive the session", KeysOutliveTheSession}});
    RegDeleteTreeA(HKEY_CURRENT_USER, Root().c_str());
    return status;
}
